// The main window's size between runs.
#include "app/window_placement.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "text/line_file.h"

namespace app {
namespace {

std::optional<int> ParseSize(const std::string& line) {
  int value = 0;
  const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (error != std::errc() || end != line.data() + line.size() || value <= 0 ||
      value > WindowPlacement::kMaxSize) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

WindowPlacement LoadWindowPlacement(const std::filesystem::path& file) {
  WindowPlacement placement;
  auto lines = text::ReadLines(file);
  if (!lines.ok()) {
    return placement;
  }
  const text::Lines& read = lines.value();
  if (!read.empty()) {
    placement.maximised = read[0] == "1";
  }
  if (read.size() >= 3) {
    const std::optional<int> width = ParseSize(read[1]);
    const std::optional<int> height = ParseSize(read[2]);
    // A size is taken only whole: half of a damaged pair would give an odd shape.
    if (width && height) {
      placement.width = std::max(*width, WindowPlacement::kMinWidth);
      placement.height = std::max(*height, WindowPlacement::kMinHeight);
    }
  }
  return placement;
}

text::Status SaveWindowPlacement(const std::filesystem::path& file,
                                 const WindowPlacement& placement) {
  return text::WriteLines(file, {placement.maximised ? "1" : "0", std::to_string(placement.width),
                                 std::to_string(placement.height)});
}

}  // namespace app

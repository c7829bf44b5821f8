// Record numbers and exchange paths.
#include "library/library_text.h"

#include <algorithm>
#include <cctype>

namespace library {
namespace {

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

std::optional<int> ParseDigits(std::string_view text) {
  if (text.empty()) {
    return std::nullopt;
  }
  long long value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return std::nullopt;
    }
    value = std::min(value * 10 + (c - '0'), 999999999LL);
  }
  return static_cast<int>(value);
}

std::filesystem::path ExchangeBase(const std::string& path_text) {
  std::string base = path_text;
  if (base.size() >= 4 && base.compare(base.size() - 4, 4, ".sts") == 0) {
    base.resize(base.size() - 4);
  }
  return std::filesystem::path(base);
}

bool NamesOwnLibrary(const std::filesystem::path& base, const std::filesystem::path& folder) {
  const auto absolute_base = Lowered(std::filesystem::absolute(base).lexically_normal().string());
  const auto own = std::filesystem::absolute(folder).lexically_normal();
  return absolute_base == Lowered((own / "word").string()) ||
         absolute_base == Lowered((own / "newword").string());
}

}  // namespace library

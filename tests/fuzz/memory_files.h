// Helpers of the fuzz targets: a file layer held in memory, input splitting, and aborting on a
// broken invariant (libFuzzer reports an abort as a crash).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "library/file_layer.h"
#include "text/line_file.h"

namespace fuzzing {

// Stops the run with a message when an invariant does not hold.
inline void Require(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

// The input cut at every 0xFF byte (never part of GBK text), at most `count` parts; missing
// parts are absent (nullopt-like: `present` false).
struct Part {
  bool present = false;
  std::string bytes;
};
inline std::vector<Part> SplitInput(std::string_view input, size_t count) {
  std::vector<Part> parts(count);
  size_t index = 0;
  size_t start = 0;
  for (size_t i = 0; i <= input.size() && index < count; ++i) {
    if (i == input.size() || static_cast<unsigned char>(input[i]) == 0xFF) {
      parts[index].present = true;
      parts[index].bytes.assign(input.substr(start, i - start));
      ++index;
      start = i + 1;
    }
  }
  return parts;
}

// Files as byte strings by path; folders as a set of paths.
class MemoryFileLayer : public library::FileLayer {
 public:
  bool Exists(const std::filesystem::path& path) override {
    return files.count(path.string()) > 0 || folders.count(path.string()) > 0;
  }
  text::Result<text::Lines> ReadLines(const std::filesystem::path& path) override {
    const auto found = files.find(path.string());
    if (found == files.end()) {
      return text::Error{"io", "Cannot open " + path.string()};
    }
    return text::SplitLines(found->second);
  }
  text::Status WriteLines(const std::filesystem::path& path, const text::Lines& lines) override {
    files[path.string()] = text::JoinLinesCrLf(lines);
    return text::Success();
  }
  text::Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    const auto found = files.find(from.string());
    if (found == files.end()) {
      return text::Error{"io", "Cannot rename " + from.string()};
    }
    std::string bytes = std::move(found->second);
    files.erase(found);
    files[to.string()] = std::move(bytes);
    return text::Success();
  }
  text::Status Remove(const std::filesystem::path& path) override {
    files.erase(path.string());
    return text::Success();
  }
  text::Status CreateFolder(const std::filesystem::path& path) override {
    folders.insert(path.string());
    return text::Success();
  }
  std::vector<std::string> FileNames(const std::filesystem::path& folder) override {
    std::vector<std::string> names;
    for (const auto& [path, bytes] : files) {
      const std::filesystem::path file(path);
      if (file.parent_path() == folder) {
        names.push_back(file.filename().string());
      }
    }
    return names;
  }

  std::map<std::string, std::string> files;
  std::set<std::string> folders;
};

}  // namespace fuzzing

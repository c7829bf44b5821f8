// The recent-files list of the File menu: the last subtitles opened, newest first, kept in a
// working file of its own.
#pragma once

#include <cstddef>
#include <filesystem>
#include <vector>

#include "text/result.h"

namespace app {

inline constexpr const char* kRecentFilesFileName = "recent.sys";
inline constexpr std::size_t kMaxRecentFiles = 8;

class RecentFiles {
 public:
  // Reads `file`: one absolute path per line, in the system's narrow encoding, newest first.
  // A missing file gives an empty list; empty lines, relative paths and repeats are dropped and
  // only the first kMaxRecentFiles are kept. Error "io" when the file exists but cannot be read.
  static text::Result<RecentFiles> Load(const std::filesystem::path& file);

  // Puts `path` first, taking out an earlier entry of the same path, and keeps at most
  // kMaxRecentFiles. A relative or empty path is ignored.
  void Add(const std::filesystem::path& path);
  // Takes `path` out of the list (a file that has gone); nothing happens when it is not there.
  void Remove(const std::filesystem::path& path);

  // Newest first; at most kMaxRecentFiles.
  const std::vector<std::filesystem::path>& Paths() const {
    return paths_;
  }

  // Writes the list to `file` atomically, one path per line with CR LF. Error "io".
  [[nodiscard]] text::Status Save(const std::filesystem::path& file) const;

 private:
  std::vector<std::filesystem::path> paths_;
};

}  // namespace app

// The find and replace histories (replace1.txt, replace2.txt): entries without repeats, saved
// whole, and the suggestion list offered while the user types.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "text/result.h"

namespace proof {

inline constexpr std::string_view kFindHistoryFile = "replace1.txt";
inline constexpr std::string_view kReplaceHistoryFile = "replace2.txt";

class SearchHistory {
 public:
  SearchHistory() = default;

  // Reads a history file of GBK lines (CR LF, LF or CR). A missing file gives an empty history;
  // an unreadable one an Error (code "io"). A repeated line keeps its first place only.
  static text::Result<SearchHistory> Load(const std::filesystem::path& path);

  // Writes every entry as one line ending in CR LF, atomically; an Error names the file.
  text::Status Save(const std::filesystem::path& path) const;

  bool Contains(std::string_view entry) const;
  // Appends `entry` unless it is already there or holds a line break (which a line file cannot
  // keep); returns true when it was appended.
  bool Add(std::string entry);

  // The entries that begin with `typed` (all of them when `typed` is empty), in byte order, as
  // the sorted suggestion list shows them.
  std::vector<std::string> Suggestions(std::string_view typed) const;

  const std::vector<std::string>& Entries() const {
    return entries_;
  }

 private:
  std::vector<std::string> entries_;  // in the order they were added
};

}  // namespace proof

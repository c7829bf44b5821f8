// The find and replace histories.
#include "proof/search_history.h"

#include <algorithm>
#include <system_error>

#include "text/line_file.h"

namespace proof {

text::Result<SearchHistory> SearchHistory::Load(const std::filesystem::path& path) {
  SearchHistory history;
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    return history;
  }
  text::Result<text::Lines> lines = text::ReadLines(path);
  if (!lines.ok()) {
    return lines.error();
  }
  for (std::string& line : lines.value()) {
    history.Add(std::move(line));
  }
  return history;
}

text::Status SearchHistory::Save(const std::filesystem::path& path) const {
  return text::WriteLines(path, entries_);
}

bool SearchHistory::Contains(std::string_view entry) const {
  return std::find(entries_.begin(), entries_.end(), entry) != entries_.end();
}

bool SearchHistory::Add(std::string entry) {
  if (entry.find_first_of("\r\n") != std::string::npos || Contains(entry)) {
    return false;
  }
  entries_.push_back(std::move(entry));
  return true;
}

std::vector<std::string> SearchHistory::Suggestions(std::string_view typed) const {
  std::vector<std::string> offered;
  for (const std::string& entry : entries_) {
    if (std::string_view(entry).substr(0, typed.size()) == typed) {
      offered.push_back(entry);
    }
  }
  std::sort(offered.begin(), offered.end());
  return offered;
}

}  // namespace proof

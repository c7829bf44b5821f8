// The recent-files list and its file.
#include "app/recent_files.h"

#include <algorithm>
#include <system_error>

#include "text/line_file.h"

namespace app {

text::Result<RecentFiles> RecentFiles::Load(const std::filesystem::path& file) {
  RecentFiles recent;
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    return recent;
  }
  auto lines = text::ReadLines(file);
  if (!lines.ok()) {
    return lines.error();
  }
  // Added oldest first, so the newest ends up in front and repeats keep their newest place.
  for (auto line = lines.value().rbegin(); line != lines.value().rend(); ++line) {
    recent.Add(std::filesystem::path(*line));
  }
  return recent;
}

void RecentFiles::Add(const std::filesystem::path& path) {
  // A relative path would point elsewhere once the current folder changes.
  if (path.empty() || !path.is_absolute()) {
    return;
  }
  Remove(path);
  paths_.insert(paths_.begin(), path.lexically_normal());
  if (paths_.size() > kMaxRecentFiles) {
    paths_.resize(kMaxRecentFiles);
  }
}

void RecentFiles::Remove(const std::filesystem::path& path) {
  const std::filesystem::path normal = path.lexically_normal();
  std::erase(paths_, normal);
}

text::Status RecentFiles::Save(const std::filesystem::path& file) const {
  text::Lines lines;
  for (const std::filesystem::path& path : paths_) {
    lines.push_back(path.native());
  }
  return text::WriteLines(file, lines);
}

}  // namespace app

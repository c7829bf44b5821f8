// The save dialog's folder change: picking the video file whose name the subtitle should take.
#include "app/save_dialog.h"

#include <algorithm>
#include <system_error>

namespace app {
namespace {

constexpr size_t kExtensionLength = 4;  // ".avi"

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The folder search for "*.avi" matches the extension in any letter case.
bool MatchesAviPattern(const std::string& name) {
  if (name.size() < kExtensionLength) {
    return false;
  }
  const std::string tail = name.substr(name.size() - kExtensionLength);
  return tail[0] == '.' && Lower(tail[1]) == 'a' && Lower(tail[2]) == 'v' && Lower(tail[3]) == 'i';
}

}  // namespace

std::string ProposedSubtitleName(const std::vector<std::string>& names_in_folder) {
  std::string chosen;
  for (const std::string& name : names_in_folder) {
    if (!MatchesAviPattern(name)) {
      continue;
    }
    const std::string extension = name.substr(name.size() - 3);
    if (extension == "avi" || extension == "AVI") {
      return name.substr(0, name.size() - kExtensionLength) + ".chinese";
    }
    chosen = name;  // mixed case: kept only when no exact match follows
  }
  if (chosen.empty()) {
    return ".chinese";
  }
  return chosen.substr(0, chosen.size() - kExtensionLength) + ".chinese";
}

std::vector<std::string> FileNamesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error);
  if (error) {
    return names;
  }
  // Stepping with an error_code: a folder that vanishes mid-listing ends the list, never throws.
  for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
    std::error_code type_error;
    if (it->is_regular_file(type_error)) {
      names.push_back(it->path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace app

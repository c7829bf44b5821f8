// Working files shared by the window tests.
#include "window_files.h"

#include "settings/settings_list.h"

namespace testing_support {

std::string NumberedLanguageFile() {
  std::string file;
  for (int i = 0; i < 780; ++i) {
    file += "m" + std::to_string(i) + "\r\n";
  }
  return file;
}

std::string SettingsFile(const std::map<int, std::string>& lines) {
  std::string file;
  for (int line = 0; line < 23; ++line) {
    const bool folder = line >= settings::kOpenFolder && line <= settings::kSaveFolder;
    std::string value = line == settings::kLanguage ? "1" : folder ? "" : "0";
    if (const auto given = lines.find(line); given != lines.end()) {
      value = given->second;
    }
    file += value + "\r\n";
  }
  return file;
}

}  // namespace testing_support

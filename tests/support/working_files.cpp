// Working files shared by the application and window tests.
#include "support/working_files.h"

#include "settings/settings_list.h"

namespace testing_support {

std::string NumberedLanguageFile() {
  std::string file;
  // Up to the last feature block (1757), so that every message has its recognisable text.
  for (int i = 0; i < 1762; ++i) {
    file += "m" + std::to_string(i) + "\r\n";
  }
  return file;
}

std::string PrefixedLanguageFile() {
  std::string bytes;
  for (int number = -1; number < 1760; number += 3) {
    for (const char* prefix : {"s", "t", "e"}) {
      bytes += prefix + std::to_string(number) + "\r\n";
    }
  }
  return bytes;
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

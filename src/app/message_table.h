// MessageTable: the lines of language.sys and the current language, giving every shown text.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "ports/host_ports.h"
#include "text/result.h"

namespace app {

// language.sys holds one text per group of three lines (Simplified Chinese, Traditional
// Chinese, English); message N of language L (1, 2 or 3) is line N + L, counting lines from 0,
// so the message numbers are -1, 2, 5, 8, ...
class MessageTable : public ports::MessageSource {
 public:
  static constexpr int kSimplifiedChinese = 1;
  static constexpr int kTraditionalChinese = 2;
  static constexpr int kEnglish = 3;

  MessageTable() = default;
  explicit MessageTable(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  // Reads language.sys whole; an Error (code "io") names the file when it cannot be read.
  static text::Result<MessageTable> LoadFromFile(const std::filesystem::path& path);

  // Sets the current language; anything but 1, 2 or 3 falls back to 1.
  void SetLanguage(int language);
  int Language() const {
    return language_;
  }

  // Message N in the current language; "" when the file has no such line.
  std::string Message(int number) const override;
  // Message N in language `language` (1 to 3); "" when missing.
  std::string MessageIn(int number, int language) const;

  const std::vector<std::string>& Lines() const {
    return lines_;
  }

 private:
  std::vector<std::string> lines_;
  int language_ = kSimplifiedChinese;
};

// The language number stored in a settings line: 1, 2 or 3 when the line is exactly that digit,
// 1 for anything else (so a damaged settings file never shifts every text).
int ParseLanguageNumber(const std::string& settings_line);

// A file dialog's filter in the language's text form "description|patterns|description|patterns"
// split into its pairs; `fallback` when the text holds no complete pair (a missing or damaged
// line never leaves a dialog without its patterns).
std::vector<std::pair<std::string, std::string>> DialogFilterEntries(
    const std::string& text, std::vector<std::pair<std::string, std::string>> fallback);

}  // namespace app

// MessageTable: loading language.sys and looking texts up by message number.
#include "app/message_table.h"

#include "text/line_file.h"

namespace app {

text::Result<MessageTable> MessageTable::LoadFromFile(const std::filesystem::path& path) {
  auto lines = text::ReadLines(path);
  if (!lines)
    return lines.error();
  return MessageTable(std::move(lines).value());
}

void MessageTable::SetLanguage(int language) {
  language_ =
      (language >= kSimplifiedChinese && language <= kEnglish) ? language : kSimplifiedChinese;
}

std::string MessageTable::Message(int number) const {
  return MessageIn(number, language_);
}

std::string MessageTable::MessageIn(int number, int language) const {
  const long long index = static_cast<long long>(number) + language;
  if (index < 0 || index >= static_cast<long long>(lines_.size()))
    return {};
  return lines_[static_cast<size_t>(index)];
}

int ParseLanguageNumber(const std::string& settings_line) {
  if (settings_line == "1" || settings_line == "2" || settings_line == "3") {
    return settings_line[0] - '0';
  }
  return MessageTable::kSimplifiedChinese;
}

std::vector<std::pair<std::string, std::string>> DialogFilterEntries(
    const std::string& text, std::vector<std::pair<std::string, std::string>> fallback) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t bar = text.find('|', start);
    parts.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) {
      break;
    }
    start = bar + 1;
  }
  if (parts.size() % 2 != 0) {
    return fallback;
  }
  std::vector<std::pair<std::string, std::string>> entries;
  for (std::size_t i = 0; i < parts.size(); i += 2) {
    if (parts[i].empty() || parts[i + 1].empty()) {
      return fallback;
    }
    entries.emplace_back(parts[i], parts[i + 1]);
  }
  return entries;
}

}  // namespace app

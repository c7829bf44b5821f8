// SettingsList: reading, padding, typed access and writing of setup.sys.
#include "settings/settings_list.h"

#include <charconv>

#include "text/line_file.h"

namespace settings {
namespace {

const std::string kPadLine = "1";

}  // namespace

SettingsList::SettingsList(std::vector<std::string> lines) : lines_(std::move(lines)) {
  // A file shorter than the known lines is padded with "1", which turns the missing flags on and
  // gives the missing numbers the value 1, as every release has done.
  if (lines_.size() < kSettingsLineCount) {
    lines_.resize(kSettingsLineCount, kPadLine);
  }
}

text::Result<SettingsList> SettingsList::LoadFromFile(const std::filesystem::path& path) {
  auto lines = text::ReadLines(path);
  if (!lines) {
    return lines.error();
  }
  return SettingsList(std::move(lines).value());
}

text::Status SettingsList::SaveToFile(const std::filesystem::path& path) const {
  return text::WriteLines(path, lines_);
}

const std::string& SettingsList::Line(int line) const {
  static const std::string kNone;
  if (line < 0 || line >= LineCount()) {
    return kNone;
  }
  return lines_[static_cast<size_t>(line)];
}

void SettingsList::SetLine(int line, std::string value) {
  if (line < 0) {
    return;
  }
  if (line >= LineCount()) {
    lines_.resize(static_cast<size_t>(line) + 1, kPadLine);
  }
  lines_[static_cast<size_t>(line)] = std::move(value);
}

int SettingsList::Number(int line, int minimum, int maximum, int fallback) const {
  const std::string& value = Line(line);
  // from_chars accepts a leading '-' but not '+'; a stray '+' is as unusable as any other text.
  int number = 0;
  const char* end = value.data() + value.size();
  const auto [rest, error] = std::from_chars(value.data(), end, number);
  if (value.empty() || error != std::errc() || rest != end) {
    return fallback;
  }
  if (number < minimum || number > maximum) {
    return fallback;
  }
  return number;
}

TeachingAssistance SettingsList::Assistance() const {
  // Lines beyond the 23 of every release may be missing: missing means the default.
  auto flag = [this](int line) { return line >= LineCount() || Flag(line); };
  TeachingAssistance assistance;
  assistance.fitted_box = flag(kFittedBox);
  assistance.suggestions = flag(kSuggestions);
  assistance.reference_teaching = flag(kReferenceTeaching);
  assistance.chinese_spaces = flag(kChineseSpaces);
  assistance.skip_placeholder = kSkipPlaceholder >= LineCount()
                                    ? std::string(kDefaultSkipPlaceholder)
                                    : Line(kSkipPlaceholder);
  assistance.ocr_guess = flag(kOcrGuess);
  assistance.ocr_guess_script = static_cast<GuessScript>(Number(kOcrGuessScript, 0, 2, 0));
  return assistance;
}

void SettingsList::SetAssistance(const TeachingAssistance& assistance) {
  // In line order, so that a short list never gets a padding "1" where the placeholder goes, and
  // empty lines before them: a "1" there would be read as another setting's value.
  while (LineCount() < kFittedBox) {
    lines_.emplace_back();
  }
  SetFlag(kFittedBox, assistance.fitted_box);
  SetFlag(kSuggestions, assistance.suggestions);
  SetFlag(kReferenceTeaching, assistance.reference_teaching);
  SetFlag(kChineseSpaces, assistance.chinese_spaces);
  SetLine(kSkipPlaceholder, assistance.skip_placeholder);
  SetFlag(kOcrGuess, assistance.ocr_guess);
  SetNumber(kOcrGuessScript, static_cast<int>(assistance.ocr_guess_script));
}

void SettingsList::SetFolders(const std::string& open_folder, const std::string& reference_folder,
                              const std::string& save_folder) {
  SetLine(kOpenFolder, open_folder);
  SetLine(kReferenceFolder, reference_folder);
  SetLine(kSaveFolder, save_folder);
}

}  // namespace settings

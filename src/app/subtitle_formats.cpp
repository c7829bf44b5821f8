// The subtitle types of the open and save dialogs.
#include "app/subtitle_formats.h"

namespace app {
namespace {

// "格式字幕" in GBK: the filters read "srt格式字幕(*.srt)" and so on.
constexpr const char* kFormatSubtitle = "\xB8\xF1\xCA\xBD\xD7\xD6\xC4\xBB";
// "文本格式字幕" in GBK: every text subtitle type.
constexpr const char* kTextSubtitles = "\xCE\xC4\xB1\xBE\xB8\xF1\xCA\xBD\xD7\xD6\xC4\xBB";

std::vector<std::string> Types(document::FormatRules rules) {
  if (rules == document::FormatRules::kFull) {
    return {"srt", "ssa", "ass", "vtt"};
  }
  return {"srt", "ssa"};
}

}  // namespace

document::FormatRules FormatRulesOf(const settings::SettingsList& settings) {
  return settings.AllSubtitleFormats() ? document::FormatRules::kFull
                                       : document::FormatRules::kAsBefore;
}

std::optional<text::Encoding> InputEncodingOf(const settings::SettingsList& settings) {
  std::optional<text::Encoding> encoding = text::Encoding::kAuto;
  if (!ParseInputEncoding(settings.InputEncoding(), encoding)) {
    return text::Encoding::kAuto;
  }
  return encoding;
}

bool ParseInputEncoding(const std::string& name, std::optional<text::Encoding>& encoding) {
  if (name == "as-before") {
    encoding.reset();
    return true;
  }
  const auto named = text::EncodingByName(name);
  if (!named) {
    return false;
  }
  encoding = *named;
  return true;
}

bool IsSubtitleExtension(const std::string& extension, document::FormatRules rules) {
  for (const std::string& type : Types(rules)) {
    if (extension == "." + type) {
      return true;
    }
  }
  return false;
}

std::vector<std::pair<std::string, std::string>> OpenSubtitleFilters(document::FormatRules rules) {
  std::string patterns;
  for (const std::string& type : Types(rules)) {
    patterns += (patterns.empty() ? "*." : ";*.") + type;
  }
  return {{std::string(kTextSubtitles) + "(" + patterns + ")", patterns}};
}

std::vector<std::pair<std::string, std::string>> SaveSubtitleFilters(document::FormatRules rules) {
  std::vector<std::pair<std::string, std::string>> filters;
  for (const std::string& type : Types(rules)) {
    filters.emplace_back(type + kFormatSubtitle + "(*." + type + ")", "*." + type);
  }
  return filters;
}

}  // namespace app

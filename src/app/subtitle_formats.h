// The subtitle file types the open and save flows offer, as the settings choose them.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/subtitle_document.h"
#include "settings/settings_list.h"
#include "text/encoding.h"

namespace app {

// FormatRules::kFull unless setup.sys line kSubtitleFormats is "0" or other text than "1".
document::FormatRules FormatRulesOf(const settings::SettingsList& settings);

// The input encoding setup.sys line kInputEncoding chooses: "as-before" gives nullopt (the older
// detection), an encoding name that encoding, anything else text::Encoding::kAuto.
std::optional<text::Encoding> InputEncodingOf(const settings::SettingsList& settings);

// An --input-encoding option's value the same way; false when the name is none of them.
bool ParseInputEncoding(const std::string& name, std::optional<text::Encoding>& encoding);

// True for the extensions (lower case, with the full stop) the rules read and write: .srt and
// .ssa always, .ass and .vtt under FormatRules::kFull.
bool IsSubtitleExtension(const std::string& extension, document::FormatRules rules);

// Dialog filters (GBK name, patterns): one filter of every subtitle type for opening, one per type
// for saving, in the order srt, ssa, ass, vtt.
std::vector<std::pair<std::string, std::string>> OpenSubtitleFilters(document::FormatRules rules);
std::vector<std::pair<std::string, std::string>> SaveSubtitleFilters(document::FormatRules rules);

}  // namespace app

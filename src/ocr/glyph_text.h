// What kind of text a glyph gives (GBK): full-width punctuation, Chinese ideographs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ocr {

// True when `text` is not empty and every character of it is a full-width punctuation mark: the
// marks of GBK's first symbol row (、。·…‘’“”〔〕〈〉《》「」『』〖〗【】 and the like) and the
// full-width forms of the ASCII punctuation (！，：；？（） ...), not full-width letters or digits.
bool IsFullWidthPunctuation(std::string_view text);

// True when `text` is exactly one Chinese ideograph (a GBK two-byte character outside the
// symbol, full-width form, kana and user-defined rows).
bool IsIdeograph(std::string_view text);

// The full-width punctuation marks offered as buttons while teaching, in the order shown, GBK:
// ，。！？：；、“”‘’…—《》
const std::vector<std::string>& TeachingPunctuation();

}  // namespace ocr

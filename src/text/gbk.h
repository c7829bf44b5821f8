// Conversion between GBK byte strings (the core's text form) and UTF-8 (screen and terminal).
#pragma once

#include <string>
#include <string_view>

namespace text {

// Outcome of a conversion: the converted bytes and how many source characters could not be
// represented in the target encoding and were replaced by '?'.
struct Converted {
  std::string text;
  int replaced = 0;
};

// GBK (CP936, with the GB18030 two-byte superset accepted) to UTF-8. A malformed byte sequence
// becomes U+FFFD and counts as replaced.
Converted GbkToUtf8(std::string_view gbk);

// UTF-8 to GBK. A character that GBK cannot hold, or a malformed UTF-8 sequence, becomes '?' and
// counts as replaced: callers report `replaced`, they never drop it silently.
Converted Utf8ToGbk(std::string_view utf8);

// True when `bytes` is well-formed UTF-8 (an empty or pure ASCII text counts as valid).
bool IsValidUtf8(std::string_view bytes);

// True when `bytes` holds a byte of 0x80 or above.
bool HasNonAscii(std::string_view bytes);

// True when byte position `index` (0-based) of the GBK text starts a character: a scan from the
// left, where a byte of 0x80 or above begins a two-byte character, lands on it.
bool IsCharBoundary(std::string_view gbk, size_t index);

}  // namespace text

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

// The length in bytes of the character that starts at byte `at` of a GBK or GB18030 text: 1 for
// a byte below 0x80, 4 for a GB18030 four-byte sequence (bytes 0x81-0xFE, 0x30-0x39, 0x81-0xFE,
// 0x30-0x39), else 2 (a GBK character; a lead byte cut off at the end of the text also counts 2,
// reaching past the end, so that a scan never lands between it and its missing trail byte).
// `at` must lie inside the text. Every step through a text by characters goes through this one
// function.
inline size_t CharLength(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
  if (byte(0) < 0x80) {
    return 1;
  }
  if (at + 3 < text.size() && byte(1) >= 0x30 && byte(1) <= 0x39 && byte(2) >= 0x81 &&
      byte(2) <= 0xFE && byte(3) >= 0x30 && byte(3) <= 0x39 && byte(0) <= 0xFE) {
    return 4;
  }
  return 2;
}

// True when byte position `index` (0-based) of the GBK text starts a character: a scan from the
// left by CharLength lands on it.
bool IsCharBoundary(std::string_view gbk, size_t index);

}  // namespace text

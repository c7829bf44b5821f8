// Character-aligned search in GBK text and the ChangeMarks bookkeeping shared by the proof tools.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace proof {

// The 1-based byte position in `text` of the first occurrence of `pattern` that starts on a
// character boundary at or after the 0-based offset `from`; 0 when there is none. A byte of 0x80
// or above begins a two-byte character. `from` must itself be a character boundary (0, or the
// offset just past a match or a character). An empty pattern is found at `from` + 1 when that
// lies inside the text; an empty text never matches. Runs in time linear in the text length.
std::size_t FindOnCharBoundary(std::string_view text, std::string_view pattern,
                               std::size_t from = 0);

// The 0-based offset of the character boundary that follows the character starting at `offset`.
inline std::size_t NextCharBoundary(std::string_view text, std::size_t offset) {
  return offset + (static_cast<unsigned char>(text[offset]) >= 0x80 ? 2 : 1);
}

// Most replacements one search text and replacement pair may make in one subtitle text. No
// legitimate pair comes near it; a pair whose replacement keeps recreating its search text across
// its own edge stops here instead of looping forever.
inline constexpr int kMaxReplacementsPerText = 10000;

// Outcome of ReplaceOnCharBoundaries.
struct ReplaceCount {
  int replaced = 0;
  bool limit_hit = false;  // stopped after `limit` replacements with an occurrence left
  bool recreated = false;  // some occurrence overlapped an earlier replacement
};

// Replaces the first occurrence of `search` on a character boundary by `replacement` and
// searches again from the start of the text as it then stands, until none is left or `limit`
// replacements were made. An occurrence that a replacement creates across its own left edge is
// therefore replaced too. An empty `search` replaces nothing. The search resumes just before the
// last replacement instead of at the start, which finds the same occurrences (the text before
// that point is unchanged and held none), and the new text is built in one pass, so the time is
// linear in the text and the bytes replaced, and the memory about twice the text.
ReplaceCount ReplaceOnCharBoundaries(std::string& text, std::string_view search,
                                     std::string_view replacement, int limit);

// True for a non-empty text of decimal digits only.
bool IsAllDigits(std::string_view text);

// The ChangeMarks letters of a main-grid row: "T" (time edited) is put in front, "C" (text) and
// "P" (style or margins) are appended; each letter is added only when absent.
inline constexpr char kTimeMark = 'T';
inline constexpr char kTextMark = 'C';
inline constexpr char kStyleMark = 'P';

// Adds `letter` to `marks` unless present: "T" in front, any other letter at the end. Returns
// true when the marks changed.
bool AddChangeMark(std::string& marks, char letter);
// Removes the first occurrence of `letter`; returns true when there was one.
bool RemoveChangeMark(std::string& marks, char letter);

}  // namespace proof

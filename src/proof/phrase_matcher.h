// PhraseMatcher: one automaton over GBK bytes for a list of search texts, finding in one pass
// over a text which of them occur there on a character boundary.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace proof {

// An Aho-Corasick automaton over the bytes of the search texts (the bytes they hold form its
// alphabet, every other byte one more letter). A match counts only when it starts on a character
// boundary of the text, as FindOnCharBoundary decides (a byte of 0x80 or above begins a two-byte
// character), so that the same bytes across two characters are never taken for a phrase.
// Building takes time and memory proportional to the total length of the texts times the
// number of distinct bytes in them; a search reads each byte of the text once, plus the
// phrases ending at each position.
class PhraseMatcher {
 public:
  PhraseMatcher() = default;
  // `patterns[i]` is phrase number i; empty patterns never match; equal patterns are allowed.
  explicit PhraseMatcher(const std::vector<std::string_view>& patterns);

  // The smallest phrase number >= `first` that occurs in `text` starting on a character
  // boundary; -1 when there is none. Not for concurrent use on one matcher (it reuses a buffer).
  int FirstOccurringFrom(std::string_view text, int first) const;

 private:
  std::size_t letters_ = 1;
  std::uint16_t letter_of_[256] = {};
  std::vector<std::int32_t> transitions_;  // per state, one edge per letter (see the build)
  // Per state: the phrases ending there, own ones first, then through the dictionary links, as
  // a range into `endings_` of (length, phrase number) pairs, sorted by phrase number within a
  // length. Empty for most states.
  struct Ending {
    std::uint32_t length;
    std::int32_t phrase;
  };
  std::vector<std::uint32_t> ending_begin_;  // states + 1 offsets into endings_
  std::vector<Ending> endings_;
  std::size_t longest_ = 0;                     // the longest phrase, in bytes
  mutable std::vector<std::uint8_t> boundary_;  // per text byte, 1 where a character starts
};

}  // namespace proof

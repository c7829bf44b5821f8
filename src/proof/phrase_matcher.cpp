// The phrase automaton: a byte trie of the search texts completed into a deterministic automaton
// (Aho-Corasick), with the phrases that end in each state listed beside it.
#include "proof/phrase_matcher.h"

#include <algorithm>
#include <deque>

namespace proof {

PhraseMatcher::PhraseMatcher(const std::vector<std::string_view>& patterns) {
  // The alphabet: letter 0 for every byte no pattern holds, then one per byte that one does.
  for (const std::string_view pattern : patterns) {
    for (const char c : pattern) {
      std::uint16_t& letter = letter_of_[static_cast<unsigned char>(c)];
      if (letter == 0) {
        letter = static_cast<std::uint16_t>(letters_++);
      }
    }
  }
  // The trie: -1 marks a missing edge until the breadth-first pass below fills it.
  transitions_.assign(letters_, -1);
  std::vector<std::uint32_t> depth = {0};
  std::vector<std::vector<std::int32_t>> own = {{}};
  for (std::size_t phrase = 0; phrase < patterns.size(); ++phrase) {
    const std::string_view pattern = patterns[phrase];
    if (pattern.empty()) {
      continue;
    }
    std::int32_t state = 0;
    for (const char c : pattern) {
      const std::size_t edge =
          static_cast<std::size_t>(state) * letters_ + letter_of_[static_cast<unsigned char>(c)];
      if (transitions_[edge] < 0) {
        const auto added = static_cast<std::int32_t>(depth.size());
        transitions_[edge] = added;
        depth.push_back(depth[static_cast<std::size_t>(state)] + 1);
        longest_ = std::max<std::size_t>(longest_, depth.back());
        own.emplace_back();
        transitions_.resize(transitions_.size() + letters_, -1);
      }
      state = transitions_[edge];
    }
    own[static_cast<std::size_t>(state)].push_back(static_cast<std::int32_t>(phrase));
  }
  // Breadth first, each state's failure state is known before its children's: a missing edge
  // takes the failure state's edge, and a state's endings are its own followed by its failure
  // state's (the shorter phrases that end where it ends).
  const std::size_t states = depth.size();
  std::vector<std::int32_t> failure(states, 0);
  std::vector<std::vector<Ending>> endings(states);
  std::deque<std::int32_t> queue;
  for (std::size_t letter = 0; letter < letters_; ++letter) {
    std::int32_t& child = transitions_[letter];
    if (child < 0) {
      child = 0;
    } else {
      queue.push_back(child);
    }
  }
  while (!queue.empty()) {
    const std::int32_t state = queue.front();
    queue.pop_front();
    const auto s = static_cast<std::size_t>(state);
    for (const std::int32_t phrase : own[s]) {
      endings[s].push_back({depth[s], phrase});
    }
    const std::vector<Ending>& inherited = endings[static_cast<std::size_t>(failure[s])];
    endings[s].insert(endings[s].end(), inherited.begin(), inherited.end());
    for (std::size_t letter = 0; letter < letters_; ++letter) {
      std::int32_t& child = transitions_[s * letters_ + letter];
      const std::int32_t fallback =
          transitions_[static_cast<std::size_t>(failure[s]) * letters_ + letter];
      if (child < 0) {
        child = fallback;
      } else {
        failure[static_cast<std::size_t>(child)] = fallback;
        queue.push_back(child);
      }
    }
  }
  ending_begin_.reserve(states + 1);
  for (const std::vector<Ending>& list : endings) {
    ending_begin_.push_back(static_cast<std::uint32_t>(endings_.size()));
    endings_.insert(endings_.end(), list.begin(), list.end());
  }
  ending_begin_.push_back(static_cast<std::uint32_t>(endings_.size()));
  // Each edge becomes the offset of its target's row, times two, plus one when phrases end in
  // the target: a search step is then one load, with no multiplication and no look-up of the
  // endings for the many states where none end.
  for (std::int32_t& target : transitions_) {
    const auto t = static_cast<std::size_t>(target);
    const bool ends = ending_begin_[t] != ending_begin_[t + 1];
    target = static_cast<std::int32_t>(t * letters_ * 2 + (ends ? 1 : 0));
  }
}

int PhraseMatcher::FirstOccurringFrom(std::string_view text, int first) const {
  if (endings_.empty()) {
    return -1;
  }
  // The character boundaries of the last 64 bytes as bits (bit k: the byte k places back starts
  // a character), walked as FindOnCharBoundary walks them from the start of the text; longer
  // phrases read a flag per byte instead.
  const bool long_phrases = longest_ > 64;
  if (long_phrases) {
    boundary_.resize(text.size());
  }
  std::uint64_t recent = 0;
  int best = -1;
  std::size_t next_boundary = 0;
  std::size_t row = 0;  // the current state's row of edges
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const bool starts = i == next_boundary;
    if (starts) {
      next_boundary = i + (byte >= 0x80 ? 2 : 1);
    }
    recent = recent << 1 | (starts ? 1 : 0);
    if (long_phrases) {
      boundary_[i] = starts ? 1 : 0;
    }
    const auto edge = static_cast<std::uint32_t>(transitions_[row + letter_of_[byte]]);
    row = edge >> 1;
    if ((edge & 1) == 0) {
      continue;
    }
    const std::size_t state = row / letters_;
    const std::uint32_t end = ending_begin_[state + 1];
    for (std::uint32_t e = ending_begin_[state]; e < end; ++e) {
      const Ending& ending = endings_[e];
      if (ending.phrase < first || (best >= 0 && ending.phrase >= best)) {
        continue;
      }
      const bool on_boundary = long_phrases ? boundary_[i + 1 - ending.length] != 0
                                            : ((recent >> (ending.length - 1)) & 1) != 0;
      if (!on_boundary) {
        continue;
      }
      best = ending.phrase;
      if (best == first) {
        return best;
      }
    }
  }
  return best;
}

}  // namespace proof

// Reading unknown glyphs from the reference: pairing rows by time and aligning a line's items with
// the reference characters.
#include "ocr/reference_reading.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <tuple>

#include "document/subtitle_time.h"
#include "ocr/glyph_text.h"

namespace ocr {
namespace {

// Counts of readings are only ever compared with 0 and 1, so they are kept capped at 2.
int Capped(long long count) {
  return count > 2 ? 2 : static_cast<int>(count);
}

// Length of the GBK character starting at text[i]: two bytes for a lead byte of 0x80 or above
// with a byte after it, else one.
std::size_t CharacterLength(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(text[i]) >= 0x80 && i + 1 < text.size() ? 2 : 1;
}

// Marks whose ink spans most of the cell, unlike the other full-width punctuation.
bool IsWideMark(std::string_view character) {
  return character == "\xA1\xAA" /* — */ || character == "\xA1\xAB" /* ～ */ ||
         character == "\xA1\xAD" /* … */;
}

// The alignment of one line: forward and backward counts of readings over the items, and the
// number of ways each unknown run splits into the characters it is given.
class Aligner {
 public:
  Aligner(const std::vector<LineItem>& items, std::vector<std::string> characters, int glyph_width)
      : items_(items), chars_(std::move(characters)), glyph_width_(glyph_width) {
    const int n = static_cast<int>(items_.size());
    const int m = static_cast<int>(chars_.size());
    known_.resize(items_.size());
    for (int i = 0; i < n; ++i) {
      if (items_[i].kind == LineItem::Kind::kKnown) {
        known_[i] = ReferenceCharacters(items_[i].text);
      }
    }
    forward_.assign(n + 1, std::vector<int>(m + 1, 0));
    backward_.assign(n + 1, std::vector<int>(m + 1, 0));
    loose_forward_.assign(n + 1, std::vector<bool>(m + 1, false));
    loose_backward_.assign(n + 1, std::vector<bool>(m + 1, false));
    forward_[0][0] = 1;
    loose_forward_[0][0] = true;
    for (int i = 0; i < n; ++i) {
      for (int p = 0; p <= m; ++p) {
        for (int q = p; q <= m; ++q) {
          const int ways = forward_[i][p] > 0 ? Ways(i, p, q) : 0;
          forward_[i + 1][q] = Capped(forward_[i + 1][q] + 1LL * forward_[i][p] * ways);
          if (loose_forward_[i][p] && Admits(i, p, q)) {
            loose_forward_[i + 1][q] = true;
          }
        }
      }
    }
    backward_[n][m] = 1;
    loose_backward_[n][m] = true;
    for (int i = n - 1; i >= 0; --i) {
      for (int q = 0; q <= m; ++q) {
        for (int p = 0; p <= q; ++p) {
          const int ways = backward_[i + 1][q] > 0 ? Ways(i, p, q) : 0;
          backward_[i][p] = Capped(backward_[i][p] + 1LL * backward_[i + 1][q] * ways);
          if (loose_backward_[i + 1][q] && Admits(i, p, q)) {
            loose_backward_[i][p] = true;
          }
        }
      }
    }
  }

  int Readings() const {
    return forward_.back().back();
  }
  int CharacterCount() const {
    return static_cast<int>(chars_.size());
  }
  const std::string& Character(int p) const {
    return chars_[p];
  }

  // How many ways item i stands for characters p .. q-1 (capped at 2).
  int Ways(int i, int p, int q) {
    const LineItem& item = items_[i];
    switch (item.kind) {
      case LineItem::Kind::kKnown:
        return q - p == static_cast<int>(known_[i].size()) && KnownAt(i, p) ? 1 : 0;
      case LineItem::Kind::kSkipped:
        return q - p == 1 ? 1 : 0;
      case LineItem::Kind::kUnknown:
        return q > p ? Partitions(i, p, q, nullptr) : 0;
    }
    return 0;
  }

  // Whether item i may stand for characters p .. q-1 when widths are not looked at.
  bool Admits(int i, int p, int q) const {
    const LineItem& item = items_[i];
    switch (item.kind) {
      case LineItem::Kind::kKnown:
        return q - p == static_cast<int>(known_[i].size()) && KnownAt(i, p);
      case LineItem::Kind::kSkipped:
        return q - p == 1;
      case LineItem::Kind::kUnknown:
        return q > p;
    }
    return false;
  }

  // The number of ways (capped at 2) the segments of unknown run i split into consecutive
  // groups, one per character p .. q-1, each group as wide as its character allows. With
  // `first_group` and exactly one way, the number of segments of the first group.
  int Partitions(int i, int p, int q, int* first_group) {
    const auto key = std::make_tuple(i, p, q);
    if (first_group == nullptr) {
      if (const auto found = partitions_.find(key); found != partitions_.end()) {
        return found->second;
      }
    }
    const std::vector<Segment>& segments = items_[i].segments;
    const int k = static_cast<int>(segments.size());
    const int t = q - p;
    if (t > k || t <= 0) {
      partitions_[key] = 0;
      return 0;
    }
    // ways[j][u]: splits of the first j segments into the first u characters.
    std::vector<std::vector<int>> ways(k + 1, std::vector<int>(t + 1, 0));
    ways[0][0] = 1;
    for (int j = 1; j <= k; ++j) {
      for (int u = 1; u <= t && u <= j; ++u) {
        long long sum = 0;
        for (int a = u - 1; a < j; ++a) {
          if (ways[a][u - 1] > 0 &&
              WidthFits(chars_[p + u - 1], segments[j - 1].right - segments[a].left,
                        glyph_width_)) {
            sum += ways[a][u - 1];
          }
        }
        ways[j][u] = Capped(sum);
      }
    }
    const int result = ways[k][t];
    partitions_[key] = result;
    if (first_group != nullptr && result == 1) {
      // Walk the single split back from its last group to its first.
      int j = k;
      for (int u = t; u >= 1; --u) {
        for (int a = u - 1; a < j; ++a) {
          if (ways[a][u - 1] > 0 &&
              WidthFits(chars_[p + u - 1], segments[j - 1].right - segments[a].left,
                        glyph_width_)) {
            if (u == 1) {
              *first_group = j - a;
            }
            j = a;
            break;
          }
        }
      }
    }
    return result;
  }

  // Characters p .. q-1 that run i can take in some reading (widths counted), ordered by p.
  std::vector<std::pair<int, int>> Placements(int i) {
    std::vector<std::pair<int, int>> placements;
    const int m = CharacterCount();
    for (int p = 0; p <= m; ++p) {
      if (forward_[i][p] == 0) {
        continue;
      }
      for (int q = p + 1; q <= m; ++q) {
        if (backward_[i + 1][q] > 0 && Ways(i, p, q) > 0) {
          placements.emplace_back(p, q);
        }
      }
    }
    return placements;
  }

  // First characters run i can begin with when widths are not looked at.
  std::vector<int> LooseStarts(int i) const {
    std::vector<int> starts;
    const int m = CharacterCount();
    for (int p = 0; p < m; ++p) {
      if (!loose_forward_[i][p]) {
        continue;
      }
      for (int q = p + 1; q <= m; ++q) {
        if (loose_backward_[i + 1][q]) {
          starts.push_back(p);
          break;
        }
      }
    }
    return starts;
  }

 private:
  bool KnownAt(int i, int p) const {
    const auto& text = known_[i];
    if (p + text.size() > chars_.size()) {
      return false;
    }
    return std::equal(text.begin(), text.end(), chars_.begin() + p);
  }

  const std::vector<LineItem>& items_;
  std::vector<std::string> chars_;
  int glyph_width_;
  std::vector<std::vector<std::string>> known_;  // characters of each known item
  std::vector<std::vector<int>> forward_;        // readings of items < i over characters < p
  std::vector<std::vector<int>> backward_;       // readings of items >= i over characters >= p
  std::vector<std::vector<bool>> loose_forward_;
  std::vector<std::vector<bool>> loose_backward_;
  std::map<std::tuple<int, int, int>, int> partitions_;
};

}  // namespace

std::string PairedReferenceText(const document::RowTable& reference, std::string_view start,
                                std::string_view end) {
  const auto s = document::ReadCellTime(start);
  const auto e = document::ReadCellTime(end);
  if (!s || !e) {
    return {};
  }
  document::Milliseconds best = 0;
  int best_row = 0;
  for (int row = 1; row < reference.RowCount(); ++row) {
    const auto rs = document::ReadCellTime(reference.Cell(document::kStart, row));
    const auto re = document::ReadCellTime(reference.Cell(document::kEnd, row));
    if (!rs || !re) {
      continue;
    }
    const document::Milliseconds overlap = std::min(*e, *re) - std::max(*s, *rs);
    if (overlap > best) {
      best = overlap;
      best_row = row;
    }
  }
  return best_row > 0 ? reference.Cell(document::kText, best_row) : std::string();
}

std::vector<std::string> ReferenceLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    // Override tags of SSA ({\i1}) and SRT (<i>) are no glyphs; an unclosed brace is text.
    if (c == '{' || c == '<') {
      const std::size_t close = text.find(c == '{' ? '}' : '>', i + 1);
      if (close != std::string_view::npos) {
        i = close + 1;
        continue;
      }
    }
    if (c == '\\' && i + 1 < text.size() && text[i + 1] == 'N') {
      lines.emplace_back();
      i += 2;
      continue;
    }
    const std::size_t length = CharacterLength(text, i);
    lines.back().append(text.substr(i, length));
    i += length;
  }
  return lines;
}

std::vector<std::string> ReferenceCharacters(std::string_view line) {
  std::vector<std::string> characters;
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t length = CharacterLength(line, i);
    const std::string_view character = line.substr(i, length);
    i += length;
    if (character == " " || character == "\t" || character == "\r" ||
        character == "\xA1\xA1" /* ideographic space */) {
      continue;
    }
    characters.emplace_back(character);
  }
  return characters;
}

bool WidthFits(std::string_view character, int width, int glyph_width) {
  if (glyph_width <= 0 || width < 1) {
    return false;
  }
  const long long hundredths = width * 100LL;
  const long long standard = glyph_width;
  if (IsIdeograph(character)) {
    return hundredths >= 60 * standard && hundredths <= 112 * standard;
  }
  if (character.size() == 1) {
    // Latin capitals of a CJK font are wider than its punctuation: N, A, D about 0.6 to 0.8 S_G.
    const bool alphanumeric = std::isalnum(static_cast<unsigned char>(character[0])) != 0;
    return hundredths <= (alphanumeric ? 100 : 70) * standard;
  }
  const bool narrow = IsFullWidthPunctuation(character) && !IsWideMark(character);
  return hundredths <= (narrow ? 70 : 112) * standard;
}

ReferenceReading ReadFromReference(const std::vector<LineItem>& items, int run,
                                   std::string_view reference_line, int glyph_width) {
  ReferenceReading reading;
  if (run < 0 || run >= static_cast<int>(items.size()) ||
      items[run].kind != LineItem::Kind::kUnknown) {
    return reading;
  }
  Aligner aligner(items, ReferenceCharacters(reference_line), glyph_width);
  const bool any_skipped = std::any_of(items.begin(), items.end(), [](const LineItem& item) {
    return item.kind == LineItem::Kind::kSkipped;
  });
  const auto placements = aligner.Placements(run);
  if (aligner.Readings() == 1 && !any_skipped && placements.size() == 1) {
    const auto [p, q] = placements.front();
    int first_group = 0;
    if (aligner.Partitions(run, p, q, &first_group) == 1 && first_group > 0) {
      reading.certain = true;
      reading.text = aligner.Character(p);
      reading.segment_count = first_group;
      reading.candidates = {reading.text};
      return reading;
    }
  }
  // Not sure: offer what the reference may hold here, from the readings that fit the widths,
  // else from those that only fit the known glyphs, else by counting the characters before.
  std::vector<int> starts;
  for (const auto& [p, q] : placements) {
    starts.push_back(p);
  }
  if (starts.empty()) {
    starts = aligner.LooseStarts(run);
  }
  if (starts.empty()) {
    int before = 0;
    for (int i = 0; i < run; ++i) {
      before += items[i].kind == LineItem::Kind::kKnown
                    ? static_cast<int>(ReferenceCharacters(items[i].text).size())
                    : 1;
    }
    if (before < aligner.CharacterCount()) {
      starts.push_back(before);
    }
  }
  for (const int p : starts) {
    const std::string& character = aligner.Character(p);
    if (std::find(reading.candidates.begin(), reading.candidates.end(), character) ==
        reading.candidates.end()) {
      reading.candidates.push_back(character);
    }
    if (static_cast<int>(reading.candidates.size()) == kMaxReferenceCandidates) {
      break;
    }
  }
  return reading;
}

}  // namespace ocr

// Reading unknown glyphs from a reference subtitle: the reference row that goes with a picture
// row, and the alignment of a line's unknown ink with the reference characters the known
// glyphs leave over.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document/row_table.h"
#include "ocr/segmentation.h"

namespace ocr {

// The text (GBK) of the row of `reference` (a table with text, start and end columns as the
// main table has them) that overlaps the time start .. end the longest; the first such row on a
// tie. Rows that only touch the time (one ends where the other starts) do not overlap. Empty
// when no row overlaps or a time cannot be read.
std::string PairedReferenceText(const document::RowTable& reference, std::string_view start,
                                std::string_view end);

// The lines of a reference text: cut at each "\N", with tags ({...} and <...>) removed.
std::vector<std::string> ReferenceLines(std::string_view text);

// The characters of one reference line that glyphs stand for (GBK; a byte of 0x80 or above
// begins a two-byte character): spaces, tabs and ideographic spaces left out.
std::vector<std::string> ReferenceCharacters(std::string_view line);

// One item of a text line as the walk sees it, left to right.
struct LineItem {
  enum class Kind {
    kKnown,    // a glyph whose text is known (matched or taught)
    kUnknown,  // a run of segments nothing in the library matches
    kSkipped,  // a glyph the user skipped: one character, nothing known of it
  };
  Kind kind = Kind::kKnown;
  std::string text;               // kKnown: the glyph's text (GBK)
  std::vector<Segment> segments;  // kUnknown: the run's segments, left to right
};

// What the reference says about the first glyph of one unknown run.
struct ReferenceReading {
  // True when the line has exactly one reading: every known glyph falls on its own characters
  // of the reference, every unknown run takes the characters between them, and the run's
  // segments split into those characters' glyphs in exactly one way that fits their widths.
  // Never true on a line with a skipped glyph.
  bool certain = false;
  // When certain: the first glyph of the run, its text and how many of the run's segments it
  // takes (at least 1).
  std::string text;
  int segment_count = 0;
  // The reference's characters that may stand at the run's first glyph, most likely first, at
  // most kMaxReferenceCandidates; the certain text alone when certain. Empty when the
  // reference has nothing to offer at this place.
  std::vector<std::string> candidates;
};

inline constexpr int kMaxReferenceCandidates = 3;

// Whether a group of segments `width` columns wide (ink from the first segment's left to the
// last one's right) may be the glyph of `character`, for the standard glyph width S_G: an
// ideograph is about one S_G (0.6 to 1.12 S_G), an ASCII letter or digit at most one S_G, a
// narrow mark (other ASCII, full-width punctuation but for the dash, ellipsis and wave) at most
// 0.7 S_G, anything else at most 1.12 S_G.
bool WidthFits(std::string_view character, int width, int glyph_width);

// Aligns `items` (one text line) with the characters of `reference_line` and reads the first
// glyph of the unknown run items[run]. Every reference character must be accounted for: a
// reference with a character the line lacks, or without one the line shows, gives no reading.
// With glyph_width <= 0 nothing is certain. Costs O(items × characters² × segments²) at most.
ReferenceReading ReadFromReference(const std::vector<LineItem>& items, int run,
                                   std::string_view reference_line, int glyph_width);

}  // namespace ocr

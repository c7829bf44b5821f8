// Finding text lines in the PixelGrid, cutting a line into glyph segments, fitting a glyph box.
#pragma once

#include <string>
#include <vector>

#include "ocr/pixel_grid.h"

namespace ocr {

// The engine's tuning, read at each use. Sizes are pixels; the three track-bar positions run 0 to
// 10. A size of 0 switches off the rules that depend on it.
struct EngineOptions {
  int line_height = 0;       // standard line height S_L
  int glyph_width = 0;       // standard glyph width S_G
  int line_detection = 2;    // p1: share of S_L below which a line piece is joined to the next
  int space_detection = 4;   // p3: space unit is S_G × (p3 + 1) / 8 columns
  int space_width = 8;       // p4: 11 - p4 space characters per space unit
  bool ignore_size = false;  // FeatureLines without the width and height fields
  // Teaching assistance; all off (and the placeholder empty) gives the walk as it always was.
  // A question opens with the box widened over the following segments while it stays at most
  // 1.12 × S_G wide.
  bool fitted_box = true;
  // Questions carry the library's nearest shapes as suggestions.
  bool suggestions = true;
  // With a reference subtitle, glyphs the reference reads for certain are taught without a
  // question and the others get the reference's character as a suggestion.
  bool reference_teaching = true;
  // Questions carry the OCR guess of the glyph (when the recogniser has a guesser).
  bool ocr_guess = true;
  // No spaces beside a full-width punctuation mark, nor between two ideographs less than 1.5
  // space units apart.
  bool chinese_spaces = true;
  // The text a skipped glyph leaves (GBK): "□" by default, "" for nothing.
  std::string skip_placeholder = "\xA1\xF5";

  // Every assistance off: the walk as it always was.
  void SwitchAssistanceOff() {
    fitted_box = false;
    suggestions = false;
    reference_teaching = false;
    ocr_guess = false;
    chinese_spaces = false;
    skip_placeholder.clear();
  }
};

// A text line: its first grid row and its height in rows.
struct TextLine {
  int top = 0;
  int height = 0;
};

// A run of ink columns: `left` is its first column, `right` the first column after it.
struct Segment {
  int left = 0;
  int right = 0;
};

// The rectangle being matched, in grid coordinates.
struct GlyphBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

inline constexpr int kMaxTextLines = 10;
inline constexpr int kMaxSegments = 100;

// The text lines of the prepared picture, top to bottom, at most kMaxTextLines (further lines are
// ignored). Short pieces are joined with the ink below them and overly tall bands are cut at
// one standard line height, as `options.line_height` and `options.line_detection` steer.
void FindTextLines(const PixelGrid& grid, const EngineOptions& options,
                   std::vector<TextLine>& lines);

// The ink runs of the band of rows top .. top + height - 1, left to right, at most kMaxSegments.
// A run wider than 1.5 × `glyph_width` is cut at one glyph width (the pieces touch).
void CutSegments(const PixelGrid& grid, int top, int height, int glyph_width,
                 std::vector<Segment>& segments);

// Shrinks the box's rows to those holding ink within its columns. Returns false, leaving the box
// as it is, when the box holds no ink.
bool FitBoxHeight(const PixelGrid& grid, GlyphBox& box);

}  // namespace ocr

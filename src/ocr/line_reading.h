// Reading a whole text line with an OCR engine and giving each of the line's glyphs the symbol
// the engine read there: the engine's symbol boxes lag to the right of the ink, so a symbol is
// not simply given to the glyph it overlaps most.
#pragma once

#include <string>
#include <vector>

#include "ocr/glyph_guess.h"
#include "ocr/segmentation.h"

namespace ocr {

// One symbol of an engine's reading of a line: its text (GBK) and its columns in the line's
// grid coordinates (left inclusive, right exclusive), and the engine's confidence 0..100.
struct LineSymbol {
  std::string text;
  int left = 0;
  int right = 0;
  int confidence = 0;
};

// One glyph of the line as the walk cut it: its columns (left inclusive, right exclusive). A
// glyph made of two segments (a split character) is one glyph spanning both.
struct LineGlyph {
  int left = 0;
  int right = 0;
};

// How far an engine's symbol boxes lag behind the ink, in hundredths of the standard glyph
// width: symbols are shifted left by this much before their centres are compared.
inline constexpr int kSymbolLagPercent = 30;

// The reading of each glyph of a line from the engine's symbols (one entry per glyph, in order;
// "" where no symbol falls): when there are as many symbols as glyphs they are given in order;
// otherwise each symbol goes to the glyph whose centre is nearest to the symbol's centre shifted
// left by kSymbolLagPercent of `glyph_width`, and a glyph that draws several symbols keeps the
// nearest. Inside a CJK line (`cjk_line`) the ASCII marks : ! ? , < > become their full-width
// forms. Each entry carries its glyph's columns.
std::vector<LineSymbol> AlignLineSymbols(const std::vector<LineSymbol>& symbols,
                                         const std::vector<LineGlyph>& glyphs, bool cjk_line,
                                         int glyph_width);

// An engine that reads a whole text line. Not thread-safe.
class LineReader {
 public:
  virtual ~LineReader() = default;
  // The symbols read in `band` (a line band, ink black), in reading order, with their columns
  // in the band picture's pixels; empty when the engine reads nothing or cannot run. Texts GBK;
  // symbols GBK lacks are left out.
  virtual std::vector<LineSymbol> ReadLine(const GuessPicture& band) = 0;
};

// The full-width GBK form of an ASCII mark : ! ? , < > (the mark itself for any other text).
std::string FullWidthMark(const std::string& text);

// True when a line's known texts (GBK) hold more ideographs than Latin letters and digits: its
// ASCII marks are then read as full-width ones.
bool IsCjkLine(const std::vector<std::string>& texts);

// The band of a text line scaled for a line reading: the height kept between kMinLineBand and
// kMaxLineBand pixels (scale factor in hundredths, 100 when the line already lies in it).
inline constexpr int kMinLineBand = 16;
inline constexpr int kMaxLineBand = 32;
int LineBandScalePercent(int line_height);

}  // namespace ocr

// Giving a line reading's symbols to the line's glyphs.
#include "ocr/line_reading.h"

#include <cstdlib>
#include <limits>

#include "ocr/glyph_text.h"

namespace ocr {
namespace {

// Centres in hundredths of a column, so that half columns stay exact.
long long CentreOf(int left, int right) {
  return (static_cast<long long>(left) + right) * 50;
}

}  // namespace

std::string FullWidthMark(const std::string& text) {
  // GBK's full-width forms row (A3): the ASCII character c sits at A3 (c + 0x80).
  if (text.size() == 1) {
    switch (text[0]) {
      case ':':
      case '!':
      case '?':
      case ',':
      case '<':
      case '>': {
        std::string mark = "\xA3";
        mark += static_cast<char>(static_cast<unsigned char>(text[0]) + 0x80);
        return mark;
      }
      default:
        break;
    }
  }
  return text;
}

bool IsCjkLine(const std::vector<std::string>& texts) {
  int ideographs = 0;
  int latin = 0;
  for (const std::string& text : texts) {
    if (IsIdeograph(text)) {
      ++ideographs;
    }
    for (const char c : text) {
      if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
        ++latin;
      }
    }
  }
  return ideographs > latin;
}

std::vector<LineSymbol> AlignLineSymbols(const std::vector<LineSymbol>& symbols,
                                         const std::vector<LineGlyph>& glyphs, bool cjk_line,
                                         int glyph_width) {
  std::vector<LineSymbol> aligned(glyphs.size());
  if (symbols.size() == glyphs.size()) {
    // Most lines: the engine saw the glyphs the walk cut, one symbol each.
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
      aligned[i] = symbols[i];
    }
  } else {
    // The engine joined or split some: nearest centres, after undoing the lag of its boxes.
    const long long lag = static_cast<long long>(glyph_width) * kSymbolLagPercent;
    std::vector<long long> best(glyphs.size(), std::numeric_limits<long long>::max());
    for (const LineSymbol& symbol : symbols) {
      const long long centre = CentreOf(symbol.left, symbol.right) - lag;
      std::size_t nearest = glyphs.size();
      long long nearest_distance = std::numeric_limits<long long>::max();
      for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const long long distance = std::llabs(CentreOf(glyphs[i].left, glyphs[i].right) - centre);
        if (distance < nearest_distance) {
          nearest_distance = distance;
          nearest = i;
        }
      }
      if (nearest < glyphs.size() && nearest_distance < best[nearest]) {
        best[nearest] = nearest_distance;
        aligned[nearest] = symbol;
      }
    }
  }
  if (cjk_line) {
    for (LineSymbol& symbol : aligned) {
      symbol.text = FullWidthMark(symbol.text);
    }
  }
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    aligned[i].left = glyphs[i].left;
    aligned[i].right = glyphs[i].right;
  }
  return aligned;
}

int LineBandScalePercent(int line_height) {
  if (line_height <= 0) {
    return 100;
  }
  if (line_height > kMaxLineBand) {
    return kMaxLineBand * 100 / line_height;
  }
  if (line_height < kMinLineBand) {
    return (kMinLineBand * 100 + line_height - 1) / line_height;
  }
  return 100;
}

}  // namespace ocr

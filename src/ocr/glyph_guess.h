// The picture of one glyph as an OCR engine is given it, and the interface of an engine that
// guesses the glyph's text (the teaching question offers the guess as a suggestion).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ocr/pixel_grid.h"
#include "ocr/segmentation.h"

namespace ocr {

// A grey picture, one byte a pixel, rows top down: 0 = ink, 255 = background.
struct GuessPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width × height

  std::uint8_t At(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// The height, in pixels, that the glyph's line is scaled to, and the white margin around it.
inline constexpr int kGuessLineHeight = 48;
inline constexpr int kGuessMargin = 12;

// The glyph at `box` of `grid` for a guess: the box's columns over the rows of its text line
// (line_top .. line_top + line_height - 1), so that a mark keeps its size and place in the line (a
// comma low, a middle dot in the middle); ink black, everything else white; scaled by
// kGuessLineHeight / line_height (each pixel the ink share of the area it covers) and framed
// by kGuessMargin white pixels. Empty (0 × 0) for a box or line without area.
GuessPicture GuessPictureOf(const PixelGrid& grid, const GlyphBox& box, int line_top,
                            int line_height);

// The same for any height: the box's columns over the line band scaled to `target_height`
// rows (width in proportion), framed by `margin` white pixels. GuessPictureOf is this with
// kGuessLineHeight and kGuessMargin.
GuessPicture ScaledBandPicture(const PixelGrid& grid, const GlyphBox& box, int line_top,
                               int line_height, int target_height, int margin);

// An engine that reads single glyphs. Not thread-safe: each thread uses its own.
class GlyphGuesser {
 public:
  virtual ~GlyphGuesser() = default;
  // The engine's reading of the glyph in GBK, "" when it reads nothing usable or cannot run.
  // Never an error: a guess is only ever a suggestion.
  virtual std::string Guess(const GuessPicture& picture) = 0;

  // Every reading the engine has for the glyph, best first, each with its confidence (0..100),
  // those it would not offer as a guess included; the guess itself (when given) comes first
  // with `offered` set. By default Guess's text alone, offered, confidence 80.
  struct GuessReading {
    std::string text;  // GBK
    int confidence = 0;
    bool offered = false;
  };
  virtual std::vector<GuessReading> Readings(const GuessPicture& picture) {
    std::string text = Guess(picture);
    if (text.empty()) {
      return {};
    }
    return {{std::move(text), 80, true}};
  }
};

}  // namespace ocr

// Which palette colours of a subtitle picture are the ink that recognition reads, and the
// picture of that ink cropped to the subtitle, black on white.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "import/subtitle_bitmap.h"

namespace import {

// How the ink is chosen among the opaque colours.
//   kAuto:    the text fill: the opaque colours fall into a light and a dark class by
//             luminance; the class whose pixels border the transparent background least is the
//             outline's inside, the fill. One class only (no outline): every opaque colour.
//   kFill:    the lighter class (every opaque colour when there is one class).
//   kOutline: the darker class (every opaque colour when there is one class).
//   kAll:     every opaque colour.
enum class InkMode { kAuto, kFill, kOutline, kAll };

struct InkOptions {
  InkMode mode = InkMode::kAuto;
  // When set (0-255), it replaces the mode: a pixel is ink when it is opaque and its luminance
  // is this or more.
  std::optional<int> threshold;
};

// What a picture's ink turned out to be, for the report.
enum class InkUsed { kFill, kOutline, kAllOpaque, kThreshold };

// The ink of one picture: per palette index, whether its pixels are ink.
struct InkChoice {
  std::array<bool, 256> is_ink{};
  InkUsed used = InkUsed::kAllOpaque;
};

// Classifies the palette of `bitmap` as `options` says. Uses only the colours the picture shows.
InkChoice ChooseInk(const SubtitleBitmap& bitmap, const InkOptions& options);

// A black-and-white picture: true = ink (black), false = white.
struct InkPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> ink;  // row-major, 1 = ink
  bool At(int column, int row) const {
    return ink[static_cast<std::size_t>(row) * width + column] != 0;
  }
};

// The opaque area of a picture: columns left..right and rows top..bottom, inclusive.
struct PictureBox {
  int left = 0;
  int top = 0;
  int right = -1;
  int bottom = -1;
  bool Empty() const {
    return right < left || bottom < top;
  }
};
// The smallest box holding every opaque pixel of `bitmap`; Empty() when there is none.
PictureBox OpaqueBox(const SubtitleBitmap& bitmap);

// White border kept around the opaque area of a picture.
inline constexpr int kCropMargin = 4;

// The ink of `bitmap`, cropped to its opaque pixels plus `margin` white pixels on every side.
// A picture without opaque pixels gives a 0x0 picture.
InkPicture RenderInk(const SubtitleBitmap& bitmap, const InkChoice& choice,
                     int margin = kCropMargin);
// RenderInk into `picture`, whose buffer is reused: the same picture, without a new allocation
// once the buffer is large enough.
void RenderInkInto(const SubtitleBitmap& bitmap, const InkChoice& choice, InkPicture& picture,
                   int margin = kCropMargin);

// The ink of `bitmap` at half size, for pictures of video twice as large as recognition's
// glyphs: each 2x2 block of the video frame (blocks start at even frame columns and rows)
// becomes one pixel, cropped to the blocks that hold opaque pixels plus `margin` white pixels.
// A block is ink when at least two of its four pixels are ink, except when those two are just
// its right column or just its bottom row. So a stroke two pixels wide becomes one pixel wide
// wherever it lies, a stroke of 2n pixels n, one of 2n + 1 pixels n or n + 1; a lone pixel goes,
// and a stroke one pixel wide stays only on an even column or row. A picture without opaque
// pixels gives a 0x0 picture.
InkPicture RenderHalfInk(const SubtitleBitmap& bitmap, const InkChoice& choice,
                         int margin = kCropMargin);

// "fill", "outline", "all", "threshold": how reports name an InkUsed.
std::string InkUsedName(InkUsed used);

}  // namespace import

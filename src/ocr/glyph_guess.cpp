// The glyph picture handed to an OCR engine: cut over the line band, scaled, framed in white.
#include "ocr/glyph_guess.h"

#include <algorithm>
#include <cmath>

namespace ocr {

GuessPicture GuessPictureOf(const PixelGrid& grid, const GlyphBox& box, int line_top,
                            int line_height) {
  return ScaledBandPicture(grid, box, line_top, line_height, kGuessLineHeight, kGuessMargin);
}

GuessPicture ScaledBandPicture(const PixelGrid& grid, const GlyphBox& box, int line_top,
                               int line_height, int target_height, int margin) {
  GuessPicture picture;
  if (box.width < 1 || line_height < 1 || target_height < 1) {
    return picture;
  }
  const double scale = static_cast<double>(target_height) / line_height;
  const int inner_width = std::max(1, static_cast<int>(std::lround(box.width * scale)));
  const int inner_height = target_height;
  const int frame = std::max(0, margin);
  picture.width = inner_width + 2 * frame;
  picture.height = inner_height + 2 * frame;
  picture.pixels.assign(static_cast<std::size_t>(picture.width) * picture.height, 255);
  // Each target pixel covers the source rectangle [x0, x1) × [y0, y1) in source pixels; its grey
  // is the background share of that rectangle, every source pixel weighted by the part of it
  // inside. The same rule serves enlarging (a share of one pixel) and shrinking.
  const double step_x = static_cast<double>(box.width) / inner_width;
  const double step_y = static_cast<double>(line_height) / inner_height;
  for (int ty = 0; ty < inner_height; ++ty) {
    const double y0 = ty * step_y;
    const double y1 = y0 + step_y;
    for (int tx = 0; tx < inner_width; ++tx) {
      const double x0 = tx * step_x;
      const double x1 = x0 + step_x;
      double ink = 0;
      for (int sy = static_cast<int>(y0); sy < y1 && sy < line_height; ++sy) {
        const double wy = std::min<double>(sy + 1, y1) - std::max<double>(sy, y0);
        for (int sx = static_cast<int>(x0); sx < x1 && sx < box.width; ++sx) {
          if (grid.Ink(box.left + sx, line_top + sy)) {
            ink += wy * (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0));
          }
        }
      }
      const double share = ink / (step_x * step_y);
      const int grey = static_cast<int>(std::lround(255.0 * (1.0 - std::clamp(share, 0.0, 1.0))));
      picture.pixels[static_cast<std::size_t>(ty + frame) * picture.width + tx + frame] =
          static_cast<std::uint8_t>(grey);
    }
  }
  return picture;
}

}  // namespace ocr

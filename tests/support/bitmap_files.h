// Windows bitmap files written byte by byte for tests, in every kind the readers accept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// How a bitmap file is laid out. Colours are 0x00BBGGRR.
struct BitmapLayout {
  int bits = 24;                          // 1, 4, 8, 16, 24 or 32
  std::uint32_t compression = 0;          // 0 none, 1 RLE8, 2 RLE4, 3 bit fields, 6 with alpha
  bool top_down = false;                  // rows top first (negative height)
  std::uint32_t header = 40;              // 12, 40, 52, 56, 108 or 124 bytes
  std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha: bit fields, V2+ headers
  std::vector<std::uint32_t> palette;     // colours, for 1 to 8 bits (padded with black to
                                          // the full count for the core header)
  std::uint32_t colours_used = 0;         // the header's count; 0 writes palette.size()
};

// Pixel values, top row first: palette indices for 1 to 8 bits, raw 16- or 32-bit pixel values,
// or 0x00BBGGRR colours for 24 bits.
using PixelValues = std::vector<std::vector<std::uint32_t>>;

// The whole file. RLE kinds are encoded with repeat runs, literal runs of three or more
// differing pixels, an end of line after each row and an end of picture.
std::string EncodeBitmap(const PixelValues& values, const BitmapLayout& layout);

}  // namespace testing_support

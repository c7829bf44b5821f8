// Helpers of the import tests: bitmaps from role pictures, expected ink, and reading BMPs back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "import/ink.h"
#include "import/subtitle_bitmap.h"
#include "support/disc_streams.h"

namespace import_tests {

using testing_support::PixelRole;

// A SubtitleBitmap whose palette index i is the colour of role i, as the decoder shows it.
inline import::SubtitleBitmap BitmapOfRoles(const std::vector<std::uint8_t>& roles, int width,
                                            int height) {
  import::SubtitleBitmap bitmap;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.pixels = roles;
  bitmap.palette.resize(7);
  for (int role = 1; role < 7; ++role) {
    const auto r = static_cast<PixelRole>(role);
    const auto grey = static_cast<std::uint8_t>(testing_support::RoleLuminance(r));
    const std::uint8_t alpha = r == PixelRole::kOuterEdge ? 160 : r == PixelRole::kHalo ? 60 : 255;
    bitmap.palette[static_cast<std::size_t>(role)] = {grey, grey, grey, alpha};
  }
  return bitmap;
}

// The expected picture: roles cropped to their opaque area plus the margin, ink where `is_ink`.
inline import::InkPicture ExpectedInk(const std::vector<std::uint8_t>& roles, int width, int height,
                                      const std::function<bool(PixelRole)>& is_ink,
                                      int margin = import::kCropMargin) {
  int left = width;
  int right = -1;
  int top = height;
  int bottom = -1;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (testing_support::RoleIsOpaque(
              static_cast<PixelRole>(roles[static_cast<std::size_t>(y) * width + x]))) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  import::InkPicture picture;
  if (right < 0) {
    return picture;
  }
  picture.width = right - left + 1 + 2 * margin;
  picture.height = bottom - top + 1 + 2 * margin;
  picture.ink.assign(static_cast<std::size_t>(picture.width) * picture.height, 0);
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      const auto role = static_cast<PixelRole>(roles[static_cast<std::size_t>(y) * width + x]);
      picture.ink[static_cast<std::size_t>(y - top + margin) * picture.width + x - left + margin] =
          is_ink(role) ? 1 : 0;
    }
  }
  return picture;
}

// Counts the pixels where two pictures differ; a size mismatch counts every pixel of both.
inline int DifferingPixels(const import::InkPicture& a, const import::InkPicture& b) {
  if (a.width != b.width || a.height != b.height) {
    return a.width * a.height + b.width * b.height + 1;
  }
  int differ = 0;
  for (std::size_t i = 0; i < a.ink.size(); ++i) {
    differ += (a.ink[i] != 0) != (b.ink[i] != 0) ? 1 : 0;
  }
  return differ;
}

// Reads a 24-bit bottom-up BMP of pure black and pure white back into an InkPicture; any other
// colour or layout gives a 0x0 picture with width -1.
inline import::InkPicture ReadInkBmp(const std::string& bytes) {
  import::InkPicture picture;
  auto u32 = [&bytes](std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
  };
  const int bits = bytes.size() < 54 ? 0 : static_cast<unsigned char>(bytes[28]);
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M' || (bits != 24 && bits != 1) ||
      u32(30) != 0) {
    picture.width = -1;
    return picture;
  }
  // A 1-bit bitmap must hold the black and white palette, black first.
  if (bits == 1 && (bytes.size() < 62 || u32(54) != 0 || u32(58) != 0xFFFFFF)) {
    picture.width = -1;
    return picture;
  }
  const auto width = static_cast<int>(u32(18));
  const auto height = static_cast<int>(u32(22));
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const std::size_t offset = u32(10);
  if (bytes.size() < offset + stride * static_cast<std::size_t>(height)) {
    picture.width = -1;
    return picture;
  }
  picture.width = width;
  picture.height = height;
  picture.ink.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const std::size_t line = offset + stride * static_cast<std::size_t>(height - 1 - y);
    for (int x = 0; x < width; ++x) {
      if (bits == 1) {
        const auto byte = static_cast<unsigned char>(bytes[line + static_cast<std::size_t>(x) / 8]);
        picture.ink[static_cast<std::size_t>(y) * width + x] = ((byte >> (7 - x % 8)) & 1) ? 0 : 1;
        continue;
      }
      const std::string bgr = bytes.substr(line + static_cast<std::size_t>(x) * 3, 3);
      if (bgr == std::string(3, '\0')) {
        picture.ink[static_cast<std::size_t>(y) * width + x] = 1;
      } else if (bgr != std::string(3, '\xFF')) {
        picture.width = -1;
        return picture;
      }
    }
  }
  return picture;
}

}  // namespace import_tests

// SubtitleBitmap: one decoded display set of a disc subtitle, as palette indexes and a palette.
#pragma once

#include <cstdint>
#include <vector>

namespace import {

// Milliseconds since the start of the stream.
using Milliseconds = std::int64_t;

// A palette colour with straight (not premultiplied) alpha: 0 = transparent, 255 = opaque.
struct Rgba {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  std::uint8_t a = 0;
  bool operator==(const Rgba&) const = default;
};

// Alpha from which a palette colour counts as opaque (the half-way point; anti-aliased edges
// fade through it).
inline constexpr int kOpaqueAlpha = 128;

// Luminance 0-255 of a colour as shown: Y = 0.299 R + 0.587 G + 0.114 B, rounded.
inline int Luminance(const Rgba& colour) {
  return (299 * colour.r + 587 * colour.g + 114 * colour.b + 500) / 1000;
}
inline bool IsOpaque(const Rgba& colour) {
  return colour.a >= kOpaqueAlpha;
}

// One display set: every object of it composed into one rectangle of the video frame. Pixels
// outside all objects are `kBackgroundIndex`, a transparent palette entry.
struct SubtitleBitmap {
  static constexpr int kBackgroundIndex = 0;

  int entry = 0;           // 1-based number of the display set in the stream, empty ones counted
  Milliseconds start = 0;  // shown from
  Milliseconds end = 0;    // shown until (exclusive); always > start
  bool forced = false;     // the stream marks it as forced (shown even with subtitles off)
  int x = 0;               // top-left corner on the video frame
  int y = 0;
  // The video frame the picture is placed on, in pixels (PGS: the presentation size; VobSub: the
  // .idx's size); 0 when the stream does not say.
  int video_width = 0;
  int video_height = 0;
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // row-major palette indexes, width * height
  std::vector<Rgba> palette;         // at most 256 colours; entry 0 is transparent

  std::uint8_t At(int column, int row) const {
    return pixels[static_cast<std::size_t>(row) * width + column];
  }
};

}  // namespace import

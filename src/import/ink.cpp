// Ink choice by palette luminance and enclosure, and the cropped black-on-white rendering.
#include "import/ink.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace import {
namespace {

// Two opaque classes closer than this in mean luminance are one: the picture has no outline.
constexpr double kMinClassContrast = 48.0;

struct ColourStats {
  std::int64_t pixels = 0;
  std::int64_t bordering = 0;  // pixels with a 4-neighbour that is not opaque, or the edge
};

// Per palette index: pixel count and how many of them touch the transparent background.
std::array<ColourStats, 256> Measure(const SubtitleBitmap& bitmap,
                                     const std::array<bool, 256>& opaque) {
  std::array<ColourStats, 256> stats{};
  const int width = bitmap.width;
  const int height = bitmap.height;
  const std::uint8_t* pixels = bitmap.pixels.data();
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* line = pixels + static_cast<std::size_t>(row) * width;
    const std::uint8_t* above = row > 0 ? line - width : nullptr;
    const std::uint8_t* below = row + 1 < height ? line + width : nullptr;
    for (int column = 0; column < width; ++column) {
      const std::uint8_t index = line[column];
      if (!opaque[index]) {
        continue;
      }
      ColourStats& entry = stats[index];
      ++entry.pixels;
      const bool border = column == 0 || !opaque[line[column - 1]] || column + 1 == width ||
                          !opaque[line[column + 1]] || above == nullptr || !opaque[above[column]] ||
                          below == nullptr || !opaque[below[column]];
      entry.bordering += border ? 1 : 0;
    }
  }
  return stats;
}

}  // namespace

InkChoice ChooseInk(const SubtitleBitmap& bitmap, const InkOptions& options) {
  InkChoice choice;
  const std::size_t colours = std::min<std::size_t>(bitmap.palette.size(), 256);
  std::array<bool, 256> opaque{};
  for (std::size_t i = 0; i < colours; ++i) {
    opaque[i] = IsOpaque(bitmap.palette[i]);
  }
  if (options.threshold) {
    choice.used = InkUsed::kThreshold;
    for (std::size_t i = 0; i < colours; ++i) {
      choice.is_ink[i] = opaque[i] && Luminance(bitmap.palette[i]) >= *options.threshold;
    }
    return choice;
  }
  choice.used = InkUsed::kAllOpaque;
  choice.is_ink = opaque;
  if (options.mode == InkMode::kAll) {
    return choice;
  }

  const std::array<ColourStats, 256> stats = Measure(bitmap, opaque);
  // Two-means over the luminance of the opaque pixels, each colour weighted by its pixels:
  // start from the darkest and the lightest colour shown, then move each colour to the nearer
  // mean until nothing moves. Anti-aliasing colours thus join the class they are nearer.
  double dark = 256.0;
  double light = -1.0;
  for (std::size_t i = 0; i < colours; ++i) {
    if (stats[i].pixels > 0) {
      const double y = Luminance(bitmap.palette[i]);
      dark = std::min(dark, y);
      light = std::max(light, y);
    }
  }
  if (light < 0.0 || light - dark < kMinClassContrast) {
    return choice;  // nothing shown, or a single class
  }
  std::array<bool, 256> in_light{};
  for (int round = 0; round < 32; ++round) {
    bool moved = false;
    double sums[2] = {0.0, 0.0};
    double weights[2] = {0.0, 0.0};
    for (std::size_t i = 0; i < colours; ++i) {
      if (stats[i].pixels == 0) {
        continue;
      }
      const double y = Luminance(bitmap.palette[i]);
      const bool lighter = std::abs(y - light) < std::abs(y - dark);
      moved = moved || lighter != in_light[i];
      in_light[i] = lighter;
      sums[lighter ? 1 : 0] += y * static_cast<double>(stats[i].pixels);
      weights[lighter ? 1 : 0] += static_cast<double>(stats[i].pixels);
    }
    if (weights[0] == 0.0 || weights[1] == 0.0) {
      return choice;
    }
    dark = sums[0] / weights[0];
    light = sums[1] / weights[1];
    if (!moved && round > 0) {
      break;
    }
  }
  if (light - dark < kMinClassContrast) {
    return choice;
  }

  bool fill_is_light = true;
  if (options.mode == InkMode::kOutline) {
    fill_is_light = false;
  } else if (options.mode == InkMode::kAuto) {
    // The outline borders the background; the fill lies inside it. Compare the share of each
    // class's pixels that touch the background (cross-multiplied to stay in integers).
    std::int64_t pixels[2] = {0, 0};
    std::int64_t bordering[2] = {0, 0};
    for (std::size_t i = 0; i < colours; ++i) {
      pixels[in_light[i] ? 1 : 0] += stats[i].pixels;
      bordering[in_light[i] ? 1 : 0] += stats[i].bordering;
    }
    fill_is_light = bordering[1] * pixels[0] <= bordering[0] * pixels[1];
  }
  const bool outline_wanted = options.mode == InkMode::kOutline;
  choice.used = outline_wanted ? InkUsed::kOutline : InkUsed::kFill;
  for (std::size_t i = 0; i < colours; ++i) {
    choice.is_ink[i] = opaque[i] && in_light[i] == fill_is_light;
  }
  return choice;
}

PictureBox OpaqueBox(const SubtitleBitmap& bitmap) {
  std::array<bool, 256> opaque{};
  for (std::size_t i = 0; i < std::min<std::size_t>(bitmap.palette.size(), 256); ++i) {
    opaque[i] = IsOpaque(bitmap.palette[i]);
  }
  const int width = bitmap.width;
  PictureBox box{width, bitmap.height, -1, -1};
  for (int row = 0; row < bitmap.height; ++row) {
    const std::uint8_t* line = bitmap.pixels.data() + static_cast<std::size_t>(row) * width;
    // Only what could widen the box is looked at: the columns left of it, right of it, and
    // between them only until one opaque pixel shows that the row counts.
    int first = 0;
    while (first < width && first < box.left && !opaque[line[first]]) {
      ++first;
    }
    int last = width - 1;
    while (last >= first && last > box.right && !opaque[line[last]]) {
      --last;
    }
    bool shown = (first < width && opaque[line[first]]) || (last >= 0 && opaque[line[last]]);
    for (int column = first; !shown && column <= last; ++column) {
      shown = opaque[line[column]];
    }
    if (!shown) {
      continue;
    }
    if (first < box.left && opaque[line[first]]) {
      box.left = first;
    }
    if (last > box.right && opaque[line[last]]) {
      box.right = last;
    }
    box.top = std::min(box.top, row);
    box.bottom = row;
  }
  return box;
}

InkPicture RenderInk(const SubtitleBitmap& bitmap, const InkChoice& choice, int margin) {
  const PictureBox box = OpaqueBox(bitmap);
  InkPicture picture;
  if (box.Empty()) {
    return picture;
  }
  picture.width = box.right - box.left + 1 + 2 * margin;
  picture.height = box.bottom - box.top + 1 + 2 * margin;
  picture.ink.assign(static_cast<std::size_t>(picture.width) * picture.height, 0);
  for (int row = box.top; row <= box.bottom; ++row) {
    const std::uint8_t* line = bitmap.pixels.data() + static_cast<std::size_t>(row) * bitmap.width;
    std::uint8_t* out = picture.ink.data() +
                        static_cast<std::size_t>(row - box.top + margin) * picture.width + margin;
    for (int column = box.left; column <= box.right; ++column) {
      out[column - box.left] = choice.is_ink[line[column]] ? 1 : 0;
    }
  }
  return picture;
}

namespace {

// Rounds down, for frame coordinates left of the frame too.
int HalfDown(int value) {
  return value >= 0 ? value / 2 : -((1 - value) / 2);
}

// Block bits: 1 top left, 2 top right, 4 bottom left, 8 bottom right.
constexpr unsigned kRightColumn = 2 | 8;
constexpr unsigned kBottomRow = 4 | 8;

// The halving rule of RenderHalfInk. A two-pixel pair counts unless it is the block's right
// column or bottom row: a stroke edge on an odd column or row then falls to the block on its
// other side, which holds the rest of the stroke, so that halving does not thicken strokes.
bool HalfBlockIsInk(unsigned bits) {
  const int count = std::popcount(bits);
  return count >= 3 || (count == 2 && bits != kRightColumn && bits != kBottomRow);
}

}  // namespace

InkPicture RenderHalfInk(const SubtitleBitmap& bitmap, const InkChoice& choice, int margin) {
  const PictureBox box = OpaqueBox(bitmap);
  InkPicture picture;
  if (box.Empty()) {
    return picture;
  }
  // The blocks, in half-size frame coordinates, that cover the opaque box.
  const int first_column = HalfDown(bitmap.x + box.left);
  const int last_column = HalfDown(bitmap.x + box.right);
  const int first_row = HalfDown(bitmap.y + box.top);
  const int last_row = HalfDown(bitmap.y + box.bottom);
  picture.width = last_column - first_column + 1 + 2 * margin;
  picture.height = last_row - first_row + 1 + 2 * margin;
  picture.ink.assign(static_cast<std::size_t>(picture.width) * picture.height, 0);
  // Pixels outside the box are not opaque and so never ink.
  const auto ink_at = [&](int frame_column, int frame_row) -> unsigned {
    const int column = frame_column - bitmap.x;
    const int row = frame_row - bitmap.y;
    if (column < box.left || column > box.right || row < box.top || row > box.bottom) {
      return 0;
    }
    return choice.is_ink[bitmap.At(column, row)] ? 1 : 0;
  };
  for (int row = first_row; row <= last_row; ++row) {
    std::uint8_t* out = picture.ink.data() +
                        static_cast<std::size_t>(row - first_row + margin) * picture.width + margin;
    for (int column = first_column; column <= last_column; ++column) {
      const unsigned bits = ink_at(2 * column, 2 * row) | ink_at(2 * column + 1, 2 * row) << 1 |
                            ink_at(2 * column, 2 * row + 1) << 2 |
                            ink_at(2 * column + 1, 2 * row + 1) << 3;
      out[column - first_column] = HalfBlockIsInk(bits) ? 1 : 0;
    }
  }
  return picture;
}

std::string InkUsedName(InkUsed used) {
  switch (used) {
    case InkUsed::kFill:
      return "fill";
    case InkUsed::kOutline:
      return "outline";
    case InkUsed::kAllOpaque:
      return "all";
    case InkUsed::kThreshold:
      return "threshold";
  }
  return "all";
}

}  // namespace import

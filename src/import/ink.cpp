// Ink choice by palette luminance and enclosure, and the cropped black-on-white rendering.
#include "import/ink.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace import {
namespace {

// Eight bytes are read and written as one word, the first byte in the low bits.
static_assert(std::endian::native == std::endian::little);
constexpr std::uint64_t kEveryByte = 0x0101010101010101ULL;

// Two opaque classes closer than this in mean luminance are one: the picture has no outline.
constexpr double kMinClassContrast = 48.0;

struct ColourStats {
  std::int64_t pixels = 0;
  std::int64_t bordering = 0;  // pixels with a 4-neighbour that is not opaque, or the edge
};

// out[i] = table[in[i]] for `count` indexes; eight equal indexes in a row, as the background and
// the inside of strokes give, take one look-up.
void MapIndexes(const std::uint8_t* in, std::size_t count,
                const std::array<std::uint8_t, 256>& table, std::uint8_t* out) {
  std::size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    std::uint64_t eight = 0;
    std::memcpy(&eight, in + i, sizeof eight);
    const std::uint8_t first = static_cast<std::uint8_t>(eight);
    if (eight == kEveryByte * first) {
      const std::uint64_t mapped = kEveryByte * table[first];
      std::memcpy(out + i, &mapped, sizeof mapped);
      continue;
    }
#pragma GCC unroll 8
    for (std::size_t k = 0; k < 8; ++k) {
      out[i + k] = table[in[i + k]];
    }
  }
  for (; i < count; ++i) {
    out[i] = table[in[i]];
  }
}

// Per palette index: pixel count and how many of them touch the transparent background.
// Only the opaque box is walked, a row of opaque marks at a time: the marks of the rows above
// and below and of the columns either side say whether a pixel borders the background. Marks
// outside the box are 0, as the pixels there are not opaque, and so is the picture's edge.
std::array<ColourStats, 256> Measure(const SubtitleBitmap& bitmap,
                                     const std::array<bool, 256>& opaque) {
  std::array<ColourStats, 256> stats{};
  const PictureBox box = OpaqueBox(bitmap);
  if (box.Empty()) {
    return stats;
  }
  std::array<std::uint8_t, 256> mark{};
  for (std::size_t i = 0; i < mark.size(); ++i) {
    mark[i] = opaque[i] ? 1 : 0;
  }
  const std::size_t span = static_cast<std::size_t>(box.right - box.left + 1);
  // Three rows of marks, each with a 0 either side and rounded up to whole 8-byte words.
  const std::size_t row_size = (span + 2 + 7) / 8 * 8 + 8;
  std::vector<std::uint8_t> rows(3 * row_size, 0);
  std::uint8_t* above = rows.data();
  std::uint8_t* here = above + row_size;
  std::uint8_t* below = here + row_size;
  const auto line_at = [&](int row) {
    return bitmap.pixels.data() + static_cast<std::size_t>(row) * bitmap.width + box.left;
  };
  const auto fill = [&](std::uint8_t* marks, int row) {
    if (row > box.bottom) {
      std::memset(marks, 0, row_size);
      return;
    }
    MapIndexes(line_at(row), span, mark, marks + 1);
  };
  fill(here, box.top);
  std::array<std::uint32_t, 256> pixels{};
  std::array<std::uint32_t, 256> inside{};
  for (int row = box.top; row <= box.bottom; ++row) {
    fill(below, row + 1);
    const std::uint8_t* line = line_at(row);
    // Eight pixels at a time: their marks, and which of them have four marked neighbours.
    for (std::size_t i = 0; i < span; i += 8) {
      const auto word = [](const std::uint8_t* at) {
        std::uint64_t eight = 0;
        std::memcpy(&eight, at, sizeof eight);
        return eight;
      };
      const std::uint64_t marked = word(here + 1 + i);
      if (marked == 0) {
        continue;
      }
      const std::uint64_t inner =
          marked & word(here + i) & word(here + 2 + i) & word(above + 1 + i) & word(below + 1 + i);
      if (marked == kEveryByte) {
        // Eight opaque pixels of one index, as inside a stroke, count at once.
        const std::uint64_t indexes = word(line + i);
        const std::uint8_t index = static_cast<std::uint8_t>(indexes);
        if (indexes == kEveryByte * index) {
          pixels[index] += 8;
          inside[index] += static_cast<std::uint32_t>((inner * kEveryByte) >> 56);
          continue;
        }
      }
#pragma GCC unroll 8
      for (std::size_t k = 0; k < 8; ++k) {
        if (((marked >> (8 * k)) & 1) != 0) {
          const std::uint8_t index = line[i + k];
          ++pixels[index];
          inside[index] += static_cast<std::uint32_t>((inner >> (8 * k)) & 1);
        }
      }
    }
    std::uint8_t* const old = above;
    above = here;
    here = below;
    below = old;
  }
  for (std::size_t i = 0; i < stats.size(); ++i) {
    stats[i].pixels = pixels[i];
    stats[i].bordering = pixels[i] - inside[i];
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
  const bool background_clear = !opaque[SubtitleBitmap::kBackgroundIndex];
  const int width = bitmap.width;
  PictureBox box{width, bitmap.height, -1, -1};
  for (int row = 0; row < bitmap.height; ++row) {
    const std::uint8_t* line = bitmap.pixels.data() + static_cast<std::size_t>(row) * width;
    // Only what could widen the box is looked at: the columns left of it, right of it, and
    // between them only until one opaque pixel shows that the row counts.
    // Eight background pixels (index 0, transparent) are passed over with one test.
    const auto clear_at = [&](int column) {
      std::uint64_t eight = 0;
      std::memcpy(&eight, line + column, sizeof eight);
      return background_clear && eight == 0;
    };
    int first = 0;
    while (first + 8 <= width && first + 8 <= box.left && clear_at(first)) {
      first += 8;
    }
    while (first < width && first < box.left && !opaque[line[first]]) {
      ++first;
    }
    int last = width - 1;
    while (last - 7 >= first && last - 7 > box.right && clear_at(last - 7)) {
      last -= 8;
    }
    while (last >= first && last > box.right && !opaque[line[last]]) {
      --last;
    }
    bool shown = (first < width && opaque[line[first]]) || (last >= 0 && opaque[line[last]]);
    int column = first;
    while (!shown && column + 8 <= last + 1 && clear_at(column)) {
      column += 8;
    }
    for (; !shown && column <= last; ++column) {
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
  InkPicture picture;
  RenderInkInto(bitmap, choice, picture, margin);
  return picture;
}

void RenderInkInto(const SubtitleBitmap& bitmap, const InkChoice& choice, InkPicture& picture,
                   int margin) {
  const PictureBox box = OpaqueBox(bitmap);
  if (box.Empty()) {
    picture.width = 0;
    picture.height = 0;
    picture.ink.clear();
    return;
  }
  const int span = box.right - box.left + 1;
  picture.width = span + 2 * margin;
  picture.height = box.bottom - box.top + 1 + 2 * margin;
  const std::size_t width = static_cast<std::size_t>(picture.width);
  // Every byte is written below: the buffer of an earlier picture is kept, not cleared first.
  picture.ink.resize(width * static_cast<std::size_t>(picture.height));
  std::uint8_t* const ink = picture.ink.data();
  const std::size_t band = width * static_cast<std::size_t>(margin);
  std::memset(ink, 0, band);
  std::memset(ink + picture.ink.size() - band, 0, band);
  std::array<std::uint8_t, 256> value{};
  for (std::size_t i = 0; i < value.size(); ++i) {
    value[i] = choice.is_ink[i] ? 1 : 0;
  }
  for (int row = box.top; row <= box.bottom; ++row) {
    const std::uint8_t* line =
        bitmap.pixels.data() + static_cast<std::size_t>(row) * bitmap.width + box.left;
    std::uint8_t* out = ink + band + static_cast<std::size_t>(row - box.top) * width;
    std::memset(out, 0, static_cast<std::size_t>(margin));
    out += margin;
    MapIndexes(line, static_cast<std::size_t>(span), value, out);
    std::memset(out + span, 0, static_cast<std::size_t>(margin));
  }
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

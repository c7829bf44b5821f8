// Trimming a subtitle picture and copying it into the PixelGrid.
#include "ocr/pixel_grid.h"

#include <algorithm>
#include <string>

namespace ocr {
namespace {

bool AllInk(const Colour* row, int first, int last) {
  for (int x = first; x <= last; ++x) {
    if (row[x] != kInkColour) {
      return false;
    }
  }
  return true;
}

bool AnyInk(const Colour* row, int first, int last) {
  for (int x = first; x <= last; ++x) {
    if (row[x] == kInkColour) {
      return true;
    }
  }
  return false;
}

}  // namespace

PixelGrid::PixelGrid() : cells_(static_cast<std::size_t>(kColumns) * kRows, 0) {}

text::Status PixelGrid::Prepare(const Picture& picture) {
  const int w = picture.Width();
  const int h = picture.Height();
  if (w + 1 > kColumns) {
    return text::Error{"size", "picture is " + std::to_string(w) + " pixels wide; at most " +
                                   std::to_string(kColumns - 1) + " can be recognised"};
  }
  // The row buffer has one extra column: column w, the added background column.
  row_.assign(static_cast<std::size_t>(w) + 1, kOutsideColour);
  auto read_row = [&](int y) {
    if (y >= 0 && y < h) {
      picture.ReadRow(y, row_.data());
    } else {
      std::fill(row_.begin(), row_.end(), kOutsideColour);
    }
    row_[w] = kOutsideColour;
  };

  // Bottom trim: up to three rows that are black from column 1 to w - 2 (a frame line) go.
  int area = h;
  for (int y = h - 1; y >= 0 && y >= h - 3; --y) {
    read_row(y);
    if (!AllInk(row_.data(), 1, w - 2)) {
      break;
    }
    area = y;
  }
  // Bottom margin: ink in the last kept row gets a background row below it. That row is painted
  // white, which matters when it is a trimmed frame row inside the bitmap.
  int white_row = -1;
  if (area >= 1) {
    read_row(area - 1);
    if (AnyInk(row_.data(), 1, w - 3)) {
      ++area;
      white_row = area - 1;
    }
  }
  auto read_area_row = [&](int y) {
    if (y == white_row) {
      std::fill(row_.begin(), row_.end(), kWhite);
    } else {
      read_row(y);
    }
  };
  const int width = w + 1;

  // Top trim: odd rows are probed; an ink row just above the first hit is kept too.
  int top = -1;
  for (int y = 1; y < area; y += 2) {
    read_area_row(y);
    if (AnyInk(row_.data(), 0, width - 1)) {
      read_area_row(y - 1);
      top = AnyInk(row_.data(), 0, width - 1) ? y - 1 : y;
      break;
    }
  }
  if (top < 0) {
    top = (area % 2 == 1) ? area : area + 1;
  }
  const int height = std::max(area - top, 0);
  if (height > kRows) {
    return text::Error{"size", "picture keeps " + std::to_string(height) +
                                   " rows after trimming; at most " + std::to_string(kRows) +
                                   " can be recognised"};
  }

  width_ = width;
  height_ = height;
  top_offset_ = top;
  for (int y = 0; y < height; ++y) {
    read_area_row(y + top);
    std::copy(row_.begin(), row_.begin() + width, cells_.begin() + Index(0, y));
  }
  return text::Success();
}

}  // namespace ocr

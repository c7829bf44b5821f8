// Trimming a subtitle picture and copying its ink into the PixelGrid.
#include "ocr/pixel_grid.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace ocr {
namespace {

bool AllInk(const std::uint8_t* row, int first, int last) {
  return last < first ||
         std::memchr(row + first, 0, static_cast<std::size_t>(last - first + 1)) == nullptr;
}

bool AnyInk(const std::uint8_t* row, int first, int last) {
  if (last < first) {
    return false;
  }
  return std::memchr(row + first, 1, static_cast<std::size_t>(last - first + 1)) != nullptr;
}

}  // namespace

PixelGrid::PixelGrid()
    : cells_(static_cast<std::size_t>(kColumns) * kRows, 0), row_ink_(kRows, 0) {}

text::Status PixelGrid::Fill(const Picture& picture) {
  const int w = picture.Width();
  const int h = picture.Height();
  if (w + 1 > kColumns) {
    return text::Error{"size", "picture is " + std::to_string(w) + " pixels wide; at most " +
                                   std::to_string(kColumns - 1) + " can be recognised"};
  }
  // The row buffer has one extra column: column w, the added background column.
  row_.resize(static_cast<std::size_t>(w) + 1);
  // Reads picture row y and tells whether it holds ink.
  auto read_row = [&](int y, std::uint8_t* out) {
    out[w] = 0;
    if (y >= 0 && y < h) {
      return picture.ReadInkRow(y, out);
    }
    std::memset(out, 0, static_cast<std::size_t>(w));
    return false;
  };

  // Bottom trim: up to three rows that are black from column 1 to w - 2 (a frame line) go.
  int area = h;
  for (int y = h - 1; y >= 0 && y >= h - 3; --y) {
    read_row(y, row_.data());
    if (!AllInk(row_.data(), 1, w - 2)) {
      break;
    }
    area = y;
  }
  // Bottom margin: ink in the last kept row gets a background row below it. That row counts as
  // painted white, which matters when it is a trimmed frame row inside the bitmap.
  int white_row = -1;
  if (area >= 1) {
    if (read_row(area - 1, row_.data()) && AnyInk(row_.data(), 1, w - 3)) {
      ++area;
      white_row = area - 1;
    }
  }
  auto read_area_row = [&](int y, std::uint8_t* out) {
    if (y == white_row) {
      std::memset(out, 0, static_cast<std::size_t>(w) + 1);
      return false;
    }
    return read_row(y, out);
  };
  const int width = w + 1;

  // Top trim: odd rows are probed; an ink row just above the first hit is kept too.
  int top = -1;
  for (int y = 1; y < area; y += 2) {
    if (read_area_row(y, row_.data())) {
      top = read_area_row(y - 1, row_.data()) ? y - 1 : y;
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
  white_row_ = white_row;
  picture_width_ = w;
  picture_height_ = h;
  // Rows go straight into the cells: the area is at most kColumns × kRows bytes.
  for (int y = 0; y < height; ++y) {
    row_ink_[static_cast<std::size_t>(y)] =
        read_area_row(y + top, cells_.data() + Index(0, y)) ? 1 : 0;
  }
  return text::Success();
}

text::Status PixelGrid::Prepare(const Picture& picture) {
  auto status = Fill(picture);
  if (!status.ok()) {
    return status;
  }
  colours_copied_ = true;
  colours_.resize(static_cast<std::size_t>(height_) * picture_width_);
  for (int y = 0; y < height_; ++y) {
    const int picture_row = y + top_offset_;
    if (picture_row < picture_height_ && picture_row != white_row_) {
      picture.ReadRow(picture_row, colours_.data() + static_cast<std::size_t>(y) * picture_width_);
    }
  }
  return status;
}

text::Status PixelGrid::Prepare(std::unique_ptr<Picture>& picture) {
  auto status = Fill(*picture);
  if (!status.ok()) {
    return status;
  }
  colours_copied_ = false;
  std::swap(picture_, picture);
  return status;
}

Colour PixelGrid::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return kOutsideColour;
  }
  const int picture_row = y + top_offset_;
  if (picture_row == white_row_) {
    return kWhite;
  }
  if (x >= picture_width_ || picture_row >= picture_height_) {
    return kOutsideColour;  // the added column, or the added row below the picture
  }
  if (colours_copied_) {
    return colours_[static_cast<std::size_t>(y) * picture_width_ + x];
  }
  return picture_->Pixel(x, picture_row);
}

}  // namespace ocr

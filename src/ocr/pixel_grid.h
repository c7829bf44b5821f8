// PixelGrid: the engine's fixed working picture, filled from a subtitle picture after trimming.
#pragma once

#include <vector>

#include "ocr/picture.h"
#include "text/result.h"

namespace ocr {

// 2000 columns × 1000 rows of colours. Only the current picture's area (columns 0 .. Width()-1,
// rows 0 .. Height()-1) is meaningful; every read outside it counts as background, whatever an
// earlier picture left there.
class PixelGrid {
 public:
  static constexpr int kColumns = 2000;
  static constexpr int kRows = 1000;

  PixelGrid();

  // Trims the picture (up to three full black rows at the bottom, empty rows at the top), adds a
  // background column at the right and, when ink touches the last kept row, a background row
  // below, and copies it into the grid. Never changes `picture`. Errors: code "size" when the
  // picture is wider than 1999 pixels or keeps more than 1000 rows after trimming (the grid
  // then keeps the previous picture). A picture without ink gives Height() == 0.
  text::Status Prepare(const Picture& picture);

  // Grid width W (picture width + 1) and text-area height H (0 when nothing was copied).
  int Width() const {
    return width_;
  }
  int Height() const {
    return height_;
  }
  // Picture row that grid row 0 came from.
  int TopOffset() const {
    return top_offset_;
  }

  // True when (x, y) lies in the current area and holds InkColour.
  bool Ink(int x, int y) const {
    return x >= 0 && y >= 0 && x < width_ && y < height_ && cells_[Index(x, y)] == kInkColour;
  }
  // Columns 0 .. Width() - 1 of area row y (0 <= y < Height()).
  const Colour* RowData(int y) const {
    return cells_.data() + Index(0, y);
  }
  // The colour at (x, y); kOutsideColour outside the current area.
  Colour At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
      return kOutsideColour;
    }
    return cells_[Index(x, y)];
  }

 private:
  static int Index(int x, int y) {
    return y * kColumns + x;
  }

  std::vector<Colour> cells_;
  std::vector<Colour> row_;  // one picture row, reused
  int width_ = 0;
  int height_ = 0;
  int top_offset_ = 0;
};

}  // namespace ocr

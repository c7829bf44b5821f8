// PixelGrid: the engine's fixed working picture, filled from a subtitle picture after trimming.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "ocr/picture.h"
#include "text/result.h"

namespace ocr {

// Room for 2000 columns × 1000 rows. Only the current picture's area (columns 0 .. Width()-1,
// rows 0 .. Height()-1) is meaningful; every read outside it counts as background, whatever an
// earlier picture left there. Every step after trimming asks only whether a pixel is ink, so the
// area is held as one byte per pixel (1 = ink); the colours stay with the picture, which the
// grid keeps (or copies) for At().
class PixelGrid {
 public:
  static constexpr int kColumns = 2000;
  static constexpr int kRows = 1000;

  PixelGrid();

  // Trims the picture (up to three full black rows at the bottom, empty rows at the top), adds a
  // background column at the right and, when ink touches the last kept row, a background row
  // below, and copies it into the grid. Never changes `picture`, and copies the colours of the
  // kept rows so that the picture may go away. Errors: code "size" when the picture is wider
  // than 1999 pixels or keeps more than 1000 rows after trimming (the grid then keeps the
  // previous picture). A picture without ink gives Height() == 0.
  text::Status Prepare(const Picture& picture);
  // As above, without copying colours: on success the grid takes `picture` over (At() reads its
  // colours until the next Prepare) and hands back in `picture` the one it held before (null at
  // first), so that its storage can be reused for the next file. On an error `picture` stays
  // with the caller. `picture` must not be null.
  text::Status Prepare(std::unique_ptr<Picture>& picture);

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
    return x >= 0 && y >= 0 && x < width_ && y < height_ && cells_[Index(x, y)] != 0;
  }
  // Columns 0 .. Width() - 1 of area row y (0 <= y < Height()): 1 for ink, 0 for background.
  const std::uint8_t* InkRow(int y) const {
    return cells_.data() + Index(0, y);
  }
  // Whether area row y (0 <= y < Height()) holds any ink: told by the picture as the row is
  // filled, so that finding lines reads no row again.
  bool RowHasInk(int y) const {
    return row_ink_[static_cast<std::size_t>(y)] != 0;
  }
  // The end of the storage the rows lie in: reading whole words past a row's last column is
  // safe (the bytes belong to later rows or to no area) as long as it stays before this.
  const std::uint8_t* StorageEnd() const {
    return cells_.data() + cells_.size();
  }
  // The colour at (x, y), as the picture showed it; the added column and row are white, and
  // kOutsideColour comes back outside the current area.
  Colour At(int x, int y) const;

 private:
  int Index(int x, int y) const {
    return y * width_ + x;
  }
  // Trims `picture` and fills the cells and metrics; the colour source is left to the caller.
  text::Status Fill(const Picture& picture);

  std::vector<std::uint8_t> cells_;    // the area, row after row, Width() bytes a row
  std::vector<std::uint8_t> row_;      // one picture row, reused
  std::vector<std::uint8_t> row_ink_;  // kRows flags, 1 for each area row that holds ink
  int width_ = 0;
  int height_ = 0;
  int top_offset_ = 0;
  int white_row_ = -1;  // picture row painted white below the ink, or -1
  int picture_width_ = 0;
  int picture_height_ = 0;
  // Where At() finds colours: the picture taken over, or the copy of the kept rows.
  std::unique_ptr<Picture> picture_;
  bool colours_copied_ = false;
  std::vector<Colour> colours_;  // kept picture rows top .. top + Height() - 1, picture width
};

}  // namespace ocr

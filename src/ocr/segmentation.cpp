// Line finding and glyph cutting over the PixelGrid.
#include "ocr/segmentation.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ocr/cpu_features.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ocr {
namespace {

// ORs the ink rows `rows` (count of them) into `marks`, columns `x` .. `columns` - 1, a vector of
// columns at a time kept in a register over all rows; returns the first column left undone.
#if defined(__x86_64__)
__attribute__((target("avx2"))) std::size_t OrRowsWide(const std::uint8_t* const* rows,
                                                       std::size_t count, std::size_t x,
                                                       std::size_t columns, unsigned char* marks) {
  for (; x + 32 <= columns; x += 32) {
    __m256i mark = _mm256_setzero_si256();
    for (std::size_t r = 0; r < count; ++r) {
      mark =
          _mm256_or_si256(mark, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[r] + x)));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(marks + x), mark);
  }
  return x;
}

std::size_t OrRows(const std::uint8_t* const* rows, std::size_t count, std::size_t x,
                   std::size_t columns, unsigned char* marks) {
  for (; x + 16 <= columns; x += 16) {
    __m128i mark = _mm_setzero_si128();
    for (std::size_t r = 0; r < count; ++r) {
      mark = _mm_or_si128(mark, _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[r] + x)));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(marks + x), mark);
  }
  return x;
}
#endif

// Marks the columns of the band that hold ink (ink bytes are 0 or 1, so OR-ing the band's rows
// marks the same columns), many columns at a time, over the rows that hold ink.
void MarkInkColumns(const PixelGrid& grid, int top, int height, std::vector<unsigned char>& ink) {
  const int width = grid.Width();
  ink.resize(static_cast<std::size_t>(width));
  const int first = std::max(top, 0);
  const int last = std::min(top + height, grid.Height());
  thread_local std::vector<const std::uint8_t*> rows;
  rows.clear();
  for (int y = first; y < last; ++y) {
    if (grid.RowHasInk(y)) {
      rows.push_back(grid.InkRow(y));
    }
  }
  unsigned char* marks = ink.data();
  const std::size_t columns = static_cast<std::size_t>(width);
  std::size_t x = 0;
#if defined(__x86_64__)
  if (HasAvx2()) {
    x = OrRowsWide(rows.data(), rows.size(), x, columns, marks);
  }
  x = OrRows(rows.data(), rows.size(), x, columns, marks);
#endif
  for (; x < columns; ++x) {
    unsigned char mark = 0;
    for (const std::uint8_t* row : rows) {
      mark |= row[x];
    }
    marks[x] = mark;
  }
}

// The index of the first byte of an eight-byte word (loaded with memcpy) that is not 0.
int FirstNonZeroByte(std::uint64_t word) {
  return std::endian::native == std::endian::little ? std::countr_zero(word) / 8
                                                    : std::countl_zero(word) / 8;
}

// The first column from x on whose mark is `wanted` (marks are 0 or 1), or `width`.
int NextColumn(const unsigned char* marks, int x, int width, unsigned char wanted) {
  // Flipping every mark of a word when a blank is looked for makes the column sought the first
  // byte that is not 0.
  const std::uint64_t flip = wanted != 0 ? 0 : 0x0101010101010101ULL;
  for (; x + 8 <= width; x += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, marks + x, 8);
    word ^= flip;
    if (word != 0) {
      return x + FirstNonZeroByte(word);
    }
  }
  while (x < width && marks[x] != wanted) {
    ++x;
  }
  return x;
}

}  // namespace

void FindTextLines(const PixelGrid& grid, const EngineOptions& options,
                   std::vector<TextLine>& lines) {
  lines.clear();
  const int standard = options.line_height;
  const int rows = grid.Height();
  bool open = false;  // a line has begun
  bool quiet = true;  // no ink since the last line was closed
  int pending = 0;    // height of a short piece waiting to be joined
  int top = 0;
  bool last_row_ink = false;
  int y = 0;
  while (y < rows && static_cast<int>(lines.size()) < kMaxTextLines) {
    if (!open) {
      top = y;
    }
    const bool ink = grid.RowHasInk(y);
    last_row_ink = ink;
    if (ink) {
      open = true;
      quiet = false;
    }
    if (ink || quiet) {
      ++y;
      continue;
    }
    // First empty row after ink.
    quiet = true;
    int height = y - top;
    int next = y + 1;
    if (standard > 0) {
      if (height < standard * (10 - options.line_detection) / 10) {
        pending = height;  // stays open: joined with the ink rows that follow
        ++y;
        continue;
      }
      if (height > standard * 3 / 2) {
        // A joined piece grown too tall gets its short height back; a band taller than one
        // and a half lines is cut at one standard height. The rest is scanned again.
        if (pending > 0) {
          height = pending;
          next = top + pending + 1;
        } else {
          height = standard;
          next = top + standard;
        }
      }
    }
    lines.push_back({top, height});
    pending = 0;
    open = false;
    y = next;
  }
  if (static_cast<int>(lines.size()) >= kMaxTextLines || y < rows) {
    return;
  }
  if (last_row_ink && !quiet) {
    lines.push_back({top, rows - top});
  } else if (pending > 0) {
    lines.push_back({top, pending});
  }
}

void CutSegments(const PixelGrid& grid, int top, int height, int glyph_width,
                 std::vector<Segment>& segments) {
  segments.clear();
  const int width = grid.Width();
  // Reused between calls so that cutting a line allocates nothing once warmed up.
  thread_local std::vector<unsigned char> column_ink;
  MarkInkColumns(grid, top, height, column_ink);
  const unsigned char* marks = column_ink.data();
  bool inside = false;
  int left = 0;
  int x = 0;
  while (x < width && static_cast<int>(segments.size()) < kMaxSegments) {
    // A run of ink columns opens a segment and the first blank column after it closes it.
    x = NextColumn(marks, x, width, 1);
    if (x == width) {
      break;
    }
    left = x;
    inside = true;
    x = NextColumn(marks, x + 1, width, 0);
    if (x == width) {
      break;
    }
    inside = false;
    if (glyph_width > 0 && x - left > glyph_width * 3 / 2) {
      // Too wide for one glyph: cut at one standard width; the cut column holds ink, so the
      // remainder opens the next segment when it is examined again.
      segments.push_back({left, left + glyph_width});
      x = left + glyph_width;
      continue;
    }
    segments.push_back({left, x});
    ++x;
  }
  if (inside && static_cast<int>(segments.size()) < kMaxSegments) {
    segments.push_back({left, width});
  }
}

bool FitBoxHeight(const PixelGrid& grid, GlyphBox& box) {
  // Only the area holds ink: the box is clipped to it before its rows are searched.
  const int x_first = std::max(box.left, 0);
  const int x_stop = std::min(box.left + box.width, grid.Width());
  const int y_first = std::max(box.top, 0);
  const int y_stop = std::min(box.top + box.height, grid.Height());
  int first = -1;
  int last = -1;
  if (x_first < x_stop) {
    // The first inked row from the top and the first from the bottom: the rows between are not
    // read.
    const auto columns = static_cast<std::size_t>(x_stop - x_first);
    auto inked = [&](int y) {
      return std::memchr(grid.InkRow(y) + x_first, 1, columns) != nullptr;
    };
    for (int y = y_first; y < y_stop; ++y) {
      if (inked(y)) {
        first = y;
        break;
      }
    }
    for (int y = y_stop - 1; first >= 0 && y >= first; --y) {
      if (inked(y)) {
        last = y;
        break;
      }
    }
  }
  if (first < 0) {
    return false;
  }
  box.top = first;
  box.height = last - first + 1;
  return true;
}

}  // namespace ocr

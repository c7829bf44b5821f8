// FeatureLine computation. The arithmetic follows the library format exactly: libraries are
// shared between users, so every machine must produce the same digits.
#include "ocr/features.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace ocr {
namespace {

// Boxes of up to this many columns have their ink summed in bands (see ComputeFeatures).
constexpr long long kMaxBandColumns = 256;
constexpr std::size_t kBandSumsRoom = kMaxBandColumns + 16;

// Cells of up to this many pixels have their density worked out in integers (see below).
constexpr long long kExactIntegerCell = 1LL << 20;

// The decimal digits of every density, 0 to 1000: four characters (the unused ones 0) and the
// count used, so that a density is written with one copy.
struct DensityDigits {
  std::array<char, 4> text{};
  int length = 0;
};
constexpr auto kDensityDigits = [] {
  std::array<DensityDigits, 1001> table{};
  for (int value = 0; value <= 1000; ++value) {
    auto& entry = table[static_cast<std::size_t>(value)];
    entry.length = value >= 1000 ? 4 : value >= 100 ? 3 : value >= 10 ? 2 : 1;
    for (int i = entry.length - 1, rest = value; i >= 0; --i, rest /= 10) {
      entry.text[static_cast<std::size_t>(i)] = static_cast<char>('0' + rest % 10);
    }
  }
  return table;
}();

// Cells (row, column) with row + column even, row by row.
constexpr int kCells[kDensityCount][2] = {{0, 0}, {0, 2}, {0, 4}, {1, 1}, {1, 3}, {2, 0}, {2, 2},
                                          {2, 4}, {3, 1}, {3, 3}, {4, 0}, {4, 2}, {4, 4}};

// The sum of the bytes from `first` up to `stop` (ink bytes of 0 or 1, or band sums of at most
// 31), eight at a time: the bytes of a word, multiplied by 0x0101..01, sum into its top byte. The
// last part word is read whole and masked when the word lies before `end`.
long long CountInk(const std::uint8_t* first, const std::uint8_t* stop, const std::uint8_t* end) {
  constexpr std::uint64_t kSpread = 0x0101010101010101ULL;
  long long ink = 0;
  for (; stop - first >= 8; first += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, first, 8);
    ink += static_cast<long long>((word * kSpread) >> 56);
  }
  const auto rest = stop - first;
  if (rest > 0 && end - first >= 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, first, 8);
    const int kept = static_cast<int>(8 * rest);
    word &= std::endian::native == std::endian::little ? (std::uint64_t{1} << kept) - 1
                                                       : ~std::uint64_t{0} << (64 - kept);
    return ink + static_cast<long long>((word * kSpread) >> 56);
  }
  for (; first < stop; ++first) {
    ink += *first;
  }
  return ink;
}

// Adds the `count` ink bytes (0 or 1) from `row` to the byte sums `sums`, eight a word: no sum
// goes past 255, so no byte carries into the next.
void AddInk(const std::uint8_t* row, std::size_t count, std::uint8_t* sums) {
  std::size_t x = 0;
  for (; x + 8 <= count; x += 8) {
    std::uint64_t sum = 0;
    std::uint64_t add = 0;
    std::memcpy(&sum, sums + x, 8);
    std::memcpy(&add, row + x, 8);
    sum += add;
    std::memcpy(sums + x, &sum, 8);
  }
  for (; x < count; ++x) {
    sums[x] = static_cast<std::uint8_t>(sums[x] + row[x]);
  }
}

#if defined(__x86_64__)
// As SumBand below, for `Blocks` blocks of sixteen columns, the sums kept in registers over
// the rows and stored once.
template <int Blocks>
void SumBlocks(const PixelGrid& grid, int y_low, int y_high, std::size_t left, std::uint8_t* sums) {
  __m128i sum[Blocks];
  for (int block = 0; block < Blocks; ++block) {
    sum[block] = _mm_setzero_si128();
  }
  for (int y = y_low; y < y_high; ++y) {
    const std::uint8_t* row = grid.InkRow(y) + left;
    for (int block = 0; block < Blocks; ++block) {
      sum[block] = _mm_add_epi8(
          sum[block], _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 16 * block)));
    }
  }
  for (int block = 0; block < Blocks; ++block) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + 16 * block), sum[block]);
  }
  // Whole words read past the sums are masked, but read: they are zeros.
  _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + 16 * Blocks), _mm_setzero_si128());
}
#endif

// Sums the ink of columns left .. left + span - 1 over grid rows y_low .. y_high - 1 (at most 31
// of them) into one byte a column, `sums`, which has room for kBandSumsRoom bytes (span is at
// most kMaxBandColumns). Spans of up to 64 columns whose rows can be read that far are summed
// sixteen columns at a time; the sums past `span` are then of no use, but harmless, and the
// sixteen bytes after the blocks are zeros. Otherwise the sixteen bytes after the span are.
void SumBand(const PixelGrid& grid, int y_low, int y_high, std::size_t left, std::size_t span,
             std::uint8_t* sums) {
#if defined(__x86_64__)
  const std::size_t blocks = (span + 15) / 16;
  const bool readable = y_low >= y_high || grid.StorageEnd() - (grid.InkRow(y_high - 1) + left) >=
                                               static_cast<std::ptrdiff_t>(16 * blocks);
  if (readable) {
    switch (blocks) {
      case 1:
        SumBlocks<1>(grid, y_low, y_high, left, sums);
        return;
      case 2:
        SumBlocks<2>(grid, y_low, y_high, left, sums);
        return;
      case 3:
        SumBlocks<3>(grid, y_low, y_high, left, sums);
        return;
      case 4:
        SumBlocks<4>(grid, y_low, y_high, left, sums);
        return;
      default:
        break;
    }
  }
#endif
  std::memset(sums, 0, span + 16);
  for (int y = y_low; y < y_high; ++y) {
    AddInk(grid.InkRow(y) + left, span, sums);
  }
}

}  // namespace

int RoundOneDigit(int v) {
  int q = v / 10;
  const int d = v % 10;
  if (d > 5 || (d == 5 && q % 2 == 1)) {
    ++q;
  }
  return q;
}

int ComputeFeatures(const PixelGrid& grid, const GlyphBox& box, bool ignore_size,
                    std::string& line) {
  const float grid_size = 5.0F;
  // The quotient is taken wide and then kept in single precision, as the format requires.
  // Any box is safe here (counts are 64-bit and no loop leaves the picture); callers that take
  // boxes from users still refuse those outside the picture (BoxInPicture).
  float cell_width = static_cast<float>(box.width * 1.0 / static_cast<double>(grid_size));
  float cell_height = static_cast<float>(box.height * 1.0 / static_cast<double>(grid_size));
  int column_limit = 5;
  int row_limit = 5;
  if (cell_width < 1.0F) {
    cell_width = static_cast<float>(box.width);
    column_limit = 1;
  }
  if (cell_height < 1.0F) {
    cell_height = static_cast<float>(box.height);
    row_limit = 1;
  }
  const double cw = cell_width;
  const double ch = cell_height;
  // A cell's columns run from trunc(c × cw + L) while x < (c + 1) × cw + L; with a fractional
  // cw the last cell can reach one column past the box. Likewise for rows. The five column and
  // five row ranges are worked out once and shared by the cells, each also clipped to the
  // grid's area (`low` .. `high` - 1), where ink is looked for.
  struct Range {
    long long first = 0;
    long long stop = 0;
    long long low = 0;
    long long high = 0;
  };
  auto ranges = [](double size, int origin, int limit, long long area, Range* out) {
    for (int i = 0; i < limit; ++i) {
      Range& range = out[i];
      range.first = static_cast<long long>(std::trunc(i * size + origin));
      range.stop = static_cast<long long>(std::ceil((i + 1) * size + origin));
      range.low = std::max(range.first, 0LL);
      range.high = std::min(range.stop, area);
    }
  };
  Range columns_of[5];
  Range rows_of[5];
  ranges(cw, box.left, column_limit, grid.Width(), columns_of);
  ranges(ch, box.top, row_limit, grid.Height(), rows_of);
  // Band sums: for each row range, the ink of each column of the box over the range's rows, a
  // byte a column. With at most kMaxBandRows rows a range, eight bytes sum to at most 248, so a
  // cell's ink is summed a word at a time, and each picture row is read once or twice instead of
  // once for each cell beside it. Larger boxes are counted row by row.
  constexpr long long kMaxBandRows = 31;
  std::uint8_t band_ink[5][kBandSumsRoom];
  const long long span_low = columns_of[0].low;
  const long long span_high = columns_of[column_limit - 1].high;
  bool banded = span_low < span_high && span_high - span_low <= kMaxBandColumns;
  for (int r = 0; banded && r < row_limit; ++r) {
    banded = rows_of[r].high - rows_of[r].low <= kMaxBandRows;
  }
  if (banded) {
    const auto span = static_cast<std::size_t>(span_high - span_low);
    for (int r = 0; r < row_limit; ++r) {
      const Range& y = rows_of[r];
      SumBand(grid, static_cast<int>(y.low), static_cast<int>(std::max(y.low, y.high)),
              static_cast<std::size_t>(span_low), span, band_ink[r]);
    }
  }
  // The line is written into a buffer and stored at once: 13 densities of up to 4 digits and
  // two sizes of up to 11 characters, with commas, take at most 88 characters.
  char text[128];
  char* const text_end = text + sizeof text;
  char* out = text;
  auto put = [&out, text_end](int value, bool comma) {
    if (comma) {
      *out++ = ',';
    }
    if (value >= 0 && value <= 1000) {
      // Four characters copied, however many are used: the buffer has room past any line.
      const DensityDigits& digits = kDensityDigits[static_cast<std::size_t>(value)];
      std::memcpy(out, digits.text.data(), 4);
      out += digits.length;
      return;
    }
    out = std::to_chars(out, text_end - 1, value).ptr;
  };
  int key = 0;
  for (int cell = 0; cell < kDensityCount; ++cell) {
    const int r = kCells[cell][0];
    const int c = kCells[cell][1];
    int density = 0;
    if (c < column_limit && r < row_limit) {
      // The cell holds the integers first <= x < stop (and likewise for y). They are counted
      // rather than walked, and ink is only looked for where the picture is, so a box of any
      // size, even one reaching far outside the grid, costs at most the picture's own pixels.
      const Range x = columns_of[c];
      const Range y = rows_of[r];
      const long long columns = std::max(0LL, x.stop - x.first);
      const long long rows = std::max(0LL, y.stop - y.first);
      long long ink = 0;
      if (banded) {
        const std::uint8_t* sums = band_ink[r];
        ink = x.low < x.high ? CountInk(sums + (x.low - span_low), sums + (x.high - span_low),
                                        sums + (span_high - span_low) + 8)
                             : 0;
      } else if (x.low < x.high) {
        for (long long row_index = y.low; row_index < y.high; ++row_index) {
          const std::uint8_t* row = grid.InkRow(static_cast<int>(row_index));
          ink += CountInk(row + x.low, row + x.high, grid.StorageEnd());
        }
      }
      const long long pixels = columns * rows;
      if (pixels > 0) {
        // The format's quotient is trunc(ink × 100000.0 / pixels) in double precision. For a
        // cell of at most 2^20 pixels the integer quotient is the same number: both operands
        // are exact, and a quotient just below an integer k + 1 lies at least 1 / pixels
        // (>= 2^-20) below it, far more than the rounding of a double near k + 1 <= 100001
        // (< 2^-35), so the division never rounds up to k + 1.
        int v = 0;
        if (pixels <= kExactIntegerCell) {
          v = static_cast<int>(static_cast<std::uint64_t>(ink) * 100000U /
                               static_cast<std::uint64_t>(pixels));
        } else {
          v = static_cast<int>(
              std::trunc(static_cast<double>(ink) * 100000.0 / static_cast<double>(pixels)));
        }
        density = RoundOneDigit(RoundOneDigit(v));
      }
    }
    key += density;
    put(density, cell > 0);
  }
  if (!ignore_size) {
    put(box.width, true);
    put(box.height, true);
  }
  line.assign(text, out);
  return key;
}

bool BoxInPicture(const PixelGrid& grid, const GlyphBox& box) {
  const long long right = static_cast<long long>(box.left) + box.width;
  const long long bottom = static_cast<long long>(box.top) + box.height;
  return box.left >= 0 && box.top >= 0 && box.width > 0 && box.height > 0 &&
         right <= grid.Width() && bottom <= grid.Height();
}

std::string_view DensityPart(std::string_view feature_line) {
  int commas = 0;
  for (std::size_t i = 0; i < feature_line.size(); ++i) {
    if (feature_line[i] == ',' && ++commas == kDensityCount) {
      return feature_line.substr(0, i);
    }
  }
  return feature_line;
}

}  // namespace ocr

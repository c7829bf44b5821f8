// Writing test bitmaps.
#include "support/bitmap_files.h"

#include <cstddef>

namespace testing_support {
namespace {

void Put16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}
void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

std::string UncompressedRow(const std::vector<std::uint32_t>& row, int bits) {
  std::string out;
  const std::size_t width = row.size();
  switch (bits) {
    case 1:
    case 4:
    case 8: {
      const int per_byte = 8 / bits;
      for (std::size_t x = 0; x < width; x += per_byte) {
        unsigned byte = 0;
        for (int k = 0; k < per_byte; ++k) {
          const std::uint32_t value = x + k < width ? row[x + k] : 0;
          byte |= (value & ((1U << bits) - 1)) << (8 - bits * (k + 1));
        }
        out.push_back(static_cast<char>(byte));
      }
      break;
    }
    case 16:
      for (const std::uint32_t value : row) {
        Put16(out, value);
      }
      break;
    case 24:
      for (const std::uint32_t colour : row) {
        out.push_back(static_cast<char>((colour >> 16) & 0xFF));
        out.push_back(static_cast<char>((colour >> 8) & 0xFF));
        out.push_back(static_cast<char>(colour & 0xFF));
      }
      break;
    default:
      for (const std::uint32_t value : row) {
        Put32(out, value);
      }
      break;
  }
  while (out.size() % 4 != 0) {
    out.push_back(0);
  }
  return out;
}

std::string RleRow(const std::vector<std::uint32_t>& row, bool four) {
  std::string out;
  const std::size_t width = row.size();
  std::size_t x = 0;
  while (x < width) {
    std::size_t same = 1;
    while (x + same < width && row[x + same] == row[x] && same < 255) {
      ++same;
    }
    if (same == 1) {
      // A literal run while neighbours differ (at least three pixels, as the format asks).
      std::size_t n = 1;
      while (x + n < width && n < 255 && (x + n + 1 >= width || row[x + n] != row[x + n + 1])) {
        ++n;
      }
      if (n >= 3) {
        out.push_back(0);
        out.push_back(static_cast<char>(n));
        std::string literal;
        for (std::size_t k = 0; k < n; ++k) {
          if (!four) {
            literal.push_back(static_cast<char>(row[x + k]));
          } else if (k % 2 == 0) {
            literal.push_back(static_cast<char>(row[x + k] << 4));
          } else {
            literal.back() = static_cast<char>(literal.back() | row[x + k]);
          }
        }
        if (literal.size() % 2 != 0) {
          literal.push_back(0);
        }
        out += literal;
        x += n;
        continue;
      }
    }
    out.push_back(static_cast<char>(same));
    out.push_back(static_cast<char>(four ? (row[x] << 4 | row[x]) : row[x]));
    x += same;
  }
  out.push_back(0);
  out.push_back(0);
  return out;
}

}  // namespace

std::string EncodeBitmap(const PixelValues& values, const BitmapLayout& layout) {
  const int height = static_cast<int>(values.size());
  const int width = height > 0 ? static_cast<int>(values[0].size()) : 0;
  std::string pixels;
  const bool rle = layout.compression == 1 || layout.compression == 2;
  for (int i = 0; i < height; ++i) {
    const int y = layout.top_down ? i : height - 1 - i;
    pixels +=
        rle ? RleRow(values[y], layout.compression == 2) : UncompressedRow(values[y], layout.bits);
  }
  if (rle) {
    pixels += std::string("\0\1", 2);
  }

  std::string info;
  Put32(info, layout.header);
  if (layout.header == 12) {
    Put16(info, static_cast<std::uint32_t>(width));
    Put16(info, static_cast<std::uint32_t>(height));
    Put16(info, 1);
    Put16(info, static_cast<std::uint32_t>(layout.bits));
  } else {
    Put32(info, static_cast<std::uint32_t>(width));
    Put32(info, static_cast<std::uint32_t>(layout.top_down ? -height : height));
    Put16(info, 1);
    Put16(info, static_cast<std::uint32_t>(layout.bits));
    Put32(info, layout.compression);
    Put32(info, static_cast<std::uint32_t>(pixels.size()));
    Put32(info, 2835);
    Put32(info, 2835);
    Put32(info, layout.colours_used != 0 ? layout.colours_used
                                         : static_cast<std::uint32_t>(layout.palette.size()));
    Put32(info, 0);
    const bool fields = layout.compression == 3 || layout.compression == 6;
    // Masks sit in the header from 52 bytes on, else after a 40-byte header with bit fields.
    const int mask_count = layout.header >= 56                 ? 4
                           : layout.header == 52               ? 3
                           : fields && layout.compression == 6 ? 4
                           : fields                            ? 3
                                                               : 0;
    for (int i = 0; i < mask_count; ++i) {
      Put32(info, layout.masks[i]);
    }
    while (info.size() < layout.header && layout.header > 40) {
      info.push_back(0);  // colour space, end points, gamma, intent, profile: all zero
    }
  }
  std::vector<std::uint32_t> palette = layout.palette;
  if (layout.header == 12 && layout.bits <= 8) {
    palette.resize(std::size_t{1} << layout.bits, 0);  // the core header has no count: all
  }
  for (const std::uint32_t colour : palette) {
    info.push_back(static_cast<char>((colour >> 16) & 0xFF));
    info.push_back(static_cast<char>((colour >> 8) & 0xFF));
    info.push_back(static_cast<char>(colour & 0xFF));
    if (layout.header != 12) {
      info.push_back(0);
    }
  }
  std::string file = "BM";
  Put32(file, static_cast<std::uint32_t>(14 + info.size() + pixels.size()));
  Put32(file, 0);
  Put32(file, static_cast<std::uint32_t>(14 + info.size()));
  return file + info + pixels;
}

}  // namespace testing_support

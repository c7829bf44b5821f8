// The core bitmap reader: every kind gives the colours and ink it holds, bad files are refused
// without a read outside the bytes, and the grid prepared from it matches the grid prepared
// from the same picture in memory.
#include "ocr/bitmap_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/ocr/ocr_test_support.h"
#include "ocr/pixel_grid.h"
#include "support/bitmap_files.h"
#include "support/temp_dir.h"

namespace {

using testing_support::BitmapLayout;
using testing_support::EncodeBitmap;
using testing_support::PixelValues;

// Colours every kind can hold exactly (5-bit channels read back as multiples of 8), with a
// near-black that must not count as ink.
const std::vector<std::uint32_t> kColours = {0x000000, 0xF8F8F8, 0x0000F8, 0xF80000,
                                             0x00F800, 0x808080, 0x080808};
// Palette indices of the 9 × 3 test picture.
const std::vector<std::vector<int>> kIndices = {
    {0, 1, 1, 1, 2, 3, 4, 0, 0}, {5, 6, 0, 0, 0, 0, 0, 1, 2}, {1, 1, 1, 1, 1, 1, 0, 6, 6}};

// The raw pixel value of `colour` in a kind (a palette index for 1 to 8 bits).
std::uint32_t Raw(int index, const BitmapLayout& layout) {
  const std::uint32_t c = kColours[static_cast<std::size_t>(index)];
  const std::uint32_t r = c & 0xFF;
  const std::uint32_t g = (c >> 8) & 0xFF;
  const std::uint32_t b = (c >> 16) & 0xFF;
  if (layout.bits <= 8) {
    return layout.bits == 1 ? static_cast<std::uint32_t>(index == 0 ? 0 : 1)
                            : static_cast<std::uint32_t>(index);
  }
  if (layout.bits == 24) {
    return c;
  }
  if (layout.compression == 0) {
    return layout.bits == 16 ? (r >> 3) << 10 | (g >> 3) << 5 | b >> 3 : r << 16 | g << 8 | b;
  }
  // Bit fields: each channel at its mask's place, at the mask's precision.
  std::uint32_t value = 0;
  const std::uint32_t channels[4] = {r, g, b, 0xFF};
  for (int i = 0; i < 4; ++i) {
    const std::uint32_t mask = layout.masks[i];
    if (mask == 0) {
      continue;
    }
    int shift = 0;
    while (((mask >> shift) & 1) == 0) {
      ++shift;
    }
    int width = 0;
    while (shift + width < 32 && ((mask >> (shift + width)) & 1) != 0) {
      ++width;
    }
    value |= (channels[i] >> (8 - width)) << shift;
  }
  return value;
}

std::uint32_t Expected(int index, const BitmapLayout& layout) {
  if (layout.bits == 1) {
    return index == 0 ? 0x000000 : 0xF8F8F8;
  }
  return kColours[static_cast<std::size_t>(index)];
}

std::string TestFile(BitmapLayout layout, const std::vector<std::vector<int>>& indices = kIndices) {
  if (layout.bits <= 8) {
    layout.palette = layout.bits == 1 ? std::vector<std::uint32_t>{0x000000, 0xF8F8F8} : kColours;
  }
  PixelValues values;
  for (const auto& row : indices) {
    values.emplace_back();
    for (const int index : row) {
      values.back().push_back(Raw(index, layout));
    }
  }
  return EncodeBitmap(values, layout);
}

struct Kind {
  std::string name;
  BitmapLayout layout;
};

std::vector<Kind> EveryKind() {
  std::vector<Kind> kinds;
  auto add = [&kinds](std::string name, int bits, std::uint32_t compression, bool top_down,
                      std::uint32_t header, std::vector<std::uint32_t> masks = {}) {
    BitmapLayout layout;
    layout.bits = bits;
    layout.compression = compression;
    layout.top_down = top_down;
    layout.header = header;
    for (std::size_t i = 0; i < masks.size(); ++i) {
      layout.masks[i] = masks[i];
    }
    kinds.push_back({std::move(name), layout});
  };
  add("1-bit", 1, 0, false, 40);
  add("4-bit", 4, 0, false, 40);
  add("8-bit", 8, 0, false, 40);
  add("8-bit top-down", 8, 0, true, 40);
  add("RLE4", 4, 2, false, 40);
  add("RLE8", 8, 1, false, 40);
  add("16-bit 5-5-5", 16, 0, false, 40);
  add("16-bit 5-6-5 fields", 16, 3, false, 40, {0xF800, 0x07E0, 0x001F});
  add("24-bit", 24, 0, false, 40);
  add("24-bit top-down", 24, 0, true, 40);
  add("32-bit", 32, 0, false, 40);
  add("32-bit fields, red low", 32, 3, false, 40, {0x0000FF, 0x00FF00, 0xFF0000});
  add("32-bit alpha fields", 32, 6, false, 40, {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000});
  add("core header 8-bit", 8, 0, false, 12);
  add("core header 24-bit", 24, 0, false, 12);
  add("V2 header fields", 32, 3, false, 52, {0xFF0000, 0x00FF00, 0x0000FF});
  add("V3 header alpha", 32, 3, false, 56, {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000});
  add("V4 header 24-bit", 24, 0, false, 108);
  add("V4 header 16-bit fields", 16, 3, true, 108, {0x7C00, 0x03E0, 0x001F});
  add("V5 header 8-bit", 8, 0, false, 124);
  add("V5 header 32-bit alpha", 32, 3, false, 124, {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000});
  return kinds;
}

TEST(BitmapReader, EveryKindGivesItsColoursAndInk) {
  for (const Kind& kind : EveryKind()) {
    ocr::BitmapPicture picture;
    const auto decoded = picture.Decode(TestFile(kind.layout));
    ASSERT_TRUE(decoded.ok()) << kind.name << ": " << decoded.error().message;
    ASSERT_EQ(picture.Width(), 9) << kind.name;
    ASSERT_EQ(picture.Height(), 3) << kind.name;
    std::vector<std::uint8_t> ink(9);
    for (int y = 0; y < 3; ++y) {
      picture.ReadInkRow(y, ink.data());
      for (int x = 0; x < 9; ++x) {
        const std::uint32_t expected = Expected(kIndices[y][x], kind.layout);
        EXPECT_EQ(picture.Pixel(x, y), expected) << kind.name << " at " << x << "," << y;
        EXPECT_EQ(ink[x], expected == 0 ? 1 : 0) << kind.name << " at " << x << "," << y;
      }
    }
    EXPECT_EQ(picture.Pixel(9, 0), ocr::kOutsideColour) << kind.name;
    EXPECT_EQ(picture.Pixel(0, -1), ocr::kOutsideColour) << kind.name;
  }
}

// Rows are decoded several pixels at a time: every width around those steps, on every kind,
// gives the ink the colours say, up to the last pixel of the row and not beyond it.
TEST(BitmapReader, WideRowsOfEveryKindGiveTheInkOfTheirColours) {
  ocr_testing::TestRandom random(12345);
  auto next_index = [&random] { return random.Next(static_cast<int>(kColours.size())); };
  // One picture for every file, as the run reuses it: nothing of the previous file may stay.
  ocr::BitmapPicture picture;
  for (const Kind& kind : EveryKind()) {
    for (const int width : {1, 2, 3, 7, 8, 9, 15, 16, 17, 31, 33, 720, 721}) {
      // Rows 0 and 1 random, row 2 mostly background (index 1) as subtitles are, which the
      // decoder skips over in whole words, row 3 mostly ink (index 0), which it must not skip.
      std::vector<std::vector<int>> indices(4, std::vector<int>(static_cast<std::size_t>(width)));
      for (std::size_t y = 0; y < indices.size(); ++y) {
        for (std::size_t x = 0; x < indices[y].size(); ++x) {
          const int index = kind.layout.bits == 1 ? next_index() % 2 : next_index();
          indices[y][x] = y < 2 || x % 37 == 5 ? index : (y == 2 ? 1 : 0);
        }
      }
      const auto decoded = picture.Decode(TestFile(kind.layout, indices));
      ASSERT_TRUE(decoded.ok()) << kind.name << " " << width << ": " << decoded.error().message;
      // Rows decoded on demand, then all at once as the loader thread does it. One guard byte
      // past the row: the decoder must leave it alone.
      for (const bool all_at_once : {false, true}) {
        if (all_at_once) {
          picture.DecodeAllInk();
        }
        std::vector<std::uint8_t> ink(static_cast<std::size_t>(width) + 1, 7);
        for (int y = 0; y < 4; ++y) {
          picture.ReadInkRow(y, ink.data());
          for (int x = 0; x < width; ++x) {
            ASSERT_EQ(ink[x], Expected(indices[y][x], kind.layout) == 0 ? 1 : 0)
                << kind.name << " " << width << " wide, at " << x << "," << y
                << (all_at_once ? ", decoded at once" : "");
          }
          ASSERT_EQ(ink[width], 7) << kind.name << " " << width << " wide";
        }
      }
    }
  }
}

// A two-colour picture may have its ink at either index, at both or at none.
TEST(BitmapReader, OneBitInkFollowsThePalette) {
  // A pattern, long runs of each index (whole words of each kind of byte), the pattern again.
  const std::vector<int> pattern = {0, 1, 1, 0, 1, 0, 0, 0, 1, 1, 1, 1, 0, 1, 0, 1, 1, 0, 1};
  std::vector<int> row = pattern;
  row.insert(row.end(), 200, 1);
  row.insert(row.end(), 200, 0);
  row.insert(row.end(), pattern.begin(), pattern.end());
  struct Case {
    std::vector<std::uint32_t> palette;
    std::uint8_t ink_at_0;
    std::uint8_t ink_at_1;
  };
  const Case cases[] = {{{0x000000, 0xFFFFFF}, 1, 0},
                        {{0xFFFFFF, 0x000000}, 0, 1},
                        {{0x000000, 0x000000}, 1, 1},
                        {{0xFFFFFF, 0x010101}, 0, 0},
                        {{0xFFFFFF}, 0, 1}};  // a one-entry palette: index 1 reads black
  for (const Case& c : cases) {
    BitmapLayout layout;
    layout.bits = 1;
    layout.palette = c.palette;
    PixelValues values(1);
    for (const int index : row) {
      values[0].push_back(static_cast<std::uint32_t>(index));
    }
    ocr::BitmapPicture picture;
    ASSERT_TRUE(picture.Decode(EncodeBitmap(values, layout)).ok());
    std::vector<std::uint8_t> ink(row.size());
    picture.ReadInkRow(0, ink.data());
    for (std::size_t x = 0; x < row.size(); ++x) {
      EXPECT_EQ(ink[x], row[x] == 0 ? c.ink_at_0 : c.ink_at_1)
          << "palette of " << c.palette.size() << " starting " << c.palette[0] << ", at " << x;
    }
  }
}

// A 4- or 8-bit picture's ink, plain or RLE, is every index whose palette entry is black,
// indices past a short palette included (they read black): one ink entry or none below such a
// tail, several ink entries, and a full palette, each over rows long enough for the vector steps.
TEST(BitmapReader, IndexInkFollowsThePalette) {
  std::vector<std::uint32_t> full(256, 0xFFFFFF);
  full[200] = 0x000000;
  std::vector<std::uint32_t> full_4(16, 0xFFFFFF);
  full_4[9] = 0x000000;
  const std::vector<std::vector<std::uint32_t>> short_palettes = {
      {0xFFFFFF, 0x000000, 0x808080},            // one ink entry, then indices 3.. read black
      {0xFFFFFF, 0x808080},                      // no ink entry, only the tail
      {0x000000, 0xFFFFFF, 0x000000, 0x808080},  // two ink entries
  };
  struct Case {
    int bits;
    std::uint32_t compression;
    std::vector<std::uint32_t> palette;
  };
  std::vector<Case> cases;
  for (const auto& palette : short_palettes) {
    for (const auto& [bits, compression] :
         std::vector<std::pair<int, std::uint32_t>>{{8, 0}, {8, 1}, {4, 0}, {4, 2}}) {
      cases.push_back({bits, compression, palette});
    }
  }
  for (const std::uint32_t compression : {0U, 1U}) {
    cases.push_back({8, compression, full});  // one ink entry, no tail
    cases.push_back({8, compression, std::vector<std::uint32_t>(256, 0x010101)});  // no ink
  }
  for (const std::uint32_t compression : {0U, 2U}) {
    cases.push_back({4, compression, full_4});
    cases.push_back({4, compression, std::vector<std::uint32_t>(16, 0x010101)});
  }
  ocr_testing::TestRandom random(99);
  ocr::BitmapPicture picture;
  for (const Case& c : cases) {
    BitmapLayout layout;
    layout.bits = c.bits;
    layout.compression = c.compression;
    layout.palette = c.palette;
    const std::uint32_t indices = 1U << c.bits;
    PixelValues values(3);
    for (auto& row : values) {
      for (int x = 0; x < 53; ++x) {
        // Mostly indices of the palette and around its end, some anywhere.
        const auto r = static_cast<std::uint32_t>(random.Next(512));
        row.push_back(r < 256 ? r % static_cast<std::uint32_t>(c.palette.size() + 2) % indices
                              : r % indices);
      }
    }
    ASSERT_TRUE(picture.Decode(EncodeBitmap(values, layout)).ok());
    std::vector<std::uint8_t> ink(53);
    for (int y = 0; y < 3; ++y) {
      picture.ReadInkRow(y, ink.data());
      for (std::size_t x = 0; x < ink.size(); ++x) {
        const std::uint32_t index = values[static_cast<std::size_t>(y)][x];
        const bool black = index >= c.palette.size() || c.palette[index] == 0x000000;
        ASSERT_EQ(ink[x], black ? 1 : 0)
            << c.bits << " bits, palette of " << c.palette.size() << ", compression "
            << c.compression << ", index " << index << " at " << x;
      }
    }
  }
}

TEST(BitmapReader, RleDeltasSkipPixelsAndOddLiteralsEndMidByte) {
  // 5 × 3, RLE4, palette 0 white, 1 black, 2 grey. Bottom row: delta (2, 0), then two black.
  // Middle row: literal of 3 (black, grey, black) then a white pair. Top row: five black.
  const std::string pixels(
      "\x00\x02\x02\x00\x02\x11\x00\x00"
      "\x00\x03\x12\x10\x02\x00\x00\x00"
      "\x05\x11\x00\x01",
      20);
  BitmapLayout layout;
  layout.bits = 4;
  layout.compression = 2;
  layout.palette = {0xFFFFFF, 0x000000, 0x808080};
  std::string file = EncodeBitmap(PixelValues(3, std::vector<std::uint32_t>(5, 0)), layout);
  // Replace the encoded pixel data (it starts at the offset in bytes 10..13) by the hand-made one.
  const std::size_t offset = static_cast<unsigned char>(file[10]);
  file = file.substr(0, offset) + pixels;
  ocr::BitmapPicture picture;
  ASSERT_TRUE(picture.Decode(file).ok());
  const std::vector<std::vector<std::uint32_t>> expected = {
      {0, 0, 0, 0, 0}, {0, 0x808080, 0, 0xFFFFFF, 0xFFFFFF}, {0xFFFFFF, 0xFFFFFF, 0, 0, 0xFFFFFF}};
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(picture.Pixel(x, y), expected[y][x]) << x << "," << y;
    }
  }
}

std::string Put32At(std::string file, std::size_t at, std::int64_t value) {
  for (int i = 0; i < 4; ++i) {
    file[at + i] = static_cast<char>((static_cast<std::uint64_t>(value) >> (8 * i)) & 0xFF);
  }
  return file;
}

TEST(BitmapReader, BadFilesAreRefusedAsFormatErrors) {
  BitmapLayout rgb;
  const std::string good = TestFile(rgb);
  BitmapLayout rle;
  rle.bits = 8;
  rle.compression = 1;
  const std::string good_rle = TestFile(rle);
  const std::size_t rle_start = static_cast<unsigned char>(good_rle[10]);
  auto with_rle = [&](const std::string& stream) { return good_rle.substr(0, rle_start) + stream; };
  BitmapLayout paletted;
  paletted.bits = 8;
  const std::string good_8 = TestFile(paletted);
  BitmapLayout fields;
  fields.bits = 32;
  fields.compression = 3;
  fields.masks[0] = 0xFF0000;
  fields.masks[1] = 0xFF00;
  fields.masks[2] = 0xFF;
  const std::string good_fields = TestFile(fields);
  const struct {
    std::string name;
    std::string bytes;
    std::string reason;
  } cases[] = {
      {"empty", "", "not a Windows bitmap"},
      {"magic only", "BM", "not a Windows bitmap"},
      {"text", "1\r\n00:00:01,000 --> 00:00:02,000\r\n", "not a Windows bitmap"},
      {"header cut", good.substr(0, 30), "cut short in the header"},
      {"header size 20", Put32At(good, 14, 20), "unsupported header size"},
      {"width 0", Put32At(good, 18, 0), "0 or negative"},
      {"height 0", Put32At(good, 22, 0), "0 or negative"},
      {"negative width", Put32At(good, 18, -9), "0 or negative"},
      {"lowest height", Put32At(good, 22, INT_MIN), "too large"},
      {"60000 x 60000", Put32At(Put32At(good, 18, 60000), 22, 60000), "too large"},
      {"widest row", Put32At(good, 18, INT_MAX), "too large"},
      {"7 bits", Put32At(good, 28, 7), "bit depth"},
      {"JPEG inside", Put32At(good, 30, 4), "unknown compression 4"},
      {"compression 99", Put32At(good, 30, 99), "unknown compression 99"},
      {"RLE8 of 24 bits", Put32At(good, 30, 1), "compression 1 with 24"},
      {"RLE top-down", Put32At(good_rle, 22, -3), "top row first"},
      {"palette cut", good_8.substr(0, 54 + 10), "cut short in the palette"},
      {"palette of 300 cut", Put32At(good_8, 46, 300), "cut short in the palette"},
      {"pixels cut", good.substr(0, good.size() - 28), "cut short in the pixel data"},
      {"offset past the end", Put32At(good, 10, 1 << 20), "no pixel data"},
      {"run past the row", with_rle(std::string("\x0A\x01\x00\x01", 4)), "runs past"},
      {"literal past the row", with_rle(std::string("\x00\x0A", 2) + std::string(10, '\1')),
       "runs past"},
      {"delta past the picture", with_rle(std::string("\x00\x02\x01\x05", 4)), "runs past"},
      {"pixels after the last row", with_rle(std::string("\x00\x00\x00\x00\x00\x00\x02\x01", 8)),
       "runs past"},
      {"stream ends early", with_rle(std::string("\x02\x01", 2)), "ends early"},
      {"delta cut", with_rle(std::string("\x00\x02\x01", 3)), "ends early"},
      {"bit fields on 24 bits", Put32At(good, 30, 3), "compression 3 with 24"},
      {"bit fields cut", good_fields.substr(0, 60), "cut short in the bit fields"},
  };
  for (const auto& c : cases) {
    ocr::BitmapPicture picture;
    ASSERT_TRUE(picture.Decode(good).ok());
    const auto decoded = picture.Decode(c.bytes);
    ASSERT_FALSE(decoded.ok()) << c.name;
    EXPECT_EQ(decoded.error().code, "format") << c.name;
    EXPECT_NE(decoded.error().message.find(c.reason), std::string::npos)
        << c.name << ": " << decoded.error().message;
    EXPECT_EQ(picture.Width(), 0) << c.name;
    EXPECT_EQ(picture.Height(), 0) << c.name;
  }
}

// Every prefix of every kind is either refused or, when only padding or the end mark is
// missing, gives the whole picture.
TEST(BitmapReader, EveryTruncationIsRefusedOrComplete) {
  for (const Kind& kind : EveryKind()) {
    const std::string file = TestFile(kind.layout);
    ocr::BitmapPicture whole;
    ASSERT_TRUE(whole.Decode(file).ok());
    for (std::size_t length = 0; length < file.size(); ++length) {
      ocr::BitmapPicture picture;
      if (!picture.Decode(std::string_view(file.data(), length)).ok()) {
        continue;
      }
      ASSERT_EQ(picture.Width(), whole.Width()) << kind.name << " cut at " << length;
      for (int y = 0; y < whole.Height(); ++y) {
        for (int x = 0; x < whole.Width(); ++x) {
          ASSERT_EQ(picture.Pixel(x, y), whole.Pixel(x, y)) << kind.name << " cut at " << length;
        }
      }
    }
  }
}

TEST(BitmapReader, FileErrorsNameTheFile) {
  testing_support::TempDir dir;
  ocr::BitmapPicture picture;
  const auto damaged = picture.ReadFile(dir.Write("damaged.bmp", "BM\1\2"));
  ASSERT_FALSE(damaged.ok());
  EXPECT_EQ(damaged.error().code, "format");
  EXPECT_NE(damaged.error().message.find("damaged.bmp"), std::string::npos);

  const auto missing = picture.ReadFile(dir / "missing.bmp");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().code, "io");
  EXPECT_NE(missing.error().message.find("missing.bmp"), std::string::npos);

  EXPECT_EQ(picture.ReadFile(dir.path()).error().code, "io");
  // A FIFO without a writer would block a plain open: it is refused at once.
  const auto fifo = dir / "fifo.bmp";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(picture.ReadFile(fifo).error().code, "io");

  BitmapLayout layout;
  ASSERT_TRUE(picture.ReadFile(dir.Write("good.bmp", TestFile(layout))).ok());
  EXPECT_EQ(picture.Width(), 9);
}

TEST(BitmapReader, EditsWorkOnAColourCopy) {
  ocr::BitmapPicture picture;
  ASSERT_TRUE(picture.Decode(TestFile(BitmapLayout{})).ok());
  picture.SetPixel(1, 0, ocr::kInkColour);
  picture.SetPixel(20, 0, ocr::kInkColour);  // outside: no effect
  EXPECT_EQ(picture.Pixel(1, 0), ocr::kInkColour);
  EXPECT_EQ(picture.Pixel(2, 0), 0xF8F8F8u);
  std::vector<std::uint8_t> ink(9);
  picture.ReadInkRow(0, ink.data());
  EXPECT_EQ(ink, (std::vector<std::uint8_t>{1, 1, 0, 0, 0, 0, 0, 1, 1}));
  picture.Resize(3, 4);
  EXPECT_EQ(picture.Width(), 3);
  EXPECT_EQ(picture.Pixel(0, 0), ocr::kInkColour);
  EXPECT_EQ(picture.Pixel(2, 3), ocr::kWhite);
}

// The same art as a 1-bit file and in memory: the same area, ink and colours in the grid,
// including the white row added below ink that touches the bottom and the column at the right.
TEST(BitmapReader, GridFromTheFileMatchesGridFromMemory) {
  const std::vector<std::vector<std::string>> arts = {
      {"..........", "..##..#...", "..........", "...####...", "..........", "##########"},
      {"......", "......", "......"},
      {"#.....", "......", "......", "......", "......", "......", ".#..#.", ".####."},
  };
  for (const auto& art : arts) {
    const ocr::MemoryPicture memory = ocr_testing::BitmapFromRows(art);
    PixelValues values;
    for (int y = 0; y < memory.Height(); ++y) {
      values.emplace_back();
      for (int x = 0; x < memory.Width(); ++x) {
        values.back().push_back(memory.Pixel(x, y) == ocr::kInkColour ? 0 : 1);
      }
    }
    BitmapLayout layout;
    layout.bits = 1;
    layout.palette = {0x000000, 0xFFFFFF};
    auto file = std::make_unique<ocr::BitmapPicture>();
    ASSERT_TRUE(file->Decode(EncodeBitmap(values, layout)).ok());
    std::unique_ptr<ocr::Picture> taken = std::move(file);

    ocr::PixelGrid from_memory;
    ocr::PixelGrid from_file;
    ASSERT_TRUE(from_memory.Prepare(memory).ok());
    ASSERT_TRUE(from_file.Prepare(taken).ok());
    EXPECT_EQ(taken, nullptr);  // nothing held before: nothing handed back
    ASSERT_EQ(from_file.Width(), from_memory.Width());
    ASSERT_EQ(from_file.Height(), from_memory.Height());
    ASSERT_EQ(from_file.TopOffset(), from_memory.TopOffset());
    for (int y = -1; y <= from_memory.Height(); ++y) {
      for (int x = -1; x <= from_memory.Width(); ++x) {
        EXPECT_EQ(from_file.Ink(x, y), from_memory.Ink(x, y)) << x << "," << y;
        EXPECT_EQ(from_file.At(x, y), from_memory.At(x, y)) << x << "," << y;
      }
    }
  }
}

}  // namespace

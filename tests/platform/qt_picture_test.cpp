// The bitmap adapter: every common kind of Windows bitmap loads with exact colours.
#include "platform/qt_picture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

// The 4 × 2 test picture, top row first, as 0x00BBGGRR.
constexpr ocr::Colour kBlack = 0x000000;
constexpr ocr::Colour kWhite = 0xFFFFFF;
constexpr ocr::Colour kRed = 0x0000FF;
constexpr ocr::Colour kBlue = 0xFF0000;
constexpr ocr::Colour kGreen = 0x00FF00;
const ocr::Colour kExpected[2][4] = {{kBlack, kWhite, kRed, kBlue},
                                     {kGreen, kBlack, kBlack, kWhite}};
// Palette indices of the same picture for paletted kinds: 0 black, 1 white, 2 red, 3 blue,
// 4 green.
const int kIndices[2][4] = {{0, 1, 2, 3}, {4, 0, 0, 1}};
const ocr::Colour kPalette[5] = {kBlack, kWhite, kRed, kBlue, kGreen};

void Put16(std::string& out, int value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}
void Put32(std::string& out, std::int64_t value) {
  Put16(out, static_cast<int>(value & 0xFFFF));
  Put16(out, static_cast<int>((value >> 16) & 0xFFFF));
}

// File header + BITMAPINFOHEADER + palette (B, G, R, 0 each) + pixel bytes.
std::string Bitmap(int bits, int compression, bool top_down, const std::string& pixels,
                   bool palette, int palette_entries = 5) {
  std::string info;
  Put32(info, 40);
  Put32(info, 4);
  Put32(info, top_down ? -2 : 2);
  Put16(info, 1);
  Put16(info, bits);
  Put32(info, compression);
  Put32(info, static_cast<std::int64_t>(pixels.size()));
  Put32(info, 2835);
  Put32(info, 2835);
  Put32(info, palette ? palette_entries : 0);
  Put32(info, 0);
  if (palette) {
    for (int entry = 0; entry < palette_entries; ++entry) {
      const ocr::Colour colour = kPalette[entry];
      info.push_back(static_cast<char>((colour >> 16) & 0xFF));
      info.push_back(static_cast<char>((colour >> 8) & 0xFF));
      info.push_back(static_cast<char>(colour & 0xFF));
      info.push_back(0);
    }
  }
  std::string file = "BM";
  Put32(file, 14 + static_cast<std::int64_t>(info.size() + pixels.size()));
  Put32(file, 0);
  Put32(file, 14 + static_cast<std::int64_t>(info.size()));
  return file + info + pixels;
}

// Rows in file order: bottom-up unless top_down.
std::vector<int> FileRows(bool top_down) {
  return top_down ? std::vector<int>{0, 1} : std::vector<int>{1, 0};
}

std::string Uncompressed(int bits, bool top_down) {
  std::string pixels;
  for (const int y : FileRows(top_down)) {
    std::string row;
    for (int x = 0; x < 4; ++x) {
      const ocr::Colour c = kExpected[y][x];
      const int index = kIndices[y][x];
      switch (bits) {
        case 4:
          if (x % 2 == 0) {
            row.push_back(static_cast<char>(index << 4));
          } else {
            row.back() = static_cast<char>(row.back() | index);
          }
          break;
        case 8:
          row.push_back(static_cast<char>(index));
          break;
        case 16: {  // 5-5-5: blue in the low bits
          const int r = (c & 0xFF) >> 3;
          const int g = ((c >> 8) & 0xFF) >> 3;
          const int b = ((c >> 16) & 0xFF) >> 3;
          Put16(row, r << 10 | g << 5 | b);
          break;
        }
        case 24:
        case 32:
          row.push_back(static_cast<char>((c >> 16) & 0xFF));
          row.push_back(static_cast<char>((c >> 8) & 0xFF));
          row.push_back(static_cast<char>(c & 0xFF));
          if (bits == 32) {
            row.push_back(0);
          }
          break;
      }
    }
    while (row.size() % 4 != 0) {
      row.push_back(0);
    }
    pixels += row;
  }
  return Bitmap(bits, 0, top_down, pixels, bits <= 8);
}

std::string Monochrome() {
  // 1 bit: only black (index 0) and white (index 1); row 0 = 0 1 0 1, row 1 = 1 1 0 0.
  std::string pixels;
  pixels += std::string("\xC0\0\0\0", 4);  // bottom row: 1100
  pixels += std::string("\x50\0\0\0", 4);  // top row: 0101
  return Bitmap(1, 0, false, pixels, true, 2);
}

std::string Rle8() {
  std::string pixels;
  // Bottom row: 4 (green), 0, 0, 1; then end of line. Top row: 0, 1, 2, 3 as an absolute run.
  pixels += std::string("\x01\x04\x02\x00\x01\x01\x00\x00", 8);
  pixels += std::string("\x00\x04\x00\x01\x02\x03\x00\x00", 8);
  pixels += std::string("\x00\x01", 2);
  return Bitmap(8, 1, false, pixels, true);
}

std::string Rle4() {
  std::string pixels;
  // Bottom row: 4 then 0 0 (a run alternating 0 and 0), then 1. Top row: 0 1 2 3 as two runs.
  pixels += std::string("\x01\x40\x02\x00\x01\x10\x00\x00", 8);
  pixels += std::string("\x02\x01\x02\x23\x00\x00", 6);
  pixels += std::string("\x00\x01", 2);
  return Bitmap(4, 2, false, pixels, true);
}

// `channel_mask` keeps the bits a kind can hold: 16-bit pixels have 5 bits per channel, which
// load as the top bits of each byte (pure black stays pure black, the only colour that counts).
void ExpectPicture(const std::string& bytes, const std::string& kind,
                   ocr::Colour channel_mask = 0xFFFFFF) {
  testing_support::TempDir dir;
  const auto path = dir.Write("picture.bmp", bytes);
  platform::QtPictureIo io;
  auto loaded = io.Load(path);
  ASSERT_TRUE(loaded.ok()) << kind << ": " << loaded.error().message;
  const ocr::Picture& picture = *loaded.value();
  ASSERT_EQ(picture.Width(), 4) << kind;
  ASSERT_EQ(picture.Height(), 2) << kind;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(picture.Pixel(x, y), kExpected[y][x] & channel_mask)
          << kind << " at " << x << "," << y;
    }
  }
  std::vector<ocr::Colour> row(4);
  picture.ReadRow(1, row.data());
  EXPECT_EQ(
      row, (std::vector<ocr::Colour>{kGreen & channel_mask, kBlack, kBlack, kWhite & channel_mask}))
      << kind;
}

TEST(QtPictureIo, LoadsEveryCommonBitmapKind) {
  ExpectPicture(Uncompressed(4, false), "4-bit");
  ExpectPicture(Uncompressed(8, false), "8-bit");
  ExpectPicture(Uncompressed(16, false), "16-bit", 0xF8F8F8);
  ExpectPicture(Uncompressed(24, false), "24-bit");
  ExpectPicture(Uncompressed(32, false), "32-bit");
  ExpectPicture(Uncompressed(24, true), "24-bit top-down");
  ExpectPicture(Rle8(), "RLE8");
  ExpectPicture(Rle4(), "RLE4");
}

TEST(QtPictureIo, LoadsMonochromeBitmaps) {
  testing_support::TempDir dir;
  platform::QtPictureIo io;
  auto loaded = io.Load(dir.Write("mono.bmp", Monochrome()));
  ASSERT_TRUE(loaded.ok()) << loaded.error().message;
  const ocr::Picture& picture = *loaded.value();
  const ocr::Colour expected[2][4] = {{kBlack, kWhite, kBlack, kWhite},
                                      {kWhite, kWhite, kBlack, kBlack}};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(picture.Pixel(x, y), expected[y][x]) << x << "," << y;
    }
  }
}

TEST(QtPictureIo, RefusesFilesThatAreNotBitmapsNamingThem) {
  testing_support::TempDir dir;
  platform::QtPictureIo io;
  const struct {
    std::string name;
    std::string bytes;
  } cases[] = {{"text.bmp", "1\r\n00:00:01,000 --> 00:00:02,000\r\n"},
               {"truncated.bmp", Uncompressed(24, false).substr(0, 30)},
               {"empty.bmp", ""}};
  for (const auto& c : cases) {
    auto loaded = io.Load(dir.Write(c.name, c.bytes));
    ASSERT_FALSE(loaded.ok()) << c.name;
    EXPECT_EQ(loaded.error().code, "format") << c.name;
    EXPECT_NE(loaded.error().message.find(c.name), std::string::npos) << loaded.error().message;
  }
  auto missing = io.Load(dir / "missing.bmp");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().code, "io");
}

TEST(QtPictureIo, CreatedPicturesRoundTripThroughBitmapFiles) {
  testing_support::TempDir dir;
  platform::QtPictureIo io;
  auto picture = io.Create(5, 3);
  EXPECT_EQ(picture->Pixel(4, 2), kWhite);
  EXPECT_EQ(picture->Pixel(5, 0), ocr::kOutsideColour);
  picture->SetPixel(1, 1, kBlack);
  picture->SetPixel(4, 2, 0x123456);
  picture->SetPixel(9, 9, kBlack);  // outside: no effect
  ASSERT_TRUE(io.Save(*picture, dir / "saved.bmp").ok());
  auto loaded = io.Load(dir / "saved.bmp");
  ASSERT_TRUE(loaded.ok()) << loaded.error().message;
  EXPECT_EQ(loaded.value()->Width(), 5);
  EXPECT_EQ(loaded.value()->Pixel(1, 1), kBlack);
  EXPECT_EQ(loaded.value()->Pixel(4, 2), 0x123456u);
  EXPECT_EQ(loaded.value()->Pixel(0, 0), kWhite);

  loaded.value()->Resize(2, 2);
  EXPECT_EQ(loaded.value()->Width(), 2);
  EXPECT_EQ(loaded.value()->Pixel(1, 1), kBlack);
  EXPECT_EQ(loaded.value()->Pixel(2, 1), ocr::kOutsideColour);
}

}  // namespace

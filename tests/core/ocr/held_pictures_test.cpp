// Pictures held a bit a pixel read as the same pictures in colours, and the layer that serves
// them in front of the files.
#include "ocr/held_pictures.h"

#include <gtest/gtest.h>

#include <vector>

#include "ocr/pixel_grid.h"
#include "ocr_test_support.h"

namespace {

using ocr_testing::TestRandom;

// Random ink of `width` x `height` (about one pixel in three), with blank rows now and then.
std::vector<std::uint8_t> RandomInk(int width, int height, std::uint32_t seed) {
  TestRandom random(seed);
  std::vector<std::uint8_t> ink(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const bool blank = random.Next(4) == 0;
    for (int x = 0; x < width; ++x) {
      ink[static_cast<std::size_t>(y) * width + x] = !blank && random.Next(3) == 0 ? 1 : 0;
    }
  }
  return ink;
}

ocr::MemoryPicture ColoursOf(int width, int height, const std::vector<std::uint8_t>& ink) {
  ocr::MemoryPicture picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (ink[static_cast<std::size_t>(y) * width + x] != 0) {
        picture.SetPixel(x, y, ocr::kInkColour);
      }
    }
  }
  return picture;
}

// Every pixel, every ink row (rows outside included) and its ink flag read alike.
void ExpectSamePicture(const ocr::Picture& got, const ocr::Picture& want) {
  ASSERT_EQ(got.Width(), want.Width());
  ASSERT_EQ(got.Height(), want.Height());
  const int width = want.Width();
  for (int y = -1; y <= want.Height(); ++y) {
    for (int x = -1; x <= width; ++x) {
      ASSERT_EQ(got.Pixel(x, y), want.Pixel(x, y)) << x << "," << y;
    }
    std::vector<std::uint8_t> got_row(static_cast<std::size_t>(width) + 1, 7);
    std::vector<std::uint8_t> want_row(static_cast<std::size_t>(width) + 1, 7);
    EXPECT_EQ(got.ReadInkRow(y, got_row.data()), want.ReadInkRow(y, want_row.data())) << y;
    EXPECT_EQ(got_row, want_row) << "row " << y;
  }
}

TEST(InkBitsPicture, ReadsAsThePictureInColours) {
  // Widths around whole bytes and words of pixels.
  const int sizes[][2] = {{0, 0},  {1, 1},  {7, 3},  {8, 2},  {9, 5},   {16, 4},
                          {17, 6}, {63, 3}, {64, 2}, {65, 4}, {130, 9}, {1999, 3}};
  std::uint32_t seed = 1;
  for (const auto& [width, height] : sizes) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    const auto ink = RandomInk(width, height, seed++);
    ocr::InkBitsPicture picture;
    picture.Assign(width, height, ink.data());
    ExpectSamePicture(picture, ColoursOf(width, height, ink));
    // Assigned again, smaller, into the same storage.
    const auto smaller = RandomInk(width / 2, height, seed++);
    picture.Assign(width / 2, height, smaller.data());
    ExpectSamePicture(picture, ColoursOf(width / 2, height, smaller));
  }
}

TEST(InkBitsPicture, EditsAsThePictureInColours) {
  const auto ink = RandomInk(21, 6, 5);
  ocr::InkBitsPicture bits;
  bits.Assign(21, 6, ink.data());
  ocr::MemoryPicture colours = ColoursOf(21, 6, ink);
  // Ink set on a blank row, ink cleared, a colour that is not ink, writes outside.
  const struct {
    int x, y;
    ocr::Colour colour;
  } edits[] = {{3, 0, ocr::kInkColour}, {20, 5, ocr::kWhite},     {8, 2, 0x00112233},
               {0, 1, ocr::kInkColour}, {-1, 2, ocr::kInkColour}, {21, 0, ocr::kInkColour}};
  for (const auto& edit : edits) {
    bits.SetPixel(edit.x, edit.y, edit.colour);
    colours.SetPixel(edit.x, edit.y,
                     edit.colour == ocr::kInkColour ? ocr::kInkColour : ocr::kWhite);
  }
  ExpectSamePicture(bits, colours);
  for (const auto& [width, height] : {std::pair{30, 8}, std::pair{9, 4}, std::pair{0, 3}}) {
    bits.Resize(width, height);
    colours.Resize(width, height);
    ExpectSamePicture(bits, colours);
  }
}

TEST(InkBitsPicture, FillsTheGridAsThePictureInColours) {
  const auto ink = RandomInk(150, 40, 9);
  ocr::InkBitsPicture bits;
  bits.Assign(150, 40, ink.data());
  ocr::PixelGrid from_bits;
  ocr::PixelGrid from_colours;
  ASSERT_TRUE(from_bits.Prepare(bits).ok());
  ASSERT_TRUE(from_colours.Prepare(ColoursOf(150, 40, ink)).ok());
  ASSERT_EQ(from_bits.Width(), from_colours.Width());
  ASSERT_EQ(from_bits.Height(), from_colours.Height());
  for (int y = 0; y < from_bits.Height(); ++y) {
    for (int x = 0; x < from_bits.Width(); ++x) {
      ASSERT_EQ(from_bits.At(x, y), from_colours.At(x, y)) << x << "," << y;
    }
  }
}

TEST(HeldPictureIo, ServesHeldPicturesBeforeTheFiles) {
  ocr_testing::MemoryPictureIo files;
  files.Put("/film/0002.bmp", ocr_testing::BitmapFromRows({"#.", ".#"}));
  ocr::HeldPictureIo held(files);
  const auto ink = RandomInk(12, 3, 3);
  ocr::InkBitsPicture picture;
  picture.Assign(12, 3, ink.data());
  held.Hold("/film/0001.bmp", picture);
  EXPECT_EQ(held.Count(), 1u);

  EXPECT_TRUE(held.Has("/film/0001.bmp"));
  EXPECT_TRUE(held.Has("/film/./0001.bmp"));
  EXPECT_FALSE(held.Has("/other/0001.bmp"));
  auto loaded = held.Load("/film/0001.bmp");
  ASSERT_TRUE(loaded.ok());
  ExpectSamePicture(*loaded.value(), ColoursOf(12, 3, ink));
  // Into a picture of another kind, then into the held kind again (its storage reused).
  std::unique_ptr<ocr::Picture> spare = std::make_unique<ocr::MemoryPicture>(2, 2);
  ASSERT_TRUE(held.LoadInto("/film/0001.bmp", spare).ok());
  ExpectSamePicture(*spare, ColoursOf(12, 3, ink));
  ASSERT_TRUE(held.LoadInto("/film/0001.bmp", spare).ok());
  ExpectSamePicture(*spare, ColoursOf(12, 3, ink));
  EXPECT_EQ(files.loads, 0);
  // Anything not held is the files' business, errors included.
  ASSERT_TRUE(held.LoadInto("/film/0002.bmp", spare).ok());
  EXPECT_EQ(spare->Width(), 2);
  EXPECT_EQ(held.Load("/film/0003.bmp").error().code, "io");
  EXPECT_FALSE(held.ConcurrentLoads());
}

}  // namespace

// Tests of the ink choice, the cropping and the BMP encoding.
#include "import/ink.h"

#include <gtest/gtest.h>

#include "import/bmp_writer.h"
#include "import/disc_import.h"
#include "import_test_support.h"

namespace import_tests {
namespace {

using import::InkMode;
using import::InkOptions;
using import::InkUsed;

bool IsFill(PixelRole role) {
  return role == PixelRole::kFill || role == PixelRole::kLightBlend;
}
bool IsOutline(PixelRole role) {
  return role == PixelRole::kOutline || role == PixelRole::kDarkBlend ||
         role == PixelRole::kOuterEdge;
}

TEST(ChooseInk, EachModeInksItsClassOnFilledOutlinedAntiAliasedText) {
  constexpr int kWidth = 300;
  constexpr int kHeight = 60;
  const auto roles = testing_support::SyntheticSubtitle(kWidth, kHeight, 7);
  const import::SubtitleBitmap bitmap = BitmapOfRoles(roles, kWidth, kHeight);
  const struct {
    InkMode mode;
    InkUsed used;
    std::function<bool(PixelRole)> expected;
  } cases[] = {
      {InkMode::kAuto, InkUsed::kFill, IsFill},
      {InkMode::kFill, InkUsed::kFill, IsFill},
      {InkMode::kOutline, InkUsed::kOutline, IsOutline},
      {InkMode::kAll, InkUsed::kAllOpaque, testing_support::RoleIsOpaque},
  };
  for (const auto& c : cases) {
    const import::InkChoice choice = import::ChooseInk(bitmap, InkOptions{c.mode, {}});
    EXPECT_EQ(choice.used, c.used) << static_cast<int>(c.mode);
    EXPECT_EQ(DifferingPixels(import::RenderInk(bitmap, choice),
                              ExpectedInk(roles, kWidth, kHeight, c.expected)),
              0)
        << static_cast<int>(c.mode);
  }
}

TEST(ChooseInk, AutoFindsADarkFillInsideALightOutline) {
  constexpr int kWidth = 200;
  constexpr int kHeight = 50;
  const auto roles = testing_support::SyntheticSubtitle(kWidth, kHeight, 3);
  import::SubtitleBitmap bitmap = BitmapOfRoles(roles, kWidth, kHeight);
  // Swap light and dark: a black fill with a white outline.
  for (import::Rgba& colour : bitmap.palette) {
    colour.r = colour.g = colour.b = static_cast<std::uint8_t>(255 - colour.r);
  }
  const import::InkChoice automatic = import::ChooseInk(bitmap, InkOptions{});
  EXPECT_EQ(automatic.used, InkUsed::kFill);
  EXPECT_EQ(DifferingPixels(import::RenderInk(bitmap, automatic),
                            ExpectedInk(roles, kWidth, kHeight, IsFill)),
            0);
  // "fill" means the lighter class whatever encloses what: here that is the outline.
  const import::InkChoice lighter = import::ChooseInk(bitmap, InkOptions{InkMode::kFill, {}});
  EXPECT_EQ(DifferingPixels(import::RenderInk(bitmap, lighter),
                            ExpectedInk(roles, kWidth, kHeight, IsOutline)),
            0);
}

TEST(ChooseInk, TextWithoutOutlineIsAllOpaque) {
  // White text with a grey anti-aliased edge only: one class, every opaque pixel is ink.
  import::SubtitleBitmap bitmap;
  bitmap.width = 5;
  bitmap.height = 3;
  bitmap.palette = {{}, {255, 255, 255, 255}, {225, 225, 225, 255}};
  bitmap.pixels = {0, 2, 1, 2, 0,  //
                   0, 1, 1, 1, 0,  //
                   0, 2, 1, 2, 0};
  const import::InkChoice choice = import::ChooseInk(bitmap, InkOptions{});
  EXPECT_EQ(choice.used, InkUsed::kAllOpaque);
  const import::InkPicture picture = import::RenderInk(bitmap, choice, 0);
  ASSERT_EQ(picture.width, 3);
  EXPECT_EQ(picture.ink, (std::vector<std::uint8_t>{1, 1, 1, 1, 1, 1, 1, 1, 1}));
}

TEST(ChooseInk, ThresholdInksOpaquePixelsAtOrAboveIt) {
  constexpr int kWidth = 240;
  constexpr int kHeight = 48;
  const auto roles = testing_support::SyntheticSubtitle(kWidth, kHeight, 11);
  const import::SubtitleBitmap bitmap = BitmapOfRoles(roles, kWidth, kHeight);
  for (const int threshold : {0, 1, 86, 87, 191, 192, 255}) {
    const import::InkChoice choice =
        import::ChooseInk(bitmap, InkOptions{InkMode::kOutline, threshold});
    EXPECT_EQ(choice.used, InkUsed::kThreshold);
    const auto expected = ExpectedInk(roles, kWidth, kHeight, [threshold](PixelRole role) {
      return testing_support::RoleIsOpaque(role) &&
             testing_support::RoleLuminance(role) >= threshold;
    });
    EXPECT_EQ(DifferingPixels(import::RenderInk(bitmap, choice), expected), 0) << threshold;
  }
}

TEST(RenderInk, CropsToTheOpaquePixelsAndAddsTheMargin) {
  import::SubtitleBitmap bitmap;
  bitmap.width = 6;
  bitmap.height = 4;
  // Index 2 is a faint halo (alpha 40): outside the crop even where it lies further out.
  bitmap.palette = {{}, {255, 255, 255, 255}, {0, 0, 0, 40}};
  bitmap.pixels = {2, 0, 0, 0, 0, 0,  //
                   0, 0, 1, 0, 0, 0,  //
                   0, 0, 0, 1, 0, 0,  //
                   0, 0, 0, 0, 0, 2};
  import::InkChoice choice;
  choice.is_ink[1] = true;
  const import::InkPicture picture = import::RenderInk(bitmap, choice, 1);
  ASSERT_EQ(picture.width, 4);
  ASSERT_EQ(picture.height, 4);
  EXPECT_EQ(picture.ink, (std::vector<std::uint8_t>{0, 0, 0, 0,  //
                                                    0, 1, 0, 0,  //
                                                    0, 0, 1, 0,  //
                                                    0, 0, 0, 0}));
  bitmap.pixels.assign(bitmap.pixels.size(), 2);
  EXPECT_EQ(import::RenderInk(bitmap, choice).width, 0);
}

TEST(EncodeBmp, WritesBottomUpPaddedRowsOfBlackAndWhite) {
  import::InkPicture picture;
  picture.width = 3;
  picture.height = 2;
  picture.ink = {1, 0, 0,  //
                 0, 0, 1};
  const std::string bytes = import::EncodeBmp(picture);
  ASSERT_EQ(bytes.size(), 54u + 2 * 12);
  EXPECT_EQ(bytes.substr(0, 2), "BM");
  EXPECT_EQ(static_cast<unsigned char>(bytes[2]), 78);   // file size
  EXPECT_EQ(static_cast<unsigned char>(bytes[10]), 54);  // pixel offset
  EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);  // bits per pixel
  const std::string white(3, '\xFF');
  const std::string black(3, '\0');
  const std::string padding(3, '\0');
  EXPECT_EQ(bytes.substr(54, 12), white + white + black + padding);  // bottom row first
  EXPECT_EQ(bytes.substr(66, 12), black + white + white + padding);
  const import::InkPicture back = ReadInkBmp(bytes);
  EXPECT_EQ(DifferingPixels(back, picture), 0);
}

TEST(DiscImportNames, TimesPicturesAndFolders) {
  EXPECT_EQ(import::SrtTime(0), "00:00:00,000");
  EXPECT_EQ(import::SrtTime(3723004), "01:02:03,004");
  EXPECT_EQ(import::SrtTime(-5), "00:00:00,000");
  EXPECT_EQ(import::SrtTime(100LL * 3600000 + 1), "100:00:00,001");
  EXPECT_EQ(import::PictureName(1), "0001.bmp");
  EXPECT_EQ(import::PictureName(12345), "12345.bmp");
  EXPECT_EQ(import::SubtitleNameFor("/films/movie.eng.sup"), "movie.eng.srt");
  EXPECT_EQ(import::DefaultOutputFolder("/films/movie.idx"), "/films/movie");
}

}  // namespace
}  // namespace import_tests

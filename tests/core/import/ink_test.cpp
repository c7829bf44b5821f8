// Tests of the ink choice, the cropping and the BMP encoding.
#include "import/ink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "import/bmp_writer.h"
#include "import/disc_import.h"
#include "import_test_support.h"
#include "support/temp_dir.h"

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

TEST(EncodeBmp, WritesOneBitRowsWithABlackAndWhitePalette) {
  import::InkPicture picture;
  picture.width = 10;
  picture.height = 2;
  picture.ink = {1, 0, 0, 0, 0, 0, 0, 0, 0, 1,  //
                 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  const std::string bytes = import::EncodeBmp(picture, import::BmpDepth::k1);
  ASSERT_EQ(bytes.size(), 62u + 2 * 4);
  EXPECT_EQ(static_cast<unsigned char>(bytes[2]), 70);   // file size
  EXPECT_EQ(static_cast<unsigned char>(bytes[10]), 62);  // pixel offset
  EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 1);   // bits per pixel
  EXPECT_EQ(static_cast<unsigned char>(bytes[46]), 2);   // palette colours
  EXPECT_EQ(bytes.substr(54, 8), std::string("\0\0\0\0\xFF\xFF\xFF\0", 8));
  // Bottom row first; ink is 0, the bits past the width and the padding are 0.
  EXPECT_EQ(bytes.substr(62, 4), std::string("\xDF\xC0\0\0", 4));
  EXPECT_EQ(bytes.substr(66, 4), std::string("\x7F\x80\0\0", 4));
  EXPECT_EQ(DifferingPixels(ReadInkBmp(bytes), picture), 0);
  EXPECT_EQ(import::EncodeBmp(import::InkPicture{}, import::BmpDepth::k1).size(), 62u);
}

// A picture of indexes 0 (transparent), 1-3 (opaque white, black, grey) and 4 (a faint halo),
// each pixel opaque with probability `opaque_share`; with `edges`, the four corners are opaque.
import::SubtitleBitmap RandomBitmap(int width, int height, double opaque_share, bool edges,
                                    unsigned seed){import::SubtitleBitmap bitmap;
bitmap.width = width;
bitmap.height = height;
bitmap.palette = {{}, {255, 255, 255, 255}, {0, 0, 0, 255}, {128, 128, 128, 200}, {0, 0, 0, 40}};
std::mt19937 random(seed);
std::uniform_real_distribution<double> share(0.0, 1.0);
for (int i = 0; i < width * height; ++i) {
  const auto colour = static_cast<std::uint8_t>(1 + random() % 3);
  bitmap.pixels.push_back(share(random) < opaque_share ? colour : random() % 2 == 0 ? 0 : 4);
}
if (edges && width > 0 && height > 0) {
  for (const int at : {0, width - 1, (height - 1) * width, height * width - 1}) {
    bitmap.pixels[static_cast<std::size_t>(at)] = 2;
  }
}
return bitmap;
}  // namespace

struct BitmapCase {
  int width;
  int height;
  double opaque_share;
  bool edges;
};
// Every row padding (widths 1-9 and odd sizes), sparse and dense ink, nothing opaque, a single
// pixel, and ink reaching every edge.
const BitmapCase kBitmapCases[] = {
    {1, 1, 1.0, false},   {1, 1, 0.0, false},     {2, 3, 0.5, false},    {3, 2, 0.0, true},
    {4, 4, 0.2, false},   {5, 7, 0.01, false},    {6, 1, 0.5, false},    {7, 9, 0.3, true},
    {8, 3, 0.9, false},   {9, 5, 0.05, false},    {37, 11, 0.02, false}, {64, 20, 0.0, false},
    {103, 17, 0.4, true}, {250, 40, 0.005, false}};

TEST(OpaqueBox, HoldsEveryOpaquePixelAndNoMore) {
  unsigned seed = 1;
  for (const BitmapCase& c : kBitmapCases) {
    for (int repeat = 0; repeat < 5; ++repeat) {
      const import::SubtitleBitmap bitmap =
          RandomBitmap(c.width, c.height, c.opaque_share, c.edges, seed++);
      int left = c.width;
      int right = -1;
      int top = c.height;
      int bottom = -1;
      for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
          if (import::IsOpaque(bitmap.palette[bitmap.At(x, y)])) {
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
          }
        }
      }
      const import::PictureBox box = import::OpaqueBox(bitmap);
      SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " seed " << seed - 1);
      EXPECT_EQ(box.Empty(), right < 0);
      if (right >= 0) {
        EXPECT_EQ(box.left, left);
        EXPECT_EQ(box.right, right);
        EXPECT_EQ(box.top, top);
        EXPECT_EQ(box.bottom, bottom);
      }
    }
  }
}

// One picture rendered into again and again, larger and smaller, every margin: each time the
// same as a picture rendered afresh, nothing of an earlier picture left in it.
TEST(RenderInk, RenderingIntoAKeptPictureGivesTheFreshPicture) {
  unsigned seed = 500;
  import::InkPicture kept;
  for (int round = 0; round < 3; ++round) {
    for (const BitmapCase& c : kBitmapCases) {
      const import::SubtitleBitmap bitmap =
          RandomBitmap(c.width, c.height, c.opaque_share, c.edges, seed++);
      const import::InkChoice choice = import::ChooseInk(bitmap, InkOptions{});
      const int margin = (round + c.width) % 5;
      import::RenderInkInto(bitmap, choice, kept, margin);
      const import::InkPicture fresh = import::RenderInk(bitmap, choice, margin);
      SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " margin " << margin);
      EXPECT_EQ(kept.width, fresh.width);
      EXPECT_EQ(kept.height, fresh.height);
      EXPECT_EQ(kept.ink, fresh.ink);
      EXPECT_EQ(fresh.ink.size(), static_cast<std::size_t>(fresh.width) * fresh.height);
    }
  }
}

// The bitmaps written straight from the palette indexes are byte for byte those of the rendered
// ink picture, for every margin; the writer's buffer, kept from file to file while the sizes
// grow and shrink, leaves nothing of an earlier file in a later one.
TEST(EncodeInkBmp, GivesTheBytesOfTheRenderedInkPicture) {
  testing_support::TempDir folder;
  import::BmpFileWriter writer;
  import::InkChoice choice;
  choice.is_ink[1] = true;
  choice.is_ink[3] = true;
  unsigned seed = 100;
  int file = 0;
  for (const import::BmpDepth depth : {import::BmpDepth::k24, import::BmpDepth::k1}) {
    import::BmpFileWriter depth_writer(depth);
    for (const int margin : {0, 1, import::kCropMargin}) {
      for (const BitmapCase& c : kBitmapCases) {
        const import::SubtitleBitmap bitmap =
            RandomBitmap(c.width, c.height, c.opaque_share, c.edges, seed++);
        const import::InkPicture ink = import::RenderInk(bitmap, choice, margin);
        const std::string expected = import::EncodeBmp(ink, depth);
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " margin " << margin
                                        << " bits " << static_cast<int>(depth));
        EXPECT_EQ(import::EncodeInkBmp(bitmap, choice, margin, depth), expected);
        const std::string name = std::to_string(++file) + ".bmp";
        ASSERT_TRUE(depth_writer.Write(bitmap, choice, folder / name, margin).ok());
        EXPECT_EQ(folder.Read(name), expected);
        EXPECT_EQ(DifferingPixels(ReadInkBmp(expected), ink), 0);
        if (depth == import::BmpDepth::k24) {
          ASSERT_TRUE(writer.Write(bitmap, choice, folder / name, margin).ok());
          EXPECT_EQ(folder.Read(name), expected);
        }
      }
    }
  }
  const text::Status missing =
      writer.Write(RandomBitmap(3, 3, 1.0, false, 1), choice, folder / "no" / "x.bmp");
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().message.find("x.bmp"), std::string::npos);
}

// A picture drawn in characters, placed at (`x`, `y`) on the video frame: '#' ink, 'o' opaque
// but not ink, '.' transparent.
struct DrawnPicture {
  import::SubtitleBitmap bitmap;
  import::InkChoice choice;
};
DrawnPicture Drawn(const std::vector<std::string>& rows, int x = 0, int y = 0) {
  DrawnPicture drawn;
  import::SubtitleBitmap& bitmap = drawn.bitmap;
  bitmap.x = x;
  bitmap.y = y;
  bitmap.width = static_cast<int>(rows.front().size());
  bitmap.height = static_cast<int>(rows.size());
  bitmap.palette = {{}, {255, 255, 255, 255}, {0, 0, 0, 255}};
  for (const std::string& row : rows) {
    for (const char c : row) {
      bitmap.pixels.push_back(c == '#' ? 1 : c == 'o' ? 2 : 0);
    }
  }
  drawn.choice.is_ink[1] = true;
  return drawn;
}

// The rows of an ink picture in the same characters: '#' ink, '.' white.
std::vector<std::string> Rows(const import::InkPicture& picture) {
  std::vector<std::string> rows;
  for (int y = 0; y < picture.height; ++y) {
    std::string row;
    for (int x = 0; x < picture.width; ++x) {
      row += picture.At(x, y) ? '#' : '.';
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<std::string> HalfRows(const std::vector<std::string>& rows, int x = 0, int y = 0,
                                  int margin = 0) {
  const DrawnPicture drawn = Drawn(rows, x, y);
  return Rows(import::RenderHalfInk(drawn.bitmap, drawn.choice, margin));
}

using Picture = std::vector<std::string>;

TEST(RenderHalfInk, ABlockIsInkFromTwoPixelsUnlessTheyAreItsRightColumnOrBottomRow) {
  const struct {
    Picture block;
    bool ink;
  } cases[] = {
      {{"oo", "oo"}, false},  // no ink
      {{"#o", "oo"}, false},  // a lone pixel, wherever it lies
      {{"o#", "oo"}, false}, {{"oo", "#o"}, false},
      {{"oo", "o#"}, false}, {{"##", "oo"}, true},  // the top row
      {{"#o", "#o"}, true},                         // the left column
      {{"#o", "o#"}, true},                         // a diagonal
      {{"o#", "#o"}, true},                         // the other diagonal
      {{"o#", "o#"}, false},                        // the right column
      {{"oo", "##"}, false},                        // the bottom row
      {{"##", "#o"}, true},                         // three
      {{"##", "o#"}, true},  {{"#o", "##"}, true},
      {{"o#", "##"}, true},  {{"##", "##"}, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HalfRows(c.block), Picture{c.ink ? "#" : "."}) << c.block[0] << "/" << c.block[1];
  }
}

TEST(RenderHalfInk, StrokesBecomeHalfAsWideWhereverTheyLie) {
  const struct {
    Picture drawn;
    Picture half;
  } cases[] = {
      // A vertical stroke two pixels wide, from an even and from an odd column: one pixel.
      {{"o##ooo", "o##ooo", "o##ooo", "o##ooo"}, {".#.", ".#."}},
      {{"oo##oo", "oo##oo", "oo##oo", "oo##oo"}, {".#.", ".#."}},
      // Four pixels wide from an odd column: two; three wide: two or one by where it starts.
      {{"o####o", "o####o"}, {".##"}},
      {{"###ooo", "###ooo"}, {"##."}},
      {{"o###oo", "o###oo"}, {".#."}},
      // A horizontal stroke two rows high, from an odd row: one row.
      {{"oooo", "####", "####", "oooo"}, {"..", "##"}},
      // A stroke one pixel wide stays on an even column or row and goes on an odd one.
      {{"#ooo", "#ooo"}, {"#."}},
      {{"o#oo", "o#oo"}, {".."}},
      {{"####", "oooo"}, {"##"}},
      {{"oooo", "####"}, {".."}},
      // A diagonal two pixels thick stays connected.
      {{"##oooo", "o##ooo", "oo##oo", "ooo##o", "oooo##", "ooooo#"}, {"#..", ".#.", "..#"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HalfRows(c.drawn), c.half) << c.drawn[0];
  }
}

TEST(RenderHalfInk, BlocksLieOnTheVideoFrameAndTheMarginComesAfterHalving) {
  const Picture stroke = {"o##o", "o##o"};
  // Placed at frame column 0 the stroke straddles blocks 0 and 1 and falls to block 1; at
  // column 1 it fills block 1, and the picture spans blocks 0 to 2.
  EXPECT_EQ(HalfRows(stroke, 0, 0), (Picture{".#"}));
  EXPECT_EQ(HalfRows(stroke, 1, 0), (Picture{".#."}));
  EXPECT_EQ(HalfRows({"#o", "#o"}, 1, 0), (Picture{".."}));  // frame column 1: a right column
  EXPECT_EQ(HalfRows({"#o", "#o"}, 2, 0), (Picture{"#"}));
  // Transparent pixels around the opaque ones are cropped first; the margin is of half-size
  // pixels: 2 around one block.
  EXPECT_EQ(HalfRows({"....", ".##.", ".##.", "...."}, 1, 1, 2),
            (Picture{".....", ".....", "..#..", ".....", "....."}));
  const DrawnPicture drawn = Drawn({"o##o", "o##o", "oooo"}, 3, 5);
  const import::InkPicture half = import::RenderHalfInk(drawn.bitmap, drawn.choice);
  EXPECT_EQ(half.width, 3 + 2 * import::kCropMargin);   // frame columns 3-6: blocks 1-3
  EXPECT_EQ(half.height, 2 + 2 * import::kCropMargin);  // frame rows 5-7: blocks 2-3
  const DrawnPicture empty = Drawn({"..", ".."});
  EXPECT_EQ(import::RenderHalfInk(empty.bitmap, empty.choice).width, 0);
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

// The ink choice as first written, a pixel and its four neighbours at a time over the whole
// picture: the oracle that the choice over the opaque box's rows of marks must agree with.
import::InkChoice ChooseInkPixelByPixel(const import::SubtitleBitmap& bitmap,
                                        InkMode mode){import::InkChoice choice;
const std::size_t colours = std::min<std::size_t>(bitmap.palette.size(), 256);
std::array<bool, 256> opaque{};
for (std::size_t i = 0; i < colours; ++i) {
  opaque[i] = import::IsOpaque(bitmap.palette[i]);
}
choice.is_ink = opaque;
if (mode == InkMode::kAll) {
  return choice;
}
const auto opaque_at = [&](int x, int y) {
  return x >= 0 && y >= 0 && x < bitmap.width && y < bitmap.height && opaque[bitmap.At(x, y)];
};
std::array<std::int64_t, 256> pixels{};
std::array<std::int64_t, 256> bordering{};
for (int y = 0; y < bitmap.height; ++y) {
  for (int x = 0; x < bitmap.width; ++x) {
    if (opaque_at(x, y)) {
      ++pixels[bitmap.At(x, y)];
      bordering[bitmap.At(x, y)] +=
          opaque_at(x - 1, y) && opaque_at(x + 1, y) && opaque_at(x, y - 1) && opaque_at(x, y + 1)
              ? 0
              : 1;
    }
  }
}
double dark = 256.0;
double light = -1.0;
for (std::size_t i = 0; i < colours; ++i) {
  if (pixels[i] > 0) {
    dark = std::min<double>(dark, import::Luminance(bitmap.palette[i]));
    light = std::max<double>(light, import::Luminance(bitmap.palette[i]));
  }
}
if (light < 0.0 || light - dark < 48.0) {
  return choice;
}
std::array<bool, 256> in_light{};
for (int round = 0; round < 32; ++round) {
  bool moved = false;
  double sums[2] = {0.0, 0.0};
  double weights[2] = {0.0, 0.0};
  for (std::size_t i = 0; i < colours; ++i) {
    if (pixels[i] > 0) {
      const double y = import::Luminance(bitmap.palette[i]);
      const bool lighter = std::abs(y - light) < std::abs(y - dark);
      moved = moved || lighter != in_light[i];
      in_light[i] = lighter;
      sums[lighter ? 1 : 0] += y * static_cast<double>(pixels[i]);
      weights[lighter ? 1 : 0] += static_cast<double>(pixels[i]);
    }
  }
  if (weights[0] == 0.0 || weights[1] == 0.0) {
    return choice;
  }
  dark = sums[0] / weights[0];
  light = sums[1] / weights[1];
  if (!moved && round > 0) {
    break;
  }
}
if (light - dark < 48.0) {
  return choice;
}
bool fill_is_light = mode != InkMode::kOutline;
if (mode == InkMode::kAuto) {
  std::int64_t class_pixels[2] = {0, 0};
  std::int64_t class_bordering[2] = {0, 0};
  for (std::size_t i = 0; i < colours; ++i) {
    class_pixels[in_light[i] ? 1 : 0] += pixels[i];
    class_bordering[in_light[i] ? 1 : 0] += bordering[i];
  }
  fill_is_light = class_bordering[1] * class_pixels[0] <= class_bordering[0] * class_pixels[1];
}
choice.used = mode == InkMode::kOutline ? InkUsed::kOutline : InkUsed::kFill;
for (std::size_t i = 0; i < colours; ++i) {
  choice.is_ink[i] = opaque[i] && in_light[i] == fill_is_light;
}
return choice;
}  // namespace import_tests

// Random palettes (some colours half transparent, some indexes past the palette's end) over
// random strokes: outlined bars of a fill colour and scattered anti-aliasing pixels, at widths
// that leave every remainder of eight, touching the picture's edges or not.
TEST(ChooseInk, AgreesWithThePixelByPixelChoiceOnRandomPalettesAndPictures) {
  std::mt19937 random(28);
  int filled = 0;
  for (int picture = 0; picture < 400; ++picture) {
    import::SubtitleBitmap bitmap;
    bitmap.width = 1 + static_cast<int>(random() % 90);
    bitmap.height = 1 + static_cast<int>(random() % 24);
    const int colours = 2 + static_cast<int>(random() % (picture % 4 == 0 ? 255 : 8));
    bitmap.palette.push_back(import::Rgba{});
    for (int i = 1; i < colours; ++i) {
      const auto channel = [&] { return static_cast<std::uint8_t>(random() % 256); };
      const std::uint8_t alpha = random() % 4 == 0 ? channel() : 255;
      bitmap.palette.push_back(import::Rgba{channel(), channel(), channel(), alpha});
    }
    const int past_end = picture % 5 == 0 ? 2 : 0;
    const auto any_index = [&] {
      return static_cast<std::uint8_t>(random() % static_cast<unsigned>(colours + past_end));
    };
    bitmap.pixels.assign(static_cast<std::size_t>(bitmap.width) * bitmap.height, 0);
    for (int bar = static_cast<int>(random() % 6); bar > 0; --bar) {
      const int x0 = static_cast<int>(random() % static_cast<unsigned>(bitmap.width));
      const int y0 = static_cast<int>(random() % static_cast<unsigned>(bitmap.height));
      const int x1 = std::min(bitmap.width - 1, x0 + static_cast<int>(random() % 30));
      const int y1 = std::min(bitmap.height - 1, y0 + static_cast<int>(random() % 10));
      const std::uint8_t outline = any_index();
      const std::uint8_t fill = any_index();
      for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
          const bool edge = x == x0 || x == x1 || y == y0 || y == y1;
          bitmap.pixels[static_cast<std::size_t>(y) * bitmap.width + x] = edge ? outline : fill;
        }
      }
    }
    for (int speck = static_cast<int>(random() % 40); speck > 0; --speck) {
      bitmap.pixels[random() % bitmap.pixels.size()] = any_index();
    }
    for (const InkMode mode : {InkMode::kAuto, InkMode::kFill, InkMode::kOutline, InkMode::kAll}) {
      const import::InkChoice expected = ChooseInkPixelByPixel(bitmap, mode);
      const import::InkChoice choice = import::ChooseInk(bitmap, InkOptions{mode, {}});
      SCOPED_TRACE(testing::Message()
                   << "picture " << picture << " mode " << static_cast<int>(mode));
      EXPECT_EQ(choice.used, expected.used);
      EXPECT_EQ(choice.is_ink, expected.is_ink);
      filled += mode == InkMode::kAuto && choice.used == InkUsed::kFill ? 1 : 0;
    }
  }
  // The pictures are not all single-class ones, where the measuring does not matter.
  EXPECT_GT(filled, 50);
}

}  // namespace import_tests
}  // namespace import_tests

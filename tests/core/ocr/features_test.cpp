// FeatureLines: the rounding, the single-precision cells and the cell layout.
#include "ocr/features.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ocr/ocr_test_support.h"

namespace {

using ocr_testing::BitmapFromRows;

TEST(RoundOneDigit, RoundsHalfToEvenOnTheDroppedDigit) {
  EXPECT_EQ(ocr::RoundOneDigit(4995), 500);  // 499 is odd
  EXPECT_EQ(ocr::RoundOneDigit(500), 50);
  EXPECT_EQ(ocr::RoundOneDigit(4985), 498);  // 498 is even
  EXPECT_EQ(ocr::RoundOneDigit(498), 50);
  EXPECT_EQ(ocr::RoundOneDigit(33333), 3333);
  EXPECT_EQ(ocr::RoundOneDigit(3333), 333);
  EXPECT_EQ(ocr::RoundOneDigit(4996), 500);
  EXPECT_EQ(ocr::RoundOneDigit(4994), 499);
  EXPECT_EQ(ocr::RoundOneDigit(100000), 10000);
  EXPECT_EQ(ocr::RoundOneDigit(0), 0);
  EXPECT_EQ(ocr::RoundOneDigit(15), 2);
  EXPECT_EQ(ocr::RoundOneDigit(25), 2);
}

std::string FeaturesOf(const std::vector<std::string>& rows, ocr::GlyphBox box,
                       bool ignore_size = false, int* key = nullptr) {
  ocr::PixelGrid grid;
  EXPECT_TRUE(grid.Prepare(BitmapFromRows(rows)).ok());
  std::string line;
  const int sum = ocr::ComputeFeatures(grid, box, ignore_size, line);
  if (key != nullptr) {
    *key = sum;
  }
  return line;
}

TEST(ComputeFeatures, FullBoxIsAllThousands) {
  const std::vector<std::string> rows = {"#####.", "#####.", "#####.",
                                         "#####.", "#####.", "......"};
  int key = 0;
  EXPECT_EQ(FeaturesOf(rows, {0, 0, 5, 5}, false, &key),
            "1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,5,5");
  EXPECT_EQ(key, 13000);
  EXPECT_EQ(FeaturesOf(rows, {0, 0, 5, 5}, true),
            "1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000");
}

TEST(ComputeFeatures, SingleInkPixelOfThreeGivesThreeHundredThirtyThree) {
  // A box 1 wide and 15 high: one cell column over the whole width, cells 3 rows high.
  std::vector<std::string> rows(16, "...");
  rows[0] = "#..";
  rows[1] = "#..";  // keep row 0 (the top probe needs ink in row 1 too)
  int key = 0;
  // Cell (0,0) covers rows 0..2: two ink pixels of three, 66666 -> 6667 -> 667.
  EXPECT_EQ(FeaturesOf(rows, {0, 0, 1, 15}, false, &key), "667,0,0,0,0,0,0,0,0,0,0,0,0,1,15");
  EXPECT_EQ(key, 667);
  rows[0] = "...";
  rows[1] = "#..";
  rows.push_back("...");
  // Now the picture starts at row 1; the box's first cell holds one ink pixel of three.
  EXPECT_EQ(FeaturesOf(rows, {0, 0, 1, 15}), "333,0,0,0,0,0,0,0,0,0,0,0,0,1,15");
}

TEST(ComputeFeatures, TwelveWideBoxReachesOneColumnPastItsRightEdge) {
  // cw = 12 / 5 in single precision is slightly above 2.4, so the last cell column runs while
  // x < 12.0000005 and includes column 12. In double precision it would stop at 11.
  std::vector<std::string> rows(6, "............#.");
  rows[5] = "..............";
  EXPECT_EQ(FeaturesOf(rows, {0, 0, 12, 5}), "0,0,250,0,0,0,0,250,0,0,0,0,250,12,5");
}

TEST(ComputeFeatures, NarrowBoxMeasuresOneCellColumn) {
  const std::vector<std::string> rows = {"####..", "####..", "####..",
                                         "####..", "####..", "......"};
  EXPECT_EQ(FeaturesOf(rows, {0, 0, 4, 5}), "1000,0,0,0,0,1000,0,0,0,0,1000,0,0,4,5");
}

TEST(ComputeFeatures, CellsFollowTheChequerOrder) {
  // A 10 × 10 box from column 1 with only cell (1,3) inked (columns 7-8, rows 2-3).
  std::vector<std::string> rows(11, "...........");
  rows[0] = "#..........";  // anchor row 0 for the top trim
  rows[1] = "#..........";
  rows[2] = ".......##..";
  rows[3] = ".......##..";
  EXPECT_EQ(FeaturesOf(rows, {1, 0, 10, 10}), "0,0,0,0,1000,0,0,0,0,0,0,0,0,10,10");
  // Moved one cell row down, the ink lies in cell (2,3), which is not measured.
  EXPECT_EQ(FeaturesOf(rows, {1, -2, 10, 10}, true), "0,0,0,0,0,0,0,0,0,0,0,0,0");
}

TEST(ComputeFeatures, EmptyOrDegenerateBoxesGiveZeros) {
  const std::vector<std::string> rows = {"##..", "##..", "...."};
  EXPECT_EQ(FeaturesOf(rows, {0, 0, 0, 2}), "0,0,0,0,0,0,0,0,0,0,0,0,0,0,2");
  EXPECT_EQ(FeaturesOf(rows, {0, 0, -3, 2}), "0,0,0,0,0,0,0,0,0,0,0,0,0,-3,2");
  // A box reaching past the area reads background there (a fresh grid holds 0, the ink colour).
  EXPECT_EQ(FeaturesOf(rows, {0, 1, 2, 5}, true), "1000,0,0,0,0,0,0,0,0,0,0,0,0");
}

TEST(ComputeFeatures, HugeBoxesEndAtOnceWithoutOverflow) {
  // Boxes near the int limits used to overflow the loop counters and never end.
  const std::vector<std::string> rows = {"##..", "##..", "...."};
  const int kMax = 2147483647;
  EXPECT_EQ(FeaturesOf(rows, {kMax, kMax, kMax, kMax}, true), "0,0,0,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(FeaturesOf(rows, {-kMax, -kMax, kMax, kMax}, true), "0,0,0,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(FeaturesOf(rows, {0, 0, kMax, kMax}, true), "0,0,0,0,0,0,0,0,0,0,0,0,0");
  EXPECT_EQ(FeaturesOf(rows, {0, 0, 1000000, 5}), "0,0,0,0,0,0,0,0,0,0,0,0,0,1000000,5");
}

// The densities counted pixel by pixel through Ink(), cell by cell as the format lays them out.
std::string PlainDensities(const ocr::PixelGrid& grid, const ocr::GlyphBox& box) {
  const double cw = box.width / 5.0 < 1.0 ? box.width : static_cast<float>(box.width / 5.0);
  const double ch = box.height / 5.0 < 1.0 ? box.height : static_cast<float>(box.height / 5.0);
  const int columns = box.width / 5.0 < 1.0 ? 1 : 5;
  const int rows = box.height / 5.0 < 1.0 ? 1 : 5;
  std::string line;
  for (int cell = 0; cell < 13; ++cell) {
    const int r = (2 * cell) / 5;
    const int c = (2 * cell) % 5;
    long long ink = 0;
    long long pixels = 0;
    if (r < rows && c < columns) {
      for (long long y = static_cast<long long>(std::trunc(r * ch + box.top));
           y < (r + 1) * ch + box.top; ++y) {
        for (long long x = static_cast<long long>(std::trunc(c * cw + box.left));
             x < (c + 1) * cw + box.left; ++x) {
          ++pixels;
          ink += grid.Ink(static_cast<int>(x), static_cast<int>(y)) ? 1 : 0;
        }
      }
    }
    const int density = pixels > 0 ? ocr::RoundOneDigit(ocr::RoundOneDigit(static_cast<int>(
                                         std::trunc(static_cast<double>(ink) * 100000.0 / pixels))))
                                   : 0;
    line += (cell > 0 ? "," : "") + std::to_string(density);
  }
  return line;
}

// Ink is counted several pixels at a time: random boxes over a random picture (up to its whole
// width), some reaching out of it, and boxes at the very end of a picture that fills the whole
// grid, give the densities a pixel-by-pixel count gives.
TEST(ComputeFeatures, CountsEveryPixelOfEveryCell) {
  ocr_testing::TestRandom random(3);
  std::vector<std::string> rows(40, std::string(61, '.'));
  for (auto& row : rows) {
    for (char& pixel : row) {
      pixel = random.Next(3) == 0 ? '#' : '.';
    }
  }
  rows[1][1] = '#';  // the top probe keeps row 0
  rows.push_back(std::string(61, '.'));
  ocr::PixelGrid grid;
  ASSERT_TRUE(grid.Prepare(BitmapFromRows(rows)).ok());
  std::string line;
  for (int trial = 0; trial < 3000; ++trial) {
    const ocr::GlyphBox box{random.Next(70) - 4, random.Next(50) - 4, 1 + random.Next(70),
                            1 + random.Next(45)};
    ocr::ComputeFeatures(grid, box, true, line);
    ASSERT_EQ(line, PlainDensities(grid, box))
        << box.left << "," << box.top << " " << box.width << "x" << box.height;
  }
  // 1999 × 1000 pixels fill the grid's storage to its last byte.
  std::vector<std::string> full(1000, std::string(1999, '#'));
  full[999] = std::string(1999, '.');
  full[998][1997] = '.';
  ASSERT_TRUE(grid.Prepare(BitmapFromRows(full)).ok());
  ASSERT_EQ(grid.Width(), 2000);
  ASSERT_EQ(grid.Height(), 1000);
  for (int width = 1; width <= 12; ++width) {
    for (int height : {1, 6, 11}) {
      const ocr::GlyphBox box{2000 - width, 1000 - height, width, height};
      ocr::ComputeFeatures(grid, box, true, line);
      ASSERT_EQ(line, PlainDensities(grid, box)) << width << "x" << height << " at the end";
    }
  }
  // Boxes too tall or too wide to be summed in bands of byte counts, and ones just small enough.
  for (const ocr::GlyphBox box : {ocr::GlyphBox{1700, 600, 299, 399},
                                  {1500, 990, 450, 10},
                                  {1000, 800, 256, 155},
                                  {1000, 800, 260, 160}}) {
    ocr::ComputeFeatures(grid, box, true, line);
    ASSERT_EQ(line, PlainDensities(grid, box)) << box.width << "x" << box.height;
  }
}

// Densities of cells of up to 2^20 pixels are worked out with an integer division, which must
// give the format's double-precision quotient truncated: every ink count of small cells, and
// for large ones the counts whose quotient lies just below or at an integer, where a rounding
// up would show.
TEST(ComputeFeatures, IntegerQuotientIsTheFormatsTruncatedDoubleQuotient) {
  auto check = [](std::uint64_t ink, std::uint64_t pixels) {
    const auto exact = ink * 100000U / pixels;
    const auto format = static_cast<std::uint64_t>(
        std::trunc(static_cast<double>(ink) * 100000.0 / static_cast<double>(pixels)));
    return exact == format;
  };
  for (std::uint64_t pixels = 1; pixels <= 2000; ++pixels) {
    for (std::uint64_t ink = 0; ink <= pixels; ++ink) {
      ASSERT_TRUE(check(ink, pixels)) << ink << " of " << pixels;
    }
  }
  ocr_testing::TestRandom random(11);
  for (int trial = 0; trial < 20000; ++trial) {
    const std::uint64_t pixels = std::min<std::uint64_t>(
        std::uint64_t{1} << 20, trial == 0
                                    ? std::uint64_t{1} << 20
                                    : 2001 + static_cast<std::uint64_t>(random.Next(1 << 15)) * 32 +
                                          static_cast<std::uint64_t>(random.Next(32)));
    const auto k = std::min<std::uint64_t>(
        100000, 2 * static_cast<std::uint64_t>(random.Next(50001)) + random.Next(2));
    const std::uint64_t at = (k * pixels + 99999) / 100000;  // the least ink reaching k
    for (const std::uint64_t ink : {at - (at > 0 ? 1 : 0), at, at + 1}) {
      if (ink <= pixels) {
        ASSERT_TRUE(check(ink, pixels)) << ink << " of " << pixels;
      }
    }
  }
}

TEST(BoxInPicture, AcceptsOnlyBoxesInsideThePreparedArea) {
  ocr::PixelGrid grid;
  ASSERT_TRUE(grid.Prepare(BitmapFromRows({"##..", "##..", "...."})).ok());
  ASSERT_EQ(grid.Width(), 5);  // four columns and the added background column
  const int rows = grid.Height();
  const int kMax = 2147483647;
  struct Case {
    ocr::GlyphBox box;
    bool inside;
  };
  for (const Case c :
       {Case{{0, 0, 5, rows}, true}, Case{{4, 0, 1, 1}, true}, Case{{0, 0, 6, 1}, false},
        Case{{0, 0, 1, rows + 1}, false}, Case{{-1, 0, 2, 1}, false}, Case{{0, -1, 1, 2}, false},
        Case{{0, 0, 0, 1}, false}, Case{{0, 0, 1, -3}, false},
        Case{{kMax, kMax, kMax, kMax}, false}, Case{{1, 0, kMax, 1}, false}}) {
    EXPECT_EQ(ocr::BoxInPicture(grid, c.box), c.inside)
        << c.box.left << "," << c.box.top << "," << c.box.width << "," << c.box.height;
  }
}

TEST(DensityPart, KeepsTheFirstThirteenFields) {
  EXPECT_EQ(ocr::DensityPart("1,2,3,4,5,6,7,8,9,10,11,12,13,20,30"),
            "1,2,3,4,5,6,7,8,9,10,11,12,13");
  EXPECT_EQ(ocr::DensityPart("1,2,3,4,5,6,7,8,9,10,11,12,13"), "1,2,3,4,5,6,7,8,9,10,11,12,13");
  EXPECT_EQ(ocr::DensityPart("1,2"), "1,2");
}

}  // namespace

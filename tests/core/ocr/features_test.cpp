// FeatureLines: the rounding, the single-precision cells and the cell layout.
#include "ocr/features.h"

#include <gtest/gtest.h>

#include <string>

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

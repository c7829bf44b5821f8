// Trimming pictures into the PixelGrid, line finding and glyph cutting.
#include "ocr/pixel_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/ocr/ocr_test_support.h"
#include "ocr/segmentation.h"

namespace {

using ocr_testing::BitmapFromRows;

// A picture 10 wide: row 1 holds one ink pixel, then two empty rows, then `full_rows` rows black
// from column 1 to 8 (a frame line).
std::vector<std::string> WithFrameRows(int full_rows) {
  std::vector<std::string> rows = {"..........", "...#......", "..........", ".........."};
  rows.insert(rows.end(), full_rows, ".########.");
  return rows;
}

TEST(PixelGrid, TrimsAtMostThreeFullRowsAtTheBottom) {
  ocr::PixelGrid grid;
  const struct {
    int full_rows;
    int height;
  } cases[] = {{0, 3}, {1, 3}, {3, 3}, {4, 5}};
  for (const auto& c : cases) {
    ASSERT_TRUE(grid.Prepare(BitmapFromRows(WithFrameRows(c.full_rows))).ok());
    EXPECT_EQ(grid.Height(), c.height) << c.full_rows << " full rows";
    EXPECT_EQ(grid.TopOffset(), 1);
    EXPECT_EQ(grid.Width(), 11);
  }
  // With four rows only three go; the fourth stays and a white row closes it below.
  EXPECT_TRUE(grid.Ink(4, 3));
  EXPECT_FALSE(grid.Ink(4, 4));
}

TEST(PixelGrid, AddsABackgroundRowBelowInkTouchingTheBottom) {
  ocr::PixelGrid grid;
  ASSERT_TRUE(grid.Prepare(BitmapFromRows({"........", "........", "........", ".....#.."})).ok());
  EXPECT_EQ(grid.TopOffset(), 3);
  EXPECT_EQ(grid.Height(), 2);
  EXPECT_TRUE(grid.Ink(5, 0));
  EXPECT_FALSE(grid.Ink(5, 1));
  EXPECT_EQ(grid.At(5, 1), ocr::kWhite);
}

TEST(PixelGrid, TopTrimProbesOddRows) {
  ocr::PixelGrid grid;
  // Ink in row 0 and from row 6 on: the probe finds row 7, row 6 has ink too.
  ASSERT_TRUE(grid.Prepare(BitmapFromRows({"..#...", "......", "......", "......", "......",
                                           "......", "..#...", "..#...", "..#...", "......"}))
                  .ok());
  EXPECT_EQ(grid.TopOffset(), 6);
  EXPECT_EQ(grid.Height(), 4);
  EXPECT_TRUE(grid.Ink(2, 0));
  EXPECT_FALSE(grid.Ink(2, 3));
}

TEST(PixelGrid, PictureWithoutInkHasNoRows) {
  ocr::PixelGrid grid;
  ASSERT_TRUE(grid.Prepare(BitmapFromRows({"......", "......", "......"})).ok());
  EXPECT_EQ(grid.Height(), 0);
  std::vector<ocr::TextLine> lines = {{1, 1}};
  ocr::FindTextLines(grid, {}, lines);
  EXPECT_TRUE(lines.empty());
}

TEST(PixelGrid, RefusesPicturesLargerThanTheGrid) {
  ocr::PixelGrid grid;
  ocr::MemoryPicture widest(1999, 4);
  widest.SetPixel(1998, 1, ocr::kInkColour);
  ASSERT_TRUE(grid.Prepare(widest).ok());
  EXPECT_EQ(grid.Width(), 2000);
  EXPECT_TRUE(grid.Ink(1998, 0));
  EXPECT_FALSE(grid.Ink(1999, 0));

  ocr::MemoryPicture too_wide(2000, 4);
  auto refused = grid.Prepare(too_wide);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().code, "size");
  EXPECT_EQ(grid.Width(), 2000);  // the previous picture stays

  ocr::MemoryPicture tallest(5, 1001);  // ink in row 1: 1000 rows kept
  tallest.SetPixel(2, 1, ocr::kInkColour);
  EXPECT_TRUE(grid.Prepare(tallest).ok());
  EXPECT_EQ(grid.Height(), 1000);
  ocr::MemoryPicture too_tall(5, 1002);
  too_tall.SetPixel(2, 1, ocr::kInkColour);
  EXPECT_EQ(grid.Prepare(too_tall).error().code, "size");
}

TEST(PixelGrid, ReadsOutsideTheCurrentPictureAreBackground) {
  ocr::PixelGrid grid;
  ocr::MemoryPicture black(50, 50, ocr::kInkColour);
  for (int x = 0; x < 50; ++x) {  // a white last row: no frame line to trim
    black.SetPixel(x, 49, ocr::kWhite);
  }
  ASSERT_TRUE(grid.Prepare(black).ok());
  ASSERT_TRUE(grid.Ink(30, 30));
  ASSERT_TRUE(grid.Prepare(BitmapFromRows({"....", ".#..", "...."})).ok());
  EXPECT_FALSE(grid.Ink(30, 30));
  EXPECT_FALSE(grid.Ink(1, 5));
  EXPECT_FALSE(grid.Ink(-1, 0));
  EXPECT_EQ(grid.At(30, 30), ocr::kOutsideColour);
}

// A picture 3 wide whose rows are ink where `bands` say ({first row, height} pairs).
ocr::MemoryPicture Bands(const std::vector<std::pair<int, int>>& bands, int height) {
  std::vector<std::string> rows(height, "...");
  for (const auto& [first, count] : bands) {
    for (int y = first; y < first + count; ++y) {
      rows[y] = ".#.";
    }
  }
  return BitmapFromRows(rows);
}

std::vector<std::pair<int, int>> LinesOf(const ocr::MemoryPicture& picture, int standard,
                                         int detection) {
  ocr::PixelGrid grid;
  EXPECT_TRUE(grid.Prepare(picture).ok());
  ocr::EngineOptions options;
  options.line_height = standard;
  options.line_detection = detection;
  std::vector<ocr::TextLine> lines;
  ocr::FindTextLines(grid, options, lines);
  std::vector<std::pair<int, int>> result;
  for (const auto& line : lines) {
    result.emplace_back(line.top, line.height);
  }
  return result;
}

using Lines = std::vector<std::pair<int, int>>;

TEST(FindTextLines, JoinsShortPiecesAndCutsTallBands) {
  // A 15-row piece is short (15 < 16) and joins the next band; 31 joined rows are too tall, so
  // the piece gets its own height back and the rest is scanned again.
  EXPECT_EQ(LinesOf(Bands({{0, 15}, {16, 15}}, 40), 20, 2), (Lines{{0, 15}, {16, 15}}));
  EXPECT_EQ(LinesOf(Bands({{0, 15}, {16, 10}}, 40), 20, 2), (Lines{{0, 26}}));
  // A 45-row band is cut at one standard height.
  EXPECT_EQ(LinesOf(Bands({{0, 45}}, 50), 20, 2), (Lines{{0, 20}, {20, 25}}));
  // p1 = 10 disables joining; S_L = 0 disables joining and cutting.
  EXPECT_EQ(LinesOf(Bands({{0, 15}, {16, 10}}, 40), 20, 10), (Lines{{0, 15}, {16, 10}}));
  EXPECT_EQ(LinesOf(Bands({{0, 45}}, 50), 0, 2), (Lines{{0, 45}}));
  // Two ordinary lines.
  EXPECT_EQ(LinesOf(Bands({{0, 18}, {22, 18}}, 45), 20, 2), (Lines{{0, 18}, {22, 18}}));
}

std::vector<std::pair<int, int>> SegmentsOf(const std::string& row, int glyph_width) {
  ocr::PixelGrid grid;
  EXPECT_TRUE(grid.Prepare(BitmapFromRows({row, row, std::string(row.size(), '.')})).ok());
  std::vector<ocr::Segment> segments;
  ocr::CutSegments(grid, 0, grid.Height(), glyph_width, segments);
  std::vector<std::pair<int, int>> result;
  for (const auto& segment : segments) {
    result.emplace_back(segment.left, segment.right);
  }
  return result;
}

TEST(CutSegments, CutsRunsWiderThanOneAndAHalfGlyphs) {
  const std::string run30 = "#" + std::string(29, '#') + "..";
  EXPECT_EQ(SegmentsOf(run30, 20), (Lines{{0, 30}}));
  EXPECT_EQ(SegmentsOf(std::string(31, '#') + "..", 20), (Lines{{0, 20}, {20, 31}}));
  EXPECT_EQ(SegmentsOf(std::string(52, '#') + "..", 20), (Lines{{0, 20}, {20, 40}, {40, 52}}));
  EXPECT_EQ(SegmentsOf(std::string(52, '#') + "..", 0), (Lines{{0, 52}}));
  EXPECT_EQ(SegmentsOf(".##..#...###.", 20), (Lines{{1, 3}, {5, 6}, {9, 12}}));
}

// The plain reading of the cutting rule, one column at a time, against which the word-wise
// scan is checked.
std::vector<std::pair<int, int>> PlainSegments(const std::string& row, int glyph_width) {
  std::vector<std::pair<int, int>> result;
  const int width = static_cast<int>(row.size()) + 1;  // the grid adds a blank column
  bool inside = false;
  int left = 0;
  for (int x = 0; x < width && static_cast<int>(result.size()) < ocr::kMaxSegments;) {
    const bool ink = x < static_cast<int>(row.size()) && row[static_cast<std::size_t>(x)] == '#';
    if (ink && !inside) {
      left = x;
      inside = true;
    } else if (!ink && inside) {
      inside = false;
      if (glyph_width > 0 && x - left > glyph_width * 3 / 2) {
        result.emplace_back(left, left + glyph_width);
        x = left + glyph_width;
        continue;
      }
      result.emplace_back(left, x);
    }
    ++x;
  }
  return result;
}

// Random rows of runs of every length, at widths around the eight-column words, up to a row
// with more segments than are kept.
TEST(CutSegments, MatchesTheColumnByColumnRule) {
  ocr_testing::TestRandom random(7);
  for (int trial = 0; trial < 400; ++trial) {
    // From 3 columns: narrower pictures lose their rows to the frame-line trim.
    const int width = trial < 300 ? 3 + random.Next(70) : 3 + random.Next(1996);
    std::string row;
    while (static_cast<int>(row.size()) < width) {
      row.append(static_cast<std::size_t>(1 + random.Next(trial % 2 == 0 ? 4 : 40)),
                 row.empty() || row.back() == '.' ? '#' : '.');
    }
    row.resize(static_cast<std::size_t>(width));
    const int glyph_width = random.Next(4) == 0 ? 0 : 1 + random.Next(30);
    ASSERT_EQ(SegmentsOf(row, glyph_width), PlainSegments(row, glyph_width))
        << row << " with glyph width " << glyph_width;
  }
  std::string comb;
  for (int i = 0; i < 999; ++i) {
    comb += "#.";
  }
  EXPECT_EQ(SegmentsOf(comb, 20), PlainSegments(comb, 20));
  EXPECT_EQ(static_cast<int>(SegmentsOf(comb, 20).size()), std::min(999, ocr::kMaxSegments));
}

TEST(FitBoxHeight, ShrinksToInkedRowsAndRefusesEmptyBoxes) {
  ocr::PixelGrid grid;
  ASSERT_TRUE(
      grid.Prepare(BitmapFromRows({"#....", "#....", "..#..", "..#..", "....#", "....."})).ok());
  ocr::GlyphBox box{1, 0, 3, 6};
  EXPECT_TRUE(ocr::FitBoxHeight(grid, box));
  EXPECT_EQ(box.top, 2);
  EXPECT_EQ(box.height, 2);
  ocr::GlyphBox empty{1, 0, 1, 6};
  EXPECT_FALSE(ocr::FitBoxHeight(grid, empty));
  EXPECT_EQ(empty.top, 0);
  EXPECT_EQ(empty.height, 6);
  // A glyph in parts (a colon) keeps the blank rows between them; ink beside the box does not
  // count.
  ASSERT_TRUE(
      grid.Prepare(BitmapFromRows({"#....", "#.#..", ".....", "#....", "..#..", "#....", "....."}))
          .ok());
  ocr::GlyphBox colon{1, 0, 3, 7};
  EXPECT_TRUE(ocr::FitBoxHeight(grid, colon));
  EXPECT_EQ(colon.top, 1);
  EXPECT_EQ(colon.height, 4);
}

}  // namespace

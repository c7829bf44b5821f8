// Cropping pictures to their ink, and the standard size estimate.
#include "ocr/cropping.h"

#include <gtest/gtest.h>

#include "core/ocr/ocr_test_support.h"
#include "document/row_table.h"
#include "document/subtitle_document.h"
#include "ocr/recogniser.h"
#include "ocr/size_estimate.h"
#include "support/fake_ports.h"

namespace {

ocr::MemoryPicture Block(int width, int height, int left, int top, int right, int bottom) {
  ocr::MemoryPicture picture(width, height, 0x336699);
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      picture.SetPixel(x, y, ocr::kInkColour);
    }
  }
  return picture;
}

TEST(CropPicture, KeepsTheInkWithOneBlankRowAboveAndColumnLeft) {
  ocr::MemoryPicture picture = Block(300, 60, 50, 20, 200, 40);
  ASSERT_TRUE(ocr::CropPicture(picture));
  EXPECT_EQ(picture.Width(), 152);
  EXPECT_EQ(picture.Height(), 22);
  EXPECT_EQ(picture.Pixel(0, 0), 0x336699u);
  EXPECT_EQ(picture.Pixel(1, 1), ocr::kInkColour);
  EXPECT_EQ(picture.Pixel(151, 21), ocr::kInkColour);
  // Cropping again changes nothing.
  ASSERT_TRUE(ocr::CropPicture(picture));
  EXPECT_EQ(picture.Width(), 152);
  EXPECT_EQ(picture.Height(), 22);
}

TEST(CropPicture, EdgeCases) {
  const struct {
    ocr::MemoryPicture picture;
    int left, top, width, height;
  } cases[] = {
      {Block(40, 20, 5, 0, 9, 6), 4, 0, 6, 7},      // ink from row 0: top clamps at 0
      {ocr::MemoryPicture(40, 20), 35, 15, 4, 4},   // no ink: a 4 × 4 corner
      {Block(40, 20, 0, 3, 39, 19), 0, 2, 40, 18},  // ink to the edges
  };
  for (const auto& c : cases) {
    const auto kept = ocr::FindCropRectangle(c.picture);
    EXPECT_EQ(kept.left, c.left);
    EXPECT_EQ(kept.top, c.top);
    EXPECT_EQ(kept.width, c.width);
    EXPECT_EQ(kept.height, c.height);
  }
  ocr::MemoryPicture small(30, 4, ocr::kInkColour);
  EXPECT_FALSE(ocr::CropPicture(small));
  EXPECT_EQ(small.Height(), 4);
}

document::SubtitleDocument PictureSubtitle(int rows) {
  document::SubtitleDocument document;
  document.picture_folder = "pics";
  for (int r = 1; r <= rows; ++r) {
    if (r > 1) {
      document.main.AppendRow();
    }
    document.main.SetCell(document::kPicture, r, std::to_string(r) + ".bmp");
  }
  return document;
}

TEST(CropPictures, CropsAllButTheLastRowAndStops) {
  ocr_testing::MemoryPictureIo pictures;
  auto document = PictureSubtitle(4);
  for (int r = 1; r <= 4; ++r) {
    pictures.Put(std::filesystem::path("pics") / (std::to_string(r) + ".bmp"),
                 Block(100, 30, 10, 10, 20, 20));
  }
  testing_support::FakeEventPump pump;
  const auto outcome = ocr::CropPictures(document, pictures, pump, false);
  EXPECT_FALSE(outcome.stopped);
  EXPECT_FALSE(outcome.error.has_value());
  EXPECT_EQ(outcome.pictures_cropped, 3);
  EXPECT_EQ(pump.last_done, 3);
  EXPECT_EQ(pump.last_total, 3);
  EXPECT_EQ(pictures.files["pics/3.bmp"].Width(), 12);
  EXPECT_EQ(pictures.files["pics/4.bmp"].Width(), 100);

  for (int r = 1; r <= 4; ++r) {
    pictures.Put(std::filesystem::path("pics") / (std::to_string(r) + ".bmp"),
                 Block(100, 30, 10, 10, 20, 20));
  }
  testing_support::FakeEventPump stopping;
  stopping.stop_at_call = 2;
  const auto stopped = ocr::CropPictures(document, pictures, stopping, false);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.pictures_cropped, 1);
  EXPECT_EQ(pictures.files["pics/2.bmp"].Width(), 100);

  pictures.files.erase("pics/2.bmp");
  testing_support::FakeEventPump pump2;
  const auto failed = ocr::CropPictures(document, pictures, pump2, true);
  ASSERT_TRUE(failed.error.has_value());
  EXPECT_EQ(failed.pictures_cropped, 1);
}

TEST(EstimateStandardSizes, TakesTheMostFrequentSizesFirstSeenWinningTies) {
  ocr_testing::EmptyLibrary library;
  ocr_testing::MemoryPictureIo pictures;
  ocr::Recogniser recogniser(library.library, pictures);
  auto document = PictureSubtitle(4);
  // The estimate looks for the files on disk and reads them through the picture store.
  document.picture_folder = library.folder.path();
  for (int r = 1; r <= 4; ++r) {
    library.folder.Write(std::to_string(r) + ".bmp", "");
  }
  const auto at = [&](int r) { return document.picture_folder / (std::to_string(r) + ".bmp"); };
  // Rows 1 and 2: one line 12 high with glyphs 8 wide; rows 3 and 4: 14 high, 9 wide.
  auto line = [](int height, int glyph) {
    ocr::MemoryPicture picture(60, height + 4);
    for (int g = 0; g < 3; ++g) {
      for (int y = 1; y <= height; ++y) {
        for (int x = 0; x < glyph; ++x) {
          picture.SetPixel(2 + g * (glyph + 3) + x, y, ocr::kInkColour);
        }
      }
    }
    return picture;
  };
  pictures.Put(at(1), line(12, 8));
  pictures.Put(at(2), line(12, 8));
  pictures.Put(at(3), line(14, 9));
  pictures.Put(at(4), line(14, 9));
  const auto estimate = ocr::EstimateStandardSizes(recogniser, document, 10);
  EXPECT_EQ(estimate.line_height, 12);
  EXPECT_EQ(estimate.glyph_width, 8);
  EXPECT_EQ(estimate.sampled_lines, 4);
  EXPECT_EQ(recogniser.Options().line_height, 12);
  EXPECT_EQ(recogniser.Options().glyph_width, 8);

  // Stops once enough lines were sampled; a missing picture repeats the one before.
  std::filesystem::remove(at(2));
  const auto sampled = ocr::EstimateStandardSizes(recogniser, document, 2);
  EXPECT_EQ(sampled.sampled_lines, 2);
  EXPECT_EQ(sampled.line_height, 12);

  // Sizes of 5 pixels or less never enter a tally.
  for (int r = 1; r <= 4; ++r) {
    pictures.Put(at(r), line(5, 4));
  }
  const auto tiny = ocr::EstimateStandardSizes(recogniser, document, 10);
  EXPECT_EQ(tiny.line_height, 0);
  EXPECT_EQ(tiny.glyph_width, 0);

  EXPECT_EQ(ocr::SampleLineCount("abc"), 10);
  EXPECT_EQ(ocr::SampleLineCount(""), 10);
  EXPECT_EQ(ocr::SampleLineCount("25"), 25);
}

TEST(CropPictures, NeverTouchesAPictureNamedOutsideTheFolder) {
  for (const char* outside : {"../outside/o1.bmp", "/films/other/o1.bmp"}) {
    ocr_testing::MemoryPictureIo pictures;
    auto document = PictureSubtitle(4);
    document.main.SetCell(document::kPicture, 2, outside);
    for (const auto& name : {"pics/1.bmp", "pics/3.bmp", "pics/4.bmp"}) {
      pictures.Put(name, Block(100, 30, 10, 10, 20, 20));
    }
    const auto outside_path = std::filesystem::path("pics") / outside;
    pictures.Put(outside_path, Block(100, 30, 10, 10, 20, 20));
    testing_support::FakeEventPump pump;
    const auto refused = ocr::CropPictures(document, pictures, pump, false);
    ASSERT_TRUE(refused.error.has_value()) << outside;
    EXPECT_EQ(refused.error->code, "outside");
    EXPECT_EQ(refused.error_row, 2);
    EXPECT_EQ(refused.pictures_cropped, 1);
    EXPECT_EQ(pictures.files[outside_path].Width(), 100) << outside;

    document.pictures_outside_allowed = true;
    testing_support::FakeEventPump allowed_pump;
    const auto allowed = ocr::CropPictures(document, pictures, allowed_pump, false);
    EXPECT_FALSE(allowed.error.has_value()) << outside;
    EXPECT_EQ(pictures.files[outside_path].Width(), 12) << outside;
  }
}

}  // namespace

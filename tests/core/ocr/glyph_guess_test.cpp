// The picture an OCR engine is given of a glyph, and the engine's guess in the teaching question:
// offered once per box, saved only when accepted.
#include "ocr/glyph_guess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "core/ocr/ocr_test_support.h"
#include "ocr/recogniser.h"
#include "ocr/suggestions.h"
#include "support/fake_ports.h"

namespace {

std::vector<std::tuple<std::string, int, int>> Summary(const std::vector<ocr::Suggestion>& list) {
  std::vector<std::tuple<std::string, int, int>> summary;
  for (const auto& s : list) {
    summary.emplace_back(s.text, s.distance, s.number);
  }
  return summary;
}

// Picture cells as text: '#' for ink (grey below 128), '.' for background.
std::vector<std::string> Cells(const ocr::GuessPicture& picture) {
  std::vector<std::string> rows;
  for (int y = 0; y < picture.height; ++y) {
    std::string row;
    for (int x = 0; x < picture.width; ++x) {
      row += picture.At(x, y) < 128 ? '#' : '.';
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(GuessPicture, KeepsTheMarkInItsPlaceInTheLineScaledAndFramed) {
  // A line 12 rows high: a full-height bar and, 3 columns later, a 2 × 2 mark at the bottom.
  std::vector<std::string> art(12, "##........");
  art[10] = "##...##...";
  art[11] = "##...##...";
  ocr::PixelGrid grid;
  ASSERT_TRUE(grid.Prepare(ocr_testing::BitmapFromRows(art)).ok());
  const int m = ocr::kGuessMargin;
  struct Case {
    ocr::GlyphBox box;
    int width;                // of the picture, margins included
    int ink_left, ink_right;  // ink columns inside the picture
    int ink_top, ink_bottom;  // ink rows inside the picture
  };
  // Scale 48 / 12 = 4: a pixel becomes 4 × 4.
  const Case cases[] = {
      {{0, 10, 2, 1}, 2 * 4 + 2 * m, m, m + 7, m, m + 47},       // the bar: the whole line
      {{5, 11, 2, 1}, 2 * 4 + 2 * m, m, m + 7, m + 40, m + 47},  // the mark stays low
      {{0, 0, 7, 12}, 7 * 4 + 2 * m, m, m + 27, m, m + 47},      // both
  };
  for (const Case& c : cases) {
    const ocr::GuessPicture picture = ocr::GuessPictureOf(grid, c.box, 0, 12);
    ASSERT_EQ(picture.width, c.width);
    ASSERT_EQ(picture.height, 48 + 2 * m);
    const auto cells = Cells(picture);
    int left = picture.width, right = -1, top = picture.height, bottom = -1;
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        if (cells[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#') {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
      }
    }
    EXPECT_EQ(std::tie(left, right, top, bottom),
              std::tie(c.ink_left, c.ink_right, c.ink_top, c.ink_bottom))
        << c.box.left;
  }
  // Shrinking averages: a line of 96 rows scaled by one half gives grey, not lost ink, for a
  // one-pixel stroke.
  std::vector<std::string> tall(96, "....#...");
  ocr::PixelGrid tall_grid;
  ASSERT_TRUE(tall_grid.Prepare(ocr_testing::BitmapFromRows(tall)).ok());
  const ocr::GuessPicture half = ocr::GuessPictureOf(tall_grid, {0, 0, 8, 96}, 0, 96);
  EXPECT_EQ(half.width, 4 + 2 * m);
  EXPECT_EQ(half.At(m + 2, m + 10), 128);
  EXPECT_EQ(half.At(m + 1, m + 10), 255);
  EXPECT_TRUE(ocr::GuessPictureOf(tall_grid, {0, 0, 0, 96}, 0, 96).pixels.empty());
}

// Reads every glyph as the text it was set to, and counts the pictures it was shown.
class FakeGuesser : public ocr::GlyphGuesser {
 public:
  std::string Guess(const ocr::GuessPicture& picture) override {
    ++calls;
    widths.push_back(picture.width);
    return answer;
  }
  std::string answer;
  int calls = 0;
  std::vector<int> widths;
};

TEST(OcrGuess, OfferedOncePerBoxAndSavedOnlyWhenAccepted) {
  const std::vector<std::string> kBar(10, "####");
  const std::vector<std::string> kRing = {"######", "#....#", "#....#", "#....#", "#....#",
                                          "#....#", "#....#", "#....#", "#....#", "######"};
  struct Case {
    bool option;  // the OCR guess option
    bool guesser;
    std::string answer;
    bool expect_guess;
  };
  const Case cases[] = {
      {true, true, "\xD6\xD0", true},  // 中
      {false, true, "\xD6\xD0", false},
      {true, false, "\xD6\xD0", false},
      {true, true, "", false},  // the engine read nothing
  };
  for (const Case& c : cases) {
    ocr_testing::EmptyLibrary empty;
    ocr_testing::MemoryPictureIo pictures;
    ocr::Recogniser recogniser(empty.library, pictures);
    recogniser.Options().glyph_width = 8;
    recogniser.Options().fitted_box = false;
    recogniser.Options().ocr_guess = c.option;
    FakeGuesser guesser;
    guesser.answer = c.answer;
    if (c.guesser) {
      recogniser.SetGuesser(&guesser);
    }
    std::vector<ocr::Suggestion> first;
    std::vector<ocr::Suggestion> widened;
    int calls_before_typing = 0;
    ocr_testing::ScriptedTeacher teacher;
    teacher.actions = {[&](ocr::TeachingSession& session) {
      first = session.Suggestions();
      calls_before_typing = guesser.calls;
      session.KeyTyped();  // the same box: not asked again
      session.KeyTyped();
      EXPECT_EQ(guesser.calls, calls_before_typing);
      session.Expand();  // a new box: asked again
      widened = session.Suggestions();
      const auto accepted = std::find_if(widened.begin(), widened.end(), [](const auto& s) {
        return s.source == ocr::SuggestionSource::kOcrGuess;
      });
      if (accepted != widened.end()) {
        ASSERT_TRUE(session.Accept(static_cast<int>(accepted - widened.begin())).ok());
      } else {
        ASSERT_TRUE(session.Save("typed").ok());
      }
    }};
    testing_support::FakeEventPump pump;
    ASSERT_TRUE(
        recogniser.Prepare(ocr_testing::BitmapFromRows(ocr_testing::Compose({kBar, kRing}, 3, 2)))
            .ok());
    ASSERT_TRUE(recogniser.RecognisePicture(teacher, pump));
    const std::vector<ocr::Suggestion> expected =
        c.expect_guess ? std::vector<ocr::Suggestion>{{c.answer, ocr::SuggestionSource::kOcrGuess}}
                       : std::vector<ocr::Suggestion>{};
    EXPECT_EQ(Summary(first), Summary(expected)) << c.option << c.guesser;
    EXPECT_EQ(guesser.calls, (c.option && c.guesser) ? 2 : 0);
    // The saved record: the guess only when accepted, the typed text otherwise.
    ASSERT_EQ(empty.library.RecordCount(), 1);
    EXPECT_EQ(empty.library.Text(0), c.expect_guess ? c.answer : "typed");
    EXPECT_EQ(recogniser.Counts().accepted, c.expect_guess ? 1 : 0);
    if (guesser.calls == 2) {
      EXPECT_LT(guesser.widths[0], guesser.widths[1]);  // the widened box
    }
  }
}

}  // namespace

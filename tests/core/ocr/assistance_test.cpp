// Teaching assistance in the walk: the spaces rule for Chinese text, the skip placeholder, the box
// fitted to one glyph, the library's nearest shapes and accepting a suggestion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ocr/ocr_test_support.h"
#include "library/glyph_library.h"
#include "ocr/features.h"
#include "ocr/glyph_text.h"
#include "ocr/recogniser.h"
#include "ocr/suggestions.h"
#include "support/fake_ports.h"

namespace {

using ocr_testing::BitmapFromRows;
using ocr_testing::Compose;
using ocr_testing::SaveAs;
using ocr_testing::SkipIt;
using Art = std::vector<std::string>;

const std::string kNi = "\xC4\xE3";     // 你
const std::string kHao = "\xBA\xC3";    // 好
const std::string kComma = "\xA3\xAC";  // ，
const std::string kStop = "\xA1\xA3";   // 。
const std::string kBox = "\xA1\xF5";    // □

const Art kBlock(10, "########");
const Art kRing = {"########", "#......#", "#......#", "#......#", "#......#",
                   "#......#", "#......#", "#......#", "#......#", "########"};
const Art kCross = {"...##...", "...##...", "...##...", "...##...", "########",
                    "########", "...##...", "...##...", "...##...", "...##..."};

// `width` empty columns: placed between glyphs composed with no gap, it is the gap itself.
Art Spacer(int width) {
  return Art(1, std::string(static_cast<std::size_t>(width), '.'));
}

// One picture read by a fresh recogniser over an empty library, S_G 20 (space unit 12.5 columns,
// three spaces per unit), its questions answered by `actions`.
struct Reading {
  ocr_testing::EmptyLibrary library;
  ocr_testing::MemoryPictureIo pictures;
  ocr::Recogniser recogniser{library.library, pictures};
  ocr_testing::ScriptedTeacher teacher;
  testing_support::FakeEventPump pump;

  explicit Reading(bool assistance) {
    recogniser.Options().glyph_width = 20;
    if (!assistance) {
      recogniser.Options().SwitchAssistanceOff();
    }
  }
  std::string Read(const std::vector<Art>& parts,
                   std::deque<ocr_testing::ScriptedTeacher::Action> answers) {
    teacher.actions = std::move(answers);
    EXPECT_TRUE(recogniser.Prepare(BitmapFromRows(Compose(parts, 0, 3))).ok());
    EXPECT_TRUE(recogniser.RecognisePicture(teacher, pump));
    return recogniser.PictureText();
  }
};

TEST(ChineseSpaces, NoSpacesBesideFullWidthMarksOrInsidePhrases) {
  struct Case {
    std::string first;
    std::string second;
    int gap;
    std::string with_rule;
    std::string without_rule;
  };
  const std::string three(3, ' ');
  const std::string six(6, ' ');
  const Case cases[] = {
      // Two ideographs: below 1.5 units (18.75 columns) they belong to one phrase.
      {kNi, kHao, 13, kNi + kHao, kNi + three + kHao},
      {kNi, kHao, 18, kNi + kHao, kNi + three + kHao},
      {kNi, kHao, 19, kNi + three + kHao, kNi + three + kHao},
      {kNi, kHao, 26, kNi + six + kHao, kNi + six + kHao},
      // A full-width mark on either side: never a space, however wide the gap.
      {kNi, kComma, 13, kNi + kComma, kNi + three + kComma},
      {kComma, kHao, 26, kComma + kHao, kComma + six + kHao},
      {kStop, kNi, 40, kStop + kNi, kStop + std::string(9, ' ') + kNi},
      // Latin letters and mixed pairs keep the gap rule.
      {"a", "b", 13, "a" + three + "b", "a" + three + "b"},
      {kNi, "b", 13, kNi + three + "b", kNi + three + "b"},
      {"a", "b", 12, "ab", "ab"},
  };
  for (const Case& c : cases) {
    for (const bool rule : {true, false}) {
      Reading reading(rule);
      const std::string text =
          reading.Read({kBlock, Spacer(c.gap), kRing}, {SaveAs(c.first), SaveAs(c.second)});
      EXPECT_EQ(text, rule ? c.with_rule : c.without_rule)
          << "gap " << c.gap << (rule ? " with" : " without") << " the rule";
    }
  }
}

TEST(GlyphText, PunctuationAndIdeographs) {
  const std::pair<std::string, bool> punctuation[] = {{kComma, true},
                                                      {kStop, true},
                                                      {"\xA1\xAD\xA1\xAD" /* …… */, true},
                                                      {"\xA3\xA1" /* ！ */, true},
                                                      {"\xA1\xB6" /* 《 */, true},
                                                      {"\xA3\xB1" /* １ */, false},
                                                      {"\xA3\xC1" /* Ａ */, false},
                                                      {kNi, false},
                                                      {",", false},
                                                      {"", false},
                                                      {kComma + kNi, false},
                                                      {"\xA1\xA1" /* ideographic space */, false}};
  for (const auto& [text, expected] : punctuation) {
    EXPECT_EQ(ocr::IsFullWidthPunctuation(text), expected) << text;
  }
  const std::pair<std::string, bool> ideographs[] = {{kNi, true},
                                                     {kHao, true},
                                                     {"\x81\x40" /* GBK extension */, true},
                                                     {kComma, false},
                                                     {kBox, false},
                                                     {"a", false},
                                                     {kNi + kHao, false},
                                                     {"\xA4\xA2" /* kana */, false}};
  for (const auto& [text, expected] : ideographs) {
    EXPECT_EQ(ocr::IsIdeograph(text), expected) << text;
  }
  EXPECT_EQ(ocr::TeachingPunctuation().size(), 15U);
  for (const std::string& mark : ocr::TeachingPunctuation()) {
    EXPECT_TRUE(ocr::IsFullWidthPunctuation(mark)) << mark;
  }
}

TEST(SkipPlaceholder, SkippedGlyphLeavesTheMarkOrNothing) {
  const std::string three(3, ' ');
  {
    Reading reading(true);
    EXPECT_EQ(reading.Read({kBlock, Spacer(13), kRing}, {SkipIt(), SaveAs("b")}),
              kBox + three + "b");
    EXPECT_EQ(reading.recogniser.Counts().skipped, 1);
    EXPECT_EQ(reading.library.library.RecordCount(), 1);  // the mark is never taught
  }
  {
    Reading reading(true);
    reading.recogniser.Options().skip_placeholder = "?";
    EXPECT_EQ(reading.Read({kBlock, Spacer(13), kRing}, {SaveAs("a"), SkipIt()}),
              "a" + three + "?");
  }
  {
    Reading reading(false);
    EXPECT_EQ(reading.Read({kBlock, Spacer(13), kRing}, {SkipIt(), SaveAs("b")}), three + "b");
  }
}

// A composed character: a narrow left part, 2 columns apart from its right part (17 columns
// together), then a full glyph 6 columns further on.
const Art kRadical = {"#####", "..#..", "..#..", "..#..", "..#..",
                      "..#..", "..#..", "..#..", "..#..", "..#.."};
const Art kRightPart = {"##########", "#........#", "#........#", "##########", "#........#",
                        "#........#", "##########", "#........#", "#........#", "##########"};

TEST(FittedBox, QuestionCoversTheComposedCharacterAndUndoReachesItsLeftPart) {
  struct Seen {
    int first_width = 0;
    int after_undo = 0;
    int after_expand = 0;
  };
  for (const bool fitted : {true, false}) {
    Reading reading(fitted);
    Seen seen;
    auto look = [&seen](ocr::TeachingSession& session) {
      seen.first_width = session.Box().width;
      session.Undo();
      seen.after_undo = session.Box().width;
      session.Expand();
      seen.after_expand = session.Box().width;
      ASSERT_TRUE(session.Save(kHao).ok());
    };
    const std::vector<Art> parts = {kRadical, Spacer(2), kRightPart, Spacer(6), kCross};
    const std::string text = reading.Read(parts, {look, SaveAs(kNi)});
    if (fitted) {
      EXPECT_EQ(seen.first_width, 17);  // 5 + 2 + 10: within 1.12 × 20, the cross is not
      EXPECT_EQ(seen.after_undo, 5);    // back to the left part, where the question began
      EXPECT_EQ(seen.after_expand, 17);
      EXPECT_EQ(text, kHao + kNi);
      // The taught record is the whole character, so it is read at once next time.
      EXPECT_EQ(reading.library.library.FeatureLine(0).substr(
                    reading.library.library.FeatureLine(0).rfind(',', std::string::npos) - 2),
                "17,10");
      EXPECT_EQ(reading.Read(parts, {}), kHao + kNi);
      EXPECT_EQ(reading.recogniser.Counts().questions, 2);
    } else {
      EXPECT_EQ(seen.first_width, 5);  // the left part alone, as before
      EXPECT_EQ(seen.after_undo, 5);
      EXPECT_EQ(seen.after_expand, 17);
    }
  }
}

TEST(FittedBox, NeverWidensOverTwoFullGlyphs) {
  Reading reading(true);
  int width = 0;
  auto look = [&width](ocr::TeachingSession& session) {
    width = session.Box().width;
    ASSERT_TRUE(session.Save("a").ok());
  };
  // 10 + 5 + 8 = 23 columns: more than 1.12 × 20.
  const Art wide_block(10, "##########");
  reading.Read({wide_block, Spacer(5), kRing}, {look, SaveAs("b")});
  EXPECT_EQ(width, 10);
}

// Turns the pixel at (x, y) of `art` over. For a 10 × 10 glyph the pixel must lie in a measured
// cell (x / 2 + y / 2 even), or the FeatureLine stays the same.
Art Flipped(Art art, int x, int y) {
  char& pixel = art[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
  pixel = pixel == '#' ? '.' : '#';
  return art;
}

TEST(NearestShapes, OnePixelVariantsFindTheirGlyphFirst) {
  Reading reading(true);
  const Art kTee = {"##########", "##########", "....##....", "....##....", "....##....",
                    "....##....", "....##....", "....##....", "....##....", "....##...."};
  const Art kWideRing = {"##########", "#........#", "#........#", "#........#", "#........#",
                         "#........#", "#........#", "#........#", "#........#", "##########"};
  const Art kGrid = {"##########", "#...##...#", "#...##...#", "##########", "#...##...#",
                     "#...##...#", "##########", "#...##...#", "#...##...#", "##########"};
  const Art kSolid(10, "##########");
  const std::vector<std::pair<Art, std::string>> shapes = {
      {kTee, "T"}, {kWideRing, "O"}, {kGrid, "#"}, {kSolid, "M"}};
  for (const auto& [art, text] : shapes) {
    reading.Read({art}, {SaveAs(text)});
  }
  ASSERT_EQ(reading.library.library.RecordCount(), 4);
  struct Variant {
    Art art;
    std::string expected;
  };
  const Variant variants[] = {
      {Flipped(kTee, 0, 4), "T"},      {Flipped(kTee, 5, 9), "T"},
      {Flipped(kWideRing, 4, 4), "O"}, {Flipped(kWideRing, 0, 5), "O"},
      {Flipped(kGrid, 2, 2), "#"},     {Flipped(kGrid, 9, 9), "#"},
      {Flipped(kSolid, 5, 5), "M"},    {Flipped(kSolid, 0, 0), "M"},
  };
  for (const Variant& variant : variants) {
    std::vector<ocr::Suggestion> offered;
    auto look = [&offered](ocr::TeachingSession& session) {
      offered = session.Suggestions();
      session.Skip();
    };
    reading.Read({variant.art}, {look});
    ASSERT_FALSE(offered.empty()) << variant.expected;
    EXPECT_EQ(offered[0].text, variant.expected);
    EXPECT_EQ(offered[0].source, ocr::SuggestionSource::kLibrary);
    EXPECT_GT(offered[0].distance, 0);
    for (std::size_t i = 1; i < offered.size(); ++i) {
      EXPECT_LE(offered[i - 1].distance, offered[i].distance);
      EXPECT_NE(offered[i].text, offered[0].text);
    }
  }
}

TEST(NearestShapes, DistanceAndBounds) {
  EXPECT_EQ(ocr::ShapeDistance("1,2,3,4,5,6,7,8,9,10,11,12,13,20,20",
                               "1,2,3,4,5,6,7,8,9,10,11,12,13,20,20"),
            0);
  EXPECT_EQ(ocr::ShapeDistance("1,2,3,4,5,6,7,8,9,10,11,12,13,20,20",
                               "0,2,3,4,5,6,7,8,9,10,11,12,23,21,20"),
            1 + 10 + ocr::kSizeWeight);
  // Without sizes on one side only the densities count.
  EXPECT_EQ(
      ocr::ShapeDistance("1,2,3,4,5,6,7,8,9,10,11,12,13", "1,2,3,4,5,6,7,8,9,10,11,12,13,5,5"), 0);
  EXPECT_EQ(ocr::ShapeDistance("1,2,3", "1,2,3"), -1);
  EXPECT_EQ(ocr::ShapeDistance("", "1,2,3,4,5,6,7,8,9,10,11,12,13"), -1);

  ocr_testing::EmptyLibrary empty;
  EXPECT_TRUE(
      ocr::NearestShapes(empty.library, "1,2,3,4,5,6,7,8,9,10,11,12,13,9,9", 91, false).empty());
  const std::string far = "1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,9,9";
  ASSERT_TRUE(empty.library.AddGlyph("x", far, 13000).ok());
  const std::string near = "0,0,0,0,0,0,0,0,0,0,0,0,0,9,9";
  EXPECT_TRUE(ocr::NearestShapes(empty.library, near, 0, false).empty());  // beyond the bound
  EXPECT_EQ(ocr::NearestShapes(empty.library, near, 0, false, 6, 20000).size(), 1U);
}

TEST(Suggestions, MergedWithoutRepeatsReferenceFirst) {
  using ocr::SuggestionSource;
  const std::vector<ocr::Suggestion> reference = {{kNi, SuggestionSource::kReference, 0, 0}};
  const std::vector<ocr::Suggestion> guess = {{kHao, SuggestionSource::kOcrGuess, 0, 0},
                                              {kNi, SuggestionSource::kOcrGuess, 0, 0}};
  std::vector<ocr::Suggestion> shapes;
  for (const char* text : {"a", "b", kNi.c_str(), "c", "d", "e", "f"}) {
    shapes.push_back({text, SuggestionSource::kLibrary, 10, 1});
  }
  const auto merged = ocr::MergeSuggestions(reference, guess, shapes);
  std::vector<std::string> texts;
  for (const auto& s : merged) {
    texts.push_back(s.text);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{kNi, kHao, "a", "b", "c", "d"}));
  EXPECT_EQ(merged[0].source, SuggestionSource::kReference);
  EXPECT_EQ(merged[1].source, SuggestionSource::kOcrGuess);
}

TEST(Suggestions, AcceptSavesTheSuggestedTextAndCountsIt) {
  Reading reading(true);
  reading.Read({kRing}, {SaveAs("O")});
  std::vector<ocr::Suggestion> offered;
  auto accept = [&offered](ocr::TeachingSession& session) {
    offered = session.Suggestions();
    EXPECT_TRUE(session.Accept(7).ok());  // outside the list: nothing happens
    EXPECT_TRUE(session.IsOpen());
    ASSERT_TRUE(session.Accept(0).ok());
  };
  EXPECT_EQ(reading.Read({Flipped(kRing, 3, 3)}, {accept}), "O");
  ASSERT_EQ(offered.size(), 1U);
  ASSERT_EQ(reading.library.library.RecordCount(), 2);
  EXPECT_EQ(reading.library.library.Text(1), "O");
  const ocr::GlyphCounts& counts = reading.recogniser.Counts();
  EXPECT_EQ(counts.questions, 2);
  EXPECT_EQ(counts.typed, 1);
  EXPECT_EQ(counts.accepted, 1);
  EXPECT_EQ(counts.taught, 2);
  // With the option off nothing is offered.
  Reading plain(false);
  plain.Read({kRing}, {SaveAs("O")});
  auto look = [&offered](ocr::TeachingSession& session) {
    offered = session.Suggestions();
    session.Skip();
  };
  plain.Read({Flipped(kRing, 3, 3)}, {look});
  EXPECT_TRUE(offered.empty());
}

}  // namespace

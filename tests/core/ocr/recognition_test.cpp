// Matching, the glyph walk, teaching through a scripted teacher, and the run over rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/ocr/ocr_test_support.h"
#include "document/row_table.h"
#include "document/subtitle_document.h"
#include "ocr/features.h"
#include "ocr/recognition_run.h"
#include "ocr/row_analysis.h"
#include "support/fake_ports.h"

namespace {

using ocr_testing::BitmapFromRows;
using ocr_testing::Compose;
using ocr_testing::SaveAs;
using ocr_testing::SkipIt;
using Art = std::vector<std::string>;

const Art kBlock(10, "########");
const Art kRing = {"########", "#......#", "#......#", "#......#", "#......#",
                   "#......#", "#......#", "#......#", "#......#", "########"};
const Art kCross = {"...##...", "...##...", "...##...", "...##...", "########",
                    "########", "...##...", "...##...", "...##...", "...##..."};
const Art kBar(10, "###");

Art Bar(int width) {
  return Art(2, std::string(width, '#'));
}

class MessageTexts : public ports::MessageSource {
 public:
  std::string Message(int number) const override {
    return "<" + std::to_string(number) + ">";
  }
};

class RecognitionTest : public ::testing::Test {
 protected:
  RecognitionTest() : recogniser_(library_.library, pictures_) {
    document_.picture_folder = pictures_folder_.path();
    document_.picture_mode = true;
    // These cases describe the walk without assistance; the assistance has its own tests.
    recogniser_.Options().SwitchAssistanceOff();
  }

  // Appends a row whose picture shows `glyphs` `gap` columns apart; its text starts as "old".
  int AddRow(const std::vector<Art>& glyphs, int gap = 4) {
    int row = next_row_++;
    if (row > 1) {
      document_.main.AppendRow();
    }
    const std::string name = std::to_string(row) + ".bmp";
    document_.main.SetCell(document::kPicture, row, name);
    document_.main.SetCell(document::kText, row, "old");
    pictures_folder_.Write(name, "BM");
    pictures_.Put(pictures_folder_ / name, BitmapFromRows(Compose(glyphs, gap, 3)));
    return row;
  }

  std::string Text(int row) const {
    return document_.main.Cell(document::kText, row);
  }

  ocr::RunOutcome Run(int start_row = 1) {
    const ocr::RunPorts ports{teacher_, pump_, messages_, texts_};
    return ocr::RunRecognition(recogniser_, document_, start_row, ports);
  }

  ocr_testing::EmptyLibrary library_;
  ocr_testing::MemoryPictureIo pictures_;
  testing_support::TempDir pictures_folder_;
  ocr::Recogniser recogniser_;
  document::SubtitleDocument document_;
  testing_support::FakeMessages messages_;
  testing_support::FakeEventPump pump_;
  MessageTexts texts_;
  ocr_testing::ScriptedTeacher teacher_;
  int next_row_ = 1;
};

const std::string kNi = "\xC4\xE3";   // 你
const std::string kHao = "\xBA\xC3";  // 好

TEST_F(RecognitionTest, TaughtGlyphsAreRecognisedWhenTheyComeAgain) {
  AddRow({kBlock, kRing});
  AddRow({kRing, kBlock});
  AddRow({kRing});
  teacher_.actions = {SaveAs(kNi), SaveAs(kHao)};
  const auto outcome = Run();
  EXPECT_EQ(outcome.end, ocr::RunEnd::kCompleted);
  EXPECT_TRUE(outcome.post_run_due);
  EXPECT_EQ(teacher_.questions, 2);
  EXPECT_EQ(Text(1), kNi + kHao);
  EXPECT_EQ(Text(2), kHao + kNi);
  EXPECT_EQ(Text(3), kHao);
  EXPECT_EQ(document_.main.Cell(document::kBaseText, 2), kHao + kNi);
  EXPECT_EQ(outcome.rows_recognised, 3);
  EXPECT_EQ(outcome.glyphs.taught, 2);
  EXPECT_EQ(outcome.glyphs.matched, 3);
  EXPECT_EQ(outcome.next_start_row, 4);
  EXPECT_FALSE(document_.document_saved);
  EXPECT_FALSE(document_.proofread_done);
  EXPECT_EQ(recogniser_.TaughtRows(), (std::vector<int>{1, 1}));
  // The library holds both glyphs, in the journal too, with their pictures.
  ASSERT_EQ(library_.library.RecordCount(), 2);
  EXPECT_EQ(library_.library.JournalCount(), 2);
  EXPECT_EQ(library_.library.FeatureLine(0),
            "1000,1000,667,1000,1000,1000,1000,667,1000,1000,1000,1000,667,8,10");
  // (8 / 5 in single precision is slightly above 1.6: the last cell column reaches column 8,
  // which is background.)
  const auto picture = pictures_.files.find(library_.library.PicturePath(1).string());
  ASSERT_NE(picture, pictures_.files.end());
  EXPECT_EQ(picture->second.Width(), 8);
  EXPECT_EQ(picture->second.Height(), 10);
  EXPECT_EQ(picture->second.Pixel(3, 3), ocr::kInkColour);
}

TEST_F(RecognitionTest, ARunIsOneUndoStepThatPutsBackTextsAndFlags) {
  AddRow({kBlock, kRing});
  AddRow({kRing});
  AddRow({kBlock});
  document_.main.History().Clear();  // the rows as a file would have given them
  teacher_.actions = {SaveAs(kNi), SaveAs(kHao)};
  ASSERT_EQ(Run().end, ocr::RunEnd::kCompleted);
  const document::EditHistory& history = document_.main.History();
  ASSERT_EQ(history.UndoCount(), 1u);
  EXPECT_EQ(history.UndoKind(), document::EditKind::kRecognition);

  ASSERT_TRUE(document_.Undo());
  for (int row = 1; row <= 3; ++row) {
    EXPECT_EQ(Text(row), "old");
    EXPECT_EQ(document_.main.Cell(document::kBaseText, row), "");
  }
  EXPECT_TRUE(document_.document_saved);
  EXPECT_TRUE(document_.proofread_done);
  EXPECT_EQ(document_.current_row, 1);
  ASSERT_TRUE(document_.Redo());
  EXPECT_EQ(Text(1), kNi + kHao);
  EXPECT_EQ(document_.main.Cell(document::kBaseText, 3), kNi);
  EXPECT_FALSE(document_.document_saved);
  EXPECT_FALSE(document_.proofread_done);
}

TEST_F(RecognitionTest, ARunOnADocumentWithoutUndoHistoryWritesTheSameAndRecordsNothing) {
  document_ = document::SubtitleDocument(document::UndoHistory::kNotRecorded);
  document_.picture_folder = pictures_folder_.path();
  document_.picture_mode = true;
  AddRow({kBlock, kRing});
  AddRow({kRing});
  teacher_.actions = {SaveAs(kNi), SaveAs(kHao)};
  ASSERT_EQ(Run().end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(Text(1), kNi + kHao);
  EXPECT_EQ(document_.main.Cell(document::kBaseText, 2), kHao);
  EXPECT_FALSE(document_.document_saved);
  const document::EditHistory& history = document_.main.History();
  EXPECT_EQ(history.UndoCount(), 0u);
  EXPECT_EQ(history.ByteSize(), 0u);
  EXPECT_FALSE(document_.Undo());
  EXPECT_EQ(Text(1), kNi + kHao);
}

TEST_F(RecognitionTest, SpacesFollowTheGapInSpaceUnits) {
  recogniser_.Options().glyph_width = 20;
  AddRow({kBlock, kRing}, 4);
  teacher_.actions = {SaveAs("a"), SaveAs("b")};
  ASSERT_EQ(Run().end, ocr::RunEnd::kCompleted);
  ASSERT_EQ(Text(1), "ab");
  // Unit = 20 × 5 / 8 = 12.5 columns; 11 - p4 spaces per unit.
  const struct {
    int gap;
    int space_width;
    std::string text;
  } cases[] = {{12, 8, "ab"}, {13, 8, "a   b"}, {25, 8, "a      b"}, {13, 10, "a b"}, {2, 8, "ab"}};
  for (const auto& c : cases) {
    recogniser_.Options().space_width = c.space_width;
    const int row = AddRow({kBlock, kRing}, c.gap);
    ASSERT_EQ(Run(row).end, ocr::RunEnd::kCompleted);
    EXPECT_EQ(Text(row), c.text) << "gap " << c.gap;
  }
  recogniser_.Options().glyph_width = 0;  // no standard width: no spaces
  const int row = AddRow({kBlock, kRing}, 40);
  ASSERT_EQ(Run(row).end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(Text(row), "ab");
}

TEST_F(RecognitionTest, DashRuleDependsOnTheBoxWidth) {
  const std::string one = "\xD2\xBB";  // 一
  recogniser_.Options().glyph_width = 20;
  // Each bar is taught in one row and read back in the next.
  const struct {
    std::string taught;
    int width;
    std::string read;
  } cases[] = {{"-", 17, "-"}, {"-", 18, one}, {one, 12, "-"}, {one, 13, one}};
  for (const auto& c : cases) {
    const int taught_row = AddRow({Bar(c.width)});
    const int read_row = AddRow({Bar(c.width)});
    teacher_.actions = {SaveAs(c.taught)};
    ASSERT_EQ(Run(taught_row).end, ocr::RunEnd::kCompleted);
    EXPECT_EQ(Text(taught_row), c.taught);
    EXPECT_EQ(Text(read_row), c.read) << c.width;
  }
  EXPECT_EQ(teacher_.questions, 4);
}

TEST_F(RecognitionTest, FirstEqualCandidateWinsAndRowAnalysisListsNumbers) {
  const int row = AddRow({kCross});
  ASSERT_TRUE(ocr::LoadSubtitlePicture(recogniser_, document_, "1.bmp").value());
  // The cross's features as the walk computes them: segment width, fitted rows.
  ocr::PixelGrid grid;
  ASSERT_TRUE(grid.Prepare(*pictures_.Load(pictures_folder_ / "1.bmp").value()).ok());
  ocr::GlyphBox box{3, 0, 8, grid.Height()};
  ASSERT_TRUE(ocr::FitBoxHeight(grid, box));
  std::string line;
  const int key = ocr::ComputeFeatures(grid, box, false, line);
  // Same key, other densities: the fields of the first two cells swapped.
  std::vector<std::string> fields;
  for (std::size_t start = 0; start <= line.size();) {
    const std::size_t comma = std::min(line.find(',', start), line.size());
    fields.push_back(line.substr(start, comma - start));
    start = comma + 1;
  }
  std::swap(fields[0], fields[1]);
  std::string other;
  for (const auto& field : fields) {
    other.append(other.empty() ? "" : ",").append(field);
  }
  ASSERT_NE(other, line);
  ASSERT_TRUE(library_.library.AddGlyph("x", other, key).ok());
  ASSERT_TRUE(library_.library.AddGlyph("y", line, key).ok());
  ASSERT_TRUE(library_.library.AddGlyph("z", line, key).ok());

  for (int pass = 0; pass < 2; ++pass) {  // a second analysis gives the same list
    const auto analysis = ocr::AnalyseRow(recogniser_, teacher_, pump_);
    EXPECT_TRUE(analysis.complete);
    ASSERT_EQ(analysis.glyphs.size(), 1u);
    EXPECT_EQ(analysis.glyphs[0].text, "y");
    EXPECT_EQ(analysis.glyphs[0].number, 2);
  }
  EXPECT_EQ(Text(row), "old");  // analysis never writes the row
}

TEST_F(RecognitionTest, ExpandUndoAndSkipMoveTheBoxBySegments) {
  const std::string chuan = "\xB4\xA8";  // 川
  recogniser_.Options().glyph_width = 20;
  // Two bars 2 columns apart form one glyph; a block follows 8 columns later.
  std::vector<std::string> rows = Compose({kBar, kBar}, 2, 0);
  std::vector<std::string> with_block = Compose({rows, kBlock}, 8, 0);
  AddRow({with_block});
  AddRow({rows});
  std::vector<int> widths;
  auto record = [&widths](void (ocr::TeachingSession::*action)()) {
    return [&widths, action](ocr::TeachingSession& session) {
      (session.*action)();
      widths.push_back(session.Box().width);
    };
  };
  teacher_.actions = {record(&ocr::TeachingSession::Expand),
                      record(&ocr::TeachingSession::Undo),
                      record(&ocr::TeachingSession::Undo),
                      record(&ocr::TeachingSession::Expand),
                      SaveAs(chuan),
                      SkipIt()};
  const auto outcome = Run();
  EXPECT_EQ(outcome.end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(widths, (std::vector<int>{8, 3, 3, 8}));
  EXPECT_EQ(Text(1), chuan);  // the skipped block leaves nothing
  EXPECT_EQ(Text(2), chuan);  // the widest span is tried first
  EXPECT_EQ(teacher_.questions, 2);
  EXPECT_EQ(outcome.glyphs.taught, 1);
  EXPECT_EQ(outcome.glyphs.skipped, 1);
  EXPECT_EQ(library_.library.FeatureLine(0).substr(library_.library.FeatureLine(0).rfind(',') - 2),
            ",8,10");
}

TEST_F(RecognitionTest, CorrectingAnEarlierGlyphSendsTheRunBackToItsRow) {
  AddRow({kBlock});
  AddRow({kRing});
  AddRow({kBlock});
  AddRow({kCross});
  int shown_before = 0;
  int shown_after = 0;
  teacher_.actions = {SaveAs("x"), SaveAs("b"), [&](ocr::TeachingSession& session) {
                        shown_before = session.ShownNumber();
                        EXPECT_TRUE(session.CanShowPrevious());
                        EXPECT_FALSE(session.CanShowNext());
                        session.ShowPreviousRecord();
                        shown_after = session.ShownNumber();
                        EXPECT_EQ(session.ShownText(), "x");
                        EXPECT_TRUE(session.CanShowNext());
                        session.SetShownText("a");
                        ASSERT_TRUE(session.Save("c").ok());
                      }};
  const auto outcome = Run();
  EXPECT_EQ(outcome.end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(shown_before, 2);
  EXPECT_EQ(shown_after, 1);
  EXPECT_EQ(teacher_.questions, 3);
  EXPECT_EQ(Text(1), "a");
  EXPECT_EQ(Text(2), "b");
  EXPECT_EQ(Text(3), "a");
  EXPECT_EQ(Text(4), "c");
  EXPECT_EQ(library_.library.Text(0), "a");
  EXPECT_EQ(recogniser_.TaughtRows(), (std::vector<int>{1, 2, 4}));
  EXPECT_EQ(outcome.rows_recognised, 8);  // rows 1 to 4 twice
}

TEST_F(RecognitionTest, StopKeepsFinishedRowsAndRestartsAtTheUnfinishedOne) {
  AddRow({kBlock});
  teacher_.actions = {SaveAs("a")};
  ASSERT_EQ(Run().end, ocr::RunEnd::kCompleted);
  document_.main.SetCell(document::kText, 1, "old");
  AddRow({kBlock});
  AddRow({kBlock});
  // Per row of one glyph: the row, the line, the glyph and the end of the line: 4 pumps.
  testing_support::FakeEventPump stopping;
  stopping.stop_at_call = 6;
  const ocr::RunPorts ports{teacher_, stopping, messages_, texts_};
  const auto stopped = ocr::RunRecognition(recogniser_, document_, 1, ports);
  EXPECT_EQ(stopped.end, ocr::RunEnd::kStopped);
  EXPECT_FALSE(stopped.post_run_due);
  EXPECT_EQ(stopped.next_start_row, 2);
  EXPECT_EQ(Text(1), "a");
  EXPECT_EQ(Text(2), "old");
  EXPECT_EQ(Text(3), "old");
  EXPECT_EQ(stopping.last_done, 2);
  EXPECT_EQ(stopping.last_total, 4);

  const auto resumed = Run(stopped.next_start_row);
  EXPECT_EQ(resumed.end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(Text(2), "a");
  EXPECT_EQ(Text(3), "a");
}

TEST_F(RecognitionTest, MissingPictureAsksWhetherToGoOn) {
  AddRow({kBlock});
  AddRow({kBlock});
  AddRow({kBlock});
  // Gone from the folder, and so from what the picture layer can load.
  std::filesystem::remove(pictures_folder_ / "2.bmp");
  pictures_.files.erase((pictures_folder_ / "2.bmp").string());
  teacher_.actions = {SaveAs("a")};
  messages_.answers = {ports::Answer::kYes};
  const auto skipped = Run();
  EXPECT_EQ(skipped.end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(skipped.pictures_missing, 1);
  ASSERT_EQ(messages_.asked.size(), 1u);
  EXPECT_EQ(messages_.asked[0].text, "<443>2.bmp<446>");
  EXPECT_EQ(messages_.asked[0].caption, "<413>");
  EXPECT_EQ(messages_.asked[0].buttons, ports::Buttons::kYesNo);
  EXPECT_EQ(Text(2), "old");
  EXPECT_EQ(Text(3), "a");

  document_.main.SetCell(document::kText, 3, "old");
  messages_.answers = {ports::Answer::kNo};
  const auto declined = Run();
  EXPECT_EQ(declined.end, ocr::RunEnd::kDeclined);
  EXPECT_FALSE(declined.post_run_due);
  EXPECT_EQ(Text(3), "old");
}

TEST_F(RecognitionTest, AbortAndUnreadablePicturesEndTheRun) {
  AddRow({kBlock});
  AddRow({kRing});
  // No scripted answer: the teacher returns with the question open, which aborts.
  const auto aborted = Run();
  EXPECT_EQ(aborted.end, ocr::RunEnd::kAborted);
  EXPECT_EQ(aborted.next_start_row, 1);
  EXPECT_EQ(Text(1), "old");
  EXPECT_EQ(library_.library.RecordCount(), 0);

  pictures_.files.erase((pictures_folder_ / "2.bmp").string());
  teacher_.actions = {SaveAs("a")};
  const auto failed = Run();
  EXPECT_EQ(failed.end, ocr::RunEnd::kFailed);
  ASSERT_TRUE(failed.error.has_value());
  EXPECT_EQ(failed.error->code, "io");
  EXPECT_EQ(Text(1), "a");  // rows already written stay written
  EXPECT_EQ(Text(2), "old");
}

TEST_F(RecognitionTest, LinesAreJoinedOnlyBetweenLinesThatGaveText) {
  std::vector<std::string> rows = Compose({kBlock}, 0, 3);
  const std::vector<std::string> second = Compose({kRing}, 0, 3);
  rows.insert(rows.end(), second.begin(), second.end());
  const int row = next_row_++;
  document_.main.SetCell(document::kPicture, row, "1.bmp");
  pictures_folder_.Write("1.bmp", "BM");
  pictures_.Put(pictures_folder_ / "1.bmp", BitmapFromRows(rows));
  teacher_.actions = {SaveAs("a"), SaveAs("b")};
  ASSERT_EQ(Run().end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(Text(row), "a\\Nb");
  teacher_.actions = {SkipIt()};
  ASSERT_TRUE(library_.library.SetText(0, "a").ok());
  // Forget the block: its line gives nothing, so no break comes before the ring's text.
  ocr_testing::EmptyLibrary fresh;
  ocr::Recogniser again(fresh.library, pictures_);
  again.Options().SwitchAssistanceOff();
  ASSERT_TRUE(fresh.library
                  .AddGlyph("b", library_.library.FeatureLine(1),
                            *library::FeatureKeyOf(library_.library.FeatureLine(1)))
                  .ok());
  const ocr::RunPorts ports{teacher_, pump_, messages_, texts_};
  ASSERT_EQ(ocr::RunRecognition(again, document_, 1, ports).end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(Text(row), "b");
}

TEST_F(RecognitionTest, MovingAForcedCutFindsAKnownGlyph) {
  recogniser_.Options().glyph_width = 20;
  // 23 wide: 23 / 5 in single precision lies just below 4.6, so the box's last cell stops at
  // its own edge and the touching neighbour does not change its features.
  const Art wide(10, std::string(23, '#'));
  Art hollow(10, "#..........#");
  hollow.front() = hollow.back() = std::string(12, '#');
  AddRow({wide});
  AddRow({hollow});
  teacher_.actions = {SaveAs("w"), SaveAs("h")};
  ASSERT_EQ(Run().end, ocr::RunEnd::kCompleted);
  // Touching, they make one 35-column run, cut at 20; the cut moves to 23, where "w" ends.
  Art touching = wide;
  for (std::size_t y = 0; y < touching.size(); ++y) {
    touching[y] += hollow[y];
  }
  const int row = AddRow({touching});
  ASSERT_EQ(Run(row).end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(Text(row), "wh");
  EXPECT_EQ(teacher_.questions, 2);
}

TEST_F(RecognitionTest, BoxKeysMoveAndResizeTheBoxWithinTheirLimits) {
  // Three blocks 2 columns apart, no standard width: each segment is its own span.
  AddRow({kBlock, kBlock, kBlock}, 2);
  std::vector<std::pair<int, int>> boxes;  // left, width after each key
  auto key = [&boxes](void (ocr::TeachingSession::*action)()) {
    return [&boxes, action](ocr::TeachingSession& session) {
      (session.*action)();
      boxes.emplace_back(session.Box().left, session.Box().width);
    };
  };
  using Session = ocr::TeachingSession;
  teacher_.actions = {key(&Session::MoveBoxLeft),   // at the segment's left: no change
                      key(&Session::MoveBoxRight),  // one column right
                      key(&Session::MoveBoxLeft),   // back
                      key(&Session::WidenBox),
                      key(&Session::NarrowBox),
                      key(&Session::KeyTyped),
                      SkipIt(),
                      SkipIt(),
                      SkipIt()};
  const auto outcome = Run();
  EXPECT_EQ(outcome.end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(boxes,
            (std::vector<std::pair<int, int>>{{3, 8}, {4, 8}, {3, 8}, {3, 9}, {3, 8}, {3, 8}}));
  EXPECT_EQ(Text(1), "");
  EXPECT_EQ(outcome.glyphs.skipped, 3);
}

TEST_F(RecognitionTest, PicturesTooLargeForTheGridAreSkippedLikeMissingOnes) {
  AddRow({kBlock});
  const int row = next_row_++;
  document_.main.AppendRow();
  document_.main.SetCell(document::kPicture, row, "wide.bmp");
  document_.main.SetCell(document::kText, row, "old");
  pictures_folder_.Write("wide.bmp", "BM");
  ocr::MemoryPicture wide(2000, 20);
  wide.SetPixel(5, 5, ocr::kInkColour);
  pictures_.Put(pictures_folder_ / "wide.bmp", wide);
  teacher_.actions = {SaveAs("a")};
  messages_.answers = {ports::Answer::kYes};
  const auto outcome = Run();
  EXPECT_EQ(outcome.end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(outcome.pictures_missing, 1);
  ASSERT_EQ(messages_.asked.size(), 1u);
  EXPECT_NE(messages_.asked[0].text.find("wide.bmp"), std::string::npos);
  EXPECT_NE(messages_.asked[0].text.find("2000"), std::string::npos);
  EXPECT_EQ(Text(row), "old");
}

TEST_F(RecognitionTest, QuestionShowsWhereTheBoxIsInThePictureAndItsLineBand) {
  // A tall block then a two-row bar at the top of the line: the bar's box is two rows high, its
  // band is the whole line. The picture has a three-pixel white margin all round.
  AddRow({kBlock, Bar(8)});
  struct Seen {
    ocr::GlyphBox in_picture;
    int line_height = 0;
    int band_width = 0;
    int band_height = 0;
    bool band_top_ink = false;
    bool band_bottom_ink = false;
  };
  std::vector<Seen> seen;
  const auto look = [&seen](ocr::TeachingSession& session) {
    const auto band = session.BandPicture();
    seen.push_back({session.BoxInPicture(), session.LineHeight(), band->Width(), band->Height(),
                    band->Pixel(0, 0) == ocr::kInkColour,
                    band->Pixel(0, band->Height() - 1) == ocr::kInkColour});
    EXPECT_TRUE(session.Save("x" + std::to_string(seen.size())).ok());
  };
  teacher_.actions = {look, look};
  Run();
  ASSERT_EQ(seen.size(), 2u);
  // The block: left at the margin, top at the margin of the picture as loaded.
  EXPECT_EQ(seen[0].in_picture.left, 3);
  EXPECT_EQ(seen[0].in_picture.top, 3);
  EXPECT_EQ(seen[0].in_picture.width, 8);
  EXPECT_EQ(seen[0].in_picture.height, 10);
  // The bar: 4 columns after the block, two rows high, in a band as high as the block.
  EXPECT_EQ(seen[1].in_picture.left, 3 + 8 + 4);
  EXPECT_EQ(seen[1].in_picture.top, 3);
  EXPECT_EQ(seen[1].in_picture.height, 2);
  EXPECT_EQ(seen[1].line_height, seen[0].line_height);
  EXPECT_EQ(seen[1].band_height, seen[1].line_height);
  EXPECT_EQ(seen[1].band_width, 8);
  EXPECT_TRUE(seen[1].band_top_ink);      // the bar sits at the top of its band...
  EXPECT_FALSE(seen[1].band_bottom_ink);  // ... with the band's empty rows below it
}

TEST(TeachingPanelSizes, GrowWithWideGlyphs) {
  const struct {
    int width, panel, inner, frame;
  } cases[] = {
      {10, 345, 329, 136}, {127, 345, 329, 136}, {128, 346, 330, 137}, {130, 348, 332, 139}};
  for (const auto& c : cases) {
    const auto sizes = ocr::TeachingPanelSizesFor(c.width);
    EXPECT_EQ(sizes.panel, c.panel);
    EXPECT_EQ(sizes.inner, c.inner);
    EXPECT_EQ(sizes.frame, c.frame);
  }
}

}  // namespace

// Tests of the library editor's model: listings, searches, marks, save and archive.
#include "library/library_editor.h"

#include <gtest/gtest.h>

#include "library_fixture.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"

namespace library {
namespace {

using library_testing::Features;
using library_testing::MakeRecords;
using library_testing::NumberedMessages;
using library_testing::ReadOrEmpty;
using library_testing::Records;
using library_testing::WriteLibraryFiles;
using testing_support::FakeEventPump;
using testing_support::FakeMessages;
using testing_support::TempDir;

class Editor : public ::testing::Test {
 protected:
  void Make(const Records& records, const Records* journal = nullptr) {
    WriteLibraryFiles(dir_.path(), records, journal);
    library_ = std::make_unique<GlyphLibrary>(dir_.path());
    ASSERT_TRUE(library_->Load(pump_).ok());
    editor_ = std::make_unique<LibraryEditor>(*library_, messages_, port_);
  }
  std::vector<int> Numbers() const {
    std::vector<int> numbers;
    for (const auto& row : editor_->Rows())
      numbers.push_back(row.number);
    return numbers;
  }
  void Picture(int name_number, const std::string& content) {
    ASSERT_TRUE(text::WriteLines(library_->PicturePath(name_number), {content}).ok());
  }
  text::Lines PictureContent(const std::string& name) {
    return ReadOrEmpty(dir_ / "wordbmp" / (name + ".bmp"));
  }

  TempDir dir_;
  FakeEventPump pump_;
  FakeMessages port_;
  NumberedMessages messages_;
  std::unique_ptr<GlyphLibrary> library_;
  std::unique_ptr<LibraryEditor> editor_;
};

TEST_F(Editor, OpensWithTheLatestThousandOldestFirst) {
  Make(MakeRecords(1500), nullptr);
  ASSERT_TRUE(editor_->Open("", "", pump_).ok());
  ASSERT_EQ(editor_->Rows().size(), 1000u);
  EXPECT_EQ(editor_->Rows().front().number, 501);
  EXPECT_EQ(editor_->Rows().back().number, 1500);
  EXPECT_EQ(editor_->Rows().back().text, "t1499");
  EXPECT_EQ(editor_->CurrentRow(), 999);
  EXPECT_EQ(editor_->TitleText(), "<449>1500<452>");
  EXPECT_EQ(editor_->StatusText(), "<455>1500<458>1500<461>0<464>");
  EXPECT_FALSE(editor_->ArchiveEnabled());
}

TEST_F(Editor, OpensSmallLibrariesWholeAndEmptyOnesWithOneEmptyRow) {
  const Records journal = MakeRecords(2, 900);
  Make(MakeRecords(300), &journal);
  ASSERT_TRUE(editor_->Open("", "", pump_).ok());
  EXPECT_EQ(editor_->Rows().size(), 302u);
  EXPECT_EQ(editor_->Rows().front().number, 1);
  EXPECT_EQ(editor_->StatusText(), "<455>302<458>300<461>2<464>");
  EXPECT_TRUE(editor_->ArchiveEnabled());

  TempDir empty_dir;
  WriteLibraryFiles(empty_dir.path(), Records{});
  GlyphLibrary empty(empty_dir.path());
  ASSERT_TRUE(empty.Load(pump_).ok());
  LibraryEditor editor(empty, messages_, port_);
  ASSERT_TRUE(editor.Open("", "", pump_).ok());
  ASSERT_EQ(editor.Rows().size(), 1u);
  EXPECT_EQ(editor.Rows()[0].number, 0);
}

TEST_F(Editor, TextSearchMatchesWholeTextsByteForByte) {
  Records records = MakeRecords(6);
  records.texts = {"\xB0\xA1", "a", "\xB0\xA1", "\xB0\xA1\xB0\xA1", "A", "\xB0\xA1"};
  Make(records);
  EXPECT_EQ(editor_->SearchText("\xB0\xA1", pump_), 3);
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 3, 6}));
  EXPECT_EQ(editor_->StatusText(), "<608>3<524>");
  EXPECT_EQ(editor_->SearchText("a", pump_), 1);
  EXPECT_EQ(Numbers(), (std::vector<int>{2}));
  EXPECT_EQ(editor_->SearchText("zz", pump_), 0);
  EXPECT_EQ(Numbers(), (std::vector<int>{0}));
  EXPECT_EQ(editor_->StatusText(), "<608>0<524>");
  // Nothing to save on the empty row, and nothing is asked.
  editor_->MarkChanged(0);
  auto saved = editor_->Save(pump_);
  ASSERT_TRUE(saved.ok());
  EXPECT_EQ(saved.value(), SaveOutcome::kNothingMarked);
  EXPECT_TRUE(port_.asked.empty());
}

TEST_F(Editor, RangeSearchChecksItsBoundsAndStopsAtTheLastRecord) {
  Make(MakeRecords(1500));
  ASSERT_TRUE(editor_->SearchRange("1490", "1600", pump_).ok());
  EXPECT_EQ(editor_->Rows().size(), 11u);
  EXPECT_EQ(editor_->StatusText(), "<608>11<524>");
  EXPECT_EQ(RefusalMessage(editor_->SearchRange("1a", "5", pump_).error()), 611);
  EXPECT_EQ(RefusalMessage(editor_->SearchRange("-1", "5", pump_).error()), 611);
  EXPECT_EQ(RefusalMessage(editor_->SearchRange("1501", "1600", pump_).error()), 614);
  EXPECT_EQ(RefusalMessage(editor_->SearchRange("20", "10", pump_).error()), 617);
  EXPECT_TRUE(editor_->SearchRange("", "10", pump_).ok());
  EXPECT_EQ(editor_->Rows().size(), 11u) << "an empty bound changes nothing";
  ASSERT_TRUE(editor_->SearchRange("0", "3", pump_).ok());
  EXPECT_EQ(Numbers(), (std::vector<int>{1, 2, 3}));
}

TEST_F(Editor, WideRangeAsksFirst) {
  Make(MakeRecords(12000));
  port_.answers = {ports::Answer::kNo, ports::Answer::kYes};
  ASSERT_TRUE(editor_->SearchRange("1", "10002", pump_).ok());
  ASSERT_EQ(port_.asked.size(), 1u);
  EXPECT_EQ(port_.asked[0].text, "<620>");
  EXPECT_EQ(port_.asked[0].caption, "<413>");
  EXPECT_EQ(editor_->Rows().size(), 1u) << "No keeps the listing";
  ASSERT_TRUE(editor_->SearchRange("1", "10002", pump_).ok());
  EXPECT_EQ(editor_->Rows().size(), 10002u);
  ASSERT_TRUE(editor_->SearchRange("1", "10001", pump_).ok());
  EXPECT_EQ(port_.asked.size(), 2u) << "a span of exactly 10000 does not ask";
}

TEST_F(Editor, PendingSearchesRunWhileOpening) {
  Records records = MakeRecords(20);
  records.texts[4] = "q";
  records.texts[15] = "q";
  Make(records);
  ASSERT_TRUE(editor_->Open("7", "", pump_).ok());
  EXPECT_EQ(Numbers(), (std::vector<int>{7}));
  ASSERT_TRUE(editor_->Open("", "q", pump_).ok());
  EXPECT_EQ(Numbers(), (std::vector<int>{5, 16}));
}

TEST_F(Editor, MarksToggleAsTheGridDoes) {
  Make(MakeRecords(3));
  ASSERT_TRUE(editor_->Open("", "", pump_).ok());
  editor_->ToggleDeleteMark(0);
  EXPECT_TRUE(editor_->Rows()[0].delete_mark);
  EXPECT_TRUE(editor_->Rows()[0].change_mark);
  editor_->ToggleDeleteMark(0);
  EXPECT_FALSE(editor_->Rows()[0].delete_mark);
  EXPECT_TRUE(editor_->Rows()[0].change_mark) << "unmarking keeps the change mark";
  editor_->ToggleDeleteMark(1);
  editor_->ClearChangeMark(1);
  EXPECT_FALSE(editor_->Rows()[1].delete_mark);
  EXPECT_FALSE(editor_->Rows()[1].change_mark);
  editor_->MarkAllForDeletion();
  for (const auto& row : editor_->Rows())
    EXPECT_TRUE(row.delete_mark && row.change_mark);
  editor_->ToggleDeleteMark(99);  // out of range: ignored
}

TEST_F(Editor, SaveAsksOnceAndCancelChangesNothing) {
  Make(MakeRecords(5));
  ASSERT_TRUE(editor_->Open("", "", pump_).ok());
  editor_->ToggleDeleteMark(1);
  editor_->EditText(3, "new");
  port_.answers = {ports::Answer::kCancel};
  auto cancelled = editor_->Save(pump_);
  ASSERT_TRUE(cancelled.ok());
  EXPECT_EQ(cancelled.value(), SaveOutcome::kCancelled);
  EXPECT_EQ(library_->RecordCount(), 5);
  ASSERT_EQ(port_.asked.size(), 1u);
  EXPECT_EQ(port_.asked[0].text, "<467>");
  EXPECT_EQ(port_.asked[0].buttons, ports::Buttons::kOkCancel);

  port_.answers = {ports::Answer::kOk};
  auto saved = editor_->Save(pump_);
  ASSERT_TRUE(saved.ok());
  EXPECT_EQ(saved.value(), SaveOutcome::kSaved);
  EXPECT_EQ(port_.asked.size(), 2u);
  EXPECT_EQ(library_->Contents().texts, (std::vector<std::string>{"t0", "t2", "new", "t4"}));
  EXPECT_EQ(ReadOrEmpty(dir_ / "word.wrd"), (text::Lines{"t0", "t2", "new", "t4"}));
  EXPECT_EQ(ReadOrEmpty(dir_ / "word.sts").size(), 4u);
}

TEST_F(Editor, DeletingTwoRecordsRemovesTheHigherFirstAndKeepsTheOrder) {
  const Records journal = MakeRecords(2, 900);
  Make(MakeRecords(30), &journal);
  ASSERT_TRUE(editor_->Open("", "", pump_).ok());
  editor_->ToggleDeleteMark(9);
  editor_->ToggleDeleteMark(19);
  port_.default_answer = ports::Answer::kOk;
  ASSERT_TRUE(editor_->Save(pump_).ok());
  ASSERT_EQ(library_->RecordCount(), 30);
  EXPECT_EQ(library_->Text(8), "t8");
  EXPECT_EQ(library_->Text(9), "t10");
  EXPECT_EQ(library_->Text(17), "t18");
  EXPECT_EQ(library_->Text(18), "t20");
  EXPECT_EQ(library_->Text(29), "t901");
  EXPECT_EQ(library_->JournalCount(), 0) << "a save archives the journal";
  EXPECT_TRUE(ReadOrEmpty(dir_ / "newword.wrd").empty());
  // The index was rebuilt for the new positions.
  EXPECT_EQ(library_->Candidates(20), (IndexLine{18}));
  EXPECT_EQ(ReadOrEmpty(dir_ / "word.ind")[20], "18");
}

TEST_F(Editor, DeletionInTheRingMovesTheLaterPicturesDown) {
  Make(MakeRecords(1500));
  // Pictures of records 1200 (name 200), 1201 (201), 1500 (500) and 1100 (100).
  Picture(1200, "p1200");
  Picture(1201, "p1201");
  Picture(1500, "p1500");
  Picture(1100, "p1100");
  ASSERT_TRUE(editor_->SearchRange("1200", "1200", pump_).ok());
  editor_->ToggleDeleteMark(0);
  port_.default_answer = ports::Answer::kOk;
  ASSERT_TRUE(editor_->Save(pump_).ok());
  EXPECT_EQ(PictureContent("200"), (text::Lines{"p1201"}));
  EXPECT_EQ(PictureContent("499"), (text::Lines{"p1500"}));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "wordbmp" / "500.bmp"));
  EXPECT_EQ(PictureContent("100"), (text::Lines{"p1100"})) << "records below stay";
  EXPECT_EQ(library_->Text(1199), "t1200");
}

TEST_F(Editor, DeletionBelowTheRingKeepsThePicturesWithTheirRecords) {
  Make(MakeRecords(1500));
  Picture(501, "p501");
  Picture(1001, "p1001");
  Picture(1500, "p1500");
  ASSERT_TRUE(editor_->SearchRange("10", "10", pump_).ok());
  editor_->ToggleDeleteMark(0);
  port_.default_answer = ports::Answer::kOk;
  ASSERT_TRUE(editor_->Save(pump_).ok());
  // Old 501, 1001 and 1500 are now 500, 1000 and 1499.
  EXPECT_EQ(PictureContent("500"), (text::Lines{"p501"}));
  EXPECT_EQ(PictureContent("1000"), (text::Lines{"p1001"}));
  EXPECT_EQ(PictureContent("499"), (text::Lines{"p1500"}));
  for (const char* gone : {"501", "001", "~500"}) {
    EXPECT_FALSE(std::filesystem::exists(dir_ / "wordbmp" / (std::string(gone) + ".bmp"))) << gone;
  }
}

TEST_F(Editor, ShowsPicturesOnlyForRecordsWithASlot) {
  Make(MakeRecords(1500));
  Picture(501, "p501");
  Picture(1, "p1");  // record 1 lies below the ring: its file is not its own
  ASSERT_TRUE(editor_->SearchRange("1", "1", pump_).ok());
  EXPECT_EQ(editor_->PictureOf(0), std::nullopt);
  ASSERT_TRUE(editor_->SearchRange("501", "502", pump_).ok());
  EXPECT_EQ(editor_->PictureOf(0), library_->PicturePath(501));
  EXPECT_EQ(editor_->PictureOf(1), std::nullopt) << "no file";
}

TEST_F(Editor, EditedFeatureLineIsFoundUnderItsNewKeyAtOnce) {
  Make(MakeRecords(5));
  ASSERT_TRUE(editor_->Open("", "", pump_).ok());
  editor_->EditFeatures(2, Features(7777));
  editor_->ToggleDeleteMark(4);
  editor_->ToggleDeleteMark(4);  // unmarked: written back unchanged
  port_.default_answer = ports::Answer::kOk;
  ASSERT_TRUE(editor_->Save(pump_).ok());
  EXPECT_EQ(library_->Candidates(7777), (IndexLine{2}));
  EXPECT_TRUE(library_->Candidates(2).empty());
  EXPECT_EQ(library_->RecordCount(), 5);
  EXPECT_EQ(library_->Text(4), "t4");
}

TEST_F(Editor, ArchiveWritesTheJournalAway) {
  const Records journal = MakeRecords(3, 700);
  Make(MakeRecords(10), &journal);
  ASSERT_TRUE(editor_->Open("", "", pump_).ok());
  ASSERT_TRUE(editor_->Archive().ok());
  EXPECT_FALSE(editor_->ArchiveEnabled());
  EXPECT_EQ(editor_->StatusText(), "<455>13<524>");
  EXPECT_EQ(ReadOrEmpty(dir_ / "word.wrd").size(), 13u);
  EXPECT_TRUE(ReadOrEmpty(dir_ / "newword.sts").empty());
}

}  // namespace
}  // namespace library

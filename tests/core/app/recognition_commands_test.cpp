// Tests of the recognition commands over scripted ports: the run's end states and post-run
// options, the row picture, cropping with its question and stop.
#include "app/recognition_commands.h"

#include <gtest/gtest.h>

#include "../ocr/ocr_test_support.h"
#include "app/edit_commands.h"
#include "document/row_table.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"

namespace app {
namespace {

using ocr_testing::BitmapFromRows;
using ocr_testing::SaveAs;
using testing_support::FakeEventPump;
using testing_support::FakeFileDialogs;
using testing_support::FakeMessages;
using testing_support::NoLibrary;
using testing_support::NumberedLanguageFile;
using testing_support::TempDir;

const std::vector<std::string> kGlyph = {"######", "#....#", "#....#", "#....#",
                                         "######", "#....#", "######"};

class StatusHooks : public ShellHooks {
 public:
  void StatusTextChanged(const std::string& text) override {
    status = text;
  }
  std::string status;
};

class RecognitionCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("language.sys", NumberedLanguageFile());
    folder_.Write("setup.sys", "");
    folder_.Write("replace.sys", "");
    auto created = Application::Create(folder_.path(),
                                       ShellPorts{messages_, dialogs_, pump_, hooks_, library_});
    ASSERT_TRUE(created.ok());
    app_ = std::move(created.value());
    recogniser_ = std::make_unique<ocr::Recogniser>(glyphs_.library, pictures_);
  }

  // Rows with the given picture names and times; a name without a stored picture is missing.
  void Rows(const std::vector<std::string>& names, const std::vector<std::string>& stored) {
    document::SubtitleDocument& document = app_->Document();
    std::vector<std::vector<std::string>> rows;
    for (size_t i = 0; i < names.size(); ++i) {
      std::vector<std::string> row(document::kMainColumnCount);
      row[document::kNumber] = std::to_string(i + 1);
      // Each entry ends after the next one starts.
      row[document::kStart] = "00:00:0" + std::to_string(i + 1) + ".000";
      row[document::kEnd] = "00:00:0" + std::to_string(i + 2) + ".500";
      row[document::kPicture] = names[i];
      rows.push_back(row);
    }
    document.main.ReplaceRows(rows);
    document.picture_mode = true;
    document.picture_folder = folder_.path();
    for (const std::string& name : stored) {
      folder_.Write(name, "bitmap");  // the run checks that the file exists
      pictures_.Put(folder_.path() / name, BitmapFromRows(ocr_testing::Compose({kGlyph}, 0, 3)));
    }
  }

  RecognitionPorts Ports() {
    return RecognitionPorts{messages_, pump_, teacher_};
  }

  TempDir folder_;
  FakeMessages messages_;
  FakeFileDialogs dialogs_;
  FakeEventPump pump_;
  StatusHooks hooks_;
  NoLibrary library_;
  std::unique_ptr<Application> app_;
  ocr_testing::EmptyLibrary glyphs_;
  ocr_testing::MemoryPictureIo pictures_;
  ocr_testing::ScriptedTeacher teacher_;
  std::unique_ptr<ocr::Recogniser> recogniser_;
};

TEST_F(RecognitionCommandsTest, UndoOfAutomaticTeachingsDeletesOnlyTheGlyphsStillTaught) {
  const std::string kMouth = "\xBF\xDA";  // 口
  struct Case {
    bool edited_since;  // the record's text was changed after the run
    int removed;
    std::vector<int> changed;
    int records_left;
  };
  const Case cases[] = {{false, 1, {}, 0}, {true, 0, {1}, 1}};
  for (const Case& c : cases) {
    SetUp();  // a fresh application and recogniser; the first case leaves the library empty
    Rows({"a.bmp", "b.bmp"}, {"a.bmp", "b.bmp"});
    document::RowTable& reference = app_->Document().reference;
    reference.SetCell(document::kStart, 1, "00:00:01.000");
    reference.SetCell(document::kEnd, 1, "00:00:02.500");
    reference.SetCell(document::kText, 1, kMouth);
    recogniser_->Options().glyph_width = 6;
    recogniser_->SetReferenceTable(&reference);
    const ocr::RunOutcome outcome = StartRecognition(*app_, *recogniser_, 1, Ports(), {}, {});
    ASSERT_EQ(outcome.glyphs.automatic, 1);
    EXPECT_EQ(teacher_.questions, 0);
    EXPECT_EQ(app_->Document().main.Cell(document::kText, 2), kMouth);  // matched on row 2
    library::GlyphLibrary& library = glyphs_.library;
    ASSERT_EQ(library.RecordCount(), 1);
    if (c.edited_since) {
      ASSERT_TRUE(library.SetText(0, "X").ok());
    }
    const auto undone = UndoAutomaticTeachings(*recogniser_, {1, 2}, pump_);
    ASSERT_TRUE(undone.ok());
    EXPECT_EQ(undone.value().removed, c.removed);
    EXPECT_EQ(undone.value().changed, c.changed);
    EXPECT_EQ(library.RecordCount(), c.records_left);
    EXPECT_EQ(recogniser_->AutomaticTeachings().size(), c.edited_since ? 1u : 0u);
  }
}

TEST_F(RecognitionCommandsTest, CompleteRunFixesOverlapsThenChecks) {
  Rows({"a.bmp", "b.bmp"}, {"a.bmp", "b.bmp"});
  teacher_.actions = {SaveAs("O")};
  std::vector<std::string> order;
  const auto options = [&] {
    order.push_back("options");
    return PostRunOptions{true, true};
  };
  const ocr::RunOutcome outcome =
      StartRecognition(*app_, *recogniser_, 1, Ports(), options, [&] { order.push_back("check"); });
  EXPECT_EQ(outcome.end, ocr::RunEnd::kCompleted);
  const document::RowTable& table = app_->Document().main;
  EXPECT_EQ(table.Cell(document::kText, 1), "O");
  EXPECT_EQ(table.Cell(document::kText, 2), "O");
  // The overlap of row 1 with row 2 is cut back, and the report was shown before the check.
  EXPECT_EQ(table.Cell(document::kEnd, 1), "00:00:02.000");
  ASSERT_EQ(messages_.informed.size(), size_t{1});
  EXPECT_EQ(messages_.informed[0].text,
            "m690"
            "1"
            "m693");
  EXPECT_EQ(order, (std::vector<std::string>{"options", "check"}));
  EXPECT_EQ(hooks_.status, "m1278");  // "done: ..." in language 1
  EXPECT_TRUE(app_->RecognitionStopped());
  EXPECT_FALSE(app_->Document().document_saved);
  EXPECT_EQ(app_->Commands().Recorded(), 4);
}

TEST_F(RecognitionCommandsTest, ARunWithItsOverlapCorrectionIsOneUndoStep) {
  Rows({"a.bmp", "b.bmp"}, {"a.bmp", "b.bmp"});
  app_->Document().main.History().Clear();
  const auto before = app_->Document().main.RowCells(1);
  teacher_.actions = {SaveAs("O")};
  bool undo_offered_during_check = true;
  StartRecognition(
      *app_, *recogniser_, 1, Ports(),
      [] {
        return PostRunOptions{true, true};
      },
      [&] { undo_offered_during_check = UndoAvailable(*app_); });
  // The review opens while the run is still winding up: nothing may be undone under it.
  EXPECT_FALSE(undo_offered_during_check);
  const document::EditHistory& history = app_->Document().main.History();
  ASSERT_TRUE(UndoAvailable(*app_));
  EXPECT_EQ(history.UndoCount(), 1u);
  EXPECT_EQ(history.UndoKind(), document::EditKind::kRecognition);

  ASSERT_TRUE(UndoCommand(*app_));
  const document::SubtitleDocument& document = app_->Document();
  EXPECT_EQ(document.main.RowCells(1), before);  // text, base text and the corrected end
  EXPECT_EQ(document.main.Cell(document::kText, 2), "");
  EXPECT_TRUE(document.document_saved);
  EXPECT_TRUE(document.proofread_done);
  EXPECT_FALSE(UndoAvailable(*app_));
  ASSERT_TRUE(RedoCommand(*app_));
  EXPECT_EQ(document.main.Cell(document::kBaseText, 2), "O");
  EXPECT_EQ(document.main.Cell(document::kEnd, 1), "00:00:02.000");
  EXPECT_FALSE(document.document_saved);
  EXPECT_FALSE(document.proofread_done);
}

TEST_F(RecognitionCommandsTest, DeclinedMissingPictureEndsWithoutPostRunOptions) {
  Rows({"a.bmp", "gone.bmp", "b.bmp"}, {"a.bmp", "b.bmp"});
  teacher_.actions = {SaveAs("O")};
  messages_.answers = {ports::Answer::kNo};
  bool asked_options = false;
  const ocr::RunOutcome outcome = StartRecognition(*app_, *recogniser_, 1, Ports(),
                                                   [&] {
                                                     asked_options = true;
                                                     return PostRunOptions{true, true};
                                                   },
                                                   {});
  EXPECT_EQ(outcome.end, ocr::RunEnd::kDeclined);
  EXPECT_FALSE(asked_options);
  ASSERT_EQ(messages_.asked.size(), size_t{1});
  EXPECT_EQ(messages_.asked[0].text, "m444gone.bmpm447");
  EXPECT_EQ(hooks_.status, "m1281");  // "stopped at row ..."
  EXPECT_EQ(app_->Document().main.Cell(document::kText, 3), "");
  EXPECT_EQ(app_->Commands().Recorded(), 4);
  EXPECT_TRUE(app_->RecognitionStopped());
}

TEST_F(RecognitionCommandsTest, ARunThatChangedNoRowLeavesTheSubtitleUnmodified) {
  // Stopped before its first row, and declined at a missing first picture: no row written.
  for (const bool stop : {true, false}) {
    SCOPED_TRACE(stop ? "stopped" : "declined");
    Rows({stop ? "a.bmp" : "gone.bmp", "b.bmp"}, {"a.bmp", "b.bmp"});
    app_->Document().main.History().Clear();
    app_->Document().document_saved = true;
    app_->Document().proofread_done = true;
    teacher_.actions = {};
    pump_ = {};
    pump_.stop_requested = stop;
    messages_.answers = {ports::Answer::kNo};
    const ocr::RunOutcome outcome = StartRecognition(*app_, *recogniser_, 1, Ports(),
                                                     [] {
                                                       return PostRunOptions{true, true};
                                                     },
                                                     {});
    EXPECT_EQ(outcome.rows_recognised, 0);
    EXPECT_TRUE(app_->Document().document_saved);
    EXPECT_TRUE(app_->Document().proofread_done);
    EXPECT_FALSE(UndoAvailable(*app_));
  }
}

TEST_F(RecognitionCommandsTest, RowPictureIsShownOnlyWhileIdle) {
  Rows({"a.bmp", "gone.bmp", ""}, {"a.bmp"});
  EXPECT_EQ(ShowRowPicture(*app_, *recogniser_, 1, messages_), folder_.path() / "a.bmp");
  EXPECT_EQ(recogniser_->Lines().size(), size_t{1});
  EXPECT_EQ(ShowRowPicture(*app_, *recogniser_, 2, messages_), std::nullopt);
  EXPECT_EQ(ShowRowPicture(*app_, *recogniser_, 3, messages_), std::nullopt);  // no name
  app_->SetRecognitionStopped(false);
  EXPECT_EQ(ShowRowPicture(*app_, *recogniser_, 2, messages_), std::nullopt);
  ASSERT_EQ(messages_.informed.size(), size_t{1});
  EXPECT_EQ(messages_.informed[0].text, "m486gone.bmp");
}

TEST_F(RecognitionCommandsTest, CroppingAsksShowsProgressAndReportsItsEnd) {
  Rows({"a.bmp", "b.bmp", "c.bmp"}, {"a.bmp", "b.bmp", "c.bmp"});
  app_->EnterCommandState(1);
  std::vector<std::string> shown;
  int hidden = 0;
  const ports::WaitPanel wait{[&](const std::string& text) { shown.push_back(text); },
                              [&] { ++hidden; }};

  messages_.answers = {ports::Answer::kCancel};
  EXPECT_EQ(CropPicturesCommand(*app_, pictures_, messages_, pump_, wait), std::nullopt);
  EXPECT_TRUE(shown.empty());

  messages_.answers = {ports::Answer::kOk};
  const auto cropped = CropPicturesCommand(*app_, pictures_, messages_, pump_, wait);
  ASSERT_TRUE(cropped.has_value());
  EXPECT_EQ(cropped->pictures_cropped, 2);  // the last row is left alone
  EXPECT_EQ(shown, (std::vector<std::string>{"m561", "m56150%", "m561100%"}));
  EXPECT_EQ(hidden, 1);
  EXPECT_EQ(messages_.informed.back().text, "m564");
  EXPECT_EQ(app_->Commands().Recorded(), 1);

  messages_.answers = {ports::Answer::kOk};
  pump_.stop_at_call = pump_.pump_calls + 1;
  const auto stopped = CropPicturesCommand(*app_, pictures_, messages_, pump_, wait);
  ASSERT_TRUE(stopped.has_value());
  EXPECT_TRUE(stopped->stopped);
  EXPECT_EQ(messages_.informed.back().text, "m639");
}

TEST_F(RecognitionCommandsTest, PicturesOutsideTheFolderRefuseTheRunAndTheCropNamingTheRows) {
  Rows({"a.bmp", "../b.bmp", "/tmp/c.bmp", "d.bmp"}, {"a.bmp", "d.bmp"});
  const ocr::RunOutcome outcome = StartRecognition(*app_, *recogniser_, 1, Ports(), {}, {});
  EXPECT_EQ(outcome.end, ocr::RunEnd::kDeclined);
  EXPECT_EQ(outcome.rows_recognised, 0);
  EXPECT_EQ(app_->Document().main.Cell(document::kText, 1), "");
  ASSERT_EQ(messages_.informed.size(), size_t{1});
  EXPECT_EQ(messages_.informed[0].text, "m15422 (../b.bmp), 3 (/tmp/c.bmp)");
  EXPECT_TRUE(messages_.asked.empty());
  // A run from row 4 meets none of them.
  teacher_.actions = {SaveAs("O")};
  EXPECT_EQ(StartRecognition(*app_, *recogniser_, 4, Ports(), {}, {}).rows_recognised, 1);

  const ports::WaitPanel wait{};
  EXPECT_EQ(CropPicturesCommand(*app_, pictures_, messages_, pump_, wait), std::nullopt);
  EXPECT_TRUE(messages_.asked.empty()) << "refused before the crop question";
  EXPECT_EQ(messages_.informed.back().text, "m15422 (../b.bmp), 3 (/tmp/c.bmp)");
  const std::string row_text = app_->Document().main.Cell(document::kPicture, 2);
  EXPECT_EQ(ShowRowPicture(*app_, *recogniser_, 2, messages_), std::nullopt);
  EXPECT_NE(messages_.informed.back().text.find("outside"), std::string::npos) << row_text;
}

TEST_F(RecognitionCommandsTest, ACropEndedByAnUnreadablePictureSaysHowManyWereCropped) {
  Rows({"a.bmp", "b.bmp", "c.bmp", "d.bmp"}, {"a.bmp", "c.bmp", "d.bmp"});
  folder_.Write("b.bmp", "damaged");  // on disk, but the picture layer cannot read it
  messages_.answers = {ports::Answer::kOk};
  const auto cropped = CropPicturesCommand(*app_, pictures_, messages_, pump_, {});
  ASSERT_TRUE(cropped.has_value());
  EXPECT_EQ(cropped->error_row, 2);
  const std::string& report = messages_.informed.back().text;
  EXPECT_NE(report.find("\nm15451m1548"), std::string::npos) << report;
}

}  // namespace
}  // namespace app

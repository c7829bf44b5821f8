// Tests of the window's proofreading flows: check options from the settings, opening, saving
// and closing the reference subtitle, and the blank subtitle, through scripted ports.
#include "app/proof_commands.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"

namespace app {
namespace {

using testing_support::FakeEventPump;
using testing_support::FakeFileDialogs;
using testing_support::FakeMessages;
using testing_support::NoLibrary;
using testing_support::PrefixedLanguageFile;
using testing_support::SettingsFile;
using testing_support::TempDir;

constexpr const char* kReferenceSrt =
    "1\r\n00:00:01,000 --> 00:00:02,000\r\nOne\r\n\r\n"
    "2\r\n00:00:03,000 --> 00:00:04,500\r\nTwo\r\n\r\n";

class ProofCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("language.sys", PrefixedLanguageFile());
    folder_.Write("setup.sys", SettingsFile());
    folder_.Write("replace.sys", "a<=>b\r\nc<=>d\r\n");
    auto created = Application::Create(folder_.path(),
                                       ShellPorts{messages_, dialogs_, pump_, hooks_, library_});
    ASSERT_TRUE(created.ok());
    app_ = std::move(created.value());
  }

  TempDir folder_;
  FakeMessages messages_;
  FakeFileDialogs dialogs_;
  FakeEventPump pump_;
  ShellHooks hooks_;
  NoLibrary library_;
  std::unique_ptr<Application> app_;
};

TEST_F(ProofCommandsTest, CheckOptionsFollowThePanelAtTheMomentOfUse) {
  settings::PanelValues& panel = app_->PanelOptions();
  panel.end_punctuation = true;
  panel.phrase_replacement_on = true;
  panel.ellipsis_form = 2;
  const proof::CheckOptions options = CurrentCheckOptions(*app_);
  EXPECT_EQ(options.drop_final_stop, true);
  EXPECT_EQ(options.quotes_to_full_width, false);
  EXPECT_EQ(options.apply_phrases, true);
  EXPECT_EQ(options.ellipsis, proof::EllipsisForm::kThreeDots);
  EXPECT_EQ(options.forms.opening_quote, "s569");
  EXPECT_EQ(options.forms.comma, "s578");
  ASSERT_EQ(options.phrases.size(), 2u);  // the grid's entry row is not a pair
  EXPECT_EQ(options.phrases[1].search, "c");
  EXPECT_EQ(options.phrases[1].replacement, "d");
}

TEST_F(ProofCommandsTest, OpenReadsTheReferenceAndRemembersItsFolder) {
  folder_.Write("ref.SRT", kReferenceSrt);
  dialogs_.open_paths.push_back(folder_ / "ref.SRT");
  EXPECT_EQ(OpenReference(*app_, messages_, dialogs_), ReferenceOpenEnd::kOpened);
  const document::SubtitleDocument& document = app_->Document();
  EXPECT_EQ(document.reference.DataRowCount(), 2);
  EXPECT_EQ(document.reference.Cell(document::kText, 2), "Two");
  EXPECT_EQ(document.reference_extension, ".srt");
  EXPECT_EQ(document.reference_folder, folder_.path());
  EXPECT_EQ(document.reference_save_file, folder_ / "ref.SRT");
  EXPECT_TRUE(document.reference_saved);
  EXPECT_TRUE(messages_.informed.empty());
}

TEST_F(ProofCommandsTest, OpenRefusesOtherFilesAndKeepsUnsavedEditsWhenCancelled) {
  dialogs_.open_paths.push_back(folder_ / "notes.txt");
  EXPECT_EQ(OpenReference(*app_, messages_, dialogs_), ReferenceOpenEnd::kWrongType);
  ASSERT_EQ(messages_.informed.size(), 1u);
  EXPECT_EQ(messages_.informed[0].text, "s416");

  app_->Document().reference_saved = false;
  messages_.answers = {ports::Answer::kCancel};
  EXPECT_EQ(OpenReference(*app_, messages_, dialogs_), ReferenceOpenEnd::kKeptOld);
  ASSERT_EQ(messages_.asked.size(), 1u);
  EXPECT_EQ(messages_.asked[0].text, "s677");
  EXPECT_EQ(messages_.asked[0].caption, "s413");
  // Yes with a cancelled save dialog keeps the old reference too.
  messages_.answers = {ports::Answer::kYes};
  EXPECT_EQ(OpenReference(*app_, messages_, dialogs_), ReferenceOpenEnd::kKeptOld);
  EXPECT_FALSE(app_->Document().reference_saved);
}

TEST_F(ProofCommandsTest, SaveWritesOnlyUnsavedReferencesInTheChosenForm) {
  EXPECT_TRUE(SaveReference(*app_, messages_, dialogs_));
  EXPECT_TRUE(dialogs_.save_filters.empty());  // nothing to save: no dialog

  folder_.Write("ref.srt", kReferenceSrt);
  dialogs_.open_paths.push_back(folder_ / "ref.srt");
  ASSERT_EQ(OpenReference(*app_, messages_, dialogs_), ReferenceOpenEnd::kOpened);
  app_->Document().reference.SetCell(document::kText, 1, "Uno");
  app_->Document().reference_saved = false;
  dialogs_.save_paths.push_back(folder_ / "out.srt");
  EXPECT_TRUE(SaveReference(*app_, messages_, dialogs_));
  EXPECT_TRUE(app_->Document().reference_saved);
  EXPECT_NE(folder_.Read("out.srt").find("Uno"), std::string::npos);
  ASSERT_EQ(dialogs_.save_filters.size(), 1u);
  EXPECT_EQ(dialogs_.save_filters[0].entries.size(), 4u);  // srt, ssa, ass, vtt
  EXPECT_EQ(dialogs_.save_suggestions[0], std::filesystem::path("ref.srt"));

  app_->Document().reference_saved = false;
  dialogs_.save_paths.push_back(folder_ / "out.doc");
  EXPECT_FALSE(SaveReference(*app_, messages_, dialogs_));
  EXPECT_FALSE(app_->Document().reference_saved);
}

TEST_F(ProofCommandsTest, BlankSubtitleTakesTheReferenceTimesAfterTheUnsavedQuestion) {
  folder_.Write("ref.srt", kReferenceSrt);
  dialogs_.open_paths.push_back(folder_ / "ref.srt");
  ASSERT_EQ(OpenReference(*app_, messages_, dialogs_), ReferenceOpenEnd::kOpened);
  document::SubtitleDocument& document = app_->Document();
  document.main.SetCell(document::kText, 1, "old");
  document.document_saved = false;

  messages_.answers = {ports::Answer::kCancel};
  EXPECT_FALSE(CreateBlankSubtitle(*app_, messages_));
  EXPECT_EQ(document.main.Cell(document::kText, 1), "old");

  messages_.answers = {ports::Answer::kNo};
  EXPECT_TRUE(CreateBlankSubtitle(*app_, messages_));
  EXPECT_EQ(messages_.asked.back().text, "s674");
  EXPECT_EQ(document.main.DataRowCount(), 2);
  EXPECT_EQ(document.main.Cell(document::kText, 1), "");
  EXPECT_EQ(document.main.Cell(document::kEnd, 2), "00:00:04.500");
  EXPECT_EQ(document.main.Cell(document::kBaseEnd, 2), "00:00:04.500");
  EXPECT_TRUE(document.document_saved);
}

}  // namespace
}  // namespace app

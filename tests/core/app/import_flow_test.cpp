// Tests of the window's import flow through scripted ports: choosing the input, the preview,
// the run and the opening of the imported picture subtitle, and each way it can end otherwise.
#include "app/import_flow.h"

#include <gtest/gtest.h>

#include "support/disc_streams.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using testing_support::FakeEventPump;
using testing_support::FakeFileDialogs;
using testing_support::FakeMessages;
using testing_support::TempDir;

// language.sys where message N reads "sN" in language 1, up to the import's messages.
std::string LanguageFile() {
  std::string bytes;
  for (int number = -1; number < 1600; number += 3) {
    for (const char* prefix : {"s", "t", "e"}) {
      bytes += prefix + std::to_string(number) + "\r\n";
    }
  }
  return bytes;
}

// `count` pictures of synthetic text `width` pixels wide, 1 s apart, on a video of
// `video_width` x `video_height` (a 1080p disc unless told otherwise).
std::string SampleSup(int count = 3, int width = 200, int video_width = 1920,
                      int video_height = 1080) {
  std::vector<testing_support::PgsPicture> pictures;
  for (int i = 0; i < count; ++i) {
    testing_support::PgsPicture picture;
    picture.start = 1000 + 1000 * i;
    picture.end = picture.start + 800;
    picture.x = video_width > 1920 ? 100 : 300;
    picture.y = video_height - 180;
    picture.width = width;
    picture.height = 40;
    picture.palette = testing_support::SyntheticPalette();
    picture.pixels = testing_support::SyntheticSubtitle(width, 40, 40 + static_cast<unsigned>(i));
    pictures.push_back(std::move(picture));
  }
  return testing_support::SupFile(
      testing_support::PgsDisplaySets(pictures, video_width, video_height));
}

class ImportFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("replace.sys", "");
    dir_.Write("setup.sys", "");
    dir_.Write("language.sys", LanguageFile());
    auto created = Application::Create(dir_.path(), {messages_, dialogs_, pump_, hooks_, library_});
    ASSERT_TRUE(created.ok());
    app_ = std::move(created).value();
    ASSERT_TRUE(app_->Activate().ok());
    flow_ = std::make_unique<ImportFlow>(*app_, messages_, dialogs_, pump_);
    input_ = dir_.Write("film.sup", SampleSup());
  }

  TempDir dir_;
  FakeMessages messages_;
  FakeFileDialogs dialogs_;
  FakeEventPump pump_;
  ShellHooks hooks_;
  testing_support::NoLibrary library_;
  std::unique_ptr<Application> app_;
  std::unique_ptr<ImportFlow> flow_;
  fs::path input_;
};

TEST_F(ImportFlowTest, ChoosesPreviewsImportsAndOpensThePictureSubtitle) {
  dialogs_.open_paths.push_back(input_);
  const auto chosen = flow_->ChooseInput();
  ASSERT_TRUE(chosen);
  EXPECT_EQ(*chosen, input_);
  ASSERT_EQ(dialogs_.open_filters.size(), 1u);
  EXPECT_EQ(dialogs_.open_filters[0].entries[0].second, "*.sup;*.idx;*.mkv;*.mks;*.m2ts;*.ts");
  EXPECT_EQ(app_->Document().last_open_folder, dir_.path());

  auto preview = flow_->LoadPreview(input_, 0);
  ASSERT_TRUE(preview.ok());
  ASSERT_EQ(preview.value().tracks.size(), 1u);
  EXPECT_EQ(preview.value().pictures.size(), 3u);

  EXPECT_EQ(flow_->Run(input_, dir_ / "film", {}), ImportOutcome::kOpened);
  EXPECT_TRUE(messages_.informed.empty());
  const document::SubtitleDocument& document = app_->Document();
  EXPECT_TRUE(document.picture_mode);
  EXPECT_EQ(document.main.DataRowCount(), 3);
  EXPECT_EQ(document.main.Cell(document::kPicture, 1), "0001.bmp");
  EXPECT_EQ(document.main.Cell(document::kStart, 3), "00:00:03.000");
  EXPECT_EQ(document.picture_folder, dir_ / "film");
  EXPECT_TRUE(fs::exists(dir_ / "film" / "0003.bmp"));
}

TEST_F(ImportFlowTest, AnOccupiedFolderIsReplacedOnlyAfterYes) {
  dir_.Write("film/notes.txt", "keep");
  messages_.answers = {ports::Answer::kNo, ports::Answer::kYes};
  EXPECT_EQ(flow_->Run(input_, dir_ / "film", {}), ImportOutcome::kDeclined);
  EXPECT_FALSE(fs::exists(dir_ / "film" / "film.srt"));
  EXPECT_EQ(flow_->Run(input_, dir_ / "film", {}), ImportOutcome::kOpened);
  ASSERT_EQ(messages_.asked.size(), 2u);
  EXPECT_EQ(messages_.asked[0].text, "s1049");
  EXPECT_EQ(dir_.Read("film/notes.txt"), "keep");
  EXPECT_TRUE(fs::exists(dir_ / "film" / "film.srt"));
}

TEST_F(ImportFlowTest, FailuresAndStopsAreToldAndOpenNothing) {
  dir_.Write("broken.sup", SampleSup().substr(0, 700));
  EXPECT_EQ(flow_->Run(dir_ / "broken.sup", dir_ / "out", {}), ImportOutcome::kFailed);
  ASSERT_EQ(messages_.informed.size(), 1u);
  EXPECT_EQ(messages_.informed[0].severity, ports::Severity::kError);
  EXPECT_EQ(messages_.informed[0].text.rfind("s1046", 0), 0u);
  EXPECT_NE(messages_.informed[0].text.find("broken.sup"), std::string::npos);

  EXPECT_FALSE(flow_->LoadPreview(dir_ / "absent.sup", 0).ok());
  EXPECT_EQ(messages_.informed.size(), 2u);

  pump_.stop_at_call = 1;
  EXPECT_EQ(flow_->Run(input_, dir_ / "out", {}), ImportOutcome::kStopped);
  ASSERT_EQ(messages_.informed.size(), 3u);
  EXPECT_EQ(messages_.informed[2].text, "s1052");
  EXPECT_FALSE(fs::exists(dir_ / "out"));
  EXPECT_FALSE(app_->Document().picture_mode);
  EXPECT_EQ(app_->Document().main.DataRowCount(), 1);
}

TEST_F(ImportFlowTest, PicturesTooWideForRecognitionAreWarnedOfOnceAndTheSubtitleOpens) {
  // A UHD stream whose pictures are too wide for recognition at full size.
  const fs::path wide =
      dir_.Write("wide.sup", SampleSup(ImportFlow::kTooWideListed + 2, 2050, 3840, 2160));
  import::ImportOptions options;
  options.scale = import::PictureScale::kFull;
  EXPECT_EQ(flow_->Run(wide, dir_ / "full", options), ImportOutcome::kOpened);
  ASSERT_EQ(messages_.informed.size(), 1u);
  EXPECT_EQ(messages_.informed[0].severity, ports::Severity::kWarning);
  std::string listed;
  for (std::size_t number = 1; number <= ImportFlow::kTooWideListed; ++number) {
    listed += (number == 1 ? "" : ", ") + std::to_string(number);
  }
  EXPECT_EQ(messages_.informed[0].text, "s1073" + listed + ", ...");
  EXPECT_EQ(app_->Document().main.DataRowCount(), static_cast<int>(ImportFlow::kTooWideListed) + 2);

  // Halved by default, the same pictures are narrow enough: no warning.
  messages_.informed.clear();
  EXPECT_EQ(flow_->Run(wide, dir_ / "auto", {}), ImportOutcome::kOpened);
  EXPECT_TRUE(messages_.informed.empty());
}

TEST_F(ImportFlowTest, AStreamEndingEarlyIsImportedOnlyAfterYesAndItsWarningsAreTold) {
  // Ten pictures, the last two cut off inside a display set.
  const std::string sup = SampleSup(10);
  const std::string one = SampleSup(1);
  const fs::path cut = dir_.Write("cut.sup", sup.substr(0, sup.size() - one.size() - 100));
  messages_.answers = {ports::Answer::kNo, ports::Answer::kYes};
  EXPECT_EQ(flow_->Run(cut, dir_ / "out", {}), ImportOutcome::kDeclined);
  EXPECT_FALSE(fs::exists(dir_ / "out"));
  EXPECT_EQ(flow_->Run(cut, dir_ / "out", {}), ImportOutcome::kOpened);
  ASSERT_EQ(messages_.asked.size(), 2u);
  EXPECT_EQ(messages_.asked[0].text.rfind("s1505\n", 0), 0u) << messages_.asked[0].text;
  EXPECT_NE(messages_.asked[0].text.find("the last picture read is picture 8"), std::string::npos)
      << messages_.asked[0].text;
  ASSERT_EQ(messages_.informed.size(), 1u);
  EXPECT_EQ(messages_.informed[0].severity, ports::Severity::kWarning);
  EXPECT_EQ(messages_.informed[0].text.rfind("s1502\n", 0), 0u) << messages_.informed[0].text;
  EXPECT_NE(messages_.informed[0].text.find("imported up to picture 8"), std::string::npos)
      << messages_.informed[0].text;
  EXPECT_EQ(app_->Document().main.DataRowCount(), 8);
}

TEST_F(ImportFlowTest, ChoosingGuardsUnsavedWorkLikeOpen) {
  app_->Document().document_saved = false;
  messages_.answers = {ports::Answer::kCancel};
  dialogs_.open_paths.push_back(input_);
  EXPECT_FALSE(flow_->ChooseInput());
  ASSERT_EQ(messages_.asked.size(), 1u);
  EXPECT_EQ(messages_.asked[0].text, "s410");
  EXPECT_TRUE(dialogs_.open_filters.empty());
}

}  // namespace
}  // namespace app

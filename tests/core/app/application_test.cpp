// Tests of the application shell: start-up files, activation, the two shutdown paths and the
// Open, Save and Close commands, driven through scripted ports.
#include "app/application.h"

#include <gtest/gtest.h>

#include "app/edit_commands.h"
#include "proof/row_editing.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"

namespace app {
namespace {

using testing_support::FakeEventPump;
using testing_support::FakeFileDialogs;
using testing_support::FakeMessages;
using testing_support::PrefixedLanguageFile;
using testing_support::TempDir;

class FakeLibrary : public GlyphLibraryPort {
 public:
  text::Status Load(ports::MessagePort&, const ports::MessageSource&, ports::EventPump&) override {
    ++load_calls;
    return load_result;
  }
  int JournalCount() const override {
    return journal;
  }
  text::Status ArchiveJournal() override {
    ++archive_calls;
    if (!archive_result.ok()) {
      return archive_result;
    }
    journal = 0;
    return text::Success();
  }

  text::Status load_result = text::Success();
  text::Status archive_result = text::Success();
  int journal = 0;
  int load_calls = 0;
  int archive_calls = 0;
};

class RecordingHooks : public ShellHooks {
 public:
  void CommandsChanged(const CommandEnablement&) override {
    events.push_back("commands");
  }
  void GoToCell(int row, int column) override {
    events.push_back("go to " + std::to_string(row) + "," + std::to_string(column));
  }
  void TitleChanged(const std::string& text) override {
    title = text;
  }
  void StatusTextChanged(const std::string& text) override {
    status = text;
  }
  void ShowLoadingText(const std::string& text) override {
    events.push_back("loading " + text);
  }
  void HideLoadingText() override {
    events.push_back("loaded");
  }
  void ShowWaitText(const std::string& text) override {
    events.push_back("wait " + text);
  }
  void EstimateStandardSizes() override {
    events.push_back("estimate");
  }
  void ShowPicturePanels() override {
    events.push_back("picture panels");
  }
  void ShowEditPanels() override {
    events.push_back("edit panels");
  }
  void MainSubtitleClosed() override {
    events.push_back("closed");
  }
  void RunCheckCommand() override {
    events.push_back("check");
  }
  void SaveReferenceSubtitle() override {
    events.push_back("save reference");
    if (reference_save_succeeds) {
      document->reference_saved = true;
    }
  }

  std::vector<std::string> events;
  std::string title;
  std::string status;
  document::SubtitleDocument* document = nullptr;
  bool reference_save_succeeds = false;
};

const char kTextSrt[] =
    "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n\r\n"
    "2\r\n00:00:03,000 --> 00:00:04,000\r\nWorld\r\n\r\n";
const char kPictureSrt[] =
    "1\r\n00:00:01,000 --> 00:00:02,000\r\npic1.bmp\r\n\r\n"
    "2\r\n00:00:03,000 --> 00:00:04,000\r\npic2.bmp\r\n\r\n";

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("replace.sys", "a<=>b\r\nc<=>d\r\n");
    dir_.Write("setup.sys", "");
    dir_.Write("language.sys", PrefixedLanguageFile());
  }

  ShellPorts Ports() {
    return {messages_, dialogs_, pump_, hooks_, library_};
  }

  Application& Start() {
    auto created = Application::Create(dir_.path(), Ports());
    EXPECT_TRUE(created.ok()) << (created.ok() ? "" : created.error().message);
    app_ = std::move(created).value();
    hooks_.document = &app_->Document();
    EXPECT_TRUE(app_->Activate().ok());
    return *app_;
  }

  // Leaves an unsaved text subtitle open in `app`.
  void OpenEditedTextSubtitle(Application& app) {
    dialogs_.open_paths.push_back(dir_.Write("movie.srt", kTextSrt));
    ASSERT_TRUE(app.OpenCommand());
    app.Document().main.SetCell(document::kText, 1, "Edited");
    app.Document().document_saved = false;
  }

  TempDir dir_;
  FakeMessages messages_;
  FakeFileDialogs dialogs_;
  FakeEventPump pump_;
  RecordingHooks hooks_;
  FakeLibrary library_;
  std::unique_ptr<Application> app_;
};

TEST_F(ApplicationTest, MissingStartupFileStopsTheStartNamingFileAndFolder) {
  for (const char* name : {"replace.sys", "setup.sys", "language.sys"}) {
    TempDir dir;
    dir.Write("replace.sys", "");
    dir.Write("setup.sys", "");
    dir.Write("language.sys", "");
    std::filesystem::remove(dir / name);
    const auto created = Application::Create(dir.path(), Ports());
    ASSERT_FALSE(created.ok()) << name;
    EXPECT_NE(created.error().message.find(name), std::string::npos) << created.error().message;
    EXPECT_NE(created.error().message.find(dir.path().string()), std::string::npos);
  }
}

TEST_F(ApplicationTest, DamagedSettingsStillStart) {
  std::string twenty_lines;
  for (int line = 0; line < 20; ++line) {
    twenty_lines += (line == 13 ? "3" : "1") + std::string("\r\n");
  }
  // setup.sys, language, TrackBar1 position
  const std::vector<std::tuple<std::string, int, int>> cases = {
      {"", 1, 1},
      {twenty_lines, 3, 1},
      {"0\n1\n1\n1\n1\n1\n1\n1\n1\n1\n1\n1\n1\nabc\n/a\n/b\n/c\n1\n1\n4\n8\nabc\n1\n", 1, 2},
  };
  for (const auto& [setup, language, line_height] : cases) {
    dir_.Write("setup.sys", setup);
    auto created = Application::Create(dir_.path(), Ports());
    ASSERT_TRUE(created.ok());
    const Application& app = *created.value();
    EXPECT_EQ(app.Settings().LineCount(), 23);
    EXPECT_EQ(app.Messages().Language(), language);
    EXPECT_EQ(app.Messages().Message(2), (language == 3 ? "e2" : "s2"));
    EXPECT_EQ(app.Settings().LineHeight(), line_height);
  }
}

TEST_F(ApplicationTest, StartupAppliesFoldersAndFillsThePhraseGrid) {
  dir_.Write("setup.sys", "0\n1\n1\n1\n1\n1\n1\n1\n1\n1\n1\n1\n1\n2\n/open\n/ref\n/save\n");
  Application& app = Start();
  EXPECT_EQ(app.Document().last_open_folder, "/open");
  EXPECT_EQ(app.Document().reference_folder, "/ref");
  EXPECT_EQ(app.Document().last_save_folder, "/save");
  EXPECT_EQ(app.PhraseGrid().RowCount(), 4);
  EXPECT_EQ(app.Messages().Message(398), "t398");
}

TEST_F(ApplicationTest, ActivationLoadsLibraryAndHistoriesAndEntersStateZero) {
  dir_.Write("replace1.txt", "find me\r\nagain\r\n");
  Application& app = Start();
  EXPECT_EQ(library_.load_calls, 1);
  EXPECT_EQ(app.FindHistory(), (text::Lines{"find me", "again"}));
  EXPECT_TRUE(app.ReplaceHistory().empty());
  EXPECT_EQ(hooks_.events, (std::vector<std::string>{"loading s398", "loaded", "commands"}));
  EXPECT_EQ(app.Commands().Recorded(), 0);
  EXPECT_FALSE(app.Commands().Enabled(Command::kSaveSrt));
  EXPECT_TRUE(app.Commands().Enabled(Command::kOpenSrt));
}

TEST_F(ApplicationTest, LibraryFailureAtActivationIsReturned) {
  library_.load_result = text::Error{"missing", "word.wrd", 0};
  auto created = Application::Create(dir_.path(), Ports());
  ASSERT_TRUE(created.ok());
  EXPECT_FALSE(created.value()->Activate().ok());
  EXPECT_EQ(hooks_.events, (std::vector<std::string>{"loading s398", "loaded"}));
}

TEST_F(ApplicationTest, LanguageSwitchChangesTextsAndLineThirteen) {
  Application& app = Start();
  const std::vector<std::tuple<int, int, std::string>> cases = {
      {3, 3, "e413"}, {2, 2, "t413"}, {0, 1, "s413"}, {7, 1, "s413"}};
  for (const auto& [asked, language, text] : cases) {
    app.SwitchLanguage(asked);
    EXPECT_EQ(app.Messages().Message(413), text);
    EXPECT_EQ(app.Settings().Line(settings::kLanguage), std::to_string(language));
  }
}

TEST_F(ApplicationTest, ShutdownWhileRecognitionRunsStaysOpenAndWritesNothing) {
  Application& app = Start();
  app.SetRecognitionStopped(false);
  EXPECT_FALSE(app.Shutdown(ShutdownPath::kWindowClose));
  EXPECT_FALSE(app.Shutdown(ShutdownPath::kExitCommand));
  ASSERT_EQ(messages_.informed.size(), 2u);
  EXPECT_EQ(messages_.informed[0].text, "s671");
  EXPECT_EQ(messages_.informed[1].text, "s428");
  EXPECT_EQ(dir_.Read("setup.sys"), "");
}

TEST_F(ApplicationTest, EmptyJournalShutdownWritesOnlySettings) {
  Application& app = Start();
  app.Document().last_open_folder = "/films";
  ASSERT_TRUE(app.Shutdown(ShutdownPath::kWindowClose));
  EXPECT_EQ(library_.archive_calls, 0);
  EXPECT_TRUE(messages_.asked.empty());
  const auto lines = text::ReadLines(dir_ / "setup.sys");
  ASSERT_TRUE(lines.ok());
  ASSERT_EQ(lines.value().size(), 23u);
  EXPECT_EQ(lines.value()[14], "/films");
  EXPECT_EQ(lines.value()[15], "1");
}

TEST_F(ApplicationTest, ShutdownArchivesTheJournalWithTheWaitText) {
  Application& app = Start();
  library_.journal = 3;
  ASSERT_TRUE(app.Shutdown(ShutdownPath::kExitCommand));
  EXPECT_EQ(library_.archive_calls, 1);
  EXPECT_EQ(hooks_.events.back(), "wait s437");
  ASSERT_TRUE(app.Shutdown(ShutdownPath::kWindowClose));
  EXPECT_EQ(library_.archive_calls, 1);
}

TEST_F(ApplicationTest, FailedArchivingRefusesTheCloseAndKeepsSettingsUnwritten) {
  Application& app = Start();
  library_.journal = 2;
  library_.archive_result = text::Error{"io", "cannot write word.wrd", 0};
  EXPECT_FALSE(app.Shutdown(ShutdownPath::kWindowClose));
  ASSERT_EQ(messages_.informed.size(), 1u);
  EXPECT_EQ(messages_.informed[0].text, "cannot write word.wrd");
  EXPECT_EQ(dir_.Read("setup.sys"), "");
}

TEST_F(ApplicationTest, FailedSettingsWriteRefusesTheClose) {
  Application& app = Start();
  std::filesystem::remove(dir_ / "setup.sys");
  std::filesystem::create_directory(dir_ / "setup.sys");
  EXPECT_FALSE(app.Shutdown(ShutdownPath::kWindowClose));
  ASSERT_EQ(messages_.informed.size(), 1u);
  EXPECT_EQ(messages_.informed[0].severity, ports::Severity::kError);
}

TEST_F(ApplicationTest, CancelAtTheMainQuestionStaysOpen) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  messages_.answers = {ports::Answer::kCancel};
  EXPECT_FALSE(app.Shutdown(ShutdownPath::kWindowClose));
  ASSERT_EQ(messages_.asked.size(), 1u);
  EXPECT_EQ(messages_.asked[0].text, "s674");
  EXPECT_EQ(messages_.asked[0].caption, "s413");
  EXPECT_EQ(messages_.asked[0].buttons, ports::Buttons::kYesNoCancel);
  EXPECT_EQ(app.Document().main.Cell(document::kText, 1), "Edited");
  EXPECT_EQ(dir_.Read("setup.sys"), "");
}

TEST_F(ApplicationTest, CancelAtTheReferenceQuestionStaysOpenAndWritesNothing) {
  Application& app = Start();
  library_.journal = 1;
  app.Document().reference_saved = false;
  messages_.answers = {ports::Answer::kCancel};
  EXPECT_FALSE(app.Shutdown(ShutdownPath::kWindowClose));
  ASSERT_EQ(messages_.asked.size(), 1u);
  EXPECT_EQ(messages_.asked[0].text, "s677");
  EXPECT_EQ(library_.archive_calls, 0);
  EXPECT_EQ(dir_.Read("setup.sys"), "");
}

TEST_F(ApplicationTest, ReferenceSaveDecidesWhetherTheCloseGoesOn) {
  Application& app = Start();
  app.Document().reference_saved = false;
  messages_.answers = {ports::Answer::kYes};
  EXPECT_FALSE(app.Shutdown(ShutdownPath::kExitCommand));
  EXPECT_EQ(messages_.asked[0].text, "s434");

  hooks_.reference_save_succeeds = true;
  messages_.answers = {ports::Answer::kYes};
  EXPECT_TRUE(app.Shutdown(ShutdownPath::kExitCommand));
}

TEST_F(ApplicationTest, YesWithAnAbandonedSaveStaysOpen) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  messages_.answers = {ports::Answer::kYes};
  dialogs_.save_paths = {std::nullopt};
  EXPECT_FALSE(app.Shutdown(ShutdownPath::kExitCommand));
  EXPECT_EQ(dialogs_.save_filters.size(), 1u);
  EXPECT_FALSE(app.Document().document_saved);
  EXPECT_EQ(dir_.Read("setup.sys"), "");
}

TEST_F(ApplicationTest, YesSavesTheSubtitleThenCloses) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  messages_.answers = {ports::Answer::kYes};
  dialogs_.save_paths = {dir_ / "out.srt"};
  EXPECT_TRUE(app.Shutdown(ShutdownPath::kWindowClose));
  EXPECT_EQ(dir_.Read("out.srt").substr(0, 38), "1\r\n00:00:01,000 --> 00:00:02,000\r\nEdit");
}

TEST_F(ApplicationTest, ExitThenNoAsksOnceAndEndsWithoutSavingTheSubtitle) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  messages_.answers = {ports::Answer::kNo, ports::Answer::kNo};
  EXPECT_TRUE(app.Shutdown(ShutdownPath::kExitCommand));
  // The window close that the exit command asks for does not ask again.
  EXPECT_TRUE(app.Shutdown(ShutdownPath::kWindowClose));
  ASSERT_EQ(messages_.asked.size(), 1u);
  EXPECT_EQ(messages_.asked[0].text, "s431");
  EXPECT_TRUE(dialogs_.save_filters.empty());
  EXPECT_EQ(dir_.Read("movie.srt"), kTextSrt);
  EXPECT_FALSE(app.Document().document_saved);
}

TEST_F(ApplicationTest, ACloseWithoutTheExitCommandStillAsks) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  messages_.answers = {ports::Answer::kCancel, ports::Answer::kNo};
  EXPECT_FALSE(app.Shutdown(ShutdownPath::kExitCommand));
  EXPECT_TRUE(app.Shutdown(ShutdownPath::kWindowClose));
  ASSERT_EQ(messages_.asked.size(), 2u);
  EXPECT_EQ(messages_.asked[1].text, "s674");
}

TEST_F(ApplicationTest, SaveCountsRowsWithoutTextAndKeepsThemOnYes) {
  struct Case {
    ports::Answer answer;
    bool written;
    const char* file;
    const char* status_end;
  };
  const Case cases[] = {
      {ports::Answer::kNo, true, "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n\r\n", "s1775"},
      {ports::Answer::kYes, true,
       "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n\r\n"
       "2\r\n00:00:03,000 --> 00:00:04,000\r\npic2.bmp\r\n\r\n",
       "s1283"},
      {ports::Answer::kCancel, false, "", ""},
  };
  Application& app = Start();
  app.PanelOptions().author_entry_on = false;  // the empty setup.sys would write one
  for (const Case& c : cases) {
    dialogs_.open_paths.push_back(dir_.Write("pictures.srt", kPictureSrt));
    ASSERT_TRUE(app.OpenCommand());
    app.Document().main.SetCell(document::kText, 1, "Hi");
    app.Document().proofread_done = true;
    std::filesystem::remove(dir_ / "text.srt");
    messages_.answers = {c.answer};
    dialogs_.save_paths = {dir_ / "text.srt"};
    EXPECT_EQ(app.SaveCommand(), c.written);
    EXPECT_EQ(dialogs_.save_suggestions.back().filename(), "pictures.srt");
    EXPECT_EQ(messages_.asked.back().text, "s1772");
    if (c.written) {
      EXPECT_EQ(dir_.Read("text.srt"), c.file);
      EXPECT_EQ(hooks_.status.substr(hooks_.status.size() - std::string(c.status_end).size()),
                c.status_end);
    } else {
      EXPECT_FALSE(std::filesystem::exists(dir_ / "text.srt"));
    }
  }
}

TEST_F(ApplicationTest, SaveInPlaceWritesTheOpenedFileWithoutADialog) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  app.Document().proofread_done = true;
  ASSERT_TRUE(app.SaveInPlaceCommand());
  EXPECT_TRUE(dialogs_.save_filters.empty());
  EXPECT_EQ(dir_.Read("movie.srt").substr(0, 38), "1\r\n00:00:01,000 --> 00:00:02,000\r\nEdit");
  EXPECT_TRUE(app.Document().document_saved);
}

TEST_F(ApplicationTest, OpeningATextSubtitlePreparesEditingAndTheSaveDialog) {
  Application& app = Start();
  const auto file = dir_.Write("films/Movie.SRT", kTextSrt);
  dialogs_.open_paths.push_back(file);
  ASSERT_TRUE(app.OpenCommand());
  const document::SubtitleDocument& doc = app.Document();
  EXPECT_EQ(doc.main.DataRowCount(), 2);
  EXPECT_EQ(doc.source_extension, ".srt");
  EXPECT_EQ(doc.last_open_folder, dir_ / "films");
  EXPECT_EQ(doc.last_save_folder, dir_ / "films");
  EXPECT_EQ(doc.save_file, file);
  EXPECT_EQ(app.Commands().Recorded(), 7);
  EXPECT_EQ(hooks_.status, "s4192s425");
  EXPECT_EQ(hooks_.title, "Zentrope V3.13--" + file.string());
  EXPECT_EQ(hooks_.events.back(), "edit panels");
  EXPECT_EQ(dialogs_.open_filters[0].default_extension, ".srt");

  dialogs_.save_paths = {std::nullopt};
  EXPECT_FALSE(app.SaveCommand());
  EXPECT_EQ(dialogs_.save_suggestions[0], file);
  EXPECT_EQ(dialogs_.save_filters[0].start_folder, dir_ / "films");
}

TEST_F(ApplicationTest, OpeningAPictureSubtitleEstimatesSizesAndEntersStateOne) {
  Application& app = Start();
  dialogs_.open_paths.push_back(dir_.Write("pics/sub.srt", kPictureSrt));
  ASSERT_TRUE(app.OpenCommand());
  EXPECT_TRUE(app.Document().picture_mode);
  EXPECT_EQ(app.Document().picture_folder, dir_ / "pics");
  EXPECT_EQ(app.Commands().Recorded(), 1);
  EXPECT_TRUE(app.Commands().Enabled(Command::kStartRead));
  EXPECT_EQ(hooks_.status, "s4192s422");
  const std::vector<std::string> tail(hooks_.events.end() - 3, hooks_.events.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"commands", "estimate", "picture panels"}));
  // The status text follows a language switch.
  app.SwitchLanguage(3);
  EXPECT_EQ(hooks_.status, "e4192e422");
}

TEST_F(ApplicationTest, OpeningAnotherKindOfFileShowsTheMessageAndKeepsTheTable) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  messages_.answers = {ports::Answer::kNo};
  dialogs_.open_paths.push_back(dir_.Write("notes.txt", kTextSrt));
  EXPECT_FALSE(app.OpenCommand());
  ASSERT_EQ(messages_.informed.size(), 1u);
  EXPECT_EQ(messages_.informed[0].text, "s416");
  EXPECT_EQ(app.Document().main.Cell(document::kText, 1), "Edited");
  EXPECT_EQ(app.Document().source_extension, ".txt");
}

TEST_F(ApplicationTest, OpenWithUnsavedWorkAndAnAbandonedSaveKeepsTheOldDocument) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  messages_.answers = {ports::Answer::kYes};
  dialogs_.save_paths = {std::nullopt};
  dialogs_.open_paths.push_back(dir_.Write("other.srt", kPictureSrt));
  EXPECT_FALSE(app.OpenCommand());
  EXPECT_EQ(messages_.asked[0].text, "s410");
  EXPECT_EQ(dialogs_.open_filters.size(), 1u);  // only the first open
  EXPECT_EQ(app.Document().main.Cell(document::kText, 1), "Edited");
}

TEST_F(ApplicationTest, UnreadableFileIsReportedAndChangesNoFlag) {
  Application& app = Start();
  dialogs_.open_paths.push_back(dir_ / "gone.srt");
  EXPECT_FALSE(app.OpenCommand());
  ASSERT_EQ(messages_.informed.size(), 1u);
  EXPECT_EQ(messages_.informed[0].severity, ports::Severity::kError);
  EXPECT_EQ(app.Commands().Recorded(), 0);
}

TEST_F(ApplicationTest, SaveOffersTheCheckFirstAndYesSavesNothing) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  app.Document().proofread_done = false;
  messages_.answers = {ports::Answer::kYes};
  EXPECT_FALSE(app.SaveCommand());
  EXPECT_EQ(messages_.asked[0].text, "s488");
  EXPECT_EQ(messages_.asked[0].caption, "s491");
  EXPECT_EQ(messages_.asked[0].buttons, ports::Buttons::kYesNo);
  EXPECT_EQ(hooks_.events.back(), "check");
  EXPECT_TRUE(dialogs_.save_filters.empty());
}

TEST_F(ApplicationTest, SaveAppendsTheDefaultExtensionAndSetsTheFlags) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  app.Document().proofread_done = false;
  messages_.answers = {ports::Answer::kNo};
  dialogs_.save_paths = {dir_ / "out" / "result.txt"};
  std::filesystem::create_directory(dir_ / "out");
  ASSERT_TRUE(app.SaveCommand());
  const document::SubtitleDocument& doc = app.Document();
  EXPECT_EQ(doc.save_file, dir_ / "out" / "result.txt.srt");
  EXPECT_EQ(doc.save_extension, ".srt");
  EXPECT_EQ(doc.last_save_folder, dir_ / "out");
  EXPECT_TRUE(doc.document_saved);
  EXPECT_TRUE(doc.proofread_done);
  EXPECT_EQ(doc.main.Cell(document::kBaseText, 1), "Edited");
  EXPECT_NE(dir_.Read("out/result.txt.srt").find("Edited\r\n"), std::string::npos);
  // srt, ssa, ass and vtt; setup.sys line 31 = 0 offers the first two only.
  EXPECT_EQ(dialogs_.save_filters[0].entries.size(), 4u);
  app.Settings().SetFlag(settings::kSubtitleFormats, false);
  app.Document().document_saved = false;
  dialogs_.save_paths = {dir_ / "out" / "again.srt"};
  ASSERT_TRUE(app.SaveCommand());
  EXPECT_EQ(dialogs_.save_filters[1].entries.size(), 2u);
}

TEST_F(ApplicationTest, SaveAsSsaUsesTheHeaderFileOfTheWorkingFolder) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  dir_.Write("ssahead.txt",
             "[Events]\r\nFormat: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, "
             "Effect, Text\r\n");
  dialogs_.save_paths = {dir_ / "out.SSA"};
  ASSERT_TRUE(app.SaveCommand());
  EXPECT_EQ(app.Document().save_extension, ".ssa");
  EXPECT_NE(dir_.Read("out.SSA").find("Dialogue: Marked=0,0:00:01.00,0:00:02.00,"),
            std::string::npos);
}

TEST_F(ApplicationTest, SaveWritesTheChosenEncodingAndRemembersIt) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  app.Document().main.SetCell(document::kText, 2, "\xD7\xD6");  // 字
  dialogs_.save_paths = {dir_ / "a.srt", dir_ / "b.srt"};
  dialogs_.save_list_selections = {2};
  ASSERT_TRUE(app.SaveCommand());
  ASSERT_EQ(dialogs_.save_lists.size(), 1u);
  EXPECT_EQ(dialogs_.save_lists[0].caption, "s1253");
  EXPECT_EQ(dialogs_.save_lists[0].entries.size(), 3u);
  EXPECT_EQ(dialogs_.save_lists[0].selected, 0);  // setup.sys without line 23: GBK
  EXPECT_EQ(dir_.Read("a.srt").rfind("\xEF\xBB\xBF"
                                     "1\r\n",
                                     0),
            0u);
  EXPECT_NE(dir_.Read("a.srt").find("\xE5\xAD\x97"), std::string::npos);
  EXPECT_EQ(app.Settings().SaveEncoding(), 2);
  EXPECT_EQ(hooks_.status, "s1283");  // the saved status, in the current language
  EXPECT_EQ(hooks_.title, std::string(kProgramCaption) + "--" + (dir_ / "a.srt").string());

  // The next save opens the list at the remembered entry and keeps it.
  ASSERT_TRUE(app.SaveCommand());
  EXPECT_EQ(dialogs_.save_lists[1].selected, 2);
  EXPECT_EQ(dir_.Read("b.srt").rfind("\xEF\xBB\xBF", 0), 0u);
  // Remembered through setup.sys at shutdown.
  ASSERT_TRUE(app.Shutdown(ShutdownPath::kWindowClose));
  auto setup = settings::SettingsList::LoadFromFile(dir_ / "setup.sys");
  ASSERT_TRUE(setup.ok());
  EXPECT_EQ(setup.value().SaveEncoding(), 2);
}

TEST_F(ApplicationTest, SaveNamesRowsItCannotWriteAsTheyAreAndNoGoesToTheFirst) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  document::RowTable& table = app.Document().main;
  table.SetCell(document::kEnd, 1, "00:00:00.500");  // before its start
  table.SetCell(document::kStart, 2, "abc");
  dialogs_.save_paths = {dir_ / "no.srt", dir_ / "yes.srt"};
  messages_.answers = {ports::Answer::kNo, ports::Answer::kYes};
  EXPECT_FALSE(app.SaveCommand());
  ASSERT_EQ(messages_.asked.size(), 1u);
  // Each kind of problem with its rows (unreadable: row 2; reversed: row 1), then the question.
  EXPECT_EQ(messages_.asked[0].text, "s12622\ns12651\n\ns1271");
  EXPECT_EQ(messages_.asked[0].buttons, ports::Buttons::kYesNo);
  EXPECT_EQ(hooks_.events.back(), "go to 1,2");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "no.srt"));
  EXPECT_FALSE(app.Document().document_saved);

  // Yes saves anyway; the unreadable start is written as the row's time as read.
  ASSERT_TRUE(app.SaveCommand());
  EXPECT_NE(dir_.Read("yes.srt").find("2\r\n00:00:03,000 --> 00:00:04,000\r\n"), std::string::npos);
  EXPECT_EQ(table.Cell(document::kStart, 2), "abc");  // the table keeps what was typed
  EXPECT_TRUE(app.Document().document_saved);
}

TEST_F(ApplicationTest, StatusFollowsTheLanguageUntilReplaced) {
  Application& app = Start();
  app.ShowStatus([&app] { return app.Messages().Message(msg::kCheckedStatus); });
  EXPECT_EQ(hooks_.status, "s1286");
  app.SwitchLanguage(3);
  EXPECT_EQ(hooks_.status, "e1286");
}

TEST_F(ApplicationTest, FailedSaveIsReportedAndKeepsTheFlags) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  dialogs_.save_paths = {dir_ / "missing-folder" / "out.srt"};
  EXPECT_FALSE(app.SaveCommand());
  ASSERT_EQ(messages_.informed.size(), 1u);
  EXPECT_EQ(messages_.informed[0].severity, ports::Severity::kError);
  EXPECT_FALSE(app.Document().document_saved);
}

TEST_F(ApplicationTest, UndoAfterASaveIsUnsavedAndRedoIsSavedAgain) {
  Application& app = Start();
  dialogs_.open_paths.push_back(dir_.Write("movie.srt", kTextSrt));
  ASSERT_TRUE(app.OpenCommand());
  document::SubtitleDocument& doc = app.Document();
  EXPECT_FALSE(UndoAvailable(app));  // opening starts an empty history
  ASSERT_TRUE(proof::StoreTypedCell(doc, document::kText, 1, "Edited"));
  ASSERT_TRUE(UndoCommand(app));
  EXPECT_TRUE(doc.document_saved);  // back at the file as opened
  ASSERT_TRUE(RedoCommand(app));
  EXPECT_FALSE(doc.document_saved);

  dialogs_.save_paths = {dir_ / "movie.srt"};
  ASSERT_TRUE(app.SaveCommand());
  ASSERT_TRUE(UndoCommand(app));
  EXPECT_EQ(doc.main.Cell(document::kText, 1), "Hello");
  EXPECT_EQ(doc.main.Cell(document::kChangeMarks, 1), "");
  EXPECT_FALSE(doc.document_saved);  // the file now holds "Edited"
  ASSERT_TRUE(RedoCommand(app));
  EXPECT_TRUE(doc.document_saved);

  // Opening again and closing start from an empty history.
  dialogs_.open_paths.push_back(dir_ / "movie.srt");
  ASSERT_TRUE(app.OpenCommand());
  EXPECT_FALSE(UndoAvailable(app));
  EXPECT_FALSE(RedoAvailable(app));
  ASSERT_TRUE(proof::StoreTypedCell(doc, document::kText, 2, "x"));
  messages_.answers = {ports::Answer::kNo};
  ASSERT_TRUE(app.CloseCommand());
  EXPECT_FALSE(UndoAvailable(app));
}

TEST_F(ApplicationTest, CloseGuardsUnsavedWorkThenClearsTheTable) {
  Application& app = Start();
  OpenEditedTextSubtitle(app);
  messages_.answers = {ports::Answer::kCancel, ports::Answer::kNo};
  EXPECT_FALSE(app.CloseCommand());
  EXPECT_EQ(messages_.asked[0].text, "s635");
  EXPECT_EQ(app.Document().main.DataRowCount(), 2);
  EXPECT_TRUE(app.CloseCommand());
  EXPECT_EQ(app.Document().main.DataRowCount(), 1);
  EXPECT_EQ(app.Document().main.Cell(document::kText, 1), "");
  EXPECT_EQ(app.Commands().Recorded(), 0);
  EXPECT_EQ(hooks_.events.back(), "commands");
  EXPECT_FALSE(app.Document().document_saved);  // closing leaves the flags as they were
}

TEST_F(ApplicationTest, SettingsPanelSaveWritesBothFiles) {
  Application& app = Start();
  settings::PanelValues values = settings::PanelValuesFrom(app.Settings());
  values.phrase_replacement_on = true;
  values.ellipsis_form = 3;
  app.PhraseGrid().SetCell(1, 2, "c");  // (c, c) is dropped
  ASSERT_TRUE(app.SaveSettingsPanel(values).ok());
  EXPECT_EQ(dir_.Read("replace.sys"), "a<=>b\r\n");
  const auto lines = text::ReadLines(dir_ / "setup.sys");
  ASSERT_TRUE(lines.ok());
  EXPECT_EQ(lines.value()[11], "3");
}

TEST_F(ApplicationTest, ShippedWorkingFolderStarts) {
  const std::filesystem::path data = std::filesystem::path(ZENTROPE_SOURCE_DIR) / "data";
  auto created = Application::Create(data, Ports());
  ASSERT_TRUE(created.ok()) << created.error().message;
  const Application& app = *created.value();
  EXPECT_EQ(app.Messages().Language(), 1);
  EXPECT_FALSE(app.Messages().Message(msg::kUnsavedCaption).empty());
  EXPECT_GT(app.Messages().Message(msg::kLoadingLibrary).size(), 0u);
  EXPECT_EQ(app.Settings().SpaceWidth(), 8);
}

}  // namespace
}  // namespace app

// Tests of the settings panel's flow: options counting at once, save, the
// input-method choice and the parsing of the desktop's input-method listings.
#include "app/settings_panel_flow.h"

#include <gtest/gtest.h>

#include "app/proof_commands.h"
#include "app/recognition_commands.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"
#include "text/line_file.h"

namespace app {
namespace {

using testing_support::FakeEventPump;
using testing_support::FakeFileDialogs;
using testing_support::FakeMessages;
using testing_support::NoLibrary;
using testing_support::TempDir;

// setup.sys: author entry on ("00:00:01,000 --> 00:00:02,000", "By\\NMe"), input method
// "pinyin" on for teaching only, the check rules off, ellipsis item 2, phrases on, language 1.
std::string SetupFile() {
  const char* lines[] = {"x",       "1", "00:00:01,000 --> 00:00:02,000",
                         "By\\NMe", "1", "0",
                         "pinyin",  "0", "0",
                         "0",       "0", "2",
                         "1",       "1", "",
                         "",        "",  "0",
                         "0",       "4", "8",
                         "2",       "0", "extra"};
  std::string file;
  for (const char* line : lines) {
    file += std::string(line) + "\r\n";
  }
  return file;
}

class SettingsPanelFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("replace.sys", "a<=>b\r\n");
    dir_.Write("setup.sys", SetupFile());
    dir_.Write("language.sys", "");
    auto created = Application::Create(dir_.path(), {messages_, dialogs_, pump_, hooks_, library_});
    ASSERT_TRUE(created.ok()) << created.error().message;
    app_ = std::move(created).value();
  }

  std::vector<std::string> SetupLines() {
    auto lines = text::ReadLines(dir_ / "setup.sys");
    EXPECT_TRUE(lines.ok());
    return lines.ok() ? lines.value() : std::vector<std::string>{};
  }

  TempDir dir_;
  FakeMessages messages_;
  FakeFileDialogs dialogs_;
  FakeEventPump pump_;
  ShellHooks hooks_;  // the window's hooks do nothing here
  NoLibrary library_;
  std::unique_ptr<Application> app_;
};

TEST_F(SettingsPanelFlowTest, StartShowsTheStoredOptions) {
  const settings::PanelValues& options = app_->PanelOptions();
  EXPECT_TRUE(options.author_entry_on);
  EXPECT_EQ(options.author_time, "00:00:01,000 --> 00:00:02,000");
  EXPECT_EQ(options.author_text, "By\\NMe");
  EXPECT_TRUE(options.ime_for_new_glyph);
  EXPECT_FALSE(options.ime_for_library_edit);
  EXPECT_EQ(options.ellipsis_form, 2);
  EXPECT_TRUE(options.phrase_replacement_on);
  EXPECT_FALSE(options.selected_ime.has_value());
}

TEST_F(SettingsPanelFlowTest, SaveWritesTheShownOptionsAndRebuildsThePhrases) {
  SettingsPanelFlow flow(*app_);
  settings::PanelValues& options = app_->PanelOptions();
  options.author_text = "Team";
  options.full_width_quotes = true;
  options.ellipsis_form = 0;
  options.ignore_glyph_size = true;
  options.auto_check = true;
  settings::PhraseGrid& grid = app_->PhraseGrid();
  grid.SetCell(0, grid.EntryRow(), "x");
  grid.SetCell(1, grid.EntryRow(), "y");
  grid.KeyReleased(grid.EntryRow());
  ASSERT_TRUE(flow.Save().ok());

  const std::vector<std::string> lines = SetupLines();
  // The file's extra line 23 stays; the teaching assistance follows it, on by default, the OCR
  // guess's script by the interface language.
  ASSERT_EQ(lines.size(), 31u);
  const std::pair<int, std::string> expected[] = {
      {0, "x"},  {1, "1"},         {3, "Team"}, {4, "1"},  {5, "0"},  {6, "pinyin"},
      {7, "1"},  {11, "0"},        {12, "1"},   {18, "1"}, {22, "1"}, {23, "extra"},
      {24, "1"}, {28, "\xA1\xF5"}, {29, "1"},   {30, "0"}};
  for (const auto& [line, value] : expected) {
    EXPECT_EQ(lines[static_cast<size_t>(line)], value) << "line " << line;
  }
  EXPECT_EQ(dir_.Read("replace.sys"), "a<=>b\r\nx<=>y\r\n");
}

TEST_F(SettingsPanelFlowTest, UnsavedOptionsCountAtOnceButReachNoFile) {
  const std::string before = dir_.Read("setup.sys");
  app_->PanelOptions().end_punctuation = true;
  app_->PanelOptions().ellipsis_form = 2;
  app_->PanelOptions().ignore_glyph_size = true;
  // The check and the engine read the options as shown, without a save.
  const proof::CheckOptions check = CurrentCheckOptions(*app_);
  EXPECT_TRUE(check.drop_final_stop);
  EXPECT_EQ(check.ellipsis, proof::EllipsisForm::kThreeDots);
  ocr::EngineOptions engine;
  ApplyEngineSettings(app_->Settings(), app_->PanelOptions(), engine);
  EXPECT_TRUE(engine.ignore_size);
  EXPECT_EQ(dir_.Read("setup.sys"), before);
  EXPECT_EQ(dir_.Read("replace.sys"), "a<=>b\r\n");
}

TEST_F(SettingsPanelFlowTest, SaveWithoutAChosenInputMethodKeepsItsLines) {
  SettingsPanelFlow flow(*app_);
  app_->PanelOptions().ime_for_new_glyph = false;
  app_->PanelOptions().ime_for_library_edit = true;
  ASSERT_TRUE(flow.Save().ok());
  const std::vector<std::string> lines = SetupLines();
  EXPECT_EQ(lines[4], "1");
  EXPECT_EQ(lines[5], "0");
  EXPECT_EQ(lines[6], "pinyin");
}

TEST_F(SettingsPanelFlowTest, ShowingTheListSelectsTheTeachingInputMethod) {
  SettingsPanelFlow flow(*app_);
  struct Case {
    std::vector<std::string> installed;
    std::optional<int> entry;
  };
  const Case cases[] = {
      {{"xkb:us::eng", "pinyin", "anthy", "pinyin"}, 3},  // the last equal one
      {{"xkb:us::eng", "anthy"}, std::nullopt},
      {{}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(flow.InputMethodsShown(c.installed), c.entry);
    EXPECT_EQ(app_->PanelOptions().selected_ime,
              c.entry ? std::optional<std::string>("pinyin") : std::nullopt);
  }
  // With the teaching option off, the boxes have no input method: nothing is selected.
  app_->Settings().SetFlag(settings::kImeForNewGlyph, false);
  EXPECT_EQ(flow.InputMethodsShown({"pinyin"}), std::nullopt);
}

TEST_F(SettingsPanelFlowTest, ChosenInputMethodIsSavedWithItsFlags) {
  SettingsPanelFlow flow(*app_);
  flow.InputMethodSelected("anthy");
  app_->PanelOptions().ime_for_new_glyph = false;
  app_->PanelOptions().ime_for_library_edit = true;
  ASSERT_TRUE(flow.Save().ok());
  const std::vector<std::string> lines = SetupLines();
  EXPECT_EQ(lines[4], "0");
  EXPECT_EQ(lines[5], "1");
  EXPECT_EQ(lines[6], "anthy");
}

TEST_F(SettingsPanelFlowTest, FailedWriteIsShownAndKeepsThePanelState) {
  SettingsPanelFlow flow(*app_);
  app_->PanelOptions().auto_time_fix = true;
  std::filesystem::remove(dir_ / "setup.sys");
  std::filesystem::create_directory(dir_ / "setup.sys");  // cannot be replaced by a file
  EXPECT_FALSE(flow.Save().ok());
  EXPECT_EQ(messages_.informed.size(), 1u);
  EXPECT_TRUE(app_->PanelOptions().auto_time_fix);  // what was typed stays on the panel
}

TEST_F(SettingsPanelFlowTest, SaveTakesTheAuthorEntryAsShownNow) {
  // Save of a picture subtitle reads the author entry from the panel, saved or not.
  app_->PanelOptions().author_time = "00:00:00,500 --> 00:00:01,500";
  app_->PanelOptions().author_text = "Shown";
  dialogs_.open_paths.push_back(
      dir_.Write("film.srt", "1\r\n00:00:03,000 --> 00:00:04,000\r\npic1.bmp\r\n\r\n"));
  ASSERT_TRUE(app_->OpenCommand());
  app_->Document().main.SetCell(document::kText, 1, "Hi");
  app_->Document().proofread_done = true;
  dialogs_.save_paths.push_back(dir_ / "out.srt");
  ASSERT_TRUE(app_->SaveCommand());
  const std::string expected = "0\r\n00:00:00,500 --> 00:00:01,500\r\nShown\r\n\r\n1\r\n";
  EXPECT_EQ(dir_.Read("out.srt").substr(0, expected.size()), expected);
}

TEST(InputMethodListingTest, IbusListings) {
  struct Case {
    std::string output;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"xkb:us::eng\npinyin\nanthy\n", {"xkb:us::eng", "pinyin", "anthy"}},
      {"language: Chinese\n  pinyin - Pinyin\n  bopomofo - Bopomofo\nlanguage: English\n"
       "  xkb:us::eng - English (US)\n  pinyin - Pinyin\n",
       {"pinyin", "bopomofo", "xkb:us::eng"}},
      {"\r\n  \r\n", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseIbusEngineList(c.output), c.names) << c.output;
  }
}

TEST(InputMethodListingTest, Fcitx5Profile) {
  const std::string profile =
      "[Groups/0]\nName=Default\nDefault Layout=us\n\n"
      "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n"
      "[Groups/0/Items/1]\nName=pinyin\n\n"
      "[Groups/1/Items/0]\nName=pinyin\n\n"
      "[GroupOrder]\n0=Default\n";
  EXPECT_EQ(ParseFcitx5Profile(profile), (std::vector<std::string>{"keyboard-us", "pinyin"}));
  EXPECT_EQ(ParseFcitx5Profile(""), std::vector<std::string>{});
}

}  // namespace
}  // namespace app

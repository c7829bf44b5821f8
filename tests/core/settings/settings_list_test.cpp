// Tests of setup.sys reading, padding, typed access and writing.
#include "settings/settings_list.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace settings {
namespace {

using testing_support::TempDir;

TEST(SettingsList, ShortFilesArePaddedWithOnesAndLongOnesKeepTheirExtraLines) {
  TempDir dir;
  std::string twenty;
  for (int i = 0; i < 20; ++i) {
    twenty += "0\r\n";
  }
  const auto from_twenty = SettingsList::LoadFromFile(dir.Write("twenty.sys", twenty));
  ASSERT_TRUE(from_twenty.ok());
  EXPECT_EQ(from_twenty.value().LineCount(), 23);
  EXPECT_EQ(from_twenty.value().Line(19), "0");
  EXPECT_EQ(from_twenty.value().Line(20), "1");
  EXPECT_EQ(from_twenty.value().Line(22), "1");

  const auto from_empty = SettingsList::LoadFromFile(dir.Write("empty.sys", ""));
  ASSERT_TRUE(from_empty.ok());
  EXPECT_EQ(from_empty.value().LineCount(), 23);

  std::string long_file;
  for (int i = 0; i < 25; ++i) {
    long_file += "x" + std::to_string(i) + "\n";
  }
  const auto from_long = SettingsList::LoadFromFile(dir.Write("long.sys", long_file));
  ASSERT_TRUE(from_long.ok());
  EXPECT_EQ(from_long.value().LineCount(), 25);
  EXPECT_EQ(from_long.value().Line(24), "x24");
}

TEST(SettingsList, EmptyFileStartsWithFlagsOnAndNumbersOne) {
  const SettingsList list;
  EXPECT_TRUE(list.AuthorEntryOn());
  EXPECT_TRUE(list.PhraseReplacementOn());
  EXPECT_TRUE(list.IgnoreGlyphSize());
  EXPECT_EQ(list.EllipsisForm(), 1);
  EXPECT_EQ(list.Language(), 1);
  EXPECT_EQ(list.SpaceDetection(), 1);
  EXPECT_EQ(list.SpaceWidth(), 1);
  EXPECT_EQ(list.LineHeight(), 1);
  EXPECT_EQ(list.AuthorTime(), "1");
  EXPECT_EQ(list.OpenFolder(), "1");
}

TEST(SettingsList, SaveEncodingLivesBeyondTheTwentyThreeLinesAndReadsBack) {
  TempDir dir;
  SettingsList list;
  EXPECT_EQ(list.SaveEncoding(), 0);  // a file of 23 lines has no such line: GBK
  for (const auto& [line, encoding] : std::vector<std::pair<std::string, int>>{
           {"1", 1}, {"2", 2}, {"3", 0}, {"-1", 0}, {"utf-8", 0}, {"0", 0}}) {
    list.SetLine(kSaveEncoding, line);
    EXPECT_EQ(list.SaveEncoding(), encoding) << line;
  }
  list.SetNumber(kSaveEncoding, 2);
  ASSERT_TRUE(list.SaveToFile(dir / "setup.sys").ok());
  const auto back = SettingsList::LoadFromFile(dir / "setup.sys");
  ASSERT_TRUE(back.ok());
  EXPECT_EQ(back.value().LineCount(), 24);
  EXPECT_EQ(back.value().SaveEncoding(), 2);
  EXPECT_EQ(back.value().Line(kLineHeight), list.Line(kLineHeight));  // nothing else moved
}

TEST(SettingsList, FlagIsOnOnlyWhenExactlyOne) {
  SettingsList list;
  const std::vector<std::pair<std::string, bool>> cases = {
      {"1", true},   {"0", false}, {" 1", false}, {"1 ", false},
      {"11", false}, {"", false},  {"yes", false}};
  for (const auto& [line, on] : cases) {
    list.SetLine(kAutoCheck, line);
    EXPECT_EQ(list.AutoCheck(), on) << "line '" << line << "'";
  }
}

TEST(SettingsList, DamagedNumberLinesFallBackToTheWindowDefaults) {
  SettingsList list;
  const std::vector<std::pair<std::string, int>> language_cases = {
      {"2", 2}, {"3", 3}, {"abc", 1}, {"", 1}, {"4", 1}, {"0", 1}, {"2x", 1}, {"+2", 1}};
  for (const auto& [line, language] : language_cases) {
    list.SetLine(kLanguage, line);
    EXPECT_EQ(list.Language(), language) << "line '" << line << "'";
  }
  const std::vector<std::pair<std::string, int>> track_cases = {
      {"7", 7}, {"0", 0}, {"10", 10}, {"11", 2}, {"-1", 2}, {"abc", 2}, {"99999999999", 2}};
  for (const auto& [line, position] : track_cases) {
    list.SetLine(kLineHeight, line);
    EXPECT_EQ(list.LineHeight(), position) << "line '" << line << "'";
  }
  list.SetLine(kSpaceDetection, "abc");
  list.SetLine(kSpaceWidth, "");
  list.SetLine(kEllipsisForm, "4");
  EXPECT_EQ(list.SpaceDetection(), 4);
  EXPECT_EQ(list.SpaceWidth(), 8);
  EXPECT_EQ(list.EllipsisForm(), 0);
}

TEST(SettingsList, SaveWritesEveryLineWithCrLfAndReadsBackTheSame) {
  TempDir dir;
  SettingsList list;
  list.SetLine(kAuthorText, "\xD7\xD6\xC4\xBB\\N\xD6\xC6\xD7\xF7" /* 字幕\N制作 */);
  list.SetFolders("/home/a", "/home/b", "/home/c");
  list.SetLanguage(3);
  list.SetLine(24, "extra");
  ASSERT_TRUE(list.SaveToFile(dir / "setup.sys").ok());

  const std::string bytes = dir.Read("setup.sys");
  EXPECT_EQ(bytes.substr(0, 3), "1\r\n");
  EXPECT_EQ(bytes.substr(bytes.size() - 7), "extra\r\n");

  const auto again = SettingsList::LoadFromFile(dir / "setup.sys");
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again.value().Lines(), list.Lines());
  EXPECT_EQ(again.value().LineCount(), 25);
  EXPECT_EQ(again.value().Line(23), "1");
  EXPECT_EQ(again.value().ReferenceFolder(), "/home/b");
  EXPECT_EQ(again.value().Language(), 3);
}

TEST(SettingsList, TeachingAssistanceIsOnUnlessItsLinesSayOff) {
  TempDir dir;
  std::string today;  // the 23 lines every release has written
  for (int i = 0; i < 23; ++i) {
    today += "0\r\n";
  }
  const auto old_file = SettingsList::LoadFromFile(dir.Write("old.sys", today));
  ASSERT_TRUE(old_file.ok());
  EXPECT_EQ(old_file.value().Assistance(), TeachingAssistance{});
  EXPECT_EQ(TeachingAssistance{}.skip_placeholder, "\xA1\xF5");

  struct Case {
    std::string lines;  // lines 24 onwards, after the save encoding's line 23
    TeachingAssistance expected;
  };
  using settings::GuessScript;
  const Case cases[] = {
      {"0\r\n0\r\n0\r\n0\r\n\r\n0\r\n0\r\n", TeachingAssistance::Off()},
      {"1\r\n0\r\n1\r\n0\r\n*\r\n", {true, false, true, false, "*"}},
      {"1\r\n1\r\n1\r\n1\r\n*\r\n0\r\n2\r\n",
       {true, true, true, true, "*", false, GuessScript::kTraditional}},
      {"1\r\n1\r\n1\r\n1\r\n*\r\n1\r\n1\r\n",
       {true, true, true, true, "*", true, GuessScript::kSimplified}},
      // A script number out of range, or not a number, reads as "by the interface language".
      {"1\r\n1\r\n1\r\n1\r\n*\r\n1\r\n3\r\n", {true, true, true, true, "*"}},
      {"1\r\n1\r\n1\r\n1\r\n*\r\n1\r\nx\r\n", {true, true, true, true, "*"}},
      {"0\r\n", {false, true, true, true, "\xA1\xF5"}},  // the rest missing: defaults
      {"x\r\n1\r\n1\r\n1\r\n\xA1\xF5\r\n", {false, true, true, true, "\xA1\xF5"}},
  };
  for (const Case& c : cases) {
    const auto loaded = SettingsList::LoadFromFile(dir.Write("new.sys", today + "2\r\n" + c.lines));
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded.value().Assistance(), c.expected) << c.lines;
  }

  // Written in line order onto a 23-line list: the placeholder line gets no padding "1", and the
  // save encoding's line is added empty (its fallback), not as "1" (UTF-8).
  SettingsList list(std::vector<std::string>(23, "0"));
  list.SetAssistance({false, true, false, true, "", false, GuessScript::kTraditional});
  EXPECT_EQ(list.LineCount(), 31);
  EXPECT_EQ(list.Line(kSkipPlaceholder), "");
  EXPECT_EQ(list.Line(kOcrGuess), "0");
  EXPECT_EQ(list.Line(kOcrGuessScript), "2");
  EXPECT_EQ(list.Line(kSaveEncoding), "");
  EXPECT_EQ(list.SaveEncoding(), 0);
  const auto path = dir.path() / "saved.sys";
  ASSERT_TRUE(list.SaveToFile(path).ok());
  const auto reread = SettingsList::LoadFromFile(path);
  ASSERT_TRUE(reread.ok());
  EXPECT_EQ(reread.value().Assistance(),
            (TeachingAssistance{false, true, false, true, "", false, GuessScript::kTraditional}));
}

TEST(SettingsList, MissingFileIsAnErrorNamingIt) {
  TempDir dir;
  const auto missing = SettingsList::LoadFromFile(dir / "setup.sys");
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().message.find("setup.sys"), std::string::npos);
}

}  // namespace
}  // namespace settings

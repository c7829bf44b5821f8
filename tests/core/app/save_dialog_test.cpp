// Tests of the subtitle name proposed when the save dialog changes folder, and of choosing and
// seeding the program folder.
#include "app/save_dialog.h"

#include <gtest/gtest.h>

#include "app/program_folder.h"
#include "settings/settings_list.h"
#include "support/temp_dir.h"

namespace app {
namespace {

using testing_support::TempDir;

TEST(SaveDialogFolderChange, ProposesTheVideoNameWithChineseSuffix) {
  using Names = std::vector<std::string>;
  const std::vector<std::pair<Names, std::string>> cases = {
      {{"movie.avi"}, "movie.chinese"},
      {{}, ".chinese"},
      {{"movie.mkv", "notes.txt"}, ".chinese"},
      {{"a.Avi", "b.avi", "c.AVI"}, "b.chinese"},
      {{"a.Avi", "b.aVI"}, "b.chinese"},
      {{"x.AVI", "y.avi"}, "x.chinese"},
      {{".avi"}, ".chinese"},
      {{"avi"}, ".chinese"},
      {{"film.part1.avi"}, "film.part1.chinese"},
  };
  for (const auto& [names, proposal] : cases) {
    EXPECT_EQ(ProposedSubtitleName(names), proposal) << (names.empty() ? "" : names[0]);
  }
}

TEST(SaveDialogFolderChange, ListsTheFilesOfARealFolder) {
  TempDir dir;
  dir.Write("b.avi", "");
  dir.Write("a.srt", "");
  std::filesystem::create_directory(dir / "folder.avi");
  EXPECT_EQ(FileNamesIn(dir.path()), (std::vector<std::string>{"a.srt", "b.avi"}));
  EXPECT_EQ(ProposedSubtitleName(FileNamesIn(dir.path())), "b.chinese");
  EXPECT_TRUE(FileNamesIn(dir / "missing").empty());
}

TEST(ProgramFolder, ChoosesWorkdirThenCurrentFolderThenUserFolder) {
  const std::filesystem::path cwd = "/work/here";
  EXPECT_EQ(ChooseProgramFolder(std::filesystem::path("/w"), cwd, true, "/x", "/home/u"), "/w");
  EXPECT_EQ(ChooseProgramFolder(std::nullopt, cwd, true, "/x", "/home/u"), cwd);
  EXPECT_EQ(ChooseProgramFolder(std::nullopt, cwd, false, "/x", "/home/u"), "/x/zentrope");
  EXPECT_EQ(ChooseProgramFolder(std::nullopt, cwd, false, "", "/home/u"),
            "/home/u/.local/share/zentrope");
  EXPECT_EQ(ChooseProgramFolder(std::nullopt, cwd, false, "relative", "/home/u"),
            "/home/u/.local/share/zentrope");
  EXPECT_EQ(ChooseProgramFolder(std::nullopt, cwd, false, "", ""), cwd);
}

TEST(ProgramFolder, FirstStartCopiesTheDefaultsWithoutOverwriting) {
  TempDir dir;
  dir.Write("defaults/setup.sys", "");
  dir.Write("defaults/replace.sys", "a<=>b\r\n");
  std::filesystem::create_directories(dir / "defaults/wordbmp");
  const auto user = dir / "user";
  std::filesystem::create_directories(user);
  dir.Write("user/replace.sys", "mine<=>kept\r\n");

  ASSERT_TRUE(PrepareProgramFolder(user, dir / "defaults").ok());
  EXPECT_TRUE(std::filesystem::exists(user / "setup.sys"));
  EXPECT_TRUE(std::filesystem::is_directory(user / "wordbmp"));
  EXPECT_EQ(dir.Read("user/replace.sys"), "mine<=>kept\r\n");

  // A folder that is ready is left alone, even when the defaults have gone.
  EXPECT_TRUE(PrepareProgramFolder(user, dir / "nowhere").ok());
  EXPECT_FALSE(PrepareProgramFolder(dir / "other", dir / "nowhere").ok());
}

TEST(ProgramFolder, FirstStartTakesTheLocalesLanguageAndKeepsAnExistingOne) {
  TempDir dir;
  const std::string shipped =
      "0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12\r\n1\r\n14\r\n";
  dir.Write("defaults/setup.sys", shipped);
  ASSERT_TRUE(PrepareProgramFolder(dir / "english", dir / "defaults", 3).ok());
  auto english = settings::SettingsList::LoadFromFile(dir / "english/setup.sys");
  ASSERT_TRUE(english.ok());
  EXPECT_EQ(english.value().Language(), 3);
  // Without a language, and for a folder already made, the file is as it was.
  ASSERT_TRUE(PrepareProgramFolder(dir / "shipped", dir / "defaults").ok());
  EXPECT_EQ(dir.Read("shipped/setup.sys"), shipped);
  ASSERT_TRUE(PrepareProgramFolder(dir / "shipped", dir / "defaults", 2).ok());
  EXPECT_EQ(dir.Read("shipped/setup.sys"), shipped);
}

TEST(ProgramFolder, LanguageForLocale) {
  const std::pair<const char*, int> cases[] = {
      {"zh_CN", 1},      {"zh_CN.UTF-8", 1}, {"zh_SG", 1},       {"zh", 1},    {"zh_Hans_CN", 1},
      {"zh_TW", 2},      {"zh_TW.UTF-8", 2}, {"zh_HK", 2},       {"zh_MO", 2}, {"zh_Hant", 2},
      {"zh-Hant-TW", 2}, {"en_US", 3},       {"en_GB.UTF-8", 3}, {"C", 3},     {"POSIX", 3},
      {"", 3},           {"zhx_TW", 3},      {"de_DE@euro", 3},
  };
  for (const auto& [name, language] : cases) {
    EXPECT_EQ(LanguageForLocale(name), language) << name;
  }
}

}  // namespace
}  // namespace app

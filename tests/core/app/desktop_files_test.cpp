// Tests of the files the installed program lives by: the shipped data folder it seeds a working
// folder from, and the recent-files list of the File menu.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "app/program_folder.h"
#include "app/recent_files.h"
#include "app/window_placement.h"
#include "support/temp_dir.h"

namespace app {
namespace {

using testing_support::TempDir;
using Paths = std::vector<std::filesystem::path>;

TEST(ShippedDataFolder, PrefersTheInstalledDataBesideTheProgram) {
  TempDir dir;
  std::filesystem::create_directories(dir / "usr/bin");
  const std::filesystem::path source = "/src/zentrope/data";
  // Not installed yet: the source tree's data.
  EXPECT_EQ(ShippedDataFolder(dir / "usr/bin", "../share/zentrope", source), source);
  // A share/zentrope without setup.sys is not a data folder either.
  std::filesystem::create_directories(dir / "usr/share/zentrope");
  EXPECT_EQ(ShippedDataFolder(dir / "usr/bin", "../share/zentrope", source), source);
  dir.Write("usr/share/zentrope/setup.sys", "");
  EXPECT_EQ(ShippedDataFolder(dir / "usr/bin", "../share/zentrope", source),
            dir / "usr/share/zentrope");
}

TEST(HelpFileFor, TakesTheLanguagesGuideThenTheEnglishOneFolderByFolder) {
  TempDir dir;
  dir.Write("work/help.html", "");
  dir.Write("shipped/help.html", "");
  dir.Write("shipped/help.zh_CN.html", "");
  dir.Write("shipped/help.zh_TW.html", "");
  const std::vector<std::filesystem::path> both = {dir / "work", dir / "shipped"};
  const std::vector<std::filesystem::path> shipped = {dir / "shipped"};
  const std::vector<std::filesystem::path> none = {dir / "nothing"};
  const struct {
    const std::vector<std::filesystem::path>* folders;
    int language;
    std::filesystem::path expected;
  } cases[] = {
      {&both, 1, dir / "shipped/help.zh_CN.html"},  // the language's guide wherever it is
      {&both, 3, dir / "work/help.html"},           // else the first folder's comes first
      {&shipped, 1, dir / "shipped/help.zh_CN.html"},
      {&shipped, 2, dir / "shipped/help.zh_TW.html"},
      {&shipped, 3, dir / "shipped/help.html"},
      {&shipped, 0, dir / "shipped/help.zh_CN.html"},
      {&none, 1, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HelpFileFor(*c.folders, c.language), c.expected) << c.language;
  }
}

TEST(RecentFiles, KeepsTheNewestEightWithoutRepeats) {
  RecentFiles recent;
  for (int i = 1; i <= 10; ++i) {
    recent.Add("/subs/" + std::to_string(i) + ".srt");
  }
  recent.Add("/subs/5.srt");    // opened again: moves to the front
  recent.Add("/subs/./9.srt");  // the same file spelt otherwise
  recent.Add("relative.srt");   // ignored
  recent.Add(std::filesystem::path());
  EXPECT_EQ(recent.Paths(), (Paths{"/subs/9.srt", "/subs/5.srt", "/subs/10.srt", "/subs/8.srt",
                                   "/subs/7.srt", "/subs/6.srt", "/subs/4.srt", "/subs/3.srt"}));
  recent.Remove("/subs/10.srt");
  recent.Remove("/subs/missing.srt");
  EXPECT_EQ(recent.Paths().size(), 7u);
  EXPECT_EQ(recent.Paths()[2], "/subs/8.srt");
}

TEST(RecentFiles, RoundTripsThroughItsFileAndReadsDamagedFilesLeniently) {
  TempDir dir;
  RecentFiles recent;
  recent.Add("/a/\xD7\xD6\xC4\xBB.srt");  // a name with non-ASCII bytes, kept as they are
  recent.Add("/b/two.ssa");
  ASSERT_TRUE(recent.Save(dir / kRecentFilesFileName).ok());
  EXPECT_EQ(dir.Read(kRecentFilesFileName), "/b/two.ssa\r\n/a/\xD7\xD6\xC4\xBB.srt\r\n");
  auto loaded = RecentFiles::Load(dir / kRecentFilesFileName);
  ASSERT_TRUE(loaded.ok());
  EXPECT_EQ(loaded.value().Paths(), recent.Paths());

  const struct {
    std::string bytes;
    Paths expected;
  } cases[] = {
      {"", {}},
      {"\r\n\r\nrelative\n/x.srt\r/y.srt\n/x.srt\n", {"/x.srt", "/y.srt"}},
      {"/1\n/2\n/3\n/4\n/5\n/6\n/7\n/8\n/9\n/10\n",
       {"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8"}},
  };
  for (const auto& c : cases) {
    dir.Write("damaged.sys", c.bytes);
    auto read = RecentFiles::Load(dir / "damaged.sys");
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value().Paths(), c.expected) << c.bytes;
  }
  auto missing = RecentFiles::Load(dir / "none.sys");
  ASSERT_TRUE(missing.ok());
  EXPECT_TRUE(missing.value().Paths().empty());
  // A folder where the file should be cannot be read: an error, not an empty list.
  std::filesystem::create_directories(dir / "folder.sys");
  EXPECT_FALSE(RecentFiles::Load(dir / "folder.sys").ok());
  EXPECT_FALSE(recent.Save(dir / "no/such/folder/recent.sys").ok());
}

TEST(WindowPlacement, FirstStartIsMaximisedAndDamageFallsBack) {
  TempDir dir;
  const WindowPlacement first = LoadWindowPlacement(dir / "none.sys");
  EXPECT_TRUE(first.maximised);

  ASSERT_TRUE(SaveWindowPlacement(dir / kWindowFileName, {false, 1300, 900}).ok());
  EXPECT_EQ(dir.Read(kWindowFileName), "0\r\n1300\r\n900\r\n");
  const WindowPlacement read = LoadWindowPlacement(dir / kWindowFileName);
  EXPECT_FALSE(read.maximised);
  EXPECT_EQ(read.width, 1300);
  EXPECT_EQ(read.height, 900);

  const struct {
    std::string bytes;
    bool maximised;
    int width, height;
  } cases[] = {
      {"1\r\n800\r\n600\r\n", true, 800, 600},
      {"0\n300\n200\n", false, WindowPlacement::kMinWidth, WindowPlacement::kMinHeight},
      {"0\nwide\n600\n", false, first.width, first.height},  // the pair is taken whole
      {"0\n800\n-5\n", false, first.width, first.height},
      {"0\n800x\n600\n", false, first.width, first.height},
      {"0\n99999999\n600\n", false, first.width, first.height},
      {"0\n", false, first.width, first.height},
      {"", true, first.width, first.height},
  };
  for (const auto& c : cases) {
    dir.Write("damaged.sys", c.bytes);
    const WindowPlacement placement = LoadWindowPlacement(dir / "damaged.sys");
    EXPECT_EQ(placement.maximised, c.maximised) << c.bytes;
    EXPECT_EQ(placement.width, c.width) << c.bytes;
    EXPECT_EQ(placement.height, c.height) << c.bytes;
  }
}

// The shipped guides: every link of a guide's contents leads to a section of the same guide, and
// the three languages have the same sections, so that no language's reader meets a dead link.
TEST(ShippedGuides, LinksLeadToSectionsAndTheLanguagesAgree) {
  const std::filesystem::path data = std::filesystem::path(ZENTROPE_SOURCE_DIR) / "data";
  const auto collect = [](const std::string& html, const std::regex& pattern) {
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), pattern);
         it != std::sregex_iterator(); ++it) {
      found.insert((*it)[1].str());
    }
    return found;
  };
  const std::regex id_pattern(R"re(\sid="([^"]+)")re");
  const std::regex link_pattern(R"re(href="#([^"]+)")re");
  std::set<std::string> english_ids;
  for (const char* name : {"help.html", "help.zh_CN.html", "help.zh_TW.html"}) {
    std::ifstream file(data / name, std::ios::binary);
    ASSERT_TRUE(file) << name;
    const std::string html((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    const std::set<std::string> ids = collect(html, id_pattern);
    const std::set<std::string> links = collect(html, link_pattern);
    EXPECT_GE(ids.size(), 10u) << name;
    for (const std::string& link : links) {
      EXPECT_TRUE(ids.count(link)) << name << ": #" << link << " leads nowhere";
    }
    if (english_ids.empty()) {
      english_ids = ids;
    } else {
      EXPECT_EQ(ids, english_ids) << name;
    }
  }
}

}  // namespace
}  // namespace app

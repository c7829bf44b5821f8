// Tests of the settings and phrase files shipped in the ready working folder.
#include <gtest/gtest.h>

#include "settings/phrase_table.h"
#include "settings/settings_list.h"
#include "text/line_file.h"

namespace settings {
namespace {

const std::filesystem::path kDataFolder = std::filesystem::path(ZENTROPE_SOURCE_DIR) / "data";

TEST(ShippedFiles, SettingsHoldTwentyThreeLinesWithTheWindowDefaults) {
  const auto lines = text::ReadLines(kDataFolder / kSettingsFileName);
  ASSERT_TRUE(lines.ok());
  EXPECT_EQ(lines.value().size(), 23u);
  const SettingsList list(lines.value());
  EXPECT_EQ(list.Line(kLanguage), "1");
  EXPECT_EQ(list.Line(kSpaceDetection), "4");
  EXPECT_EQ(list.Line(kSpaceWidth), "8");
  EXPECT_EQ(list.Line(kLineHeight), "2");
  EXPECT_EQ(list.Line(kEllipsisForm), "0");
  EXPECT_FALSE(list.AuthorEntryOn());
  EXPECT_TRUE(list.PhraseReplacementOn());
  const std::string bytes = text::ReadFileBytes(kDataFolder / kSettingsFileName).value();
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  EXPECT_EQ(text::SplitLines(bytes).size(), 23u);
}

TEST(ShippedFiles, EveryPhraseLineIsAStorablePair) {
  const auto table = PhraseTable::LoadFromFile(kDataFolder / kPhraseFileName);
  ASSERT_TRUE(table.ok());
  EXPECT_GE(table.value().Lines().size(), 3u);
  for (const std::string& line : table.value().Lines()) {
    EXPECT_TRUE(IsStorablePair(SplitPhraseLine(line))) << line;
    EXPECT_EQ(line.find('\r'), std::string::npos);
  }
}

}  // namespace
}  // namespace settings

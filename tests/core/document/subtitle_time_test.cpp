#include "document/subtitle_time.h"

#include <gtest/gtest.h>

namespace document {
namespace {

TEST(SubtitleTime, ParsesTableAndHandEditedForms) {
  EXPECT_EQ(ParseSubtitleTime("00:01:02.345"), 62345);
  EXPECT_EQ(ParseSubtitleTime("0:00:01.5"), 1500);
  EXPECT_EQ(ParseSubtitleTime("00:00:01.05"), 1050);
  EXPECT_EQ(ParseSubtitleTime("10:00:00"), 36000000);
  EXPECT_EQ(ParseSubtitleTime(""), std::nullopt);
  EXPECT_EQ(ParseSubtitleTime("00:00:01,000"), std::nullopt);
  EXPECT_EQ(ParseSubtitleTime("00:61:00.000"), std::nullopt);
  EXPECT_EQ(ParseSubtitleTime("ab:cd:ef.ghi"), std::nullopt);
  EXPECT_EQ(ParseSubtitleTime("00:00:01.0001"), std::nullopt);
}

TEST(SubtitleTime, FormatsZeroPadded) {
  EXPECT_EQ(FormatSubtitleTime(62345), "00:01:02.345");
  EXPECT_EQ(FormatSubtitleTime(0), "00:00:00.000");
  EXPECT_EQ(FormatSubtitleTime(-5), "00:00:00.000");
  EXPECT_EQ(FormatSubtitleTime(36001000), "10:00:01.000");
}

TEST(SubtitleTime, ConvertsBetweenTableAndFileForms) {
  EXPECT_EQ(TableTimeToSrt("00:00:01.000"), "00:00:01,000");
  EXPECT_EQ(TableTimeToSrt("garbage"), "garbage");
  EXPECT_EQ(SsaTimeToTable("0:00:01.00"), "00:00:01.000");
  EXPECT_EQ(TableTimeToSsa("00:00:01.000"), "0:00:01.00");
  EXPECT_EQ(TableTimeToSsa("10:00:01.000"), "0:00:01.00");  // ten hours lose their first digit
  EXPECT_EQ(TableTimeToSsa("0:00:01.5"), "0:00:01.5");      // not 12 characters: unshortened
  EXPECT_EQ(TableTimeToSsa("00:00:01,999"), "0:00:01.99");  // truncated, not rounded
}

}  // namespace
}  // namespace document

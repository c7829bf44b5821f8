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

TEST(SubtitleTime, TypedTimesAreNormalisedOrRefused) {
  struct Case {
    const char* typed;
    std::optional<std::string> normalised;
  };
  const Case cases[] = {
      {"1:02:03.456", "01:02:03.456"},   // h:mm:ss.mmm
      {"01:02:03,456", "01:02:03.456"},  // SRT form with a comma
      {"01:02:03.456", "01:02:03.456"},  // the tables' own form stays
      {"02:03.456", "00:02:03.456"},     // mm:ss.mmm
      {"2:03.4", "00:02:03.400"},        // one fraction digit means tenths
      {" 00:00:05.5 ", "00:00:05.500"},  // spaces around are ignored
      {"1:02:03", "01:02:03.000"},       // with hours the fraction may be left out
      {"99:59:59.999", "99:59:59.999"},
      {"", std::nullopt},
      {"abc", std::nullopt},
      {"12:34", std::nullopt},           // hh:mm or mm:ss? refused rather than guessed
      {"1:2:03.000", std::nullopt},      // minutes need two digits after hours
      {"00:60:00.000", std::nullopt},    // minutes beyond 59
      {"00:00:60.000", std::nullopt},    // seconds beyond 59
      {"00:00:5.000", std::nullopt},     // seconds need two digits
      {"00:00:05.", std::nullopt},       // a separator without a fraction
      {"00:00:05.1234", std::nullopt},   // more than milliseconds
      {"100:00:00.000", std::nullopt},   // three hour digits
      {"1:00:00:00.000", std::nullopt},  // four fields
      {"00:00:01 --> 00:00:02", std::nullopt},
      {"-0:00:01.000", std::nullopt},
      {"00:0a:01.000", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NormaliseTimeEntry(c.typed), c.normalised) << '"' << c.typed << '"';
  }
  EXPECT_EQ(ParseTimeEntry("1:02:03.456"), 3723456);
}

TEST(SubtitleTime, ReadableTimesIncludeWhatFilesGive) {
  EXPECT_TRUE(IsReadableTime("00:00:01.5"));
  EXPECT_TRUE(IsReadableTime("00:00:01,500"));
  EXPECT_TRUE(IsReadableTime("123:00:00.000"));
  EXPECT_EQ(ReadCellTime("00:00:22.500  X1:000 X2:000"), 22500);  // SRT coordinates after it
  EXPECT_EQ(ReadCellTime("-00:00:01,500"), -1500);
  EXPECT_FALSE(IsReadableTime(""));
  EXPECT_FALSE(IsReadableTime("-"));
  EXPECT_FALSE(IsReadableTime("abc"));
}

TEST(SubtitleTime, ReadsAmountsOfTimeWithASign) {
  struct Case {
    const char* typed;
    std::optional<Milliseconds> expected;
  };
  const Case cases[] = {
      {"2", 2000},
      {"-0.25", -250},
      {"+90.5", 90500},
      {" 1.005 ", 1005},
      {"00:00:01.500", 1500},
      {"-1:02.5", -62500},
      {"00:00:01,500", 1500},
      {"", std::nullopt},
      {"-", std::nullopt},
      {"1.2345", std::nullopt},
      {"--1", std::nullopt},
      {"1 s", std::nullopt},
      {"1:2", std::nullopt},
      {"abc", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseTimeAmount(c.typed), c.expected) << c.typed;
  }
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

#include "text/gbk.h"

#include <gtest/gtest.h>

namespace text {
namespace {

TEST(Gbk, RoundTripsChineseAndAscii) {
  const std::string utf8 = "abc \xE4\xB8\xAD\xE6\x96\x87 123";  // abc 中文 123
  const auto gbk = Utf8ToGbk(utf8);
  EXPECT_EQ(gbk.replaced, 0);
  EXPECT_EQ(gbk.text, "abc \xD6\xD0\xCE\xC4 123");
  const auto back = GbkToUtf8(gbk.text);
  EXPECT_EQ(back.replaced, 0);
  EXPECT_EQ(back.text, utf8);
}

TEST(Gbk, CountsCharactersGbkCannotHold) {
  // An emoji and a Hangul syllable are outside GBK; the text around them survives.
  const auto gbk = Utf8ToGbk(
      "a\xF0\x9F\x98\x80"
      "b\xEA\xB0\x80"
      "c");
  EXPECT_EQ(gbk.text, "a?b?c");
  EXPECT_EQ(gbk.replaced, 2);
  // Malformed UTF-8 counts too and never swallows the following ASCII.
  const auto bad = Utf8ToGbk("x\xC3y");
  EXPECT_EQ(bad.text, "x?y");
  EXPECT_EQ(bad.replaced, 1);
}

TEST(Gbk, MalformedGbkIsReplacedNotDropped) {
  const auto utf8 = GbkToUtf8("a\xD6");  // a lead byte cut off at the end
  EXPECT_EQ(utf8.replaced, 1);
  EXPECT_EQ(utf8.text, "a\xEF\xBF\xBD");
}

TEST(Gbk, AStrayLeadByteNeverTakesALineEndOrOtherNonTrailByteWithIt) {
  const struct {
    const char* gbk;
    const char* utf8;
  } cases[] = {
      {"x\x81\r\ny", "x\xEF\xBF\xBD\r\ny"},
      {"\x81\n", "\xEF\xBF\xBD\n"},
      {"\x81"
       "1",
       "\xEF\xBF\xBD"
       "1"},
      {"\x81\x7F", "\xEF\xBF\xBD\x7F"},
      {"\xFF\xFF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xD6\xD0", "\xE4\xB8\xAD"},  // a whole character still converts
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GbkToUtf8(c.gbk).text, c.utf8) << testing::PrintToString(std::string(c.gbk));
  }
}

TEST(Gbk, ValidatesUtf8) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("\xE4\xB8\xAD"));
  EXPECT_FALSE(IsValidUtf8("\xD6\xD0\xCE\xC4"));  // GBK bytes of 中文
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
}

TEST(Gbk, FindsCharacterBoundaries) {
  const std::string text =
      "a\xD6\xD0"
      "b";  // a 中 b
  EXPECT_TRUE(IsCharBoundary(text, 0));
  EXPECT_TRUE(IsCharBoundary(text, 1));
  EXPECT_FALSE(IsCharBoundary(text, 2));
  EXPECT_TRUE(IsCharBoundary(text, 3));
  EXPECT_TRUE(IsCharBoundary(text, 4));  // the end of the text
  EXPECT_FALSE(IsCharBoundary(text, 5));
  EXPECT_FALSE(IsCharBoundary("a\xD6", 2));  // a lead byte cut off at the end
}

TEST(CharLength, StepsOverGb18030FourByteCharacters) {
  const std::string text =
      "a\xD6\xD0\x81\x36\xE5\x38"
      "b";  // a 中 ⋯ b (U+22EF is a four-byte GB18030 character)
  EXPECT_EQ(CharLength(text, 0), 1u);
  EXPECT_EQ(CharLength(text, 1), 2u);
  EXPECT_EQ(CharLength(text, 3), 4u);
  EXPECT_EQ(CharLength(text, 7), 1u);
  EXPECT_TRUE(IsCharBoundary(text, 7));
  EXPECT_FALSE(IsCharBoundary(text, 5));
  EXPECT_EQ(CharLength("\x81\x36\xE5", 0), 2u);  // cut short: not a four-byte character
  // The screen's conversion keeps it.
  const Converted utf8 = GbkToUtf8(text);
  EXPECT_EQ(utf8.text,
            "a\xE4\xB8\xAD\xE2\x8B\xAF"
            "b");
  EXPECT_EQ(utf8.replaced, 0);
}

}  // namespace
}  // namespace text

// Input decoding: byte-order marks, the choice between valid readings by common Chinese
// characters, the Windows code pages, forced encodings, and bytes no encoding reads.
#include "text/encoding.h"

#include <gtest/gtest.h>

#include <string>

#include "text/gbk.h"

namespace text {
namespace {

std::string Gbk(std::string_view utf8) {
  return Utf8ToGbk(utf8).text;
}

TEST(DecodeInput, DetectsEveryEncodingOfTheUsualSubtitles) {
  struct Case {
    std::string raw;
    Encoding encoding;
    std::string utf8;  // the text as read
    bool noted;        // another valid reading lost, and the note says so
  };
  const Case cases[] = {
      {"plain ASCII", Encoding::kGbk, "plain ASCII", false},
      {"\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97\xE5\xB9\x95", Encoding::kUtf8, "中文字幕", false},
      {Gbk("中文字幕"), Encoding::kGbk, "中文字幕", false},  // Big5 reads it too, as nonsense
      // GBK bytes that are valid UTF-8 too: the common characters decide.
      {Gbk("谢谢"), Encoding::kGbk, "谢谢", true},
      {Gbk("喂"), Encoding::kGbk, "喂", true},
      {Gbk("小小"), Encoding::kGbk, "小小", true},
      {Gbk("味卤味"), Encoding::kGbk, "味卤味", true},
      {Gbk("为什么"), Encoding::kGbk, "为什么", true},
      {Gbk("同学"), Encoding::kGbk, "同学", true},
      {"\xB3\x6F\xAC\x4F\xC1\x63\xC5\xE9\xA4\xA4\xA4\xE5\xA6\x72\xB9\xF5", Encoding::kBig5,
       "這是繁體中文字幕", true},
      {"caf\xE9 d\xE9j\xE0 vu", Encoding::kCp1252, "café déjà vu", false},
      {"\xCF\xF0\xE8\xE2\xE5\xF2, \xEA\xE0\xEA \xE4\xE5\xEB\xE0?", Encoding::kCp1251,
       "Привет, как дела?", false},
      {"\xEF\xBB\xBF\xE5\xAD\x97", Encoding::kUtf8, "字", false},
      // A stray byte in a long GBK text keeps the text GBK (the byte stays as it is).
      {Gbk("这是一个很长的中文字幕，我们都知道它是什么") + "\xFF", Encoding::kGbk,
       "这是一个很长的中文字幕，我们都知道它是什么\xEF\xBF\xBD", false},
      {std::string("\xFF\xFE\x57\x5B", 4), Encoding::kUtf16Le, "字", false},
      {std::string("\xFE\xFF\x5B\x57", 4), Encoding::kUtf16Be, "字", false},
      {std::string("\xFF\xFE\x00\x00\x57\x5B\x00\x00", 8), Encoding::kUtf32Le, "字", false},
      {std::string("\x00\x00\xFE\xFF\x00\x00\x5B\x57", 8), Encoding::kUtf32Be, "字", false},
  };
  for (const auto& c : cases) {
    const auto decoded = DecodeInput(c.raw, Encoding::kAuto);
    ASSERT_TRUE(decoded.has_value()) << c.utf8;
    EXPECT_EQ(decoded->encoding, c.encoding) << c.utf8;
    EXPECT_EQ(GbkToUtf8(decoded->gbk).text, c.utf8) << c.utf8;
    EXPECT_EQ(decoded->replaced, 0) << c.utf8;
    EXPECT_EQ(!decoded->note.empty(), c.noted) << c.utf8 << ": " << decoded->note;
  }
  const auto thanks = DecodeInput(Gbk("谢谢"), Encoding::kAuto);
  EXPECT_EQ(thanks->note,
            "read as gbk, not utf-8: both readings are valid, and this one holds more common "
            "Chinese characters (2 against 0)");
}

TEST(DecodeInput, ForcedEncodingsReadAsToldAndCountWhatTheyCannot) {
  EXPECT_EQ(DecodeInput(Gbk("谢谢"), Encoding::kUtf8)->gbk, Gbk("лл"));
  EXPECT_EQ(DecodeInput("\xE5\xAD\x97", Encoding::kGbk)->gbk, "\xE5\xAD\x97");  // as it stands
  const auto big5 = DecodeInput("\xA6\x72\xFF", Encoding::kBig5);
  EXPECT_EQ(GbkToUtf8(big5->gbk).text, "字?");
  EXPECT_EQ(big5->replaced, 1);
  EXPECT_EQ(DecodeInput("\xEF\xBB\xBF\x61", Encoding::kGb18030)->gbk, "a");  // mark skipped
  for (const std::string name : {"auto", "UTF-8", "utf-16", "gbk", "GB18030", "big5", "big5-hkscs",
                                 "windows-1250", "cp1251", "cp1252"}) {
    EXPECT_TRUE(EncodingByName(name).has_value()) << name;
  }
  EXPECT_FALSE(EncodingByName("latin-9").has_value());
  EXPECT_EQ(EncodingName(*EncodingByName("windows-1252")), std::string("cp1252"));
}

TEST(DecodeInput, BytesNoEncodingReadsGiveNothing) {
  EXPECT_FALSE(DecodeInput("\x81\x98\xFF", Encoding::kAuto).has_value());
  EXPECT_NE(TriedEncodingsText().find("Big5"), std::string::npos);
}

}  // namespace
}  // namespace text

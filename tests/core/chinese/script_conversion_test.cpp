// GBK texts, table rows and whole subtitle files through the script conversion.
#include "chinese/script_conversion.h"

#include <gtest/gtest.h>

#include "support/fake_ports.h"
#include "text/gbk.h"

namespace chinese {
namespace {

std::string Gbk(std::string_view utf8) {
  const text::Converted converted = text::Utf8ToGbk(utf8);
  EXPECT_EQ(converted.replaced, 0) << utf8;
  return converted.text;
}

std::string Utf8(std::string_view gbk) {
  return text::GbkToUtf8(gbk).text;
}

class ScriptConversion : public ::testing::Test {
 protected:
  // Loading a configuration takes a while: the tests share one set.
  static const ScriptConverter& Converter(Direction direction) {
    static ConverterSet converters(DefaultDataFolder());
    auto got = converters.Get(direction);
    EXPECT_TRUE(got.ok());
    return *got.value();
  }
};

TEST_F(ScriptConversion, GbkTextsTakeThePhraseForms) {
  struct Case {
    Direction direction;
    const char* input;  // UTF-8 here, GBK in the conversion
    const char* expected;
  };
  const Case cases[] = {
      {Direction::kS2T, "头发", "頭髮"},
      {Direction::kS2T, "经济发展", "經濟發展"},
      {Direction::kS2T, "干杯！", "乾杯！"},
      {Direction::kS2T, "天气干燥", "天氣乾燥"},
      {Direction::kS2T, "干部", "幹部"},
      {Direction::kS2T, "后天见\\N皇后来了", "後天見\\N皇后來了"},
      {Direction::kT2S, "頭髮\\N發展", "头发\\N发展"},
      {Direction::kT2S, "乾杯，乾燥，幹部", "干杯，干燥，干部"},
      {Direction::kT2S, "後天", "后天"},
      {Direction::kT2S, "皇后", "皇后"},
      {Direction::kS2TWP, "内存不够", "記憶體不夠"},
      {Direction::kTW2SP, "軟體", "软件"},
      {Direction::kS2T, "<i>ok</i> 123", "<i>ok</i> 123"},
  };
  for (const Case& test : cases) {
    const ConvertedText converted = ConvertGbkText(Converter(test.direction), Gbk(test.input));
    EXPECT_EQ(Utf8(converted.text), test.expected) << test.input;
    EXPECT_TRUE(converted.kept.empty()) << test.input;
    EXPECT_FALSE(converted.malformed) << test.input;
  }
}

TEST_F(ScriptConversion, CharacterGbkCannotHoldKeepsTheOriginalAndIsReported) {
  // 鱲 becomes U+2BAAD in Simplified, a character outside GBK.
  const std::string input = Gbk("頭髮鱲魚後天");
  const ConvertedText converted = ConvertGbkText(Converter(Direction::kT2S), input);
  EXPECT_EQ(Utf8(converted.text), "头发鱲鱼后天");
  EXPECT_EQ(converted.text.find('?'), std::string::npos);
  ASSERT_EQ(converted.kept.size(), 1u);
  EXPECT_EQ(converted.kept[0].original, Gbk("鱲"));
  EXPECT_EQ(converted.kept[0].converted, "\xF0\xAB\x9A\xAD");
  EXPECT_EQ(CodePoints(converted.kept[0].converted), "U+2B6AD");
  EXPECT_EQ(CodePoints("a\xE5\xA4\xB4"), "U+0061 U+5934");
}

TEST_F(ScriptConversion, ConvertingTwiceChangesNothingMore) {
  const char* texts[] = {"头发和发展，干杯后天见。", "頭髮與發展，乾杯後天見。",
                         "内存和软件\\N皇后", "{\\i1}干部{\\i0}说：好"};
  for (const Direction direction : kAllDirections) {
    for (const char* text : texts) {
      const std::string once = ConvertGbkText(Converter(direction), Gbk(text)).text;
      const std::string twice = ConvertGbkText(Converter(direction), once).text;
      EXPECT_EQ(Utf8(twice), Utf8(once)) << DirectionName(direction) << " " << text;
    }
  }
}

TEST_F(ScriptConversion, OverrideBlocksAndOtherBytesStayAsTheyAre) {
  const ScriptConverter& t2s = Converter(Direction::kT2S);
  struct Case {
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      // A font name inside an override block is not text.
      {Gbk("{\\fn微軟雅黑}頭髮{\\i1}發展"), Gbk("{\\fn微軟雅黑}头发{\\i1}发展")},
      // An unterminated block is text.
      {Gbk("{\\i1頭髮"), Gbk("{\\i1头发")},
      // 0x81 0x7B is one GBK character whose second byte is "{": it opens no block.
      {"\x81\x7B\\N" + Gbk("頭髮}"), "\x81\x7B\\N" + Gbk("头发}")},
      // A lone lead byte at the end is not GBK: that stretch is left as it was.
      {Gbk("頭髮") + "\x81", Gbk("頭髮") + "\x81"},
      {"", ""},
      {"plain ASCII {\\b1}", "plain ASCII {\\b1}"},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(ConvertGbkText(t2s, test.input).text, test.expected) << Utf8(test.input);
  }
  EXPECT_TRUE(ConvertGbkText(t2s, Gbk("頭髮") + "\x81").malformed);
}

document::SubtitleDocument DocumentWithTexts(const std::vector<std::string>& utf8_texts) {
  document::SubtitleDocument document;
  for (size_t i = 0; i < utf8_texts.size(); ++i) {
    const int row = i == 0 ? 1 : document.main.AppendRow();
    document.main.SetCell(document::kNumber, row, std::to_string(row));
    document.main.SetCell(document::kText, row, Gbk(utf8_texts[i]));
    document.main.SetCell(document::kBaseText, row, Gbk(utf8_texts[i]));
  }
  return document;
}

TEST_F(ScriptConversion, PreviewListsChangedRowsAndReportsKeptCharacters) {
  document::SubtitleDocument document =
      DocumentWithTexts({"頭髮", "ok", "", "鱲", "乾杯鱲", "后天"});
  testing_support::FakeEventPump pump;
  const ConversionPreview preview =
      PreviewConversion(document.main, {1, 2, 3, 4, 5, 6, 99}, Converter(Direction::kT2S), pump);
  EXPECT_EQ(preview.rows_looked_at, 6);
  EXPECT_FALSE(preview.stopped);
  ASSERT_EQ(preview.changes.size(), 2u);
  EXPECT_EQ(preview.changes[0].row, 1);
  EXPECT_EQ(preview.changes[0].number, "1");
  EXPECT_EQ(Utf8(preview.changes[0].before), "頭髮");
  EXPECT_EQ(Utf8(preview.changes[0].after), "头发");
  EXPECT_EQ(preview.changes[1].row, 5);
  EXPECT_EQ(Utf8(preview.changes[1].after), "干杯鱲");
  // Row 4 keeps its only character and does not change; row 5 changes and keeps one.
  ASSERT_EQ(preview.reported.size(), 2u);
  EXPECT_EQ(preview.reported[0].row, 4);
  EXPECT_EQ(preview.reported[0].after, preview.reported[0].before);
  EXPECT_EQ(preview.reported[1].row, 5);
  EXPECT_EQ(preview.reported[1].kept.size(), 1u);
}

TEST_F(ScriptConversion, PreviewStopsWhenAsked) {
  document::SubtitleDocument document = DocumentWithTexts({"頭髮", "頭髮"});
  testing_support::FakeEventPump pump;
  pump.stop_requested = true;
  const ConversionPreview preview =
      PreviewConversion(document.main, AllRows(document.main), Converter(Direction::kT2S), pump);
  EXPECT_TRUE(preview.stopped);
  EXPECT_TRUE(preview.changes.empty());
}

TEST_F(ScriptConversion, ApplyWritesTextsWithTheMarksOfAnEdit) {
  document::SubtitleDocument document = DocumentWithTexts({"头发", "发展", "干杯"});
  document.main.SetCell(document::kChangeMarks, 2, "TC");
  document.main.SetCell(document::kChangeMarks, 3, "T");
  testing_support::FakeEventPump pump;
  const ConversionPreview preview =
      PreviewConversion(document.main, AllRows(document.main), Converter(Direction::kS2T), pump);
  ASSERT_EQ(preview.changes.size(), 3u);
  // Row 3 is edited after the preview: its text must not be overwritten.
  document.main.SetCell(document::kText, 3, Gbk("干杯吧"));
  const ApplyOutcome outcome = ApplyConversion(document, document::Role::kMain, preview.changes);
  EXPECT_EQ(outcome.written, 2);
  EXPECT_EQ(outcome.skipped_rows, std::vector<int>{3});
  EXPECT_EQ(Utf8(document.main.Cell(document::kText, 1)), "頭髮");
  EXPECT_EQ(Utf8(document.main.Cell(document::kText, 2)), "發展");
  EXPECT_EQ(Utf8(document.main.Cell(document::kText, 3)), "干杯吧");
  EXPECT_EQ(document.main.Cell(document::kChangeMarks, 1), "C");
  EXPECT_EQ(document.main.Cell(document::kChangeMarks, 2), "TC");
  EXPECT_EQ(document.main.Cell(document::kChangeMarks, 3), "T");
  EXPECT_EQ(Utf8(document.main.Cell(document::kBaseText, 1)), "头发");
  EXPECT_FALSE(document.document_saved);
  EXPECT_TRUE(document.reference_saved);
}

TEST_F(ScriptConversion, ApplyToTheMainSubtitleIsOneUndoStep) {
  document::SubtitleDocument document = DocumentWithTexts({"头发", "发展", "干杯"});
  document.main.SetCell(document::kChangeMarks, 2, "TC");
  document.main.History().Clear();  // the rows as read
  testing_support::FakeEventPump pump;
  const ConversionPreview preview =
      PreviewConversion(document.main, AllRows(document.main), Converter(Direction::kS2T), pump);
  ASSERT_EQ(ApplyConversion(document, document::Role::kMain, preview.changes).written, 3);
  const document::EditHistory& history = document.main.History();
  ASSERT_EQ(history.UndoCount(), 1u);
  EXPECT_EQ(history.UndoKind(), document::EditKind::kScriptConversion);
  ASSERT_TRUE(document.Undo());
  EXPECT_EQ(Utf8(document.main.Cell(document::kText, 1)), "头发");
  EXPECT_EQ(Utf8(document.main.Cell(document::kText, 3)), "干杯");
  EXPECT_EQ(document.main.Cell(document::kChangeMarks, 1), "");
  EXPECT_EQ(document.main.Cell(document::kChangeMarks, 2), "TC");
  EXPECT_TRUE(document.document_saved);
  ASSERT_TRUE(document.Redo());
  EXPECT_EQ(Utf8(document.main.Cell(document::kText, 2)), "發展");
  EXPECT_EQ(document.main.Cell(document::kChangeMarks, 3), "C");
  EXPECT_FALSE(document.document_saved);
}

TEST_F(ScriptConversion, ApplyToTheReferenceClearsOnlyItsSavedFlag) {
  document::SubtitleDocument document;
  document.reference.SetCell(document::kNumber, 1, "1");
  document.reference.SetCell(document::kText, 1, Gbk("頭髮"));
  testing_support::FakeEventPump pump;
  const ConversionPreview preview = PreviewConversion(
      document.reference, AllRows(document.reference), Converter(Direction::kT2S), pump);
  const ApplyOutcome outcome =
      ApplyConversion(document, document::Role::kReference, preview.changes);
  EXPECT_EQ(outcome.written, 1);
  EXPECT_EQ(Utf8(document.reference.Cell(document::kText, 1)), "头发");
  EXPECT_FALSE(document.reference_saved);
  EXPECT_TRUE(document.document_saved);
  // Nothing to write leaves the flags alone.
  document.reference_saved = true;
  EXPECT_EQ(ApplyConversion(document, document::Role::kReference, {}).written, 0);
  EXPECT_TRUE(document.reference_saved);
}

TEST_F(ScriptConversion, SrtFileKeepsEveryByteButTheTexts) {
  // Lines before the first entry, a number that looks like text, CR LF and LF ends, no final end.
  const std::string input =
      Gbk("头发 note\r\n"
          "1\r\n00:00:01,000 --> 00:00:02,000\r\n头发\r\n发展\r\n\r\n"
          "2\n00:00:03,000 --> 00:00:04,000\n12\n{\\an8}后天\n\n"
          "3\r\n00:00:05,000 --> 00:00:06,000\r\n干杯");
  const std::string expected =
      Gbk("头发 note\r\n"
          "1\r\n00:00:01,000 --> 00:00:02,000\r\n頭髮\r\n發展\r\n\r\n"
          "2\n00:00:03,000 --> 00:00:04,000\n12\n{\\an8}後天\n\n"
          "3\r\n00:00:05,000 --> 00:00:06,000\r\n乾杯");
  const FileConversion converted =
      ConvertSubtitleFile(input, FileLayout::kSrt, Converter(Direction::kS2T));
  EXPECT_EQ(converted.gbk, expected);
  EXPECT_EQ(converted.texts_changed, 4);
  EXPECT_TRUE(converted.reports.empty());
}

TEST_F(ScriptConversion, SsaFileConvertsOnlyDialogueTexts) {
  const std::string input =
      Gbk("[Script Info]\r\nTitle: 头发\r\n\r\n[V4+ Styles]\r\n"
          "Style: 默认,微软雅黑,20,&H00FFFFFF\r\n\r\n[Events]\r\n"
          "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
          "Dialogue: 0,0:00:01.00,0:00:02.00,默认,发言人,0,0,0,,头发,发展\r\n"
          "Comment: 0,0:00:01.00,0:00:02.00,默认,,0,0,0,,头发\r\n"
          "Dialogue: 0,0:00:03.00,0:00:04.00,默认,,0,0,0,,{\\fn微软雅黑}干杯\n"
          "Dialogue: too,few,fields 头发\r\n");
  const std::string expected =
      Gbk("[Script Info]\r\nTitle: 头发\r\n\r\n[V4+ Styles]\r\n"
          "Style: 默认,微软雅黑,20,&H00FFFFFF\r\n\r\n[Events]\r\n"
          "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
          "Dialogue: 0,0:00:01.00,0:00:02.00,默认,发言人,0,0,0,,頭髮,發展\r\n"
          "Comment: 0,0:00:01.00,0:00:02.00,默认,,0,0,0,,头发\r\n"
          "Dialogue: 0,0:00:03.00,0:00:04.00,默认,,0,0,0,,{\\fn微软雅黑}乾杯\n"
          "Dialogue: too,few,fields 头发\r\n");
  const FileConversion converted =
      ConvertSubtitleFile(input, FileLayout::kSsa, Converter(Direction::kS2T));
  EXPECT_EQ(converted.gbk, expected);
  EXPECT_EQ(converted.texts_changed, 2);
}

TEST_F(ScriptConversion, FileReportsGiveLineAndEntryOfKeptCharacters) {
  const std::string input =
      Gbk("1\r\n00:00:01,000 --> 00:00:02,000\r\n頭髮\r\n\r\n"
          "2\r\n00:00:03,000 --> 00:00:04,000\r\n第一行\r\n鱲魚\r\n");
  const FileConversion converted =
      ConvertSubtitleFile(input, FileLayout::kSrt, Converter(Direction::kT2S));
  EXPECT_EQ(Utf8(converted.gbk),
            "1\r\n00:00:01,000 --> 00:00:02,000\r\n头发\r\n\r\n"
            "2\r\n00:00:03,000 --> 00:00:04,000\r\n第一行\r\n鱲鱼\r\n");
  ASSERT_EQ(converted.reports.size(), 1u);
  EXPECT_EQ(converted.reports[0].line, 8);
  EXPECT_EQ(converted.reports[0].entry, 2);
  ASSERT_EQ(converted.reports[0].kept.size(), 1u);
  EXPECT_EQ(converted.reports[0].kept[0].original, Gbk("鱲"));
}

}  // namespace
}  // namespace chinese

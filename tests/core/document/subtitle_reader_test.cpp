// SRT and SSA reading: entry starts, picture mode, stray lines, SSA header and fields, encodings,
// unreadable and malformed input, and the real-world corpus.
#include "document/subtitle_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "text/line_file.h"

namespace document {
namespace {

std::vector<std::string> ColumnOf(const RowTable& table, int column) {
  std::vector<std::string> cells;
  for (int row = 1; row < table.RowCount(); ++row) {
    cells.push_back(table.Cell(column, row));
  }
  return cells;
}

using Cells = std::vector<std::string>;

ReadReport ReadAs(SubtitleDocument& document, std::string_view bytes, std::string extension,
                  Role role = Role::kMain) {
  if (role == Role::kMain) {
    document.source_extension = std::move(extension);
  } else {
    document.reference_extension = std::move(extension);
  }
  return ReadSubtitleBytes(bytes, role, document);
}

TEST(IsAllDigits, AcceptsOnlyNonEmptyDecimalDigits) {
  EXPECT_EQ(IsAllDigits("0"), true);
  EXPECT_EQ(IsAllDigits("0123456789"), true);
  EXPECT_EQ(IsAllDigits(""), false);
  EXPECT_EQ(IsAllDigits("12 "), false);
  EXPECT_EQ(IsAllDigits(" 12"), false);
  EXPECT_EQ(IsAllDigits("-1"), false);
  EXPECT_EQ(IsAllDigits("1a"), false);
  EXPECT_EQ(IsAllDigits("\xA3\xB1"), false);  // full-width digit one in GBK
}

TEST(SrtReader, RenumbersEntriesAndFillsEveryColumnOfTheMainTable) {
  SubtitleDocument document;
  const auto report = ReadAs(document,
                             "5\r\n00:00:01,000 --> 00:00:02,500\r\nline1\r\nline2\r\n\r\n"
                             "9\r\n00:00:03,000 --> 00:00:04,000\r\n\xD7\xD6\xC4\xBB\r\n\r\n"
                             "12\r\n00:00:05,000 --> 00:00:06,000\r\nlast\r\n",
                             ".srt");
  EXPECT_EQ(report.entries, 3);
  EXPECT_TRUE(report.warnings.empty());
  const RowTable& table = document.main;
  EXPECT_EQ(ColumnOf(table, kNumber), (Cells{"1", "2", "3"}));
  EXPECT_EQ(ColumnOf(table, kText), (Cells{"line1\\Nline2", "\xD7\xD6\xC4\xBB", "last"}));
  EXPECT_EQ(ColumnOf(table, kStart), (Cells{"00:00:01.000", "00:00:03.000", "00:00:05.000"}));
  EXPECT_EQ(ColumnOf(table, kEnd), (Cells{"00:00:02.500", "00:00:04.000", "00:00:06.000"}));
  EXPECT_EQ(ColumnOf(table, kBaseText), ColumnOf(table, kText));
  EXPECT_EQ(ColumnOf(table, kBaseStart), ColumnOf(table, kStart));
  EXPECT_EQ(ColumnOf(table, kBaseEnd), ColumnOf(table, kEnd));
  EXPECT_EQ(ColumnOf(table, kStyle), (Cells{"Default", "Default", "Default"}));
  EXPECT_EQ(ColumnOf(table, kMarginL), (Cells{"0000", "0000", "0000"}));
  EXPECT_EQ(ColumnOf(table, kMarginV), (Cells{"0000", "0000", "0000"}));
  EXPECT_EQ(ColumnOf(table, kPicture), (Cells{"", "", ""}));
  EXPECT_EQ(ColumnOf(table, kChangeMarks), (Cells{"", "", ""}));
  EXPECT_FALSE(document.picture_mode);
}

TEST(SrtReader, AcceptsEveryKindOfLineEnd) {
  const std::string lines[] = {"1", "00:00:01,000 --> 00:00:02,000", "a", "", "b", "", "",
                               "2", "00:00:03,000 --> 00:00:04,000", "c"};
  const std::string ends[] = {"\n", "\r\n", "\r"};
  for (const bool last_end : {false, true}) {
    for (size_t variant = 0; variant < 4; ++variant) {
      std::string file;
      for (size_t i = 0; i < std::size(lines); ++i) {
        file += lines[i];
        // Variant 3 mixes the three kinds line by line (never a CR before an empty LF line,
        // which would be one CR LF end).
        const std::string& end = ends[variant < 3 ? variant : (i + 2) % 3];
        file += i + 1 < std::size(lines) || last_end ? end : "";
      }
      SubtitleDocument document;
      ReadAs(document, file, ".srt");
      EXPECT_EQ(ColumnOf(document.main, kText), (Cells{"a\\N\\Nb", "c"})) << variant;
      EXPECT_EQ(ColumnOf(document.main, kEnd), (Cells{"00:00:02.000", "00:00:04.000"}));
    }
  }
}

TEST(SrtReader, FindsEntryStartsOnlyAtDigitsFollowedByATimeLine) {
  SubtitleDocument document;
  // "2024" is text: the next line has no " --> ". "3 " is not a number line, so the third entry
  // joins the second one, its blank, number and time lines becoming text there.
  ReadAs(document,
         "1\n00:00:01,000 --> 00:00:02,000\n2024\nyear\n\n"
         "2\n00:00:03,000 --> 00:00:04,000\nsecond\n\n"
         "3 \n00:00:05,000 --> 00:00:06,000\nthird\n",
         ".srt");
  EXPECT_EQ(ColumnOf(document.main, kText),
            (Cells{"2024\\Nyear", "second\\N\\N3 \\N00:00:05,000 --> 00:00:06,000\\Nthird"}));
  EXPECT_EQ(ColumnOf(document.main, kEnd), (Cells{"00:00:02.000", "00:00:04.000"}));
}

TEST(SrtReader, ConvertsTimeLinesWithoutPaddingOrChecking) {
  struct Case {
    const char* time_line;
    const char* start;
    const char* end;
  };
  const Case cases[] = {
      {"00:00:01,5 --> 00:00:02,250", "00:00:01.5", "00:00:02.250"},
      {"00:00:01,000 --> 00:00:02.000", "00:00:01.000", "00:00:02.000"},
      {"00:00:01,000 --> 00:00:02,000,7", "00:00:01.000", "00:00:02.000,7"},
      {"1,2,3 --> x", "1.2.3", "x"},
      {"00:00:01,000 --> ", "00:00:01.000", ""},
  };
  for (const auto& c : cases) {
    SubtitleDocument document;
    ReadAs(document, std::string("1\n") + c.time_line + "\ntext\n", ".srt");
    EXPECT_EQ(document.main.Cell(kStart, 1), c.start) << c.time_line;
    EXPECT_EQ(document.main.Cell(kEnd, 1), c.end) << c.time_line;
  }
}

TEST(SrtReader, BlankLinesInsideAnEntryKeepTheirMarksExceptAtTheEnd) {
  SubtitleDocument document;
  ReadAs(document, "1\n00:00:01,000 --> 00:00:02,000\n\na\n\n\nb\n\n\n\n", ".srt");
  // A leading empty line adds nothing to an empty cell; inner ones add "\N"; trailing ones go.
  EXPECT_EQ(document.main.Cell(kText, 1), "a\\N\\N\\Nb");
  EXPECT_EQ(document.main.Cell(kBaseText, 1), "a\\N\\N\\Nb");
}

TEST(SrtReader, EntryOneDecidesPictureMode) {
  struct Case {
    const char* first_lines;
    bool picture_mode;
  };
  const Case cases[] = {
      {"0001.bmp", true},
      {"sub_1.bmp", true},
      {"0002.bmp", false},
      {"1.BMP", false},
      {"x\n0001.bmp", true},
      {"0001.bmp\nx", false},  // every non-empty line of entry 1 decides
                               // again
      {"0001.bmp\n", true},    // an empty line decides nothing
  };
  for (const auto& c : cases) {
    SubtitleDocument document;
    document.picture_mode = !c.picture_mode;
    ReadAs(document,
           std::string("1\n00:00:01,000 --> 00:00:02,000\n") + c.first_lines +
               "\n\n2\n00:00:03,000 --> 00:00:04,000\n0002.bmp\n",
           ".srt");
    EXPECT_EQ(document.picture_mode, c.picture_mode) << c.first_lines;
  }
}

TEST(SrtReader, PictureEntriesGoToThePictureColumnAndLeaveTextsEmpty) {
  SubtitleDocument document;
  ReadAs(document,
         "1\n00:00:01,000 --> 00:00:02,000\n0001.bmp\n\n"
         "2\n00:00:03,000 --> 00:00:04,000\n0002.bmp\n0002b.bmp\n",
         ".srt");
  ASSERT_TRUE(document.picture_mode);
  EXPECT_EQ(ColumnOf(document.main, kPicture), (Cells{"0001.bmp", "0002.bmp\\N0002b.bmp"}));
  EXPECT_EQ(ColumnOf(document.main, kText), (Cells{"", ""}));
  EXPECT_EQ(ColumnOf(document.main, kBaseText), (Cells{"", ""}));
  EXPECT_EQ(ColumnOf(document.main, kBaseStart), (Cells{"00:00:01.000", "00:00:03.000"}));
}

TEST(SrtReader, FileWithoutTextInEntryOneKeepsThePictureMode) {
  SubtitleDocument document;
  document.picture_mode = true;
  ReadAs(document, "1\n00:00:01,000 --> 00:00:02,000\n\n2\n00:00:03,000 --> 00:00:04,000\nb\n",
         ".srt");
  EXPECT_TRUE(document.picture_mode);
  EXPECT_EQ(ColumnOf(document.main, kPicture), (Cells{"", "b"}));
}

TEST(SrtReader, StrayLinesBeforeTheFirstEntryLandByTheirPlace) {
  const std::string entry = "1\n00:00:05,000 --> 00:00:06,000\ntext\n";
  SubtitleDocument four;
  ReadAs(four, "a\nb\n00:00:01,000 --> 00:00:02,000\nd\n" + entry, ".srt");
  EXPECT_EQ(ColumnOf(four.main, kText), (Cells{"d\\Ntext"}));
  EXPECT_EQ(ColumnOf(four.main, kStart), (Cells{"00:00:05.000"}));

  SubtitleDocument two;
  ReadAs(two, "a\nb\n" + entry, ".srt");
  EXPECT_EQ(ColumnOf(two.main, kText), (Cells{"text"}));
  SubtitleDocument one;
  ReadAs(one, "a\n" + entry, ".srt");
  EXPECT_EQ(ColumnOf(one.main, kText), (Cells{"text"}));
  EXPECT_EQ(ColumnOf(one.main, kNumber), (Cells{"1"}));
}

TEST(SrtReader, ReferenceRoleFillsFourColumnsAndLeavesTheMainStateAlone) {
  SubtitleDocument document;
  document.picture_mode = true;
  document.main.SetCell(kText, 1, "main");
  const auto report =
      ReadAs(document, "1\n00:00:01,000 --> 00:00:02,000\n0001.bmp\n\n2\n00:00:03,000 --> x,\nb\n",
             ".srt", Role::kReference);
  EXPECT_EQ(report.entries, 2);
  EXPECT_EQ(document.reference.ColumnCount(), kReferenceColumnCount);
  EXPECT_EQ(ColumnOf(document.reference, kText), (Cells{"0001.bmp", "b"}));
  EXPECT_EQ(ColumnOf(document.reference, kEnd), (Cells{"00:00:02.000", "x."}));
  EXPECT_TRUE(document.picture_mode);
  EXPECT_EQ(document.main.Cell(kText, 1), "main");
}

TEST(SrtReader, ReplacesAllRowsOfTheTable) {
  SubtitleDocument document;
  ReadAs(document, "1\n00:00:01,000 --> 00:00:02,000\na\n\n2\n00:00:01,000 --> 0,\nb\n", ".srt");
  ASSERT_EQ(document.main.DataRowCount(), 2);
  document.current_row = 2;
  const auto report = ReadAs(document, "no entries here\n", ".srt");
  EXPECT_EQ(report.entries, 0);
  EXPECT_EQ(document.main.DataRowCount(), 1);
  EXPECT_EQ(document.main.Cell(kText, 1), "");
  EXPECT_EQ(document.main.Cell(kNumber, 1), "");
  EXPECT_EQ(document.current_row, 1);
}

constexpr const char* kFormatLine =
    "Format: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text";

TEST(SsaReader, SplitsNineFieldsAndKeepsCommasAndMarksOfTheText) {
  SubtitleDocument document;
  document.picture_mode = true;
  const std::string file = std::string("[Script Info]\r\n[Events]\r\n") + kFormatLine +
                           "\r\n"
                           "Dialogue: Marked=0,0:00:01.00,0:00:02.50,Top,Who,0010,0020,0030,Fx,"
                           "a, b\\Nc\r\n"
                           "\r\n"
                           "Comment: Marked=0,0:00:03.00,0:00:04.00,Default,,0000,0000,0000,,note"
                           "\r\nno comma at all\r\n";
  const auto report = ReadAs(document, file, ".SSA");
  EXPECT_EQ(report.entries, 4);
  EXPECT_FALSE(document.picture_mode);
  const RowTable& t = document.main;
  EXPECT_EQ(ColumnOf(t, kNumber), (Cells{"1", "2", "3", "4"}));
  EXPECT_EQ(ColumnOf(t, kText), (Cells{"a, b\\Nc", "", "note", "no comma at all"}));
  EXPECT_EQ(ColumnOf(t, kStart), (Cells{"00:00:01.000", "00", "00:00:03.000", "00"}));
  EXPECT_EQ(ColumnOf(t, kEnd), (Cells{"00:00:02.500", "00", "00:00:04.000", "00"}));
  EXPECT_EQ(ColumnOf(t, kStyle), (Cells{"Top", "", "Default", ""}));
  EXPECT_EQ(ColumnOf(t, kMarginL), (Cells{"0010", "", "0000", ""}));
  EXPECT_EQ(ColumnOf(t, kMarginR), (Cells{"0020", "", "0000", ""}));
  EXPECT_EQ(ColumnOf(t, kMarginV), (Cells{"0030", "", "0000", ""}));
  EXPECT_EQ(ColumnOf(t, kBaseText), ColumnOf(t, kText));
  EXPECT_EQ(ColumnOf(t, kBaseStart), ColumnOf(t, kStart));
  EXPECT_EQ(document.kept_ssa_header_main,
            (std::vector<std::string>{"[Script Info]", "[Events]", kFormatLine}));
}

TEST(SsaReader, WithoutTheExactFormatLineEverythingIsHeader) {
  SubtitleDocument document;
  const auto report =
      ReadAs(document,
             "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, "
             "Effect, Text\nDialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,hi\n",
             ".ssa");
  EXPECT_EQ(report.entries, 0);
  EXPECT_EQ(document.main.DataRowCount(), 1);
  EXPECT_EQ(document.main.Cell(kNumber, 1), "");
  EXPECT_EQ(document.kept_ssa_header_main.size(), 3u);
}

TEST(SsaReader, HeaderLinesAreTheFileLinesForEveryMixOfLineEnds) {
  // Every text of up to seven bytes over 'a', CR and LF: the header of a file without a Format
  // line is its whole list of lines, split as every line file of the system is split.
  std::vector<std::string> texts = {""};
  for (size_t begin = 0, length = 0; length < 7; ++length) {
    const size_t end = texts.size();
    for (size_t i = begin; i < end; ++i) {
      for (const char c : {'a', '\r', '\n'}) {
        texts.push_back(texts[i] + c);
      }
    }
    begin = end;
  }
  for (const auto& text : texts) {
    SubtitleDocument document;
    ReadAs(document, text, ".ssa");
    EXPECT_EQ(document.kept_ssa_header_main, text::SplitLines(text))
        << testing::PrintToString(text);
  }
}

TEST(SsaReader, KeepsTheHeaderPerRoleAndOnlyWhenTheFileHasLines) {
  SubtitleDocument document;
  ReadAs(document, std::string("main\n") + kFormatLine + "\n", ".ssa");
  ReadAs(document, std::string("ref\n") + kFormatLine + "\n", ".ssa", Role::kReference);
  EXPECT_EQ(document.kept_ssa_header_main, (std::vector<std::string>{"main", kFormatLine}));
  EXPECT_EQ(document.kept_ssa_header_reference, (std::vector<std::string>{"ref", kFormatLine}));
  ReadAs(document, "", ".ssa");
  EXPECT_EQ(document.kept_ssa_header_main.size(), 2u);
  // The reference table has no style or margin columns to fill.
  ReadAs(document, std::string(kFormatLine) + "\nD,0:00:01.00,0:00:02.00,S,,1,2,3,,t\n", ".ssa",
         Role::kReference);
  EXPECT_EQ(ColumnOf(document.reference, kText), (Cells{"t"}));
  EXPECT_EQ(ColumnOf(document.reference, kStart), (Cells{"00:00:01.000"}));
}

TEST(SubtitleReader, OtherExtensionsClearTheTableAndSaySo) {
  SubtitleDocument document;
  document.main.SetCell(kText, 1, "old");
  const auto report = ReadAs(document, "1\n00:00:01,000 --> 00:00:02,000\na\n", ".ass");
  EXPECT_EQ(report.entries, 0);
  EXPECT_EQ(report.warnings.size(), 1u);
  EXPECT_EQ(document.main.Cell(kText, 1), "");
}

TEST(SubtitleDecoding, DetectsByteOrderMarksAndUtf8) {
  struct Case {
    std::string raw;
    std::string gbk;
    SourceEncoding encoding;
    int replaced;
  };
  const Case cases[] = {
      {"1\r\n", "1\r\n", SourceEncoding::kGbk, 0},
      {"\xEF\xBB\xBF"
       "1\n",
       "1\n", SourceEncoding::kUtf8, 0},
      {"\xE5\xAD\x97\xE5\xB9\x95", "\xD7\xD6\xC4\xBB", SourceEncoding::kUtf8, 0},
      {"\xEF\xBB\xBF\xE5\xAD\x97", "\xD7\xD6", SourceEncoding::kUtf8, 0},
      {"a\xF0\x9F\x98\x80"
       "b",
       "a?b", SourceEncoding::kUtf8, 1},  // no GBK form
      {"\xD7\xD6\xC4\xBB", "\xD7\xD6\xC4\xBB", SourceEncoding::kGbk, 0},
      {"\xEF\xBB\xBF\xD7\xD6", "\xD7\xD6", SourceEncoding::kGbk, 0},  // mark, then GBK bytes
      {std::string("\xFF\xFE"
                   "1\0\n\0\x57\x5B",
                   8),
       "1\n\xD7\xD6", SourceEncoding::kUtf16Le, 0},
      {std::string("\xFE\xFF\0"
                   "1\x5B\x57",
                   6),
       "1\xD7\xD6", SourceEncoding::kUtf16Be, 0},
      {std::string("\xFF\xFE"
                   "a\0\x00\xD8"
                   "b\0",
                   8),
       "a?b", SourceEncoding::kUtf16Le, 1},
      {std::string("\xFF\xFE"
                   "a\0\x00\xDC",
                   6),
       "a?", SourceEncoding::kUtf16Le, 1},
      {std::string("\xFF\xFE"
                   "a\0\x00\xD8",
                   6),
       "a?", SourceEncoding::kUtf16Le, 1},
      {std::string("\xFF\xFE"
                   "a\0b",
                   5),
       "a?", SourceEncoding::kUtf16Le, 1},
      {std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), "?", SourceEncoding::kUtf16Le, 1},  // emoji
  };
  for (const auto& c : cases) {
    const auto decoded = DecodeSubtitleBytes(c.raw);
    EXPECT_EQ(decoded.gbk, c.gbk) << c.raw;
    EXPECT_EQ(decoded.encoding, c.encoding) << c.raw;
    EXPECT_EQ(decoded.replaced, c.replaced) << c.raw;
  }
}

TEST(SubtitleReader, ReadsFirstEntryAfterAByteOrderMarkAndReportsReplacements) {
  SubtitleDocument document;
  const auto report = ReadAs(document,
                             "\xEF\xBB\xBF"
                             "1\n00:00:01,000 --> 00:00:02,000\n"
                             "\xE5\xAD\x97\xF0\x9F\x98\x80\n",
                             ".srt");
  EXPECT_EQ(report.entries, 1);
  EXPECT_EQ(report.replaced_characters, 1);
  EXPECT_EQ(report.warnings.size(), 1u);
  EXPECT_EQ(document.main.Cell(kNumber, 1), "1");
  EXPECT_EQ(document.main.Cell(kText, 1), "\xD7\xD6?");
}

TEST(SubtitleReader, UnreadableFileNamesItAndLeavesEverythingAsItWas) {
  testing_support::TempDir dir;
  SubtitleDocument document;
  document.source_extension = ".ssa";
  document.picture_mode = true;
  document.main.SetCell(kText, 1, "kept");
  document.kept_ssa_header_main = {"header"};
  for (const auto& path : {dir / "missing.ssa", dir.path()}) {
    const auto result = ReadSubtitleFile(path, Role::kMain, document);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error().code, "io");
    EXPECT_NE(result.error().message.find(path.string()), std::string::npos);
  }
  EXPECT_EQ(document.main.Cell(kText, 1), "kept");
  EXPECT_TRUE(document.picture_mode);
  EXPECT_EQ(document.kept_ssa_header_main, (std::vector<std::string>{"header"}));
}

TEST(SubtitleReader, TruncatedAndMalformedInputStaysInBounds) {
  struct Case {
    std::string bytes;
    int srt_entries;
  };
  const Case cases[] = {
      {"", 0},
      {"1", 0},
      {"1\n", 0},
      {"1\n00:00:01,000 -->", 0},
      {"1\n00:00:01,000 --> ", 1},
      {"1\n 00:00:01,000 --> 0", 1},
      {"1\r\n00:00:01,000 --> 00:00:02,000\r", 1},
      {"\r\r\r\n\n", 0},
      {"\xD7", 0},
      {std::string("1\n\0 --> ,\n\0", 11), 1},
      {"\\N\\N\\N", 0},
      {"1\n, --> \n2\n, --> \n3\n, --> ", 3},
      {std::string(1, '\xFF'), 0},
      {std::string("\xFE\xFF\x00", 3), 0},
  };
  for (const auto& c : cases) {
    SubtitleDocument document;
    EXPECT_EQ(ReadAs(document, c.bytes, ".srt").entries, c.srt_entries) << c.bytes;
    EXPECT_GE(document.main.DataRowCount(), 1);
    ReadAs(document, c.bytes, ".ssa");
    ReadAs(document, std::string(kFormatLine) + "\n" + c.bytes, ".ssa", Role::kReference);
    EXPECT_GE(document.reference.DataRowCount(), 1);
  }
}

TEST(SubtitleReader, EveryPrefixOfAFileReadsWithoutHarm) {
  // Cut at every byte: inside CR LF pairs, two-byte GBK characters, UTF-8 sequences, the UTF-16
  // units and the byte-order marks.
  const std::string files[] = {
      "\xEF\xBB\xBF"
      "1\r\n00:00:01,000 --> 00:00:02,000\r\n\xE5\xAD\x97\xE5\xB9\x95\r\n\r\n"
      "2\r\n00:00:03,000 --> 00:00:04,000\r\nb\r\n",
      "1\n00:00:01,000 --> 00:00:02,000\n\xD7\xD6\xC4\xBB\n0001.bmp\n",
      std::string(kFormatLine) +
          "\r\nDialogue: Marked=0,0:00:01.00,0:00:02.00,S,,1,2,3,,\xD7\xD6\r\n",
      std::string("\xFF\xFE"
                  "1\0\n\0,\0 \0-\0-\0>\0 \0\n\0\x57\x5B",
                  22),
  };
  for (const auto& file : files) {
    for (size_t length = 0; length <= file.size(); ++length) {
      const std::string prefix = file.substr(0, length);
      SubtitleDocument document;
      const auto srt = ReadAs(document, prefix, ".srt");
      EXPECT_LE(srt.entries, 2);
      EXPECT_GE(document.main.DataRowCount(), std::max(srt.entries, 1));
      const auto ssa = ReadAs(document, prefix, ".ssa", Role::kReference);
      EXPECT_GE(document.reference.DataRowCount(), std::max(ssa.entries, 1));
    }
  }
}

TEST(SubtitleReader, ReadsEveryCorpusFileWithoutError) {
  const std::filesystem::path corpus = ZENTROPE_CORPUS_DIR;
  std::error_code error;
  if (!std::filesystem::is_directory(corpus, error)) {
    GTEST_SKIP() << "no corpus at " << corpus;
  }
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    const std::string extension = LowerCaseExtension(entry.path());
    if (extension != ".srt" && extension != ".ssa" && extension != ".ass") {
      continue;
    }
    ++files;
    // .ass files share the SSA layout closely enough to exercise the SSA rules.
    SubtitleDocument document;
    document.source_extension = extension == ".srt" ? ".srt" : ".ssa";
    const auto result = ReadSubtitleFile(entry.path(), Role::kMain, document);
    ASSERT_TRUE(result.ok()) << entry.path();
    EXPECT_GE(document.main.DataRowCount(), 1);
    if (extension != ".srt") {
      EXPECT_FALSE(document.kept_ssa_header_main.empty()) << entry.path();
    }
  }
  EXPECT_GT(files, 0);
}

TEST(SubtitleReader, ReadsCorpusFilesInTheirEncodings) {
  const std::filesystem::path corpus = ZENTROPE_CORPUS_DIR;
  std::error_code error;
  if (!std::filesystem::is_directory(corpus, error)) {
    GTEST_SKIP() << "no corpus at " << corpus;
  }
  struct Case {
    const char* file;
    int entries;
    SourceEncoding encoding;
    const char* first_text;
  };
  const Case cases[] = {
      {"ums-chinese-gbk-crlf.srt", 45, SourceEncoding::kGbk,
       "\xBF\xB4\xBF\xB4\xD7\xD4\xBC\xBA\xA1\xA3"},  // 看看自己。
      {"pysrt-utf16le-bom.srt", 7, SourceEncoding::kUtf16Le,
       "About 2 months ago I found myself on\\Nthe comment section of YouTube"},
      {"pysrt-utf8-bom.srt", 7, SourceEncoding::kUtf8,
       "About 2 months ago I found myself on\\Nthe comment section of YouTube"},
  };
  for (const auto& c : cases) {
    SubtitleDocument document;
    const auto result = ReadSubtitleFile(corpus / c.file, Role::kMain, document);
    ASSERT_TRUE(result.ok()) << c.file;
    EXPECT_EQ(result.value().entries, c.entries) << c.file;
    EXPECT_EQ(result.value().encoding, c.encoding) << c.file;
    EXPECT_EQ(document.main.Cell(kNumber, 1), "1") << c.file;
    EXPECT_EQ(document.main.Cell(kText, 1), c.first_text) << c.file;
  }
}

}  // namespace
}  // namespace document

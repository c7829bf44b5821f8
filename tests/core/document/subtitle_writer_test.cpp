// SRT and SSA writing: skipped rows, time forms, the author entry, base values, the SSA header
// sources, failures that must not touch rows or files, and write -> read round trips.
#include "document/subtitle_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "document/subtitle_reader.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"
#include "text/gbk.h"
#include "text/line_file.h"

namespace document {
namespace {

using Cells = std::vector<std::string>;

constexpr const char* kFormatLine =
    "Format: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text";

struct RowSpec {
  std::string number, text, start, end;
};

void Fill(RowTable& table, const std::vector<RowSpec>& rows) {
  table.Clear();
  for (size_t i = 0; i < rows.size(); ++i) {
    const int row = i == 0 ? 1 : table.AppendRow();
    table.SetCell(kNumber, row, rows[i].number);
    table.SetCell(kText, row, rows[i].text);
    table.SetCell(kStart, row, rows[i].start);
    table.SetCell(kEnd, row, rows[i].end);
  }
}

std::string Build(SubtitleDocument& document, std::string extension, Role role = Role::kMain,
                  const WriteOptions& options = {}) {
  (role == Role::kMain ? document.save_extension : document.reference_save_extension) =
      std::move(extension);
  auto built = BuildSubtitleText(role, document, options);
  EXPECT_TRUE(built.ok()) << (built.ok() ? "" : built.error().message);
  return built.ok() ? built.value() : "";
}

TEST(SrtWriter, WritesNumbersAsTheyStandAndSkipsEmptyTexts) {
  SubtitleDocument document;
  Fill(document.main, {{"1", "a", "00:00:01.000", "00:00:02.000"},
                       {"2", "", "00:00:03.000", "00:00:04.000"},
                       {"3", "c\\Nd", "00:00:05.5", "00:00:06"}});
  EXPECT_EQ(Build(document, ".SRT"),
            "1\r\n00:00:01,000 --> 00:00:02,000\r\na\r\n\r\n"
            "3\r\n00:00:05,5 --> 00:00:06\r\nc\r\nd\r\n\r\n");
}

TEST(SrtWriter, SplitsTextsAtEveryLineMark) {
  struct Case {
    const char* text;
    const char* lines;
  };
  const Case cases[] = {
      {"a", "a\r\n"},        {"a\\Nb", "a\r\nb\r\n"},        {"a\\N", "a\r\n\r\n"},
      {"\\Na", "\r\na\r\n"}, {"a\\N\\Nb", "a\r\n\r\nb\r\n"}, {"a\\nb\\", "a\\nb\\\r\n"},
  };
  for (const auto& c : cases) {
    SubtitleDocument document;
    Fill(document.main, {{"7", c.text, "00:00:01.000", "00:00:02.000"}});
    EXPECT_EQ(Build(document, ".srt"),
              std::string("7\r\n00:00:01,000 --> 00:00:02,000\r\n") + c.lines + "\r\n")
        << c.text;
  }
}

TEST(SsaWriter, ConvertsTimesAndDefaultsStyleAndMargins) {
  struct Case {
    const char* start;
    const char* ssa_start;
  };
  const Case cases[] = {
      {"00:00:01.000", "0:00:01.00"},
      {"10:00:01.000", "0:00:01.00"},  // ten hours or more lose the first digit
      {"00:00:01.999", "0:00:01.99"},  // the third millisecond digit is dropped, not rounded
      {"00:00:01,000", "0:00:01.00"},
      {"0:00:01.5", "0:00:01.5"},  // not 12 characters: written as it stands
      {"", "0:00:00.00"},          // never an event without a time
  };
  for (const auto& c : cases) {
    SubtitleDocument document;
    document.kept_ssa_header_main = {kFormatLine};
    Fill(document.main, {{"1", "a\\Nb", c.start, "00:00:02.000"}});
    document.main.SetCell(kMarginR, 1, "0012");
    EXPECT_EQ(Build(document, ".ssa"), std::string(kFormatLine) + "\r\nDialogue: Marked=0," +
                                           c.ssa_start +
                                           ",0:00:02.00,Default,,0000,0012,0000,,a\\Nb\r\n")
        << c.start;
  }
}

TEST(SsaWriter, ReferenceRoleWritesDefaultStyleAndMarginsAndCommitsNothing) {
  SubtitleDocument document;
  document.kept_ssa_header_reference = {"ref"};
  document.kept_ssa_header_main = {"main"};
  Fill(document.reference, {{"1", "x", "00:00:01.000", "00:00:02.000"}, {"2", "", "", ""}});
  Fill(document.main, {{"1", "m", "00:00:01.000", "00:00:02.000"}});
  EXPECT_EQ(Build(document, ".ssa", Role::kReference),
            "ref\r\nDialogue: Marked=0,0:00:01.00,0:00:02.00,Default,,0000,0000,0000,,x\r\n");
  EXPECT_EQ(document.main.Cell(kBaseText, 1), "");
}

TEST(SubtitleWriter, CommitsBaseValuesOfEveryMainRowIncludingSkippedOnes) {
  SubtitleDocument document;
  Fill(document.main, {{"1", "edited", "00:00:01.000", "00:00:02.000"},
                       {"2", "", "00:00:03.000", "00:00:04.000"}});
  Build(document, ".srt");
  EXPECT_EQ(document.main.Cell(kBaseText, 1), "edited");
  EXPECT_EQ(document.main.Cell(kBaseStart, 2), "00:00:03.000");
  EXPECT_EQ(document.main.Cell(kBaseEnd, 2), "00:00:04.000");
}

TEST(SubtitleWriter, WritesTheAuthorEntryOnlyForMainPictureSubtitles) {
  WriteOptions options;
  options.author_enabled = true;
  options.author_time_line = "00:00:00,100 --> 00:00:03,000";
  options.author_text = "by\\Nus";
  options.working_folder = ZENTROPE_SOURCE_DIR "/data";
  const std::string row = "1\r\n00:00:05,000 --> 00:00:06,000\r\nt\r\n\r\n";
  const std::string author = "0\r\n00:00:00,100 --> 00:00:03,000\r\nby\r\nus\r\n\r\n";

  struct Case {
    bool picture_mode;
    bool enabled;
    Role role;
    bool expect_author;
  };
  const Case cases[] = {{true, true, Role::kMain, true},
                        {false, true, Role::kMain, false},
                        {true, false, Role::kMain, false},
                        {true, true, Role::kReference, false}};
  for (const auto& c : cases) {
    SubtitleDocument document;
    document.picture_mode = c.picture_mode;
    options.author_enabled = c.enabled;
    Fill(document.Table(c.role), {{"1", "t", "00:00:05.000", "00:00:06.000"}});
    EXPECT_EQ(Build(document, ".srt", c.role, options), (c.expect_author ? author : "") + row);
  }

  SubtitleDocument document;
  document.picture_mode = true;
  options.author_enabled = true;
  document.kept_ssa_header_main = {"h"};
  EXPECT_EQ(Build(document, ".ssa", Role::kMain, options),
            "h\r\nDialogue: Marked=0,0:00:00.10,0:00:03.00,Default,,0000,0000,0000,,by\\Nus\r\n");
}

TEST(SubtitleWriter, EmptyTableGivesAnEmptySrtAndAHeaderOnlySsa) {
  SubtitleDocument document;
  EXPECT_EQ(Build(document, ".srt"), "");
  document.kept_ssa_header_main = {"[Events]", kFormatLine};
  EXPECT_EQ(Build(document, ".ssa"), std::string("[Events]\r\n") + kFormatLine + "\r\n");
}

TEST(SubtitleWriter, SsaWithoutKeptHeaderUsesSsaheadAndMissingSsaheadTouchesNothing) {
  testing_support::TempDir dir;
  SubtitleDocument document;
  Fill(document.main, {{"1", "a", "00:00:01.000", "00:00:02.000"}});
  document.save_extension = ".ssa";
  WriteOptions options;
  options.working_folder = dir.path();
  const auto missing = WriteSubtitleFile(dir / "out.ssa", Role::kMain, document, options);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().code, "io");
  EXPECT_NE(missing.error().message.find("ssahead.txt"), std::string::npos);
  EXPECT_EQ(document.main.Cell(kBaseText, 1), "");
  EXPECT_FALSE(std::filesystem::exists(dir / "out.ssa"));

  dir.Write("ssahead.txt", "[Script Info]\r\n[Events]\n" + std::string(kFormatLine));
  ASSERT_TRUE(WriteSubtitleFile(dir / "out.ssa", Role::kMain, document, options).ok());
  EXPECT_EQ(dir.Read("out.ssa"),
            "[Script Info]\r\n[Events]\r\n" + std::string(kFormatLine) +
                "\r\nDialogue: Marked=0,0:00:01.00,0:00:02.00,Default,,0000,0000,0000,,a\r\n");
  EXPECT_EQ(document.main.Cell(kBaseText, 1), "a");
  EXPECT_TRUE(document.kept_ssa_header_main.empty());
}

TEST(SubtitleWriter, DeliveredSsaheadEndsWithTheFormatLineAndDefinesDefault) {
  auto lines = text::ReadLines(std::filesystem::path(ZENTROPE_SOURCE_DIR) / "data/ssahead.txt");
  ASSERT_TRUE(lines.ok());
  ASSERT_FALSE(lines.value().empty());
  EXPECT_EQ(lines.value().back(), kFormatLine);
  int default_styles = 0;
  for (const auto& line : lines.value()) {
    default_styles += line.rfind("Style: Default,", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(default_styles, 1);
}

TEST(SubtitleWriter, UnknownExtensionFailsWithoutWritingOrCommitting) {
  testing_support::TempDir dir;
  SubtitleDocument document;
  Fill(document.main, {{"1", "a", "00:00:01.000", "00:00:02.000"}});
  document.save_extension = ".txt";
  const auto status = WriteSubtitleFile(dir / "out.txt", Role::kMain, document, {});
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error().code, "format");
  EXPECT_FALSE(std::filesystem::exists(dir / "out.txt"));
  EXPECT_EQ(document.main.Cell(kBaseText, 1), "");
}

TEST(SubtitleWriter, FailedSaveReportsTheFileAndLeavesWhatWasThere) {
  testing_support::TempDir dir;
  SubtitleDocument document;
  Fill(document.main, {{"1", "a", "00:00:01.000", "00:00:02.000"}});
  const auto status =
      WriteSubtitleFile(dir / "no-such-folder" / "out.srt", Role::kMain, document, {});
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error().code, "io");
  EXPECT_NE(status.error().message.find("out.srt"), std::string::npos);

  // A folder in the way of the target: the save fails and the folder stays as it was.
  std::filesystem::create_directory(dir / "in-the-way.srt");
  dir.Write("in-the-way.srt/inside", "old");
  EXPECT_FALSE(WriteSubtitleFile(dir / "in-the-way.srt", Role::kMain, document, {}).ok());
  EXPECT_EQ(dir.Read("in-the-way.srt/inside"), "old");
  // No temporary file is left behind.
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST(SubtitleWriter, EveryEncodingReadsBackToTheSameGbkText) {
  struct Case {
    OutputEncoding encoding;
    const char* extension;
    const char* prefix;  // the bytes the file must start with
    const char* text;    // how 字幕 is written
  };
  const Case cases[] = {
      {OutputEncoding::kGbk, ".srt", "1\r\n", "\xD7\xD6\xC4\xBB"},
      {OutputEncoding::kUtf8, ".srt", "1\r\n", "\xE5\xAD\x97\xE5\xB9\x95"},
      {OutputEncoding::kUtf8Bom, ".srt",
       "\xEF\xBB\xBF"
       "1\r\n",
       "\xE5\xAD\x97\xE5\xB9\x95"},
      {OutputEncoding::kGbk, ".ssa", "[Script Info]", "\xD7\xD6\xC4\xBB"},
      {OutputEncoding::kUtf8, ".ssa", "[Script Info]", "\xE5\xAD\x97\xE5\xB9\x95"},
      {OutputEncoding::kUtf8Bom, ".ssa", "\xEF\xBB\xBF[Script Info]", "\xE5\xAD\x97\xE5\xB9\x95"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.extension) + " encoding " +
                 std::to_string(static_cast<int>(c.encoding)));
    testing_support::TempDir dir;
    SubtitleDocument document;
    document.kept_ssa_header_main = {"[Script Info]", kFormatLine};
    Fill(document.main, {{"1", "\xD7\xD6\xC4\xBB\\Nx", "00:00:01.000", "00:00:02.000"},
                         {"2", "plain", "00:00:03.000", "00:00:04.000"}});
    document.save_extension = c.extension;
    WriteOptions options;
    options.encoding = c.encoding;
    WriteReport report;
    const auto file = dir / (std::string("out") + c.extension);
    ASSERT_TRUE(WriteSubtitleFile(file, Role::kMain, document, options, &report).ok());
    EXPECT_EQ(report.entries, 2);
    EXPECT_EQ(report.replaced_characters, 0);
    const std::string bytes = dir.Read(std::string("out") + c.extension);
    EXPECT_EQ(bytes.rfind(c.prefix, 0), 0u);
    EXPECT_NE(bytes.find(c.text), std::string::npos);

    SubtitleDocument back;
    back.source_extension = c.extension;
    auto read = ReadSubtitleFile(file, Role::kMain, back);
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(back.main.DataRowCount(), 2);
    EXPECT_EQ(back.main.Cell(kNumber, 1), "1");  // the mark does not spoil the first line
    EXPECT_EQ(back.main.Cell(kText, 1), "\xD7\xD6\xC4\xBB\\Nx");
    EXPECT_EQ(back.main.Cell(kStart, 2), "00:00:03.000");
    EXPECT_EQ(back.main.Cell(kText, 2), "plain");
  }
}

TEST(SubtitleWriter, NeverWritesATimeLineWithoutTimes) {
  struct Case {
    const char* start;
    const char* end;
    const char* base_start;
    const char* base_end;
    const char* srt_line;
    const char* ssa_times;
  };
  const Case cases[] = {
      // Unreadable cells fall back to the base times...
      {"abc", "", "00:00:01.000", "00:00:02.000", "00:00:01,000 --> 00:00:02,000",
       "0:00:01.00,0:00:02.00"},
      // ... or to zero when the base cannot be read either (a new row).
      {"", "", "", "", "00:00:00,000 --> 00:00:00,000", "0:00:00.00,0:00:00.00"},
      // Readable cells are written as they stand, file forms and all.
      {"00:00:05.5", "00:00:06", "", "", "00:00:05,5 --> 00:00:06", "00:00:05.5,00:00:06"},
      {"00:00:07,250", "xyz", "", "00:00:09.000", "00:00:07,250 --> 00:00:09,000",
       "0:00:07.25,0:00:09.00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.srt_line);
    SubtitleDocument document;
    document.kept_ssa_header_main = {kFormatLine};
    Fill(document.main, {{"1", "t", c.start, c.end}});
    document.main.SetCell(kBaseStart, 1, c.base_start);
    document.main.SetCell(kBaseEnd, 1, c.base_end);
    EXPECT_EQ(Build(document, ".srt"), std::string("1\r\n") + c.srt_line + "\r\nt\r\n\r\n");
    // The table keeps what the user typed; the first save committed it as the new base.
    EXPECT_EQ(document.main.Cell(kStart, 1), c.start);
    document.main.SetCell(kBaseStart, 1, c.base_start);
    document.main.SetCell(kBaseEnd, 1, c.base_end);
    EXPECT_EQ(Build(document, ".ssa"), std::string(kFormatLine) + "\r\nDialogue: Marked=0," +
                                           c.ssa_times + ",Default,,0000,0000,0000,,t\r\n");
  }
}

// Rows enough for a file of several hundred KB, whose texts hold GBK characters, a GBK lead byte
// alone at the end of a line and bytes no encoding knows.
void FillLong(RowTable& table, int rows) {
  std::vector<RowSpec> specs;
  for (int i = 1; i <= rows; ++i) {
    std::string text = "\xD7\xD6\xC4\xBB " + std::to_string(i);
    if (i % 7 == 0) {
      text += "\x81\\N\xFF\x80 line";
    }
    if (i % 11 == 0) {
      text += "\x81";  // just before the CR LF
    }
    specs.push_back(
        {std::to_string(i), i % 13 == 0 ? std::string() : text, "00:00:01.000", "00:00:02.500"});
  }
  Fill(table, specs);
}

TEST(SubtitleWriter, LongSubtitleGoesToTheFileInPiecesAsTheWholeTextWould) {
  struct Case {
    const char* extension;
    OutputEncoding encoding;
  };
  for (const Case c :
       {Case{".srt", OutputEncoding::kGbk}, Case{".srt", OutputEncoding::kUtf8},
        Case{".srt", OutputEncoding::kUtf8Bom}, Case{".ssa", OutputEncoding::kGbk},
        Case{".ssa", OutputEncoding::kUtf8}, Case{".ssa", OutputEncoding::kUtf8Bom}}) {
    SCOPED_TRACE(std::string(c.extension) + " encoding " +
                 std::to_string(static_cast<int>(c.encoding)));
    testing_support::TempDir dir;
    SubtitleDocument built;
    SubtitleDocument written;
    for (SubtitleDocument* document : {&built, &written}) {
      document->kept_ssa_header_main = {"[Script Info]", kFormatLine};
      document->save_extension = c.extension;
      FillLong(document->main, 12000);
    }
    WriteReport built_report;
    auto whole = BuildSubtitleText(Role::kMain, built, {}, &built_report);
    ASSERT_TRUE(whole.ok());
    ASSERT_GT(whole.value().size(), size_t{4} << 17) << "a file of several pieces";
    // What the file held when the whole text was converted at once.
    std::string expected = whole.value();
    int replaced = 0;
    if (c.encoding != OutputEncoding::kGbk) {
      const text::Converted converted = text::GbkToUtf8(expected);
      expected = (c.encoding == OutputEncoding::kUtf8Bom ? "\xEF\xBB\xBF" : "") + converted.text;
      replaced = converted.replaced;
      ASSERT_GT(replaced, 0);
    }
    WriteOptions options;
    options.encoding = c.encoding;
    WriteReport report;
    ASSERT_TRUE(WriteSubtitleFile(dir / (std::string("out") + c.extension), Role::kMain, written,
                                  options, &report)
                    .ok());
    EXPECT_TRUE(dir.Read(std::string("out") + c.extension) == expected) << "bytes differ";
    EXPECT_EQ(report.entries, built_report.entries);
    EXPECT_EQ(report.replaced_characters, replaced);
    EXPECT_EQ(written.main.Cell(kBaseText, 12000), built.main.Cell(kBaseText, 12000));
  }
}

TEST(SubtitleWriter, DiskFullMidwayReportsTheFileKeepsTheOldOneAndStillCommitsEveryRow) {
  testing_support::TempDir dir;
  dir.Write("out.srt", "old");
  SubtitleDocument document;
  FillLong(document.main, 12000);
  document.main.SetCell(kText, 12000, "last");
  text::Status status = text::Success();
  {
    const testing_support::FileSizeLimit limit(200000);
    status = WriteSubtitleFile(dir / "out.srt", Role::kMain, document, {});
  }
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.error().code, "io");
  EXPECT_NE(status.error().message.find("out.srt"), std::string::npos);
  EXPECT_EQ(dir.Read("out.srt"), "old");
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    ++files;
  }
  EXPECT_EQ(files, 1) << "no temporary file is left";
  // As when the whole text was built before the write: every row's base values are committed.
  EXPECT_EQ(document.main.Cell(kBaseText, 12000), "last");
}

std::vector<Cells> TextRows(const RowTable& table, bool non_empty_only) {
  std::vector<Cells> rows;
  for (int row = 1; row < table.RowCount(); ++row) {
    if (non_empty_only && table.Cell(kText, row).empty()) {
      continue;
    }
    rows.push_back({table.Cell(kText, row), table.Cell(kStart, row), table.Cell(kEnd, row),
                    table.Cell(kBaseText, row)});
  }
  return rows;
}

TEST(SubtitleWriter, SrtRoundTripGivesTheSameTable) {
  testing_support::TempDir dir;
  SubtitleDocument document;
  Fill(document.main, {{"1", "\xD7\xD6\xC4\xBB", "00:00:01.000", "00:00:02.000"},
                       {"2", "a\\N\\Nb", "00:00:03.000", "00:00:04.500"},
                       {"3", "12\\Nsecond", "01:00:00.000", "10:00:00.001"}});
  ASSERT_TRUE(WriteSubtitleFile(dir / "a.srt", Role::kMain, document, {}).ok());
  SubtitleDocument back;
  ASSERT_TRUE(ReadSubtitleFile(dir / "a.srt", Role::kMain, back).ok());
  EXPECT_EQ(TextRows(back.main, false), TextRows(document.main, false));
  EXPECT_EQ(back.main.Cell(kNumber, 3), "3");
}

TEST(SubtitleWriter, SsaRoundTripKeepsHeaderAndGivesTheSameFile) {
  testing_support::TempDir dir;
  const std::string original =
      "[Script Info]\r\nTitle: t\r\n\r\n[Events]\r\n" + std::string(kFormatLine) +
      "\r\nDialogue: Marked=0,0:00:01.00,0:00:02.50,Top,,0010,0020,0030,,a, b\\Nc\r\n"
      "Dialogue: Marked=0,1:02:03.45,1:02:04.00,Default,,0000,0000,0000,,\xD7\xD6\r\n";
  dir.Write("in.ssa", original);
  SubtitleDocument document;
  document.source_extension = ".ssa";
  document.save_extension = ".ssa";
  ASSERT_TRUE(ReadSubtitleFile(dir / "in.ssa", Role::kMain, document).ok());
  for (const char* name : {"once.ssa", "twice.ssa"}) {
    ASSERT_TRUE(WriteSubtitleFile(dir / name, Role::kMain, document, {}).ok());
    EXPECT_EQ(dir.Read(name), original) << name;
  }
}

TEST(SubtitleWriter, CorpusSrtFilesReadBackAsWritten) {
  const std::filesystem::path corpus = ZENTROPE_CORPUS_DIR;
  std::error_code error;
  if (!std::filesystem::is_directory(corpus, error)) {
    GTEST_SKIP() << "no corpus at " << corpus;
  }
  testing_support::TempDir dir;
  int compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    if (LowerCaseExtension(entry.path()) != ".srt") {
      continue;
    }
    SubtitleDocument foreign;
    ASSERT_TRUE(ReadSubtitleFile(entry.path(), Role::kMain, foreign).ok());
    // Lines before the first entry start (or a file with none) land in a row without a number,
    // which cannot come back as the same row; such files only have to be written.
    bool numbered = true;
    for (int row = 1; row < foreign.main.RowCount(); ++row) {
      numbered = numbered && !foreign.main.Cell(kNumber, row).empty();
    }
    ASSERT_TRUE(WriteSubtitleFile(dir / "out.srt", Role::kMain, foreign, {}).ok());
    if (!numbered) {
      continue;
    }
    ++compared;
    SubtitleDocument back;
    ASSERT_TRUE(ReadSubtitleFile(dir / "out.srt", Role::kMain, back).ok());
    EXPECT_EQ(TextRows(back.main, true), TextRows(foreign.main, true)) << entry.path();
  }
  EXPECT_GT(compared, 5);
}

}  // namespace
}  // namespace document

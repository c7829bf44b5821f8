// SRT and SSA reading: encoding detection, the SRT phase machine and the SSA header/events split.
#include "document/subtitle_reader.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "document/format_readers.h"
#include "document/line_splitter.h"
#include "document/subtitle_time.h"
#include "text/encoding.h"
#include "text/gbk.h"
#include "text/line_file.h"

namespace document {
namespace {

constexpr std::string_view kLineBreak = "\\N";
constexpr std::string_view kArrow = " --> ";
constexpr std::string_view kSsaFormatLine =
    "Format: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text";
constexpr std::string_view kDefaultStyle = "Default";
constexpr std::string_view kDefaultMargin = "0000";

using Row = std::vector<std::string>;

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return lower;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The SRT time line: the first two commas become full stops, then the line is cut at " --> ".
// A line without " --> " (only reachable through stray lines before the first entry) gives its
// whole text as the start and an empty end.
void SetSrtTimes(std::string_view line, Row& row) {
  std::string& start = row[kStart];
  std::string& end = row[kEnd];
  const size_t arrow = line.find(kArrow);
  const size_t end_begin = arrow == std::string_view::npos ? line.size() : arrow + kArrow.size();
  start.assign(line.substr(0, arrow == std::string_view::npos ? line.size() : arrow));
  end.assign(line.substr(end_begin));
  // " --> " holds no comma, so each comma lies in the start or in the end.
  size_t comma = line.find(',');
  for (int replaced = 0; replaced < 2 && comma != std::string_view::npos; ++replaced) {
    if (comma < start.size()) {
      start[comma] = '.';
    } else {
      end[comma - end_begin] = '.';
    }
    comma = line.find(',', comma + 1);
  }
}

// The SRT phase machine. Phase 0 waits, 1 follows a number line, 2 is the time line, 3 and on
// are text lines. An entry starts at a line of digits followed by a line holding " --> " and ",",
// wherever it stands, so a number line is never taken as text.
class SrtReader {
 public:
  SrtReader(Role role, bool picture_mode)
      : main_(role == Role::kMain),
        columns_(main_ ? kMainColumnCount : kReferenceColumnCount),
        picture_mode_(picture_mode) {}

  // Fills `rows` (which starts as the one empty row of a cleared table); returns entries read.
  int Run(LineSplitter lines, TableColumns& rows) {
    Row row(columns_);
    int phase = 0;
    int entry = 0;
    std::string_view line;
    std::string_view next;
    bool has_line = lines.Next(line);
    bool has_next = has_line && lines.Next(next);
    for (; has_line; line = next, has_line = has_next, has_next = has_line && lines.Next(next)) {
      if (IsAllDigits(line) && has_next && next.find(kArrow) != std::string_view::npos &&
          next.find(',') != std::string_view::npos) {
        ++entry;
        phase = 1;
        FinishEntry(row);
        if (entry > 1) {
          rows.AppendRow(row);
        }
        row[kNumber] = std::to_string(entry);
      }
      if (phase == 2) {
        SetSrtTimes(line, row);
      } else if (phase == 3) {
        AddTextLine(line, entry, row);
      }
      if (phase < 3) {
        ++phase;
      }
    }
    FinishEntry(row);
    rows.AppendRow(row);
    return entry;
  }

  bool picture_mode() const {
    return picture_mode_;
  }

 private:
  // Picture names collect in the picture column of the main table, texts in the text column.
  int CollectingColumn() const {
    return main_ && picture_mode_ ? kPicture : kText;
  }

  void AddTextLine(std::string_view line, int entry, Row& row) {
    // Each non-empty line of entry 1 decides again whether this is a picture subtitle.
    if (main_ && entry == 1 && !line.empty()) {
      picture_mode_ = EndsWith(line, "1.bmp");
    }
    std::string& cell = row[static_cast<size_t>(CollectingColumn())];
    if (!cell.empty()) {
      cell += kLineBreak;
    } else if (line.size() > 8) {
      // Room for a second line of the same length, so that two-line texts allocate once.
      cell.reserve(2 * line.size() + kLineBreak.size());
    }
    cell += line;
    if (main_) {
      row[kStyle] = kDefaultStyle;
      row[kMarginL] = kDefaultMargin;
      row[kMarginR] = kDefaultMargin;
      row[kMarginV] = kDefaultMargin;
    }
  }

  // Strips the "\N" marks the blank separator lines left at the end, and records base values.
  void FinishEntry(Row& row) const {
    std::string& cell = row[static_cast<size_t>(CollectingColumn())];
    while (EndsWith(cell, kLineBreak)) {
      cell.resize(cell.size() - kLineBreak.size());
    }
    if (main_) {
      row[kBaseStart] = row[kStart];
      row[kBaseEnd] = row[kEnd];
      if (!picture_mode_) {
        row[kBaseText] = cell;
      }
    }
  }

  bool main_;
  size_t columns_;
  bool picture_mode_;
};

// The SSA rules: every line up to and including the exact Format line is header; every line after
// it, whatever it begins with, is an event split into nine comma-separated fields and the text.
int ReadSsa(LineSplitter lines, Role role, TableColumns& rows, std::vector<std::string>& header) {
  const bool main = role == Role::kMain;
  const size_t columns = main ? kMainColumnCount : kReferenceColumnCount;
  Row row(columns);
  bool events = false;
  int row_number = 1;
  std::string_view line;
  while (lines.Next(line)) {
    if (!events) {
      header.emplace_back(line);
      events = line == kSsaFormatLine;
      continue;
    }
    if (!row[kNumber].empty()) {
      rows.AppendRow(row);
    }
    // Field map: 0 "Dialogue: Marked=0", 1 Start, 2 End, 3 Style, 4 Name, 5 MarginL, 6 MarginR,
    // 7 MarginV, 8 Effect, then the text (which may hold commas). A missing field is empty and
    // leaves the rest whole.
    std::string_view fields[9];
    std::string_view rest = line;
    for (auto& field : fields) {
      const size_t comma = rest.find(',');
      if (comma != std::string_view::npos) {
        field = rest.substr(0, comma);
        rest.remove_prefix(comma + 1);
      }
    }
    row[kNumber] = std::to_string(row_number);
    row[kStart] = SsaTimeToTable(fields[1]);
    row[kEnd] = SsaTimeToTable(fields[2]);
    row[kText] = rest;
    if (main) {
      row[kBaseStart] = row[kStart];
      row[kBaseEnd] = row[kEnd];
      row[kStyle] = fields[3];
      row[kMarginL] = fields[5];
      row[kMarginR] = fields[6];
      row[kMarginV] = fields[7];
      row[kBaseText] = rest;
    }
    ++row_number;
  }
  rows.AppendRow(row);
  return row_number - 1;
}

}  // namespace

bool IsAllDigits(std::string_view text) {
  if (text.empty()) {
    return false;
  }
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return true;
}

namespace {

// Decodes `raw` and returns the GBK text: a view into `raw` when its bytes need no conversion
// (then result.gbk stays empty), else into result.gbk.
std::string_view DecodeInto(std::string_view raw, DecodedText& result) {
  if (StartsWith(raw, "\xFF\xFE") || StartsWith(raw, "\xFE\xFF")) {
    const bool little_endian = raw[0] == '\xFF';
    result.encoding = little_endian ? SourceEncoding::kUtf16Le : SourceEncoding::kUtf16Be;
    const std::string utf8 = text::Utf16ToUtf8(raw.substr(2), little_endian, result.replaced);
    auto converted = text::Utf8ToGbk(utf8);
    result.gbk = std::move(converted.text);
    result.replaced += converted.replaced;
    return result.gbk;
  }
  // The mark is skipped, not kept: it would spoil the first entry's number line.
  const bool utf8_mark = StartsWith(raw, "\xEF\xBB\xBF");
  if (utf8_mark) {
    raw.remove_prefix(3);
  }
  const bool non_ascii = text::HasNonAscii(raw);
  if (non_ascii && text::IsValidUtf8(raw)) {
    result.encoding = SourceEncoding::kUtf8;
    auto converted = text::Utf8ToGbk(raw);
    result.gbk = std::move(converted.text);
    result.replaced = converted.replaced;
    return result.gbk;
  }
  // Pure ASCII is the same in both; bytes that are not UTF-8 are GBK, whatever mark they carry.
  result.encoding = utf8_mark && !non_ascii ? SourceEncoding::kUtf8 : SourceEncoding::kGbk;
  return raw;
}

}  // namespace

DecodedText DecodeSubtitleBytes(std::string_view raw) {
  DecodedText result;
  const std::string_view text = DecodeInto(raw, result);
  if (result.gbk.empty()) {
    result.gbk.assign(text);
  }
  return result;
}

namespace {

// The lenient readers of every format (FormatRules::kFull).
void ReadFull(LineSplitter lines, const std::string& extension, Role role,
              SubtitleDocument& document, TableColumns& rows, ReadReport& report) {
  FormatRead read;
  const bool ssa = extension == ".ssa" || extension == ".ass";
  if (extension == ".srt") {
    read = ReadSrtText(lines, role, document.picture_mode, rows);
  } else if (ssa) {
    read = ReadSsaText(lines, role, rows);
  } else if (extension == ".vtt") {
    read = ReadVttText(lines, role, rows);
  } else {
    report.warnings.push_back("Not read: the extension \"" + document.ReadExtension(role) +
                              "\" is none of .srt, .ssa, .ass and .vtt");
    return;
  }
  if (role == Role::kMain) {
    document.picture_mode = extension == ".srt" && read.picture_mode;
  }
  report.entries = read.entries;
  report.warnings = std::move(read.warnings);
  if (extension != ".srt") {
    document.KeptSsaHeader(role) = std::move(read.header);
    document.KeptSsaTrailer(role) = std::move(read.trailer);
  }
}

}  // namespace

namespace {

SourceEncoding SourceEncodingOf(text::Encoding encoding) {
  switch (encoding) {
    case text::Encoding::kUtf8:
      return SourceEncoding::kUtf8;
    case text::Encoding::kUtf16Le:
      return SourceEncoding::kUtf16Le;
    case text::Encoding::kUtf16Be:
      return SourceEncoding::kUtf16Be;
    default:
      return SourceEncoding::kGbk;
  }
}

std::string NothingReadsText() {
  return "no encoding reads the file (tried " + text::TriedEncodingsText() + ")";
}

ReadReport ReadDecoded(std::string_view raw, const std::optional<text::DecodedInput>& input,
                       Role role, SubtitleDocument& document) {
  ReadReport report;
  // GBK bytes are read where they lie; only converted text takes a copy.
  DecodedText decoded;
  std::string_view text;
  if (!document.input_encoding) {
    text = DecodeInto(raw, decoded);
    report.encoding = decoded.encoding;
    report.replaced_characters = decoded.replaced;
  } else if (input) {
    text = input->gbk;
    report.decoded_as = input->encoding;
    report.encoding = SourceEncodingOf(input->encoding);
    report.replaced_characters = input->replaced;
  } else {
    text = raw;
  }
  const LineSplitter lines(text);

  TableColumns rows(role == Role::kMain ? kMainColumnCount : kReferenceColumnCount);
  const std::string extension = LowerAscii(document.ReadExtension(role));
  if (document.format_rules == FormatRules::kFull) {
    ReadFull(lines, extension, role, document, rows, report);
  } else if (extension == ".srt") {
    SrtReader reader(role, document.picture_mode);
    report.entries = reader.Run(lines, rows);
    if (role == Role::kMain) {
      document.picture_mode = reader.picture_mode();
    }
  } else if (extension == ".ssa") {
    if (role == Role::kMain) {
      document.picture_mode = false;
    }
    std::vector<std::string> header;
    report.entries = ReadSsa(lines, role, rows, header);
    if (!header.empty()) {
      document.KeptSsaHeader(role) = std::move(header);
    }
  } else {
    report.warnings.push_back("Not read: the extension \"" + document.ReadExtension(role) +
                              "\" is neither .srt nor .ssa");
  }
  if (document.input_encoding && !input) {
    report.warnings.push_back(NothingReadsText() + "; its bytes were taken as GBK");
  } else if (input && !input->note.empty()) {
    report.warnings.push_back(input->note);
  }
  if (report.replaced_characters > 0) {
    report.warnings.push_back(std::to_string(report.replaced_characters) +
                              " character(s) could not be held in GBK and became '?'");
  }
  document.Table(role).ReplaceColumns(std::move(rows));
  if (role == Role::kMain) {
    document.current_row = 1;
  }
  return report;
}

}  // namespace

ReadReport ReadSubtitleBytes(std::string_view raw, Role role, SubtitleDocument& document) {
  std::optional<text::DecodedInput> input;
  if (document.input_encoding) {
    input = text::DecodeInput(raw, *document.input_encoding);
  }
  return ReadDecoded(raw, input, role, document);
}

text::Result<ReadReport> ReadSubtitleFile(const std::filesystem::path& path, Role role,
                                          SubtitleDocument& document) {
  // Loading comes before clearing, so a file that cannot be read leaves the table as it was.
  auto bytes = text::ReadFileBytes(path);
  if (!bytes) {
    return bytes.error();
  }
  std::optional<text::DecodedInput> input;
  if (document.input_encoding) {
    input = text::DecodeInput(bytes.value(), *document.input_encoding);
    if (!input) {
      return text::Error{"encoding", text::PathForMessage(path) + ": " + NothingReadsText()};
    }
  }
  return ReadDecoded(bytes.value(), input, role, document);
}

}  // namespace document

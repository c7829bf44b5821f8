// SRT and SSA writing: author entry, base-value commit, time conversions and the atomic save.
#include "document/subtitle_writer.h"

#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "document/format_readers.h"
#include "document/kept_fields.h"
#include "document/subtitle_time.h"
#include "text/gbk.h"
#include "text/line_file.h"

namespace document {
namespace {

constexpr std::string_view kLineBreak = "\\N";
constexpr std::string_view kArrow = " --> ";
constexpr std::string_view kCrLf = "\r\n";

enum class Format { kSrt, kSsa, kAss, kVtt, kOther };

Format FormatOf(std::string_view extension, FormatRules rules) {
  std::string lower(extension);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  if (lower == ".srt") {
    return Format::kSrt;
  }
  if (lower == ".ssa") {
    return Format::kSsa;
  }
  if (rules == FormatRules::kFull && lower == ".ass") {
    return Format::kAss;
  }
  if (rules == FormatRules::kFull && lower == ".vtt") {
    return Format::kVtt;
  }
  return Format::kOther;
}

// The text being written. With a sink, the text is handed on in pieces of about kPieceBytes
// whenever a row or header line is complete, so that a long subtitle never sits in memory whole;
// every piece then ends with CR LF, where a GBK character cannot be cut in two. Without one,
// everything stays in `text`.
constexpr size_t kPieceBytes = size_t{64} << 10;
using PieceSink = std::function<void(std::string_view piece)>;

struct Output {
  std::string text;
  const PieceSink* sink = nullptr;

  void LinesDone() {
    if (sink != nullptr && text.size() >= kPieceBytes) {
      Flush();
    }
  }
  void Flush() {
    if (sink != nullptr) {
      (*sink)(text);
      text.clear();
    }
  }
};

void AppendLine(std::string& out, std::string_view line) {
  out += line;
  out += kCrLf;
}

// One file line per "\N"-separated piece; the piece after the last mark is a line too, so a text
// ending in "\N" gives a final empty line.
void AppendTextLines(std::string& out, std::string_view text) {
  size_t start = 0;
  for (size_t mark = text.find(kLineBreak); mark != std::string_view::npos;
       mark = text.find(kLineBreak, start)) {
    AppendLine(out, text.substr(start, mark - start));
    start = mark + kLineBreak.size();
  }
  AppendLine(out, text.substr(start));
}

// Table time to SRT form, appended without a temporary: the first full stop becomes a comma.
void AppendSrtTime(std::string& out, std::string_view time) {
  const size_t stop = time.find('.');
  if (stop == std::string_view::npos) {
    out += time;
    return;
  }
  out += time.substr(0, stop);
  out += ',';
  out += time.substr(stop + 1);
}

// A row's start and end as written. A time line " --> " or "abc --> ..." would make the whole
// file unreadable elsewhere, so an unreadable cell gives way to the row's base time (as read or
// last saved) when that is readable, else to zero. Chosen before the row's base values are
// committed, which would overwrite that fallback; the views stay valid because the commit only
// writes the base cells, and a used fallback is held here.
struct WrittenTimes {
  std::string_view start;
  std::string_view end;
  std::string start_fallback;
  std::string end_fallback;
};

void ChooseTimes(const RowTable::RowView& cells, bool has_base, WrittenTimes& times) {
  const auto choose = [&](int column, int base_column, std::string& fallback) {
    if (IsReadableTime(cells[column])) {
      return std::string_view(cells[column]);
    }
    fallback = has_base && IsReadableTime(cells[base_column]) ? cells[base_column]
                                                              : std::string("00:00:00.000");
    return std::string_view(fallback);
  };
  times.start = choose(kStart, kBaseStart, times.start_fallback);
  times.end = choose(kEnd, kBaseEnd, times.end_fallback);
}

// Splits an SRT time line "start --> end"; without " --> " the whole line is the start.
std::pair<std::string_view, std::string_view> SplitTimeLine(std::string_view line) {
  const size_t arrow = line.find(kArrow);
  if (arrow == std::string_view::npos) {
    return {line, {}};
  }
  return {line.substr(0, arrow), line.substr(arrow + kArrow.size())};
}

// The text a row is written with: its own, or, for a row without one when `keep_pictures` is
// set, the name of its picture.
const std::string& WrittenText(const RowTable::RowView& cells, bool keep_pictures) {
  return keep_pictures && cells[kText].empty() ? cells[kPicture] : cells[kText];
}

void AppendSrt(const RowTable& table, bool commit, bool keep_pictures, SubtitleDocument& document,
               const WriteOptions* author, Output& output, int& entries) {
  std::string& out = output.text;
  if (author != nullptr) {
    AppendLine(out, "0");
    AppendLine(out, author->author_time_line);
    AppendTextLines(out, author->author_text);
    AppendLine(out, "");
  }
  const bool has_base = table.ColumnCount() > kBaseEnd;
  WrittenTimes times;
  for (int row = 1; row < table.RowCount(); ++row) {
    const auto& cells = table.Row(row);
    ChooseTimes(cells, has_base, times);
    if (commit) {
      document.CommitBaseValues(row);
    }
    const std::string& text = WrittenText(cells, keep_pictures);
    if (text.empty()) {
      continue;
    }
    AppendLine(out, cells[kNumber]);
    AppendSrtTime(out, times.start);
    out += kArrow;
    AppendSrtTime(out, times.end);
    out += kCrLf;
    AppendTextLines(out, text);
    out += kCrLf;
    ++entries;
    output.LinesDone();
  }
}

void AppendSsaEvent(std::string& out, std::string_view start, std::string_view end,
                    std::string_view style, std::string_view margin_l, std::string_view margin_r,
                    std::string_view margin_v, std::string_view text) {
  out += "Dialogue: Marked=0,";
  out += TableTimeToSsa(start);
  out += ',';
  out += TableTimeToSsa(end);
  out += ',';
  out += style.empty() ? std::string_view("Default") : style;
  out += ",,";
  out += margin_l.empty() ? std::string_view("0000") : margin_l;
  out += ',';
  out += margin_r.empty() ? std::string_view("0000") : margin_r;
  out += ',';
  out += margin_v.empty() ? std::string_view("0000") : margin_v;
  out += ",,";
  out += text;
  out += kCrLf;
}

void AppendSsa(const RowTable& table, bool commit, bool keep_pictures, SubtitleDocument& document,
               const WriteOptions* author, const std::vector<std::string>& header, Output& output,
               int& entries) {
  std::string& out = output.text;
  for (const auto& line : header) {
    AppendLine(out, line);
    output.LinesDone();
  }
  if (author != nullptr) {
    const auto [start, end] = SplitTimeLine(author->author_time_line);
    AppendSsaEvent(out, start, end, "Default", "0000", "0000", "0000", author->author_text);
  }
  const bool main = table.ColumnCount() > kMarginV;
  WrittenTimes times;
  for (int row = 1; row < table.RowCount(); ++row) {
    const auto& cells = table.Row(row);
    ChooseTimes(cells, main, times);
    if (commit) {
      document.CommitBaseValues(row);
    }
    const std::string& text = WrittenText(cells, keep_pictures);
    if (text.empty()) {
      continue;
    }
    // The reference table has no style or margin columns: they are written as defaults.
    const std::string_view none;
    AppendSsaEvent(out, times.start, times.end, main ? cells[kStyle] : none,
                   main ? cells[kMarginL] : none, main ? cells[kMarginR] : none,
                   main ? cells[kMarginV] : none, text);
    ++entries;
    output.LinesDone();
  }
}

// The header of an ASS file written from a table that was not read from one.
const char* const kDefaultAssHeader[] = {
    "[Script Info]",
    "ScriptType: v4.00+",
    "PlayResX: 384",
    "PlayResY: 288",
    "",
    "[V4+ Styles]",
    ("Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
     "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
     "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding"),
    ("Style: Default,Sans,20,&H00FFFFFF,&H0000FFFF,&H00000000,&H80000000,0,0,0,0,100,100,0,0,1,"
     "2,1,2,30,30,10,134"),
    "",
    "[Events]",
    "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text",
};

// A row's time as a value for the strict writers: the cell when readable, else the base time,
// else zero (the table keeps the unreadable text; FindSaveProblems names such rows first).
Milliseconds TimeValue(const RowTable::RowView& cells, bool has_base, int column, int base_column) {
  if (const auto value = ReadCellTime(cells[column])) {
    return *value;
  }
  if (has_base) {
    if (const auto value = ReadCellTime(cells[base_column])) {
      return *value;
    }
  }
  return 0;
}

std::string_view Kept(const RowTable::RowView& cells, bool kept, std::string_view key,
                      bool* found = nullptr) {
  if (!kept) {
    if (found != nullptr) {
      *found = false;
    }
    return {};
  }
  return KeptField(cells[kKeptFields], key, found);
}

// Visits the rows the strict writers write, in order, with their time values and the text they
// are written with (rows without one are skipped); with `commit`, every row's base values are
// committed on the way, written or not.
template <typename Visit>
void ForEachWrittenRow(const RowTable& table, bool commit, bool keep_pictures,
                       SubtitleDocument& document, Visit visit) {
  const bool has_base = table.ColumnCount() > kBaseEnd;
  for (int row = 1; row < table.RowCount(); ++row) {
    const auto& cells = table.Row(row);
    const Milliseconds start = TimeValue(cells, has_base, kStart, kBaseStart);
    const Milliseconds end = TimeValue(cells, has_base, kEnd, kBaseEnd);
    if (commit) {
      document.CommitBaseValues(row);
    }
    const std::string& text = WrittenText(cells, keep_pictures);
    if (!text.empty()) {
      visit(cells, start, end, text);
    }
  }
}

// Kept lines (joined by LF) as file lines.
void AppendKeptLines(std::string& out, std::string_view lines) {
  size_t start = 0;
  for (size_t lf = lines.find('\n'); lf != std::string_view::npos; lf = lines.find('\n', start)) {
    AppendLine(out, lines.substr(start, lf - start));
    start = lf + 1;
  }
  AppendLine(out, lines.substr(start));
}

// The text of an SRT or WebVTT entry: the lines as read while the text is the one read with
// them (a literal "\N" stays text), else one line per "\N" mark.
void AppendEntryText(std::string& out, const RowTable::RowView& cells, bool kept) {
  bool found = false;
  const std::string_view lines = Kept(cells, kept, kKeptLines, &found);
  if (found && Kept(cells, kept, kKeptLinesText) == cells[kText]) {
    AppendKeptLines(out, lines);
  } else {
    AppendTextLines(out, cells[kText]);
  }
}

// SRT and WebVTT with strict times: every time in the format's own form, the position fields
// or cue settings after the end time as read, SRT entries numbered 1, 2, ... as written.
void AppendTimedEntries(Format format, const RowTable& table, bool commit, bool keep_pictures,
                        SubtitleDocument& document, const WriteOptions* author, Output& output,
                        int& entries) {
  std::string& out = output.text;
  const auto time = format == Format::kVtt ? &FormatVttTime : &FormatSrtTime;
  if (author != nullptr) {
    const auto [start, end] = SplitTimeLine(author->author_time_line);
    if (format == Format::kSrt) {
      AppendLine(out, "0");
    }
    AppendLine(out, time(ReadCellTime(start).value_or(0)) + std::string(kArrow) +
                        time(ReadCellTime(end).value_or(0)));
    AppendTextLines(out, author->author_text);
    AppendLine(out, "");
  }
  const bool kept = table.ColumnCount() > kKeptFields;
  ForEachWrittenRow(
      table, commit, keep_pictures, document,
      [&](const RowTable::RowView& cells, Milliseconds start, Milliseconds end,
          const std::string& text) {
        bool found = false;
        if (const std::string_view notes = Kept(cells, kept, kKeptNotes, &found);
            found && format == Format::kVtt) {
          AppendKeptLines(out, notes);
        }
        if (format == Format::kSrt) {
          AppendLine(out, std::to_string(entries + 1));  // numbered as written, empty texts skipped
        } else if (const std::string_view id = Kept(cells, kept, kKeptCueId, &found); found) {
          AppendLine(out, id);
        }
        out += time(start);
        out += kArrow;
        out += time(end);
        out += Kept(cells, kept, kKeptPosition);
        out += kCrLf;
        if (cells[kText].empty()) {
          AppendTextLines(out, text);  // a row kept with its picture's name
        } else {
          AppendEntryText(out, cells, kept);
        }
        out += kCrLf;
        ++entries;
        output.LinesDone();
      });
}

// SSA and ASS events in the columns of the header's Format line; fields the table has no column
// of come from the row's kept fields, else from the format's defaults.
void AppendEvents(const RowTable& table, bool commit, bool keep_pictures,
                  SubtitleDocument& document, const WriteOptions* author,
                  const std::vector<std::string>& header, const std::vector<std::string>& trailer,
                  Output& output, int& entries) {
  std::string& out = output.text;
  for (const auto& line : header) {
    AppendLine(out, line);
    output.LinesDone();
  }
  const std::vector<std::string> names = EventColumns(header);
  const auto append_event = [&](Milliseconds start, Milliseconds end,
                                const RowTable::RowView* cells, std::string_view text) {
    const bool main = cells != nullptr && table.ColumnCount() > kKeptFields;
    const auto cell = [&](int column, std::string_view fallback) {
      return main && !(*cells)[column].empty() ? std::string_view((*cells)[column]) : fallback;
    };
    if (main) {
      out += KeptField((*cells)[kKeptFields], kKeptIndent);
    }
    out += "Dialogue: ";
    for (size_t column = 0; column < names.size(); ++column) {
      const std::string& name = names[column];
      if (column > 0) {
        out += ',';
      }
      if (name == "Start" || name == "End") {
        out += FormatSsaTime(name == "Start" ? start : end);
      } else if (name == "Text") {
        out += text;
      } else if (name == "Style") {
        out += cell(kStyle, "Default");
      } else if (name == "MarginL") {
        out += cell(kMarginL, "0000");
      } else if (name == "MarginR") {
        out += cell(kMarginR, "0000");
      } else if (name == "MarginV") {
        out += cell(kMarginV, "0000");
      } else {
        bool found = false;
        const std::string_view value =
            main ? KeptField((*cells)[kKeptFields], name, &found) : std::string_view();
        out += found              ? value
               : name == "Marked" ? std::string_view("Marked=0")
               : name == "Layer"  ? std::string_view("0")
                                  : std::string_view();
      }
    }
    out += kCrLf;
  };
  if (author != nullptr) {
    const auto [start, end] = SplitTimeLine(author->author_time_line);
    append_event(ReadCellTime(start).value_or(0), ReadCellTime(end).value_or(0), nullptr,
                 author->author_text);
  }
  const bool kept = table.ColumnCount() > kKeptFields;
  ForEachWrittenRow(table, commit, keep_pictures, document,
                    [&](const RowTable::RowView& cells, Milliseconds start, Milliseconds end,
                        const std::string& text) {
                      bool found = false;
                      if (const std::string_view before = Kept(cells, kept, kKeptBefore, &found);
                          found) {
                        AppendKeptLines(out, before);
                      }
                      append_event(start, end, &cells, text);
                      ++entries;
                      output.LinesDone();
                    });
  for (const auto& line : trailer) {
    AppendLine(out, line);
    output.LinesDone();
  }
}

// What a write settles before the first row is touched: every check that may refuse it.
struct WritePlan {
  Format format = Format::kSrt;
  const WriteOptions* author = nullptr;  // the author entry to write first, or none
  // The SSA header: the role's kept one, or `loaded_header`. The plan is not moved once made.
  const std::vector<std::string>* header = nullptr;
  std::vector<std::string> loaded_header;
  bool keep_pictures = false;  // rows without a text written with their picture's name
  // The sections after the events; written only with the kept header they came with.
  const std::vector<std::string>* trailer = nullptr;
  bool full = false;  // FormatRules::kFull
};

bool IsVttHeader(const std::vector<std::string>& header) {
  return !header.empty() && header.front().rfind("WEBVTT", 0) == 0;
}

text::Status PlanWrite(Role role, SubtitleDocument& document, const WriteOptions& options,
                       WritePlan& plan) {
  plan.full = document.format_rules == FormatRules::kFull;
  plan.format = FormatOf(document.WriteExtension(role), document.format_rules);
  if (plan.format == Format::kOther) {
    return text::Error{"format",
                       "Cannot write the format \"" + document.WriteExtension(role) +
                           (plan.full ? "\": the extension must be .srt, .ssa, .ass or .vtt"
                                      : "\": the extension must be .srt or .ssa")};
  }
  // The author entry belongs to picture subtitles of the main table only.
  plan.author =
      role == Role::kMain && document.picture_mode && options.author_enabled ? &options : nullptr;
  plan.keep_pictures = role == Role::kMain && options.keep_rows_without_text;
  plan.header = &document.KeptSsaHeader(role);
  static const std::vector<std::string> kNothing;
  plan.trailer = &kNothing;
  if (plan.full) {
    // A kept header serves only its own kind of file; the trailer goes with it.
    const bool vtt = plan.format == Format::kVtt;
    if (!plan.header->empty() && IsVttHeader(*plan.header) == vtt) {
      plan.trailer = &document.KeptSsaTrailer(role);
      return text::Success();
    }
    plan.header = &plan.loaded_header;
    if (vtt) {
      plan.loaded_header = {"WEBVTT", ""};
      return text::Success();
    }
    if (plan.format == Format::kAss) {
      plan.loaded_header.assign(std::begin(kDefaultAssHeader), std::end(kDefaultAssHeader));
      return text::Success();
    }
  }
  if ((plan.format == Format::kSsa || plan.format == Format::kAss) && plan.header->empty()) {
    // Needed before any row is touched: a missing ssahead.txt must not commit base values.
    auto lines = text::ReadLines(options.working_folder / "ssahead.txt");
    if (!lines) {
      return lines.error();
    }
    plan.loaded_header = std::move(lines.value());
    plan.header = &plan.loaded_header;
  }
  return text::Success();
}

// Writes the role's table into `output` as `plan` says (see BuildSubtitleText) and returns the
// number of entries written.
int WriteRows(Role role, SubtitleDocument& document, const WritePlan& plan, Output& output) {
  const bool main = role == Role::kMain;
  const RowTable& table = document.Table(role);
  if (output.sink != nullptr) {
    output.text.reserve(kPieceBytes + kPieceBytes / 4);
  } else {
    // Rough size of the whole text, so that the buffer grows once.
    size_t estimate = 256;
    for (int row = 1; row < table.RowCount(); ++row) {
      estimate += table.Row(row)[kText].size() + 96;
    }
    if (plan.format != Format::kSrt) {
      for (const auto& line : *plan.header) {
        estimate += line.size() + 2;
      }
    }
    output.text.reserve(estimate);
  }
  int entries = 0;
  if (plan.full && plan.format != Format::kSsa && plan.format != Format::kAss) {
    if (plan.format == Format::kVtt) {
      for (const auto& line : *plan.header) {
        AppendLine(output.text, line);
      }
    }
    AppendTimedEntries(plan.format, table, main, plan.keep_pictures, document, plan.author, output,
                       entries);
    if (plan.format == Format::kVtt) {
      for (const auto& line : *plan.trailer) {
        AppendLine(output.text, line);
      }
    }
  } else if (plan.full) {
    AppendEvents(table, main, plan.keep_pictures, document, plan.author, *plan.header,
                 *plan.trailer, output, entries);
  } else if (plan.format == Format::kSrt) {
    AppendSrt(table, main, plan.keep_pictures, document, plan.author, output, entries);
  } else {
    AppendSsa(table, main, plan.keep_pictures, document, plan.author, *plan.header, output,
              entries);
  }
  output.Flush();
  return entries;
}

}  // namespace

text::Result<std::string> BuildSubtitleText(Role role, SubtitleDocument& document,
                                            const WriteOptions& options, WriteReport* report) {
  WritePlan plan;
  if (auto planned = PlanWrite(role, document, options, plan); !planned) {
    return planned.error();
  }
  Output output;
  const int entries = WriteRows(role, document, plan, output);
  if (report != nullptr) {
    *report = WriteReport{entries, 0};
  }
  return std::move(output.text);
}

text::Status WriteSubtitleFile(const std::filesystem::path& path, Role role,
                               SubtitleDocument& document, const WriteOptions& options,
                               WriteReport* report) {
  WritePlan plan;
  if (auto planned = PlanWrite(role, document, options, plan); !planned) {
    return planned.error();
  }
  // The pieces go straight to the temporary file, converted piece by piece. A write that failed
  // still walks every row, so that the base values are committed as they would have been had
  // the whole text been built first.
  // A subtitle is written once per save, so a listing of its folder for the leftovers of killed
  // saves costs nothing worth counting.
  text::AtomicFileWriter file(path, text::Leftovers::kRemoveStale);
  int replaced = 0;
  if (options.encoding == OutputEncoding::kUtf8Bom) {
    file.Append("\xEF\xBB\xBF");
  }
  const PieceSink sink = [&](std::string_view piece) {
    if (!file.ok()) {
      return;
    }
    if (options.encoding == OutputEncoding::kGbk) {
      file.Append(piece);
      return;
    }
    const auto converted = text::GbkToUtf8(piece);
    replaced += converted.replaced;
    file.Append(converted.text);
  };
  Output output;
  output.sink = &sink;
  const int entries = WriteRows(role, document, plan, output);
  if (auto saved = file.Commit(); !saved) {
    return saved.error();
  }
  if (report != nullptr) {
    *report = WriteReport{entries, replaced};
  }
  return text::Success();
}

}  // namespace document

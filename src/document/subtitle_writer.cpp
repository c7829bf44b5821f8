// SRT and SSA writing: author entry, base-value commit, time conversions and the atomic save.
#include "document/subtitle_writer.h"

#include <string_view>
#include <utility>
#include <vector>

#include "document/subtitle_time.h"
#include "text/gbk.h"
#include "text/line_file.h"

namespace document {
namespace {

constexpr std::string_view kLineBreak = "\\N";
constexpr std::string_view kArrow = " --> ";
constexpr std::string_view kCrLf = "\r\n";

enum class Format { kSrt, kSsa, kOther };

Format FormatOf(std::string_view extension) {
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
  return Format::kOther;
}

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

void ChooseTimes(const std::vector<std::string>& cells, bool has_base, WrittenTimes& times) {
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

void AppendSrt(const RowTable& table, bool commit, SubtitleDocument& document,
               const WriteOptions* author, std::string& out, int& entries) {
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
    const std::string& text = cells[kText];
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

void AppendSsa(const RowTable& table, bool commit, SubtitleDocument& document,
               const WriteOptions* author, const std::vector<std::string>& header, std::string& out,
               int& entries) {
  for (const auto& line : header) {
    AppendLine(out, line);
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
    if (cells[kText].empty()) {
      continue;
    }
    // The reference table has no style or margin columns: they are written as defaults.
    const std::string_view none;
    AppendSsaEvent(out, times.start, times.end, main ? cells[kStyle] : none,
                   main ? cells[kMarginL] : none, main ? cells[kMarginR] : none,
                   main ? cells[kMarginV] : none, cells[kText]);
    ++entries;
  }
}

}  // namespace

text::Result<std::string> BuildSubtitleText(Role role, SubtitleDocument& document,
                                            const WriteOptions& options, WriteReport* report) {
  const Format format = FormatOf(document.WriteExtension(role));
  if (format == Format::kOther) {
    return text::Error{"format", "Cannot write the format \"" + document.WriteExtension(role) +
                                     "\": the extension must be .srt or .ssa"};
  }
  const bool main = role == Role::kMain;
  // The author entry belongs to picture subtitles of the main table only.
  const WriteOptions* author =
      main && document.picture_mode && options.author_enabled ? &options : nullptr;
  const RowTable& table = document.Table(role);

  // Rough size of the output, so that the buffer grows once.
  size_t estimate = 256;
  for (int row = 1; row < table.RowCount(); ++row) {
    estimate += table.Row(row)[kText].size() + 96;
  }
  std::string out;
  int entries = 0;
  if (format == Format::kSrt) {
    out.reserve(estimate);
    AppendSrt(table, main, document, author, out, entries);
  } else {
    std::vector<std::string> loaded_header;
    const std::vector<std::string>* header = &document.KeptSsaHeader(role);
    if (header->empty()) {
      // Needed before any row is touched: a missing ssahead.txt must not commit base values.
      auto lines = text::ReadLines(options.working_folder / "ssahead.txt");
      if (!lines) {
        return lines.error();
      }
      loaded_header = std::move(lines.value());
      header = &loaded_header;
    }
    for (const auto& line : *header) {
      estimate += line.size() + 2;
    }
    out.reserve(estimate);
    AppendSsa(table, main, document, author, *header, out, entries);
  }
  if (report != nullptr) {
    *report = WriteReport{entries, 0};
  }
  return out;
}

text::Status WriteSubtitleFile(const std::filesystem::path& path, Role role,
                               SubtitleDocument& document, const WriteOptions& options,
                               WriteReport* report) {
  WriteReport counts;
  auto built = BuildSubtitleText(role, document, options, &counts);
  if (!built) {
    return built.error();
  }
  std::string bytes = std::move(built.value());
  if (options.encoding != OutputEncoding::kGbk) {
    auto converted = text::GbkToUtf8(bytes);
    bytes = options.encoding == OutputEncoding::kUtf8Bom ? "\xEF\xBB\xBF" + converted.text
                                                         : std::move(converted.text);
    counts.replaced_characters = converted.replaced;
  }
  auto saved = text::WriteFileAtomic(path, bytes);
  if (!saved) {
    return saved.error();
  }
  if (report != nullptr) {
    *report = counts;
  }
  return text::Success();
}

}  // namespace document

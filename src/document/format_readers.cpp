// Lenient SRT, SSA/ASS and WebVTT reading: times in every common form, entries found by their
// time lines, events placed by their Format line, and every field the table has no column of
// kept in the row's kept-fields cell for the writer.
#include "document/format_readers.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "document/kept_fields.h"
#include "document/subtitle_reader.h"
#include "document/subtitle_time.h"

namespace document {
namespace {

using Row = std::vector<std::string>;

constexpr std::string_view kLineBreak = "\\N";
constexpr std::string_view kArrow = "-->";

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  return text;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The rows a read had to change or could not read, per kind, for one warning line each.
class Notes {
 public:
  void Add(int kind, int row, std::string_view what) {
    auto& list = lists_[static_cast<size_t>(kind)];
    if (list.first < kListed) {
      list.second += (list.first == 0 ? "" : ", ") + std::string("row ") + std::to_string(row) +
                     " (" + std::string(Trim(what)) + ")";
    }
    ++list.first;
  }
  void Warn(std::vector<std::string>& warnings, const std::string (&captions)[3]) const {
    for (size_t kind = 0; kind < lists_.size(); ++kind) {
      const auto& [count, text] = lists_[kind];
      if (count == 0) {
        continue;
      }
      std::string line = captions[kind] + ": " + text;
      if (count > kListed) {
        line += " and " + std::to_string(count - kListed) + " more";
      }
      warnings.push_back(std::move(line));
    }
  }

  static constexpr int kNegative = 0;
  static constexpr int kUnreadable = 1;
  static constexpr int kOtherForm = 2;

 private:
  static constexpr int kListed = 8;
  std::array<std::pair<int, std::string>, 3> lists_;
};

// Reads one time field into `cell`: its table form when readable (negative as zero), else the
// field as it stands. `canonical` tells whether the file's own form was used, so that other
// forms are named. Returns the text after the time.
std::string_view ReadTimeField(std::string_view field, int row, std::string& cell, Notes& notes,
                               std::string (*format)(Milliseconds)) {
  // SRT and WebVTT count the digits after the separator as milliseconds, SSA as a fraction.
  const auto time = ReadFileTime(
      field, format == &FormatSsaTime ? FractionDigits::kDecimal : FractionDigits::kMilliseconds);
  if (!time) {
    cell.assign(Trim(field));
    notes.Add(Notes::kUnreadable, row, field);
    return {};
  }
  cell = FormatSubtitleTime(time->value);
  if (time->value < 0) {
    notes.Add(Notes::kNegative, row, field.substr(0, field.size() - time->tail.size()));
  } else if (format != nullptr) {
    const std::string_view written = Trim(field.substr(0, field.size() - time->tail.size()));
    if (written != format(time->value) &&
        !(format == &FormatVttTime && written == format(time->value).substr(3))) {
      notes.Add(Notes::kOtherForm, row, written);
    }
  }
  return time->tail;
}

// An SRT or WebVTT time line: start, "-->", end and perhaps position fields or cue settings.
void ReadTimeLine(std::string_view line, int row, Row& cells, bool main, Notes& notes,
                  std::string (*format)(Milliseconds)) {
  const size_t arrow = line.find(kArrow);
  if (arrow == std::string_view::npos) {
    cells[kStart].assign(Trim(line));
    cells[kEnd].clear();
    notes.Add(Notes::kUnreadable, row, line);
    return;
  }
  const std::string_view start_tail =
      ReadTimeField(line.substr(0, arrow), row, cells[kStart], notes, format);
  if (!Trim(start_tail).empty()) {
    cells[kStart].assign(Trim(line.substr(0, arrow)));
    notes.Add(Notes::kUnreadable, row, line);
  }
  const std::string_view tail =
      ReadTimeField(line.substr(arrow + kArrow.size()), row, cells[kEnd], notes, format);
  if (main && !tail.empty()) {
    AddKeptField(cells[kKeptFields], kKeptPosition, tail);
  }
}

bool IsReadableTimeLine(std::string_view line) {
  const size_t arrow = line.find(kArrow);
  if (arrow == std::string_view::npos) {
    return false;
  }
  const auto start = ReadFileTime(line.substr(0, arrow));
  return start && Trim(start->tail).empty() && ReadFileTime(line.substr(arrow + kArrow.size()));
}

// Joins an entry's text lines with "\N" marks into `column`: leading and trailing empty lines
// leave no mark. Lines holding a literal "\N" are kept as they stand beside the text, which
// would otherwise split there when written.
void FillText(std::vector<std::string_view>& lines, int column, bool main, Row& cells) {
  while (!lines.empty() && lines.back().empty()) {
    lines.pop_back();
  }
  size_t first = 0;
  while (first < lines.size() && lines[first].empty()) {
    ++first;
  }
  std::string& cell = cells[static_cast<size_t>(column)];
  cell.clear();
  bool literal_break = false;
  for (size_t i = first; i < lines.size(); ++i) {
    if (i > first) {
      cell += kLineBreak;
    }
    cell += lines[i];
    literal_break = literal_break || lines[i].find(kLineBreak) != std::string_view::npos;
  }
  if (main && literal_break) {
    std::string joined;
    for (size_t i = first; i < lines.size(); ++i) {
      joined += lines[i];
      joined += i + 1 < lines.size() ? "\n" : "";
    }
    AddKeptField(cells[kKeptFields], kKeptLines, joined);
    AddKeptField(cells[kKeptFields], kKeptLinesText, cell);
  }
  lines.clear();
}

void SetTextDefaults(bool main, Row& cells) {
  if (main) {
    cells[kStyle] = "Default";
    cells[kMarginL] = "0000";
    cells[kMarginR] = "0000";
    cells[kMarginV] = "0000";
  }
}

void SetBase(bool main, int text_column, Row& cells) {
  if (main) {
    cells[kBaseStart] = cells[kStart];
    cells[kBaseEnd] = cells[kEnd];
    cells[kBaseText] = text_column == kText ? cells[kText] : std::string();
  }
}

const std::string kSrtCaptions[3] = {"negative times read as 00:00:00,000",
                                     "times that cannot be read, kept as they stand",
                                     "times not in the form hh:mm:ss,mmm, written in it"};
const std::string kSsaCaptions[3] = {"negative times read as 0:00:00.00",
                                     "times that cannot be read, kept as they stand",
                                     "times not in the form h:mm:ss.cc, written in it"};
const std::string kVttCaptions[3] = {"negative times read as 00:00:00.000",
                                     "times that cannot be read, kept as they stand",
                                     "times not in the form hh:mm:ss.ttt, written in it"};

}  // namespace

FormatRead ReadSrtText(LineSplitter lines, Role role, bool picture_mode, TableColumns& rows) {
  FormatRead read;
  read.picture_mode = picture_mode;
  const bool main = role == Role::kMain;
  Row cells(main ? kMainColumnCount : kReferenceColumnCount);
  Notes notes;
  std::vector<std::string_view> text_lines;
  int entry = 0;
  int stray = 0;
  bool previous_blank = true;
  // Picture names collect in the picture column of the main table, texts in the text column.
  const auto text_column = [&] { return main && read.picture_mode ? kPicture : kText; };
  const auto finish = [&] {
    if (entry == 0) {
      return;
    }
    if (main && entry == 1) {
      // Entry 1's last non-empty line decides whether this is a picture subtitle.
      for (auto it = text_lines.rbegin(); it != text_lines.rend(); ++it) {
        if (!it->empty()) {
          read.picture_mode = it->size() >= 5 && it->substr(it->size() - 5) == "1.bmp";
          break;
        }
      }
    }
    const bool has_text = std::any_of(text_lines.begin(), text_lines.end(),
                                      [](std::string_view line) { return !line.empty(); });
    FillText(text_lines, text_column(), main, cells);
    if (has_text) {
      SetTextDefaults(main, cells);
    }
    SetBase(main, text_column(), cells);
    rows.AppendRow(cells);
  };

  std::string_view line;
  std::string_view next;
  bool has_line = lines.Next(line);
  bool has_next = has_line && lines.Next(next);
  const auto advance = [&] {
    line = next;
    has_line = has_next;
    has_next = has_line && lines.Next(next);
  };
  while (has_line) {
    const bool numbered =
        IsAllDigits(Trim(line)) && has_next && next.find(kArrow) != std::string_view::npos;
    if (numbered || ((entry == 0 || previous_blank) && IsReadableTimeLine(line))) {
      finish();
      ++entry;
      cells[kNumber] = std::to_string(entry);
      if (numbered) {
        advance();
      }
      ReadTimeLine(line, entry, cells, main, notes, &FormatSrtTime);
      previous_blank = false;
      advance();
      continue;
    }
    if (entry == 0) {
      stray += Trim(line).empty() ? 0 : 1;
    } else {
      text_lines.push_back(line);
    }
    previous_blank = Trim(line).empty();
    advance();
  }
  finish();
  if (entry == 0) {
    rows.AppendRow(cells);
  }
  read.entries = entry;
  notes.Warn(read.warnings, kSrtCaptions);
  if (stray > 0) {
    read.warnings.push_back(std::to_string(stray) +
                            " line(s) before the first entry were not read");
  }
  return read;
}

std::vector<std::string> EventColumns(const std::vector<std::string>& header) {
  std::vector<std::string> names;
  bool events = false;
  bool v4_plus = false;
  for (const std::string& line : header) {
    const std::string_view trimmed = Trim(line);
    if (StartsWith(trimmed, "[")) {
      events = EqualsIgnoringCase(trimmed, "[Events]");
      v4_plus = v4_plus || EqualsIgnoringCase(trimmed, "[V4+ Styles]");
    } else if (StartsWith(trimmed, "ScriptType:")) {
      v4_plus = v4_plus || trimmed.find("4.00+") != std::string_view::npos;
    }
    if (events && StartsWith(trimmed, "Format:")) {
      names.clear();
      std::string_view rest = trimmed.substr(7);
      while (true) {
        const size_t comma = rest.find(',');
        names.emplace_back(Trim(rest.substr(0, comma)));
        if (comma == std::string_view::npos) {
          break;
        }
        rest.remove_prefix(comma + 1);
      }
    }
  }
  if (names.empty()) {
    names = {v4_plus ? "Layer" : "Marked",
             "Start",
             "End",
             "Style",
             "Name",
             "MarginL",
             "MarginR",
             "MarginV",
             "Effect",
             "Text"};
  }
  return names;
}

FormatRead ReadSsaText(LineSplitter lines, Role role, TableColumns& rows) {
  FormatRead read;
  const bool main = role == Role::kMain;
  Row cells(main ? kMainColumnCount : kReferenceColumnCount);
  Notes notes;
  // 0: before [Events]; 1: in [Events] before its Format line; 2: events; 3: after the events.
  int phase = 0;
  std::vector<std::string> names;
  std::vector<std::string_view> pending;  // lines between events, kept with the next one
  std::string_view line;
  while (lines.Next(line)) {
    const std::string_view trimmed = Trim(line);
    if (phase == 3) {
      read.trailer.emplace_back(line);
      continue;
    }
    if (phase == 2 && StartsWith(trimmed, "[")) {
      phase = 3;
      read.trailer.assign(pending.begin(), pending.end());
      pending.clear();
      read.trailer.emplace_back(line);
      continue;
    }
    const bool dialogue = StartsWith(trimmed, "Dialogue:");
    if (phase < 2 && !(phase == 1 && dialogue)) {
      read.header.emplace_back(line);
      if (EqualsIgnoringCase(trimmed, "[Events]")) {
        phase = 1;
      } else if (phase == 1 && StartsWith(trimmed, "Format:")) {
        phase = 2;
        names = EventColumns(read.header);
      }
      continue;
    }
    if (phase == 1) {
      phase = 2;  // events without a Format line: the script type's own columns
      names = EventColumns(read.header);
    }
    if (!dialogue) {
      pending.push_back(line);
      continue;
    }
    ++read.entries;
    const int row = read.entries;
    cells[kNumber] = std::to_string(row);
    if (main && !pending.empty()) {
      std::string before;
      for (size_t i = 0; i < pending.size(); ++i) {
        before += pending[i];
        before += i + 1 < pending.size() ? "\n" : "";
      }
      AddKeptField(cells[kKeptFields], kKeptBefore, before);
    }
    pending.clear();
    if (main && line.size() > trimmed.size() && line.front() != trimmed.front()) {
      AddKeptField(cells[kKeptFields], kKeptIndent, line.substr(0, line.find(trimmed)));
    }
    // Field map: the Format line's columns in its order, comma-separated, the last one (Text)
    // taking the rest of the line with its commas.
    std::string_view rest = trimmed.substr(9);
    while (!rest.empty() && rest.front() == ' ') {
      rest.remove_prefix(1);
    }
    for (size_t column = 0; column < names.size(); ++column) {
      std::string_view field = rest;
      if (column + 1 < names.size()) {
        const size_t comma = rest.find(',');
        field = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
      }
      const std::string& name = names[column];
      const auto is = [&](std::string_view wanted) { return EqualsIgnoringCase(name, wanted); };
      if (is("Start") || is("End")) {
        std::string& cell = cells[is("Start") ? kStart : kEnd];
        if (!Trim(ReadTimeField(field, row, cell, notes, &FormatSsaTime)).empty()) {
          cell.assign(Trim(field));
          notes.Add(Notes::kUnreadable, row, field);
        }
      } else if (is("Text")) {
        cells[kText].assign(field);
      } else if (!main) {
        continue;
      } else if (is("Style")) {
        cells[kStyle].assign(field);
      } else if (is("MarginL")) {
        cells[kMarginL].assign(field);
      } else if (is("MarginR")) {
        cells[kMarginR].assign(field);
      } else if (is("MarginV")) {
        cells[kMarginV].assign(field);
      } else {
        AddKeptField(cells[kKeptFields], name, field);
      }
    }
    SetBase(main, kText, cells);
    rows.AppendRow(cells);
  }
  read.trailer.insert(read.trailer.end(), pending.begin(), pending.end());
  if (read.entries == 0) {
    rows.AppendRow(cells);
  }
  notes.Warn(read.warnings, kSsaCaptions);
  return read;
}

FormatRead ReadVttText(LineSplitter lines, Role role, TableColumns& rows) {
  FormatRead read;
  const bool main = role == Role::kMain;
  Row cells(main ? kMainColumnCount : kReferenceColumnCount);
  Notes notes;
  std::vector<std::string_view> all;
  for (std::string_view line; lines.Next(line);) {
    all.push_back(line);
  }
  if (all.empty() || !StartsWith(all.front(), "WEBVTT")) {
    read.warnings.push_back("the file does not begin with a WEBVTT line");
  }
  std::vector<std::string_view> pending;  // lines before the next cue
  std::vector<std::string_view> text_lines;
  size_t i = 0;
  while (i < all.size()) {
    // A block is a run of non-blank lines; a cue's second or first line is its timing line.
    if (Trim(all[i]).empty()) {
      pending.push_back(all[i++]);
      continue;
    }
    size_t end = i;
    while (end < all.size() && !Trim(all[end]).empty()) {
      ++end;
    }
    const bool first_timed = all[i].find(kArrow) != std::string_view::npos;
    const bool second_timed =
        end - i > 1 && all[i + 1].find(kArrow) != std::string_view::npos && !first_timed;
    const bool header_block = i == 0 && StartsWith(all[i], "WEBVTT");
    if (header_block || (!first_timed && !second_timed)) {
      pending.insert(pending.end(), all.begin() + static_cast<std::ptrdiff_t>(i),
                     all.begin() + static_cast<std::ptrdiff_t>(end));
      i = end;
      continue;
    }
    ++read.entries;
    const int row = read.entries;
    if (read.entries == 1) {
      read.header.assign(pending.begin(), pending.end());
    } else if (main && !pending.empty()) {
      // The blank line that ends every cue is not among them: the writer writes it again.
      std::string before;
      for (size_t p = 0; p < pending.size(); ++p) {
        before += pending[p];
        before += p + 1 < pending.size() ? "\n" : "";
      }
      AddKeptField(cells[kKeptFields], kKeptNotes, before);
    }
    pending.clear();
    cells[kNumber] = std::to_string(row);
    if (second_timed && main) {
      AddKeptField(cells[kKeptFields], kKeptCueId, all[i]);
    }
    const size_t timing = second_timed ? i + 1 : i;
    ReadTimeLine(all[timing], row, cells, main, notes, &FormatVttTime);
    text_lines.assign(all.begin() + static_cast<std::ptrdiff_t>(timing + 1),
                      all.begin() + static_cast<std::ptrdiff_t>(end));
    FillText(text_lines, kText, main, cells);
    SetTextDefaults(main, cells);
    SetBase(main, kText, cells);
    rows.AppendRow(cells);
    i = end;
    if (i < all.size()) {
      ++i;  // the blank line that ends the cue
    }
  }
  if (read.entries == 0) {
    read.header.assign(pending.begin(), pending.end());
    rows.AppendRow(cells);
  } else if (!pending.empty()) {
    read.trailer.assign(pending.begin(), pending.end());
  }
  notes.Warn(read.warnings, kVttCaptions);
  return read;
}

}  // namespace document

// Shifting, synchronising and converting the times of many rows.
#include "proof/time_changes.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "proof/char_search.h"
#include "proof/row_editing.h"

namespace proof {
namespace {

using document::kChangeMarks;
using document::kEnd;
using document::kStart;
using document::Milliseconds;
using document::RowTable;

text::Error Usage(std::string message) {
  return text::Error{"usage", std::move(message), 0};
}

std::optional<double> ParseDecimal(std::string_view text) {
  if (text.empty() || text.front() == '+' || text.front() == '-') {
    return std::nullopt;
  }
  double value = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<int> ParseRowNumber(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1) {
    return std::nullopt;
  }
  return value;
}

// A time cell split into its time and what follows its first word.
struct CellTime {
  Milliseconds time = 0;
  std::string tail;
};

// nullopt for an empty cell (left alone); an Error for a cell that holds no time.
text::Result<std::optional<CellTime>> ReadTimeCell(const RowTable& table, int column, int row) {
  const std::string& cell = table.Cell(column, row);
  if (cell.find_first_not_of(' ') == std::string::npos) {
    return std::optional<CellTime>();
  }
  const std::optional<Milliseconds> time = document::ReadCellTime(cell);
  if (!time) {
    return UnreadableTimeError(row, cell);
  }
  const size_t first = cell.find_first_not_of(' ');
  const size_t space = cell.find(' ', first);
  return std::optional<CellTime>(
      CellTime{*time, space == std::string::npos ? std::string() : cell.substr(space)});
}

}  // namespace

Milliseconds TimeMapping::Apply(Milliseconds time) const {
  return std::llround(static_cast<double>(time) * scale + offset);
}

TimeMapping ShiftMapping(Milliseconds amount) {
  return {1.0, static_cast<double>(amount)};
}

std::optional<TimeMapping> SyncMapping(Milliseconds a, Milliseconds b, Milliseconds c,
                                       Milliseconds d) {
  if (a == c) {
    return std::nullopt;
  }
  const double scale = static_cast<double>(d - b) / static_cast<double>(c - a);
  return TimeMapping{scale, static_cast<double>(b) - static_cast<double>(a) * scale};
}

std::optional<TimeMapping> FrameRateMapping(double from, double to) {
  if (!(from > 0) || !(to > 0)) {
    return std::nullopt;
  }
  return TimeMapping{from / to, 0.0};
}

std::optional<double> ParseFrameRate(std::string_view typed) {
  while (!typed.empty() && typed.front() == ' ') {
    typed.remove_prefix(1);
  }
  while (!typed.empty() && typed.back() == ' ') {
    typed.remove_suffix(1);
  }
  std::optional<double> rate;
  if (const size_t slash = typed.find('/'); slash != std::string_view::npos) {
    const auto top = ParseDecimal(typed.substr(0, slash));
    const auto bottom = ParseDecimal(typed.substr(slash + 1));
    if (top && bottom && *bottom > 0) {
      rate = *top / *bottom;
    }
  } else {
    rate = ParseDecimal(typed);
    // The rounded names of the NTSC rates stand for their exact values, as players take them.
    for (const double exact : {24000.0, 30000.0, 48000.0, 60000.0}) {
      if (rate && std::abs(*rate - exact / 1001.0) < 0.0051) {
        rate = exact / 1001.0;
      }
    }
  }
  if (!rate || !(*rate > 0)) {
    return std::nullopt;
  }
  return rate;
}

text::Result<TimeMapping> ParseSyncPoints(std::string_view typed) {
  const std::string form = "expected A=B,C=D (old time = new time, twice)";
  const size_t comma = typed.find(',');
  if (comma == std::string_view::npos) {
    return Usage(form);
  }
  Milliseconds times[4];
  const std::string_view points[2] = {typed.substr(0, comma), typed.substr(comma + 1)};
  for (int point = 0; point < 2; ++point) {
    const size_t equals = points[point].find('=');
    if (equals == std::string_view::npos) {
      return Usage(form);
    }
    const auto old_time = document::ParseTimeAmount(points[point].substr(0, equals));
    const auto new_time = document::ParseTimeAmount(points[point].substr(equals + 1));
    if (!old_time || !new_time) {
      return Usage(form);
    }
    times[point * 2] = *old_time;
    times[point * 2 + 1] = *new_time;
  }
  const auto mapping = SyncMapping(times[0], times[1], times[2], times[3]);
  if (!mapping) {
    return Usage("the two synchronisation points must name two different old times");
  }
  return *mapping;
}

RowSpan AllRows(const document::SubtitleDocument& document) {
  return {1, document.main.DataRowCount()};
}

text::Result<RowSpan> ParseRowSpan(std::string_view typed, int data_rows) {
  const std::string form = "expected rows as R, R1-R2 or R1- (numbers from 1)";
  const size_t dash = typed.find('-');
  const auto first = ParseRowNumber(typed.substr(0, dash));
  if (!first) {
    return Usage(form);
  }
  int last = *first;
  if (dash != std::string_view::npos) {
    const std::string_view tail = typed.substr(dash + 1);
    const auto parsed = tail.empty() ? std::optional<int>(data_rows) : ParseRowNumber(tail);
    if (!parsed) {
      return Usage(form);
    }
    last = *parsed;
  }
  if (last < *first) {
    return Usage("the last row of --rows comes before its first");
  }
  if (*first > data_rows) {
    return Usage("--rows names no row: the subtitle has " + std::to_string(data_rows) + " rows");
  }
  return RowSpan{*first, std::min(last, data_rows)};
}

text::Result<TimesChanged> ChangeTimes(RowTable& table, const TimeMapping& mapping, RowSpan rows) {
  const int first = std::max(rows.first, 1);
  const int last = std::min(rows.last, table.DataRowCount());
  // Every cell read first, so that an unreadable one leaves the table as it was.
  std::vector<std::optional<CellTime>> times;
  for (int row = first; row <= last; ++row) {
    for (const int column : {kStart, kEnd}) {
      auto read = ReadTimeCell(table, column, row);
      if (!read.ok()) {
        return read.error();
      }
      times.push_back(std::move(read).value());
    }
  }
  TimesChanged changed;
  size_t index = 0;
  for (int row = first; row <= last; ++row) {
    bool row_changed = false;
    for (const int column : {kStart, kEnd}) {
      const std::optional<CellTime>& time = times[index++];
      if (!time) {
        continue;
      }
      Milliseconds moved = mapping.Apply(time->time);
      if (moved < 0) {
        moved = 0;
        ++changed.clamped;
      }
      std::string cell = document::FormatSubtitleTime(moved) + time->tail;
      if (cell != table.Cell(column, row)) {
        table.SetCell(column, row, std::move(cell));
        row_changed = true;
      }
    }
    if (row_changed) {
      std::string marks = table.Cell(kChangeMarks, row);
      if (AddChangeMark(marks, kTimeMark)) {
        table.SetCell(kChangeMarks, row, std::move(marks));
      }
      ++changed.rows;
    }
  }
  return changed;
}

text::Result<TimesChanged> ChangeTimes(document::SubtitleDocument& document,
                                       const TimeMapping& mapping, RowSpan rows) {
  const document::EditStep step(document, document::EditKind::kTimeChange);
  auto changed = ChangeTimes(document.main, mapping, rows);
  if (changed.ok() && changed.value().rows > 0) {
    document.document_saved = false;
  }
  return changed;
}

TimeFault TimeFaultOf(const RowTable& table, int row) {
  if (!table.IsDataRow(row)) {
    return TimeFault::kNone;
  }
  const auto start = document::ReadCellTime(table.Cell(kStart, row));
  const auto end = document::ReadCellTime(table.Cell(kEnd, row));
  if (start && end && *end < *start) {
    return TimeFault::kEndBeforeStart;
  }
  if (start && row > 1) {
    const auto end_above = document::ReadCellTime(table.Cell(kEnd, row - 1));
    if (end_above && *start < *end_above) {
      return TimeFault::kOverlap;
    }
  }
  return TimeFault::kNone;
}

}  // namespace proof

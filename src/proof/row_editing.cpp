// Row editing commands of the main grid and the end-time shift ranges.
#include "proof/row_editing.h"

#include <algorithm>

#include "document/subtitle_time.h"
#include "proof/char_search.h"

namespace proof {
namespace {

using document::kBaseEnd;
using document::kBaseStart;
using document::kBaseText;
using document::kChangeMarks;
using document::kEnd;
using document::kNumber;
using document::kShiftMark;
using document::kStart;
using document::kText;
using document::RowTable;

constexpr int kRowHeight = 19;  // 18 pixels of row and 1 of grid line

void UpdateMarks(RowTable& table, int row, char letter, bool add) {
  std::string marks = table.Cell(kChangeMarks, row);
  if (add ? AddChangeMark(marks, letter) : RemoveChangeMark(marks, letter)) {
    table.SetCell(kChangeMarks, row, std::move(marks));
  }
}

void FillNewRowDefaults(RowTable& table, int row) {
  table.SetCell(document::kStyle, row, "Default");
  table.SetCell(document::kMarginL, row, "0000");
  table.SetCell(document::kMarginR, row, "0000");
  table.SetCell(document::kMarginV, row, "0000");
}

int CurrentRow(const document::SubtitleDocument& document) {
  return std::clamp(document.current_row, 1, document.main.DataRowCount());
}

bool Confirmed(ports::MessagePort& questions, const ports::MessageSource& messages, int question) {
  return questions.Ask({messages.Message(question), messages.Message(kConfirmCaption),
                        ports::Buttons::kOkCancel}) == ports::Answer::kOk;
}

// The end of `row` as milliseconds, or the error naming the row.
text::Result<document::Milliseconds> ReadTime(const RowTable& table, int column, int row) {
  const std::string& cell = table.Cell(column, row);
  const std::optional<document::Milliseconds> value = document::ParseSubtitleTime(cell);
  if (!value) {
    return UnreadableTimeError(row, cell);
  }
  return *value;
}

// The rows whose end moves with a shift that starts below `row`: down to and including the
// next row marked "<-", or to the last row. Returns the last row of the range.
int ShiftRangeEnd(const RowTable& table, int row) {
  const int last = table.DataRowCount();
  for (int r = row + 1; r <= last; ++r) {
    if (table.Cell(kShiftMark, r) == kShiftClose) {
      return r;
    }
  }
  return last;
}

// Moves the ends of rows row+1 .. ShiftRangeEnd by `row`'s end minus its base end. Every time is
// read before the first is written, so an unreadable one leaves the table untouched.
text::Status ShiftRange(RowTable& table, int row) {
  const auto end = ReadTime(table, kEnd, row);
  if (!end.ok()) {
    return end.error();
  }
  const auto base_end = ReadTime(table, kBaseEnd, row);
  if (!base_end.ok()) {
    return base_end.error();
  }
  const document::Milliseconds shift = end.value() - base_end.value();
  const int range_end = ShiftRangeEnd(table, row);
  std::vector<document::Milliseconds> ends;
  for (int r = row + 1; r <= range_end; ++r) {
    const auto value = ReadTime(table, kEnd, r);
    if (!value.ok()) {
      return value.error();
    }
    ends.push_back(value.value());
  }
  for (int r = row + 1; r <= range_end; ++r) {
    table.SetCell(kEnd, r, document::FormatSubtitleTime(ends[r - row - 1] + shift));
    UpdateMarks(table, r, kTimeMark, true);
  }
  return text::Success();
}

}  // namespace

bool IsArrowKey(int key_code) {
  return key_code >= 37 && key_code <= 40;
}

text::Error UnreadableTimeError(int row, const std::string& time) {
  // "第 N 行的时间无法识别："
  return text::Error{"time",
                     "\xB5\xDA " + std::to_string(row) +
                         " \xD0\xD0\xB5\xC4\xCA\xB1\xBC\xE4\xCE\xDE\xB7\xA8\xCA\xB6\xB1\xF0"
                         "\xA3\xBA\"" +
                         time + "\"",
                     row};
}

bool NoteKeyTyped(document::SubtitleDocument& document, int row, int column) {
  RowTable& table = document.main;
  if (column == kText) {
    UpdateMarks(table, row, kTextMark, true);
  } else if (column == kStart || column == kEnd) {
    UpdateMarks(table, row, kTimeMark, true);
  } else if (column >= document::kStyle && column <= document::kMarginV) {
    UpdateMarks(table, row, kStyleMark, true);
  } else {
    return false;  // number, picture, marks and base values are not typed into
  }
  document.document_saved = false;
  return true;
}

bool StoreTypedCell(document::SubtitleDocument& document, int column, int row, std::string value) {
  RowTable& table = document.main;
  if (!table.IsDataRow(row) || column < kText || column > document::kMarginV ||
      column == document::kPicture || column == kChangeMarks || column == kShiftMark) {
    return false;
  }
  if (table.Cell(column, row) == value) {
    return true;
  }
  const document::EditStep step(document, document::EditKind::kCellEdit);
  table.SetCell(column, row, std::move(value));
  // The same marks the typing rule gives, so a value typed and committed marks its row.
  const char letter = column == kText ? kTextMark : (column <= kEnd ? kTimeMark : kStyleMark);
  UpdateMarks(table, row, letter, true);
  document.document_saved = false;
  return true;
}

void InsertRowBefore(document::SubtitleDocument& document) {
  const document::EditStep step(document, document::EditKind::kInsertRow);
  RowTable& table = document.main;
  const int row = CurrentRow(document);
  // The number cells belong to the grid positions, not to the rows that move through them:
  // they stay, and the new last row is numbered by its index.
  table.InsertRowKeepingColumn(row, kNumber, std::to_string(table.RowCount()));
  FillNewRowDefaults(table, row);
  document.current_row = row;
}

void InsertRowAfter(document::SubtitleDocument& document) {
  const document::EditStep step(document, document::EditKind::kInsertRow);
  RowTable& table = document.main;
  const int row = CurrentRow(document);
  if (row < table.DataRowCount()) {
    document.current_row = row + 1;
    InsertRowBefore(document);
    return;
  }
  const int added = table.AppendRow();
  table.SetCell(kNumber, added, std::to_string(added));
  FillNewRowDefaults(table, added);
  document.current_row = added;
}

bool DeleteCurrentRow(document::SubtitleDocument& document, ports::MessagePort& questions,
                      const ports::MessageSource& messages) {
  if (!Confirmed(questions, messages, kDeleteRowQuestion)) {
    return false;
  }
  const document::EditStep step(document, document::EditKind::kDeleteRow);
  RowTable& table = document.main;
  const int row = CurrentRow(document);
  table.RemoveRowKeepingColumn(row, kNumber);  // numbers stay in grid order
  document.current_row = std::min(row, table.DataRowCount());
  document.document_saved = false;
  return true;
}

int DeleteRows(document::SubtitleDocument& document, int first, int last) {
  RowTable& table = document.main;
  first = std::max(first, 1);
  last = std::min(last, table.DataRowCount());
  if (first > last) {
    return 0;
  }
  const document::EditStep step(document, document::EditKind::kDeleteRows);
  // From the bottom up, so that the rows still to go keep their numbers.
  for (int row = last; row >= first; --row) {
    table.RemoveRowKeepingColumn(row, kNumber);
  }
  document.current_row = std::min(first, table.DataRowCount());
  document.document_saved = false;
  return last - first + 1;
}

bool MergeRows(document::SubtitleDocument& document, int first, int last) {
  RowTable& table = document.main;
  first = std::max(first, 1);
  last = std::min(last, table.DataRowCount());
  if (last <= first) {
    return false;
  }
  const document::EditStep step(document, document::EditKind::kMergeRows);
  std::string merged;
  for (int row = first; row <= last; ++row) {
    const std::string& text = table.Cell(kText, row);
    if (!text.empty()) {
      merged += (merged.empty() ? "" : "\\N") + text;
    }
  }
  std::string end = table.Cell(kEnd, last);
  for (int row = last; row > first; --row) {
    table.RemoveRowKeepingColumn(row, kNumber);
  }
  if (table.Cell(kText, first) != merged) {
    table.SetCell(kText, first, std::move(merged));
    UpdateMarks(table, first, kTextMark, true);
  }
  if (table.Cell(kEnd, first) != end) {
    table.SetCell(kEnd, first, std::move(end));
    UpdateMarks(table, first, kTimeMark, true);
  }
  document.current_row = first;
  document.document_saved = false;
  return true;
}

text::Result<int> SplitRows(document::SubtitleDocument& document, int first, int last) {
  RowTable& table = document.main;
  first = std::max(first, 1);
  last = std::min(last, table.DataRowCount());
  const auto lines_of = [](const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t at = text.find("\\N"); at != std::string::npos; at = text.find("\\N", from)) {
      lines.push_back(text.substr(from, at - from));
      from = at + 2;
    }
    lines.push_back(text.substr(from));
    return lines;
  };
  // The times of every row to split, read before anything changes.
  struct Split {
    int row;
    std::vector<std::string> lines;
    document::Milliseconds start;
    document::Milliseconds end;
  };
  std::vector<Split> splits;
  for (int row = first; row <= last; ++row) {
    std::vector<std::string> lines = lines_of(table.Cell(kText, row));
    if (lines.size() < 2) {
      continue;
    }
    const auto start = ReadTime(table, kStart, row);
    if (!start.ok()) {
      return start.error();
    }
    const auto end = ReadTime(table, kEnd, row);
    if (!end.ok()) {
      return end.error();
    }
    splits.push_back({row, std::move(lines), start.value(), std::max(start.value(), end.value())});
  }
  if (splits.empty()) {
    return 0;
  }
  const document::EditStep step(document, document::EditKind::kSplitRows);
  int added = 0;
  // From the bottom up, so that the rows still to split keep their numbers.
  for (auto split = splits.rbegin(); split != splits.rend(); ++split) {
    const int row = split->row;
    const auto count = static_cast<document::Milliseconds>(split->lines.size());
    const document::Milliseconds length = split->end - split->start;
    for (int part = static_cast<int>(count) - 1; part >= 0; --part) {
      // Each later line goes in just below the row, pushing the lines after it down.
      const int target = part > 0 ? row + 1 : row;
      if (part > 0) {
        table.InsertRowKeepingColumn(target, kNumber, std::to_string(table.RowCount()));
        for (int column = document::kStyle; column <= document::kMarginV; ++column) {
          table.SetCell(column, target, table.Cell(column, row));
        }
        ++added;
      }
      table.SetCell(kText, target, split->lines[static_cast<size_t>(part)]);
      table.SetCell(kStart, target,
                    document::FormatSubtitleTime(split->start + length * part / count));
      table.SetCell(kEnd, target,
                    document::FormatSubtitleTime(split->start + length * (part + 1) / count));
      UpdateMarks(table, target, kTimeMark, true);
      UpdateMarks(table, target, kTextMark, true);
    }
  }
  document.current_row = first;
  document.document_saved = false;
  return added;
}

RestoreEnd RestoreTime(document::SubtitleDocument& document, ports::MessagePort& questions,
                       const ports::MessageSource& messages) {
  RowTable& table = document.main;
  const int row = CurrentRow(document);
  if (table.Cell(kStart, row) == table.Cell(kBaseStart, row) &&
      table.Cell(kEnd, row) == table.Cell(kBaseEnd, row)) {
    return RestoreEnd::kAlreadyBase;
  }
  if (!Confirmed(questions, messages, kRestoreTimeQuestion)) {
    return RestoreEnd::kCancelled;
  }
  const document::EditStep step(document, document::EditKind::kRestoreTime);
  table.SetCell(kStart, row, table.Cell(kBaseStart, row));
  table.SetCell(kEnd, row, table.Cell(kBaseEnd, row));
  UpdateMarks(table, row, kTimeMark, false);
  return RestoreEnd::kRestored;
}

RestoreEnd RestoreText(document::SubtitleDocument& document, ports::MessagePort& questions,
                       const ports::MessageSource& messages) {
  RowTable& table = document.main;
  const int row = CurrentRow(document);
  if (table.Cell(kText, row) == table.Cell(kBaseText, row)) {
    return RestoreEnd::kAlreadyBase;
  }
  if (!Confirmed(questions, messages, kRestoreTextQuestion)) {
    return RestoreEnd::kCancelled;
  }
  const document::EditStep step(document, document::EditKind::kRestoreText);
  table.SetCell(kText, row, table.Cell(kBaseText, row));
  UpdateMarks(table, row, kTextMark, false);
  return RestoreEnd::kRestored;
}

std::optional<GridCell> CellUnderPointer(int x, int y, int top_row,
                                         const std::vector<int>& column_widths, int row_count) {
  // The heading row always sits on top: a pointer there is no data cell, even when the grid is
  // scrolled and the row formula would name the row above the first visible one.
  if (x < 0 || y < kRowHeight || column_widths.empty()) {
    return std::nullopt;
  }
  const int row = y / kRowHeight + top_row - 1;
  if (row < 1 || row >= row_count) {
    return std::nullopt;
  }
  int right_edge = 0;
  for (int column = 0; column < static_cast<int>(column_widths.size()); ++column) {
    right_edge += column_widths[column] + 1;
    if (x <= right_edge) {
      return GridCell{column, row};
    }
  }
  return std::nullopt;
}

text::Result<ShiftChange> ToggleShiftMark(document::SubtitleDocument& document, int row) {
  RowTable& table = document.main;
  if (!table.IsDataRow(row)) {
    return text::Error{"row", "row " + std::to_string(row) + " is not a data row", row};
  }
  const document::EditStep step(document, document::EditKind::kShiftRange);
  const int last = table.DataRowCount();
  const std::string mark = table.Cell(kShiftMark, row);
  if (mark.empty()) {
    int open_ranges = 0;
    for (int r = 1; r < row; ++r) {
      const std::string& other = table.Cell(kShiftMark, r);
      open_ranges += other == kShiftOpen ? 1 : (other == kShiftClose ? -1 : 0);
    }
    if (open_ranges == 0) {
      if (table.Cell(kEnd, row) == table.Cell(kBaseEnd, row)) {
        return ShiftChange::kNone;
      }
      text::Status shifted = ShiftRange(table, row);
      if (!shifted.ok()) {
        return shifted.error();
      }
      table.SetCell(kShiftMark, row, kShiftOpen);
      return ShiftChange::kOpened;
    }
    if (open_ranges != 1) {
      return ShiftChange::kNone;
    }
    table.SetCell(kShiftMark, row, kShiftClose);
    for (int r = row + 1; r <= last && table.Cell(kShiftMark, r) != kShiftOpen; ++r) {
      table.SetCell(kEnd, r, table.Cell(kBaseEnd, r));
      table.SetCell(kShiftMark, r, "");
      UpdateMarks(table, r, kTimeMark, false);
    }
    return ShiftChange::kClosed;
  }
  if (mark == kShiftOpen) {
    table.SetCell(kShiftMark, row, "");
    const int range_end = ShiftRangeEnd(table, row);
    for (int r = row + 1; r <= range_end; ++r) {
      table.SetCell(kEnd, r, table.Cell(kBaseEnd, r));
      UpdateMarks(table, r, kTimeMark, false);
    }
    return ShiftChange::kOpenCleared;
  }
  if (mark == kShiftClose) {
    text::Status shifted = ShiftRange(table, row);
    if (!shifted.ok()) {
      return shifted.error();
    }
    table.SetCell(kShiftMark, row, "");
    return ShiftChange::kCloseCleared;
  }
  return ShiftChange::kNone;
}

}  // namespace proof

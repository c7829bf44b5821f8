// The reference subtitle's editing logic.
#include "proof/reference_editing.h"

#include <algorithm>

#include "document/subtitle_time.h"
#include "proof/char_search.h"
#include "proof/row_editing.h"

namespace proof {
namespace {

using document::kEnd;
using document::kNumber;
using document::kStart;
using document::kText;
using document::Milliseconds;
using document::RowTable;

constexpr std::string_view kLineBreak = "\\N";

text::Result<Milliseconds> ReadTime(const RowTable& table, int column, int row,
                                    std::string_view table_name) {
  const std::string& cell = table.Cell(column, row);
  if (const std::optional<Milliseconds> value = document::ParseSubtitleTime(cell)) {
    return *value;
  }
  text::Error error = UnreadableTimeError(row, cell);
  error.message = std::string(table_name) + ": " + error.message;
  return error;
}

}  // namespace

text::Result<std::optional<ReferenceSelection>> SelectReferenceRows(
    const document::SubtitleDocument& document, int main_row) {
  const RowTable& main = document.main;
  if (!main.IsDataRow(main_row) || main.Cell(kStart, main_row).empty() ||
      main.Cell(kEnd, main_row).empty()) {
    return std::optional<ReferenceSelection>();
  }
  const auto start = ReadTime(main, kStart, main_row, "main");
  if (!start.ok()) {
    return start.error();
  }
  const auto end = ReadTime(main, kEnd, main_row, "main");
  if (!end.ok()) {
    return end.error();
  }
  const Milliseconds s = start.value();
  const Milliseconds e = end.value();
  const RowTable& reference = document.reference;
  int first = 0;
  int last = 0;
  for (int row = 1; row <= reference.DataRowCount(); ++row) {
    const auto row_start = ReadTime(reference, kStart, row, "reference");
    if (!row_start.ok()) {
      return row_start.error();
    }
    const Milliseconds rs = row_start.value();
    if (rs > e) {
      break;
    }
    const auto row_end = ReadTime(reference, kEnd, row, "reference");
    if (!row_end.ok()) {
      return row_end.error();
    }
    const Milliseconds re = row_end.value();
    if (rs <= s && s <= re) {
      first = row;
    }
    if (first != 0) {
      last = row;
    }
    if (rs <= e && e <= re) {
      break;
    }
  }
  ReferenceSelection selection;
  if (first != 0) {
    selection = {last, first, last, kText, kText};
  }
  return std::optional<ReferenceSelection>(selection);
}

void CreateBlankFromReference(document::SubtitleDocument& document) {
  const RowTable& reference = document.reference;
  std::vector<std::vector<std::string>> rows;
  rows.reserve(reference.DataRowCount());
  for (int row = 1; row <= reference.DataRowCount(); ++row) {
    std::vector<std::string> cells(document::kMainColumnCount);
    cells[kNumber] = reference.Cell(kNumber, row);
    cells[kStart] = reference.Cell(kStart, row);
    cells[kEnd] = reference.Cell(kEnd, row);
    cells[document::kStyle] = "Default";
    cells[document::kMarginL] = "0000";
    cells[document::kMarginR] = "0000";
    cells[document::kMarginV] = "0000";
    cells[document::kBaseStart] = cells[kStart];
    cells[document::kBaseEnd] = cells[kEnd];
    rows.push_back(std::move(cells));
  }
  document.main.ReplaceRows(std::move(rows));
  document.document_saved = true;
  document.current_row = 1;
}

std::vector<std::string> SplitIntoLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  // "\N" is two ASCII bytes; it is looked for on character boundaries so that a two-byte
  // character ending in the backslash byte never splits a line.
  for (std::size_t at = FindOnCharBoundary(text, kLineBreak); at != 0;
       at = FindOnCharBoundary(text, kLineBreak, from)) {
    lines.emplace_back(text.substr(from, at - 1 - from));
    from = at - 1 + kLineBreak.size();
  }
  lines.emplace_back(text.substr(from));
  return lines;
}

std::string JoinEditorLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) {
      text += kLineBreak;
    }
    text += line;
  }
  return text;
}

RowEditor LoadMainRow(const document::SubtitleDocument& document, int row) {
  const RowTable& table = document.main;
  return {SplitIntoLines(table.Cell(kText, row)), table.Cell(kStart, row), table.Cell(kEnd, row)};
}

RowEditor LoadReferenceRow(const document::SubtitleDocument& document, int row) {
  const RowTable& table = document.reference;
  return {SplitIntoLines(table.Cell(kText, row)), table.Cell(kStart, row), table.Cell(kEnd, row)};
}

void TakeReferenceTimes(RowEditor& editor, const RowEditor& reference) {
  editor.start = reference.start;
  editor.end = reference.end;
}

bool StoreEditAndNext(document::SubtitleDocument& document, const RowEditor& editor) {
  RowTable& table = document.main;
  const int row = std::clamp(document.current_row, 1, table.DataRowCount());
  const std::string text = JoinEditorLines(editor.lines);
  const bool text_differs = text != table.Cell(kText, row);
  const bool time_differs =
      editor.start != table.Cell(kStart, row) || editor.end != table.Cell(kEnd, row);
  const bool stored = text_differs || time_differs;
  // The step takes the move to the next row with it, so its undo comes back to the stored row.
  const document::EditStep step(document, document::EditKind::kStoreRowEdit);
  if (stored) {
    std::string marks = table.Cell(document::kChangeMarks, row);
    if (text_differs) {
      AddChangeMark(marks, kTextMark);
    }
    if (time_differs) {
      AddChangeMark(marks, kTimeMark);
    }
    table.SetCell(document::kChangeMarks, row, std::move(marks));
    table.SetCell(kText, row, text);
    table.SetCell(kStart, row, editor.start);
    table.SetCell(kEnd, row, editor.end);
    document.document_saved = false;
  }
  document.current_row = std::min(row + 1, table.DataRowCount());
  return stored;
}

void DiscardEditAndNext(document::SubtitleDocument& document) {
  const int row = std::clamp(document.current_row, 1, document.main.DataRowCount());
  document.current_row = std::min(row + 1, document.main.DataRowCount());
}

void DashBeforeEachLine(std::vector<std::string>& lines) {
  if (lines.size() <= 1) {
    return;
  }
  for (std::string& line : lines) {
    if (line.empty() || line.front() != '-') {
      line.insert(line.begin(), '-');
    }
  }
}

}  // namespace proof

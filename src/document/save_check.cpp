// The save's look at the rows before writing them.
#include "document/save_check.h"

#include <algorithm>

#include "document/subtitle_time.h"
#include "text/gbk.h"

namespace document {

int SaveProblems::FirstRow() const {
  int first = 0;
  for (const std::vector<int>* rows : {&unreadable_times, &end_before_start, &unencodable}) {
    if (!rows->empty() && (first == 0 || rows->front() < first)) {
      first = rows->front();
    }
  }
  return first;
}

SaveProblems FindSaveProblems(const RowTable& table, OutputEncoding encoding) {
  SaveProblems problems;
  for (int row = 1; row < table.RowCount(); ++row) {
    const auto& cells = table.Row(row);
    const std::string& text = cells[kText];
    if (text.empty()) {
      continue;  // never written
    }
    // The writer's own test of a time, so that what is named here is what it would replace.
    const auto start = ReadCellTime(cells[kStart]);
    const auto end = ReadCellTime(cells[kEnd]);
    if (!start || !end) {
      problems.unreadable_times.push_back(row);
    } else if (*end < *start) {
      problems.end_before_start.push_back(row);
    }
    if (encoding != OutputEncoding::kGbk && text::HasNonAscii(text) &&
        text::GbkToUtf8(text).replaced > 0) {
      problems.unencodable.push_back(row);
    }
  }
  return problems;
}

std::vector<int> RowsWithoutText(const RowTable& table) {
  std::vector<int> rows;
  if (table.ColumnCount() <= kPicture) {
    return rows;
  }
  for (int row = 1; row < table.RowCount(); ++row) {
    if (table.Cell(kText, row).empty() && !table.Cell(kPicture, row).empty()) {
      rows.push_back(row);
    }
  }
  return rows;
}

}  // namespace document

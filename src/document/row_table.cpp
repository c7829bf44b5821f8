// RowTable storage and change notifications.
#include "document/row_table.h"

#include <cassert>
#include <utility>

namespace document {

RowTable::RowTable(int column_count)
    : column_count_(column_count),
      headings_(static_cast<size_t>(column_count)),
      rows_(1, std::vector<std::string>(static_cast<size_t>(column_count))) {}

const std::string& RowTable::Cell(int column, int row) const {
  assert(column >= 0 && column < column_count_);
  if (row == 0)
    return headings_[static_cast<size_t>(column)];
  assert(IsDataRow(row));
  return rows_[static_cast<size_t>(row - 1)][static_cast<size_t>(column)];
}

void RowTable::SetCell(int column, int row, std::string value) {
  assert(column >= 0 && column < column_count_);
  if (row == 0) {
    SetHeading(column, std::move(value));
    return;
  }
  assert(IsDataRow(row));
  auto& cell = rows_[static_cast<size_t>(row - 1)][static_cast<size_t>(column)];
  if (cell == value)
    return;
  if (history_.Recording()) {
    std::swap(cell, value);
    history_.RecordCell(column, row, std::move(value));
  } else {
    cell = std::move(value);
  }
  if (observer_ != nullptr)
    observer_->CellChanged(column, row);
}

void RowTable::SetHeading(int column, std::string heading) {
  assert(column >= 0 && column < column_count_);
  headings_[static_cast<size_t>(column)] = std::move(heading);
  if (observer_ != nullptr)
    observer_->CellChanged(column, 0);
}

void RowTable::Clear() {
  ReplaceRows({});
}

int RowTable::AppendRow() {
  const int row = RowCount();
  if (observer_ != nullptr)
    observer_->RowsAboutToBeInserted(row, row);
  rows_.emplace_back(static_cast<size_t>(column_count_));
  if (history_.Recording())
    history_.RecordInsertion(row);
  if (observer_ != nullptr)
    observer_->RowsInserted();
  return row;
}

void RowTable::InsertRow(int row) {
  assert(row >= 1 && row <= RowCount());
  if (observer_ != nullptr)
    observer_->RowsAboutToBeInserted(row, row);
  rows_.insert(rows_.begin() + (row - 1), std::vector<std::string>(column_count_));
  if (history_.Recording())
    history_.RecordInsertion(row);
  if (observer_ != nullptr)
    observer_->RowsInserted();
}

void RowTable::InsertRowKeepingColumn(int row, int kept_column, std::string last_value) {
  assert(kept_column >= 0 && kept_column < column_count_);
  std::vector<std::string> cells(static_cast<size_t>(column_count_));
  cells[static_cast<size_t>(kept_column)] = last_value;
  InsertFilledRow(row, std::move(cells), kept_column);
  if (history_.Recording())
    history_.RecordInsertion(row, kept_column, std::move(last_value));
}

void RowTable::RemoveRowKeepingColumn(int row, int kept_column) {
  assert(IsDataRow(row) && kept_column >= 0 && kept_column < column_count_);
  if (rows_.size() == 1) {
    for (int column = 0; column < column_count_; ++column) {
      if (column != kept_column)
        SetCell(column, row, {});
    }
    return;
  }
  std::vector<std::string> cells = TakeRow(row, kept_column);
  if (history_.Recording())
    history_.RecordRemoval(row, std::move(cells), kept_column);
}

void RowTable::RotateColumn(int column, int row, bool up) {
  // Each cell moves once along the chain (the strings' buffers move, nothing is copied), and
  // the cells a few rows ahead are fetched meanwhile: the rows lie apart in memory.
  constexpr size_t kAhead = 16;
  const size_t col = static_cast<size_t>(column);
  const size_t first = static_cast<size_t>(row - 1);
  const size_t last = rows_.size() - 1;
  if (up) {
    std::string moving = std::move(rows_[first][col]);
    for (size_t i = first; i < last; ++i) {
      if (i + kAhead <= last)
        __builtin_prefetch(&rows_[i + kAhead][col], 1);
      rows_[i][col] = std::move(rows_[i + 1][col]);
    }
    rows_[last][col] = std::move(moving);
  } else {
    std::string moving = std::move(rows_[last][col]);
    for (size_t i = last; i > first; --i) {
      if (i >= first + kAhead)
        __builtin_prefetch(&rows_[i - kAhead][col], 1);
      rows_[i][col] = std::move(rows_[i - 1][col]);
    }
    rows_[first][col] = std::move(moving);
  }
  // The kept cells stay where the view shows them, but the rows under them changed.
  if (observer_ != nullptr) {
    observer_->CellChanged(column, row);
    observer_->CellChanged(column, static_cast<int>(rows_.size()));
  }
}

void RowTable::InsertFilledRow(int row, std::vector<std::string> cells, int kept_column) {
  assert(row >= 1 && row <= RowCount());
  cells.resize(static_cast<size_t>(column_count_));
  if (observer_ != nullptr)
    observer_->RowsAboutToBeInserted(row, row);
  rows_.insert(rows_.begin() + (row - 1), std::move(cells));
  if (observer_ != nullptr)
    observer_->RowsInserted();
  // The new row's kept cell goes to the last row; the others stay at their positions.
  if (kept_column >= 0)
    RotateColumn(kept_column, row, true);
}

std::vector<std::string> RowTable::TakeRow(int row, int kept_column) {
  assert(IsDataRow(row) && rows_.size() > 1);
  // The last row's kept cell goes with the removed row; the others stay at their positions.
  if (kept_column >= 0)
    RotateColumn(kept_column, row, false);
  if (observer_ != nullptr)
    observer_->RowsAboutToBeRemoved(row, row);
  std::vector<std::string> cells = std::move(rows_[static_cast<size_t>(row - 1)]);
  rows_.erase(rows_.begin() + (row - 1));
  if (observer_ != nullptr)
    observer_->RowsRemoved();
  return cells;
}

void RowTable::SwapCell(int column, int row, std::string& value) {
  assert(column >= 0 && column < column_count_ && IsDataRow(row));
  std::swap(rows_[static_cast<size_t>(row - 1)][static_cast<size_t>(column)], value);
  if (observer_ != nullptr)
    observer_->CellChanged(column, row);
}

void RowTable::RemoveRow(int row) {
  assert(IsDataRow(row));
  if (rows_.size() == 1) {
    for (int column = 0; column < column_count_; ++column)
      SetCell(column, row, {});
    return;
  }
  if (observer_ != nullptr)
    observer_->RowsAboutToBeRemoved(row, row);
  // The history keeps the removed cells themselves, so an undo puts back the very row.
  std::vector<std::string> cells = std::move(rows_[static_cast<size_t>(row - 1)]);
  rows_.erase(rows_.begin() + (row - 1));
  if (history_.Recording())
    history_.RecordRemoval(row, std::move(cells));
  if (observer_ != nullptr)
    observer_->RowsRemoved();
}

void RowTable::ReplaceRows(std::vector<std::vector<std::string>> rows) {
  if (observer_ != nullptr)
    observer_->AboutToReset();
  rows_ = std::move(rows);
  for (auto& row : rows_)
    row.resize(static_cast<size_t>(column_count_));
  if (rows_.empty())
    rows_.emplace_back(static_cast<size_t>(column_count_));
  // A new table (open, close, blank subtitle): no earlier step can be applied to it.
  history_.RecordReset();
  if (observer_ != nullptr)
    observer_->ResetDone();
}

const std::vector<std::string>& RowTable::Row(int row) const {
  assert(IsDataRow(row));
  return rows_[static_cast<size_t>(row - 1)];
}

}  // namespace document

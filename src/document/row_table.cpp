// RowTable storage and change notifications.
#include "document/row_table.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace document {
void CellColumn::Assign(std::size_t count, const std::string& value) {
  storage_.assign(count, value);
  front_ = 0;
}

void CellColumn::Assign(std::deque<std::string>& cells) {
  Free();
  storage_.reserve(cells.size());
  while (!cells.empty()) {
    storage_.push_back(std::move(cells.front()));
    cells.pop_front();  // the gathered blocks go as the cells move over
  }
}

void CellColumn::Free() {
  std::vector<std::string>().swap(storage_);
  front_ = 0;
}

void CellColumn::ReserveOneMore() {
  if (storage_.size() == storage_.capacity())
    storage_.reserve(storage_.capacity() + storage_.capacity() / 8 + 16);
}

void CellColumn::Insert(std::size_t index, std::string value) {
  const std::size_t count = size();
  if (index < count / 2) {
    if (front_ == 0) {
      // Room at the front for this insertion and later ones: every cell moves, this once.
      const std::size_t room = std::max<std::size_t>(16, count / 8);
      storage_.insert(storage_.begin(), room, std::string());
      front_ = room;
    }
    std::string* first = begin();
    std::move(first, first + index, first - 1);
    --front_;
    storage_[front_ + index] = std::move(value);
    return;
  }
  ReserveOneMore();
  storage_.insert(storage_.begin() + static_cast<std::ptrdiff_t>(front_ + index), std::move(value));
}

std::string CellColumn::Take(std::size_t index) {
  std::string value = std::move((*this)[index]);
  if (index < size() / 2) {
    std::string* first = begin();
    std::move_backward(first, first + index, first + index + 1);
    std::string().swap(storage_[front_]);
    ++front_;
  } else {
    storage_.erase(storage_.begin() + static_cast<std::ptrdiff_t>(front_ + index));
  }
  return value;
}

TableColumns::TableColumns(int column_count) : columns_(static_cast<size_t>(column_count)) {}

void TableColumns::AppendRow(std::vector<std::string>& cells) {
  cells.resize(columns_.size());
  for (size_t column = 0; column < columns_.size(); ++column) {
    Gathered& stored = columns_[column];
    std::string& value = cells[column];
    if (stored.cells.empty()) {
      if (row_count_ == 0) {
        stored.uniform = std::move(value);
        value.clear();
        continue;
      }
      if (value == stored.uniform) {
        value.clear();
        continue;
      }
      stored.cells.assign(static_cast<size_t>(row_count_), stored.uniform);
      stored.uniform.clear();
    }
    stored.cells.push_back(std::move(value));
    value.clear();
  }
  ++row_count_;
}

RowTable::RowTable(int column_count)
    : column_count_(column_count),
      headings_(static_cast<size_t>(column_count)),
      columns_(static_cast<size_t>(column_count)) {}

const std::string& RowTable::Cell(int column, int row) const {
  assert(column >= 0 && column < column_count_);
  if (row == 0)
    return headings_[static_cast<size_t>(column)];
  assert(IsDataRow(row));
  const ColumnCells& stored = columns_[static_cast<size_t>(column)];
  return stored.cells.empty() ? stored.uniform : stored.cells[static_cast<size_t>(row - 1)];
}

void RowTable::Spread(ColumnCells& column) const {
  if (column.cells.empty()) {
    column.cells.Assign(static_cast<size_t>(data_rows_), column.uniform);
    column.uniform.clear();
  }
}

std::string& RowTable::MutableCell(int column, int row) {
  ColumnCells& stored = columns_[static_cast<size_t>(column)];
  Spread(stored);
  return stored.cells[static_cast<size_t>(row - 1)];
}

std::vector<std::string> RowTable::RowCells(int row) const {
  assert(IsDataRow(row));
  std::vector<std::string> cells;
  cells.reserve(static_cast<size_t>(column_count_));
  for (int column = 0; column < column_count_; ++column)
    cells.push_back(Cell(column, row));
  return cells;
}

void RowTable::SetCell(int column, int row, std::string value) {
  assert(column >= 0 && column < column_count_);
  if (row == 0) {
    SetHeading(column, std::move(value));
    return;
  }
  assert(IsDataRow(row));
  if (Cell(column, row) == value)
    return;
  auto& cell = MutableCell(column, row);
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
  for (ColumnCells& stored : columns_) {
    if (!stored.uniform.empty())
      Spread(stored);
    if (!stored.cells.empty())
      stored.cells.Insert(stored.cells.size(), std::string());
  }
  ++data_rows_;
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
  for (ColumnCells& stored : columns_) {
    if (!stored.uniform.empty())
      Spread(stored);
    if (!stored.cells.empty())
      stored.cells.Insert(static_cast<size_t>(row - 1), std::string());
  }
  ++data_rows_;
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
  if (data_rows_ == 1) {
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
  auto& cells = columns_[static_cast<size_t>(column)].cells;
  if (!cells.empty()) {
    // The column's cells lie side by side: the strings' buffers move, nothing is copied.
    const auto first = cells.begin() + (row - 1);
    if (up)
      std::rotate(first, first + 1, cells.end());
    else
      std::rotate(first, cells.end() - 1, cells.end());
  }
  // The kept cells stay where the view shows them, but the rows under them changed.
  if (observer_ != nullptr) {
    observer_->CellChanged(column, row);
    observer_->CellChanged(column, data_rows_);
  }
}

void RowTable::InsertFilledRow(int row, std::vector<std::string> cells, int kept_column) {
  assert(row >= 1 && row <= RowCount());
  cells.resize(static_cast<size_t>(column_count_));
  if (observer_ != nullptr)
    observer_->RowsAboutToBeInserted(row, row);
  for (size_t column = 0; column < columns_.size(); ++column) {
    ColumnCells& stored = columns_[column];
    if (stored.cells.empty()) {
      if (cells[column] == stored.uniform)
        continue;
      Spread(stored);
    }
    stored.cells.Insert(static_cast<size_t>(row - 1), std::move(cells[column]));
  }
  ++data_rows_;
  if (observer_ != nullptr)
    observer_->RowsInserted();
  // The new row's kept cell goes to the last row; the others stay at their positions.
  if (kept_column >= 0)
    RotateColumn(kept_column, row, true);
}

std::vector<std::string> RowTable::TakeRow(int row, int kept_column) {
  assert(IsDataRow(row) && data_rows_ > 1);
  // The last row's kept cell goes with the removed row; the others stay at their positions.
  if (kept_column >= 0)
    RotateColumn(kept_column, row, false);
  if (observer_ != nullptr)
    observer_->RowsAboutToBeRemoved(row, row);
  std::vector<std::string> cells(static_cast<size_t>(column_count_));
  for (size_t column = 0; column < columns_.size(); ++column) {
    ColumnCells& stored = columns_[column];
    if (stored.cells.empty()) {
      cells[column] = stored.uniform;
      continue;
    }
    cells[column] = stored.cells.Take(static_cast<size_t>(row - 1));
  }
  --data_rows_;
  if (observer_ != nullptr)
    observer_->RowsRemoved();
  return cells;
}

void RowTable::SwapCell(int column, int row, std::string& value) {
  assert(column >= 0 && column < column_count_ && IsDataRow(row));
  const ColumnCells& stored = columns_[static_cast<size_t>(column)];
  if (!stored.cells.empty() || value != stored.uniform)
    std::swap(MutableCell(column, row), value);
  if (observer_ != nullptr)
    observer_->CellChanged(column, row);
}

void RowTable::RemoveRow(int row) {
  assert(IsDataRow(row));
  if (data_rows_ == 1) {
    for (int column = 0; column < column_count_; ++column)
      SetCell(column, row, {});
    return;
  }
  // The history keeps the removed cells themselves, so an undo puts back the very row.
  std::vector<std::string> cells = TakeRow(row, -1);
  if (history_.Recording())
    history_.RecordRemoval(row, std::move(cells));
}

void RowTable::ReplaceRows(std::vector<std::vector<std::string>> rows) {
  TableColumns columns(column_count_);
  for (auto& cells : rows) {
    columns.AppendRow(cells);
    std::vector<std::string>().swap(cells);
  }
  ReplaceColumns(std::move(columns));
}

void RowTable::ReplaceColumns(TableColumns columns) {
  if (observer_ != nullptr)
    observer_->AboutToReset();
  columns.columns_.resize(static_cast<size_t>(column_count_));
  if (columns.row_count_ == 0) {
    // No rows: one data row of empty cells.
    for (auto& gathered : columns.columns_)
      gathered = {};
    columns.row_count_ = 1;
  }
  data_rows_ = columns.row_count_;
  // Column by column, so that each column's cells lie together and the gathered ones go as
  // they are moved over.
  for (size_t column = 0; column < columns_.size(); ++column) {
    ColumnCells& stored = columns_[column];
    stored.cells.Free();
    stored.uniform = std::move(columns.columns_[column].uniform);
    stored.cells.Assign(columns.columns_[column].cells);
  }
  // A new table (open, close, blank subtitle): no earlier step can be applied to it.
  history_.RecordReset();
  if (observer_ != nullptr)
    observer_->ResetDone();
}

}  // namespace document

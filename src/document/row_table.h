// RowTable: a grid of GBK text cells with fixed columns, the storage of the main subtitle and of
// the reference subtitle, reporting every change to an observer (the window's table model).
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "document/edit_history.h"

namespace document {

// Columns of the main table. The reference table uses only the first four (number, text,
// start, end) with the same meaning.
enum Column : int {
  kNumber = 0,
  kText = 1,   // lines separated by the two characters "\N"
  kStart = 2,  // SubtitleTime "hh:mm:ss.zzz"
  kEnd = 3,
  kPicture = 4,      // bitmap file name relative to the picture folder (picture subtitles)
  kChangeMarks = 5,  // "T", "C", "P" letters, each at most once
  kShiftMark = 6,    // "->", "<-" or empty
  kStyle = 7,
  kMarginL = 8,
  kMarginR = 9,
  kMarginV = 10,
  kBaseStart = 11,  // start as read or as last saved
  kBaseEnd = 12,
  kBaseText = 13,
  // Fields of the file the other columns do not hold, kept for writing back (see kept_fields.h):
  // an ASS event's layer, name and effect, an SRT or WebVTT time line's position fields. Never
  // shown; empty for rows typed or recognised here.
  kKeptFields = 14,
};
inline constexpr int kMainColumnCount = 15;
inline constexpr int kReferenceColumnCount = 4;

// Told about every change of a RowTable, in begin/end pairs, so that a view model can follow
// without copying the data. Row numbers are table row numbers (data rows start at 1).
class TableObserver {
 public:
  virtual ~TableObserver() = default;
  virtual void RowsAboutToBeInserted(int first, int last) = 0;
  virtual void RowsInserted() = 0;
  virtual void RowsAboutToBeRemoved(int first, int last) = 0;
  virtual void RowsRemoved() = 0;
  virtual void CellChanged(int column, int row) = 0;
  virtual void AboutToReset() = 0;
  virtual void ResetDone() = 0;
};

// The cells of one column side by side, with room kept free at the front as well as at the
// back: a row inserted or removed moves only the cells on its shorter side, and a step over
// many rows walks memory in order.
class CellColumn {
 public:
  bool empty() const {
    return storage_.size() == front_;
  }
  std::size_t size() const {
    return storage_.size() - front_;
  }
  std::string& operator[](std::size_t index) {
    return storage_[front_ + index];
  }
  const std::string& operator[](std::size_t index) const {
    return storage_[front_ + index];
  }
  std::string* begin() {
    return storage_.data() + front_;
  }
  std::string* end() {
    return storage_.data() + storage_.size();
  }
  // `count` cells holding `value`.
  void Assign(std::size_t count, const std::string& value);
  // From cells gathered one by one (moved out).
  void Assign(std::deque<std::string>& cells);
  // Inserts `value` so that it becomes cell `index` (0 .. size()).
  void Insert(std::size_t index, std::string value);
  // Removes cell `index` and gives its value back.
  std::string Take(std::size_t index);
  void Free();

 private:
  // Makes room for one more cell at the back, growing by an eighth rather than doubling.
  void ReserveOneMore();

  std::vector<std::string> storage_;
  std::size_t front_ = 0;  // storage_[0, front_) is free room
};

// One column's cells: one value a row, or, while every cell of the column holds the same value,
// that value alone (a column of empty cells, or of the same style, takes no memory).
struct ColumnCells {
  CellColumn cells;  // empty while the column is uniform
  std::string uniform;
};

// Rows gathered column by column for loading a whole table at once (a reader), without a row
// of cell objects each.
class TableColumns {
 public:
  explicit TableColumns(int column_count);

  int RowCount() const {
    return row_count_;
  }
  // Appends a row holding `cells` (cut or padded to the column count). The cells are moved
  // out and left empty, so the caller can fill them again for the next row.
  void AppendRow(std::vector<std::string>& cells);

 private:
  friend class RowTable;
  struct Gathered {
    std::deque<std::string> cells;  // empty while the column is uniform
    std::string uniform;
  };
  std::vector<Gathered> columns_;
  int row_count_ = 0;
};

// Row 0 is the heading row; data rows are 1 to RowCount() - 1, and there is always at least one
// data row (an empty table is one data row of empty cells). Cells are addressed (column, row) as
// in the grid. Out-of-range access is a programming error (asserted); callers check RowCount().
// The cells are kept column by column, and a column whose cells are all alike takes no memory,
// so a long subtitle costs little and a step over many rows walks memory in order. A reference
// to a cell is good until the next change of the table.
// Every change of a data row goes through the methods below, which record it in the table's
// EditHistory once that is enabled (the main subtitle's table), so nothing escapes undo.
class RowTable {
 public:
  explicit RowTable(int column_count);

  int ColumnCount() const {
    return column_count_;
  }
  // Number of grid rows including the heading row: always >= 2.
  int RowCount() const {
    return data_rows_ + 1;
  }
  // Number of data rows (RowCount() - 1).
  int DataRowCount() const {
    return data_rows_;
  }
  bool IsDataRow(int row) const {
    return row >= 1 && row < RowCount();
  }

  const std::string& Cell(int column, int row) const;
  void SetCell(int column, int row, std::string value);

  const std::string& Heading(int column) const {
    return headings_[column];
  }
  void SetHeading(int column, std::string heading);

  // Every cell of the data rows empty, one data row left.
  void Clear();
  // Appends an empty data row and returns its row number.
  int AppendRow();
  // Inserts an empty data row so that it becomes row `row` (1 .. RowCount()).
  void InsertRow(int row);
  // Removes data row `row`; removing the only data row empties it instead.
  void RemoveRow(int row);
  // InsertRow and RemoveRow for a column whose cells belong to the grid positions rather than
  // to the rows (the main grid's numbers): its cells stay where they are while the other
  // columns move. Inserting gives the new last row `last_value` in that column; removing drops
  // the last row's value (the only data row keeps its value while its other cells empty).
  void InsertRowKeepingColumn(int row, int kept_column, std::string last_value);
  void RemoveRowKeepingColumn(int row, int kept_column);
  // Replaces all data rows at once (one reset notification). Each row is padded or cut to the
  // column count; an empty list leaves one empty data row.
  void ReplaceRows(std::vector<std::vector<std::string>> rows);
  // The same from rows gathered column by column; columns beyond the column count are dropped,
  // missing ones are empty. No rows leave one empty data row.
  void ReplaceColumns(TableColumns columns);

  // The cells of one data row, read through the table (for bulk readers such as the writer).
  class RowView {
   public:
    const std::string& operator[](int column) const {
      return table_->Cell(column, row_);
    }

   private:
    friend class RowTable;
    RowView(const RowTable& table, int row) : table_(&table), row_(row) {}
    const RowTable* table_;
    int row_;
  };
  RowView Row(int row) const {
    return RowView(*this, row);
  }
  // A copy of every cell of one data row.
  std::vector<std::string> RowCells(int row) const;

  // At most one observer; nullptr detaches. The observer must outlive its attachment.
  void SetObserver(TableObserver* observer) {
    observer_ = observer;
  }

  // The undo history of this table; it records only after EnableHistory().
  EditHistory& History() {
    return history_;
  }
  const EditHistory& History() const {
    return history_;
  }
  void EnableHistory() {
    history_.Enable();
  }

 private:
  friend class EditHistory;
  // Inserts a data row holding `cells` (padded or cut to the column count) as row `row`. With
  // a kept column, that column's cells keep their positions and cells[kept_column] lands in
  // the new last row. Records nothing.
  void InsertFilledRow(int row, std::vector<std::string> cells, int kept_column);
  // Removes data row `row` (not the only one) and gives its cells back. With a kept column,
  // that column's cells keep their positions and the returned cell of it is the last row's.
  // Records nothing.
  std::vector<std::string> TakeRow(int row, int kept_column);
  // Exchanges the value of a data cell with `value`, telling the observer. Records nothing.
  void SwapCell(int column, int row, std::string& value);
  // Asks the processor to fetch a data cell that SwapCell will soon exchange: an undo of a
  // step over many rows waits on memory, not on the swaps.
  void PrefetchCell(int column, int row) const {
    const auto& cells = columns_[static_cast<size_t>(column)].cells;
    if (!cells.empty())
      __builtin_prefetch(&cells[static_cast<size_t>(row - 1)], 1);
  }
  // Moves the kept column's cells of rows `row` .. last one row up (the cell of `row` goes to
  // the last row), or down (the last row's cell goes to `row`).
  void RotateColumn(int column, int row, bool up);
  // The cell of a data row for writing; its column keeps a value a row from now on.
  std::string& MutableCell(int column, int row);
  // Gives a uniform column a value a row.
  void Spread(ColumnCells& column) const;

  int column_count_;
  std::vector<std::string> headings_;
  // columns_[c].cells[r - 1] is the cell (c, r), or columns_[c].uniform while that is empty.
  std::vector<ColumnCells> columns_;
  int data_rows_ = 1;
  TableObserver* observer_ = nullptr;
  EditHistory history_;
};

}  // namespace document

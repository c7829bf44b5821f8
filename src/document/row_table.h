// RowTable: a grid of GBK text cells with fixed columns, the storage of the main subtitle and of
// the reference subtitle, reporting every change to an observer (the window's table model).
#pragma once

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
};
inline constexpr int kMainColumnCount = 14;
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

// Row 0 is the heading row; data rows are 1 to RowCount() - 1, and there is always at least one
// data row (an empty table is one data row of empty cells). Cells are addressed (column, row) as
// in the grid. Out-of-range access is a programming error (asserted); callers check RowCount().
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
    return static_cast<int>(rows_.size()) + 1;
  }
  // Number of data rows (RowCount() - 1).
  int DataRowCount() const {
    return static_cast<int>(rows_.size());
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
  // All cells of one data row (for bulk readers such as the writer).
  const std::vector<std::string>& Row(int row) const;

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
    __builtin_prefetch(&rows_[static_cast<size_t>(row - 1)][static_cast<size_t>(column)], 1);
  }
  // Moves the kept column's cells of rows `row` .. last one row up (the cell of `row` goes to
  // the last row), or down (the last row's cell goes to `row`).
  void RotateColumn(int column, int row, bool up);

  int column_count_;
  std::vector<std::string> headings_;
  std::vector<std::vector<std::string>> rows_;  // rows_[0] is data row 1
  TableObserver* observer_ = nullptr;
  EditHistory history_;
};

}  // namespace document

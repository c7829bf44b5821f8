// SubtitleTableModel: a Qt table model over a document::RowTable, following its changes through
// the table's observer; the model holds no copy of the cells.
#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <functional>
#include <vector>

#include "document/row_table.h"

namespace ui {

// Model row i shows data row i + 1 of the table (row 0 of the table is the heading row, shown as
// the horizontal header). Cells are GBK and converted only when a view asks for them, so a table
// of 100,000 rows costs nothing until it is scrolled into sight.
class SubtitleTableModel : public QAbstractTableModel, private document::TableObserver {
  Q_OBJECT

 public:
  // Called by setData with the table's (column, row) and the typed text; returns whether the
  // edit was accepted. The handler changes the table through document or app functions.
  using EditHandler = std::function<bool(int column, int row, const QString& value)>;

  // Attaches to `table` as its observer until destroyed; `table` must outlive the model.
  // `editable_columns` lists the columns a user may type into.
  SubtitleTableModel(document::RowTable& table, std::vector<int> editable_columns,
                     QObject* parent = nullptr);
  ~SubtitleTableModel() override;

  void SetEditHandler(EditHandler handler) {
    edit_handler_ = std::move(handler);
  }
  // Tells the views that the headings changed (after a language switch).
  void HeadingsChanged();
  // Main table only: while on, a row whose end is before its start has both time cells tinted
  // red, and a row that starts before the row above ends has its start tinted orange
  // (proof::TimeFaultOf), following every change as it is made. Off, the model gives no
  // background at all, as before the marking existed.
  void SetTimeFaultMarking(bool on);
  bool TimeFaultMarking() const {
    return mark_time_faults_;
  }
  static const QColor& EndBeforeStartColour();
  static const QColor& OverlapColour();

  // The table row shown in model row `model_row`, and back.
  static int TableRow(int model_row) {
    return model_row + 1;
  }
  static int ModelRow(int table_row) {
    return table_row - 1;
  }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

 private:
  void RowsAboutToBeInserted(int first, int last) override;
  void RowsInserted() override;
  void RowsAboutToBeRemoved(int first, int last) override;
  void RowsRemoved() override;
  void CellChanged(int column, int row) override;
  void AboutToReset() override;
  void ResetDone() override;

  // Emits one dataChanged for all cells changed since the last flush.
  void FlushChanges();

  document::RowTable& table_;
  std::vector<bool> editable_;
  EditHandler edit_handler_;
  // Pending changed range in model coordinates; first_row_ < 0 when nothing is pending.
  int first_row_ = -1;
  int last_row_ = -1;
  int first_column_ = 0;
  int last_column_ = 0;
  bool flush_posted_ = false;
  bool mark_time_faults_ = false;
};

}  // namespace ui

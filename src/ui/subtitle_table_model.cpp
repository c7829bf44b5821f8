// SubtitleTableModel: forwards the RowTable's change pairs to Qt and batches cell changes.
#include "ui/subtitle_table_model.h"

#include <QMetaObject>
#include <algorithm>

#include "proof/time_changes.h"
#include "ui/qt_convert.h"

namespace ui {

SubtitleTableModel::SubtitleTableModel(document::RowTable& table, std::vector<int> editable_columns,
                                       QObject* parent)
    : QAbstractTableModel(parent),
      table_(table),
      editable_(static_cast<size_t>(table.ColumnCount()), false) {
  for (const int column : editable_columns) {
    if (column >= 0 && column < table.ColumnCount()) {
      editable_[static_cast<size_t>(column)] = true;
    }
  }
  table_.SetObserver(this);
}

SubtitleTableModel::~SubtitleTableModel() {
  table_.SetObserver(nullptr);
}

void SubtitleTableModel::HeadingsChanged() {
  emit headerDataChanged(Qt::Horizontal, 0, table_.ColumnCount() - 1);
}

int SubtitleTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.DataRowCount();
}

int SubtitleTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_.ColumnCount();
}

const QColor& SubtitleTableModel::EndBeforeStartColour() {
  static const QColor colour(255, 190, 190);
  return colour;
}

const QColor& SubtitleTableModel::OverlapColour() {
  static const QColor colour(255, 225, 160);
  return colour;
}

void SubtitleTableModel::SetTimeFaultMarking(bool on) {
  if (mark_time_faults_ == on) {
    return;
  }
  mark_time_faults_ = on;
  if (rowCount() > 0) {
    emit dataChanged(index(0, document::kStart), index(rowCount() - 1, document::kEnd),
                     {Qt::BackgroundRole});
  }
}

QVariant SubtitleTableModel::data(const QModelIndex& index, int role) const {
  const bool background = role == Qt::BackgroundRole && mark_time_faults_;
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole && !background)) {
    return {};
  }
  const int row = TableRow(index.row());
  if (!table_.IsDataRow(row) || index.column() >= table_.ColumnCount()) {
    return {};
  }
  if (background) {
    if (index.column() != document::kStart && index.column() != document::kEnd) {
      return {};
    }
    switch (proof::TimeFaultOf(table_, row)) {
      case proof::TimeFault::kEndBeforeStart:
        return EndBeforeStartColour();
      case proof::TimeFault::kOverlap:
        return index.column() == document::kStart ? QVariant(OverlapColour()) : QVariant();
      case proof::TimeFault::kNone:
        return {};
    }
    return {};
  }
  return ToQString(table_.Cell(index.column(), row));
}

QVariant SubtitleTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  // The narrow columns cut their headings: the whole heading is also the header's tooltip.
  if (role != Qt::DisplayRole && !(role == Qt::ToolTipRole && orientation == Qt::Horizontal)) {
    return {};
  }
  if (orientation == Qt::Vertical) {
    return section + 1;
  }
  if (section < 0 || section >= table_.ColumnCount()) {
    return {};
  }
  return ToQString(table_.Heading(section));
}

Qt::ItemFlags SubtitleTableModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags result = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() < table_.ColumnCount() &&
      editable_[static_cast<size_t>(index.column())]) {
    result |= Qt::ItemIsEditable;
  }
  return result;
}

bool SubtitleTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable) ||
      !edit_handler_) {
    return false;
  }
  return edit_handler_(index.column(), TableRow(index.row()), value.toString());
}

void SubtitleTableModel::RowsAboutToBeInserted(int first, int last) {
  FlushChanges();
  beginInsertRows(QModelIndex(), ModelRow(first), ModelRow(last));
}

void SubtitleTableModel::RowsInserted() {
  endInsertRows();
}

void SubtitleTableModel::RowsAboutToBeRemoved(int first, int last) {
  FlushChanges();
  beginRemoveRows(QModelIndex(), ModelRow(first), ModelRow(last));
}

void SubtitleTableModel::RowsRemoved() {
  endRemoveRows();
}

void SubtitleTableModel::CellChanged(int column, int row) {
  const int model_row = ModelRow(row);
  // An end that moves can make or end the overlap of the row below: its start is repainted too.
  if (mark_time_faults_ && column == document::kEnd) {
    CellChanged(document::kStart, row + 1);
  }
  if (first_row_ < 0) {
    first_row_ = last_row_ = model_row;
    first_column_ = last_column_ = column;
  } else {
    first_row_ = std::min(first_row_, model_row);
    last_row_ = std::max(last_row_, model_row);
    first_column_ = std::min(first_column_, column);
    last_column_ = std::max(last_column_, column);
  }
  // A loop that changes many cells (a recognition run, a save committing base values) gets one
  // dataChanged when control returns to the event loop, not one per cell.
  if (!flush_posted_) {
    flush_posted_ = true;
    QMetaObject::invokeMethod(this, &SubtitleTableModel::FlushChanges, Qt::QueuedConnection);
  }
}

void SubtitleTableModel::AboutToReset() {
  first_row_ = -1;
  beginResetModel();
}

void SubtitleTableModel::ResetDone() {
  endResetModel();
}

void SubtitleTableModel::FlushChanges() {
  flush_posted_ = false;
  if (first_row_ < 0) {
    return;
  }
  const int last_row = std::min(last_row_, rowCount() - 1);
  if (first_row_ <= last_row) {
    emit dataChanged(index(first_row_, first_column_), index(last_row, last_column_),
                     {Qt::DisplayRole, Qt::EditRole, Qt::BackgroundRole});
  }
  first_row_ = -1;
}

}  // namespace ui

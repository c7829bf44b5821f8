// SubtitleTableModel: forwards the RowTable's change pairs to Qt and batches cell changes.
#include "ui/subtitle_table_model.h"

#include <QMetaObject>
#include <algorithm>

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

QVariant SubtitleTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
    return {};
  }
  const int row = TableRow(index.row());
  if (!table_.IsDataRow(row) || index.column() >= table_.ColumnCount()) {
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
                     {Qt::DisplayRole, Qt::EditRole});
  }
  first_row_ = -1;
}

}  // namespace ui

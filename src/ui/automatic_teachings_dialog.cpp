// The review of automatic teachings: a grid of the taught glyphs and "undo selected".
#include "ui/automatic_teachings_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <set>
#include <vector>

#include "app/message_numbers.h"
#include "app/recognition_commands.h"
#include "ui/qt_convert.h"

namespace ui {
namespace {

enum Column { kRowColumn, kTextColumn, kNumberColumn, kGlyphColumn, kColumnCount };

// A glyph is shown at most this tall in the list (smaller ones at their own size), so that a
// full-size disc glyph does not make one entry fill the list.
constexpr int kGlyphRowHeight = 32;
// The list opens tall enough for this many entries, and never taller than the screen allows.
constexpr int kRowsShown = 12;

QPixmap GlyphPixmap(const ocr::Picture& picture) {
  QImage image(std::max(1, picture.Width()), std::max(1, picture.Height()), QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const ocr::Colour colour = picture.Pixel(x, y);  // 0x00BBGGRR
      image.setPixel(x, y, qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
    }
  }
  if (image.height() > kGlyphRowHeight) {
    image = image.scaledToHeight(kGlyphRowHeight, Qt::SmoothTransformation);
  }
  return QPixmap::fromImage(image);
}

}  // namespace

AutomaticTeachingsDialog::AutomaticTeachingsDialog(app::Application& app,
                                                   ocr::Recogniser& recogniser,
                                                   ports::MessagePort& messages,
                                                   ports::EventPump& pump, QWidget* parent)
    : QDialog(parent), app_(app), recogniser_(recogniser), messages_(messages), pump_(pump) {
  setObjectName(QStringLiteral("AutomaticTeachings"));
  TeachingsGrid = new QTableWidget(0, kColumnCount, this);
  TeachingsGrid->setObjectName(QStringLiteral("TeachingsGrid"));
  TeachingsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  TeachingsGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  TeachingsGrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
  TeachingsGrid->verticalHeader()->hide();
  TeachingsGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  TeachingsGrid->verticalHeader()->setDefaultSectionSize(kGlyphRowHeight + 4);
  TeachingsGrid->setIconSize(QSize(4 * kGlyphRowHeight, kGlyphRowHeight));
  TeachingsGrid->horizontalHeader()->setStretchLastSection(true);
  UndoTeachingsButton = new QPushButton(this);
  UndoTeachingsButton->setObjectName(QStringLiteral("UndoTeachingsButton"));
  CloseTeachingsButton = new QPushButton(this);
  CloseTeachingsButton->setObjectName(QStringLiteral("CloseTeachingsButton"));
  TeachingsStatus = new QLabel(this);
  TeachingsStatus->setObjectName(QStringLiteral("TeachingsStatus"));
  TeachingsStatus->setWordWrap(true);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(TeachingsStatus, 1);
  buttons->addWidget(UndoTeachingsButton);
  buttons->addWidget(CloseTeachingsButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(TeachingsGrid, 1);
  layout->addLayout(buttons);
  connect(UndoTeachingsButton, &QPushButton::clicked, this,
          &AutomaticTeachingsDialog::UndoTeachingsButtonClick);
  connect(CloseTeachingsButton, &QPushButton::clicked, this, &QDialog::hide);
  connect(TeachingsGrid, &QTableWidget::itemSelectionChanged, this, [this] {
    UndoTeachingsButton->setEnabled(!TeachingsGrid->selectionModel()->selectedRows().isEmpty());
  });
  Refresh();
}

void AutomaticTeachingsDialog::Refresh() {
  const ports::MessageSource& texts = app_.Messages();
  setWindowTitle(ToQString(texts.Message(app::msg::kTeachingsTitle)));
  TeachingsGrid->setHorizontalHeaderLabels(
      {ToQString(texts.Message(app::msg::kTeachingsRowHeading)),
       ToQString(texts.Message(app::msg::kTeachingsTextHeading)),
       ToQString(texts.Message(app::msg::kTeachingsNumberHeading)),
       ToQString(texts.Message(app::msg::kTeachingsGlyphHeading))});
  UndoTeachingsButton->setText(ToQString(texts.Message(app::msg::kTeachingsUndo)));
  CloseTeachingsButton->setText(ToQString(texts.Message(app::msg::kTeachingsClose)));
  const auto& teachings = recogniser_.AutomaticTeachings();
  TeachingsGrid->clearContents();
  TeachingsGrid->setRowCount(static_cast<int>(teachings.size()));
  for (int i = 0; i < static_cast<int>(teachings.size()); ++i) {
    const ocr::AutomaticTeaching& teaching = teachings[static_cast<std::size_t>(i)];
    TeachingsGrid->setItem(i, kRowColumn, new QTableWidgetItem(QString::number(teaching.row)));
    TeachingsGrid->setItem(i, kTextColumn, new QTableWidgetItem(ToQString(teaching.text)));
    TeachingsGrid->setItem(i, kNumberColumn,
                           new QTableWidgetItem(QString::number(teaching.number)));
    auto* glyph = new QTableWidgetItem;
    if (teaching.glyph != nullptr) {
      glyph->setData(Qt::DecorationRole, GlyphPixmap(*teaching.glyph));
    }
    TeachingsGrid->setItem(i, kGlyphColumn, glyph);
  }
  FitToEntries();
  UndoTeachingsButton->setEnabled(!TeachingsGrid->selectionModel()->selectedRows().isEmpty());
}

void AutomaticTeachingsDialog::FitToEntries() {
  // Every column as wide as its heading and entries; the glyph column holds the widest glyph.
  TeachingsGrid->resizeColumnsToContents();
  int glyph_width = TeachingsGrid->horizontalHeader()->sectionSizeHint(kGlyphColumn);
  for (int row = 0; row < TeachingsGrid->rowCount(); ++row) {
    const QTableWidgetItem* item = TeachingsGrid->item(row, kGlyphColumn);
    const QPixmap glyph = item ? item->data(Qt::DecorationRole).value<QPixmap>() : QPixmap();
    glyph_width = std::max(glyph_width, glyph.width() + 16);
  }
  TeachingsGrid->setColumnWidth(kGlyphColumn, glyph_width);
  if (isVisible()) {
    return;  // the user's size stays once the list is open
  }
  int width = 2 * TeachingsGrid->frameWidth() + 4;
  for (int column = 0; column < kColumnCount; ++column) {
    width += TeachingsGrid->columnWidth(column);
  }
  const int rows = std::max(kRowsShown, std::min(TeachingsGrid->rowCount(), 2 * kRowsShown));
  const int grid_height = 2 * TeachingsGrid->frameWidth() +
                          TeachingsGrid->horizontalHeader()->sizeHint().height() +
                          rows * TeachingsGrid->verticalHeader()->defaultSectionSize();
  const QMargins margins = layout()->contentsMargins();
  QSize wanted(std::max(width, 420) + margins.left() + margins.right(),
               grid_height + layout()->spacing() + CloseTeachingsButton->sizeHint().height() +
                   margins.top() + margins.bottom());
  if (const QScreen* shown_on = screen()) {
    wanted = wanted.boundedTo(shown_on->availableGeometry().size() * 9 / 10);
  }
  resize(wanted);
}

void AutomaticTeachingsDialog::UndoTeachingsButtonClick() {
  std::vector<int> numbers;
  for (const QModelIndex& index : TeachingsGrid->selectionModel()->selectedRows()) {
    numbers.push_back(TeachingsGrid->item(index.row(), kNumberColumn)->text().toInt());
  }
  const auto undone = app::UndoAutomaticTeachings(recogniser_, numbers, pump_);
  if (!undone.ok()) {
    messages_.Inform(ports::Severity::kError, undone.error().message);
    return;
  }
  const ports::MessageSource& texts = app_.Messages();
  std::string status =
      texts.Message(app::msg::kTeachingsRemoved) + std::to_string(undone.value().removed);
  for (const int number : undone.value().changed) {
    status += "\n" + texts.Message(app::msg::kTeachingsChanged) + std::to_string(number);
  }
  Refresh();
  TeachingsStatus->setText(ToQString(status));
}

}  // namespace ui

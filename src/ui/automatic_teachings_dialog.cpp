// The review of automatic teachings: a grid of the taught glyphs and "undo selected".
#include "ui/automatic_teachings_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
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

QPixmap GlyphPixmap(const ocr::Picture& picture) {
  QImage image(std::max(1, picture.Width()), std::max(1, picture.Height()), QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const ocr::Colour colour = picture.Pixel(x, y);  // 0x00BBGGRR
      image.setPixel(x, y, qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
    }
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
  resize(420, 360);
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
  TeachingsGrid->resizeRowsToContents();
  UndoTeachingsButton->setEnabled(!TeachingsGrid->selectionModel()->selectedRows().isEmpty());
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

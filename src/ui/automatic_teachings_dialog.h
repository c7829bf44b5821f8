// AutomaticTeachingsDialog: the glyphs a run taught from the reference subtitle, listed for review,
// with the chosen ones undone (deleted from the library by record number).
#pragma once

#include <QDialog>

#include "app/application.h"
#include "ocr/recogniser.h"
#include "ports/host_ports.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace ui {

class AutomaticTeachingsDialog : public QDialog {
  Q_OBJECT

 public:
  // Everything given must outlive the dialog.
  AutomaticTeachingsDialog(app::Application& app, ocr::Recogniser& recogniser,
                           ports::MessagePort& messages, ports::EventPump& pump, QWidget* parent);

  // Lists the recogniser's automatic teachings again, in the current language.
  void Refresh();

  // fixed names: tests look them up by objectName; do not rename.
  QTableWidget* TeachingsGrid = nullptr;  // row, text, record number, glyph picture
  QPushButton* UndoTeachingsButton = nullptr;
  QPushButton* CloseTeachingsButton = nullptr;
  QLabel* TeachingsStatus = nullptr;  // what the last undo did

 private slots:
  void UndoTeachingsButtonClick();

 private:
  // Columns fit their entries; a list not yet shown opens tall enough for kRowsShown entries.
  void FitToEntries();

  app::Application& app_;
  ocr::Recogniser& recogniser_;
  ports::MessagePort& messages_;
  ports::EventPump& pump_;
};

}  // namespace ui

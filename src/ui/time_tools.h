// TimeTools: the Times menu (shift, two-point synchronisation, frame rate; deleting, merging and
// splitting the selected rows) and its panel, and the grid's marking of bad times. The logic is
// proof::ChangeTimes and the row commands'; this class collects the choices and shows the outcome.
#pragma once

#include <QObject>
#include <optional>
#include <string>

#include "app/application.h"
#include "ports/host_ports.h"
#include "proof/time_changes.h"
#include "ui/floating_panel.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPushButton;
class QRadioButton;
class QTableView;

namespace ui {

class SubtitleTableModel;

class TimeTools : public QObject {
  Q_OBJECT

 public:
  // Adds the Times menu after the menu "CheckMenu" of `window` and builds the panel in its
  // "CentralArea". `main_model` is the main grid's model, whose marking follows settings line
  // kMarkTimes. The window, application, model and port must outlive this object.
  TimeTools(QMainWindow& window, app::Application& application, SubtitleTableModel& main_model,
            ports::MessagePort& messages);

  // fixed names: tests look them up by objectName; do not rename.
  QMenu* TimesMenu = nullptr;           // menu bar: the commands below
  QAction* ShiftTimesMenu = nullptr;    // open the panel at the shift
  QAction* SyncTimesMenu = nullptr;     // open the panel at the two-point synchronisation
  QAction* FrameRateMenu = nullptr;     // open the panel at the frame rate change
  QAction* DeleteRowsMenu = nullptr;    // delete the selected rows (asks first)
  QAction* MergeRowsMenu = nullptr;     // merge the selected rows into one
  QAction* SplitRowsMenu = nullptr;     // split the selected rows into one row a line
  FloatingPanel* TimesPanel = nullptr;  // the panel; its title label is TimesPanelTitle
  QRadioButton* TimesShiftMode = nullptr;
  QLabel* TimesAmountLabel = nullptr;
  QLineEdit* TimesAmount = nullptr;  // seconds or a time, signed
  QRadioButton* TimesSyncMode = nullptr;
  QLabel* TimesPointsLabel = nullptr;
  QLineEdit* TimesOldA = nullptr;  // old time A becomes new time B ...
  QLineEdit* TimesNewB = nullptr;
  QLineEdit* TimesOldC = nullptr;  // ... and old time C becomes new time D
  QLineEdit* TimesNewD = nullptr;
  QRadioButton* TimesFpsMode = nullptr;
  QLabel* TimesFpsLabel = nullptr;
  QComboBox* TimesFpsFrom = nullptr;  // editable: 23.976, 24, 25, 29.97, ... or typed
  QComboBox* TimesFpsTo = nullptr;
  QRadioButton* TimesAllRows = nullptr;
  QRadioButton* TimesSelectedRows = nullptr;
  QRadioButton* TimesFromCurrentRow = nullptr;
  QCheckBox* TimesMarkFaults = nullptr;  // settings line kMarkTimes
  QPushButton* TimesApply = nullptr;
  QPushButton* TimesClose = nullptr;

  // Opens the panel with `mode` (TimesShiftMode, TimesSyncMode or TimesFpsMode) chosen.
  void OpenPanel(QRadioButton* mode);
  // The change the panel describes now, or the text that cannot be read (GBK message shown).
  std::optional<proof::TimeMapping> ChosenMapping();
  // The rows the panel's scope names now.
  proof::RowSpan ChosenRows() const;

 public slots:
  void TimesApplyClick();
  void DeleteRowsMenuClick();
  void MergeRowsMenuClick();
  void SplitRowsMenuClick();

 private:
  void BuildMenu();
  void BuildPanel();
  void Connect();
  // The first and last selected row of the main grid (the current row when none is selected).
  proof::RowSpan SelectedRows() const;
  // After a command that changed rows: the grid's cursor on the current row.
  void ShowCurrentRow();
  void Refuse(const QString& typed);
  std::string Message(int number) const;

  QMainWindow& window_;
  app::Application& app_;
  SubtitleTableModel& main_model_;
  ports::MessagePort& messages_;
  PanelDragState drag_;
  QTableView* main_grid_ = nullptr;
};

}  // namespace ui

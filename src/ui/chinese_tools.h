// ChineseTools: the "Convert Chinese script..." command of the proofreading menu and its panel:
// direction, rows, main or reference subtitle, a preview grid of the rows that change, OK and
// Cancel. The logic is app::ChineseConversion's; this class collects the choices and shows the
// outcome.
#pragma once

#include <QObject>
#include <optional>

#include "app/application.h"
#include "app/chinese_conversion.h"
#include "ports/host_ports.h"
#include "ui/floating_panel.h"

class QAction;
class QComboBox;
class QLabel;
class QMainWindow;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTableWidget;

namespace ui {

class ChineseTools : public QObject {
  Q_OBJECT

 public:
  // Adds the command after the check's commands in the menu "CheckMenu" of `window` and builds
  // the panel in its "CentralArea". `data_folder` is where OpenCC's data is looked for. The
  // window, application and ports must outlive this object.
  ChineseTools(QMainWindow& window, app::Application& application, ports::MessagePort& messages,
               ports::EventPump& pump,
               std::filesystem::path data_folder = chinese::DefaultDataFolder());

  // fixed names: tests look them up by objectName; do not rename.
  QAction* ConvertChineseMenu = nullptr;  // proofreading menu: open the panel
  FloatingPanel* ChinesePanel = nullptr;  // the panel; its title label is ChineseTitle
  QLabel* ChineseDirectionLabel = nullptr;
  QComboBox* ChineseDirectionBox = nullptr;       // the eight directions, chinese::kAllDirections
  QRadioButton* ChineseAllRows = nullptr;         // rows: all
  QRadioButton* ChineseSelectedRows = nullptr;    // rows: those selected in the grid
  QRadioButton* ChineseMainTable = nullptr;       // convert the main subtitle
  QRadioButton* ChineseReferenceTable = nullptr;  // convert the reference subtitle
  QTableWidget* ChineseGrid = nullptr;            // preview: number, before, after
  QLabel* ChineseStatus = nullptr;                // how many rows change
  QPlainTextEdit* ChineseReport = nullptr;        // kept characters, one line each
  QPushButton* ChineseOk = nullptr;               // write the preview
  QPushButton* ChineseCancel = nullptr;           // close without writing

 public slots:
  void ConvertChineseMenuClick();
  void ChineseOkClick();
  void ChineseCancelClick();

 private:
  void BuildPanel();
  void Connect();
  // Enabled with the check command while OpenCC's data is there; otherwise disabled with the
  // missing-data text as its status tip and tool tip.
  void UpdateCommand();
  // The preview of the panel's current choices, shown in the grid, status and report.
  void Refresh();
  document::Role ChosenRole() const;
  std::vector<int> ChosenRows() const;
  std::string Message(int number) const;

  QMainWindow& window_;
  app::Application& app_;
  ports::MessagePort& messages_;
  ports::EventPump& pump_;
  app::ChineseConversion conversion_;
  PanelDragState drag_;
  QAction* check_command_ = nullptr;  // the check's menu item, whose state this one follows
  QTableView* main_grid_ = nullptr;
  QTableView* reference_grid_ = nullptr;
  std::optional<chinese::ConversionPreview> preview_;
  document::Role preview_role_ = document::Role::kMain;
  bool refreshing_ = false;
};

}  // namespace ui

// The main window's widgets, reached by the names the program's commands use.
#pragma once

#include "ui/floating_panel.h"
#include "ui/main_window.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QToolBar;
class QToolButton;
class QWidget;

namespace ui {

class ProgressArea;

struct MainWindow::Ui {
  // fixed names: tests look them up by objectName; do not rename.
  QMenu* FileMenu = nullptr;     // "文件"
  QMenu* EditMenu = nullptr;     // undo and redo
  QMenu* ReadMenu = nullptr;     // recognition menu, disabled as a whole by command states
  QMenu* CheckMenu = nullptr;    // proofreading and row editing menu
  QMenu* EditBmpMenu = nullptr;  // picture menu
  QMenu* WordMenu = nullptr;     // glyph library menu
  QMenu* SetupMenu = nullptr;    // settings menu
  QMenu* N9 = nullptr;           // language menu
  QMenu* HelpMenu = nullptr;
  QMenu* PopupMenu1 = nullptr;  // the main grid's context menu

  QAction* OpenSrtMenu = nullptr;       // open a main subtitle
  QAction* CloseSrtMenu = nullptr;      // close it
  QAction* SaveSrtMenu = nullptr;       // save as SRT or SSA
  QAction* SaveInPlaceMenu = nullptr;   // save to the subtitle's file (Save As when it has none)
  QAction* OpenSecSrtMenu = nullptr;    // open a reference subtitle
  QAction* SaveSecSrtMenu = nullptr;    // save and close the reference
  QAction* ExitFormMenu = nullptr;      // exit
  QAction* UndoMenu = nullptr;          // undo the last step (caption names it)
  QAction* RedoMenu = nullptr;          // redo the last undone step
  QAction* StartReadMenu = nullptr;     // start recognition
  QAction* StopReadMenu = nullptr;      // stop recognition
  QAction* CheckRowMenu = nullptr;      // row analysis
  QAction* Check1Menu = nullptr;        // check and proofread
  QAction* ChkTimeMenu = nullptr;       // time-overlap correction
  QAction* FindReplaceMenu = nullptr;   // find and replace
  QAction* CreatBlankMenu = nullptr;    // blank subtitle from the reference
  QAction* CompareCheckMenu = nullptr;  // compare with the reference
  QAction* InsertPRowMenu = nullptr;    // insert a row before the current one
  QAction* InsertNRowMenu = nullptr;    // insert a row after it
  QAction* DeleteRowMenu = nullptr;     // delete the current row
  QAction* RestoreTimeMenu = nullptr;   // restore the row's times
  QAction* RestoreTextMenu = nullptr;   // restore the row's text
  QAction* NextProblemMenu = nullptr;   // the check review's next row, in the main grid
  QAction* PrevProblemMenu = nullptr;   // the check review's previous row, in the main grid
  QAction* CutBmpMenu = nullptr;        // automatic cropping
  QAction* EditWordMenu = nullptr;      // library editor
  QAction* AddWordMenu = nullptr;       // library merge
  QAction* OutWordMenu = nullptr;       // library export
  QAction* CheckWordMenu = nullptr;     // library check
  QAction* CreatIndexMenu = nullptr;    // rebuild the library index
  QAction* SetProMenu = nullptr;        // settings panel
  QAction* N14 = nullptr;               // Simplified Chinese
  QAction* N15 = nullptr;               // Traditional Chinese
  QAction* N16 = nullptr;               // English
  QAction* HelpFileMenu = nullptr;      // user guide
  QAction* AboutMenu = nullptr;         // about panel
  QAction* InsertPRowPop = nullptr;     // context-menu twins of the row commands
  QAction* InsertNRowPop = nullptr;
  QAction* DeleteRowPop = nullptr;
  QAction* RestoreTimePop = nullptr;
  QAction* RestoreTextPop = nullptr;

  QToolBar* ToolBar1 = nullptr;
  QToolButton* OpenSrtBut = nullptr;  // tool buttons share their menu item's action
  QToolButton* SaveSrtBut = nullptr;
  QToolButton* OpenSecSrtBut = nullptr;
  QToolButton* SaveSecSrtBut = nullptr;
  QToolButton* StartReadBut = nullptr;
  QToolButton* StopReadBut = nullptr;
  QToolButton* CheckRowBut = nullptr;
  QToolButton* Check1But = nullptr;
  QToolButton* ChkTimeBut = nullptr;
  QToolButton* FindReplaceBut = nullptr;
  QToolButton* CreatBlankBut = nullptr;
  QToolButton* CompareCheckBut = nullptr;
  QToolButton* EditWordBut = nullptr;
  QToolButton* AddWordBut = nullptr;
  QToolButton* OutWordBut = nullptr;
  QToolButton* SetProBut = nullptr;

  QWidget* CentralArea = nullptr;     // parent of the grids, the strip and the floating panels
  QTableView* StringGrid1 = nullptr;  // main grid
  QTableView* StringGrid7 = nullptr;  // reference grid
  QFrame* Panel2 = nullptr;           // picture strip under the grids
  QFrame* Panel14 = nullptr;          // strip: settings group on the left
  QFrame* Panel9 = nullptr;           // strip: picture frame
  QLabel* Image1 = nullptr;           // strip: the row's picture
  QFrame* Panel1 = nullptr;           // strip: engine settings group on the right
  QFrame* Panel19 = nullptr;          // strip: reference-editing panels, shown for text subtitles
  QFrame* Panel20 = nullptr;
  QFrame* Panel22 = nullptr;

  FloatingPanel* Panel3 = nullptr;   // teaching unknown glyphs
  FloatingPanel* Panel6 = nullptr;   // library editor
  FloatingPanel* Panel11 = nullptr;  // settings
  FloatingPanel* Panel15 = nullptr;  // library merge
  FloatingPanel* Panel21 = nullptr;  // check review
  FloatingPanel* Panel23 = nullptr;  // wait panel, always on top
  FloatingPanel* Panel24 = nullptr;  // about and start-up panel
  FloatingPanel* Panel25 = nullptr;  // library export
  FloatingPanel* Panel10 = nullptr;  // row details
  FloatingPanel* Panel13 = nullptr;  // find and replace
  QLabel* Label36 = nullptr;         // wait panel: progress text
  QPushButton* Button19 = nullptr;   // wait panel: stop
  QLabel* AboutLoadingText = nullptr;
  QLabel* AboutCredit = nullptr;
  QPlainTextEdit* AboutText = nullptr;  // about panel: the memo
  QPushButton* AboutClose = nullptr;

  PanelDragState drag;  // shared by all floating panels

  QMenu* RecentMenu = nullptr;         // File menu: the last subtitles opened
  QAction* ClearRecentMenu = nullptr;  // its last item: empties the list
  QFrame* StartHint = nullptr;         // over the grid while no subtitle is open
  QLabel* StartHintText = nullptr;
  QPushButton* StartOpenBut = nullptr;  // runs the Open command
  QPushButton* StartDemoBut = nullptr;  // opens the demo picture subtitle

  QLabel* StatusText = nullptr;            // status panel 0
  ProgressArea* StatusProgress = nullptr;  // status panel 1: the red progress bar
};

}  // namespace ui

// ProofTools: the window's proofreading tools — the check review, the time-overlap correction,
// find and replace, the reference subtitle with its edit panels, and the main grid's row
// commands — built into the main window's panels with thin handlers over app/ and proof/.
#pragma once

#include <QObject>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "ports/host_ports.h"
#include "proof/find_replace.h"
#include "proof/reference_editing.h"
#include "ui/main_window.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableView;
class QTableWidget;
class QTextEdit;

namespace ui {

// The widgets this class adds to the window's panels.
// fixed names: tests look them up by objectName; do not rename.
struct ProofWidgets {
  QTableWidget* StringGrid3 = nullptr;   // check review: number (ticked: take it), before, after
  QLabel* CheckReviewNote = nullptr;     // check review: what to do, above the list
  QPushButton* Button13 = nullptr;       // check review: confirm
  QPushButton* Button14 = nullptr;       // check review: cancel
  QLabel* Label21 = nullptr;             // find and replace: label of the search box
  QLineEdit* Edit9 = nullptr;            // find and replace: search text
  QCheckBox* CheckBox9 = nullptr;        // find and replace: replace mode
  QLineEdit* Edit14 = nullptr;           // find and replace: replacement
  QRadioButton* RadioButton3 = nullptr;  // find and replace: from the first row
  QRadioButton* RadioButton4 = nullptr;  // find and replace: from the current row
  QCheckBox* CheckBox10 = nullptr;       // find and replace: ask before each replacement
  QPushButton* Button23 = nullptr;       // find and replace: start or continue (caption = state)
  QPushButton* Button24 = nullptr;       // find and replace: close
  QListWidget* ListBox1 = nullptr;       // find and replace: history suggestions
  QPushButton* Button25 = nullptr;       // edit panels: take the reference times
  QPushButton* Button26 = nullptr;       // edit panels: store the edit and go to the next row
  QPushButton* Button27 = nullptr;       // edit panels: drop the edit and go to the next row
  QPushButton* Button28 = nullptr;       // edit panels: "-" before each line
  QPushButton* Button29 = nullptr;       // edit panels: back to the picture panels
  QPushButton* Button30 = nullptr;       // picture strip: switch to the edit panels
  QLineEdit* Edit15 = nullptr;           // row editor: start
  QLineEdit* Edit16 = nullptr;           // row editor: end
  QTextEdit* Memo2 = nullptr;            // row editor: text, one line per subtitle line
  QLineEdit* Edit17 = nullptr;           // reference viewer: start
  QLineEdit* Edit18 = nullptr;           // reference viewer: end
  QTextEdit* Memo3 = nullptr;            // reference viewer: text
};

class ProofTools : public QObject {
  Q_OBJECT

 public:
  // Fills the panels of `ui` and connects the proofreading commands. `window` shows and hides
  // the reference grid; everything must outlive this object.
  ProofTools(MainWindow& window, MainWindow::Ui& ui, app::Application& application,
             ports::MessagePort& messages, ports::FileDialogPort& dialogs, ports::EventPump& pump);
  ~ProofTools() override;

  const ProofWidgets& Widgets() const {
    return w_;
  }

  // After the window's texts changed language: the find button's caption follows the search's
  // state again (the new texts name only its first state).
  void LanguageApplied();
  // Enables Undo and Redo when they can run and names their steps in the current language.
  void UpdateUndoActions();

 public slots:
  // The check over every row, opening the review (also after a recognition run and from the
  // save question).
  void Check1MenuClick();
  void Button13Click();
  void Button14Click();
  // The next / previous row listed by the check review, made current in the main grid (the
  // list wraps round); nothing happens while the review lists no row.
  void NextProblemMenuClick();
  void PrevProblemMenuClick();
  void ChkTimeMenuClick();
  void FindReplaceMenuClick();
  void Button23Click();
  void Button24Click();
  void OpenSecSrtMenuClick();
  // Saves an unsaved reference and, when nothing is left unsaved, closes the reference view.
  void SaveSecSrtMenuClick();
  void CreatBlankMenuClick();
  void Button25Click();
  void Button26Click();
  void Button27Click();
  void Button28Click();
  void Button29Click();
  void Button30Click();
  void InsertPRowMenuClick();
  void InsertNRowMenuClick();
  void DeleteRowMenuClick();
  void RestoreTimeMenuClick();
  void RestoreTextMenuClick();
  void UndoMenuClick();
  void RedoMenuClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildCheckPanel();
  void GoToProblemRow(int step);
  void BuildFindPanel();
  void BuildEditPanels();
  void Connect();

  std::string Message(int number) const;
  // Moves the main grid's cursor to the document's current row, column `column`.
  void ShowCurrentRow(int column);
  // What selecting a main row does to the edit panels and the reference highlight.
  void MainRowSelected();
  void ReferenceRowSelected();
  void StringGrid1KeyUp();
  void StringGrid7KeyUp();
  void StringGrid1RightClick(const QPoint& point);
  void SetReferenceCommandsEnabled(bool enabled);
  void FillEditor(const proof::RowEditor& editor);
  // The row editor's contents in GBK; nullopt (after a message) when a character cannot be held.
  std::optional<proof::RowEditor> EditorContents();
  int CurrentColumn() const;

  // The suggestion list under the search field (`replace` false) or the replacement field.
  void ShowSuggestions(bool replace);
  void TakeSuggestion();
  bool SuggestionKey(int key);
  proof::FindReplace& Finder();

  MainWindow& window_;
  MainWindow::Ui& ui_;
  app::Application& app_;
  ports::MessagePort& messages_;
  ports::FileDialogPort& dialogs_;
  ports::EventPump& pump_;
  ProofWidgets w_;
  std::optional<proof::FindReplace> finder_;  // made at first use, after the histories loaded
  bool checking_ = false;
  bool reference_open_ = false;
};

}  // namespace ui

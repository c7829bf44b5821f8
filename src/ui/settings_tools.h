// SettingsTools: the settings panel Panel11 in the main window, with its five tabs, the author
// entry grid, the input-method list, the check options and the phrase grid.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/settings_panel_flow.h"
#include "ports/host_ports.h"
#include "ui/main_window.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QWidget;

namespace ui {

// The input methods the desktop offers, GBK names in the desktop's order; empty when none is
// known.
using InputMethodLister = std::function<std::vector<std::string>()>;

// The desktop's input methods: the engines `ibus list-engine` reports when ibus is installed,
// otherwise the fcitx5 profile's methods, otherwise none. Names GBK cannot hold are left out.
std::vector<std::string> DesktopInputMethods();

// Makes the input method of that GBK name the active one.
using InputMethodSwitcher = std::function<void(const std::string& name)>;

// Switches the desktop's input method: `ibus engine NAME` when ibus is installed, otherwise
// `fcitx5-remote -s NAME`; nothing when neither is. Runs in the background.
void DesktopSwitchInputMethod(const std::string& name);

class SettingsTools : public QObject {
  Q_OBJECT

 public:
  // Fills Panel11 of `ui` and connects SetProMenu. The controls show and change
  // `app.PanelOptions()` and `app.PhraseGrid()`, which the using commands read when they act.
  // A null `input_methods` means DesktopInputMethods, a null `switch_input_method`
  // DesktopSwitchInputMethod. The teaching boxes (Edit1, Edit6) and the library editor's search
  // box (Edit2) switch to the stored input method when they get the focus, as setup.sys lines 4
  // to 6 say. All references must outlive the tools.
  SettingsTools(MainWindow::Ui& ui, app::Application& app, ports::MessagePort& messages,
                InputMethodLister input_methods, InputMethodSwitcher switch_input_method,
                QWidget* window);
  // After the language switch: the texts the switch does not set itself.
  void LanguageApplied();

  // fixed names: tests look them up by objectName; do not rename. The title label is Label7.
  QTabWidget* PageControl1 = nullptr;   // the five tabs
  QWidget* TabSheet1 = nullptr;         // tab 0: saving
  QWidget* TabSheet3 = nullptr;         // tab 1: input method
  QWidget* TabSheet4 = nullptr;         // tab 2: check rules
  QWidget* TabSheet2 = nullptr;         // tab 3: phrase table
  QWidget* TabSheet5 = nullptr;         // tab 4: recognition
  QCheckBox* CheckBox1 = nullptr;       // author entry on
  QTableWidget* StringGrid2 = nullptr;  // author entry: time (row 0) and text (row 1)
  QListWidget* ListBox4 = nullptr;      // the desktop's input methods
  QLabel* Label29 = nullptr;            // input method hint, first line
  QLabel* Label30 = nullptr;            // input method hint, second half (hidden: Label29 has all)
  QLabel* InputMethodNone = nullptr;    // why ListBox4 is empty, shown when it is
  QCheckBox* CheckBox3 = nullptr;       // input method on for new-glyph entry
  QCheckBox* CheckBox4 = nullptr;       // input method on for library editing
  QCheckBox* CheckBox5 = nullptr;       // check rule: half-width quotes to full-width pairs
  QCheckBox* CheckBox6 = nullptr;       // check rule: delete unpaired double quotes
  QCheckBox* CheckBox7 = nullptr;       // check rule: inner full stop to a comma
  QCheckBox* CheckBox2 = nullptr;       // check rule: delete a final comma or full stop
  QGroupBox* RadioGroup1 = nullptr;     // ellipsis form, items 0..3
  QCheckBox* CheckBox11 = nullptr;      // correct overlapping times after a run
  QCheckBox* CheckBox12 = nullptr;      // check after a run
  QCheckBox* CheckBox8 = nullptr;       // phrase replacement on
  QTableWidget* StringGrid4 = nullptr;  // phrase grid: pairs, then the entry row
  QPlainTextEdit* Memo1 = nullptr;      // phrase grid hint
  QCheckBox* CheckBox13 = nullptr;      // ignore the glyph's height and width
  // The teaching assistance group of the recognition tab.
  QGroupBox* AssistanceGroup = nullptr;
  QCheckBox* FittedBoxOption = nullptr;          // fit the question box to one glyph
  QCheckBox* SuggestionsOption = nullptr;        // offer suggestions while teaching
  QCheckBox* ReferenceTeachingOption = nullptr;  // teach from the reference where certain
  QCheckBox* ChineseSpacesOption = nullptr;      // no spaces beside marks or inside phrases
  QLabel* SkipPlaceholderLabel = nullptr;
  QLineEdit* SkipPlaceholderEdit = nullptr;  // the mark a skipped glyph leaves; empty: none
  QCheckBox* OcrGuessOption = nullptr;       // offer the OCR guess while teaching
  QLabel* OcrGuessScriptLabel = nullptr;
  QComboBox* OcrGuessScript = nullptr;  // the guess's script: by the interface language, or chosen
  QPushButton* Button9 = nullptr;       // save
  QPushButton* Button10 = nullptr;      // cancel

 public slots:
  void SetProMenuClick();
  void Button9Click();
  void Button10Click();
  void CheckBox1Click();
  void CheckBox8Click();
  void PageControl1Change(int index);
  // After a key is let go in the phrase grid or its cell editor: the entry-row rules.
  void StringGrid4KeyUp();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class PhraseCellDelegate;

  void BuildSavingTab();
  void BuildInputMethodTab();
  void BuildCheckTab();
  void BuildPhraseTab();
  void BuildRecognitionTab();
  void ConnectOptions();
  // Shows app.PanelOptions() and the phrase grid in the controls, without feedback.
  void ShowValues();
  void ShowPhraseGrid();
  void ShowAuthorCells();
  // Typed text of cell (column, grid row `row`) of the phrase grid, before the editor closes.
  void PhraseCellTyped(int column, int row, const QString& text);
  void PhraseItemChanged(int column, int row, const QString& text);
  void AuthorItemChanged(int row, const QString& text);

  MainWindow::Ui& ui_;
  app::Application& app_;
  ports::MessagePort& messages_;
  InputMethodLister input_methods_;
  InputMethodSwitcher switch_input_method_;
  std::vector<QObject*> new_glyph_boxes_;  // Edit1 and Edit6: setup.sys line 4
  QObject* library_search_box_ = nullptr;  // Edit2: setup.sys line 5
  app::SettingsPanelFlow flow_;
  QButtonGroup* ellipsis_buttons_ = nullptr;
  std::vector<std::string> listed_methods_;  // GBK names of ListBox4's entries
};

}  // namespace ui

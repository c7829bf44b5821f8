// LibraryTools: the glyph library's panels and commands in the main window: the library editor
// (Panel6), the merge (Panel15), the export (Panel25), the library check and the index rebuild.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "app/application.h"
#include "library/glyph_library.h"
#include "library/library_editor.h"
#include "ports/host_ports.h"
#include "ui/main_window.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace ui {

class ConfirmingPort;
class ToolPump;

class LibraryTools : public QObject {
  Q_OBJECT

 public:
  // Fills the editor, merge and export panels of `ui` and connects the library commands.
  // `glyphs` is the library the window loaded; null when the window runs over another library
  // port, and then every library command only reports that the library is not at hand. All
  // references must outlive the tools.
  LibraryTools(MainWindow::Ui& ui, app::Application& app, library::GlyphLibrary* glyphs,
               ports::MessagePort& messages, ports::FileDialogPort& dialogs, QWidget* window);
  ~LibraryTools() override;

  // Opens the library editor with a pending search: `number` (decimal digits) lists that record,
  // `text` (GBK) lists every record of that text; both empty lists the latest records. The row
  // analysis calls this with one of the two filled.
  void OpenEditorWithSearch(const std::string& number, const std::string& text);

  // After the window's texts changed language: captions that depend on the tools' state, and the
  // export's range labels, follow the new texts.
  void LanguageApplied();

  // True while a library tool runs a pumped loop; library commands then do nothing.
  bool Busy() const {
    return busy_;
  }

  // fixed names: tests look them up by objectName; do not rename.
  // Library editor (Panel6); its title label is Label4.
  QTableWidget* StringGrid5 = nullptr;  // the records: delete mark, number, text, data, change mark
  QLabel* Label8 = nullptr;             // statistics or search result
  QLabel* Image3 = nullptr;             // picture of the current row's record
  QLabel* Label5 = nullptr;             // "no picture" note
  QRadioButton* RadioButton1 = nullptr;  // search mode: a text
  QLineEdit* Edit2 = nullptr;            // the text to find
  QRadioButton* RadioButton2 = nullptr;  // search mode: a number range
  QLineEdit* Edit12 = nullptr;           // range from
  QLabel* Label23 = nullptr;             // "to"
  QLineEdit* Edit13 = nullptr;           // range to
  QPushButton* Button7 = nullptr;        // find (the panel's default button)
  QPushButton* Button6 = nullptr;        // save the marked rows
  QPushButton* Button22 = nullptr;       // archive the journal
  QPushButton* Button32 = nullptr;       // mark every listed row for deletion
  QPushButton* Button8 = nullptr;        // close
  // Library merge (Panel15); its title label is Label10.
  QLabel* Label9 = nullptr;               // status: own count, other count or records to do
  QLabel* Label11 = nullptr;              // label of the path box
  QLineEdit* Edit3 = nullptr;             // path of the other library's .sts file
  QPushButton* Button11 = nullptr;        // browse
  QPushButton* BitBtn4 = nullptr;         // start, and stop while merging
  QPushButton* Button12 = nullptr;        // back
  QProgressBar* MergeProgress = nullptr;  // 0..255 over the run
  // Library export (Panel25); its title label is Label37.
  QLabel* Label38 = nullptr;               // labels of the range boxes (holds the caption)
  QLabel* ExportFromLabel = nullptr;       // Label38's caption before its gap, left of Edit8
  QLabel* ExportToLabel = nullptr;         // Label38's caption after its gap, between the boxes
  QLineEdit* Edit8 = nullptr;              // first record number
  QLineEdit* Edit4 = nullptr;              // last record number
  QLineEdit* Edit7 = nullptr;              // path of the .sts file to write
  QPushButton* Button18 = nullptr;         // choose the path
  QPushButton* Button16 = nullptr;         // export
  QPushButton* Button17 = nullptr;         // back
  QProgressBar* ExportProgress = nullptr;  // 0..255 over the run

 public slots:
  void EditWordMenuClick();
  void AddWordMenuClick();
  void OutWordMenuClick();
  void CheckWordMenuClick();
  void CreatIndexMenuClick();

 private slots:
  // Library editor.
  void Button7Click();
  void Button6Click();
  void Button22Click();
  void Button32Click();
  void Button8Click();
  void StringGrid5Click(int row, int column);
  void StringGrid5DblClick(int row, int column);
  void StringGrid5CellEdited(int row, int column);
  void Edit12Exit();
  // Merge.
  void Button11Click();
  void BitBtn4Click();
  void Button12Click();
  // Export.
  void Button18Click();
  void Button16Click();
  void Button17Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildEditor();
  void BuildMerge();
  void BuildExport();
  void SplitRangeCaption();
  void Connect();

  // False (after telling the user) when no library is at hand or a tool is running.
  bool Ready();
  std::string Msg(int number) const {
    return app_.Messages().Message(number);
  }
  QString MsgText(int number) const;
  void Inform(const std::string& gbk);
  void ShowError(const text::Error& error);
  // True (and said) when `target` is the live library's word.sts, which an export must not write.
  bool RefusedAsExportTarget(const std::filesystem::path& target);
  // The wait panel with a GBK text.
  void ShowWait(const std::string& gbk);
  void HideWait();
  // Runs `work` with the busy flag set and every library command disabled.
  void RunBusy(const std::function<void()>& work);
  // Reads a line edit as GBK; nullopt (after telling the user) for a character GBK lacks.
  std::optional<std::string> GbkOf(const QLineEdit* edit);
  ports::FileFilter ExchangeFilter() const;

  // Editor helpers.
  void OpenEditor(const std::string& number, const std::string& text);
  void FillEditorGrid();
  void RefreshMarks(int row);
  void ShowEditorPicture();
  void ShowEditorStatus();

  // Merge helpers.
  void SetMerging(bool merging);
  std::string MergeStatus(int marker, int count) const;

  MainWindow::Ui& ui_;
  app::Application& app_;
  library::GlyphLibrary* glyphs_;
  ports::MessagePort& messages_;
  ports::FileDialogPort& dialogs_;
  QWidget* window_;
  std::unique_ptr<ToolPump> pump_;
  std::unique_ptr<ConfirmingPort> port_;  // the questions of the library operations
  std::unique_ptr<library::LibraryEditor> editor_;
  bool busy_ = false;
  bool merging_ = false;
  bool filling_grid_ = false;
};

}  // namespace ui

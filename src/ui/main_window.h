// MainWindow: the program's one window (objectName "MainForm"), binding the menus, tool bar,
// grids, picture strip, status bar and floating panels to the application shell.
#pragma once

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "app/application.h"
#include "app/shell_hooks.h"
#include "ports/host_ports.h"
#include "text/result.h"

class QTimer;
class QTableView;
class QUrl;

namespace library {
class GlyphLibrary;
}

namespace ui {

class ChineseTools;
class ImportTools;
class DesktopTools;
class LibraryTools;
class ProofTools;
class QtEventPump;
class RecognitionTools;
class SettingsTools;
class SubtitleTableModel;
class TimeTools;

// What the window is built from. Null ports mean the window's own (message boxes, file dialogs,
// the glyph library of the program folder); tests pass fakes.
struct MainWindowSetup {
  std::filesystem::path program_folder;  // where every working file lies
  ports::MessagePort* message_port = nullptr;
  ports::FileDialogPort* file_dialogs = nullptr;
  app::GlyphLibraryPort* library = nullptr;
  // Opens a document with the desktop's viewer; defaults to QDesktopServices::openUrl.
  std::function<bool(const QUrl&)> open_url;
  // Lists the desktop's input methods (GBK names); defaults to the ibus or fcitx5 list.
  std::function<std::vector<std::string>()> input_methods;
  // Makes the input method of a GBK name active; defaults to ibus or fcitx5.
  std::function<void(const std::string&)> switch_input_method;
  // The shipped working files the program folder was filled from; the guide and the demo are
  // looked for there when the program folder lacks them. Empty: only the program folder.
  std::filesystem::path shipped_data;
  // A subtitle to open once the library has loaded (the command line's file); empty: none.
  std::filesystem::path open_at_start;
};

class MainWindow : public QMainWindow, private app::ShellHooks {
  Q_OBJECT

 public:
  // Builds the window and the application shell over it. Error "io" (already shown through the
  // message port) when replace.sys, setup.sys or language.sys cannot be read: the program
  // cannot start then.
  static text::Result<std::unique_ptr<MainWindow>> Create(MainWindowSetup setup);
  ~MainWindow() override;

  // Loads the glyph library while the start-up panel shows, then shows the grid and the picture
  // strip in command state 0. Returns false (and closes the window) when the library cannot be
  // loaded.
  bool Activate();

  // Sets every text of the window for the current language.
  void ApplyLanguage();

  // Shows the window maximised on first start, else at the size it had when it last closed.
  void ShowAsLastTime();

  app::Application& Application() {
    return *app_;
  }
  document::SubtitleDocument& Document() {
    return app_->Document();
  }

  // Lays the grids, picture strip and panels out for the window's size.
  void LayOut();

  // Shows the reference grid beside the main grid (or hides it, giving the main grid its full
  // width back) and lays the window out again.
  void SetReferenceGridShown(bool shown);
  // The proofreading tools: the check (also run after a recognition run), the time-overlap
  // correction, find and replace, the reference subtitle and the row commands.
  ProofTools& Proof() {
    return *proof_tools_;
  }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void OpenSrtMenuClick();
  void ReopenEncodingMenuClick(const QString& encoding);
  void SaveSrtMenuClick();
  void SaveInPlaceMenuClick();
  void CloseSrtMenuClick();
  void ExitFormMenuClick();
  void N14Click();
  void N15Click();
  void N16Click();
  void AboutMenuClick();
  void HelpFileMenuClick();
  void NotAvailableYet();
  void StringGrid1ContextMenu(const QPoint& point);
  void SaveDialog1FolderChange(const std::filesystem::path& folder);

 private:
  struct Ui;
  friend class ProofTools;
  friend class SettingsTools;     // builds the settings panel into the window's widgets
  friend class RecognitionTools;  // builds the recognition controls into the window's widgets
  friend class LibraryTools;      // builds the library panels into the window's widgets
  friend class ImportTools;       // adds the import command and its panel
  friend class DesktopTools;      // builds the recent-files menu and the first-start hint
  explicit MainWindow(MainWindowSetup& setup);

  // ShellHooks: what the shell's flows show in the window.
  void CommandsChanged(const app::CommandEnablement& enabled) override;
  void TitleChanged(const std::string& title) override;
  void StatusTextChanged(const std::string& text) override;
  void ShowLoadingText(const std::string& text) override;
  void HideLoadingText() override;
  void ShowWaitText(const std::string& text) override;
  void HideWaitText() override;
  void FocusFirstCell() override;
  void GoToCell(int row, int column) override;
  void ShowPicturePanels() override;
  void ShowEditPanels() override;
  void MainSubtitleClosed() override;
  void ResetTaughtRows() override;
  void EstimateStandardSizes() override;
  void RunCheckCommand() override;
  void SaveReferenceSubtitle() override;

  void BuildMenus();
  void BuildToolBar();
  void BuildCentralArea();
  void BuildStatusBar();
  void BuildPanels();
  void BindDocument();
  void ConnectSignals();
  // File > "Reopen with encoding": ReopenEncodingMenu, its items named by the encodings.
  void AddReopenEncodingMenu();

  std::string Message(int number) const {
    return app_->Messages().Message(number);
  }
  QString MessageText(int number) const;
  void SwitchLanguage(int language);
  // Sets heading `index` of the grid named `grid_name` (GBK text).
  void SetHeading(const QString& grid_name, Qt::Orientation orientation, int index,
                  const std::string& gbk);
  bool AcceptCellEdit(int column, int row, const QString& value);
  void ShowAboutPanel(const std::string& loading_text);
  // The about panel's texts in the current language; a non-empty `loading_text` shows it in place
  // of the close button.
  void FillAboutPanel(const std::string& loading_text);
  void ShowProgress(int done, int total);
  // Sets Qt's unsaved mark of the title from the document's DocumentSaved flag.
  void SyncModifiedMark();
  void ApplyColumnWidths();
  // Widens every visible heading of the tool grids that is narrower than its text.
  void FitToolGridHeadings();
  // Column widths of a subtitle grid: `widths` per column, at least the heading's width; a width
  // of 1 hides the column; the text column takes the room left.
  static void FitColumns(QTableView* grid, std::span<const int> widths);

  std::filesystem::path program_folder_;
  std::unique_ptr<ports::MessagePort> own_message_port_;
  std::unique_ptr<ports::FileDialogPort> own_file_dialogs_;
  std::unique_ptr<library::GlyphLibrary> own_glyphs_;
  std::unique_ptr<app::GlyphLibraryPort> own_library_;
  ports::MessagePort* message_port_;
  ports::FileDialogPort* file_dialogs_;
  app::GlyphLibraryPort* library_;
  std::function<bool(const QUrl&)> open_url_;
  std::filesystem::path shipped_data_;   // the shipped working files (guide and demo)
  std::filesystem::path open_at_start_;  // a subtitle to open after activation
  std::unique_ptr<QtEventPump> pump_;
  std::unique_ptr<Ui> ui_;
  std::unique_ptr<app::Application> app_;
  SubtitleTableModel* main_model_ = nullptr;
  SubtitleTableModel* reference_model_ = nullptr;
  bool reference_grid_shown_ = false;
  QTimer* modified_timer_ = nullptr;                     // keeps the title's unsaved mark in step
  ProofTools* proof_tools_ = nullptr;                    // a child of the window
  std::unique_ptr<RecognitionTools> recognition_tools_;  // strip, run, teaching, analysis, cropping
  std::unique_ptr<LibraryTools> library_tools_;    // library editor, merge, export, check, index
  std::unique_ptr<SettingsTools> settings_tools_;  // the settings panel and the phrase grid
  ChineseTools* chinese_tools_ = nullptr;          // a child of the window: script conversion
  TimeTools* time_tools_ = nullptr;                // a child of the window: the Times menu
  std::unique_ptr<ImportTools> import_tools_;      // disc subtitle import
  std::unique_ptr<DesktopTools> desktop_tools_;    // help, hint, recent files, Qt's texts
};

}  // namespace ui

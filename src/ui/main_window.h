// MainWindow: the program's one window (objectName "MainForm"), binding the menus, tool bar,
// grids, picture strip, status bar and floating panels to the document and the app functions.
#pragma once

#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/message_table.h"
#include "app/ports.h"
#include "document/subtitle_document.h"
#include "settings/settings_list.h"

class QUrl;

namespace ui {

class QtEventPump;
class SubtitleTableModel;

// What the window is built from. The message table and settings are read by the caller (a
// missing file stops the program before the window exists). Null ports mean the window's own
// Qt ports (message boxes, file dialogs); tests pass fakes.
struct MainWindowSetup {
  std::filesystem::path program_folder;  // where every working file lies
  app::MessageTable messages;
  settings::SettingsList settings;
  app::MessagePort* message_port = nullptr;
  app::FileDialogPort* file_dialogs = nullptr;
  // Opens a document with the desktop's viewer; defaults to QDesktopServices::openUrl.
  std::function<bool(const QUrl&)> open_url;
};

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(MainWindowSetup setup, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Shows the start-up panel while the library loads, then shows the grid and the picture strip
  // and applies command state 0 (recorded).
  void Activate();

  // Enables and disables the commands for `state` (0 to 7); does not record it.
  void SetCommandState(int state);
  // Records `state` as the one temporary states return to, then applies it.
  void EnterRecordedState(int state);
  int RecordedState() const {
    return recorded_state_;
  }

  // Sets every text of the window for the current language (1, 2 or 3).
  void ApplyLanguage();
  void SetLanguage(int language);
  int Language() const {
    return messages_.Language();
  }

  document::SubtitleDocument& Document() {
    return document_;
  }
  const settings::SettingsList& Settings() const {
    return settings_;
  }
  bool RecognitionStopped() const {
    return recognition_stopped_;
  }

  // Lays the grids, picture strip and panels out for the window's size.
  void LayOut();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void OpenSrtMenuClick();
  void SaveSrtMenuClick();
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
  enum class ShutdownPath { kExitCommand, kWindowClose };

  void BuildMenus();
  void BuildToolBar();
  void BuildCentralArea();
  void BuildStatusBar();
  void BuildPanels();
  void ConnectSignals();

  std::string Message(int number) const {
    return messages_.Message(number);
  }
  QString MessageText(int number) const;
  // Asks the unsaved-work question `text_message` (caption 413, Yes/No/Cancel); Yes saves.
  // Returns true when the caller may go on.
  bool GuardUnsavedWork(int text_message);
  // The shutdown steps shared by Exit and the window's close; true when the program may end.
  bool RunShutdownSteps(ShutdownPath path);
  bool AcceptCellEdit(int column, int row, const QString& value);
  void ShowAboutPanel(bool loading);
  void ShowPicturePanels();
  void ShowEditPanels();
  void SelectFirstRow();
  void SetStatusText(const std::string& gbk);
  void ShowProgress(int done, int total);
  void ApplyColumnWidths();

  std::filesystem::path program_folder_;
  app::MessageTable messages_;
  settings::SettingsList settings_;
  document::SubtitleDocument document_;
  std::unique_ptr<app::MessagePort> own_message_port_;
  std::unique_ptr<app::FileDialogPort> own_file_dialogs_;
  app::MessagePort* message_port_;
  app::FileDialogPort* file_dialogs_;
  std::function<bool(const QUrl&)> open_url_;
  std::unique_ptr<QtEventPump> pump_;
  std::unique_ptr<Ui> ui_;
  SubtitleTableModel* main_model_ = nullptr;
  SubtitleTableModel* reference_model_ = nullptr;
  int recorded_state_ = 0;
  bool recognition_stopped_ = true;
  bool reference_grid_shown_ = false;
};

}  // namespace ui

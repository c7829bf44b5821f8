// DesktopTools: what makes the window a desktop program: Qt's own texts in the interface
// language, the help window, the first-start hint, the recent-files menu and the window's size
// between runs.
#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/recent_files.h"
#include "ui/main_window.h"
#include "ui/main_window_ui.h"

class QUrl;

namespace ui {

class HelpWindow;
class QtMessagePort;
class QtTranslations;

class DesktopTools : public QObject {
  Q_OBJECT

 public:
  // Adds the recent-files menu to the File menu and the first-start hint over the grid of `ui`.
  // `shipped_data` is the data folder the working folder was filled from (the guide and the demo
  // are looked for there too); `own_messages` is the window's own message port when it has one
  // (its buttons then follow the language). All references must outlive the tools.
  DesktopTools(MainWindow& window, MainWindow::Ui& ui, app::Application& app,
               ports::MessagePort& messages, QtMessagePort* own_messages,
               std::filesystem::path shipped_data, std::function<bool(const QUrl&)> open_url);
  ~DesktopTools() override;

  // After the window's texts changed language: Qt's texts, the message boxes' buttons and the
  // help window follow.
  void LanguageApplied();
  // The library has loaded: from now on the hint shows whenever no subtitle is open.
  void Activated();
  // Shows or hides the first-start hint for what is open now.
  void UpdateStartHint();
  // Centres the hint over `grid` (the main grid's place in the central area).
  void PlaceStartHint(const QRect& grid);

  // The help command (F1): the guide of the current language in the help window, or message
  // 740 when no guide is found.
  void ShowHelp();
  // Opens `file` as the Open command would, without the dialog, and remembers it. A file that
  // has gone is taken off the recent list and reported.
  bool OpenFile(const std::filesystem::path& file);
  // Puts the subtitle just opened at the top of the recent-files list and stores the list.
  void RememberOpened();

  // Shows the window maximised on first start, else at the size it had when it last closed.
  void ShowAsLastTime();
  // Stores the window's state and normal size for the next start.
  void StorePlacement();

 private:
  void BuildRecentMenu();
  void BuildStartHint();
  void FillRecentMenu();
  void OpenDemo();
  void ClearRecentFiles();
  void StoreRecentFiles();
  QString Text(int message) const;

  MainWindow& window_;
  MainWindow::Ui& ui_;
  app::Application& app_;
  ports::MessagePort& messages_;
  QtMessagePort* own_messages_;
  std::filesystem::path shipped_data_;
  std::function<bool(const QUrl&)> open_url_;
  std::unique_ptr<QtTranslations> translations_;
  app::RecentFiles recent_;
  HelpWindow* help_ = nullptr;  // made on first use; a child of the window
  bool activated_ = false;
};

}  // namespace ui

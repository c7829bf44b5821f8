// The user guide in a window of the program's own (no browser needed).
#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>

class QPushButton;
class QTextBrowser;
class QUrl;

namespace ui {

// A non-modal window (objectName "HelpWindow") with the guide in a QTextBrowser ("HelpBrowser")
// and a close button ("HelpClose"). Links inside the guide stay in the window; links to the web
// go to `open_external`.
class HelpWindow : public QDialog {
  Q_OBJECT

 public:
  HelpWindow(std::function<bool(const QUrl&)> open_external, QWidget* parent);

  // Shows `file` (an HTML guide) from its start.
  void ShowFile(const std::filesystem::path& file);
  void SetTexts(const QString& title, const QString& close);

  QTextBrowser* Browser() const {
    return browser_;
  }

 private:
  void LinkClicked(const QUrl& url);

  std::function<bool(const QUrl&)> open_external_;
  QTextBrowser* browser_;
  QPushButton* close_;
};

}  // namespace ui

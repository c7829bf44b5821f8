// The host ports on Qt: message boxes, file dialogs and an event pump for long loops.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "ports/host_ports.h"

class QFileDialog;
class QMessageBox;
class QWidget;

namespace ui {

// The captions of the message boxes' buttons in the interface language. Empty captions leave
// Qt's own (translated) texts.
struct MessageBoxButtonTexts {
  QString yes, no, ok, cancel;
};

// Gives the standard buttons that `box` holds the captions of `texts`.
void LabelButtons(QMessageBox& box, const MessageBoxButtonTexts& texts);

// Message boxes (QMessageBox) over `parent`; texts are GBK and cross through qt_convert.h.
class QtMessagePort : public ports::MessagePort {
 public:
  explicit QtMessagePort(QWidget* parent) : parent_(parent) {}
  void Inform(ports::Severity severity, const std::string& text) override;
  ports::Answer Ask(const ports::Question& question) override;

  // The button captions of the boxes shown from now on (the window's language switch).
  void SetButtonTexts(MessageBoxButtonTexts texts) {
    button_texts_ = std::move(texts);
  }

 private:
  QPointer<QWidget> parent_;
  MessageBoxButtonTexts button_texts_;
};

// Open and save dialogs (QFileDialog, Qt's own widgets so that the folder-change signal works
// everywhere). The save dialog asks before replacing an existing file.
class QtFileDialogPort : public ports::FileDialogPort {
 public:
  explicit QtFileDialogPort(QWidget* parent) : parent_(parent) {}
  std::optional<std::filesystem::path> ChooseFileToOpen(const ports::FileFilter& filter) override;
  std::optional<std::filesystem::path> ChooseFileToSave(
      const ports::FileFilter& filter, const std::filesystem::path& suggestion) override;
  // The save dialog with the list (objectName "EncodingBox", its label "EncodingLabel") below
  // the file type.
  std::optional<ports::SaveChoice> ChooseFileToSaveWithList(
      const ports::FileFilter& filter, const std::filesystem::path& suggestion,
      const ports::SaveListChoice& list) override;

  std::optional<std::filesystem::path> ChooseFolder(const std::filesystem::path& start) override;

  // The save dialog as the two functions above show it, not yet run (`list` may be null); the
  // caller owns it. Tests and pictures of the dialog use it directly.
  std::unique_ptr<QFileDialog> NewSaveDialog(const ports::FileFilter& filter,
                                             const std::filesystem::path& suggestion,
                                             const ports::SaveListChoice* list);

  // The folder a dialog opens in: `wanted` when it is an existing absolute folder, else the
  // folder of the last file chosen in any of this port's dialogs, else the user's home; never
  // the program's working folder (a relative or stale remembered folder would give that).
  std::filesystem::path StartFolder(const std::filesystem::path& wanted) const;

  // Called with the new folder each time the save dialog changes folder.
  void SetSaveFolderChanged(std::function<void(const std::filesystem::path&)> handler) {
    save_folder_changed_ = std::move(handler);
  }

 private:
  QPointer<QWidget> parent_;
  std::function<void(const std::filesystem::path&)> save_folder_changed_;
  std::filesystem::path last_folder_;  // of the last file chosen
};

// The Qt filter string ("desc (*.a *.b);;...") for a port filter; patterns given as
// "*.srt;*.ssa" become space separated.
QString ToQtFilter(const ports::FileFilter& filter);

// Lets pending events run at most every kPumpInterval and reports progress at most at display
// rate. RequestStop() (the Stop command) sets the flag the running loop polls; Reset() clears it
// before the next loop.
class QtEventPump : public ports::EventPump {
 public:
  static constexpr int kPumpIntervalMs = 30;
  static constexpr int kRepaintIntervalMs = 16;

  QtEventPump();
  void LetPendingEventsRun() override;
  void ReportProgress(int done, int total) override;
  bool StopRequested() const override {
    return stop_requested_;
  }

  void RequestStop() {
    stop_requested_ = true;
  }
  void Reset() {
    stop_requested_ = false;
  }
  // Receives (done, total) for drawing; called at most every kRepaintIntervalMs, and always for
  // the last unit (done == total).
  void SetProgressSink(std::function<void(int, int)> sink) {
    progress_sink_ = std::move(sink);
  }

 private:
  QElapsedTimer since_pump_;
  QElapsedTimer since_paint_;
  bool stop_requested_ = false;
  std::function<void(int, int)> progress_sink_;
};

}  // namespace ui

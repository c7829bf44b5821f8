// What the core asks of its host (window, command line, tests): messages, questions, file
// dialogs, letting pending events run, and the clock. The core receives these by reference.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ports {

enum class Severity { kInformation, kWarning, kError };

enum class Answer { kYes, kNo, kCancel, kOk };

// Which buttons a question offers.
enum class Buttons { kOk, kOkCancel, kYesNo, kYesNoCancel };

// A message-box question: its text and caption are GBK strings from the message table.
struct Question {
  std::string text;
  std::string caption;
  Buttons buttons = Buttons::kYesNo;
};

class MessagePort {
 public:
  virtual ~MessagePort() = default;
  // Shows `text` (GBK) and returns when the user has seen it.
  virtual void Inform(Severity severity, const std::string& text) = 0;
  // Asks and returns the button pressed; closing the box counts as kCancel (or kNo for kYesNo).
  virtual Answer Ask(const Question& question) = 0;
};

// A file dialog's filter: pairs of a description (GBK) and a pattern such as "*.srt".
struct FileFilter {
  std::vector<std::pair<std::string, std::string>> entries;
  std::filesystem::path start_folder;
  std::string default_extension;  // with the full stop, e.g. ".srt"
};

// A list the save dialog shows beside the file name (the encoding): a caption, its entries (GBK)
// and the entry selected when the dialog opens.
struct SaveListChoice {
  std::string caption;
  std::vector<std::string> entries;
  int selected = 0;
};

// The file chosen in a save dialog and the entry chosen in its list.
struct SaveChoice {
  std::filesystem::path file;
  int selected = 0;
};

class FileDialogPort {
 public:
  virtual ~FileDialogPort() = default;
  // nullopt means the user cancelled.
  virtual std::optional<std::filesystem::path> ChooseFileToOpen(const FileFilter& filter) = 0;
  virtual std::optional<std::filesystem::path> ChooseFileToSave(
      const FileFilter& filter, const std::filesystem::path& suggestion) = 0;
  // The save dialog with a list beside the file name. A host without such a list asks for the
  // file alone and keeps `list.selected`.
  virtual std::optional<SaveChoice> ChooseFileToSaveWithList(
      const FileFilter& filter, const std::filesystem::path& suggestion,
      const SaveListChoice& list) {
    auto file = ChooseFileToSave(filter, suggestion);
    if (!file) {
      return std::nullopt;
    }
    return SaveChoice{std::move(*file), list.selected};
  }
  // A folder, starting at `start` (the host's own choice when empty). A host without a folder
  // dialog answers nullopt, as a cancel.
  virtual std::optional<std::filesystem::path> ChooseFolder(const std::filesystem::path& start) {
    (void)start;
    return std::nullopt;
  }
};

// Lets a long loop on the host's thread stay responsive. Loops call LetPendingEventsRun once per
// natural unit (a subtitle, a glyph, a record); the host decides how often it really repaints.
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void LetPendingEventsRun() = 0;  // may be a no-op
  // `done` of `total` units finished; total 0 means unknown.
  virtual void ReportProgress(int done, int total) = 0;
  // True once the user asked the running loop to stop.
  virtual bool StopRequested() const = 0;
};

// An EventPump that does nothing and never asks to stop.
class NullEventPump : public EventPump {
 public:
  void LetPendingEventsRun() override {}
  void ReportProgress(int, int) override {}
  bool StopRequested() const override {
    return false;
  }
};

// The texts of the message table in the current language: Message(N) is message N (GBK), ""
// when the table has no such line. Implemented by the application's message table.
class MessageSource {
 public:
  virtual ~MessageSource() = default;
  virtual std::string Message(int number) const = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::chrono::steady_clock::time_point Now() const = 0;
};

// The host's small wait panel, shown with a text (GBK) over long work that has no bar of its own.
// Either function may be empty when the host shows nothing.
struct WaitPanel {
  std::function<void(const std::string& text)> show;  // show or update the text
  std::function<void()> hide;
};

}  // namespace ports

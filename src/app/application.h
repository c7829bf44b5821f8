// Application: the program-wide state of the window (document, settings, phrase table, messages,
// command states, flags) with start-up, activation, shutdown and the Open, Save and Close flows.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/command_state.h"
#include "app/message_numbers.h"
#include "app/message_table.h"
#include "app/shell_hooks.h"
#include "document/subtitle_document.h"
#include "ports/host_ports.h"
#include "settings/phrase_table.h"
#include "settings/settings_list.h"
#include "settings/settings_panel.h"
#include "text/encoding.h"
#include "text/line_file.h"
#include "text/result.h"

namespace app {

// The program's caption; the window title after Open is this, "--" and the subtitle's name.
inline constexpr const char* kProgramCaption = "Zentrope V3.13";

inline constexpr const char* kLanguageFileName = "language.sys";
inline constexpr const char* kFindHistoryFileName = "replace1.txt";
inline constexpr const char* kReplaceHistoryFileName = "replace2.txt";

// The two ways of leaving the program; they run the same steps with different messages.
enum class ShutdownPath { kExitCommand, kWindowClose };

// The texts (message numbers) a shutdown path shows.
struct ShutdownMessages {
  int recognition_running;
  int main_unsaved;
  int reference_unsaved;
  int archiving;
};
ShutdownMessages MessagesFor(ShutdownPath path);

// Writes setup.sys and replace.sys of `folder` as one commit (library::WriteFilesTogether): a
// crash leaves both old or, once the commit record is written, both new after the next
// FinishSettingsWrite. Error "io" when nothing was changed (a target that is not a regular file
// is refused first), or when the files were committed but could not yet be put in place.
text::Status SaveSettingsFiles(const std::filesystem::path& folder,
                               const settings::SettingsList& settings,
                               const settings::PhraseTable& phrases);

// Completes or clears an interrupted SaveSettingsFiles in `folder` (and any other committed
// write waiting there); called at start-up before the files are read.
text::Status FinishSettingsWrite(const std::filesystem::path& folder);

// The host's side of the shell: ports for messages, dialogs and event pumping, the window's
// hooks and the glyph library. All must outlive the Application.
struct ShellPorts {
  ports::MessagePort& messages;
  ports::FileDialogPort& dialogs;
  ports::EventPump& pump;
  ShellHooks& hooks;
  GlyphLibraryPort& library;
};

class Application {
 public:
  // Construction: reads replace.sys, setup.sys (padded to 23 lines) and language.sys from
  // `program_folder`, in this order, then applies what the core holds of the settings: the
  // language (a damaged number means language 1), the three remembered folders and the phrase
  // grid. Error code "io" names the file and the folder when one of the three files is missing
  // or unreadable; the program cannot start then. Calls no port.
  static text::Result<std::unique_ptr<Application>> Create(std::filesystem::path program_folder,
                                                           ShellPorts ports);

  // Activation: shows the loading text (message 398), loads the glyph library, reads
  // replace1.txt and replace2.txt when present, hides the loading text and enters command
  // state 0. An Error from the library means the window must close (the library has shown its
  // message); a history file that exists but cannot be read is reported and left empty.
  text::Status Activate();

  // The Open command. Guards unsaved work (message 410), asks for a .srt/.ssa file, reads it
  // into the main table and prepares the window for a picture subtitle (state 1) or a text
  // subtitle (state 7). Returns true when a subtitle was read.
  bool OpenCommand();
  // The Open command's work after the dialog: reads `file` (.srt or .ssa) into the main table and
  // prepares the window as OpenCommand does. Does not guard unsaved work. Returns true when a
  // subtitle was read.
  bool OpenSubtitleFile(const std::filesystem::path& file);
  // Reads the open main subtitle again in `encoding` (the window's "Reopen with encoding"), after
  // the unsaved-work question of the Open command. False when no file is open, the user keeps
  // the unsaved work, or the read fails (as OpenSubtitleFile).
  bool ReopenWithEncoding(text::Encoding encoding);
  // Asks the unsaved-work question `text_message` (caption 413, Yes/No/Cancel) while the main
  // subtitle is unsaved. Returns true when the command may go on: saved, No, or Yes followed by a
  // save that happened.
  bool GuardUnsavedMainSubtitle(int text_message);
  // The Save command: offers the check first while the texts are not proofread (messages 488,
  // 491; Yes runs the check and saves nothing), asks for the file and the encoding (the list
  // opens at settings line 23, which remembers the choice) and writes it as SRT or SSA. Rows the
  // file would not hold as the table does (document::FindSaveProblems) are named first (caption
  // 413, Yes and No): Yes saves anyway, No goes to the first such row and saves nothing. After a
  // save the title names the file and the status bar says "saved: name, encoding". Returns true
  // when the file was written; a failed write is shown and leaves the flags as they were.
  // A picture subtitle's rows without a text yet are counted first (Yes/No/Cancel, message
  // kRowsWithoutTextQuestion): Yes keeps them with their picture's name as their text, No leaves
  // them out and the status bar says how many, Cancel saves nothing. The dialog suggests the
  // file the subtitle was last saved as, else its own name with the save extension.
  bool SaveCommand();
  // Save without the dialog: to the file the subtitle was opened from (a text subtitle) or last
  // saved as, in the encoding last chosen; with no such file it is the Save command.
  bool SaveInPlaceCommand();
  // The name the save dialog proposes (see SaveCommand); empty when nothing is open.
  std::filesystem::path SaveSuggestion() const;
  // The Close command: guards unsaved work (message 635), clears the main table and enters
  // state 0. Returns true when the table was closed.
  bool CloseCommand();

  // One shutdown path. Refuses while recognition runs; asks about an unsaved main and
  // reference subtitle (Yes saves, and a save that did not happen refuses); archives the glyph
  // journal when it holds glyphs; stores the three folders in lines 14-16 and writes setup.sys.
  // Returns true when the window may close: for the exit command that means the window should
  // now be asked to close, which runs kWindowClose; that one then returns true at once, asking
  // nothing a second time. A failed write is shown and refuses, so
  // nothing is lost.
  bool Shutdown(ShutdownPath path);

  // The language switch's part in the core: the message table's language and settings line 13.
  // A number other than 1, 2 or 3 means 1. The window then applies the new texts.
  void SwitchLanguage(int language);

  // "Save" of the settings panel: applies the panel's values to the settings list (rebuilding
  // the phrase table from the grid when the phrase option is on), then writes setup.sys and
  // replace.sys. A failed write is shown and returned.
  text::Status SaveSettingsPanel(const settings::PanelValues& values);

  // Command states: apply without recording, record and apply, apply the recorded state again.
  // Each tells the window through ShellHooks::CommandsChanged.
  void SetCommandState(int state);
  void EnterCommandState(int state);
  void RestoreRecordedCommandState();
  const CommandStates& Commands() const {
    return commands_;
  }
  // A reference subtitle was opened (true) or saved and closed (false): its commands follow
  // (CommandStates::SetReferenceOpen), and the window hears of it through CommandsChanged.
  void SetReferenceOpen(bool open);

  const std::filesystem::path& ProgramFolder() const {
    return program_folder_;
  }
  std::filesystem::path WorkingFile(const std::string& name) const {
    return program_folder_ / name;
  }

  document::SubtitleDocument& Document() {
    return document_;
  }
  const document::SubtitleDocument& Document() const {
    return document_;
  }
  settings::SettingsList& Settings() {
    return settings_;
  }
  const settings::SettingsList& Settings() const {
    return settings_;
  }
  settings::PhraseTable& Phrases() {
    return phrases_;
  }
  settings::PhraseGrid& PhraseGrid() {
    return phrase_grid_;
  }
  // The settings panel's options as its controls show them now (read from setup.sys at start).
  // The using commands read them at the moment they act, so a change counts at once, saved or
  // not; "save" of the panel makes them lasting.
  settings::PanelValues& PanelOptions() {
    return panel_options_;
  }
  const settings::PanelValues& PanelOptions() const {
    return panel_options_;
  }
  const MessageTable& Messages() const {
    return messages_;
  }
  const text::Lines& FindHistory() const {
    return find_history_;
  }
  const text::Lines& ReplaceHistory() const {
    return replace_history_;
  }
  text::Lines& FindHistory() {
    return find_history_;
  }
  text::Lines& ReplaceHistory() {
    return replace_history_;
  }

  // Shows a status text made by `make` (GBK) now, and again after every language switch until
  // another status replaces it, so the bar always speaks the current language.
  void ShowStatus(std::function<std::string()> make);

  // True while no recognition run is going; a run clears it and sets it again when it ends.
  bool RecognitionStopped() const {
    return recognition_stopped_;
  }
  void SetRecognitionStopped(bool stopped) {
    recognition_stopped_ = stopped;
  }

 private:
  Application(std::filesystem::path program_folder, ShellPorts ports);

  bool Save(bool in_place);
  void ShowError(const text::Error& error);
  // The status text after an Open: message 395, the row count, and the suffix `suffix_message`.
  // Kept so that a language switch shows it again in the new language.
  void ShowRowsReadStatus(const std::string& rows, int suffix_message);
  std::string Text(int message) const {
    return messages_.Message(message);
  }

  std::filesystem::path program_folder_;
  ShellPorts ports_;
  document::SubtitleDocument document_;
  settings::SettingsList settings_;
  // The encoding ReopenWithEncoding forces on the next read only.
  std::optional<text::Encoding> reopen_encoding_;
  settings::PhraseTable phrases_;
  settings::PhraseGrid phrase_grid_;
  settings::PanelValues panel_options_;
  MessageTable messages_;
  CommandStates commands_;
  text::Lines find_history_;
  text::Lines replace_history_;
  bool recognition_stopped_ = true;
  bool exit_confirmed_ = false;          // the exit command's shutdown went through
  std::function<std::string()> status_;  // empty until a status text was shown
};

}  // namespace app

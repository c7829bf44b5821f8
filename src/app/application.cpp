// Application: start-up, activation, shutdown, and the Open, Save and Close commands.
#include "app/application.h"

#include <algorithm>
#include <system_error>

#include "app/status_texts.h"
#include "app/subtitle_formats.h"
#include "document/save_check.h"
#include "document/subtitle_reader.h"
#include "document/subtitle_writer.h"
#include "library/file_layer.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using document::Role;

// The extension of a chosen file as the flows keep it: lower case, with the full stop.
std::string LowerExtension(const fs::path& file) {
  std::string extension = file.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(), [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return extension;
}

// Reads one of the three files construction cannot do without.
template <typename T>
text::Result<T> LoadStartupFile(const fs::path& folder, const char* name) {
  auto loaded = T::LoadFromFile(folder / name);
  if (!loaded) {
    return text::Error{"io",
                       std::string("Cannot start: the working file ") + name +
                           " is missing or unreadable in the folder " +
                           text::PathForMessage(folder) + " (" + loaded.error().message + ")",
                       0};
  }
  return loaded;
}

}  // namespace

text::Status SaveSettingsFiles(const fs::path& folder, const settings::SettingsList& settings,
                               const settings::PhraseTable& phrases) {
  const fs::path setup = folder / settings::kSettingsFileName;
  const fs::path table = folder / settings::kPhraseFileName;
  // A target that is not a file (a folder, say) could never be replaced: refuse before the
  // commit, while nothing has changed.
  for (const fs::path& target : {setup, table}) {
    std::error_code error;
    if (fs::exists(target, error)) {
      if (auto regular = text::CheckRegularFile(target); !regular) {
        return regular.error();
      }
    }
  }
  library::RealFileLayer files;
  auto written = library::WriteFilesTogether(files, folder,
                                             {{setup, settings.Lines()}, {table, phrases.Lines()}});
  if (!written) {
    return written;
  }
  if (files.Exists(folder / library::kCommitRecordName)) {
    return text::Error{"io", "The settings were written but could not yet replace " +
                                 text::PathForMessage(setup) +
                                 "; the next start completes the change"};
  }
  return text::Success();
}

text::Status FinishSettingsWrite(const fs::path& folder) {
  library::RealFileLayer files;
  return library::FinishInterruptedWrite(files, folder,
                                         {settings::kSettingsFileName, settings::kPhraseFileName});
}

ShutdownMessages MessagesFor(ShutdownPath path) {
  if (path == ShutdownPath::kExitCommand) {
    return {msg::kExitWhileRecognising, msg::kExitMainUnsaved, msg::kExitReferenceUnsaved,
            msg::kExitArchiving};
  }
  return {msg::kCloseWhileRecognising, msg::kCloseMainUnsaved, msg::kCloseReferenceUnsaved,
          msg::kCloseArchiving};
}

Application::Application(fs::path program_folder, ShellPorts ports)
    : program_folder_(std::move(program_folder)), ports_(ports) {
  document::SetDefaultHeadings(document_);
}

text::Result<std::unique_ptr<Application>> Application::Create(fs::path program_folder,
                                                               ShellPorts ports) {
  // A settings save cut short by a crash is completed (or dropped) before the files are read.
  if (auto finished = FinishSettingsWrite(program_folder); !finished) {
    return finished.error();
  }
  auto phrases = LoadStartupFile<settings::PhraseTable>(program_folder, settings::kPhraseFileName);
  if (!phrases) {
    return phrases.error();
  }
  auto setup = LoadStartupFile<settings::SettingsList>(program_folder, settings::kSettingsFileName);
  if (!setup) {
    return setup.error();
  }
  auto messages = LoadStartupFile<MessageTable>(program_folder, kLanguageFileName);
  if (!messages) {
    return messages.error();
  }

  std::unique_ptr<Application> application(new Application(std::move(program_folder), ports));
  application->phrases_ = std::move(phrases).value();
  application->settings_ = std::move(setup).value();
  application->messages_ = std::move(messages).value();

  // The settings the core holds itself; the window applies the rest to its controls.
  application->SwitchLanguage(
      ParseLanguageNumber(application->settings_.Line(settings::kLanguage)));
  document::SubtitleDocument& document = application->document_;
  document.last_open_folder = application->settings_.OpenFolder();
  document.reference_folder = application->settings_.ReferenceFolder();
  document.last_save_folder = application->settings_.SaveFolder();
  application->phrase_grid_.Fill(application->phrases_);
  application->panel_options_ = settings::PanelValuesFrom(application->settings_);
  return application;
}

text::Status Application::Activate() {
  ports_.hooks.ShowLoadingText(Text(msg::kLoadingLibrary));
  text::Status loaded = ports_.library.Load(ports_.messages, messages_, ports_.pump);
  if (!loaded) {
    ports_.hooks.HideLoadingText();
    return loaded;
  }
  // The histories are optional: a missing file is an empty history.
  const std::pair<const char*, text::Lines*> histories[] = {
      {kFindHistoryFileName, &find_history_}, {kReplaceHistoryFileName, &replace_history_}};
  for (const auto& [name, lines] : histories) {
    std::error_code error;
    if (!fs::exists(WorkingFile(name), error)) {
      continue;
    }
    auto read = text::ReadLines(WorkingFile(name));
    if (read) {
      *lines = std::move(read).value();
    } else {
      ShowError(read.error());
    }
  }
  ports_.hooks.HideLoadingText();
  EnterCommandState(0);
  return text::Success();
}

void Application::SetCommandState(int state) {
  commands_.Apply(state);
  ports_.hooks.CommandsChanged(commands_.Enablement());
}

void Application::EnterCommandState(int state) {
  commands_.Enter(state);
  ports_.hooks.CommandsChanged(commands_.Enablement());
}

void Application::SetReferenceOpen(bool open) {
  commands_.SetReferenceOpen(open);
  ports_.hooks.CommandsChanged(commands_.Enablement());
}

void Application::RestoreRecordedCommandState() {
  commands_.RestoreRecorded();
  ports_.hooks.CommandsChanged(commands_.Enablement());
}

void Application::SwitchLanguage(int language) {
  messages_.SetLanguage(language);
  settings_.SetLanguage(messages_.Language());
  if (status_) {
    ports_.hooks.StatusTextChanged(status_());
  }
}

void Application::ShowStatus(std::function<std::string()> make) {
  status_ = std::move(make);
  ports_.hooks.StatusTextChanged(status_ ? status_() : std::string());
}

void Application::ShowRowsReadStatus(const std::string& rows, int suffix_message) {
  ShowStatus([this, rows, suffix_message] {
    return Text(msg::kRowsReadPrefix) + rows + Text(suffix_message);
  });
}

void Application::ShowError(const text::Error& error) {
  ports_.messages.Inform(ports::Severity::kError, error.message);
}

bool Application::GuardUnsavedMainSubtitle(int text_message) {
  if (document_.document_saved) {
    return true;
  }
  const ports::Answer answer = ports_.messages.Ask(
      {Text(text_message), Text(msg::kUnsavedCaption), ports::Buttons::kYesNoCancel});
  if (answer == ports::Answer::kNo) {
    return true;
  }
  if (answer == ports::Answer::kYes) {
    SaveCommand();
    return document_.document_saved;
  }
  return false;
}

bool Application::OpenCommand() {
  if (!GuardUnsavedMainSubtitle(msg::kOpenUnsavedQuestion)) {
    return false;
  }
  document_.format_rules = FormatRulesOf(settings_);
  ports::FileFilter filter{
      DialogFilterEntries(Text(msg::kOpenFilter), OpenSubtitleFilters(document_.format_rules)),
      document_.last_open_folder, document_.source_extension};
  const auto chosen = ports_.dialogs.ChooseFileToOpen(filter);
  if (!chosen) {
    return false;
  }
  return OpenSubtitleFile(*chosen);
}

bool Application::ReopenWithEncoding(text::Encoding encoding) {
  if (document_.source_file.empty() || document_.picture_mode) {
    return false;
  }
  if (!GuardUnsavedMainSubtitle(msg::kOpenUnsavedQuestion)) {
    return false;
  }
  reopen_encoding_ = encoding;
  const fs::path file = document_.source_file;
  return OpenSubtitleFile(file);
}

bool Application::OpenSubtitleFile(const fs::path& file) {
  const fs::path* chosen = &file;
  document_.last_open_folder = chosen->parent_path();
  document_.source_file = *chosen;
  document_.source_extension = LowerExtension(*chosen);
  document_.format_rules = FormatRulesOf(settings_);
  document_.input_encoding = reopen_encoding_ ? reopen_encoding_ : InputEncodingOf(settings_);
  reopen_encoding_.reset();
  if (!IsSubtitleExtension(document_.source_extension, document_.format_rules)) {
    ports_.messages.Inform(ports::Severity::kWarning, Text(msg::kNotSubtitleExtension));
    return false;
  }

  // The title shows the new name even when reading then fails, so the user sees what was tried.
  ports_.hooks.TitleChanged(std::string(kProgramCaption) + "--" +
                            text::PathForMessage(document_.source_file));
  recognition_stopped_ = true;
  auto read = document::ReadSubtitleFile(document_.source_file, Role::kMain, document_);
  if (!read) {
    ShowError(read.error());
    return false;
  }
  // The reader repairs what it can and says so; the user hears about it once, in one box.
  if (!read.value().warnings.empty()) {
    std::string warnings;
    for (const std::string& warning : read.value().warnings) {
      warnings += (warnings.empty() ? "" : "\n") + warning;
    }
    ports_.messages.Inform(ports::Severity::kWarning, warnings);
  }

  // Status text: prefix, number of data rows, and the suffix for the kind of subtitle.
  const std::string rows = std::to_string(document_.main.DataRowCount());
  document_.current_row = 1;
  if (document_.picture_mode) {
    ports_.hooks.ResetTaughtRows();
    // Saved under its own name unless the user chooses another (never the last subtitle's).
    document_.save_file.clear();
    document_.save_extension = ".srt";
    ShowRowsReadStatus(rows, msg::kPictureRowsReadSuffix);
    ports_.hooks.FocusFirstCell();
    EnterCommandState(1);
    document_.picture_folder = chosen->parent_path();
    ports_.hooks.EstimateStandardSizes();
    ports_.hooks.ShowPicturePanels();
  } else {
    // A text subtitle is saved where it came from unless the user chooses otherwise.
    document_.last_save_folder = document_.last_open_folder;
    document_.save_file = document_.source_file;
    document_.save_extension = document_.source_extension;
    ShowRowsReadStatus(rows, msg::kTextRowsReadSuffix);
    ports_.hooks.FocusFirstCell();
    EnterCommandState(7);
    ports_.hooks.ShowEditPanels();
  }
  document_.document_saved = true;
  return true;
}

bool Application::SaveCommand() {
  return Save(false);
}

bool Application::SaveInPlaceCommand() {
  return Save(true);
}

std::filesystem::path Application::SaveSuggestion() const {
  if (!document_.save_file.empty()) {
    return document_.save_file;
  }
  // Not saved since it was opened: the subtitle's own name, with the extension to be written.
  if (document_.source_file.empty()) {
    return {};
  }
  fs::path name = document_.source_file.filename();
  name.replace_extension(document_.save_extension);
  return document_.last_save_folder.empty() ? name : document_.last_save_folder / name;
}

bool Application::Save(bool in_place) {
  if (!document_.proofread_done) {
    const ports::Answer answer =
        ports_.messages.Ask({Text(msg::kCheckBeforeSaveQuestion),
                             Text(msg::kCheckBeforeSaveCaption), ports::Buttons::kYesNo});
    if (answer == ports::Answer::kYes) {
      ports_.hooks.RunCheckCommand();
      return false;
    }
  }
  // The extension offered to the dialog is also the one appended to a name typed without a
  // subtitle extension, so it is taken before the choice changes save_extension.
  const std::string default_extension = document_.save_extension;
  document_.format_rules = FormatRulesOf(settings_);
  fs::path file;
  int encoding_index = settings_.SaveEncoding();
  if (in_place && !document_.save_file.empty() &&
      IsSubtitleExtension(document_.save_extension, document_.format_rules)) {
    file = document_.save_file;  // the file it has, in the encoding last chosen
  } else {
    ports::FileFilter filter{
        DialogFilterEntries(Text(msg::kSaveFilter), SaveSubtitleFilters(document_.format_rules)),
        document_.last_save_folder, default_extension};
    const ports::SaveListChoice encodings{Text(msg::kSaveEncodingCaption),
                                          SaveEncodingNames(messages_), settings_.SaveEncoding()};
    const auto chosen =
        ports_.dialogs.ChooseFileToSaveWithList(filter, SaveSuggestion(), encodings);
    if (!chosen) {
      return false;
    }
    file = chosen->file;
    // The choice is remembered as made, even when the guard below sends the user back.
    encoding_index =
        chosen->selected >= 0 && chosen->selected < static_cast<int>(std::size(kSaveEncodings))
            ? chosen->selected
            : 0;
    settings_.SetNumber(settings::kSaveEncoding, encoding_index);
  }
  const document::OutputEncoding encoding = SaveEncodingAt(encoding_index);
  const document::SaveProblems problems = document::FindSaveProblems(document_.main, encoding);
  if (!problems.Empty()) {
    const ports::Answer answer =
        ports_.messages.Ask({SaveProblemsQuestion(problems, messages_), Text(msg::kUnsavedCaption),
                             ports::Buttons::kYesNo});
    if (answer != ports::Answer::kYes) {
      // The cursor lands on what is wrong: the start time, or the text when only that is.
      const int row = problems.FirstRow();
      const auto names = [row](const std::vector<int>& rows) {
        return std::find(rows.begin(), rows.end(), row) != rows.end();
      };
      const bool time_problem =
          names(problems.unreadable_times) || names(problems.end_before_start);
      ports_.hooks.GoToCell(row, time_problem ? document::kStart : document::kText);
      return false;
    }
  }
  // Rows of a picture subtitle not recognised yet have no text: the file would lose them.
  const int without_text = static_cast<int>(document::RowsWithoutText(document_.main).size());
  bool keep_without_text = false;
  if (without_text > 0) {
    const ports::Answer answer = ports_.messages.Ask(
        {FillIn(Text(msg::kRowsWithoutTextQuestion), {std::to_string(without_text)}),
         Text(msg::kUnsavedCaption), ports::Buttons::kYesNoCancel});
    if (answer == ports::Answer::kCancel) {
      return false;
    }
    keep_without_text = answer == ports::Answer::kYes;
  }
  document_.last_save_folder = file.parent_path();
  document_.save_file = file;
  document_.save_extension = LowerExtension(file);
  if (!IsSubtitleExtension(document_.save_extension, document_.format_rules)) {
    document_.save_file += default_extension;
    document_.save_extension = default_extension;
  }
  // A default extension that is itself unusable (never set by this program) falls back to SRT
  // rather than failing in the writer after the user chose a name.
  if (!IsSubtitleExtension(document_.save_extension, document_.format_rules)) {
    document_.save_file += ".srt";
    document_.save_extension = ".srt";
  }

  document::WriteOptions options;
  // The author entry as the settings panel shows it now, saved or not.
  options.author_enabled = panel_options_.author_entry_on;
  options.author_time_line = panel_options_.author_time;
  options.author_text = panel_options_.author_text;
  options.working_folder = program_folder_;
  options.encoding = encoding;
  options.keep_rows_without_text = keep_without_text;
  const text::Status written =
      document::WriteSubtitleFile(document_.save_file, Role::kMain, document_, options);
  if (!written) {
    ShowError(written.error());
    return false;
  }
  document_.proofread_done = true;
  document_.document_saved = true;
  ports_.hooks.TitleChanged(std::string(kProgramCaption) + "--" +
                            text::PathForMessage(document_.save_file));
  const std::string name = text::PathForMessage(document_.save_file.filename());
  const int left_out = keep_without_text ? 0 : without_text;
  ShowStatus([this, name, encoding, left_out] {
    std::string status = SavedStatus(messages_, name, encoding);
    if (left_out > 0) {
      status += FillIn(Text(msg::kRowsWithoutTextLeftOut), {std::to_string(left_out)});
    }
    return status;
  });
  document_.MarkSaved();
  return true;
}

bool Application::CloseCommand() {
  if (!GuardUnsavedMainSubtitle(msg::kCloseUnsavedQuestion)) {
    return false;
  }
  // The flags and the kept SSA header stay: a later Save of a new table behaves as before.
  document_.main.Clear();
  document_.current_row = 1;
  ports_.hooks.MainSubtitleClosed();
  EnterCommandState(0);
  return true;
}

// Every working file is addressed through program_folder_, so no step depends on the current
// folder, which a file dialog may have changed. Apart from a subtitle saved on Yes, nothing is
// written before the last question has been answered, so a refusal leaves the library files and
// setup.sys as they were. The exit command's questions are the only ones: the window close that
// follows a confirmed exit asks nothing again (a main subtitle answered No stays unsaved).
bool Application::Shutdown(ShutdownPath path) {
  if (path == ShutdownPath::kWindowClose && exit_confirmed_) {
    return true;
  }
  const ShutdownMessages texts = MessagesFor(path);
  // A run lets window events through between its steps, so a close request can arrive during it.
  if (!recognition_stopped_) {
    ports_.messages.Inform(ports::Severity::kWarning, Text(texts.recognition_running));
    return false;
  }
  if (!GuardUnsavedMainSubtitle(texts.main_unsaved)) {
    return false;
  }
  if (!document_.reference_saved) {
    const ports::Answer answer = ports_.messages.Ask(
        {Text(texts.reference_unsaved), Text(msg::kUnsavedCaption), ports::Buttons::kYesNoCancel});
    if (answer == ports::Answer::kCancel) {
      return false;
    }
    if (answer == ports::Answer::kYes) {
      ports_.hooks.SaveReferenceSubtitle();
      if (!document_.reference_saved) {
        return false;
      }
    }
  }
  // The journal goes into the main files before the settings: when archiving fails the window
  // stays open with the journal intact, to be archived by the next attempt or the next start.
  if (ports_.library.JournalCount() > 0) {
    ports_.hooks.ShowWaitText(Text(texts.archiving));
    const text::Status archived = ports_.library.ArchiveJournal();
    ports_.hooks.HideWaitText();
    if (!archived) {
      ShowError(archived.error());
      return false;
    }
  }
  settings_.SetFolders(document_.last_open_folder.string(), document_.reference_folder.string(),
                       document_.last_save_folder.string());
  const text::Status saved = settings_.SaveToFile(WorkingFile(settings::kSettingsFileName));
  if (!saved) {
    ShowError(saved.error());
    return false;
  }
  exit_confirmed_ = path == ShutdownPath::kExitCommand;
  return true;
}

text::Status Application::SaveSettingsPanel(const settings::PanelValues& values) {
  settings::ApplyPanelSave(values, settings_, phrase_grid_, phrases_);
  // The two files change together, so a crash never pairs new settings with old phrases.
  const text::Status saved = SaveSettingsFiles(program_folder_, settings_, phrases_);
  if (!saved) {
    ShowError(saved.error());
  }
  return saved;
}

}  // namespace app

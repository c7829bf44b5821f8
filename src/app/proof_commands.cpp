// The window's proofreading flows: check options, the reference subtitle and the blank subtitle.
#include "app/proof_commands.h"

#include <string>
#include <utility>

#include "app/subtitle_formats.h"
#include "document/subtitle_reader.h"
#include "document/subtitle_writer.h"
#include "proof/reference_editing.h"

namespace app {
namespace {

ports::Answer AskUnsaved(const Application& application, ports::MessagePort& messages,
                         int text_message) {
  return messages.Ask(ports::Question{application.Messages().Message(text_message),
                                      application.Messages().Message(proof::kUnsavedCaption),
                                      ports::Buttons::kYesNoCancel});
}

}  // namespace

proof::CheckOptions CurrentCheckOptions(Application& application) {
  // The options as the settings panel shows them now: they count at once, saved or not.
  const settings::PanelValues& panel = application.PanelOptions();
  proof::CheckOptions options;
  options.quotes_to_full_width = panel.full_width_quotes;
  options.pair_quotes = panel.unpaired_quotes;
  options.inner_full_stops = panel.inner_full_stop;
  options.drop_final_stop = panel.end_punctuation;
  options.ellipsis = static_cast<proof::EllipsisForm>(panel.ellipsis_form);
  options.apply_phrases = panel.phrase_replacement_on;
  // The phrase grid's last row is its entry row and is never applied.
  const settings::PhraseGrid& grid = application.PhraseGrid();
  for (int row = 1; row < grid.EntryRow(); ++row) {
    options.phrases.push_back({grid.Cell(0, row), grid.Cell(1, row)});
  }
  options.forms = proof::PunctuationForms::FromMessages(application.Messages());
  options.skip_placeholder = panel.assistance.skip_placeholder;
  return options;
}

ReferenceOpenEnd OpenReference(Application& application, ports::MessagePort& messages,
                               ports::FileDialogPort& dialogs) {
  document::SubtitleDocument& document = application.Document();
  if (!document.reference_saved) {
    const ports::Answer answer =
        AskUnsaved(application, messages, proof::kReferenceUnsavedQuestion);
    if (answer == ports::Answer::kCancel) {
      return ReferenceOpenEnd::kKeptOld;
    }
    if (answer == ports::Answer::kYes && !SaveReference(application, messages, dialogs)) {
      return ReferenceOpenEnd::kKeptOld;
    }
  }
  const ports::FileFilter filter{
      DialogFilterEntries(application.Messages().Message(msg::kOpenFilter),
                          OpenSubtitleFilters(FormatRulesOf(application.Settings()))),
      document.reference_folder, document.reference_extension};
  const auto chosen = dialogs.ChooseFileToOpen(filter);
  if (!chosen) {
    return ReferenceOpenEnd::kCancelled;
  }
  document.reference_folder = chosen->parent_path();
  document.reference_file = *chosen;
  document.reference_extension = document::LowerCaseExtension(*chosen);
  document.reference_save_folder = document.reference_folder;
  document.reference_save_file = document.reference_file;
  document.reference_save_extension = document.reference_extension;
  document.format_rules = FormatRulesOf(application.Settings());
  document.input_encoding = InputEncodingOf(application.Settings());
  if (!IsSubtitleExtension(document.reference_extension, document.format_rules)) {
    messages.Inform(ports::Severity::kWarning,
                    application.Messages().Message(proof::kReferenceTypeMessage));
    return ReferenceOpenEnd::kWrongType;
  }
  auto read = document::ReadSubtitleFile(*chosen, document::Role::kReference, document);
  if (!read) {
    messages.Inform(ports::Severity::kError, read.error().message);
    return ReferenceOpenEnd::kReadFailed;
  }
  if (!read.value().warnings.empty()) {
    std::string warnings;
    for (const std::string& warning : read.value().warnings) {
      warnings += (warnings.empty() ? "" : "\n") + warning;
    }
    messages.Inform(ports::Severity::kWarning, warnings);
  }
  document.reference_saved = true;
  return ReferenceOpenEnd::kOpened;
}

bool SaveReference(Application& application, ports::MessagePort& messages,
                   ports::FileDialogPort& dialogs) {
  document::SubtitleDocument& document = application.Document();
  if (document.reference_saved) {
    return true;
  }
  const ports::FileFilter filter{
      DialogFilterEntries(application.Messages().Message(msg::kSaveFilter),
                          SaveSubtitleFilters(FormatRulesOf(application.Settings()))),
      document.reference_save_folder, document.reference_save_extension};
  const auto chosen = dialogs.ChooseFileToSave(filter, document.reference_save_file.filename());
  if (!chosen) {
    return false;
  }
  document.reference_save_folder = chosen->parent_path();
  document.reference_save_file = *chosen;
  const std::string extension = document::LowerCaseExtension(*chosen);
  document.format_rules = FormatRulesOf(application.Settings());
  if (!IsSubtitleExtension(extension, document.format_rules)) {
    // The writer knows only these two forms; anything else would be written in neither.
    messages.Inform(ports::Severity::kWarning,
                    application.Messages().Message(proof::kReferenceTypeMessage));
    return false;
  }
  document.reference_save_extension = extension;
  document::WriteOptions options;
  options.working_folder = application.ProgramFolder();
  const text::Status written =
      document::WriteSubtitleFile(*chosen, document::Role::kReference, document, options);
  if (!written) {
    messages.Inform(ports::Severity::kError, written.error().message);
    return false;
  }
  document.reference_saved = true;
  return true;
}

bool CreateBlankSubtitle(Application& application, ports::MessagePort& messages) {
  document::SubtitleDocument& document = application.Document();
  if (!document.document_saved) {
    const ports::Answer answer = AskUnsaved(application, messages, proof::kDocumentUnsavedQuestion);
    if (answer == ports::Answer::kCancel) {
      return false;
    }
    if (answer == ports::Answer::kYes && !application.SaveCommand()) {
      return false;
    }
  }
  proof::CreateBlankFromReference(document);
  // The new rows name no pictures: the blank subtitle is a text subtitle.
  document.picture_mode = false;
  return true;
}

}  // namespace app

// The recognition commands of the window over the engine's run, analysis, cropping and estimate.
#include "app/recognition_commands.h"

#include <algorithm>
#include <set>

#include "app/glyph_guess.h"
#include "app/message_numbers.h"
#include "app/status_texts.h"
#include "document/picture_files.h"
#include "document/row_table.h"
#include "library/library_editor.h"
#include "proof/time_overlap.h"

namespace app {
namespace {

constexpr int kCommandStateRunning = 2;
constexpr int kCommandStateAfterRun = 4;
constexpr int kCommandStateCropping = 6;

// Forwards to the host's pump and turns each picture's progress into the wait panel's text.
class CroppingPump : public ports::EventPump {
 public:
  CroppingPump(ports::EventPump& inner, const ports::WaitPanel& wait, std::string prefix)
      : inner_(inner), wait_(wait), prefix_(std::move(prefix)) {}
  void LetPendingEventsRun() override {
    inner_.LetPendingEventsRun();
  }
  void ReportProgress(int done, int total) override {
    // The percentage of rows handled, truncated, as the wait label shows it.
    const int percent = total > 0 ? done * 100 / total : 100;
    if (wait_.show) {
      wait_.show(prefix_ + std::to_string(percent) + "%");
    }
    inner_.ReportProgress(done, total);
  }
  bool StopRequested() const override {
    return inner_.StopRequested();
  }

 private:
  ports::EventPump& inner_;
  const ports::WaitPanel& wait_;
  std::string prefix_;
};

}  // namespace

void ApplyEngineSettings(const settings::SettingsList& settings, const settings::PanelValues& panel,
                         ocr::EngineOptions& options) {
  options.line_detection = settings.LineHeight();
  options.space_detection = settings.SpaceDetection();
  options.space_width = settings.SpaceWidth();
  options.ignore_size = panel.ignore_glyph_size;
  ApplyAssistance(panel.assistance, options);
}

void ApplyAssistance(const settings::TeachingAssistance& assistance, ocr::EngineOptions& options) {
  options.fitted_box = assistance.fitted_box;
  options.suggestions = assistance.suggestions;
  options.reference_teaching = assistance.reference_teaching;
  options.ocr_guess = assistance.ocr_guess;
  options.chinese_spaces = assistance.chinese_spaces;
  options.skip_placeholder = assistance.skip_placeholder;
}

std::optional<std::filesystem::path> ShowRowPicture(Application& app, ocr::Recogniser& recogniser,
                                                    int row, ports::MessagePort& messages) {
  const document::SubtitleDocument& document = app.Document();
  if (!app.RecognitionStopped() || !document.picture_mode || !document.main.IsDataRow(row)) {
    return std::nullopt;
  }
  const std::string name = document.main.Cell(document::kPicture, row);
  if (name.empty()) {
    return std::nullopt;
  }
  recogniser.Box() = ocr::GlyphBox{};
  const text::Result<bool> loaded = ocr::LoadSubtitlePicture(recogniser, document, name);
  if (!loaded.ok()) {
    messages.Inform(ports::Severity::kError, loaded.error().message);
    return std::nullopt;
  }
  if (!loaded.value()) {
    messages.Inform(ports::Severity::kWarning,
                    app.Messages().Message(ocr::kMessagePictureNotFound) + name);
    return std::nullopt;
  }
  return document::LocatePicture(document.picture_folder, name).path;
}

bool RefusePicturesOutside(const Application& app, int first_row, ports::MessagePort& messages) {
  std::vector<int> rows = document::RowsWithPicturesOutside(app.Document());
  std::erase_if(rows, [first_row](int row) { return row < first_row; });
  if (rows.empty()) {
    return false;
  }
  messages.Inform(ports::Severity::kError,
                  app.Messages().Message(msg::kPicturesOutsideRows) +
                      document::DescribePictureRows(app.Document(), rows, 10));
  return true;
}

ocr::RunOutcome StartRecognition(Application& app, ocr::Recogniser& recogniser, int start_row,
                                 const RecognitionPorts& ports,
                                 const std::function<PostRunOptions()>& options,
                                 const std::function<void()>& run_check, int jobs) {
  if (RefusePicturesOutside(app, start_row, ports.messages)) {
    ocr::RunOutcome refused;
    refused.end = ocr::RunEnd::kDeclined;
    refused.next_start_row = start_row;
    return refused;
  }
  app.SetRecognitionStopped(false);
  app.EnterCommandState(kCommandStateRunning);
  ApplyEngineSettings(app.Settings(), app.PanelOptions(), recogniser.Options());
  // One guesser for the run; its engine starts at the first question that asks for a guess.
  const std::unique_ptr<ocr::GlyphGuesser> guesser =
      MakeGlyphGuesser(app.PanelOptions().assistance, app.Settings().Language(),
                       [&app](guess::Script script, const std::string& problem) {
                         app.ShowStatus([&app, script, problem] {
                           return GuessUnavailableText(app.Messages(), script, problem);
                         });
                       });
  recogniser.SetGuesser(guesser.get());
  ocr::RunOutcome outcome;
  PostRunOptions post;
  std::optional<int> corrections;
  {
    // The run and the overlap correction that completes it are one undo step; the check review
    // is confirmed later, as a step of its own.
    const document::EditStep step(app.Document(), document::EditKind::kRecognition);
    outcome = ocr::RunRecognition(
        recogniser, app.Document(), start_row,
        ocr::RunPorts{ports.teacher, ports.pump, ports.messages, app.Messages()}, jobs);
    if (outcome.post_run_due) {
      // Read at this moment: the user may change the options while the run goes on.
      post = options ? options() : PostRunOptions{};
      if (post.fix_time_overlaps) {
        corrections = proof::FixTimeOverlaps(app.Document().main);
      }
    }
    // Only a run that changed a row leaves the subtitle modified (and a step to undo).
    if (outcome.rows_recognised > 0 || corrections.value_or(0) > 0) {
      app.Document().document_saved = false;
    }
  }
  recogniser.SetGuesser(nullptr);
  if (outcome.end == ocr::RunEnd::kFailed && outcome.error) {
    ports.messages.Inform(ports::Severity::kError, outcome.error->message);
  }
  if (corrections) {
    ports.messages.Inform(ports::Severity::kInformation,
                          proof::OverlapReport(*corrections, app.Messages()));
  }
  if (outcome.post_run_due && post.check && run_check) {
    run_check();
  }
  // Said last, so that it stays whatever the post-run tools showed meanwhile.
  app.ShowStatus([&app, outcome] { return RunEndStatus(app.Messages(), outcome); });
  app.SetRecognitionStopped(true);
  app.EnterCommandState(kCommandStateAfterRun);
  return outcome;
}

text::Result<UndoTeachingsOutcome> UndoAutomaticTeachings(ocr::Recogniser& recogniser,
                                                          const std::vector<int>& numbers,
                                                          ports::EventPump& pump) {
  library::GlyphLibrary& library = recogniser.Library();
  UndoTeachingsOutcome outcome;
  std::set<int> chosen;
  for (const ocr::AutomaticTeaching& teaching : recogniser.AutomaticTeachings()) {
    if (std::find(numbers.begin(), numbers.end(), teaching.number) == numbers.end()) {
      continue;
    }
    // Numbers shift when the library editor deletes records: only the very glyph goes.
    const int position = teaching.number - 1;
    if (position < library.RecordCount() && library.Text(position) == teaching.text &&
        library.FeatureLine(position) == teaching.features) {
      chosen.insert(teaching.number);
    } else {
      outcome.changed.push_back(teaching.number);
    }
  }
  std::sort(outcome.changed.begin(), outcome.changed.end());
  if (chosen.empty()) {
    return outcome;
  }
  const int old_count = library.RecordCount();
  auto deleted =
      library::DeleteRecords(library, std::vector<int>(chosen.begin(), chosen.end()), pump);
  if (!deleted.ok()) {
    return deleted.error();
  }
  outcome.removed = deleted.value();
  recogniser.ForgetRecords(chosen, old_count);
  return outcome;
}

void StopRecognition(const Application& app, ports::MessagePort& messages) {
  // RecognitionStopped stays false until the run has really ended: the shutdown tests it, and a
  // window closed while the run unwinds would pull the document from under it.
  messages.Inform(ports::Severity::kInformation, app.Messages().Message(ocr::kMessageRunStopped));
}

std::string AnalysisTitle(const Application& app) {
  const document::SubtitleDocument& document = app.Document();
  return app.Messages().Message(ocr::kMessageAnalysisTitleBefore) +
         document.main.Cell(document::kNumber, document.current_row) +
         app.Messages().Message(ocr::kMessageAnalysisTitleAfter);
}

ocr::RowAnalysis AnalyseCurrentRow(Application& app, ocr::Recogniser& recogniser,
                                   const RecognitionPorts& ports) {
  app.SetRecognitionStopped(false);
  app.SetCommandState(kCommandStateRunning);
  ApplyEngineSettings(app.Settings(), app.PanelOptions(), recogniser.Options());
  ocr::RowAnalysis analysis = ocr::AnalyseRow(recogniser, ports.teacher, ports.pump);
  app.SetRecognitionStopped(true);
  app.RestoreRecordedCommandState();
  return analysis;
}

std::optional<ocr::CropOutcome> CropPicturesCommand(Application& app, ocr::PictureIo& pictures,
                                                    ports::MessagePort& messages,
                                                    ports::EventPump& pump,
                                                    const ports::WaitPanel& wait) {
  const MessageTable& texts = app.Messages();
  if (RefusePicturesOutside(app, 1, messages)) {
    return std::nullopt;
  }
  const ports::Answer answer = messages.Ask(
      ports::Question{texts.Message(ocr::kMessageCropQuestion),
                      texts.Message(ocr::kMessageCropCaption), ports::Buttons::kOkCancel});
  if (answer != ports::Answer::kOk && answer != ports::Answer::kYes) {
    return std::nullopt;
  }
  app.SetCommandState(kCommandStateCropping);
  const std::string prefix = texts.Message(ocr::kMessageCropping);
  if (wait.show) {
    wait.show(prefix);
  }
  CroppingPump cropping_pump(pump, wait, prefix);
  ocr::CropOutcome outcome = ocr::CropPictures(app.Document(), pictures, cropping_pump, false);
  // The wait panel goes before any message box, so the box is not hidden behind it.
  if (wait.hide) {
    wait.hide();
  }
  if (outcome.error) {
    // Pictures before the one that failed were overwritten already: the user is told how many.
    messages.Inform(ports::Severity::kError, outcome.error->message + "\n" +
                                                 texts.Message(msg::kCropErrorCountBefore) +
                                                 std::to_string(outcome.pictures_cropped) +
                                                 texts.Message(msg::kCropErrorCountAfter));
  } else if (outcome.stopped) {
    messages.Inform(ports::Severity::kInformation, texts.Message(ocr::kMessageCropStopped));
  } else {
    messages.Inform(ports::Severity::kInformation, texts.Message(ocr::kMessageCropDone));
  }
  app.RestoreRecordedCommandState();
  return outcome;
}

ocr::SizeEstimate EstimateSizesAfterOpen(Application& app, ocr::Recogniser& recogniser,
                                         const std::string& sample_text,
                                         const ports::WaitPanel& wait) {
  if (wait.show) {
    wait.show(app.Messages().Message(ocr::kMessageEstimating));
  }
  const ocr::SizeEstimate estimate =
      ocr::EstimateStandardSizes(recogniser, app.Document(), ocr::SampleLineCount(sample_text));
  if (wait.hide) {
    wait.hide();
  }
  return estimate;
}

}  // namespace app

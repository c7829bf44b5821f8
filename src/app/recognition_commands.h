// The recognition commands of the window: a row's picture, the run with its post-run options,
// Stop, row analysis, automatic cropping and the standard size estimate after opening.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/application.h"
#include "ocr/cropping.h"
#include "ocr/recogniser.h"
#include "ocr/recognition_run.h"
#include "ocr/row_analysis.h"
#include "ocr/size_estimate.h"
#include "ocr/teaching.h"
#include "ports/host_ports.h"

namespace app {

// The options read at the moment a run ends (the settings panel's two check boxes).
struct PostRunOptions {
  bool fix_time_overlaps = false;
  bool check = false;
};

// What the host gives the recognition commands. All must outlive the call.
struct RecognitionPorts {
  ports::MessagePort& messages;
  ports::EventPump& pump;
  ocr::Teacher& teacher;
};

// Reads the three track bar positions from the settings, and the "ignore glyph size" option and
// the teaching assistance as the settings panel shows them now, into the engine options; the
// standard sizes are left as they are.
void ApplyEngineSettings(const settings::SettingsList& settings, const settings::PanelValues& panel,
                         ocr::EngineOptions& options);
// The engine's part of the teaching assistance: fitted box, suggestions, teaching from the
// reference, spaces, placeholder.
void ApplyAssistance(const settings::TeachingAssistance& assistance, ocr::EngineOptions& options);

// Selecting row `row` of the main grid while idle: when a picture subtitle is open and the row
// names a picture, resets the glyph box and loads and prepares it. Returns the picture's path
// when it was loaded, nullopt otherwise. A missing file shows message 485 followed by the name;
// an unreadable one shows its error. Does nothing during a run.
std::optional<std::filesystem::path> ShowRowPicture(Application& app, ocr::Recogniser& recogniser,
                                                    int row, ports::MessagePort& messages);

// When rows from `first_row` on name pictures outside the picture folder
// (document::RowsWithPicturesOutside), shows message 1541 followed by up to ten of those rows and
// their names as an error and returns true; otherwise returns false without a word.
bool RefusePicturesOutside(const Application& app, int first_row, ports::MessagePort& messages);

// The recognition run from `start_row`: refused as RefusePicturesOutside says (an outcome kDeclined
// with nothing changed, next_start_row `start_row`); otherwise command state 2 (recorded) while it
// runs, with the application's RecognitionStopped flag cleared; the missing-picture question and
// unreadable pictures go through `ports.messages`. After a complete run the time-overlap correction
// (its report shown) and then `run_check` run when their options, read through `options` at that
// moment, are on. The status bar then says how the run ended (RunEndStatus). Ends in command state
// 4 (recorded) with the document counted as not saved, whatever ended the run. Returns the run's
// outcome; its next_start_row is where the next run starts unless the user selects a row.
// `jobs` as RunRecognition's.
ocr::RunOutcome StartRecognition(Application& app, ocr::Recogniser& recogniser, int start_row,
                                 const RecognitionPorts& ports,
                                 const std::function<PostRunOptions()>& options,
                                 const std::function<void()>& run_check, int jobs = 1);

// What undoing automatic teachings did.
struct UndoTeachingsOutcome {
  int removed = 0;  // records deleted from the library
  // Listed numbers left in the library because their record no longer holds the glyph that was
  // taught (the library was edited since), ascending.
  std::vector<int> changed;
};

// Undoes the automatic teachings of `recogniser` whose record numbers are in `numbers` (numbers
// the list does not hold are passed over): each record that still holds the text and
// FeatureLine it was taught with is deleted as the library editor deletes records
// (library::DeleteRecords), and the list and the taught-row list forget it; the others are
// reported as changed. Error "io" from the library's write changes nothing.
text::Result<UndoTeachingsOutcome> UndoAutomaticTeachings(ocr::Recogniser& recogniser,
                                                          const std::vector<int>& numbers,
                                                          ports::EventPump& pump);

// The Stop command's part in the core: shows message 566. The host asks its event pump to stop,
// which the run polls after the glyph in hand; RecognitionStopped is set when the run has ended.
void StopRecognition(const Application& app, ports::MessagePort& messages);

// The row-details title: message 629, the main grid's current row number cell, message 632.
std::string AnalysisTitle(const Application& app);

// Row analysis of the picture already prepared: command state 2 (not recorded) while it runs,
// the recorded state again afterwards. Nothing is written into the main grid.
ocr::RowAnalysis AnalyseCurrentRow(Application& app, ocr::Recogniser& recogniser,
                                   const RecognitionPorts& ports);

// Automatic cropping: refused as RefusePicturesOutside says (nullopt, nothing asked); otherwise
// asks message 554 (caption 557, OK and Cancel); on OK crops the pictures of
// rows 1 .. row count - 2 in place under command state 6 (not recorded), showing message 560 and
// the percentage in the wait panel. Ends with message 563, or message 638 when the pump was asked
// to stop, or the error of a picture that could not be read or written followed by messages 1544,
// the number of pictures cropped before it, and 1547; then the wait panel is
// hidden and the recorded state applied again. Returns the outcome (nullopt after Cancel).
std::optional<ocr::CropOutcome> CropPicturesCommand(Application& app, ocr::PictureIo& pictures,
                                                    ports::MessagePort& messages,
                                                    ports::EventPump& pump,
                                                    const ports::WaitPanel& wait);

// After a picture subtitle was opened: samples the first pictures for the standard line height
// and glyph width (sample size from the text of the sample box: its number when all digits,
// else 10), with message 605 in the wait panel meanwhile. The result is stored in the engine
// options and returned.
ocr::SizeEstimate EstimateSizesAfterOpen(Application& app, ocr::Recogniser& recogniser,
                                         const std::string& sample_text,
                                         const ports::WaitPanel& wait);

}  // namespace app

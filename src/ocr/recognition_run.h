// The recognition run over the rows of a picture subtitle, and loading one row's picture.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "document/subtitle_document.h"
#include "ocr/recogniser.h"
#include "ocr/teaching.h"
#include "ports/host_ports.h"
#include "text/result.h"

namespace ocr {

// Message numbers of the run's texts.
inline constexpr int kMessageMissingPicture = 443;          // followed by the picture name
inline constexpr int kMessageMissingPictureQuestion = 446;  // "... go on?"
inline constexpr int kMessageQuestionCaption = 413;
inline constexpr int kMessagePictureNotFound = 485;  // shown on selecting a row, + name
inline constexpr int kMessageRunStopped = 566;       // shown by the host's Stop command

// Loads the picture `name` of `document` (its file as document::PictureFile gives it) and
// prepares it. Returns false, with nothing changed, when no such file exists. Errors: "outside"
// for a name that leaves the picture folder when the document does not allow it, "io"/"format"
// from the picture layer (not a readable bitmap; the message names the file) and "size" for a
// picture too large for the grid (the message names the file too); the previously prepared
// picture then stays.
text::Result<bool> LoadSubtitlePicture(Recogniser& recogniser,
                                       const document::SubtitleDocument& document,
                                       const std::string& name);

// How a run ended.
enum class RunEnd {
  kCompleted,  // every row from the start row to the last was handled
  kStopped,    // the host asked to stop; the unfinished row kept its old text
  kAborted,    // Abort in the teaching session; the current row kept its old text
  kDeclined,   // the user chose not to go on after a missing or unusable picture
  kFailed,     // a picture could not be read; `error` says which
};

struct RunOutcome {
  RunEnd end = RunEnd::kCompleted;
  // The row where the next run starts unless the user selects another: the unfinished row
  // after a stop, the row count after a complete run.
  int next_start_row = 1;
  int rows_recognised = 0;        // rows whose text was written
  int pictures_missing = 0;       // rows skipped because their picture was missing or unusable
  std::vector<int> missing_rows;  // those rows, in run order
  // Why each unusable picture that was skipped could not be used ("format" or "size", naming
  // the file), in run order; missing pictures are only counted.
  std::vector<text::Error> unusable_pictures;
  GlyphCounts glyphs;  // of this run
  std::optional<text::Error> error;
  // True when the post-run options (time-overlap correction, then check and proofread) are due:
  // only after a complete run. The host runs them.
  bool post_run_due = false;
};

// The host's side of a run.
struct RunPorts {
  Teacher& teacher;
  ports::EventPump& pump;        // pumped at each row, line and glyph; stop is tested there
  ports::MessagePort& messages;  // the missing-picture question (Yes goes on, No ends)
  const ports::MessageSource& texts;
};

// Recognises rows start_row .. last of the main table of `document` (pictures in its picture
// folder), writing each picture's text into the text and base-text cells. Sets the document's
// current row to each row it handles, and clears proofread_done and document_saved at the end
// when it wrote a row (a run stopped before its first row leaves both as they were). Reports
// progress (row, row count) once per row. A correction of an earlier taught glyph sends the run
// back to that glyph's row. The run is one undo step of the document. With the recogniser's
// reference table set and its reference_teaching option on, each row is read with the text of
// the reference row it overlaps longest (PairedReferenceText). A picture that is missing, that
// the picture layer cannot decode ("format"), that is too large for the grid ("size") or whose
// name leaves the picture folder ("outside") asks the missing-picture question; a file that
// cannot be read ("io") ends the run as kFailed. With `jobs` > 1 and a picture layer that allows
// concurrent loads, a loader thread reads the next pictures ahead (PictureReadAhead); the
// results are the same with any `jobs`.
RunOutcome RunRecognition(Recogniser& recogniser, document::SubtitleDocument& document,
                          int start_row, const RunPorts& ports, int jobs = 1);

}  // namespace ocr

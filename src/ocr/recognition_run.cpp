// The recognition run: one picture per row, questions about missing pictures, stop and restart.
#include "ocr/recognition_run.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "document/picture_files.h"
#include "document/row_table.h"
#include "ocr/read_ahead.h"
#include "text/line_file.h"

namespace ocr {

namespace {

const std::string kNoName;

// Prepares the picture just loaded into the recogniser's spare; a refusal names the file.
text::Result<bool> PrepareSpare(Recogniser& recogniser, const std::filesystem::path& path) {
  auto prepared = recogniser.Prepare(recogniser.SparePicture());
  if (!prepared.ok()) {
    text::Error refused = prepared.error();
    refused.message = text::PathForMessage(path) + ": " + refused.message;
    return refused;
  }
  return true;
}

}  // namespace

text::Result<bool> LoadSubtitlePicture(Recogniser& recogniser,
                                       const document::SubtitleDocument& document,
                                       const std::string& name) {
  if (name.empty()) {
    return false;
  }
  auto file = document::PictureFile(document, name);
  if (!file.ok()) {
    return file.error();
  }
  const std::filesystem::path& path = file.value();
  auto loaded = recogniser.Pictures().LoadInto(path, recogniser.SparePicture());
  if (!loaded.ok()) {
    // Only a failed load asks whether the file is there at all: one look-up less a picture.
    if (!recogniser.Pictures().Has(path)) {
      return false;
    }
    return loaded.error();
  }
  return PrepareSpare(recogniser, path);
}

RunOutcome RunRecognition(Recogniser& recogniser, document::SubtitleDocument& document,
                          int start_row, const RunPorts& ports, int jobs) {
  RunOutcome outcome;
  // The whole run, with every row it wrote, is one undo step, when the document keeps a history.
  std::optional<document::EditStep> step;
  if (document.main.History().Recording()) {
    step.emplace(document, document::EditKind::kRecognition);
  }
  // A loader thread pays for itself only over a run of some length.
  const int rows_to_go = document.main.RowCount() - std::max(start_row, 1);
  PictureReadAhead ahead(recogniser.Pictures(), rows_to_go >= kRowsWorthReadingAhead ? jobs : 1);
  LoaderChoice choice(ahead.Enabled());
  auto& table = document.main;
  const GlyphCounts counts_before = recogniser.Counts();
  int next_start = start_row;
  int r = start_row < 1 ? 1 : start_row;
  next_start = r;
  bool ended_early = false;
  // Teaching questions and missing pictures so far: a row that asked anything is not timed.
  auto questions_asked = [&] { return recogniser.Counts().questions + outcome.pictures_missing; };
  while (r < table.RowCount()) {
    const long long questions_before = questions_asked();
    document.current_row = r;
    next_start = r;
    recogniser.SetCurrentRow(r);
    ports.pump.LetPendingEventsRun();
    if (ports.pump.StopRequested()) {
      outcome.end = RunEnd::kStopped;
      ended_early = true;
      break;
    }
    ports.pump.ReportProgress(r, table.RowCount());
    // Copied: the table may not be held by reference across the walk's event pumping.
    const std::string name = table.Cell(document::kPicture, r);
    text::Result<bool> loaded = false;
    if (ahead.Enabled() && !choice.UseLoader() && ahead.NextRow() != -1) {
      ahead.Reset();  // the run loads its own pictures for a while
    }
    if (choice.UseLoader()) {
      // Keep the loader a few rows ahead; after a jump back it starts again at this row.
      if (ahead.NextRow() != -1 && ahead.NextRow() <= r) {
        ahead.Reset();
      }
      for (int k = ahead.NextRow() == -1 ? r : ahead.NextRow();
           k < table.RowCount() && ahead.HasRoom(); ++k) {
        // A refused name is asked for as no picture: the run's own load reports it.
        const std::string& requested = table.Cell(document::kPicture, k);
        ahead.Request(k, document.picture_folder,
                      document::PictureNameAllowed(document, requested) ? requested : kNoName);
      }
      if (ahead.Take(r, name, recogniser.SparePicture())) {
        loaded =
            PrepareSpare(recogniser, document::LocatePicture(document.picture_folder, name).path);
      } else {
        loaded = LoadSubtitlePicture(recogniser, document, name);
      }
    } else {
      loaded = LoadSubtitlePicture(recogniser, document, name);
    }
    // A picture the layer cannot decode, one too large for the grid or one outside the folder
    // is handled like a missing one: the user may skip the row. Only a file that cannot be read
    // ends the run.
    if (!loaded.ok() && loaded.error().code != "size" && loaded.error().code != "format" &&
        loaded.error().code != "outside") {
      outcome.end = RunEnd::kFailed;
      outcome.error = loaded.error();
      ended_early = true;
      break;
    }
    if (loaded.ok() && loaded.value()) {
      const document::RowTable* reference = recogniser.ReferenceTable();
      if (reference != nullptr && recogniser.Options().reference_teaching) {
        recogniser.SetReferenceText(PairedReferenceText(*reference, table.Cell(document::kStart, r),
                                                        table.Cell(document::kEnd, r)));
      }
      const bool recognised = recogniser.RecognisePicture(ports.teacher, ports.pump);
      recogniser.SetReferenceText({});  // a later row analysis of this picture reads it alone
      if (!recognised) {
        outcome.end = ports.pump.StopRequested() ? RunEnd::kStopped : RunEnd::kAborted;
        ended_early = true;
        break;
      }
      table.SetCell(document::kText, r, recogniser.PictureText());
      table.SetCell(document::kBaseText, r, recogniser.PictureText());
      ++outcome.rows_recognised;
      if (recogniser.RestartRequested()) {
        document.current_row = recogniser.RestartRow();
        r = recogniser.RestartRow() - 1;
        recogniser.ClearRestart();
      }
    } else {
      // A missing picture, or one too large for the grid: the user may skip the row.
      ++outcome.pictures_missing;
      outcome.missing_rows.push_back(r);
      if (!loaded.ok()) {
        outcome.unusable_pictures.push_back(loaded.error());
      }
      std::string question;
      if (loaded.ok()) {
        question = ports.texts.Message(kMessageMissingPicture) + name +
                   ports.texts.Message(kMessageMissingPictureQuestion);
      } else {
        question = loaded.error().message + ports.texts.Message(kMessageMissingPictureQuestion);
      }
      const ports::Answer answer = ports.messages.Ask(
          {question, ports.texts.Message(kMessageQuestionCaption), ports::Buttons::kYesNo});
      if (answer != ports::Answer::kYes) {
        outcome.end = RunEnd::kDeclined;
        ended_early = true;
        break;
      }
    }
    choice.RowDone(questions_asked() != questions_before);
    ++r;
    next_start = r;
  }
  if (!ended_early) {
    outcome.end = RunEnd::kCompleted;
    outcome.post_run_due = true;
  }
  outcome.next_start_row = next_start;
  outcome.glyphs = GlyphCounts::Difference(recogniser.Counts(), counts_before);
  // A run that wrote no row leaves the document as it found it: not modified, nothing to undo.
  if (outcome.rows_recognised > 0) {
    document.proofread_done = false;
    document.document_saved = false;
  }
  return outcome;
}

}  // namespace ocr

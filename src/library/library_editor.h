// LibraryEditor: the model behind the library editor panel: listing, searches, marks, saving
// with deletion and picture renaming, and archiving.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "library/glyph_library.h"
#include "ports/host_ports.h"
#include "text/result.h"

namespace library {

// Message numbers of the editor's texts.
inline constexpr int kMessageEditorTitleBefore = 449;
inline constexpr int kMessageEditorTitleAfter = 452;
inline constexpr int kMessageRecordsBefore = 455;
inline constexpr int kMessageArchivedBefore = 458;
inline constexpr int kMessageJournalBefore = 461;
inline constexpr int kMessageJournalAfter = 464;
inline constexpr int kMessageSaveQuestion = 467;
inline constexpr int kMessageNothingMarked = 470;
inline constexpr int kMessageSaving = 473;
inline constexpr int kMessageSaved = 476;
inline constexpr int kMessageChangeMark = 479;
inline constexpr int kMessageDeleteMark = 482;
inline constexpr int kMessageRecordsAfter = 524;
inline constexpr int kMessageFoundBefore = 608;
inline constexpr int kMessageRangeNotDigits = 611;
inline constexpr int kMessageRangeStartBeyond = 614;
inline constexpr int kMessageRangeEndBelow = 617;
inline constexpr int kMessageRangeWide = 620;
inline constexpr int kMessageArchiving = 623;
inline constexpr int kMessageArchived = 626;
inline constexpr int kMessageCaptionUnsaved = 413;

// The editor lists at most this many of the latest records when it opens.
inline constexpr int kEditorListLength = 1000;

// One row of the editor grid. `number` is the record's 1-based number, 0 for the empty row that
// stands alone when a listing found nothing. Numbers are set by the listings only (the save
// relies on them and on their ascending order), so a grid must not let them be edited or the
// rows be reordered.
struct EditorRow {
  bool delete_mark = false;
  int number = 0;
  std::string text;      // GBK, editable
  std::string features;  // FeatureLine, editable
  bool change_mark = false;
};

enum class SaveOutcome {
  kNothingMarked,  // no row had the change mark (message 470)
  kCancelled,      // the user cancelled the confirmation; nothing changed
  kSaved,          // the library and its files hold the changes (message 476)
};

// Deletes the records `numbers` (1-based; numbers outside 1..RecordCount() are passed over) as
// the editor's save deletes marked rows: the main files are written without them and with the
// journal archived, the index rebuilt, as one commit, and the pictures of the latest records
// follow their records to their new numbers. Returns how many records were deleted. Error "io"
// changes nothing.
text::Result<int> DeleteRecords(GlyphLibrary& library, const std::vector<int>& numbers,
                                ports::EventPump& pump);

// The editor over one library. Holds its grid rows; the library changes only on Save and
// Archive. Questions go through `port`; texts come from `messages`. Refusals come back as
// Errors made by Refusal (the host shows them).
class LibraryEditor {
 public:
  LibraryEditor(GlyphLibrary& library, const ports::MessageSource& messages,
                ports::MessagePort& port);

  // Lists the latest min(N, 1000) records oldest first, then runs the pending range search (a
  // number searched as the range number..number) or the pending text search when one is given.
  // The current row is the last one. Errors are those of the search run.
  text::Status Open(const std::string& pending_number, const std::string& pending_text,
                    ports::EventPump& pump);

  // Lists every record whose text equals `text` byte for byte. Nothing happens for an empty
  // text. Returns the number of rows found.
  int SearchText(const std::string& text, ports::EventPump& pump);

  // Lists the records numbered from..to (texts of digits). Nothing happens when either is
  // empty. Refusals: 611 (not digits), 614 (from beyond the last record), 617 (to below from);
  // a span wider than 10000 asks question 620 (Yes/No) and No leaves the listing as it was.
  // Numbers below 1 are passed over.
  text::Status SearchRange(const std::string& from, const std::string& to, ports::EventPump& pump);

  const std::vector<EditorRow>& Rows() const {
    return rows_;
  }
  int CurrentRow() const {
    return current_row_;
  }  // index into Rows()
  void SetCurrentRow(int row);

  // Label texts: the title (449 N 452) and the statistics line as last set.
  std::string TitleText() const;
  const std::string& StatusText() const {
    return status_;
  }
  // The archive button is usable only while the journal holds records.
  bool ArchiveEnabled() const {
    return library_.JournalCount() > 0;
  }

  // Marks, by row index into Rows(); out-of-range rows are ignored.
  void ToggleDeleteMark(int row);  // set: delete and change mark; clear: delete mark only
  void ClearChangeMark(int row);   // only when it holds the change mark: both marks cleared
  void MarkChanged(int row);       // a key typed into the row
  void MarkAllForDeletion();
  // Cell edits; each also sets the change mark.
  void EditText(int row, std::string text);
  void EditFeatures(int row, std::string features);

  // The picture file of a row's record when it has a picture slot and the file exists.
  std::optional<std::filesystem::path> PictureOf(int row) const;

  // Applies the marked rows, walking from the last row up: asks question 467 (OK/Cancel) once,
  // deletes rows with both marks, writes edited texts and FeatureLines back, rebuilds the index
  // when a record was deleted or a FeatureLine changed, and writes the main files with an
  // emptied journal as one commit. Then every picture of the latest 1000 records moves to the
  // name of its record's new number. The rows are listed afresh after a save. Error "io"
  // changes nothing.
  text::Result<SaveOutcome> Save(ports::EventPump& pump);

  // Archives the journal (ArchiveJournal); the status becomes 455 N 524.
  text::Status Archive();

 private:
  void ClearRows();
  void AppendRecordRow(int number);
  void ListLatest();
  void SetFoundStatus(int count);
  std::string Msg(int number) const {
    return messages_.Message(number);
  }

  GlyphLibrary& library_;
  const ports::MessageSource& messages_;
  ports::MessagePort& port_;
  std::vector<EditorRow> rows_;
  int current_row_ = 0;
  std::string status_;
};

}  // namespace library

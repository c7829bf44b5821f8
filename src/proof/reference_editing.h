// The reference subtitle's editing logic: the reference rows that overlap a main row in time,
// a blank main subtitle made from the reference's times, and the row editor's store, take-times
// and dash commands.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/subtitle_document.h"
#include "text/result.h"

namespace proof {

// Message numbers of the reference commands the host asks or shows.
inline constexpr int kReferenceUnsavedQuestion = 677;
inline constexpr int kDocumentUnsavedQuestion = 674;
inline constexpr int kUnsavedCaption = 413;
inline constexpr int kReferenceTypeMessage = 416;

// The selection the reference grid gets when a main row is selected: its current row and the
// block of cells (rows first_row..last_row, columns first_column..last_column) to highlight.
struct ReferenceSelection {
  int current_row = 1;
  int first_row = 1;
  int last_row = 1;
  int first_column = 1;
  int last_column = 3;
};

// For main row `main_row` with start s and end e, walks the reference rows from 1: a row
// starting after e ends the walk; the row holding s begins the range; each row from there on
// extends it; the row holding e ends the walk. With a range, its last row is current and the
// text cells of the range are selected; without one, row 1 is current with columns 1 to 3
// selected. nullopt when the main row lacks a start or an end (the selection stays as it is).
// A time that cannot be read gives an Error (code "time") naming its row (`line`): a reference
// row for the reference table, the main row otherwise; the message says which table.
text::Result<std::optional<ReferenceSelection>> SelectReferenceRows(
    const document::SubtitleDocument& document, int main_row);

// Replaces the main table by one row per reference row: its number, start and end, base start
// and base end equal to those times, style "Default", margins "0000", everything else empty.
// Sets document_saved (the host has already offered to save the old document, message 674) and
// makes row 1 current.
void CreateBlankFromReference(document::SubtitleDocument& document);

// A text split at each "\N" into editor lines (an empty text gives one empty line).
std::vector<std::string> SplitIntoLines(std::string_view text);
// Editor lines joined with "\N"; the separator is written only once the text built so far is
// not empty, so empty lines at the start add nothing.
std::string JoinEditorLines(const std::vector<std::string>& lines);

// The contents of the row editor (main row) or the reference viewer: text lines and two times,
// as typed.
struct RowEditor {
  std::vector<std::string> lines;
  std::string start;
  std::string end;
};

// The editor filled from main row `row`.
RowEditor LoadMainRow(const document::SubtitleDocument& document, int row);
// The viewer filled from reference row `row`.
RowEditor LoadReferenceRow(const document::SubtitleDocument& document, int row);

// Copies the viewer's start and end into the editor; the row changes only when stored.
void TakeReferenceTimes(RowEditor& editor, const RowEditor& reference);

// Writes the editor into the current main row when it differs ("C" appended when the text
// differs, "T" in front when a time does; document_saved cleared), then makes the next row
// current unless the current row is the last. Returns true when something was stored. The store
// is one undo step; its undo makes the stored row current again.
bool StoreEditAndNext(document::SubtitleDocument& document, const RowEditor& editor);

// Makes the next row current unless the current row is the last; the typed edit is dropped.
void DiscardEditAndNext(document::SubtitleDocument& document);

// With more than one line, puts "-" in front of every line that does not begin with it; a
// single line is left alone.
void DashBeforeEachLine(std::vector<std::string>& lines);

}  // namespace proof

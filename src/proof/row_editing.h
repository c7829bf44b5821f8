// Editing the main grid row by row: the marks that typing leaves, inserting, deleting and
// restoring rows, the pointer-to-cell mapping of the grid and the end-time shift ranges
// opened with "->" and closed with "<-".
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "document/subtitle_document.h"
#include "ports/host_ports.h"
#include "text/result.h"

namespace proof {

// Message numbers of the row commands.
inline constexpr int kConfirmCaption = 557;
inline constexpr int kDeleteRowQuestion = 719;
inline constexpr int kRestoreTimeQuestion = 722;
inline constexpr int kTimeAlreadyBaseMessage = 725;
inline constexpr int kRestoreTextQuestion = 728;
inline constexpr int kTextAlreadyBaseMessage = 731;

inline constexpr char kShiftOpen[] = "->";
inline constexpr char kShiftClose[] = "<-";

// True for the arrow keys (virtual key codes 37 to 40): moving the cursor is never an edit.
bool IsArrowKey(int key_code);

// A key typed into cell (column, row) of the main grid (not an arrow key: callers filter those
// on key down). Returns false when the column cannot be edited by typing (picture, ChangeMarks,
// ShiftMark, base values): the key must be cancelled and nothing changes. Otherwise marks the
// row ("T" for the times, "C" for the text, "P" for style and margins), clears document_saved
// and returns true. `row` must be a data row.
bool NoteKeyTyped(document::SubtitleDocument& document, int row, int column);

// A value typed into cell (column, row) of the main grid and committed: text, start, end, style
// and margins only (false for any other column or a row that is no data row; nothing changes).
// A different value is stored, the row gains its mark ("C" for the text, "T" in front for a
// time, "P" for style and margins) and document_saved is cleared, as one undo step. An equal
// value changes nothing and returns true.
bool StoreTypedCell(document::SubtitleDocument& document, int column, int row, std::string value);

// Every command below that changes the table is one undo step of the document's history.

// Puts a new row with empty times and text, style "Default" and margins "0000" at the current
// row and makes it current; the rows from there move down. Column 0 stays in place, so numbers
// read 1, 2, 3 ... in grid order and the new last row is numbered by its index.
void InsertRowBefore(document::SubtitleDocument& document);
// Puts a new row below the current one (at the end when the current row is the last) and makes
// it current.
void InsertRowAfter(document::SubtitleDocument& document);

// Asks (OK, Cancel; message 719, caption 557) and deletes the current row: the rows below move
// up, numbers stay in grid order, the current row keeps its index (or becomes the new last row)
// and document_saved is cleared. The only data row is emptied, not removed. Returns false when
// the user cancelled.
bool DeleteCurrentRow(document::SubtitleDocument& document, ports::MessagePort& questions,
                      const ports::MessageSource& messages);

// Deletes data rows first .. last (clipped to the table) as one undo step (kDeleteRows), without
// asking (the window asks first): the rows below move up, numbers stay in grid order, the
// current row becomes `first` (or the new last row) and document_saved is cleared. Deleting
// every row leaves one empty row. Returns the number of rows deleted (0: nothing changed).
int DeleteRows(document::SubtitleDocument& document, int first, int last);

// Merges data rows first .. last (clipped; at least two rows) into row `first`, as one undo step
// (kMergeRows): its text becomes the non-empty texts joined by "\N" (one line each), its end the
// end of row `last`; the other rows are deleted. The row gains "C" (and "T" when its end
// changed), becomes current, and document_saved is cleared. Returns false, changing nothing,
// for fewer than two rows.
bool MergeRows(document::SubtitleDocument& document, int first, int last);

// Splits every row of first .. last (clipped) whose text holds two or more lines ("\N") into one
// row a line, as one undo step (kSplitRows): the time from its start to its end is shared
// evenly among its lines in order, style and margins are copied, and each row gains "T" and
// "C". A row to split whose start or end cannot be read gives UnreadableTimeError and nothing
// changes. Returns the number of rows added (0: nothing to split, nothing changed).
text::Result<int> SplitRows(document::SubtitleDocument& document, int first, int last);

enum class RestoreEnd {
  kAlreadyBase,  // nothing to restore: the caller shows message 725 (time) or 731 (text)
  kCancelled,
  kRestored,
};

// Start and end of the current row back to its base start and base end after asking (OK,
// Cancel; message 722, caption 557); removes the first "T" of its marks. document_saved and the
// shift mark are left alone.
RestoreEnd RestoreTime(document::SubtitleDocument& document, ports::MessagePort& questions,
                       const ports::MessageSource& messages);
// Text of the current row back to its base text after asking (message 728); removes the first
// "C" of its marks.
RestoreEnd RestoreText(document::SubtitleDocument& document, ports::MessagePort& questions,
                       const ports::MessageSource& messages);

// Where a pointer lies on the main grid: every row is 19 pixels high (one heading row), each
// column its width plus one pixel of grid line, counted as if the grid were not scrolled
// sideways. `top_row` is the first visible data row. nullopt on the heading, below the last
// row or past the last column.
struct GridCell {
  int column = 0;
  int row = 0;
};
std::optional<GridCell> CellUnderPointer(int x, int y, int top_row,
                                         const std::vector<int>& column_widths, int row_count);

enum class ShiftChange {
  kNone,          // nothing to do (end equals base end, or the click would nest ranges)
  kOpened,        // "->" set; later ends moved by this row's end minus its base end
  kClosed,        // "<-" set; the rows after it back to their base ends
  kOpenCleared,   // "->" removed; the rows of its range back to their base ends
  kCloseCleared,  // "<-" removed; the rows after it moved by this row's shift
};

// The error for a time cell that cannot be read: code "time", `line` = the grid row, and a GBK
// message naming the row and quoting the cell.
text::Error UnreadableTimeError(int row, const std::string& time);

// The right click on the shift-mark column of data row `row`: toggles "->" or "<-" and moves
// the end times of the rows in the range (only end times; "T" marks follow). Times are read and
// written as "hh:mm:ss.zzz". Before anything changes, every time the move will read is parsed:
// an unreadable one gives an Error (code "time", `line` = that row) and leaves the table as it
// was. document_saved is not changed.
text::Result<ShiftChange> ToggleShiftMark(document::SubtitleDocument& document, int row);

}  // namespace proof

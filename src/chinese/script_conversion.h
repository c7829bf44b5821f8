// Converting subtitle texts between Simplified and Traditional Chinese: one GBK text, the rows
// of a subtitle table (preview, then write), and a whole SRT or SSA file whose other bytes stay
// exactly as they were.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "chinese/script_converter.h"
#include "document/subtitle_document.h"
#include "ports/host_ports.h"

namespace chinese {

// A converted character that GBK cannot hold: the original stays in its place.
struct KeptCharacter {
  std::string original;   // GBK: the source character (or the whole source phrase, when the
                          // phrase changed length and no character-for-character match exists)
  std::string converted;  // UTF-8: what the conversion gave for it
};

// "U+2B5AD" for each code point of a UTF-8 text, separated by spaces (for reports, which are
// GBK and cannot show the character itself).
std::string CodePoints(std::string_view utf8);

struct ConvertedText {
  std::string text;                 // GBK
  std::vector<KeptCharacter> kept;  // in text order
  bool malformed = false;           // a stretch was not valid GBK and was left as it was
};

// Converts a GBK text. Override blocks ("{\" up to the next "}", as in SSA texts) are left as
// they are, so font names and tags are never rewritten; the text between them is converted
// stretch by stretch. A converted character GBK cannot hold keeps the original character and is
// listed in `kept` (never written as "?"). A stretch holding bytes that are not GBK is left
// unconverted and sets `malformed`. Pure ASCII comes back unchanged without calling OpenCC.
ConvertedText ConvertGbkText(const ScriptConverter& converter, std::string_view gbk);

// One row the conversion changes or reports.
struct RowChange {
  int row = 0;         // table row (1-based data row)
  std::string number;  // the row's number as column 0 shows it
  std::string before;  // text now (GBK)
  std::string after;   // text after the conversion (GBK); equal to `before` when only reported
  std::vector<KeptCharacter> kept;
  bool malformed = false;
};

struct ConversionPreview {
  std::vector<RowChange> changes;   // rows whose text changes, in the order given
  std::vector<RowChange> reported;  // rows with kept characters or malformed bytes, changed or not
  int rows_looked_at = 0;
  bool stopped = false;  // the host asked to stop; the rows so far are kept
};

// The data rows 1 .. DataRowCount() of `table`.
std::vector<int> AllRows(const document::RowTable& table);

// Converts the text (column 1) of each listed row of `table` without changing the table. Rows
// outside the table are ignored, empty texts skipped. Lets pending events run about every 40 ms
// (pump.LetPendingEventsRun, ReportProgress) and honours pump.StopRequested().
ConversionPreview PreviewConversion(const document::RowTable& table, const std::vector<int>& rows,
                                    const ScriptConverter& converter, ports::EventPump& pump);

struct ApplyOutcome {
  int written = 0;
  std::vector<int> skipped_rows;  // rows whose text no longer equals the preview's `before`
};

// Writes each change's `after` into its row's text. In the main table the row is marked as an
// edit of its text marks it ("C" appended unless present) and document_saved is cleared; in the
// reference table reference_saved is cleared. A row whose text changed since the preview (or
// that is gone) is skipped and listed, never overwritten. Base texts are not touched, so
// restoring the text brings back the text as read or saved.
ApplyOutcome ApplyConversion(document::SubtitleDocument& document, document::Role role,
                             const std::vector<RowChange>& changes);

// Kinds of subtitle file by their text layout.
enum class FileLayout { kSrt, kSsa };

// A character kept in a file, with where it is.
struct FileReport {
  int line = 0;   // 1-based line of the file
  int entry = 0;  // SRT: entry in file order (1, 2, ...); SSA: Dialogue line in file order
  std::vector<KeptCharacter> kept;
  bool malformed = false;
};

struct FileConversion {
  std::string gbk;        // the whole file, converted
  int texts_changed = 0;  // text lines (SRT) or Dialogue texts (SSA) that changed
  std::vector<FileReport> reports;
};

// Converts the subtitle texts of a whole file held as GBK, keeping every other byte, the line
// ends (CR LF, LF or CR) included. SRT: the lines after an entry's number and time lines up to
// the next entry (an entry starts at a line of digits followed by a line holding " --> " and
// ","); lines before the first entry are left alone. SSA: the text field (after the ninth comma)
// of each line beginning "Dialogue:"; headers, styles, comments and all other fields are left
// alone.
FileConversion ConvertSubtitleFile(std::string_view gbk, FileLayout layout,
                                   const ScriptConverter& converter);

}  // namespace chinese

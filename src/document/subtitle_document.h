// SubtitleDocument: the open main subtitle (15-column table), the reference table (4 columns)
// and the properties and flags that belong to them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "document/row_table.h"
#include "text/encoding.h"

namespace document {

// 1 = the main table, 2 = the reference table.
enum class Role { kMain = 1, kReference = 2 };

// See SubtitleDocument::format_rules.
enum class FormatRules { kFull, kAsBefore };

// Whether the main table records its changes as undo steps. The window's document does; a
// command-line run, which never undoes, does not, so that a long run does not keep a record of
// every row it wrote.
enum class UndoHistory { kRecorded, kNotRecorded };

struct SubtitleDocument {
  SubtitleDocument();  // records undo steps
  explicit SubtitleDocument(UndoHistory history);

  RowTable main{kMainColumnCount};
  RowTable reference{kReferenceColumnCount};

  RowTable& Table(Role role) {
    return role == Role::kMain ? main : reference;
  }
  const RowTable& Table(Role role) const {
    return role == Role::kMain ? main : reference;
  }

  // The grid row the user has selected in the main table (1-based data row).
  int current_row = 1;

  // True when the first entry of the main subtitle names a bitmap ending in "1.bmp".
  bool picture_mode = false;
  // True when nothing changed since the last open, save or blank creation.
  bool document_saved = true;
  // True when the check review was confirmed or the document saved since the last run.
  bool proofread_done = true;

  std::filesystem::path source_file;      // full name of the opened main subtitle
  std::string source_extension = ".srt";  // lower case, with the full stop
  std::filesystem::path picture_folder;   // folder of the opened picture subtitle
  // Whether picture names may leave the picture folder (document/picture_files.h); only the
  // command line's --allow-outside-pictures sets it.
  bool pictures_outside_allowed = false;
  std::filesystem::path save_file;  // name last used to save
  std::string save_extension = ".srt";
  std::filesystem::path last_open_folder;
  std::filesystem::path last_save_folder;

  std::string reference_extension = ".srt";
  std::string reference_save_extension = ".srt";
  std::filesystem::path reference_folder;
  std::filesystem::path reference_file;
  std::filesystem::path reference_save_folder;
  std::filesystem::path reference_save_file;
  bool reference_saved = true;

  // Header lines of the last SSA, ASS or WebVTT file read in each role, used when writing that
  // format: for SSA and ASS every line up to the events' Format line, for WebVTT the lines before
  // the first cue.
  std::vector<std::string> kept_ssa_header_main;
  std::vector<std::string> kept_ssa_header_reference;
  std::vector<std::string>& KeptSsaHeader(Role role) {
    return role == Role::kMain ? kept_ssa_header_main : kept_ssa_header_reference;
  }
  // The sections an ASS file holds after its events (fonts, pictures), written after them.
  std::vector<std::string> kept_ssa_trailer_main;
  std::vector<std::string> kept_ssa_trailer_reference;
  std::vector<std::string>& KeptSsaTrailer(Role role) {
    return role == Role::kMain ? kept_ssa_trailer_main : kept_ssa_trailer_reference;
  }

  // How files are read and written. kFull reads SRT, SSA, ASS and WebVTT leniently (times in every
  // common form, entries without number lines, events by their Format line) and keeps the
  // fields the table has no column for; it writes every time in its format's strict form.
  // kAsBefore reads and writes .srt and .ssa exactly as the program always did. The programs set
  // it from the settings; a document made without them reads as before.
  FormatRules format_rules = FormatRules::kAsBefore;
  // How file bytes become text: an encoding to force, text::Encoding::kAuto to detect (see
  // text::DecodeInput), or nullopt for the detection of older releases (a UTF-16 mark, else valid
  // UTF-8, else GBK as it stands). The programs set it from the settings or their options.
  std::optional<text::Encoding> input_encoding;

  // Extension (lower case, with the full stop) that chooses the reading rules for a role.
  const std::string& ReadExtension(Role role) const {
    return role == Role::kMain ? source_extension : reference_extension;
  }
  // Extension that chooses the writing rules for a role.
  const std::string& WriteExtension(Role role) const {
    return role == Role::kMain ? save_extension : reference_save_extension;
  }

  // For every data row of the main table: start, end, text to base start, base end, base text.
  // This is bookkeeping of the save, not an edit: the history does not record it.
  void CommitBaseValues();
  void CommitBaseValues(int row);

  // Undo and redo of the main table's steps (main.History()). Each puts the cells and rows of
  // one step back, then the saved and proofread flags and the current row as they were before
  // the step (undo) or after it (redo); a state that was saved when it was left is saved again,
  // unless a later save wrote another. Return false when there was nothing to do or a step is
  // still open.
  bool Undo();
  bool Redo();
  // After the main subtitle was written: the present state becomes the saved one.
  void MarkSaved() {
    main.History().MarkSaved();
  }
};

// The Simplified Chinese default headings of the main and reference tables.
void SetDefaultHeadings(SubtitleDocument& document);

// The extension of `path` with its full stop, ASCII letters lower-cased (".SRT" -> ".srt"); ""
// when the name has none. This is the form the extension properties hold.
std::string LowerCaseExtension(const std::filesystem::path& path);

}  // namespace document

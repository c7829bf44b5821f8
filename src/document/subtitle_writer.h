// Writing the main or reference table as an SRT or SSA subtitle file.
#pragma once

#include <filesystem>
#include <string>

#include "document/subtitle_document.h"
#include "text/result.h"

namespace document {

// The bytes written: GBK as the tables hold them, UTF-8 without a byte-order mark, or UTF-8
// preceded by the mark EF BB BF (which some players need to recognise UTF-8).
enum class OutputEncoding { kGbk, kUtf8, kUtf8Bom };

struct WriteOptions {
  // The author entry, written in front of the subtitles only for role 1 of a picture subtitle.
  bool author_enabled = false;
  std::string author_time_line;  // SRT form as the user typed it: start + " --> " + end
  std::string author_text;       // GBK, lines separated by "\N"
  // Folder holding ssahead.txt, the SSA header used when the role has no KeptSsaHeader.
  std::filesystem::path working_folder;
  OutputEncoding encoding = OutputEncoding::kGbk;
  // Main table only: a row without a text that names a picture is written with the picture's
  // name as its text (so a half-recognised picture subtitle keeps every row), instead of being
  // left out.
  bool keep_rows_without_text = false;
};

// What a successful write did.
struct WriteReport {
  int entries = 0;  // subtitle entries written, the author entry not counted
  // UTF-8 output only: malformed GBK byte sequences that became U+FFFD.
  int replaced_characters = 0;
};

// Builds the file content of the role's table in the format of document.WriteExtension(role)
// (".srt" or ".ssa", compared lower-cased), lines ending in CR LF, in GBK. In role 1 every row's
// start, end and text are first committed to the base columns, rows with an empty text skipped
// (unless options.keep_rows_without_text keeps those naming a picture).
// A start or end that IsReadableTime refuses is never written as it stands (other programs could
// not read the file back): the row's base time takes its place when that is readable, else
// 00:00:00.000. The table keeps the unreadable text; FindSaveProblems names such rows first.
// SRT numbers come from column 0 as they stand. SSA takes the role's KeptSsaHeader, else the lines
// of options.working_folder/ssahead.txt (the KeptSsaHeader itself is not changed).
// Under FormatRules::kFull (document.format_rules) ".ass" and ".vtt" are written too, and every
// time is written in its format's strict form (SRT hh:mm:ss,mmm, SSA/ASS h:mm:ss.cc, WebVTT
// hh:mm:ss.mmm; a negative or unreadable time as above, as zero); SRT entries are numbered as
// written; SSA and ASS events follow the columns of the header's Format line, the kept fields
// and sections of a file read in the same format coming back as they were read. A kept header
// serves only its own kind (WebVTT or SSA/ASS); without one, .ass gets a built-in v4+ header and
// .vtt the line "WEBVTT".
// Errors: "io" when ssahead.txt is needed and cannot be read (no row is touched then); "format"
// when the write extension is not one the rules write (nothing is touched).
text::Result<std::string> BuildSubtitleText(Role role, SubtitleDocument& document,
                                            const WriteOptions& options,
                                            WriteReport* report = nullptr);

// The bytes BuildSubtitleText gives, converted to options.encoding, saved to `path` through a
// text::AtomicFileWriter: the text goes to the file in pieces of about 64 KB as it is made, never
// whole in memory. An existing file is replaced only once the new content is completely on disk,
// and a failed save leaves it unchanged. A failure of the save comes after the base values of
// role 1 were committed. A symbolic link `path` is written through to its target; the
// temporary files that killed saves of the same file left are removed first
// (text::Leftovers::kRemoveStale). Errors: those of BuildSubtitleText, and "io" naming `path` when
// it cannot be written. `report`, when given, receives the counts of a successful write.
// DocumentSaved, ProofreadDone and the save file properties are the caller's to set; no port is
// called.
text::Status WriteSubtitleFile(const std::filesystem::path& path, Role role,
                               SubtitleDocument& document, const WriteOptions& options,
                               WriteReport* report = nullptr);

}  // namespace document

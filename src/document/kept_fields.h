// The kept-fields cell: file fields the table has no column for, as named values in one cell.
#pragma once

#include <string>
#include <string_view>

namespace document {

// Keys of the values a reader keeps. ASS and SSA events keep every Format column the table has
// no column of under its own name ("Layer", "Name", "Effect", "Marked", ...).
inline constexpr std::string_view kKeptLineKind = "kind";      // "Dialogue" or "Comment"
inline constexpr std::string_view kKeptPosition = "position";  // text after an SRT/WebVTT end time
inline constexpr std::string_view kKeptCueId = "id";           // a WebVTT cue's identifier line
// Lines of the file between the previous entry and this one that are no entry, joined by LF,
// written in front of the row in a file of the same format: ASS/SSA Comment and other lines,
// WebVTT NOTE and STYLE blocks.
inline constexpr std::string_view kKeptBefore = "before";
inline constexpr std::string_view kKeptNotes = "notes";
// Spaces in front of an ASS/SSA event line.
inline constexpr std::string_view kKeptIndent = "indent";
// The text lines of an SRT or WebVTT entry that holds a literal "\N", joined by LF, with the text
// cell as read: they are written as they stood while the text cell still says the same.
inline constexpr std::string_view kKeptLines = "lines";
inline constexpr std::string_view kKeptLinesText = "lines-text";

// Appends `key` = `value` to `cell`. Keys and values must not hold the bytes 0x1E and 0x1F,
// which separate them (no GBK or GB18030 character holds either byte).
void AddKeptField(std::string& cell, std::string_view key, std::string_view value);

// The value of `key` in `cell`; "" (and `found` false, when given) when the cell has no such key.
std::string_view KeptField(std::string_view cell, std::string_view key, bool* found = nullptr);

}  // namespace document

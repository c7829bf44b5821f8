// SubtitleTime: the "hh:mm:ss.zzz" text held in the tables, its arithmetic value, and the four
// conversions between table and file forms.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace document {

// Milliseconds since 00:00:00.000.
using Milliseconds = std::int64_t;

// Parses hours, minutes and seconds separated by colons, with optional milliseconds after a full
// stop ("0:00:01.5" is 1500 ms, "00:01:02" is 62000 ms). Spaces around the text are ignored.
// Returns nullopt for anything else (empty, letters, missing fields, negative or too long).
std::optional<Milliseconds> ParseSubtitleTime(std::string_view text);

// Reads a time typed by the user into a time cell. Accepted forms, spaces around ignored:
//   h:mm:ss.mmm and hh:mm:ss.mmm   hours of one or two digits, the fraction optional
//   hh:mm:ss,mmm                   the SRT file form: a comma before the milliseconds
//   mm:ss.mmm and m:ss.mmm         no hours; the fraction is required here, so that "12:34"
//                                  is not silently taken as minutes and seconds
// Minutes and seconds below 60, seconds of exactly two digits, one to three fraction digits
// ("5" is 500 ms). Returns nullopt for anything else, the empty text included.
std::optional<Milliseconds> ParseTimeEntry(std::string_view typed);

// The time a cell holds as far as other programs are concerned: its first word (spaces around
// ignored; SRT files may carry coordinates such as "X1:000" after the end time) read by
// ParseSubtitleTime or, failing that, by ParseTimeEntry (so the SRT comma form counts too); a
// leading minus gives a negative value, as some editors write times before zero.
// nullopt when the cell does not begin with a time.
std::optional<Milliseconds> ReadCellTime(std::string_view cell);
inline bool IsReadableTime(std::string_view cell) {
  return ReadCellTime(cell).has_value();
}

// An amount of time typed for a shift or a synchronisation point: an optional sign, then a
// time ReadCellTime reads ("00:00:01.500", "1:02.5", "00:00:01,500") or a number of seconds
// with an optional fraction of up to three digits ("2", "-0.25", "+90.5"). Spaces around are
// ignored. nullopt for anything else.
std::optional<Milliseconds> ParseTimeAmount(std::string_view typed);

// A typed time in the tables' own form "hh:mm:ss.zzz"; nullopt when ParseTimeEntry refuses it.
std::optional<std::string> NormaliseTimeEntry(std::string_view typed);

// Formats as "hh:mm:ss.zzz", zero-padded. A negative value formats as 00:00:00.000; hours of 100
// or more keep all their digits.
std::string FormatSubtitleTime(Milliseconds value);

// A time as a subtitle file gives it, read leniently: spaces around, an optional minus, one to
// three digits of hours (or none: "mm:ss.ttt" as WebVTT allows), one or two of minutes and seconds
// (below 60), and
// one to three digits of fraction after '.' or ','. `tail` is what follows the time after
// spaces (an SRT time line's position fields, a WebVTT cue's settings), spaces included, so that
// the line can be written back as it stood.
struct FileTime {
  Milliseconds value = 0;  // negative when the file wrote a minus
  std::string_view tail;   // "" when nothing follows
};
// How the digits after the separator count: as a decimal fraction of a second (SSA and ASS:
// "1.5" is 1500 ms) or as a number of milliseconds (SRT and WebVTT, as the common SRT readers
// take them: "1,5" is 1005 ms, "1,040" 1040 ms).
enum class FractionDigits { kDecimal, kMilliseconds };
// nullopt when the text does not begin with such a time, or when a character other than a space
// follows the time directly ("00:00:01,000x").
std::optional<FileTime> ReadFileTime(std::string_view text,
                                     FractionDigits fraction = FractionDigits::kDecimal);

// Strict file forms of a value; negative values are written as zero.
//   SRT    hh:mm:ss,mmm   (hours of 100 or more keep all their digits)
//   SSA    h:mm:ss.cc     (centiseconds cut, not rounded, as the table's form was always cut)
//   WebVTT hh:mm:ss.mmm
std::string FormatSrtTime(Milliseconds value);
std::string FormatSsaTime(Milliseconds value);
std::string FormatVttTime(Milliseconds value);

// Table time to SRT file form: the first full stop, if any, becomes a comma.
std::string TableTimeToSrt(std::string_view table_time);

// SSA file time to table form: "0" in front and "0" behind (0:00:01.00 -> 00:00:01.000).
std::string SsaTimeToTable(std::string_view ssa_time);

// Table time to SSA file form: a comma, if any, becomes a full stop; a text of exactly 12
// characters then loses its first and last character (00:00:01.000 -> 0:00:01.00).
std::string TableTimeToSsa(std::string_view table_time);

}  // namespace document

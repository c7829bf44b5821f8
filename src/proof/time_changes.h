// Changing the times of many rows at once: a shift by an amount, a synchronisation by two
// points, a change of frame rate, and the rows they apply to.
#pragma once

#include <optional>
#include <string_view>

#include "document/subtitle_document.h"
#include "document/subtitle_time.h"
#include "text/result.h"

namespace proof {

// A linear change of times: new = round(old * scale + offset), in milliseconds. The identity
// is scale 1, offset 0.
struct TimeMapping {
  double scale = 1.0;
  double offset = 0.0;
  document::Milliseconds Apply(document::Milliseconds time) const;
};

// Every time moved by `amount` milliseconds (negative: earlier).
TimeMapping ShiftMapping(document::Milliseconds amount);
// The line through two points: old time `a` becomes `b` and old time `c` becomes `d`. nullopt
// when a == c (no line passes through two different images of one time).
std::optional<TimeMapping> SyncMapping(document::Milliseconds a, document::Milliseconds b,
                                       document::Milliseconds c, document::Milliseconds d);
// Times of a subtitle timed for a video of `from` frames a second, for the same frames shown at
// `to` frames a second: old * from / to. nullopt unless both rates are above zero.
std::optional<TimeMapping> FrameRateMapping(double from, double to);

// A frame rate as typed: a positive decimal number ("25", "23.976") or a quotient
// ("24000/1001"). The rounded NTSC rates 23.976, 29.97, 47.952 and 59.94 mean their exact
// 1000/1001 values. nullopt for anything else.
std::optional<double> ParseFrameRate(std::string_view typed);
// Two synchronisation points as typed on the command line, "A=B,C=D", each time as
// document::ParseTimeAmount reads it. Error code "usage" (ASCII message) when the text is not of
// that form or A equals C.
text::Result<TimeMapping> ParseSyncPoints(std::string_view typed);

// Data rows first .. last of the main table, both included.
struct RowSpan {
  int first = 1;
  int last = 1;
};
// Every data row of `document`'s main table.
RowSpan AllRows(const document::SubtitleDocument& document);
// Rows as typed on the command line: "R", "R1-R2" or "R1-" (to the last row), 1-based and
// clipped to the rows the table has. Error code "usage" for anything else, a range that names
// no row of the table, or R2 < R1.
text::Result<RowSpan> ParseRowSpan(std::string_view typed, int data_rows);

struct TimesChanged {
  int rows = 0;     // rows whose start or end changed
  int clamped = 0;  // times that would have fallen before zero and were set to zero
};

// Applies `mapping` to the start and end of every row of `rows` (clipped to the table's data
// rows). A cell's first word is the time (ReadCellTime); what follows it (an SRT end's
// coordinates) is kept. Empty time cells are left alone. A changed row gains the "T" mark.
// Base times do not change, so the rows can still be restored one by one. Every time is read
// before the first is written: an unreadable one gives the error of UnreadableTimeError and
// changes nothing.
text::Result<TimesChanged> ChangeTimes(document::RowTable& table, const TimeMapping& mapping,
                                       RowSpan rows);
// The same on the document's main table as one undo step (kTimeChange); clears document_saved
// when a row changed.
text::Result<TimesChanged> ChangeTimes(document::SubtitleDocument& document,
                                       const TimeMapping& mapping, RowSpan rows);

// What the grid marks about a row's times.
enum class TimeFault {
  kNone,
  kEndBeforeStart,  // the end is before the start
  kOverlap,         // the start is before the end of the row above
};
// The fault of data row `row` of `table`; rows without two readable times are kNone. An end
// before the start is reported before an overlap.
TimeFault TimeFaultOf(const document::RowTable& table, int row);

}  // namespace proof

// Time-overlap correction: every entry that ends after its successor starts is cut back to end
// exactly when the successor starts.
#pragma once

#include <string>

#include "document/row_table.h"
#include "document/subtitle_document.h"
#include "ports/host_ports.h"

namespace proof {

// Message numbers of the correction's report: text before the count, after it, and "none".
inline constexpr int kOverlapCountBeforeMessage = 689;
inline constexpr int kOverlapCountAfterMessage = 692;
inline constexpr int kNoOverlapMessage = 695;

// Walks the main table once from row 2: when the end of the row before is greater than this
// row's start (texts compared byte by byte, which is time order for "hh:mm:ss.zzz"; equal times
// are no overlap), that end becomes this start and the row before gains a "T" mark. Start
// times, base times and rows' order never change. A row whose start cell is empty is not
// compared (an empty text would sort before every time and wipe the end above it). Returns the
// number of corrections.
int FixTimeOverlaps(document::RowTable& table);
// The same on the document's main table, as one undo step.
int FixTimeOverlaps(document::SubtitleDocument& document);

// The report shown after a correction: messages 689, the count and 692 joined without spaces,
// or message 695 when the count is 0.
std::string OverlapReport(int corrections, const ports::MessageSource& messages);

}  // namespace proof

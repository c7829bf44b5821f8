// The lenient readers of SRT, SSA/ASS and WebVTT text (FormatRules::kFull), used by
// subtitle_reader.cpp once the bytes are decoded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document/line_splitter.h"
#include "document/row_table.h"
#include "document/subtitle_document.h"

namespace document {

// What a lenient read gives besides the rows.
struct FormatRead {
  int entries = 0;
  std::vector<std::string> warnings;  // one line each, naming the rows and what was read
  std::vector<std::string> header;    // SSA/ASS: up to the Format line; WebVTT: before cue 1
  std::vector<std::string> trailer;   // ASS sections after the events, WebVTT notes at the end
  bool picture_mode = false;          // SRT: entry 1's lines end in "1.bmp"
};

// SRT: an entry starts at a number line followed by a time line, or at a time line that opens
// the file or follows a blank line (entries without number lines). Times are read by
// ReadFileTime (negative times become zero and are named in a warning); the text after the end
// time is kept as the row's position field; a text line holding a literal "\N" keeps the entry's
// lines as read. `picture_mode` is the document's flag before the read (kept when entry 1 has
// no text).
FormatRead ReadSrtText(LineSplitter lines, Role role, bool picture_mode, TableColumns& rows);

// SSA and ASS: the header runs to the Format line of the [Events] section, whose column names
// (any order, any case) place each Dialogue field; fields the table has no column of are kept by
// name. Comment and other lines between events are kept with the next event, sections after the
// events as the trailer.
FormatRead ReadSsaText(LineSplitter lines, Role role, TableColumns& rows);

// The event columns an SSA/ASS header names: the names of the last "Format:" line of its
// [Events] section, spaces around each removed; without one, the ten columns of SSA ("Marked"
// first) or of ASS ("Layer" first, when the header has a [V4+ Styles] section or ScriptType
// v4.00+).
std::vector<std::string> EventColumns(const std::vector<std::string>& header);

// WebVTT: the header is every line before the first cue; a cue is an optional identifier, the
// timing line ("mm:ss.ttt" or "hh:mm:ss.ttt", its settings kept) and the text lines up to a
// blank line, tags kept as they stand. NOTE blocks between cues are kept with the next cue.
FormatRead ReadVttText(LineSplitter lines, Role role, TableColumns& rows);

}  // namespace document

// Row analysis: the prepared picture recognised once more, glyph by glyph, without writing it.
#pragma once

#include <vector>

#include "ocr/recogniser.h"
#include "ocr/teaching.h"
#include "ports/host_ports.h"

namespace ocr {

inline constexpr int kMessageAnalysisTitleBefore = 629;  // + row number + message 632
inline constexpr int kMessageAnalysisTitleAfter = 632;

struct RowAnalysis {
  std::vector<GlyphDetail> glyphs;  // in reading order; spaces are not listed
  bool complete = true;             // false when stopped or aborted
};

// Recognises the picture already prepared in the recogniser (no picture is loaded), listing each
// glyph's text and library number. Unknown glyphs go to `teacher` as in a run; what is taught is
// kept. A correction of an earlier glyph ends the analysis and is not carried into a later run.
RowAnalysis AnalyseRow(Recogniser& recogniser, Teacher& teacher, ports::EventPump& pump);

}  // namespace ocr

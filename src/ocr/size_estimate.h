// The standard line height and glyph width, estimated from the first pictures of a subtitle.
#pragma once

#include <string>

#include "document/subtitle_document.h"
#include "ocr/recogniser.h"

namespace ocr {

inline constexpr int kDefaultSampleLines = 10;
inline constexpr int kMessageEstimating = 605;  // the wait panel's caption meanwhile

// The sample size an edit box's text gives: its number when it is all decimal digits, else 10.
int SampleLineCount(const std::string& text);

struct SizeEstimate {
  int line_height = 0;  // S_L: the most frequent line height above 5 pixels, 0 when none
  int glyph_width = 0;  // S_G: the most frequent segment width above 5 pixels, 0 when none
  int sampled_lines = 0;
  int unreadable_pictures = 0;  // pictures that could not be loaded or prepared (skipped)
};

// Samples the pictures of rows 1 .. 99 of the main table until `sample_lines` text lines were
// counted, and stores the result in the recogniser's options (it also prepares pictures in the
// recogniser's grid). A missing picture analyses the previously loaded one again, as the
// picture view would; so does one whose name leaves the picture folder (document::PictureFile),
// which counts as unreadable. Ties go to the size seen first.
SizeEstimate EstimateStandardSizes(Recogniser& recogniser,
                                   const document::SubtitleDocument& document, int sample_lines);

}  // namespace ocr

// The FeatureLine of a glyph box: 13 ink densities of a 5 × 5 chequer, then width and height.
#pragma once

#include <string>
#include <string_view>

#include "ocr/pixel_grid.h"
#include "ocr/segmentation.h"

namespace ocr {

inline constexpr int kDensityCount = 13;
inline constexpr int kMaxFeatureKey = 13000;

// Rounds v to one decimal digit less, half to even on the dropped digit alone (4995 → 500,
// 4985 → 498). Two such steps turn a density in hundred-thousandths into thousandths.
int RoundOneDigit(int v);

// Writes the box's FeatureLine into `line` (replacing its content) and returns its FeatureKey,
// the sum of the 13 densities (0 .. 13000). Each density is the thousandths of ink pixels in a
// cell (0 = empty, 1000 = all ink); cells follow the rows of a 5 × 5 grid, those with row +
// column even. Cell sizes are single precision and cell limits double, so the numbers are the
// same on every machine. The line ends with ",width,height" unless `ignore_size`. A box with
// no rows or columns gives 0 densities. Reads outside the grid's area count as background; any
// box, however large or far outside, ends in time bounded by the picture's size.
int ComputeFeatures(const PixelGrid& grid, const GlyphBox& box, bool ignore_size,
                    std::string& line);

// True when `box` has at least one column and row and lies inside the prepared picture's area
// (columns 0 .. Width() - 1, rows 0 .. Height() - 1); sums are taken in 64 bits, so no box
// overflows into passing.
bool BoxInPicture(const PixelGrid& grid, const GlyphBox& box);

// The first 13 comma-separated fields of a FeatureLine (the whole line when it has no more).
std::string_view DensityPart(std::string_view feature_line);

}  // namespace ocr

// Suggestions for an unknown glyph: the library's nearest shapes, and the answers other sources
// offer (the reference subtitle), merged into one short list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "library/glyph_library.h"

namespace ocr {

// Where a suggestion comes from.
enum class SuggestionSource {
  kLibrary,      // a library record of a near shape
  kReference,    // the reference subtitle's character at this place
  kOcrGuess,     // an OCR engine's reading of the glyph
  kLineReading,  // an OCR engine's reading of the glyph's whole line (the sheet only)
};

// The word a script or the panel names the source with: "library", "reference", "ocr", "line".
const char* SourceName(SuggestionSource source);

struct Suggestion {
  std::string text;  // GBK
  SuggestionSource source = SuggestionSource::kLibrary;
  // For kLibrary: the shape distance (0 = same densities and size, higher = less alike) and the
  // 1-based number of the nearest record with this text. 0 for the other sources.
  int distance = 0;
  int number = 0;
};

inline constexpr int kMaxSuggestions = 6;

// The distance between two FeatureLines: the sum of the differences of the 13 densities
// (thousandths) plus kSizeWeight per pixel of width and height difference when both lines hold
// the size. 0 = identical; a one-pixel change in a 20-pixel glyph gives about 60 to 130. -1 when
// either line is not a FeatureLine (fewer than 13 numbers).
inline constexpr int kSizeWeight = 50;
int ShapeDistance(std::string_view a, std::string_view b);

// The records nearest to `features` (a FeatureLine of FeatureKey `key`), one per distinct text,
// nearest first, at most `count`, none farther than `max_distance`. The index lines are read
// outward from `key` (the same key first, then key ± 1, ± 2 ...): since the density part of the
// distance is at least the difference of the keys, the search stops once the key difference
// exceeds the farthest distance still wanted. With `ignore_size` the sizes are not compared.
// Reads the library's ShapeTable (built at the first search after a load, then kept up to date);
// never touches the files.
std::vector<Suggestion> NearestShapes(const library::GlyphLibrary& library,
                                      std::string_view features, int key, bool ignore_size,
                                      int count = kMaxSuggestions, int max_distance = 800);

// Joins the sources' lists into one of at most kMaxSuggestions, without repeating a text: the
// reference's first, then the OCR guess, then the library's shapes.
std::vector<Suggestion> MergeSuggestions(const std::vector<Suggestion>& reference,
                                         const std::vector<Suggestion>& ocr_guess,
                                         const std::vector<Suggestion>& library);

}  // namespace ocr

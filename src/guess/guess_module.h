// The table of functions between TesseractGuesser and the module that runs Tesseract
// (zentrope-tesseract.so). Both sides are of one build (the loader checks), so the table passes
// the project's own C++ types.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace guess {

// What the engine read in one picture.
struct Reading {
  bool found = false;  // the engine gave a text at all
  std::string utf8;    // its text, as it gave it (spaces and line ends included)
  int confidence = 0;  // its mean confidence, 0..100
  // The engine's other readings of the first symbol with their confidences, best first.
  std::vector<std::pair<std::string, int>> alternatives;
};

// One symbol of a line the engine read: its text and its box in the picture's pixels (left and
// top inclusive, right and bottom exclusive).
struct SymbolReading {
  std::string utf8;
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int confidence = 0;  // 0..100
};

// One started engine, in single-character page mode. Not thread-safe.
class GlyphReader {
 public:
  virtual ~GlyphReader() = default;
  // Reads a grey picture, one byte a pixel, rows top down, `width` bytes a row (both >= 1).
  // The engine's parallel loops run on the calling thread alone, unless the environment sets
  // OMP_THREAD_LIMIT or OMP_MAX_ACTIVE_LEVELS (then the OpenMP runtime does as they say).
  virtual Reading Read(const std::uint8_t* pixels, int width, int height) = 0;
  // Reads a picture of one text line (page segmentation "single line", or "raw line" when
  // `raw_line`) and gives its symbols in reading order; single-character mode again after.
  virtual std::vector<SymbolReading> ReadLine(const std::uint8_t* pixels, int width, int height,
                                              bool raw_line) = 0;
};

struct GuessModule {
  // Starts an engine on the data `data_name` ("chi_sim") in `data_folder` (empty: Tesseract's own
  // choice); null when the engine refuses to start (the data file missing or unreadable).
  std::unique_ptr<GlyphReader> (*start)(const std::string& data_folder, const char* data_name);
};

// The module's entry point (a loader::ModuleEntry).
inline constexpr char kGuessModuleEntry[] = "zentrope_tesseract_module";

}  // namespace guess

// TesseractGuesser: single-glyph guesses from the Tesseract engine with its Chinese data, for the
// teaching question's suggestions. Tesseract runs in the module zentrope-tesseract.so, loaded at
// the first guess; its types stay inside the module.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "ocr/glyph_guess.h"
#include "ocr/line_reading.h"

namespace guess {

// Which Chinese script the engine's data are for.
enum class Script {
  kSimplified,   // chi_sim
  kTraditional,  // chi_tra
};

// The name of the script's data ("chi_sim", "chi_tra"): the file <name>.traineddata.
const char* DataName(Script script);

// Reads one glyph at a time (Tesseract's single-character page mode). The engine starts at the
// first Guess, once for the guesser's life, never per glyph. When it cannot start (the module
// cannot be loaded, the data file is missing or unreadable, the engine refuses it), every Guess
// gives "" and `unavailable` is called once, at that first Guess, with the module's error
// (loader::LoadModule; ASCII) or "" when the engine refused the data. Not thread-safe: one
// guesser per thread.
class TesseractGuesser : public ocr::GlyphGuesser, public ocr::LineReader {
 public:
  // `data_folder`: the folder holding the .traineddata files; empty for Tesseract's own choice
  // (the TESSDATA_PREFIX environment variable, else the installed data).
  explicit TesseractGuesser(Script script,
                            std::function<void(const std::string& problem)> unavailable = {},
                            std::filesystem::path data_folder = {});
  ~TesseractGuesser() override;
  TesseractGuesser(const TesseractGuesser&) = delete;
  TesseractGuesser& operator=(const TesseractGuesser&) = delete;

  // The engine's text for the glyph, converted to GBK, spaces and line ends removed; "" when it
  // reads nothing, when it is not confident (below 80 of 100: isolated full-width punctuation
  // marks mostly come back as some ideograph), when the text has a character GBK lacks, or when
  // the engine is unavailable.
  std::string Guess(const ocr::GuessPicture& picture) override;
  // The reading Guess gives (offered) or withholds (below 80: not offered), then the engine's
  // other choices for the glyph with their confidences; texts GBK lacks are left out.
  std::vector<GuessReading> Readings(const ocr::GuessPicture& picture) override;
  // The same engine reading a whole line: page segmentation "single line", again as "raw line"
  // when that gives nothing; symbols without a GBK form or of spaces are left out.
  std::vector<ocr::LineSymbol> ReadLine(const ocr::GuessPicture& band) override;

  // True once the engine failed to start.
  bool Unavailable() const {
    return failed_;
  }

 private:
  struct Engine;
  bool Start();

  Script script_;
  std::function<void(const std::string&)> unavailable_;
  std::filesystem::path data_folder_;
  std::unique_ptr<Engine> engine_;
  bool failed_ = false;
};

}  // namespace guess

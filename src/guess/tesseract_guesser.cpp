// TesseractGuesser over the Tesseract module: started lazily, fed grey pictures of single glyphs;
// the engine's reading is filtered and converted to GBK here.
#include "guess/tesseract_guesser.h"

#include <string_view>

#include "guess/guess_module.h"
#include "loader/module_loader.h"
#include "text/gbk.h"

namespace guess {
namespace {

// The engine's mean confidence (0..100) below which its reading is not offered.
constexpr int kMinConfidence = 80;

}  // namespace

const char* DataName(Script script) {
  return script == Script::kTraditional ? "chi_tra" : "chi_sim";
}

struct TesseractGuesser::Engine {
  std::unique_ptr<GlyphReader> reader;
};

TesseractGuesser::TesseractGuesser(Script script,
                                   std::function<void(const std::string& problem)> unavailable,
                                   std::filesystem::path data_folder)
    : script_(script), unavailable_(std::move(unavailable)), data_folder_(std::move(data_folder)) {}

TesseractGuesser::~TesseractGuesser() = default;

bool TesseractGuesser::Start() {
  if (engine_) {
    return true;
  }
  if (failed_) {
    return false;
  }
  std::string problem;
  auto engine = std::make_unique<Engine>();
  const auto module = loader::LoadModule(loader::kTesseractModule, kGuessModuleEntry);
  if (!module) {
    problem = module.error().message;
  } else {
    engine->reader = static_cast<const GuessModule*>(module.value())
                         ->start(data_folder_.string(), DataName(script_));
  }
  if (!engine->reader) {
    failed_ = true;
    if (unavailable_) {
      unavailable_(problem);
    }
    return false;
  }
  engine_ = std::move(engine);
  return true;
}

std::string TesseractGuesser::Guess(const ocr::GuessPicture& picture) {
  if (picture.width < 1 || picture.height < 1 || !Start()) {
    return {};
  }
  const Reading reading =
      engine_->reader->Read(picture.pixels.data(), picture.width, picture.height);
  // Isolated full-width marks come back as ideographs or Latin letters, with low confidence
  // (0 to 79 where clear ideographs give 87 to 96): no guess is better than a wrong one.
  if (!reading.found || reading.confidence < kMinConfidence) {
    return {};
  }
  std::string utf8;
  for (const char c : std::string_view(reading.utf8)) {
    if (c != ' ' && c != '\n' && c != '\r' && c != '\t') {
      utf8 += c;
    }
  }
  if (utf8.empty()) {
    return {};
  }
  const text::Converted converted = text::Utf8ToGbk(utf8);
  return converted.replaced == 0 ? converted.text : std::string();
}

std::vector<ocr::GlyphGuesser::GuessReading> TesseractGuesser::Readings(
    const ocr::GuessPicture& picture) {
  std::vector<GuessReading> readings;
  if (picture.width < 1 || picture.height < 1 || !Start()) {
    return readings;
  }
  const guess::Reading read =
      engine_->reader->Read(picture.pixels.data(), picture.width, picture.height);
  auto add = [&readings](const std::string& utf8, int confidence, bool offered) {
    std::string text;
    for (const char c : utf8) {
      if (c != ' ' && c != '\n' && c != '\r' && c != '\t') {
        text += c;
      }
    }
    const text::Converted converted = text::Utf8ToGbk(text);
    if (text.empty() || converted.replaced > 0) {
      return;
    }
    for (const GuessReading& reading : readings) {
      if (reading.text == converted.text) {
        return;
      }
    }
    readings.push_back({converted.text, confidence, offered});
  };
  if (read.found) {
    add(read.utf8, read.confidence, read.confidence >= kMinConfidence);
  }
  for (const auto& [utf8, confidence] : read.alternatives) {
    add(utf8, confidence, false);
  }
  return readings;
}

std::vector<ocr::LineSymbol> TesseractGuesser::ReadLine(const ocr::GuessPicture& band) {
  std::vector<ocr::LineSymbol> symbols;
  if (band.width < 1 || band.height < 1 || !Start()) {
    return symbols;
  }
  for (const bool raw_line : {false, true}) {
    const auto read =
        engine_->reader->ReadLine(band.pixels.data(), band.width, band.height, raw_line);
    for (const SymbolReading& symbol : read) {
      const text::Converted converted = text::Utf8ToGbk(symbol.utf8);
      if (symbol.utf8.empty() || symbol.utf8 == " " || converted.replaced > 0) {
        continue;
      }
      symbols.push_back({converted.text, symbol.left, symbol.right, symbol.confidence});
    }
    if (!symbols.empty()) {
      break;
    }
  }
  return symbols;
}

}  // namespace guess

// The Tesseract engine behind TesseractGuesser: one TessBaseAPI, started lazily, fed grey
// pictures of single glyphs.
#include "guess/tesseract_guesser.h"

#include <tesseract/baseapi.h>

#include <string_view>

#include "text/gbk.h"

namespace guess {
namespace {

// The engine's mean confidence (0..100) below which its reading is not offered.
constexpr int kMinConfidence = 80;

}  // namespace

const char* DataName(Script script) {
  return script == Script::kTraditional ? "chi_tra" : "chi_sim";
}

// Owns the API object; End() releases the engine's memory before the object goes.
struct TesseractGuesser::Engine {
  tesseract::TessBaseAPI api;
  ~Engine() {
    api.End();
  }
};

TesseractGuesser::TesseractGuesser(Script script, std::function<void()> unavailable,
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
  auto engine = std::make_unique<Engine>();
  // The engine writes its own complaints (a missing data file) to stderr; the guesser reports
  // the failure once through `unavailable_` instead.
  engine->api.SetVariable("debug_file", "/dev/null");
  const std::string folder = data_folder_.string();
  const int started = engine->api.Init(folder.empty() ? nullptr : folder.c_str(), DataName(script_),
                                       tesseract::OEM_DEFAULT);
  if (started != 0) {
    failed_ = true;
    if (unavailable_) {
      unavailable_();
    }
    return false;
  }
  engine->api.SetPageSegMode(tesseract::PSM_SINGLE_CHAR);
  engine_ = std::move(engine);
  return true;
}

std::string TesseractGuesser::Guess(const ocr::GuessPicture& picture) {
  if (picture.width < 1 || picture.height < 1 || !Start()) {
    return {};
  }
  tesseract::TessBaseAPI& api = engine_->api;
  api.SetImage(picture.pixels.data(), picture.width, picture.height, 1, picture.width);
  // The pictures are drawn about 48 pixels a line; a resolution keeps the engine from guessing one.
  api.SetSourceResolution(300);
  const std::unique_ptr<char[]> found(api.GetUTF8Text());
  const int confidence = api.MeanTextConf();
  api.Clear();
  // Isolated full-width marks come back as ideographs or Latin letters, with low confidence
  // (0 to 79 where clear ideographs give 87 to 96): no guess is better than a wrong one.
  if (!found || confidence < kMinConfidence) {
    return {};
  }
  std::string utf8;
  for (const char c : std::string_view(found.get())) {
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

}  // namespace guess

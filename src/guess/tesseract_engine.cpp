// The module zentrope-tesseract.so: one TessBaseAPI fed grey pictures of single glyphs.
// TesseractGuesser reaches it through the table of guess_module.h.
#include <tesseract/baseapi.h>

#include "guess/guess_module.h"
#include "loader/module_entry.h"

namespace guess {
namespace {

// Owns the API object; End() releases the engine's memory before the object goes.
class TesseractReader final : public GlyphReader {
 public:
  ~TesseractReader() override {
    api_.End();
  }

  bool Start(const std::string& data_folder, const char* data_name) {
    // The engine writes its own complaints (a missing data file) to stderr; the guesser reports
    // the failure once instead.
    api_.SetVariable("debug_file", "/dev/null");
    if (api_.Init(data_folder.empty() ? nullptr : data_folder.c_str(), data_name,
                  tesseract::OEM_DEFAULT) != 0) {
      return false;
    }
    api_.SetPageSegMode(tesseract::PSM_SINGLE_CHAR);
    return true;
  }

  Reading Read(const std::uint8_t* pixels, int width, int height) override {
    api_.SetImage(pixels, width, height, 1, width);
    // The pictures are drawn about 48 pixels a line; a resolution keeps the engine from guessing
    // one.
    api_.SetSourceResolution(300);
    const std::unique_ptr<char[]> found(api_.GetUTF8Text());
    Reading reading;
    reading.confidence = api_.MeanTextConf();
    api_.Clear();
    if (found) {
      reading.found = true;
      reading.utf8 = found.get();
    }
    return reading;
  }

 private:
  tesseract::TessBaseAPI api_;
};

std::unique_ptr<GlyphReader> StartReader(const std::string& data_folder, const char* data_name) {
  auto reader = std::make_unique<TesseractReader>();
  if (!reader->Start(data_folder, data_name)) {
    return nullptr;
  }
  return reader;
}

constexpr GuessModule kModule = {&StartReader};

}  // namespace
}  // namespace guess

ZENTROPE_MODULE_ENTRY const void* zentrope_tesseract_module(const char* build) {
  return loader::IsThisBuild(build) ? &guess::kModule : nullptr;
}

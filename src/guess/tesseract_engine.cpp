// The module zentrope-tesseract.so: one TessBaseAPI fed grey pictures of single glyphs.
// TesseractGuesser reaches it through the table of guess_module.h.
#include <dlfcn.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "guess/guess_module.h"
#include "loader/module_entry.h"

namespace guess {
namespace {

bool IsSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

// Tesseract's recogniser runs its loops as OpenMP parallel regions with a fixed number of
// threads each. For one glyph a team is all start-up and hand-over: on a busy machine a question
// then waits some 30 ms for threads instead of 6 ms for the reading. With no active parallel
// level left (the OpenMP 5 setting max-active-levels 0) every region runs on the thread that
// meets it. The setting belongs to the calling thread, so it is made before each reading. The
// OpenMP runtime is the one Tesseract brought (found through this module's own libraries), and
// it read OMP_THREAD_LIMIT when the program started, since Qt's libraries load it too: a limit
// or a level the user set is theirs to keep, and then nothing is changed. Without a runtime (a
// Tesseract built without OpenMP) there is nothing to do.
class SingleThreadRegions {
 public:
  SingleThreadRegions() {
    if (IsSet("OMP_THREAD_LIMIT") || IsSet("OMP_MAX_ACTIVE_LEVELS")) {
      return;
    }
    // This module's handle searches its libraries; when the code is linked into the program
    // (builds with sanitizers), the program's.
    Dl_info self{};
    void* module = nullptr;
    if (dladdr(&kAnchor, &self) != 0 && self.dli_fname != nullptr) {
      module = dlopen(self.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    }
    void* found = dlsym(module != nullptr ? module : RTLD_DEFAULT, "omp_set_max_active_levels");
    set_max_active_levels_ = reinterpret_cast<void (*)(int)>(found);
    if (module != nullptr) {
      dlclose(module);  // only the reference taken above; the module stays
    }
  }

  void ApplyToThisThread() const {
    if (set_max_active_levels_ != nullptr) {
      set_max_active_levels_(0);
    }
  }

 private:
  static const char kAnchor;
  void (*set_max_active_levels_)(int) = nullptr;
};

const char SingleThreadRegions::kAnchor = 0;

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
    regions_.ApplyToThisThread();
    api_.SetImage(pixels, width, height, 1, width);
    // The pictures are drawn about 48 pixels a line; a resolution keeps the engine from guessing
    // one.
    api_.SetSourceResolution(300);
    const std::unique_ptr<char[]> found(api_.GetUTF8Text());
    Reading reading;
    reading.confidence = api_.MeanTextConf();
    // The other choices for the first symbol (the glyph), for a sheet that keeps them.
    // (A choice iterator needs a symbol to stand on: an empty page has none.)
    if (const std::unique_ptr<tesseract::ResultIterator> it(api_.GetIterator());
        it && !it->Empty(tesseract::RIL_SYMBOL)) {
      tesseract::ChoiceIterator choice(*it);
      bool first = true;
      do {
        const char* text = choice.GetUTF8Text();
        if (!first && text != nullptr) {
          reading.alternatives.emplace_back(text, static_cast<int>(choice.Confidence()));
        }
        first = false;
      } while (choice.Next());
    }
    api_.Clear();
    if (found) {
      reading.found = true;
      reading.utf8 = found.get();
    }
    return reading;
  }

  std::vector<SymbolReading> ReadLine(const std::uint8_t* pixels, int width, int height,
                                      bool raw_line) override {
    regions_.ApplyToThisThread();
    api_.SetPageSegMode(raw_line ? tesseract::PSM_RAW_LINE : tesseract::PSM_SINGLE_LINE);
    api_.SetImage(pixels, width, height, 1, width);
    api_.SetSourceResolution(300);
    std::vector<SymbolReading> symbols;
    if (api_.Recognize(nullptr) == 0) {
      const std::unique_ptr<tesseract::ResultIterator> it(api_.GetIterator());
      if (it) {
        do {
          const std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_SYMBOL));
          SymbolReading symbol;
          if (!text || !it->BoundingBox(tesseract::RIL_SYMBOL, &symbol.left, &symbol.top,
                                        &symbol.right, &symbol.bottom)) {
            continue;
          }
          symbol.utf8 = text.get();
          symbol.confidence = static_cast<int>(it->Confidence(tesseract::RIL_SYMBOL));
          symbols.push_back(std::move(symbol));
        } while (it->Next(tesseract::RIL_SYMBOL));
      }
    }
    api_.Clear();
    api_.SetPageSegMode(tesseract::PSM_SINGLE_CHAR);
    return symbols;
  }

 private:
  tesseract::TessBaseAPI api_;
  SingleThreadRegions regions_;
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

// The cost of the suggestions for one teaching question, in milliseconds: the library's nearest
// shapes for a one-pixel variant of a known glyph and for a shape the library holds nothing near,
// in libraries of 20,000 and 200,000 records; the first question after a load against those
// that follow it; the load itself (which parses the FeatureLines into numbers); and whole questions
// with the Tesseract guess on glyphs drawn with a CJK font.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QGuiApplication>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "film_generator.h"
#include "guess/tesseract_guesser.h"
#include "library/glyph_library.h"
#include "ocr/recogniser.h"
#include "ocr/suggestions.h"
#include "platform/qt_picture.h"
#include "ports/host_ports.h"
#include "text/line_file.h"

namespace {

// Glyph-like FeatureLines: 13 densities of 0..700, then a box of 18..40 pixels.
std::vector<int> RandomShape(std::mt19937& random) {
  std::uniform_int_distribution<int> density(0, 700);
  std::uniform_int_distribution<int> size(18, 40);
  std::vector<int> values;
  for (int i = 0; i < 13; ++i) {
    values.push_back(density(random));
  }
  values.push_back(size(random));
  values.push_back(size(random));
  return values;
}

std::string LineOf(const std::vector<int>& values) {
  std::string line;
  for (std::size_t i = 0; i < values.size(); ++i) {
    line += (i > 0 ? "," : "") + std::to_string(values[i]);
  }
  return line;
}

int KeyOf(const std::vector<int>& values) {
  int key = 0;
  for (int i = 0; i < 13; ++i) {
    key += values[static_cast<std::size_t>(i)];
  }
  return key;
}

// A loaded library of `count` random records in a scratch folder, removed afterwards.
class BenchLibrary {
 public:
  explicit BenchLibrary(int count)
      : folder_(std::filesystem::temp_directory_path() /
                ("zentrope-bench-suggestions-" + std::to_string(::getpid()) + "-" +
                 std::to_string(count))),
        library_(folder_) {
    std::filesystem::create_directories(folder_);
    std::mt19937 random(7);
    text::Lines texts;
    text::Lines features;
    for (int i = 0; i < count; ++i) {
      shapes_.push_back(RandomShape(random));
      features.push_back(LineOf(shapes_.back()));
      texts.push_back({static_cast<char>(0xB0 + i % 40), static_cast<char>(0xA1 + i % 90)});
    }
    (void)text::WriteLines(folder_ / library::kTextsFileName, texts);
    (void)text::WriteLines(folder_ / library::kFeaturesFileName, features);
    ports::NullEventPump pump;
    loaded_ = library_.Load(pump).ok();
  }
  ~BenchLibrary() {
    std::error_code error;
    std::filesystem::remove_all(folder_, error);
  }
  bool Loaded() const {
    return loaded_;
  }
  const library::GlyphLibrary& Library() const {
    return library_;
  }
  library::GlyphLibrary& Library() {
    return library_;
  }
  const std::vector<std::vector<int>>& Shapes() const {
    return shapes_;
  }

 private:
  std::filesystem::path folder_;
  library::GlyphLibrary library_;
  std::vector<std::vector<int>> shapes_;
  bool loaded_ = false;
};

// One question per iteration: a known shape with one cell changed by a pixel (62 thousandths).
void BM_SuggestionsForAVariant(benchmark::State& state) {
  BenchLibrary bench(static_cast<int>(state.range(0)));
  if (!bench.Loaded()) {
    state.SkipWithError("library not loaded");
    return;
  }
  std::size_t next = 0;
  for (auto _ : state) {
    std::vector<int> variant = bench.Shapes()[next++ % bench.Shapes().size()];
    variant[6] = variant[6] >= 62 ? variant[6] - 62 : variant[6] + 62;
    const auto found = ocr::NearestShapes(bench.Library(), LineOf(variant), KeyOf(variant), false);
    benchmark::DoNotOptimize(found.data());
  }
}

// One question per iteration: a shape unlike any record (the worst case: the whole bound read).
void BM_SuggestionsForANewShape(benchmark::State& state) {
  BenchLibrary bench(static_cast<int>(state.range(0)));
  if (!bench.Loaded()) {
    state.SkipWithError("library not loaded");
    return;
  }
  std::mt19937 random(99);
  for (auto _ : state) {
    const std::vector<int> shape = RandomShape(random);
    const auto found = ocr::NearestShapes(bench.Library(), LineOf(shape), KeyOf(shape), false);
    benchmark::DoNotOptimize(found.data());
  }
}

// The first question after the library is loaded (the load itself is not timed): a variant of a
// known shape, as in BM_SuggestionsForAVariant, which times the questions after it.
void BM_FirstQuestionAfterLoad(benchmark::State& state) {
  BenchLibrary bench(static_cast<int>(state.range(0)));
  if (!bench.Loaded()) {
    state.SkipWithError("library not loaded");
    return;
  }
  ports::NullEventPump pump;
  std::size_t next = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (!bench.Library().Load(pump).ok()) {
      state.SkipWithError("library not loaded");
      return;
    }
    std::vector<int> variant = bench.Shapes()[next++ % bench.Shapes().size()];
    variant[6] = variant[6] >= 62 ? variant[6] - 62 : variant[6] + 62;
    state.ResumeTiming();
    const auto found = ocr::NearestShapes(bench.Library(), LineOf(variant), KeyOf(variant), false);
    benchmark::DoNotOptimize(found.data());
  }
}

// Loading a library of `count` records from its files (word.wrd, word.sts, word.ind), as the
// programs do at start.
void BM_LoadLibrary(benchmark::State& state) {
  BenchLibrary bench(static_cast<int>(state.range(0)));
  if (!bench.Loaded()) {
    state.SkipWithError("library not loaded");
    return;
  }
  ports::NullEventPump pump;
  for (auto _ : state) {
    if (!bench.Library().Load(pump).ok()) {
      state.SkipWithError("library not loaded");
      return;
    }
  }
}

// Looks at each question's suggestions and skips the glyph.
class LookingSkipper : public ocr::Teacher {
 public:
  void Teach(ocr::TeachingSession& session) override {
    ++questions;
    guesses += session.Suggestions().empty() ? 0 : 1;
    session.Skip();
  }
  int questions = 0;
  int guesses = 0;
};

// Whole questions with the OCR guess: a line of ten ideographs drawn 40 pixels high is read over
// a library of 20,000 records, every glyph asked (the library knows none of them); the time per
// question covers the nearest shapes, the glyph's picture and Tesseract's reading. The engine is
// started before the timing, as the first question of a run starts it once.
void BM_QuestionWithOcrGuess(benchmark::State& state) {
  BenchLibrary bench(20000);
  film::Generator generator(40);
  if (!bench.Loaded() || !generator.Error().empty()) {
    state.SkipWithError("library or font not loaded");
    return;
  }
  film::PictureTruth truth;
  const QImage image =
      generator.Render({{"\u6211\u4eec\u4e2d\u56fd\u4eba\u5927\u5b66\u751f\u4f60\u597d"}}, truth);
  platform::QtPictureIo pictures;
  ocr::Recogniser recogniser(bench.Library(), pictures);
  recogniser.Options().glyph_width = 40;
  recogniser.Options().line_height = 40;
  guess::TesseractGuesser guesser(guess::Script::kSimplified);
  recogniser.SetGuesser(&guesser);
  (void)guesser.Guess(ocr::GuessPicture{40, 40, std::vector<std::uint8_t>(1600, 255)});
  if (guesser.Unavailable()) {
    state.SkipWithError("Tesseract's chi_sim data are missing");
    return;
  }
  LookingSkipper teacher;
  ports::NullEventPump pump;
  const platform::QtPicture picture(image);
  for (auto _ : state) {
    if (!recogniser.Prepare(picture).ok()) {
      state.SkipWithError("picture not prepared");
      return;
    }
    recogniser.RecognisePicture(teacher, pump);
  }
  state.counters["ms_per_question"] =
      benchmark::Counter(static_cast<double>(teacher.questions) * 1e-3,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["questions_with_suggestions"] =
      teacher.questions > 0 ? static_cast<double>(teacher.guesses) / teacher.questions : 0.0;
}

}  // namespace

BENCHMARK(BM_SuggestionsForAVariant)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SuggestionsForANewShape)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstQuestionAfterLoad)
    ->Arg(20000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_LoadLibrary)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_QuestionWithOcrGuess)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  // The font of the drawn glyphs needs a GUI application; no screen is needed.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

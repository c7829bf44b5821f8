// The cost of the library's suggestions for one teaching question, in milliseconds: nearest
// shapes for a one-pixel variant of a known glyph and for a shape the library holds nothing near,
// in libraries of 20,000 and 200,000 records; and the one-off cost of parsing a library's
// FeatureLines into numbers at its first question.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "app/ports.h"
#include "library/glyph_library.h"
#include "ocr/suggestions.h"
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
    app::NullEventPump pump;
    loaded_ = library_.Load(pump).ok();
    // The numbers are parsed at the first question after a load; the questions timed here are
    // the ones that follow.
    (void)library_.Shapes();
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

// The first question after a load: the library's FeatureLines parsed into numbers (the index
// rebuilt and written each time only to drop the numbers; that part is not timed).
void BM_FirstQuestionParsesTheLibrary(benchmark::State& state) {
  BenchLibrary bench(static_cast<int>(state.range(0)));
  if (!bench.Loaded()) {
    state.SkipWithError("library not loaded");
    return;
  }
  app::NullEventPump pump;
  for (auto _ : state) {
    state.PauseTiming();
    if (!bench.Library().RebuildIndex(pump).ok()) {
      state.SkipWithError("index not rebuilt");
      return;
    }
    state.ResumeTiming();
    benchmark::DoNotOptimize(&bench.Library().Shapes());
  }
}

}  // namespace

BENCHMARK(BM_SuggestionsForAVariant)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SuggestionsForANewShape)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstQuestionParsesTheLibrary)
    ->Arg(20000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_MAIN();

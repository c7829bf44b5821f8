// Recognition end to end on generated films: a library taught from a training film by the
// teaching session, the character accuracy on an unseen film, and the speed of a run over 1,500
// two-line pictures (720 pixels wide) with a complete library, file loading included, with one
// and two jobs.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "document/row_table.h"
#include "document/subtitle_document.h"
#include "document/subtitle_reader.h"
#include "film_generator.h"
#include "library/glyph_library.h"
#include "ocr/bitmap_reader.h"
#include "ocr/recognition_run.h"
#include "ocr/size_estimate.h"
#include "platform/qt_picture.h"
#include "ports/host_ports.h"
#include "silent_ports.h"
#include "text/line_file.h"

namespace {

constexpr int kBenchPictures = 1500;
constexpr int kUnseenPictures = 300;

using bench_support::CountingSkipper;

struct Setup {
  std::filesystem::path root;
  std::unique_ptr<library::GlyphLibrary> library;
  platform::QtPictureIo pictures;
  ocr::BitmapFileIo core_pictures{pictures};  // the programs' reader of subtitle bitmaps
  std::unique_ptr<ocr::Recogniser> recogniser;
  document::SubtitleDocument bench_film;
  bool ok = false;
};

bool ReadFilm(const std::filesystem::path& folder, document::SubtitleDocument& film) {
  film.source_extension = ".srt";
  auto read = document::ReadSubtitleFile(folder / "film.srt", document::Role::kMain, film);
  film.picture_folder = folder;
  return read.ok() && film.picture_mode;
}

Setup& TheSetup() {
  static Setup setup = [] {
    Setup s;
    s.root = std::filesystem::temp_directory_path() / "zentrope-bench-ocr";
    std::filesystem::remove_all(s.root);
    std::filesystem::create_directories(s.root / "work");
    film::Generator generator(28, 7);
    if (!generator.Error().empty()) {
      std::fprintf(stderr, "error: %s\n", generator.Error().c_str());
      return s;
    }
    auto train = generator.WriteFilm(s.root / "train", generator.CoveringTexts(3));
    auto unseen = generator.WriteFilm(s.root / "unseen", generator.RandomTexts(kUnseenPictures));
    auto bench = generator.WriteFilm(s.root / "bench", generator.RandomTexts(kBenchPictures));
    if (!train.ok() || !unseen.ok() || !bench.ok()) {
      std::fprintf(stderr, "error: cannot write the films\n");
      return s;
    }
    (void)text::WriteFileAtomic(s.root / "work" / "word.wrd", "");
    (void)text::WriteFileAtomic(s.root / "work" / "word.sts", "");
    s.library = std::make_unique<library::GlyphLibrary>(s.root / "work");
    ports::NullEventPump pump;
    if (!s.library->Load(pump).ok()) {
      return s;
    }
    s.recogniser = std::make_unique<ocr::Recogniser>(*s.library, s.core_pictures);
    bench_support::AnswerYes questions;
    bench_support::NoTexts texts;

    // Teaching the training film.
    document::SubtitleDocument training;
    if (!ReadFilm(s.root / "train", training)) {
      return s;
    }
    const auto sizes = ocr::EstimateStandardSizes(*s.recogniser, training, 10);
    film::FilmTeacher teacher(*s.recogniser, train.value());
    const auto taught =
        ocr::RunRecognition(*s.recogniser, training, 1, {teacher, pump, questions, texts});
    std::printf("standard sizes: line height %d, glyph width %d\n", sizes.line_height,
                sizes.glyph_width);
    std::printf("training film: %d pictures, %d glyphs taught, %d skipped, library %d records\n",
                training.main.DataRowCount(), teacher.saved, teacher.skipped,
                s.library->RecordCount());
    (void)taught;

    // Accuracy on the unseen film.
    document::SubtitleDocument unseen_film;
    if (!ReadFilm(s.root / "unseen", unseen_film)) {
      return s;
    }
    CountingSkipper skipper;
    ocr::RunRecognition(*s.recogniser, unseen_film, 1, {skipper, pump, questions, texts});
    double total = 0;
    long characters = 0;
    for (int row = 1; row < unseen_film.main.RowCount(); ++row) {
      const std::string& truth = unseen.value()[row - 1].text;
      const double accuracy =
          film::CharacterAccuracy(truth, unseen_film.main.Cell(document::kText, row));
      total += accuracy * static_cast<double>(truth.size());
      characters += static_cast<long>(truth.size());
    }
    std::printf(
        "unseen film: %d pictures, character accuracy %.2f%% (spaces included), %d "
        "unknown glyphs\n",
        unseen_film.main.DataRowCount(), 100.0 * total / static_cast<double>(characters),
        skipper.unknown);
    s.ok = ReadFilm(s.root / "bench", s.bench_film);
    return s;
  }();
  return setup;
}

void BM_RecogniseFilm(benchmark::State& state) {
  Setup& setup = TheSetup();
  if (!setup.ok) {
    state.SkipWithError("setup failed");
    return;
  }
  ports::NullEventPump pump;
  bench_support::AnswerYes questions;
  bench_support::NoTexts texts;
  CountingSkipper skipper;
  long long lookups = 0;
  long long pictures = 0;
  for (auto _ : state) {
    const auto outcome =
        ocr::RunRecognition(*setup.recogniser, setup.bench_film, 1,
                            {skipper, pump, questions, texts}, static_cast<int>(state.range(0)));
    lookups += outcome.glyphs.lookups;
    pictures += outcome.rows_recognised;
  }
  state.counters["pictures/s"] =
      benchmark::Counter(static_cast<double>(pictures), benchmark::Counter::kIsRate);
  state.counters["lookups/s"] =
      benchmark::Counter(static_cast<double>(lookups), benchmark::Counter::kIsRate);
  state.counters["unknown"] = skipper.unknown;
}
// The argument is the number of jobs.
BENCHMARK(BM_RecogniseFilm)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  TheSetup();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Importing 5,000 PGS pictures of 1920x1080 video (about 1000x80 each, filled, outlined and
// anti-aliased text) from a .sup into bitmaps and an SRT: pictures per second of wall-clock and
// of CPU time, with the output on a disk and on a memory file system. Run it on one core:
//   taskset -c 0 build/bench/bench_import --benchmark_filter=BM_ImportPgs
#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "import/disc_import.h"
#include "support/disc_streams.h"
#include "text/line_file.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPictures = 5000;
constexpr int kDistinct = 40;  // distinct pictures, repeated with their own times

// A folder in `base`, removed when the benchmark ends.
class ScratchFolder {
 public:
  explicit ScratchFolder(const fs::path& base)
      : path_(base / ("zentrope-bench-import-" + std::to_string(::getpid()))) {
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  const fs::path& path() const {
    return path_;
  }

 private:
  fs::path path_;
};

std::string GeneratedSup() {
  std::vector<testing_support::PgsPicture> distinct;
  for (int i = 0; i < kDistinct; ++i) {
    testing_support::PgsPicture picture;
    picture.width = 960 + (i % 5) * 20;
    picture.height = 80;
    picture.x = (1920 - picture.width) / 2;
    picture.y = 960;
    picture.palette = testing_support::SyntheticPalette();
    picture.pixels = testing_support::SyntheticSubtitle(picture.width, picture.height,
                                                        1000 + static_cast<unsigned>(i));
    distinct.push_back(std::move(picture));
  }
  std::vector<testing_support::PgsPicture> pictures;
  pictures.reserve(kPictures);
  for (int i = 0; i < kPictures; ++i) {
    testing_support::PgsPicture picture = distinct[static_cast<std::size_t>(i % kDistinct)];
    picture.start = 1000 + static_cast<std::int64_t>(i) * 3000;
    picture.end = picture.start + 2400;
    pictures.push_back(std::move(picture));
  }
  return testing_support::SupFile(testing_support::PgsDisplaySets(pictures));
}

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Where the output goes: the temporary folder (a disk unless TMPDIR says otherwise) or a
// memory file system (/dev/shm), which takes the disk's own cost out.
enum Target : std::int64_t { kDisk = 0, kTmpfs = 1 };

// state.range(1): bits a pixel of the pictures written (1, the default, or 24).
void BM_ImportPgs(benchmark::State& state) {
  const bool tmpfs = state.range(0) == kTmpfs;
  import::ImportOptions options;
  options.depth = state.range(1) == 24 ? import::BmpDepth::k24 : import::BmpDepth::k1;
  std::error_code error;
  if (tmpfs && !fs::is_directory("/dev/shm", error)) {
    state.SkipWithError("no /dev/shm");
    return;
  }
  ScratchFolder folder(tmpfs ? fs::path("/dev/shm") : fs::temp_directory_path());
  state.SetLabel(tmpfs ? "tmpfs /dev/shm" : "disk " + folder.path().parent_path().string());
  const fs::path input = folder.path() / "film.sup";
  if (!text::WriteFileAtomic(input, GeneratedSup()).ok()) {
    state.SkipWithError("cannot write the input file");
    return;
  }
  int run = 0;
  double cpu_seconds = 0.0;
  for (auto _ : state) {
    const fs::path out = folder.path() / ("out" + std::to_string(run++));
    ports::NullEventPump pump;
    const double cpu_begin = ProcessCpuSeconds();
    auto report = import::ImportDiscSubtitles(input, out, options, pump);
    cpu_seconds += ProcessCpuSeconds() - cpu_begin;
    if (!report.ok() || report.value().pictures != kPictures) {
      state.SkipWithError(report.ok() ? "wrong picture count" : report.error().message.c_str());
      return;
    }
    state.PauseTiming();
    fs::remove_all(out, error);
    state.ResumeTiming();
  }
  const double pictures = static_cast<double>(kPictures) * static_cast<double>(state.iterations());
  state.counters["pictures/s"] = benchmark::Counter(pictures, benchmark::Counter::kIsRate);
  // Per second of this process's CPU time, kernel time for the files included: what one core
  // manages when it has the machine to itself.
  state.counters["pictures/cpu_s"] = pictures / cpu_seconds;
}
BENCHMARK(BM_ImportPgs)
    ->ArgNames({"tmpfs", "bits"})
    ->Args({kDisk, 1})
    ->Args({kTmpfs, 1})
    ->Args({kDisk, 24})
    ->Args({kTmpfs, 24})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// The same without files: decoding, ink choice and cropping only.
void BM_DecodeAndInkPgs(benchmark::State& state) {
  const std::string sup = GeneratedSup();
  for (auto _ : state) {
    auto stream = import::SubtitleStream::OpenMemory(sup, "film.sup");
    if (!stream.ok()) {
      state.SkipWithError(stream.error().message.c_str());
      return;
    }
    int pictures = 0;
    for (;;) {
      auto next = stream.value()->Next();
      if (!next.ok() || !next.value()) {
        break;
      }
      const import::InkChoice ink = import::ChooseInk(*next.value(), {});
      benchmark::DoNotOptimize(import::RenderInk(*next.value(), ink));
      ++pictures;
    }
    if (pictures != kPictures) {
      state.SkipWithError("wrong picture count");
      return;
    }
  }
  state.counters["pictures/s"] =
      benchmark::Counter(static_cast<double>(kPictures) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeAndInkPgs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();

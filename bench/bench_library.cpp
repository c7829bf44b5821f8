// Times of the glyph library on a generated library of 200,000 records: load with a journal and
// index rebuild, merge of 100,000 records, check, and export of every record.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "library/glyph_library.h"
#include "library/library_check.h"
#include "library/library_export.h"
#include "library/library_merge.h"
#include "ports/host_ports.h"
#include "silent_ports.h"
#include "text/line_file.h"

namespace {

constexpr int kRecords = 200000;
constexpr int kJournal = 2000;
constexpr int kOther = 100000;

struct Lists {
  text::Lines texts;
  text::Lines features;
};

// Glyph-like records: 13 densities (a glyph's ink covers a third of its cells on average), then
// the box size; texts are two-byte GBK characters.
Lists Generate(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> density(0, 700);
  std::uniform_int_distribution<int> size(18, 40);
  std::uniform_int_distribution<int> byte(0xA1, 0xFE);
  Lists lists;
  lists.texts.reserve(count);
  lists.features.reserve(count);
  for (int i = 0; i < count; ++i) {
    std::string line;
    for (int field = 0; field < 13; ++field) {
      line += std::to_string(density(random));
      line += ',';
    }
    line += std::to_string(size(random)) + "," + std::to_string(size(random));
    lists.features.push_back(std::move(line));
    lists.texts.push_back(
        {static_cast<char>(byte(random) - 0x20), static_cast<char>(byte(random))});
  }
  return lists;
}

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name)
      : path_(std::filesystem::temp_directory_path() /
              ("zentrope-bench-" + std::to_string(::getpid()) + "-" + name)) {
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  const std::filesystem::path& path() const {
    return path_;
  }

 private:
  std::filesystem::path path_;
};

// Counts progress calls, to show that reporting stays far below one call per record.
class CountingPump : public ports::EventPump {
 public:
  void LetPendingEventsRun() override {
    ++calls;
  }
  void ReportProgress(int, int) override {
    ++calls;
  }
  bool StopRequested() const override {
    return false;
  }
  long calls = 0;
};

void WriteLibrary(const std::filesystem::path& folder, const Lists& main, const Lists& journal) {
  (void)text::WriteLines(folder / library::kTextsFileName, main.texts);
  (void)text::WriteLines(folder / library::kFeaturesFileName, main.features);
  (void)text::WriteLines(folder / library::kJournalTextsFileName, journal.texts);
  (void)text::WriteLines(folder / library::kJournalFeaturesFileName, journal.features);
}

void BM_LoadWithJournalAndRebuild(benchmark::State& state) {
  ScratchFolder folder("load");
  WriteLibrary(folder.path(), Generate(kRecords, 1), Generate(kJournal, 2));
  CountingPump pump;
  for (auto _ : state) {
    library::GlyphLibrary library(folder.path());
    auto loaded = library.Load(pump);
    if (!loaded.ok() || !loaded.value().index_rebuilt) {
      state.SkipWithError("load failed");
      return;
    }
    benchmark::DoNotOptimize(library.RecordCount());
  }
  state.counters["pump_calls_per_run"] = static_cast<double>(pump.calls) / state.iterations();
}

void BM_Merge100kInto200k(benchmark::State& state) {
  const Lists own = Generate(kRecords, 1);
  Lists other = Generate(kOther, 3);
  // A fifth of the other records repeat own shapes and are dropped.
  for (int i = 0; i < kOther; i += 5) {
    other.features[i] = own.features[i];
  }
  CountingPump pump;
  bench_support::AnswerYes port;
  bench_support::NoTexts messages;
  ScratchFolder folder("merge");
  ScratchFolder exchange("merge-other");
  for (auto _ : state) {
    state.PauseTiming();
    WriteLibrary(folder.path(), own, Lists{});
    (void)text::WriteLines(exchange.path() / "base.wrd", other.texts);
    (void)text::WriteLines(exchange.path() / "base.sts", other.features);
    library::GlyphLibrary library(folder.path());
    ports::NullEventPump quiet;
    (void)library.Load(quiet);
    state.ResumeTiming();
    auto source =
        library::OpenMergeSource(library, (exchange.path() / "base.sts").string(), messages);
    auto merged = library::RunMerge(library, source.value(), pump, port, messages);
    if (!merged.ok() || merged.value().added == 0) {
      state.SkipWithError("merge failed");
      return;
    }
  }
  state.counters["pump_calls_per_run"] = static_cast<double>(pump.calls) / state.iterations();
}

void BM_Check(benchmark::State& state) {
  ScratchFolder folder("check");
  WriteLibrary(folder.path(), Generate(kRecords, 1), Lists{});
  library::GlyphLibrary library(folder.path());
  ports::NullEventPump quiet;
  (void)library.Load(quiet);
  CountingPump pump;
  bench_support::NoTexts messages;
  for (auto _ : state) {
    auto report = library::CheckLibrary(library, messages, pump);
    benchmark::DoNotOptimize(report.problem);
  }
  state.counters["pump_calls_per_run"] = static_cast<double>(pump.calls) / state.iterations();
}

void BM_ExportAll(benchmark::State& state) {
  ScratchFolder folder("export");
  WriteLibrary(folder.path(), Generate(kRecords, 1), Lists{});
  library::GlyphLibrary library(folder.path());
  ports::NullEventPump quiet;
  (void)library.Load(quiet);
  CountingPump pump;
  bench_support::AnswerYes port;
  bench_support::NoTexts messages;
  const std::string target = (folder.path() / "share.sts").string();
  for (auto _ : state) {
    auto exported = library::ExportRecords(library, "1", std::to_string(kRecords), target, pump,
                                           port, messages);
    if (!exported.ok() || exported.value().records != kRecords) {
      state.SkipWithError("export failed");
      return;
    }
  }
  state.counters["pump_calls_per_run"] = static_cast<double>(pump.calls) / state.iterations();
}

}  // namespace

BENCHMARK(BM_LoadWithJournalAndRebuild)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Merge100kInto200k)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Check)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_ExportAll)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();

// Undo on a generated 100,000-row subtitle: the time to undo one step of each kind (a typed
// cell, a row deleted or inserted at the top or in the middle, a replace-all over every row), and
// the memory the history holds after 10,000 typed edits, by its own count and by the heap's.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "document/subtitle_document.h"
#include "document/subtitle_time.h"
#include "proof/find_replace.h"
#include "proof/row_editing.h"
#include "silent_ports.h"

namespace {

constexpr int kRows = 100000;
constexpr int kEdits = 10000;

// Confirms every OK/Cancel question (the delete command asks one).
class AnswerOk : public ports::MessagePort {
 public:
  void Inform(ports::Severity, const std::string&) override {}
  ports::Answer Ask(const ports::Question&) override {
    return ports::Answer::kOk;
  }
};

// Two lines of GBK text of about the length a film's subtitles have.
std::string RowText(int row) {
  static const char* const kWords[] = {"\xCE\xD2\xC3\xC7", "\xB2\xBB\xCA\xC7", "\xCE\xAA\xC1\xCB",
                                       "\xCC\xE5\xD1\xE9", "\xCA\xC0\xBD\xE7", "\xC4\xE3\xBA\xC3"};
  std::string text;
  for (int i = 0; i < 6; ++i) {
    text += kWords[(row + i * 5) % 6];
  }
  return text + "\\Nline " + std::to_string(row);
}

document::SubtitleDocument MakeDocument() {
  document::SubtitleDocument document;
  std::vector<std::vector<std::string>> rows;
  rows.reserve(kRows);
  for (int row = 1; row <= kRows; ++row) {
    std::vector<std::string> cells(document::kMainColumnCount);
    const document::Milliseconds start = static_cast<document::Milliseconds>(row) * 2500;
    cells[document::kNumber] = std::to_string(row);
    cells[document::kText] = RowText(row);
    cells[document::kStart] = document::FormatSubtitleTime(start);
    cells[document::kEnd] = document::FormatSubtitleTime(start + 2000);
    cells[document::kStyle] = "Default";
    cells[document::kBaseStart] = cells[document::kStart];
    cells[document::kBaseEnd] = cells[document::kEnd];
    cells[document::kBaseText] = cells[document::kText];
    rows.push_back(std::move(cells));
  }
  document.main.ReplaceRows(std::move(rows));
  return document;
}

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Times Undo alone: the step is made (or redone) outside the clock each iteration. The manual
// time is the wall clock; undo_cpu_ms is this thread's CPU time per undo, which a busy machine
// does not inflate.
void TimeUndo(benchmark::State& state,
              const std::function<void(document::SubtitleDocument&)>& make_step) {
  document::SubtitleDocument document = MakeDocument();
  make_step(document);
  double cpu_seconds = 0.0;
  for (auto _ : state) {
    const auto begin = std::chrono::steady_clock::now();
    const double cpu_begin = ThreadCpuSeconds();
    const bool undone = document.Undo();
    cpu_seconds += ThreadCpuSeconds() - cpu_begin;
    const auto end = std::chrono::steady_clock::now();
    if (!undone) {
      state.SkipWithError("nothing was undone");
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
    document.Redo();
  }
  state.counters["undo_cpu_ms"] =
      1000.0 * cpu_seconds /
      static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations()));
}

void UndoTypedCell(benchmark::State& state) {
  TimeUndo(state, [](document::SubtitleDocument& d) {
    proof::StoreTypedCell(d, document::kText, kRows / 2, "typed");
  });
}
BENCHMARK(UndoTypedCell)->UseManualTime()->Unit(benchmark::kMillisecond);

// A row deleted or inserted at `row` (the argument): the first row moves every number cell,
// the middle one the most cells of the other columns.
void UndoDeleteRow(benchmark::State& state) {
  const int row = static_cast<int>(state.range(0));
  TimeUndo(state, [row](document::SubtitleDocument& d) {
    AnswerOk answers;
    d.current_row = row;
    proof::DeleteCurrentRow(d, answers, bench_support::NoTexts());
  });
}
BENCHMARK(UndoDeleteRow)->Arg(1)->Arg(kRows / 2)->UseManualTime()->Unit(benchmark::kMillisecond);

void UndoInsertRow(benchmark::State& state) {
  const int row = static_cast<int>(state.range(0));
  TimeUndo(state, [row](document::SubtitleDocument& d) {
    d.current_row = row;
    proof::InsertRowBefore(d);
  });
}
BENCHMARK(UndoInsertRow)->Arg(1)->Arg(kRows / 2)->UseManualTime()->Unit(benchmark::kMillisecond);

void UndoReplaceInEveryRow(benchmark::State& state) {
  TimeUndo(state, [](document::SubtitleDocument& d) {
    bench_support::AnswerYes answers;
    proof::FindReplace finder({}, {}, std::nullopt);
    finder.Run({"line", "LINE", true, false, false}, d, answers, bench_support::NoTexts());
  });
}
BENCHMARK(UndoReplaceInEveryRow)->UseManualTime()->Unit(benchmark::kMillisecond);

// 10,000 typed edits spread over the rows, each one step; reports megabytes held.
void HistoryAfterTenThousandEdits(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    document::SubtitleDocument document = MakeDocument();
    const std::size_t heap_before = mallinfo2().uordblks;
    state.ResumeTiming();
    for (int edit = 0; edit < kEdits; ++edit) {
      const int row = 1 + (edit * 7919) % kRows;
      proof::StoreTypedCell(document, edit % 3 == 0 ? document::kEnd : document::kText, row,
                            edit % 3 == 0 ? "00:00:01.000" : RowText(row) + " edited");
    }
    state.PauseTiming();
    const std::size_t heap_after = mallinfo2().uordblks;
    // The table grew by the longer texts too; the history's own count is what undo keeps.
    state.counters["history_MB"] =
        static_cast<double>(document.main.History().ByteSize()) / (1024.0 * 1024.0);
    state.counters["heap_growth_MB"] =
        static_cast<double>(heap_after - heap_before) / (1024.0 * 1024.0);
    state.counters["steps"] = static_cast<double>(document.main.History().UndoCount());
    state.ResumeTiming();
  }
}
BENCHMARK(HistoryAfterTenThousandEdits)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Speed of the proofreading tools on a generated 100,000-row document: the check with every
// rule on and 200 phrase pairs, the time-overlap correction, and a replace without confirmation.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "document/subtitle_document.h"
#include "document/subtitle_time.h"
#include "ports/host_ports.h"
#include "proof/check_rules.h"
#include "proof/find_replace.h"
#include "proof/time_overlap.h"
#include "silent_ports.h"

namespace {

constexpr int kRows = 100000;

// Two-byte characters the generated texts are made of.
const std::vector<std::string>& Characters() {
  static const std::vector<std::string> characters = {
      "\xCE\xD2", "\xC3\xC7", "\xB2\xBB", "\xCA\xC7", "\xCE\xAA", "\xC1\xCB",  // 我们不是为了
      "\xCC\xE5", "\xD1\xE9", "\xCA\xC0", "\xBD\xE7", "\xC4\xE3", "\xBA\xC3",  // 体验世界你好
      "\xD7\xDF", "\xCB\xB5",                                                  // 走说
  };
  return characters;
}

// A recognition slip the phrase table mends: 象 where 像 was meant.
constexpr const char* kSlip = "\xCF\xF3";    // 象
constexpr const char* kMended = "\xCF\xF1";  // 像

// A subtitle text of two lines with the punctuation every rule looks at; one row in ten holds
// the slip.
std::string RowText(int row) {
  const std::vector<std::string>& characters = Characters();
  std::string text;
  for (int i = 0; i < 9; ++i) {
    text += characters[(row * 7 + i * 3) % characters.size()];
    if (i == 4 && row % 10 == 0) {
      text += kSlip;
    }
  }
  text += "\xA1\xA3\"";  // 。"
  text += characters[row % characters.size()];
  text += "\\N";
  for (int i = 0; i < 8; ++i) {
    text += characters[(row * 5 + i * 11) % characters.size()];
  }
  text += "\xA1\xAD...\xA3\xAC";  // …...，
  return text;
}

document::SubtitleDocument MakeDocument() {
  document::SubtitleDocument document;
  std::vector<std::vector<std::string>> rows;
  rows.reserve(kRows);
  for (int row = 1; row <= kRows; ++row) {
    std::vector<std::string> cells(document::kMainColumnCount);
    cells[document::kNumber] = std::to_string(row);
    cells[document::kText] = RowText(row);
    // Every third entry runs 300 ms into the next one.
    const document::Milliseconds start = static_cast<document::Milliseconds>(row) * 2500;
    cells[document::kStart] = document::FormatSubtitleTime(start);
    cells[document::kEnd] = document::FormatSubtitleTime(start + (row % 3 == 0 ? 2800 : 2000));
    rows.push_back(std::move(cells));
  }
  document.main.ReplaceRows(std::move(rows));
  return document;
}

// The check with every rule on; with state.range(0) == 0 the phrase rule stays off.
void CheckEveryRule(benchmark::State& state) {
  const document::SubtitleDocument document = MakeDocument();
  proof::CheckOptions options;
  options.quotes_to_full_width = true;
  options.pair_quotes = true;
  options.inner_full_stops = true;
  options.drop_final_stop = true;
  options.ellipsis = proof::EllipsisForm::kDouble;
  options.apply_phrases = state.range(0) != 0;
  // 200 pairs, each the slip between two given characters; a row with the slip meets one.
  const std::vector<std::string>& characters = Characters();
  const std::size_t count = characters.size();
  for (std::size_t i = 0; i < 200; ++i) {
    const std::string& before = characters[i % count];
    const std::string& after = characters[(i / count) % count];
    options.phrases.push_back({before + kSlip + after, before + kMended + after});
  }
  ports::NullEventPump pump;
  for (auto _ : state) {
    const proof::CheckReview review = proof::RunCheck(document, options, pump);
    benchmark::DoNotOptimize(review.rows.size());
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(CheckEveryRule)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void FixOverlaps(benchmark::State& state) {
  const document::SubtitleDocument original = MakeDocument();
  for (auto _ : state) {
    state.PauseTiming();
    document::SubtitleDocument document = original;
    state.ResumeTiming();
    benchmark::DoNotOptimize(proof::FixTimeOverlaps(document.main));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(FixOverlaps)->Unit(benchmark::kMillisecond);

void ReplaceEverywhere(benchmark::State& state) {
  const document::SubtitleDocument original = MakeDocument();
  bench_support::AnswerYes questions;
  bench_support::NoTexts texts;
  // 象 to 像 everywhere, without asking.
  const proof::SearchRequest request{kSlip, kMended, true, false, false};
  for (auto _ : state) {
    state.PauseTiming();
    document::SubtitleDocument document = original;
    proof::FindReplace tool(proof::SearchHistory(), proof::SearchHistory(), std::nullopt);
    state.ResumeTiming();
    benchmark::DoNotOptimize(tool.Run(request, document, questions, texts).replacements);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(ReplaceEverywhere)->Unit(benchmark::kMillisecond);

// Listing every match of a one-byte search in one row of state.range(0) matches (what
// `zentrope-cli replace FILE --find A` prints): in one pass, and, with state.range(1) == 1, by
// find clicks one after the other as the command listed them before (each click searches the row
// again from its start, so the time grows with the square of the matches).
void ListMatches(benchmark::State& state) {
  const auto matches = static_cast<std::size_t>(state.range(0));
  document::SubtitleDocument document;
  std::vector<std::string> cells(document::kMainColumnCount);
  cells[document::kNumber] = std::to_string(1);
  const std::string piece = "A\xCE\xD2";  // A我
  std::string text;
  text.reserve(matches * piece.size());
  for (std::size_t i = 0; i < matches; ++i) {
    text.append(piece);
  }
  cells[document::kText] = std::move(text);
  document.main.ReplaceRows({cells});
  bench_support::AnswerYes questions;
  bench_support::NoTexts texts;
  const proof::SearchRequest request{"A", "", false, false, false};
  for (auto _ : state) {
    int listed = 0;
    if (state.range(1) == 1) {
      proof::FindReplace tool(proof::SearchHistory(), proof::SearchHistory(), std::nullopt);
      for (proof::SearchOutcome outcome = tool.Run(request, document, questions, texts);
           outcome.end == proof::SearchEnd::kShowingMatch;
           outcome = tool.Run(request, document, questions, texts)) {
        ++listed;
      }
    } else {
      listed = proof::ForEachMatch(document.main, "A",
                                   [](int, const proof::TextMatch&) { return true; });
    }
    benchmark::DoNotOptimize(listed);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(ListMatches)
    ->Args({10000, 0})
    ->Args({40000, 0})
    ->Args({1000000, 0})
    ->Args({10000, 1})
    ->Args({20000, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

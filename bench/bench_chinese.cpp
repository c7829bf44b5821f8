// Speed of the script conversion on a generated 100,000-row document: every row previewed
// Simplified to Traditional (and back), then written into the table. The target is 100,000 rows
// in under 2 s.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "chinese/script_conversion.h"
#include "chinese/script_converter.h"
#include "document/subtitle_document.h"
#include "ports/host_ports.h"
#include "text/gbk.h"

namespace {

constexpr int kRows = 100000;

// Words with more than one Traditional counterpart per character, and plain ones.
const std::vector<std::string>& Words() {
  static const std::vector<std::string> words = [] {
    const char* utf8[] = {"头发", "发展", "干杯", "干燥", "干部", "后天", "皇后", "我们",
                          "不是", "为了", "体验", "世界", "你好", "走了", "说话", "时间",
                          "里面", "面条", "准备", "出发", "这个", "还有", "开始", "电话"};
    std::vector<std::string> gbk;
    for (const char* word : utf8) {
      gbk.push_back(text::Utf8ToGbk(word).text);
    }
    return gbk;
  }();
  return words;
}

// A subtitle text as films have them: one line of three to eight words (six to sixteen
// characters) with a comma inside, and in four rows of ten a second line of the same kind. Words
// are drawn at random (fixed seed), so no text repeats in a pattern.
std::string RowText(std::mt19937& random) {
  const std::vector<std::string>& words = Words();
  std::uniform_int_distribution<size_t> word(0, words.size() - 1);
  std::uniform_int_distribution<int> count(3, 8);
  std::uniform_int_distribution<int> lines(1, 10);
  std::string text;
  const int line_count = lines(random) <= 4 ? 2 : 1;
  for (int line = 0; line < line_count; ++line) {
    if (line > 0) {
      text += "\\N";
    }
    const int words_in_line = count(random);
    for (int i = 0; i < words_in_line; ++i) {
      text += words[word(random)];
      if (i == words_in_line / 2) {
        text += "\xA3\xAC";  // ，
      }
    }
  }
  return text;
}

document::SubtitleDocument MakeDocument() {
  document::SubtitleDocument document;
  std::vector<std::vector<std::string>> rows;
  rows.reserve(kRows);
  std::mt19937 random(20261208);
  size_t characters = 0;
  for (int row = 1; row <= kRows; ++row) {
    std::vector<std::string> cells(document::kMainColumnCount);
    cells[document::kNumber] = std::to_string(row);
    cells[document::kText] = RowText(random);
    characters += cells[document::kText].size() / 2;
    rows.push_back(std::move(cells));
  }
  std::printf("%d rows, %zu GBK characters in their texts\n", kRows, characters);
  document.main.ReplaceRows(std::move(rows));
  return document;
}

chinese::ConverterSet& Converters() {
  static chinese::ConverterSet converters(chinese::DefaultDataFolder());
  return converters;
}

void ConvertRows(benchmark::State& state, chinese::Direction direction) {
  const document::SubtitleDocument original = MakeDocument();
  document::SubtitleDocument source = original;
  auto converter = Converters().Get(direction);
  if (!converter.ok()) {
    state.SkipWithError(converter.error().message.c_str());
    return;
  }
  if (direction == chinese::Direction::kT2S) {
    // Traditional input: the document converted once beforehand.
    auto to_traditional = Converters().Get(chinese::Direction::kS2T);
    ports::NullEventPump pump;
    const auto preview = chinese::PreviewConversion(source.main, chinese::AllRows(source.main),
                                                    *to_traditional.value(), pump);
    (void)chinese::ApplyConversion(source, document::Role::kMain, preview.changes);
  }
  ports::NullEventPump pump;
  size_t changed = 0;
  for (auto _ : state) {
    state.PauseTiming();
    document::SubtitleDocument document = source;
    state.ResumeTiming();
    const chinese::ConversionPreview preview = chinese::PreviewConversion(
        document.main, chinese::AllRows(document.main), *converter.value(), pump);
    changed = preview.changes.size();
    benchmark::DoNotOptimize(
        chinese::ApplyConversion(document, document::Role::kMain, preview.changes).written);
  }
  state.counters["rows"] = kRows;
  state.counters["changed"] = static_cast<double>(changed);
  state.SetItemsProcessed(state.iterations() * kRows);
}

void SimplifiedToTraditional(benchmark::State& state) {
  ConvertRows(state, chinese::Direction::kS2T);
}
BENCHMARK(SimplifiedToTraditional)->Unit(benchmark::kMillisecond);

void TraditionalToSimplified(benchmark::State& state) {
  ConvertRows(state, chinese::Direction::kT2S);
}
BENCHMARK(TraditionalToSimplified)->Unit(benchmark::kMillisecond);

void SimplifiedToTaiwanPhrases(benchmark::State& state) {
  ConvertRows(state, chinese::Direction::kS2TWP);
}
BENCHMARK(SimplifiedToTaiwanPhrases)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

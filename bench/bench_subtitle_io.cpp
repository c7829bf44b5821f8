// Throughput of reading and writing a generated 100,000-entry SRT (GBK text, two lines per entry).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "document/subtitle_document.h"
#include "document/subtitle_reader.h"
#include "document/subtitle_time.h"
#include "document/subtitle_writer.h"
#include "text/line_file.h"

namespace {

constexpr int kEntries = 100000;

// A subtitle like a recognised film: a Chinese first line and a mixed second line.
std::string GeneratedSrt() {
  std::string out;
  out.reserve(static_cast<size_t>(kEntries) * 90);
  for (int i = 1; i <= kEntries; ++i) {
    const document::Milliseconds start = static_cast<document::Milliseconds>(i) * 2500;
    out += std::to_string(i);
    out += "\r\n";
    out += document::TableTimeToSrt(document::FormatSubtitleTime(start));
    out += " --> ";
    out += document::TableTimeToSrt(document::FormatSubtitleTime(start + 2000));
    out +=
        "\r\n\xCE\xD2\xC3\xC7\xB2\xBB\xCA\xC7\xCE\xAA\xC1\xCB\xCC\xE5\xD1\xE9\r\n";  // 我们不是为了体验
    out += "line " + std::to_string(i) + " \xCA\xC0\xBD\xE7\r\n\r\n";                // 世界
  }
  return out;
}

// A file in the temporary folder, removed when the benchmark ends.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& name)
      : path_(std::filesystem::temp_directory_path() /
              ("zentrope-bench-" + std::to_string(::getpid()) + "-" + name)) {}
  ~ScratchFile() {
    std::error_code error;
    std::filesystem::remove(path_, error);
  }
  const std::filesystem::path& path() const {
    return path_;
  }

 private:
  std::filesystem::path path_;
};

void BM_ReadSrt(benchmark::State& state) {
  const std::string bytes = GeneratedSrt();
  ScratchFile file("read.srt");
  if (!text::WriteFileAtomic(file.path(), bytes).ok()) {
    state.SkipWithError("cannot write the input file");
    return;
  }
  document::SubtitleDocument subtitle;
  for (auto _ : state) {
    auto result = document::ReadSubtitleFile(file.path(), document::Role::kMain, subtitle);
    if (!result.ok() || result.value().entries != kEntries) {
      state.SkipWithError("read failed");
      return;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadSrt)->Unit(benchmark::kMillisecond);

// Building the file content alone, without the disk.
void BM_BuildSrt(benchmark::State& state) {
  document::SubtitleDocument subtitle;
  document::ReadSubtitleBytes(GeneratedSrt(), document::Role::kMain, subtitle);
  size_t size = 0;
  for (auto _ : state) {
    auto built = document::BuildSubtitleText(document::Role::kMain, subtitle, {});
    size = built.ok() ? built.value().size() : 0;
    benchmark::DoNotOptimize(size);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}
BENCHMARK(BM_BuildSrt)->Unit(benchmark::kMillisecond);

// The whole save: build, temporary file, flush to disk, rename.
void BM_WriteSrt(benchmark::State& state) {
  const std::string bytes = GeneratedSrt();
  document::SubtitleDocument subtitle;
  document::ReadSubtitleBytes(bytes, document::Role::kMain, subtitle);
  ScratchFile file("write.srt");
  for (auto _ : state) {
    if (!document::WriteSubtitleFile(file.path(), document::Role::kMain, subtitle, {}).ok()) {
      state.SkipWithError("write failed");
      return;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_WriteSrt)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// Time to open a 100,000-row subtitle in the real main window (offscreen) and paint it, and to
// jump to its end and repaint: the window must show large subtitles without visible delay.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QTableView>
#include <filesystem>
#include <memory>
#include <string>

#include "document/subtitle_time.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"

namespace {

constexpr int kRows = 100000;

std::string GeneratedSrt() {
  std::string out;
  for (int i = 1; i <= kRows; ++i) {
    const document::Milliseconds start = static_cast<document::Milliseconds>(i) * 2500;
    out += std::to_string(i) + "\r\n";
    out += document::TableTimeToSrt(document::FormatSubtitleTime(start)) + " --> " +
           document::TableTimeToSrt(document::FormatSubtitleTime(start + 2000)) + "\r\n";
    out += "\xCE\xD2\xC3\xC7\xB2\xBB\xCA\xC7 " + std::to_string(i) + "\r\n\r\n";  // 我们不是
  }
  return out;
}

// The ready working folder with a large subtitle beside it, and the window over it.
struct Fixture {
  Fixture() {
    const std::filesystem::path data = std::filesystem::path(ZENTROPE_SOURCE_DIR) / "data";
    for (const char* name :
         {"language.sys", "setup.sys", "replace.sys", "ssahead.txt", "word.wrd", "word.sts"}) {
      std::filesystem::copy_file(data / name, folder.path() / name);
    }
    subtitle = folder.Write("big.srt", GeneratedSrt());
    ui::MainWindowSetup setup;
    setup.program_folder = folder.path();
    setup.message_port = &messages;
    setup.file_dialogs = &dialogs;
    auto created = ui::MainWindow::Create(setup);
    if (created.ok()) {
      window = std::move(created).value();
      window->resize(1280, 800);
      window->show();
      window->Activate();
      grid = window->findChild<QTableView*>("StringGrid1");
      open = window->findChild<QAction*>("OpenSrtMenu");
    }
  }

  testing_support::TempDir folder;
  testing_support::FakeMessages messages;
  testing_support::FakeFileDialogs dialogs;
  std::filesystem::path subtitle;
  std::unique_ptr<ui::MainWindow> window;
  QTableView* grid = nullptr;
  QAction* open = nullptr;
};

void BM_OpenAndPaint(benchmark::State& state) {
  Fixture fixture;
  if (fixture.grid == nullptr || fixture.open == nullptr) {
    state.SkipWithError("the window could not be built");
    return;
  }
  for (auto _ : state) {
    fixture.dialogs.open_paths.push_back(fixture.subtitle);
    fixture.open->trigger();
    fixture.window->repaint();
  }
  if (fixture.window->Document().main.DataRowCount() != kRows) {
    state.SkipWithError("the subtitle did not open");
  }
  state.counters["rows"] = kRows;
}
BENCHMARK(BM_OpenAndPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JumpToEndAndPaint(benchmark::State& state) {
  Fixture fixture;
  if (fixture.grid == nullptr || fixture.open == nullptr) {
    state.SkipWithError("the window could not be built");
    return;
  }
  fixture.dialogs.open_paths.push_back(fixture.subtitle);
  fixture.open->trigger();
  bool at_end = false;
  for (auto _ : state) {
    if (at_end) {
      fixture.grid->scrollToTop();
    } else {
      fixture.grid->scrollToBottom();
    }
    at_end = !at_end;
    fixture.grid->viewport()->repaint();
  }
}
BENCHMARK(BM_JumpToEndAndPaint)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

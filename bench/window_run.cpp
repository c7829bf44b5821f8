// Times a recognition run in the real main window (offscreen): opens a picture subtitle from a
// working folder whose library already knows its glyphs, starts the run from row 1 and prints
// how long the run took, for comparison with the same run through zentrope-cli ocr.
//   window_run WORKING_FOLDER SUBTITLE.srt
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "document/row_table.h"
#include "support/fake_ports.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: window_run WORKING_FOLDER SUBTITLE.srt\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  testing_support::FakeMessages messages;
  messages.default_answer = ports::Answer::kYes;
  testing_support::FakeFileDialogs dialogs;
  dialogs.open_paths.push_back(std::filesystem::absolute(argv[2]));
  ui::MainWindowSetup setup;
  setup.program_folder = std::filesystem::absolute(argv[1]);
  setup.message_port = &messages;
  setup.file_dialogs = &dialogs;
  auto created = ui::MainWindow::Create(setup);
  if (!created.ok()) {
    std::fprintf(stderr, "error: %s\n", created.error().message.c_str());
    return 1;
  }
  ui::MainWindow& window = *created.value();
  window.resize(1280, 800);
  window.show();
  if (!window.Activate()) {
    std::fprintf(stderr, "error: the library could not be loaded\n");
    return 1;
  }
  window.findChild<QAction*>("OpenSrtMenu")->trigger();
  const int rows = window.Document().main.DataRowCount();
  // A glyph the library does not know would wait for an answer: abort such a run.
  QTimer::singleShot(600000, &window,
                     [&window] { window.findChild<QAction*>("StopReadMenu")->trigger(); });
  QElapsedTimer timer;
  timer.start();
  window.findChild<QAction*>("StartReadMenu")->trigger();
  const double seconds = static_cast<double>(timer.elapsed()) / 1000.0;
  int recognised = 0;
  for (int row = 1; row <= rows; ++row) {
    if (!window.Document().main.Cell(document::kText, row).empty()) {
      ++recognised;
    }
  }
  std::printf("window run: %d of %d pictures recognised in %.2f s (%.0f pictures/s)\n", recognised,
              rows, seconds, seconds > 0 ? recognised / seconds : 0.0);
  return 0;
}

// The window program: chooses and prepares the program folder, then shows the main window.
#include <QApplication>
#include <QLocale>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "app/program_folder.h"
#include "ui/main_window.h"
#include "ui/qt_convert.h"
#include "ui/qt_ports.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  ui::QtMessagePort early_messages(nullptr);
  // "--workdir DIR" names the program folder; otherwise the current folder when it holds the
  // settings, else the per-user folder, filled from the shipped data folder on first start.
  std::optional<std::filesystem::path> workdir;
  const QStringList arguments = QApplication::arguments();
  const qsizetype option = arguments.indexOf(QStringLiteral("--workdir"));
  if (option >= 0 && option + 1 < arguments.size()) {
    workdir = std::filesystem::absolute(ui::PathFromQString(arguments[option + 1]));
  }
  // Any other argument not starting with "-" is a subtitle to open (the desktop entry's %f).
  std::filesystem::path subtitle;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (i == option + 1 && option >= 0) {
      continue;
    }
    if (!arguments[i].startsWith(QLatin1Char('-')) && subtitle.empty()) {
      subtitle = std::filesystem::absolute(ui::PathFromQString(arguments[i]));
    }
  }
  std::error_code error;
  const std::filesystem::path current = std::filesystem::current_path(error);
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  ui::MainWindowSetup setup;
  setup.program_folder = app::ChooseProgramFolder(
      workdir, current, std::filesystem::exists(current / "setup.sys", error), xdg ? xdg : "",
      home ? home : "");
  setup.shipped_data =
      app::ShippedDataFolder(ui::PathFromQString(QApplication::applicationDirPath()),
                             ZENTROPE_DATA_FROM_BIN, ZENTROPE_DATA_DIR);
  setup.open_at_start = subtitle;
  // A first start speaks the system locale's language.
  const text::Status prepared =
      app::PrepareProgramFolder(setup.program_folder, setup.shipped_data,
                                app::LanguageForLocale(QLocale::system().name().toStdString()));
  if (!prepared.ok()) {
    early_messages.Inform(ports::Severity::kError, prepared.error().message);
    return 1;
  }
  std::filesystem::current_path(setup.program_folder, error);
  auto window = ui::MainWindow::Create(std::move(setup));
  if (!window.ok()) {
    return 1;  // the reason was shown through the window's message port
  }
  window.value()->ShowAsLastTime();
  QTimer::singleShot(0, window.value().get(), &ui::MainWindow::Activate);
  return QApplication::exec();
}

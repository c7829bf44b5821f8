// The window program: reads the working files of the program folder and shows the main window.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>

#include "app/message_table.h"
#include "settings/settings_list.h"
#include "ui/main_window.h"
#include "ui/qt_convert.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // "--workdir DIR" makes DIR the program folder; otherwise it is the current folder.
  const QStringList arguments = QApplication::arguments();
  const qsizetype workdir = arguments.indexOf(QStringLiteral("--workdir"));
  if (workdir >= 0 && workdir + 1 < arguments.size()) {
    std::error_code error;
    std::filesystem::current_path(ui::PathFromQString(arguments[workdir + 1]), error);
  }
  ui::MainWindowSetup setup;
  setup.program_folder = std::filesystem::current_path();
  auto settings = settings::SettingsList::LoadFromFile(setup.program_folder / "setup.sys");
  auto messages = app::MessageTable::LoadFromFile(setup.program_folder / "language.sys");
  for (const text::Error* error :
       {settings.ok() ? nullptr : &settings.error(), messages.ok() ? nullptr : &messages.error()}) {
    if (error != nullptr) {
      QMessageBox::critical(nullptr, QStringLiteral("Zentrope"), ui::ToQString(error->message));
      return 1;
    }
  }
  setup.settings = std::move(settings.value());
  setup.messages = std::move(messages.value());
  ui::MainWindow window(std::move(setup));
  window.showMaximized();
  QTimer::singleShot(0, &window, &ui::MainWindow::Activate);
  return QApplication::exec();
}

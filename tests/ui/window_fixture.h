// What the window tests share: the main window over a working folder, talking through scripted
// ports, and the lookup of its controls by their fixed names.
#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>
#include <filesystem>
#include <memory>
#include <string>

#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "ui/main_window.h"

namespace ui_tests {

// The set-up of a window over `folder` with the given ports; a null `library` means the
// window's own glyph library in `folder`.
inline ui::MainWindowSetup TestSetup(const std::filesystem::path& folder,
                                     testing_support::FakeMessages& messages,
                                     testing_support::FakeFileDialogs& dialogs,
                                     app::GlyphLibraryPort* library = nullptr) {
  ui::MainWindowSetup setup;
  setup.program_folder = folder;
  setup.message_port = &messages;
  setup.file_dialogs = &dialogs;
  setup.library = library;
  return setup;
}

// A working folder for a window: the given language.sys and setup.sys, no phrases, and an
// empty glyph library.
inline void WriteWorkingFolder(const testing_support::TempDir& folder, const std::string& language,
                               const std::string& settings) {
  folder.Write("language.sys", language);
  folder.Write("setup.sys", settings);
  folder.Write("replace.sys", "");
  folder.Write("word.wrd", "");
  folder.Write("word.sts", "");
  std::filesystem::create_directories(folder.path() / "wordbmp");
}

// The window made, shown and activated (its library loaded); null when any step fails.
inline std::unique_ptr<ui::MainWindow> StartWindow(ui::MainWindowSetup setup) {
  auto created = ui::MainWindow::Create(std::move(setup));
  if (!created.ok()) {
    return nullptr;
  }
  std::unique_ptr<ui::MainWindow> window = std::move(created).value();
  window->show();
  return window->Activate() ? std::move(window) : nullptr;
}

// The child of `window` with that objectName; a missing one ends the test run, since every
// later step would only fail on it.
template <typename T>
T* Child(const QObject& window, const char* name) {
  T* found = window.findChild<T*>(QString::fromLatin1(name));
  if (found == nullptr) {
    qFatal("no control named %s", name);
  }
  return found;
}

}  // namespace ui_tests

// ImportTools: the "Import disc subtitles..." command and its panel (ImportPanel): the input's
// tracks, a live preview of the first pictures in the ink that will be used, the output folder,
// and the run with its progress and Stop.
#pragma once

#include <QObject>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/application.h"
#include "app/import_flow.h"
#include "import/subtitle_bitmap.h"
#include "ports/host_ports.h"
#include "ui/main_window.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;
class QToolButton;

namespace ui {

class FloatingPanel;
class QtEventPump;

class ImportTools : public QObject {
  Q_OBJECT

 public:
  // Adds the command to the file menu and the tool bar of `ui` and builds the panel in its
  // central area. All references must outlive the tools.
  ImportTools(MainWindow::Ui& ui, app::Application& app, ports::MessagePort& messages,
              ports::FileDialogPort& dialogs, QWidget* window);
  ~ImportTools() override;

  // Sets every text of the command and the panel for the current language.
  void LanguageApplied();
  // The command follows the Open command's enabled state.
  void SetEnabled(bool enabled);

 signals:
  // An import ended with its picture subtitle open (for the recent files).
  void SubtitleOpened();

 public:
  // fixed names: tests look them up by objectName; do not rename.
  QAction* ImportDiscMenu = nullptr;         // file menu: "Import disc subtitles..."
  QToolButton* ImportDiscBut = nullptr;      // its tool button
  FloatingPanel* ImportPanel = nullptr;      // the panel
  QLabel* ImportInput = nullptr;             // the chosen file
  QComboBox* ImportTrack = nullptr;          // the input's subtitle tracks
  QLabel* ImportPreview = nullptr;           // the first pictures, inked
  QRadioButton* ImportInkFill = nullptr;     // ink: the fill inside the outline (auto)
  QRadioButton* ImportInkOutline = nullptr;  // ink: the darker colours
  QRadioButton* ImportInkAll = nullptr;      // ink: every opaque colour
  QCheckBox* ImportUseThreshold = nullptr;   // ink by luminance instead
  QSlider* ImportThreshold = nullptr;        // 0-255
  QLabel* ImportThresholdValue = nullptr;
  QComboBox* ImportScale = nullptr;           // picture size: auto, full, half (data: PictureScale)
  QCheckBox* ImportFullColour = nullptr;      // 24-bit pictures instead of 1-bit ones
  QLineEdit* ImportOutput = nullptr;          // output folder
  QPushButton* ImportBrowseOutput = nullptr;  // chooses the output folder
  QProgressBar* ImportProgress = nullptr;     // 0-1000 of the input read
  QPushButton* ImportRun = nullptr;
  QPushButton* ImportStop = nullptr;
  QPushButton* ImportClose = nullptr;

 private:
  void BuildPanel();
  void Connect();
  void ImportDiscMenuClick();
  void ImportTrackChanged(int index);
  void ImportRunClick();
  void UpdatePreview();
  void SetRunning(bool running);
  import::ImportOptions Options() const;

  MainWindow::Ui& ui_;
  app::Application& app_;
  ports::MessagePort& messages_;
  ports::FileDialogPort& dialogs_;
  QWidget* window_;
  std::unique_ptr<QtEventPump> pump_;
  std::unique_ptr<app::ImportFlow> flow_;
  std::vector<QLabel*> captions_;  // labels whose texts follow the language, with their messages
  std::vector<int> caption_messages_;
  std::filesystem::path input_;
  std::vector<import::SubtitleBitmap> pictures_;
  bool filling_tracks_ = false;
};

}  // namespace ui

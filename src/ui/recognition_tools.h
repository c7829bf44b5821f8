// RecognitionTools: the picture strip's view and engine settings, the recognition run with Stop,
// the teaching panel, row analysis and automatic cropping, bound to the main window.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>

#include "app/application.h"
#include "ocr/bitmap_reader.h"
#include "ocr/recogniser.h"
#include "platform/qt_picture.h"
#include "ui/main_window.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QSlider;
class QToolButton;
class QTableWidget;

namespace library {
class GlyphLibrary;
}

namespace ui {

class AutomaticTeachingsDialog;
class QtEventPump;
class TeachingPanel;

class RecognitionTools : public QObject {
  Q_OBJECT

 public:
  // Builds the controls into the strip and the panels of `ui` and wires the recognition
  // commands. `glyphs` is the library recognition reads and teaches; without one (a window built
  // over another library port) the commands only say the library is missing. Everything given
  // must outlive the tools.
  RecognitionTools(MainWindow::Ui& ui, app::Application& app, ports::MessagePort& messages,
                   QtEventPump& pump, library::GlyphLibrary* glyphs, QWidget* window);
  ~RecognitionTools() override;

  // After a picture subtitle was opened: forget the taught rows, estimate the standard sizes.
  void ResetTaughtRows();
  void EstimateStandardSizes();

  bool Running() const {
    return running_;
  }
  int RunStartRow() const {
    return run_start_row_;
  }
  TeachingPanel* Teaching() const {
    return teaching_;
  }
  // Lists the glyphs taught from the reference since the picture subtitle was opened, for review
  // and undo; shown by itself after a run that taught some.
  void ShowAutomaticTeachings();

  // fixed names: tests look them up by objectName; do not rename.
  QLineEdit* Edit10 = nullptr;           // standard line height
  QLineEdit* Edit11 = nullptr;           // standard glyph width
  QLineEdit* Edit5 = nullptr;            // text lines sampled by the size estimate
  QLabel* Label15 = nullptr;             // caption of Edit10
  QLabel* Label17 = nullptr;             // caption of Edit11
  QLabel* Label6 = nullptr;              // caption of Edit5
  QSlider* TrackBar1 = nullptr;          // line-height detection
  QSlider* TrackBar3 = nullptr;          // space detection
  QSlider* TrackBar4 = nullptr;          // space width
  QLabel* Label16 = nullptr;             // caption of TrackBar1
  QLabel* Label19 = nullptr;             // left end of TrackBar1's scale
  QLabel* Label20 = nullptr;             // right end of TrackBar1's scale
  QLabel* Label12 = nullptr;             // caption of TrackBar3
  QLabel* Label22 = nullptr;             // caption of TrackBar4
  QLabel* Label13 = nullptr;             // row details: title
  QTableWidget* StringGrid6 = nullptr;   // row details: glyph text and library number
  QPushButton* Button15 = nullptr;       // row details: close
  QScrollArea* PictureScroll = nullptr;  // strip: scrolls Image1 inside the picture frame
  QToolButton* PictureZoom = nullptr;    // strip: checked shows the picture 1:1, else fitted

 signals:
  // A glyph of the row details was double-clicked: the library editor should open at the
  // record with this number (column 1) or text (column 0); the other is empty. GBK texts.
  void GlyphLookupRequested(const std::string& number, const std::string& text);

 private slots:
  void StartReadMenuClick();
  void StopReadMenuClick();
  void CheckRowButClick();
  void CutBmpMenuClick();
  void Button15Click();
  void StringGrid6DblClick(int row, int column);
  void Edit10Exit();
  void Edit11Exit();
  void Edit5Exit();
  void FollowRun();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildStrip();
  void BuildRowDetails();
  void RowSelected(int row);
  void ShowPicture(const std::filesystem::path& path);
  // Draws the shown picture again, with the asked glyph box framed while a question is open:
  // scaled down to fit the frame, or 1:1 while PictureZoom is checked, the box scrolled into view.
  void PaintPicture();
  // The scale the picture is shown at: 1 at 1:1, else the largest up to 1 that fits the frame.
  double PictureScale() const;
  void SelectRow(int row);
  // The open question: frame its box on the strip, show the text read so far there, and keep
  // the teaching panel clear of the strip.
  void MarkAskedBox();
  void ClearAskedBox();
  // The grid's current row gets the keyboard focus (after Stop and after a run).
  void FocusCurrentRow();
  bool LibraryMissing();

  MainWindow::Ui& ui_;
  app::Application& app_;
  ports::MessagePort& messages_;
  QtEventPump& pump_;
  QWidget* window_;
  platform::QtPictureIo pictures_;                // display, cropping, glyph pictures
  ocr::BitmapFileIo engine_pictures_{pictures_};  // the run's bitmaps, read by the core reader
  std::unique_ptr<ocr::Recogniser> recogniser_;
  TeachingPanel* teaching_ = nullptr;
  AutomaticTeachingsDialog* teachings_ = nullptr;
  QTimer follow_timer_;
  bool running_ = false;
  bool analysing_ = false;  // the run is a row analysis: the status names the row
  bool opening_ = false;    // a picture subtitle is being opened: its folder is not known yet
  int run_start_row_ = 1;
  int shown_row_ = 0;           // the row whose picture the view shows during a run
  int taught_at_start_ = 0;     // the recogniser's taught count when the run started
  QPixmap picture_;             // the picture shown in the strip, unmarked
  QRect asked_box_;             // the asked glyph box in picture coordinates; null when none
  QLabel* StripText = nullptr;  // over the strip's picture: the text read so far
  bool dragging_ = false;
  QPoint drag_from_;  // global position of the last drag step
};

}  // namespace ui

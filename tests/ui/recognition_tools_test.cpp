// The recognition run in the real window: a generated picture subtitle, an empty library and the
// teaching panel answered through its own widgets.
#include "ui/recognition_tools.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>
#include <deque>
#include <functional>
#include <memory>

#include "document/row_table.h"
#include "platform/qt_picture.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"
#include "ui/main_window.h"
#include "ui/teaching_panel.h"
#include "ui_tests.h"
#include "window_fixture.h"

namespace {

using testing_support::NumberedLanguageFile;
using testing_support::SettingsFile;

// Glyph art, 12 rows each: '#' is pure black ink.
using Art = std::vector<std::string>;
Art Block() {
  return Art(12, "########");
}
Art Hollow() {
  Art art(12, "##....##");
  art[0] = art[1] = art[10] = art[11] = "########";
  return art;
}
Art TwoBars() {  // two 2-column strokes, one glyph in two separate parts
  return Art(12, "##..##");
}
Art Cross() {
  Art art(12, "...##...");
  art[5] = art[6] = "########";
  return art;
}

// Writes a bitmap of the glyphs side by side, 4 columns apart, 5 white pixels around.
void WritePicture(const std::filesystem::path& file, const std::vector<Art>& glyphs) {
  int width = 10;
  for (const Art& glyph : glyphs) {
    width += static_cast<int>(glyph[0].size()) + 4;
  }
  platform::QtPictureIo io;
  std::unique_ptr<ocr::Picture> picture = io.Create(width, 22);
  int left = 5;
  for (const Art& glyph : glyphs) {
    for (int y = 0; y < static_cast<int>(glyph.size()); ++y) {
      for (int x = 0; x < static_cast<int>(glyph[y].size()); ++x) {
        if (glyph[y][x] == '#') {
          picture->SetPixel(left + x, 5 + y, ocr::kInkColour);
        }
      }
    }
    left += static_cast<int>(glyph[0].size()) + 4;
  }
  QVERIFY(io.Save(*picture, file).ok());
}

class RecognitionToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<testing_support::TempDir>();
    ui_tests::WriteWorkingFolder(*folder_, NumberedLanguageFile(),
                                 SettingsFile({{settings::kSpaceDetection, "4"},
                                               {settings::kSpaceWidth, "8"},
                                               {settings::kLineHeight, "2"}}));
    messages_ = {};
    dialogs_ = {};
    answers_.clear();
    questions_ = 0;
    window_ = ui_tests::StartWindow(ui_tests::TestSetup(folder_->path(), messages_, dialogs_));
    QVERIFY(window_ != nullptr);
    auto* teaching = window_->findChild<ui::TeachingPanel*>();
    QVERIFY(teaching != nullptr);
    connect(teaching, &ui::TeachingPanel::QuestionShown, this, [this] { Answer(); });
  }

  void cleanup() {
    window_.reset();
    folder_.reset();
  }

  void TeachingByThePanelsWidgetsFillsTheGrid() {
    OpenFilm();
    // First run: teach the block, then stop while the hollow box is asked about and save it too.
    answers_ = {[this] { Type("A"); },
                [this] {
                  Action("StopReadMenu")->trigger();
                  Type("B");
                }};
    Action("StartReadMenu")->trigger();
    QCOMPARE(questions_, 2);
    QCOMPARE(Text(1), std::string());  // stopped inside row 1: its text stays
    QVERIFY(Informed("m567"));
    QCOMPARE(window_->Application().Commands().Recorded(), 4);

    // Second run, no row selected: starts again at row 1, which is now known.
    answers_ = {[this] {
                  // The two strokes are asked about one at a time; Expand takes both.
                  Click("Button2");
                  QCOMPARE(Widget<QLabel>("Label3")->text(), QString());
                  Type("H");
                },
                [this] { Click("Button4"); }};
    Action("StartReadMenu")->trigger();
    QCOMPARE(questions_, 4);
    const std::pair<int, const char*> expected[] = {{1, "AB"}, {2, "HA"}, {3, "A"}, {4, "BAH"}};
    for (const auto& [row, text] : expected) {
      QCOMPARE(Text(row), std::string(text));
      QCOMPARE(Cell(document::kBaseText, row), std::string(text));
    }
    QVERIFY(!window_->findChild<QWidget*>(QStringLiteral("Panel3"))->isVisible());
    QCOMPARE(window_->Application().Commands().Recorded(), 4);
    QVERIFY(!window_->Document().document_saved);
  }

  void TheShownReferenceTeachesAndItsListUndoes() {
    OpenFilm();
    window_->Application().PanelOptions().assistance = settings::TeachingAssistance();
    // Row 1 (the block and the hollow box) has a reference row of the same time; row 2 has none,
    // so it is asked about, and the unanswered question ends the run.
    dialogs_.open_paths.push_back(folder_->Write(
        "reference.srt", "1\r\n00:00:01,000 --> 00:00:01,500\r\n\xC4\xE3\xBA\xC3\r\n\r\n"));
    Action("OpenSecSrtMenu")->trigger();
    QVERIFY(!Widget<QTableView>("StringGrid7")->isHidden());
    Action("StartReadMenu")->trigger();
    QCOMPARE(questions_, 1);
    QCOMPARE(Text(1), std::string("\xC4\xE3\xBA\xC3"));
    auto* list = Widget<QDialog>("AutomaticTeachings");
    QVERIFY(list->isVisible());
    auto* grid = Widget<QTableWidget>("TeachingsGrid");
    QCOMPARE(grid->rowCount(), 2);
    // The list opens with room for a dozen entries, and the glyph column holds its glyphs.
    QVERIFY(grid->viewport()->height() >= 12 * grid->rowHeight(0));
    for (int row = 0; row < grid->rowCount(); ++row) {
      const QPixmap glyph = grid->item(row, 3)->data(Qt::DecorationRole).value<QPixmap>();
      QVERIFY(grid->columnWidth(3) >= glyph.width());
      QVERIFY(grid->rowHeight(row) >= glyph.height());
    }
    QVERIFY(grid->columnViewportPosition(3) + grid->columnWidth(3) <= grid->viewport()->width());
    QCOMPARE(grid->item(0, 1)->text(), QString::fromUtf8("\xE4\xBD\xA0"));  // 你
    QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("1"));
    QVERIFY(!grid->item(1, 3)->data(Qt::DecorationRole).value<QPixmap>().isNull());
    QVERIFY(!Widget<QPushButton>("UndoTeachingsButton")->isEnabled());  // nothing chosen yet
    grid->selectRow(0);
    Click("UndoTeachingsButton");
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->item(0, 1)->text(), QString::fromUtf8("\xE5\xA5\xBD"));  // 好
    QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("1"));
    QVERIFY(Widget<QLabel>("TeachingsStatus")->text().startsWith(QStringLiteral("m1194")));
    QCOMPARE(folder_->Read("word.wrd"), std::string("\xBA\xC3\r\n"));
    Click("CloseTeachingsButton");
    QVERIFY(!list->isVisible());
  }

  void AbortKeepsTheRowAndTheLibraryRecordIsShown() {
    OpenFilm();
    answers_ = {[this] { Type("A"); },
                [this] {
                  // The glyph taught last is shown with its number.
                  QCOMPARE(Widget<QLineEdit>("Edit6")->text(), QStringLiteral("A"));
                  QCOMPARE(Widget<QLabel>("Label18")->text(), QStringLiteral("m1711"));
                  QVERIFY(!Widget<QPushButton>("Button20")->isEnabled());
                  QCOMPARE(Widget<QLabel>("Label3")->text(), QStringLiteral("A"));
                  Click("Button5");
                }};
    Action("StartReadMenu")->trigger();
    QCOMPARE(questions_, 2);
    QCOMPARE(Text(1), std::string());
    QVERIFY(!Informed("m567"));  // abort shows no stop message
  }

  void ARunStoppedBeforeItWroteARowLeavesTheSubtitleUnmodified() {
    OpenFilm();
    window_->Document().main.History().Clear();
    answers_ = {[this] {
      Action("StopReadMenu")->trigger();
      Type("A");
    }};
    Action("StartReadMenu")->trigger();
    QCOMPARE(questions_, 1);
    QCOMPARE(Text(1), std::string());
    QVERIFY(window_->Document().document_saved);
    QVERIFY(window_->Document().proofread_done);
    // Nothing to undo, so no "Undo recognition" either.
    QVERIFY(!Action("UndoMenu")->isEnabled());
  }

  void AskedBoxIsFramedOnTheStripAndTheStatusFollowsTheRun() {
    OpenFilm();
    const QColor mark = QColor::fromRgb(ui::TeachingPanel::kBoxMarkColour);
    // The frame lies two pixels outside the box; the block's box starts at (5, 5).
    const auto framed = [this, &mark] {
      return Widget<QLabel>("Image1")->pixmap().toImage().pixelColor(3, 8) == mark;
    };
    answers_ = {[&] {
                  QVERIFY(framed());
                  QVERIFY(Widget<QLabel>("StripText")->isHidden());  // nothing read yet
                  QCOMPARE(Widget<QLabel>("StatusText")->text(), QStringLiteral("m1275"));
                  QVERIFY(Widget<QWidget>("StatusProgress")->isVisible());
                  // The panel leaves the strip free.
                  QVERIFY(!Widget<QWidget>("Panel3")->geometry().intersects(
                      Widget<QWidget>("Panel2")->geometry()));
                  // The enlarged glyph shows its whole line band, at least the box's rows.
                  QVERIFY(Widget<QLabel>("Image2")->pixmap().height() >= 12);
                  Type("A");
                },
                [&] {
                  QVERIFY(!framed());  // the hollow box lies further right
                  QCOMPARE(Widget<QLabel>("StripText")->text(), QStringLiteral("A"));
                  QVERIFY(!Widget<QLabel>("StripText")->isHidden());
                  Click("Button5");
                }};
    Action("StartReadMenu")->trigger();
    QCOMPARE(questions_, 2);
    QVERIFY(!framed());  // no question, no frame
    QVERIFY(Widget<QLabel>("StripText")->isHidden());
    QCOMPARE(Widget<QLabel>("StatusText")->text(), QStringLiteral("m1281"));  // stopped at row 1
    QVERIFY(Widget<QWidget>("StatusProgress")->isHidden());
  }

  void AWidePictureStaysInItsFrameAndTheAskedBoxIsInView() {
    window_->resize(1024, 700);
    window_->Application().PanelOptions().assistance = settings::TeachingAssistance::Off();
    // 1500 pixels wide, the ink at its right end only.
    platform::QtPictureIo io;
    std::unique_ptr<ocr::Picture> picture = io.Create(1500, 30);
    for (int y = 5; y < 17; ++y) {
      for (int x = 1400; x < 1408; ++x) {
        picture->SetPixel(x, y, ocr::kInkColour);
        if (y < 8 || y > 13 || x < 1402 || x > 1405) {
          picture->SetPixel(x + 20, y, ocr::kInkColour);  // a hollow glyph beside the block
        }
      }
    }
    QVERIFY(io.Save(*picture, folder_->path() / "wide1.bmp").ok());
    dialogs_.open_paths.push_back(
        folder_->Write("wide.srt", "1\r\n00:00:01,000 --> 00:00:01,500\r\nwide1.bmp\r\n\r\n"));
    Action("OpenSrtMenu")->trigger();
    window_->Document().main.SetCell(document::kText, 1, "");
    auto* strip = Widget<QWidget>("Panel2");
    auto* frame = Widget<QWidget>("Panel9");
    auto* image = Widget<QLabel>("Image1");
    auto* view = Widget<QScrollArea>("PictureScroll")->viewport();
    auto* teaching = window_->findChild<ui::TeachingPanel*>();
    // The asked box, in the viewport's coordinates, lies inside the viewport.
    const auto box_in_view = [&] {
      const ocr::GlyphBox box = teaching->Session()->BoxInPicture();
      const double scale = image->pixmap().width() / 1500.0;
      const QRect shown(static_cast<int>(box.left * scale), static_cast<int>(box.top * scale),
                        std::max(1, static_cast<int>(box.width * scale)),
                        std::max(1, static_cast<int>(box.height * scale)));
      return view->rect().contains(QRect(image->mapTo(view, shown.topLeft()), shown.size()));
    };
    const auto frame_kept = [&] {
      // Inside the strip, clear of the size fields to its left and the sliders to its right.
      return strip->rect().contains(frame->geometry()) &&
             !frame->geometry().intersects(Widget<QWidget>("Panel14")->geometry()) &&
             !frame->geometry().intersects(Widget<QWidget>("Panel1")->geometry());
    };
    answers_ = {[&] {
                  QVERIFY(frame_kept());
                  // The whole picture, scaled down to the frame.
                  QVERIFY(image->pixmap().width() <= view->width());
                  QVERIFY(image->pixmap().width() < 1500);
                  QVERIFY(box_in_view());
                  // 1:1 on request: the picture at its size, scrolled to the box.
                  QTest::mouseClick(Widget<QToolButton>("PictureZoom"), Qt::LeftButton);
                  QCOMPARE(image->pixmap().width(), 1500);
                  QVERIFY(frame_kept());
                  QVERIFY(box_in_view());
                  QVERIFY(!Widget<QToolButton>("PictureZoom")->toolTip().isEmpty());
                  Type("A");
                },
                [&] {
                  QVERIFY(box_in_view());  // the next box, further right, at 1:1 still
                  QTest::mouseClick(Widget<QToolButton>("PictureZoom"), Qt::LeftButton);
                  QVERIFY(image->pixmap().width() <= view->width());
                  Click("Button5");
                }};
    Action("StartReadMenu")->trigger();
    QCOMPARE(questions_, 2);
  }

  void FocusGoesBackToTheGridAfterStopAndAfterARun() {
    OpenFilm();
    auto* grid = Widget<QTableView>("StringGrid1");
    Widget<QLineEdit>("Edit10")->setFocus();
    answers_ = {[this] {
      Action("StopReadMenu")->trigger();
      Type("A");
    }};
    Action("StartReadMenu")->trigger();
    QCOMPARE(window_->focusWidget(), static_cast<QWidget*>(grid));
    QCOMPARE(grid->currentIndex().row(), window_->Document().current_row - 1);
    // A run that ends by itself gives the focus back too (the rest is taught or skipped).
    answers_ = {[this] { Type("B"); }};
    for (int skip = 0; skip < 8; ++skip) {
      answers_.push_back([this] { Click("Button4"); });
    }
    Widget<QLineEdit>("Edit10")->setFocus();
    Action("StartReadMenu")->trigger();
    QCOMPARE(window_->focusWidget(), static_cast<QWidget*>(grid));
    QVERIFY(Widget<QLabel>("StatusText")->text().startsWith(QStringLiteral("m1278")));
  }

  void EngineSettingsFollowTheEstimateAndTheTrackBars() {
    OpenFilm();
    // The estimate: 12-row lines, 8-column glyphs (the 2-column strokes are too narrow to count).
    QCOMPARE(Widget<QLineEdit>("Edit10")->text(), QStringLiteral("12"));
    QCOMPARE(Widget<QLineEdit>("Edit11")->text(), QStringLiteral("8"));
    Widget<QSlider>("TrackBar3")->setValue(7);
    QCOMPARE(window_->Application().Settings().Line(settings::kSpaceDetection), std::string("7"));
    auto* edit = Widget<QLineEdit>("Edit10");
    edit->setText(QString());
    emit edit->editingFinished();
    QCOMPARE(edit->text(), QStringLiteral("12"));  // not a number: the height in use comes back
  }

  void SelectingARowWithoutItsPictureSaysSo() {
    OpenFilm();
    std::filesystem::remove(folder_->path() / "sub3.bmp");
    messages_.informed.clear();
    auto* grid = Widget<QTableView>("StringGrid1");
    grid->setCurrentIndex(grid->model()->index(2, document::kText));
    QVERIFY(Informed("m486sub3.bmp"));
  }

  void RowAnalysisListsEachGlyph() {
    OpenFilm();
    QString status_while_asked;
    answers_ = {[&] {
                  status_while_asked = Widget<QLabel>("StatusText")->text();
                  Type("A");
                },
                [this] { Type("B"); }};
    Action("CheckRowMenu")->trigger();  // row 1's picture was prepared when it was selected
    QCOMPARE(status_while_asked, QStringLiteral("m1299"));                    // analysing row 1
    QCOMPARE(Widget<QLabel>("StatusText")->text(), QStringLiteral("m1347"));  // row 1: 2 glyphs
    auto* details = Widget<QTableWidget>("StringGrid6");
    QCOMPARE(details->rowCount(), 3);
    QCOMPARE(details->item(0, 0)->text(), QStringLiteral("A"));
    QCOMPARE(details->item(0, 1)->text(), QStringLiteral("1"));
    QCOMPARE(details->item(1, 0)->text(), QStringLiteral("B"));
    QCOMPARE(details->item(1, 1)->text(), QStringLiteral("2"));
    QCOMPARE(Text(1), std::string());  // nothing is written into the main grid
    // A double click asks the library editor for the number or the text under it.
    std::vector<std::pair<std::string, std::string>> lookups;
    connect(window_->findChild<ui::RecognitionTools*>(),
            &ui::RecognitionTools::GlyphLookupRequested, this,
            [&](const std::string& number, const std::string& text) {
              lookups.emplace_back(number, text);
            });
    emit details->cellDoubleClicked(1, 1);
    emit details->cellDoubleClicked(0, 0);
    emit details->cellDoubleClicked(2, 0);  // the empty row
    const std::vector<std::pair<std::string, std::string>> expected = {{"2", ""}, {"", "A"}};
    QCOMPARE(lookups, expected);
    QVERIFY(!Widget<QWidget>("Panel10")->isHidden());
  }

  void CroppingRewritesThePicturesButTheLast() {
    OpenFilm();
    messages_.answers = {ports::Answer::kOk};
    const auto size_of = [this](const char* name) {
      return QImage(QString::fromStdString((folder_->path() / name).string())).size();
    };
    const QSize before = size_of("sub4.bmp");
    Action("CutBmpMenu")->trigger();
    // One blank row above and one blank column to the left of the ink are kept.
    QCOMPARE(size_of("sub1.bmp"), QSize(21, 13));
    QCOMPARE(size_of("sub4.bmp"), before);  // the grid's last row is left alone
    QVERIFY(Informed("m564"));
  }

 private:
  void OpenFilm() {
    // These cases follow the glyph walk without teaching assistance (the core tests cover it).
    window_->Application().PanelOptions().assistance = settings::TeachingAssistance::Off();
    const std::vector<std::vector<Art>> pictures = {{Block(), Hollow()},
                                                    {TwoBars(), Block()},
                                                    {Cross(), Block()},
                                                    {Hollow(), Block(), TwoBars()}};
    std::string srt;
    for (size_t i = 0; i < pictures.size(); ++i) {
      const std::string name = "sub" + std::to_string(i + 1) + ".bmp";
      WritePicture(folder_->path() / name, pictures[i]);
      srt += std::to_string(i + 1) + "\r\n00:00:0" + std::to_string(i + 1) + ",000 --> 00:00:0" +
             std::to_string(i + 1) + ",500\r\n" + name + "\r\n\r\n";
    }
    dialogs_.open_paths.push_back(folder_->Write("film.srt", srt));
    Action("OpenSrtMenu")->trigger();
    QVERIFY(window_->Document().picture_mode);
    // Picture subtitles hold no text before recognition.
    for (int row = 1; row <= 4; ++row) {
      window_->Document().main.SetCell(document::kText, row, "");
    }
  }

  // Runs the next scripted answer; with none left the run is aborted, so no test can hang.
  void Answer() {
    ++questions_;
    if (answers_.empty()) {
      Click("Button5");
      return;
    }
    auto answer = std::move(answers_.front());
    answers_.pop_front();
    answer();
    // An answer cut short by a failed check leaves the question open: end the run.
    if (window_->findChild<ui::TeachingPanel*>()->QuestionOpen()) {
      Click("Button5");
    }
  }

  void Type(const char* text) {
    auto* edit = Widget<QLineEdit>("Edit1");
    QTest::keyClicks(edit, QString::fromLatin1(text));
    QTest::keyClick(edit, Qt::Key_Return);
  }
  void Click(const char* name) {
    QTest::mouseClick(Widget<QPushButton>(name), Qt::LeftButton);
  }
  template <typename T>
  T* Widget(const char* name) {
    auto* widget = window_->findChild<T*>(QString::fromLatin1(name));
    Q_ASSERT(widget != nullptr);
    return widget;
  }
  QAction* Action(const char* name) {
    return Widget<QAction>(name);
  }
  std::string Cell(int column, int row) {
    return window_->Document().main.Cell(column, row);
  }
  std::string Text(int row) {
    return Cell(document::kText, row);
  }
  bool Informed(const std::string& text) const {
    for (const auto& message : messages_.informed) {
      if (message.text == text) {
        return true;
      }
    }
    return false;
  }

  std::unique_ptr<testing_support::TempDir> folder_;
  testing_support::FakeMessages messages_;
  testing_support::FakeFileDialogs dialogs_;
  std::deque<std::function<void()>> answers_;
  int questions_ = 0;
  std::unique_ptr<ui::MainWindow> window_;
};

}  // namespace

QObject* ui_tests::NewRecognitionToolsTest() {
  return new RecognitionToolsTest;
}

#include "recognition_tools_test.moc"

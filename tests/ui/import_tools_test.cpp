// The import panel in the real window: open a generated PGS stream, change the ink in the
// preview, import, and the picture subtitle opens in the grid.
#include "ui/import_tools.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "document/row_table.h"
#include "support/disc_streams.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"
#include "ui/main_window.h"
#include "ui/qt_convert.h"
#include "ui_tests.h"
#include "window_fixture.h"

namespace {

using ui_tests::Child;

// language.sys where line i reads "m<i>", long enough for the import's messages.
std::string LanguageFile() {
  std::string file;
  for (int i = 0; i < 1600; ++i) {
    file += "m" + std::to_string(i) + "\r\n";
  }
  return file;
}

std::string FilmSup() {
  std::vector<testing_support::PgsPicture> pictures;
  for (int i = 0; i < 4; ++i) {
    testing_support::PgsPicture picture;
    picture.start = 2000 * (i + 1);
    picture.end = picture.start + 1500;
    picture.x = 500;
    picture.y = 950;
    picture.width = 400;
    picture.height = 60;
    picture.palette = testing_support::SyntheticPalette();
    picture.pixels = testing_support::SyntheticSubtitle(400, 60, 70 + static_cast<unsigned>(i));
    pictures.push_back(std::move(picture));
  }
  return testing_support::SupFile(testing_support::PgsDisplaySets(pictures));
}

class ImportToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<testing_support::TempDir>();
    ui_tests::WriteWorkingFolder(*folder_, LanguageFile(), testing_support::SettingsFile());
    messages_ = {};
    dialogs_ = {};
    window_ = ui_tests::StartWindow(ui_tests::TestSetup(folder_->path(), messages_, dialogs_));
    QVERIFY(window_ != nullptr);
    messages_.informed.clear();  // the start-up's notes on the new library
  }

  void cleanup() {
    window_.reset();
    folder_.reset();
  }

  void CommandAndPanelCarryTheirTexts() {
    auto* command = Child<QAction>(*window_, "ImportDiscMenu");
    QCOMPARE(command->text(), QStringLiteral("m1002"));  // message 1001, language 1
    QCOMPARE(Child<QToolButton>(*window_, "ImportDiscBut")->defaultAction(), command);
    QCOMPARE(Child<QPushButton>(*window_, "ImportRun")->text(), QStringLiteral("m1041"));
    auto* scale = Child<QComboBox>(*window_, "ImportScale");
    QCOMPARE(scale->count(), 3);
    QCOMPARE(scale->itemText(0), QStringLiteral("m1065"));  // auto, the default
    QCOMPARE(scale->itemText(2), QStringLiteral("m1071"));
    QCOMPARE(scale->currentIndex(), 0);
    Child<QAction>(*window_, "N16")->trigger();
    QCOMPARE(command->text(), QStringLiteral("m1004"));
  }

  void PreviewFollowsTheInkAndImportOpensTheSubtitle() {
    const auto sup = folder_->Write("film.sup", FilmSup());
    dialogs_.open_paths.push_back(sup);
    Child<QAction>(*window_, "ImportDiscMenu")->trigger();
    auto* panel = Child<QWidget>(*window_, "ImportPanel");
    QVERIFY(panel->isVisible());
    QCOMPARE(Child<QComboBox>(*window_, "ImportTrack")->count(), 1);
    QCOMPARE(Child<QLineEdit>(*window_, "ImportOutput")->text(),
             ui::PathToQString(folder_->path() / "film"));
    auto* preview = Child<QLabel>(*window_, "ImportPreview");
    const QImage fill = preview->pixmap().toImage();
    QVERIFY(!fill.isNull());

    Child<QRadioButton>(*window_, "ImportInkOutline")->click();
    const QImage outline = preview->pixmap().toImage();
    QVERIFY(outline != fill);
    Child<QCheckBox>(*window_, "ImportUseThreshold")->click();
    auto* slider = Child<QSlider>(*window_, "ImportThreshold");
    QVERIFY(slider->isEnabled());
    // By luminance, the colour classes are no choice.
    for (const char* ink : {"ImportInkFill", "ImportInkOutline", "ImportInkAll"}) {
      QVERIFY(!Child<QRadioButton>(*window_, ink)->isEnabled());
    }
    slider->setValue(150);
    QCOMPARE(Child<QLabel>(*window_, "ImportThresholdValue")->text(), QStringLiteral("150"));
    // Luminance 150 and up is the fill and its lighter blend: the same ink as the fill choice.
    QCOMPARE(preview->pixmap().toImage(), fill);
    // Half size shows the pictures as the import will write them; auto keeps a 1080p stream.
    auto* scale = Child<QComboBox>(*window_, "ImportScale");
    scale->setCurrentIndex(2);
    QVERIFY(preview->pixmap().toImage() != fill);
    scale->setCurrentIndex(0);
    QCOMPARE(preview->pixmap().toImage(), fill);
    scale->setCurrentIndex(2);

    // The output folder is browsed for, starting where the proposed one would go.
    std::filesystem::create_directory(folder_->path() / "out");
    dialogs_.folder_paths.push_back(folder_->path() / "out");
    Child<QPushButton>(*window_, "ImportBrowseOutput")->click();
    QCOMPARE(dialogs_.folder_starts.back(), folder_->path());
    QCOMPARE(Child<QLineEdit>(*window_, "ImportOutput")->text(),
             ui::PathToQString(folder_->path() / "out"));
    Child<QLineEdit>(*window_, "ImportOutput")
        ->setText(ui::PathToQString(folder_->path() / "film"));

    Child<QPushButton>(*window_, "ImportRun")->click();
    QTRY_VERIFY(!panel->isVisible());
    // The imported subtitle is a recent file like any opened one.
    bool listed = false;
    for (QAction* item : Child<QMenu>(*window_, "RecentMenu")->actions()) {
      listed = listed || (item->objectName().startsWith(QStringLiteral("RecentFile")) &&
                          item->text().contains(QStringLiteral("film.srt")));
    }
    QVERIFY(listed);
    QVERIFY(messages_.informed.empty());
    const document::SubtitleDocument& document = window_->Document();
    QVERIFY(document.picture_mode);
    QCOMPARE(document.main.DataRowCount(), 4);
    QCOMPARE(document.main.Cell(document::kPicture, 4), std::string("0004.bmp"));
    QCOMPARE(Child<QTableView>(*window_, "StringGrid1")->model()->rowCount(), 4);
    QVERIFY(window_->windowTitle().contains(QStringLiteral("film.srt")));
    QVERIFY(std::filesystem::exists(folder_->path() / "film" / "0004.bmp"));
    // Written at half size: the ink of the 400-pixel pictures spans some 360 columns.
    const QImage written(ui::PathToQString(folder_->path() / "film" / "0001.bmp"));
    QVERIFY2(written.width() > 150 && written.width() < 215,
             qPrintable(QString::number(written.width())));
    QCOMPARE(written.depth(), 1);  // 1-bit pictures by default
  }

  void TwentyFourBitPicturesWhenAsked() {
    dialogs_.open_paths.push_back(folder_->Write("film.sup", FilmSup()));
    Child<QAction>(*window_, "ImportDiscMenu")->trigger();
    auto* full_colour = Child<QCheckBox>(*window_, "ImportFullColour");
    QCOMPARE(full_colour->text(), QStringLiteral("m1581"));
    QVERIFY(!full_colour->isChecked());
    full_colour->click();
    Child<QPushButton>(*window_, "ImportRun")->click();
    QTRY_VERIFY(!Child<QWidget>(*window_, "ImportPanel")->isVisible());
    const std::string bytes = folder_->Read("film/0001.bmp");
    QVERIFY(bytes.size() > 28);
    QCOMPARE(static_cast<int>(bytes[28]), 24);
  }

  void AFailedPreviewLeavesThePanelClosed() {
    dialogs_.open_paths.push_back(folder_->Write("broken.sup", FilmSup().substr(0, 300)));
    Child<QAction>(*window_, "ImportDiscMenu")->trigger();
    QVERIFY(!Child<QWidget>(*window_, "ImportPanel")->isVisible());
    QCOMPARE(messages_.informed.size(), std::size_t{1});
    QVERIFY(messages_.informed[0].text.find("broken.sup") != std::string::npos);
  }

 private:
  std::unique_ptr<testing_support::TempDir> folder_;
  testing_support::FakeMessages messages_;
  testing_support::FakeFileDialogs dialogs_;
  std::unique_ptr<ui::MainWindow> window_;
};

}  // namespace

QObject* ui_tests::NewImportToolsTest() {
  return new ImportToolsTest;
}

#include "import_tools_test.moc"

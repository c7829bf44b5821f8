// The Times menu and panel, the grid's marking of bad times, and the mends around them in the
// real window: reference commands after a run, one exit question, the save's rows without text,
// its suggestion and Save in place, the check review taken change by change, dialog folders.
#include "ui/time_tools.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "document/row_table.h"
#include "settings/settings_list.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"
#include "ui/main_window.h"
#include "ui/qt_convert.h"
#include "ui/qt_ports.h"
#include "ui/subtitle_table_model.h"
#include "ui_tests.h"
#include "window_fixture.h"

namespace {

using document::kChangeMarks;
using document::kEnd;
using document::kStart;
using document::kText;
using ports::Answer;
using testing_support::NoLibrary;
using testing_support::NumberedLanguageFile;
using testing_support::SettingsFile;

const char kThreeRows[] =
    "1\r\n00:00:01,000 --> 00:00:02,000\r\none.\r\n\r\n"
    "2\r\n00:00:03,000 --> 00:00:04,000\r\ntwo\r\n\r\n"
    "3\r\n00:00:05,000 --> 00:00:06,000\r\nthree\r\n\r\n";
const char kPictures[] =
    "1\r\n00:00:01,000 --> 00:00:02,000\r\n0001.bmp\r\n\r\n"
    "2\r\n00:00:03,000 --> 00:00:04,000\r\n0002.bmp\r\n\r\n"
    "3\r\n00:00:05,000 --> 00:00:06,000\r\n0003.bmp\r\n\r\n";

class TimeToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<testing_support::TempDir>();
    folder_->Write("language.sys", NumberedLanguageFile());
    folder_->Write("setup.sys", SettingsFile({{settings::kEndPunctuation, "1"}}));
    folder_->Write("replace.sys", "");
    messages_ = {};
    dialogs_ = {};
    window_ =
        ui_tests::StartWindow(ui_tests::TestSetup(folder_->path(), messages_, dialogs_, &library_));
    QVERIFY(window_ != nullptr);
  }

  void cleanup() {
    window_.reset();
    folder_.reset();
  }

  void ShiftSyncAndFrameRateFromThePanelUndoAsOneStepEach() {
    Open("film.srt", kThreeRows);
    const document::RowTable& table = window_->Document().main;
    QVERIFY(Action("ShiftTimesMenu")->isEnabled());
    Action("ShiftTimesMenu")->trigger();
    QVERIFY(Find<QWidget>("TimesPanel")->isVisible());
    QCOMPARE(Find<QAction>("ShiftTimesMenu")->text(), QStringLiteral("m1785"));
    Find<QLineEdit>("TimesAmount")->setText(QStringLiteral("+1.5"));
    Find<QPushButton>("TimesApply")->click();
    QCOMPARE(table.Cell(kStart, 1), std::string("00:00:02.500"));
    QCOMPARE(table.Cell(kEnd, 3), std::string("00:00:07.500"));
    QCOMPARE(table.Cell(kChangeMarks, 2), std::string("T"));
    QVERIFY(!window_->Document().document_saved);
    QVERIFY(!Find<QWidget>("TimesPanel")->isVisible());

    // From the current row on, synchronised: 3 s (now 4.5 s) -> 4.5 s, 5 s (now 6.5 s) -> 9.5 s.
    window_->Document().current_row = 2;
    Action("SyncTimesMenu")->trigger();
    QVERIFY(Find<QRadioButton>("TimesSyncMode")->isChecked());
    Find<QRadioButton>("TimesFromCurrentRow")->setChecked(true);
    Find<QLineEdit>("TimesOldA")->setText(QStringLiteral("00:00:04.500"));
    Find<QLineEdit>("TimesNewB")->setText(QStringLiteral("4.5"));
    Find<QLineEdit>("TimesOldC")->setText(QStringLiteral("6.5"));
    Find<QLineEdit>("TimesNewD")->setText(QStringLiteral("9.5"));
    Find<QPushButton>("TimesApply")->click();
    QCOMPARE(table.Cell(kStart, 1), std::string("00:00:02.500"));
    QCOMPARE(table.Cell(kStart, 2), std::string("00:00:04.500"));
    QCOMPARE(table.Cell(kStart, 3), std::string("00:00:09.500"));

    // A frame rate that cannot be read is said and changes nothing.
    Action("FrameRateMenu")->trigger();
    Find<QRadioButton>("TimesAllRows")->setChecked(true);
    Find<QComboBox>("TimesFpsFrom")->setCurrentText(QStringLiteral("fast"));
    Find<QPushButton>("TimesApply")->click();
    QCOMPARE(messages_.informed.back().text, std::string("m1839"));
    QCOMPARE(table.Cell(kStart, 3), std::string("00:00:09.500"));
    Find<QComboBox>("TimesFpsFrom")->setCurrentText(QStringLiteral("25"));
    Find<QComboBox>("TimesFpsTo")->setCurrentText(QStringLiteral("50"));
    Find<QPushButton>("TimesApply")->click();
    QCOMPARE(table.Cell(kStart, 3), std::string("00:00:04.750"));

    Action("UndoMenu")->trigger();
    QCOMPARE(table.Cell(kStart, 3), std::string("00:00:09.500"));
    Action("UndoMenu")->trigger();
    Action("UndoMenu")->trigger();
    QCOMPARE(table.Cell(kStart, 1), std::string("00:00:01.000"));
    QCOMPARE(table.Cell(kStart, 3), std::string("00:00:05.000"));
    QVERIFY(window_->Document().document_saved);
  }

  void SelectedRowsAreMergedSplitAndDeletedTogether() {
    Open("film.srt", kThreeRows);
    const document::RowTable& table = window_->Document().main;
    SelectRows(2, 3);
    Action("MergeRowsMenu")->trigger();
    QCOMPARE(table.DataRowCount(), 2);
    QCOMPARE(table.Cell(kText, 2), std::string("two\\Nthree"));
    QCOMPARE(table.Cell(kEnd, 2), std::string("00:00:06.000"));
    SelectRows(2, 2);
    Action("SplitRowsMenu")->trigger();
    QCOMPARE(table.DataRowCount(), 3);
    QCOMPARE(table.Cell(kText, 3), std::string("three"));
    QCOMPARE(table.Cell(kStart, 3), std::string("00:00:04.500"));
    SelectRows(1, 2);
    messages_.answers = {Answer::kCancel, Answer::kOk};
    Action("DeleteRowsMenu")->trigger();
    QCOMPARE(table.DataRowCount(), 3);
    Action("DeleteRowsMenu")->trigger();
    QCOMPARE(messages_.asked.back().text, std::string("m1842"));
    QCOMPARE(table.DataRowCount(), 1);
    QCOMPARE(table.Cell(kText, 1), std::string("three"));
  }

  void BadTimesAreMarkedAsTheyAreTypedAndTheMarkingCanBeSwitchedOff() {
    Open("film.srt", kThreeRows);
    auto* grid = Find<QTableView>("StringGrid1");
    QAbstractItemModel* model = grid->model();
    const auto background = [model](int row, int column) {
      return model->data(model->index(row - 1, column), Qt::BackgroundRole);
    };
    QVERIFY(!background(1, kEnd).isValid());
    // An end before its start: said on the status bar at once, both times tinted.
    QVERIFY(model->setData(model->index(0, kEnd), QStringLiteral("00:00:00.500")));
    QCOMPARE(Find<QLabel>("StatusText")->text(), QStringLiteral("m1779"));
    QCOMPARE(background(1, kStart).value<QColor>(), ui::SubtitleTableModel::EndBeforeStartColour());
    QCOMPARE(background(1, kEnd).value<QColor>(), ui::SubtitleTableModel::EndBeforeStartColour());
    // An end past the next start: the next row's start is tinted.
    QVERIFY(model->setData(model->index(1, kEnd), QStringLiteral("00:00:05.500")));
    QCOMPARE(background(3, kStart).value<QColor>(), ui::SubtitleTableModel::OverlapColour());
    QVERIFY(!background(3, kEnd).isValid());
    QVERIFY(!background(2, kStart).isValid());
    // The row editor's store says it too.
    Find<QLabel>("StatusText")->clear();
    window_->Document().current_row = 3;
    Find<QLineEdit>("Edit15")->setText(QStringLiteral("00:00:05.000"));
    Find<QLineEdit>("Edit16")->setText(QStringLiteral("00:00:04.000"));
    Find<QPushButton>("Button26")->click();
    QCOMPARE(window_->Document().main.Cell(kEnd, 3), std::string("00:00:04.000"));
    QCOMPARE(Find<QLabel>("StatusText")->text(), QStringLiteral("m1779"));

    // Off, the grid shows no colour at all, as before the marking; the setting remembers it.
    Action("ShiftTimesMenu")->trigger();
    Find<QCheckBox>("TimesMarkFaults")->setChecked(false);
    QCOMPARE(window_->Application().Settings().Line(settings::kMarkTimes), std::string("0"));
    for (int row = 1; row <= 3; ++row) {
      for (int column = 0; column < document::kMainColumnCount; ++column) {
        QVERIFY(!background(row, column).isValid());
      }
    }
  }

  void ReferenceCommandsStayOnThroughARun() {
    Open("film.srt", kThreeRows);
    dialogs_.open_paths.push_back(folder_->Write("reference.srt", kThreeRows));
    Action("OpenSecSrtMenu")->trigger();
    const char* const commands[] = {"SaveSecSrtMenu", "CreatBlankMenu", "CompareCheckMenu",
                                    "SaveSecSrtBut", "CreatBlankBut"};
    for (const char* name : commands) {
      QVERIFY2(Enabled(name), name);
    }
    // A run enters its state and then the state after it, as the recognition command does.
    window_->Application().EnterCommandState(2);
    QVERIFY(!Enabled("SaveSecSrtMenu"));
    window_->Application().EnterCommandState(4);
    for (const char* name : commands) {
      QVERIFY2(Enabled(name), name);
    }
    Action("SaveSecSrtMenu")->trigger();  // nothing to save: closes the reference
    QVERIFY(!Enabled("SaveSecSrtMenu"));
    QVERIFY(!Enabled("CreatBlankMenu"));
  }

  void LeavingAsksAboutTheUnsavedSubtitleOnce() {
    Open("film.srt", kThreeRows);
    window_->Document().document_saved = false;
    messages_.answers = {Answer::kNo};
    Action("ExitFormMenu")->trigger();
    QCOMPARE(messages_.asked.size(), size_t{1});
    QVERIFY(!window_->isVisible());
  }

  void SavingAHalfRecognisedSubtitleCountsTheRowsWithoutText() {
    Open("pictures.srt", kPictures);
    document::SubtitleDocument& document = window_->Document();
    QVERIFY(document.picture_mode);
    document.main.SetCell(kText, 2, "two");
    document.proofread_done = true;
    // No: the rows are left out and the status bar says how many.
    messages_.answers = {Answer::kNo};
    dialogs_.save_paths.push_back(folder_->path() / "text.srt");
    Action("SaveSrtMenu")->trigger();
    QCOMPARE(dialogs_.save_suggestions.back().filename(), std::filesystem::path("pictures.srt"));
    QCOMPARE(messages_.asked.back().text, std::string("m1773"));
    QVERIFY(Find<QLabel>("StatusText")->text().endsWith(QStringLiteral("m1776")));
    // Entries are numbered as written.
    QCOMPARE(folder_->Read("text.srt"),
             std::string("1\r\n00:00:03,000 --> 00:00:04,000\r\ntwo\r\n\r\n"));
    // Yes, with Save in place: every row, the pictures' names standing in for their texts.
    messages_.answers = {Answer::kYes};
    Action("SaveInPlaceMenu")->trigger();
    QCOMPARE(dialogs_.save_suggestions.size(), size_t{1});  // no second dialog
    QCOMPARE(folder_->Read("text.srt"),
             std::string("1\r\n00:00:01,000 --> 00:00:02,000\r\n0001.bmp\r\n\r\n"
                         "2\r\n00:00:03,000 --> 00:00:04,000\r\ntwo\r\n\r\n"
                         "3\r\n00:00:05,000 --> 00:00:06,000\r\n0003.bmp\r\n\r\n"));
    // Another picture subtitle is offered under its own name, not the last one saved.
    Open("other.srt", kPictures);
    window_->Document().proofread_done = true;
    messages_.answers = {Answer::kCancel};
    Action("SaveInPlaceMenu")->trigger();  // no file yet: Save As
    QCOMPARE(dialogs_.save_suggestions.back().filename(), std::filesystem::path("other.srt"));
  }

  void CheckReviewTakesEachChangeOnItsOwnAndSaysWhenNothingChanged() {
    Open("film.srt", kThreeRows);
    document::SubtitleDocument& document = window_->Document();
    document.main.SetCell(kText, 3, "three.");
    Action("Check1Menu")->trigger();
    auto* review = Find<QTableWidget>("StringGrid3");
    QCOMPARE(review->rowCount(), 3);
    QCOMPARE(Find<QLabel>("CheckReviewNote")->text(), QStringLiteral("m585"));
    QVERIFY(messages_.informed.empty());  // no box over the list
    Action("N16")->trigger();  // the note follows the language
    QCOMPARE(Find<QLabel>("CheckReviewNote")->text(), QStringLiteral("m587"));
    Action("N14")->trigger();
    review->item(0, 0)->setCheckState(Qt::Unchecked);
    Find<QPushButton>("Button13")->click();
    QCOMPARE(document.main.Cell(kText, 1), std::string("one."));
    QCOMPARE(document.main.Cell(kText, 3), std::string("three"));
    QCOMPARE(document.main.Cell(kChangeMarks, 3), std::string("C"));
    QCOMPARE(document.main.Cell(kChangeMarks, 1), std::string());

    document.main.SetCell(kText, 1, "one");
    document.proofread_done = false;
    Action("Check1Menu")->trigger();
    QCOMPARE(messages_.informed.back().text, std::string("m1845"));
    QVERIFY(!Find<QWidget>("Panel21")->isVisible());
    QVERIFY(document.proofread_done);
    QVERIFY(Action("OpenSrtMenu")->isEnabled());
  }

  void DialogsStartInARealFolderAndTheExportRefusesTheLiveLibrary() {
    ui::QtFileDialogPort port(nullptr);
    QCOMPARE(port.StartFolder("1"), ui::PathFromQString(QDir::homePath()));
    QCOMPARE(port.StartFolder({}), ui::PathFromQString(QDir::homePath()));
    QCOMPARE(port.StartFolder(folder_->path()), folder_->path());
    QCOMPARE(port.StartFolder(folder_->path() / "gone"), ui::PathFromQString(QDir::homePath()));

    dialogs_.save_paths.push_back(folder_->path() / "word.sts");
    Find<QPushButton>("Button18")->click();
    QCOMPARE(messages_.informed.back().text, std::string("m1848"));
    QVERIFY(Find<QLineEdit>("Edit7")->text().isEmpty());
    QVERIFY(dialogs_.save_filters.back().start_folder.empty());
  }

 private:
  void Open(const char* name, const std::string& content) {
    dialogs_.open_paths.push_back(folder_->Write(name, content));
    Action("OpenSrtMenu")->trigger();
    QCOMPARE(window_->Document().source_file, folder_->path() / name);
  }
  QAction* Action(const char* name) {
    return ui_tests::Child<QAction>(*window_, name);
  }
  template <typename T>
  T* Find(const char* name) {
    return ui_tests::Child<T>(*window_, name);
  }
  bool Enabled(const char* name) {
    if (auto* action = window_->findChild<QAction*>(QString::fromLatin1(name))) {
      return action->isEnabled();
    }
    return Find<QWidget>(name)->isEnabled();
  }
  void SelectRows(int first, int last) {
    auto* grid = Find<QTableView>("StringGrid1");
    grid->clearSelection();
    grid->setCurrentIndex(grid->model()->index(first - 1, kText));
    grid->selectionModel()->select(
        QItemSelection(grid->model()->index(first - 1, 0), grid->model()->index(last - 1, 0)),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }

  std::unique_ptr<testing_support::TempDir> folder_;
  testing_support::FakeMessages messages_;
  testing_support::FakeFileDialogs dialogs_;
  NoLibrary library_;
  std::unique_ptr<ui::MainWindow> window_;
};

}  // namespace

namespace ui_tests {
QObject* NewTimeToolsTest() {
  return new TimeToolsTest();
}
}  // namespace ui_tests

#include "time_tools_test.moc"

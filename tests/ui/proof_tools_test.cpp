// The proofreading tools in the real main window on the offscreen platform: the check review,
// find and replace, the reference subtitle with its edit panels, shift ranges and row commands.
#include "ui/proof_tools.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <cstdio>
#include <memory>
#include <tuple>
#include <vector>

#include "document/row_table.h"
#include "settings/settings_list.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"
#include "ui/floating_panel.h"
#include "ui/main_window.h"
#include "ui_tests.h"
#include "window_fixture.h"

namespace {

using testing_support::NoLibrary;
using testing_support::NumberedLanguageFile;
using testing_support::SettingsFile;

using document::kChangeMarks;
using document::kEnd;
using document::kShiftMark;
using document::kStart;
using document::kStyle;
using document::kText;
using ports::Answer;

// One SRT entry per (start, end, text); times in whole milliseconds after 00:00:00.
std::string Srt(const std::vector<std::tuple<int, int, std::string>>& entries) {
  auto time = [](int ms) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "00:%02d:%02d,%03d", ms / 60000, ms / 1000 % 60,
                  ms % 1000);
    return std::string(buffer);
  };
  std::string file;
  int number = 1;
  for (const auto& [start, end, body] : entries) {
    file += std::to_string(number++) + "\r\n" + time(start) + " --> " + time(end) + "\r\n" + body +
            "\r\n\r\n";
  }
  return file;
}

class ProofToolsTest : public QObject {
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

  void CheckListsChangedRowsAndConfirmWritesTheEditedProposal() {
    Open("main.srt", Srt({{1000, 2000, "ok."}, {3000, 4000, "fine"}, {5000, 6000, "end,"}}));
    document::SubtitleDocument& document = window_->Document();
    document.proofread_done = false;
    Action("Check1Menu")->trigger();
    auto* review = Find<QTableWidget>("StringGrid3");
    QVERIFY(Find<QWidget>("Panel21")->isVisible());
    QCOMPARE(review->rowCount(), 3);  // two listed rows and the empty last row
    QCOMPARE(review->item(0, 0)->text(), QStringLiteral("1"));
    QCOMPARE(review->item(0, 1)->text(), QStringLiteral("ok."));
    QCOMPARE(review->item(0, 2)->text(), QStringLiteral("ok"));
    QCOMPARE(review->item(1, 2)->text(), QStringLiteral("end"));
    // The finishing note is above the list, not in a box over it.
    QCOMPARE(Find<QLabel>("CheckReviewNote")->text(), QStringLiteral("m585"));

    review->item(1, 2)->setText(QStringLiteral("the end"));
    // With the marking of checked rows off, the marks stay exactly as before it existed.
    window_->Application().Settings().SetLine(settings::kMarkCheckedRows, "0");
    Find<QPushButton>("Button13")->click();
    QCOMPARE(document.main.Cell(kText, 1), std::string("ok"));
    QCOMPARE(document.main.Cell(kText, 2), std::string("fine"));
    QCOMPARE(document.main.Cell(kText, 3), std::string("the end"));
    QCOMPARE(document.main.Cell(kChangeMarks, 1), std::string());  // marks stay as read
    QVERIFY(document.proofread_done);
    QVERIFY(!Find<QWidget>("Panel21")->isVisible());

    // A cancelled review writes nothing.
    document.main.SetCell(kText, 2, "again.");
    document.proofread_done = false;
    Action("Check1Menu")->trigger();
    QCOMPARE(review->rowCount(), 2);
    Find<QPushButton>("Button14")->click();
    QCOMPARE(document.main.Cell(kText, 2), std::string("again."));
    QVERIFY(!document.proofread_done);
  }

  void TimeOverlapsAreCutAndCounted() {
    Open("main.srt", Srt({{1000, 5000, "a"}, {4500, 6000, "b"}, {6000, 7000, "c"}}));
    Action("ChkTimeMenu")->trigger();
    const document::RowTable& table = window_->Document().main;
    QCOMPARE(table.Cell(kEnd, 1), std::string("00:00:04.500"));
    QCOMPARE(table.Cell(kChangeMarks, 1), std::string("T"));
    QCOMPARE(table.Cell(kEnd, 2), std::string("00:00:06.000"));
    QCOMPARE(messages_.informed.back().text, std::string("m6901m693"));
    // The status bar tells the same, in place of what it said before.
    QCOMPARE(window_->findChild<QLabel*>(QStringLiteral("StatusText"))->text(),
             QStringLiteral("m6901m693"));
    Action("ChkTimeMenu")->trigger();
    QCOMPARE(messages_.informed.back().text, std::string("m696"));
  }

  void FindNextVisitsEveryMatchThenStartsOver() {
    Open("main.srt", Srt({{1000, 2000, "abab"}, {3000, 4000, "xx"}, {5000, 6000, "ab"}}));
    Action("FindReplaceMenu")->trigger();
    Find<QLineEdit>("Edit9")->setText(QStringLiteral("a"));
    auto* start = Find<QPushButton>("Button23");
    auto* grid = Find<QTableView>("StringGrid1");
    const int expected_rows[] = {0, 0, 2};
    for (const int row : expected_rows) {
      start->click();
      QCOMPARE(grid->currentIndex().row(), row);
      QCOMPARE(grid->currentIndex().column(), kText);
      QCOMPARE(start->text(), QStringLiteral("m714"));
    }
    start->click();
    QCOMPARE(messages_.informed.back().text, std::string("m717"));
    QCOMPARE(start->text(), QStringLiteral("m321"));
    QCOMPARE(folder_->Read("replace1.txt"), std::string("a\r\n"));
  }

  void ReplaceAsksForEachMatchAndOffersARefusedOneAgain() {
    Open("main.srt", Srt({{1000, 2000, "abab"}, {3000, 4000, "ab"}}));
    Action("FindReplaceMenu")->trigger();
    Find<QLineEdit>("Edit9")->setText(QStringLiteral("a"));
    Find<QCheckBox>("CheckBox9")->setChecked(true);
    QVERIFY(Find<QLineEdit>("Edit14")->isEnabled());
    Find<QLineEdit>("Edit14")->setText(QStringLiteral("x"));
    // No to the first match, Yes to the second, Yes to the first offered again, No in row 2.
    messages_.answers = {Answer::kNo, Answer::kYes, Answer::kYes, Answer::kNo};
    Find<QPushButton>("Button23")->click();
    const document::SubtitleDocument& document = window_->Document();
    QCOMPARE(document.main.Cell(kText, 1), std::string("xbxb"));
    QCOMPARE(document.main.Cell(kText, 2), std::string("ab"));
    QCOMPARE(document.main.Cell(kChangeMarks, 1), std::string("C"));
    QCOMPARE(messages_.asked.size(), size_t{4});
    QVERIFY(!document.document_saved);
    QCOMPARE(Find<QPushButton>("Button23")->text(), QStringLiteral("m699"));
    QCOMPARE(messages_.informed.back().text, std::string("m717"));
  }

  void HistorySuggestionsFollowTheTypedText() {
    Open("main.srt", Srt({{1000, 2000, "ab"}}));
    Action("FindReplaceMenu")->trigger();
    auto* edit = Find<QLineEdit>("Edit9");
    auto* start = Find<QPushButton>("Button23");
    for (const char* search : {"beta", "alpha", "alps"}) {
      edit->setText(QString::fromLatin1(search));
      start->click();
      start->setText(QStringLiteral("m321"));
    }
    edit->clear();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("al"));
    auto* list = Find<QListWidget>("ListBox1");
    QVERIFY(list->isVisible());
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("alpha"));
    QTest::keyClick(edit, Qt::Key_Down);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(edit->text(), QStringLiteral("alps"));
    QVERIFY(!list->isVisible());
  }

  void ReferenceHighlightsOverlapsAndTheEditorStoresAndMovesOn() {
    Open("main.srt", Srt({{5000, 8000, "a\\Nb"}, {9000, 10000, "c"}}));
    const auto reference = folder_->Write(
        "ref.srt", Srt({{4000, 6000, "one"}, {6500, 7500, "two"}, {7800, 9000, "three"}}));
    dialogs_.open_paths.push_back(reference);
    Action("OpenSecSrtMenu")->trigger();
    auto* grid7 = Find<QTableView>("StringGrid7");
    QVERIFY(grid7->isVisible());
    QVERIFY(Action("SaveSecSrtMenu")->isEnabled());
    // Main row 1 (5 s to 8 s) overlaps reference rows 1 to 3; the last is current.
    QCOMPARE(grid7->currentIndex().row(), 2);
    const QModelIndexList selected = grid7->selectionModel()->selectedIndexes();
    QCOMPARE(selected.size(), 3);
    for (const QModelIndex& index : selected) {
      QCOMPARE(index.column(), kText);
    }
    // A text subtitle opens with the edit panels; the viewer shows the current reference row.
    QVERIFY(Find<QWidget>("Panel20")->isVisible());
    QVERIFY(Find<QWidget>("Panel22")->isVisible());
    auto* memo = Find<QTextEdit>("Memo2");
    QCOMPARE(memo->toPlainText(), QStringLiteral("a\nb"));
    QCOMPARE(Find<QTextEdit>("Memo3")->toPlainText(), QStringLiteral("three"));

    Find<QPushButton>("Button25")->click();
    QCOMPARE(Find<QLineEdit>("Edit15")->text(), QStringLiteral("00:00:07.800"));
    memo->setPlainText(QStringLiteral("x\ny"));
    Find<QPushButton>("Button28")->click();
    QCOMPARE(memo->toPlainText(), QStringLiteral("-x\n-y"));
    Find<QPushButton>("Button26")->click();
    const document::SubtitleDocument& document = window_->Document();
    QCOMPARE(document.main.Cell(kText, 1), std::string("-x\\N-y"));
    QCOMPARE(document.main.Cell(kStart, 1), std::string("00:00:07.800"));
    QCOMPARE(document.main.Cell(kChangeMarks, 1), std::string("TC"));
    QVERIFY(!document.document_saved);
    QCOMPARE(document.current_row, 2);
    QCOMPARE(memo->toPlainText(), QStringLiteral("c"));
    Find<QPushButton>("Button27")->click();  // the last row: stays
    QCOMPARE(document.current_row, 2);

    // Nothing unsaved in the reference: closing asks for no file.
    Action("SaveSecSrtMenu")->trigger();
    QVERIFY(!grid7->isVisible());
    QVERIFY(dialogs_.save_filters.empty());
    QVERIFY(!Action("SaveSecSrtMenu")->isEnabled());
    QVERIFY(!Find<QWidget>("Panel22")->isVisible());
  }

  void RightClicksOnTheShiftColumnOpenAndCloseARange() {
    Open("main.srt",
         Srt({{1000, 5000, "a"}, {6000, 7000, "b"}, {8000, 9000, "c"}, {10000, 11000, "d"}}));
    document::RowTable& table = window_->Document().main;
    table.SetCell(kEnd, 1, "00:00:05.500");
    RightClick(1, kShiftMark);
    QCOMPARE(table.Cell(kShiftMark, 1), std::string("->"));
    const char* shifted[] = {"00:00:07.500", "00:00:09.500", "00:00:11.500"};
    for (int row = 2; row <= 4; ++row) {
      QCOMPARE(table.Cell(kEnd, row), std::string(shifted[row - 2]));
      QCOMPARE(table.Cell(kChangeMarks, row), std::string("T"));
    }
    RightClick(2, kShiftMark);  // closes the range after row 2
    QCOMPARE(table.Cell(kShiftMark, 2), std::string("<-"));
    QCOMPARE(table.Cell(kEnd, 2), std::string("00:00:07.500"));
    QCOMPARE(table.Cell(kEnd, 3), std::string("00:00:09.000"));
    QCOMPARE(table.Cell(kEnd, 4), std::string("00:00:11.000"));
    QCOMPARE(table.Cell(kChangeMarks, 3), std::string());
    QCOMPARE(Find<QTableView>("StringGrid1")->currentIndex().row(), 1);
  }

  void RowsAreInsertedDeletedAndRestored() {
    Open("main.srt", Srt({{1000, 2000, "a"}, {3000, 4000, "b"}, {5000, 6000, "c"}}));
    document::SubtitleDocument& document = window_->Document();
    auto* grid = Find<QTableView>("StringGrid1");
    grid->setCurrentIndex(grid->model()->index(1, kText));
    Action("InsertPRowPop")->trigger();
    QCOMPARE(document.main.DataRowCount(), 4);
    QCOMPARE(document.main.Cell(kText, 2), std::string());
    QCOMPARE(document.main.Cell(kStyle, 2), std::string("Default"));
    QCOMPARE(document.main.Cell(kText, 3), std::string("b"));
    QCOMPARE(document.main.Cell(document::kNumber, 4), std::string("4"));
    QCOMPARE(grid->currentIndex().row(), 1);
    Action("InsertNRowMenu")->trigger();
    QCOMPARE(document.main.DataRowCount(), 5);
    QCOMPARE(grid->currentIndex().row(), 2);

    messages_.answers = {Answer::kCancel, Answer::kOk, Answer::kOk};
    Action("DeleteRowMenu")->trigger();
    QCOMPARE(document.main.DataRowCount(), 5);
    Action("DeleteRowMenu")->trigger();
    Action("DeleteRowPop")->trigger();
    // Each deletion removes the current row (3) and the rows below move up into it.
    QCOMPARE(document.main.DataRowCount(), 3);
    QCOMPARE(document.main.Cell(kText, 2), std::string());
    QCOMPARE(document.main.Cell(kText, 3), std::string("c"));
    QCOMPARE(document.main.Cell(document::kNumber, 3), std::string("3"));
    QVERIFY(!document.document_saved);

    grid->setCurrentIndex(grid->model()->index(2, kText));
    document.main.SetCell(kText, 3, "changed");
    document.main.SetCell(kChangeMarks, 3, "C");
    messages_.answers = {Answer::kOk};
    Action("RestoreTextMenu")->trigger();
    QCOMPARE(document.main.Cell(kText, 3), std::string("c"));
    QCOMPARE(document.main.Cell(kChangeMarks, 3), std::string());
    Action("RestoreTextPop")->trigger();
    QCOMPARE(messages_.informed.back().text, std::string("m732"));
    Action("RestoreTimeMenu")->trigger();
    QCOMPARE(messages_.informed.back().text, std::string("m726"));
  }

  void UndoAndRedoKeysWorkInTheGridWhileNotEditing() {
    Open("main.srt", Srt({{1000, 2000, "a"}, {3000, 4000, "b"}, {5000, 6000, "c"}}));
    document::SubtitleDocument& document = window_->Document();
    auto* grid = Find<QTableView>("StringGrid1");
    QAction* undo = Action("UndoMenu");
    QAction* redo = Action("RedoMenu");
    QVERIFY(!undo->isEnabled());
    QVERIFY(!redo->isEnabled());
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    grid->setFocus();
    const QModelIndex second = grid->model()->index(1, kText);
    grid->setCurrentIndex(second);

    // Nothing to undo: Ctrl+Z neither opens the cell editor nor counts as typing.
    QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(grid->indexWidget(second) == nullptr);
    QCOMPARE(document.main.Cell(kChangeMarks, 2), std::string());
    QVERIFY(document.document_saved);

    // A value typed into the cell is one step.
    QTest::keyClick(grid, Qt::Key_X);
    QWidget* editor = QApplication::focusWidget();
    QVERIFY(editor != grid);
    QTest::keyClick(editor, Qt::Key_Y);
    QTest::keyClick(editor, Qt::Key_Return);  // the view commits it from its event queue
    QTRY_COMPARE(document.main.Cell(kText, 2), std::string("xy"));
    QCOMPARE(document.main.Cell(kChangeMarks, 2), std::string("C"));
    QVERIFY(undo->isEnabled());
    Action("InsertNRowMenu")->trigger();
    QCOMPARE(document.main.DataRowCount(), 4);
    grid->setFocus();

    QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(document.main.DataRowCount(), 3);
    QCOMPARE(grid->currentIndex().row(), 1);  // back on the row the insert started from
    QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(document.main.Cell(kText, 2), std::string("b"));
    QCOMPARE(document.main.Cell(kChangeMarks, 2), std::string());
    QVERIFY(document.document_saved);
    QVERIFY(!undo->isEnabled());
    QVERIFY(redo->isEnabled());

    QTest::keyClick(grid, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(document.main.Cell(kText, 2), std::string("xy"));
    QVERIFY(!document.document_saved);
    QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(document.main.DataRowCount(), 4);
    QVERIFY(!redo->isEnabled());

    // While a cell is being edited, Ctrl+Z belongs to its editor, not to the document.
    QTest::keyClick(grid, Qt::Key_Q);
    editor = QApplication::focusWidget();
    QVERIFY(editor != grid);
    QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(document.main.DataRowCount(), 4);
    QCOMPARE(document.main.Cell(kText, 2), std::string("xy"));
    QTest::keyClick(editor, Qt::Key_Escape);
  }

 private:
  void Open(const char* name, const std::string& content) {
    dialogs_.open_paths.push_back(folder_->Write(name, content));
    Action("OpenSrtMenu")->trigger();
    QCOMPARE(window_->Document().source_file, folder_->path() / name);
  }
  QAction* Action(const char* name) {
    auto* action = window_->findChild<QAction*>(QString::fromLatin1(name));
    Q_ASSERT(action != nullptr);
    return action;
  }
  template <typename T>
  T* Find(const char* name) {
    return ui_tests::Child<T>(*window_, name);
  }
  void RightClick(int row, int column) {
    auto* grid = Find<QTableView>("StringGrid1");
    const QRect cell = grid->visualRect(grid->model()->index(row - 1, column));
    emit grid->customContextMenuRequested(cell.center());
  }

  std::unique_ptr<testing_support::TempDir> folder_;
  testing_support::FakeMessages messages_;
  testing_support::FakeFileDialogs dialogs_;
  NoLibrary library_;
  std::unique_ptr<ui::MainWindow> window_;
};

}  // namespace

namespace ui_tests {
QObject* NewProofToolsTest() {
  return new ProofToolsTest();
}
}  // namespace ui_tests

#include "proof_tools_test.moc"

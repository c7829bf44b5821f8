// The Chinese script conversion panel in the real main window on the offscreen platform: the
// preview of all or selected rows, writing it with the marks of an edit, the reference subtitle,
// the captions' language, and the command disabled when OpenCC's data is missing.
#include "ui/chinese_tools.h"

#include <QAction>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "app/message_numbers.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"
#include "text/gbk.h"
#include "ui/main_window.h"
#include "ui/qt_convert.h"
#include "ui_tests.h"
#include "window_fixture.h"

namespace {

using document::kChangeMarks;
using document::kText;

// language.sys where line i reads "m<i>" up to the conversion's messages and its status text.
std::string LongNumberedLanguageFile() {
  std::string file;
  for (int i = 0; i < 1762; ++i) {
    file += "m" + std::to_string(i) + "\r\n";
  }
  return file;
}

std::string Gbk(const char* utf8) {
  return text::Utf8ToGbk(utf8).text;
}

// A GBK SRT with one entry per text.
std::string Srt(const std::vector<const char*>& utf8_texts) {
  std::string file;
  int number = 1;
  for (const char* body : utf8_texts) {
    file += std::to_string(number) + "\r\n00:00:0" + std::to_string(number) + ",000 --> 00:00:0" +
            std::to_string(number) + ",500\r\n" + Gbk(body) + "\r\n\r\n";
    ++number;
  }
  return file;
}

class ChineseToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<testing_support::TempDir>();
    folder_->Write("language.sys", LongNumberedLanguageFile());
    folder_->Write("setup.sys", testing_support::SettingsFile());
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

  void PreviewListsChangedRowsAndOkWritesThemAsEdits() {
    Open("main.srt", Srt({"头发", "ok", "发展"}));
    document::SubtitleDocument& document = window_->Document();
    document.main.SetCell(kChangeMarks, 3, "T");
    QVERIFY(Action("ConvertChineseMenu")->isEnabled());
    Action("ConvertChineseMenu")->trigger();
    QVERIFY(Find<QWidget>("ChinesePanel")->isVisible());
    auto* grid = Find<QTableWidget>("ChineseGrid");
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("1"));
    QCOMPARE(grid->item(0, 1)->text(), QStringLiteral("头发"));
    QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("頭髮"));
    QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("3"));
    QCOMPARE(Find<QLabel>("ChineseStatus")->text(), QStringLiteral("m14582m1461"));
    QVERIFY(document.document_saved);

    Find<QPushButton>("ChineseOk")->click();
    QVERIFY(!Find<QWidget>("ChinesePanel")->isVisible());
    QCOMPARE(Find<QLabel>("StatusText")->text(), QStringLiteral("m17372m1740"));
    QCOMPARE(document.main.Cell(kText, 1), Gbk("頭髮"));
    QCOMPARE(document.main.Cell(kText, 2), std::string("ok"));
    QCOMPARE(document.main.Cell(kText, 3), Gbk("發展"));
    QCOMPARE(document.main.Cell(kChangeMarks, 1), std::string("C"));
    QCOMPARE(document.main.Cell(kChangeMarks, 2), std::string());
    QCOMPARE(document.main.Cell(kChangeMarks, 3), std::string("TC"));
    QCOMPARE(document.main.Cell(document::kBaseText, 1), Gbk("头发"));
    QVERIFY(!document.document_saved);
    // The main grid shows the new text.
    auto* main_grid = Find<QTableView>("StringGrid1");
    QCOMPARE(main_grid->model()->index(0, kText).data().toString(), QStringLiteral("頭髮"));
  }

  void DirectionAndSelectedRowsChooseWhatIsConverted() {
    Open("main.srt", Srt({"頭髮", "乾燥", "幹部"}));
    auto* main_grid = Find<QTableView>("StringGrid1");
    QItemSelectionModel* selection = main_grid->selectionModel();
    selection->select(main_grid->model()->index(1, kText), QItemSelectionModel::ClearAndSelect);
    selection->select(main_grid->model()->index(2, kText), QItemSelectionModel::Select);
    Action("ConvertChineseMenu")->trigger();
    auto* grid = Find<QTableWidget>("ChineseGrid");
    QCOMPARE(grid->rowCount(), 0);  // Simplified to Traditional changes nothing here
    QCOMPARE(Find<QLabel>("ChineseStatus")->text(), QStringLiteral("m1497"));
    QVERIFY(!Find<QPushButton>("ChineseOk")->isEnabled());

    auto* direction = Find<QComboBox>("ChineseDirectionBox");
    QCOMPARE(direction->count(), 8);
    QTest::keyClick(direction, Qt::Key_Down);  // Traditional to Simplified
    QCOMPARE(direction->currentIndex(), 1);
    QCOMPARE(grid->rowCount(), 3);
    Find<QRadioButton>("ChineseSelectedRows")->setChecked(true);
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("干燥"));
    QCOMPARE(grid->item(1, 2)->text(), QStringLiteral("干部"));
    Find<QPushButton>("ChineseOk")->click();
    const document::RowTable& table = window_->Document().main;
    QCOMPARE(table.Cell(kText, 1), Gbk("頭髮"));
    QCOMPARE(table.Cell(kText, 2), Gbk("干燥"));
    QCOMPARE(table.Cell(kText, 3), Gbk("干部"));
  }

  void KeptCharactersAreReportedAndCancelWritesNothing() {
    Open("main.srt", Srt({"鱲魚"}));
    Action("ConvertChineseMenu")->trigger();
    QTest::keyClick(Find<QComboBox>("ChineseDirectionBox"), Qt::Key_Down);
    auto* report = Find<QPlainTextEdit>("ChineseReport");
    QVERIFY(!report->isHidden());
    QCOMPARE(report->toPlainText(), QStringLiteral("m14641m1467鱲m1470U+2B6ADm1473"));
    QCOMPARE(Find<QTableWidget>("ChineseGrid")->item(0, 2)->text(), QStringLiteral("鱲鱼"));
    Find<QPushButton>("ChineseCancel")->click();
    QVERIFY(!Find<QWidget>("ChinesePanel")->isVisible());
    QCOMPARE(window_->Document().main.Cell(kText, 1), Gbk("鱲魚"));
    QVERIFY(window_->Document().document_saved);
  }

  void ReferenceSubtitleIsConvertedTheSameWay() {
    Open("main.srt", Srt({"头发"}));
    Action("ConvertChineseMenu")->trigger();
    QVERIFY(!Find<QRadioButton>("ChineseReferenceTable")->isEnabled());
    Find<QPushButton>("ChineseCancel")->click();

    dialogs_.open_paths.push_back(folder_->Write("reference.srt", Srt({"頭髮", "後天"})));
    Action("OpenSecSrtMenu")->trigger();
    Action("ConvertChineseMenu")->trigger();
    auto* reference = Find<QRadioButton>("ChineseReferenceTable");
    QVERIFY(reference->isEnabled());
    QTest::keyClick(Find<QComboBox>("ChineseDirectionBox"), Qt::Key_Down);
    reference->setChecked(true);
    QCOMPARE(Find<QTableWidget>("ChineseGrid")->rowCount(), 2);
    Find<QPushButton>("ChineseOk")->click();
    const document::SubtitleDocument& document = window_->Document();
    QCOMPARE(document.reference.Cell(kText, 1), Gbk("头发"));
    QCOMPARE(document.reference.Cell(kText, 2), Gbk("后天"));
    QCOMPARE(document.main.Cell(kText, 1), Gbk("头发"));
    QVERIFY(!document.reference_saved);
    QVERIFY(document.document_saved);
  }

  void CaptionsFollowTheLanguage() {
    Open("main.srt", Srt({"头发"}));
    Action("N16")->trigger();  // English: message N reads m<N+3>
    QCOMPARE(Action("ConvertChineseMenu")->text(), QStringLiteral("m1403"));
    QCOMPARE(Find<QPushButton>("ChineseOk")->text(), QStringLiteral("m1454"));
    QCOMPARE(Find<QComboBox>("ChineseDirectionBox")->itemText(7), QStringLiteral("m1433"));
    QCOMPARE(Find<QTableWidget>("ChineseGrid")->horizontalHeaderItem(2)->text(),
             QStringLiteral("m1451"));
    QCOMPARE(Find<QRadioButton>("ChineseSelectedRows")->text(), QStringLiteral("m1439"));
  }

  void CommandIsDisabledWithAStatusTextWhenOpenCcDataIsMissing() {
    window_.reset();
    testing_support::TempDir empty;
    qputenv("ZENTROPE_OPENCC_DATA", empty.path().string().c_str());
    window_ =
        ui_tests::StartWindow(ui_tests::TestSetup(folder_->path(), messages_, dialogs_, &library_));
    qunsetenv("ZENTROPE_OPENCC_DATA");
    QVERIFY(window_ != nullptr);
    Open("main.srt", Srt({"头发"}));
    QAction* command = Action("ConvertChineseMenu");
    QVERIFY(Action("Check1Menu")->isEnabled());
    QVERIFY(!command->isEnabled());
    const QString expected = QStringLiteral("m1479") +
                             ui::PathToQString(empty.path() / "s2t.json") + QStringLiteral("m1482");
    QCOMPARE(command->statusTip(), expected);
    QCOMPARE(command->toolTip(), expected);
    command->trigger();  // a disabled action does nothing, and neither does a forced one
    QVERIFY(!Find<QWidget>("ChinesePanel")->isVisible());
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

  std::unique_ptr<testing_support::TempDir> folder_;
  testing_support::FakeMessages messages_;
  testing_support::FakeFileDialogs dialogs_;
  testing_support::NoLibrary library_;
  std::unique_ptr<ui::MainWindow> window_;
};

}  // namespace

namespace ui_tests {
QObject* NewChineseToolsTest() {
  return new ChineseToolsTest();
}
}  // namespace ui_tests

#include "chinese_tools_test.moc"

// The real main window on the offscreen platform, driven through its actions with fake ports.
#include "ui/main_window.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QUrl>
#include <memory>

#include "document/row_table.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"
#include "text/line_file.h"
#include "ui/floating_panel.h"
#include "ui/qt_ports.h"
#include "ui_tests.h"
#include "window_fixture.h"

namespace {

using testing_support::NumberedLanguageFile;
using testing_support::SettingsFile;

using ports::Answer;

class FakeLibrary : public app::GlyphLibraryPort {
 public:
  text::Status Load(ports::MessagePort&, const ports::MessageSource&, ports::EventPump&) override {
    if (fail_load) {
      return text::Error{"missing", "no library", 0};
    }
    return text::Success();
  }
  int JournalCount() const override {
    return journal;
  }
  text::Status ArchiveJournal() override {
    ++archived;
    journal = 0;
    return text::Success();
  }
  bool fail_load = false;
  int journal = 0;
  int archived = 0;
};

constexpr const char* kTextSrt =
    "1\r\n00:00:01,000 --> 00:00:02,500\r\nHello\r\n\r\n"
    "2\r\n00:00:03,000 --> 00:00:04,000\r\n\xD7\xD6\xC4\xBB\r\n\r\n";  // 字幕
constexpr const char* kPictureSrt =
    "1\r\n00:00:01,000 --> 00:00:02,000\r\nsub1.bmp\r\n\r\n"
    "2\r\n00:00:03,000 --> 00:00:04,000\r\nsub2.bmp\r\n\r\n";

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<testing_support::TempDir>();
    folder_->Write("language.sys", NumberedLanguageFile());
    folder_->Write("setup.sys", SettingsFile());
    folder_->Write("replace.sys", "");
    messages_ = {};
    dialogs_ = {};
    library_ = {};
    opened_urls_.clear();
    window_ = NewWindow();
    QVERIFY(window_ != nullptr);
    QVERIFY(window_->Activate());
  }

  void cleanup() {
    window_.reset();
    folder_.reset();
  }

  void StartFailsWithoutItsWorkingFiles() {
    std::filesystem::remove(folder_->path() / "language.sys");
    QVERIFY(NewWindow() == nullptr);
    QCOMPARE(messages_.informed.size(), size_t{1});
    // A library that cannot be loaded ends the program after its message.
    folder_->Write("language.sys", NumberedLanguageFile());
    library_.fail_load = true;
    auto window = NewWindow();
    window->show();
    QVERIFY(!window->Activate());
    QVERIFY(!window->isVisible());
  }

  void FixedNamesExistWithTheirTypes() {
    const std::pair<const char*, const char*> names[] = {
        {"FileMenu", "QMenu"},
        {"EditMenu", "QMenu"},
        {"ReadMenu", "QMenu"},
        {"CheckMenu", "QMenu"},
        {"EditBmpMenu", "QMenu"},
        {"WordMenu", "QMenu"},
        {"SetupMenu", "QMenu"},
        {"N9", "QMenu"},
        {"HelpMenu", "QMenu"},
        {"PopupMenu1", "QMenu"},
        {"OpenSrtMenu", "QAction"},
        {"CloseSrtMenu", "QAction"},
        {"SaveSrtMenu", "QAction"},
        {"OpenSecSrtMenu", "QAction"},
        {"SaveSecSrtMenu", "QAction"},
        {"ExitFormMenu", "QAction"},
        {"UndoMenu", "QAction"},
        {"RedoMenu", "QAction"},
        {"StartReadMenu", "QAction"},
        {"StopReadMenu", "QAction"},
        {"CheckRowMenu", "QAction"},
        {"Check1Menu", "QAction"},
        {"ChkTimeMenu", "QAction"},
        {"FindReplaceMenu", "QAction"},
        {"CreatBlankMenu", "QAction"},
        {"CompareCheckMenu", "QAction"},
        {"InsertPRowMenu", "QAction"},
        {"InsertNRowMenu", "QAction"},
        {"DeleteRowMenu", "QAction"},
        {"RestoreTimeMenu", "QAction"},
        {"RestoreTextMenu", "QAction"},
        {"CutBmpMenu", "QAction"},
        {"EditWordMenu", "QAction"},
        {"AddWordMenu", "QAction"},
        {"OutWordMenu", "QAction"},
        {"CheckWordMenu", "QAction"},
        {"CreatIndexMenu", "QAction"},
        {"SetProMenu", "QAction"},
        {"N14", "QAction"},
        {"N15", "QAction"},
        {"N16", "QAction"},
        {"HelpFileMenu", "QAction"},
        {"AboutMenu", "QAction"},
        {"InsertPRowPop", "QAction"},
        {"InsertNRowPop", "QAction"},
        {"DeleteRowPop", "QAction"},
        {"RestoreTimePop", "QAction"},
        {"RestoreTextPop", "QAction"},
        {"OpenSrtBut", "QToolButton"},
        {"SaveSrtBut", "QToolButton"},
        {"OpenSecSrtBut", "QToolButton"},
        {"SaveSecSrtBut", "QToolButton"},
        {"StartReadBut", "QToolButton"},
        {"StopReadBut", "QToolButton"},
        {"CheckRowBut", "QToolButton"},
        {"Check1But", "QToolButton"},
        {"ChkTimeBut", "QToolButton"},
        {"FindReplaceBut", "QToolButton"},
        {"CreatBlankBut", "QToolButton"},
        {"CompareCheckBut", "QToolButton"},
        {"EditWordBut", "QToolButton"},
        {"AddWordBut", "QToolButton"},
        {"OutWordBut", "QToolButton"},
        {"SetProBut", "QToolButton"},
        {"StringGrid1", "QTableView"},
        {"StringGrid7", "QTableView"},
        {"Panel2", "QFrame"},
        {"Panel9", "QFrame"},
        {"Panel14", "QFrame"},
        {"Panel1", "QFrame"},
        {"Image1", "QLabel"},
        {"Panel19", "QFrame"},
        {"Panel20", "QFrame"},
        {"Panel22", "QFrame"},
        {"Panel3", "ui::FloatingPanel"},
        {"Panel6", "ui::FloatingPanel"},
        {"Panel11", "ui::FloatingPanel"},
        {"Panel15", "ui::FloatingPanel"},
        {"Panel21", "ui::FloatingPanel"},
        {"Panel23", "ui::FloatingPanel"},
        {"Panel24", "ui::FloatingPanel"},
        {"Panel25", "ui::FloatingPanel"},
        {"Panel10", "ui::FloatingPanel"},
        {"Panel13", "ui::FloatingPanel"},
        {"Label36", "QLabel"},
        {"Button19", "QPushButton"},
        {"StatusBar1", "QStatusBar"},
    };
    QCOMPARE(window_->objectName(), QStringLiteral("MainForm"));
    for (const auto& [name, type] : names) {
      QObject* found = window_->findChild<QObject*>(QString::fromLatin1(name));
      QVERIFY2(found != nullptr, name);
      QVERIFY2(found->inherits(type), name);
    }
  }

  void CommandStatesFollowWhatIsOpen() {
    struct Case {
      const char* command;
      bool at_start;
      bool text_open;
      bool picture_open;
    };
    const Case cases[] = {
        {"OpenSrtMenu", true, true, true},     {"CloseSrtMenu", false, true, true},
        {"SaveSrtMenu", false, true, true},    {"StartReadMenu", false, false, true},
        {"StopReadMenu", false, false, false}, {"CheckRowMenu", false, false, true},
        {"Check1Menu", false, true, true},     {"DeleteRowPop", false, true, true},
        {"OpenSecSrtMenu", true, true, true},  {"SaveSecSrtMenu", false, false, false},
        {"CreatIndexMenu", true, true, true},
    };
    auto check = [&](bool Case::*column) {
      for (const Case& c : cases) {
        QVERIFY2(Action(c.command)->isEnabled() == c.*column, c.command);
      }
    };
    check(&Case::at_start);
    QVERIFY(!Menu("ReadMenu")->isEnabled());
    OpenFile("text.srt", kTextSrt);
    check(&Case::text_open);
    QVERIFY(!Menu("ReadMenu")->isEnabled());
    QVERIFY(Menu("EditBmpMenu")->isEnabled());
    QCOMPARE(window_->Application().Commands().Recorded(), 7);
    OpenFile("pictures.srt", kPictureSrt);
    check(&Case::picture_open);
    QVERIFY(Menu("ReadMenu")->isEnabled());
    QCOMPARE(window_->Application().Commands().Recorded(), 1);
  }

  void OpenShowsTheLinesInTheGrid() {
    const auto path = OpenFile("text.srt", kTextSrt);
    QAbstractItemModel* model = Grid()->model();
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(0, document::kText).data().toString(), QStringLiteral("Hello"));
    QCOMPARE(model->index(1, document::kText).data().toString(),
             QString::fromUtf8("\xE5\xAD\x97\xE5\xB9\x95"));
    QCOMPARE(model->index(0, document::kStart).data().toString(), QStringLiteral("00:00:01.000"));
    // "[*]" is Qt's place for the unsaved mark: nothing shows while the subtitle is saved.
    QCOMPARE(window_->windowTitle(), QStringLiteral("Zentrope V3.13--") +
                                         QString::fromStdString(path.string()) +
                                         QStringLiteral("[*]"));
    QVERIFY(!window_->isWindowModified());
    QCOMPARE(Grid()->currentIndex().row(), 0);
    QCOMPARE(Grid()->currentIndex().column(), int{document::kText});
    // The open dialog offers SRT, SSA, ASS and WebVTT and starts from the document's extension.
    QCOMPARE(dialogs_.open_filters.back().entries.size(), size_t{1});
    QCOMPARE(dialogs_.open_filters.back().entries[0].second,
             std::string("*.srt;*.ssa;*.ass;*.vtt"));
    QCOMPARE(dialogs_.open_filters.back().default_extension, std::string(".srt"));
    // Status panel 0: message 419, the row count, message 425 (text subtitle).
    auto* status = window_->findChild<QLabel*>(QStringLiteral("StatusText"));
    QCOMPARE(status->text(), QStringLiteral("m4202m426"));
  }

  void OpenRefusesAnUnknownExtension() {
    OpenFile("notes.txt", kTextSrt);
    QCOMPARE(messages_.informed.size(), size_t{1});
    QCOMPARE(messages_.informed[0].text, std::string("m417"));
    QCOMPARE(Grid()->model()->rowCount(), 1);
  }

  void EditingACellChangesTheDocument() {
    OpenFile("text.srt", kTextSrt);
    QAbstractItemModel* model = Grid()->model();
    QVERIFY(model->setData(model->index(0, document::kText), QString::fromUtf8("\xE4\xBD\xA0")));
    QVERIFY(model->setData(model->index(1, document::kEnd), QStringLiteral("00:00:05.000")));
    const document::RowTable& table = window_->Document().main;
    QCOMPARE(table.Cell(document::kText, 1), std::string("\xC4\xE3"));  // 你
    QCOMPARE(table.Cell(document::kChangeMarks, 1), std::string("C"));
    QCOMPARE(table.Cell(document::kChangeMarks, 2), std::string("T"));
    QVERIFY(!window_->Document().document_saved);
    // A character GBK cannot hold is refused with a message, never stored as '?'.
    QVERIFY(
        !model->setData(model->index(0, document::kText), QString::fromUtf8("\xF0\x9F\x98\x80")));
    QCOMPARE(table.Cell(document::kText, 1), std::string("\xC4\xE3"));
    QCOMPARE(messages_.informed.size(), size_t{1});
  }

  void TimeCellsTakeTheAcceptedFormsAndRefuseTheRest() {
    OpenFile("text.srt", kTextSrt);
    QAbstractItemModel* model = Grid()->model();
    const document::RowTable& table = window_->Document().main;
    struct Case {
      const char* typed;
      bool accepted;
      const char* cell;  // the start of row 1 afterwards
    };
    const Case cases[] = {
        {"1:02:03.5", true, "01:02:03.500"}, {"00:00:07,250", true, "00:00:07.250"},
        {"02:03.456", true, "00:02:03.456"}, {"abc", false, "00:02:03.456"},
        {"12:34", false, "00:02:03.456"},    {"00:61:00.000", false, "00:02:03.456"},
    };
    for (const Case& c : cases) {
      messages_.informed.clear();
      QCOMPARE(model->setData(model->index(0, document::kStart), QString::fromLatin1(c.typed)),
               c.accepted);
      QCOMPARE(table.Cell(document::kStart, 1), std::string(c.cell));
      // A refusal names the expected form; the cell keeps its value.
      QCOMPARE(messages_.informed.size(), size_t{c.accepted ? 0u : 1u});
    }
  }

  void SaveDialogsEncodingIsWrittenAndReadBack() {
    OpenFile("text.srt", kTextSrt);
    dialogs_.save_paths = {folder_->path() / "u.srt", folder_->path() / "g.srt"};
    dialogs_.save_list_selections = {1};
    Action("SaveSrtMenu")->trigger();
    QCOMPARE(dialogs_.save_lists.at(0).entries.size(), size_t{3});
    QCOMPARE(dialogs_.save_lists.at(0).selected, 0);
    QVERIFY(folder_->Read("u.srt").find("\xE5\xAD\x97\xE5\xB9\x95") != std::string::npos);
    QCOMPARE(window_->Application().Settings().SaveEncoding(), 1);
    // The status says what was saved and how; the title names the file.
    QCOMPARE(Child<QLabel>("StatusText")->text(), QStringLiteral("m1284"));
    QVERIFY(window_->windowTitle().contains(QStringLiteral("u.srt")));
    // The next save opens at the remembered encoding.
    Action("SaveSrtMenu")->trigger();
    QCOMPARE(dialogs_.save_lists.at(1).selected, 1);

    // The window's own dialog shows the list with the remembered entry, under the file type.
    ui::QtFileDialogPort port(window_.get());
    const ports::SaveListChoice list{"Encoding:", {"GBK", "UTF-8", "UTF-8 BOM"}, 2};
    const std::unique_ptr<QFileDialog> dialog =
        port.NewSaveDialog(ports::FileFilter{}, folder_->path() / "x.srt", &list);
    auto* box = dialog->findChild<QComboBox*>(QStringLiteral("EncodingBox"));
    QVERIFY(box != nullptr);
    QCOMPARE(box->count(), 3);
    QCOMPARE(box->currentIndex(), 2);
    QCOMPARE(dialog->findChild<QLabel*>(QStringLiteral("EncodingLabel"))->text(),
             QStringLiteral("Encoding:"));
  }

  void TitleMarksUnsavedWorkUntilSaved() {
    OpenFile("text.srt", kTextSrt);
    QVERIFY(!window_->isWindowModified());
    Grid()->model()->setData(Grid()->model()->index(0, document::kText), QStringLiteral("Hi"));
    QTRY_VERIFY(window_->isWindowModified());
    dialogs_.save_paths = {folder_->path() / "saved.srt"};
    Action("SaveSrtMenu")->trigger();
    QTRY_VERIFY(!window_->isWindowModified());
  }

  void SaveGoesToTheFirstRowItCannotWriteAsItIs() {
    OpenFile("text.srt", kTextSrt);
    window_->Document().main.SetCell(document::kEnd, 2, "00:00:01.000");  // before its start
    dialogs_.save_paths = {folder_->path() / "no.srt"};
    messages_.answers = {Answer::kNo};
    Action("SaveSrtMenu")->trigger();
    QVERIFY(!std::filesystem::exists(folder_->path() / "no.srt"));
    QCOMPARE(Grid()->currentIndex().row(), 1);
    QCOMPARE(Grid()->currentIndex().column(), int{document::kStart});
  }

  void RowShortcutsAndProblemRowsFromTheReview() {
    OpenFile("text.srt", kTextSrt);
    // Shortcuts reach an active window only.
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    Grid()->setFocus();
    Grid()->setCurrentIndex(Grid()->model()->index(0, document::kText));
    QTest::keyClick(Grid(), Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(window_->Document().main.DataRowCount(), 3);  // inserted after row 1
    QCOMPARE(Grid()->currentIndex().row(), 1);
    messages_.answers = {Answer::kOk};
    QTest::keyClick(Grid(), Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(messages_.asked.size(), size_t{1});  // deleting asks first
    QCOMPARE(window_->Document().main.DataRowCount(), 2);
    QCOMPARE(Action("StartReadMenu")->shortcut(), QKeySequence(Qt::Key_F5));
    QCOMPARE(Action("StopReadMenu")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F5));

    // The review lists rows 2 and 1 (and its empty entry row): F8 and Shift+F8 walk them.
    auto* review = Child<QTableWidget>("StringGrid3");
    review->setRowCount(3);
    review->setItem(0, 0, new QTableWidgetItem(QStringLiteral("2")));
    review->setItem(1, 0, new QTableWidgetItem(QStringLiteral("1")));
    review->setCurrentCell(2, 0);
    for (const int expected : {2, 1, 2}) {
      QTest::keyClick(Grid(), Qt::Key_F8);
      QCOMPARE(window_->Document().current_row, expected);
      QCOMPARE(Grid()->currentIndex().row(), expected - 1);
    }
    QTest::keyClick(Grid(), Qt::Key_F8, Qt::ShiftModifier);
    QCOMPARE(window_->Document().current_row, 1);
  }

  void SavesAsSrtAndSsa() {
    folder_->Write("ssahead.txt",
                   "[Events]\r\nFormat: Marked, Start, End, Style, Name, MarginL, MarginR, "
                   "MarginV, Effect, Text\r\n");
    OpenFile("text.srt", kTextSrt);
    Grid()->model()->setData(Grid()->model()->index(0, document::kText), QStringLiteral("Hi"));
    dialogs_.save_paths.push_back(folder_->path() / "out.srt");
    Action("SaveSrtMenu")->trigger();
    QCOMPARE(folder_->Read("out.srt"),
             std::string("1\r\n00:00:01,000 --> 00:00:02,500\r\nHi\r\n\r\n"
                         "2\r\n00:00:03,000 --> 00:00:04,000\r\n\xD7\xD6\xC4\xBB\r\n\r\n"));
    QVERIFY(window_->Document().document_saved);
    QCOMPARE(dialogs_.save_suggestions.back(), folder_->path() / "text.srt");
    // A name without a known extension gets the dialog's default extension.
    dialogs_.save_paths.push_back(folder_->path() / "out.ssa");
    Action("SaveSrtMenu")->trigger();
    const std::string ssa = folder_->Read("out.ssa");
    QVERIFY(ssa.find("Dialogue: Marked=0,0:00:01.00,0:00:02.50,Default,,0000,0000,0000,,Hi\r\n") !=
            std::string::npos);
    dialogs_.save_paths.push_back(folder_->path() / "plain");
    Action("SaveSrtMenu")->trigger();
    QVERIFY(!folder_->Read("plain.ssa").empty());
  }

  void CloseWithUnsavedWorkAsks() {
    OpenFile("text.srt", kTextSrt);
    Grid()->model()->setData(Grid()->model()->index(0, document::kText), QStringLiteral("x"));
    messages_.answers = {Answer::kCancel};
    Action("CloseSrtMenu")->trigger();
    QCOMPARE(messages_.asked.size(), size_t{1});
    QCOMPARE(messages_.asked[0].text, std::string("m636"));
    QCOMPARE(messages_.asked[0].caption, std::string("m414"));
    QCOMPARE(Grid()->model()->rowCount(), 2);
    // Yes with a cancelled save dialog keeps the document too.
    messages_.answers = {Answer::kYes};
    Action("CloseSrtMenu")->trigger();
    QCOMPARE(Grid()->model()->rowCount(), 2);
    messages_.answers = {Answer::kNo};
    Action("CloseSrtMenu")->trigger();
    QCOMPARE(Grid()->model()->rowCount(), 1);
    QCOMPARE(window_->Application().Commands().Recorded(), 0);
    QVERIFY(!Action("CloseSrtMenu")->isEnabled());
  }

  void LanguageSwitchChangesEveryCaption() {
    Action("N16")->trigger();
    QCOMPARE(Action("OpenSrtMenu")->text(), QStringLiteral("m5"));
    QCOMPARE(Action("OpenSrtMenu")->toolTip(), QStringLiteral("m5"));
    QCOMPARE(Action("InsertPRowPop")->text(), QStringLiteral("m53"));
    QCOMPARE(Menu("FileMenu")->title(), QStringLiteral("m2"));
    QCOMPARE(Grid()->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("m341"));
    QCOMPARE(Grid()->model()->headerData(5, Qt::Horizontal).toString(), QStringLiteral("TCF"));
    QCOMPARE(window_->findChild<QWidget*>("Button19")->property("text").toString(),
             QStringLiteral("m338"));
    QVERIFY(Action("N16")->isChecked());
    QVERIFY(!Action("N14")->isChecked());
    QCOMPARE(window_->Application().Settings().Line(settings::kLanguage), std::string("3"));
    Action("N15")->trigger();
    QCOMPARE(Menu("FileMenu")->title(), QStringLiteral("m1"));
    Action("N14")->trigger();
    QCOMPARE(Action("OpenSrtMenu")->text(), QStringLiteral("m3"));
    QCOMPARE(window_->Application().Settings().Line(settings::kLanguage), std::string("1"));
  }

  void HelpOpensTheGuideOrSaysItIsMissing() {
    Action("HelpFileMenu")->trigger();
    QCOMPARE(messages_.informed.size(), size_t{1});
    QCOMPARE(messages_.informed[0].text, std::string("m741"));
    QVERIFY(window_->findChild<QWidget*>(QStringLiteral("HelpWindow")) == nullptr);
    folder_->Write("help.html", "<html><body>guide</body></html>");
    Action("HelpFileMenu")->trigger();
    auto* help = window_->findChild<QWidget*>(QStringLiteral("HelpWindow"));
    QVERIFY(help != nullptr && help->isVisible());
    QVERIFY(opened_urls_.empty());  // no browser needed
    help->close();
  }

  void AboutShowsThePanelWithItsCloseButton() {
    auto* panel = window_->findChild<QWidget*>(QStringLiteral("Panel24"));
    QVERIFY(panel->isHidden());
    Action("AboutMenu")->trigger();
    QVERIFY(!panel->isHidden());
    auto* close = window_->findChild<QWidget*>(QStringLiteral("AboutClose"));
    QCOMPARE(close->property("text").toString(), QStringLiteral("m198"));
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(panel->isHidden());
  }

  void ExitAsksOnceAndSavesSettings() {
    OpenFile("text.srt", kTextSrt);
    Grid()->model()->setData(Grid()->model()->index(0, document::kText), QStringLiteral("x"));
    library_.journal = 2;
    messages_.answers = {Answer::kCancel};
    Action("ExitFormMenu")->trigger();
    QCOMPARE(folder_->Read("setup.sys"), SettingsFile());  // a refused exit writes nothing
    QCOMPARE(library_.archived, 0);
    messages_.answers = {Answer::kNo, Answer::kNo};
    window_->show();
    Action("ExitFormMenu")->trigger();
    QVERIFY(!window_->isVisible());
    // The window close that follows the exit asks nothing again.
    QCOMPARE(messages_.asked.size(), size_t{2});
    QCOMPARE(messages_.asked[1].text, std::string("m432"));  // Exit: message 431
    const auto lines = text::SplitLines(folder_->Read("setup.sys"));
    QCOMPARE(lines.size(), size_t{23});
    QCOMPARE(lines[settings::kOpenFolder], folder_->path().string());
    QCOMPARE(library_.archived, 1);
  }

  void PanelsCentreAndDrag() {
    struct Case {
      QSize area, panel;
      int offset;
      QPoint expected;
    };
    const Case cases[] = {
        {{800, 600}, {345, 233}, 60, {227, 123}},
        {{801, 601}, {225, 41}, 30, {288, 250}},
        {{300, 200}, {609, 361}, 60, {-154, -140}},  // wider than the window: negative
    };
    for (const Case& c : cases) {
      QCOMPARE(ui::FloatingPanel::CentredPosition(c.area, c.panel, c.offset), c.expected);
    }
    auto* panel = window_->findChild<ui::FloatingPanel*>(QStringLiteral("Panel13"));
    panel->show();
    const QPoint start = panel->pos();
    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(10, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(30, 15), panel->mapToGlobal(QPointF(30, 15)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(panel, &move);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(30, 15));
    QCOMPARE(panel->pos(), start + QPoint(20, 5));
  }

  void ColumnWidthsFollowTheWindowWidth() {
    // The layout's widths for style and margins; 0: the column is hidden at that width.
    struct Case {
      int window_width;
      int style, margin_left, margin_vertical;
    };
    const Case cases[] = {
        {1030, 80, 40, 40},  // grid 1000 wide
        {800, 45, 0, 0},     // grid 770 wide
        {600, 0, 0, 0},      // grid 570 wide
    };
    window_->show();
    for (const Case& c : cases) {
      window_->resize(c.window_width, 700);
      window_->LayOut();
      QCOMPARE(Grid()->width(), c.window_width - 30);
      // Time columns hold a whole time in the font in use.
      const int time_width = Grid()->columnWidth(document::kStart);
      QVERIFY(time_width >= 80);
      QVERIFY(time_width > Grid()->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00.000")));
      QCOMPARE(Grid()->columnWidth(document::kEnd), time_width);
      const std::pair<int, int> optional_columns[] = {{document::kStyle, c.style},
                                                      {document::kMarginL, c.margin_left},
                                                      {document::kMarginV, c.margin_vertical}};
      for (const auto& [column, width] : optional_columns) {
        QCOMPARE(Grid()->isColumnHidden(column), width == 0);
        QVERIFY(Grid()->columnWidth(column) >= width);  // wider only to hold its heading
      }
      QVERIFY(Grid()->isColumnHidden(document::kPicture));
      // The text column takes what the others leave.
      QCOMPARE(Grid()->horizontalHeader()->length(), Grid()->viewport()->width());
      QVERIFY(Grid()->columnWidth(document::kText) >= 80);
      QCOMPARE(window_->findChild<QTableView*>("StringGrid7")->width(), 1);
    }
  }

  void WaitPanelStaysAboveAPressedPanel() {
    auto* wait = window_->findChild<ui::FloatingPanel*>(QStringLiteral("Panel23"));
    auto* find = window_->findChild<ui::FloatingPanel*>(QStringLiteral("Panel13"));
    auto* about = window_->findChild<ui::FloatingPanel*>(QStringLiteral("Panel24"));
    window_->show();
    for (QWidget* panel :
         {static_cast<QWidget*>(wait), static_cast<QWidget*>(find), static_cast<QWidget*>(about)}) {
      panel->show();
    }
    QTest::mousePress(find, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseRelease(find, Qt::LeftButton, {}, QPoint(5, 5));
    // Children are stacked in list order: the last one is on top.
    const QObjectList stack = find->parentWidget()->children();
    QVERIFY(stack.indexOf(find) > stack.indexOf(about));
    QVERIFY(stack.indexOf(wait) > stack.indexOf(find));
  }

  void PictureAndTextSubtitlesShowTheirPanels() {
    struct Case {
      const char* file;
      const char* content;
      bool picture_panels;
    };
    const Case cases[] = {{"pictures.srt", kPictureSrt, true}, {"text.srt", kTextSrt, false}};
    for (const Case& c : cases) {
      OpenFile(c.file, c.content);
      for (const char* name : {"Panel9", "Panel1", "Panel14"}) {
        QVERIFY2(window_->findChild<QWidget*>(name)->isHidden() != c.picture_panels, name);
      }
      for (const char* name : {"Panel19", "Panel20"}) {
        QVERIFY2(window_->findChild<QWidget*>(name)->isHidden() == c.picture_panels, name);
      }
    }
  }

  void DesktopShortcutsReachTheirCommands() {
    const std::pair<const char*, QKeySequence> shortcuts[] = {
        {"OpenSrtMenu", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"SaveInPlaceMenu", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"SaveSrtMenu", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"FindReplaceMenu", QKeySequence(Qt::CTRL | Qt::Key_F)},
        {"ExitFormMenu", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"UndoMenu", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {"RedoMenu", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
    };
    for (const auto& [name, keys] : shortcuts) {
      QVERIFY2(Action(name)->shortcut() == keys, name);
    }
  }

  void CommandsNotBuiltYetSaySo() {
    Action("CompareCheckMenu")->setEnabled(true);
    Action("CompareCheckMenu")->trigger();
    QCOMPARE(messages_.informed.size(), size_t{1});
    QVERIFY(!messages_.informed[0].text.empty());
  }

 private:
  std::unique_ptr<ui::MainWindow> NewWindow() {
    ui::MainWindowSetup setup =
        ui_tests::TestSetup(folder_->path(), messages_, dialogs_, &library_);
    setup.open_url = [this](const QUrl& url) {
      opened_urls_.push_back(url);
      return true;
    };
    auto created = ui::MainWindow::Create(std::move(setup));
    return created.ok() ? std::move(created.value()) : nullptr;
  }
  std::filesystem::path OpenFile(const char* name, const char* content) {
    const auto path = folder_->Write(name, content);
    dialogs_.open_paths.push_back(path);
    Action("OpenSrtMenu")->trigger();
    return path;
  }
  QAction* Action(const char* name) {
    auto* action = window_->findChild<QAction*>(QString::fromLatin1(name));
    Q_ASSERT(action != nullptr);
    return action;
  }
  QMenu* Menu(const char* name) {
    return window_->findChild<QMenu*>(QString::fromLatin1(name));
  }
  QTableView* Grid() {
    return window_->findChild<QTableView*>(QStringLiteral("StringGrid1"));
  }
  template <typename T>
  T* Child(const char* name) {
    return ui_tests::Child<T>(*window_, name);
  }

  std::unique_ptr<testing_support::TempDir> folder_;
  testing_support::FakeMessages messages_;
  testing_support::FakeFileDialogs dialogs_;
  FakeLibrary library_;
  std::vector<QUrl> opened_urls_;
  std::unique_ptr<ui::MainWindow> window_;
};

}  // namespace

QObject* ui_tests::NewMainWindowTest() {
  return new MainWindowTest;
}

#include "main_window_test.moc"

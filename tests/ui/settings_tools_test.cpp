// The settings panel in the real main window over the shipped language file: options counting at
// once, the author entry, the phrase grid's entry row, the input-method list, Save and Cancel.
#include "ui/settings_tools.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"
#include "text/line_file.h"
#include "ui/floating_panel.h"
#include "ui/main_window.h"
#include "ui_tests.h"
#include "window_fixture.h"

namespace {

using testing_support::NoLibrary;
using testing_support::NumberedLanguageFile;
using testing_support::SettingsFile;

class SettingsToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<testing_support::TempDir>();
    const auto shipped = std::filesystem::path(ZENTROPE_SOURCE_DIR) / "data" / "language.sys";
    auto language = text::ReadFileBytes(shipped);
    QVERIFY(language.ok());
    folder_->Write("language.sys", language.value());
    folder_->Write("setup.sys", SettingsFile({{settings::kImeForNewGlyph, "1"},
                                              {settings::kImeName, "pinyin"}}));
    folder_->Write("replace.sys", "\xCF\xF3<=>\xCF\xF1\r\n");  // 象<=>像
    messages_ = {};
    ui::MainWindowSetup setup =
        ui_tests::TestSetup(folder_->path(), messages_, dialogs_, &library_);
    methods_ = {"xkb:us::eng", "pinyin"};
    setup.input_methods = [this] { return methods_; };
    switched_.clear();
    setup.switch_input_method = [this](const std::string& name) { switched_.push_back(name); };
    window_ = ui_tests::StartWindow(std::move(setup));
    QVERIFY(window_ != nullptr);
  }

  void cleanup() {
    window_.reset();
    folder_.reset();
  }

  void OpensOnTheFirstTabShowingTheStoredOptions() {
    QVERIFY(!Panel()->isVisible());
    Open();
    QVERIFY(Panel()->isVisible());
    QCOMPARE(Tabs()->currentIndex(), 0);
    QCOMPARE(Tabs()->count(), 5);
    QVERIFY(!Box("CheckBox1")->isChecked());
    QVERIFY(!Grid("StringGrid2")->isEnabled());
    QVERIFY(!Grid("StringGrid4")->isEnabled());
    QVERIFY(Radio(0)->isChecked());
    // The phrase grid: one pair, then the entry row.
    QTableWidget* phrases = Grid("StringGrid4");
    QCOMPARE(phrases->rowCount(), 2);
    QCOMPARE(phrases->item(0, 0)->text(), QString::fromUtf8("\xE8\xB1\xA1"));  // 象
    QCOMPARE(phrases->item(1, 0)->text(), QString());
    QCOMPARE(phrases->columnWidth(0), 140);
  }

  void OptionsCountAtOnceAndSaveWritesBothFiles() {
    Open();
    app::Application& app = window_->Application();
    Box("CheckBox5")->click();
    Box("CheckBox13")->click();
    Box("CheckBox1")->click();
    QVERIFY(app.PanelOptions().full_width_quotes);  // before any save
    QVERIFY(app.PanelOptions().ignore_glyph_size);
    QVERIFY(Grid("StringGrid2")->isEnabled());
    Grid("StringGrid2")->item(1, 0)->setText(QStringLiteral("Team\\NTwo"));
    QCOMPARE(app.PanelOptions().author_text, std::string("Team\\NTwo"));
    Radio(3)->click();
    QCOMPARE(app.PanelOptions().ellipsis_form, 3);

    Tabs()->setCurrentIndex(3);
    Box("CheckBox8")->click();
    QTableWidget* phrases = Grid("StringGrid4");
    QVERIFY(phrases->isEnabled());
    QCOMPARE(phrases->currentRow(), 1);  // the entry row
    TypeInto(phrases, 1, 0, "x");
    QCOMPARE(phrases->rowCount(), 2);  // one cell filled: still the entry row
    TypeInto(phrases, 1, 1, "y");
    QCOMPARE(phrases->rowCount(), 3);  // completed: a new entry row below
    QCOMPARE(app.PhraseGrid().RowCount(), 4);
    QCOMPARE(app.PhraseGrid().Cell(1, 2), std::string("y"));

    Button("Button9")->click();
    QVERIFY(!Panel()->isVisible());
    QCOMPARE(folder_->Read("replace.sys"), std::string("\xCF\xF3<=>\xCF\xF1\r\nx<=>y\r\n"));
    const std::vector<std::string> lines = SetupLines();
    QCOMPARE(lines.size(), size_t{31});  // with the save encoding and the teaching assistance
    const std::pair<int, const char*> expected[] = {
        {1, "1"}, {2, "0"},  {3, "Team\\NTwo"}, {4, "1"},  {6, "pinyin"}, {7, "1"},
        {8, "0"}, {11, "3"}, {12, "1"},         {17, "0"}, {22, "1"},
    };
    for (const auto& [line, value] : expected) {
      QCOMPARE(lines[static_cast<size_t>(line)], std::string(value));
    }
  }

  void ClearingACellOfTheLastPairRemovesTheEntryRow() {
    Open();
    Tabs()->setCurrentIndex(3);
    Box("CheckBox8")->click();
    QTableWidget* phrases = Grid("StringGrid4");
    TypeInto(phrases, 0, 1, "");  // the pair (象, "") is incomplete: it becomes the entry row
    QCOMPARE(phrases->rowCount(), 1);
    QCOMPARE(window_->Application().PhraseGrid().RowCount(), 2);
    Button("Button9")->click();
    QCOMPARE(folder_->Read("replace.sys"), std::string());
    QCOMPARE(phrases->rowCount(), 1);
  }

  void CancelKeepsTheShownValuesInEffectAndWritesNothing() {
    const std::string setup_before = folder_->Read("setup.sys");
    const std::string replace_before = folder_->Read("replace.sys");
    Open();
    Box("CheckBox13")->click();
    Box("CheckBox2")->click();
    Radio(2)->click();
    Box("CheckBox8")->click();
    Grid("StringGrid4")->item(0, 1)->setText(QStringLiteral("z"));
    QCOMPARE(window_->Application().PhraseGrid().Cell(1, 1), std::string("z"));
    Button("Button10")->click();

    // The panel hides; the options stay in effect for this run, and nothing reaches a file.
    QVERIFY(!Panel()->isVisible());
    const settings::PanelValues& options = window_->Application().PanelOptions();
    QVERIFY(options.ignore_glyph_size);
    QVERIFY(options.end_punctuation);
    QVERIFY(options.phrase_replacement_on);
    QCOMPARE(options.ellipsis_form, 2);
    QCOMPARE(window_->Application().PhraseGrid().Cell(1, 1), std::string("z"));
    QCOMPARE(folder_->Read("setup.sys"), setup_before);
    QCOMPARE(folder_->Read("replace.sys"), replace_before);
    Open();
    QVERIFY(Box("CheckBox13")->isChecked());
    QVERIFY(Radio(2)->isChecked());
    QCOMPARE(Grid("StringGrid4")->item(0, 1)->text(), QStringLiteral("z"));
  }

  void InputMethodListSelectsAndSavesTheChoice() {
    // As stored: the teaching boxes switch to pinyin when they get the focus, the library
    // editor's search box switches nothing.
    Focus("Edit1");
    Focus("Edit6");
    Focus("Edit2");
    QCOMPARE(switched_, (std::vector<std::string>{"pinyin", "pinyin"}));
    switched_.clear();
    Open();
    auto* list = window_->findChild<QListWidget*>(QStringLiteral("ListBox4"));
    QVERIFY(list != nullptr);
    QCOMPARE(list->count(), 0);  // filled only when its tab is shown
    Tabs()->setCurrentIndex(1);
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->currentRow(), 1);  // "pinyin", the teaching boxes' method
    list->setCurrentRow(0);
    Box("CheckBox4")->click();
    Button("Button9")->click();
    const std::vector<std::string> lines = SetupLines();
    QCOMPARE(lines[settings::kImeName], std::string("xkb:us::eng"));
    QCOMPARE(lines[settings::kImeForLibraryEdit], std::string("1"));
    // The saved choice is what the boxes switch to from now on.
    Focus("Edit2");
    Focus("Edit1");
    QCOMPARE(switched_, (std::vector<std::string>{"xkb:us::eng", "xkb:us::eng"}));
  }

  void AnEmptyInputMethodListSaysWhyAndTheHintIsOneSentence() {
    methods_.clear();
    Open();
    Tabs()->setCurrentIndex(1);
    auto* none = window_->findChild<QLabel*>(QStringLiteral("InputMethodNone"));
    QVERIFY(none->isVisible());
    QVERIFY(!none->text().isEmpty());
    QVERIFY(window_->findChild<QLabel*>(QStringLiteral("Label30"))->isHidden());
    Tabs()->setCurrentIndex(0);
    methods_ = {"pinyin"};
    Tabs()->setCurrentIndex(1);
    QVERIFY(none->isHidden());
  }

  void AssistanceGroupCountsAtOnceAndSavesItsLines() {
    Open();
    Tabs()->setCurrentIndex(4);
    // The OCR guess's script: the third item, Traditional Chinese, chosen by keyboard.
    auto* script = window_->findChild<QComboBox*>(QStringLiteral("OcrGuessScript"));
    QVERIFY(script != nullptr && script->isEnabled());
    QCOMPARE(script->currentIndex(), 0);
    QTest::keyClick(script, Qt::Key_Down);
    QTest::keyClick(script, Qt::Key_Down);
    QCOMPARE(window_->Application().PanelOptions().assistance.ocr_guess_script,
             settings::GuessScript::kTraditional);
    const char* boxes[] = {"FittedBoxOption", "SuggestionsOption", "ReferenceTeachingOption",
                           "ChineseSpacesOption", "OcrGuessOption"};
    for (const char* box : boxes) {
      QVERIFY2(Box(box)->isChecked(), box);  // a setup.sys of 23 lines: everything on
      Box(box)->click();
    }
    QVERIFY(!script->isEnabled());
    auto* mark = window_->findChild<QLineEdit*>(QStringLiteral("SkipPlaceholderEdit"));
    QVERIFY(mark != nullptr);
    QCOMPARE(mark->text(), QString::fromUtf8("\xE2\x96\xA1"));  // □
    mark->selectAll();
    QTest::keyClick(mark, Qt::Key_Backspace);
    settings::TeachingAssistance expected = settings::TeachingAssistance::Off();
    expected.ocr_guess_script = settings::GuessScript::kTraditional;
    QCOMPARE(window_->Application().PanelOptions().assistance, expected);
    Button("Button9")->click();
    const std::vector<std::string> lines = SetupLines();
    QCOMPARE(lines.size(), std::size_t{31});
    for (int line = settings::kFittedBox; line <= settings::kChineseSpaces; ++line) {
      QCOMPARE(lines[static_cast<std::size_t>(line)], std::string("0"));
    }
    QCOMPARE(lines[settings::kSkipPlaceholder], std::string());
    QCOMPARE(lines[settings::kOcrGuess], std::string("0"));
    QCOMPARE(lines[settings::kOcrGuessScript], std::string("2"));
  }

  void EveryLanguageCaptionsThePanel() {
    std::vector<QStringList> captions;
    std::vector<QStringList> assistance_captions;
    for (const char* language : {"N14", "N15", "N16"}) {
      window_->findChild<QAction*>(QString::fromLatin1(language))->trigger();
      QStringList texts;
      for (int tab = 0; tab < Tabs()->count(); ++tab) {
        texts << Tabs()->tabText(tab);
      }
      for (const char* box :
           {"CheckBox1", "CheckBox3", "CheckBox4", "CheckBox5", "CheckBox6", "CheckBox7",
            "CheckBox2", "CheckBox11", "CheckBox12", "CheckBox8", "CheckBox13"}) {
        texts << Box(box)->text();
      }
      QStringList assistance;
      for (const char* box : {"FittedBoxOption", "SuggestionsOption", "ReferenceTeachingOption",
                              "ChineseSpacesOption", "OcrGuessOption"}) {
        assistance << Box(box)->text();
      }
      assistance << window_->findChild<QLabel*>(QStringLiteral("OcrGuessScriptLabel"))->text();
      assistance << window_->findChild<QGroupBox*>(QStringLiteral("AssistanceGroup"))->title()
                 << window_->findChild<QLabel*>(QStringLiteral("SkipPlaceholderLabel"))->text();
      for (const QString& text : assistance) {
        QVERIFY2(!text.trimmed().isEmpty(), language);
      }
      assistance_captions.push_back(assistance);
      for (int item = 0; item < 4; ++item) {
        texts << Radio(item)->text();
      }
      for (const char* label : {"Label7", "Label29", "Label30"}) {
        texts << window_->findChild<QLabel*>(QString::fromLatin1(label))->text();
      }
      texts << Button("Button9")->text() << Button("Button10")->text();
      texts << window_->findChild<QGroupBox*>(QStringLiteral("RadioGroup1"))->title();
      texts << Grid("StringGrid2")->verticalHeaderItem(0)->text()
            << Grid("StringGrid2")->verticalHeaderItem(1)->text()
            << Grid("StringGrid4")->horizontalHeaderItem(0)->text()
            << Grid("StringGrid4")->horizontalHeaderItem(1)->text();
      texts << window_->findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))->toPlainText();
      for (const QString& text : texts) {
        QVERIFY2(!text.trimmed().isEmpty(), language);
      }
      captions.push_back(texts);
    }
    QVERIFY(captions[0] != captions[1]);
    QVERIFY(captions[0] != captions[2]);
    QVERIFY(assistance_captions[0] != assistance_captions[1]);
    QVERIFY(assistance_captions[0] != assistance_captions[2]);
    // The recognition tab and its option follow the language too; the "..." item is the same in
    // every language.
    QCOMPARE(captions[0][4], QStringLiteral("OCR") + QString::fromUtf8("\xE8\xAE\xBE\xE7\xBD\xAE"));
    for (const int index : {4, 15}) {
      QVERIFY(captions[0][index] != captions[2][index]);
    }
    for (const QStringList& texts : captions) {
      QCOMPARE(texts[18], QStringLiteral("..."));
    }
    QVERIFY(captions[2][5].contains(
        QRegularExpression(QStringLiteral("[A-Za-z]"))));  // English words, not Chinese
  }

 private:
  void Open() {
    window_->findChild<QAction*>(QStringLiteral("SetProMenu"))->trigger();
  }
  // Types `text` into cell (row, column) of `grid` through its cell editor, key by key, as the
  // user does; an empty text clears the cell. Enter closes the editor.
  static void TypeInto(QTableWidget* grid, int row, int column, const char* text) {
    grid->setCurrentCell(row, column);
    grid->edit(grid->currentIndex());
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
    QVERIFY(editor != nullptr);
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Backspace);
    QTest::keyClicks(editor, QString::fromLatin1(text));
    QTest::keyClick(editor, Qt::Key_Return);
  }
  // The box gets the focus as from a click (the teaching boxes' panel need not be showing).
  void Focus(const char* box) {
    auto* edit = window_->findChild<QLineEdit*>(QString::fromLatin1(box));
    QVERIFY(edit != nullptr);
    QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
    QApplication::sendEvent(edit, &focus);
  }
  std::vector<std::string> SetupLines() {
    auto lines = text::ReadLines(folder_->path() / "setup.sys");
    return lines.ok() ? lines.value() : std::vector<std::string>{};
  }
  ui::FloatingPanel* Panel() {
    return window_->findChild<ui::FloatingPanel*>(QStringLiteral("Panel11"));
  }
  QTabWidget* Tabs() {
    return window_->findChild<QTabWidget*>(QStringLiteral("PageControl1"));
  }
  QCheckBox* Box(const char* name) {
    return window_->findChild<QCheckBox*>(QString::fromLatin1(name));
  }
  QTableWidget* Grid(const char* name) {
    return window_->findChild<QTableWidget*>(QString::fromLatin1(name));
  }
  QPushButton* Button(const char* name) {
    return window_->findChild<QPushButton*>(QString::fromLatin1(name));
  }
  QRadioButton* Radio(int item) {
    return window_->findChild<QRadioButton*>(QStringLiteral("RadioGroup1Item%1").arg(item));
  }

  std::unique_ptr<testing_support::TempDir> folder_;
  testing_support::FakeMessages messages_;
  testing_support::FakeFileDialogs dialogs_;
  NoLibrary library_;
  std::vector<std::string> methods_;  // what the input-method lister finds
  std::unique_ptr<ui::MainWindow> window_;
  std::vector<std::string> switched_;  // input methods the boxes switched to, in order
};

}  // namespace

namespace ui_tests {
QObject* NewSettingsToolsTest() {
  return new SettingsToolsTest();
}
}  // namespace ui_tests

#include "settings_tools_test.moc"

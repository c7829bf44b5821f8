// The library panels in the real main window: editor, merge, export, check and index rebuild over
// a real glyph library in a temporary working folder, with fake message and dialog ports.
#include "ui/library_tools.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <memory>

#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"
#include "text/line_file.h"
#include "ui/floating_panel.h"
#include "ui/recognition_tools.h"
#include "ui_tests.h"
#include "window_fixture.h"

namespace {

using testing_support::NumberedLanguageFile;
using testing_support::SettingsFile;

using ports::Answer;

// Message N in language 1 as the numbered language file gives it.
std::string M(int number) {
  return "m" + std::to_string(number + 1);
}

// A FeatureLine of key `first` + 12 that no other `first` shares.
std::string Features(int first) {
  std::string line = std::to_string(first);
  for (int i = 1; i < library::kDensityCount; ++i) {
    line += ",1";
  }
  return line;
}

// Texts "t<first>".. and their FeatureLines, as the two library files hold them.
std::pair<std::string, std::string> LibraryFiles(int first, int count) {
  std::string texts;
  std::string features;
  for (int i = first; i < first + count; ++i) {
    texts += "t" + std::to_string(i) + "\r\n";
    features += Features(i) + "\r\n";
  }
  return {texts, features};
}

class LibraryToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<testing_support::TempDir>();
    folder_->Write("language.sys", NumberedLanguageFile());
    folder_->Write("setup.sys", SettingsFile());
    folder_->Write("replace.sys", "");
    messages_ = {};
    dialogs_ = {};
  }

  void cleanup() {
    window_.reset();
    folder_.reset();
  }

  void EditorEditsAndDeletesAndMovesThePictures() {
    StartWith(5);
    std::filesystem::create_directories(folder_->path() / "wordbmp");
    for (int n = 1; n <= 5; ++n) {
      WritePicture(n, n);  // picture n is n pixels wide
    }
    Trigger("EditWordMenu");
    QVERIFY(Panel("Panel6")->isVisible());
    QTableWidget* grid = Find<QTableWidget>("StringGrid5");
    QCOMPARE(grid->rowCount(), 5);
    QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("1"));
    QCOMPARE(grid->item(4, 3)->text(), QStringLiteral("t5"));
    QCOMPARE(grid->currentRow(), 4);
    QCOMPARE(Text("Label4"), M(449) + "5" + M(452));
    QCOMPARE(Text("Label8"), M(455) + "5" + M(458) + "5" + M(461) + "0" + M(464));
    QVERIFY(Find<QLabel>("Image3")->isVisible());
    QCOMPARE(Find<QLabel>("Image3")->pixmap().width(), 5);
    QVERIFY(!Find<QPushButton>("Button22")->isEnabled());  // nothing to archive

    grid->item(1, 3)->setText(QStringLiteral("X"));  // record 2 gets a new text
    DoubleClick(grid, 2, 1);                         // record 3 is marked for deletion
    grid->setCurrentCell(0, 2);
    QTest::keyClick(grid, Qt::Key_A);  // a key marks record 1 as changed
    const QString change = QString::fromStdString(M(479));
    const QString remove = QString::fromStdString(M(482));
    const QString marks[][2] = {{"", change}, {"", change}, {remove, change}, {"", ""}, {"", ""}};
    for (int row = 0; row < 5; ++row) {
      QCOMPARE(grid->item(row, 1)->text(), marks[row][0]);
      QCOMPARE(grid->item(row, 5)->text(), marks[row][1]);
    }

    messages_.answers = {Answer::kOk};
    Click("Button6");
    QCOMPARE(messages_.asked.back().text, M(467));
    QCOMPARE(Informed(), (std::vector<std::string>{M(686), M(476)}));
    QVERIFY(!Panel("Panel6")->isVisible());
    QVERIFY(!Panel("Panel23")->isVisible());
    QCOMPARE(Lines("word.wrd"), (text::Lines{"t1", "X", "t4", "t5"}));
    // The pictures of records 4 and 5 follow them to numbers 3 and 4.
    QCOMPARE(PictureWidth(3), 4);
    QCOMPARE(PictureWidth(4), 5);
    QVERIFY(!std::filesystem::exists(folder_->path() / "wordbmp" / "5.bmp"));
  }

  void EditorSavesNothingUnmarkedAndOpensWithASearch() {
    StartWith(30);
    auto* tools = window_->findChild<ui::LibraryTools*>(QStringLiteral("LibraryTools"));
    QVERIFY(tools != nullptr);
    tools->OpenEditorWithSearch("12", "");
    QTableWidget* grid = Find<QTableWidget>("StringGrid5");
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->item(0, 3)->text(), QStringLiteral("t12"));
    QCOMPARE(Find<QLineEdit>("Edit12")->text(), QStringLiteral("12"));
    QCOMPARE(Find<QLineEdit>("Edit13")->text(), QStringLiteral("12"));
    QVERIFY(Find<QRadioButton>("RadioButton2")->isChecked());
    QCOMPARE(Text("Label8"), M(608) + "1" + M(524));
    // No picture for a record without its file.
    QVERIFY(!Find<QLabel>("Image3")->isVisible());
    QVERIFY(Find<QLabel>("Label5")->isVisible());

    tools->OpenEditorWithSearch("", "t7");
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->item(0, 2)->text(), QStringLiteral("7"));
    QVERIFY(Find<QRadioButton>("RadioButton1")->isChecked());
    // The row details' double click on a glyph opens the editor at its record.
    auto* recognition = window_->findChild<ui::RecognitionTools*>();
    QVERIFY(recognition != nullptr);
    emit recognition->GlyphLookupRequested("20", "");
    QCOMPARE(grid->rowCount(), 1);
    QCOMPARE(grid->item(0, 3)->text(), QStringLiteral("t20"));

    // A range search typed in the boxes, with its refusals.
    struct Case {
      const char* from;
      const char* to;
      std::string message;  // empty: listed
      int rows;
    };
    const Case cases[] = {
        {"28", "40", "", 3},   {"2x", "3", M(611), 3}, {"31", "40", M(614), 3},
        {"9", "8", M(617), 3}, {"1", "2", "", 2},
    };
    for (const Case& c : cases) {
      messages_.informed.clear();
      Find<QLineEdit>("Edit12")->setText(QString::fromLatin1(c.from));
      Find<QLineEdit>("Edit13")->setText(QString::fromLatin1(c.to));
      Find<QRadioButton>("RadioButton2")->setChecked(true);
      Click("Button7");
      QCOMPARE(Informed(), c.message.empty() ? std::vector<std::string>{}
                                             : std::vector<std::string>{c.message});
      QCOMPARE(grid->rowCount(), c.rows);
    }

    messages_.informed.clear();
    Click("Button6");
    QCOMPARE(Informed(), std::vector<std::string>{M(470)});
    QVERIFY(messages_.asked.empty());
    Click("Button32");  // every listed row is marked; Cancel keeps the library whole
    messages_.answers = {Answer::kCancel};
    Click("Button6");
    QCOMPARE(Lines("word.wrd").size(), size_t{30});
    Click("Button8");
    QVERIFY(!Panel("Panel6")->isVisible());
  }

  void MergeStopsHalfwayAndGoesOnLater() {
    StartWith(10);  // records with first numbers 1..10
    // The other library: its first five records repeat own ones, then 595 new shapes.
    std::filesystem::create_directories(folder_->path() / "other");
    std::string texts;
    std::string features;
    for (int i = 1; i <= 600; ++i) {
      texts += "o" + std::to_string(i) + "\r\n";
      features += Features(i <= 5 ? i : 100 + i) + "\r\n";
    }
    folder_->Write("other/share.wrd", texts);
    folder_->Write("other/share.sts", features);

    Trigger("AddWordMenu");
    QVERIFY(Panel("Panel15")->isVisible());
    QVERIFY(!Action("AddWordMenu")->isEnabled());  // the merge panel's command state
    QCOMPARE(Text("Label9"), M(455) + "10" + M(503));
    QCOMPARE(Find<QPushButton>("BitBtn4")->text().toStdString(), M(203));

    // Browsing fills the path box.
    dialogs_.open_paths = {folder_->path() / "other" / "share.sts"};
    Click("Button11");
    QCOMPARE(dialogs_.open_filters.back().default_extension, std::string(".sts"));

    // The stop is pressed when the bar is half full.
    auto* start = Find<QPushButton>("BitBtn4");
    bool pressed = false;
    QMetaObject::Connection stopper = connect(
        Find<QProgressBar>("MergeProgress"), &QProgressBar::valueChanged, this, [&](int value) {
          if (value >= 128 && !pressed) {
            pressed = true;
            QVERIFY(!Find<QPushButton>("Button12")->isEnabled());
            QCOMPARE(start->text().toStdString(), M(506));
            start->click();
          }
        });
    messages_.answers = {Answer::kYes};
    Click("BitBtn4");
    disconnect(stopper);
    QVERIFY(pressed);
    QCOMPARE(messages_.asked.back().text, M(527));
    const int own = static_cast<int>(Lines("word.wrd").size());
    const int left = static_cast<int>(Lines("other/share.wrd").size());
    const int added = own - 10;
    QVERIFY(left > 0 && left < 600);
    QCOMPARE(added + 5 + left, 600);  // every processed record was added or dropped
    QCOMPARE(Informed().back(), M(536) + std::to_string(added) + M(539));
    QCOMPARE(start->text().toStdString(), M(203));
    QVERIFY(Find<QPushButton>("Button11")->isEnabled());
    QCOMPARE(Text("Label9"), M(455) + std::to_string(own) + M(530) + std::to_string(left) + M(524));

    // A second start works through the rest.
    messages_.answers = {Answer::kYes};
    Click("BitBtn4");
    QCOMPARE(Informed().back(), M(545) + std::to_string(left) + M(548));
    QCOMPARE(Lines("word.wrd").size(), size_t{605});
    QVERIFY(Lines("other/share.wrd").empty());
    QCOMPARE(Find<QProgressBar>("MergeProgress")->value(), 255);

    // A library that is not there, or the own one, is refused.
    struct Case {
      std::string path;
      std::string message;
    };
    const Case cases[] = {
        {"", M(509)},
        {(folder_->path() / "word.sts").string(), M(512)},
        {(folder_->path() / "none.sts").string(), M(515)},
        {(folder_->path() / "other" / "share.sts").string(), M(518)},
    };
    for (const Case& c : cases) {
      Find<QLineEdit>("Edit3")->setText(QString::fromStdString(c.path));
      Click("BitBtn4");
      QCOMPARE(Informed().back(), c.message);
    }

    Click("Button12");
    QVERIFY(!Panel("Panel15")->isVisible());
    QVERIFY(Action("AddWordMenu")->isEnabled());
  }

  void ExportWritesARange() {
    StartWith(12);
    Trigger("OutWordMenu");
    QVERIFY(Panel("Panel25")->isVisible());
    QCOMPARE(Find<QLineEdit>("Edit8")->text(), QStringLiteral("1"));
    QCOMPARE(Find<QLineEdit>("Edit4")->text(), QStringLiteral("12"));
    const std::string target = (folder_->path() / "out.sts").string();

    struct Case {
      const char* from;
      const char* to;
      std::string path;
      std::string message;
    };
    const Case refusals[] = {
        {"1", "2", "", M(590)},
        {"-4987", "12", target, M(593)},
        {"1", "", target, M(593)},
        {"1", "2", (folder_->path() / "NEWWORD.sts").string(), M(596)},
    };
    for (const Case& c : refusals) {
      SetExport(c.from, c.to, c.path);
      Click("Button16");
      QCOMPARE(Informed().back(), c.message);
    }
    QVERIFY(!std::filesystem::exists(folder_->path() / "out.sts"));

    dialogs_.save_paths = {folder_->path() / "out.sts"};
    Click("Button18");
    QCOMPARE(Find<QLineEdit>("Edit7")->text().toStdString(), target);
    SetExport("10", "15", target);
    Click("Button16");
    QCOMPARE(Informed().back(), M(602));
    QCOMPARE(Lines("out.wrd"), (text::Lines{"t10", "t11", "t12"}));
    QCOMPARE(Lines("out.sts"), (text::Lines{Features(10), Features(11), Features(12)}));
    QCOMPARE(Find<QProgressBar>("ExportProgress")->value(), 255);

    // An existing target is kept when the user says No.
    messages_.informed.clear();
    messages_.answers = {Answer::kNo};
    SetExport("1", "2", target);
    Click("Button16");
    QCOMPARE(messages_.asked.back().text, M(599));
    QVERIFY(messages_.informed.empty());
    QCOMPARE(Lines("out.wrd").size(), size_t{3});
    Click("Button17");
    QVERIFY(!Panel("Panel25")->isVisible());
  }

  void IndexRebuildAsksAndWrites() {
    StartWith(3);
    const auto index = folder_->path() / "word.ind";
    std::filesystem::remove(index);
    messages_.answers = {Answer::kCancel};
    Trigger("CreatIndexMenu");
    QCOMPARE(messages_.asked.back().text, M(641));
    QCOMPARE(messages_.asked.back().caption, M(557));
    QVERIFY(!std::filesystem::exists(index));

    messages_.answers = {Answer::kOk};
    Trigger("CreatIndexMenu");
    QCOMPARE(Informed().back(), M(686));
    QVERIFY(!Panel("Panel23")->isVisible());
    const text::Lines lines = Lines("word.ind");
    QCOMPARE(lines.size(), size_t{13001});
    QCOMPARE(lines[13], std::string("0"));  // record 0 has key 1 + 12
    QCOMPARE(lines[15], std::string("2"));
  }

  void CheckReportsAConsistentLibrary() {
    StartWith(4);
    Trigger("CheckWordMenu");
    QCOMPARE(Informed().back(), M(647) + "\n\n" + M(668));
    QVERIFY(!Panel("Panel23")->isVisible());
  }

 private:
  // Builds the window over a library of `count` records and loads it.
  void StartWith(int count) {
    const auto [texts, features] = LibraryFiles(1, count);
    folder_->Write("word.wrd", texts);
    folder_->Write("word.sts", features);
    window_ = ui_tests::StartWindow(ui_tests::TestSetup(folder_->path(), messages_, dialogs_));
    QVERIFY(window_ != nullptr);
    messages_.informed.clear();  // the index built at the first load
  }

  template <typename T>
  T* Find(const char* name) {
    return ui_tests::Child<T>(*window_, name);
  }
  QAction* Action(const char* name) {
    return Find<QAction>(name);
  }
  ui::FloatingPanel* Panel(const char* name) {
    return Find<ui::FloatingPanel>(name);
  }
  void Trigger(const char* name) {
    Action(name)->trigger();
  }
  void Click(const char* name) {
    Find<QPushButton>(name)->click();
  }
  std::string Text(const char* label) {
    return Find<QLabel>(label)->text().toStdString();
  }
  void DoubleClick(QTableWidget* grid, int row, int column) {
    const QRect cell = grid->visualItemRect(grid->item(row, column));
    // A double click follows a press on the same cell, as the view requires.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
  }
  void SetExport(const char* from, const char* to, const std::string& path) {
    Find<QLineEdit>("Edit8")->setText(QString::fromLatin1(from));
    Find<QLineEdit>("Edit4")->setText(QString::fromLatin1(to));
    Find<QLineEdit>("Edit7")->setText(QString::fromStdString(path));
  }
  std::vector<std::string> Informed() const {
    std::vector<std::string> texts;
    for (const auto& message : messages_.informed) {
      texts.push_back(message.text);
    }
    return texts;
  }
  text::Lines Lines(const char* name) {
    auto lines = text::ReadLines(folder_->path() / name);
    return lines.ok() ? lines.value() : text::Lines{};
  }
  void WritePicture(int number, int width) {
    QImage picture(width, 3, QImage::Format_RGB32);
    picture.fill(Qt::black);
    const auto path = folder_->path() / "wordbmp" / (std::to_string(number) + ".bmp");
    QVERIFY(picture.save(QString::fromStdString(path.string()), "BMP"));
  }
  int PictureWidth(int number) {
    const auto path = folder_->path() / "wordbmp" / (std::to_string(number) + ".bmp");
    return QImage(QString::fromStdString(path.string())).width();
  }

  std::unique_ptr<testing_support::TempDir> folder_;
  testing_support::FakeMessages messages_;
  testing_support::FakeFileDialogs dialogs_;
  std::unique_ptr<ui::MainWindow> window_;
};

}  // namespace

QObject* ui_tests::NewLibraryToolsTest() {
  return new LibraryToolsTest;
}

#include "library_tools_test.moc"

// The teaching panel's suggestion buttons in the real window: their texts and sources, a click
// and Alt+k save the chosen text, Enter in the entry box saves what was typed, and the
// punctuation buttons save their mark.
#include "ui/teaching_panel.h"

#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <deque>
#include <functional>
#include <memory>
#include <tuple>

#include "library/glyph_library.h"
#include "ocr/glyph_text.h"
#include "ocr/recogniser.h"
#include "platform/qt_picture.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"
#include "ui/main_window.h"
#include "ui_tests.h"
#include "window_fixture.h"

namespace {

using Art = std::vector<std::string>;

// A 8 × 12 block with a 4 × 4 hole at (left, top), or none for a negative left: shapes close
// enough to be each other's nearest.
Art Block(int left = -1, int top = 0) {
  Art art(12, "########");
  for (int y = top; left >= 0 && y < top + 4; ++y) {
    for (int x = left; x < left + 4; ++x) {
      art[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = '.';
    }
  }
  return art;
}

// The glyphs side by side, 6 columns apart, on one line with 4 white pixels around.
ocr::MemoryPicture Line(const std::vector<Art>& glyphs) {
  const int width = 8 + static_cast<int>(glyphs.size()) * 14;
  ocr::MemoryPicture picture(width, 20);
  for (int x = 0; x < width; ++x) {
    for (int y = 0; y < 20; ++y) {
      picture.SetPixel(x, y, 0xFFFFFF);
    }
  }
  int left = 4;
  for (const Art& glyph : glyphs) {
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 8; ++x) {
        if (glyph[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '#') {
          picture.SetPixel(left + x, 4 + y, ocr::kInkColour);
        }
      }
    }
    left += 14;
  }
  return picture;
}

// Offers the same reading of every glyph.
class FixedGuesser : public ocr::GlyphGuesser {
 public:
  std::string Guess(const ocr::GuessPicture& /*picture*/) override {
    return "G";
  }
};

// Puts the reference's character in front of every question, then lets the panel ask.
class WithReference : public ocr::Teacher {
 public:
  explicit WithReference(ocr::Teacher& panel) : panel_(panel) {}
  void Teach(ocr::TeachingSession& session) override {
    session.SetSourceSuggestions({{"R", ocr::SuggestionSource::kReference, 0, 0}}, {});
    panel_.Teach(session);
  }

 private:
  ocr::Teacher& panel_;
};

// Saves every glyph as the next text, without a panel.
class Saver : public ocr::Teacher {
 public:
  void Teach(ocr::TeachingSession& session) override {
    QVERIFY(session.Save(texts.front()).ok());
    texts.pop_front();
  }
  std::deque<std::string> texts;
};

class TeachingPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<testing_support::TempDir>();
    ui_tests::WriteWorkingFolder(*folder_, testing_support::NumberedLanguageFile(),
                                 testing_support::SettingsFile({}));
    messages_ = {};
    dialogs_ = {};
    window_ = ui_tests::StartWindow(ui_tests::TestSetup(folder_->path(), messages_, dialogs_));
    QVERIFY(window_ != nullptr);
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    panel_ = window_->findChild<ui::TeachingPanel*>();
    QVERIFY(panel_ != nullptr);
    connect(panel_, &ui::TeachingPanel::QuestionShown, this, [this] { Answer(); });
    // The engine of this test asks the window's panel and keeps its own library.
    folder_->Write("engine/word.wrd", "");
    folder_->Write("engine/word.sts", "");
    library_ = std::make_unique<library::GlyphLibrary>(folder_->path() / "engine");
    ports::NullEventPump pump;
    QVERIFY(library_->Load(pump).ok());
    recogniser_ = std::make_unique<ocr::Recogniser>(*library_, pictures_);
    recogniser_->Options().glyph_width = 10;
    recogniser_->Options().line_height = 12;
    recogniser_->Options().fitted_box = false;
    recogniser_->SetGuesser(&guesser_);
  }

  void cleanup() {
    recogniser_.reset();
    library_.reset();
    window_.reset();
    folder_.reset();
  }

  void SuggestionButtonsShowTheirSourcesAndSaveTheChosenText() {
    // Two shapes in the library, one plain block and one with a hole.
    Saver saver;
    saver.texts = {"A", "B"};
    Read(Line({Block(), Block(0, 0)}), saver);
    QCOMPARE(library_->RecordCount(), 2);

    std::string second;  // the text on the second button at the second question
    answers_ = {
        [this] {
          // The reference first, then the OCR guess, then the library's shapes, nearest first.
          QVERIFY(Widget<QLabel>("SuggestionsLabel")->isVisible());
          QCOMPARE(Button(1)->text(), QStringLiteral("&1 R \u00B7 m1125"));
          QCOMPARE(Button(2)->text(), QStringLiteral("&2 G \u00B7 m1128"));
          for (int k = 3; k <= 6 && Button(k)->isVisible(); ++k) {
            QVERIFY(Button(k)->text().endsWith(QStringLiteral(" \u00B7 m1122")));
          }
          QTest::mouseClick(Button(2), Qt::LeftButton);
        },
        [this, &second] {
          second = Button(2)->text().mid(3).section(QStringLiteral(" \u00B7 "), 0, 0).toStdString();
          // Alt+2 is the button's own shortcut.
          QCOMPARE(Button(2)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_2));
          Button(2)->animateClick();
          QTRY_VERIFY(!panel_->QuestionOpen());
        },
        [this] {
          // Enter saves the typed text, never a suggestion.
          QVERIFY(Button(1)->isVisible());
          QTest::keyClicks(Widget<QLineEdit>("Edit1"), QStringLiteral("Z"));
          QTest::keyClick(Widget<QLineEdit>("Edit1"), Qt::Key_Return);
        },
        [this] { QTest::mouseClick(Widget<QPushButton>("PunctuationButton1"), Qt::LeftButton); },
        [this] {
          QCOMPARE(Button(1)->shortcut(), QKeySequence(Qt::ALT | Qt::Key_1));
          Button(1)->animateClick();
          QTRY_VERIFY(!panel_->QuestionOpen());
        },
    };
    WithReference teacher(*panel_);
    Read(Line({Block(4, 0), Block(0, 8), Block(4, 8), Block(2, 4), Block(0, 4)}), teacher);
    QVERIFY(answers_.empty());
    QCOMPARE(second, std::string("G"));
    const std::vector<std::string> expected = {
        "A", "B", "G", "G", "Z", ocr::TeachingPunctuation().front(), "R"};
    QCOMPARE(library_->RecordCount(), static_cast<int>(expected.size()));
    for (int i = 0; i < library_->RecordCount(); ++i) {
      QCOMPARE(library_->Text(i), expected[static_cast<std::size_t>(i)]);
    }
    const ocr::GlyphCounts& counts = recogniser_->Counts();
    QCOMPARE(counts.accepted, 3);
    QCOMPARE(counts.typed, 2 + 2);  // the first two by the saver, then the typed text and the mark
  }

  void BoxKeysMoveTheWayTheyPointAndSayWhyAtTheEnds() {
    answers_ = {[this] {
                  auto* edit = Widget<QLineEdit>("Edit1");
                  auto* status = Widget<QLabel>("StatusText");
                  const auto box = [this] { return panel_->Session()->Box(); };
                  const auto press = [edit](Qt::Key key, Qt::KeyboardModifier modifier) {
                    QTest::keyClick(edit, key, modifier);
                  };
                  // To the ink's left end, where Ctrl+Left says why the box stays.
                  for (int step = 0; step < 20 && box().left > 4; ++step) {
                    press(Qt::Key_Left, Qt::ControlModifier);
                  }
                  const int left = box().left;
                  status->clear();
                  press(Qt::Key_Left, Qt::ControlModifier);
                  QCOMPARE(box().left, left);
                  QCOMPARE(status->text(), QStringLiteral("m1701"));
                  // (key, modifier, change of left, change of width)
                  const std::tuple<Qt::Key, Qt::KeyboardModifier, int, int> steps[] = {
                      {Qt::Key_Right, Qt::ControlModifier, 1, 0},
                      {Qt::Key_Right, Qt::ControlModifier, 1, 0},
                      {Qt::Key_Left, Qt::ControlModifier, -1, 0},
                      {Qt::Key_Left, Qt::ShiftModifier, 0, -1},
                      {Qt::Key_Right, Qt::ShiftModifier, 0, 1},
                  };
                  for (const auto& [key, modifier, moved, widened] : steps) {
                    const ocr::GlyphBox before = box();
                    press(key, modifier);
                    QCOMPARE(box().left, before.left + moved);
                    QCOMPARE(box().width, before.width + widened);
                  }
                  // Narrowed to two columns, Shift+Left says so too.
                  for (int step = 0; step < 20 && box().width > 2; ++step) {
                    press(Qt::Key_Left, Qt::ShiftModifier);
                  }
                  press(Qt::Key_Left, Qt::ShiftModifier);
                  QCOMPARE(status->text(), QStringLiteral("m1707"));
                  // The keys are named where they are used.
                  QCOMPARE(edit->toolTip(), QStringLiteral("m1713"));
                  QCOMPARE(Widget<QWidget>("Panel5")->toolTip(), QStringLiteral("m1713"));
                  Widget<QPushButton>("Button4")->click();
                },
                [this] { Widget<QPushButton>("Button4")->click(); }};
    Read(Line({Block(), Block(0, 0)}), *panel_);
    QVERIFY(answers_.empty());
  }

  void ThePanelKeepsItsPlaceAndSizeFromQuestionToQuestion() {
    QRect first;
    int asked = 0;
    const auto same_place = [this, &first, &asked] {
      auto* panel = Widget<QWidget>("Panel3");
      if (asked++ == 0) {
        first = panel->geometry();
      }
      QCOMPARE(panel->geometry(), first);
      // The previews show their whole pictures.
      for (const char* name : {"Image2", "Image4"}) {
        auto* preview = Widget<QLabel>(name);
        if (!preview->pixmap().isNull() && preview->isVisible()) {
          QVERIFY2(preview->contentsRect().width() >= preview->pixmap().width(), name);
          QVERIFY2(preview->contentsRect().height() >= preview->pixmap().height(), name);
        }
      }
    };
    const auto teach = [this, same_place](const char* text) {
      return [this, same_place, text] {
        same_place();
        QTest::keyClicks(Widget<QLineEdit>("Edit1"), QString::fromLatin1(text));
        QTest::keyClick(Widget<QLineEdit>("Edit1"), Qt::Key_Return);
      };
    };
    answers_ = {teach("A"), teach("B"),
                [this, same_place] {
                  same_place();
                  Widget<QPushButton>("Button2")->click();  // Expand: a box two glyphs wide
                  same_place();
                  Widget<QPushButton>("Button3")->click();
                  same_place();
                  QTest::keyClicks(Widget<QLineEdit>("Edit1"), QStringLiteral("C"));
                  QTest::keyClick(Widget<QLineEdit>("Edit1"), Qt::Key_Return);
                },
                teach("D"), teach("E")};
    Read(Line({Block(), Block(0, 0), Block(4, 8), Block(2, 4), Block(0, 8)}), *panel_);
    QCOMPARE(asked, 7);
    QCOMPARE(library_->RecordCount(), 5);
  }

  void PreviousGlyphAndTheRecordNumberShowTheRecordAsked() {
    Saver saver;
    saver.texts = {"A", "B", "C"};
    Read(Line({Block(), Block(0, 0), Block(4, 8)}), saver);
    answers_ = {[this] {
      // The glyph taught last is shown first; Previous goes back one record at a time.
      auto* text = Widget<QLineEdit>("Edit6");
      QCOMPARE(text->text(), QStringLiteral("C"));
      Widget<QPushButton>("Button20")->click();
      QCOMPARE(text->text(), QStringLiteral("B"));
      QCOMPARE(Widget<QLabel>("Label18")->text(), QStringLiteral("m1712"));
      // A number typed and Enter show that record; a number the library lacks says so.
      auto* number = Widget<QLineEdit>("RecordNumberEdit");
      QTest::keyClicks(number, QStringLiteral("1"));
      QTest::keyClick(number, Qt::Key_Return);
      QCOMPARE(text->text(), QStringLiteral("A"));
      QVERIFY(!Widget<QPushButton>("Button20")->isEnabled());
      QVERIFY(Widget<QPushButton>("Button21")->isEnabled());
      QTest::keyClicks(number, QStringLiteral("9"));
      QTest::keyClick(number, Qt::Key_Return);
      QCOMPARE(text->text(), QStringLiteral("A"));
      QCOMPARE(Widget<QLabel>("StatusText")->text(), QStringLiteral("m17223m1734"));
      // A correction of the record shown reaches the journal with the next answer.
      text->setText(QStringLiteral("a"));
      QTest::keyClicks(Widget<QLineEdit>("Edit1"), QStringLiteral("D"));
      QTest::keyClick(Widget<QLineEdit>("Edit1"), Qt::Key_Return);
    }};
    Read(Line({Block(4, 0)}), *panel_);
    QVERIFY(answers_.empty());
    QCOMPARE(library_->Text(0), std::string("a"));
    QCOMPARE(folder_->Read("engine/newword.wrd"), std::string("a\r\nB\r\nC\r\nD\r\n"));
  }

 private:
  void Read(const ocr::MemoryPicture& picture, ocr::Teacher& teacher) {
    testing_support::FakeEventPump pump;
    QVERIFY(recogniser_->Prepare(picture).ok());
    QVERIFY(recogniser_->RecognisePicture(teacher, pump));
  }

  // Runs the next scripted answer; with none left the run is aborted, so no test can hang.
  void Answer() {
    if (answers_.empty()) {
      QTest::mouseClick(Widget<QPushButton>("Button5"), Qt::LeftButton);
      return;
    }
    auto answer = std::move(answers_.front());
    answers_.pop_front();
    answer();
    if (panel_->QuestionOpen()) {
      QTest::mouseClick(Widget<QPushButton>("Button5"), Qt::LeftButton);
    }
  }

  QPushButton* Button(int k) {
    return Widget<QPushButton>(("SuggestionButton" + std::to_string(k)).c_str());
  }
  template <typename T>
  T* Widget(const char* name) {
    return ui_tests::Child<T>(*window_, name);
  }

  std::unique_ptr<testing_support::TempDir> folder_;
  testing_support::FakeMessages messages_;
  testing_support::FakeFileDialogs dialogs_;
  std::unique_ptr<ui::MainWindow> window_;
  ui::TeachingPanel* panel_ = nullptr;
  std::unique_ptr<library::GlyphLibrary> library_;
  platform::QtPictureIo pictures_;
  FixedGuesser guesser_;
  std::unique_ptr<ocr::Recogniser> recogniser_;
  std::deque<std::function<void()>> answers_;
};

}  // namespace

QObject* ui_tests::NewTeachingPanelTest() {
  return new TeachingPanelTest;
}

#include "teaching_panel_test.moc"

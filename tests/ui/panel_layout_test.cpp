// The tool panels with the shipped texts: in every language each caption fits its control and
// every control lies inside its panel, also after switching languages back and forth.
#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "settings/settings_list.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"
#include "text/line_file.h"
#include "ui/floating_panel.h"
#include "ui/main_window.h"
#include "ui_tests.h"
#include "window_fixture.h"

namespace {

using testing_support::SettingsFile;

constexpr const char* kTextSrt =
    "1\r\n00:00:01,000 --> 00:00:02,500\r\nHello.\r\n\r\n"
    "2\r\n00:00:03,000 --> 00:00:04,000\r\n\xD7\xD6\xC4\xBB\r\n\r\n";  // 字幕

// The commands that open each floating panel, and the panel they open.
struct PanelCommand {
  const char* command;
  const char* panel;
};
constexpr PanelCommand kPanels[] = {
    {"Check1Menu", "Panel21"},        {"FindReplaceMenu", "Panel13"}, {"EditWordMenu", "Panel6"},
    {"AddWordMenu", "Panel15"},       {"OutWordMenu", "Panel25"},     {"SetProMenu", "Panel11"},
    {"ShiftTimesMenu", "TimesPanel"},
};

class PanelLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<testing_support::TempDir>();
    const auto shipped = std::filesystem::path(ZENTROPE_SOURCE_DIR) / "data";
    auto language = text::ReadFileBytes(shipped / "language.sys");
    auto index = text::ReadFileBytes(shipped / "word.ind");
    QVERIFY(language.ok() && index.ok());
    // A full stop at the end that the check drops: its review has a change to show.
    ui_tests::WriteWorkingFolder(*folder_, language.value(),
                                 SettingsFile({{settings::kEndPunctuation, "1"}}));
    folder_->Write("word.ind", index.value());
    messages_ = {};
    dialogs_ = {};
    window_ = ui_tests::StartWindow(ui_tests::TestSetup(folder_->path(), messages_, dialogs_));
    QVERIFY(window_ != nullptr);
    dialogs_.open_paths.push_back(folder_->Write("film.srt", kTextSrt));
    dialogs_.open_paths.push_back(folder_->Write("reference.srt", kTextSrt));
    Action("OpenSrtMenu")->trigger();
    Action("OpenSecSrtMenu")->trigger();
  }

  void cleanup() {
    window_.reset();
    folder_.reset();
  }

  void EveryPanelHoldsItsCaptionsInEveryLanguage() {
    // English last and then Chinese again: panels that grew keep holding the shorter texts.
    for (const char* language : {"N14", "N15", "N16", "N14"}) {
      Action(language)->trigger();
      for (const PanelCommand& entry : kPanels) {
        Action(entry.command)->trigger();
        auto* panel = Find<ui::FloatingPanel>(entry.panel);
        QVERIFY2(panel->isVisible(), entry.command);
        QApplication::processEvents();
        CheckFits(panel, QStringLiteral("%1 %2").arg(language, entry.panel));
        panel->hide();
      }
      // The left group of the strip below the grid: the edit panels' buttons, and the size boxes
      // of the picture panels with the switch button.
      CheckFits(Find<QWidget>("Panel19"), QStringLiteral("%1 Panel19").arg(language));
      Find<QPushButton>("Button29")->click();  // to the picture panels
      QApplication::processEvents();
      QVERIFY(Find<QWidget>("Panel14")->isVisible());
      CheckFits(Find<QWidget>("Panel14"), QStringLiteral("%1 Panel14").arg(language));
      Find<QPushButton>("Button30")->click();  // back to the edit panels
    }
  }

  void ExportRangeLabelsFollowTheLanguage() {
    // The range caption leaves a gap for the first box: its two parts stand around that box.
    Action("N16")->trigger();
    Action("OutWordMenu")->trigger();
    const auto* from = Find<QLabel>("ExportFromLabel");
    const auto* to = Find<QLabel>("ExportToLabel");
    const auto* first = Find<QLineEdit>("Edit8");
    const auto* last = Find<QLineEdit>("Edit4");
    QCOMPARE(from->text(), QStringLiteral("Export numbers from"));
    QCOMPARE(to->text(), QStringLiteral("to"));
    QVERIFY(from->geometry().right() < first->geometry().left());
    QVERIFY(first->geometry().right() < to->geometry().left());
    QVERIFY(to->geometry().right() < last->geometry().left());
    // An empty library proposes a range the export accepts.
    QCOMPARE(first->text(), QStringLiteral("1"));
    Action("N14")->trigger();
    QCOMPARE(to->text(), QString::fromUtf8("\xE5\x88\xB0"));  // 到
  }

 private:
  template <typename T>
  T* Find(const char* name) {
    return ui_tests::Child<T>(*window_, name);
  }
  QAction* Action(const char* name) {
    return Find<QAction>(name);
  }

  // A push button needs its caption and a little frame (its size hint adds the style's minimum
  // button width on top); other controls need their size hint.
  static int NeededWidth(QWidget* control) {
    if (auto* button = qobject_cast<QPushButton*>(control)) {
      QString caption = button->text();
      caption.remove(QLatin1Char('&'));
      return button->fontMetrics().horizontalAdvance(caption) + 8;
    }
    return control->sizeHint().width();
  }

  // Every visible button and one-line label of `panel` is at least as wide as its caption needs
  // and lies inside the panel.
  static void CheckFits(QWidget* panel, const QString& where) {
    QVERIFY(panel != nullptr);
    const QRect inside = panel->rect();
    for (QWidget* child : panel->findChildren<QWidget*>()) {
      if (!child->isVisibleTo(panel)) {
        continue;
      }
      const auto* label = qobject_cast<QLabel*>(child);
      const bool captioned = qobject_cast<QAbstractButton*>(child) != nullptr ||
                             (label != nullptr && !label->wordWrap() && label->pixmap().isNull());
      if (!captioned) {
        continue;
      }
      const QString what = where + QLatin1Char(' ') + child->objectName() + QLatin1Char(' ') +
                           child->property("text").toString();
      QVERIFY2(child->width() >= NeededWidth(child), qPrintable(what + " is cut"));
      const QRect placed(child->mapTo(panel, QPoint(0, 0)), child->size());
      QVERIFY2(inside.contains(placed), qPrintable(what + " lies outside its panel"));
    }
  }

  std::unique_ptr<testing_support::TempDir> folder_;
  testing_support::FakeMessages messages_;
  testing_support::FakeFileDialogs dialogs_;
  std::unique_ptr<ui::MainWindow> window_;
};

}  // namespace

namespace ui_tests {
QObject* NewPanelLayoutTest() {
  return new PanelLayoutTest();
}
}  // namespace ui_tests

#include "panel_layout_test.moc"

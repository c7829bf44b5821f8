// The window as a desktop program: Qt's own texts and every caption in the chosen language,
// headings that fit, the help window, the first-start hint, recent files and the window's size.
#include <QAbstractButton>
#include <QAction>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <memory>
#include <tuple>

#include "app/recent_files.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "support/working_files.h"
#include "text/line_file.h"
#include "ui/floating_panel.h"
#include "ui/main_window.h"
#include "ui/qt_convert.h"
#include "ui/qt_ports.h"
#include "ui/qt_translations.h"
#include "ui_tests.h"
#include "window_fixture.h"

namespace {

using testing_support::SettingsFile;

constexpr const char* kTextSrt =
    "1\r\n00:00:01,000 --> 00:00:02,500\r\nHello\r\n\r\n"
    "2\r\n00:00:03,000 --> 00:00:04,000\r\n\xD7\xD6\xC4\xBB\r\n\r\n";  // 字幕

const std::filesystem::path kShipped = std::filesystem::path(ZENTROPE_SOURCE_DIR) / "data";

// Language menu item and table line offset of each language.
struct Language {
  const char* item;
  int offset;
};
constexpr Language kLanguages[] = {{"N14", 1}, {"N15", 2}, {"N16", 3}};

class DesktopTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<testing_support::TempDir>();
    auto language = text::ReadFileBytes(kShipped / "language.sys");
    auto index = text::ReadFileBytes(kShipped / "word.ind");
    QVERIFY(language.ok() && index.ok());
    ui_tests::WriteWorkingFolder(*folder_, language.value(), SettingsFile());
    folder_->Write("word.ind", index.value());
    auto lines = text::ReadLines(kShipped / "language.sys");
    QVERIFY(lines.ok());
    table_ = lines.value();
    messages_ = {};
    dialogs_ = {};
    window_ = Start();
    QVERIFY(window_ != nullptr);
  }

  void cleanup() {
    window_.reset();
    folder_.reset();
  }

  void StandardDialogButtonsFollowTheLanguage() {
    const struct {
      const char* item;
      const char* ok;
      const char* cancel;
    } cases[] = {
        {"N14", "\xE7\xA1\xAE\xE5\xAE\x9A", "\xE5\x8F\x96\xE6\xB6\x88"},  // 确定, 取消
        {"N15", "\xE7\xA2\xBA\xE5\xAE\x9A", "\xE5\x8F\x96\xE6\xB6\x88"},  // 確定, 取消
        {"N16", "OK", "Cancel"},
    };
    for (const auto& c : cases) {
      Action(c.item)->trigger();
      // Qt's own dialogs: their buttons come from Qt's translations.
      QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
      QCOMPARE(box.button(QDialogButtonBox::Ok)->text(), QString::fromUtf8(c.ok));
      QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8(c.cancel));
    }
  }

  void OwnMessageBoxesTakeTheirButtonsFromTheTable() {
    QMessageBox box(QMessageBox::Question, QString(), QString(),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    const QString qt_no = box.button(QMessageBox::No)->text();
    // English texts from the table; an empty caption keeps Qt's own.
    ui::LabelButtons(box, {Message(1325, 3), QString(), Message(1331, 3), Message(1334, 3)});
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));
    QCOMPARE(box.button(QMessageBox::No)->text(), qt_no);
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Cancel"));
    QVERIFY(box.button(QMessageBox::Ok) == nullptr);
  }

  void EveryVisibleTextIsInTheCurrentLanguage() {
    for (const Language& language : kLanguages) {
      Action(language.item)->trigger();
      const QSet<QString> known = LanguageTexts(language.offset);
      QStringList strays;
      // The window at rest, then with every tool panel and every settings tab shown.
      Walk(window_.get(), known, strays);
      for (auto* panel : window_->findChildren<ui::FloatingPanel*>()) {
        panel->show();
      }
      for (auto* tabs : window_->findChildren<QTabWidget*>()) {
        for (int tab = 0; tab < tabs->count(); ++tab) {
          tabs->setCurrentIndex(tab);
          Walk(window_.get(), known, strays);
        }
      }
      for (auto* panel : window_->findChildren<ui::FloatingPanel*>()) {
        panel->hide();
      }
      strays.removeDuplicates();
      QVERIFY2(strays.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(
                                     QString::fromLatin1(language.item), strays.join(" | "))));
    }
  }

  void LongTextsWrapWholeAndBoxesHoldTheirItems() {
    Action("N16")->trigger();
    // The About text: each paragraph one line of its own, wrapped by the box, not mid-sentence.
    Action("AboutMenu")->trigger();
    const QStringList about =
        ui_tests::Child<QPlainTextEdit>(*window_, "AboutText")->toPlainText().split('\n');
    QVERIFY(about.contains(Message(743, 3) + ' ' + Message(746, 3)));
    QVERIFY(about.contains(Message(755, 3) + ' ' + Message(758, 3)));
    // The OCR script box is as wide as its longest item.
    Action("SetProMenu")->trigger();
    auto* tabs = ui_tests::Child<QTabWidget>(*window_, "PageControl1");
    tabs->setCurrentWidget(ui_tests::Child<QWidget>(*window_, "TabSheet5"));
    auto* script = ui_tests::Child<QComboBox>(*window_, "OcrGuessScript");
    for (int item = 0; item < script->count(); ++item) {
      QVERIFY2(script->width() > script->fontMetrics().horizontalAdvance(script->itemText(item)),
               qPrintable(script->itemText(item)));
    }
    QCOMPARE(ui_tests::Child<QLabel>(*window_, "Label29")->text(), Message(251, 3));
  }

  void QtFileDialogsSpeakTheInterfaceLanguage() {
    folder_->Write("sizes/film.srt", std::string(1500, 'x'));
    folder_->Write("sizes/short.srt", std::string(88, 'x'));
    const auto folder_type = [] {
      return QCoreApplication::translate("QAbstractFileIconProvider", "Folder");
    };
    // (menu item, locale, folder word)
    const std::tuple<const char*, QLocale, QString> cases[] = {
        {"N14", QLocale(QLocale::Chinese, QLocale::China), Message(1724, 1)},
        {"N15", QLocale(QLocale::Chinese, QLocale::Taiwan), Message(1724, 2)},
    };
    for (const auto& [item, locale, folder] : cases) {
      Action(item)->trigger();
      QCOMPARE(QLocale().territory(), locale.territory());
      QCOMPARE(folder_type(), folder);
      QFileDialog dialog;
      dialog.setOption(QFileDialog::DontUseNativeDialog, true);
      ui::LocaliseFileColumns(dialog);
      const QString path = ui::PathToQString(folder_->path() / "sizes" / "film.srt");
      const QString short_path = ui::PathToQString(folder_->path() / "sizes" / "short.srt");
      dialog.setDirectory(ui::PathToQString(folder_->path() / "sizes"));
      auto* files = qobject_cast<QFileSystemModel*>(dialog.proxyModel()->sourceModel());
      QVERIFY(files != nullptr);
      const auto shown = [&](int column, const QString& file = QString()) {
        return dialog.proxyModel()
            ->mapFromSource(files->index(file.isEmpty() ? path : file).siblingAtColumn(column))
            .data()
            .toString();
      };
      QTRY_COMPARE(shown(1), locale.formattedDataSize(1500));
      QTRY_COMPARE(
          shown(1, short_path),
          QStringLiteral("88 ") + Message(1742, locale.territory() == QLocale::Taiwan ? 2 : 1));
      QCOMPARE(shown(3),
               locale.toString(files->lastModified(files->index(path)), QLocale::ShortFormat));
    }
    Action("N16")->trigger();
    QCOMPARE(folder_type(), QStringLiteral("Folder"));
    QCOMPARE(QLocale().language(), QLocale::English);
  }

  void HeadingsFitTheirTextInEveryLanguage() {
    for (const QSize size : {QSize(1024, 700), QSize(1920, 1080)}) {
      window_->resize(size);
      for (const Language& language : kLanguages) {
        Action(language.item)->trigger();
        window_->SetReferenceGridShown(language.offset == 2);
        for (auto* grid : window_->findChildren<QTableView*>()) {
          CheckHeadingsFit(grid, QStringLiteral("%1 %2x%3 %4")
                                     .arg(QString::fromLatin1(language.item))
                                     .arg(size.width())
                                     .arg(size.height())
                                     .arg(grid->objectName()));
        }
      }
    }
    // The whole heading stays in the tool tip.
    auto* grid = ui_tests::Child<QTableView>(*window_, "StringGrid1");
    QCOMPARE(grid->model()->headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(),
             grid->model()->headerData(1, Qt::Horizontal).toString());
  }

  void TheTextColumnStretchesWithTheWindow() {
    auto* grid = ui_tests::Child<QTableView>(*window_, "StringGrid1");
    int previous = 0;
    for (const int width : {700, 1024, 1920}) {
      window_->resize(width, 700);
      window_->LayOut();
      QHeaderView* header = grid->horizontalHeader();
      // The visible columns fill the grid: no empty band on the right, no scrolling.
      QCOMPARE(header->length(), grid->viewport()->width());
      QVERIFY2(grid->columnWidth(1) > previous, qPrintable(QString::number(width)));
      previous = grid->columnWidth(1);
    }
    QVERIFY(previous > 1000);
  }

  void PanelsStayInsideTheWindowAfterAResize() {
    auto* area = ui_tests::Child<QWidget>(*window_, "CentralArea");
    const QSize sizes[] = {{1024, 700}, {640, 480}, {500, 300}, {1920, 1080}};
    for (const QSize size : sizes) {
      window_->resize(size);
      window_->LayOut();
      for (auto* panel : window_->findChildren<ui::FloatingPanel*>()) {
        const QRect placed = panel->geometry();
        const QString what = QStringLiteral("%1 in %2x%3")
                                 .arg(panel->objectName())
                                 .arg(size.width())
                                 .arg(size.height());
        QVERIFY2(placed.left() >= 0 && placed.top() >= 0, qPrintable(what));
        // A panel bigger than the area keeps its corner in; a smaller one lies wholly inside.
        if (placed.width() <= area->width()) {
          QVERIFY2(placed.right() < area->width(), qPrintable(what));
        }
        if (placed.height() <= area->height()) {
          QVERIFY2(placed.bottom() < area->height(), qPrintable(what));
        }
      }
    }
    const struct {
      QPoint position;
      QSize panel, bounds;
      QPoint expected;
    } cases[] = {
        {{-154, -140}, {609, 361}, {300, 200}, {0, 0}},
        {{500, 400}, {200, 100}, {600, 450}, {400, 350}},
        {{10, 20}, {200, 100}, {600, 450}, {10, 20}},
    };
    for (const auto& c : cases) {
      QCOMPARE(ui::FloatingPanel::KeptInside(c.position, c.panel, c.bounds), c.expected);
    }
  }

  void F1OpensTheHelpWindowInTheLanguage() {
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    const struct {
      const char* item;
      const char* file;
    } cases[] = {{"N14", "help.zh_CN.html"}, {"N15", "help.zh_TW.html"}, {"N16", "help.html"}};
    for (const auto& c : cases) {
      Action(c.item)->trigger();
      QTest::keyClick(window_.get(), Qt::Key_F1);
      auto* help = window_->findChild<QWidget*>(QStringLiteral("HelpWindow"));
      QVERIFY(help != nullptr);
      QTRY_VERIFY(help->isVisible());
      auto* browser = ui_tests::Child<QTextBrowser>(*help, "HelpBrowser");
      QVERIFY2(browser->source().toLocalFile().endsWith(QString::fromLatin1(c.file)), c.item);
      QVERIFY(browser->toPlainText().contains(QStringLiteral("zentrope-cli")));
      help->close();
    }
    QVERIFY(messages_.informed.empty());
  }

  void HelpWithoutAGuideSaysSo() {
    window_.reset();
    window_ = Start(/*shipped=*/false);
    Action("HelpFileMenu")->trigger();
    QCOMPARE(messages_.informed.size(), size_t{1});
    QCOMPARE(messages_.informed[0].text, table_[741]);  // message 740 in language 1
    QVERIFY(window_->findChild<QWidget*>(QStringLiteral("HelpWindow")) == nullptr);
  }

  void StartHintShowsWhileNoSubtitleIsOpen() {
    auto* hint = ui_tests::Child<QWidget>(*window_, "StartHint");
    QVERIFY(!hint->isHidden());
    dialogs_.open_paths.push_back(folder_->Write("film.srt", kTextSrt));
    QTest::mouseClick(ui_tests::Child<QPushButton>(*window_, "StartOpenBut"), Qt::LeftButton);
    QCOMPARE(window_->Document().main.DataRowCount(), 2);
    QVERIFY(hint->isHidden());
    Action("CloseSrtMenu")->trigger();
    QVERIFY(!hint->isHidden());
    // The demo: a picture subtitle, opened without a dialog.
    const size_t dialogs_asked = dialogs_.open_filters.size();
    QTest::mouseClick(ui_tests::Child<QPushButton>(*window_, "StartDemoBut"), Qt::LeftButton);
    QCOMPARE(dialogs_.open_filters.size(), dialogs_asked);
    QVERIFY(window_->Document().picture_mode);
    QVERIFY(window_->Document().main.DataRowCount() > 0);
    QVERIFY(hint->isHidden());
  }

  void RecentFilesListTheLastOpenedNewestFirst() {
    std::vector<std::filesystem::path> files;
    for (int i = 1; i <= 10; ++i) {
      files.push_back(folder_->Write("film" + std::to_string(i) + ".srt", kTextSrt));
      dialogs_.open_paths.push_back(files.back());
      Action("OpenSrtMenu")->trigger();
    }
    QCOMPARE(RecentItems().size(), qsizetype{8});
    QVERIFY(RecentItems()[0]->text().endsWith(QStringLiteral("film10.srt")));
    QVERIFY(RecentItems()[7]->text().endsWith(QStringLiteral("film3.srt")));

    // The list lives in its own file and comes back with the next window.
    auto stored = app::RecentFiles::Load(folder_->path() / app::kRecentFilesFileName);
    QVERIFY(stored.ok());
    QCOMPARE(stored.value().Paths().front(), files.back());
    window_.reset();
    window_ = Start();
    QCOMPARE(RecentItems().size(), qsizetype{8});

    // An item opens its file without the dialog and moves to the top.
    const size_t dialogs_asked = dialogs_.open_filters.size();
    Action("RecentFile3")->trigger();
    QCOMPARE(dialogs_.open_filters.size(), dialogs_asked);
    QCOMPARE(window_->Document().source_file, files[7]);
    QVERIFY(RecentItems()[0]->text().endsWith(QStringLiteral("film8.srt")));

    // A file that has gone is reported and taken off the list.
    std::filesystem::remove(files[9]);  // film10.srt, second now
    Action("RecentFile2")->trigger();
    QCOMPARE(messages_.informed.size(), size_t{1});
    QCOMPARE(RecentItems().size(), qsizetype{7});
    Action("ClearRecentMenu")->trigger();
    QVERIFY(RecentItems().isEmpty());
    QVERIFY(!ui_tests::Child<QMenu>(*window_, "RecentMenu")->isEnabled());
  }

  void WindowOpensMaximisedFirstThenAtItsLastSize() {
    window_.reset();
    window_ = Start();
    window_->ShowAsLastTime();
    QTRY_VERIFY(window_->isMaximized());
    window_->showNormal();
    window_->resize(900, 650);
    QVERIFY(window_->close());
    QCOMPARE(folder_->Read("window.sys"), std::string("0\r\n900\r\n650\r\n"));
    window_.reset();
    window_ = Start();
    window_->ShowAsLastTime();
    QVERIFY(!window_->isMaximized());
    QCOMPARE(window_->size(), QSize(900, 650));
  }

 private:
  std::unique_ptr<ui::MainWindow> Start(bool shipped = true) {
    ui::MainWindowSetup setup = ui_tests::TestSetup(folder_->path(), messages_, dialogs_);
    if (shipped) {
      setup.shipped_data = kShipped;
    }
    setup.open_url = [](const QUrl&) { return true; };
    return ui_tests::StartWindow(std::move(setup));
  }
  QAction* Action(const char* name) {
    return ui_tests::Child<QAction>(*window_, name);
  }
  QString Message(int number, int language) const {
    const size_t line = static_cast<size_t>(number + language);
    return line < table_.size() ? ui::ToQString(table_[line]) : QString();
  }
  QList<QAction*> RecentItems() const {
    QList<QAction*> items;
    for (QAction* action : ui_tests::Child<QMenu>(*window_, "RecentMenu")->actions()) {
      if (action->objectName().startsWith(QStringLiteral("RecentFile"))) {
        items << action;
      }
    }
    return items;
  }

  // Every text of the language at line offset `offset`, and the captions that are the same in
  // every language: the language names, the fixed headings and the program's name.
  QSet<QString> LanguageTexts(int offset) const {
    QSet<QString> texts;
    for (size_t line = static_cast<size_t>(offset - 1); line < table_.size(); line += 3) {
      const QString text = ui::ToQString(table_[line]);
      texts.insert(text);
      // A caption split around a box ("from ... to") shows as one label per part.
      for (const QString& part : text.split(QRegularExpression(QStringLiteral("\\s{2,}")))) {
        texts.insert(part.trimmed());
      }
      // A caption naming a step ("撤销%1(&U)", "&Undo %1") shows without it when there is none.
      if (text.contains(QStringLiteral("%1"))) {
        texts.insert(QString(text).replace(QRegularExpression(QStringLiteral(" ?%1")), QString()));
      }
    }
    for (const char* fixed : {"language", "English", "TCF", "<->", "...", "Zentrope V3.13"}) {
      texts.insert(QString::fromLatin1(fixed));
    }
    texts.insert(
        QString::fromUtf8("\xE7\xAE\x80\xE4\xBD\x93\xE4\xB8\xAD\xE6\x96\x87"));  // 简体中文
    texts.insert(
        QString::fromUtf8("\xE7\xB9\x81\xE9\xAB\x94\xE4\xB8\xAD\xE6\x96\x87"));  // 繁體中文
    return texts;
  }

  // A text needs a language when it holds a letter; numbers, times and marks need none.
  static bool NeedsLanguage(const QString& text) {
    for (const QChar c : text) {
      if (c.isLetter()) {
        return true;
      }
    }
    return false;
  }

  static void Check(const QString& text, const QString& where, const QSet<QString>& known,
                    QStringList& strays) {
    if (NeedsLanguage(text) && !known.contains(text)) {
      strays << where + QStringLiteral(": ") + text;
    }
  }

  static void WalkMenu(QMenu* menu, const QSet<QString>& known, QStringList& strays) {
    Check(menu->title(), menu->objectName(), known, strays);
    for (QAction* action : menu->actions()) {
      if (action->menu() != nullptr) {
        WalkMenu(action->menu(), known, strays);
      } else if (!action->isSeparator() &&
                 !action->objectName().startsWith(QStringLiteral("RecentFile"))) {
        Check(action->text(), action->objectName(), known, strays);
      }
    }
  }

  // Lists each text shown on `window` (captions, titles, tab texts, headings, menu items and
  // tool tips) that is not in `known`.
  static void Walk(QWidget* window, const QSet<QString>& known, QStringList& strays) {
    for (QAction* action : window->findChild<QMenuBar*>()->actions()) {
      if (action->menu() != nullptr) {
        WalkMenu(action->menu(), known, strays);
      }
    }
    for (QWidget* widget : window->findChildren<QWidget*>()) {
      if (!widget->isVisibleTo(window)) {
        continue;
      }
      const QString where = widget->objectName();
      if (auto* label = qobject_cast<QLabel*>(widget)) {
        Check(label->text(), where, known, strays);
      } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        Check(button->text(), where, known, strays);
        Check(button->toolTip(), where + QStringLiteral(" hint"), known, strays);
      } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        Check(group->title(), where, known, strays);
      } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
        for (int tab = 0; tab < tabs->count(); ++tab) {
          Check(tabs->tabText(tab), where + QStringLiteral(" tab"), known, strays);
        }
      } else if (auto* grid = qobject_cast<QTableView*>(widget); grid && grid->model()) {
        for (int column = 0; column < grid->model()->columnCount(); ++column) {
          if (!grid->isColumnHidden(column) && !grid->horizontalHeader()->isHidden()) {
            Check(grid->model()->headerData(column, Qt::Horizontal).toString(),
                  where + QStringLiteral(" heading"), known, strays);
          }
        }
        for (int row = 0; row < grid->model()->rowCount(); ++row) {
          if (!grid->verticalHeader()->isHidden()) {
            Check(grid->model()->headerData(row, Qt::Vertical).toString(),
                  where + QStringLiteral(" row heading"), known, strays);
          }
        }
      }
    }
  }

  // Each visible heading of `grid` is at least as wide as its text and the header's margins.
  static void CheckHeadingsFit(QTableView* grid, const QString& where) {
    if (grid->model() == nullptr || grid->horizontalHeader()->isHidden()) {
      return;
    }
    QHeaderView* header = grid->horizontalHeader();
    const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int column = 0; column < grid->model()->columnCount(); ++column) {
      if (grid->isColumnHidden(column)) {
        continue;
      }
      const QString text = grid->model()->headerData(column, Qt::Horizontal).toString();
      const int needed = header->fontMetrics().horizontalAdvance(text) + margins;
      QVERIFY2(header->sectionSize(column) >= needed,
               qPrintable(QStringLiteral("%1 column %2 \"%3\": %4 < %5")
                              .arg(where)
                              .arg(column)
                              .arg(text)
                              .arg(header->sectionSize(column))
                              .arg(needed)));
    }
  }

  std::unique_ptr<testing_support::TempDir> folder_;
  testing_support::FakeMessages messages_;
  testing_support::FakeFileDialogs dialogs_;
  std::unique_ptr<ui::MainWindow> window_;
  text::Lines table_;
};

}  // namespace

namespace ui_tests {
QObject* NewDesktopTest() {
  return new DesktopTest();
}
}  // namespace ui_tests

#include "desktop_test.moc"

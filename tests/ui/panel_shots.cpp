// panel_shots: pictures of the main window with each of its panels open, in each language, for
// looking over the layout by eye. Run by scripts/screenshots (under Xvfb when it is installed).
//
//   panel_shots WORKDIR OUTDIR TEXT_SUBTITLE REFERENCE_SUBTITLE PICTURE_SUBTITLE [WxH]
//
// WxH is the window's size (default 1366x768).
// WORKDIR is a ready working folder (a copy of data/); answers to questions are No and file
// dialogs give the subtitles named here, so nothing outside WORKDIR and OUTDIR is written.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "app/message_numbers.h"
#include "app/status_texts.h"
#include "support/disc_streams.h"
#include "support/fake_ports.h"
#include "ui/main_window.h"
#include "ui/qt_ports.h"

namespace {

struct Language {
  const char* command;
  const char* tag;
};
constexpr Language kLanguages[] = {{"N14", "zh-hans"}, {"N15", "zh-hant"}, {"N16", "en"}};

class Shooter {
 public:
  Shooter(ui::MainWindow& window, std::filesystem::path out) : window_(window), out_(out) {}

  void SetLanguage(const Language& language) {
    Trigger(language.command);
    tag_ = language.tag;
  }
  void Trigger(const char* action) {
    if (auto* found = window_.findChild<QAction*>(QString::fromLatin1(action))) {
      found->trigger();
    } else {
      std::fprintf(stderr, "no action %s\n", action);
    }
  }
  void Click(const char* button) {
    if (auto* found = window_.findChild<QAbstractButton*>(QString::fromLatin1(button))) {
      found->click();
    }
  }
  void Hide(const char* widget) {
    if (auto* found = window_.findChild<QWidget*>(QString::fromLatin1(widget))) {
      found->hide();
    }
  }
  void Shot(const QString& what) {
    Shot(what, window_);
  }
  // A picture of another top-level window, such as the help window.
  void Shot(const QString& what, QWidget& shown) {
    QApplication::processEvents();
    const auto path = out_ / (what + QLatin1Char('-') + QLatin1String(tag_) + ".png").toStdString();
    if (!shown.grab().save(QString::fromStdString(path.string()))) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      failed_ = true;
    }
    ++shots_;
  }
  // The save dialog as the Save command shows it, with the encoding list, UTF-8 chosen.
  void SaveDialog() {
    ui::QtFileDialogPort port(&window_);
    const app::MessageTable& texts = window_.Application().Messages();
    const ports::SaveListChoice list{texts.Message(app::msg::kSaveEncodingCaption),
                                     app::SaveEncodingNames(texts), 1};
    const ports::FileFilter filter{
        {{"srt\xB8\xF1\xCA\xBD\xD7\xD6\xC4\xBB(*.srt)" /* srt格式字幕 */, "*.srt"}},
        window_.Document().last_save_folder,
        ".srt"};
    const std::unique_ptr<QFileDialog> dialog = port.NewSaveDialog(filter, "result.srt", &list);
    dialog->resize(760, 460);
    dialog->show();
    QApplication::processEvents();
    const auto path = out_ / ("save-dialog-" + std::string(tag_) + ".png");
    if (!dialog->grab().save(QString::fromStdString(path.string()))) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      failed_ = true;
    }
    ++shots_;
  }
  // Drops the menu `menu` down from the menu bar and takes the window with the open menu drawn
  // over it (a menu is a window of its own, which grabbing the main window leaves out).
  void MenuShot(const char* menu, const char* what) {
    auto* found = window_.findChild<QMenu*>(QString::fromLatin1(menu));
    if (found == nullptr) {
      std::fprintf(stderr, "no menu %s\n", menu);
      failed_ = true;
      return;
    }
    QMenuBar* bar = window_.menuBar();
    const QRect title = bar->actionGeometry(found->menuAction());
    found->popup(bar->mapToGlobal(title.bottomLeft()));
    QApplication::processEvents();
    QPixmap picture = window_.grab();
    QPainter painter(&picture);
    painter.drawPixmap(window_.mapFromGlobal(found->geometry().topLeft()), found->grab());
    painter.end();
    found->hide();
    const auto path = out_ / (QLatin1String(what) + QLatin1Char('-') + QLatin1String(tag_) +
                              QStringLiteral(".png"))
                                 .toStdString();
    if (!picture.save(QString::fromStdString(path.string()))) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      failed_ = true;
    }
    ++shots_;
  }
  // Opens a panel with its command, takes the picture and hides the panel again.
  void Panel(const char* command, const char* panel, const char* what) {
    Trigger(command);
    Shot(QString::fromLatin1(what));
    Hide(panel);
  }
  // Runs `command`, which waits in the teaching panel for an answer: the picture is taken once
  // the panel shows, then the teaching is aborted so that the command returns.
  // With `skips` > 0 the first questions are skipped and their pictures taken as what-1, what-2...
  void WhileTeaching(const char* command, const char* what, int skips = 0) {
    QTimer::singleShot(500, [this, what, skips] { Answer(what, skips, 0); });
    Trigger(command);
    QApplication::processEvents();
  }

  void Answer(const char* what, int skips, int done) {
    const QString name =
        done == 0 ? QString::fromLatin1(what) : QStringLiteral("%1-%2").arg(what).arg(done);
    Shot(name);
    // The teaching panel alone, at its own size: its suggestion buttons read at full scale.
    if (auto* panel = window_.findChild<QWidget*>(QStringLiteral("Panel3"));
        panel != nullptr && panel->isVisible()) {
      Shot(name + QStringLiteral("-panel"), *panel);
    }
    if (done < skips) {
      Click("Button4");
      QTimer::singleShot(500, [this, what, skips, done] { Answer(what, skips, done + 1); });
      return;
    }
    Click("Button5");
  }

  int shots() const {
    return shots_;
  }
  bool failed() const {
    return failed_;
  }

 private:
  ui::MainWindow& window_;
  std::filesystem::path out_;
  const char* tag_ = "";
  int shots_ = 0;
  bool failed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  int width = 1366;
  int height = 768;
  if ((argc != 6 && argc != 7) ||
      (argc == 7 && std::sscanf(argv[6], "%dx%d", &width, &height) != 2)) {
    std::fprintf(stderr,
                 "usage: panel_shots WORKDIR OUTDIR TEXT_SUBTITLE REFERENCE_SUBTITLE "
                 "PICTURE_SUBTITLE [WxH]\n");
    return 2;
  }
  const std::filesystem::path out = std::filesystem::absolute(argv[2]);
  std::filesystem::create_directories(out);
  testing_support::FakeMessages messages;
  messages.default_answer = ports::Answer::kNo;
  testing_support::FakeFileDialogs dialogs;
  for (int i = 3; i <= 5; ++i) {
    dialogs.open_paths.push_back(std::filesystem::absolute(argv[i]));
  }
  ui::MainWindowSetup setup;
  setup.program_folder = std::filesystem::absolute(argv[1]);
  setup.message_port = &messages;
  setup.file_dialogs = &dialogs;
  setup.switch_input_method = [](const std::string&) {};
  auto created = ui::MainWindow::Create(std::move(setup));
  if (!created.ok()) {
    std::fprintf(stderr, "%s\n", created.error().message.c_str());
    return 1;
  }
  ui::MainWindow& window = *created.value();
  window.resize(width, height);
  window.show();
  if (!window.Activate()) {
    return 1;
  }
  Shooter shooter(window, out);

  // Nothing open yet: the first-start hint, and the guide in the help window.
  for (const Language& language : kLanguages) {
    shooter.SetLanguage(language);
    shooter.Shot(QStringLiteral("start"));
    shooter.Trigger("HelpFileMenu");
    if (auto* help = window.findChild<QWidget*>(QStringLiteral("HelpWindow"))) {
      shooter.Shot(QStringLiteral("help"), *help);
      help->close();
    }
  }

  // A text subtitle with a reference beside it: the editing tools.
  shooter.Trigger("OpenSrtMenu");
  shooter.Trigger("OpenSecSrtMenu");
  for (const Language& language : kLanguages) {
    shooter.SetLanguage(language);
    shooter.Shot(QStringLiteral("edit-panels"));
    shooter.Panel("Check1Menu", "Panel21", "check-review");
    shooter.Panel("FindReplaceMenu", "Panel13", "find-replace");
    shooter.Panel("ConvertChineseMenu", "ChinesePanel", "chinese-conversion");
    shooter.MenuShot("TimesMenu", "times-menu");
    shooter.Panel("ShiftTimesMenu", "TimesPanel", "times-panel");
    shooter.Panel("EditWordMenu", "Panel6", "library-editor");
    shooter.Panel("AddWordMenu", "Panel15", "library-merge");
    shooter.Click("Button12");  // back: the merge's command state ends
    shooter.Panel("OutWordMenu", "Panel25", "library-export");
    shooter.Trigger("SetProMenu");
    auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    for (int tab = 0; tabs != nullptr && tab < tabs->count(); ++tab) {
      tabs->setCurrentIndex(tab);
      shooter.Shot(QStringLiteral("settings-tab%1").arg(tab + 1));
    }
    shooter.Click("Button10");
    shooter.Panel("AboutMenu", "Panel24", "about");
    shooter.SaveDialog();
  }

  // The Edit menu naming the step it would undo (a typed cell) and the one it would redo (an
  // inserted row).
  auto* grid = window.findChild<QTableView*>(QStringLiteral("StringGrid1"));
  grid->model()->setData(grid->model()->index(0, 1), QStringLiteral("Hello!"));
  shooter.Trigger("InsertNRowMenu");
  shooter.Trigger("UndoMenu");
  for (const Language& language : kLanguages) {
    shooter.SetLanguage(language);
    shooter.MenuShot("EditMenu", "edit-menu");
  }

  // A picture subtitle: the picture strip, the row analysis and the teaching panel.
  shooter.Trigger("OpenSrtMenu");
  for (const Language& language : kLanguages) {
    shooter.SetLanguage(language);
    shooter.Shot(QStringLiteral("picture-strip"));
    shooter.WhileTeaching("StartReadMenu", "teaching", 2);
    shooter.WhileTeaching("CheckRowMenu", "row-analysis");
    shooter.Shot(QStringLiteral("row-analysis-result"));
    shooter.Hide("Panel10");
  }
  // The disc subtitle import panel over a generated PGS stream of three pictures.
  std::vector<testing_support::PgsPicture> pictures;
  for (int i = 0; i < 3; ++i) {
    testing_support::PgsPicture picture;
    picture.start = 1000 + 3000 * i;
    picture.end = picture.start + 2000;
    picture.x = 460;
    picture.y = 960;
    picture.width = 1000;
    picture.height = 80;
    picture.palette = testing_support::SyntheticPalette();
    picture.pixels = testing_support::SyntheticSubtitle(1000, 80, 500 + static_cast<unsigned>(i));
    pictures.push_back(std::move(picture));
  }
  const std::filesystem::path sup = std::filesystem::absolute(argv[1]) / "import-sample.sup";
  std::ofstream(sup, std::ios::binary)
      << testing_support::SupFile(testing_support::PgsDisplaySets(pictures));
  dialogs.open_paths.push_back(sup);
  shooter.Trigger("ImportDiscMenu");
  for (const Language& language : kLanguages) {
    shooter.SetLanguage(language);
    shooter.Shot(QStringLiteral("import-panel"));
  }
  // Ink by luminance: the colour classes give way to the threshold.
  shooter.Click("ImportUseThreshold");
  shooter.Shot(QStringLiteral("import-panel-luminance"));
  shooter.Click("ImportUseThreshold");
  shooter.Hide("ImportPanel");
  std::printf("%d pictures in %s\n", shooter.shots(), out.c_str());
  return shooter.failed() ? 1 : 0;
}

// DesktopTools: translations of Qt's texts, help window, first-start hint, recent files and the
// window's size between runs.
#include "ui/desktop_tools.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <system_error>
#include <vector>

#include "app/message_numbers.h"
#include "app/program_folder.h"
#include "app/window_placement.h"
#include "ui/help_window.h"
#include "ui/qt_convert.h"
#include "ui/qt_ports.h"
#include "ui/qt_translations.h"

namespace ui {
namespace {

constexpr const char* kDemoSubtitle = "demo/demo.srt";

// "1  name" for the first nine entries: the digit is the item's mnemonic.
QString RecentCaption(int index, const std::filesystem::path& path) {
  QString name = PathToQString(path);
  name.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return QStringLiteral("&%1  %2").arg(index + 1).arg(name);
}

}  // namespace

DesktopTools::DesktopTools(MainWindow& window, MainWindow::Ui& ui, app::Application& app,
                           ports::MessagePort& messages, QtMessagePort* own_messages,
                           std::filesystem::path shipped_data,
                           std::function<bool(const QUrl&)> open_url)
    : window_(window),
      ui_(ui),
      app_(app),
      messages_(messages),
      own_messages_(own_messages),
      shipped_data_(std::move(shipped_data)),
      open_url_(std::move(open_url)),
      translations_(std::make_unique<QtTranslations>()) {
  auto recent = app::RecentFiles::Load(app_.WorkingFile(app::kRecentFilesFileName));
  if (recent.ok()) {
    recent_ = std::move(recent.value());
  }  // an unreadable list starts empty; the next open writes a new one
  BuildRecentMenu();
  BuildStartHint();
}

DesktopTools::~DesktopTools() = default;

QString DesktopTools::Text(int message) const {
  return ToQString(app_.Messages().Message(message));
}

void DesktopTools::BuildRecentMenu() {
  ui_.RecentMenu = new QMenu(ui_.FileMenu);
  ui_.RecentMenu->setObjectName(QStringLiteral("RecentMenu"));
  ui_.RecentMenu->setTitle(Text(app::msg::kRecentFilesMenu));
  ui_.ClearRecentMenu = new QAction(Text(app::msg::kClearRecentFiles), &window_);
  ui_.ClearRecentMenu->setObjectName(QStringLiteral("ClearRecentMenu"));
  connect(ui_.ClearRecentMenu, &QAction::triggered, this, &DesktopTools::ClearRecentFiles);
  // Before Exit, in a group of its own.
  ui_.FileMenu->insertMenu(ui_.ExitFormMenu, ui_.RecentMenu);
  ui_.FileMenu->insertSeparator(ui_.ExitFormMenu);
  FillRecentMenu();
}

void DesktopTools::FillRecentMenu() {
  QMenu* menu = ui_.RecentMenu;
  // The items go later, not at once: this runs from the triggered signal of one of them.
  for (QAction* old : menu->actions()) {
    menu->removeAction(old);
    if (old != ui_.ClearRecentMenu) {
      old->setObjectName(QString());
      old->deleteLater();
    }
  }
  const std::vector<std::filesystem::path>& paths = recent_.Paths();
  for (size_t i = 0; i < paths.size(); ++i) {
    QAction* item = menu->addAction(RecentCaption(static_cast<int>(i), paths[i]));
    item->setObjectName(QStringLiteral("RecentFile%1").arg(i + 1));
    const std::filesystem::path path = paths[i];
    connect(item, &QAction::triggered, this, [this, path] { OpenFile(path); });
  }
  menu->addSeparator();
  menu->addAction(ui_.ClearRecentMenu);
  ui_.ClearRecentMenu->setEnabled(!paths.empty());
  menu->setEnabled(!paths.empty());
}

void DesktopTools::BuildStartHint() {
  ui_.StartHint = new QFrame(ui_.CentralArea);
  ui_.StartHint->setObjectName(QStringLiteral("StartHint"));
  ui_.StartHint->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  ui_.StartHint->setAutoFillBackground(true);
  ui_.StartHintText = new QLabel(Text(app::msg::kStartHint), ui_.StartHint);
  ui_.StartHintText->setObjectName(QStringLiteral("StartHintText"));
  ui_.StartHintText->setWordWrap(true);
  ui_.StartHintText->setAlignment(Qt::AlignCenter);
  ui_.StartOpenBut = new QPushButton(Text(app::msg::kStartOpenButton), ui_.StartHint);
  ui_.StartOpenBut->setObjectName(QStringLiteral("StartOpenBut"));
  ui_.StartOpenBut->setDefault(true);
  ui_.StartDemoBut = new QPushButton(Text(app::msg::kStartDemoButton), ui_.StartHint);
  ui_.StartDemoBut->setObjectName(QStringLiteral("StartDemoBut"));
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(ui_.StartOpenBut);
  buttons->addWidget(ui_.StartDemoBut);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(ui_.StartHint);
  layout->setContentsMargins(24, 18, 24, 18);
  layout->setSpacing(14);
  layout->addWidget(ui_.StartHintText);
  layout->addLayout(buttons);
  // Above the grids, below the picture strip and every floating panel.
  ui_.StartHint->stackUnder(ui_.Panel2);
  ui_.StartHint->hide();
  connect(ui_.StartOpenBut, &QPushButton::clicked, ui_.OpenSrtMenu, &QAction::trigger);
  connect(ui_.StartDemoBut, &QPushButton::clicked, this, &DesktopTools::OpenDemo);
}

void DesktopTools::PlaceStartHint(const QRect& grid) {
  QFrame* hint = ui_.StartHint;
  const int width = std::min(grid.width() - 20, 520);
  hint->setFixedWidth(std::max(width, 200));
  const int height = hint->heightForWidth(hint->width()) > 0 ? hint->heightForWidth(hint->width())
                                                             : hint->sizeHint().height();
  hint->setFixedHeight(height);
  hint->move(grid.left() + (grid.width() - hint->width()) / 2,
             grid.top() + std::max(10, (grid.height() - height) / 3));
}

void DesktopTools::Activated() {
  activated_ = true;
  UpdateStartHint();
}

void DesktopTools::UpdateStartHint() {
  // Command state 0 is the state of no subtitle open (an empty table still has one blank row).
  const bool nothing_open = app_.Commands().Recorded() == 0 && app_.RecognitionStopped();
  ui_.StartHint->setVisible(activated_ && nothing_open);
}

void DesktopTools::LanguageApplied() {
  const int language = app_.Messages().Language();
  translations_->Apply(language,
                       {Text(app::msg::kFileDialogFolder), Text(app::msg::kFileDialogDrive),
                        Text(app::msg::kFileDialogBytes)});
  if (own_messages_ != nullptr) {
    own_messages_->SetButtonTexts({Text(app::msg::kYesButton), Text(app::msg::kNoButton),
                                   Text(app::msg::kOkButton), Text(app::msg::kCancelButton)});
  }
  if (help_ != nullptr) {
    help_->SetTexts(Text(app::msg::kHelpWindowTitle), Text(app::msg::kHelpCloseButton));
    if (help_->isVisible()) {
      ShowHelp();  // the guide of the new language
    }
  }
}

void DesktopTools::ShowHelp() {
  const std::vector<std::filesystem::path> folders = {app_.ProgramFolder(), shipped_data_};
  const std::filesystem::path guide = app::HelpFileFor(folders, app_.Messages().Language());
  if (guide.empty()) {
    messages_.Inform(ports::Severity::kInformation,
                     app_.Messages().Message(app::msg::kHelpMissing));
    return;
  }
  if (help_ == nullptr) {
    help_ = new HelpWindow(open_url_, &window_);
    help_->SetTexts(Text(app::msg::kHelpWindowTitle), Text(app::msg::kHelpCloseButton));
  }
  help_->ShowFile(guide);
  help_->show();
  help_->raise();
  help_->activateWindow();
}

bool DesktopTools::OpenFile(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    recent_.Remove(file);
    StoreRecentFiles();
    messages_.Inform(ports::Severity::kWarning, app_.Messages().Message(app::msg::kRecentFileGone) +
                                                    text::PathForMessage(file));
    return false;
  }
  if (!app_.GuardUnsavedMainSubtitle(app::msg::kOpenUnsavedQuestion) ||
      !app_.OpenSubtitleFile(file)) {
    return false;
  }
  RememberOpened();
  return true;
}

void DesktopTools::OpenDemo() {
  std::error_code error;
  std::filesystem::path demo = app_.WorkingFile(kDemoSubtitle);
  if (!std::filesystem::is_regular_file(demo, error)) {
    // A working folder made before the demo was shipped.
    demo = shipped_data_ / kDemoSubtitle;
  }
  if (!std::filesystem::is_regular_file(demo, error)) {
    messages_.Inform(ports::Severity::kWarning,
                     app_.Messages().Message(app::msg::kDemoMissing) + text::PathForMessage(demo));
    return;
  }
  if (app_.GuardUnsavedMainSubtitle(app::msg::kOpenUnsavedQuestion) &&
      app_.OpenSubtitleFile(demo)) {
    RememberOpened();
  }
}

void DesktopTools::RememberOpened() {
  std::error_code error;
  const std::filesystem::path opened =
      std::filesystem::absolute(app_.Document().source_file, error);
  if (error || opened.empty()) {
    return;
  }
  recent_.Add(opened);
  StoreRecentFiles();
}

void DesktopTools::ClearRecentFiles() {
  recent_ = app::RecentFiles();
  StoreRecentFiles();
}

void DesktopTools::StoreRecentFiles() {
  // The list is a convenience: failing to store it must not disturb the open that just worked.
  (void)recent_.Save(app_.WorkingFile(app::kRecentFilesFileName));
  FillRecentMenu();
}

void DesktopTools::ShowAsLastTime() {
  const app::WindowPlacement placement =
      app::LoadWindowPlacement(app_.WorkingFile(app::kWindowFileName));
  window_.resize(placement.width, placement.height);
  if (placement.maximised) {
    window_.showMaximized();
  } else {
    window_.showNormal();
  }
}

void DesktopTools::StorePlacement() {
  const bool maximised = window_.isMaximized();
  // normalGeometry() is the size to come back to from maximised; it is empty before the window
  // was ever shown normal.
  const QRect normal = window_.normalGeometry();
  const QSize size = maximised && normal.isValid() ? normal.size() : window_.size();
  app::WindowPlacement placement;
  placement.maximised = maximised;
  placement.width = std::max(size.width(), app::WindowPlacement::kMinWidth);
  placement.height = std::max(size.height(), app::WindowPlacement::kMinHeight);
  (void)app::SaveWindowPlacement(app_.WorkingFile(app::kWindowFileName), placement);
}

}  // namespace ui

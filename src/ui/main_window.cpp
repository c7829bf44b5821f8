// MainWindow: construction, layout, floating panels, and the Open, Save, Close, Exit, about and
// help commands.
#include "ui/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>
#include <system_error>
#include <tuple>

#include "document/subtitle_reader.h"
#include "document/subtitle_writer.h"
#include "ui/floating_panel.h"
#include "ui/main_window_ui.h"
#include "ui/progress_area.h"
#include "ui/qt_convert.h"
#include "ui/qt_ports.h"
#include "ui/subtitle_table_model.h"

namespace ui {
namespace {

// Message numbers of the texts this window shows.
constexpr int kUnsavedCaption = 413;
constexpr int kAskSaveBeforeOpen = 410;
constexpr int kUnknownExtension = 416;
constexpr int kStatusRowsBefore = 419;
constexpr int kStatusPictureRows = 422;
constexpr int kStatusTextRows = 425;
constexpr int kAskCheckBeforeSave = 488;
constexpr int kCheckCaption = 491;
constexpr int kAskSaveBeforeClose = 635;
constexpr int kHelpMissing = 740;
constexpr int kAboutCredit = 764;
constexpr int kAboutClose = 197;
constexpr int kLibraryLoading = 398;
constexpr int kOpenFilter = 767;
constexpr int kSaveFilter = 587;

// The layout's own filters, used when the message table has none.
constexpr const char* kDefaultOpenFilter =
    "\xCE\xC4\xB1\xBE\xB8\xF1\xCA\xBD\xD7\xD6\xC4\xBB(*.srt;*.ssa)|*.srt;*.ssa" /* 文本格式字幕 */;
constexpr const char* kDefaultSaveFilter =
    "srt\xB8\xF1\xCA\xBD\xD7\xD6\xC4\xBB(*.srt)|*.srt|ssa\xB8\xF1\xCA\xBD\xD7\xD6\xC4\xBB"
    "(*.ssa)|*.ssa" /* srt格式字幕 ... ssa格式字幕 */;

constexpr const char* kTitlePrefix = "Zentrope V3.11--";

// Exit command and window close differ only in their messages.
struct ShutdownMessages {
  int running;
  int main_unsaved;
  int reference_unsaved;
  int archiving;
};
constexpr ShutdownMessages kExitMessages{428, 431, 434, 437};
constexpr ShutdownMessages kCloseMessages{671, 674, 677, 680};

// A dialog filter in the form "description|patterns|description|patterns...".
app::FileFilter ParseFilter(const std::string& text) {
  app::FileFilter filter;
  size_t start = 0;
  std::vector<std::string> parts;
  while (start <= text.size()) {
    const size_t bar = text.find('|', start);
    parts.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) {
      break;
    }
    start = bar + 1;
  }
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    filter.entries.emplace_back(parts[i], parts[i + 1]);
  }
  return filter;
}

QFrame* NewFrame(QWidget* parent, const char* name) {
  auto* frame = new QFrame(parent);
  frame->setObjectName(QString::fromLatin1(name));
  frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  return frame;
}

}  // namespace

MainWindow::MainWindow(MainWindowSetup setup, QWidget* parent)
    : QMainWindow(parent),
      program_folder_(std::move(setup.program_folder)),
      messages_(std::move(setup.messages)),
      settings_(std::move(setup.settings)),
      open_url_(std::move(setup.open_url)),
      pump_(std::make_unique<QtEventPump>()),
      ui_(std::make_unique<Ui>()) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Zentrope V3.13"));
  if (setup.message_port == nullptr) {
    own_message_port_ = std::make_unique<QtMessagePort>(this);
  }
  if (setup.file_dialogs == nullptr) {
    own_file_dialogs_ = std::make_unique<QtFileDialogPort>(this);
  }
  message_port_ = setup.message_port ? setup.message_port : own_message_port_.get();
  file_dialogs_ = setup.file_dialogs ? setup.file_dialogs : own_file_dialogs_.get();
  if (!open_url_) {
    open_url_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  }
  messages_.SetLanguage(settings_.Language());
  document::SetDefaultHeadings(document_);
  document_.last_open_folder = settings_.OpenFolder();
  document_.reference_folder = settings_.ReferenceFolder();
  document_.last_save_folder = settings_.SaveFolder();

  BuildMenus();
  BuildToolBar();
  BuildCentralArea();
  BuildStatusBar();
  BuildPanels();
  ConnectSignals();
  ApplyLanguage();
  resize(1024, 720);
  LayOut();
}

MainWindow::~MainWindow() = default;

QString MainWindow::MessageText(int number) const {
  return ToQString(Message(number));
}

void MainWindow::BuildCentralArea() {
  Ui& u = *ui_;
  u.CentralArea = new QWidget(this);
  u.CentralArea->setObjectName(QStringLiteral("CentralArea"));
  setCentralWidget(u.CentralArea);

  main_model_ =
      new SubtitleTableModel(document_.main,
                             {document::kText, document::kStart, document::kEnd, document::kStyle,
                              document::kMarginL, document::kMarginR, document::kMarginV},
                             this);
  main_model_->SetEditHandler([this](int column, int row, const QString& value) {
    return AcceptCellEdit(column, row, value);
  });
  reference_model_ = new SubtitleTableModel(document_.reference, {}, this);

  for (auto [grid, name, model] : {std::tuple{&u.StringGrid1, "StringGrid1", main_model_},
                                   std::tuple{&u.StringGrid7, "StringGrid7", reference_model_}}) {
    auto* view = new QTableView(u.CentralArea);
    view->setObjectName(QString::fromLatin1(name));
    view->setModel(model);
    // Fixed row heights keep a 100,000-row table as quick as a short one.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(19);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view->horizontalHeader()->setMinimumSectionSize(1);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setWordWrap(false);
    *grid = view;
  }
  u.StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
  u.StringGrid1->setEditTriggers(QAbstractItemView::DoubleClicked |
                                 QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
  u.StringGrid7->setEditTriggers(QAbstractItemView::NoEditTriggers);
  u.StringGrid7->hide();
  // The grid stays hidden until the library has loaded (Activate).
  u.StringGrid1->hide();

  u.Panel2 = NewFrame(u.CentralArea, "Panel2");
  u.Panel2->hide();
  u.Panel14 = NewFrame(u.Panel2, "Panel14");
  u.Panel9 = NewFrame(u.Panel2, "Panel9");
  u.Image1 = new QLabel(u.Panel9);
  u.Image1->setObjectName(QStringLiteral("Image1"));
  u.Image1->setAutoFillBackground(true);
  QPalette white = u.Image1->palette();
  white.setColor(QPalette::Window, Qt::white);
  u.Image1->setPalette(white);
  u.Panel1 = NewFrame(u.Panel2, "Panel1");
  u.Panel19 = NewFrame(u.Panel2, "Panel19");
  u.Panel20 = NewFrame(u.Panel2, "Panel20");
  u.Panel22 = NewFrame(u.Panel2, "Panel22");
  for (QFrame* edit_panel : {u.Panel19, u.Panel20, u.Panel22}) {
    edit_panel->hide();
  }
}

void MainWindow::BuildStatusBar() {
  Ui& u = *ui_;
  statusBar()->setObjectName(QStringLiteral("StatusBar1"));
  u.StatusText = new QLabel(statusBar());
  u.StatusText->setObjectName(QStringLiteral("StatusText"));
  u.StatusText->setMinimumWidth(100);
  u.StatusProgress = new ProgressArea(statusBar());
  statusBar()->addWidget(u.StatusText);
  statusBar()->addWidget(u.StatusProgress);
}

void MainWindow::BuildPanels() {
  Ui& u = *ui_;
  struct PanelSpec {
    FloatingPanel* Ui::*member;
    const char* name;
    const char* gbk_title;
    int width;
    int height;
    int top_offset;
  };
  const PanelSpec specs[] = {
      {&Ui::Panel3, "Panel3",
       "\xB7\xE1\xB8\xBB\xD7\xD6\xBF\xE2--\xBF\xEC\xC0\xD6\xD4\xB4\xD3\xDA\xD0\xC1\xC7\xDA\xB5\xD8"
       "\xC0\xCD\xB6\xAF" /* 丰富字库--快乐源于辛勤地劳动 */,
       345, 233, 60},
      {&Ui::Panel6, "Panel6",
       "\xD7\xD6\xBF\xE2\xD0\xDE\xB8\xC4--\xC8\xC3\xCE\xD2\xC3\xC7\xB8\xFC\xBF\xEC\xC0\xD6" /* 字库修改--让我们更快乐
                                                                                             */
       ,
       609, 361, 60},
      {&Ui::Panel11, "Panel11", "\xB3\xCC\xD0\xF2\xC9\xE8\xD6\xC3" /* 程序设置 */, 497, 305, 80},
      {&Ui::Panel15, "Panel15",
       "\xD7\xD6\xBF\xE2\xBA\xCF\xB2\xA2--\xCD\xB3\xD2\xBB\xB5\xC4\xD7\xD6\xBF\xE2\xCA\xC7\xCB\xD9"
       "\xB6\xC8\xB5\xC4\xB1\xA3\xD6\xA4" /* 字库合并--统一的字库是速度的保证 */,
       377, 153, 60},
      {&Ui::Panel21, "Panel21", "\xBC\xEC\xB2\xE9\xD0\xA3\xB6\xD4" /* 检查校对 */, 593, 329, 60},
      {&Ui::Panel23, "Panel23", "\xC7\xEB\xC9\xD4\xBA\xF2\xA1\xAD\xA1\xAD" /* 请稍候…… */, 225, 41,
       30},
      {&Ui::Panel24, "Panel24", "Zentrope V3.13", 337, 257, 30},
      {&Ui::Panel25, "Panel25",
       "\xD7\xD6\xBF\xE2\xB5\xBC\xB3\xF6--\xB9\xB2\xCF\xED\xCA\xC7\xBD\xDA\xD4\xBC\xCA\xB1\xBC\xE4"
       "\xB5\xC4\xBA\xC3\xB0\xEC\xB7\xA8" /* 字库导出--共享是节约时间的好办法 */,
       369, 145, 30},
      {&Ui::Panel10, "Panel10",
       "\xB5\xB1\xC7\xB0\xD0\xD0\xB5\xC4\xCF\xEA\xCF\xB8\xD0\xC5\xCF\xA2" /* 当前行的详细信息 */,
       177, 321, 30},
      {&Ui::Panel13, "Panel13", "\xB2\xE9\xD5\xD2\xD3\xEB\xCC\xE6\xBB\xBB" /* 查找与替换 */, 337,
       153, 30},
  };
  for (const PanelSpec& spec : specs) {
    u.*spec.member =
        new FloatingPanel(QString::fromLatin1(spec.name), ToQString(spec.gbk_title),
                          QSize(spec.width, spec.height), spec.top_offset, u.drag, u.CentralArea);
  }

  // The wait panel: a progress text and a stop button beside it.
  u.Label36 = new QLabel(u.Panel23);
  u.Label36->setObjectName(QStringLiteral("Label36"));
  u.Button19 = new QPushButton(ToQString("\xCD\xA3\xD6\xB9" /* 停止 */), u.Panel23);
  u.Button19->setObjectName(QStringLiteral("Button19"));
  auto* wait_row = new QHBoxLayout();
  wait_row->addWidget(u.Label36, 1);
  wait_row->addWidget(u.Button19);
  u.Panel23->Body()->addLayout(wait_row);
  u.Panel23->TitleLabel()->hide();
  u.Panel23->resize(225, 41);

  // The about panel, also the start-up panel while the library loads.
  auto* picture = new QLabel(u.Panel24);
  picture->setObjectName(QStringLiteral("AboutPicture"));
  picture->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
  picture->setAlignment(Qt::AlignCenter);
  u.AboutLoadingText = new QLabel(u.Panel24);
  u.AboutLoadingText->setObjectName(QStringLiteral("AboutLoadingText"));
  u.AboutCredit = new QLabel(u.Panel24);
  u.AboutCredit->setObjectName(QStringLiteral("AboutCredit"));
  u.AboutText = new QLabel(u.Panel24);
  u.AboutText->setObjectName(QStringLiteral("AboutText"));
  u.AboutText->setWordWrap(true);
  u.AboutText->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  u.AboutClose = new QPushButton(u.Panel24);
  u.AboutClose->setObjectName(QStringLiteral("AboutClose"));
  for (QLabel* label : {picture, u.AboutLoadingText, u.AboutCredit}) {
    u.Panel24->Body()->addWidget(label);
  }
  u.Panel24->Body()->addWidget(u.AboutText, 1);
  u.Panel24->Body()->addWidget(u.AboutClose, 0, Qt::AlignRight);
  u.Panel24->AddDragHandle(picture);
  u.Panel24->AddDragHandle(u.AboutCredit);
}

void MainWindow::Activate() {
  ShowAboutPanel(/*loading=*/true);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  // TODO: load the glyph library and its index here once the library core offers a loader.
  ui_->Panel24->hide();
  ui_->Panel2->show();
  ui_->StringGrid1->show();
  ShowPicturePanels();
  EnterRecordedState(0);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  LayOut();
}

void MainWindow::LayOut() {
  Ui& u = *ui_;
  // Sizes follow the whole window; positions are inside the central area.
  const int width = this->width();
  const int height = this->height();
  const QRect grid(8, 2, width - 30, height - 250);
  u.StringGrid1->setGeometry(grid);
  u.StringGrid7->setGeometry(grid.right() + 1 + 2, grid.top(), 1, grid.height());

  const int strip_top = grid.bottom() + 1 + 7;
  const int strip_height = std::max(40, height - (grid.top() + grid.height()) - 80);
  u.Panel2->setGeometry(grid.left(), strip_top, width - 30, strip_height);
  const int strip_width = u.Panel2->width();
  u.Panel14->setGeometry(5, 5, 150, strip_height - 10);
  u.Panel9->setGeometry(u.Panel14->width() + 10, 5, std::max(1, strip_width - 340),
                        strip_height - 10);
  u.Image1->setGeometry(0, 0, std::max(1, u.Panel9->width() - 10), u.Panel9->height());
  u.Panel1->setGeometry(strip_width - 170, 5, 160, strip_height - 10);
  u.Panel19->setGeometry(u.Panel14->geometry());
  u.Panel20->setGeometry(u.Panel14->geometry().right() + 1 + 2, u.Panel14->y(), 390,
                         u.Panel14->height());
  u.Panel22->setGeometry(u.Panel20->geometry().right() + 1, u.Panel14->y(), 390,
                         u.Panel14->height());

  for (FloatingPanel* panel : findChildren<FloatingPanel*>()) {
    panel->PlaceIn(QSize(width, height));
  }

  if (reference_grid_shown_) {
    const int reference_width = ((width - 470) * 4) / 9 + 210;
    u.StringGrid1->setGeometry(grid.left(), grid.top(), width - reference_width - 20,
                               grid.height());
    u.StringGrid7->setGeometry(u.StringGrid1->geometry().right() + 1 + 2, grid.top(),
                               reference_width, grid.height());
  }
  ApplyColumnWidths();
}

void MainWindow::ApplyColumnWidths() {
  QTableView* reference = ui_->StringGrid7;
  const int reference_width = reference->width();
  for (int column = 0; column < document::kReferenceColumnCount; ++column) {
    reference->setColumnWidth(column, column == 0 ? 30 : 80);
  }
  reference->setColumnWidth(1, std::max(80, reference_width < 518 ? reference_width - 218 : 300));

  QTableView* grid = ui_->StringGrid1;
  const int grid_width = grid->width();
  const int widths[] = {30, 80, 80, 80, 1, 20, 20, 1, 1, 1, 1, 1, 1, 1};
  for (int column = 0; column < document::kMainColumnCount; ++column) {
    grid->setColumnWidth(column, widths[column]);
  }
  grid->setColumnWidth(1, std::max(80, grid_width < 725 ? grid_width - 275 : 450));
  // Style and margins appear as the window grows: (column, below this width, offset, width).
  const int steps[][4] = {
      {7, 806, 725, 80}, {8, 846, 805, 40}, {9, 886, 845, 40}, {10, 926, 885, 40}};
  for (const auto& step : steps) {
    const int value = grid_width < step[1] ? grid_width - step[2] : step[3];
    grid->setColumnWidth(step[0], std::max(1, value));
  }
}

void MainWindow::ShowAboutPanel(bool loading) {
  Ui& u = *ui_;
  u.AboutLoadingText->setText(loading ? MessageText(kLibraryLoading) : QString());
  u.AboutLoadingText->setVisible(loading);
  u.AboutCredit->setText(MessageText(kAboutCredit));
  const int groups[][2] = {{743, 746}, {749, 752}, {755, 758}};
  QStringList lines;
  for (const auto& group : groups) {
    lines << QString() << MessageText(group[0]) << MessageText(group[1]);
  }
  lines << QString() << MessageText(761);
  u.AboutText->setText(lines.join(QLatin1Char('\n')));
  u.AboutClose->setText(MessageText(kAboutClose));
  u.AboutClose->setVisible(!loading);
  u.Panel24->show();
  u.Panel24->raise();
  u.Panel23->raise();
}

void MainWindow::AboutMenuClick() {
  ShowAboutPanel(/*loading=*/false);
}

void MainWindow::HelpFileMenuClick() {
  const std::filesystem::path help = program_folder_ / "help.html";
  std::error_code error;
  if (!std::filesystem::exists(help, error)) {
    message_port_->Inform(app::Severity::kInformation, Message(kHelpMissing));
    return;
  }
  open_url_(QUrl::fromLocalFile(PathToQString(help)));
}

void MainWindow::NotAvailableYet() {
  const bool english = messages_.Language() == app::MessageTable::kEnglish;
  message_port_->Inform(app::Severity::kInformation,
                        english ? "This command is not available yet."
                                : "\xB4\xCB\xB9\xA6\xC4\xDC\xC9\xD0\xCE\xB4\xCD\xEA\xB3\xC9\xA1\xA3"
                        /* 此功能尚未完成。 */);
}

void MainWindow::StringGrid1ContextMenu(const QPoint& point) {
  const QModelIndex index = ui_->StringGrid1->indexAt(point);
  if (!index.isValid() || index.column() == document::kShiftMark) {
    return;
  }
  ui_->StringGrid1->setCurrentIndex(index);
  ui_->PopupMenu1->popup(ui_->StringGrid1->viewport()->mapToGlobal(point));
}

void MainWindow::SaveDialog1FolderChange(const std::filesystem::path& folder) {
  QApplication::clipboard()->setText(ToQString(ProposedSubtitleName(folder)));
}

bool MainWindow::AcceptCellEdit(int column, int row, const QString& value) {
  text::Result<std::string> gbk = ToGbk(value);
  if (!gbk.ok()) {
    message_port_->Inform(app::Severity::kWarning, gbk.error().message);
    return false;
  }
  document::RowTable& table = document_.main;
  if (!table.IsDataRow(row) || table.Cell(column, row) == gbk.value()) {
    return true;
  }
  table.SetCell(column, row, std::move(gbk.value()));
  // The change marks: "T" in front for times, "C" and "P" appended for text and style.
  std::string marks = table.Cell(document::kChangeMarks, row);
  if ((column == document::kStart || column == document::kEnd) &&
      marks.find('T') == std::string::npos) {
    marks.insert(marks.begin(), 'T');
  } else if (column == document::kText && marks.find('C') == std::string::npos) {
    marks += 'C';
  } else if (column >= document::kStyle && column <= document::kMarginV &&
             marks.find('P') == std::string::npos) {
    marks += 'P';
  }
  table.SetCell(document::kChangeMarks, row, std::move(marks));
  document_.document_saved = false;
  return true;
}

bool MainWindow::GuardUnsavedWork(int text_message) {
  if (document_.document_saved) {
    return true;
  }
  const app::Answer answer = message_port_->Ask(
      {Message(text_message), Message(kUnsavedCaption), app::Buttons::kYesNoCancel});
  if (answer == app::Answer::kCancel) {
    return false;
  }
  if (answer == app::Answer::kYes) {
    SaveSrtMenuClick();
    return document_.document_saved;
  }
  return true;
}

void MainWindow::OpenSrtMenuClick() {
  if (!GuardUnsavedWork(kAskSaveBeforeOpen)) {
    return;
  }
  std::string filter_text = Message(kOpenFilter);
  app::FileFilter filter = ParseFilter(filter_text.empty() ? kDefaultOpenFilter : filter_text);
  filter.start_folder = document_.last_open_folder;
  filter.default_extension = document_.source_extension;
  const std::optional<std::filesystem::path> chosen = file_dialogs_->ChooseFileToOpen(filter);
  if (!chosen) {
    return;
  }
  document_.last_open_folder = chosen->parent_path();
  document_.source_file = *chosen;
  document_.source_extension = document::LowerCaseExtension(*chosen);
  if (document_.source_extension != ".srt" && document_.source_extension != ".ssa") {
    message_port_->Inform(app::Severity::kWarning, Message(kUnknownExtension));
    return;
  }
  ui_->StatusProgress->SetProgress(0, 0);
  setWindowTitle(QString::fromLatin1(kTitlePrefix) + PathToQString(*chosen));
  recognition_stopped_ = true;

  const text::Result<document::ReadReport> read =
      document::ReadSubtitleFile(*chosen, document::Role::kMain, document_);
  if (!read.ok()) {
    message_port_->Inform(app::Severity::kError, read.error().message);
    return;
  }
  for (const std::string& warning : read.value().warnings) {
    message_port_->Inform(app::Severity::kWarning, warning);
  }
  const std::string rows = std::to_string(document_.main.RowCount() - 1);
  if (document_.picture_mode) {
    SetStatusText(Message(kStatusRowsBefore) + rows + Message(kStatusPictureRows));
    SelectFirstRow();
    EnterRecordedState(1);
    document_.picture_folder = chosen->parent_path();
    ShowPicturePanels();
  } else {
    document_.last_save_folder = document_.last_open_folder;
    document_.save_file = document_.source_file;
    document_.save_extension = document_.source_extension;
    SetStatusText(Message(kStatusRowsBefore) + rows + Message(kStatusTextRows));
    SelectFirstRow();
    EnterRecordedState(7);
    ShowEditPanels();
  }
  document_.document_saved = true;
}

void MainWindow::SaveSrtMenuClick() {
  if (!document_.proofread_done) {
    const app::Answer answer = message_port_->Ask(
        {Message(kAskCheckBeforeSave), Message(kCheckCaption), app::Buttons::kYesNo});
    if (answer == app::Answer::kYes) {
      NotAvailableYet();  // the check review comes with the proofreading panels
      return;
    }
  }
  const std::string filter_text = Message(kSaveFilter);
  app::FileFilter filter = ParseFilter(filter_text.empty() ? kDefaultSaveFilter : filter_text);
  filter.start_folder = document_.last_save_folder;
  filter.default_extension = document_.save_extension;
  const std::optional<std::filesystem::path> chosen =
      file_dialogs_->ChooseFileToSave(filter, document_.save_file);
  if (!chosen) {
    return;
  }
  document_.last_save_folder = chosen->parent_path();
  document_.save_file = *chosen;
  document_.save_extension = document::LowerCaseExtension(*chosen);
  if (document_.save_extension != ".srt" && document_.save_extension != ".ssa") {
    document_.save_file += filter.default_extension;
    document_.save_extension = filter.default_extension;
  }
  document::WriteOptions options;
  options.author_enabled = settings_.AuthorEntryOn();
  options.author_time_line = settings_.AuthorTime();
  options.author_text = settings_.AuthorText();
  options.working_folder = program_folder_;
  const text::Status written =
      document::WriteSubtitleFile(document_.save_file, document::Role::kMain, document_, options);
  if (!written.ok()) {
    message_port_->Inform(app::Severity::kError, written.error().message);
    return;
  }
  document_.proofread_done = true;
  document_.document_saved = true;
}

void MainWindow::CloseSrtMenuClick() {
  if (!GuardUnsavedWork(kAskSaveBeforeClose)) {
    return;
  }
  document_.main.Clear();
  ui_->Image1->clear();
  EnterRecordedState(0);
}

bool MainWindow::RunShutdownSteps(ShutdownPath path) {
  const ShutdownMessages& text =
      path == ShutdownPath::kExitCommand ? kExitMessages : kCloseMessages;
  if (!recognition_stopped_) {
    message_port_->Inform(app::Severity::kWarning, Message(text.running));
    return false;
  }
  if (!GuardUnsavedWork(text.main_unsaved)) {
    return false;
  }
  if (!document_.reference_saved) {
    const app::Answer answer = message_port_->Ask(
        {Message(text.reference_unsaved), Message(kUnsavedCaption), app::Buttons::kYesNoCancel});
    if (answer == app::Answer::kCancel) {
      return false;
    }
    if (answer == app::Answer::kYes) {
      NotAvailableYet();  // saving the reference comes with the reference panels
      if (!document_.reference_saved) {
        return false;
      }
    }
  }
  // TODO: archive the new-glyph journal (wait text `text.archiving`) once the library core
  // offers it; until then only the settings are written.
  settings_.SetFolders(document_.last_open_folder.string(), document_.reference_folder.string(),
                       document_.last_save_folder.string());
  const text::Status saved = settings_.SaveToFile(program_folder_ / "setup.sys");
  if (!saved.ok()) {
    message_port_->Inform(app::Severity::kError, saved.error().message);
    return false;
  }
  return true;
}

void MainWindow::ExitFormMenuClick() {
  if (RunShutdownSteps(ShutdownPath::kExitCommand)) {
    close();
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (RunShutdownSteps(ShutdownPath::kWindowClose)) {
    event->accept();
  } else {
    event->ignore();
  }
}

void MainWindow::SelectFirstRow() {
  QTableView* grid = ui_->StringGrid1;
  grid->setCurrentIndex(main_model_->index(0, document::kText));
  grid->scrollToTop();
  grid->setFocus();
  document_.current_row = 1;
}

void MainWindow::ShowPicturePanels() {
  Ui& u = *ui_;
  for (QWidget* panel : {static_cast<QWidget*>(u.Panel9), static_cast<QWidget*>(u.Panel1),
                         static_cast<QWidget*>(u.Panel14)}) {
    panel->show();
  }
  for (QFrame* panel : {u.Panel19, u.Panel20, u.Panel22}) {
    panel->hide();
  }
}

void MainWindow::ShowEditPanels() {
  Ui& u = *ui_;
  u.Panel19->show();
  u.Panel20->show();
  u.Panel22->setVisible(reference_grid_shown_);
  for (QWidget* panel : {static_cast<QWidget*>(u.Panel9), static_cast<QWidget*>(u.Panel1),
                         static_cast<QWidget*>(u.Panel14)}) {
    panel->hide();
  }
}

void MainWindow::SetStatusText(const std::string& gbk) {
  ui_->StatusText->setText(ToQString(gbk));
}

void MainWindow::ShowProgress(int done, int total) {
  ui_->StatusProgress->SetProgress(done, total);
}

}  // namespace ui

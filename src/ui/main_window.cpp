// MainWindow: construction, layout, floating panels, the shell's window hooks, and the Open,
// Save, Close, Exit, about and help commands.
#include "ui/main_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <span>
#include <system_error>
#include <utility>

#include "app/library_port.h"
#include "app/save_dialog.h"
#include "app/status_texts.h"
#include "document/subtitle_time.h"
#include "library/glyph_library.h"
#include "proof/row_editing.h"
#include "proof/time_changes.h"
#include "text/encoding.h"
#include "text/line_file.h"
#include "ui/chinese_tools.h"
#include "ui/desktop_tools.h"
#include "ui/floating_panel.h"
#include "ui/import_tools.h"
#include "ui/library_tools.h"
#include "ui/main_window_ui.h"
#include "ui/progress_area.h"
#include "ui/proof_tools.h"
#include "ui/qt_convert.h"
#include "ui/qt_ports.h"
#include "ui/recognition_tools.h"
#include "ui/settings_tools.h"
#include "ui/subtitle_table_model.h"
#include "ui/time_tools.h"

namespace ui {
namespace {

constexpr int kHelpMissing = 740;
constexpr int kAboutCredit = 764;
constexpr int kAboutClose = 197;
constexpr int kAboutLines[] = {0, 743, 746, 0, 749, 752, 0, 755, 758, 0, 761};  // 0: empty line

QFrame* NewFrame(QWidget* parent, const char* name) {
  auto* frame = new QFrame(parent);
  frame->setObjectName(QString::fromLatin1(name));
  frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  return frame;
}

}  // namespace

MainWindow::MainWindow(MainWindowSetup& setup)
    : program_folder_(setup.program_folder),
      open_url_(std::move(setup.open_url)),
      shipped_data_(setup.shipped_data),
      open_at_start_(setup.open_at_start),
      pump_(std::make_unique<QtEventPump>()),
      ui_(std::make_unique<Ui>()) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QString::fromLatin1(app::kProgramCaption) + QStringLiteral("[*]"));
  // The layout's font size, which the fixed column widths are measured for.
  QFont window_font = font();
  window_font.setPixelSize(12);
  setFont(window_font);
  if (setup.message_port == nullptr) {
    own_message_port_ = std::make_unique<QtMessagePort>(this);
  }
  if (setup.file_dialogs == nullptr) {
    own_file_dialogs_ = std::make_unique<QtFileDialogPort>(this);
  }
  if (setup.library == nullptr) {
    own_glyphs_ = std::make_unique<library::GlyphLibrary>(program_folder_);
    own_library_ = std::make_unique<app::LibraryPort>(*own_glyphs_);
  }
  message_port_ = setup.message_port ? setup.message_port : own_message_port_.get();
  file_dialogs_ = setup.file_dialogs ? setup.file_dialogs : own_file_dialogs_.get();
  library_ = setup.library ? setup.library : own_library_.get();
  if (!open_url_) {
    open_url_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  }
  BuildMenus();
  BuildToolBar();
  BuildCentralArea();
  BuildStatusBar();
  BuildPanels();
}

text::Result<std::unique_ptr<MainWindow>> MainWindow::Create(MainWindowSetup setup) {
  std::unique_ptr<MainWindow> window(new MainWindow(setup));
  MainWindow& w = *window;
  auto created = app::Application::Create(
      w.program_folder_, app::ShellPorts{*w.message_port_, *w.file_dialogs_, *w.pump_,
                                         static_cast<app::ShellHooks&>(w), *w.library_});
  if (!created.ok()) {
    w.message_port_->Inform(ports::Severity::kError, created.error().message);
    return created.error();
  }
  w.app_ = std::move(created.value());
  w.BindDocument();
  w.proof_tools_ = new ProofTools(w, *w.ui_, *w.app_, *w.message_port_, *w.file_dialogs_, *w.pump_);
  w.ConnectSignals();
  w.modified_timer_ = new QTimer(&w);
  w.modified_timer_->setInterval(200);
  connect(w.modified_timer_, &QTimer::timeout, &w, &MainWindow::SyncModifiedMark);
  w.modified_timer_->start();
  w.recognition_tools_ = std::make_unique<RecognitionTools>(*w.ui_, *w.app_, *w.message_port_,
                                                            *w.pump_, w.own_glyphs_.get(), &w);
  w.library_tools_ = std::make_unique<LibraryTools>(*w.ui_, *w.app_, w.own_glyphs_.get(),
                                                    *w.message_port_, *w.file_dialogs_, &w);
  // A glyph double-clicked in the row details opens the library editor at its record.
  connect(w.recognition_tools_.get(), &RecognitionTools::GlyphLookupRequested,
          w.library_tools_.get(), &LibraryTools::OpenEditorWithSearch);
  w.settings_tools_ = std::make_unique<SettingsTools>(*w.ui_, *w.app_, *w.message_port_,
                                                      std::move(setup.input_methods),
                                                      std::move(setup.switch_input_method), &w);
  w.chinese_tools_ = new ChineseTools(w, *w.app_, *w.message_port_, *w.pump_);
  w.time_tools_ = new TimeTools(w, *w.app_, *w.main_model_, *w.message_port_);
  w.import_tools_ =
      std::make_unique<ImportTools>(*w.ui_, *w.app_, *w.message_port_, *w.file_dialogs_, &w);
  w.desktop_tools_ = std::make_unique<DesktopTools>(
      w, *w.ui_, *w.app_, *w.message_port_, dynamic_cast<QtMessagePort*>(w.own_message_port_.get()),
      w.shipped_data_, w.open_url_);
  // An imported subtitle is opened like any other: it joins the recent files.
  connect(w.import_tools_.get(), &ImportTools::SubtitleOpened, w.desktop_tools_.get(),
          &DesktopTools::RememberOpened);
  w.AddReopenEncodingMenu();
  w.ApplyLanguage();
  w.resize(1024, 720);
  w.LayOut();
  return window;
}

MainWindow::~MainWindow() {
  // The tools and the models use the application: they go first.
  desktop_tools_.reset();
  delete proof_tools_;
  delete chinese_tools_;
  delete time_tools_;
  delete main_model_;
  delete reference_model_;
}

QString MainWindow::MessageText(int number) const {
  return ToQString(Message(number));
}

bool MainWindow::Activate() {
  const text::Status activated = app_->Activate();
  if (!activated.ok()) {
    close();
    return false;
  }
  ui_->Panel2->show();
  ui_->StringGrid1->show();
  ShowPicturePanels();
  desktop_tools_->Activated();
  if (!open_at_start_.empty()) {
    desktop_tools_->OpenFile(std::exchange(open_at_start_, {}));
  }
  return true;
}

void MainWindow::ShowAsLastTime() {
  desktop_tools_->ShowAsLastTime();
}

void MainWindow::BuildCentralArea() {
  Ui& u = *ui_;
  u.CentralArea = new QWidget(this);
  u.CentralArea->setObjectName(QStringLiteral("CentralArea"));
  setCentralWidget(u.CentralArea);

  for (auto [grid, name] :
       {std::pair{&u.StringGrid1, "StringGrid1"}, std::pair{&u.StringGrid7, "StringGrid7"}}) {
    auto* view = new QTableView(u.CentralArea);
    view->setObjectName(QString::fromLatin1(name));
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
  u.StatusProgress->SetProgress(0, 0);  // hidden until work runs
}

void MainWindow::BuildPanels() {
  Ui& u = *ui_;
  struct PanelShape {
    FloatingPanel* Ui::*member;
    const char* name;
    const char* gbk_title;
    int width;
    int height;
    int top_offset;
  };
  const PanelShape shapes[] = {
      {&Ui::Panel3, "Panel3",
       "\xB7\xE1\xB8\xBB\xD7\xD6\xBF\xE2--"
       "\xBF\xEC\xC0\xD6\xD4\xB4\xD3\xDA\xD0\xC1\xC7\xDA\xB5\xD8"
       "\xC0\xCD\xB6\xAF" /* 丰富字库--快乐源于辛勤地劳动 */,
       345, 233, 60},
      {&Ui::Panel6, "Panel6",
       "\xD7\xD6\xBF\xE2\xD0\xDE\xB8\xC4--"
       "\xC8\xC3\xCE\xD2\xC3\xC7\xB8\xFC\xBF\xEC\xC0\xD6" /* 字库修改--让我们更快乐
                                                           */
       ,
       609, 361, 60},
      {&Ui::Panel11, "Panel11", "\xB3\xCC\xD0\xF2\xC9\xE8\xD6\xC3" /* 程序设置 */, 497, 305, 80},
      {&Ui::Panel15, "Panel15",
       "\xD7\xD6\xBF\xE2\xBA\xCF\xB2\xA2--"
       "\xCD\xB3\xD2\xBB\xB5\xC4\xD7\xD6\xBF\xE2\xCA\xC7\xCB\xD9"
       "\xB6\xC8\xB5\xC4\xB1\xA3\xD6\xA4" /* 字库合并--统一的字库是速度的保证 */,
       377, 153, 60},
      {&Ui::Panel21, "Panel21", "\xBC\xEC\xB2\xE9\xD0\xA3\xB6\xD4" /* 检查校对 */, 593, 329, 60},
      {&Ui::Panel23, "Panel23", "\xC7\xEB\xC9\xD4\xBA\xF2\xA1\xAD\xA1\xAD" /* 请稍候…… */, 225, 41,
       30},
      {&Ui::Panel24, "Panel24", "Zentrope V3.13", 337, 257, 30},
      {&Ui::Panel25, "Panel25",
       "\xD7\xD6\xBF\xE2\xB5\xBC\xB3\xF6--"
       "\xB9\xB2\xCF\xED\xCA\xC7\xBD\xDA\xD4\xBC\xCA\xB1\xBC\xE4"
       "\xB5\xC4\xBA\xC3\xB0\xEC\xB7\xA8" /* 字库导出--共享是节约时间的好办法 */,
       369, 145, 30},
      {&Ui::Panel10, "Panel10",
       "\xB5\xB1\xC7\xB0\xD0\xD0\xB5\xC4\xCF\xEA\xCF\xB8\xD0\xC5\xCF\xA2" /* 当前行的详细信息
                                                                           */
       ,
       177, 321, 30},
      {&Ui::Panel13, "Panel13", "\xB2\xE9\xD5\xD2\xD3\xEB\xCC\xE6\xBB\xBB" /* 查找与替换 */, 337,
       153, 30},
  };
  for (const PanelShape& shape : shapes) {
    u.*shape.member = new FloatingPanel(QString::fromLatin1(shape.name), ToQString(shape.gbk_title),
                                        QSize(shape.width, shape.height), shape.top_offset, u.drag,
                                        u.CentralArea);
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
  u.AboutText = new QPlainTextEdit(u.Panel24);
  u.AboutText->setObjectName(QStringLiteral("AboutText"));
  u.AboutText->setReadOnly(true);
  u.AboutClose = new QPushButton(u.Panel24);
  u.AboutClose->setObjectName(QStringLiteral("AboutClose"));
  for (QLabel* label : {picture, u.AboutLoadingText, u.AboutCredit}) {
    label->setWordWrap(true);
    u.Panel24->Body()->addWidget(label);
  }
  u.Panel24->Body()->addWidget(u.AboutText, 1);
  u.Panel24->Body()->addWidget(u.AboutClose, 0, Qt::AlignRight);
  u.Panel24->AddDragHandle(picture);
  u.Panel24->AddDragHandle(u.AboutCredit);
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
  // The strip never reaches under the status bar, whatever the menu and tool bar heights are.
  const int room = u.CentralArea->height() > 0 ? u.CentralArea->height() - strip_top - 4 : height;
  const int strip_height = std::max(40, std::min(height - (grid.top() + grid.height()) - 80, room));
  u.Panel2->setGeometry(grid.left(), strip_top, width - 30, strip_height);
  const int strip_width = u.Panel2->width();
  // The left group is 150 wide unless the captions of the size boxes, of the switch button at its
  // foot or of the reference-editing buttons need more; the picture frame gives up what it takes.
  int side_width = std::max({150, u.Panel19->sizeHint().width(), u.Panel14->sizeHint().width()});
  if (auto* switch_button = u.Panel14->findChild<QPushButton*>(QStringLiteral("Button30"))) {
    side_width = std::max(side_width, switch_button->sizeHint().width() + 10);
  }
  u.Panel14->setGeometry(5, 5, side_width, strip_height - 10);
  u.Panel9->setGeometry(u.Panel14->width() + 10, 5,
                        std::max(1, strip_width - 340 - (side_width - 150)), strip_height - 10);
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
  // The layout's widths were measured for a narrow 12-pixel font; a time column grows to hold a
  // whole time in the font in use.
  const int time_width = std::max(
      80, ui_->StringGrid1->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00.000")) + 10);

  QTableView* reference = ui_->StringGrid7;
  const int reference_widths[] = {30, 80, time_width, time_width};
  FitColumns(reference, reference_widths);

  QTableView* grid = ui_->StringGrid1;
  const int grid_width = grid->width();
  int widths[] = {30, 80, time_width, time_width, 1, 20, 20, 1, 1, 1, 1, 1, 1, 1, 1};
  // Style and margins appear as the window grows: (column, below this width, offset, width).
  const int steps[][4] = {
      {7, 806, 725, 80}, {8, 846, 805, 40}, {9, 886, 845, 40}, {10, 926, 885, 40}};
  for (const auto& step : steps) {
    const int value = grid_width < step[1] ? grid_width - step[2] : step[3];
    widths[step[0]] = std::max(1, value);
  }
  FitColumns(grid, widths);
  if (desktop_tools_) {
    desktop_tools_->PlaceStartHint(grid->geometry());
  }
}

void MainWindow::FitColumns(QTableView* grid, std::span<const int> widths) {
  // A column of width 1 is the layout's way of keeping it out of sight: it is hidden, so every
  // column shown is wide enough for its heading. The text column stretches over the rest.
  QHeaderView* header = grid->horizontalHeader();
  header->setSectionResizeMode(document::kText, QHeaderView::Stretch);
  for (int column = 0; column < static_cast<int>(widths.size()); ++column) {
    if (column == document::kText) {
      continue;
    }
    const bool hidden = widths[static_cast<size_t>(column)] <= 1;
    grid->setColumnHidden(column, hidden);
    if (!hidden) {
      grid->setColumnWidth(
          column, std::max(widths[static_cast<size_t>(column)], header->sectionSizeHint(column)));
    }
  }
}

void MainWindow::FitToolGridHeadings() {
  for (QTableWidget* grid : findChildren<QTableWidget*>()) {
    QHeaderView* header = grid->horizontalHeader();
    if (header->isHidden()) {
      continue;
    }
    // Columns too narrow for their heading grow; the widest column gives the room back while it
    // stays wide enough for its own heading, so the grid keeps its width.
    int grown = 0;
    int widest = -1;
    for (int column = 0; column < header->count(); ++column) {
      if (header->isSectionHidden(column)) {
        continue;
      }
      const int need = header->sectionSizeHint(column);
      if (header->sectionSize(column) < need) {
        grown += need - header->sectionSize(column);
        header->resizeSection(column, need);
      } else if (widest < 0 || header->sectionSize(column) > header->sectionSize(widest)) {
        widest = column;
      }
    }
    if (grown > 0 && widest >= 0 && !header->stretchLastSection()) {
      const int room = header->sectionSize(widest) - header->sectionSizeHint(widest);
      header->resizeSection(widest,
                            header->sectionSize(widest) - std::min(grown, std::max(0, room)));
    }
  }
}

void MainWindow::HelpFileMenuClick() {
  desktop_tools_->ShowHelp();
}

void MainWindow::NotAvailableYet() {
  const bool english = app_->Messages().Language() == app::MessageTable::kEnglish;
  message_port_->Inform(ports::Severity::kInformation,
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

bool MainWindow::AcceptCellEdit(int column, int row, const QString& value) {
  text::Result<std::string> gbk = ToGbk(value);
  if (!gbk.ok()) {
    message_port_->Inform(ports::Severity::kWarning, gbk.error().message);
    return false;
  }
  if (column == document::kStart || column == document::kEnd) {
    // A time is kept only in the tables' own form; anything unreadable keeps the old value.
    std::optional<std::string> time = document::NormaliseTimeEntry(gbk.value());
    if (!time && !gbk.value().empty()) {
      message_port_->Inform(ports::Severity::kWarning,
                            app::FillIn(Message(app::msg::kTimeRefused), {gbk.value()}));
      return false;
    }
    gbk = time.value_or(std::string());
  }
  // The value, the row's mark and the unsaved flag, as one undo step.
  if (!proof::StoreTypedCell(app_->Document(), column, row, std::move(gbk.value()))) {
    return false;
  }
  // An end before its start is kept as typed (the other time may be next), but said at once.
  const document::RowTable& table = app_->Document().main;
  if ((column == document::kStart || column == document::kEnd) &&
      proof::TimeFaultOf(table, row) == proof::TimeFault::kEndBeforeStart) {
    const std::string start = table.Cell(document::kStart, row);
    const std::string end = table.Cell(document::kEnd, row);
    app_->ShowStatus([this, row, start, end] {
      return app::FillIn(Message(app::msg::kEndBeforeStartEntered),
                         {std::to_string(row), end, start});
    });
  }
  return true;
}

void MainWindow::BindDocument() {
  document::SubtitleDocument& document = app_->Document();
  main_model_ =
      new SubtitleTableModel(document.main,
                             {document::kText, document::kStart, document::kEnd, document::kStyle,
                              document::kMarginL, document::kMarginR, document::kMarginV},
                             this);
  main_model_->SetEditHandler([this](int column, int row, const QString& value) {
    return AcceptCellEdit(column, row, value);
  });
  reference_model_ = new SubtitleTableModel(document.reference, {}, this);
  ui_->StringGrid1->setModel(main_model_);
  ui_->StringGrid7->setModel(reference_model_);
  connect(ui_->StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) {
              app_->Document().current_row = SubtitleTableModel::TableRow(current.row());
            }
          });
}

void MainWindow::FillAboutPanel(const std::string& loading_text) {
  Ui& u = *ui_;
  const bool loading = !loading_text.empty();
  u.AboutLoadingText->setText(ToQString(loading_text));
  u.AboutLoadingText->setVisible(loading);
  u.AboutCredit->setText(MessageText(kAboutCredit));
  // The messages between empty lines are the parts of one paragraph: joined into one line (with
  // a space in English), the text box wraps them where its width ends, never mid-sentence.
  const QString joint =
      app_->Messages().Language() == app::MessageTable::kEnglish ? QStringLiteral(" ") : QString();
  QStringList lines;
  bool in_paragraph = false;
  for (const int message : kAboutLines) {
    if (message == 0) {
      lines << QString();
      in_paragraph = false;
    } else if (in_paragraph) {
      lines.back() += joint + MessageText(message);
    } else {
      lines << MessageText(message);
      in_paragraph = true;
    }
  }
  u.AboutText->setPlainText(lines.join(QLatin1Char('\n')));
  u.AboutClose->setText(MessageText(kAboutClose));
  u.AboutClose->setVisible(!loading);
}

void MainWindow::ShowAboutPanel(const std::string& loading_text) {
  Ui& u = *ui_;
  FillAboutPanel(loading_text);
  u.Panel24->show();
  u.Panel24->raise();
  u.Panel23->raise();
}

void MainWindow::AboutMenuClick() {
  ShowAboutPanel(std::string());
}

void MainWindow::SaveDialog1FolderChange(const std::filesystem::path& folder) {
  QApplication::clipboard()->setText(
      ToQString(app::ProposedSubtitleName(app::FileNamesIn(folder))));
}

void MainWindow::OpenSrtMenuClick() {
  if (app_->OpenCommand()) {
    ui_->StatusProgress->SetProgress(0, 0);
    desktop_tools_->RememberOpened();
  }
}

void MainWindow::AddReopenEncodingMenu() {
  auto* menu = new QMenu(this);
  menu->setObjectName(QStringLiteral("ReopenEncodingMenu"));
  ui_->FileMenu->insertMenu(ui_->CloseSrtMenu, menu);
  // Captioned from language.sys: "auto" by its own message, the others by their names.
  const char* const names[] = {"auto",    "utf-8", "utf-16",     "utf-16be", "utf-32", "gbk",
                               "gb18030", "big5",  "big5-hkscs", "cp1250",   "cp1251", "cp1252"};
  for (int i = 0; i < static_cast<int>(std::size(names)); ++i) {
    const QString encoding = QString::fromLatin1(names[i]);
    QAction* action = menu->addAction(encoding.toUpper());
    action->setObjectName(i == 0 ? QStringLiteral("ReopenEncodingAuto")
                                 : QStringLiteral("ReopenEncoding%1").arg(i));
    if (i == 0) {
      menu->addSeparator();
    }
    connect(action, &QAction::triggered, this,
            [this, encoding] { ReopenEncodingMenuClick(encoding); });
  }
  // Only a text subtitle read from a file can be read again.
  connect(menu, &QMenu::aboutToShow, this, [this, menu] {
    const bool can = !app_->Document().source_file.empty() && !app_->Document().picture_mode &&
                     ui_->OpenSrtMenu->isEnabled();
    for (QAction* action : menu->actions()) {
      action->setEnabled(can);
    }
  });
}

void MainWindow::ReopenEncodingMenuClick(const QString& encoding) {
  const auto chosen = text::EncodingByName(encoding.toStdString());
  if (chosen && app_->ReopenWithEncoding(*chosen)) {
    ui_->StatusProgress->SetProgress(0, 0);
  }
}

void MainWindow::SaveSrtMenuClick() {
  app_->SaveCommand();
}

void MainWindow::SaveInPlaceMenuClick() {
  app_->SaveInPlaceCommand();
}

void MainWindow::CloseSrtMenuClick() {
  app_->CloseCommand();
}

void MainWindow::ExitFormMenuClick() {
  if (app_->Shutdown(app::ShutdownPath::kExitCommand)) {
    close();
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (app_->Shutdown(app::ShutdownPath::kWindowClose)) {
    desktop_tools_->StorePlacement();
    event->accept();
  } else {
    event->ignore();
  }
}

void MainWindow::CommandsChanged(const app::CommandEnablement& enabled) {
  // A run's end comes with a command state: Undo and Redo may run again.
  if (proof_tools_ != nullptr) {
    proof_tools_->UpdateUndoActions();
  }
  if (desktop_tools_) {
    desktop_tools_->UpdateStartHint();
  }
  for (int index = 0; index < app::kCommandCount; ++index) {
    const app::CommandControls controls = app::ControlsOf(static_cast<app::Command>(index));
    const bool on = enabled[static_cast<size_t>(index)];
    for (const std::string_view name : {controls.menu, controls.partner}) {
      if (name.empty()) {
        continue;
      }
      const QString object_name =
          QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
      if (auto* menu = findChild<QMenu*>(object_name)) {
        // Disabling a top-level menu disables everything in it.
        menu->setEnabled(on);
        menu->menuAction()->setEnabled(on);
      } else if (auto* action = findChild<QAction*>(object_name)) {
        action->setEnabled(on);
      } else if (auto* widget = findChild<QWidget*>(object_name)) {
        widget->setEnabled(on);
      }
    }
  }
  if (import_tools_) {
    import_tools_->SetEnabled(ui_->OpenSrtMenu->isEnabled());
  }
}

void MainWindow::TitleChanged(const std::string& title) {
  // The title ends with the file name, which is in the system's encoding, not GBK.
  const std::filesystem::path& source = app_->Document().source_file;
  // "[*]" is where Qt shows the unsaved mark while the window is marked modified.
  const std::filesystem::path& saved_as = app_->Document().save_file;
  for (const std::filesystem::path* named : {&source, &saved_as}) {
    const std::string name = text::PathForMessage(*named);
    if (!name.empty() && title.size() >= name.size() &&
        title.compare(title.size() - name.size(), name.size(), name) == 0) {
      setWindowTitle(ToQString(title.substr(0, title.size() - name.size())) +
                     PathToQString(*named) + QStringLiteral("[*]"));
      return;
    }
  }
  setWindowTitle(ToQString(title) + QStringLiteral("[*]"));
}

void MainWindow::SyncModifiedMark() {
  // DocumentSaved is a plain flag that many commands clear; the mark follows it.
  setWindowModified(!app_->Document().document_saved);
}

void MainWindow::GoToCell(int row, int column) {
  QTableView* grid = ui_->StringGrid1;
  const QModelIndex index = main_model_->index(SubtitleTableModel::ModelRow(row), column);
  if (!index.isValid()) {
    return;
  }
  grid->setCurrentIndex(index);
  grid->scrollTo(index);
  grid->setFocus();
}

void MainWindow::StatusTextChanged(const std::string& text) {
  ui_->StatusText->setText(ToQString(text));
}

void MainWindow::ShowLoadingText(const std::string& text) {
  ShowAboutPanel(text);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainWindow::HideLoadingText() {
  ui_->Panel24->hide();
  // The about panel no longer speaks of loading; a language switch refills it in the new language.
  FillAboutPanel(std::string());
}

void MainWindow::ShowWaitText(const std::string& text) {
  ui_->Label36->setText(ToQString(text));
  ui_->Button19->hide();  // archiving cannot be stopped
  ui_->Panel23->show();
  ui_->Panel23->raise();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainWindow::HideWaitText() {
  ui_->Panel23->hide();
  ui_->Button19->show();
}

void MainWindow::FocusFirstCell() {
  QTableView* grid = ui_->StringGrid1;
  grid->setCurrentIndex(main_model_->index(0, document::kText));
  grid->scrollToTop();
  grid->setFocus();
}

void MainWindow::ShowPicturePanels() {
  Ui& u = *ui_;
  for (QFrame* panel : {u.Panel9, u.Panel1, u.Panel14}) {
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
  for (QFrame* panel : {u.Panel9, u.Panel1, u.Panel14}) {
    panel->hide();
  }
}

void MainWindow::MainSubtitleClosed() {
  ui_->Image1->clear();
}

void MainWindow::ResetTaughtRows() {
  recognition_tools_->ResetTaughtRows();
}

void MainWindow::EstimateStandardSizes() {
  recognition_tools_->EstimateStandardSizes();
}

void MainWindow::RunCheckCommand() {
  proof_tools_->Check1MenuClick();
}

void MainWindow::SaveReferenceSubtitle() {
  proof_tools_->SaveSecSrtMenuClick();
}

void MainWindow::SetReferenceGridShown(bool shown) {
  reference_grid_shown_ = shown;
  ui_->StringGrid7->setVisible(shown);
  LayOut();
}

void MainWindow::ShowProgress(int done, int total) {
  ui_->StatusProgress->SetProgress(done, total);
}

}  // namespace ui

// ProofTools: the check review, time-overlap correction, find and replace, reference subtitle,
// edit panels and row commands of the main window.
#include "ui/proof_tools.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "app/edit_commands.h"
#include "app/message_numbers.h"
#include "app/proof_commands.h"
#include "app/status_texts.h"
#include "document/row_table.h"
#include "document/subtitle_reader.h"
#include "proof/check_rules.h"
#include "proof/row_editing.h"
#include "proof/search_history.h"
#include "proof/time_changes.h"
#include "proof/time_overlap.h"
#include "ui/floating_panel.h"
#include "ui/main_window_ui.h"
#include "ui/qt_convert.h"

namespace ui {
namespace {

// The suggestion list's heights under the search field and under the replacement field.
constexpr int kFindListHeight = 72;
constexpr int kReplaceListHeight = 48;

// The check lets window events run as it goes but has no bar of its own: the status bar's bar
// belongs to the recognition run and keeps showing how far that got.
class EventsOnlyPump : public ports::EventPump {
 public:
  explicit EventsOnlyPump(ports::EventPump& inner) : inner_(inner) {}
  void LetPendingEventsRun() override {
    inner_.LetPendingEventsRun();
  }
  void ReportProgress(int, int) override {}
  bool StopRequested() const override {
    return false;  // the check has no stop
  }

 private:
  ports::EventPump& inner_;
};

QPushButton* NewButton(QWidget* parent, const char* name, const char* gbk_caption) {
  auto* button = new QPushButton(ToQString(gbk_caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

QLineEdit* NewEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  return edit;
}

// A memo that looks like a subtitle on screen: centred bold white lines on black.
QTextEdit* NewSubtitleMemo(QWidget* parent, const char* name) {
  auto* memo = new QTextEdit(parent);
  memo->setObjectName(QString::fromLatin1(name));
  memo->setAcceptRichText(false);
  memo->setLineWrapMode(QTextEdit::NoWrap);
  QPalette colours = memo->palette();
  colours.setColor(QPalette::Base, Qt::black);
  colours.setColor(QPalette::Text, Qt::white);
  memo->setPalette(colours);
  QFont bold = memo->font();
  bold.setBold(true);
  bold.setPixelSize(16);
  memo->setFont(bold);
  QTextOption centred = memo->document()->defaultTextOption();
  centred.setAlignment(Qt::AlignHCenter);
  memo->document()->setDefaultTextOption(centred);
  return memo;
}

// One memo line per subtitle line, every line centred.
void SetMemoLines(QTextEdit* memo, const std::vector<std::string>& lines) {
  QStringList shown;
  for (const std::string& line : lines) {
    shown << ToQString(line);
  }
  memo->setPlainText(shown.join(QLatin1Char('\n')));
  QTextCursor all(memo->document());
  all.select(QTextCursor::Document);
  QTextBlockFormat centred;
  centred.setAlignment(Qt::AlignHCenter);
  all.mergeBlockFormat(centred);
}

// The memo's lines in GBK; an Error when a line holds a character GBK cannot hold.
text::Result<std::vector<std::string>> MemoLines(const QTextEdit* memo) {
  std::vector<std::string> lines;
  for (const QString& line : memo->toPlainText().split(QLatin1Char('\n'))) {
    text::Result<std::string> gbk = ToGbk(line);
    if (!gbk.ok()) {
      return gbk.error();
    }
    lines.push_back(std::move(gbk.value()));
  }
  return lines;
}

std::string CellOf(const QTableWidget* grid, int row, int column) {
  const QTableWidgetItem* item = grid->item(row, column);
  if (item == nullptr) {
    return std::string();
  }
  text::Result<std::string> gbk = ToGbk(item->text());
  return gbk.ok() ? gbk.value() : std::string();
}

bool IsArrow(int key) {
  return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

bool IsEnter(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

ProofTools::ProofTools(MainWindow& window, MainWindow::Ui& ui, app::Application& application,
                       ports::MessagePort& messages, ports::FileDialogPort& dialogs,
                       ports::EventPump& pump)
    : QObject(&window),
      window_(window),
      ui_(ui),
      app_(application),
      messages_(messages),
      dialogs_(dialogs),
      pump_(pump) {
  setObjectName(QStringLiteral("ProofTools"));
  BuildCheckPanel();
  BuildFindPanel();
  BuildEditPanels();
  Connect();
  UpdateUndoActions();
}

ProofTools::~ProofTools() {
  app_.Document().main.History().SetListener({});
}

std::string ProofTools::Message(int number) const {
  return app_.Messages().Message(number);
}

void ProofTools::BuildCheckPanel() {
  FloatingPanel* panel = ui_.Panel21;
  panel->TitleLabel()->setObjectName(QStringLiteral("Label32"));  // gets its caption by that name
  w_.StringGrid3 = new QTableWidget(1, 3, panel);
  w_.StringGrid3->setObjectName(QStringLiteral("StringGrid3"));
  w_.StringGrid3->verticalHeader()->hide();
  w_.StringGrid3->verticalHeader()->setDefaultSectionSize(19);
  const int widths[] = {48, 252, 252};  // the number column holds its tick box too
  const char* headings[] = {"\xD0\xF2\xBA\xC5" /* 序号 */, "\xD4\xAD\xD7\xD6\xC4\xBB" /* 原字幕 */,
                            "\xD0\xDE\xB8\xC4\xBA\xF3\xB5\xC4\xD7\xD6\xC4\xBB" /* 修改后的字幕 */};
  for (int column = 0; column < 3; ++column) {
    w_.StringGrid3->setColumnWidth(column, widths[column]);
    w_.StringGrid3->setHorizontalHeaderItem(column,
                                            new QTableWidgetItem(ToQString(headings[column])));
  }
  // The finishing note sits above the list rather than in a box over it.
  w_.CheckReviewNote = new QLabel(panel);
  w_.CheckReviewNote->setObjectName(QStringLiteral("CheckReviewNote"));
  w_.CheckReviewNote->setWordWrap(true);
  w_.Button13 = NewButton(panel, "Button13", "\xC8\xB7\xB6\xA8" /* 确定 */);
  w_.Button14 = NewButton(panel, "Button14", "\xC8\xA1\xCF\xFB" /* 取消 */);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(w_.Button13);
  buttons->addWidget(w_.Button14);
  panel->Body()->addWidget(w_.CheckReviewNote);
  panel->Body()->addWidget(w_.StringGrid3, 1);
  panel->Body()->addLayout(buttons);
}

void ProofTools::BuildFindPanel() {
  FloatingPanel* panel = ui_.Panel13;
  panel->TitleLabel()->setObjectName(QStringLiteral("Label14"));  // gets its caption by that name
  w_.Label21 = new QLabel(ToQString("\xB2\xE9\xD5\xD2" /* 查找 */), panel);
  w_.Label21->setObjectName(QStringLiteral("Label21"));
  w_.Edit9 = NewEdit(panel, "Edit9");
  w_.CheckBox9 = new QCheckBox(ToQString("\xCC\xE6\xBB\xBB\xCE\xAA" /* 替换为 */), panel);
  w_.CheckBox9->setObjectName(QStringLiteral("CheckBox9"));
  w_.Edit14 = NewEdit(panel, "Edit14");
  w_.Edit14->setEnabled(false);
  w_.RadioButton3 =
      new QRadioButton(ToQString("\xB4\xD3\xCD\xB7\xBF\xAA\xCA\xBC" /* 从头开始 */), panel);
  w_.RadioButton3->setObjectName(QStringLiteral("RadioButton3"));
  w_.RadioButton3->setChecked(true);
  w_.RadioButton4 = new QRadioButton(
      ToQString("\xB4\xD3\xB5\xB1\xC7\xB0\xD0\xD0\xBF\xAA\xCA\xBC" /* 从当前行开始 */), panel);
  w_.RadioButton4->setObjectName(QStringLiteral("RadioButton4"));
  w_.CheckBox10 = new QCheckBox(
      ToQString("\xCC\xE6\xBB\xBB\xC7\xB0\xD7\xDC\xCA\xC7\xD1\xAF\xCE\xCA" /* 替换前总是询问 */),
      panel);
  w_.CheckBox10->setObjectName(QStringLiteral("CheckBox10"));
  w_.CheckBox10->setChecked(true);
  w_.CheckBox10->setEnabled(false);
  w_.Button23 = NewButton(panel, "Button23", "\xBF\xAA\xCA\xBC\xB2\xE9\xD5\xD2" /* 开始查找 */);
  w_.Button24 = NewButton(panel, "Button24", "\xBD\xE1\xCA\xF8\xB7\xB5\xBB\xD8" /* 结束返回 */);
  auto* grid = new QGridLayout();
  grid->addWidget(w_.Label21, 0, 0);
  grid->addWidget(w_.Edit9, 0, 1, 1, 2);
  grid->addWidget(w_.CheckBox9, 1, 0);
  grid->addWidget(w_.Edit14, 1, 1, 1, 2);
  grid->addWidget(w_.RadioButton3, 2, 0);
  grid->addWidget(w_.RadioButton4, 2, 1);
  grid->addWidget(w_.CheckBox10, 2, 2);
  grid->addWidget(w_.Button23, 3, 1);
  grid->addWidget(w_.Button24, 3, 2);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);
  panel->Body()->addLayout(grid);
  // The suggestion list floats over the panel, under the field it serves.
  w_.ListBox1 = new QListWidget(panel);
  w_.ListBox1->setObjectName(QStringLiteral("ListBox1"));
  w_.ListBox1->setSortingEnabled(true);
  w_.ListBox1->hide();
}

void ProofTools::BuildEditPanels() {
  QVBoxLayout* buttons = new QVBoxLayout(ui_.Panel19);
  buttons->setContentsMargins(4, 4, 4, 4);
  buttons->setSpacing(3);
  w_.Button25 = NewButton(
      ui_.Panel19, "Button25", "\xC8\xA1\xB6\xD4\xD5\xD5\xD7\xD6\xC4\xBB\xCA\xB1\xBC\xE4(&E)"
      /* 取对照字幕时间(&E) */);
  w_.Button26 = NewButton(ui_.Panel19, "Button26",
                          "\xB1\xA3\xB4\xE6\xD0\xDE\xB8\xC4\xB2\xA2\xB5\xBD\xCF\xC2\xD2\xBB"
                          "\xD0\xD0(&A)" /* 保存修改并到下一行(&A) */);
  w_.Button27 = NewButton(ui_.Panel19, "Button27",
                          "\xB7\xC5\xC6\xFA\xD0\xDE\xB8\xC4\xB2\xA2\xB5\xBD\xCF\xC2\xD2\xBB"
                          "\xD0\xD0(&S)" /* 放弃修改并到下一行(&S) */);
  w_.Button28 =
      NewButton(ui_.Panel19, "Button28",
                "\xB8\xF8\xB7\xD6\xD0\xD0\xD0\xD0\xCA\xD7\xBC\xD3\"-\"\xB7\xFB\xBA\xC5(&W)"
                /* 给分行行首加"-"符号(&W) */);
  w_.Button29 = NewButton(
      ui_.Panel19, "Button29", "\xC7\xD0\xBB\xBB\xB5\xBD\xCD\xBC\xC6\xAC\xC3\xE6\xB0\xE5(&Q)"
      /* 切换到图片面板(&Q) */);
  for (QPushButton* button : {w_.Button25, w_.Button26, w_.Button27, w_.Button28, w_.Button29}) {
    buttons->addWidget(button);
  }
  buttons->addStretch(1);
  w_.Button25->setEnabled(false);

  // The switch back lives on the picture strip's settings group, at its foot.
  w_.Button30 = NewButton(
      ui_.Panel14, "Button30", "\xC7\xD0\xBB\xBB\xB5\xBD\xB1\xE0\xBC\xAD\xC3\xE6\xB0\xE5(&Q)"
      /* 切换到编辑面板(&Q) */);
  ui_.Panel14->installEventFilter(this);

  struct Editor {
    QFrame* panel;
    const char* start;
    const char* end;
    const char* memo;
    QLineEdit** start_edit;
    QLineEdit** end_edit;
    QTextEdit** memo_edit;
  };
  const Editor editors[] = {
      {ui_.Panel20, "Edit15", "Edit16", "Memo2", &w_.Edit15, &w_.Edit16, &w_.Memo2},
      {ui_.Panel22, "Edit17", "Edit18", "Memo3", &w_.Edit17, &w_.Edit18, &w_.Memo3},
  };
  for (const Editor& editor : editors) {
    auto* column = new QVBoxLayout(editor.panel);
    column->setContentsMargins(4, 4, 4, 4);
    auto* times = new QHBoxLayout();
    *editor.start_edit = NewEdit(editor.panel, editor.start);
    *editor.end_edit = NewEdit(editor.panel, editor.end);
    times->addWidget(*editor.start_edit);
    times->addWidget(new QLabel(QStringLiteral("->"), editor.panel));
    times->addWidget(*editor.end_edit);
    column->addLayout(times);
    *editor.memo_edit = NewSubtitleMemo(editor.panel, editor.memo);
    column->addWidget(*editor.memo_edit, 1);
  }
  w_.Memo3->setReadOnly(true);
  ui_.Panel20->installEventFilter(this);
}

void ProofTools::Connect() {
  MainWindow::Ui& u = ui_;
  connect(u.UndoMenu, &QAction::triggered, this, &ProofTools::UndoMenuClick);
  connect(u.RedoMenu, &QAction::triggered, this, &ProofTools::RedoMenuClick);
  app_.Document().main.History().SetListener([this] { UpdateUndoActions(); });
  connect(u.Check1Menu, &QAction::triggered, this, &ProofTools::Check1MenuClick);
  connect(u.NextProblemMenu, &QAction::triggered, this, &ProofTools::NextProblemMenuClick);
  connect(u.PrevProblemMenu, &QAction::triggered, this, &ProofTools::PrevProblemMenuClick);
  connect(w_.Button13, &QPushButton::clicked, this, &ProofTools::Button13Click);
  connect(w_.Button14, &QPushButton::clicked, this, &ProofTools::Button14Click);
  connect(u.ChkTimeMenu, &QAction::triggered, this, &ProofTools::ChkTimeMenuClick);
  connect(u.FindReplaceMenu, &QAction::triggered, this, &ProofTools::FindReplaceMenuClick);
  connect(w_.Button23, &QPushButton::clicked, this, &ProofTools::Button23Click);
  connect(w_.Button24, &QPushButton::clicked, this, &ProofTools::Button24Click);
  connect(w_.CheckBox9, &QCheckBox::toggled, this, [this](bool replace) {
    w_.Edit14->setEnabled(replace);
    w_.CheckBox10->setEnabled(replace);
  });
  connect(w_.ListBox1, &QListWidget::itemDoubleClicked, this, [this] { TakeSuggestion(); });
  for (QWidget* watched : {static_cast<QWidget*>(w_.Edit9), static_cast<QWidget*>(w_.Edit14),
                           static_cast<QWidget*>(w_.ListBox1)}) {
    watched->installEventFilter(this);
  }
  connect(u.OpenSecSrtMenu, &QAction::triggered, this, &ProofTools::OpenSecSrtMenuClick);
  connect(u.SaveSecSrtMenu, &QAction::triggered, this, &ProofTools::SaveSecSrtMenuClick);
  connect(u.CreatBlankMenu, &QAction::triggered, this, &ProofTools::CreatBlankMenuClick);
  connect(w_.Button25, &QPushButton::clicked, this, &ProofTools::Button25Click);
  connect(w_.Button26, &QPushButton::clicked, this, &ProofTools::Button26Click);
  connect(w_.Button27, &QPushButton::clicked, this, &ProofTools::Button27Click);
  connect(w_.Button28, &QPushButton::clicked, this, &ProofTools::Button28Click);
  connect(w_.Button29, &QPushButton::clicked, this, &ProofTools::Button29Click);
  connect(w_.Button30, &QPushButton::clicked, this, &ProofTools::Button30Click);
  const std::pair<QAction*, void (ProofTools::*)()> row_commands[] = {
      {u.InsertPRowMenu, &ProofTools::InsertPRowMenuClick},
      {u.InsertPRowPop, &ProofTools::InsertPRowMenuClick},
      {u.InsertNRowMenu, &ProofTools::InsertNRowMenuClick},
      {u.InsertNRowPop, &ProofTools::InsertNRowMenuClick},
      {u.DeleteRowMenu, &ProofTools::DeleteRowMenuClick},
      {u.DeleteRowPop, &ProofTools::DeleteRowMenuClick},
      {u.RestoreTimeMenu, &ProofTools::RestoreTimeMenuClick},
      {u.RestoreTimePop, &ProofTools::RestoreTimeMenuClick},
      {u.RestoreTextMenu, &ProofTools::RestoreTextMenuClick},
      {u.RestoreTextPop, &ProofTools::RestoreTextMenuClick},
  };
  for (const auto& [action, handler] : row_commands) {
    connect(action, &QAction::triggered, this, handler);
  }
  connect(u.StringGrid1, &QWidget::customContextMenuRequested, this,
          &ProofTools::StringGrid1RightClick);
  connect(u.StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { MainRowSelected(); });
  connect(u.StringGrid7, &QAbstractItemView::clicked, this, [this] { ReferenceRowSelected(); });
  u.StringGrid1->installEventFilter(this);
  u.StringGrid7->installEventFilter(this);
  SetReferenceCommandsEnabled(false);
}

bool ProofTools::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == ui_.Panel14 && type == QEvent::Resize) {
    const int height = ui_.Panel14->height();
    w_.Button30->setGeometry(5, std::max(0, height - 30), std::max(1, ui_.Panel14->width() - 10),
                             25);
    w_.Button30->raise();
  } else if (watched == ui_.Panel20 && type == QEvent::Show) {
    MainRowSelected();
  } else if (watched == w_.Edit9 || watched == w_.Edit14) {
    const bool replace = watched == w_.Edit14;
    if (type == QEvent::MouseButtonRelease) {
      ShowSuggestions(replace);
    } else if (type == QEvent::KeyPress && w_.ListBox1->isVisible()) {
      return SuggestionKey(static_cast<QKeyEvent*>(event)->key());
    } else if (type == QEvent::KeyRelease) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (!IsArrow(key) && !IsEnter(key)) {
        ShowSuggestions(replace);
      }
    } else if (type == QEvent::FocusOut) {
      // Leaving the field hides the list unless the list itself took the focus.
      QTimer::singleShot(0, this, [this] {
        if (!w_.ListBox1->hasFocus()) {
          w_.ListBox1->hide();
        }
      });
    }
  } else if (watched == w_.ListBox1 && type == QEvent::KeyRelease &&
             IsEnter(static_cast<QKeyEvent*>(event)->key())) {
    TakeSuggestion();
  } else if (watched == ui_.StringGrid1 && type == QEvent::KeyRelease) {
    StringGrid1KeyUp();
  } else if (watched == ui_.StringGrid7 && type == QEvent::KeyRelease) {
    StringGrid7KeyUp();
  }
  return QObject::eventFilter(watched, event);
}

// --- Check and proofread ----------------------------------------------------------------------

void ProofTools::Check1MenuClick() {
  if (checking_) {
    return;  // a check started from inside a running one would empty the review under it
  }
  checking_ = true;
  ui_.Panel21->show();
  ui_.Panel21->raise();
  app_.SetCommandState(5);
  const proof::CheckOptions options = app::CurrentCheckOptions(app_);
  QTableWidget* grid = w_.StringGrid3;
  grid->clearContents();
  grid->setRowCount(1);
  EventsOnlyPump pump(pump_);
  const proof::CheckReview review = proof::RunCheck(app_.Document(), options, pump);
  // One grid row per listed row and one empty row below the last.
  grid->setRowCount(static_cast<int>(review.rows.size()) + 1);
  for (int index = 0; index < static_cast<int>(review.rows.size()); ++index) {
    const proof::ReviewRow& row = review.rows[static_cast<size_t>(index)];
    // Each change is taken or left on its own: unticking its number leaves the row as it is.
    auto* number = new QTableWidgetItem(ToQString(row.number));
    number->setFlags(number->flags() | Qt::ItemIsUserCheckable);
    number->setCheckState(Qt::Checked);
    grid->setItem(index, 0, number);
    grid->setItem(index, 1, new QTableWidgetItem(ToQString(row.before)));
    grid->setItem(index, 2, new QTableWidgetItem(ToQString(row.after)));
  }
  grid->setCurrentCell(static_cast<int>(review.rows.size()), 0);
  checking_ = false;
  const int changed = static_cast<int>(review.rows.size());
  app_.ShowStatus([this, changed] { return app::CheckedStatus(app_.Messages(), changed); });
  if (changed == 0 && !review.stopped) {
    // Nothing to review: the texts are proofread as they stand, and the list is not shown.
    app_.Document().proofread_done = true;
    app_.RestoreRecordedCommandState();
    ui_.Panel21->hide();
    messages_.Inform(ports::Severity::kInformation, Message(app::msg::kCheckChangedNothing));
    return;
  }
  w_.CheckReviewNote->setText(ToQString(Message(proof::kCheckFinishedMessage)));
}

void ProofTools::Button13Click() {
  std::vector<proof::ReviewRow> review;
  const QTableWidget* grid = w_.StringGrid3;
  for (int row = 0; row < grid->rowCount(); ++row) {
    const QTableWidgetItem* number = grid->item(row, 0);
    if (number != nullptr && (number->flags() & Qt::ItemIsUserCheckable) &&
        number->checkState() != Qt::Checked) {
      continue;  // a change the user left
    }
    review.push_back({CellOf(grid, row, 0), CellOf(grid, row, 1), CellOf(grid, row, 2)});
  }
  // A number the user changed into one that names no row is left out, never written elsewhere.
  proof::ConfirmReview(review, app_.Document(),
                       app_.Settings().Line(settings::kMarkCheckedRows) != "0");
  app_.RestoreRecordedCommandState();
  ui_.Panel21->hide();
}

void ProofTools::Button14Click() {
  app_.RestoreRecordedCommandState();
  ui_.Panel21->hide();
}

void ProofTools::GoToProblemRow(int step) {
  // The review's listed rows, without the empty row under them.
  QTableWidget* review = w_.StringGrid3;
  const int listed = review->rowCount() - 1;
  if (listed <= 0) {
    return;
  }
  // From the review's current entry; the first step from the empty row goes to an end.
  int entry = review->currentRow();
  entry = entry < 0 || entry >= listed ? (step > 0 ? 0 : listed - 1) : entry + step;
  entry = (entry % listed + listed) % listed;
  review->setCurrentCell(entry, 0);
  const std::string number = CellOf(review, entry, 0);
  const int row = document::IsAllDigits(number) && number.size() <= 9 ? std::stoi(number) : 0;
  if (app_.Document().main.IsDataRow(row)) {
    app_.Document().current_row = row;
    ShowCurrentRow(document::kText);
    ui_.StringGrid1->setFocus();
  }
}

void ProofTools::NextProblemMenuClick() {
  GoToProblemRow(1);
}

void ProofTools::PrevProblemMenuClick() {
  GoToProblemRow(-1);
}

void ProofTools::ChkTimeMenuClick() {
  const int corrections = proof::FixTimeOverlaps(app_.Document());
  // The status bar tells the outcome too, in place of whatever it said before.
  app_.ShowStatus(
      [this, corrections] { return proof::OverlapReport(corrections, app_.Messages()); });
  messages_.Inform(ports::Severity::kInformation,
                   proof::OverlapReport(corrections, app_.Messages()));
}

// --- Find and replace -------------------------------------------------------------------------

proof::FindReplace& ProofTools::Finder() {
  if (!finder_) {
    proof::SearchHistory find_history;
    proof::SearchHistory replace_history;
    for (const std::string& entry : app_.FindHistory()) {
      find_history.Add(entry);
    }
    for (const std::string& entry : app_.ReplaceHistory()) {
      replace_history.Add(entry);
    }
    finder_.emplace(std::move(find_history), std::move(replace_history), app_.ProgramFolder());
  }
  return *finder_;
}

void ProofTools::LanguageApplied() {
  if (!w_.CheckReviewNote->text().isEmpty()) {
    w_.CheckReviewNote->setText(ToQString(Message(proof::kCheckFinishedMessage)));
  }
  if (finder_) {
    w_.Button23->setText(ToQString(Message(finder_->CaptionMessage())));
  }
  if (const QString title = ToQString(Message(app::msg::kEditMenu)); !title.isEmpty()) {
    ui_.EditMenu->setTitle(title);
  }
  UpdateUndoActions();
}

void ProofTools::FindReplaceMenuClick() {
  ui_.Panel13->show();
  ui_.Panel13->raise();
  w_.Edit9->setFocus();
}

void ProofTools::Button24Click() {
  w_.ListBox1->hide();
  ui_.Panel13->hide();
  ui_.StringGrid1->setFocus();
}

void ProofTools::Button23Click() {
  w_.ListBox1->hide();
  text::Result<std::string> search = ToGbk(w_.Edit9->text());
  text::Result<std::string> replacement = ToGbk(w_.Edit14->text());
  for (const text::Result<std::string>* typed : {&search, &replacement}) {
    if (!typed->ok()) {
      messages_.Inform(ports::Severity::kWarning, typed->error().message);
      return;
    }
  }
  proof::SearchRequest request;
  request.search = search.value();
  request.replacement = replacement.value();
  request.replace = w_.CheckBox9->isChecked();
  request.confirm = w_.CheckBox10->isChecked();
  request.from_current_row = w_.RadioButton4->isChecked();
  const proof::SearchOutcome outcome =
      Finder().Run(request, app_.Document(), messages_, app_.Messages());
  w_.Button23->setText(ToQString(Message(Finder().CaptionMessage())));
  if (request.replace) {
    const int replaced = outcome.replacements;
    app_.ShowStatus([this, replaced] { return app::ReplacedStatus(app_.Messages(), replaced); });
  }
  if (outcome.row > 0) {
    ShowCurrentRow(document::kText);
  }
  if (outcome.history_error) {
    messages_.Inform(ports::Severity::kError, outcome.history_error->message);
  }
  if (outcome.message != 0) {
    messages_.Inform(ports::Severity::kInformation, Message(outcome.message));
  }
}

void ProofTools::ShowSuggestions(bool replace) {
  QLineEdit* field = replace ? w_.Edit14 : w_.Edit9;
  const text::Result<std::string> typed = ToGbk(field->text());
  const proof::SearchHistory& history =
      replace ? Finder().ReplaceHistory() : Finder().FindHistory();
  QListWidget* list = w_.ListBox1;
  list->clear();
  for (const std::string& entry : history.Suggestions(typed.ok() ? typed.value() : "")) {
    list->addItem(ToQString(entry));
  }
  if (list->count() == 0) {
    list->hide();
    return;
  }
  const QPoint below = field->mapTo(ui_.Panel13, QPoint(0, field->height()));
  list->setGeometry(below.x(), below.y(), field->width(),
                    replace ? kReplaceListHeight : kFindListHeight);
  list->setProperty("forReplacement", replace);
  list->setCurrentRow(0);
  list->show();
  list->raise();
}

bool ProofTools::SuggestionKey(int key) {
  QListWidget* list = w_.ListBox1;
  if (key == Qt::Key_Down) {
    list->setCurrentRow(std::min(list->currentRow() + 1, list->count() - 1));
  } else if (key == Qt::Key_Up) {
    list->setCurrentRow(std::max(list->currentRow() - 1, 0));
  } else if (IsEnter(key)) {
    TakeSuggestion();
  } else {
    return false;
  }
  return true;  // the key is used up here
}

void ProofTools::TakeSuggestion() {
  QListWidget* list = w_.ListBox1;
  if (QListWidgetItem* item = list->currentItem()) {
    QLineEdit* field = list->property("forReplacement").toBool() ? w_.Edit14 : w_.Edit9;
    field->setText(item->text());
  }
  list->hide();
}

// --- Reference subtitle and edit panels -------------------------------------------------------

void ProofTools::SetReferenceCommandsEnabled(bool enabled) {
  // Kept with the command states, so that a state entered later (a run) does not undo it.
  app_.SetReferenceOpen(enabled);
}

void ProofTools::OpenSecSrtMenuClick() {
  if (app::OpenReference(app_, messages_, dialogs_) != app::ReferenceOpenEnd::kOpened) {
    return;
  }
  reference_open_ = true;
  window_.SetReferenceGridShown(true);
  SetReferenceCommandsEnabled(true);
  ui_.Panel22->setVisible(ui_.Panel19->isVisible());
  w_.Button25->setEnabled(true);
  QTableView* grid = ui_.StringGrid7;
  grid->setCurrentIndex(grid->model()->index(0, document::kText));
  ReferenceRowSelected();
  MainRowSelected();
}

void ProofTools::SaveSecSrtMenuClick() {
  if (!app::SaveReference(app_, messages_, dialogs_)) {
    return;  // still unsaved: the reference stays open
  }
  reference_open_ = false;
  window_.SetReferenceGridShown(false);
  SetReferenceCommandsEnabled(false);
  ui_.Panel22->hide();
  w_.Button25->setEnabled(false);
}

void ProofTools::CreatBlankMenuClick() {
  if (!app::CreateBlankSubtitle(app_, messages_)) {
    return;
  }
  // The blank rows are a text subtitle, ready to be typed in the edit panels.
  app_.EnterCommandState(7);
  ShowCurrentRow(document::kText);
  MainRowSelected();
}

void ProofTools::FillEditor(const proof::RowEditor& editor) {
  SetMemoLines(w_.Memo2, editor.lines);
  w_.Edit15->setText(ToQString(editor.start));
  w_.Edit16->setText(ToQString(editor.end));
}

void ProofTools::MainRowSelected() {
  document::SubtitleDocument& document = app_.Document();
  const int row = document.current_row;
  if (!document.main.IsDataRow(row)) {
    return;
  }
  if (ui_.Panel20->isVisible()) {
    FillEditor(proof::LoadMainRow(document, row));
  }
  if (!reference_open_) {
    return;
  }
  const auto selection = proof::SelectReferenceRows(document, row);
  if (!selection.ok()) {
    messages_.Inform(ports::Severity::kError, selection.error().message);
    return;
  }
  if (!selection.value()) {
    return;
  }
  const proof::ReferenceSelection& range = *selection.value();
  QTableView* grid = ui_.StringGrid7;
  const QAbstractItemModel* model = grid->model();
  const QModelIndex current = model->index(range.current_row - 1, document::kText);
  grid->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
  grid->selectionModel()->select(
      QItemSelection(model->index(range.first_row - 1, range.first_column),
                     model->index(range.last_row - 1, range.last_column)),
      QItemSelectionModel::ClearAndSelect);
  grid->scrollTo(current);
  grid->viewport()->update();
  ReferenceRowSelected();
}

void ProofTools::ReferenceRowSelected() {
  if (!ui_.Panel22->isVisible()) {
    return;
  }
  const QModelIndex current = ui_.StringGrid7->currentIndex();
  const int row = current.isValid() ? current.row() + 1 : 1;
  const proof::RowEditor viewer = proof::LoadReferenceRow(app_.Document(), row);
  SetMemoLines(w_.Memo3, viewer.lines);
  w_.Edit17->setText(ToQString(viewer.start));
  w_.Edit18->setText(ToQString(viewer.end));
}

void ProofTools::StringGrid1KeyUp() {
  if (!ui_.Panel20->isVisible()) {
    return;
  }
  const QModelIndex current = ui_.StringGrid1->currentIndex();
  if (!current.isValid()) {
    return;
  }
  const std::string& cell = app_.Document().main.Cell(current.column(), current.row() + 1);
  if (current.column() == document::kText) {
    SetMemoLines(w_.Memo2, proof::SplitIntoLines(cell));
  } else if (current.column() == document::kStart) {
    w_.Edit15->setText(ToQString(cell));
  } else if (current.column() == document::kEnd) {
    w_.Edit16->setText(ToQString(cell));
  }
}

void ProofTools::StringGrid7KeyUp() {
  if (!ui_.Panel22->isVisible()) {
    return;
  }
  const QModelIndex current = ui_.StringGrid7->currentIndex();
  if (!current.isValid()) {
    return;
  }
  const std::string& cell = app_.Document().reference.Cell(current.column(), current.row() + 1);
  if (current.column() == document::kText) {
    SetMemoLines(w_.Memo3, proof::SplitIntoLines(cell));
  } else if (current.column() == document::kStart) {
    w_.Edit17->setText(ToQString(cell));
  } else if (current.column() == document::kEnd) {
    w_.Edit18->setText(ToQString(cell));
  }
}

std::optional<proof::RowEditor> ProofTools::EditorContents() {
  text::Result<std::vector<std::string>> lines = MemoLines(w_.Memo2);
  text::Result<std::string> start = ToGbk(w_.Edit15->text());
  text::Result<std::string> end = ToGbk(w_.Edit16->text());
  for (const text::Error* error :
       {lines.ok() ? nullptr : &lines.error(), start.ok() ? nullptr : &start.error(),
        end.ok() ? nullptr : &end.error()}) {
    if (error != nullptr) {
      messages_.Inform(ports::Severity::kWarning, error->message);
      return std::nullopt;
    }
  }
  return proof::RowEditor{std::move(lines.value()), std::move(start.value()),
                          std::move(end.value())};
}

void ProofTools::Button25Click() {
  w_.Edit15->setText(w_.Edit17->text());
  w_.Edit16->setText(w_.Edit18->text());
}

void ProofTools::Button26Click() {
  const std::optional<proof::RowEditor> editor = EditorContents();
  if (!editor) {
    return;
  }
  const int row = app_.Document().current_row;
  const bool stored = proof::StoreEditAndNext(app_.Document(), *editor);
  // An end typed before its start is kept, but said at once, as in the grid.
  const document::RowTable& table = app_.Document().main;
  if (stored && proof::TimeFaultOf(table, row) == proof::TimeFault::kEndBeforeStart) {
    const std::string start = table.Cell(document::kStart, row);
    const std::string end = table.Cell(document::kEnd, row);
    app_.ShowStatus([this, row, start, end] {
      return app::FillIn(Message(app::msg::kEndBeforeStartEntered),
                         {std::to_string(row), end, start});
    });
  }
  ShowCurrentRow(document::kText);
  MainRowSelected();
}

void ProofTools::Button27Click() {
  proof::DiscardEditAndNext(app_.Document());
  ShowCurrentRow(document::kText);
  MainRowSelected();
}

void ProofTools::Button28Click() {
  text::Result<std::vector<std::string>> lines = MemoLines(w_.Memo2);
  if (!lines.ok()) {
    messages_.Inform(ports::Severity::kWarning, lines.error().message);
    return;
  }
  proof::DashBeforeEachLine(lines.value());
  SetMemoLines(w_.Memo2, lines.value());
}

void ProofTools::Button29Click() {
  for (QFrame* panel : {ui_.Panel19, ui_.Panel20, ui_.Panel22}) {
    panel->hide();
  }
  for (QFrame* panel : {ui_.Panel14, ui_.Panel9, ui_.Panel1}) {
    panel->show();
  }
}

void ProofTools::Button30Click() {
  ui_.Panel19->show();
  ui_.Panel20->show();
  ui_.Panel22->setVisible(reference_open_);
  w_.Button25->setEnabled(reference_open_);
  for (QFrame* panel : {ui_.Panel14, ui_.Panel9, ui_.Panel1}) {
    panel->hide();
  }
  MainRowSelected();
  ReferenceRowSelected();
}

// --- Row commands -----------------------------------------------------------------------------

void ProofTools::ShowCurrentRow(int column) {
  QTableView* grid = ui_.StringGrid1;
  const QModelIndex index = grid->model()->index(app_.Document().current_row - 1, column);
  grid->setCurrentIndex(index);
  grid->scrollTo(index);
}

int ProofTools::CurrentColumn() const {
  const QModelIndex current = ui_.StringGrid1->currentIndex();
  return current.isValid() ? current.column() : document::kText;
}

void ProofTools::InsertPRowMenuClick() {
  proof::InsertRowBefore(app_.Document());
  ShowCurrentRow(CurrentColumn());
  MainRowSelected();
}

void ProofTools::InsertNRowMenuClick() {
  proof::InsertRowAfter(app_.Document());
  ShowCurrentRow(CurrentColumn());
  MainRowSelected();
}

void ProofTools::DeleteRowMenuClick() {
  if (proof::DeleteCurrentRow(app_.Document(), messages_, app_.Messages())) {
    ShowCurrentRow(CurrentColumn());
    MainRowSelected();
  }
}

void ProofTools::RestoreTimeMenuClick() {
  if (proof::RestoreTime(app_.Document(), messages_, app_.Messages()) ==
      proof::RestoreEnd::kAlreadyBase) {
    messages_.Inform(ports::Severity::kInformation, Message(proof::kTimeAlreadyBaseMessage));
  }
  MainRowSelected();
}

void ProofTools::RestoreTextMenuClick() {
  if (proof::RestoreText(app_.Document(), messages_, app_.Messages()) ==
      proof::RestoreEnd::kAlreadyBase) {
    messages_.Inform(ports::Severity::kInformation, Message(proof::kTextAlreadyBaseMessage));
  }
  MainRowSelected();
}

// --- Undo and redo ---------------------------------------------------------------------------

void ProofTools::UpdateUndoActions() {
  // A language file without these texts keeps the captions shown so far.
  if (const QString caption = ToQString(app::UndoCaption(app_)); !caption.isEmpty()) {
    ui_.UndoMenu->setText(caption);
  }
  if (const QString caption = ToQString(app::RedoCaption(app_)); !caption.isEmpty()) {
    ui_.RedoMenu->setText(caption);
  }
  ui_.UndoMenu->setEnabled(app::UndoAvailable(app_));
  ui_.RedoMenu->setEnabled(app::RedoAvailable(app_));
}

void ProofTools::UndoMenuClick() {
  if (app::UndoCommand(app_)) {
    ShowCurrentRow(CurrentColumn());
    MainRowSelected();
  }
}

void ProofTools::RedoMenuClick() {
  if (app::RedoCommand(app_)) {
    ShowCurrentRow(CurrentColumn());
    MainRowSelected();
  }
}

void ProofTools::StringGrid1RightClick(const QPoint& point) {
  QTableView* grid = ui_.StringGrid1;
  const QModelIndex index = grid->indexAt(point);
  // Other columns get the context menu from the window; the shift-mark column toggles its mark.
  if (!index.isValid() || index.column() != document::kShiftMark) {
    return;
  }
  grid->setCurrentIndex(index);
  const auto toggled = proof::ToggleShiftMark(app_.Document(), index.row() + 1);
  if (!toggled.ok()) {
    messages_.Inform(ports::Severity::kError, toggled.error().message);
  }
}

}  // namespace ui

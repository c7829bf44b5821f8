// LibraryTools: the library editor, merge and export panels, the library check and the index
// rebuild, each handler collecting the panel's state and calling one library operation.
#include "ui/library_tools.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "library/library_check.h"
#include "library/library_export.h"
#include "library/library_merge.h"
#include "ui/floating_panel.h"
#include "ui/main_window_ui.h"
#include "ui/qt_convert.h"
#include "ui/qt_ports.h"

namespace ui {

// The tools' own event pump: events run as the window's pump lets them, and every progress
// report reaches the running tool's sink at once (the library loops report a few hundred times
// per run at most), so a stop pressed at a given point of the run is seen before the next record.
class ToolPump : public ports::EventPump {
 public:
  void LetPendingEventsRun() override {
    inner_.LetPendingEventsRun();
  }
  void ReportProgress(int done, int total) override {
    if (sink_) {
      sink_(done, total);
    }
  }
  bool StopRequested() const override {
    return inner_.StopRequested();
  }
  void RequestStop() {
    inner_.RequestStop();
  }
  // Clears the stop flag and sets where progress goes for the next run.
  void Start(std::function<void(int, int)> sink) {
    inner_.Reset();
    sink_ = std::move(sink);
  }
  void Finish() {
    sink_ = nullptr;
  }

 private:
  QtEventPump inner_;
  std::function<void(int, int)> sink_;
};

// A message port that runs a hook once the user has said Yes or OK, so that a tool can show
// that it is working only after its confirmation.
class ConfirmingPort : public ports::MessagePort {
 public:
  explicit ConfirmingPort(ports::MessagePort& inner) : inner_(inner) {}
  // `on_yes` runs after the next Yes or OK answer, once.
  void RunAfterYes(std::function<void()> on_yes) {
    on_yes_ = std::move(on_yes);
  }
  void Inform(ports::Severity severity, const std::string& text) override {
    inner_.Inform(severity, text);
  }
  ports::Answer Ask(const ports::Question& question) override {
    const ports::Answer answer = inner_.Ask(question);
    if ((answer == ports::Answer::kYes || answer == ports::Answer::kOk) && on_yes_) {
      on_yes_();
      on_yes_ = nullptr;
    }
    return answer;
  }

 private:
  ports::MessagePort& inner_;
  std::function<void()> on_yes_;
};

namespace {

// Columns of the editor grid.
constexpr int kDeleteColumn = 1;
constexpr int kNumberColumn = 2;
constexpr int kTextColumn = 3;
constexpr int kDataColumn = 4;
constexpr int kChangeColumn = 5;
constexpr int kEditorColumns = 6;
constexpr int kEditorColumnWidths[kEditorColumns] = {8, 20, 40, 40, 410, 20};

constexpr int kProgressUnits = 255;
// Wait texts and results shown here.
constexpr int kMessageNoLibrary = library::kMessageLibraryMissing;
constexpr int kMessageRebuildDone = library::kMessageIndexBuilt;

// `done` of `total` as 0..255 bar units; a run of one unit fills the bar when it is done.
int BarUnits(int done, int total) {
  if (total <= 1) {
    return done > 0 ? kProgressUnits : 0;
  }
  return std::clamp(static_cast<int>(static_cast<long long>(done) * kProgressUnits / (total - 1)),
                    0, kProgressUnits);
}

// `done` of `total` in percent; a run of one unit is 100% when it starts.
int Percent(int done, int total) {
  if (total <= 1) {
    return 100;
  }
  return std::clamp(static_cast<int>(static_cast<long long>(done) * 100 / (total - 1)), 0, 100);
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* gbk_caption) {
  auto* button = new QPushButton(ToQString(gbk_caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

QLabel* NewLabel(QWidget* parent, const char* name, const char* gbk_caption) {
  auto* label = new QLabel(ToQString(gbk_caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QLineEdit* NewEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  return edit;
}

QProgressBar* NewBar(QWidget* parent, const char* name) {
  auto* bar = new QProgressBar(parent);
  bar->setObjectName(QString::fromLatin1(name));
  bar->setRange(0, kProgressUnits);
  bar->setValue(0);
  bar->setTextVisible(false);
  bar->setMaximumHeight(12);
  return bar;
}

}  // namespace

LibraryTools::LibraryTools(MainWindow::Ui& ui, app::Application& app, library::GlyphLibrary* glyphs,
                           ports::MessagePort& messages, ports::FileDialogPort& dialogs,
                           QWidget* window)
    : QObject(window),
      ui_(ui),
      app_(app),
      glyphs_(glyphs),
      messages_(messages),
      dialogs_(dialogs),
      window_(window),
      pump_(std::make_unique<ToolPump>()),
      port_(std::make_unique<ConfirmingPort>(messages)) {
  setObjectName(QStringLiteral("LibraryTools"));
  BuildEditor();
  BuildMerge();
  BuildExport();
  Connect();
}

LibraryTools::~LibraryTools() = default;

QString LibraryTools::MsgText(int number) const {
  return ToQString(Msg(number));
}

void LibraryTools::Inform(const std::string& gbk) {
  messages_.Inform(ports::Severity::kInformation, gbk);
}

void LibraryTools::ShowError(const text::Error& error) {
  messages_.Inform(ports::Severity::kWarning, error.message);
}

bool LibraryTools::Ready() {
  if (busy_) {
    return false;
  }
  if (glyphs_ == nullptr) {
    Inform(Msg(kMessageNoLibrary));
    return false;
  }
  return true;
}

void LibraryTools::ShowWait(const std::string& gbk) {
  ui_.Label36->setText(ToQString(gbk));
  ui_.Button19->hide();  // the library tools stop through their own panels
  ui_.Panel23->show();
  ui_.Panel23->raise();
  ui_.Panel23->repaint();
}

void LibraryTools::HideWait() {
  ui_.Panel23->hide();
  ui_.Button19->show();
}

void LibraryTools::RunBusy(const std::function<void()>& work) {
  // Nothing else may change the library while a loop lets events run: the library commands
  // are switched off and come back as they were.
  QAction* const commands[] = {ui_.EditWordMenu, ui_.AddWordMenu, ui_.OutWordMenu,
                               ui_.CheckWordMenu, ui_.CreatIndexMenu};
  bool enabled[std::size(commands)];
  for (size_t i = 0; i < std::size(commands); ++i) {
    enabled[i] = commands[i]->isEnabled();
    commands[i]->setEnabled(false);
  }
  busy_ = true;
  work();
  busy_ = false;
  pump_->Finish();
  for (size_t i = 0; i < std::size(commands); ++i) {
    commands[i]->setEnabled(enabled[i]);
  }
}

std::optional<std::string> LibraryTools::GbkOf(const QLineEdit* edit) {
  text::Result<std::string> gbk = ToGbk(edit->text());
  if (!gbk.ok()) {
    ShowError(gbk.error());
    return std::nullopt;
  }
  return std::move(gbk).value();
}

ports::FileFilter LibraryTools::ExchangeFilter() const {
  // Message 497 reads "description|pattern".
  const std::string filter = Msg(library::kMessageExchangeFilter);
  const size_t bar = filter.find('|');
  ports::FileFilter result;
  if (bar == std::string::npos) {
    result.entries.push_back({filter.empty() ? std::string("*.sts") : filter, "*.sts"});
  } else {
    result.entries.push_back({filter.substr(0, bar), filter.substr(bar + 1)});
  }
  // No start folder: the dialog opens in the last folder used or the home folder, never among
  // the live library's own files.
  result.default_extension = ".sts";
  return result;
}

// ---------------------------------------------------------------------------------------------
// Building the panels.

void LibraryTools::BuildEditor() {
  FloatingPanel* panel = ui_.Panel6;
  panel->TitleLabel()->setObjectName(QStringLiteral("Label4"));

  Label8 = NewLabel(panel, "Label8", "");
  StringGrid5 = new QTableWidget(1, kEditorColumns, panel);
  StringGrid5->setObjectName(QStringLiteral("StringGrid5"));
  StringGrid5->verticalHeader()->hide();
  StringGrid5->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  StringGrid5->verticalHeader()->setDefaultSectionSize(19);
  StringGrid5->horizontalHeader()->setMinimumSectionSize(1);
  StringGrid5->setSelectionMode(QAbstractItemView::SingleSelection);
  StringGrid5->setEditTriggers(QAbstractItemView::DoubleClicked |
                               QAbstractItemView::EditKeyPressed |
                               QAbstractItemView::AnyKeyPressed);
  StringGrid5->setWordWrap(false);
  const char* const headings[kEditorColumns] = {"",
                                                "\xC9\xBE" /* 删 */,
                                                "\xD0\xF2\xBA\xC5" /* 序号 */,
                                                "\xCE\xC4\xD7\xD6" /* 文字 */,
                                                "\xCA\xFD\xBE\xDD" /* 数据 */,
                                                "\xB8\xC4" /* 改 */};
  for (int column = 0; column < kEditorColumns; ++column) {
    StringGrid5->setHorizontalHeaderItem(column, new QTableWidgetItem(ToQString(headings[column])));
    StringGrid5->setColumnWidth(column, kEditorColumnWidths[column]);
  }
  StringGrid5->installEventFilter(this);

  Image3 = new QLabel(panel);
  Image3->setObjectName(QStringLiteral("Image3"));
  Image3->setAlignment(Qt::AlignCenter);
  Image3->setFixedSize(64, 64);
  Image3->hide();
  Label5 = NewLabel(panel, "Label5", "\xC3\xBB\xD3\xD0\xCD\xBC\xC6\xAC" /* 没有图片 */);
  Label5->setAlignment(Qt::AlignCenter);
  Label5->setFixedHeight(64);

  RadioButton1 = new QRadioButton(
      ToQString("\xB2\xE9\xD5\xD2\xC4\xB3\xB8\xF6\xD7\xD6" /* 查找某个字 */), panel);
  RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
  RadioButton1->setChecked(true);
  Edit2 = NewEdit(panel, "Edit2");
  RadioButton2 = new QRadioButton(
      ToQString("\xB2\xE9\xD5\xD2\xD0\xF2\xBA\xC5\xB7\xB6\xCE\xA7" /* 查找序号范围 */), panel);
  RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
  Edit12 = NewEdit(panel, "Edit12");
  Label23 = NewLabel(panel, "Label23", "\xB5\xBD" /* 到 */);
  Edit13 = NewEdit(panel, "Edit13");
  Button7 = NewButton(panel, "Button7", "\xB2\xE9\xD5\xD2" /* 查找 */);
  Button6 =
      NewButton(panel, "Button6",
                "\xB1\xA3\xB4\xE6\xCB\xF9\xD7\xF6\xB5\xC4\xD0\xDE\xB8\xC4" /* 保存所做的修改 */);
  Button22 = NewButton(panel, "Button22",
                       "\xC1\xD9\xCA\xB1\xCA\xFD\xBE\xDD\xB9\xE9\xB5\xB5" /* 临时数据归档 */);
  Button32 = NewButton(panel, "Button32",
                       "\xC9\xBE\xB3\xFD\xB2\xE9\xD1\xAF\xCA\xFD\xBE\xDD" /* 删除查询数据 */);
  Button8 = NewButton(panel, "Button8", "\xB9\xD8\xB1\xD5" /* 关闭 */);

  auto* side = new QVBoxLayout();
  side->setSpacing(3);
  side->addWidget(Image3, 0, Qt::AlignHCenter);
  side->addWidget(Label5);
  side->addWidget(RadioButton1);
  side->addWidget(Edit2);
  side->addWidget(RadioButton2);
  auto* range = new QHBoxLayout();
  range->addWidget(Edit12, 1);
  range->addWidget(Label23);
  range->addWidget(Edit13, 1);
  side->addLayout(range);
  side->addWidget(Button7);
  side->addStretch(1);
  for (QPushButton* button : {Button6, Button22, Button32, Button8}) {
    side->addWidget(button);
  }
  auto* body = new QHBoxLayout();
  body->addWidget(StringGrid5, 1);
  auto* side_box = new QWidget(panel);
  side_box->setLayout(side);
  // At least the design width; wider when another language's captions need it. The boxes take
  // the width the captions leave, so they do not widen the column themselves.
  for (QLineEdit* edit : {Edit2, Edit12, Edit13}) {
    edit->setSizePolicy(QSizePolicy::Ignored, edit->sizePolicy().verticalPolicy());
  }
  side_box->setMinimumWidth(150);
  side_box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  body->addWidget(side_box);
  panel->Body()->addWidget(Label8);
  panel->Body()->addLayout(body, 1);
  panel->AddDragHandle(Label8);
}

void LibraryTools::BuildMerge() {
  FloatingPanel* panel = ui_.Panel15;
  panel->TitleLabel()->setObjectName(QStringLiteral("Label10"));
  Label9 = NewLabel(panel, "Label9", "");
  Label9->setWordWrap(true);
  Label11 =
      NewLabel(panel, "Label11", "\xD2\xAA\xB2\xB9\xB3\xE4\xB5\xC4\xD7\xD6\xBF\xE2\xCE\xBB\xD6\xC3"
               /* 要补充的字库位置 */);
  Edit3 = NewEdit(panel, "Edit3");
  Button11 = NewButton(panel, "Button11", "->");
  Button11->setFixedWidth(30);
  BitBtn4 = NewButton(panel, "BitBtn4", "\xBF\xAA\xCA\xBC\xBA\xCF\xB2\xA2" /* 开始合并 */);
  Button12 = NewButton(panel, "Button12", "\xB7\xB5\xBB\xD8" /* 返回 */);
  MergeProgress = NewBar(panel, "MergeProgress");

  auto* path = new QHBoxLayout();
  path->addWidget(Label11);
  path->addWidget(Edit3, 1);
  path->addWidget(Button11);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(BitBtn4);
  buttons->addWidget(Button12);
  panel->Body()->addWidget(Label9);
  panel->Body()->addLayout(path);
  panel->Body()->addWidget(MergeProgress);
  panel->Body()->addLayout(buttons);
  panel->AddDragHandle(Label9);
}

void LibraryTools::BuildExport() {
  FloatingPanel* panel = ui_.Panel25;
  panel->TitleLabel()->setObjectName(QStringLiteral("Label37"));
  Label38 = NewLabel(panel, "Label38", "\xB5\xBC\xB3\xF6\xD0\xF2\xBA\xC5\xB4\xD3           \xB5\xBD"
                     /* 导出序号从           到 */);
  Edit8 = NewEdit(panel, "Edit8");
  Edit4 = NewEdit(panel, "Edit4");
  Edit7 = NewEdit(panel, "Edit7");
  Button18 = NewButton(panel, "Button18", "->");
  Button18->setFixedWidth(30);
  Button16 = NewButton(panel, "Button16", "\xB5\xBC\xB3\xF6" /* 导出 */);
  Button17 = NewButton(panel, "Button17", "\xB7\xB5\xBB\xD8" /* 返回 */);
  ExportProgress = NewBar(panel, "ExportProgress");

  // The caption leaves a gap for the first box ("from [   ] to"): it is shown in two parts around
  // the boxes, and Label38 keeps the caption as language.sys gives it.
  Label38->hide();
  ExportFromLabel = NewLabel(panel, "ExportFromLabel", "");
  ExportToLabel = NewLabel(panel, "ExportToLabel", "");
  SplitRangeCaption();
  auto* range = new QHBoxLayout();
  range->addWidget(ExportFromLabel);
  range->addWidget(Edit8, 1);
  range->addWidget(ExportToLabel);
  range->addWidget(Edit4, 1);
  auto* path = new QHBoxLayout();
  path->addWidget(Edit7, 1);
  path->addWidget(Button18);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(Button16);
  buttons->addWidget(Button17);
  panel->Body()->addLayout(range);
  panel->Body()->addLayout(path);
  panel->Body()->addWidget(ExportProgress);
  panel->Body()->addLayout(buttons);
  panel->AddDragHandle(ExportFromLabel);
}

void LibraryTools::SplitRangeCaption() {
  const QString caption = Label38->text();
  // The gap is the first run of two or more spaces; a caption without one stays whole in front.
  static const QRegularExpression gap(QStringLiteral(" {2,}"));
  const QRegularExpressionMatch match = gap.match(caption);
  if (!match.hasMatch()) {
    ExportFromLabel->setText(caption.trimmed());
    ExportToLabel->clear();
    return;
  }
  ExportFromLabel->setText(caption.left(match.capturedStart()).trimmed());
  ExportToLabel->setText(caption.mid(match.capturedEnd()).trimmed());
}

void LibraryTools::LanguageApplied() {
  SplitRangeCaption();
  SetMerging(merging_);
}

void LibraryTools::Connect() {
  connect(ui_.EditWordMenu, &QAction::triggered, this, &LibraryTools::EditWordMenuClick);
  connect(ui_.AddWordMenu, &QAction::triggered, this, &LibraryTools::AddWordMenuClick);
  connect(ui_.OutWordMenu, &QAction::triggered, this, &LibraryTools::OutWordMenuClick);
  connect(ui_.CheckWordMenu, &QAction::triggered, this, &LibraryTools::CheckWordMenuClick);
  connect(ui_.CreatIndexMenu, &QAction::triggered, this, &LibraryTools::CreatIndexMenuClick);

  connect(Button7, &QPushButton::clicked, this, &LibraryTools::Button7Click);
  connect(Button6, &QPushButton::clicked, this, &LibraryTools::Button6Click);
  connect(Button22, &QPushButton::clicked, this, &LibraryTools::Button22Click);
  connect(Button32, &QPushButton::clicked, this, &LibraryTools::Button32Click);
  connect(Button8, &QPushButton::clicked, this, &LibraryTools::Button8Click);
  connect(StringGrid5, &QTableWidget::currentCellChanged, this,
          [this](int row, int column, int, int) { StringGrid5Click(row, column); });
  connect(StringGrid5, &QTableWidget::cellDoubleClicked, this, &LibraryTools::StringGrid5DblClick);
  connect(StringGrid5, &QTableWidget::cellChanged, this, &LibraryTools::StringGrid5CellEdited);
  // A key in a search box selects its search mode; Enter searches (the panel's default button).
  connect(Edit2, &QLineEdit::textEdited, RadioButton1, [this] { RadioButton1->setChecked(true); });
  for (QLineEdit* edit : {Edit12, Edit13}) {
    connect(edit, &QLineEdit::textEdited, RadioButton2, [this] { RadioButton2->setChecked(true); });
  }
  for (QLineEdit* edit : {Edit2, Edit12, Edit13}) {
    connect(edit, &QLineEdit::returnPressed, this, &LibraryTools::Button7Click);
  }
  connect(Edit12, &QLineEdit::editingFinished, this, &LibraryTools::Edit12Exit);

  connect(Button11, &QPushButton::clicked, this, &LibraryTools::Button11Click);
  connect(BitBtn4, &QPushButton::clicked, this, &LibraryTools::BitBtn4Click);
  connect(Button12, &QPushButton::clicked, this, &LibraryTools::Button12Click);

  connect(Button18, &QPushButton::clicked, this, &LibraryTools::Button18Click);
  connect(Button16, &QPushButton::clicked, this, &LibraryTools::Button16Click);
  connect(Button17, &QPushButton::clicked, this, &LibraryTools::Button17Click);
}

// ---------------------------------------------------------------------------------------------
// Library editor.

void LibraryTools::EditWordMenuClick() {
  OpenEditor(std::string(), std::string());
}

void LibraryTools::OpenEditorWithSearch(const std::string& number, const std::string& text) {
  OpenEditor(number, text);
}

void LibraryTools::OpenEditor(const std::string& number, const std::string& text) {
  if (!Ready()) {
    return;
  }
  if (!editor_) {
    editor_ = std::make_unique<library::LibraryEditor>(*glyphs_, app_.Messages(), *port_);
  }
  // The pending search goes into its boxes and selects its mode, as if typed there.
  Edit12->setText(QString::fromStdString(number));
  Edit13->setText(QString::fromStdString(number));
  Edit2->setText(ToQString(text));
  if (!number.empty()) {
    RadioButton2->setChecked(true);
  } else if (!text.empty()) {
    RadioButton1->setChecked(true);
  }
  ui_.Panel6->show();
  ui_.Panel6->raise();
  ui_.Panel23->raise();
  text::Status opened = text::Success();
  RunBusy([&] {
    pump_->Start(nullptr);
    opened = editor_->Open(number, text, *pump_);
  });
  FillEditorGrid();
  Button22->setEnabled(editor_->ArchiveEnabled());
  ShowEditorStatus();
  if (!opened.ok()) {
    ShowError(opened.error());
  }
}

void LibraryTools::ShowEditorStatus() {
  ui_.Panel6->TitleLabel()->setText(ToQString(editor_->TitleText()));
  Label8->setText(ToQString(editor_->StatusText()));
}

void LibraryTools::FillEditorGrid() {
  const std::vector<library::EditorRow>& rows = editor_->Rows();
  filling_grid_ = true;
  StringGrid5->setRowCount(static_cast<int>(rows.size()));
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    const library::EditorRow& record = rows[static_cast<size_t>(row)];
    const QString cells[kEditorColumns] = {
        QString(),
        QString(),
        record.number > 0 ? QString::number(record.number) : QString(),
        ToQString(record.text),
        ToQString(record.features),
        QString()};
    for (int column = 0; column < kEditorColumns; ++column) {
      auto* item = new QTableWidgetItem(cells[column]);
      // Only the text and the data are typed into; numbers and marks belong to the listing.
      const bool editable = record.number > 0 && (column == kTextColumn || column == kDataColumn);
      item->setFlags(editable ? (Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable)
                              : (Qt::ItemIsSelectable | Qt::ItemIsEnabled));
      StringGrid5->setItem(row, column, item);
    }
  }
  filling_grid_ = false;
  for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
    RefreshMarks(row);
  }
  const int current =
      std::clamp(editor_->CurrentRow(), 0, std::max(0, StringGrid5->rowCount() - 1));
  StringGrid5->setCurrentCell(current, kTextColumn);
  StringGrid5->scrollToItem(StringGrid5->item(current, kTextColumn));
  editor_->SetCurrentRow(current);
  ShowEditorPicture();
}

void LibraryTools::RefreshMarks(int row) {
  const std::vector<library::EditorRow>& rows = editor_->Rows();
  if (row < 0 || row >= static_cast<int>(rows.size()) || row >= StringGrid5->rowCount()) {
    return;
  }
  const library::EditorRow& record = rows[static_cast<size_t>(row)];
  filling_grid_ = true;
  StringGrid5->item(row, kDeleteColumn)
      ->setText(record.delete_mark ? MsgText(library::kMessageDeleteMark) : QString());
  StringGrid5->item(row, kChangeColumn)
      ->setText(record.change_mark ? MsgText(library::kMessageChangeMark) : QString());
  filling_grid_ = false;
}

void LibraryTools::ShowEditorPicture() {
  std::optional<std::filesystem::path> picture;
  if (editor_) {
    picture = editor_->PictureOf(editor_->CurrentRow());
  }
  QPixmap pixmap;
  if (picture) {
    pixmap.load(PathToQString(*picture));
  }
  if (!pixmap.isNull()) {
    Image3->setPixmap(pixmap.width() > Image3->width() || pixmap.height() > Image3->height()
                          ? pixmap.scaled(Image3->size(), Qt::KeepAspectRatio)
                          : pixmap);
    Image3->show();
    Label5->hide();
  } else {
    Image3->clear();
    Image3->hide();
    Label5->show();
  }
}

void LibraryTools::StringGrid5Click(int row, int /*column*/) {
  if (!editor_ || filling_grid_ || row < 0) {
    return;
  }
  editor_->SetCurrentRow(row);
  ShowEditorPicture();
}

void LibraryTools::StringGrid5DblClick(int row, int column) {
  if (!editor_ || busy_) {
    return;
  }
  if (column == kDeleteColumn) {
    editor_->ToggleDeleteMark(row);
  } else if (column == kChangeColumn) {
    editor_->ClearChangeMark(row);
  }
  RefreshMarks(row);
}

void LibraryTools::StringGrid5CellEdited(int row, int column) {
  if (!editor_ || filling_grid_ || (column != kTextColumn && column != kDataColumn)) {
    return;
  }
  const std::vector<library::EditorRow>& rows = editor_->Rows();
  if (row < 0 || row >= static_cast<int>(rows.size())) {
    return;
  }
  QTableWidgetItem* item = StringGrid5->item(row, column);
  text::Result<std::string> gbk = ToGbk(item->text());
  if (!gbk.ok()) {
    // The cell goes back to what the row holds; a character GBK lacks is never stored.
    const library::EditorRow& record = rows[static_cast<size_t>(row)];
    filling_grid_ = true;
    item->setText(ToQString(column == kTextColumn ? record.text : record.features));
    filling_grid_ = false;
    ShowError(gbk.error());
    return;
  }
  if (column == kTextColumn) {
    editor_->EditText(row, std::move(gbk).value());
  } else {
    editor_->EditFeatures(row, std::move(gbk).value());
  }
  RefreshMarks(row);
}

bool LibraryTools::eventFilter(QObject* watched, QEvent* event) {
  // StringGrid5KeyPress: any character typed into the grid marks the current row as changed.
  if (watched == StringGrid5 && event->type() == QEvent::KeyPress && editor_ && !busy_) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString typed = key->text();
    if (!typed.isEmpty() && typed.at(0).isPrint() &&
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0) {
      const int row = StringGrid5->currentRow();
      editor_->MarkChanged(row);
      RefreshMarks(row);
    }
  }
  return QObject::eventFilter(watched, event);
}

void LibraryTools::Edit12Exit() {
  if (Edit13->text().isEmpty()) {
    Edit13->setText(Edit12->text());
  }
}

void LibraryTools::Button7Click() {
  if (!editor_ || busy_) {
    return;
  }
  text::Status searched = text::Success();
  if (RadioButton1->isChecked()) {
    const std::optional<std::string> wanted = GbkOf(Edit2);
    if (!wanted) {
      return;
    }
    RunBusy([&] {
      pump_->Start(nullptr);
      editor_->SearchText(*wanted, *pump_);
    });
  } else {
    const std::string from = Edit12->text().toStdString();
    const std::string to = Edit13->text().toStdString();
    RunBusy([&] {
      pump_->Start(nullptr);
      searched = editor_->SearchRange(from, to, *pump_);
    });
  }
  if (!searched.ok()) {
    ShowError(searched.error());
    return;
  }
  FillEditorGrid();
  ShowEditorStatus();
}

void LibraryTools::Button6Click() {
  if (!editor_ || busy_) {
    return;
  }
  const int count_before = glyphs_->RecordCount();
  // The wait panel appears once the user has confirmed the save.
  port_->RunAfterYes([this] { ShowWait(Msg(library::kMessageSaving)); });
  text::Result<library::SaveOutcome> saved = library::SaveOutcome::kNothingMarked;
  RunBusy([&] {
    pump_->Start(nullptr);
    saved = editor_->Save(*pump_);
  });
  port_->RunAfterYes(nullptr);
  HideWait();
  if (!saved.ok()) {
    ShowError(saved.error());
    return;
  }
  switch (saved.value()) {
    case library::SaveOutcome::kNothingMarked:
      Inform(Msg(library::kMessageNothingMarked));
      break;
    case library::SaveOutcome::kCancelled:
      break;
    case library::SaveOutcome::kSaved:
      if (glyphs_->RecordCount() < count_before) {
        Inform(Msg(kMessageRebuildDone));  // a deletion rebuilt the index
      }
      Inform(Msg(library::kMessageSaved));
      ui_.Panel6->hide();
      break;
  }
}

void LibraryTools::Button22Click() {
  if (!editor_ || busy_) {
    return;
  }
  ShowWait(Msg(library::kMessageArchiving));
  text::Status archived = text::Success();
  RunBusy([&] { archived = editor_->Archive(); });
  HideWait();
  if (!archived.ok()) {
    ShowError(archived.error());
    return;
  }
  ShowEditorStatus();
  Inform(Msg(library::kMessageArchived));
  Button22->setEnabled(false);
}

void LibraryTools::Button32Click() {
  if (!editor_ || busy_) {
    return;
  }
  editor_->MarkAllForDeletion();
  for (int row = 0; row < StringGrid5->rowCount(); ++row) {
    RefreshMarks(row);
  }
}

void LibraryTools::Button8Click() {
  ui_.Panel6->hide();
}

// ---------------------------------------------------------------------------------------------
// Merge.

std::string LibraryTools::MergeStatus(int marker, int count) const {
  std::string status = Msg(library::kMessageMergeStatusBefore) +
                       std::to_string(glyphs_->RecordCount()) + Msg(marker);
  if (count >= 0) {
    status += std::to_string(count) + Msg(library::kMessageMergeStatusAfter);
  }
  return status;
}

void LibraryTools::AddWordMenuClick() {
  if (!Ready()) {
    return;
  }
  MergeProgress->setValue(0);
  SetMerging(false);
  ui_.Panel15->show();
  ui_.Panel15->raise();
  ui_.Panel23->raise();
  app_.SetCommandState(3);  // the merge panel's state, not recorded
  Label9->setText(ToQString(MergeStatus(library::kMessageMergeOpened, -1)));
}

void LibraryTools::SetMerging(bool merging) {
  merging_ = merging;
  BitBtn4->setText(MsgText(merging ? library::kMessageMergeStop : library::kMessageMergeStart));
  Button11->setEnabled(!merging);
  Button12->setEnabled(!merging);
}

void LibraryTools::Button11Click() {
  const std::optional<std::filesystem::path> chosen = dialogs_.ChooseFileToOpen(ExchangeFilter());
  if (chosen) {
    Edit3->setText(PathToQString(*chosen));
  }
}

void LibraryTools::BitBtn4Click() {
  if (merging_) {
    // Stop: the running merge sees the request before its next record.
    pump_->RequestStop();
    SetMerging(false);
    return;
  }
  if (!Ready()) {
    return;
  }
  const std::string path =
      Edit3->text().isEmpty() ? std::string() : PathFromQString(Edit3->text()).string();
  text::Result<library::MergeSource> source =
      library::OpenMergeSource(*glyphs_, path, app_.Messages());
  if (!source.ok()) {
    ShowError(source.error());
    return;
  }
  const int total = static_cast<int>(source.value().texts.size());
  Label9->setText(ToQString(MergeStatus(library::kMessageMergeOtherCount, total)));
  port_->RunAfterYes([this] { SetMerging(true); });
  text::Result<library::MergeResult> merged = library::MergeResult{};
  RunBusy([&] {
    pump_->Start([this](int done, int all) {
      MergeProgress->setValue(BarUnits(done, all));
      Label9->setText(ToQString(MergeStatus(library::kMessageMergeStillToDo, all - done)));
    });
    const ports::WaitPanel wait{[this](const std::string& text) { ShowWait(text); },
                                [this] { HideWait(); }};
    merged = library::RunMerge(*glyphs_, source.value(), *pump_, *port_, app_.Messages(), wait);
  });
  port_->RunAfterYes(nullptr);
  SetMerging(false);
  if (!merged.ok()) {
    ShowError(merged.error());
    return;
  }
  const library::MergeResult& result = merged.value();
  if (result.declined) {
    return;
  }
  Label9->setText(ToQString(MergeStatus(library::kMessageMergeStillToDo, result.remaining)));
  Inform(result.report);
}

void LibraryTools::Button12Click() {
  if (merging_) {
    return;
  }
  app_.RestoreRecordedCommandState();
  ui_.Panel15->hide();
}

// ---------------------------------------------------------------------------------------------
// Export.

void LibraryTools::OutWordMenuClick() {
  if (!Ready()) {
    return;
  }
  ExportProgress->setValue(0);
  const library::ExportRange range = library::DefaultExportRange(glyphs_->RecordCount());
  Edit8->setText(QString::fromStdString(range.from));
  Edit4->setText(QString::fromStdString(range.to));
  ui_.Panel25->show();
  ui_.Panel25->raise();
  ui_.Panel23->raise();
}

bool LibraryTools::RefusedAsExportTarget(const std::filesystem::path& target) {
  // The export writes its target from the start: over the library being read, it would destroy
  // what it exports.
  const std::filesystem::path live = app_.ProgramFolder() / library::kFeaturesFileName;
  std::error_code error;
  const bool same = std::filesystem::equivalent(target, live, error) ||
                    target.lexically_normal() == live.lexically_normal();
  if (same) {
    messages_.Inform(ports::Severity::kWarning, Msg(app::msg::kExportOverLibrary));
  }
  return same;
}

void LibraryTools::Button18Click() {
  const std::optional<std::filesystem::path> chosen =
      dialogs_.ChooseFileToSave(ExchangeFilter(), std::filesystem::path());
  if (chosen && !RefusedAsExportTarget(*chosen)) {
    Edit7->setText(PathToQString(*chosen));
  }
}

void LibraryTools::Button16Click() {
  if (!Ready()) {
    return;
  }
  const std::string from = Edit8->text().toStdString();
  const std::string to = Edit4->text().toStdString();
  const std::string path =
      Edit7->text().isEmpty() ? std::string() : PathFromQString(Edit7->text()).string();
  if (!path.empty() && RefusedAsExportTarget(path)) {
    return;
  }
  text::Result<library::ExportResult> exported = library::ExportResult{};
  RunBusy([&] {
    ExportProgress->setValue(0);
    pump_->Start([this](int done, int all) { ExportProgress->setValue(BarUnits(done, all)); });
    exported = library::ExportRecords(*glyphs_, from, to, path, *pump_, messages_, app_.Messages());
  });
  if (!exported.ok()) {
    ShowError(exported.error());
    return;
  }
  if (!exported.value().declined) {
    ExportProgress->setValue(kProgressUnits);
    Inform(Msg(library::kMessageExportDone));
  }
}

void LibraryTools::Button17Click() {
  ui_.Panel25->hide();
}

// ---------------------------------------------------------------------------------------------
// Check and index.

void LibraryTools::CheckWordMenuClick() {
  if (!Ready()) {
    return;
  }
  const std::string checking = Msg(library::kMessageChecking);
  ShowWait(checking + "0%");
  library::CheckReport report;
  RunBusy([&] {
    pump_->Start([this, &checking](int line, int last) {
      ui_.Label36->setText(
          ToQString(checking + std::to_string(last > 0 ? line * 100 / last : 100) + "%"));
    });
    report = library::CheckLibrary(*glyphs_, app_.Messages(), *pump_);
  });
  HideWait();
  // The report's lines end in a lone CR; message boxes break lines at LF.
  std::string shown = report.text;
  std::replace(shown.begin(), shown.end(), '\r', '\n');
  Inform(shown);
}

void LibraryTools::CreatIndexMenuClick() {
  if (!Ready()) {
    return;
  }
  const std::string indexing = Msg(library::kMessageIndexing);
  port_->RunAfterYes([this, &indexing] { ShowWait(indexing + "0%"); });
  text::Result<bool> rebuilt = false;
  RunBusy([&] {
    pump_->Start([this, &indexing](int done, int total) {
      ui_.Label36->setText(ToQString(indexing + std::to_string(Percent(done, total)) + "%"));
    });
    rebuilt = library::ConfirmAndRebuildIndex(*glyphs_, *port_, app_.Messages(), *pump_);
  });
  port_->RunAfterYes(nullptr);
  HideWait();
  if (!rebuilt.ok()) {
    ShowError(rebuilt.error());
    return;
  }
  if (rebuilt.value()) {
    Inform(Msg(kMessageRebuildDone));
  }
}

}  // namespace ui

// SettingsTools: building the settings panel's tabs and binding its controls to the panel
// options and the phrase grid of the application.
#include "ui/settings_tools.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/message_numbers.h"
#include "ui/floating_panel.h"
#include "ui/main_window_ui.h"
#include "ui/qt_convert.h"

namespace ui {

// The phrase grid's cell editor passes every typed character on at once, so the entry-row rules
// and the check see the cell as it is being typed, and lets the tools see its key releases.
class PhraseCellDelegate : public QStyledItemDelegate {
 public:
  PhraseCellDelegate(SettingsTools& tools, QObject* parent)
      : QStyledItemDelegate(parent), tools_(tools) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      line->installEventFilter(&tools_);
      const int column = index.column();
      const int row = index.row();
      QObject::connect(
          line, &QLineEdit::textEdited, &tools_,
          [this, column, row](const QString& text) { tools_.PhraseCellTyped(column, row, text); });
    }
    return editor;
  }

 private:
  SettingsTools& tools_;
};

namespace {

QCheckBox* NewCheckBox(QWidget* parent, const char* name, const char* gbk_caption) {
  auto* box = new QCheckBox(ToQString(gbk_caption), parent);
  box->setObjectName(QString::fromLatin1(name));
  return box;
}

QLabel* NewLabel(QWidget* parent, const char* name, const char* gbk_caption) {
  auto* label = new QLabel(ToQString(gbk_caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

// A grid drawn white while enabled and in the button face colour while disabled.
QTableWidget* NewGrid(QWidget* parent, const char* name, int rows, int columns) {
  auto* grid = new QTableWidget(rows, columns, parent);
  grid->setObjectName(QString::fromLatin1(name));
  QPalette palette = grid->palette();
  for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Base, Qt::white);
  }
  palette.setColor(QPalette::Disabled, QPalette::Base, palette.color(QPalette::Button));
  grid->setPalette(palette);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->verticalHeader()->setDefaultSectionSize(20);
  grid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
  return grid;
}

void SetCellText(QTableWidget* grid, int row, int column, const std::string& gbk) {
  QTableWidgetItem* item = grid->item(row, column);
  if (item == nullptr) {
    item = new QTableWidgetItem();
    grid->setItem(row, column, item);
  }
  item->setText(ToQString(gbk));
}

std::vector<std::string> ToGbkNames(const std::vector<std::string>& utf8_names) {
  std::vector<std::string> names;
  for (const std::string& name : utf8_names) {
    text::Result<std::string> gbk = ToGbk(QString::fromStdString(name));
    if (gbk.ok()) {
      names.push_back(std::move(gbk.value()));
    }
  }
  return names;
}

}  // namespace

std::vector<std::string> DesktopInputMethods() {
  if (!QStandardPaths::findExecutable(QStringLiteral("ibus")).isEmpty()) {
    QProcess ibus;
    ibus.start(QStringLiteral("ibus"), {QStringLiteral("list-engine")});
    if (ibus.waitForFinished(3000) && ibus.exitStatus() == QProcess::NormalExit &&
        ibus.exitCode() == 0) {
      const QByteArray output = ibus.readAllStandardOutput();
      return ToGbkNames(app::ParseIbusEngineList(output.toStdString()));
    }
    ibus.kill();
    ibus.waitForFinished(1000);
  }
  QFile profile(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                QStringLiteral("/fcitx5/profile"));
  if (profile.open(QIODevice::ReadOnly)) {
    return ToGbkNames(app::ParseFcitx5Profile(profile.readAll().toStdString()));
  }
  return {};
}

void DesktopSwitchInputMethod(const std::string& name) {
  const QString engine = ToQString(name);
  if (engine.isEmpty()) {
    return;
  }
  if (!QStandardPaths::findExecutable(QStringLiteral("ibus")).isEmpty()) {
    QProcess::startDetached(QStringLiteral("ibus"), {QStringLiteral("engine"), engine});
  } else if (!QStandardPaths::findExecutable(QStringLiteral("fcitx5-remote")).isEmpty()) {
    QProcess::startDetached(QStringLiteral("fcitx5-remote"), {QStringLiteral("-s"), engine});
  }
}

SettingsTools::SettingsTools(MainWindow::Ui& ui, app::Application& app,
                             ports::MessagePort& messages, InputMethodLister input_methods,
                             InputMethodSwitcher switch_input_method, QWidget* window)
    : QObject(window),
      ui_(ui),
      app_(app),
      messages_(messages),
      input_methods_(input_methods ? std::move(input_methods)
                                   : InputMethodLister(DesktopInputMethods)),
      switch_input_method_(switch_input_method ? std::move(switch_input_method)
                                               : InputMethodSwitcher(DesktopSwitchInputMethod)),
      flow_(app) {
  for (const char* name : {"Edit1", "Edit6"}) {
    if (QObject* box = window->findChild<QLineEdit*>(QString::fromLatin1(name))) {
      new_glyph_boxes_.push_back(box);
      box->installEventFilter(this);
    }
  }
  library_search_box_ = window->findChild<QLineEdit*>(QStringLiteral("Edit2"));
  if (library_search_box_ != nullptr) {
    library_search_box_->installEventFilter(this);
  }
  FloatingPanel* panel = ui_.Panel11;
  panel->TitleLabel()->setObjectName(QStringLiteral("Label7"));
  PageControl1 = new QTabWidget(panel);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  BuildSavingTab();
  BuildInputMethodTab();
  BuildCheckTab();
  BuildPhraseTab();
  BuildRecognitionTab();
  panel->Body()->addWidget(PageControl1, 1);

  Button9 = new QPushButton(ToQString("\xB1\xA3\xB4\xE6" /* 保存 */), panel);
  Button9->setObjectName(QStringLiteral("Button9"));
  Button10 = new QPushButton(ToQString("\xC8\xA1\xCF\xFB" /* 取消 */), panel);
  Button10->setObjectName(QStringLiteral("Button10"));
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(Button9);
  buttons->addWidget(Button10);
  panel->Body()->addLayout(buttons);

  ConnectOptions();
  ShowValues();
  connect(ui_.SetProMenu, &QAction::triggered, this, &SettingsTools::SetProMenuClick);
}

void SettingsTools::BuildSavingTab() {
  TabSheet1 = new QWidget();
  TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
  CheckBox1 = NewCheckBox(TabSheet1, "CheckBox1",
                          "\xD4\xDA\xD7\xD6\xC4\xBB\xD6\xD0\xBC\xD3\xC8\xEB\xD6\xC6\xD7\xF7\xD5\xDF"
                          "\xD0\xC5\xCF\xA2" /* 在字幕中加入制作者信息 */);
  StringGrid2 = NewGrid(TabSheet1, "StringGrid2", 2, 1);
  StringGrid2->horizontalHeader()->hide();
  StringGrid2->horizontalHeader()->setStretchLastSection(true);
  StringGrid2->setVerticalHeaderLabels(
      {ToQString("\xCA\xB1\xBC\xE4" /* 时间 */), ToQString("\xD7\xD6\xC4\xBB" /* 字幕 */)});
  StringGrid2->setFixedHeight(2 * 20 + 2 * StringGrid2->frameWidth());
  auto* layout = new QVBoxLayout(TabSheet1);
  layout->addWidget(CheckBox1);
  layout->addWidget(StringGrid2);
  layout->addStretch(1);
  PageControl1->addTab(TabSheet1, ToQString("\xB1\xA3\xB4\xE6\xC9\xE8\xD6\xC3" /* 保存设置 */));
}

void SettingsTools::BuildInputMethodTab() {
  TabSheet3 = new QWidget();
  TabSheet3->setObjectName(QStringLiteral("TabSheet3"));
  ListBox4 = new QListWidget(TabSheet3);
  ListBox4->setObjectName(QStringLiteral("ListBox4"));
  Label29 = NewLabel(TabSheet3, "Label29",
                     "\xD1\xA1\xD4\xF1\xD2\xBB\xB8\xF6\xC4\xE3\xCF\xB2\xBB\xB6\xB5\xC4\xCA\xE4\xC8"
                     "\xEB\xB7\xA8\xA3\xAC\xD4\xDA\xCA\xE4\xC8\xEB\xB4\xB0\xBF\xDA\xB4\xF2\xBF\xAA"
                     "\xCA\xB1" /* 选择一个你喜欢的输入法，在输入窗口打开时 */);
  Label30 = NewLabel(TabSheet3, "Label30",
                     "\xC4\xE3\xD1\xA1\xD4\xF1\xB5\xC4\xCA\xE4\xC8\xEB\xB7\xA8\xBB\xE1\xD7\xD4\xB6"
                     "\xAF\xB4\xF2\xBF\xAA\xA1\xA3" /* 你选择的输入法会自动打开。 */);
  // Label29 holds the whole hint, so that it wraps as one sentence; Label30 keeps the second
  // half of the older two-line form and stays hidden.
  Label29->setWordWrap(true);
  Label30->hide();
  InputMethodNone = NewLabel(TabSheet3, "InputMethodNone", "");
  InputMethodNone->setWordWrap(true);
  InputMethodNone->hide();
  CheckBox3 = NewCheckBox(TabSheet3, "CheckBox3",
                          "\xCA\xE4\xC8\xEB\xD0\xC2\xD7\xD6\xCA\xB1\xCA\xE4\xC8\xEB\xB7\xA8\xD7\xD4"
                          "\xB6\xAF\xB4\xF2\xBF\xAA" /* 输入新字时输入法自动打开 */);
  CheckBox4 = NewCheckBox(TabSheet3, "CheckBox4",
                          "\xD0\xDE\xB8\xC4\xD7\xD6\xBF\xE2\xCA\xB1\xCA\xE4\xC8\xEB\xB7\xA8\xD7\xD4"
                          "\xB6\xAF\xB4\xF2\xBF\xAA" /* 修改字库时输入法自动打开 */);
  auto* right = new QVBoxLayout();
  for (QWidget* widget : std::initializer_list<QWidget*>{Label29, CheckBox3, CheckBox4}) {
    right->addWidget(widget);
  }
  right->addStretch(1);
  auto* left = new QVBoxLayout();
  left->addWidget(ListBox4, 1);
  left->addWidget(InputMethodNone);
  auto* layout = new QHBoxLayout(TabSheet3);
  layout->addLayout(left, 1);
  layout->addLayout(right, 1);
  PageControl1->addTab(TabSheet3,
                       ToQString("\xCA\xE4\xC8\xEB\xB7\xA8\xC9\xE8\xD6\xC3" /* 输入法设置 */));
}

void SettingsTools::BuildCheckTab() {
  TabSheet4 = new QWidget();
  TabSheet4->setObjectName(QStringLiteral("TabSheet4"));
  // Rule A's caption comes from the message table only.
  CheckBox5 = NewCheckBox(TabSheet4, "CheckBox5", "");
  CheckBox6 = NewCheckBox(TabSheet4, "CheckBox6",
                          "\xBC\xEC\xB2\xE9\xBE\xE4\xD6\xD0\xB5\xC4\xCB\xAB\xD2\xFD\xBA\xC5\xCA\xC7"
                          "\xB7\xF1\xCD\xEA\xD5\xFB\xA3\xAC\xB2\xBB\xCD\xEA\xD5\xFB\xB5\xC4\xC9\xBE"
                          "\xB3\xFD" /* 检查句中的双引号是否完整，不完整的删除 */);
  CheckBox7 = NewCheckBox(
      TabSheet4, "CheckBox7",
      "\xBE\xE4\xD6\xD0\xB3\xF6\xCF\xD6\xBE\xE4\xBA\xC5\xCA\xB1\xA3\xAC\xB8\xC4"
      "\xCE\xAA\xB6\xBA\xBA\xC5\xA3\xA8\xB2\xBB\xD0\xDE\xB8\xC4\xB0\xEB\xBD\xC7"
      "\xBE\xE4\xBA\xC5(.)\xA3\xA9" /* 句中出现句号时，改为逗号（不修改半角句号(.)） */);
  CheckBox2 = NewCheckBox(TabSheet4, "CheckBox2",
                          "\xBE\xE4\xC4\xA9\xB5\xC4\xB6\xBA\xBA\xC5\xBB\xF2\xBE\xE4\xBA\xC5\xC9\xBE"
                          "\xB3\xFD\xA3\xA8\xB0\xFC\xC0\xA8\xB0\xEB\xBD\xC7\xB5\xC4\xB6\xBA\xBA\xC5"
                          "(,)\xBA\xCD\xBE\xE4\xBA\xC5(.)\xA3\xA9"
                          /* 句末的逗号或句号删除（包括半角的逗号(,)和句号(.)） */);
  RadioGroup1 = new QGroupBox(
      ToQString("\xCA\xA1\xC2\xD4\xBA\xC5\xB1\xED\xCA\xBE\xB7\xBD\xB7\xA8" /* 省略号表示方法 */),
      TabSheet4);
  RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
  ellipsis_buttons_ = new QButtonGroup(this);
  auto* items = new QHBoxLayout(RadioGroup1);
  const char* const item_captions[] = {"\xA1\xAD\xA1\xAD" /* …… */, "\xA1\xAD" /* … */, "...",
                                       "\xB2\xBB\xB8\xFC\xB8\xC4" /* 不更改 */};
  for (int item = 0; item < 4; ++item) {
    auto* button = new QRadioButton(ToQString(item_captions[item]), RadioGroup1);
    button->setObjectName(QStringLiteral("RadioGroup1Item%1").arg(item));
    ellipsis_buttons_->addButton(button, item);
    items->addWidget(button);
  }
  CheckBox11 =
      NewCheckBox(TabSheet4, "CheckBox11",
                  "\xD7\xD6\xC4\xBB\xCA\xB6\xB1\xF0\xCD\xEA\xBA\xF3\xA3\xAC\xD7\xD4\xB6\xAF"
                  "\xD0\xA3\xD5\xFD\xCA\xB1\xBC\xE4\xBD\xBB\xB4\xED"
                  /* 字幕识别完后，自动校正时间交错 */);
  CheckBox12 =
      NewCheckBox(TabSheet4, "CheckBox12",
                  "\xD7\xD6\xC4\xBB\xCA\xB6\xB1\xF0\xCD\xEA\xBA\xF3\xA3\xAC\xD7\xD4\xB6\xAF"
                  "\xBD\xF8\xD0\xD0\xBC\xEC\xB2\xE9\xCC\xE6\xBB\xBB\xBC\xB0\xB4\xCA\xD7\xE9"
                  "\xCC\xE6\xBB\xBB" /* 字幕识别完后，自动进行检查替换及词组替换 */);
  auto* layout = new QVBoxLayout(TabSheet4);
  layout->setSpacing(2);
  for (QWidget* widget : std::initializer_list<QWidget*>{CheckBox5, CheckBox6, CheckBox7, CheckBox2,
                                                         RadioGroup1, CheckBox11, CheckBox12}) {
    layout->addWidget(widget);
  }
  layout->addStretch(1);
  PageControl1->addTab(
      TabSheet4, ToQString("\xBC\xEC\xB2\xE9\xCC\xE6\xBB\xBB\xC9\xE8\xD6\xC3" /* 检查替换设置 */));
}

void SettingsTools::BuildPhraseTab() {
  TabSheet2 = new QWidget();
  TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
  CheckBox8 =
      NewCheckBox(TabSheet2, "CheckBox8",
                  "\xCF\xC2\xC3\xE6\xD5\xE2\xD0\xA9\xB4\xCA\xD3\xEF\xBD\xF8\xD0\xD0\xCC\xE6\xBB\xBB"
                  /* 下面这些词语进行替换 */);
  StringGrid4 = NewGrid(TabSheet2, "StringGrid4", 1, 2);
  StringGrid4->setHorizontalHeaderLabels(
      {ToQString("\xD7\xD6\xB4\xCA" /* 字词 */),
       ToQString("\xB1\xBB\xCC\xE6\xBB\xBB\xCE\xAA" /* 被替换为 */)});
  StringGrid4->verticalHeader()->hide();
  StringGrid4->setColumnWidth(0, 140);
  StringGrid4->setColumnWidth(1, 140);
  StringGrid4->setItemDelegate(new PhraseCellDelegate(*this, StringGrid4));
  StringGrid4->installEventFilter(this);
  Memo1 = new QPlainTextEdit(TabSheet2);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  auto* row = new QHBoxLayout();
  row->addWidget(StringGrid4, 3);
  row->addWidget(Memo1, 2);
  auto* layout = new QVBoxLayout(TabSheet2);
  layout->addWidget(CheckBox8);
  layout->addLayout(row, 1);
  PageControl1->addTab(
      TabSheet2, ToQString("\xB4\xCA\xD7\xE9\xCC\xE6\xBB\xBB\xC9\xE8\xD6\xC3" /* 词组替换设置 */));
}

void SettingsTools::BuildRecognitionTab() {
  // This tab and its option keep their captions in every language.
  TabSheet5 = new QWidget();
  TabSheet5->setObjectName(QStringLiteral("TabSheet5"));
  CheckBox13 =
      NewCheckBox(TabSheet5, "CheckBox13",
                  "\xBA\xF6\xC2\xD4\xCD\xBC\xC6\xAC\xB5\xC4\xB8\xDF\xB6\xC8\xBA\xCD\xBF\xED"
                  "\xB6\xC8" /* 忽略图片的高度和宽度 */);
  AssistanceGroup = new QGroupBox(TabSheet5);
  AssistanceGroup->setObjectName(QStringLiteral("AssistanceGroup"));
  FittedBoxOption = NewCheckBox(AssistanceGroup, "FittedBoxOption", "");
  SuggestionsOption = NewCheckBox(AssistanceGroup, "SuggestionsOption", "");
  ReferenceTeachingOption = NewCheckBox(AssistanceGroup, "ReferenceTeachingOption", "");
  ChineseSpacesOption = NewCheckBox(AssistanceGroup, "ChineseSpacesOption", "");
  SkipPlaceholderLabel = NewLabel(AssistanceGroup, "SkipPlaceholderLabel", "");
  SkipPlaceholderEdit = new QLineEdit(AssistanceGroup);
  SkipPlaceholderEdit->setObjectName(QStringLiteral("SkipPlaceholderEdit"));
  SkipPlaceholderEdit->setMaxLength(4);
  SkipPlaceholderEdit->setFixedWidth(60);
  auto* placeholder_row = new QHBoxLayout();
  placeholder_row->addWidget(SkipPlaceholderLabel);
  placeholder_row->addWidget(SkipPlaceholderEdit);
  placeholder_row->addStretch(1);
  OcrGuessOption = NewCheckBox(AssistanceGroup, "OcrGuessOption", "");
  OcrGuessScriptLabel = NewLabel(AssistanceGroup, "OcrGuessScriptLabel", "");
  OcrGuessScript = new QComboBox(AssistanceGroup);
  OcrGuessScript->setObjectName(QStringLiteral("OcrGuessScript"));
  // The items get their texts after the first layout: the box follows their width.
  OcrGuessScript->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  // Items in settings::GuessScript order; the language switch gives them their texts.
  OcrGuessScript->addItems({QString(), QString(), QString()});
  auto* script_row = new QHBoxLayout();
  script_row->addSpacing(20);
  script_row->addWidget(OcrGuessScriptLabel);
  script_row->addWidget(OcrGuessScript);
  script_row->addStretch(1);
  auto* group_layout = new QVBoxLayout(AssistanceGroup);
  for (QCheckBox* box : {FittedBoxOption, SuggestionsOption, OcrGuessOption}) {
    group_layout->addWidget(box);
  }
  group_layout->addLayout(script_row);
  for (QCheckBox* box : {ReferenceTeachingOption, ChineseSpacesOption}) {
    group_layout->addWidget(box);
  }
  group_layout->addLayout(placeholder_row);
  auto* layout = new QVBoxLayout(TabSheet5);
  layout->addWidget(CheckBox13);
  layout->addWidget(AssistanceGroup);
  layout->addStretch(1);
  PageControl1->addTab(TabSheet5, ToQString("OCR\xC9\xE8\xD6\xC3" /* OCR设置 */));
}

void SettingsTools::ConnectOptions() {
  // Each option counts at once: the using commands read app.PanelOptions() when they act.
  settings::PanelValues& options = app_.PanelOptions();
  const std::pair<QCheckBox*, bool settings::PanelValues::*> flags[] = {
      {CheckBox3, &settings::PanelValues::ime_for_new_glyph},
      {CheckBox4, &settings::PanelValues::ime_for_library_edit},
      {CheckBox5, &settings::PanelValues::full_width_quotes},
      {CheckBox6, &settings::PanelValues::unpaired_quotes},
      {CheckBox7, &settings::PanelValues::inner_full_stop},
      {CheckBox2, &settings::PanelValues::end_punctuation},
      {CheckBox11, &settings::PanelValues::auto_time_fix},
      {CheckBox12, &settings::PanelValues::auto_check},
      {CheckBox13, &settings::PanelValues::ignore_glyph_size},
  };
  for (const auto& [box, member] : flags) {
    connect(box, &QCheckBox::toggled, this, [&options, member](bool on) { options.*member = on; });
  }
  const std::pair<QCheckBox*, bool settings::TeachingAssistance::*> assistance[] = {
      {FittedBoxOption, &settings::TeachingAssistance::fitted_box},
      {SuggestionsOption, &settings::TeachingAssistance::suggestions},
      {ReferenceTeachingOption, &settings::TeachingAssistance::reference_teaching},
      {ChineseSpacesOption, &settings::TeachingAssistance::chinese_spaces},
      {OcrGuessOption, &settings::TeachingAssistance::ocr_guess},
  };
  for (const auto& [box, member] : assistance) {
    connect(box, &QCheckBox::toggled, this,
            [&options, member](bool on) { options.assistance.*member = on; });
  }
  // Activated only by the user: refilling the items at a language switch changes nothing.
  connect(OcrGuessScript, &QComboBox::activated, this, [&options](int item) {
    options.assistance.ocr_guess_script = static_cast<settings::GuessScript>(item);
  });
  connect(OcrGuessOption, &QCheckBox::toggled, OcrGuessScript, &QWidget::setEnabled);
  connect(SkipPlaceholderEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
    text::Result<std::string> gbk = ToGbk(text);
    if (gbk.ok()) {
      app_.PanelOptions().assistance.skip_placeholder = std::move(gbk.value());
    }
  });
  connect(CheckBox1, &QCheckBox::toggled, this, &SettingsTools::CheckBox1Click);
  connect(CheckBox8, &QCheckBox::toggled, this, &SettingsTools::CheckBox8Click);
  connect(ellipsis_buttons_, &QButtonGroup::idToggled, this, [&options](int item, bool on) {
    if (on) {
      options.ellipsis_form = item;
    }
  });
  connect(StringGrid2, &QTableWidget::itemChanged, this,
          [this](QTableWidgetItem* item) { AuthorItemChanged(item->row(), item->text()); });
  connect(StringGrid4, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    PhraseItemChanged(item->column(), item->row(), item->text());
  });
  connect(ListBox4, &QListWidget::currentRowChanged, this, [this](int row) {
    flow_.InputMethodSelected(row >= 0 && row < static_cast<int>(listed_methods_.size())
                                  ? std::optional<std::string>(listed_methods_[row])
                                  : std::nullopt);
  });
  connect(PageControl1, &QTabWidget::currentChanged, this, &SettingsTools::PageControl1Change);
  connect(Button9, &QPushButton::clicked, this, &SettingsTools::Button9Click);
  connect(Button10, &QPushButton::clicked, this, &SettingsTools::Button10Click);
}

void SettingsTools::ShowValues() {
  const settings::PanelValues options = app_.PanelOptions();
  const std::pair<QCheckBox*, bool> flags[] = {
      {CheckBox1, options.author_entry_on},      {CheckBox3, options.ime_for_new_glyph},
      {CheckBox4, options.ime_for_library_edit}, {CheckBox5, options.full_width_quotes},
      {CheckBox6, options.unpaired_quotes},      {CheckBox7, options.inner_full_stop},
      {CheckBox2, options.end_punctuation},      {CheckBox8, options.phrase_replacement_on},
      {CheckBox11, options.auto_time_fix},       {CheckBox12, options.auto_check},
      {CheckBox13, options.ignore_glyph_size},
  };
  for (const auto& [box, on] : flags) {
    const QSignalBlocker blocker(box);
    box->setChecked(on);
  }
  const settings::TeachingAssistance& assistance = options.assistance;
  const std::pair<QCheckBox*, bool> assistance_flags[] = {
      {FittedBoxOption, assistance.fitted_box},
      {SuggestionsOption, assistance.suggestions},
      {ReferenceTeachingOption, assistance.reference_teaching},
      {ChineseSpacesOption, assistance.chinese_spaces},
      {OcrGuessOption, assistance.ocr_guess},
  };
  for (const auto& [box, on] : assistance_flags) {
    const QSignalBlocker blocker(box);
    box->setChecked(on);
  }
  OcrGuessScript->setCurrentIndex(static_cast<int>(assistance.ocr_guess_script));
  OcrGuessScript->setEnabled(assistance.ocr_guess);
  {
    const QSignalBlocker blocker(SkipPlaceholderEdit);
    SkipPlaceholderEdit->setText(ToQString(assistance.skip_placeholder));
  }
  if (QAbstractButton* item = ellipsis_buttons_->button(options.ellipsis_form)) {
    const QSignalBlocker blocker(ellipsis_buttons_);
    item->setChecked(true);
  }
  StringGrid2->setEnabled(options.author_entry_on);
  StringGrid4->setEnabled(options.phrase_replacement_on);
  ShowAuthorCells();
  ShowPhraseGrid();
  const QSignalBlocker blocker(ListBox4);
  int selected = -1;
  if (options.selected_ime) {
    for (size_t i = 0; i < listed_methods_.size(); ++i) {
      if (listed_methods_[i] == *options.selected_ime) {
        selected = static_cast<int>(i);
      }
    }
  }
  ListBox4->setCurrentRow(selected);
}

void SettingsTools::ShowAuthorCells() {
  const QSignalBlocker blocker(StringGrid2);
  SetCellText(StringGrid2, 0, 0, app_.PanelOptions().author_time);
  SetCellText(StringGrid2, 1, 0, app_.PanelOptions().author_text);
}

void SettingsTools::ShowPhraseGrid() {
  const settings::PhraseGrid& grid = app_.PhraseGrid();
  const QSignalBlocker blocker(StringGrid4);
  const int rows = grid.RowCount() - 1;  // the heading row is the table's header
  StringGrid4->setRowCount(rows);
  for (int row = 0; row < rows; ++row) {
    for (int column = 0; column < 2; ++column) {
      SetCellText(StringGrid4, row, column, grid.Cell(column, row + 1));
    }
  }
  StringGrid4->setCurrentCell(grid.CurrentRow() - 1, std::max(0, StringGrid4->currentColumn()));
}

void SettingsTools::AuthorItemChanged(int row, const QString& text) {
  text::Result<std::string> gbk = ToGbk(text);
  if (!gbk.ok()) {
    messages_.Inform(ports::Severity::kWarning, gbk.error().message);
    ShowAuthorCells();
    return;
  }
  (row == 0 ? app_.PanelOptions().author_time : app_.PanelOptions().author_text) =
      std::move(gbk.value());
}

void SettingsTools::PhraseCellTyped(int column, int row, const QString& text) {
  text::Result<std::string> gbk = ToGbk(text);
  if (gbk.ok()) {
    app_.PhraseGrid().SetCell(column, row + 1, std::move(gbk.value()));
  }
  // A character GBK cannot hold is refused when the editor closes (PhraseItemChanged).
}

void SettingsTools::PhraseItemChanged(int column, int row, const QString& text) {
  text::Result<std::string> gbk = ToGbk(text);
  if (!gbk.ok()) {
    messages_.Inform(ports::Severity::kWarning, gbk.error().message);
    const QSignalBlocker blocker(StringGrid4);
    SetCellText(StringGrid4, row, column, app_.PhraseGrid().Cell(column, row + 1));
    return;
  }
  app_.PhraseGrid().SetCell(column, row + 1, std::move(gbk.value()));
}

bool SettingsTools::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn &&
      static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
    const settings::SettingsList& lines = app_.Settings();
    const bool teaching = std::find(new_glyph_boxes_.begin(), new_glyph_boxes_.end(), watched) !=
                          new_glyph_boxes_.end();
    if ((teaching && lines.ImeForNewGlyph()) ||
        (watched == library_search_box_ && lines.ImeForLibraryEdit())) {
      const std::string& name = lines.Line(settings::kImeName);
      if (!name.empty()) {
        switch_input_method_(name);
      }
    }
    return false;
  }
  if (event->type() == QEvent::KeyRelease && StringGrid4->isEnabled() &&
      (watched == StringGrid4 || watched->parent() == StringGrid4->viewport())) {
    StringGrid4KeyUp();
  }
  return QObject::eventFilter(watched, event);
}

void SettingsTools::StringGrid4KeyUp() {
  settings::PhraseGrid& grid = app_.PhraseGrid();
  const int row = StringGrid4->currentRow() + 1;
  if (row < 1 || row >= grid.RowCount()) {
    return;
  }
  grid.SetCurrentRow(row);
  const bool added = grid.KeyReleased(row);
  // Only the rows below the current one change, so an open cell editor stays as it is.
  const QSignalBlocker blocker(StringGrid4);
  const int rows = grid.RowCount() - 1;
  while (StringGrid4->rowCount() < rows) {
    const int new_row = StringGrid4->rowCount();
    StringGrid4->insertRow(new_row);
    for (int column = 0; column < 2; ++column) {
      SetCellText(StringGrid4, new_row, column, grid.Cell(column, new_row + 1));
    }
  }
  while (StringGrid4->rowCount() > rows) {
    StringGrid4->removeRow(StringGrid4->rowCount() - 1);
  }
  // The cell editor is the focused child of the viewport while it is open.
  const QWidget* focus = QApplication::focusWidget();
  const bool editing = focus != nullptr && focus->parent() == StringGrid4->viewport();
  if (added && !editing) {
    StringGrid4->edit(StringGrid4->currentIndex());
  }
}

void SettingsTools::CheckBox1Click() {
  app_.PanelOptions().author_entry_on = CheckBox1->isChecked();
  StringGrid2->setEnabled(CheckBox1->isChecked());
}

void SettingsTools::CheckBox8Click() {
  app_.PanelOptions().phrase_replacement_on = CheckBox8->isChecked();
  StringGrid4->setEnabled(CheckBox8->isChecked());
}

void SettingsTools::PageControl1Change(int index) {
  if (index == PageControl1->indexOf(TabSheet3)) {
    listed_methods_ = input_methods_();
    const std::optional<int> selected = flow_.InputMethodsShown(listed_methods_);
    const QSignalBlocker blocker(ListBox4);
    ListBox4->clear();
    for (const std::string& name : listed_methods_) {
      ListBox4->addItem(ToQString(name));
    }
    ListBox4->setCurrentRow(selected.value_or(-1));
    // An empty list says why it is empty.
    InputMethodNone->setVisible(listed_methods_.empty());
  } else if (index == PageControl1->indexOf(TabSheet2)) {
    const int entry_row = StringGrid4->rowCount() - 1;
    app_.PhraseGrid().SetCurrentRow(entry_row + 1);
    StringGrid4->setCurrentCell(entry_row, std::max(0, StringGrid4->currentColumn()));
    StringGrid4->scrollToBottom();
    if (CheckBox8->isChecked()) {
      StringGrid4->setFocus();
    }
  }
}

void SettingsTools::LanguageApplied() {
  InputMethodNone->setText(ToQString(app_.Messages().Message(app::msg::kNoInputMethodFramework)));
}

void SettingsTools::SetProMenuClick() {
  ShowValues();
  PageControl1->setCurrentIndex(0);
  ui_.Panel11->show();
  ui_.Panel11->raise();
  ui_.Panel23->raise();
}

void SettingsTools::Button9Click() {
  if (!flow_.Save()) {
    return;  // shown by the flow; the panel stays open with what was typed
  }
  ShowPhraseGrid();
  ui_.Panel11->hide();
}

void SettingsTools::Button10Click() {
  // Nothing is written and nothing undone: the shown options stay in effect for this run.
  ui_.Panel11->hide();
}

}  // namespace ui

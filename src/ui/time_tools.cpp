// TimeTools: the Times menu, its panel and the grid's marking of bad times.
#include "ui/time_tools.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <algorithm>

#include "app/message_numbers.h"
#include "app/status_texts.h"
#include "proof/row_editing.h"
#include "settings/settings_list.h"
#include "ui/qt_convert.h"
#include "ui/subtitle_table_model.h"

namespace ui {
namespace {

template <typename T>
T* Named(QWidget* parent, const char* name) {
  auto* widget = new T(parent);
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

QAction* NamedAction(QObject* parent, const char* name) {
  auto* action = new QAction(parent);
  action->setObjectName(QString::fromLatin1(name));
  return action;
}

// The rates a subtitle is usually moved between; any other can be typed.
const char* const kFrameRates[] = {"23.976", "24", "25", "29.97", "30", "50", "59.94", "60"};

}  // namespace

TimeTools::TimeTools(QMainWindow& window, app::Application& application,
                     SubtitleTableModel& main_model, ports::MessagePort& messages)
    : QObject(&window),
      window_(window),
      app_(application),
      main_model_(main_model),
      messages_(messages) {
  setObjectName(QStringLiteral("TimeTools"));
  main_grid_ = window.findChild<QTableView*>(QStringLiteral("StringGrid1"));
  if (main_grid_ != nullptr) {
    // "Selected rows" means what it says: rows can be selected together, with Shift and Ctrl.
    main_grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  }
  BuildMenu();
  BuildPanel();
  Connect();
  main_model_.SetTimeFaultMarking(app_.Settings().Line(settings::kMarkTimes) != "0");
}

std::string TimeTools::Message(int number) const {
  return app_.Messages().Message(number);
}

void TimeTools::BuildMenu() {
  TimesMenu = new QMenu(ToQString(Message(app::msg::kTimesMenu)), &window_);
  TimesMenu->setObjectName(QStringLiteral("TimesMenu"));
  ShiftTimesMenu = NamedAction(&window_, "ShiftTimesMenu");
  SyncTimesMenu = NamedAction(&window_, "SyncTimesMenu");
  FrameRateMenu = NamedAction(&window_, "FrameRateMenu");
  DeleteRowsMenu = NamedAction(&window_, "DeleteRowsMenu");
  MergeRowsMenu = NamedAction(&window_, "MergeRowsMenu");
  SplitRowsMenu = NamedAction(&window_, "SplitRowsMenu");
  TimesMenu->addActions({ShiftTimesMenu, SyncTimesMenu, FrameRateMenu});
  TimesMenu->addSeparator();
  TimesMenu->addActions({DeleteRowsMenu, MergeRowsMenu, SplitRowsMenu});
  ShiftTimesMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  DeleteRowsMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Delete));
  MergeRowsMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  // After the proofreading menu, whose row commands these extend.
  QMenuBar* bar = window_.menuBar();
  QAction* before = nullptr;
  const QList<QAction*> items = bar->actions();
  for (qsizetype i = 0; i + 1 < items.size(); ++i) {
    if (items[i]->menu() != nullptr &&
        items[i]->menu()->objectName() == QLatin1String("CheckMenu")) {
      before = items[i + 1];
    }
  }
  bar->insertMenu(before, TimesMenu);
  // The grid's pop-up menu offers the commands on the rows under the pointer too.
  if (auto* popup = window_.findChild<QMenu*>(QStringLiteral("PopupMenu1"))) {
    popup->addSeparator();
    popup->addActions({ShiftTimesMenu, DeleteRowsMenu, MergeRowsMenu, SplitRowsMenu});
  }
}

void TimeTools::BuildPanel() {
  QWidget* area = window_.findChild<QWidget*>(QStringLiteral("CentralArea"));
  TimesPanel = new FloatingPanel(QStringLiteral("TimesPanel"),
                                 ToQString(Message(app::msg::kTimesPanelTitle)), QSize(520, 270),
                                 40, drag_, area != nullptr ? area : &window_);
  TimesPanel->hide();
  QWidget* panel = TimesPanel;

  TimesShiftMode = Named<QRadioButton>(panel, "TimesShiftMode");
  TimesSyncMode = Named<QRadioButton>(panel, "TimesSyncMode");
  TimesFpsMode = Named<QRadioButton>(panel, "TimesFpsMode");
  auto* modes = new QButtonGroup(panel);
  for (QRadioButton* mode : {TimesShiftMode, TimesSyncMode, TimesFpsMode}) {
    modes->addButton(mode);
  }
  TimesShiftMode->setChecked(true);
  TimesAmountLabel = Named<QLabel>(panel, "TimesAmountLabel");
  TimesAmount = Named<QLineEdit>(panel, "TimesAmount");
  TimesAmount->setPlaceholderText(QStringLiteral("-1.5  /  +00:00:02.000"));
  TimesPointsLabel = Named<QLabel>(panel, "TimesPointsLabel");
  TimesOldA = Named<QLineEdit>(panel, "TimesOldA");
  TimesNewB = Named<QLineEdit>(panel, "TimesNewB");
  TimesOldC = Named<QLineEdit>(panel, "TimesOldC");
  TimesNewD = Named<QLineEdit>(panel, "TimesNewD");
  for (QLineEdit* time : {TimesOldA, TimesNewB, TimesOldC, TimesNewD}) {
    time->setPlaceholderText(QStringLiteral("00:00:00.000"));
  }
  TimesFpsLabel = Named<QLabel>(panel, "TimesFpsLabel");
  TimesFpsFrom = Named<QComboBox>(panel, "TimesFpsFrom");
  TimesFpsTo = Named<QComboBox>(panel, "TimesFpsTo");
  for (QComboBox* rates : {TimesFpsFrom, TimesFpsTo}) {
    rates->setEditable(true);
    for (const char* rate : kFrameRates) {
      rates->addItem(QString::fromLatin1(rate));
    }
  }
  TimesFpsFrom->setCurrentText(QStringLiteral("25"));
  TimesFpsTo->setCurrentText(QStringLiteral("23.976"));
  const QString arrow = QStringLiteral("\u2192");
  auto* grid = new QGridLayout();
  grid->addWidget(TimesShiftMode, 0, 0);
  grid->addWidget(TimesAmountLabel, 0, 1);
  grid->addWidget(TimesAmount, 0, 2, 1, 3);
  grid->addWidget(TimesSyncMode, 1, 0);
  grid->addWidget(TimesPointsLabel, 1, 1, 1, 4);
  grid->addWidget(TimesOldA, 2, 1);
  grid->addWidget(new QLabel(arrow, panel), 2, 2);
  grid->addWidget(TimesNewB, 2, 3);
  grid->addWidget(TimesOldC, 3, 1);
  grid->addWidget(new QLabel(arrow, panel), 3, 2);
  grid->addWidget(TimesNewD, 3, 3);
  grid->addWidget(TimesFpsMode, 4, 0);
  grid->addWidget(TimesFpsLabel, 4, 1, 1, 4);
  grid->addWidget(TimesFpsFrom, 5, 1);
  grid->addWidget(new QLabel(arrow, panel), 5, 2);
  grid->addWidget(TimesFpsTo, 5, 3);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);

  auto* scope = Named<QGroupBox>(panel, "TimesRowsGroup");
  TimesAllRows = Named<QRadioButton>(scope, "TimesAllRows");
  TimesSelectedRows = Named<QRadioButton>(scope, "TimesSelectedRows");
  TimesFromCurrentRow = Named<QRadioButton>(scope, "TimesFromCurrentRow");
  TimesAllRows->setChecked(true);
  auto* scope_layout = new QHBoxLayout(scope);
  for (QRadioButton* choice : {TimesAllRows, TimesSelectedRows, TimesFromCurrentRow}) {
    scope_layout->addWidget(choice);
  }

  TimesMarkFaults = Named<QCheckBox>(panel, "TimesMarkFaults");
  TimesMarkFaults->setChecked(app_.Settings().Line(settings::kMarkTimes) != "0");
  TimesApply = Named<QPushButton>(panel, "TimesApply");
  TimesClose = Named<QPushButton>(panel, "TimesClose");
  auto* buttons = new QHBoxLayout();
  buttons->addWidget(TimesMarkFaults, 1);
  buttons->addWidget(TimesApply);
  buttons->addWidget(TimesClose);

  TimesPanel->Body()->addLayout(grid);
  TimesPanel->Body()->addWidget(scope);
  TimesPanel->Body()->addStretch(1);
  TimesPanel->Body()->addLayout(buttons);
}

void TimeTools::Connect() {
  connect(ShiftTimesMenu, &QAction::triggered, this, [this] { OpenPanel(TimesShiftMode); });
  connect(SyncTimesMenu, &QAction::triggered, this, [this] { OpenPanel(TimesSyncMode); });
  connect(FrameRateMenu, &QAction::triggered, this, [this] { OpenPanel(TimesFpsMode); });
  connect(DeleteRowsMenu, &QAction::triggered, this, &TimeTools::DeleteRowsMenuClick);
  connect(MergeRowsMenu, &QAction::triggered, this, &TimeTools::MergeRowsMenuClick);
  connect(SplitRowsMenu, &QAction::triggered, this, &TimeTools::SplitRowsMenuClick);
  connect(TimesApply, &QPushButton::clicked, this, &TimeTools::TimesApplyClick);
  connect(TimesClose, &QPushButton::clicked, TimesPanel, &QWidget::hide);
  connect(TimesMarkFaults, &QCheckBox::toggled, this, [this](bool on) {
    app_.Settings().SetFlag(settings::kMarkTimes, on);
    main_model_.SetTimeFaultMarking(on);
  });
  // Typing into a field chooses its way of changing the times.
  const std::pair<QWidget*, QRadioButton*> fields[] = {{TimesAmount, TimesShiftMode},
                                                       {TimesOldA, TimesSyncMode},
                                                       {TimesNewB, TimesSyncMode},
                                                       {TimesOldC, TimesSyncMode},
                                                       {TimesNewD, TimesSyncMode}};
  for (const auto& [field, mode] : fields) {
    connect(static_cast<QLineEdit*>(field), &QLineEdit::textEdited, mode,
            [mode = mode] { mode->setChecked(true); });
  }
  for (QComboBox* rates : {TimesFpsFrom, TimesFpsTo}) {
    connect(rates, &QComboBox::currentTextChanged, TimesFpsMode,
            [this] { TimesFpsMode->setChecked(true); });
  }
  // The commands change the main subtitle: they follow the check's state, as the row commands do.
  if (auto* check = window_.findChild<QAction*>(QStringLiteral("Check1Menu"))) {
    const auto follow = [this, check] {
      const bool on = check->isEnabled();
      TimesMenu->menuAction()->setEnabled(on);
      for (QAction* action : TimesMenu->actions()) {
        action->setEnabled(on);
      }
      if (!on) {
        TimesPanel->hide();
      }
    };
    connect(check, &QAction::changed, this, follow);
    follow();
  }
}

void TimeTools::OpenPanel(QRadioButton* mode) {
  if (!app_.RecognitionStopped()) {
    return;
  }
  mode->setChecked(true);
  // Two rows selected or more: the change is meant for them.
  const proof::RowSpan selected = SelectedRows();
  if (selected.last > selected.first) {
    TimesSelectedRows->setChecked(true);
  } else if (TimesSelectedRows->isChecked()) {
    TimesAllRows->setChecked(true);
  }
  TimesPanel->show();
  TimesPanel->raise();
  (mode == TimesShiftMode  ? static_cast<QWidget*>(TimesAmount)
   : mode == TimesSyncMode ? static_cast<QWidget*>(TimesOldA)
                           : static_cast<QWidget*>(TimesFpsFrom))
      ->setFocus();
}

void TimeTools::Refuse(const QString& typed) {
  const text::Result<std::string> gbk = ToGbk(typed);
  messages_.Inform(ports::Severity::kWarning,
                   app::FillIn(Message(app::msg::kTimesUnreadable),
                               {gbk.ok() ? gbk.value() : std::string("?")}));
}

std::optional<proof::TimeMapping> TimeTools::ChosenMapping() {
  if (TimesShiftMode->isChecked()) {
    const auto amount = document::ParseTimeAmount(TimesAmount->text().toStdString());
    if (!amount) {
      Refuse(TimesAmount->text());
      return std::nullopt;
    }
    return proof::ShiftMapping(*amount);
  }
  if (TimesSyncMode->isChecked()) {
    document::Milliseconds times[4];
    int index = 0;
    for (QLineEdit* field : {TimesOldA, TimesNewB, TimesOldC, TimesNewD}) {
      const auto time = document::ParseTimeAmount(field->text().toStdString());
      if (!time) {
        Refuse(field->text());
        return std::nullopt;
      }
      times[index++] = *time;
    }
    const auto mapping = proof::SyncMapping(times[0], times[1], times[2], times[3]);
    if (!mapping) {
      Refuse(TimesOldA->text() + QStringLiteral(" = ") + TimesOldC->text());
    }
    return mapping;
  }
  const auto from = proof::ParseFrameRate(TimesFpsFrom->currentText().toStdString());
  const auto to = proof::ParseFrameRate(TimesFpsTo->currentText().toStdString());
  if (!from || !to) {
    Refuse(!from ? TimesFpsFrom->currentText() : TimesFpsTo->currentText());
    return std::nullopt;
  }
  return proof::FrameRateMapping(*from, *to);
}

proof::RowSpan TimeTools::SelectedRows() const {
  const document::SubtitleDocument& document = app_.Document();
  int first = 0;
  int last = 0;
  if (main_grid_ != nullptr && main_grid_->selectionModel() != nullptr) {
    for (const QModelIndex& index : main_grid_->selectionModel()->selectedIndexes()) {
      const int row = SubtitleTableModel::TableRow(index.row());
      first = first == 0 ? row : std::min(first, row);
      last = std::max(last, row);
    }
  }
  if (first == 0) {
    first = last = std::clamp(document.current_row, 1, document.main.DataRowCount());
  }
  return {first, last};
}

proof::RowSpan TimeTools::ChosenRows() const {
  const document::SubtitleDocument& document = app_.Document();
  if (TimesSelectedRows->isChecked()) {
    return SelectedRows();
  }
  if (TimesFromCurrentRow->isChecked()) {
    return {std::clamp(document.current_row, 1, document.main.DataRowCount()),
            document.main.DataRowCount()};
  }
  return proof::AllRows(document);
}

void TimeTools::TimesApplyClick() {
  if (!app_.RecognitionStopped()) {
    return;
  }
  const std::optional<proof::TimeMapping> mapping = ChosenMapping();
  if (!mapping) {
    return;
  }
  const auto changed = proof::ChangeTimes(app_.Document(), *mapping, ChosenRows());
  if (!changed.ok()) {
    messages_.Inform(ports::Severity::kWarning, changed.error().message);
    return;
  }
  const int rows = changed.value().rows;
  const int clamped = changed.value().clamped;
  app_.ShowStatus([this, rows, clamped] {
    return app::FillIn(Message(app::msg::kTimesChangedStatus),
                       {std::to_string(rows), std::to_string(clamped)});
  });
  TimesPanel->hide();
}

void TimeTools::ShowCurrentRow() {
  if (main_grid_ == nullptr) {
    return;
  }
  const QModelIndex index =
      main_model_.index(SubtitleTableModel::ModelRow(app_.Document().current_row), document::kText);
  main_grid_->setCurrentIndex(index);
  main_grid_->scrollTo(index);
}

void TimeTools::DeleteRowsMenuClick() {
  if (!app_.RecognitionStopped()) {
    return;
  }
  const proof::RowSpan rows = SelectedRows();
  const ports::Answer answer =
      messages_.Ask({app::FillIn(Message(app::msg::kDeleteRowsQuestion),
                                 {std::to_string(rows.last - rows.first + 1)}),
                     Message(proof::kConfirmCaption), ports::Buttons::kOkCancel});
  if (answer != ports::Answer::kOk) {
    return;
  }
  proof::DeleteRows(app_.Document(), rows.first, rows.last);
  ShowCurrentRow();
}

void TimeTools::MergeRowsMenuClick() {
  if (!app_.RecognitionStopped()) {
    return;
  }
  const proof::RowSpan rows = SelectedRows();
  if (proof::MergeRows(app_.Document(), rows.first, rows.last)) {
    ShowCurrentRow();
  }
}

void TimeTools::SplitRowsMenuClick() {
  if (!app_.RecognitionStopped()) {
    return;
  }
  const proof::RowSpan rows = SelectedRows();
  const auto added = proof::SplitRows(app_.Document(), rows.first, rows.last);
  if (!added.ok()) {
    messages_.Inform(ports::Severity::kWarning, added.error().message);
    return;
  }
  if (added.value() > 0) {
    ShowCurrentRow();
  }
}

}  // namespace ui

// ChineseTools: the Chinese script conversion command and its panel.
#include "ui/chinese_tools.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "app/message_numbers.h"
#include "ui/qt_convert.h"
#include "ui/subtitle_table_model.h"

namespace ui {
namespace {

// Events run while a long preview goes, but its Stop is the wait panel's, which is not shown.
class EventsOnlyPump : public ports::EventPump {
 public:
  explicit EventsOnlyPump(ports::EventPump& inner) : inner_(inner) {}
  void LetPendingEventsRun() override {
    inner_.LetPendingEventsRun();
  }
  void ReportProgress(int done, int total) override {
    inner_.ReportProgress(done, total);
  }
  bool StopRequested() const override {
    return false;
  }

 private:
  ports::EventPump& inner_;
};

QRadioButton* NewRadio(QWidget* parent, const char* name, const QString& caption) {
  auto* radio = new QRadioButton(caption, parent);
  radio->setObjectName(QString::fromLatin1(name));
  return radio;
}

}  // namespace

ChineseTools::ChineseTools(QMainWindow& window, app::Application& application,
                           ports::MessagePort& messages, ports::EventPump& pump,
                           std::filesystem::path data_folder)
    : QObject(&window),
      window_(window),
      app_(application),
      messages_(messages),
      pump_(pump),
      conversion_(std::move(data_folder)) {
  setObjectName(QStringLiteral("ChineseTools"));
  main_grid_ = window.findChild<QTableView*>(QStringLiteral("StringGrid1"));
  reference_grid_ = window.findChild<QTableView*>(QStringLiteral("StringGrid7"));
  check_command_ = window.findChild<QAction*>(QStringLiteral("Check1Menu"));
  // "Selected rows" means what it says: rows can be selected together, with Shift and Ctrl.
  for (QTableView* grid : {main_grid_, reference_grid_}) {
    if (grid != nullptr) {
      grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
  }
  ConvertChineseMenu = new QAction(ToQString(Message(app::msg::kChineseMenu)), &window);
  ConvertChineseMenu->setObjectName(QStringLiteral("ConvertChineseMenu"));
  if (auto* menu = window.findChild<QMenu*>(QStringLiteral("CheckMenu"))) {
    // After the check's own commands, before the row commands.
    QAction* before = nullptr;
    const QList<QAction*> actions = menu->actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
      if (actions[i]->isSeparator()) {
        before = actions[i];
        break;
      }
    }
    menu->insertAction(before, ConvertChineseMenu);
    menu->setToolTipsVisible(true);  // the disabled command's tool tip says why
  }
  BuildPanel();
  Connect();
  UpdateCommand();
}

std::string ChineseTools::Message(int number) const {
  return app_.Messages().Message(number);
}

void ChineseTools::BuildPanel() {
  QWidget* area = window_.findChild<QWidget*>(QStringLiteral("CentralArea"));
  ChinesePanel =
      new FloatingPanel(QStringLiteral("ChinesePanel"), ToQString(Message(app::msg::kChineseTitle)),
                        QSize(600, 380), 40, drag_, area != nullptr ? area : &window_);
  ChinesePanel->TitleLabel()->setObjectName(QStringLiteral("ChineseTitle"));
  ChinesePanel->hide();
  QWidget* panel = ChinesePanel;

  ChineseDirectionLabel = new QLabel(panel);
  ChineseDirectionLabel->setObjectName(QStringLiteral("ChineseDirectionLabel"));
  ChineseDirectionBox = new QComboBox(panel);
  ChineseDirectionBox->setObjectName(QStringLiteral("ChineseDirectionBox"));
  for (const int message : app::msg::kChineseDirections) {
    ChineseDirectionBox->addItem(ToQString(Message(message)));
  }
  ChineseDirectionLabel->setBuddy(ChineseDirectionBox);

  auto* rows = new QGroupBox(panel);
  rows->setObjectName(QStringLiteral("ChineseRowsGroup"));
  ChineseAllRows = NewRadio(rows, "ChineseAllRows", QString());
  ChineseSelectedRows = NewRadio(rows, "ChineseSelectedRows", QString());
  ChineseAllRows->setChecked(true);
  auto* rows_layout = new QHBoxLayout(rows);
  rows_layout->addWidget(ChineseAllRows);
  rows_layout->addWidget(ChineseSelectedRows);

  auto* tables = new QGroupBox(panel);
  tables->setObjectName(QStringLiteral("ChineseTableGroup"));
  ChineseMainTable = NewRadio(tables, "ChineseMainTable", QString());
  ChineseReferenceTable = NewRadio(tables, "ChineseReferenceTable", QString());
  ChineseMainTable->setChecked(true);
  auto* tables_layout = new QHBoxLayout(tables);
  tables_layout->addWidget(ChineseMainTable);
  tables_layout->addWidget(ChineseReferenceTable);

  auto* choices = new QGridLayout();
  choices->addWidget(ChineseDirectionLabel, 0, 0);
  choices->addWidget(ChineseDirectionBox, 0, 1, 1, 2);
  choices->addWidget(rows, 1, 0, 1, 2);
  choices->addWidget(tables, 1, 2);
  choices->setColumnStretch(1, 1);

  ChineseGrid = new QTableWidget(0, 3, panel);
  ChineseGrid->setObjectName(QStringLiteral("ChineseGrid"));
  ChineseGrid->verticalHeader()->hide();
  ChineseGrid->verticalHeader()->setDefaultSectionSize(19);
  ChineseGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ChineseGrid->setWordWrap(false);
  const int headings[] = {app::msg::kNumberHeading, app::msg::kChineseBeforeHeading,
                          app::msg::kChineseAfterHeading};
  const int widths[] = {40, 260, 260};
  for (int column = 0; column < 3; ++column) {
    ChineseGrid->setHorizontalHeaderItem(
        column, new QTableWidgetItem(ToQString(Message(headings[column]))));
    ChineseGrid->setColumnWidth(column, widths[column]);
  }
  ChineseGrid->horizontalHeader()->setStretchLastSection(true);

  ChineseStatus = new QLabel(panel);
  ChineseStatus->setObjectName(QStringLiteral("ChineseStatus"));
  ChineseReport = new QPlainTextEdit(panel);
  ChineseReport->setObjectName(QStringLiteral("ChineseReport"));
  ChineseReport->setReadOnly(true);
  ChineseReport->setMaximumHeight(60);
  ChineseReport->hide();

  ChineseOk = new QPushButton(panel);
  ChineseOk->setObjectName(QStringLiteral("ChineseOk"));
  ChineseCancel = new QPushButton(panel);
  ChineseCancel->setObjectName(QStringLiteral("ChineseCancel"));
  auto* buttons = new QHBoxLayout();
  buttons->addWidget(ChineseStatus, 1);
  buttons->addWidget(ChineseOk);
  buttons->addWidget(ChineseCancel);

  ChinesePanel->Body()->addLayout(choices);
  ChinesePanel->Body()->addWidget(ChineseGrid, 1);
  ChinesePanel->Body()->addWidget(ChineseReport);
  ChinesePanel->Body()->addLayout(buttons);
  // Captions in the current language; a language switch sets them again by their names.
  const std::pair<QWidget*, int> captions[] = {
      {ChineseDirectionLabel, app::msg::kChineseDirectionLabel},
      {ChineseAllRows, app::msg::kChineseAllRows},
      {ChineseSelectedRows, app::msg::kChineseSelectedRows},
      {ChineseMainTable, app::msg::kChineseMainTable},
      {ChineseReferenceTable, app::msg::kChineseReferenceTable},
      {ChineseOk, app::msg::kChineseOk},
      {ChineseCancel, app::msg::kChineseCancel},
  };
  for (const auto& [widget, message] : captions) {
    const QString caption = ToQString(Message(message));
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      label->setText(caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      button->setText(caption);
    }
  }
  rows->setTitle(ToQString(Message(app::msg::kChineseRowsGroup)));
  tables->setTitle(ToQString(Message(app::msg::kChineseTableGroup)));
}

void ChineseTools::Connect() {
  connect(ConvertChineseMenu, &QAction::triggered, this, &ChineseTools::ConvertChineseMenuClick);
  connect(ChineseOk, &QPushButton::clicked, this, &ChineseTools::ChineseOkClick);
  connect(ChineseCancel, &QPushButton::clicked, this, &ChineseTools::ChineseCancelClick);
  // A language switch refills the direction list: only the user's choice makes a new preview.
  connect(ChineseDirectionBox, &QComboBox::activated, this, [this] { Refresh(); });
  for (QRadioButton* radio :
       {ChineseAllRows, ChineseSelectedRows, ChineseMainTable, ChineseReferenceTable}) {
    connect(radio, &QRadioButton::toggled, this, [this](bool checked) {
      if (checked && ChinesePanel->isVisible()) {
        Refresh();
      }
    });
  }
  if (check_command_ != nullptr) {
    connect(check_command_, &QAction::changed, this, [this] { UpdateCommand(); });
  }
  // The disabled command's reason on the status bar while the pointer is on it.
  connect(ConvertChineseMenu, &QAction::hovered, this, [this] {
    if (!conversion_.Available()) {
      window_.statusBar()->showMessage(ConvertChineseMenu->statusTip(), 5000);
    }
  });
}

void ChineseTools::UpdateCommand() {
  const bool available = conversion_.Available();
  const bool check_enabled = check_command_ == nullptr || check_command_->isEnabled();
  ConvertChineseMenu->setEnabled(available && check_enabled);
  const QString reason =
      available ? QString() : ToQString(conversion_.MissingDataText(app_.Messages()));
  ConvertChineseMenu->setStatusTip(reason);
  ConvertChineseMenu->setToolTip(available ? ConvertChineseMenu->text() : reason);
}

document::Role ChineseTools::ChosenRole() const {
  return ChineseReferenceTable->isChecked() && ChineseReferenceTable->isEnabled()
             ? document::Role::kReference
             : document::Role::kMain;
}

std::vector<int> ChineseTools::ChosenRows() const {
  if (!ChineseSelectedRows->isChecked()) {
    return {};  // every row
  }
  const QTableView* grid = ChosenRole() == document::Role::kMain ? main_grid_ : reference_grid_;
  std::set<int> rows;
  if (grid != nullptr && grid->selectionModel() != nullptr) {
    for (const QModelIndex& index : grid->selectionModel()->selectedIndexes()) {
      rows.insert(SubtitleTableModel::TableRow(index.row()));
    }
    if (rows.empty() && grid->currentIndex().isValid()) {
      rows.insert(SubtitleTableModel::TableRow(grid->currentIndex().row()));
    }
  }
  if (rows.empty()) {
    rows.insert(0);  // names no row: nothing is converted, rather than everything
  }
  return {rows.begin(), rows.end()};
}

void ChineseTools::ConvertChineseMenuClick() {
  if (!conversion_.Available()) {
    return;
  }
  // The reference can be chosen while it is shown beside the main subtitle.
  const bool reference_open = reference_grid_ != nullptr && !reference_grid_->isHidden();
  ChineseReferenceTable->setEnabled(reference_open);
  if (!reference_open) {
    ChineseMainTable->setChecked(true);
  }
  ChinesePanel->show();
  ChinesePanel->raise();
  Refresh();
}

void ChineseTools::Refresh() {
  if (refreshing_) {
    return;  // a choice made while the preview runs is taken up when it ends
  }
  refreshing_ = true;
  app::ChineseRequest request;
  request.direction = chinese::kAllDirections[std::max(0, ChineseDirectionBox->currentIndex())];
  request.role = ChosenRole();
  request.rows = ChosenRows();
  EventsOnlyPump pump(pump_);
  auto preview = conversion_.Preview(app_.Document(), request, app_.Messages(), pump);
  preview_.reset();
  ChineseGrid->setRowCount(0);
  ChineseReport->clear();
  ChineseReport->hide();
  if (!preview.ok()) {
    ChineseStatus->setText(ToQString(preview.error().message));
    ChineseOk->setEnabled(false);
    refreshing_ = false;
    messages_.Inform(ports::Severity::kError, preview.error().message);
    return;
  }
  preview_ = std::move(preview.value());
  preview_role_ = request.role;
  const std::vector<chinese::RowChange>& changes = preview_->changes;
  ChineseGrid->setRowCount(static_cast<int>(changes.size()));
  for (int row = 0; row < static_cast<int>(changes.size()); ++row) {
    const chinese::RowChange& change = changes[static_cast<size_t>(row)];
    ChineseGrid->setItem(row, 0, new QTableWidgetItem(ToQString(change.number)));
    ChineseGrid->setItem(row, 1, new QTableWidgetItem(ToQString(change.before)));
    ChineseGrid->setItem(row, 2, new QTableWidgetItem(ToQString(change.after)));
  }
  ChineseStatus->setText(ToQString(app::ChineseSummaryText(*preview_, app_.Messages())));
  QStringList report;
  for (const std::string& line : app::ChineseReportLines(*preview_, app_.Messages())) {
    report << ToQString(line);
  }
  ChineseReport->setPlainText(report.join(QLatin1Char('\n')));
  ChineseReport->setVisible(!report.isEmpty());
  ChineseOk->setEnabled(!changes.empty());
  refreshing_ = false;
}

void ChineseTools::ChineseOkClick() {
  if (!preview_ || refreshing_) {
    return;
  }
  const chinese::ApplyOutcome outcome =
      app::ApplyChineseConversion(app_.Document(), preview_role_, preview_->changes);
  const std::string skipped =
      app::ChineseSkippedText(outcome, app_.Document(), preview_role_, app_.Messages());
  preview_.reset();
  ChinesePanel->hide();
  app_.ShowStatus([this, written = outcome.written] {
    const ports::MessageSource& texts = app_.Messages();
    return texts.Message(app::msg::kConvertedRowsPrefix) + std::to_string(written) +
           texts.Message(app::msg::kConvertedRowsSuffix);
  });
  if (!skipped.empty()) {
    messages_.Inform(ports::Severity::kWarning, skipped);
  }
}

void ChineseTools::ChineseCancelClick() {
  preview_.reset();
  ChinesePanel->hide();
}

}  // namespace ui

// RecognitionTools: the strip's controls and the recognition commands' thin handlers.
#include "ui/recognition_tools.h"

#include <QAction>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>
#include <iterator>

#include "app/recognition_commands.h"
#include "app/status_texts.h"
#include "document/picture_files.h"
#include "document/row_table.h"
#include "document/subtitle_reader.h"
#include "library/glyph_library.h"
#include "ocr/read_ahead.h"
#include "ui/automatic_teachings_dialog.h"
#include "ui/main_window_ui.h"
#include "ui/progress_area.h"
#include "ui/qt_convert.h"
#include "ui/qt_ports.h"
#include "ui/subtitle_table_model.h"
#include "ui/teaching_panel.h"

namespace ui {
namespace {

// How often the grid and the picture view follow the run: about the display's rate.
constexpr int kFollowIntervalMs = 40;

QLabel* NewLabel(QWidget* parent, const char* name, const char* gbk_caption) {
  auto* label = new QLabel(ToQString(gbk_caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QLineEdit* NewDigitsEdit(QWidget* parent, const char* name, const QString& text) {
  auto* edit = new QLineEdit(text, parent);
  edit->setObjectName(QString::fromLatin1(name));
  // Only the digits and backspace get through.
  edit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
  edit->setMaximumWidth(44);
  return edit;
}

QSlider* NewTrackBar(QWidget* parent, const char* name, int position) {
  auto* bar = new QSlider(Qt::Horizontal, parent);
  bar->setObjectName(QString::fromLatin1(name));
  bar->setRange(0, settings::kTrackBarMax);
  bar->setSingleStep(1);
  bar->setPageStep(1);
  bar->setTickPosition(QSlider::TicksBelow);
  bar->setTickInterval(1);
  bar->setValue(position);
  return bar;
}

}  // namespace

RecognitionTools::RecognitionTools(MainWindow::Ui& ui, app::Application& app,
                                   ports::MessagePort& messages, QtEventPump& pump,
                                   library::GlyphLibrary* glyphs, QWidget* window)
    : QObject(window), ui_(ui), app_(app), messages_(messages), pump_(pump), window_(window) {
  if (glyphs != nullptr) {
    recogniser_ = std::make_unique<ocr::Recogniser>(*glyphs, engine_pictures_);
  }
  teaching_ = new TeachingPanel(ui_.Panel3, app_, messages_);
  BuildStrip();
  BuildRowDetails();
  follow_timer_.setInterval(kFollowIntervalMs);
  connect(&follow_timer_, &QTimer::timeout, this, &RecognitionTools::FollowRun);
  connect(ui_.StartReadMenu, &QAction::triggered, this, &RecognitionTools::StartReadMenuClick);
  connect(ui_.StopReadMenu, &QAction::triggered, this, &RecognitionTools::StopReadMenuClick);
  connect(ui_.CheckRowMenu, &QAction::triggered, this, &RecognitionTools::CheckRowButClick);
  connect(ui_.CutBmpMenu, &QAction::triggered, this, &RecognitionTools::CutBmpMenuClick);
  connect(ui_.StringGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) {
              RowSelected(SubtitleTableModel::TableRow(current.row()));
            }
          });
  // The picture scrolls inside its frame and never reaches over its neighbours.
  PictureScroll = new QScrollArea(ui_.Panel9);
  PictureScroll->setObjectName(QStringLiteral("PictureScroll"));
  PictureScroll->setFrameShape(QFrame::NoFrame);
  PictureScroll->setAlignment(Qt::AlignCenter);
  PictureScroll->setWidgetResizable(false);
  PictureScroll->setBackgroundRole(QPalette::Base);
  PictureScroll->setWidget(ui_.Image1);
  auto* frame_layout = new QVBoxLayout(ui_.Panel9);
  frame_layout->setContentsMargins(2, 2, 2, 2);
  frame_layout->addWidget(PictureScroll);
  PictureZoom = new QToolButton(ui_.Panel9);
  PictureZoom->setObjectName(QStringLiteral("PictureZoom"));
  PictureZoom->setText(QStringLiteral("1:1"));
  PictureZoom->setCheckable(true);
  PictureZoom->setFocusPolicy(Qt::NoFocus);
  connect(PictureZoom, &QToolButton::toggled, this, [this] { PaintPicture(); });
  ui_.Panel9->installEventFilter(this);
  ui_.Image1->installEventFilter(this);
  ui_.Image1->setCursor(Qt::SizeAllCursor);
  ui_.Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // The text read so far on the picture, at the foot of the picture frame while a glyph is asked.
  StripText = new QLabel(ui_.Panel9);
  StripText->setObjectName(QStringLiteral("StripText"));
  StripText->setAutoFillBackground(true);
  StripText->setFrameStyle(QFrame::Box);
  QFont big = StripText->font();
  big.setPixelSize(18);
  StripText->setFont(big);
  StripText->hide();
  connect(teaching_, &TeachingPanel::BoxShown, this, &RecognitionTools::MarkAskedBox);
  connect(teaching_, &TeachingPanel::QuestionClosed, this, &RecognitionTools::ClearAskedBox);
}

RecognitionTools::~RecognitionTools() = default;

void RecognitionTools::BuildStrip() {
  const settings::SettingsList& settings = app_.Settings();
  Label15 = NewLabel(
      ui_.Panel14, "Label15", "\xD7\xD6\xC4\xBB\xC3\xBF\xD0\xD0\xB1\xEA\xD7\xBC\xD0\xD0\xB8\xDF"
      /* 字幕每行标准行高 */);
  Label17 = NewLabel(
      ui_.Panel14, "Label17", "\xD7\xD6\xC4\xBB\xC3\xBF\xD0\xD0\xB1\xEA\xD7\xBC\xD7\xD6\xBF\xED"
      /* 字幕每行标准字宽 */);
  Label6 = NewLabel(
      ui_.Panel14, "Label6", "\xB2\xC9\xBC\xAF\xCD\xBC\xC6\xAC\xD0\xC5\xCF\xA2\xD0\xD0\xCA\xFD"
      /* 采集图片信息行数 */);
  Edit10 = NewDigitsEdit(ui_.Panel14, "Edit10", QStringLiteral("0"));
  Edit11 = NewDigitsEdit(ui_.Panel14, "Edit11", QStringLiteral("0"));
  Edit5 = NewDigitsEdit(ui_.Panel14, "Edit5", QStringLiteral("10"));
  auto* sizes = new QGridLayout(ui_.Panel14);
  sizes->setContentsMargins(4, 4, 4, 4);
  sizes->setVerticalSpacing(2);
  int row = 0;
  for (auto [label, edit] :
       {std::pair{Label15, Edit10}, std::pair{Label17, Edit11}, std::pair{Label6, Edit5}}) {
    sizes->addWidget(label, row, 0);
    sizes->addWidget(edit, row, 1);
    ++row;
  }
  sizes->setRowStretch(row, 1);
  connect(Edit10, &QLineEdit::editingFinished, this, &RecognitionTools::Edit10Exit);
  connect(Edit11, &QLineEdit::editingFinished, this, &RecognitionTools::Edit11Exit);
  connect(Edit5, &QLineEdit::editingFinished, this, &RecognitionTools::Edit5Exit);

  Label16 = NewLabel(ui_.Panel1, "Label16",
                     "\xD0\xD0\xB8\xDF\xBC\xEC\xB2\xE2\xC9\xE8\xD6\xC3" /* 行高检测设置 */);
  Label19 = NewLabel(ui_.Panel1, "Label19", "\xC1\xE9\xC3\xF4" /* 灵敏 */);
  Label20 = NewLabel(ui_.Panel1, "Label20", "\xBA\xF6\xC2\xD4" /* 忽略 */);
  Label12 = NewLabel(ui_.Panel1, "Label12",
                     "\xBF\xD5\xB8\xF1\xBC\xEC\xB2\xE2\xC9\xE8\xD6\xC3" /* 空格检测设置 */);
  Label22 = NewLabel(ui_.Panel1, "Label22",
                     "\xBF\xD5\xB8\xF1\xBF\xED\xB6\xC8\xC9\xE8\xD6\xC3" /* 空格宽度设置 */);
  TrackBar1 = NewTrackBar(ui_.Panel1, "TrackBar1", settings.LineHeight());
  TrackBar3 = NewTrackBar(ui_.Panel1, "TrackBar3", settings.SpaceDetection());
  TrackBar4 = NewTrackBar(ui_.Panel1, "TrackBar4", settings.SpaceWidth());
  auto* bars = new QGridLayout(ui_.Panel1);
  bars->setContentsMargins(4, 2, 4, 2);
  bars->setVerticalSpacing(0);
  bars->addWidget(Label16, 0, 0, 1, 2);
  bars->addWidget(TrackBar1, 1, 0, 1, 2);
  Label20->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  bars->addWidget(Label19, 2, 0);
  bars->addWidget(Label20, 2, 1);
  bars->addWidget(Label12, 3, 0, 1, 2);
  bars->addWidget(TrackBar3, 4, 0, 1, 2);
  bars->addWidget(Label22, 5, 0, 1, 2);
  bars->addWidget(TrackBar4, 6, 0, 1, 2);
  bars->setRowStretch(7, 1);
  // A moved track bar goes into its settings line at once; the engine reads it at each run.
  const std::pair<QSlider*, int> lines[] = {{TrackBar1, settings::kLineHeight},
                                            {TrackBar3, settings::kSpaceDetection},
                                            {TrackBar4, settings::kSpaceWidth}};
  for (const auto& [bar, line] : lines) {
    connect(bar, &QSlider::valueChanged, this,
            [this, line = line](int value) { app_.Settings().SetNumber(line, value); });
  }
}

void RecognitionTools::BuildRowDetails() {
  FloatingPanel* panel = ui_.Panel10;
  // The title bar is Label13: the language gives its caption, the analysis names the row in it.
  Label13 = panel->TitleLabel();
  Label13->setObjectName(QStringLiteral("Label13"));
  Label13->setWordWrap(true);
  StringGrid6 = new QTableWidget(2, 2, panel);
  StringGrid6->setObjectName(QStringLiteral("StringGrid6"));
  StringGrid6->setEditTriggers(QAbstractItemView::NoEditTriggers);
  StringGrid6->verticalHeader()->hide();
  StringGrid6->horizontalHeader()->setStretchLastSection(true);
  StringGrid6->setColumnWidth(0, 70);
  StringGrid6->setRowCount(1);
  Button15 = new QPushButton(ToQString("\xB9\xD8\xB1\xD5" /* 关闭 */), panel);
  Button15->setObjectName(QStringLiteral("Button15"));
  panel->Body()->addWidget(StringGrid6, 1);
  panel->Body()->addWidget(Button15, 0, Qt::AlignRight);
  connect(Button15, &QPushButton::clicked, this, &RecognitionTools::Button15Click);
  connect(StringGrid6, &QTableWidget::cellDoubleClicked, this,
          &RecognitionTools::StringGrid6DblClick);
}

bool RecognitionTools::LibraryMissing() {
  if (recogniser_ != nullptr) {
    return false;
  }
  messages_.Inform(ports::Severity::kError, "The glyph library is not available.");
  return true;
}

void RecognitionTools::ResetTaughtRows() {
  if (recogniser_ != nullptr) {
    recogniser_->ClearTaughtRows();
  }
  if (teachings_ != nullptr) {
    teachings_->hide();
  }
  run_start_row_ = 1;
  // The open flow selects row 1 before it names the new picture folder; the picture is shown
  // once the standard sizes are estimated.
  opening_ = true;
}

void RecognitionTools::EstimateStandardSizes() {
  opening_ = false;
  if (recogniser_ == nullptr) {
    return;
  }
  text::Result<std::string> sample = ToGbk(Edit5->text());
  const ports::WaitPanel wait{[this](const std::string& text) {
                                ui_.Label36->setText(ToQString(text));
                                ui_.Button19->hide();
                                ui_.Panel23->show();
                                ui_.Panel23->raise();
                                ui_.Panel23->repaint();
                              },
                              [this] {
                                ui_.Panel23->hide();
                                ui_.Button19->show();
                              }};
  const ocr::SizeEstimate estimate = app::EstimateSizesAfterOpen(
      app_, *recogniser_, sample.ok() ? sample.value() : std::string(), wait);
  if (!document::IsAllDigits(sample.ok() ? sample.value() : std::string())) {
    Edit5->setText(QString::number(ocr::kDefaultSampleLines));
  }
  Edit10->setText(QString::number(estimate.line_height));
  Edit11->setText(QString::number(estimate.glyph_width));
  // The estimate prepared its sample pictures: row 1's picture is shown and prepared again.
  RowSelected(app_.Document().current_row);
}

void RecognitionTools::RowSelected(int row) {
  run_start_row_ = row;
  if (running_ || opening_ || recogniser_ == nullptr) {
    return;
  }
  if (auto path = app::ShowRowPicture(app_, *recogniser_, row, messages_)) {
    ShowPicture(*path);
  }
}

void RecognitionTools::ShowPicture(const std::filesystem::path& path) {
  QPixmap picture;
  if (!picture.load(PathToQString(path))) {
    return;
  }
  picture_ = picture;
  PaintPicture();
}

double RecognitionTools::PictureScale() const {
  if (PictureZoom->isChecked() || picture_.isNull()) {
    return 1.0;
  }
  const QSize room = PictureScroll->maximumViewportSize();
  return std::min({1.0, static_cast<double>(room.width()) / picture_.width(),
                   static_cast<double>(room.height()) / picture_.height()});
}

void RecognitionTools::PaintPicture() {
  if (picture_.isNull()) {
    ui_.Image1->clear();
    return;
  }
  QPixmap marked = picture_;
  if (!asked_box_.isNull()) {
    QPainter painter(&marked);
    painter.setPen(QPen(QColor::fromRgb(TeachingPanel::kBoxMarkColour), 2));
    // Drawn one pixel outside the box all round, so that the frame covers none of its ink.
    painter.drawRect(asked_box_.adjusted(-2, -2, 1, 1));
    painter.end();
  }
  const double scale = PictureScale();
  if (scale < 1.0) {
    const QSize fitted(std::max(1, static_cast<int>(std::floor(picture_.width() * scale))),
                       std::max(1, static_cast<int>(std::floor(picture_.height() * scale))));
    marked = marked.scaled(fitted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  ui_.Image1->setPixmap(marked);
  ui_.Image1->resize(marked.size());
  if (!asked_box_.isNull()) {
    // The asked box, with some of its neighbours, is scrolled into view.
    const QRect box = asked_box_.adjusted(-3, -3, 3, 3);
    const QPoint centre(static_cast<int>(box.center().x() * scale),
                        static_cast<int>(box.center().y() * scale));
    PictureScroll->ensureVisible(centre.x(), centre.y(),
                                 static_cast<int>(box.width() * scale / 2) + 24,
                                 static_cast<int>(box.height() * scale / 2) + 8);
  }
}

void RecognitionTools::MarkAskedBox() {
  const ocr::TeachingSession* session = teaching_->Session();
  if (session == nullptr) {
    return;
  }
  FollowRun();  // the strip shows the asked row's picture before its box is framed
  const ocr::GlyphBox box = session->BoxInPicture();
  asked_box_ = QRect(box.left, box.top, std::max(1, box.width), std::max(1, box.height));
  PaintPicture();
  const QString so_far = ToQString(session->PictureTextSoFar());
  StripText->setText(so_far);
  StripText->adjustSize();
  StripText->move(4, std::max(0, ui_.Panel9->height() - StripText->height() - 4));
  StripText->setVisible(!so_far.isEmpty());
  StripText->raise();
  // The panel may have been placed, or dragged, over the strip: it moves up to leave it free.
  QWidget* panel = ui_.Panel3;
  const int strip_top = ui_.Panel2->geometry().top();
  if (ui_.Panel2->isVisible() && panel->geometry().bottom() >= strip_top) {
    panel->move(panel->x(), std::max(0, strip_top - panel->height() - 2));
  }
}

void RecognitionTools::ClearAskedBox() {
  asked_box_ = QRect();
  StripText->hide();
  PaintPicture();
}

void RecognitionTools::FocusCurrentRow() {
  SelectRow(app_.Document().current_row);
  ui_.StringGrid1->setFocus();
}

void RecognitionTools::SelectRow(int row) {
  QTableView* grid = ui_.StringGrid1;
  const QModelIndex index = grid->model()->index(SubtitleTableModel::ModelRow(row), 1);
  if (index.isValid()) {
    grid->setCurrentIndex(index);
    grid->scrollTo(index);
  }
}

void RecognitionTools::FollowRun() {
  const document::SubtitleDocument& document = app_.Document();
  const int row = document.current_row;
  if (running_ && !analysing_ && recogniser_ != nullptr) {
    const int taught = recogniser_->Counts().taught - taught_at_start_;
    const int rows = document.main.DataRowCount();
    app_.ShowStatus([this, row, rows, taught] {
      return app::RunProgressStatus(app_.Messages(), row, rows, taught);
    });
  }
  if (row == shown_row_ || !document.main.IsDataRow(row)) {
    return;
  }
  shown_row_ = row;
  SelectRow(row);
  // A name outside the folder was refused before the run; the strip never shows such a file.
  if (auto file = document::PictureFile(document, document.main.Cell(document::kPicture, row));
      file.ok()) {
    ShowPicture(file.value());
  }
}

void RecognitionTools::StartReadMenuClick() {
  if (running_ || LibraryMissing()) {
    return;
  }
  running_ = true;
  shown_row_ = 0;
  taught_at_start_ = recogniser_->Counts().taught;
  pump_.Reset();
  // Nothing else may change the document or the library while the run holds the engine.
  QTableView* grid = ui_.StringGrid1;
  const QAbstractItemView::EditTriggers triggers = grid->editTriggers();
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QAction* library_actions[] = {ui_.EditWordMenu, ui_.OutWordMenu, ui_.CheckWordMenu,
                                ui_.SetProMenu};
  bool were_enabled[std::size(library_actions)];
  for (size_t i = 0; i < std::size(library_actions); ++i) {
    were_enabled[i] = library_actions[i]->isEnabled();
    library_actions[i]->setEnabled(false);
  }
  follow_timer_.start();
  // The reference teaches while it is shown beside the main subtitle.
  recogniser_->SetReferenceTable(ui_.StringGrid7->isHidden() ? nullptr
                                                             : &app_.Document().reference);
  const auto options = [this] {
    // The settings panel's check boxes when they exist, else the settings lines they keep.
    const auto* fix = window_->findChild<QCheckBox*>(QStringLiteral("CheckBox11"));
    const auto* check = window_->findChild<QCheckBox*>(QStringLiteral("CheckBox12"));
    const settings::SettingsList& lines = app_.Settings();
    return app::PostRunOptions{fix ? fix->isChecked() : lines.AutoTimeFix(),
                               check ? check->isChecked() : lines.Flag(settings::kAutoCheck)};
  };
  const ocr::RunOutcome outcome = app::StartRecognition(
      app_, *recogniser_, run_start_row_, app::RecognitionPorts{messages_, pump_, *teaching_},
      options, [this] { ui_.Check1Menu->trigger(); }, ocr::DefaultJobs());
  follow_timer_.stop();
  for (size_t i = 0; i < std::size(library_actions); ++i) {
    library_actions[i]->setEnabled(were_enabled[i]);
  }
  grid->setEditTriggers(triggers);
  running_ = false;
  pump_.Reset();
  FollowRun();
  ui_.StatusProgress->SetProgress(0, 0);
  run_start_row_ = outcome.next_start_row;
  FocusCurrentRow();
  if (outcome.glyphs.automatic > 0) {
    ShowAutomaticTeachings();
  }
}

void RecognitionTools::ShowAutomaticTeachings() {
  if (teachings_ == nullptr) {
    teachings_ = new AutomaticTeachingsDialog(app_, *recogniser_, messages_, pump_, window_);
  }
  teachings_->Refresh();
  teachings_->show();
  teachings_->raise();
}

void RecognitionTools::StopReadMenuClick() {
  pump_.RequestStop();
  app::StopRecognition(app_, messages_);
  // The stop message took the focus; it goes back to the grid, never to an entry box where a
  // stray key would change a setting.
  FocusCurrentRow();
}

void RecognitionTools::CheckRowButClick() {
  if (running_ || LibraryMissing()) {
    return;
  }
  running_ = true;
  analysing_ = true;
  pump_.Reset();
  StringGrid6->clearContents();
  StringGrid6->setRowCount(1);
  Label13->setText(ToQString(app::AnalysisTitle(app_)));
  const int row = app_.Document().current_row;
  app_.ShowStatus([this, row] { return app::RowAnalysisStatus(app_.Messages(), row); });
  ui_.Panel10->show();
  ui_.Panel10->raise();
  const ocr::RowAnalysis analysis = app::AnalyseCurrentRow(
      app_, *recogniser_, app::RecognitionPorts{messages_, pump_, *teaching_});
  // One row per glyph and the empty row the next glyph would go into.
  StringGrid6->setRowCount(static_cast<int>(analysis.glyphs.size()) + 1);
  for (int i = 0; i < static_cast<int>(analysis.glyphs.size()); ++i) {
    const ocr::GlyphDetail& glyph = analysis.glyphs[static_cast<size_t>(i)];
    StringGrid6->setItem(i, 0, new QTableWidgetItem(ToQString(glyph.text)));
    StringGrid6->setItem(i, 1, new QTableWidgetItem(QString::number(glyph.number)));
  }
  const int glyphs = static_cast<int>(analysis.glyphs.size());
  app_.ShowStatus(
      [this, row, glyphs] { return app::RowAnalysedStatus(app_.Messages(), row, glyphs); });
  pump_.Reset();
  running_ = false;
  analysing_ = false;
}

void RecognitionTools::Button15Click() {
  ui_.Panel10->hide();
}

void RecognitionTools::StringGrid6DblClick(int row, int column) {
  const QTableWidgetItem* item = StringGrid6->item(row, column);
  if (item == nullptr || item->text().isEmpty()) {
    return;  // the empty row the next glyph would go into
  }
  text::Result<std::string> cell = ToGbk(item->text());
  if (!cell.ok()) {
    return;
  }
  if (column == 1) {
    emit GlyphLookupRequested(cell.value(), std::string());
  } else {
    emit GlyphLookupRequested(std::string(), cell.value());
  }
}

void RecognitionTools::CutBmpMenuClick() {
  if (running_) {
    return;
  }
  pump_.Reset();
  const ports::WaitPanel wait{[this](const std::string& text) {
                                ui_.Label36->setText(ToQString(text));
                                ui_.Button19->show();
                                ui_.Panel23->show();
                                ui_.Panel23->raise();
                              },
                              [this] { ui_.Panel23->hide(); }};
  app::CropPicturesCommand(app_, pictures_, messages_, pump_, wait);
  pump_.Reset();
}

void RecognitionTools::Edit10Exit() {
  if (recogniser_ == nullptr) {
    return;
  }
  const std::string digits = Edit10->text().toStdString();
  int& height = recogniser_->Options().line_height;
  if (!document::IsAllDigits(digits)) {
    Edit10->setText(QString::number(height));
  }
  height = Edit10->text().toInt();
}

void RecognitionTools::Edit11Exit() {
  if (recogniser_ == nullptr) {
    return;
  }
  const std::string digits = Edit11->text().toStdString();
  int& width = recogniser_->Options().glyph_width;
  if (!document::IsAllDigits(digits)) {
    Edit11->setText(QString::number(width));
  }
  width = Edit11->text().toInt();
}

void RecognitionTools::Edit5Exit() {
  if (!document::IsAllDigits(Edit5->text().toStdString())) {
    Edit5->setText(QString::number(ocr::kDefaultSampleLines));
  }
}

bool RecognitionTools::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_.Panel9 && event->type() == QEvent::Resize) {
    PictureZoom->adjustSize();
    PictureZoom->move(ui_.Panel9->width() - PictureZoom->width() - 2, 2);
    PictureZoom->raise();
    if (!ui_.Image1->pixmap().isNull()) {
      PaintPicture();  // the fitted scale follows the frame
    }
    return false;
  }
  if (watched != ui_.Image1) {
    return QObject::eventFilter(watched, event);
  }
  // Dragging the picture scrolls it (at 1:1, or when it is taller than the frame).
  switch (event->type()) {
    case QEvent::MouseButtonPress:
      dragging_ = true;
      drag_from_ = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
      return true;
    case QEvent::MouseMove:
      if (dragging_) {
        const QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        const QPoint step = at - drag_from_;
        drag_from_ = at;
        QScrollBar* across = PictureScroll->horizontalScrollBar();
        QScrollBar* down = PictureScroll->verticalScrollBar();
        across->setValue(across->value() - step.x());
        down->setValue(down->value() - step.y());
      }
      return dragging_;
    case QEvent::MouseButtonRelease:
      dragging_ = false;
      return true;
    default:
      return QObject::eventFilter(watched, event);
  }
}

}  // namespace ui

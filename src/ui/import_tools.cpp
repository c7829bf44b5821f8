// ImportTools: the import command, its panel and the preview.
#include "ui/import_tools.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include "app/message_numbers.h"
#include "import/disc_import.h"
#include "import/ink.h"
#include "ui/floating_panel.h"
#include "ui/main_window_ui.h"
#include "ui/qt_convert.h"
#include "ui/qt_ports.h"

namespace ui {
namespace {

constexpr int kPreviewWidth = 460;
constexpr int kPreviewHeight = 150;

// The inked pictures one under the other, black on white, at the size the import writes them,
// scaled down to the preview's size.
QPixmap PreviewPixmap(const std::vector<import::SubtitleBitmap>& pictures,
                      const import::ImportOptions& options) {
  std::vector<import::InkPicture> inked;
  int width = 1;
  int height = 0;
  for (const import::SubtitleBitmap& picture : pictures) {
    inked.push_back(
        import::RenderInkAtScale(picture, import::ChooseInk(picture, options.ink), options.scale));
    width = std::max(width, inked.back().width);
    height += inked.back().height + 6;
  }
  QImage image(width, std::max(1, height), QImage::Format_Grayscale8);
  image.fill(Qt::white);
  int top = 0;
  for (const import::InkPicture& picture : inked) {
    for (int y = 0; y < picture.height; ++y) {
      uchar* line = image.scanLine(top + y);
      for (int x = 0; x < picture.width; ++x) {
        line[x] = picture.At(x, y) ? 0 : 255;
      }
    }
    top += picture.height + 6;
    if (top < image.height()) {
      std::fill(image.scanLine(top - 3), image.scanLine(top - 3) + width, 200);  // a rule
    }
  }
  return QPixmap::fromImage(
      image.scaled(kPreviewWidth, kPreviewHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace

ImportTools::ImportTools(MainWindow::Ui& ui, app::Application& app, ports::MessagePort& messages,
                         ports::FileDialogPort& dialogs, QWidget* window)
    : QObject(window),
      ui_(ui),
      app_(app),
      messages_(messages),
      dialogs_(dialogs),
      window_(window),
      pump_(std::make_unique<QtEventPump>()) {
  flow_ = std::make_unique<app::ImportFlow>(app, messages, dialogs, *pump_);
  ImportDiscMenu = new QAction(window);
  ImportDiscMenu->setObjectName(QStringLiteral("ImportDiscMenu"));
  ImportDiscMenu->setIcon(QIcon::fromTheme(QStringLiteral("media-optical"),
                                           window->style()->standardIcon(QStyle::SP_DriveDVDIcon)));
  ui.FileMenu->insertAction(ui.CloseSrtMenu, ImportDiscMenu);
  ImportDiscBut = new QToolButton(ui.ToolBar1);
  ImportDiscBut->setObjectName(QStringLiteral("ImportDiscBut"));
  ImportDiscBut->setDefaultAction(ImportDiscMenu);
  ImportDiscBut->setAutoRaise(true);
  QAction* before = nullptr;
  for (QAction* action : ui.ToolBar1->actions()) {
    if (ui.ToolBar1->widgetForAction(action) == ui.SaveSrtBut) {
      before = action;
    }
  }
  ui.ToolBar1->insertWidget(before, ImportDiscBut);
  BuildPanel();
  Connect();
}

ImportTools::~ImportTools() = default;

void ImportTools::BuildPanel() {
  ImportPanel = new FloatingPanel(QStringLiteral("ImportPanel"), QString(), QSize(500, 420), 40,
                                  ui_.drag, ui_.CentralArea);
  auto caption = [this](int message) {
    auto* label = new QLabel(ImportPanel);
    captions_.push_back(label);
    caption_messages_.push_back(message);
    return label;
  };
  ImportInput = new QLabel(ImportPanel);
  ImportInput->setObjectName(QStringLiteral("ImportInput"));
  ImportInput->setTextInteractionFlags(Qt::TextSelectableByMouse);
  ImportTrack = new QComboBox(ImportPanel);
  ImportTrack->setObjectName(QStringLiteral("ImportTrack"));
  ImportPreview = new QLabel(ImportPanel);
  ImportPreview->setObjectName(QStringLiteral("ImportPreview"));
  ImportPreview->setMinimumSize(kPreviewWidth, kPreviewHeight);
  ImportPreview->setAlignment(Qt::AlignCenter);
  ImportPreview->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  ImportPreview->setAutoFillBackground(true);
  QPalette white = ImportPreview->palette();
  white.setColor(QPalette::Window, Qt::white);
  ImportPreview->setPalette(white);
  ImportInkFill = new QRadioButton(ImportPanel);
  ImportInkFill->setObjectName(QStringLiteral("ImportInkFill"));
  ImportInkFill->setChecked(true);
  ImportInkOutline = new QRadioButton(ImportPanel);
  ImportInkOutline->setObjectName(QStringLiteral("ImportInkOutline"));
  ImportInkAll = new QRadioButton(ImportPanel);
  ImportInkAll->setObjectName(QStringLiteral("ImportInkAll"));
  ImportUseThreshold = new QCheckBox(ImportPanel);
  ImportUseThreshold->setObjectName(QStringLiteral("ImportUseThreshold"));
  ImportThreshold = new QSlider(Qt::Horizontal, ImportPanel);
  ImportThreshold->setObjectName(QStringLiteral("ImportThreshold"));
  ImportThreshold->setRange(0, 255);
  ImportThreshold->setValue(128);
  ImportThreshold->setEnabled(false);
  ImportThresholdValue = new QLabel(QStringLiteral("128"), ImportPanel);
  ImportThresholdValue->setObjectName(QStringLiteral("ImportThresholdValue"));
  ImportThresholdValue->setMinimumWidth(28);
  ImportScale = new QComboBox(ImportPanel);
  ImportScale->setObjectName(QStringLiteral("ImportScale"));
  for (const import::PictureScale scale :
       {import::PictureScale::kAuto, import::PictureScale::kFull, import::PictureScale::kHalf}) {
    ImportScale->addItem(QString(), static_cast<int>(scale));
  }
  ImportFullColour = new QCheckBox(ImportPanel);
  ImportFullColour->setObjectName(QStringLiteral("ImportFullColour"));
  ImportOutput = new QLineEdit(ImportPanel);
  ImportOutput->setObjectName(QStringLiteral("ImportOutput"));
  ImportProgress = new QProgressBar(ImportPanel);
  ImportProgress->setObjectName(QStringLiteral("ImportProgress"));
  ImportProgress->setRange(0, 1000);
  ImportProgress->setTextVisible(false);
  ImportRun = new QPushButton(ImportPanel);
  ImportRun->setObjectName(QStringLiteral("ImportRun"));
  ImportRun->setDefault(true);
  ImportStop = new QPushButton(ImportPanel);
  ImportStop->setObjectName(QStringLiteral("ImportStop"));
  ImportStop->setEnabled(false);
  ImportClose = new QPushButton(ImportPanel);
  ImportClose->setObjectName(QStringLiteral("ImportClose"));

  auto* grid = new QGridLayout();
  grid->addWidget(caption(app::msg::kImportInputCaption), 0, 0);
  grid->addWidget(ImportInput, 0, 1, 1, 4);
  grid->addWidget(caption(app::msg::kImportTrackCaption), 1, 0);
  grid->addWidget(ImportTrack, 1, 1, 1, 4);
  grid->addWidget(caption(app::msg::kImportInkCaption), 2, 0);
  grid->addWidget(ImportInkFill, 2, 1);
  grid->addWidget(ImportInkOutline, 2, 2);
  grid->addWidget(ImportInkAll, 2, 3, 1, 2);
  grid->addWidget(ImportUseThreshold, 3, 1);
  grid->addWidget(ImportThreshold, 3, 2, 1, 2);
  grid->addWidget(ImportThresholdValue, 3, 4);
  grid->addWidget(caption(app::msg::kImportScaleCaption), 4, 0);
  grid->addWidget(ImportScale, 4, 1, 1, 3);
  grid->addWidget(ImportFullColour, 5, 1, 1, 3);
  grid->setColumnStretch(3, 1);
  ImportPanel->Body()->addLayout(grid);
  ImportPanel->Body()->addWidget(caption(app::msg::kImportPreviewCaption));
  ImportPanel->Body()->addWidget(ImportPreview, 1);
  auto* output = new QHBoxLayout();
  output->addWidget(caption(app::msg::kImportOutputCaption));
  output->addWidget(ImportOutput, 1);
  ImportBrowseOutput = new QPushButton(QStringLiteral("..."), ImportPanel);
  ImportBrowseOutput->setObjectName(QStringLiteral("ImportBrowseOutput"));
  output->addWidget(ImportBrowseOutput);
  ImportPanel->Body()->addLayout(output);
  ImportPanel->Body()->addWidget(ImportProgress);
  auto* buttons = new QHBoxLayout();
  buttons->addStretch(1);
  buttons->addWidget(ImportRun);
  buttons->addWidget(ImportStop);
  buttons->addWidget(ImportClose);
  ImportPanel->Body()->addLayout(buttons);
  ImportPanel->hide();
}

void ImportTools::Connect() {
  connect(ImportDiscMenu, &QAction::triggered, this, &ImportTools::ImportDiscMenuClick);
  connect(ImportTrack, &QComboBox::currentIndexChanged, this, &ImportTools::ImportTrackChanged);
  for (QRadioButton* ink : {ImportInkFill, ImportInkOutline, ImportInkAll}) {
    connect(ink, &QRadioButton::toggled, this, [this](bool on) {
      if (on) {
        UpdatePreview();
      }
    });
  }
  connect(ImportUseThreshold, &QCheckBox::toggled, this, [this](bool on) {
    // Ink by luminance takes the place of the colour classes: their choice means nothing then.
    ImportThreshold->setEnabled(on);
    for (QRadioButton* ink : {ImportInkFill, ImportInkOutline, ImportInkAll}) {
      ink->setEnabled(!on);
    }
    UpdatePreview();
  });
  connect(ImportBrowseOutput, &QPushButton::clicked, this, [this] {
    const std::filesystem::path current = PathFromQString(ImportOutput->text().trimmed());
    // The folder the output would go in: the named one's parent when it does not exist yet.
    std::error_code error;
    const std::filesystem::path start =
        std::filesystem::is_directory(current, error) ? current : current.parent_path();
    if (const auto chosen = dialogs_.ChooseFolder(start)) {
      ImportOutput->setText(PathToQString(*chosen));
    }
  });
  connect(ImportThreshold, &QSlider::valueChanged, this, [this](int value) {
    ImportThresholdValue->setText(QString::number(value));
    UpdatePreview();
  });
  connect(ImportScale, &QComboBox::currentIndexChanged, this, [this] { UpdatePreview(); });
  connect(ImportRun, &QPushButton::clicked, this, &ImportTools::ImportRunClick);
  connect(ImportStop, &QPushButton::clicked, this, [this] { pump_->RequestStop(); });
  connect(ImportClose, &QPushButton::clicked, ImportPanel, &QWidget::hide);
  pump_->SetProgressSink([this](int done, int total) {
    ImportProgress->setValue(total > 0 ? done * 1000 / total : 0);
  });
}

void ImportTools::LanguageApplied() {
  const app::MessageTable& texts = app_.Messages();
  auto text = [&texts](int message) { return ToQString(texts.Message(message)); };
  ImportDiscMenu->setText(text(app::msg::kImportMenu));
  ImportDiscMenu->setToolTip(text(app::msg::kImportHint));
  ImportPanel->TitleLabel()->setText(text(app::msg::kImportTitle));
  for (std::size_t i = 0; i < captions_.size(); ++i) {
    captions_[i]->setText(text(caption_messages_[i]));
  }
  ImportInkFill->setText(text(app::msg::kImportInkFill));
  ImportInkOutline->setText(text(app::msg::kImportInkOutline));
  ImportInkAll->setText(text(app::msg::kImportInkAll));
  ImportUseThreshold->setText(text(app::msg::kImportThreshold));
  ImportFullColour->setText(text(app::msg::kImportFullColour));
  const int scale_texts[] = {app::msg::kImportScaleAuto, app::msg::kImportScaleFull,
                             app::msg::kImportScaleHalf};
  for (int i = 0; i < ImportScale->count(); ++i) {
    ImportScale->setItemText(i, text(scale_texts[i]));
  }
  ImportRun->setText(text(app::msg::kImportRun));
  ImportStop->setText(text(app::msg::kImportStop));
  ImportClose->setText(text(app::msg::kCloseCaption));
}

void ImportTools::SetEnabled(bool enabled) {
  ImportDiscMenu->setEnabled(enabled);
}

import::ImportOptions ImportTools::Options() const {import::ImportOptions options;
options.track = ImportTrack->currentData().toInt();
options.ink.mode = ImportInkOutline->isChecked() ? import::InkMode::kOutline
                   : ImportInkAll->isChecked()   ? import::InkMode::kAll
                                                 : import::InkMode::kAuto;
if (ImportUseThreshold->isChecked()) {
  options.ink.threshold = ImportThreshold->value();
}
options.scale = static_cast<import::PictureScale>(ImportScale->currentData().toInt());
options.depth = ImportFullColour->isChecked() ? import::BmpDepth::k24 : import::BmpDepth::k1;
return options;
}  // namespace ui

void ImportTools::UpdatePreview() {
  if (pictures_.empty()) {
    ImportPreview->clear();
    return;
  }
  ImportPreview->setPixmap(PreviewPixmap(pictures_, Options()));
}

void ImportTools::ImportDiscMenuClick() {
  const auto chosen = flow_->ChooseInput();
  if (!chosen) {
    return;
  }
  auto preview = flow_->LoadPreview(*chosen, 0);
  if (!preview) {
    return;
  }
  input_ = *chosen;
  pictures_ = std::move(preview.value().pictures);
  ImportInput->setText(PathToQString(input_.filename()));
  ImportInput->setToolTip(PathToQString(input_));
  filling_tracks_ = true;
  ImportTrack->clear();
  int first_importable = -1;
  for (const import::TrackInfo& track : preview.value().tracks) {
    QString label = QStringLiteral("%1: %2")
                        .arg(track.number)
                        .arg(QString::fromStdString(
                            track.codec == import::SubtitleCodec::kPgs      ? "PGS"
                            : track.codec == import::SubtitleCodec::kVobSub ? "VobSub"
                                                                            : track.codec_name));
    if (!track.language.empty()) {
      label += QStringLiteral(" (%1)").arg(QString::fromStdString(track.language));
    }
    if (!track.title.empty()) {
      label += QStringLiteral(" \"%1\"").arg(QString::fromStdString(track.title));
    }
    ImportTrack->addItem(label, track.number);
    if (first_importable < 0 && track.IsSupported()) {
      first_importable = ImportTrack->count() - 1;
    }
  }
  ImportTrack->setCurrentIndex(std::max(0, first_importable));
  filling_tracks_ = false;
  ImportOutput->setText(PathToQString(import::DefaultOutputFolder(input_)));
  ImportProgress->setValue(0);
  UpdatePreview();
  ImportPanel->show();
  ImportPanel->raise();
}

void ImportTools::ImportTrackChanged(int index) {
  if (filling_tracks_ || index < 0 || input_.empty()) {
    return;
  }
  auto preview = flow_->LoadPreview(input_, ImportTrack->itemData(index).toInt());
  pictures_.clear();
  if (preview) {
    pictures_ = std::move(preview.value().pictures);
  }
  UpdatePreview();
}

void ImportTools::SetRunning(bool running) {
  for (QWidget* control : std::initializer_list<QWidget*>{
           ImportTrack, ImportUseThreshold, ImportScale, ImportFullColour, ImportOutput,
           ImportBrowseOutput, ImportRun, ImportClose}) {
    control->setEnabled(!running);
  }
  for (QRadioButton* ink : {ImportInkFill, ImportInkOutline, ImportInkAll}) {
    ink->setEnabled(!running && !ImportUseThreshold->isChecked());
  }
  ImportThreshold->setEnabled(!running && ImportUseThreshold->isChecked());
  ImportStop->setEnabled(running);
  // Nothing may change the document while the run lets events through.
  ui_.ToolBar1->setEnabled(!running);
  if (auto* main = qobject_cast<QMainWindow*>(window_)) {
    main->menuBar()->setEnabled(!running);
  }
}

void ImportTools::ImportRunClick() {
  if (input_.empty()) {
    return;
  }
  const std::filesystem::path out_dir(ImportOutput->text().trimmed().toStdString());
  pump_->Reset();
  ImportProgress->setValue(0);
  SetRunning(true);
  app::ImportOutcome outcome = app::ImportOutcome::kFailed;
  try {
    outcome = flow_->Run(input_, out_dir, Options());
  } catch (const std::exception& error) {
    messages_.Inform(ports::Severity::kError, error.what());
  }
  SetRunning(false);
  if (outcome == app::ImportOutcome::kOpened) {
    ImportPanel->hide();
    emit SubtitleOpened();
  }
}

}  // namespace ui

// TeachingPanel: builds Panel3's controls and answers the teaching session through them.
#include "ui/teaching_panel.h"

#include <QEventLoop>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <system_error>

#include "app/message_numbers.h"
#include "ocr/glyph_text.h"
#include "ui/floating_panel.h"
#include "ui/qt_convert.h"

namespace ui {
namespace {

constexpr int kMessageRecordNumber = 170;  // followed by the shown record's number
constexpr int kMessageEmptyLibrary = 440;
constexpr QRgb kForcedCutFrame = 0xFF808080;
constexpr QRgb kPlainFrame = 0xFFC0C0C0;
// The glyph frame's side: the enlarged band is zoomed, or scaled down, to fit inside it with a
// 4-pixel margin all round, so that no glyph, however wide, changes the panel's size.
constexpr int kGlyphFrameSide = 120;
constexpr int kGlyphRoom = kGlyphFrameSide - 8;
// The side of the box the picture of the shown library record is fitted into.
constexpr int kRecordPreviewSide = 40;

QImage ToImage(const ocr::Picture& picture) {
  QImage image(std::max(1, picture.Width()), std::max(1, picture.Height()), QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const ocr::Colour colour = picture.Pixel(x, y);
      image.setPixel(x, y,
                     qRgb(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                          static_cast<int>((colour >> 16) & 0xFF)));
    }
  }
  return image;
}

QSizePolicy KeptWhenHidden(QSizePolicy policy) {
  policy.setRetainSizeWhenHidden(true);
  return policy;
}

QPushButton* NewButton(QWidget* parent, const char* name, const char* gbk_caption) {
  auto* button = new QPushButton(ToQString(gbk_caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TeachingPanel::TeachingPanel(FloatingPanel* panel, app::Application& app,
                             ports::MessagePort& messages)
    : QObject(panel), panel_(panel), app_(app), messages_(messages) {
  BuildControls();
}

TeachingPanel::~TeachingPanel() {
  if (session_ != nullptr && session_->IsOpen()) {
    session_->Abort();
  }
  if (loop_ != nullptr) {
    loop_->quit();
  }
}

int TeachingPanel::GlyphZoom(int width, int height) {
  // About 64 screen pixels for the glyph's larger side, never below 1 nor above 6.
  const int side = std::max({width, height, 1});
  return std::clamp(64 / side, 1, 6);
}

void TeachingPanel::BuildControls() {
  QWidget* parent = panel_;
  // The panel's title takes its language text under the name the layout data gives it.
  panel_->TitleLabel()->setObjectName(QStringLiteral("Label2"));

  Panel4 = new QFrame(parent);
  Panel4->setObjectName(QStringLiteral("Panel4"));
  Label1 = new QLabel(ToQString("\xCA\xE4\xC8\xEB\xD3\xD2\xB1\xDF\xCD\xBC\xC6\xAC\xB6\xD4\xD3\xA6"
                                "\xB5\xC4\xCE\xC4\xD7\xD6" /* 输入右边图片对应的文字 */),
                      Panel4);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setWordWrap(true);
  Edit1 = new QLineEdit(Panel4);
  Edit1->setObjectName(QStringLiteral("Edit1"));
  QFont big = Edit1->font();
  big.setPixelSize(22);
  big.setBold(true);
  Edit1->setFont(big);
  Edit1->installEventFilter(this);
  Panel5 = new QFrame(Panel4);
  Panel5->setObjectName(QStringLiteral("Panel5"));
  Panel5->setAutoFillBackground(true);
  Image2 = new QLabel(Panel5);
  Image2->setObjectName(QStringLiteral("Image2"));
  Image2->setAlignment(Qt::AlignCenter);
  Panel5->setFixedSize(kGlyphFrameSide, kGlyphFrameSide);
  auto* frame_layout = new QVBoxLayout(Panel5);
  frame_layout->setContentsMargins(4, 4, 4, 4);
  frame_layout->addWidget(Image2);
  auto* entry = new QVBoxLayout();
  entry->addWidget(Label1);
  entry->addWidget(Edit1);
  auto* inner = new QHBoxLayout(Panel4);
  inner->setContentsMargins(4, 4, 4, 4);
  inner->addLayout(entry, 1);
  inner->addWidget(Panel5);

  Label3 = new QLabel(parent);
  Label3->setObjectName(QStringLiteral("Label3"));
  // A long text so far is cut at the panel's edge (the strip shows it whole) and an empty one
  // keeps its line: neither changes the panel's size.
  Label3->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  Label3->setMinimumHeight(Label3->fontMetrics().height());
  Button1 = NewButton(parent, "Button1", "\xB1\xA3\xB4\xE6(S&Ave)" /* 保存(S&Ave) */);
  Button2 = NewButton(parent, "Button2", "\xC0\xA9\xD5\xB9(&Expand)" /* 扩展(&Expand) */);
  Button3 =
      NewButton(parent, "Button3", "\xC8\xA1\xCF\xFB\xC0\xA9\xD5\xB9(Un&Do)" /* 取消扩展(Un&Do) */);
  Button4 = NewButton(parent, "Button4", "\xCC\xF8\xB9\xFD(&Skip)" /* 跳过(&Skip) */);
  Button5 =
      NewButton(parent, "Button5", "\xD6\xD0\xD6\xB9\xCA\xB6\xB1\xF0(Sto&P)" /* 中止识别(Sto&P) */);
  // Two rows, so that the captions with their mnemonics fit in every language.
  auto* buttons = new QGridLayout();
  QPushButton* placed[] = {Button1, Button2, Button3, Button4, Button5};
  for (int i = 0; i < 5; ++i) {
    buttons->addWidget(placed[i], i / 3, i % 3);
  }

  Label18 = new QLabel(parent);
  Label18->setObjectName(QStringLiteral("Label18"));
  Edit6 = new QLineEdit(parent);
  Edit6->setObjectName(QStringLiteral("Edit6"));
  Edit6->setMaximumWidth(70);
  RecordNumberEdit = new QLineEdit(parent);
  RecordNumberEdit->setObjectName(QStringLiteral("RecordNumberEdit"));
  RecordNumberEdit->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,7}")), parent));
  RecordNumberEdit->setMaximumWidth(64);
  Image4 = new QLabel(parent);
  Image4->setObjectName(QStringLiteral("Image4"));
  Image4->setFixedSize(kRecordPreviewSide, kRecordPreviewSide);
  Image4->setAlignment(Qt::AlignCenter);
  Button20 = NewButton(parent, "Button20", "\xC7\xB0\xD2\xBB\xB8\xF6\xD7\xD6" /* 前一个字 */);
  Button21 = NewButton(parent, "Button21", "\xBA\xF3\xD2\xBB\xB8\xF6\xD7\xD6" /* 后一个字 */);
  auto* record = new QHBoxLayout();
  record->addWidget(Label18);
  record->addWidget(RecordNumberEdit);
  record->addWidget(Edit6);
  record->addWidget(Image4);
  record->addStretch(1);
  // The paging buttons get a row of their own, so that their captions fit in every language.
  auto* paging = new QHBoxLayout();
  paging->addStretch(1);
  paging->addWidget(Button20);
  paging->addWidget(Button21);

  // Suggestions (Alt+1 .. Alt+6) and the punctuation marks, each a row under the entry.
  SuggestionsLabel = new QLabel(parent);
  SuggestionsLabel->setObjectName(QStringLiteral("SuggestionsLabel"));
  // Three to a row; hidden ones keep their room, so that the panel's size does not follow the
  // number of suggestions.
  auto* suggestion_row = new QGridLayout();
  suggestion_row->addWidget(SuggestionsLabel, 0, 0, 2, 1, Qt::AlignTop);
  SuggestionsLabel->setSizePolicy(KeptWhenHidden(SuggestionsLabel->sizePolicy()));
  for (int i = 0; i < ocr::kMaxSuggestions; ++i) {
    const std::string name = "SuggestionButton" + std::to_string(i + 1);
    QPushButton* button = NewButton(parent, name.c_str(), "");
    button->setSizePolicy(KeptWhenHidden(button->sizePolicy()));
    button->hide();
    SuggestionButtons.push_back(button);
    suggestion_row->addWidget(button, i / 3, 1 + i % 3);
    connect(button, &QPushButton::clicked, this, [this, i] { SuggestionClick(i); });
  }
  suggestion_row->setColumnStretch(4, 1);
  auto* punctuation_row = new QHBoxLayout();
  punctuation_row->setSpacing(1);
  const std::vector<std::string>& marks = ocr::TeachingPunctuation();
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const std::string name = "PunctuationButton" + std::to_string(i + 1);
    QPushButton* button = NewButton(parent, name.c_str(), marks[i].c_str());
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(button->text()) + 10);
    button->setFocusPolicy(Qt::NoFocus);
    PunctuationButtons.push_back(button);
    punctuation_row->addWidget(button);
    connect(button, &QPushButton::clicked, this,
            [this, i] { PunctuationClick(static_cast<int>(i)); });
  }
  punctuation_row->addStretch(1);

  panel_->Body()->addWidget(Panel4);
  panel_->Body()->addLayout(suggestion_row);
  panel_->Body()->addLayout(punctuation_row);
  panel_->Body()->addWidget(Label3);
  panel_->Body()->addLayout(buttons);
  panel_->Body()->addLayout(record);
  panel_->Body()->addLayout(paging);
  panel_->AddDragHandle(Label3);

  connect(Button1, &QPushButton::clicked, this, &TeachingPanel::Button1Click);
  connect(Edit1, &QLineEdit::returnPressed, this, &TeachingPanel::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TeachingPanel::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &TeachingPanel::Button3Click);
  connect(Button4, &QPushButton::clicked, this, &TeachingPanel::Button4Click);
  connect(Button5, &QPushButton::clicked, this, &TeachingPanel::Button5Click);
  connect(Button20, &QPushButton::clicked, this, &TeachingPanel::Button20Click);
  connect(Button21, &QPushButton::clicked, this, &TeachingPanel::Button21Click);
  connect(RecordNumberEdit, &QLineEdit::returnPressed, this, &TeachingPanel::RecordNumberEntered);
  connect(Edit1, &QLineEdit::textEdited, this, &TeachingPanel::Edit1Edited);
}

void TeachingPanel::Teach(ocr::TeachingSession& session) {
  session_ = &session;
  Edit1->clear();
  Button21->setEnabled(false);
  ShowRecord();
  ShowGlyphBox();
  ShowSuggestions();
  ApplySizeRule();
  Label3->setText(ToQString(session.PictureTextSoFar()));
  panel_->show();
  panel_->raise();
  Edit1->setFocus();
  emit BoxShown();
  QEventLoop loop;
  loop_ = &loop;
  // Announced from inside the loop, so that whoever answers does so while the run waits.
  QTimer::singleShot(0, this, [this] {
    if (session_ != nullptr) {
      emit QuestionShown();
    }
  });
  loop.exec();
  loop_ = nullptr;
  session_ = nullptr;
  panel_->hide();
  emit QuestionClosed();
}

void TeachingPanel::AfterAction() {
  if (session_ == nullptr) {
    return;
  }
  if (!session_->IsOpen()) {
    Edit1->clear();
    panel_->hide();
    if (loop_ != nullptr) {
      loop_->quit();
    }
    return;
  }
  ShowGlyphBox();
  ShowSuggestions();
  ApplySizeRule();
  Edit1->setFocus();
  emit BoxShown();
}

void TeachingPanel::ShowSuggestions() {
  const std::vector<ocr::Suggestion>& suggestions = session_->Suggestions();
  SuggestionsLabel->setVisible(!suggestions.empty());
  for (std::size_t i = 0; i < SuggestionButtons.size(); ++i) {
    QPushButton* button = SuggestionButtons[i];
    if (i >= suggestions.size()) {
      button->hide();
      continue;
    }
    const ocr::Suggestion& suggestion = suggestions[i];
    const int source =
        suggestion.source == ocr::SuggestionSource::kReference  ? app::msg::kSourceReference
        : suggestion.source == ocr::SuggestionSource::kOcrGuess ? app::msg::kSourceOcr
                                                                : app::msg::kSourceLibrary;
    // "&k" makes Alt+k the button's shortcut; the source is named small after the text.
    button->setText(QStringLiteral("&%1 ").arg(i + 1) + ToQString(suggestion.text) +
                    QStringLiteral(" \u00B7 ") + ToQString(app_.Messages().Message(source)));
    button->show();
  }
}

void TeachingPanel::SaveText(const std::string& gbk_text, int suggestion) {
  text::Result<std::string> record_text = ToGbk(Edit6->text());
  if (!record_text.ok()) {
    messages_.Inform(ports::Severity::kWarning, record_text.error().message);
    Edit1->setFocus();
    return;
  }
  session_->SetShownText(record_text.value());
  const text::Status saved =
      suggestion >= 0 ? session_->Accept(suggestion) : session_->Save(gbk_text);
  if (!saved.ok()) {
    messages_.Inform(ports::Severity::kError, saved.error().message);
  }
  AfterAction();
}

void TeachingPanel::SuggestionClick(int index) {
  if (session_ != nullptr) {
    SaveText({}, index);
  }
}

void TeachingPanel::PunctuationClick(int index) {
  const std::vector<std::string>& marks = ocr::TeachingPunctuation();
  if (session_ != nullptr && index >= 0 && index < static_cast<int>(marks.size())) {
    SaveText(marks[static_cast<std::size_t>(index)], -1);
  }
}

void TeachingPanel::ShowGlyphBox() {
  QPalette palette = Panel5->palette();
  palette.setColor(QPalette::Window,
                   QColor::fromRgb(session_->EndsAtForcedCut() ? kForcedCutFrame : kPlainFrame));
  Panel5->setPalette(palette);
  // The box's columns over the whole line band, so that the glyph's height in its line shows.
  const std::unique_ptr<ocr::Picture> band = session_->BandPicture();
  if (band == nullptr) {
    Image2->clear();
    return;
  }
  const QImage image = ToImage(*band);
  const ocr::GlyphBox& box = session_->Box();
  // The zoom suits the glyph itself, as far as the frame allows; a band too big for the frame
  // even at 1:1 is scaled down to fit.
  int zoom = GlyphZoom(box.width, box.height);
  while (zoom > 1 && (image.height() * zoom > kGlyphRoom || image.width() * zoom > kGlyphRoom)) {
    --zoom;
  }
  // Whole-pixel zoom without smoothing keeps every pixel of the glyph a crisp square.
  QPixmap shown = QPixmap::fromImage(image.scaled(image.width() * zoom, image.height() * zoom,
                                                  Qt::IgnoreAspectRatio, Qt::FastTransformation));
  if (shown.width() > kGlyphRoom || shown.height() > kGlyphRoom) {
    shown = shown.scaled(kGlyphRoom, kGlyphRoom, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  const double scale = static_cast<double>(shown.height()) / image.height();
  // The box's own rows inside the band, outlined in the strip's frame colour.
  const int top = std::max(0, box.top - session_->LineTop());
  QPainter painter(&shown);
  painter.setPen(QPen(QColor::fromRgb(kBoxMarkColour), 1, Qt::DotLine));
  painter.drawRect(0, static_cast<int>(top * scale), shown.width() - 1,
                   std::max(1, static_cast<int>(box.height * scale)) - 1);
  painter.end();
  Image2->setPixmap(shown);
}

void TeachingPanel::ApplySizeRule() {
  // Every suggestion button is at least as wide as a two-character suggestion of the source with
  // the longest name, so that the usual suggestions never widen the panel.
  int widest = 0;
  QPushButton* sample = SuggestionButtons.front();
  const QString sample_text = sample->text();
  for (int source : {app::msg::kSourceReference, app::msg::kSourceOcr, app::msg::kSourceLibrary}) {
    sample->setText(QStringLiteral("&6 \u56FD\u56FD \u00B7 ") +
                    ToQString(app_.Messages().Message(source)));
    widest = std::max(widest, sample->sizeHint().width());
  }
  sample->setText(sample_text);
  for (QPushButton* button : SuggestionButtons) {
    button->setMinimumWidth(widest);
  }
  // The panel keeps its place and size from question to question, so that its buttons stay
  // where they were: it only grows, when a question needs more room than any before it.
  const ocr::TeachingPanelSizes sizes = ocr::TeachingPanelSizesFor(0);
  const QSize wanted = panel_->sizeHint().expandedTo(QSize(sizes.panel, 0));
  const QSize kept = panel_->size().expandedTo(wanted);
  if (kept != panel_->size()) {
    panel_->resize(kept);
  }
}

void TeachingPanel::ShowRecord() {
  const int number = session_->ShownNumber();
  Edit6->setText(ToQString(session_->ShownText()));
  if (number == 0) {
    Label18->setText(ToQString(app_.Messages().Message(kMessageEmptyLibrary)));
  } else {
    Label18->setText(ToQString(app_.Messages().Message(kMessageRecordNumber)) +
                     QString::number(number));
  }
  RecordNumberEdit->setPlaceholderText(number > 0 ? QString::number(number) : QString());
  Button20->setEnabled(session_->CanShowPrevious());
  Button21->setEnabled(session_->CanShowNext());
  std::error_code error;
  const std::filesystem::path picture = session_->ShownPicturePath();
  QPixmap pixmap;
  if (number > 0 && std::filesystem::exists(picture, error) &&
      pixmap.load(PathToQString(picture))) {
    if (pixmap.width() > kRecordPreviewSide || pixmap.height() > kRecordPreviewSide) {
      pixmap = pixmap.scaled(kRecordPreviewSide, kRecordPreviewSide, Qt::KeepAspectRatio,
                             Qt::SmoothTransformation);
    }
    Image4->setPixmap(pixmap);
    Image4->show();
  } else {
    Image4->clear();
    Image4->setVisible(number == 0);
  }
}

void TeachingPanel::Button1Click() {
  if (session_ == nullptr) {
    return;
  }
  if (Edit1->text().isEmpty()) {
    Edit1->setFocus();
    return;
  }
  text::Result<std::string> glyph_text = ToGbk(Edit1->text());
  text::Result<std::string> record_text = ToGbk(Edit6->text());
  if (!glyph_text.ok() || !record_text.ok()) {
    messages_.Inform(ports::Severity::kWarning,
                     (!glyph_text.ok() ? glyph_text : record_text).error().message);
    Edit1->setFocus();
    return;
  }
  session_->SetShownText(record_text.value());
  const text::Status saved = session_->Save(glyph_text.value());
  if (!saved.ok()) {
    messages_.Inform(ports::Severity::kError, saved.error().message);
  }
  AfterAction();
}

void TeachingPanel::Button2Click() {
  if (session_ != nullptr) {
    session_->Expand();
    AfterAction();
  }
}

void TeachingPanel::Button3Click() {
  if (session_ != nullptr) {
    session_->Undo();
    AfterAction();
  }
}

void TeachingPanel::Button4Click() {
  if (session_ != nullptr) {
    session_->Skip();
    AfterAction();
  }
}

void TeachingPanel::Button5Click() {
  if (session_ != nullptr) {
    session_->Abort();
    AfterAction();
  }
}

void TeachingPanel::Button20Click() {
  if (session_ != nullptr) {
    session_->ShowPreviousRecord();
    ShowRecord();
  }
}

void TeachingPanel::Button21Click() {
  if (session_ != nullptr) {
    session_->ShowNextRecord();
    ShowRecord();
  }
}

void TeachingPanel::RecordNumberEntered() {
  if (session_ == nullptr) {
    return;
  }
  // The record asked for is shown; a number the library does not hold is named in the status.
  if (session_->ShowRecordNumber(RecordNumberEdit->text().toInt())) {
    RecordNumberEdit->clear();
    ShowRecord();
    return;
  }
  app_.ShowStatus([this, records = session_->RecordCount()] {
    const app::MessageTable& messages = app_.Messages();
    return messages.Message(app::msg::kRecordMissingPrefix) + std::to_string(records) +
           messages.Message(app::msg::kRecordMissingSuffix);
  });
  RecordNumberEdit->selectAll();
}

void TeachingPanel::Edit1Edited() {
  // Every key re-matches the box, so the features saved always describe the box on screen.
  if (session_ != nullptr) {
    session_->KeyTyped();
    AfterAction();
  }
}

bool TeachingPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched != Edit1 || event->type() != QEvent::KeyPress || session_ == nullptr) {
    return QObject::eventFilter(watched, event);
  }
  const auto* key = static_cast<QKeyEvent*>(event);
  const bool left = key->key() == Qt::Key_Left;
  const bool right = key->key() == Qt::Key_Right;
  if (!left && !right) {
    return QObject::eventFilter(watched, event);
  }
  // The box keys: Ctrl+Left and Ctrl+Right move the box one column that way, Shift+Left and
  // Shift+Right make it one column narrower or wider. A box that cannot go on says why.
  const ocr::GlyphBox before = session_->Box();
  int limit = 0;
  if (key->modifiers() & Qt::ControlModifier) {
    if (left) {
      session_->MoveBoxLeft();
      limit = app::msg::kBoxAtLeftEnd;
    } else {
      session_->MoveBoxRight();
      limit = app::msg::kBoxAtRightEnd;
    }
  } else if (key->modifiers() & Qt::ShiftModifier) {
    if (left) {
      session_->NarrowBox();
      limit = app::msg::kBoxAtNarrowest;
    } else {
      session_->WidenBox();
      limit = app::msg::kBoxAtWidest;
    }
  } else {
    return QObject::eventFilter(watched, event);
  }
  const ocr::GlyphBox& after = session_->Box();
  if (session_->IsOpen() && after.left == before.left && after.width == before.width) {
    app_.ShowStatus([this, limit] { return app_.Messages().Message(limit); });
  }
  AfterAction();
  return true;
}

}  // namespace ui

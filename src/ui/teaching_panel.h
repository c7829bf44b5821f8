// TeachingPanel: the controls of the floating panel that asks the user about an unknown glyph,
// answering the engine's teaching session while the run waits in a nested event loop.
#pragma once

#include <QColor>
#include <QObject>
#include <vector>

#include "app/application.h"
#include "ocr/teaching.h"

class QEventLoop;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {

class FloatingPanel;

class TeachingPanel : public QObject, public ocr::Teacher {
  Q_OBJECT

 public:
  // Fills `panel` (Panel3) with its controls. `app` and `messages` must outlive the panel.
  TeachingPanel(FloatingPanel* panel, app::Application& app, ports::MessagePort& messages);
  ~TeachingPanel() override;

  // Shows the question and waits, letting events run, until an answer closes the session. A
  // panel destroyed while waiting aborts the session.
  void Teach(ocr::TeachingSession& session) override;
  // True while a question is on screen and not yet answered.
  bool QuestionOpen() const {
    return session_ != nullptr && session_->IsOpen();
  }
  // The open question's session, null while none is open.
  const ocr::TeachingSession* Session() const {
    return QuestionOpen() ? session_ : nullptr;
  }
  // The colour that marks the asked box: its frame on the picture strip and its rows in the
  // enlarged band. Orange stands out on black ink and on white or coloured backgrounds alike.
  static constexpr QRgb kBoxMarkColour = 0xFFFF8000;

  // The zoom the glyph picture is shown with: whole pixels, so a 20-pixel glyph reads well.
  static int GlyphZoom(int width, int height);

  // fixed names: tests look them up by objectName; do not rename.
  QLabel* Label1 = nullptr;        // prompt beside the entry box
  QLineEdit* Edit1 = nullptr;      // the glyph's text; Enter saves
  QFrame* Panel4 = nullptr;        // inner panel holding the entry box and the glyph frame
  QFrame* Panel5 = nullptr;        // glyph frame, grey after a forced cut, silver otherwise
  QLabel* Image2 = nullptr;        // the glyph picture, enlarged without smoothing
  QLabel* Label3 = nullptr;        // the picture's text recognised so far
  QPushButton* Button1 = nullptr;  // save
  QPushButton* Button2 = nullptr;  // expand by the next segment
  QPushButton* Button3 = nullptr;  // undo the last expansion
  QPushButton* Button4 = nullptr;  // skip the glyph
  QPushButton* Button5 = nullptr;  // abort the run
  QLineEdit* Edit6 = nullptr;      // text of the shown library record, editable to correct it
  QLabel* Label18 = nullptr;       // "number:" and the shown record's number
  QLineEdit* RecordNumberEdit = nullptr;  // a record number to show; Enter shows it
  QLabel* Image4 = nullptr;               // picture of the shown record
  QPushButton* Button20 = nullptr;        // previous record
  QPushButton* Button21 = nullptr;        // next record
  QLabel* SuggestionsLabel = nullptr;     // before the suggestion buttons
  // Suggestion k (1..6), accepted by a click or Alt+k; hidden when there are fewer.
  std::vector<QPushButton*> SuggestionButtons;
  // One full-width punctuation mark each: a click saves the glyph as that mark.
  std::vector<QPushButton*> PunctuationButtons;

 signals:
  // The question is on screen and waiting for an answer (emitted inside the waiting loop).
  void QuestionShown();
  // The box of the open question was shown or changed (emitted at once, before waiting), and
  // the question was answered and the panel hidden.
  void BoxShown();
  void QuestionClosed();

 private slots:
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button20Click();
  void Button21Click();
  void RecordNumberEntered();
  void Edit1Edited();
  void SuggestionClick(int index);
  void PunctuationClick(int index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  // After an action: closes the wait when the session has closed, else shows the new state.
  void AfterAction();
  void ShowGlyphBox();
  void ShowRecord();
  void ApplySizeRule();
  void ShowSuggestions();
  void SaveText(const std::string& gbk_text, int suggestion);

  FloatingPanel* panel_;
  app::Application& app_;
  ports::MessagePort& messages_;
  ocr::TeachingSession* session_ = nullptr;
  QEventLoop* loop_ = nullptr;
};

}  // namespace ui

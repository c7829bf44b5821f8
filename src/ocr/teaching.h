// Teaching unknown glyphs: the session a Teacher (the window's panel, a script) answers through.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "ocr/picture.h"
#include "ocr/segmentation.h"
#include "ocr/suggestions.h"
#include "text/result.h"

namespace ocr {

class Recogniser;

// Widths of the teaching panel, its inner panel and the glyph frame for a box width.
struct TeachingPanelSizes {
  int panel = 0;
  int inner = 0;
  int frame = 0;
};
TeachingPanelSizes TeachingPanelSizesFor(int box_width);

// The state of one unknown glyph while its question is open. Created by the recogniser when no
// span starting at the current segment is known; every action but the paging ones and Save's
// refusals may close it. After it closes the walk goes on (or ends, after Abort).
class TeachingSession {
 public:
  explicit TeachingSession(Recogniser& recogniser);

  bool IsOpen() const {
    return open_;
  }
  // True once Abort was chosen.
  bool Aborted() const {
    return aborted_;
  }

  // The box shown, in grid coordinates, and its picture (the grid's own colours).
  const GlyphBox& Box() const;
  std::unique_ptr<Picture> GlyphPicture() const;
  // The band of the text line the box lies in: grid rows LineTop() .. LineTop() + LineHeight() - 1.
  int LineTop() const;
  int LineHeight() const;
  // The box in the coordinates of the subtitle picture as loaded (the grid is the picture below
  // its trimmed top rows), for marking it on the picture shown to the user.
  GlyphBox BoxInPicture() const;
  // The box's columns over the whole line band, in the grid's own colours: the glyph seen at its
  // height in the line, so that a full stop on the baseline and a middle dot, or a comma and an
  // apostrophe, can be told apart. Width and height at least 1.
  std::unique_ptr<Picture> BandPicture() const;
  // True when the box ends at a forced cut of a wide run (the frame is drawn darker).
  bool EndsAtForcedCut() const;
  // The text recognised so far in the current picture.
  const std::string& PictureTextSoFar() const;
  // The current line's segments, the box's last segment and the segment where the question
  // began; the standard glyph width S_G.
  const std::vector<Segment>& Segments() const;
  int CurrentSegment() const;
  int StartSegment() const {
    return start_;
  }
  int GlyphWidth() const;

  // Saves the glyph as `text` (GBK). The box is re-matched first, as every key typed into the
  // entry box does, so the stored features describe the box shown; if the library already knows
  // it, the session closes with that glyph and nothing is added. An empty text, or a box
  // without ink, does nothing (the session stays open). When the shown record's text was edited
  // (SetShownText) it is corrected first; if that record was taught since the taught-row list
  // was last emptied, the run is sent back to its row. The picture is written to the library's
  // picture folder. Errors: the library's "io" when the glyph could not be added (the session
  // stays open), or the picture's "io" (the glyph is taught and the session closed).
  text::Status Save(const std::string& text);
  // The suggestions for the box shown, nearest first (at most kMaxSuggestions): the library's
  // nearest shapes while the suggestions option is on, after those that SetSourceSuggestions
  // gave and the recogniser's guesser's reading while the OCR guess option is on. Recomputed
  // after every box change; the guesser is asked again only when the box itself changed.
  const std::vector<Suggestion>& Suggestions() const {
    return suggestions_;
  }
  // Suggestions of other sources (the reference subtitle, an OCR guess), merged in front of the
  // library's.
  void SetSourceSuggestions(std::vector<Suggestion> reference, std::vector<Suggestion> ocr_guess);
  // Saves the glyph as suggestion `index` (0-based) says, as Save does; counted as accepted, not
  // typed. An index outside the list does nothing.
  text::Status Accept(int index);
  // Adds the next segment to the box / takes the last added one off again (never below the
  // segment where the question opened), then re-matches.
  void Expand();
  void Undo();
  // Leaves the glyph out of the text: it gives the engine's skip placeholder ("" for nothing).
  void Skip();
  // Ends the run; the current picture's text is dropped.
  void Abort();
  // A key typed into the entry box: re-matches the unchanged box.
  void KeyTyped();
  // The box keys: move the box one column left or right (width kept), make it one column
  // narrower or wider. Each re-matches the box unless it could not change.
  void MoveBoxLeft();
  void MoveBoxRight();
  void NarrowBox();
  void WidenBox();
  // Sets the box to columns left .. left + width - 1 of the line, clamped to the line's segments
  // from the question's first one, then re-matches. A width below 1 does nothing.
  void SetBox(int left, int width);

  // The library record shown beside the question: its 1-based number (0 when the library is
  // empty), its text as edited, and the path of its picture.
  int ShownNumber() const {
    return shown_number_;
  }
  const std::string& ShownText() const {
    return shown_text_;
  }
  void SetShownText(std::string text) {
    shown_text_ = std::move(text);
  }
  std::filesystem::path ShownPicturePath() const;
  bool CanShowPrevious() const {
    return previous_enabled_;
  }
  bool CanShowNext() const {
    return next_enabled_;
  }
  void ShowPreviousRecord();
  void ShowNextRecord();
  // Shows record `number` (1-based); false, and the shown record kept, when the library has no
  // record of that number.
  bool ShowRecordNumber(int number);
  // The number of records in the library (the highest record number).
  int RecordCount() const;

 private:
  void Close();
  void CloseIfMatched();
  text::Status SaveText(const std::string& text);
  void UpdateSuggestions();
  const std::string& GuessedText();
  void ResetBoxRows();
  void LoadShownRecord();

  Recogniser& recogniser_;
  bool open_ = true;
  bool aborted_ = false;
  int start_ = 0;  // segment at which the question opened
  int shown_number_ = 0;
  int shown_position_ = 0;  // 1-based place of the shown record in the taught-row list
  std::string shown_text_;
  bool previous_enabled_ = false;
  bool next_enabled_ = false;
  std::vector<Suggestion> reference_suggestions_;
  std::vector<Suggestion> ocr_suggestions_;
  std::vector<Suggestion> suggestions_;
  // The guesser's reading of the area guessed_area_ (box columns over the line band).
  bool guessed_ = false;
  GlyphBox guessed_area_;
  std::string guess_;
};

// Answers unknown glyphs. Teach is called with an open session and answers through its actions;
// returning while the session is still open counts as Abort.
class Teacher {
 public:
  virtual ~Teacher() = default;
  virtual void Teach(TeachingSession& session) = 0;
};

}  // namespace ocr

// Recogniser: the engine's state for one prepared picture (grid, text lines, segments, glyph
// box) and the walk that turns it into text, asking a Teacher about unknown glyphs.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "library/glyph_library.h"
#include "ocr/features.h"
#include "ocr/glyph_guess.h"
#include "ocr/picture.h"
#include "ocr/pixel_grid.h"
#include "ocr/reference_reading.h"
#include "ocr/segmentation.h"
#include "ocr/suggestions.h"
#include "ports/host_ports.h"
#include "text/result.h"

namespace ocr {

class Teacher;
class TeachingSession;

// One recognised glyph as row analysis lists it: its text and its 1-based library number
// (0 for a skipped glyph).
struct GlyphDetail {
  std::string text;
  int number = 0;
};

// A glyph the walk taught from the reference subtitle without asking.
struct AutomaticTeaching {
  int row = 0;           // main-grid row of the picture it was read from
  std::string text;      // GBK, the reference's character
  int number = 0;        // 1-based library record number (kept current by ForgetRecords)
  std::string features;  // the record's FeatureLine, to tell it from a record that replaced it
  std::shared_ptr<const Picture> glyph;  // the glyph's box in the picture's own colours
};

// What the walk over pictures has done since the counters were last reset.
struct GlyphCounts {
  int matched = 0;        // glyphs found in the library, by the walk or after a box change
  int taught = 0;         // glyphs saved through the teaching session
  int skipped = 0;        // glyphs skipped in the teaching session
  long long lookups = 0;  // candidate boxes looked up in the library
  int questions = 0;      // teaching sessions opened
  int typed = 0;          // glyphs saved with a text the teacher typed
  int accepted = 0;       // glyphs saved by accepting a suggestion
  int automatic = 0;      // glyphs taught without a question (from the reference subtitle)

  // The counts of `later` minus those of `earlier`.
  static GlyphCounts Difference(const GlyphCounts& later, const GlyphCounts& earlier);
};

// The text that separates the lines of one subtitle inside a cell.
inline constexpr char kLineBreak[] = "\\N";

class Recogniser {
 public:
  // `library` and `pictures` must outlive the recogniser; teaching adds records to the library
  // and writes glyph pictures through `pictures`.
  Recogniser(library::GlyphLibrary& library, PictureIo& pictures);
  ~Recogniser();
  Recogniser(const Recogniser&) = delete;
  Recogniser& operator=(const Recogniser&) = delete;

  EngineOptions& Options() {
    return options_;
  }
  const EngineOptions& Options() const {
    return options_;
  }
  library::GlyphLibrary& Library() {
    return library_;
  }
  PictureIo& Pictures() {
    return pictures_;
  }

  // The engine whose guess the teaching question offers while the OCR guess option is on; null
  // for none. Not owned: it must outlive its use here (the host sets it for a run).
  void SetGuesser(GlyphGuesser* guesser) {
    guesser_ = guesser;
  }
  GlyphGuesser* Guesser() const {
    return guesser_;
  }

  // Trims `picture` into the grid and finds its text lines. Error "size" as PixelGrid::Prepare
  // (the previous picture then stays prepared). Resets the picture text.
  text::Status Prepare(const Picture& picture);
  // The same for a picture the recogniser takes over (PixelGrid::Prepare): on success `picture`
  // holds the previously prepared picture (or null), ready to be loaded into again.
  text::Status Prepare(std::unique_ptr<Picture>& picture);
  // Storage for the next picture that LoadSubtitlePicture loads (null until the first).
  std::unique_ptr<Picture>& SparePicture() {
    return spare_picture_;
  }
  const PixelGrid& Grid() const {
    return grid_;
  }
  const std::vector<TextLine>& Lines() const {
    return lines_;
  }

  // Recognises every text line of the prepared picture into PictureText(), joining lines that
  // gave text with "\N". Lets events run before each line and each glyph; a stop requested
  // through `pump` ends the walk after the glyph in hand. Unknown glyphs go to `teacher`.
  // Returns false when stopped or aborted (the picture's text is then incomplete).
  bool RecognisePicture(Teacher& teacher, ports::EventPump& pump);
  const std::string& PictureText() const {
    return picture_text_;
  }

  // Looks the current glyph box up: true when found (GlyphText(), MatchedNumber() set, dash
  // rule applied); otherwise UnknownFeatures() and UnknownKey() describe the box. A box
  // without ink is never found. Expects FitBox() to have run on the current box.
  bool MatchGlyph();
  // Shrinks the current box to its inked rows (FitBoxHeight) and remembers whether it has ink.
  void FitBox();
  GlyphBox& Box() {
    return box_;
  }
  const GlyphBox& Box() const {
    return box_;
  }
  const std::string& GlyphText() const {
    return glyph_text_;
  }
  int MatchedNumber() const {
    return matched_number_;
  }
  const std::string& UnknownFeatures() const {
    return unknown_features_;
  }
  int UnknownKey() const {
    return unknown_key_;
  }

  // The segments of the current line and the index of the segment being matched.
  const std::vector<Segment>& Segments() const {
    return segments_;
  }
  int CurrentSegment() const {
    return cur_;
  }

  // The main-grid row being recognised (taught glyphs are listed with it).
  void SetCurrentRow(int row) {
    current_row_ = row;
  }
  int CurrentRow() const {
    return current_row_;
  }
  // Rows (main-grid numbers) of the glyphs taught since ClearTaughtRows, in teaching order.
  const std::vector<int>& TaughtRows() const {
    return taught_rows_;
  }
  // Empties the taught-row list and the automatic teachings, as opening a picture subtitle does.
  void ClearTaughtRows() {
    taught_rows_.clear();
    automatic_.clear();
  }
  // Set when a correction of an earlier taught glyph asks the run to go back to RestartRow().
  bool RestartRequested() const {
    return restart_from_taught_row_;
  }
  int RestartRow() const {
    return restart_row_;
  }
  void ClearRestart() {
    restart_from_taught_row_ = false;
  }

  // The reference subtitle the run pairs its rows with (a table with text, start and end
  // columns; it must outlive its use), or null for none. Used only while the reference_teaching
  // option is on.
  void SetReferenceTable(const document::RowTable* table) {
    reference_table_ = table;
  }
  const document::RowTable* ReferenceTable() const {
    return reference_table_;
  }
  // The reference text (GBK, lines joined with "\N") of the picture prepared last; emptied by
  // Prepare. While it is not empty and the option is on, an unknown glyph whose line the
  // reference reads in exactly one way is taught without a question (an exact shape of the
  // box, through the library's AddGlyph, listed in AutomaticTeachings()); otherwise the question
  // carries the reference's characters for this place as its first suggestions. The reference
  // is read line by line when it has as many lines as the picture, else only suggested from.
  void SetReferenceText(std::string text) {
    reference_text_ = std::move(text);
  }
  // The glyphs taught from the reference since ClearTaughtRows, in teaching order.
  const std::vector<AutomaticTeaching>& AutomaticTeachings() const {
    return automatic_;
  }
  // After the library records `numbers` (1-based) were deleted from a library that held
  // `old_count` records: drops them from the automatic teachings and the taught-row list and
  // renumbers the automatic teachings above them.
  void ForgetRecords(const std::set<int>& numbers, int old_count);

  // Collecting: while on, a glyph the reference reads for certain is not taught but asked like
  // any other, with that reading as its only reference suggestion and ReferenceCertain() true
  // while its question is open (when the reading covers exactly the question's box). Nothing of
  // the walk changes while off (the default).
  void SetCollecting(bool on) {
    collecting_ = on;
  }
  bool Collecting() const {
    return collecting_;
  }
  bool ReferenceCertain() const {
    return reference_certain_;
  }
  // The 0-based index of the text line being walked in the prepared picture, and its band.
  int CurrentLine() const {
    return line_index_;
  }
  int LineTop() const {
    return line_top_;
  }
  int LineHeight() const {
    return line_height_;
  }
  // One glyph of the line walked while collecting: its columns (right exclusive), its text ("" or
  // the skip mark for an unknown one) and whether it was unknown.
  struct WalkedGlyph {
    int left = 0;
    int right = 0;
    std::string text;
    bool unknown = false;
  };
  // While collecting: the glyphs of the current line walked so far, and a call at the end of
  // every line walked (null for none).
  const std::vector<WalkedGlyph>& LineGlyphs() const {
    return line_glyphs_;
  }
  void SetLineEndObserver(std::function<void()> observer) {
    line_end_ = std::move(observer);
  }

  // While on, every glyph of the walk is listed in Details() (row analysis).
  void SetDetailMode(bool on) {
    detail_mode_ = on;
  }
  std::vector<GlyphDetail>& Details() {
    return details_;
  }

  GlyphCounts& Counts() {
    return counts_;
  }
  // Errors that did not stop the walk (a glyph picture that could not be written), in order.
  std::vector<text::Error>& Warnings() {
    return warnings_;
  }

 private:
  friend class TeachingSession;

  void FindLines();
  bool RecogniseLine(Teacher& teacher, ports::EventPump& pump);
  bool RecogniseSpan();
  // The spaces the gap before segment cur_ stands for (0 for the first segment).
  int SpaceCount() const;
  // With the Chinese spaces rule: true when no space goes between `before` and `after`.
  bool SpacesDropped(const std::string& before, const std::string& after) const;
  // When the widest span is unknown: widens the box over the following segments while it stays
  // at most 1.12 × S_G wide and re-matches it. True when the widened box was found (cur_ then
  // points after it); otherwise cur_ is the box's last segment and the unknown features
  // describe it.
  bool FitQuestionBox();
  bool CheckStop(ports::EventPump& pump);
  void ResetBoxRows();
  // With a reference for the current line: teaches the unknown glyph at question_start_ when the
  // reference reads the line in one way (true; the walk goes on after it), else leaves the
  // question as it stands with the reference's candidates in reference_suggestions_ (false).
  bool TeachFromReference();
  // Appends the items of the current line from question_start_ to its end as the walk would
  // find them with the library as it is, without changing anything of the walk.
  void LookAhead(std::vector<LineItem>& items);

  library::GlyphLibrary& library_;
  PictureIo& pictures_;
  GlyphGuesser* guesser_ = nullptr;
  EngineOptions options_;
  PixelGrid grid_;
  std::unique_ptr<Picture> spare_picture_;
  std::vector<TextLine> lines_;
  std::vector<Segment> segments_;
  GlyphBox box_;
  bool box_has_ink_ = false;
  int line_top_ = 0;
  int line_height_ = 0;
  int cur_ = 0;
  int next_left_ = 0;       // left column of the segment after cur, taken before each span search
  int question_start_ = 0;  // segment at which the current question began (Undo's floor)
  int gap_before_ = 0;      // empty columns between the segment being read and the one before
  std::string picture_text_;
  std::string glyph_text_;
  int matched_number_ = 0;
  std::string features_;  // the last computed FeatureLine (reused buffer)
  std::string unknown_features_;
  int unknown_key_ = 0;
  bool stopped_ = false;
  bool continue_run_ = true;
  bool restart_from_taught_row_ = false;
  int restart_row_ = 0;
  int current_row_ = 0;
  std::vector<int> taught_rows_;
  const document::RowTable* reference_table_ = nullptr;
  std::string reference_text_;
  std::vector<std::string> reference_lines_;       // of the picture, when the option is on
  bool reference_lines_match_ = false;             // as many lines as the picture has
  const std::string* line_reference_ = nullptr;    // the current line's, or null
  std::string joined_reference_;                   // every line, when the counts differ
  std::vector<LineItem> line_items_;               // the current line's glyphs before cur_
  std::vector<Suggestion> reference_suggestions_;  // for the question being opened
  std::vector<AutomaticTeaching> automatic_;
  bool collecting_ = false;
  bool reference_certain_ = false;  // the open question's reference reading is certain
  int line_index_ = 0;
  std::vector<WalkedGlyph> line_glyphs_;
  std::function<void()> line_end_;
  bool detail_mode_ = false;
  std::vector<GlyphDetail> details_;
  GlyphCounts counts_;
  std::vector<text::Error> warnings_;
};

}  // namespace ocr

// The teaching session's actions over the recogniser's segment walk.
#include "ocr/teaching.h"

#include <algorithm>
#include <system_error>

#include "ocr/recogniser.h"

namespace ocr {

TeachingPanelSizes TeachingPanelSizesFor(int box_width) {
  if (box_width < 128) {
    return {345, 329, 136};
  }
  return {box_width + 218, box_width + 202, box_width + 9};
}

TeachingSession::TeachingSession(Recogniser& recogniser)
    : recogniser_(recogniser),
      start_(recogniser.question_start_),
      reference_suggestions_(recogniser.reference_suggestions_) {
  const int records = recogniser_.library_.RecordCount();
  if (records > 0) {
    shown_number_ = records;
    shown_position_ = static_cast<int>(recogniser_.taught_rows_.size());
    previous_enabled_ = records > 1;
    LoadShownRecord();
  }
  UpdateSuggestions();
}

void TeachingSession::UpdateSuggestions() {
  if (recogniser_.collecting_) {
    // A collecting run asks the other sources once per shape, after the run.
    suggestions_ = reference_suggestions_;
    return;
  }
  std::vector<Suggestion> shapes;
  if (recogniser_.options_.suggestions && recogniser_.box_has_ink_) {
    shapes = NearestShapes(recogniser_.library_, recogniser_.unknown_features_,
                           recogniser_.unknown_key_, recogniser_.options_.ignore_size);
  }
  std::vector<Suggestion> guesses = ocr_suggestions_;
  if (const std::string& guess = GuessedText(); !guess.empty()) {
    guesses.push_back({guess, SuggestionSource::kOcrGuess, 0, 0});
  }
  suggestions_ = MergeSuggestions(reference_suggestions_, guesses, shapes);
}

const std::string& TeachingSession::GuessedText() {
  const Recogniser& r = recogniser_;
  if (!r.options_.ocr_guess || r.guesser_ == nullptr || !r.box_has_ink_) {
    guess_.clear();
    guessed_ = false;
    return guess_;
  }
  // Every key typed re-matches the unchanged box; the engine is asked once per box.
  const GlyphBox area{r.box_.left, r.line_top_, r.box_.width, r.line_height_};
  if (!guessed_ || area.left != guessed_area_.left || area.top != guessed_area_.top ||
      area.width != guessed_area_.width || area.height != guessed_area_.height) {
    guess_ = r.guesser_->Guess(GuessPictureOf(r.grid_, r.box_, r.line_top_, r.line_height_));
    guessed_area_ = area;
    guessed_ = true;
  }
  return guess_;
}

void TeachingSession::SetSourceSuggestions(std::vector<Suggestion> reference,
                                           std::vector<Suggestion> ocr_guess) {
  reference_suggestions_ = std::move(reference);
  ocr_suggestions_ = std::move(ocr_guess);
  UpdateSuggestions();
}

const GlyphBox& TeachingSession::Box() const {
  return recogniser_.box_;
}

const std::string& TeachingSession::PictureTextSoFar() const {
  return recogniser_.picture_text_;
}

int TeachingSession::LineTop() const {
  return recogniser_.line_top_;
}

int TeachingSession::LineHeight() const {
  return recogniser_.line_height_;
}

const std::vector<Segment>& TeachingSession::Segments() const {
  return recogniser_.segments_;
}

int TeachingSession::CurrentSegment() const {
  return recogniser_.cur_;
}

int TeachingSession::GlyphWidth() const {
  return recogniser_.options_.glyph_width;
}

void TeachingSession::SetBox(int left, int width) {
  auto& r = recogniser_;
  const int count = static_cast<int>(r.segments_.size());
  if (!open_ || width < 1 || count == 0) {
    return;
  }
  // The box stays within the line's ink from the question's first segment on.
  const int first = r.segments_[start_].left;
  const int last = r.segments_[count - 1].right;
  left = std::clamp(left, first, last - 1);
  width = std::min(width, last - left);
  // cur_ becomes the last segment the box reaches into, so that the walk goes on after it.
  int cur = start_;
  while (cur + 1 < count && r.segments_[cur + 1].left < left + width) {
    ++cur;
  }
  r.cur_ = cur;
  ResetBoxRows();
  r.box_.left = left;
  r.box_.width = width;
  CloseIfMatched();
}

bool TeachingSession::EndsAtForcedCut() const {
  const auto& segments = recogniser_.segments_;
  const int cur = recogniser_.cur_;
  return cur + 1 < static_cast<int>(segments.size()) &&
         segments[cur].right == segments[cur + 1].left;
}

std::unique_ptr<Picture> TeachingSession::GlyphPicture() const {
  const GlyphBox& box = recogniser_.box_;
  auto picture = recogniser_.pictures_.Create(box.width, box.height);
  for (int j = 0; j < box.height; ++j) {
    for (int i = 0; i < box.width; ++i) {
      picture->SetPixel(i, j, recogniser_.grid_.At(box.left + i, box.top + j));
    }
  }
  return picture;
}

GlyphBox TeachingSession::BoxInPicture() const {
  GlyphBox box = recogniser_.box_;
  box.top += recogniser_.grid_.TopOffset();
  return box;
}

std::unique_ptr<Picture> TeachingSession::BandPicture() const {
  const GlyphBox& box = recogniser_.box_;
  const int width = std::max(1, box.width);
  const int height = std::max(1, recogniser_.line_height_);
  auto picture = recogniser_.pictures_.Create(width, height);
  for (int j = 0; j < height; ++j) {
    for (int i = 0; i < width; ++i) {
      picture->SetPixel(i, j, recogniser_.grid_.At(box.left + i, recogniser_.line_top_ + j));
    }
  }
  return picture;
}

void TeachingSession::Close() {
  open_ = false;
}

void TeachingSession::ResetBoxRows() {
  recogniser_.ResetBoxRows();
}

// After a box change: a box the library knows answers the question.
void TeachingSession::CloseIfMatched() {
  recogniser_.FitBox();
  if (recogniser_.MatchGlyph()) {
    ++recogniser_.cur_;
    ++recogniser_.counts_.matched;
    ResetBoxRows();
    Close();
    return;
  }
  UpdateSuggestions();
}

text::Status TeachingSession::Save(const std::string& text) {
  const int taught = recogniser_.counts_.taught;
  text::Status status = SaveText(text);
  if (recogniser_.counts_.taught > taught) {
    ++recogniser_.counts_.typed;
  }
  return status;
}

text::Status TeachingSession::Accept(int index) {
  if (index < 0 || index >= static_cast<int>(suggestions_.size())) {
    return text::Success();
  }
  const int taught = recogniser_.counts_.taught;
  // Copied: saving re-matches the box, which may recompute the list.
  const std::string text = suggestions_[static_cast<std::size_t>(index)].text;
  text::Status status = SaveText(text);
  if (recogniser_.counts_.taught > taught) {
    ++recogniser_.counts_.accepted;
  }
  return status;
}

text::Status TeachingSession::SaveText(const std::string& text) {
  if (!open_ || text.empty()) {
    return text::Success();
  }
  // Typing the text re-matches the box on screen, so the features saved are the box's own.
  KeyTyped();
  if (!open_ || !recogniser_.box_has_ink_) {
    return text::Success();
  }
  auto& library = recogniser_.library_;
  bool restart = false;
  if (shown_number_ > 0 && !shown_text_.empty() && shown_text_ != library.Text(shown_number_ - 1)) {
    restart = shown_position_ - 1 >= 0 &&
              shown_position_ - 1 < static_cast<int>(recogniser_.taught_rows_.size());
    if (text::Status corrected = library.SetText(shown_number_ - 1, shown_text_); !corrected.ok()) {
      return corrected;
    }
  }
  auto added = library.AddGlyph(text, recogniser_.unknown_features_, recogniser_.unknown_key_);
  if (!added.ok()) {
    return added.error();
  }
  const int number = added.value();
  recogniser_.glyph_text_ = text;
  recogniser_.matched_number_ = number;
  recogniser_.taught_rows_.push_back(recogniser_.current_row_);
  ++recogniser_.counts_.taught;
  text::Status written = text::Success();
  const auto path = library.PicturePath(number);
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  written = recogniser_.pictures_.Save(*GlyphPicture(), path);
  if (restart) {
    recogniser_.restart_from_taught_row_ = true;
    recogniser_.restart_row_ = recogniser_.taught_rows_[shown_position_ - 1];
  }
  ++recogniser_.cur_;
  Close();
  return written;
}

void TeachingSession::Expand() {
  if (!open_) {
    return;
  }
  auto& r = recogniser_;
  ResetBoxRows();
  if (r.cur_ < static_cast<int>(r.segments_.size()) - 1) {
    ++r.cur_;
  }
  r.box_.width = r.segments_[r.cur_].right - r.box_.left;
  CloseIfMatched();
}

void TeachingSession::Undo() {
  if (!open_) {
    return;
  }
  auto& r = recogniser_;
  ResetBoxRows();
  if (r.cur_ > start_) {
    --r.cur_;
  }
  r.box_.width = r.segments_[r.cur_].right - r.box_.left;
  CloseIfMatched();
}

void TeachingSession::Skip() {
  if (!open_) {
    return;
  }
  ++recogniser_.cur_;
  ResetBoxRows();
  recogniser_.glyph_text_ = recogniser_.options_.skip_placeholder;
  recogniser_.matched_number_ = 0;
  ++recogniser_.counts_.skipped;
  Close();
}

void TeachingSession::Abort() {
  if (!open_) {
    return;
  }
  recogniser_.box_.top = 0;
  recogniser_.box_.height = 0;
  recogniser_.picture_text_.clear();
  recogniser_.stopped_ = true;
  recogniser_.continue_run_ = false;
  aborted_ = true;
  Close();
}

void TeachingSession::KeyTyped() {
  if (!open_) {
    return;
  }
  ResetBoxRows();
  CloseIfMatched();
}

void TeachingSession::MoveBoxLeft() {
  if (!open_) {
    return;
  }
  auto& r = recogniser_;
  ResetBoxRows();
  if (r.box_.left == r.segments_[r.cur_].left) {
    return;
  }
  --r.box_.left;
  CloseIfMatched();
}

void TeachingSession::MoveBoxRight() {
  if (!open_) {
    return;
  }
  auto& r = recogniser_;
  ResetBoxRows();
  if (r.box_.left == r.segments_[r.cur_].right - 2) {
    return;
  }
  ++r.box_.left;
  CloseIfMatched();
}

void TeachingSession::NarrowBox() {
  if (!open_) {
    return;
  }
  auto& r = recogniser_;
  const int count = static_cast<int>(r.segments_.size());
  ResetBoxRows();
  if (r.box_.width == 2) {
    return;
  }
  --r.box_.width;
  // The freed column goes to the next glyph.
  if (r.segments_[r.cur_].right >= r.next_left_ - 1 && r.cur_ + 1 < count - 1) {
    --r.segments_[r.cur_ + 1].left;
  }
  CloseIfMatched();
}

void TeachingSession::WidenBox() {
  if (!open_) {
    return;
  }
  auto& r = recogniser_;
  const int count = static_cast<int>(r.segments_.size());
  ResetBoxRows();
  if (r.cur_ >= count - 1 || r.box_.left + r.box_.width == r.segments_[r.cur_ + 1].right) {
    return;
  }
  ++r.box_.width;
  if (r.segments_[r.cur_].right >= r.next_left_ && r.cur_ + 1 < count - 1) {
    ++r.segments_[r.cur_ + 1].left;
  }
  CloseIfMatched();
}

void TeachingSession::LoadShownRecord() {
  shown_text_ = recogniser_.library_.Text(shown_number_ - 1);
}

std::filesystem::path TeachingSession::ShownPicturePath() const {
  if (shown_number_ <= 0) {
    return {};
  }
  return recogniser_.library_.PicturePath(shown_number_);
}

void TeachingSession::ShowPreviousRecord() {
  if (shown_number_ <= 1) {
    return;
  }
  --shown_number_;
  --shown_position_;
  previous_enabled_ = shown_number_ > 1;
  next_enabled_ = recogniser_.library_.RecordCount() > 1;
  LoadShownRecord();
}

int TeachingSession::RecordCount() const {
  return recogniser_.library_.RecordCount();
}

bool TeachingSession::ShowRecordNumber(int number) {
  const int records = recogniser_.library_.RecordCount();
  if (number < 1 || number > records) {
    return false;
  }
  shown_position_ += number - shown_number_;
  shown_number_ = number;
  previous_enabled_ = number > 1;
  next_enabled_ = number < records;
  LoadShownRecord();
  return true;
}

void TeachingSession::ShowNextRecord() {
  const int records = recogniser_.library_.RecordCount();
  if (shown_number_ <= 0 || shown_number_ >= records) {
    return;
  }
  ++shown_number_;
  ++shown_position_;
  next_enabled_ = shown_number_ < records;
  previous_enabled_ = records > 1;
  LoadShownRecord();
}

}  // namespace ocr

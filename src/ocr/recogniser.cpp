// The glyph walk: lines, spans of segments, spaces, and the hand-over to the teacher.
#include "ocr/recogniser.h"

#include "ocr/glyph_text.h"
#include "ocr/teaching.h"

namespace ocr {
namespace {

constexpr char kHyphen[] = "-";
constexpr char kOneStroke[] = "\xD2\xBB" /* 一 */;

}  // namespace

Recogniser::Recogniser(library::GlyphLibrary& library, PictureIo& pictures)
    : library_(library), pictures_(pictures) {
  lines_.reserve(kMaxTextLines);
  segments_.reserve(kMaxSegments);
  features_.reserve(64);
}

Recogniser::~Recogniser() = default;

text::Status Recogniser::Prepare(const Picture& picture) {
  auto status = grid_.Prepare(picture);
  if (status.ok()) {
    FindLines();
  }
  return status;
}

text::Status Recogniser::Prepare(std::unique_ptr<Picture>& picture) {
  auto status = grid_.Prepare(picture);
  if (status.ok()) {
    FindLines();
  }
  return status;
}

void Recogniser::FindLines() {
  segments_.clear();
  cur_ = 0;
  picture_text_.clear();
  FindTextLines(grid_, options_, lines_);
}

bool Recogniser::CheckStop(app::EventPump& pump) {
  pump.LetPendingEventsRun();
  if (pump.StopRequested()) {
    stopped_ = true;
  }
  return stopped_;
}

bool Recogniser::RecognisePicture(Teacher& teacher, app::EventPump& pump) {
  stopped_ = false;
  picture_text_.clear();
  for (const TextLine line : lines_) {
    if (CheckStop(pump)) {
      break;
    }
    // A break only between lines that gave text: none before the first one.
    if (!picture_text_.empty()) {
      picture_text_ += kLineBreak;
    }
    CutSegments(grid_, line.top, line.height, options_.glyph_width, segments_);
    line_top_ = line.top;
    line_height_ = line.height;
    cur_ = 0;
    if (!RecogniseLine(teacher, pump)) {
      stopped_ = true;
    }
    if (restart_from_taught_row_) {
      break;
    }
  }
  return !stopped_;
}

GlyphCounts GlyphCounts::Difference(const GlyphCounts& later, const GlyphCounts& earlier) {
  return {later.matched - earlier.matched,     later.taught - earlier.taught,
          later.skipped - earlier.skipped,     later.lookups - earlier.lookups,
          later.questions - earlier.questions, later.typed - earlier.typed,
          later.accepted - earlier.accepted,   later.automatic - earlier.automatic};
}

int Recogniser::SpaceCount() const {
  const long long unit_numerator =
      static_cast<long long>(options_.glyph_width) * (options_.space_detection + 1);
  if (cur_ <= 0 || unit_numerator <= 0) {
    return 0;  // no standard width: the space rule is off
  }
  const int gap = segments_[cur_].left - segments_[cur_ - 1].right;
  if (gap <= 0) {
    return 0;
  }
  // unit = S_G × (p3 + 1) / 8 as an exact quotient: gap / unit = gap × 8 / (S_G × (p3 + 1)).
  const long long units = gap * 8LL / unit_numerator;
  const long long per_unit = 11 - options_.space_width;
  if (units <= 0 || per_unit <= 0) {
    return 0;
  }
  return static_cast<int>(units * per_unit);
}

bool Recogniser::SpacesDropped(const std::string& before, const std::string& after) const {
  // Full-width marks carry their own room: their ink is small inside a wide cell, so the gap
  // rule would see a space beside every one of them.
  if (IsFullWidthPunctuation(before) || IsFullWidthPunctuation(after)) {
    return true;
  }
  if (!IsIdeograph(before) || !IsIdeograph(after)) {
    return false;
  }
  // Inside a phrase: the gap is below 1.5 space units (gap × 8 × 2 < 3 × S_G × (p3 + 1)).
  const long long unit_numerator =
      static_cast<long long>(options_.glyph_width) * (options_.space_detection + 1);
  return gap_before_ * 16LL < 3 * unit_numerator;
}

bool Recogniser::RecogniseLine(Teacher& teacher, app::EventPump& pump) {
  continue_run_ = true;
  std::string previous_text;  // the text of the glyph before, on this line
  for (;;) {
    const int count = static_cast<int>(segments_.size());
    if (CheckStop(pump) || cur_ >= count) {
      return continue_run_;
    }
    const int spaces = SpaceCount();
    gap_before_ = cur_ > 0 ? segments_[cur_].left - segments_[cur_ - 1].right : 0;
    // The Chinese spaces rule needs the glyph's text, so its spaces wait for the glyph; without
    // it they are written before the glyph is looked at, as they always were.
    if (!options_.chinese_spaces) {
      picture_text_.append(static_cast<std::size_t>(spaces), ' ');
    }
    box_.left = segments_[cur_].left;
    next_left_ = cur_ + 1 < count ? segments_[cur_ + 1].left : box_.left;
    question_start_ = cur_;
    if (RecogniseSpan()) {
      ++counts_.matched;
    } else if (options_.fitted_box && FitQuestionBox()) {
      ++counts_.matched;
    } else {
      continue_run_ = true;
      glyph_text_.clear();
      ++counts_.questions;
      TeachingSession session(*this);
      teacher.Teach(session);
      if (session.IsOpen()) {
        session.Abort();
      }
      if (restart_from_taught_row_ || !continue_run_) {
        return continue_run_;
      }
    }
    if (options_.chinese_spaces && !SpacesDropped(previous_text, glyph_text_)) {
      picture_text_.append(static_cast<std::size_t>(spaces), ' ');
    }
    picture_text_ += glyph_text_;
    previous_text = glyph_text_;
    if (detail_mode_) {
      details_.push_back({glyph_text_, matched_number_});
    }
  }
}

bool Recogniser::FitQuestionBox() {
  const int count = static_cast<int>(segments_.size());
  const long long limit = 112LL * options_.glyph_width;  // 1.12 × S_G, in hundredths
  const int left = segments_[cur_].left;
  int last = cur_;
  while (last + 1 < count && (segments_[last + 1].right - left) * 100LL <= limit) {
    ++last;
  }
  if (last == cur_) {
    return false;  // the single segment stays the box, as the failed search left it
  }
  box_ = {left, line_top_, segments_[last].right - left, line_height_};
  FitBox();
  if (MatchGlyph()) {
    cur_ = last + 1;
    return true;
  }
  cur_ = last;
  next_left_ = cur_ + 1 < count ? segments_[cur_ + 1].left : box_.left;
  return false;
}

bool Recogniser::RecogniseSpan() {
  const int count = static_cast<int>(segments_.size());
  const int standard = options_.glyph_width;
  const int left = segments_[cur_].left;
  auto span_width = [&](int i) { return segments_[i].right - left; };

  // The widest plausible span: up to one standard width, plus one more part if the result stays
  // below one and a half standard widths.
  int last = cur_;
  if (span_width(cur_) < standard) {
    while (last + 1 < count && span_width(last + 1) < standard) {
      ++last;
    }
    if (last + 1 < count && span_width(last + 1) < standard * 3 / 2) {
      ++last;
    }
  }
  for (int j = last; j >= cur_; --j) {
    box_ = {left, line_top_, span_width(j), line_height_};
    FitBox();
    if (MatchGlyph()) {
      cur_ = j + 1;
      return true;
    }
  }
  // A segment cut from a wide run: try moving the cut, widest first.
  if (cur_ + 1 < count && segments_[cur_].right == segments_[cur_ + 1].left) {
    const int cut = segments_[cur_].right;
    for (int k = cut + 5; k >= cut - 4; --k) {
      box_ = {left, line_top_, k - left, line_height_};
      FitBox();
      if (MatchGlyph()) {
        segments_[cur_].right = k;
        segments_[cur_ + 1].left = k;
        ++cur_;
        return true;
      }
    }
  }
  box_.width = segments_[cur_].right - left;
  return false;
}

void Recogniser::FitBox() {
  box_has_ink_ = FitBoxHeight(grid_, box_);
}

void Recogniser::ResetBoxRows() {
  box_.top = line_top_;
  box_.height = line_height_;
}

bool Recogniser::MatchGlyph() {
  ++counts_.lookups;
  const int key = ComputeFeatures(grid_, box_, options_.ignore_size, features_);
  if (box_has_ink_) {
    for (const int position : library_.Candidates(key)) {
      if (position < 0 || position >= library_.RecordCount()) {
        continue;
      }
      const std::string& stored = library_.FeatureLine(position);
      const std::string_view compared =
          options_.ignore_size ? DensityPart(stored) : std::string_view(stored);
      if (compared != features_) {
        continue;
      }
      glyph_text_ = library_.Text(position);
      matched_number_ = position + 1;
      // A horizontal stroke reads as 一 when about a glyph wide, as - when about half that.
      const int standard = options_.glyph_width;
      if (glyph_text_ == kHyphen && box_.width > standard - 3) {
        glyph_text_ = kOneStroke;
      }
      if (glyph_text_ == kOneStroke && box_.width < standard / 2 + 3) {
        glyph_text_ = kHyphen;
      }
      return true;
    }
  }
  unknown_features_ = features_;
  unknown_key_ = key;
  return false;
}

}  // namespace ocr

// The glyph walk: lines, spans of segments, spaces, and the hand-over to the teacher.
#include "ocr/recogniser.h"

#include <algorithm>
#include <system_error>

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
  reference_text_.clear();
  FindTextLines(grid_, options_, lines_);
}

bool Recogniser::CheckStop(ports::EventPump& pump) {
  pump.LetPendingEventsRun();
  if (pump.StopRequested()) {
    stopped_ = true;
  }
  return stopped_;
}

bool Recogniser::RecognisePicture(Teacher& teacher, ports::EventPump& pump) {
  stopped_ = false;
  picture_text_.clear();
  reference_lines_.clear();
  joined_reference_.clear();
  if (options_.reference_teaching && !reference_text_.empty()) {
    reference_lines_ = ReferenceLines(reference_text_);
    reference_lines_match_ = reference_lines_.size() == lines_.size();
    for (const std::string& line : reference_lines_) {
      joined_reference_ += line;
    }
  }
  for (std::size_t index = 0; index < lines_.size(); ++index) {
    const TextLine line = lines_[index];
    line_index_ = static_cast<int>(index);
    if (CheckStop(pump)) {
      break;
    }
    line_reference_ = nullptr;
    if (!reference_lines_.empty()) {
      line_reference_ = reference_lines_match_ ? &reference_lines_[index] : &joined_reference_;
    }
    line_items_.clear();
    // A break only between lines that gave text: none before the first one.
    if (!picture_text_.empty()) {
      picture_text_ += kLineBreak;
    }
    CutSegments(grid_, line.top, line.height, options_.glyph_width, segments_);
    line_top_ = line.top;
    line_height_ = line.height;
    cur_ = 0;
    line_glyphs_.clear();
    if (!RecogniseLine(teacher, pump)) {
      stopped_ = true;
    }
    if (collecting_ && line_end_) {
      line_end_();
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

bool Recogniser::RecogniseLine(Teacher& teacher, ports::EventPump& pump) {
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
    bool skipped = false;
    if (RecogniseSpan()) {
      ++counts_.matched;
    } else if (options_.fitted_box && FitQuestionBox()) {
      ++counts_.matched;
    } else if (TeachFromReference()) {
      // Counted there: taught from the reference, or found after all.
    } else {
      continue_run_ = true;
      glyph_text_.clear();
      ++counts_.questions;
      const int skipped_before = counts_.skipped;
      TeachingSession session(*this);
      teacher.Teach(session);
      if (session.IsOpen()) {
        session.Abort();
      }
      if (restart_from_taught_row_ || !continue_run_) {
        return continue_run_;
      }
      skipped = counts_.skipped > skipped_before;
    }
    line_items_.push_back(
        {skipped ? LineItem::Kind::kSkipped : LineItem::Kind::kKnown, glyph_text_, {}});
    if (collecting_) {
      line_glyphs_.push_back({box_.left, box_.left + box_.width, glyph_text_, skipped});
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

bool Recogniser::TeachFromReference() {
  reference_suggestions_.clear();
  reference_certain_ = false;
  if (!options_.reference_teaching || line_reference_ == nullptr) {
    return false;
  }
  std::vector<LineItem> items = line_items_;
  const int run = static_cast<int>(items.size());
  LookAhead(items);
  const ReferenceReading reading =
      ReadFromReference(items, run, *line_reference_, options_.glyph_width);
  if (!reading.certain || !reference_lines_match_) {
    for (const std::string& candidate : reading.candidates) {
      reference_suggestions_.push_back({candidate, SuggestionSource::kReference, 0, 0});
    }
    return false;
  }
  const int count = static_cast<int>(segments_.size());
  const int first = question_start_;
  const int last = std::min(first + reading.segment_count, count) - 1;
  if (collecting_) {
    // Collected, not taught: the reading goes with the question's own box, and counts as
    // certain only when it covers exactly that box's segments.
    reference_suggestions_ = {{reading.text, SuggestionSource::kReference, 0, 0}};
    reference_certain_ = last == cur_;
    return false;
  }
  // The question as the failed search left it, for when the glyph cannot be taught after all.
  const GlyphBox question_box = box_;
  const int question_cur = cur_;
  auto ask_instead = [&] {
    box_ = question_box;
    cur_ = question_cur;
    FitBox();
    MatchGlyph();
    reference_suggestions_ = {{reading.text, SuggestionSource::kReference, 0, 0}};
    return false;
  };
  box_ = {segments_[first].left, line_top_, segments_[last].right - segments_[first].left,
          line_height_};
  FitBox();
  if (MatchGlyph()) {
    cur_ = last + 1;  // the glyph's own segments are known after all
    ResetBoxRows();
    ++counts_.matched;
    return true;
  }
  if (!box_has_ink_) {
    return ask_instead();
  }
  auto added = library_.AddGlyph(reading.text, unknown_features_, unknown_key_);
  if (!added.ok()) {
    warnings_.push_back(added.error());
    return ask_instead();
  }
  const int number = added.value();
  std::shared_ptr<Picture> glyph = pictures_.Create(box_.width, box_.height);
  for (int j = 0; j < box_.height; ++j) {
    for (int i = 0; i < box_.width; ++i) {
      glyph->SetPixel(i, j, grid_.At(box_.left + i, box_.top + j));
    }
  }
  const auto path = library_.PicturePath(number);
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  if (auto written = pictures_.Save(*glyph, path); !written.ok()) {
    warnings_.push_back(written.error());  // the glyph is taught; only its picture is missing
  }
  taught_rows_.push_back(current_row_);
  automatic_.push_back({current_row_, reading.text, number, unknown_features_, glyph});
  glyph_text_ = reading.text;
  matched_number_ = number;
  cur_ = last + 1;
  ResetBoxRows();
  ++counts_.automatic;
  return true;
}

void Recogniser::LookAhead(std::vector<LineItem>& items) {
  // Everything the search below may change, put back at the end: the walk itself has not moved.
  const std::vector<Segment> segments = segments_;
  const GlyphBox box = box_;
  const bool has_ink = box_has_ink_;
  const int cur = cur_;
  const int next_left = next_left_;
  const std::string text = glyph_text_;
  const int number = matched_number_;
  const std::string features = unknown_features_;
  const int key = unknown_key_;
  const int count = static_cast<int>(segments_.size());
  cur_ = question_start_;
  while (cur_ < count) {
    const int start = cur_;
    box_.left = segments_[cur_].left;
    next_left_ = cur_ + 1 < count ? segments_[cur_ + 1].left : box_.left;
    if (RecogniseSpan() || (options_.fitted_box && FitQuestionBox())) {
      items.push_back({LineItem::Kind::kKnown, glyph_text_, {}});
      continue;
    }
    if (items.empty() || items.back().kind != LineItem::Kind::kUnknown) {
      items.push_back({LineItem::Kind::kUnknown, "", {}});
    }
    items.back().segments.push_back(segments_[start]);
    cur_ = start + 1;
  }
  segments_ = segments;
  box_ = box;
  box_has_ink_ = has_ink;
  cur_ = cur;
  next_left_ = next_left;
  glyph_text_ = text;
  matched_number_ = number;
  unknown_features_ = features;
  unknown_key_ = key;
}

void Recogniser::ForgetRecords(const std::set<int>& numbers, int old_count) {
  // The taught-row list holds the latest records' rows in order: entry k is record
  // old_count - size + k + 1.
  const int tail_start = old_count - static_cast<int>(taught_rows_.size());
  for (auto number = numbers.rbegin(); number != numbers.rend(); ++number) {
    if (*number > tail_start && *number <= old_count) {
      taught_rows_.erase(taught_rows_.begin() + (*number - tail_start - 1));
    }
  }
  std::vector<AutomaticTeaching> kept;
  for (AutomaticTeaching& teaching : automatic_) {
    if (numbers.count(teaching.number) > 0) {
      continue;
    }
    teaching.number -=
        static_cast<int>(std::distance(numbers.begin(), numbers.lower_bound(teaching.number)));
    kept.push_back(std::move(teaching));
  }
  automatic_ = std::move(kept);
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

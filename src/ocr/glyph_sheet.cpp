// Collecting the new shapes of a run, their candidates, and teaching a page of them.
#include "ocr/glyph_sheet.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "ocr/features.h"
#include "ocr/recogniser.h"

namespace ocr {
namespace {

constexpr int kCertainReference = 99;
constexpr int kFirstReference = 50;
constexpr int kOtherReference = 30;
constexpr int kOcrGuess = 80;
constexpr int kAgreement = 95;
constexpr int kLineReading = 75;
constexpr int kWithheldShare = 60;  // a withheld reading keeps 60 % of the engine's confidence
constexpr int kBandMargin = 8;

// A library shape's confidence from its distance: 0 (the same densities, another size) gives 90,
// a one-pixel change of a small glyph (about 100) 80, and anything past 850 the floor of 5.
int LibraryConfidence(int distance) {
  return std::max(5, 90 - distance / 10);
}

void Offer(std::vector<SheetCandidate>& candidates, const std::string& text,
           SuggestionSource source, int confidence, int distance) {
  if (text.empty()) {
    return;
  }
  for (SheetCandidate& candidate : candidates) {
    if (candidate.text != text) {
      continue;
    }
    if (std::find(candidate.sources.begin(), candidate.sources.end(), source) ==
        candidate.sources.end()) {
      candidate.sources.push_back(source);
    }
    candidate.confidence = std::max(candidate.confidence, confidence);
    if (distance >= 0 && (candidate.distance < 0 || distance < candidate.distance)) {
      candidate.distance = distance;
    }
    return;
  }
  candidates.push_back({text, {source}, confidence, distance});
}

}  // namespace

int GlyphSheet::Note(const std::string& features, int key, const ShapeOccurrence& occurrence,
                     const std::function<std::shared_ptr<const Picture>()>& glyph,
                     const std::function<GuessPicture()>& guess_picture) {
  const auto [found, inserted] = by_features_.emplace(features, static_cast<int>(shapes_.size()));
  if (inserted) {
    CollectedShape shape;
    shape.features = features;
    shape.key = key;
    shape.glyph = glyph();
    shape.guess_picture = guess_picture();
    shapes_.push_back(std::move(shape));
  }
  CollectedShape& shape = shapes_[static_cast<std::size_t>(found->second)];
  ++shape.count;
  shape.occurrences.push_back(occurrence);
  return found->second;
}

void GlyphSheet::NoteReference(int index, const std::string& text, bool certain) {
  CollectedShape& shape = shapes_[static_cast<std::size_t>(index)];
  ++shape.reference_votes[text];
  if (certain) {
    ++shape.reference_certain[text];
  }
}

int GlyphSheet::OccurrenceCount() const {
  int total = 0;
  for (const CollectedShape& shape : shapes_) {
    total += shape.count;
  }
  return total;
}

void GlyphSheet::FinishCandidates(const library::GlyphLibrary& library, GlyphGuesser* guesser,
                                  bool ignore_size, LineReader* line_reader) {
  // The whole-line readings, one per line that brought a new shape.
  std::vector<std::string> line_texts(shapes_.size());
  for (const LineToRead& line : line_reader != nullptr ? lines_ : std::vector<LineToRead>()) {
    std::vector<LineSymbol> symbols = line_reader->ReadLine(line.band);
    std::vector<std::string> texts = line.known_texts;
    for (LineSymbol& symbol : symbols) {
      // Band pixels back to grid columns.
      symbol.left = line.left + (symbol.left - line.margin) * 100 / line.scale_percent;
      symbol.right = line.left + (symbol.right - line.margin) * 100 / line.scale_percent;
      texts.push_back(symbol.text);
    }
    const auto aligned = AlignLineSymbols(symbols, line.glyphs, IsCjkLine(texts), line.glyph_width);
    for (const auto& [index, position] : line.new_shapes) {
      if (index >= 0 && index < static_cast<int>(shapes_.size()) && position >= 0 &&
          position < static_cast<int>(aligned.size())) {
        line_texts[static_cast<std::size_t>(index)] = aligned[position].text;
      }
    }
  }
  for (std::size_t s = 0; s < shapes_.size(); ++s) {
    CollectedShape& shape = shapes_[s];
    std::vector<SheetCandidate> candidates;
    // The reference's readings, the most offered first; certain wherever one occurrence was.
    std::vector<std::pair<std::string, int>> votes(shape.reference_votes.begin(),
                                                   shape.reference_votes.end());
    std::stable_sort(votes.begin(), votes.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    for (std::size_t i = 0; i < votes.size(); ++i) {
      const bool certain = shape.reference_certain.count(votes[i].first) > 0;
      Offer(candidates, votes[i].first, SuggestionSource::kReference,
            certain ? kCertainReference : (i == 0 ? kFirstReference : kOtherReference), -1);
    }
    if (guesser != nullptr && shape.guess_picture.width > 0) {
      // The guess the question would offer, then the readings it withholds, lower.
      for (const GlyphGuesser::GuessReading& reading : guesser->Readings(shape.guess_picture)) {
        Offer(candidates, reading.text, SuggestionSource::kOcrGuess,
              reading.offered ? kOcrGuess : reading.confidence * kWithheldShare / 100, -1);
      }
    }
    Offer(candidates, line_texts[s], SuggestionSource::kLineReading, kLineReading, -1);
    for (const Suggestion& near : NearestShapes(library, shape.features, shape.key, ignore_size)) {
      Offer(candidates, near.text, SuggestionSource::kLibrary, LibraryConfidence(near.distance),
            near.distance);
    }
    for (SheetCandidate& candidate : candidates) {
      if (candidate.sources.size() >= 2) {
        candidate.confidence = std::max(candidate.confidence, kAgreement);
      }
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const SheetCandidate& a, const SheetCandidate& b) {
                       return a.confidence > b.confidence;
                     });
    shape.candidates = std::move(candidates);
  }
}

CollectingTeacher::CollectingTeacher(Recogniser& recogniser,
                                     const document::SubtitleDocument& document, GlyphSheet& sheet)
    : recogniser_(recogniser),
      document_(document),
      sheet_(sheet),
      was_collecting_(recogniser.Collecting()) {
  recogniser_.SetCollecting(true);
  recogniser_.SetLineEndObserver([this] { LineEnded(); });
}

CollectingTeacher::~CollectingTeacher() {
  recogniser_.SetLineEndObserver(nullptr);
  recogniser_.SetCollecting(was_collecting_);
}

void CollectingTeacher::LineEnded() {
  const auto& walked = recogniser_.LineGlyphs();
  if (pending_.empty() || walked.empty()) {
    pending_.clear();
    return;
  }
  LineToRead line;
  line.left = walked.front().left;
  line.margin = kBandMargin;
  const int height = recogniser_.LineHeight();
  line.scale_percent = LineBandScalePercent(height);
  line.glyph_width = recogniser_.Options().glyph_width;
  const GlyphBox band{line.left, recogniser_.LineTop(), walked.back().right - line.left, height};
  line.band = ScaledBandPicture(recogniser_.Grid(), band, band.top, height,
                                std::max(1, height * line.scale_percent / 100), kBandMargin);
  for (const auto& glyph : walked) {
    line.glyphs.push_back({glyph.left, glyph.right});
    if (!glyph.unknown) {
      line.known_texts.push_back(glyph.text);
    }
  }
  line.new_shapes = std::move(pending_);
  pending_.clear();
  sheet_.AddLine(std::move(line));
}

void CollectingTeacher::Teach(TeachingSession& session) {
  // A box without ink has no shape to teach; the question would wait for a box change.
  if (!session.IsOpen() || recogniser_.UnknownFeatures().empty()) {
    session.Skip();
    return;
  }
  const int row = recogniser_.CurrentRow();
  const ShapeOccurrence occurrence{row, document_.main.Cell(document::kPicture, row),
                                   recogniser_.CurrentLine(), session.Box()};
  const std::size_t shapes_before = sheet_.Shapes().size();
  const int index = sheet_.Note(
      recogniser_.UnknownFeatures(), recogniser_.UnknownKey(), occurrence,
      [&session] { return std::shared_ptr<const Picture>(session.GlyphPicture()); },
      [&session, this] {
        return GuessPictureOf(recogniser_.Grid(), session.Box(), session.LineTop(),
                              session.LineHeight());
      });
  if (sheet_.Shapes().size() > shapes_before) {
    // Its position in the line: the glyphs walked before it.
    pending_.push_back({index, static_cast<int>(recogniser_.LineGlyphs().size())});
  }
  for (const Suggestion& suggestion : session.Suggestions()) {
    if (suggestion.source == SuggestionSource::kReference) {
      sheet_.NoteReference(index, suggestion.text, recogniser_.ReferenceCertain());
      break;
    }
  }
  session.Skip();
}

text::Result<PageTeaching> TeachPage(library::GlyphLibrary& library, PictureIo& pictures,
                                     const GlyphSheet& sheet, const std::vector<int>& page) {
  PageTeaching outcome;
  std::vector<library::GlyphLibrary::NewGlyph> glyphs;
  std::vector<const CollectedShape*> taught;
  for (const int index : page) {
    if (index < 0 || index >= static_cast<int>(sheet.Shapes().size())) {
      continue;
    }
    const CollectedShape& shape = sheet.Shapes()[static_cast<std::size_t>(index)];
    if (shape.text.empty() || shape.noise) {
      continue;
    }
    // A shape taught meanwhile (or twice on the page) is found, as the walk would find it.
    bool known = std::any_of(taught.begin(), taught.end(), [&](const CollectedShape* other) {
      return other->features == shape.features;
    });
    for (const int position : library.Candidates(shape.key)) {
      const std::string& stored = library.FeatureLine(position);
      known = known || stored == shape.features || DensityPart(stored) == shape.features;
    }
    if (known) {
      ++outcome.already_known;
      continue;
    }
    glyphs.push_back({shape.text, shape.features, shape.key});
    taught.push_back(&shape);
  }
  if (glyphs.empty()) {
    return outcome;
  }
  auto added = library.AddGlyphs(std::move(glyphs));
  if (!added.ok()) {
    return added.error();
  }
  outcome.first_number = added.value();
  outcome.taught = static_cast<int>(taught.size());
  for (int i = 0; i < outcome.taught; ++i) {
    const CollectedShape& shape = *taught[static_cast<std::size_t>(i)];
    if (shape.glyph == nullptr) {
      continue;
    }
    const auto path = library.PicturePath(outcome.first_number + i);
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    if (auto written = pictures.Save(*shape.glyph, path); !written.ok()) {
      outcome.picture_errors.push_back(written.error());
    }
  }
  return outcome;
}

}  // namespace ocr

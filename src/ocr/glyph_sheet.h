// The teaching sheet: the distinct new glyph shapes a collecting run found in a whole film, with
// where they occur and the readings every source offers, and teaching a page of them at once.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/subtitle_document.h"
#include "ocr/glyph_guess.h"
#include "ocr/line_reading.h"
#include "ocr/picture.h"
#include "ocr/segmentation.h"
#include "ocr/suggestions.h"
#include "ocr/teaching.h"
#include "text/result.h"

namespace ocr {

class Recogniser;

// One place a collected shape occurs.
struct ShapeOccurrence {
  int row = 0;          // main-grid row
  std::string picture;  // the row's picture name (GBK)
  int line = 0;         // 0-based text line of the picture
  GlyphBox box;         // the fitted box, in grid coordinates
};

// A reading of a shape and how sure its sources are of it.
struct SheetCandidate {
  std::string text;  // GBK
  // The sources that offer it, best first ("reference", "ocr", "library").
  std::vector<SuggestionSource> sources;
  // 0..100, higher = surer: a certain reference reading 99, an uncertain one 50 (30 for its
  // further characters), the single-glyph OCR guess 80 (it speaks only above its own threshold;
  // the readings it withholds and the engine's other choices 60 % of the engine's confidence),
  // a library shape 90 - distance / 10 (at least 5); two sources that agree give at least 95.
  int confidence = 0;
  int distance = -1;  // the nearest library shape's distance for this text, -1 when none
};

// One distinct new shape: an exact FeatureLine the library does not hold.
struct CollectedShape {
  std::string features;                      // the FeatureLine, as teaching would store it
  int key = 0;                               // its FeatureKey
  int count = 0;                             // occurrences in the run
  std::vector<ShapeOccurrence> occurrences;  // every one, in run order; the first first
  std::shared_ptr<const Picture> glyph;      // the first box's pixels (the grid's colours)
  GuessPicture guess_picture;                // the first box over its line, for an OCR guess
  // The reference's readings over all occurrences: text -> occurrences that offered it, and
  // how many of those were certain.
  std::map<std::string, int> reference_votes;
  std::map<std::string, int> reference_certain;
  std::vector<SheetCandidate> candidates;  // best first, after FinishCandidates
  std::string text;                        // the reading to teach (GBK); empty = not taught
  bool noise = false;                      // marked as noise: never taught
};

// A line to read whole for the shapes first seen on it: its band picture (scaled into 16-32
// pixels a line), how band pixels map to grid columns, its glyphs and which of them are new.
struct LineToRead {
  GuessPicture band;
  int left = 0;                                 // grid column of the band's first ink column
  int margin = 0;                               // white pixels framing the band picture
  int scale_percent = 100;                      // band pixels per 100 grid columns
  int glyph_width = 0;                          // the run's standard glyph width S_G
  std::vector<LineGlyph> glyphs;                // every glyph of the line, grid columns
  std::vector<std::string> known_texts;         // the texts of its known glyphs (GBK)
  std::vector<std::pair<int, int>> new_shapes;  // (shape index, glyph position in the line)
};

// The shapes of one collecting run, in order of first appearance.
class GlyphSheet {
 public:
  // Notes one occurrence of the unknown glyph `features` (FeatureKey `key`); the first
  // occurrence of a shape also keeps `glyph` and `guess_picture`. Returns the shape's index.
  int Note(const std::string& features, int key, const ShapeOccurrence& occurrence,
           const std::function<std::shared_ptr<const Picture>()>& glyph,
           const std::function<GuessPicture()>& guess_picture);
  // Adds the reference subtitle's reading of one occurrence of shape `index`.
  void NoteReference(int index, const std::string& text, bool certain);

  // Keeps a line to read whole after the run.
  void AddLine(LineToRead line) {
    lines_.push_back(std::move(line));
  }
  const std::vector<LineToRead>& Lines() const {
    return lines_;
  }

  // Fills every shape's candidates: the reference's votes, `guesser`'s reading of the first
  // occurrence (none when null), `line_reader`'s reading of the first occurrence's whole line
  // (none when null; AlignLineSymbols gives each glyph its symbol, marks full width where the
  // line reads as CJK; 75) and the library's nearest shapes (with `ignore_size` as the run's).
  // Sources that agree on a text are merged into one candidate.
  void FinishCandidates(const library::GlyphLibrary& library, GlyphGuesser* guesser,
                        bool ignore_size, LineReader* line_reader = nullptr);

  std::vector<CollectedShape>& Shapes() {
    return shapes_;
  }
  const std::vector<CollectedShape>& Shapes() const {
    return shapes_;
  }
  // Occurrences of all shapes together.
  int OccurrenceCount() const;
  // The picture subtitle the shapes come from (its folder holds the pictures).
  void SetSubtitle(std::filesystem::path subtitle) {
    subtitle_ = std::move(subtitle);
  }
  const std::filesystem::path& Subtitle() const {
    return subtitle_;
  }

 private:
  std::vector<CollectedShape> shapes_;
  std::map<std::string, int> by_features_;
  std::filesystem::path subtitle_;
  std::vector<LineToRead> lines_;
};

// The teacher of a collecting run: every question's glyph is noted in `sheet` with its fitted
// box and then skipped, so that the run goes through the whole film without stopping. Sets the
// recogniser's collecting mode for its own life.
class CollectingTeacher : public Teacher {
 public:
  CollectingTeacher(Recogniser& recogniser, const document::SubtitleDocument& document,
                    GlyphSheet& sheet);
  ~CollectingTeacher() override;
  void Teach(TeachingSession& session) override;

 private:
  void LineEnded();

  Recogniser& recogniser_;
  const document::SubtitleDocument& document_;
  GlyphSheet& sheet_;
  bool was_collecting_;
  // Shapes first seen on the line being walked: (shape index, glyph position in the line).
  std::vector<std::pair<int, int>> pending_;
};

// What teaching a page did.
struct PageTeaching {
  int taught = 0;                           // records added
  int first_number = 0;                     // 1-based number of the first (0 when none)
  int already_known = 0;                    // shapes the library already held exactly, passed over
  std::vector<text::Error> picture_errors;  // glyph pictures that could not be written
};

// Teaches the shapes of `page` (indices into `sheet`) whose text is filled in and that are not
// marked as noise, in the given order, with one write of the library's journal for all of them
// (library::GlyphLibrary::AddGlyphs), then writes their pictures. A shape the library already
// holds exactly is passed over. The library files are those of teaching the same answers one by
// one. Error "io" or "key" from the library: nothing was taught.
text::Result<PageTeaching> TeachPage(library::GlyphLibrary& library, PictureIo& pictures,
                                     const GlyphSheet& sheet, const std::vector<int>& page);

}  // namespace ocr

// Generated picture films: subtitle pictures rendered from text with a CJK font, thresholded to
// pure black ink, with the text they show and where each glyph's ink lies.
#pragma once

#include <QFont>
#include <QImage>
#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ocr/recogniser.h"
#include "ocr/teaching.h"
#include "text/result.h"

namespace film {

// One glyph as drawn: its text (GBK), its line (0-based) and its ink columns (inclusive).
struct PlacedGlyph {
  std::string text;
  int line = 0;
  int ink_left = 0;
  int ink_right = 0;
};

// A rendered subtitle picture's truth: the text (chunks joined by three spaces, lines by "\N",
// GBK), the glyphs, and each line's band of picture rows (first, last).
struct PictureTruth {
  std::string text;
  std::vector<PlacedGlyph> glyphs;
  std::vector<std::pair<int, int>> line_rows;
};

// Lines of chunks (UTF-8); chunks of one line are drawn a wide gap apart.
using SubtitleLines = std::vector<std::vector<std::string>>;

enum class BitDepth { kMono, kIndexed8, kRgb24 };

class Generator {
 public:
  // Loads the font (Droid Sans Fallback, or `font_file`) and the text pool. Needs a
  // QGuiApplication. Check Error() afterwards.
  explicit Generator(int font_pixels = 28, std::uint32_t seed = 1,
                     const std::filesystem::path& font_file = {});
  const std::string& Error() const {
    return error_;
  }

  // Entry texts: `count` entries that together show every pool character at least `repeats`
  // times, or random ones.
  std::vector<SubtitleLines> CoveringTexts(int repeats);
  std::vector<SubtitleLines> RandomTexts(int count);

  // Draws `lines` centred on a `width`-pixel picture: black ink on `background`, a black frame
  // line in the last row when `frame_line`.
  QImage Render(const SubtitleLines& lines, PictureTruth& truth, int width = 720,
                QRgb background = qRgb(224, 228, 240), bool frame_line = true);

  // Writes `srt_name` and one picture per entry (0001.bmp, ...) into `folder`, cycling through
  // `depths`, truth.txt (the texts, GBK, one line per entry) and reference.srt (the same texts
  // as a text subtitle with the same times, one SRT line per text line). Returns the truths.
  text::Result<std::vector<PictureTruth>> WriteFilm(
      const std::filesystem::path& folder, const std::vector<SubtitleLines>& entries,
      int width = 720, const std::string& srt_name = "film.srt",
      const std::vector<BitDepth>& depths = {BitDepth::kRgb24, BitDepth::kIndexed8,
                                             BitDepth::kMono});

 private:
  struct InkSpan {
    int left = 0;  // relative to the pen position; left > right when the glyph has no ink
    int right = -1;
  };
  InkSpan InkOf(const QString& glyph);
  std::vector<std::string> RandomChunk(int min_length, int max_length);

  QFont font_;
  int font_pixels_;
  std::mt19937 random_;
  std::vector<std::string> chinese_;
  std::vector<std::string> punctuation_;
  std::vector<std::string> latin_;
  std::map<QString, InkSpan> ink_;
  std::string error_;
};

// Character accuracy of `read` against `truth` (GBK): 1 - edit distance / truth length, counted
// in characters (a two-byte character is one), spaces included.
double CharacterAccuracy(const std::string& truth, const std::string& read);

// Teaches unknown glyphs of a generated film as a careful user would: widens the box until it
// covers whole drawn glyphs, then saves their text.
class FilmTeacher : public ocr::Teacher {
 public:
  FilmTeacher(const ocr::Recogniser& recogniser, const std::vector<PictureTruth>& truths)
      : recogniser_(recogniser), truths_(truths) {}
  void Teach(ocr::TeachingSession& session) override;

  int saved = 0;
  int skipped = 0;

 private:
  const ocr::Recogniser& recogniser_;
  const std::vector<PictureTruth>& truths_;
};

}  // namespace film

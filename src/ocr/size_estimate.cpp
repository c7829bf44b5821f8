// Tallies of line heights and segment widths over sample pictures.
#include "ocr/size_estimate.h"

#include <memory>
#include <system_error>
#include <vector>

#include "document/picture_files.h"
#include "document/row_table.h"

namespace ocr {
namespace {

// Sizes in order of first appearance with their counts; full tallies ignore new sizes.
class Tally {
 public:
  explicit Tally(int slots) : slots_(slots) {}
  // Counts `size`; returns true when it was counted.
  bool Add(int size) {
    for (auto& entry : entries_) {
      if (entry.size == size) {
        ++entry.count;
        return true;
      }
    }
    if (size <= 5 || static_cast<int>(entries_.size()) >= slots_) {
      return false;
    }
    entries_.push_back({size, 1});
    return true;
  }
  // The most frequent size; an earlier one wins ties. 0 when empty.
  int Mode() const {
    int best = 0;
    int best_count = 0;
    for (const auto& entry : entries_) {
      if (entry.count > best_count) {
        best = entry.size;
        best_count = entry.count;
      }
    }
    return best;
  }

 private:
  struct Entry {
    int size;
    int count;
  };
  int slots_;
  std::vector<Entry> entries_;
};

}  // namespace

int SampleLineCount(const std::string& text) {
  if (text.empty() || text.size() > 9) {
    return kDefaultSampleLines;
  }
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return kDefaultSampleLines;
    }
    value = value * 10 + (c - '0');
  }
  return value;
}

SizeEstimate EstimateStandardSizes(Recogniser& recogniser,
                                   const document::SubtitleDocument& document, int sample_lines) {
  SizeEstimate estimate;
  EngineOptions& options = recogniser.Options();
  options.line_height = 0;
  options.glyph_width = 0;
  Tally heights(10);
  Tally widths(100);
  std::unique_ptr<Picture> shown;  // the picture in the view; kept when the next one is missing
  std::vector<Segment> segments;
  const auto& table = document.main;
  for (int r = 1; r < table.RowCount() && r < 100; ++r) {
    // A name outside the folder counts as an unreadable picture; its file is not looked at.
    auto file = document::PictureFile(document, table.Cell(document::kPicture, r));
    if (!file.ok()) {
      ++estimate.unreadable_pictures;
    }
    if (file.ok() && !table.Cell(document::kPicture, r).empty() &&
        recogniser.Pictures().Has(file.value())) {
      const std::filesystem::path& path = file.value();
      auto loaded = recogniser.Pictures().Load(path);
      if (loaded.ok()) {
        shown = std::move(loaded.value());
      } else {
        ++estimate.unreadable_pictures;
      }
    }
    if (shown != nullptr) {
      if (!recogniser.Prepare(*shown).ok()) {
        ++estimate.unreadable_pictures;
      } else {
        for (const TextLine& line : recogniser.Lines()) {
          CutSegments(recogniser.Grid(), line.top, line.height, 0, segments);
          if (heights.Add(line.height)) {
            ++estimate.sampled_lines;
          }
          for (const Segment& segment : segments) {
            widths.Add(segment.right - segment.left);
          }
        }
      }
    }
    if (estimate.sampled_lines >= sample_lines) {
      break;
    }
  }
  estimate.line_height = heights.Mode();
  estimate.glyph_width = widths.Mode();
  options.line_height = estimate.line_height;
  options.glyph_width = estimate.glyph_width;
  return estimate;
}

}  // namespace ocr

// Nearest shapes in the library by FeatureLine distance, and the merged suggestion list.
#include "ocr/suggestions.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

#include "library/shape_table.h"
#include "ocr/features.h"

namespace ocr {
namespace {

using library::FeatureNumbers;
using library::ShapeTable;

int Distance(const FeatureNumbers& a, const FeatureNumbers& b, bool compare_size) {
  if (a.count < kDensityCount || b.count < kDensityCount) {
    return -1;
  }
  int distance = 0;
  for (int i = 0; i < kDensityCount; ++i) {
    distance +=
        std::abs(a.values[static_cast<std::size_t>(i)] - b.values[static_cast<std::size_t>(i)]);
  }
  if (compare_size && a.count >= kDensityCount + 2 && b.count >= kDensityCount + 2) {
    distance += kSizeWeight * (std::abs(a.values[kDensityCount] - b.values[kDensityCount]) +
                               std::abs(a.values[kDensityCount + 1] - b.values[kDensityCount + 1]));
  }
  return distance;
}

// The wanted shape in the table's layout (group sums; densities and size), so that a record is
// compared field by field.
struct Wanted {
  std::array<std::int32_t, library::kShapeGroupCount> sums{};
  std::array<std::int32_t, ShapeTable::kStride> numbers{};
  bool size = false;  // the size part of the distance counts

  Wanted(const FeatureNumbers& parsed, bool compare_size) {
    for (int group = 0; group < library::kShapeGroupCount; ++group) {
      for (int i = library::kShapeGroupStarts[static_cast<std::size_t>(group)];
           i < library::kShapeGroupStarts[static_cast<std::size_t>(group) + 1]; ++i) {
        sums[static_cast<std::size_t>(group)] += parsed.values[static_cast<std::size_t>(i)];
      }
    }
    for (int i = 0; i < kDensityCount + 2; ++i) {
      numbers[static_cast<std::size_t>(ShapeTable::kDensities + i)] =
          parsed.values[static_cast<std::size_t>(i)];
    }
    size = compare_size && parsed.count >= kDensityCount + 2;
  }

  // The distance of record `i` of `line`, or -1 once it is known to exceed `bound`. The group
  // sums give a lower bound first: a record of a large library is mostly refused after four
  // differences, without its densities being read.
  int BoundedDistance(const ShapeTable& table, int row, int bound) const {
    const std::int32_t* record_sums = table.Sums(row);
    int lower = 0;
    for (int group = 0; group < library::kShapeGroupCount; ++group) {
      lower += std::abs(record_sums[group] - sums[static_cast<std::size_t>(group)]);
    }
    if (lower > bound) {
      return -1;
    }
    const std::int32_t* record = table.Record(row);
    int distance = 0;
    for (int d = ShapeTable::kDensities; d < ShapeTable::kDensities + kDensityCount; ++d) {
      distance += std::abs(record[d] - numbers[static_cast<std::size_t>(d)]);
    }
    if (size && record[ShapeTable::kCount] >= kDensityCount + 2) {
      distance +=
          kSizeWeight * (std::abs(record[ShapeTable::kWidth] - numbers[ShapeTable::kWidth]) +
                         std::abs(record[ShapeTable::kHeight] - numbers[ShapeTable::kHeight]));
    }
    return distance > bound ? -1 : distance;
  }
};

}  // namespace

const char* SourceName(SuggestionSource source) {
  switch (source) {
    case SuggestionSource::kLibrary:
      return "library";
    case SuggestionSource::kReference:
      return "reference";
    case SuggestionSource::kOcrGuess:
      return "ocr";
    case SuggestionSource::kLineReading:
      return "line";
  }
  return "library";
}

int ShapeDistance(std::string_view a, std::string_view b) {
  return Distance(library::ParseFeatureNumbers(a), library::ParseFeatureNumbers(b), true);
}

std::vector<Suggestion> NearestShapes(const library::GlyphLibrary& library,
                                      std::string_view features, int key, bool ignore_size,
                                      int count, int max_distance) {
  std::vector<Suggestion> found;  // one per text, nearest first
  if (count <= 0) {
    return found;
  }
  const FeatureNumbers parsed = library::ParseFeatureNumbers(features);
  if (parsed.count < kDensityCount) {
    return found;
  }
  const Wanted wanted(parsed, !ignore_size);
  const library::ShapeTable& shapes = library.Shapes();
  // The distance a new record must beat to enter the list.
  auto bound = [&] {
    return static_cast<int>(found.size()) < count ? max_distance : found.back().distance;
  };
  auto consider = [&](int position, int distance) {
    const std::string& text = library.Text(position);
    const auto same = std::find_if(found.begin(), found.end(),
                                   [&](const Suggestion& s) { return s.text == text; });
    if (same != found.end()) {
      if (same->distance <= distance) {
        return;
      }
      found.erase(same);
    }
    Suggestion suggestion{text, SuggestionSource::kLibrary, distance, position + 1};
    // Equal distances keep the order found: the nearer key, then the earlier record.
    const auto place = std::upper_bound(found.begin(), found.end(), distance,
                                        [](int d, const Suggestion& s) { return d < s.distance; });
    found.insert(place, std::move(suggestion));
    if (static_cast<int>(found.size()) > count) {
      found.pop_back();
    }
  };
  // |key difference| <= density distance, so keys farther than the bound cannot enter.
  for (int step = 0; step <= kMaxFeatureKey && step <= bound(); ++step) {
    for (const int candidate_key : {key - step, key + step}) {
      if (candidate_key < 0 || candidate_key > kMaxFeatureKey) {
        continue;
      }
      const ShapeTable::Rows built = shapes.BuiltRows(candidate_key);
      for (int row = built.begin; row < built.end; ++row) {
        if (const int distance = wanted.BoundedDistance(shapes, row, bound()); distance >= 0) {
          consider(shapes.Position(row), distance);
        }
      }
      for (const int row : shapes.AppendedRows(candidate_key)) {
        if (const int distance = wanted.BoundedDistance(shapes, row, bound()); distance >= 0) {
          consider(shapes.Position(row), distance);
        }
      }
      if (step == 0) {
        break;
      }
    }
  }
  return found;
}

std::vector<Suggestion> MergeSuggestions(const std::vector<Suggestion>& reference,
                                         const std::vector<Suggestion>& ocr_guess,
                                         const std::vector<Suggestion>& library) {
  std::vector<Suggestion> merged;
  for (const auto* list : {&reference, &ocr_guess, &library}) {
    for (const Suggestion& suggestion : *list) {
      if (static_cast<int>(merged.size()) >= kMaxSuggestions) {
        return merged;
      }
      if (suggestion.text.empty()) {
        continue;
      }
      const bool repeated = std::any_of(merged.begin(), merged.end(), [&](const Suggestion& s) {
        return s.text == suggestion.text;
      });
      if (!repeated) {
        merged.push_back(suggestion);
      }
    }
  }
  return merged;
}

}  // namespace ocr

// Nearest shapes in the library by FeatureLine distance, and the merged suggestion list.
#include "ocr/suggestions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>

#include "ocr/features.h"

namespace ocr {
namespace {

// The numbers of a FeatureLine: 13 densities, then width and height when present.
struct ParsedLine {
  std::array<int, kDensityCount + 2> values{};
  int count = 0;
};

ParsedLine Parse(std::string_view line) {
  ParsedLine parsed;
  const char* position = line.data();
  const char* end = line.data() + line.size();
  while (position < end && parsed.count < static_cast<int>(parsed.values.size())) {
    int value = 0;
    const auto [next, error] = std::from_chars(position, end, value);
    if (error != std::errc()) {
      break;
    }
    parsed.values[static_cast<std::size_t>(parsed.count++)] = value;
    if (next == end || *next != ',') {
      break;
    }
    position = next + 1;
  }
  return parsed;
}

int Distance(const ParsedLine& a, const ParsedLine& b, bool compare_size) {
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

// The distance of `line` from `wanted`, or -1 as soon as it is known to exceed `bound` (most
// records of a large library are left after a few fields, unparsed beyond them), or when `line`
// is not a FeatureLine.
int BoundedDistance(const ParsedLine& wanted, std::string_view line, bool compare_size, int bound) {
  const char* position = line.data();
  const char* end = line.data() + line.size();
  int distance = 0;
  int fields = 0;
  int sizes[2] = {0, 0};
  while (position < end && fields < kDensityCount + 2) {
    int value = 0;
    const auto [next, error] = std::from_chars(position, end, value);
    if (error != std::errc()) {
      break;
    }
    if (fields < kDensityCount) {
      distance += std::abs(value - wanted.values[static_cast<std::size_t>(fields)]);
      if (distance > bound) {
        return -1;
      }
    } else {
      sizes[fields - kDensityCount] = value;
    }
    ++fields;
    if (next == end || *next != ',') {
      break;
    }
    position = next + 1;
  }
  if (fields < kDensityCount) {
    return -1;
  }
  if (compare_size && fields >= kDensityCount + 2 && wanted.count >= kDensityCount + 2) {
    distance += kSizeWeight * (std::abs(sizes[0] - wanted.values[kDensityCount]) +
                               std::abs(sizes[1] - wanted.values[kDensityCount + 1]));
  }
  return distance > bound ? -1 : distance;
}

}  // namespace

const char* SourceName(SuggestionSource source) {
  switch (source) {
    case SuggestionSource::kLibrary:
      return "library";
    case SuggestionSource::kReference:
      return "reference";
    case SuggestionSource::kOcrGuess:
      return "ocr";
  }
  return "library";
}

int ShapeDistance(std::string_view a, std::string_view b) {
  return Distance(Parse(a), Parse(b), true);
}

std::vector<Suggestion> NearestShapes(const library::GlyphLibrary& library,
                                      std::string_view features, int key, bool ignore_size,
                                      int count, int max_distance) {
  std::vector<Suggestion> found;  // one per text, nearest first
  if (count <= 0) {
    return found;
  }
  const ParsedLine wanted = Parse(features);
  if (wanted.count < kDensityCount) {
    return found;
  }
  // The distance a new record must beat to enter the list.
  auto bound = [&] {
    return static_cast<int>(found.size()) < count ? max_distance : found.back().distance;
  };
  auto consider = [&](int position) {
    if (position < 0 || position >= library.RecordCount()) {
      return;
    }
    const int distance =
        BoundedDistance(wanted, library.FeatureLine(position), !ignore_size, bound());
    if (distance < 0) {
      return;
    }
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
      for (const int position : library.Candidates(candidate_key)) {
        consider(position);
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

// The nearest-shape search over the library's parsed numbers against a plain search of every
// record, over random libraries and through the changes that keep or drop the parsed numbers.
#include "ocr/suggestions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "core/ocr/ocr_test_support.h"
#include "library/glyph_library.h"
#include "support/fake_ports.h"

namespace {

// FeatureLines of a small value range, so that distances tie and texts repeat: 13 densities,
// then mostly a size, sometimes none or only a width.
std::string RandomLine(std::mt19937& random, int spread) {
  std::uniform_int_distribution<int> density(0, spread);
  std::uniform_int_distribution<int> size(8, 11);
  std::uniform_int_distribution<int> shape(0, 9);
  std::string line;
  for (int i = 0; i < 13; ++i) {
    line += (i > 0 ? "," : "") + std::to_string(density(random));
  }
  const int kind = shape(random);
  if (kind >= 2) {
    line += "," + std::to_string(size(random)) + "," + std::to_string(size(random));
  } else if (kind == 1) {
    line += "," + std::to_string(size(random));
  }
  return line;
}

// The line up to its 13th number: the densities without the size.
std::string Densities(const std::string& line) {
  std::size_t end = 0;
  for (int commas = 0; end < line.size(); ++end) {
    if (line[end] == ',' && ++commas == 13) {
      break;
    }
  }
  return line.substr(0, end);
}

int KeyOf(const std::string& line) {
  return library::FeatureKeyOf(line).value_or(-1);
}

// Every indexed record ranked by distance, then by the nearer key (the lower one first at equal
// distance of keys), then by its place in the index line; the best record of each text, nearest
// first, at most `count`, none beyond `max_distance`.
std::vector<ocr::Suggestion> PlainSearch(const library::GlyphLibrary& library,
                                         const std::string& features, int key, bool ignore_size,
                                         int count, int max_distance) {
  struct Ranked {
    int distance;
    int key_distance;
    bool above;
    int order;
    int position;
  };
  std::vector<Ranked> ranked;
  for (int line = 0; line <= library::kMaxFeatureKey; ++line) {
    const auto& positions = library.Candidates(line);
    for (std::size_t i = 0; i < positions.size(); ++i) {
      const std::string& record = library.FeatureLine(positions[i]);
      const int distance = ignore_size ? ocr::ShapeDistance(Densities(features), Densities(record))
                                       : ocr::ShapeDistance(features, record);
      if (distance < 0 || distance > max_distance) {
        continue;
      }
      ranked.push_back(
          {distance, std::abs(line - key), line > key, static_cast<int>(i), positions[i]});
    }
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const Ranked& a, const Ranked& b) {
    return std::tie(a.distance, a.key_distance, a.above, a.order) <
           std::tie(b.distance, b.key_distance, b.above, b.order);
  });
  std::vector<ocr::Suggestion> found;
  for (const Ranked& r : ranked) {
    if (static_cast<int>(found.size()) >= count) {
      break;
    }
    const std::string& text = library.Text(r.position);
    if (std::none_of(found.begin(), found.end(),
                     [&](const ocr::Suggestion& s) { return s.text == text; })) {
      found.push_back({text, ocr::SuggestionSource::kLibrary, r.distance, r.position + 1});
    }
  }
  return found;
}

std::vector<std::tuple<std::string, int, int>> Summary(const std::vector<ocr::Suggestion>& list) {
  std::vector<std::tuple<std::string, int, int>> summary;
  for (const auto& s : list) {
    summary.emplace_back(s.text, s.distance, s.number);
  }
  return summary;
}

// Random contents: `count` records of `texts` different texts; every 50th line damaged.
library::LibraryContents RandomContents(std::mt19937& random, int count, int texts, int spread) {
  library::LibraryContents contents;
  std::uniform_int_distribution<int> text(0, texts - 1);
  for (int i = 0; i < count; ++i) {
    contents.texts.push_back("t" + std::to_string(text(random)));
    contents.features.push_back(i % 50 == 49 ? "12,x" : RandomLine(random, spread));
  }
  contents.index = library::GlyphLibrary::BuildIndex(contents.features, nullptr, nullptr);
  return contents;
}

void ExpectSameAsPlainSearch(const library::GlyphLibrary& library, std::mt19937& random, int spread,
                             int queries) {
  std::uniform_int_distribution<int> pick(0, std::max(0, library.RecordCount() - 1));
  std::uniform_int_distribution<int> nudge(-3, 3);
  for (int q = 0; q < queries; ++q) {
    // Half the questions start from a record (a near variant), half are new shapes.
    std::string features = RandomLine(random, spread);
    if (q % 2 == 0 && library.RecordCount() > 0) {
      const std::string& record = library.FeatureLine(pick(random));
      if (KeyOf(record) >= 0) {
        features = record;
        const std::size_t comma = features.find(',');
        const int first = std::max(0, std::stoi(features.substr(0, comma)) + nudge(random));
        features = std::to_string(first) + features.substr(comma);
      }
    }
    const int key = KeyOf(features);
    for (const bool ignore_size : {false, true}) {
      for (const auto& [count, bound] : {std::pair{6, 800}, {3, 40}, {1, 20000}, {6, 0}}) {
        EXPECT_EQ(Summary(ocr::NearestShapes(library, features, key, ignore_size, count, bound)),
                  Summary(PlainSearch(library, features, key, ignore_size, count, bound)))
            << features << " ignore_size " << ignore_size << " count " << count;
      }
    }
  }
}

TEST(NearestShapes, EqualsAPlainSearchOverRandomLibraries) {
  struct Case {
    int records;
    int texts;
    int spread;  // densities 0..spread: small spreads make ties and near records common
  };
  const Case cases[] = {{1, 1, 5}, {40, 3, 3}, {300, 20, 10}, {2000, 60, 40}, {3000, 400, 300}};
  std::mt19937 random(2024);
  for (const Case& c : cases) {
    ocr_testing::EmptyLibrary empty;
    ASSERT_TRUE(
        empty.library.SaveContents(RandomContents(random, c.records, c.texts, c.spread)).ok());
    ExpectSameAsPlainSearch(empty.library, random, c.spread, 30);
  }
}

TEST(NearestShapes, FollowsTheLibraryThroughAddsRebuildsAndReplacedContents) {
  std::mt19937 random(77);
  ocr_testing::EmptyLibrary empty;
  auto& glyphs = empty.library;
  ASSERT_TRUE(glyphs.SaveContents(RandomContents(random, 200, 15, 8)).ok());
  ExpectSameAsPlainSearch(glyphs, random, 8, 10);  // the numbers are built here
  // Taught glyphs join the numbers already built.
  for (int i = 0; i < 30; ++i) {
    const std::string line = RandomLine(random, 8);
    ASSERT_TRUE(glyphs.AddGlyph("new" + std::to_string(i % 4), line, KeyOf(line)).ok());
  }
  ExpectSameAsPlainSearch(glyphs, random, 8, 20);
  // A taught glyph that is the exact shape asked is found at distance 0.
  const std::string asked = RandomLine(random, 8);
  ASSERT_TRUE(glyphs.AddGlyph("exact", asked, KeyOf(asked)).ok());
  const auto found = ocr::NearestShapes(glyphs, asked, KeyOf(asked), false);
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(found[0].distance, 0);
  // Replaced contents (a delete in the library editor, a merge) drop the old numbers.
  ASSERT_TRUE(glyphs.SaveContents(RandomContents(random, 50, 5, 8)).ok());
  ExpectSameAsPlainSearch(glyphs, random, 8, 20);
  testing_support::FakeEventPump pump;
  ASSERT_TRUE(glyphs.RebuildIndex(pump).ok());
  ExpectSameAsPlainSearch(glyphs, random, 8, 10);
}

}  // namespace

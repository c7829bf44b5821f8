// The commands over every row against the forms they had before they worked in one pass: the
// check (its phrase rule against a pair-by-pair replacement, the whole check against recorded
// digests of generated rows) and the match listing against find clicks one by one.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "proof/char_search.h"
#include "proof/check_rules.h"
#include "proof/find_replace.h"
#include "proof_test_util.h"
#include "support/fake_ports.h"

namespace proof {
namespace {

// A small deterministic generator (the same numbers with every standard library).
class Numbers {
 public:
  explicit Numbers(std::uint64_t seed) : state_(seed) {}
  std::uint32_t Next(std::uint32_t below) {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state_ >> 33) % below;
  }

 private:
  std::uint64_t state_;
};

// Pieces the generated texts are made of: the marks every rule looks at, characters whose
// second byte is ASCII ('@', 'A', '\\', '^') or a mark's first byte, and characters that put a
// mark's bytes across a character boundary (B0 A1 | A3 B0 holds A1 A3 inside).
const std::vector<std::string>& Pieces() {
  static const std::vector<std::string> pieces = {"\xA1\xB0",
                                                  "\xA1\xB1",
                                                  "\xA1\xA3",
                                                  "\xA3\xAC",
                                                  "\xA1\xAD",
                                                  "\"",
                                                  "...",
                                                  ".",
                                                  ",",
                                                  "\x81\x40",
                                                  "\x81"
                                                  "A",
                                                  "\xB0\x5C",
                                                  "\xB0^",
                                                  "\xB0\xA1",
                                                  "\xA3\xB0",
                                                  "\xCF\xF3",
                                                  "\xCF\xF1",
                                                  "A",
                                                  "@",
                                                  "^",
                                                  "\xA1\xA1",
                                                  "\xC4\xE3",
                                                  "\xBA\xC3",
                                                  " ",
                                                  "\\N"};
  return pieces;
}

std::string RandomText(Numbers& numbers, int most_pieces) {
  std::string text;
  const int count = static_cast<int>(numbers.Next(static_cast<std::uint32_t>(most_pieces) + 1));
  for (int i = 0; i < count; ++i) {
    text += Pieces()[numbers.Next(static_cast<std::uint32_t>(Pieces().size()))];
  }
  // Now and then a lone lead byte at the end, as damaged text may hold.
  if (numbers.Next(16) == 0) {
    text += "\xC4";
  }
  return text;
}

// Phrase pairs of one to three pieces: overlapping, sharing prefixes, repeated, some unusable
// (empty or equal sides, a replacement holding its search text), some recreating themselves.
std::vector<PhrasePair> RandomPhrases(Numbers& numbers, int count) {
  std::vector<PhrasePair> phrases;
  for (int i = 0; i < count; ++i) {
    PhrasePair pair{RandomText(numbers, 3), RandomText(numbers, 3)};
    if (numbers.Next(8) == 0 && !phrases.empty()) {
      pair.search = phrases[numbers.Next(static_cast<std::uint32_t>(phrases.size()))].search;
    }
    if (numbers.Next(20) == 0) {
      pair.replacement = "x" + pair.search;
    }
    phrases.push_back(std::move(pair));
  }
  return phrases;
}

// The phrase rule as it was: every usable pair in table order, replaced everywhere.
std::string PhrasesPairByPair(std::string text, const std::vector<PhrasePair>& phrases,
                              bool& changed, bool& bound_hit) {
  for (const PhrasePair& pair : phrases) {
    if (pair.search.empty() || pair.replacement.empty() || pair.search == pair.replacement ||
        pair.replacement.find(pair.search) != std::string::npos) {
      continue;
    }
    const ReplaceCount count =
        ReplaceOnCharBoundaries(text, pair.search, pair.replacement, kMaxReplacementsPerText);
    changed = changed || count.replaced > 0;
    bound_hit = bound_hit || count.limit_hit;
  }
  return text;
}

TEST(OnePassCheck, PhraseRuleEqualsPairByPairReplacement) {
  Numbers numbers(28);
  for (int table = 0; table < 300; ++table) {
    CheckOptions options;
    options.apply_phrases = true;
    options.phrases = RandomPhrases(numbers, 1 + static_cast<int>(numbers.Next(40)));
    for (int row = 0; row < 40; ++row) {
      const std::string text = RandomText(numbers, 12);
      bool changed = false;
      bool bound_hit = false;
      const std::string expected = PhrasesPairByPair(text, options.phrases, changed, bound_hit);
      const CheckedText checked = CheckText(text, options);
      ASSERT_EQ(checked.text, expected) << "table " << table << " row " << row;
      ASSERT_EQ(checked.changed, changed) << "table " << table << " row " << row;
      ASSERT_EQ(checked.replacement_bound_hit, bound_hit);
    }
  }
}

TEST(OnePassCheck, PhraseRuleKeepsTableOrderAndBoundaries) {
  using proof_test::G;
  struct Case {
    std::vector<PhrasePair> phrases;
    std::string text;
    std::string expected;
  };
  const std::vector<Case> cases = {
      // A later pair sees what an earlier one wrote; an earlier pair never sees a later one's.
      {{{"ab", "c"}, {"c", "d"}}, "abab", "dd"},
      {{{"c", "d"}, {"ab", "c"}}, "abab", "cc"},
      // Overlapping phrases: the first pair in the table wins where both could match.
      {{{"bc", "X"}, {"abc", "Y"}}, "abc", "aX"},
      {{{"abc", "Y"}, {"bc", "X"}}, "abc", "Y"},
      // A match inside a character (the second byte of 你 and the first of 好) is no match.
      {{{"\xE3\xBA", "!"}}, G("你好"), G("你好")},
      {{{"\xE3\xBA", "!"}}, G("你好") + "x\xE3\xBA", G("你好") + "x!"},
      // '@' and 'A' as second bytes and as characters.
      {{{"A", "b"}, {"@", "c"}},
       "\x81\x40\x81"
       "AA@",
       "\x81\x40\x81"
       "Abc"},
      // A replacement that recreates the search text across its left edge.
      {{{"aab", "a"}}, "aaaabb", "aa"},
      // Phrases longer than 64 bytes, on and off a boundary.
      {{{std::string(70, 'a') + "b", "c"}}, "x" + std::string(70, 'a') + "b", "xc"},
      {{{"\xB0" + std::string(69, 'a'), "c"}},
       "\xB0\xB0" + std::string(69, 'a'),
       "\xB0\xB0" + std::string(69, 'a')},
      {{{"\xB0" + std::string(69, 'a'), "c"}}, "a\xB0" + std::string(69, 'a'), "ac"},
  };
  for (const Case& c : cases) {
    CheckOptions options;
    options.apply_phrases = true;
    options.phrases = c.phrases;
    EXPECT_EQ(CheckText(c.text, options).text, c.expected) << c.text;
  }
}

// FNV-1a over the review of a generated document, with every rule on in each ellipsis form.
std::uint64_t ReviewDigest(EllipsisForm ellipsis, std::uint64_t seed) {
  Numbers numbers(seed);
  std::vector<std::string> texts;
  for (int row = 0; row < 2000; ++row) {
    texts.push_back(RandomText(numbers, 14));
  }
  CheckOptions options;
  options.quotes_to_full_width = true;
  options.pair_quotes = true;
  options.inner_full_stops = true;
  options.drop_final_stop = true;
  options.ellipsis = ellipsis;
  options.apply_phrases = true;
  options.phrases = RandomPhrases(numbers, 60);
  options.skip_placeholder = "\xA1\xF5";
  const document::SubtitleDocument document = proof_test::MakeTextDocument(texts);
  testing_support::FakeEventPump pump;
  const CheckReview review = RunCheck(document, options, pump);
  std::uint64_t digest = 14695981039346656037ULL;
  const auto add = [&digest](std::string_view bytes) {
    for (const char c : bytes) {
      digest = (digest ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    digest = (digest ^ 0xFF) * 1099511628211ULL;
  };
  for (const ReviewRow& row : review.rows) {
    add(row.number);
    add(row.before);
    add(row.after);
  }
  for (const std::string& number : review.bounded_numbers) {
    add(number);
  }
  for (const std::string& number : review.placeholder_numbers) {
    add(number);
  }
  add(std::to_string(review.rows.size()));
  return digest;
}

// Digests recorded with the check as it was before it went through the rows in one pass.
TEST(OnePassCheck, ReviewOfGeneratedRowsIsAsRecorded) {
  EXPECT_EQ(ReviewDigest(EllipsisForm::kDouble, 1), 14450612672138973685ULL);
  EXPECT_EQ(ReviewDigest(EllipsisForm::kSingle, 2), 16617571613105547320ULL);
  EXPECT_EQ(ReviewDigest(EllipsisForm::kThreeDots, 3), 12377605867996879533ULL);
  EXPECT_EQ(ReviewDigest(EllipsisForm::kUnchanged, 4), 3844300126309341046ULL);
}

// The listing as it was: one find click after another until the search runs out.
std::vector<std::pair<int, std::size_t>> ListByClicks(document::SubtitleDocument document,
                                                      const std::string& search) {
  FindReplace tool(SearchHistory(), SearchHistory(), std::nullopt);
  testing_support::FakeMessages questions;
  proof_test::NumberedMessages messages;
  const SearchRequest request{search, "", false, false, false};
  std::vector<std::pair<int, std::size_t>> places;
  for (SearchOutcome outcome = tool.Run(request, document, questions, messages);
       outcome.end == SearchEnd::kShowingMatch;
       outcome = tool.Run(request, document, questions, messages)) {
    places.emplace_back(outcome.row, outcome.match.offset);
  }
  return places;
}

std::vector<std::pair<int, std::size_t>> ListInOnePass(const document::SubtitleDocument& document,
                                                       const std::string& search) {
  std::vector<std::pair<int, std::size_t>> places;
  const int visited = ForEachMatch(document.main, search, [&](int row, const TextMatch& match) {
    places.emplace_back(row, match.offset);
    return true;
  });
  EXPECT_EQ(visited, static_cast<int>(places.size()));
  return places;
}

TEST(OnePassListing, ListsWhatFindClicksShow) {
  Numbers numbers(29);
  // Search texts in every mode, markers as characters' second bytes ("\xB0^") included.
  const std::vector<std::string> markers = {"", "^P", "^F", "^^"};
  std::size_t total = 0;
  for (int round = 0; round < 400; ++round) {
    std::vector<std::string> texts;
    const int rows = 1 + static_cast<int>(numbers.Next(8));
    for (int row = 0; row < rows; ++row) {
      texts.push_back(RandomText(numbers, 16));
    }
    std::string search = RandomText(numbers, 2);
    const std::string& marker = markers[numbers.Next(4)];
    if (marker == "^F") {
      search = marker + search;
    } else if (marker == "^^") {
      search += marker + RandomText(numbers, 2);
    } else {
      search += marker;
    }
    if (search.empty()) {
      continue;
    }
    const document::SubtitleDocument document = proof_test::MakeTextDocument(texts);
    const auto listed = ListInOnePass(document, search);
    ASSERT_EQ(listed, ListByClicks(document, search)) << "round " << round << " search " << search;
    total += listed.size();
  }
  EXPECT_GT(total, 200u);  // the rounds do meet matches
}

TEST(OnePassListing, StopsWhenTheVisitorSaysSo) {
  const document::SubtitleDocument document = proof_test::MakeTextDocument({"aaaa", "aa"});
  std::vector<int> rows;
  EXPECT_EQ(ForEachMatch(document.main, "a",
                         [&](int row, const TextMatch&) {
                           rows.push_back(row);
                           return rows.size() < 5;
                         }),
            5);
  EXPECT_EQ(rows, (std::vector<int>{1, 1, 1, 1, 2}));
  EXPECT_EQ(ForEachMatch(document.main, "", [](int, const TextMatch&) { return true; }), 0);
}

}  // namespace
}  // namespace proof

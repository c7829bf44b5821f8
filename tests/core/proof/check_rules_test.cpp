// Tests of the character-aligned search, the check rules, the check run and its confirmation.
#include "proof/check_rules.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "proof/char_search.h"
#include "proof_test_util.h"
#include "support/fake_ports.h"

namespace proof {
namespace {

using proof_test::G;

TEST(FindOnCharBoundary, FindsOnlyMatchesThatStartACharacter) {
  const std::string nihao = G("你好");  // C4 E3 BA C3
  EXPECT_EQ(FindOnCharBoundary("abc", "b"), 2u);
  EXPECT_EQ(FindOnCharBoundary("abc", "x"), 0u);
  EXPECT_EQ(FindOnCharBoundary("", "a"), 0u);
  EXPECT_EQ(FindOnCharBoundary("abc", ""), 1u);
  EXPECT_EQ(FindOnCharBoundary("", ""), 0u);
  EXPECT_EQ(FindOnCharBoundary("ab", "abc"), 0u);
  // "\xE3\xBA" straddles the two characters of 你好: not a match.
  EXPECT_EQ(FindOnCharBoundary(nihao, "\xE3\xBA"), 0u);
  // The same bytes later on a boundary are found.
  EXPECT_EQ(FindOnCharBoundary(nihao + "x\xE3\xBA", "\xE3\xBA"), 6u);
  // "A" (0x41) is also a possible second byte of a two-byte character.
  EXPECT_EQ(FindOnCharBoundary("\x81\x41"
                               "A",
                               "A"),
            3u);
  EXPECT_EQ(FindOnCharBoundary(nihao + nihao, G("好")), 3u);
  EXPECT_EQ(FindOnCharBoundary("abab", "ab", 1), 3u);
  EXPECT_EQ(FindOnCharBoundary("abab", "ab", 4), 0u);
  // A lone lead byte at the end does not make the scan read past the text.
  EXPECT_EQ(FindOnCharBoundary("a\xC4", "b"), 0u);
}

TEST(ReplaceOnCharBoundaries, SearchesAgainFromTheStartAfterEachReplacement) {
  struct Case {
    std::string text;
    std::string search;
    std::string replacement;
    std::string expected;
    int replaced;
  };
  const std::vector<Case> cases = {
      {"aab", "ab", "b", "b", 2},
      {"aabb", "ab", "ba", "bbaa", 4},
      {G("你好") + "\xE3\xBA", "\xE3\xBA", "X", G("你好") + "X", 1},
      {G("好好好"), G("好好"), G("好"), G("好"), 2},
      // The new occurrence starts inside the reach of the old one, whose left edge falls in
      // the middle of 好: the search must resume on the boundary before it.
      {G("好") + "aabc", "abc", "bc", G("好") + "bc", 2},
      {"abc", "", "x", "abc", 0},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    const ReplaceCount count = ReplaceOnCharBoundaries(text, c.search, c.replacement, 100);
    EXPECT_EQ(text, c.expected) << c.text;
    EXPECT_EQ(count.replaced, c.replaced) << c.text;
    EXPECT_FALSE(count.limit_hit) << c.text;
  }
  std::string text = "aaaa";
  const ReplaceCount count = ReplaceOnCharBoundaries(text, "a", "b", 3);
  EXPECT_EQ(text, "bbba");
  EXPECT_TRUE(count.limit_hit);
}

// The plain reading of the rule: replace the first occurrence on a boundary, search again from
// the start, until none is left or `limit` replacements were made.
ReplaceCount ReplaceOneAtATime(std::string& text, const std::string& search,
                               const std::string& replacement, int limit) {
  ReplaceCount count;
  for (std::size_t found = FindOnCharBoundary(text, search); found != 0 && !search.empty();
       found = FindOnCharBoundary(text, search)) {
    if (count.replaced == limit) {
      count.limit_hit = true;
      break;
    }
    text.replace(found - 1, search.size(), replacement);
    ++count.replaced;
  }
  return count;
}

TEST(ReplaceOnCharBoundaries, GivesTheSameTextAsReplacingOneAtATime) {
  // Short texts over letters and lead bytes, so that occurrences straddle characters, are
  // recreated across both edges of a replacement and run into the limit.
  const std::string alphabet = "ab\xC4\xE3";
  unsigned seed = 12345;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7FFF;
  };
  auto random_text = [&](unsigned max_length) {
    std::string text;
    for (unsigned n = next() % (max_length + 1); n > 0; --n) {
      text += alphabet[next() % alphabet.size()];
    }
    return text;
  };
  for (int round = 0; round < 20000; ++round) {
    const std::string original = random_text(14);
    const std::string search = random_text(3);
    const std::string replacement = random_text(3);
    const int limit = static_cast<int>(next() % 6) + (round % 2 == 0 ? 0 : 100);
    std::string expected = original;
    const ReplaceCount want = ReplaceOneAtATime(expected, search, replacement, limit);
    std::string text = original;
    const ReplaceCount got = ReplaceOnCharBoundaries(text, search, replacement, limit);
    ASSERT_EQ(text, expected) << "text " << original << " search " << search << " by "
                              << replacement << " limit " << limit;
    ASSERT_EQ(got.replaced, want.replaced) << original;
    ASSERT_EQ(got.limit_hit, want.limit_hit) << original;
  }
}

TEST(ReplaceOnCharBoundaries, TellsARecreatedOccurrenceFromAPlainOne) {
  struct Case {
    std::string text;
    std::string search;
    std::string replacement;
    bool recreated;
  };
  const std::vector<Case> cases = {
      {"aaaa", "a", "b", false}, {"aab", "ab", "b", true}, {"abab", "ab", "x", false},
      {"abb", "ab", "xa", true}, {"aabb", "ab", "", true}, {"aaa", "aa", "b", false},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(ReplaceOnCharBoundaries(text, c.search, c.replacement, 100).recreated, c.recreated)
        << c.text << " " << c.search;
  }
}

TEST(ReplaceOnCharBoundaries, StopsAtTheLimitOnALongLineInOnePass) {
  // Moving the rest of the line at every replacement made this take minutes.
  std::string text(30'000'000, 'A');
  const auto started = std::chrono::steady_clock::now();
  const ReplaceCount count = ReplaceOnCharBoundaries(text, "A", "BB", kMaxReplacementsPerText);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_EQ(count.replaced, kMaxReplacementsPerText);
  EXPECT_TRUE(count.limit_hit);
  EXPECT_FALSE(count.recreated);
  EXPECT_EQ(text.size(), 30'000'000u + kMaxReplacementsPerText);
  EXPECT_EQ(text.substr(0, 4), "BBBB");
  EXPECT_EQ(text.substr(2 * kMaxReplacementsPerText - 2, 4), "BBAA");
  EXPECT_LT(seconds, 10.0);
  // Without the limit in reach every occurrence is replaced, still in one pass.
  std::string many(2'000'000, 'A');
  const ReplaceCount all = ReplaceOnCharBoundaries(many, "A", "BB", 1 << 30);
  EXPECT_EQ(all.replaced, 2'000'000);
  EXPECT_EQ(many, std::string(4'000'000, 'B'));
}

struct RuleCase {
  std::string input;
  std::string expected;
  bool changed;
};

void ExpectCases(const CheckOptions& options, const std::vector<RuleCase>& cases) {
  for (const RuleCase& c : cases) {
    const CheckedText result = CheckText(c.input, options);
    EXPECT_EQ(result.text, c.expected) << text::GbkToUtf8(c.input).text;
    EXPECT_EQ(result.changed, c.changed) << text::GbkToUtf8(c.input).text;
  }
}

CheckOptions With(const std::function<void(CheckOptions&)>& set) {
  CheckOptions options;
  set(options);
  return options;
}

TEST(CheckRules, HalfWidthQuotesBecomeAlternatingFullWidthMarks) {
  ExpectCases(With([](CheckOptions& o) { o.quotes_to_full_width = true; }),
              {
                  {G("他说\"你好\""), G("他说“你好”"), true},
                  {G("他说\"你好"), G("他说“你好"), true},
                  {G("\"甲\"\"乙\""), G("“甲”“乙”"), true},
                  {G("他说你好"), G("他说你好"), false},
              });
  ExpectCases(With([](CheckOptions& o) {
                o.quotes_to_full_width = true;
                o.pair_quotes = true;
              }),
              {{G("他说\"你好"), G("他说你好"), true}});
}

TEST(CheckRules, QuotationMarksArePairedInOrder) {
  ExpectCases(With([](CheckOptions& o) { o.pair_quotes = true; }),
              {
                  {G("“甲“乙”"), G("“甲”乙"), true},
                  {G("“甲”"), G("“甲”"), false},
                  {G("”甲“"), G("“甲”"), true},
                  {G("甲”"), G("甲"), true},
                  {G("“甲”“乙”丙“"), G("“甲”“乙”丙"), true},
                  {G("甲乙"), G("甲乙"), false},
              });
}

TEST(CheckRules, InnerFullStopsBecomeCommas) {
  ExpectCases(With([](CheckOptions& o) { o.inner_full_stops = true; }),
              {
                  {G("好。走。"), G("好，走。"), true},
                  {G("好。"), G("好。"), true},  // listed although nothing is rewritten
                  {G("好。走"), G("好，走"), true},
                  {G("甲。\\N乙"), G("甲，\\N乙"), true},
                  {"ok. go.", "ok. go.", false},
                  {G("好走"), G("好走"), false},
              });
}

TEST(CheckRules, OneFinalCommaOrFullStopIsDropped) {
  CheckOptions options = With([](CheckOptions& o) { o.drop_final_stop = true; });
  options.forms.kept_ending = G("等等。");
  ExpectCases(options, {
                           {G("好，"), G("好"), true},
                           {"ok.", "ok", true},
                           {"ok,", "ok", true},
                           {"wait...", "wait...", false},
                           {G("好。。"), G("好。"), true},
                           {G("甲，\\N乙"), G("甲，\\N乙"), false},
                           {G("好等等。"), G("好等等。"), false},
                           {G("好等。"), G("好等"), true},
                           {"", "", false},
                       });
  // The Simplified Chinese marks keep a final 。。。 whole.
  ExpectCases(With([](CheckOptions& o) { o.drop_final_stop = true; }),
              {{G("好。。。"), G("好。。。"), false}, {G("好。。"), G("好。"), true}});
}

TEST(CheckRules, EllipsesTakeTheChosenForm) {
  const auto item = [](EllipsisForm form) {
    return With([form](CheckOptions& o) { o.ellipsis = form; });
  };
  ExpectCases(item(EllipsisForm::kDouble),
              {
                  {G("好...走…"), G("好……走……"), true},
                  {G("好……"), G("好……"), false},
                  {G("好…"), G("好……"), true},
                  {G("好………"), G("好…………"), true},
                  // The subtitle's own text never turns into an ellipsis.
                  {"AAAA", "AAAA", false},
                  // "\xA1\xAD" inside other characters is no ellipsis.
                  {"\xB0\xA1\xAD\xB0", "\xB0\xA1\xAD\xB0", false},
              });
  ExpectCases(item(EllipsisForm::kSingle), {
                                               {G("好……走..."), G("好…走…"), true},
                                               {G("好…"), G("好…"), false},
                                           });
  ExpectCases(item(EllipsisForm::kThreeDots), {
                                                  {G("好……走…"), G("好...走..."), true},
                                                  {"wait...", "wait...", false},
                                              });
  ExpectCases(item(EllipsisForm::kUnchanged), {{G("好…..."), G("好…..."), false}});
}

TEST(CheckRules, PhrasePairsApplyInOrderAndSkipUnsafePairs) {
  CheckOptions options = With([](CheckOptions& o) { o.apply_phrases = true; });
  options.phrases = {
      {G("象"), G("像")}, {G("好"), G("很好")},  {"", "x"},
      {"y", ""},          {"same", "same"},      {G("甲"), G("乙")},
      {G("乙"), G("丙")}, {"\xE3\xBA", "[cut]"},  // would cut through 你好
      {"q", "Q"},
  };
  ExpectCases(options, {
                           {G("好象象"), G("好像像"), true},
                           {G("好"), G("好"), false},
                           {"xy same", "xy same", false},
                           {G("甲"), G("丙"), true},
                           {G("你好"), G("你好"), false},
                           {"aq", "aQ", true},
                       });
}

TEST(CheckRules, AllRulesTogetherAreIdempotent) {
  CheckOptions options;
  options.quotes_to_full_width = true;
  options.pair_quotes = true;
  options.inner_full_stops = true;
  options.drop_final_stop = true;
  options.ellipsis = EllipsisForm::kDouble;
  options.apply_phrases = true;
  options.phrases = {{G("象"), G("像")}};
  for (const std::string& input :
       {G("他说\"好象…走。\"。"), G("好……"), G("“甲“乙”…"), G("甲。\\N乙...，")}) {
    const CheckedText once = CheckText(input, options);
    const CheckedText twice = CheckText(once.text, options);
    EXPECT_EQ(twice.text, once.text) << text::GbkToUtf8(input).text;
  }
  EXPECT_EQ(CheckText(G("他说\"好象…走。\"。"), options).text, G("他说“好像……走，”"));
}

TEST(CheckRules, ALoopingPhrasePairStopsAtItsBound) {
  CheckOptions options = With([](CheckOptions& o) { o.apply_phrases = true; });
  // "ab" -> "bbaa" recreates "ab" across its left edge forever when started from "aab".
  options.phrases = {{"ab", "bbaa"}};
  const CheckedText result = CheckText("aab", options);
  EXPECT_TRUE(result.replacement_bound_hit);
  EXPECT_TRUE(result.changed);
  EXPECT_FALSE(CheckText("ab", options).replacement_bound_hit);
}

TEST(CheckRun, ListsOnlyChangedRowsAndConfirmWritesThem) {
  document::SubtitleDocument document =
      proof_test::MakeTextDocument({G("好，"), G("好"), "", G("走。")});
  document.proofread_done = false;
  CheckOptions options;
  options.drop_final_stop = true;
  testing_support::FakeEventPump pump;
  const CheckReview review = RunCheck(document, options, pump);
  ASSERT_EQ(review.rows.size(), 2u);
  EXPECT_EQ(review.rows[0].number, "1");
  EXPECT_EQ(review.rows[0].before, G("好，"));
  EXPECT_EQ(review.rows[0].after, G("好"));
  EXPECT_EQ(review.rows[1].number, "4");
  EXPECT_EQ(review.rows[1].after, G("走"));
  EXPECT_EQ(pump.pump_calls, 4);
  EXPECT_FALSE(review.stopped);
  // Checking does not touch the document.
  EXPECT_EQ(document.main.Cell(document::kText, 1), G("好，"));

  std::vector<ReviewRow> edited = review.rows;
  edited[1].after = G("走吧");  // the user edits a proposal
  const ConfirmOutcome outcome = ConfirmReview(edited, document);
  EXPECT_EQ(outcome.written, 2);
  EXPECT_TRUE(outcome.skipped_numbers.empty());
  EXPECT_EQ(proof_test::Column(document.main, document::kText),
            (std::vector<std::string>{G("好"), G("好"), "", G("走吧")}));
  EXPECT_TRUE(document.proofread_done);
  EXPECT_TRUE(document.document_saved);
  EXPECT_EQ(document.main.Cell(document::kBaseText, 1), G("好，"));
  EXPECT_EQ(document.main.Cell(document::kChangeMarks, 1), "");
}

TEST(CheckRun, ListsRowsHoldingTheSkipMarkEvenWhenNoRuleChangesThem) {
  // □ is A1F5; "\xB0\xA1\xF5" holds the bytes A1 F5 across a character boundary only.
  const std::string mark = "\xA1\xF5";
  document::SubtitleDocument document = proof_test::MakeTextDocument(
      {G("好") + mark, G("好"), "\xB0\xA1\xF5\xB0", mark + G("走。"), ""});
  CheckOptions options;
  options.drop_final_stop = true;
  options.skip_placeholder = mark;
  testing_support::FakeEventPump pump;
  const CheckReview review = RunCheck(document, options, pump);
  EXPECT_EQ(review.placeholder_numbers, (std::vector<std::string>{"1", "4"}));
  ASSERT_EQ(review.rows.size(), 2U);
  EXPECT_EQ(review.rows[0].number, "1");
  EXPECT_EQ(review.rows[0].after, review.rows[0].before);  // listed, not changed
  EXPECT_EQ(review.rows[1].after, mark + G("走"));
  // Without a mark only the rules list rows.
  options.skip_placeholder.clear();
  const CheckReview plain = RunCheck(document, options, pump);
  EXPECT_TRUE(plain.placeholder_numbers.empty());
  ASSERT_EQ(plain.rows.size(), 1U);
  EXPECT_EQ(plain.rows[0].number, "4");
}

TEST(CheckRun, StopsWhenTheHostAsksAndKeepsWhatItFound) {
  document::SubtitleDocument document = proof_test::MakeTextDocument({"a.", "b.", "c."});
  CheckOptions options;
  options.drop_final_stop = true;
  testing_support::FakeEventPump pump;
  pump.stop_at_call = 2;
  const CheckReview review = RunCheck(document, options, pump);
  EXPECT_TRUE(review.stopped);
  EXPECT_EQ(review.rows_checked, 1);
  ASSERT_EQ(review.rows.size(), 1u);
  EXPECT_EQ(review.rows[0].after, "a");
}

TEST(CheckRun, ReviewNumbersThatNameNoRowAreSkippedAndReported) {
  document::SubtitleDocument document = proof_test::MakeTextDocument({"a", "b"});
  const std::vector<ReviewRow> review = {
      {"2", "b", "B"}, {"", "x", "X"},   {"0", "x", "X"},
      {"3", "x", "X"}, {"1a", "x", "X"}, {"99999999999", "x", "X"},
      {"1", "a", "A"},
  };
  const ConfirmOutcome outcome = ConfirmReview(review, document);
  EXPECT_EQ(outcome.written, 2);
  EXPECT_EQ(outcome.skipped_numbers, (std::vector<std::string>{"0", "3", "1a", "99999999999"}));
  EXPECT_EQ(proof_test::Column(document.main, document::kText),
            (std::vector<std::string>{"A", "B"}));
}

}  // namespace
}  // namespace proof

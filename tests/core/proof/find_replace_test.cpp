// Tests of find and replace: search modes, the find-next walk, replacing with and without
// confirmation, the replacement bound and the histories.
#include "proof/find_replace.h"

#include <gtest/gtest.h>

#include "proof_test_util.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"

namespace proof {
namespace {

using document::kChangeMarks;
using document::kText;
using ports::Answer;
using proof_test::Column;
using proof_test::G;
using proof_test::MakeTextDocument;
using Strings = std::vector<std::string>;

TEST(SearchPattern, MarkersDecideTheMode) {
  struct Case {
    std::string search;
    SearchMode mode;
    std::string text;
    std::string suffix;
  };
  const std::vector<Case> cases = {
      {G("你"), SearchMode::kPlain, G("你"), ""},
      {G("。^P"), SearchMode::kEnd, G("。"), ""},
      {"^P", SearchMode::kEnd, "", ""},
      {"^F-", SearchMode::kStart, "-", ""},
      {"^F", SearchMode::kStart, "", ""},
      {"^Fa^P", SearchMode::kEnd, "^Fa", ""},
      {"(^^)", SearchMode::kSpan, "(", ")"},
      {"a^^", SearchMode::kSpan, "a", ""},
      {"^^b", SearchMode::kSpan, "", "b"},
      {"^^", SearchMode::kPlain, "^^", ""},
      // 0x5E is the second byte of the character 0x81 0x5E: no end marker there.
      {"\x81^P", SearchMode::kPlain, "\x81^P", ""},
  };
  for (const Case& c : cases) {
    const SearchPattern pattern = ParseSearchText(c.search);
    EXPECT_EQ(pattern.mode, c.mode) << c.search;
    EXPECT_EQ(pattern.text, c.text) << c.search;
    EXPECT_EQ(pattern.suffix, c.suffix) << c.search;
  }
}

TEST(SearchPattern, MatchesFollowTheMode) {
  struct Case {
    std::string search;
    std::string text;
    bool found;
    std::size_t offset;
    std::size_t length;
  };
  const std::vector<Case> cases = {
      {"(^^)", G("甲(乙)丙"), true, 2, 4},
      {"(^^)", G(")甲(乙"), false, 0, 0},
      {"(^^", G("甲(乙"), true, 2, 3},
      {"^^)", G("甲)乙)"), true, 0, 3},
      {G("。^P"), G("好。"), true, 2, 2},
      {G("。^P"), G("。好"), false, 0, 0},
      {"^P", "", true, 0, 0},
      {"^F", G("好"), true, 0, 0},
      {G("^F好"), G("你好"), false, 0, 0},
      {G("好"), G("你好"), true, 2, 2},
  };
  for (const Case& c : cases) {
    const std::optional<TextMatch> match = FindMatch(c.text, ParseSearchText(c.search));
    ASSERT_EQ(match.has_value(), c.found) << c.search;
    if (match) {
      EXPECT_EQ(match->offset, c.offset) << c.search;
      EXPECT_EQ(match->length, c.length) << c.search;
    }
  }
}

class FindReplaceTest : public ::testing::Test {
 protected:
  FindReplace tool_{SearchHistory(), SearchHistory(), std::nullopt};
  testing_support::FakeMessages questions_;
  proof_test::NumberedMessages messages_;

  SearchOutcome Click(document::SubtitleDocument& document, const SearchRequest& request) {
    return tool_.Run(request, document, questions_, messages_);
  }
};

TEST_F(FindReplaceTest, FindNextWalksEveryMatchThenResets) {
  document::SubtitleDocument document = MakeTextDocument({G("你好你"), G("你们")});
  const SearchRequest find{G("你"), "", false, true, false};
  struct Step {
    SearchEnd end;
    int row;
    std::size_t resume;
    int caption;
  };
  const std::vector<Step> steps = {
      {SearchEnd::kShowingMatch, 1, 1, kFindNextCaption},
      {SearchEnd::kShowingMatch, 1, 5, kFindNextCaption},
      {SearchEnd::kShowingMatch, 2, 1, kFindNextCaption},
      {SearchEnd::kExhausted, 0, 0, kStartFindCaption},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const SearchOutcome outcome = Click(document, find);
    EXPECT_EQ(outcome.end, steps[i].end) << "click " << i + 1;
    EXPECT_EQ(outcome.row, steps[i].row) << "click " << i + 1;
    EXPECT_EQ(tool_.ResumePosition(), steps[i].resume) << "click " << i + 1;
    EXPECT_EQ(tool_.CaptionMessage(), steps[i].caption) << "click " << i + 1;
  }
  EXPECT_EQ(document.current_row, 2);
}

TEST_F(FindReplaceTest, ThreeMatchesInOneRowAreEachVisited) {
  document::SubtitleDocument document = MakeTextDocument({G("你你你")});
  const SearchRequest find{G("你"), "", false, true, false};
  std::vector<std::size_t> offsets;
  for (SearchOutcome outcome = Click(document, find); outcome.end == SearchEnd::kShowingMatch;
       outcome = Click(document, find)) {
    offsets.push_back(outcome.match.offset);
  }
  EXPECT_EQ(offsets, (std::vector<std::size_t>{0, 2, 4}));
}

TEST_F(FindReplaceTest, ANewSearchFromTheCurrentRowSkipsRowsAbove) {
  document::SubtitleDocument document = MakeTextDocument({"x", "y", "x"});
  document.current_row = 2;
  const SearchOutcome outcome = Click(document, {"x", "", false, true, true});
  EXPECT_EQ(outcome.row, 3);
  EXPECT_EQ(Click(document, {"", "", false, true, false}).message, kEmptySearchMessage);
}

TEST_F(FindReplaceTest, ReplacesEverywhereWithoutAsking) {
  document::SubtitleDocument document = MakeTextDocument({G("你好你"), G("他"), G("你们")});
  const SearchOutcome outcome = Click(document, {G("你"), G("您"), true, false, false});
  EXPECT_EQ(outcome.end, SearchEnd::kExhausted);
  EXPECT_EQ(outcome.message, kSearchDoneMessage);
  EXPECT_EQ(outcome.replacements, 3);
  EXPECT_EQ(Column(document.main, kText), (Strings{G("您好您"), G("他"), G("您们")}));
  EXPECT_EQ(Column(document.main, kChangeMarks), (Strings{"C", "", "C"}));
  EXPECT_FALSE(document.document_saved);
  EXPECT_EQ(tool_.CaptionMessage(), kStartReplaceCaption);
  EXPECT_TRUE(questions_.asked.empty());
}

TEST_F(FindReplaceTest, AReplacementContainingTheSearchTextChangesNothing) {
  document::SubtitleDocument document = MakeTextDocument({G("好"), G("很好")});
  const SearchOutcome outcome = Click(document, {G("好"), G("很好"), true, false, false});
  EXPECT_EQ(outcome.message, kSearchDoneMessage);
  EXPECT_EQ(outcome.replacements, 0);
  EXPECT_EQ(Column(document.main, kText), (Strings{G("好"), G("很好")}));
  EXPECT_TRUE(document.document_saved);
}

TEST_F(FindReplaceTest, AnchoredAndSpanModesReplaceOncePerRow) {
  struct Case {
    SearchRequest request;
    Strings texts;
    Strings expected;
    std::size_t questions;
  };
  const std::vector<Case> cases = {
      {{G("。^P"), G("！"), true, true, false},
       {G("好。走。"), G("好"), G("。好")},
       {G("好。走！"), G("好"), G("。好")},
       1},
      {{"^F", "-", true, false, false}, {"a", "", "-b"}, {"-a", "-", "--b"}, 0},
      {{"^P", "!", true, false, false}, {"a", "b!"}, {"a!", "b!!"}, 0},
      {{"(^^)", "", true, false, false},
       {G("甲(乙)丙"), G(")甲(乙"), "(a)(b)"},
       {G("甲丙"), G(")甲(乙"), "(b)"},
       0},
  };
  for (const Case& c : cases) {
    FindReplace tool(SearchHistory(), SearchHistory(), std::nullopt);
    testing_support::FakeMessages questions;
    questions.default_answer = Answer::kYes;
    document::SubtitleDocument document = MakeTextDocument(c.texts);
    tool.Run(c.request, document, questions, messages_);
    EXPECT_EQ(Column(document.main, kText), c.expected) << c.request.search;
    EXPECT_EQ(questions.asked.size(), c.questions) << c.request.search;
  }
}

TEST_F(FindReplaceTest, NoThenYesOffersTheRefusedMatchAgain) {
  document::SubtitleDocument document = MakeTextDocument({G("你你")});
  questions_.answers = {Answer::kNo, Answer::kYes, Answer::kYes};
  const SearchOutcome outcome = Click(document, {G("你"), G("您"), true, true, false});
  EXPECT_EQ(outcome.end, SearchEnd::kExhausted);
  EXPECT_EQ(document.main.Cell(kText, 1), G("您您"));
  ASSERT_EQ(questions_.asked.size(), 3u);
  EXPECT_EQ(questions_.asked[0].caption, "<557>");
  EXPECT_EQ(questions_.asked[0].buttons, ports::Buttons::kYesNoCancel);
  EXPECT_EQ(questions_.asked[0].text,
            "<704>1<707>\n\n" + G("你你") + "\n\n<710>\n\n" + G("您你") + "\n");
  // After the Yes on the second match, the first is offered again on the new text.
  EXPECT_EQ(questions_.asked[2].text,
            "<704>1<707>\n\n" + G("你您") + "\n\n<710>\n\n" + G("您您") + "\n");
}

TEST_F(FindReplaceTest, CancelStopsOnTheRowAndKeepsTheCaption) {
  document::SubtitleDocument document = MakeTextDocument({"a", "x", "x"});
  questions_.answers = {Answer::kCancel};
  const SearchOutcome outcome = Click(document, {"x", "y", true, true, false});
  EXPECT_EQ(outcome.end, SearchEnd::kCancelled);
  EXPECT_EQ(outcome.row, 2);
  EXPECT_EQ(document.current_row, 2);
  EXPECT_EQ(tool_.CaptionMessage(), kStartFindCaption);
  EXPECT_EQ(Column(document.main, kText), (Strings{"a", "x", "x"}));
}

TEST_F(FindReplaceTest, ALoopingPairIsBoundedAndReported) {
  document::SubtitleDocument document = MakeTextDocument({"aab", "ab"});
  const SearchOutcome outcome = Click(document, {"ab", "bbaa", true, false, false});
  EXPECT_EQ(outcome.bounded_rows, (std::vector<int>{1}));
  EXPECT_EQ(document.main.Cell(kText, 2), "bbaa");
  EXPECT_EQ(outcome.end, SearchEnd::kExhausted);
}

TEST(SearchHistory, NewTextsAreSavedOnceAndRoundTrip) {
  testing_support::TempDir folder;
  FindReplace tool(SearchHistory(), SearchHistory(), folder.path());
  testing_support::FakeMessages questions;
  proof_test::NumberedMessages messages;
  document::SubtitleDocument document = MakeTextDocument({"x"});
  tool.Run({G("你好"), "", false, true, false}, document, questions, messages);
  tool.Run({G("你们"), G("您们"), true, false, false}, document, questions, messages);
  tool.Run({G("你好"), G("您们"), true, false, false}, document, questions, messages);
  EXPECT_EQ(folder.Read("replace1.txt"), G("你好") + "\r\n" + G("你们") + "\r\n");
  EXPECT_EQ(folder.Read("replace2.txt"), G("您们") + "\r\n");

  const text::Result<SearchHistory> loaded = SearchHistory::Load(folder / "replace1.txt");
  ASSERT_TRUE(loaded.ok());
  EXPECT_EQ(loaded.value().Entries(), tool.FindHistory().Entries());
  const text::Result<SearchHistory> missing = SearchHistory::Load(folder / "none.txt");
  ASSERT_TRUE(missing.ok());
  EXPECT_TRUE(missing.value().Entries().empty());
}

TEST(SearchHistory, SuggestionsKeepEntriesStartingWithTheTypedText) {
  testing_support::TempDir folder;
  const auto path = folder.Write("replace1.txt", "beta\r\nalpha\nalps\rbeta\r\n\r\n");
  const text::Result<SearchHistory> history = SearchHistory::Load(path);
  ASSERT_TRUE(history.ok());
  EXPECT_EQ(history.value().Entries(), (Strings{"beta", "alpha", "alps", ""}));
  EXPECT_EQ(history.value().Suggestions("al"), (Strings{"alpha", "alps"}));
  EXPECT_EQ(history.value().Suggestions(""), (Strings{"", "alpha", "alps", "beta"}));
  EXPECT_EQ(history.value().Suggestions("alpha2"), Strings{});
  SearchHistory edited = history.value();
  EXPECT_FALSE(edited.Add("beta"));
  EXPECT_FALSE(edited.Add("two\nlines"));
  EXPECT_TRUE(edited.Add("gamma"));
}

}  // namespace
}  // namespace proof

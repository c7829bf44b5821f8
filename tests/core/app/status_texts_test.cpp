// The status and question texts: markers filled in, rows listed, encodings named.
#include "app/status_texts.h"

#include <gtest/gtest.h>

#include <map>

#include "app/message_numbers.h"

namespace app {
namespace {

class Texts : public ports::MessageSource {
 public:
  std::string Message(int number) const override {
    const auto found = texts.find(number);
    return found == texts.end() ? "" : found->second;
  }
  std::map<int, std::string> texts;
};

TEST(StatusTexts, FillInReplacesNumberedMarkersOnly) {
  struct Case {
    const char* pattern;
    const char* filled;
  };
  const Case cases[] = {
      {"row %1 of %2", "row A of B"},
      {"%2 before %1", "B before A"},
      {"%3 stays", "%3 stays"},        // no third value
      {"100% and %x", "100% and %x"},  // not a marker
      {"%", "%"},
      {"\xB5\xDA %1 \xD0\xD0", "\xB5\xDA A \xD0\xD0"},  // 第 A 行: GBK around a marker
      {"%1%1", "AA"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FillIn(c.pattern, {"A", "B"}), c.filled) << c.pattern;
  }
}

TEST(StatusTexts, EncodingsFollowTheListOrderAndHaveThreeNames) {
  EXPECT_EQ(SaveEncodingAt(0), document::OutputEncoding::kGbk);
  EXPECT_EQ(SaveEncodingAt(1), document::OutputEncoding::kUtf8);
  EXPECT_EQ(SaveEncodingAt(2), document::OutputEncoding::kUtf8Bom);
  EXPECT_EQ(SaveEncodingAt(3), document::OutputEncoding::kGbk);
  EXPECT_EQ(SaveEncodingAt(-1), document::OutputEncoding::kGbk);
  Texts texts;
  texts.texts[msg::kSaveEncodingItems] = "G|U|B";
  EXPECT_EQ(SaveEncodingNames(texts), (std::vector<std::string>{"G", "U", "B"}));
  texts.texts[msg::kSaveEncodingItems] = "only";
  EXPECT_EQ(SaveEncodingNames(texts), (std::vector<std::string>{"only", "UTF-8", "UTF-8 BOM"}));
  texts.texts[msg::kSavedStatus] = "saved %1 as %2";
  texts.texts[msg::kSaveEncodingItems] = "G|U|B";
  EXPECT_EQ(SavedStatus(texts, "a.srt", document::OutputEncoding::kUtf8Bom), "saved a.srt as B");
}

TEST(StatusTexts, SaveQuestionListsEachKindWithItsRows) {
  Texts texts;
  texts.texts = {{msg::kSaveUnreadableTimes, "T: "},
                 {msg::kSaveEndBeforeStart, "R: "},
                 {msg::kSaveUnencodable, "E: "},
                 {msg::kSaveAnywayQuestion, "Q"}};
  document::SaveProblems problems;
  problems.unreadable_times = {1, 2, 3, 4};
  problems.unencodable = {9};
  EXPECT_EQ(SaveProblemsQuestion(problems, texts, 3), "T: 1, 2, 3, ...\nE: 9\n\nQ");
}

TEST(StatusTexts, RunEndSaysDoneOrWhereItStopped) {
  Texts texts;
  texts.texts = {{msg::kRunDoneStatus, "done %1/%2/%3"},
                 {msg::kRunStoppedStatus, "stopped %1: %2/%3/%4"},
                 {msg::kRunProgressStatus, "row %1 of %2, %3"}};
  ocr::RunOutcome outcome;
  outcome.rows_recognised = 5;
  outcome.glyphs.taught = 2;
  outcome.glyphs.skipped = 1;
  outcome.next_start_row = 6;
  EXPECT_EQ(RunEndStatus(texts, outcome), "done 5/2/1");
  outcome.end = ocr::RunEnd::kStopped;
  EXPECT_EQ(RunEndStatus(texts, outcome), "stopped 6: 5/2/1");
  EXPECT_EQ(RunProgressStatus(texts, 3, 20, 7), "row 3 of 20, 7");
}

TEST(StatusTexts, RowAnalysisNamesItsRowAndGlyphCount) {
  Texts texts;
  texts.texts = {{msg::kRowAnalysisStatus, "analysing %1"},
                 {msg::kRowAnalysedStatus, "row %1: %2 glyphs"}};
  EXPECT_EQ(RowAnalysisStatus(texts, 4), "analysing 4");
  EXPECT_EQ(RowAnalysedStatus(texts, 4, 12), "row 4: 12 glyphs");
}

}  // namespace
}  // namespace app

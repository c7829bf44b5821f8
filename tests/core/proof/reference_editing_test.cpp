// Tests of the reference subtitle's editing logic: the overlapping reference rows, the blank
// subtitle, and the row editor's commands.
#include "proof/reference_editing.h"

#include <gtest/gtest.h>

#include "proof_test_util.h"

namespace proof {
namespace {

using document::kChangeMarks;
using document::kEnd;
using document::kStart;
using document::kText;
using proof_test::G;
using proof_test::MakeDocument;
using Strings = std::vector<std::string>;

void SetReference(document::SubtitleDocument& document,
                  const std::vector<std::pair<std::string, std::string>>& times) {
  std::vector<std::vector<std::string>> rows;
  for (std::size_t i = 0; i < times.size(); ++i) {
    rows.push_back(
        {std::to_string(i + 1), "ref" + std::to_string(i + 1), times[i].first, times[i].second});
  }
  document.reference.ReplaceRows(std::move(rows));
}

TEST(ReferenceSync, SelectsTheReferenceRowsThatOverlapTheMainRow) {
  struct Case {
    std::string start;
    std::string end;
    bool selects;
    ReferenceSelection expected;
  };
  const std::vector<Case> cases = {
      // From 5 s to 8 s: rows 1 to 3 overlap, row 3 becomes current.
      {"00:00:05.000", "00:00:08.000", true, {3, 1, 3, 1, 1}},
      {"00:00:04.500", "00:00:05.500", true, {1, 1, 1, 1, 1}},
      {"00:00:07.000", "00:00:07.200", true, {2, 2, 2, 1, 1}},
      // Starting in the gap between rows 2 and 3: no range, row 1 with columns 1 to 3.
      {"00:00:07.600", "00:00:08.500", true, {1, 1, 1, 1, 3}},
      {"00:00:20.000", "00:00:21.000", true, {1, 1, 1, 1, 3}},
      // A row without both times leaves the selection alone.
      {"", "00:00:08.000", false, {}},
  };
  for (const Case& c : cases) {
    document::SubtitleDocument document = MakeDocument({{"m", c.start, c.end}});
    SetReference(document, {{"00:00:04.000", "00:00:06.000"},
                            {"00:00:06.500", "00:00:07.500"},
                            {"00:00:07.800", "00:00:09.000"}});
    const auto result = SelectReferenceRows(document, 1);
    ASSERT_TRUE(result.ok()) << c.start;
    ASSERT_EQ(result.value().has_value(), c.selects) << c.start;
    if (const std::optional<ReferenceSelection>& s = result.value()) {
      EXPECT_EQ((std::vector<int>{s->current_row, s->first_row, s->last_row, s->first_column,
                                  s->last_column}),
                (std::vector<int>{c.expected.current_row, c.expected.first_row, c.expected.last_row,
                                  c.expected.first_column, c.expected.last_column}))
          << c.start;
    }
  }
}

TEST(ReferenceSync, AnUnreadableTimeNamesItsRow) {
  document::SubtitleDocument document = MakeDocument({{"m", "00:00:05.000", "00:00:08.000"}});
  SetReference(document, {{"00:00:04.000", "00:00:06.000"}, {"00:00:06.500", "7 s"}});
  const auto result = SelectReferenceRows(document, 1);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().line, 2);
  EXPECT_EQ(result.error().code, "time");

  document.main.SetCell(kEnd, 1, "soon");
  EXPECT_EQ(SelectReferenceRows(document, 1).error().line, 1);
}

TEST(ReferenceEditing, BlankSubtitleTakesTheReferenceTimes) {
  document::SubtitleDocument document = MakeDocument({{"old", "x", "y"}, {"older", "", ""}});
  document.document_saved = false;
  document.current_row = 2;
  SetReference(document, {{"00:00:01.000", "00:00:02.000"},
                          {"00:00:03.000", "00:00:04.000"},
                          {"00:00:05.000", "00:00:06.000"}});
  CreateBlankFromReference(document);
  ASSERT_EQ(document.main.DataRowCount(), 3);
  EXPECT_EQ(document.main.RowCells(2),
            (Strings{"2", "", "00:00:03.000", "00:00:04.000", "", "", "", "Default", "0000", "0000",
                     "0000", "00:00:03.000", "00:00:04.000", "", ""}));
  EXPECT_TRUE(document.document_saved);
  EXPECT_EQ(document.current_row, 1);
}

TEST(ReferenceEditing, TextsSplitIntoLinesAndJoinBack) {
  struct Case {
    std::string text;
    Strings lines;
  };
  const std::vector<Case> cases = {
      {"", {""}},
      {G("甲"), {G("甲")}},
      {G("甲\\N乙"), {G("甲"), G("乙")}},
      {"a\\N\\Nb", {"a", "", "b"}},
      {"a\\N", {"a", ""}},
      // 0x5C is the second byte of 0x81 0x5C: no line break there.
      {"\x81\\N", {"\x81\\N"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitIntoLines(c.text), c.lines) << c.text;
    EXPECT_EQ(JoinEditorLines(c.lines), c.text) << c.text;
  }
  EXPECT_EQ(JoinEditorLines({"", "", "a", "b"}), "a\\Nb");
}

TEST(ReferenceEditing, StoreEditMarksWhatChangedAndMovesOn) {
  document::SubtitleDocument document =
      MakeDocument({{"a", "00:00:01.000", "00:00:02.000"}, {"b", "00:00:03.000", "00:00:04.000"}});
  RowEditor editor = LoadMainRow(document, 1);
  editor.lines = {G("甲"), G("乙")};
  EXPECT_TRUE(StoreEditAndNext(document, editor));
  EXPECT_EQ(document.main.Cell(kText, 1), G("甲\\N乙"));
  EXPECT_EQ(document.main.Cell(kChangeMarks, 1), "C");
  EXPECT_FALSE(document.document_saved);
  EXPECT_EQ(document.current_row, 2);

  // Unchanged panel: only moves on (and stays on the last row).
  document.document_saved = true;
  EXPECT_FALSE(StoreEditAndNext(document, LoadMainRow(document, 2)));
  EXPECT_EQ(document.current_row, 2);
  EXPECT_TRUE(document.document_saved);

  // Taking the reference times and storing marks the row "T".
  SetReference(document, {{"00:00:03.100", "00:00:04.100"}});
  editor = LoadMainRow(document, 2);
  TakeReferenceTimes(editor, LoadReferenceRow(document, 1));
  EXPECT_EQ(editor.lines, Strings{"b"});
  EXPECT_TRUE(StoreEditAndNext(document, editor));
  EXPECT_EQ(document.main.RowCells(2)[kStart], "00:00:03.100");
  EXPECT_EQ(document.main.RowCells(2)[kEnd], "00:00:04.100");
  EXPECT_EQ(document.main.Cell(kChangeMarks, 2), "T");

  document.current_row = 1;
  DiscardEditAndNext(document);
  EXPECT_EQ(document.current_row, 2);
}

TEST(ReferenceEditing, DashGoesBeforeEachLineOfATwoLineText) {
  struct Case {
    Strings lines;
    Strings expected;
  };
  const std::vector<Case> cases = {
      {{G("甲"), G("-乙")}, {G("-甲"), G("-乙")}},
      {{G("甲")}, {G("甲")}},
      {{"", "b"}, {"-", "-b"}},
  };
  for (Case c : cases) {
    DashBeforeEachLine(c.lines);
    EXPECT_EQ(c.lines, c.expected);
  }
}

}  // namespace
}  // namespace proof

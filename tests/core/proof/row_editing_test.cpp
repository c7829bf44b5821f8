// Tests of row editing: typing marks, insert and delete, restore, the pointer-to-cell mapping
// and the end-time shift ranges.
#include "proof/row_editing.h"

#include <gtest/gtest.h>

#include "proof_test_util.h"
#include "support/fake_ports.h"

namespace proof {
namespace {

using document::kBaseEnd;
using document::kChangeMarks;
using document::kEnd;
using document::kNumber;
using document::kShiftMark;
using document::kStart;
using document::kText;
using ports::Answer;
using proof_test::Column;
using proof_test::MakeDocument;
using proof_test::MakeTextDocument;
using Strings = std::vector<std::string>;

TEST(RowEditing, TypingMarksTheRowByColumn) {
  struct Case {
    int column;
    std::string marks_before;
    bool editable;
    std::string marks_after;
  };
  const std::vector<Case> cases = {
      {kText, "T", true, "TC"}, {kStart, "C", true, "TC"}, {kEnd, "TC", true, "TC"},
      {8, "", true, "P"},       {10, "CP", true, "CP"},    {7, "T", true, "TP"},
      {4, "", false, ""},       {5, "C", false, "C"},      {6, "", false, ""},
      {11, "", false, ""},      {13, "", false, ""},       {kNumber, "", false, ""},
  };
  for (const Case& c : cases) {
    document::SubtitleDocument document = MakeTextDocument({"a"});
    document.main.SetCell(kChangeMarks, 1, c.marks_before);
    EXPECT_EQ(NoteKeyTyped(document, 1, c.column), c.editable) << "column " << c.column;
    EXPECT_EQ(document.main.Cell(kChangeMarks, 1), c.marks_after) << "column " << c.column;
    EXPECT_EQ(document.document_saved, !c.editable) << "column " << c.column;
  }
  EXPECT_EQ((std::vector<bool>{IsArrowKey(36), IsArrowKey(37), IsArrowKey(40), IsArrowKey(41)}),
            (std::vector<bool>{false, true, true, false}));
}

TEST(RowEditing, InsertKeepsNumbersInGridOrder) {
  document::SubtitleDocument document = MakeTextDocument({"a", "b", "c", "d", "e"});
  document.current_row = 3;
  InsertRowBefore(document);
  EXPECT_EQ(document.current_row, 3);
  EXPECT_EQ(Column(document.main, kNumber), (Strings{"1", "2", "3", "4", "5", "6"}));
  EXPECT_EQ(Column(document.main, kText), (Strings{"a", "b", "", "c", "d", "e"}));
  EXPECT_EQ(document.main.RowCells(3), (Strings{"3", "", "", "", "", "", "", "Default", "0000",
                                                "0000", "0000", "", "", "", ""}));

  document.current_row = 6;
  InsertRowAfter(document);
  EXPECT_EQ(document.current_row, 7);
  EXPECT_EQ(Column(document.main, kNumber), (Strings{"1", "2", "3", "4", "5", "6", "7"}));
  EXPECT_EQ(document.main.Cell(document::kStyle, 7), "Default");

  document.current_row = 1;
  InsertRowAfter(document);
  EXPECT_EQ(document.current_row, 2);
  EXPECT_EQ(Column(document.main, kText), (Strings{"a", "", "b", "", "c", "d", "e", ""}));
  EXPECT_EQ(document.main.Cell(kNumber, 8), "8");
  EXPECT_TRUE(document.document_saved);
}

TEST(RowEditing, DeleteAsksThenMovesRowsUp) {
  testing_support::FakeMessages questions;
  const proof_test::NumberedMessages messages;
  document::SubtitleDocument document = MakeTextDocument({"a", "b", "c"});
  document.current_row = 2;
  questions.answers = {Answer::kCancel, Answer::kOk, Answer::kOk, Answer::kOk};
  EXPECT_FALSE(DeleteCurrentRow(document, questions, messages));
  EXPECT_EQ(Column(document.main, kText), (Strings{"a", "b", "c"}));
  EXPECT_TRUE(document.document_saved);

  EXPECT_TRUE(DeleteCurrentRow(document, questions, messages));
  EXPECT_EQ(Column(document.main, kText), (Strings{"a", "c"}));
  EXPECT_EQ(Column(document.main, kNumber), (Strings{"1", "2"}));
  EXPECT_EQ(document.current_row, 2);
  EXPECT_FALSE(document.document_saved);
  EXPECT_EQ(questions.asked[0].text, "<719>");
  EXPECT_EQ(questions.asked[0].caption, "<557>");
  EXPECT_EQ(questions.asked[0].buttons, ports::Buttons::kOkCancel);

  EXPECT_TRUE(DeleteCurrentRow(document, questions, messages));  // the last row
  EXPECT_EQ(document.current_row, 1);
  EXPECT_TRUE(DeleteCurrentRow(document, questions, messages));  // the only row
  EXPECT_EQ(document.main.DataRowCount(), 1);
  EXPECT_EQ(document.main.Cell(kText, 1), "");
  EXPECT_EQ(document.main.Cell(kNumber, 1), "1");
}

TEST(RowEditing, RestoreBringsBackBaseValuesAndRemovesOneMark) {
  testing_support::FakeMessages questions;
  const proof_test::NumberedMessages messages;
  document::SubtitleDocument document = MakeDocument({{"base", "00:00:01.000", "00:00:02.000"}});
  document.main.SetCell(kText, 1, "edited");
  document.main.SetCell(kEnd, 1, "00:00:03.000");
  document.main.SetCell(kChangeMarks, 1, "TCP");
  document.main.SetCell(kShiftMark, 1, "->");

  questions.answers = {Answer::kCancel, Answer::kOk, Answer::kOk};
  EXPECT_EQ(RestoreTime(document, questions, messages), RestoreEnd::kCancelled);
  EXPECT_EQ(document.main.Cell(kEnd, 1), "00:00:03.000");
  EXPECT_EQ(RestoreTime(document, questions, messages), RestoreEnd::kRestored);
  EXPECT_EQ(document.main.Cell(kEnd, 1), "00:00:02.000");
  EXPECT_EQ(document.main.Cell(kChangeMarks, 1), "CP");
  EXPECT_EQ(RestoreTime(document, questions, messages), RestoreEnd::kAlreadyBase);

  EXPECT_EQ(RestoreText(document, questions, messages), RestoreEnd::kRestored);
  EXPECT_EQ(document.main.Cell(kText, 1), "base");
  EXPECT_EQ(document.main.Cell(kChangeMarks, 1), "P");
  EXPECT_EQ(RestoreText(document, questions, messages), RestoreEnd::kAlreadyBase);
  EXPECT_EQ(Column(document.main, kShiftMark), (Strings{"->"}));
  EXPECT_TRUE(document.document_saved);
  EXPECT_EQ(questions.asked.size(), 3u);
  EXPECT_EQ(questions.asked[2].text, "<728>");
}

TEST(RowEditing, PointerMapsToTheCellUnderIt) {
  const std::vector<int> widths = {30, 200, 90, 90, 60, 30, 30};
  struct Case {
    int x;
    int y;
    int top_row;
    bool inside;
    int column;
    int row;
  };
  const std::vector<Case> cases = {
      {10, 19, 1, true, 0, 1},       {31, 19, 1, true, 0, 1},  {32, 37, 1, true, 1, 1},
      {232, 38, 1, true, 1, 2},      {233, 38, 1, true, 2, 2}, {510, 40, 5, true, 6, 6},
      {10, 5, 5, false, 0, 0},        // heading row, even when scrolled
      {10, 19 * 11, 1, false, 0, 0},  // below the last of 10 rows
      {600, 19, 1, false, 0, 0},      // beyond the last column
  };
  for (const Case& c : cases) {
    const std::optional<GridCell> cell = CellUnderPointer(c.x, c.y, c.top_row, widths, 11);
    ASSERT_EQ(cell.has_value(), c.inside) << c.x << "," << c.y;
    if (cell) {
      EXPECT_EQ(cell->column, c.column) << c.x << "," << c.y;
      EXPECT_EQ(cell->row, c.row) << c.x << "," << c.y;
    }
  }
}

document::SubtitleDocument ShiftDocument() {
  return MakeDocument({{"a", "00:00:01.000", "00:00:05.000"},
                       {"b", "00:00:06.000", "00:00:07.000"},
                       {"c", "00:00:08.000", "00:00:09.000"},
                       {"d", "00:00:10.000", "00:00:11.000"}});
}

TEST(ShiftRanges, OpenCloseAndClearMoveTheEnds) {
  document::SubtitleDocument document = ShiftDocument();
  // No change to row 1's end: nothing to spread.
  EXPECT_EQ(ToggleShiftMark(document, 1).value(), ShiftChange::kNone);
  EXPECT_EQ(Column(document.main, kShiftMark), (Strings{"", "", "", ""}));

  document.main.SetCell(kEnd, 1, "00:00:05.500");
  EXPECT_EQ(ToggleShiftMark(document, 1).value(), ShiftChange::kOpened);
  EXPECT_EQ(Column(document.main, kShiftMark), (Strings{"->", "", "", ""}));
  EXPECT_EQ(Column(document.main, kEnd),
            (Strings{"00:00:05.500", "00:00:07.500", "00:00:09.500", "00:00:11.500"}));
  EXPECT_EQ(Column(document.main, kChangeMarks), (Strings{"", "T", "T", "T"}));

  // Closing inside the range puts the rows after it back to their base ends.
  EXPECT_EQ(ToggleShiftMark(document, 2).value(), ShiftChange::kClosed);
  EXPECT_EQ(Column(document.main, kShiftMark), (Strings{"->", "<-", "", ""}));
  EXPECT_EQ(Column(document.main, kEnd),
            (Strings{"00:00:05.500", "00:00:07.500", "00:00:09.000", "00:00:11.000"}));
  EXPECT_EQ(Column(document.main, kChangeMarks), (Strings{"", "T", "", ""}));

  // Below a closed range nothing is open (count 0), and row 3's end is unchanged.
  EXPECT_EQ(ToggleShiftMark(document, 3).value(), ShiftChange::kNone);

  // Clearing "<-" spreads row 2's shift to the rows after it again.
  EXPECT_EQ(ToggleShiftMark(document, 2).value(), ShiftChange::kCloseCleared);
  EXPECT_EQ(Column(document.main, kEnd),
            (Strings{"00:00:05.500", "00:00:07.500", "00:00:09.500", "00:00:11.500"}));

  // Clearing "->" puts the whole range back.
  EXPECT_EQ(ToggleShiftMark(document, 1).value(), ShiftChange::kOpenCleared);
  EXPECT_EQ(Column(document.main, kShiftMark), (Strings{"", "", "", ""}));
  EXPECT_EQ(Column(document.main, kEnd),
            (Strings{"00:00:05.500", "00:00:07.000", "00:00:09.000", "00:00:11.000"}));
  EXPECT_EQ(Column(document.main, kChangeMarks), (Strings{"", "", "", ""}));
  EXPECT_TRUE(document.document_saved);
}

TEST(ShiftRanges, ARangeStopsAfterItsClosingRowAndShiftsMayBeNegative) {
  document::SubtitleDocument document = ShiftDocument();
  document.main.SetCell(kShiftMark, 3, "<-");
  document.main.SetCell(kEnd, 1, "00:00:04.000");
  document.main.SetCell(kEnd, 2, "00:00:07.250");  // an earlier edit moves along
  EXPECT_EQ(ToggleShiftMark(document, 1).value(), ShiftChange::kOpened);
  EXPECT_EQ(Column(document.main, kEnd),
            (Strings{"00:00:04.000", "00:00:06.250", "00:00:08.000", "00:00:11.000"}));
  EXPECT_EQ(Column(document.main, kChangeMarks), (Strings{"", "T", "T", ""}));
}

TEST(ShiftRanges, AnUnreadableTimeStopsWithTheRowAndChangesNothing) {
  document::SubtitleDocument document = ShiftDocument();
  document.main.SetCell(kEnd, 1, "00:00:05.500");
  document.main.SetCell(kEnd, 3, "not a time");
  const text::Result<ShiftChange> result = ToggleShiftMark(document, 1);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().code, "time");
  EXPECT_EQ(result.error().line, 3);
  EXPECT_NE(result.error().message.find("not a time"), std::string::npos);
  EXPECT_EQ(Column(document.main, kEnd),
            (Strings{"00:00:05.500", "00:00:07.000", "not a time", "00:00:11.000"}));
  EXPECT_EQ(Column(document.main, kShiftMark), (Strings{"", "", "", ""}));

  document.main.SetCell(kBaseEnd, 1, "");
  EXPECT_EQ(ToggleShiftMark(document, 1).error().line, 1);
  EXPECT_FALSE(ToggleShiftMark(document, 9).ok());
}

}  // namespace
}  // namespace proof

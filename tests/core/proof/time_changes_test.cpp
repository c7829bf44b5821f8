// Tests of the time changes over many rows (shift, two-point sync, frame rate), their undo, the
// faults the grid marks, and deleting, merging and splitting several rows.
#include "proof/time_changes.h"

#include <gtest/gtest.h>

#include "proof/row_editing.h"
#include "proof_test_util.h"

namespace proof {
namespace {

using document::kChangeMarks;
using document::kEnd;
using document::kNumber;
using document::kStart;
using document::kText;
using proof_test::Column;
using proof_test::MakeDocument;
using Strings = std::vector<std::string>;

document::SubtitleDocument ThreeRows() {
  return MakeDocument({{"a", "00:00:01.000", "00:00:02.000"},
                       {"b", "00:00:10.000", "00:00:12.500 X1:100"},
                       {"c", "00:01:00.000", "00:01:04.000"}});
}

TEST(TimeChanges, MapsStartsAndEndsOfTheChosenRows) {
  struct Case {
    const char* name;
    TimeMapping mapping;
    RowSpan rows;
    Strings starts;
    Strings ends;
    Strings marks;
    int clamped;
  };
  const std::vector<Case> cases = {
      {"shift all by +1.5 s",
       ShiftMapping(1500),
       {1, 3},
       {"00:00:02.500", "00:00:11.500", "00:01:01.500"},
       {"00:00:03.500", "00:00:14.000 X1:100", "00:01:05.500"},
       {"T", "T", "T"},
       0},
      {"shift from row 2 on, earlier",
       ShiftMapping(-2000),
       {2, 3},
       {"00:00:01.000", "00:00:08.000", "00:00:58.000"},
       {"00:00:02.000", "00:00:10.500 X1:100", "00:01:02.000"},
       {"", "T", "T"},
       0},
      {"a shift before zero stops at zero",
       ShiftMapping(-1500),
       {1, 1},
       {"00:00:00.000", "00:00:10.000", "00:01:00.000"},
       {"00:00:00.500", "00:00:12.500 X1:100", "00:01:04.000"},
       {"T", "", ""},
       1},
      {"sync 1 s -> 2 s and 60 s -> 90 s",
       *SyncMapping(1000, 2000, 60000, 90000),
       {1, 3},
       {"00:00:02.000", "00:00:15.424", "00:01:30.000"},
       {"00:00:03.492", "00:00:19.153 X1:100", "00:01:35.966"},
       {"T", "T", "T"},
       0},
      {"25 fps to 23.976 fps",
       *FrameRateMapping(25.0, 24000.0 / 1001.0),
       {2, 2},
       {"00:00:01.000", "00:00:10.427", "00:01:00.000"},
       {"00:00:02.000", "00:00:13.034 X1:100", "00:01:04.000"},
       {"", "T", ""},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    document::SubtitleDocument document = ThreeRows();
    const auto changed = ChangeTimes(document, c.mapping, c.rows);
    ASSERT_TRUE(changed.ok());
    EXPECT_EQ(Column(document.main, kStart), c.starts);
    EXPECT_EQ(Column(document.main, kEnd), c.ends);
    EXPECT_EQ(Column(document.main, kChangeMarks), c.marks);
    EXPECT_EQ(changed.value().clamped, c.clamped);
    EXPECT_FALSE(document.document_saved);
    // One undo puts every time, mark and the saved flag back.
    EXPECT_EQ(document.main.History().UndoKind(), document::EditKind::kTimeChange);
    ASSERT_TRUE(document.Undo());
    const document::SubtitleDocument original = ThreeRows();
    EXPECT_EQ(Column(document.main, kStart), Column(original.main, kStart));
    EXPECT_EQ(Column(document.main, kEnd), Column(original.main, kEnd));
    EXPECT_EQ(Column(document.main, kChangeMarks), Strings(3, ""));
    EXPECT_TRUE(document.document_saved);
    ASSERT_TRUE(document.Redo());
    EXPECT_EQ(Column(document.main, kStart), c.starts);
  }
}

TEST(TimeChanges, UnreadableTimeChangesNothingAndEmptyCellsStayEmpty) {
  document::SubtitleDocument document = MakeDocument(
      {{"a", "00:00:01.000", "00:00:02.000"}, {"b", "later", "00:00:05.000"}, {"new", "", ""}});
  const auto refused = ChangeTimes(document, ShiftMapping(1000), AllRows(document));
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().line, 2);
  EXPECT_EQ(Column(document.main, kStart), (Strings{"00:00:01.000", "later", ""}));
  EXPECT_TRUE(document.document_saved);
  EXPECT_FALSE(document.main.History().CanUndo());

  const auto changed = ChangeTimes(document, ShiftMapping(1000), {3, 3});
  ASSERT_TRUE(changed.ok());
  EXPECT_EQ(changed.value().rows, 0);
  EXPECT_EQ(Column(document.main, kStart), (Strings{"00:00:01.000", "later", ""}));
  EXPECT_TRUE(document.document_saved);
}

TEST(TimeChanges, ParsesRatesPointsAndRows) {
  EXPECT_DOUBLE_EQ(*ParseFrameRate("25"), 25.0);
  EXPECT_DOUBLE_EQ(*ParseFrameRate("23.976"), 24000.0 / 1001.0);
  EXPECT_DOUBLE_EQ(*ParseFrameRate("29.97"), 30000.0 / 1001.0);
  EXPECT_DOUBLE_EQ(*ParseFrameRate("24000/1001"), 24000.0 / 1001.0);
  EXPECT_DOUBLE_EQ(*ParseFrameRate(" 24 "), 24.0);
  for (const char* bad : {"", "0", "-25", "25fps", "24/0", "x/2"}) {
    EXPECT_FALSE(ParseFrameRate(bad).has_value()) << bad;
  }

  const auto sync = ParseSyncPoints("00:00:01.000=2,60=00:01:30,000");
  ASSERT_TRUE(sync.ok());
  EXPECT_EQ(sync.value().Apply(1000), 2000);
  EXPECT_EQ(sync.value().Apply(60000), 90000);
  for (const char* bad : {"1=2", "1=2,1=3", "a=2,3=4", "1=2;3=4", "1,2"}) {
    EXPECT_FALSE(ParseSyncPoints(bad).ok()) << bad;
  }

  struct RowCase {
    const char* typed;
    int first;
    int last;
  };
  for (const RowCase& c :
       {RowCase{"2", 2, 2}, RowCase{"2-4", 2, 4}, RowCase{"3-", 3, 10}, RowCase{"5-99", 5, 10}}) {
    const auto span = ParseRowSpan(c.typed, 10);
    ASSERT_TRUE(span.ok()) << c.typed;
    EXPECT_EQ(span.value().first, c.first) << c.typed;
    EXPECT_EQ(span.value().last, c.last) << c.typed;
  }
  for (const char* bad : {"", "0", "4-2", "11", "a-b", "-3", "2-x"}) {
    EXPECT_FALSE(ParseRowSpan(bad, 10).ok()) << bad;
  }
}

TEST(TimeChanges, NamesEndsBeforeStartsAndOverlaps) {
  const document::SubtitleDocument document =
      MakeDocument({{"a", "00:00:01.000", "00:00:03.000"},
                    {"b", "00:00:02.000", "00:00:04.000"},    // starts before a ends
                    {"c", "00:00:06.000", "00:00:05.000"},    // ends before it starts
                    {"d", "00:00:05.500", "00:00:07.000"},    // after c's (bad) end
                    {"e", "", ""},                            // no times
                    {"f", "00:00:06.500", "00:00:08.000"}});  // after a row without times
  const std::vector<TimeFault> expected = {TimeFault::kNone,           TimeFault::kOverlap,
                                           TimeFault::kEndBeforeStart, TimeFault::kNone,
                                           TimeFault::kNone,           TimeFault::kNone};
  for (int row = 1; row <= 6; ++row) {
    EXPECT_EQ(TimeFaultOf(document.main, row), expected[static_cast<size_t>(row - 1)]) << row;
  }
}

TEST(SeveralRows, DeleteMergeAndSplitAreOneUndoStepEach) {
  document::SubtitleDocument document = MakeDocument({{"a", "00:00:01.000", "00:00:02.000"},
                                                      {"b\\Nc", "00:00:03.000", "00:00:06.000"},
                                                      {"", "00:00:07.000", "00:00:08.000"},
                                                      {"d", "00:00:09.000", "00:00:10.000"}});
  const Strings texts = Column(document.main, kText);

  ASSERT_TRUE(MergeRows(document, 2, 4));
  EXPECT_EQ(Column(document.main, kText), (Strings{"a", "b\\Nc\\Nd"}));
  EXPECT_EQ(Column(document.main, kEnd), (Strings{"00:00:02.000", "00:00:10.000"}));
  EXPECT_EQ(Column(document.main, kChangeMarks), (Strings{"", "TC"}));
  EXPECT_EQ(Column(document.main, kNumber), (Strings{"1", "2"}));
  EXPECT_FALSE(MergeRows(document, 2, 2));
  ASSERT_TRUE(document.Undo());
  EXPECT_EQ(Column(document.main, kText), texts);

  const auto added = SplitRows(document, 1, 4);
  ASSERT_TRUE(added.ok());
  EXPECT_EQ(added.value(), 1);
  EXPECT_EQ(Column(document.main, kText), (Strings{"a", "b", "c", "", "d"}));
  EXPECT_EQ(Column(document.main, kStart), (Strings{"00:00:01.000", "00:00:03.000", "00:00:04.500",
                                                    "00:00:07.000", "00:00:09.000"}));
  EXPECT_EQ(Column(document.main, kEnd), (Strings{"00:00:02.000", "00:00:04.500", "00:00:06.000",
                                                  "00:00:08.000", "00:00:10.000"}));
  EXPECT_EQ(Column(document.main, kNumber), (Strings{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(document.main.History().UndoKind(), document::EditKind::kSplitRows);
  ASSERT_TRUE(document.Undo());
  EXPECT_EQ(Column(document.main, kText), texts);

  EXPECT_EQ(DeleteRows(document, 2, 3), 2);
  EXPECT_EQ(Column(document.main, kText), (Strings{"a", "d"}));
  EXPECT_EQ(document.current_row, 2);
  EXPECT_EQ(DeleteRows(document, 1, 9), 2);
  EXPECT_EQ(Column(document.main, kText), (Strings{""}));
  ASSERT_TRUE(document.Undo());
  ASSERT_TRUE(document.Undo());
  EXPECT_EQ(Column(document.main, kText), texts);
  EXPECT_TRUE(document.document_saved);
}

TEST(SeveralRows, SplitWithAnUnreadableTimeChangesNothing) {
  document::SubtitleDocument document = MakeDocument({{"a\\Nb", "soon", "00:00:02.000"}});
  const auto refused = SplitRows(document, 1, 1);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().line, 1);
  EXPECT_EQ(Column(document.main, kText), (Strings{"a\\Nb"}));
  EXPECT_FALSE(document.main.History().CanUndo());
}

}  // namespace
}  // namespace proof

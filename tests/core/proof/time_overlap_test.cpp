// Tests of the time-overlap correction and its report.
#include "proof/time_overlap.h"

#include <gtest/gtest.h>

#include "proof_test_util.h"

namespace proof {
namespace {

using document::kChangeMarks;
using document::kEnd;
using proof_test::Column;
using proof_test::MakeDocument;
using Strings = std::vector<std::string>;

TEST(TimeOverlap, CutsEachEndBackToTheNextStart) {
  struct Case {
    std::vector<proof_test::RowSpec> rows;
    Strings marks_before;
    Strings ends;
    Strings marks;
    int corrections;
  };
  const std::vector<Case> cases = {
      // One overlap: the end moves to the next start and gains "T".
      {{{"a", "00:00:01.000", "00:00:05.000"}, {"b", "00:00:04.500", "00:00:06.000"}},
       {"", ""},
       {"00:00:04.500", "00:00:06.000"},
       {"T", ""},
       1},
      // Ending exactly when the next starts is no overlap.
      {{{"a", "00:00:01.000", "00:00:04.000"}, {"b", "00:00:04.000", "00:00:06.000"}},
       {"", ""},
       {"00:00:04.000", "00:00:06.000"},
       {"", ""},
       0},
      // Existing marks keep a single "T", in front.
      {{{"a", "00:00:01.000", "00:00:05.000"}, {"b", "00:00:02.000", "00:00:06.000"}},
       {"C", "T"},
       {"00:00:02.000", "00:00:06.000"},
       {"TC", "T"},
       1},
      // Three rows overlapping: both earlier rows are cut to their successor's start.
      {{{"a", "00:00:01.000", "00:00:09.000"},
        {"b", "00:00:02.000", "00:00:09.000"},
        {"c", "00:00:03.000", "00:00:09.000"}},
       {"", "", ""},
       {"00:00:02.000", "00:00:03.000", "00:00:09.000"},
       {"T", "T", ""},
       2},
      // Rows out of order: the end is still set to the next start, before its own start.
      {{{"a", "00:00:05.000", "00:00:06.000"}, {"b", "00:00:01.000", "00:00:02.000"}},
       {"", ""},
       {"00:00:01.000", "00:00:02.000"},
       {"T", ""},
       1},
      // A row without a start does not wipe the end above it.
      {{{"a", "00:00:01.000", "00:00:05.000"}, {"new", "", ""}, {"c", "00:00:07.000", "x"}},
       {"", "", ""},
       {"00:00:05.000", "", "x"},
       {"", "", ""},
       0},
      // A single row: nothing to compare.
      {{{"a", "00:00:01.000", "00:00:05.000"}}, {""}, {"00:00:05.000"}, {""}, 0},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    document::SubtitleDocument document = MakeDocument(cases[i].rows);
    for (int row = 1; row <= document.main.DataRowCount(); ++row) {
      document.main.SetCell(kChangeMarks, row, cases[i].marks_before[row - 1]);
    }
    EXPECT_EQ(FixTimeOverlaps(document.main), cases[i].corrections) << "case " << i;
    EXPECT_EQ(Column(document.main, kEnd), cases[i].ends) << "case " << i;
    EXPECT_EQ(Column(document.main, kChangeMarks), cases[i].marks) << "case " << i;
    EXPECT_EQ(Column(document.main, document::kBaseEnd)[0], cases[i].rows[0].end);
  }
}

TEST(TimeOverlap, ReportJoinsTheCountBetweenItsMessages) {
  const proof_test::NumberedMessages messages;
  EXPECT_EQ(OverlapReport(3, messages), "<689>3<692>");
  EXPECT_EQ(OverlapReport(0, messages), "<695>");
}

}  // namespace
}  // namespace proof

#include "document/row_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace document {
namespace {

class RecordingObserver : public TableObserver {
 public:
  void RowsAboutToBeInserted(int first, int last) override {
    log.push_back("insert " + std::to_string(first) + "-" + std::to_string(last));
  }
  void RowsInserted() override {
    log.push_back("inserted");
  }
  void RowsAboutToBeRemoved(int first, int last) override {
    log.push_back("remove " + std::to_string(first) + "-" + std::to_string(last));
  }
  void RowsRemoved() override {
    log.push_back("removed");
  }
  void CellChanged(int column, int row) override {
    log.push_back("cell " + std::to_string(column) + "," + std::to_string(row));
  }
  void AboutToReset() override {
    log.push_back("reset");
  }
  void ResetDone() override {
    log.push_back("reset done");
  }
  std::vector<std::string> log;
};

TEST(RowTable, AKeptColumnStaysWithThePositionsWhileRowsMove) {
  RowTable table(kReferenceColumnCount);
  for (const char* text : {"a", "b", "c"}) {
    const int row =
        table.DataRowCount() == 1 && table.Cell(kText, 1).empty() ? 1 : table.AppendRow();
    table.SetCell(kNumber, row, std::to_string(row * 10));
    table.SetCell(kText, row, text);
  }
  RecordingObserver observer;
  table.SetObserver(&observer);
  table.InsertRowKeepingColumn(2, kNumber, "40");
  const std::vector<std::pair<std::string, std::string>> inserted = {
      {"10", "a"}, {"20", ""}, {"30", "b"}, {"40", "c"}};
  for (int row = 1; row <= 4; ++row) {
    EXPECT_EQ(table.Cell(kNumber, row), inserted[row - 1].first) << row;
    EXPECT_EQ(table.Cell(kText, row), inserted[row - 1].second) << row;
  }
  EXPECT_EQ(observer.log,
            (std::vector<std::string>{"insert 2-2", "inserted", "cell 0,2", "cell 0,4"}));
  table.RemoveRowKeepingColumn(1, kNumber);
  EXPECT_EQ(table.DataRowCount(), 3);
  EXPECT_EQ(table.Cell(kNumber, 1), "10");
  EXPECT_EQ(table.Cell(kText, 1), "");
  EXPECT_EQ(table.Cell(kNumber, 3), "30");
  EXPECT_EQ(table.Cell(kText, 3), "c");
  while (table.DataRowCount() > 1) {
    table.RemoveRowKeepingColumn(1, kNumber);
  }
  table.RemoveRowKeepingColumn(1, kNumber);  // the only row: emptied, its number kept
  EXPECT_EQ(table.Row(1), (std::vector<std::string>{"10", "", "", ""}));
  table.SetObserver(nullptr);
}

TEST(RowTable, AlwaysHoldsAtLeastOneDataRow) {
  RowTable table(kMainColumnCount);
  EXPECT_EQ(table.RowCount(), 2);
  table.SetCell(kText, 1, "x");
  table.RemoveRow(1);
  EXPECT_EQ(table.RowCount(), 2);
  EXPECT_EQ(table.Cell(kText, 1), "");
  table.AppendRow();
  table.AppendRow();
  table.Clear();
  EXPECT_EQ(table.RowCount(), 2);
  table.ReplaceRows({});
  EXPECT_EQ(table.RowCount(), 2);
}

TEST(RowTable, InsertAndRemoveShiftRowsAndNotifyInPairs) {
  RowTable table(kReferenceColumnCount);
  RecordingObserver observer;
  table.SetObserver(&observer);
  table.SetCell(kText, 1, "a");
  table.AppendRow();
  table.SetCell(kText, 2, "c");
  table.InsertRow(2);
  table.SetCell(kText, 2, "b");
  EXPECT_EQ(table.Cell(kText, 1), "a");
  EXPECT_EQ(table.Cell(kText, 2), "b");
  EXPECT_EQ(table.Cell(kText, 3), "c");
  table.RemoveRow(1);
  EXPECT_EQ(table.Cell(kText, 1), "b");
  table.SetCell(kText, 1, "b");  // unchanged value: no notification
  EXPECT_EQ(observer.log, (std::vector<std::string>{"cell 1,1", "insert 2-2", "inserted",
                                                    "cell 1,2", "insert 2-2", "inserted",
                                                    "cell 1,2", "remove 1-1", "removed"}));
}

TEST(RowTable, ReplaceRowsPadsShortRows) {
  RowTable table(kMainColumnCount);
  table.ReplaceRows({{"1", "a"}, {"2"}});
  EXPECT_EQ(table.RowCount(), 3);
  EXPECT_EQ(table.Row(2).size(), static_cast<size_t>(kMainColumnCount));
  EXPECT_EQ(table.Cell(kText, 1), "a");
}

}  // namespace
}  // namespace document

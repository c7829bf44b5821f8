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

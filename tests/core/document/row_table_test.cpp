#include "document/row_table.h"

#include <gtest/gtest.h>

#include <random>
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
  EXPECT_EQ(table.RowCells(1), (std::vector<std::string>{"10", "", "", ""}));
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
  EXPECT_EQ(table.RowCells(2).size(), static_cast<size_t>(kMainColumnCount));
  EXPECT_EQ(table.Cell(kText, 1), "a");
}

using Rows = std::vector<std::vector<std::string>>;

Rows AllCells(const RowTable& table) {
  Rows rows;
  for (int row = 1; row < table.RowCount(); ++row)
    rows.push_back(table.RowCells(row));
  return rows;
}

// The table against a plain list of rows over random edits on both halves of the table, in
// columns that start uniform (all empty, all alike) and in columns that differ from row to row,
// then every step undone and redone.
TEST(RowTable, FollowsAPlainListOfRowsThroughRandomEditsUndoAndRedo) {
  std::mt19937 random(7);
  const auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const std::vector<std::string> values = {"", "x", "Default", "a long value past the short form"};
  for (int round = 0; round < 20; ++round) {
    const int columns = kMainColumnCount;
    Rows model;
    const int start_rows = pick(0, 40);
    for (int row = 0; row < start_rows; ++row) {
      std::vector<std::string> cells(columns);
      cells[kNumber] = std::to_string(row + 1);
      cells[kText] = "text " + std::to_string(row);
      cells[kStyle] = "Default";  // the same in every row
      cells[kBaseText] = round % 2 == 0 ? "" : values[static_cast<size_t>(pick(0, 3))];
      model.push_back(cells);
    }
    RowTable table(columns);
    table.ReplaceRows(model);
    table.EnableHistory();
    if (model.empty())
      model.emplace_back(columns);
    ASSERT_EQ(AllCells(table), model);

    std::vector<Rows> states = {model};
    for (int step = 0; step < 60; ++step) {
      const int rows = static_cast<int>(model.size());
      const int row = pick(1, rows);
      const int column = pick(0, columns - 1);
      table.History().OpenStep(EditKind::kCellEdit, EditState{});
      switch (pick(0, 4)) {
        case 0: {
          const std::string& value = values[static_cast<size_t>(pick(0, 3))];
          table.SetCell(column, row, value);
          model[static_cast<size_t>(row - 1)][static_cast<size_t>(column)] = value;
          break;
        }
        case 1:
          table.InsertRow(row);
          model.insert(model.begin() + (row - 1), std::vector<std::string>(columns));
          break;
        case 2:
          table.RemoveRow(row);
          if (rows == 1)
            model[0] = std::vector<std::string>(columns);
          else
            model.erase(model.begin() + (row - 1));
          break;
        case 3: {
          table.InsertRowKeepingColumn(row, kNumber, "n" + std::to_string(step));
          std::vector<std::string> numbers;
          for (const auto& cells : model)
            numbers.push_back(cells[kNumber]);
          numbers.push_back("n" + std::to_string(step));
          model.insert(model.begin() + (row - 1), std::vector<std::string>(columns));
          for (size_t i = 0; i < model.size(); ++i)
            model[i][kNumber] = numbers[i];
          break;
        }
        default: {
          table.RemoveRowKeepingColumn(row, kNumber);
          if (rows == 1) {
            for (int c = 0; c < columns; ++c) {
              if (c != kNumber)
                model[0][static_cast<size_t>(c)].clear();
            }
            break;
          }
          std::vector<std::string> numbers;
          for (const auto& cells : model)
            numbers.push_back(cells[kNumber]);
          numbers.pop_back();
          model.erase(model.begin() + (row - 1));
          for (size_t i = 0; i < model.size(); ++i)
            model[i][kNumber] = numbers[i];
          break;
        }
      }
      table.History().CloseStep(EditState{});
      ASSERT_EQ(AllCells(table), model) << "round " << round << " step " << step;
      if (table.History().UndoCount() == states.size())
        states.push_back(model);  // a step that changed nothing is not kept
    }
    // Back to the start one step at a time, then forward again.
    for (size_t i = states.size() - 1; i > 0; --i) {
      ASSERT_TRUE(table.History().Undo(table).done);
      ASSERT_EQ(AllCells(table), states[i - 1]) << "round " << round << " undo to " << i - 1;
    }
    for (size_t i = 1; i < states.size(); ++i) {
      ASSERT_TRUE(table.History().Redo(table).done);
      ASSERT_EQ(AllCells(table), states[i]) << "round " << round << " redo to " << i;
    }
  }
}

}  // namespace
}  // namespace document

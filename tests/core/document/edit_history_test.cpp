// Tests of the undo history: what the table records, steps and their nesting, the flags a step
// puts back, the saved state, resets, unannounced changes and the memory budget.
#include "document/edit_history.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "document/row_table.h"
#include "document/subtitle_document.h"

namespace document {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows Snapshot(const RowTable& table) {
  Rows rows;
  for (int row = 1; row < table.RowCount(); ++row) {
    rows.push_back(table.RowCells(row));
  }
  return rows;
}

// A document of `count` rows whose texts are "t1", "t2", ...; the history starts empty.
SubtitleDocument MakeDocument(int count) {
  SubtitleDocument document;
  Rows rows;
  for (int row = 1; row <= count; ++row) {
    std::vector<std::string> cells(kMainColumnCount);
    cells[kNumber] = std::to_string(row);
    cells[kText] = "t" + std::to_string(row);
    cells[kBaseText] = cells[kText];
    rows.push_back(std::move(cells));
  }
  document.main.ReplaceRows(std::move(rows));
  return document;
}

TEST(EditHistory, UndoAndRedoPutBackEveryKindOfTableChange) {
  struct Case {
    const char* name;
    std::function<void(RowTable&)> change;
  };
  const std::string long_text(200, 'x');  // kept on the heap, unlike short strings
  const std::vector<Case> cases = {
      {"one cell", [](RowTable& t) { t.SetCell(kText, 2, "new"); }},
      {"a cell twice",
       [&](RowTable& t) {
         t.SetCell(kText, 2, long_text);
         t.SetCell(kText, 2, "again");
       }},
      {"insert in the middle",
       [](RowTable& t) {
         t.InsertRow(2);
         t.SetCell(kText, 2, "inserted");
       }},
      {"append", [](RowTable& t) { t.SetCell(kText, t.AppendRow(), "appended"); }},
      {"remove first and last",
       [](RowTable& t) {
         t.RemoveRow(1);
         t.RemoveRow(t.DataRowCount());
       }},
      {"insert, edit below, remove above",
       [&](RowTable& t) {
         t.InsertRow(3);
         t.SetCell(kEnd, 4, long_text);
         t.RemoveRow(1);
         t.SetCell(kText, 1, "moved up");
       }},
      {"insert and remove keeping the numbers in place",
       [](RowTable& t) {
         t.InsertRowKeepingColumn(2, kNumber, "5");
         t.SetCell(kText, 2, "inserted");
         t.RemoveRowKeepingColumn(4, kNumber);
         t.RemoveRowKeepingColumn(1, kNumber);
       }},
      {"remove every row",
       [](RowTable& t) {
         while (t.DataRowCount() > 1) {
           t.RemoveRow(1);
         }
         t.RemoveRow(1);  // the only row is emptied, not removed
       }},
  };
  for (const Case& c : cases) {
    SubtitleDocument document = MakeDocument(4);
    const Rows before = Snapshot(document.main);
    {
      const EditStep step(document, EditKind::kCellEdit);
      c.change(document.main);
    }
    const Rows after = Snapshot(document.main);
    ASSERT_NE(after, before) << c.name;
    ASSERT_TRUE(document.Undo()) << c.name;
    EXPECT_EQ(Snapshot(document.main), before) << c.name;
    ASSERT_TRUE(document.Redo()) << c.name;
    EXPECT_EQ(Snapshot(document.main), after) << c.name;
    ASSERT_TRUE(document.Undo()) << c.name;
    EXPECT_EQ(Snapshot(document.main), before) << c.name;
    EXPECT_FALSE(document.Undo()) << c.name;
  }
}

TEST(EditHistory, RowsMovingUnderFixedNumbersCostOneRowNotTheNumbers) {
  SubtitleDocument document = MakeDocument(10000);
  {
    const EditStep step(document, EditKind::kDeleteRow);
    document.main.RemoveRowKeepingColumn(1, kNumber);
  }
  {
    const EditStep step(document, EditKind::kInsertRow);
    document.main.InsertRowKeepingColumn(1, kNumber, "10000");
  }
  EXPECT_EQ(document.main.Cell(kNumber, 1), "1");
  EXPECT_EQ(document.main.Cell(kText, 1), "");
  EXPECT_EQ(document.main.Cell(kText, 2), "t2");
  EXPECT_EQ(document.main.Cell(kNumber, 10000), "10000");
  // Nothing like a copy of the 10,000 numbers: a row of cells and a few records.
  EXPECT_LT(document.main.History().ByteSize(), 2000u);
  ASSERT_TRUE(document.Undo());
  ASSERT_TRUE(document.Undo());
  EXPECT_EQ(Snapshot(document.main), Snapshot(MakeDocument(10000).main));
}

TEST(EditHistory, StepsUndoOneAtATimeAndANewStepDropsTheRedoBranch) {
  SubtitleDocument document = MakeDocument(3);
  EditHistory& history = document.main.History();
  const std::vector<std::pair<EditKind, const char*>> steps = {
      {EditKind::kCellEdit, "a"}, {EditKind::kReplace, "b"}, {EditKind::kRestoreText, "c"}};
  for (const auto& [kind, text] : steps) {
    const EditStep step(document, kind);
    document.main.SetCell(kText, 1, text);
  }
  EXPECT_EQ(history.UndoCount(), 3u);
  EXPECT_EQ(history.UndoKind(), EditKind::kRestoreText);
  ASSERT_TRUE(document.Undo());
  ASSERT_TRUE(document.Undo());
  EXPECT_EQ(document.main.Cell(kText, 1), "a");
  EXPECT_EQ(history.UndoKind(), EditKind::kCellEdit);
  EXPECT_EQ(history.RedoKind(), EditKind::kReplace);
  EXPECT_EQ(history.RedoCount(), 2u);
  {
    const EditStep step(document, EditKind::kInsertRow);
    document.main.InsertRow(1);
  }
  EXPECT_FALSE(history.CanRedo());
  EXPECT_FALSE(document.Redo());
  EXPECT_EQ(history.UndoCount(), 2u);
  ASSERT_TRUE(document.Undo());
  ASSERT_TRUE(document.Undo());
  EXPECT_EQ(Snapshot(document.main), Snapshot(MakeDocument(3).main));
}

TEST(EditHistory, NestedStepsAreOneStepNamedByTheOutermost) {
  SubtitleDocument document = MakeDocument(2);
  EditHistory& history = document.main.History();
  {
    const EditStep outer(document, EditKind::kRecognition);
    document.main.SetCell(kText, 1, "x");
    {
      const EditStep inner(document, EditKind::kOverlapCorrection);
      document.main.SetCell(kEnd, 1, "00:00:01.000");
    }
    EXPECT_TRUE(history.StepOpen());
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(document.Undo());  // nothing is undone under a step still being recorded
    document.main.SetCell(kText, 2, "y");
  }
  EXPECT_EQ(history.UndoCount(), 1u);
  EXPECT_EQ(history.UndoKind(), EditKind::kRecognition);
  ASSERT_TRUE(document.Undo());
  EXPECT_EQ(Snapshot(document.main), Snapshot(MakeDocument(2).main));
}

TEST(EditHistory, AStepThatChangedNothingIsNotKept) {
  SubtitleDocument document = MakeDocument(2);
  {
    const EditStep step(document, EditKind::kCellEdit);
    document.main.SetCell(kText, 1, "t1");  // the value it already holds
    document.current_row = 2;               // the cursor alone is no change
  }
  EXPECT_FALSE(document.main.History().CanUndo());
}

TEST(EditHistory, UndoPutsBackTheFlagsAndTheRowTheStepFound) {
  SubtitleDocument document = MakeDocument(3);
  document.current_row = 2;
  {
    const EditStep step(document, EditKind::kStoreRowEdit);
    document.main.SetCell(kText, 2, "stored");
    document.main.SetCell(kChangeMarks, 2, "C");
    document.document_saved = false;
    document.current_row = 3;
  }
  {
    // A step that only flips a flag is kept: its undo must flip it back.
    const EditStep step(document, EditKind::kCheckConfirmation);
    document.proofread_done = false;
  }
  ASSERT_TRUE(document.Undo());
  EXPECT_TRUE(document.proofread_done);
  EXPECT_FALSE(document.document_saved);
  ASSERT_TRUE(document.Undo());
  EXPECT_TRUE(document.document_saved);
  EXPECT_EQ(document.current_row, 2);
  EXPECT_EQ(document.main.Cell(kChangeMarks, 2), "");
  ASSERT_TRUE(document.Redo());
  EXPECT_FALSE(document.document_saved);
  EXPECT_EQ(document.current_row, 3);
  EXPECT_EQ(document.main.Cell(kChangeMarks, 2), "C");
  ASSERT_TRUE(document.Redo());
  EXPECT_FALSE(document.proofread_done);
}

// Edits a cell as one step that clears the saved flag, as the commands do.
void Edit(SubtitleDocument& document, const std::string& text) {
  const EditStep step(document, EditKind::kCellEdit);
  document.main.SetCell(kText, 1, text);
  document.document_saved = false;
}

TEST(EditHistory, BackAtTheSavedStateMeansSaved) {
  SubtitleDocument document = MakeDocument(1);  // as opened: saved
  Edit(document, "a");
  Edit(document, "b");
  ASSERT_TRUE(document.Undo());
  ASSERT_TRUE(document.Undo());
  EXPECT_TRUE(document.document_saved);  // back at the state as opened
  ASSERT_TRUE(document.Redo());
  ASSERT_TRUE(document.Redo());
  EXPECT_FALSE(document.document_saved);

  // Saved at "b": the opened state is no longer what the file holds.
  document.document_saved = true;
  document.MarkSaved();
  const struct {
    bool undo;
    bool saved;
  } moves[] = {{true, false}, {true, false}, {false, false}, {false, true}};
  for (const auto& move : moves) {
    ASSERT_TRUE(move.undo ? document.Undo() : document.Redo());
    EXPECT_EQ(document.document_saved, move.saved) << document.main.Cell(kText, 1);
  }

  // Saved at "a" after undoing "b": redoing "b" leaves the saved state.
  ASSERT_TRUE(document.Undo());
  document.document_saved = true;
  document.MarkSaved();
  ASSERT_TRUE(document.Redo());
  EXPECT_FALSE(document.document_saved);
  ASSERT_TRUE(document.Undo());
  EXPECT_TRUE(document.document_saved);
}

TEST(EditHistory, ReplacingAllRowsEmptiesTheHistory) {
  SubtitleDocument document = MakeDocument(2);
  Edit(document, "a");
  Edit(document, "b");
  ASSERT_TRUE(document.Undo());
  document.main.ReplaceRows({{"1", "new"}});  // open, close or a blank subtitle
  EXPECT_FALSE(document.main.History().CanUndo());
  EXPECT_FALSE(document.main.History().CanRedo());
  {
    // Rows replaced inside a step: what the step recorded before no longer applies.
    const EditStep step(document, EditKind::kCellEdit);
    document.main.SetCell(kText, 1, "x");
    document.main.Clear();
  }
  EXPECT_FALSE(document.main.History().CanUndo());
}

TEST(EditHistory, ChangesOutsideAnyStepGatherIntoOneUntilTheNextStep) {
  SubtitleDocument document = MakeDocument(3);
  EditHistory& history = document.main.History();
  document.main.SetCell(kText, 1, "loose 1");
  document.main.InsertRow(2);
  document.main.SetCell(kText, 2, "loose 2");
  EXPECT_EQ(history.UndoCount(), 1u);
  EXPECT_EQ(history.UndoKind(), EditKind::kChange);
  Edit(document, "named");
  document.main.SetCell(kText, 3, "loose 3");
  EXPECT_EQ(history.UndoCount(), 3u);
  document.document_saved = false;
  ASSERT_TRUE(document.Undo());
  EXPECT_FALSE(document.document_saved);  // nobody recorded the flags around loose changes
  ASSERT_TRUE(document.Undo());
  ASSERT_TRUE(document.Undo());
  EXPECT_EQ(Snapshot(document.main), Snapshot(MakeDocument(3).main));
}

TEST(EditHistory, CommittingBaseValuesIsNotAnEdit) {
  SubtitleDocument document = MakeDocument(2);
  Edit(document, "edited");
  document.CommitBaseValues();
  EXPECT_EQ(document.main.History().UndoCount(), 1u);
  ASSERT_TRUE(document.Undo());
  EXPECT_EQ(document.main.Cell(kText, 1), "t1");
  EXPECT_EQ(document.main.Cell(kBaseText, 1), "edited");  // the last save's value stays
}

TEST(EditHistory, TheReferenceTableKeepsNoHistory) {
  SubtitleDocument document = MakeDocument(1);
  document.reference.SetCell(kText, 1, "reference");
  document.reference.AppendRow();
  EXPECT_FALSE(document.reference.History().CanUndo());
  EXPECT_FALSE(document.main.History().CanUndo());
}

TEST(EditHistory, StepsBeyondTheBudgetAreDroppedOldestFirst) {
  SubtitleDocument document = MakeDocument(1);
  EditHistory& history = document.main.History();
  const std::string text(1000, 'x');
  Edit(document, text + "1");
  const std::size_t first_step = history.ByteSize();
  Edit(document, text + "2");
  const std::size_t one_step = history.ByteSize() - first_step;  // a value kept on the heap
  ASSERT_GT(one_step, 1000u);
  history.SetByteBudget(3 * one_step + one_step / 2);
  for (int i = 3; i <= 6; ++i) {
    Edit(document, text + std::to_string(i));
  }
  EXPECT_EQ(history.UndoCount(), 3u);
  EXPECT_LE(history.ByteSize(), 3 * one_step + one_step / 2);
  while (document.Undo()) {
  }
  EXPECT_EQ(document.main.Cell(kText, 1), text + "3");

  // The last step stays whatever its size.
  history.SetByteBudget(1);
  Edit(document, text + "7");
  EXPECT_EQ(history.UndoCount(), 1u);
  ASSERT_TRUE(document.Undo());
  EXPECT_EQ(document.main.Cell(kText, 1), text + "3");
}

TEST(EditHistory, ListenerHearsEveryChangeOfWhatUndoOffers) {
  SubtitleDocument document = MakeDocument(2);
  std::vector<std::string> heard;
  EditHistory& history = document.main.History();
  history.SetListener([&] {
    heard.push_back(std::to_string(history.UndoCount()) + (history.StepOpen() ? "o" : "") + "/" +
                    std::to_string(history.RedoCount()));
  });
  Edit(document, "a");
  document.Undo();
  document.Redo();
  document.main.SetCell(kText, 2, "loose");
  document.main.Clear();
  EXPECT_EQ(heard, (std::vector<std::string>{"0o/0", "1/0", "0/1", "1/0", "2/0", "0/0"}));
  history.SetListener({});
}

}  // namespace
}  // namespace document

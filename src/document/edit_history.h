// EditHistory: the undo and redo steps of the main subtitle table, recorded by the table itself
// as the cells and rows each step changed, and EditStep, the scope that makes one command one
// named step.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace document {

class RowTable;
struct SubtitleDocument;

// What a step did; the window names the step after it in the Edit menu.
enum class EditKind {
  kChange,             // changes made outside any named command
  kCellEdit,           // a value typed into a grid cell
  kInsertRow,          // insert before or after the current row
  kDeleteRow,          // delete the current row
  kRestoreTime,        // restore the current row's times
  kRestoreText,        // restore the current row's text
  kShiftRange,         // a click on the shift-mark column: end times moved or put back
  kStoreRowEdit,       // the row editor's store of text and times
  kCheckConfirmation,  // the check review's proposals written
  kReplace,            // one click of find and replace that replaced (a replace-all included)
  kOverlapCorrection,  // the time-overlap correction
  kRecognition,        // the texts written by one recognition run
  kScriptConversion,   // the texts written by a Simplified/Traditional Chinese conversion
  kTimeChange,         // times shifted, synchronised or converted to another frame rate
  kDeleteRows,         // several rows deleted at once
  kMergeRows,          // several rows merged into one
  kSplitRows,          // rows split into one row a line
};

// The document's flags and cursor as a step found them and as it left them; undo puts back the
// first, redo the second. `current_row` is a data row of the main table.
struct EditState {
  bool document_saved = true;
  bool proofread_done = true;
  int current_row = 1;
};

// One change of the table as recorded. A cell change holds the one value of the cell that the
// table does not hold now (the value before while the step is done, the value after while it
// is undone): undo and redo exchange them. A row inserted as row `row` is empty, or, with a
// kept column (see RowTable::InsertRowKeepingColumn), gave the new last row `kept_value`. A
// removed row's cells are held while the step is done.
struct CellChange {
  int column = 0;
  int row = 0;
  std::string other;
};
struct RowInsertion {
  int row = 0;
  int kept_column = -1;  // -1: none
  std::string kept_value;
};
struct RowRemoval {
  int row = 0;
  std::vector<std::string> cells;  // empty while the row is back in the table (after an undo)
  int kept_column = -1;
};
using TableChange = std::variant<CellChange, RowInsertion, RowRemoval>;

// The history of one RowTable. The table reports every change to it while recording is on;
// changes made between OpenStep and the matching CloseStep form one step, steps nest (an inner
// step joins the outer one, whose kind names it). A change made with no step open is not lost:
// it starts, or joins, a step of kind kChange that ends at the next step, undo, redo or save.
// Replacing all rows (open, close, blank subtitle) empties the history: those are not undone.
// A step stores only what it changed, never a copy of the table.
class EditHistory {
 public:
  // Approximate memory the history may hold (bytes): the oldest steps are dropped beyond it,
  // never the last one done.
  static constexpr std::size_t kDefaultByteBudget = std::size_t{256} << 20;

  // True when the last step done can be undone: there is one and no step is open.
  bool CanUndo() const {
    return depth_ == 0 && position_ > 0;
  }
  // True when an undone step can be done again: there is one and no step is open.
  bool CanRedo() const {
    return depth_ == 0 && position_ < steps_.size();
  }
  // The kind of the step Undo or Redo would act on; kChange when there is none.
  EditKind UndoKind() const;
  EditKind RedoKind() const;
  // Steps that can be undone and redone now.
  std::size_t UndoCount() const {
    return position_;
  }
  std::size_t RedoCount() const {
    return steps_.size() - position_;
  }
  bool StepOpen() const {
    return depth_ > 0;
  }
  // Approximate bytes the steps hold (records and the text they keep), for the budget and for
  // measurements.
  std::size_t ByteSize() const {
    return bytes_;
  }
  void SetByteBudget(std::size_t bytes) {
    budget_ = bytes;
  }

  // Called after every change of what CanUndo, CanRedo, UndoKind or RedoKind answer (a step
  // done, undone, redone, opened, closed or dropped, or the history emptied). An empty
  // function detaches; the listener must not change the table.
  void SetListener(std::function<void()> listener) {
    listener_ = std::move(listener);
  }

  // Opens a step of `kind` (or joins the open one). `state` is the document as the step finds
  // it. Use EditStep rather than calling these directly.
  void OpenStep(EditKind kind, const EditState& state);
  // Closes the innermost open step; the outermost one is kept when it changed a cell or a row,
  // or the saved or proofread flag. Anything that could be redone is dropped then.
  void CloseStep(const EditState& state);

  // What Undo and Redo did: `done` is false when there was nothing to do; `restore_state` is
  // false for a kChange step, whose flags nobody recorded.
  struct Applied {
    bool done = false;
    bool restore_state = false;
    EditState state;
  };
  // Puts the cells and rows of the last step done back as they were, on `table` (the table
  // that recorded it), and returns the state to restore. Nothing is recorded meanwhile.
  Applied Undo(RowTable& table);
  // Does the next undone step again and returns the state it left.
  Applied Redo(RowTable& table);

  // The document was just written: the present state is the saved one, and no other is (the
  // file no longer holds them).
  void MarkSaved();
  // Forgets every step (the open one keeps recording, from nothing).
  void Clear();

  // --- Used by RowTable ---
  void Enable() {
    enabled_ = true;
  }
  bool Recording() const {
    return enabled_ && paused_ == 0;
  }
  // While paused (base values committed by a save, a step being applied), changes are not
  // recorded. Pauses nest.
  void Pause() {
    ++paused_;
  }
  void Resume() {
    --paused_;
  }
  void RecordCell(int column, int row, std::string before);
  void RecordInsertion(int row, int kept_column = -1, std::string kept_value = {});
  void RecordRemoval(int row, std::vector<std::string> cells, int kept_column = -1);
  // All rows were replaced: nothing recorded before can be applied any more.
  void RecordReset();

 private:
  struct Step {
    EditKind kind = EditKind::kChange;
    std::vector<TableChange> changes;
    EditState before;
    EditState after;
    bool has_state = true;  // false for kChange steps started by a change outside any step
    std::size_t bytes = 0;
  };

  // The step a change goes to: the open one, else the kChange step being gathered.
  Step& Target();
  void Append(TableChange change, std::size_t bytes);
  void Commit(Step step);
  void DropOldestBeyondBudget();
  void Notify() const;

  bool enabled_ = false;
  int paused_ = 0;
  std::vector<Step> steps_;  // steps_[0, position_) are done, the rest were undone
  std::size_t position_ = 0;
  int depth_ = 0;
  Step open_;                    // the step being recorded while depth_ > 0
  bool open_discarded_ = false;  // the rows were replaced while it was open
  bool gathering_ = false;       // steps_[position_ - 1] is a kChange step still taking changes
  std::size_t bytes_ = 0;
  std::size_t budget_ = kDefaultByteBudget;
  std::function<void()> listener_;
};

// One command as one undo step of `document`'s main table: opens a step of `kind` on
// construction and closes it on destruction, with the document's flags and current row as
// they are at those moments. Nested scopes join the outermost.
class EditStep {
 public:
  EditStep(SubtitleDocument& document, EditKind kind);
  ~EditStep();
  EditStep(const EditStep&) = delete;
  EditStep& operator=(const EditStep&) = delete;

 private:
  SubtitleDocument& document_;
};

}  // namespace document

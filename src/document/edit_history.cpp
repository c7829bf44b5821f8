// EditHistory: recording, undo and redo of the main table's steps; EditStep.
#include "document/edit_history.h"

#include <algorithm>
#include <cassert>
#include <utility>

#include "document/row_table.h"
#include "document/subtitle_document.h"

namespace document {
namespace {

// How many changes ahead Undo and Redo ask for the cells they will exchange.
constexpr std::ptrdiff_t kPrefetchDistance = 16;

// What a string holds on the heap beyond the record itself (short strings live inside it).
std::size_t HeapBytes(const std::string& text) {
  return text.capacity() > sizeof(std::string) / 2 ? text.capacity() + 1 : 0;
}

std::size_t RowBytes(const std::vector<std::string>& cells) {
  std::size_t bytes = cells.capacity() * sizeof(std::string);
  for (const std::string& cell : cells) {
    bytes += HeapBytes(cell);
  }
  return bytes;
}

// Whether two states differ in what the user sees of them (the cursor does not count).
bool FlagsDiffer(const EditState& a, const EditState& b) {
  return a.document_saved != b.document_saved || a.proofread_done != b.proofread_done;
}

EditState StateOf(const SubtitleDocument& document) {
  return EditState{document.document_saved, document.proofread_done, document.current_row};
}

}  // namespace

EditKind EditHistory::UndoKind() const {
  return CanUndo() ? steps_[position_ - 1].kind : EditKind::kChange;
}

EditKind EditHistory::RedoKind() const {
  return CanRedo() ? steps_[position_].kind : EditKind::kChange;
}

void EditHistory::Notify() const {
  if (listener_) {
    listener_();
  }
}

void EditHistory::OpenStep(EditKind kind, const EditState& state) {
  gathering_ = false;
  if (depth_++ > 0) {
    return;
  }
  open_ = Step{kind, {}, state, state, true, 0};
  open_discarded_ = false;
  Notify();
}

void EditHistory::CloseStep(const EditState& state) {
  assert(depth_ > 0);
  if (--depth_ > 0) {
    return;
  }
  open_.after = state;
  if (!open_discarded_ && (!open_.changes.empty() || FlagsDiffer(open_.before, open_.after))) {
    Commit(std::move(open_));
  }
  open_ = Step{};
  Notify();
}

void EditHistory::Commit(Step step) {
  // A new step ends every branch that was undone: it can no longer be redone.
  for (std::size_t i = position_; i < steps_.size(); ++i) {
    bytes_ -= steps_[i].bytes;
  }
  steps_.resize(position_);
  steps_.push_back(std::move(step));
  ++position_;
  DropOldestBeyondBudget();
}

void EditHistory::DropOldestBeyondBudget() {
  std::size_t drop = 0;
  while (bytes_ > budget_ && position_ - drop > 1) {
    bytes_ -= steps_[drop].bytes;
    ++drop;
  }
  if (drop > 0) {
    steps_.erase(steps_.begin(), steps_.begin() + static_cast<std::ptrdiff_t>(drop));
    position_ -= drop;
  }
}

EditHistory::Step& EditHistory::Target() {
  if (depth_ > 0) {
    return open_;
  }
  if (!gathering_) {
    // A change that no command announced: it becomes a step of its own, and so do the changes
    // that follow it until the next step, undo, redo or save. The flags it met are unknown.
    Step step;
    step.has_state = false;
    Commit(std::move(step));
    gathering_ = true;
    Notify();
  }
  return steps_[position_ - 1];
}

void EditHistory::Append(TableChange change, std::size_t bytes) {
  Step& step = Target();
  step.changes.push_back(std::move(change));
  step.bytes += bytes;
  bytes_ += bytes;
  if (depth_ == 0) {
    DropOldestBeyondBudget();
  }
}

void EditHistory::RecordCell(int column, int row, std::string before) {
  Step& step = Target();
  // A cell written again right after by the same step (a value typed over) keeps its first
  // value: the table holds the last.
  if (!step.changes.empty()) {
    if (const auto* last = std::get_if<CellChange>(&step.changes.back());
        last != nullptr && last->column == column && last->row == row) {
      return;
    }
  }
  // The count stays that of the value recorded; after an undo the record holds the other one,
  // so the figure is an estimate.
  const std::size_t bytes = sizeof(TableChange) + HeapBytes(before);
  Append(CellChange{column, row, std::move(before)}, bytes);
}

void EditHistory::RecordInsertion(int row, int kept_column, std::string kept_value) {
  const std::size_t bytes = sizeof(TableChange) + HeapBytes(kept_value);
  Append(RowInsertion{row, kept_column, std::move(kept_value)}, bytes);
}

void EditHistory::RecordRemoval(int row, std::vector<std::string> cells, int kept_column) {
  const std::size_t bytes = sizeof(TableChange) + RowBytes(cells);
  Append(RowRemoval{row, std::move(cells), kept_column}, bytes);
}

void EditHistory::RecordReset() {
  if (!enabled_) {
    return;
  }
  Clear();
  if (depth_ > 0) {
    open_.changes.clear();
    open_discarded_ = true;
  }
}

void EditHistory::Clear() {
  steps_.clear();
  position_ = 0;
  bytes_ = 0;
  gathering_ = false;
  Notify();
}

void EditHistory::MarkSaved() {
  gathering_ = false;
  for (Step& step : steps_) {
    step.before.document_saved = false;
    step.after.document_saved = false;
  }
  if (position_ > 0) {
    steps_[position_ - 1].after.document_saved = true;
  }
  if (position_ < steps_.size()) {
    steps_[position_].before.document_saved = true;
  }
}

EditHistory::Applied EditHistory::Undo(RowTable& table) {
  gathering_ = false;
  if (!CanUndo()) {
    return {};
  }
  Step& step = steps_[--position_];
  Pause();
  // Backwards: each change is undone on the table exactly as the change left it.
  for (auto change = step.changes.rbegin(); change != step.changes.rend(); ++change) {
    if (step.changes.rend() - change > kPrefetchDistance) {
      if (const auto* ahead = std::get_if<CellChange>(&*(change + kPrefetchDistance))) {
        table.PrefetchCell(ahead->column, ahead->row);
      }
    }
    if (auto* cell = std::get_if<CellChange>(&*change)) {
      table.SwapCell(cell->column, cell->row, cell->other);
    } else if (auto* insertion = std::get_if<RowInsertion>(&*change)) {
      table.TakeRow(insertion->row, insertion->kept_column);
    } else if (auto* removal = std::get_if<RowRemoval>(&*change)) {
      table.InsertFilledRow(removal->row, std::move(removal->cells), removal->kept_column);
      removal->cells.clear();
    }
  }
  Resume();
  Notify();
  return {true, step.has_state, step.before};
}

EditHistory::Applied EditHistory::Redo(RowTable& table) {
  gathering_ = false;
  if (!CanRedo()) {
    return {};
  }
  Step& step = steps_[position_++];
  Pause();
  for (std::size_t i = 0; i < step.changes.size(); ++i) {
    TableChange& change = step.changes[i];
    if (i + kPrefetchDistance < step.changes.size()) {
      if (const auto* ahead = std::get_if<CellChange>(&step.changes[i + kPrefetchDistance])) {
        table.PrefetchCell(ahead->column, ahead->row);
      }
    }
    if (auto* cell = std::get_if<CellChange>(&change)) {
      table.SwapCell(cell->column, cell->row, cell->other);
    } else if (auto* insertion = std::get_if<RowInsertion>(&change)) {
      std::vector<std::string> cells(static_cast<std::size_t>(table.ColumnCount()));
      if (insertion->kept_column >= 0) {
        cells[static_cast<std::size_t>(insertion->kept_column)] = insertion->kept_value;
      }
      table.InsertFilledRow(insertion->row, std::move(cells), insertion->kept_column);
    } else if (auto* removal = std::get_if<RowRemoval>(&change)) {
      removal->cells = table.TakeRow(removal->row, removal->kept_column);
    }
  }
  Resume();
  Notify();
  return {true, step.has_state, step.after};
}

EditStep::EditStep(SubtitleDocument& document, EditKind kind) : document_(document) {
  document_.main.History().OpenStep(kind, StateOf(document_));
}

EditStep::~EditStep() {
  document_.main.History().CloseStep(StateOf(document_));
}

}  // namespace document

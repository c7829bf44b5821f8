// The library editor's model: listings, searches, marks, save and archive.
#include "library/library_editor.h"

#include <algorithm>
#include <utility>

#include "library/library_text.h"

namespace library {
namespace {

// Searches pump once per this many records so that a search over a large library stays cheap.
constexpr int kPumpEvery = 512;
// A range wider than this asks before listing.
constexpr int kWideRange = 10000;

}  // namespace

LibraryEditor::LibraryEditor(GlyphLibrary& library, const app::MessageSource& messages,
                             app::MessagePort& port)
    : library_(library), messages_(messages), port_(port) {
  ClearRows();
}

void LibraryEditor::ClearRows() {
  rows_.assign(1, EditorRow{});
  current_row_ = 0;
}

void LibraryEditor::AppendRecordRow(int number) {
  EditorRow row;
  row.number = number;
  row.text = library_.Text(number - 1);
  row.features = library_.FeatureLine(number - 1);
  // The first record fills the empty row that a cleared grid keeps.
  if (rows_.size() == 1 && rows_[0].number == 0) {
    rows_[0] = std::move(row);
  } else {
    rows_.push_back(std::move(row));
  }
}

void LibraryEditor::ListLatest() {
  ClearRows();
  const int count = library_.RecordCount();
  for (int n = std::max(1, count - kEditorListLength + 1); n <= count; ++n) {
    AppendRecordRow(n);
  }
  current_row_ = static_cast<int>(rows_.size()) - 1;
}

void LibraryEditor::SetFoundStatus(int count) {
  status_ = Msg(kMessageFoundBefore) + std::to_string(count) + Msg(kMessageRecordsAfter);
}

std::string LibraryEditor::TitleText() const {
  return Msg(kMessageEditorTitleBefore) + std::to_string(library_.RecordCount()) +
         Msg(kMessageEditorTitleAfter);
}

text::Status LibraryEditor::Open(const std::string& pending_number, const std::string& pending_text,
                                 app::EventPump& pump) {
  ListLatest();
  const int count = library_.RecordCount();
  const int journal = library_.JournalCount();
  status_ = Msg(kMessageRecordsBefore) + std::to_string(count) + Msg(kMessageArchivedBefore) +
            std::to_string(count - journal) + Msg(kMessageJournalBefore) + std::to_string(journal) +
            Msg(kMessageJournalAfter);
  if (!pending_number.empty()) {
    return SearchRange(pending_number, pending_number, pump);
  }
  if (!pending_text.empty()) {
    SearchText(pending_text, pump);
  }
  return text::Success();
}

int LibraryEditor::SearchText(const std::string& text, app::EventPump& pump) {
  if (text.empty()) {
    return 0;
  }
  ClearRows();
  const int count = library_.RecordCount();
  int found = 0;
  for (int position = 0; position < count; ++position) {
    if (position % kPumpEvery == 0) {
      pump.LetPendingEventsRun();
    }
    if (library_.Text(position) == text) {
      AppendRecordRow(position + 1);
      ++found;
    }
  }
  SetFoundStatus(found);
  return found;
}

text::Status LibraryEditor::SearchRange(const std::string& from_text, const std::string& to_text,
                                        app::EventPump& pump) {
  if (from_text.empty() || to_text.empty()) {
    return text::Success();
  }
  const auto from = ParseDigits(from_text);
  const auto to = ParseDigits(to_text);
  if (!from || !to) {
    return Refusal(kMessageRangeNotDigits, messages_);
  }
  const int count = library_.RecordCount();
  if (*from > count) {
    return Refusal(kMessageRangeStartBeyond, messages_);
  }
  if (*to < *from) {
    return Refusal(kMessageRangeEndBelow, messages_);
  }
  if (*to - *from > kWideRange) {
    const app::Question question{Msg(kMessageRangeWide), Msg(kMessageCaptionUnsaved),
                                 app::Buttons::kYesNo};
    if (port_.Ask(question) != app::Answer::kYes) {
      return text::Success();
    }
  }
  ClearRows();
  int found = 0;
  // Record 0 does not exist: a range typed from 0 starts at the first record.
  for (int n = std::max(1, *from); n <= *to && n <= count; ++n) {
    if (found % kPumpEvery == 0) {
      pump.LetPendingEventsRun();
    }
    AppendRecordRow(n);
    ++found;
  }
  SetFoundStatus(found);
  return text::Success();
}

void LibraryEditor::SetCurrentRow(int row) {
  if (row >= 0 && row < static_cast<int>(rows_.size())) {
    current_row_ = row;
  }
}

void LibraryEditor::ToggleDeleteMark(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) {
    return;
  }
  EditorRow& target = rows_[row];
  if (!target.delete_mark) {
    target.delete_mark = true;
    target.change_mark = true;
  } else {
    target.delete_mark = false;
  }
}

void LibraryEditor::ClearChangeMark(int row) {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || !rows_[row].change_mark) {
    return;
  }
  rows_[row].change_mark = false;
  rows_[row].delete_mark = false;
}

void LibraryEditor::MarkChanged(int row) {
  if (row >= 0 && row < static_cast<int>(rows_.size())) {
    rows_[row].change_mark = true;
  }
}

void LibraryEditor::MarkAllForDeletion() {
  for (auto& row : rows_) {
    row.delete_mark = true;
    row.change_mark = true;
  }
}

void LibraryEditor::EditText(int row, std::string text) {
  if (row >= 0 && row < static_cast<int>(rows_.size())) {
    rows_[row].text = std::move(text);
    rows_[row].change_mark = true;
  }
}

void LibraryEditor::EditFeatures(int row, std::string features) {
  if (row >= 0 && row < static_cast<int>(rows_.size())) {
    rows_[row].features = std::move(features);
    rows_[row].change_mark = true;
  }
}

std::optional<std::filesystem::path> LibraryEditor::PictureOf(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) {
    return std::nullopt;
  }
  const int number = rows_[row].number;
  if (number == 0 || !library_.HasPictureSlot(number)) {
    return std::nullopt;
  }
  auto path = library_.PicturePath(number);
  if (!library_.Files().Exists(path)) {
    return std::nullopt;
  }
  return path;
}

text::Result<SaveOutcome> LibraryEditor::Save(app::EventPump& pump) {
  const int original_count = library_.RecordCount();
  LibraryContents contents;
  contents.texts = library_.Contents().texts;
  contents.features = library_.Contents().features;
  std::vector<bool> deleted(original_count, false);
  bool asked = false;
  bool any_deleted = false;
  bool features_changed = false;
  int count = original_count;
  // Deletions in the picture ring: the deleted number and the record count after it. The
  // pictures move only once the records are safely written.
  std::vector<std::pair<int, int>> ring_deletions;

  // Rows are listed in ascending number order, so walking up deletes every higher number
  // before a lower one and the numbers of the rows above stay valid.
  for (int row = static_cast<int>(rows_.size()) - 1; row >= 0; --row) {
    const EditorRow& current = rows_[row];
    if (!current.change_mark || current.number < 1 || current.number > original_count) {
      continue;
    }
    if (!asked) {
      const app::Question question{Msg(kMessageSaveQuestion), Msg(kMessageCaptionUnsaved),
                                   app::Buttons::kOkCancel};
      if (port_.Ask(question) != app::Answer::kOk) {
        return SaveOutcome::kCancelled;
      }
      asked = true;
    }
    const int position = current.number - 1;
    if (deleted[position]) {
      continue;
    }
    if (current.delete_mark) {
      deleted[position] = true;
      any_deleted = true;
      --count;
      if (current.number > count - kPictureRing) {
        ring_deletions.emplace_back(current.number, count);
      }
    } else {
      if (contents.features[position] != current.features) {
        features_changed = true;
      }
      contents.texts[position] = current.text;
      contents.features[position] = current.features;
    }
  }
  if (!asked) {
    return SaveOutcome::kNothingMarked;
  }

  if (any_deleted) {
    size_t kept = 0;
    for (int position = 0; position < original_count; ++position) {
      if (deleted[position]) {
        continue;
      }
      if (kept != static_cast<size_t>(position)) {
        contents.texts[kept] = std::move(contents.texts[position]);
        contents.features[kept] = std::move(contents.features[position]);
      }
      ++kept;
    }
    contents.texts.resize(kept);
    contents.features.resize(kept);
  }
  // An edited FeatureLine is rebuilt into the line of its new key, so lookups find it at once.
  if (any_deleted || features_changed) {
    contents.index = GlyphLibrary::BuildIndex(contents.features, nullptr, &pump);
  } else {
    contents.index = library_.Index();
  }
  if (auto saved = library_.SaveContents(std::move(contents)); !saved.ok()) {
    return saved.error();
  }

  // The pictures of the later records of the ring follow their records to their new numbers,
  // deletion by deletion in the order made above (highest number first).
  FileLayer& files = library_.Files();
  for (const auto& [number, count_after] : ring_deletions) {
    for (int i = number; i <= count_after; ++i) {
      const auto target = library_.PicturePath(i);
      const auto source = library_.PicturePath(i + 1);
      if (files.Exists(target)) {
        (void)files.Remove(target);
      }
      if (files.Exists(source)) {
        (void)files.Rename(source, target);
      }
    }
  }
  ListLatest();
  return SaveOutcome::kSaved;
}

text::Status LibraryEditor::Archive() {
  if (auto archived = library_.ArchiveJournal(); !archived.ok()) {
    return archived;
  }
  status_ = Msg(kMessageRecordsBefore) + std::to_string(library_.RecordCount()) +
            Msg(kMessageRecordsAfter);
  return text::Success();
}

}  // namespace library

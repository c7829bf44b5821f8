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

// After deletions, moves each picture of the old ring (the latest 1000 records before the
// save) to the name of its record's new number, and clears the names of the new ring that no
// moved picture fills. This is what deleting the records one by one and shifting the later
// pictures down each time gives for deletions inside the ring, and it also keeps the pictures
// with their records when a record below the ring is deleted. Names within one ring are
// distinct, so parking every moved file under a temporary name first lets no move overwrite a
// picture that has yet to move. At most two renames per ring picture, whatever was deleted.
void MovePicturesAfterDeletion(GlyphLibrary& library, const std::vector<bool>& deleted) {
  FileLayer& files = library.Files();
  const int old_count = static_cast<int>(deleted.size());
  const int new_count = library.RecordCount();
  const auto folder = library.Folder() / kPictureFolderName;
  auto parked = [&](int old_number) { return folder / ("~" + PictureName(old_number) + ".bmp"); };

  // New number of every old number (0 for a deleted record).
  std::vector<int> new_number(old_count + 1, 0);
  int removed = 0;
  for (int old_number = 1; old_number <= old_count; ++old_number) {
    if (deleted[old_number - 1]) {
      ++removed;
    } else {
      new_number[old_number] = old_number - removed;
    }
  }

  const int old_ring_start = std::max(1, old_count - kPictureRing + 1);
  std::vector<bool> filled(new_count + 1, false);
  std::vector<int> moving;
  for (int old_number = old_ring_start; old_number <= old_count; ++old_number) {
    const auto source = library.PicturePath(old_number);
    if (!files.Exists(source)) {
      continue;
    }
    if (new_number[old_number] == 0) {
      (void)files.Remove(source);
    } else if (files.Rename(source, parked(old_number)).ok()) {
      moving.push_back(old_number);
      filled[new_number[old_number]] = true;
    }
  }
  // A new ring member whose picture did not move has only a stranger's picture under its name.
  for (int number = std::max(1, new_count - kPictureRing + 1); number <= new_count; ++number) {
    if (!filled[number]) {
      const auto stale = library.PicturePath(number);
      if (files.Exists(stale)) {
        (void)files.Remove(stale);
      }
    }
  }
  for (const int old_number : moving) {
    (void)files.Rename(parked(old_number), library.PicturePath(new_number[old_number]));
  }
}

}  // namespace

LibraryEditor::LibraryEditor(GlyphLibrary& library, const ports::MessageSource& messages,
                             ports::MessagePort& port)
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
                                 ports::EventPump& pump) {
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

int LibraryEditor::SearchText(const std::string& text, ports::EventPump& pump) {
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
                                        ports::EventPump& pump) {
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
    const ports::Question question{Msg(kMessageRangeWide), Msg(kMessageCaptionUnsaved),
                                   ports::Buttons::kYesNo};
    if (port_.Ask(question) != ports::Answer::kYes) {
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

text::Result<SaveOutcome> LibraryEditor::Save(ports::EventPump& pump) {
  const int original_count = library_.RecordCount();
  LibraryContents contents;
  contents.texts = library_.Contents().texts;
  contents.features = library_.Contents().features;
  std::vector<bool> deleted(original_count, false);
  bool asked = false;
  bool any_deleted = false;
  bool features_changed = false;
  int count = original_count;
  // Rows are listed in ascending number order, so walking up deletes every higher number
  // before a lower one and the numbers of the rows above stay valid.
  for (int row = static_cast<int>(rows_.size()) - 1; row >= 0; --row) {
    const EditorRow& current = rows_[row];
    if (!current.change_mark || current.number < 1 || current.number > original_count) {
      continue;
    }
    if (!asked) {
      const ports::Question question{Msg(kMessageSaveQuestion), Msg(kMessageCaptionUnsaved),
                                     ports::Buttons::kOkCancel};
      if (port_.Ask(question) != ports::Answer::kOk) {
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

  if (any_deleted) {
    MovePicturesAfterDeletion(library_, deleted);
  }
  ListLatest();
  return SaveOutcome::kSaved;
}

text::Result<int> DeleteRecords(GlyphLibrary& library, const std::vector<int>& numbers,
                                ports::EventPump& pump) {
  const int original_count = library.RecordCount();
  std::vector<bool> deleted(original_count, false);
  int removed = 0;
  for (const int number : numbers) {
    if (number >= 1 && number <= original_count && !deleted[number - 1]) {
      deleted[number - 1] = true;
      ++removed;
    }
  }
  if (removed == 0) {
    return 0;
  }
  LibraryContents contents;
  for (int position = 0; position < original_count; ++position) {
    if (!deleted[position]) {
      contents.texts.push_back(library.Text(position));
      contents.features.push_back(library.FeatureLine(position));
    }
  }
  contents.index = GlyphLibrary::BuildIndex(contents.features, nullptr, &pump);
  if (auto saved = library.SaveContents(std::move(contents)); !saved.ok()) {
    return saved.error();
  }
  MovePicturesAfterDeletion(library, deleted);
  return removed;
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

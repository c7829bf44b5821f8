// The phrase table list (replace.sys) and the phrase grid's entry-row rules.
#include "settings/phrase_table.h"

#include "text/line_file.h"

namespace settings {

PhrasePair SplitPhraseLine(const std::string& line) {
  const std::string separator = kPhraseSeparator;
  const size_t at = line.find(separator);
  if (at == std::string::npos) {
    return {"", line};
  }
  // The first separator splits: a search text that held "<=>" itself cannot survive a reload.
  return {line.substr(0, at), line.substr(at + separator.size())};
}

std::string JoinPhraseLine(const PhrasePair& pair) {
  return pair.search + kPhraseSeparator + pair.replacement;
}

bool IsStorablePair(const PhrasePair& pair) {
  return !pair.search.empty() && !pair.replacement.empty() && pair.search != pair.replacement;
}

text::Result<PhraseTable> PhraseTable::LoadFromFile(const std::filesystem::path& path) {
  auto lines = text::ReadLines(path);
  if (!lines) {
    return lines.error();
  }
  return PhraseTable(std::move(lines).value());
}

text::Status PhraseTable::SaveToFile(const std::filesystem::path& path) const {
  return text::WriteLines(path, lines_);
}

PhraseGrid::PhraseGrid() : rows_(1) {}

const std::string& PhraseGrid::Cell(int column, int row) const {
  static const std::string kNone;
  if (row < 1 || row >= RowCount() || column < 0 || column > 1) {
    return kNone;
  }
  const PhrasePair& pair = rows_[static_cast<size_t>(row) - 1];
  return column == 0 ? pair.search : pair.replacement;
}

void PhraseGrid::SetCell(int column, int row, std::string value) {
  if (row < 1 || row >= RowCount() || column < 0 || column > 1) {
    return;
  }
  PhrasePair& pair = rows_[static_cast<size_t>(row) - 1];
  (column == 0 ? pair.search : pair.replacement) = std::move(value);
}

void PhraseGrid::SetCurrentRow(int row) {
  if (row >= 1 && row < RowCount()) {
    current_row_ = row;
  }
}

void PhraseGrid::Fill(const PhraseTable& table) {
  rows_.clear();
  for (const std::string& line : table.Lines()) {
    rows_.push_back(SplitPhraseLine(line));
  }
  rows_.emplace_back();
  current_row_ = EntryRow();
}

bool PhraseGrid::KeyReleased(int row) {
  bool added = false;
  if (row == EntryRow() && !Cell(0, row).empty() && !Cell(1, row).empty()) {
    rows_.emplace_back();
    current_row_ = row;
    added = true;
  }
  // Only an empty entry row is taken away: the rule is meant to undo the row that completing a
  // pair added, and must never discard text the user typed into the entry row.
  const int entry = EntryRow();
  if (row >= 1 && row == entry - 1 && (Cell(0, row).empty() || Cell(1, row).empty()) &&
      Cell(0, entry).empty() && Cell(1, entry).empty()) {
    rows_.pop_back();
    if (current_row_ >= RowCount()) {
      current_row_ = EntryRow();
    }
  }
  return added;
}

std::vector<PhrasePair> PhraseGrid::Pairs() const {
  return {rows_.begin(), rows_.end() - 1};
}

void PhraseGrid::RebuildTable(PhraseTable& table) {
  std::vector<std::string> lines;
  for (const PhrasePair& pair : Pairs()) {
    if (IsStorablePair(pair)) {
      lines.push_back(JoinPhraseLine(pair));
    }
  }
  table.SetLines(std::move(lines));
  Fill(table);
  current_row_ = RowCount() > 2 ? EntryRow() - 1 : EntryRow();
}

}  // namespace settings

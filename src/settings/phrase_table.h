// The phrase replacement table: replace.sys as a list of "search<=>replacement" lines, and the
// phrase grid in which the user edits it, with its entry row.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "text/result.h"

namespace settings {

inline constexpr const char* kPhraseFileName = "replace.sys";
// The three characters between the search text and the replacement in a replace.sys line.
inline constexpr const char* kPhraseSeparator = "<=>";

struct PhrasePair {
  std::string search;       // GBK, exactly as typed (spaces included)
  std::string replacement;  // GBK
  bool operator==(const PhrasePair&) const = default;
};

// Splits a replace.sys line at its first "<=>". A line without the separator gives an empty
// search text (such a pair is never applied and the next rebuild drops it) and keeps the whole
// line as the replacement so the user can still see it in the grid.
PhrasePair SplitPhraseLine(const std::string& line);
// search + "<=>" + replacement.
std::string JoinPhraseLine(const PhrasePair& pair);
// True when a pair may be stored: both texts non-empty and different.
bool IsStorablePair(const PhrasePair& pair);

// The phrase table list: the lines of replace.sys in the order in which they are applied.
class PhraseTable {
 public:
  PhraseTable() = default;
  explicit PhraseTable(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  // Reads replace.sys; Error code "io" names the file when it is missing or unreadable.
  static text::Result<PhraseTable> LoadFromFile(const std::filesystem::path& path);
  // Writes every line followed by CR LF, atomically; Error code "io" names the file.
  text::Status SaveToFile(const std::filesystem::path& path) const;

  const std::vector<std::string>& Lines() const {
    return lines_;
  }
  void SetLines(std::vector<std::string> lines) {
    lines_ = std::move(lines);
  }

 private:
  std::vector<std::string> lines_;
};

// The phrase grid: row 0 is the heading row, rows 1 .. RowCount() - 2 hold pairs (possibly
// incomplete while being edited), and the last row is always the entry row where a new pair is
// typed. Column 0 is the search text, column 1 the replacement. While the phrase option is on,
// the pairs of this grid, not the table list, are the ones in effect.
class PhraseGrid {
 public:
  // A grid of the heading row and an empty entry row.
  PhraseGrid();

  // Grid rows, heading and entry row included: always >= 2.
  int RowCount() const {
    return static_cast<int>(rows_.size()) + 1;
  }
  int EntryRow() const {
    return RowCount() - 1;
  }
  // Cell (column 0 or 1, row 1 .. RowCount() - 1); "" for anything outside.
  const std::string& Cell(int column, int row) const;
  // Sets a cell of a data row or the entry row; outside cells are ignored.
  void SetCell(int column, int row, std::string value);

  // The row the grid's cursor is on (1 .. RowCount() - 1).
  int CurrentRow() const {
    return current_row_;
  }
  void SetCurrentRow(int row);

  // Fills the grid from the table list: one row per line (split at the first "<=>"), then an
  // empty entry row, the cursor on the entry row.
  void Fill(const PhraseTable& table);

  // The entry-row rules after a key is released on row `row`:
  // 1. `row` is the entry row and both its cells are filled: a new empty entry row is added
  //    below; the completed pair becomes an ordinary row. Returns true (the host reopens the
  //    cell editor on `row`).
  // 2. Then, when `row` is the last but one row and one of its cells is empty, the empty entry
  //    row below is removed, so the incomplete row is the entry row again.
  // Returns whether rule 1 added a row.
  bool KeyReleased(int row);

  // Rows 1 .. RowCount() - 2 in order: the pairs in effect, incomplete or equal ones included
  // (the check skips those). The entry row is never a pair.
  std::vector<PhrasePair> Pairs() const;

  // Keeps the storable pairs of rows 1 .. RowCount() - 2 (never the entry row) in `table`, in
  // order, and refills the grid from it; the cursor ends on the last pair (on the entry row when
  // no pair is left).
  void RebuildTable(PhraseTable& table);

 private:
  std::vector<PhrasePair> rows_;  // rows_[0] is grid row 1; the last element is the entry row
  int current_row_ = 1;
};

}  // namespace settings

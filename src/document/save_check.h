// The rows a save would not write as the table holds them: times that cannot be read, an end
// before its start, and texts the chosen encoding cannot carry.
#pragma once

#include <vector>

#include "document/row_table.h"
#include "document/subtitle_writer.h"

namespace document {

// Grid row numbers (1-based data rows), ascending, in each list. Only rows the writer writes
// (non-empty text) are looked at; a row appears in at most one time list.
struct SaveProblems {
  std::vector<int> unreadable_times;  // start or end refused by IsReadableTime
  std::vector<int> end_before_start;  // both readable, end earlier than start
  std::vector<int> unencodable;       // text the encoding would change (see FindSaveProblems)

  bool Empty() const {
    return unreadable_times.empty() && end_before_start.empty() && unencodable.empty();
  }
  // The lowest row of the three lists; 0 when there is none.
  int FirstRow() const;
};

// Looks at every data row of `table` (the main or the reference table). A text counts as
// unencodable for the UTF-8 encodings when it holds a byte sequence that is not a GBK character
// (it would become U+FFFD); GBK output writes the bytes as held, so it never changes a text.
// Cost: one pass over the cells, no allocation for ASCII texts.
SaveProblems FindSaveProblems(const RowTable& table, OutputEncoding encoding);

// The data rows of the main table (ascending) that have no text but name a picture: a save
// leaves them out unless WriteOptions::keep_rows_without_text keeps them.
std::vector<int> RowsWithoutText(const RowTable& table);

}  // namespace document

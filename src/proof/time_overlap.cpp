// Time-overlap correction over the main table.
#include "proof/time_overlap.h"

#include "proof/char_search.h"

namespace proof {

int FixTimeOverlaps(document::RowTable& table) {
  using document::kChangeMarks;
  using document::kEnd;
  using document::kStart;
  int corrections = 0;
  const int last = table.DataRowCount();
  std::string previous_end = table.Cell(kEnd, 1);
  for (int row = 2; row <= last; ++row) {
    const std::string& start = table.Cell(kStart, row);
    if (!start.empty() && previous_end > start) {
      table.SetCell(kEnd, row - 1, start);
      std::string marks = table.Cell(kChangeMarks, row - 1);
      if (AddChangeMark(marks, kTimeMark)) {
        table.SetCell(kChangeMarks, row - 1, std::move(marks));
      }
      ++corrections;
    }
    previous_end = table.Cell(kEnd, row);
  }
  return corrections;
}

int FixTimeOverlaps(document::SubtitleDocument& document) {
  const document::EditStep step(document, document::EditKind::kOverlapCorrection);
  return FixTimeOverlaps(document.main);
}

std::string OverlapReport(int corrections, const ports::MessageSource& messages) {
  if (corrections == 0) {
    return messages.Message(kNoOverlapMessage);
  }
  return messages.Message(kOverlapCountBeforeMessage) + std::to_string(corrections) +
         messages.Message(kOverlapCountAfterMessage);
}

}  // namespace proof

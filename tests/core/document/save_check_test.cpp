// The save's look at the rows: which rows each problem names, and which rows it leaves alone.
#include "document/save_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace document {
namespace {

struct RowSpec {
  std::string text, start, end;
};

RowTable TableOf(const std::vector<RowSpec>& rows) {
  RowTable table(kMainColumnCount);
  for (size_t i = 0; i < rows.size(); ++i) {
    const int row = i == 0 ? 1 : table.AppendRow();
    table.SetCell(kText, row, rows[i].text);
    table.SetCell(kStart, row, rows[i].start);
    table.SetCell(kEnd, row, rows[i].end);
  }
  return table;
}

TEST(SaveCheck, NamesRowsWithUnreadableOrReversedTimes) {
  const RowTable table = TableOf({
      {"fine", "00:00:01.000", "00:00:02.000"},
      {"typed over", "abc", "00:00:04.000"},
      {"new row", "", ""},
      {"reversed", "00:00:06.000", "00:00:05.999"},
      {"", "garbage", "garbage"},  // empty text: never written, never named
      {"file form", "00:00:07,5", "00:00:08"},
      {"equal", "00:00:09.000", "00:00:09.000"},
  });
  const SaveProblems problems = FindSaveProblems(table, OutputEncoding::kGbk);
  EXPECT_EQ(problems.unreadable_times, (std::vector<int>{2, 3}));
  EXPECT_EQ(problems.end_before_start, (std::vector<int>{4}));
  EXPECT_TRUE(problems.unencodable.empty());
  EXPECT_EQ(problems.FirstRow(), 2);
  EXPECT_FALSE(problems.Empty());
}

TEST(SaveCheck, NamesTextsTheUtf8EncodingsWouldChange) {
  // "\xB0\xA1" is 啊; a lone lead byte at the end and an invalid pair are not GBK characters.
  const RowTable table = TableOf({
      {"\xB0\xA1", "00:00:01.000", "00:00:02.000"},
      {"ok\xB0", "00:00:03.000", "00:00:04.000"},
      {"plain", "00:00:05.000", "00:00:06.000"},
      {"\xFF\x20x", "00:00:07.000", "00:00:08.000"},
  });
  for (const OutputEncoding encoding : {OutputEncoding::kUtf8, OutputEncoding::kUtf8Bom}) {
    EXPECT_EQ(FindSaveProblems(table, encoding).unencodable, (std::vector<int>{2, 4}));
  }
  // GBK writes the bytes as they are held: nothing changes, nothing is named.
  EXPECT_TRUE(FindSaveProblems(table, OutputEncoding::kGbk).Empty());
}

TEST(SaveCheck, CleanTableHasNoFirstRow) {
  const SaveProblems problems =
      FindSaveProblems(TableOf({{"a", "0:00:01.5", "00:00:02.000"}}), OutputEncoding::kUtf8);
  EXPECT_TRUE(problems.Empty());
  EXPECT_EQ(problems.FirstRow(), 0);
}

}  // namespace
}  // namespace document

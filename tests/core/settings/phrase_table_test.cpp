// Tests of replace.sys lines, the phrase grid's entry-row rules and the rebuild at saving.
#include "settings/phrase_table.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace settings {
namespace {

using testing_support::TempDir;

// 象 and 像, 好 and 很好, 的 and 地 in GBK.
const std::string kXiang1 = "\xCF\xF3";
const std::string kXiang2 = "\xCF\xF1";
const std::string kHao = "\xBA\xC3";
const std::string kHenHao = "\xBA\xDC\xBA\xC3";
const std::string kDe = "\xB5\xC4";
const std::string kDi = "\xB5\xD8";

TEST(PhraseLine, SplitsAtTheFirstSeparator) {
  const std::vector<std::pair<std::string, PhrasePair>> cases = {
      {kXiang1 + "<=>" + kXiang2, {kXiang1, kXiang2}},
      {" a <=> b ", {" a ", " b "}},
      {"a<=>b<=>c", {"a", "b<=>c"}},
      {"<=>b", {"", "b"}},
      {"a<=>", {"a", ""}},
      {"no separator", {"", "no separator"}},
      {"", {"", ""}},
  };
  for (const auto& [line, pair] : cases) {
    EXPECT_EQ(SplitPhraseLine(line), pair) << line;
  }
  EXPECT_EQ(JoinPhraseLine({" a ", "b"}), " a <=>b");
}

TEST(PhraseLine, OnlyNonEmptyDifferentPairsAreStorable) {
  EXPECT_EQ(IsStorablePair({kHao, kHenHao}), true);
  EXPECT_EQ(IsStorablePair({kDe, kDe}), false);
  EXPECT_EQ(IsStorablePair({"", kDi}), false);
  EXPECT_EQ(IsStorablePair({kDi, ""}), false);
  EXPECT_EQ(IsStorablePair({"a", "a "}), true);
}

TEST(PhraseGrid, ThreeLinesGiveFiveRowsWithAnEmptyEntryRow) {
  PhraseGrid grid;
  EXPECT_EQ(grid.RowCount(), 2);
  grid.Fill(PhraseTable({kXiang1 + "<=>" + kXiang2, "a<=>b", "broken"}));
  EXPECT_EQ(grid.RowCount(), 5);
  EXPECT_EQ(grid.Cell(0, 1), kXiang1);
  EXPECT_EQ(grid.Cell(1, 1), kXiang2);
  EXPECT_EQ(grid.Cell(0, 3), "");
  EXPECT_EQ(grid.Cell(1, 3), "broken");
  EXPECT_EQ(grid.Cell(0, 4), "");
  EXPECT_EQ(grid.Cell(1, 4), "");
  EXPECT_EQ(grid.CurrentRow(), 4);
  EXPECT_EQ(grid.Pairs().size(), 3u);
}

TEST(PhraseGrid, CompletingTheEntryRowAddsANewEntryRow) {
  PhraseGrid grid;
  grid.SetCell(0, 1, kHao);
  EXPECT_FALSE(grid.KeyReleased(1));
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_TRUE(grid.Pairs().empty());

  grid.SetCell(1, 1, kHenHao);
  EXPECT_TRUE(grid.KeyReleased(1));
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.CurrentRow(), 1);
  ASSERT_EQ(grid.Pairs().size(), 1u);
  EXPECT_EQ(grid.Pairs()[0], (PhrasePair{kHao, kHenHao}));

  // A further key on the completed row changes nothing while it stays complete.
  EXPECT_FALSE(grid.KeyReleased(1));
  EXPECT_EQ(grid.RowCount(), 3);
}

TEST(PhraseGrid, ClearingACellOfTheLastPairMakesItTheEntryRowAgain) {
  PhraseGrid grid;
  grid.Fill(PhraseTable({"a<=>b", "c<=>d"}));
  grid.SetCell(1, 2, "");
  grid.KeyReleased(2);
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.EntryRow(), 2);
  ASSERT_EQ(grid.Pairs().size(), 1u);
  EXPECT_EQ(grid.Pairs()[0].search, "a");

  // Clearing a cell of an earlier pair removes nothing: it is not the last but one row.
  grid.SetCell(0, 1, "");
  grid.KeyReleased(1);
  EXPECT_EQ(grid.RowCount(), 3);
}

TEST(PhraseGrid, TextTypedIntoTheEntryRowIsNeverRemoved) {
  PhraseGrid grid;
  grid.Fill(PhraseTable({"a<=>b"}));
  grid.SetCell(0, 2, "typed");
  grid.SetCell(1, 1, "");
  grid.KeyReleased(1);
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.Cell(0, 2), "typed");
}

TEST(PhraseGrid, RebuildKeepsOnlyStorablePairsAndNeverTheEntryRow) {
  PhraseGrid grid;
  grid.Fill(PhraseTable({kHao + "<=>" + kHenHao, kDe + "<=>" + kDe, "<=>" + kDi}));
  grid.SetCell(0, 4, "x");
  grid.SetCell(1, 4, "y");  // entry row filled without a key release: not a pair
  PhraseTable table;
  grid.RebuildTable(table);
  EXPECT_EQ(table.Lines(), (std::vector<std::string>{kHao + "<=>" + kHenHao}));
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.Cell(0, 2), "");
  EXPECT_EQ(grid.CurrentRow(), 1);

  PhraseGrid empty;
  empty.Fill(PhraseTable({"a<=>a"}));
  empty.RebuildTable(table);
  EXPECT_TRUE(table.Lines().empty());
  EXPECT_EQ(empty.RowCount(), 2);
  EXPECT_EQ(empty.CurrentRow(), 1);
}

TEST(PhraseTable, RoundTripKeepsOrderAndSpaces) {
  TempDir dir;
  const PhraseTable table({" a <=> b ", kXiang1 + "<=>" + kXiang2});
  ASSERT_TRUE(table.SaveToFile(dir / "replace.sys").ok());
  EXPECT_EQ(dir.Read("replace.sys"), " a <=> b \r\n" + kXiang1 + "<=>" + kXiang2 + "\r\n");
  const auto again = PhraseTable::LoadFromFile(dir / "replace.sys");
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again.value().Lines(), table.Lines());

  const auto missing = PhraseTable::LoadFromFile(dir / "none.sys");
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().message.find("none.sys"), std::string::npos);
}

}  // namespace
}  // namespace settings

// Tests of the ShapeTable built from a library's contents at once, against the same records
// appended one by one as AddGlyph appends them.
#include "library/shape_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/glyph_library.h"

namespace library {
namespace {

// Every row of line `key` as (position, record numbers, group sums).
std::vector<std::vector<int>> RowsOf(const ShapeTable& table, int key) {
  std::vector<std::vector<int>> rows;
  const auto add = [&](int row) {
    std::vector<int> values = {table.Position(row)};
    values.insert(values.end(), table.Record(row), table.Record(row) + ShapeTable::kStride);
    values.insert(values.end(), table.Sums(row), table.Sums(row) + kShapeGroupCount);
    rows.push_back(std::move(values));
  };
  const ShapeTable::Rows built = table.BuiltRows(key);
  for (int row = built.begin; row < built.end; ++row) {
    add(row);
  }
  for (const int row : table.AppendedRows(key)) {
    add(row);
  }
  return rows;
}

TEST(ShapeTable, BuiltAtOnceEqualsRecordsAppendedOneByOne) {
  LibraryContents contents;
  contents.features = {
      "1,2,3,4,5,6,7,8,9,10,11,12,13,20,30",  // complete
      "1,2,3,4,5,6,7,8,9,10,11,12,13",        // no size
      "1,2,3,4,5,6,7,8,9,10,11,12",           // too short: never a row
      "1,2,3,4,5,6,7,8,9,10,11,12,13,20,x",   // size cut short
      "-1,2,3,4,5,6,7,8,9,10,11,12,13,5,5,9,9",
      "",
  };
  contents.index.resize(kIndexLineCount);
  // Line 91 lists record 0 twice and some out of range; record 1 sits on two lines.
  contents.index[91] = {0, 4, 0, 7, -1};
  contents.index[90] = {1, 2, 3, 5};
  contents.index[kMaxFeatureKey] = {1};
  const ShapeTable at_once(contents);
  ShapeTable one_by_one;
  for (int key = 0; key < kIndexLineCount; ++key) {
    for (const int position : contents.index[static_cast<std::size_t>(key)]) {
      if (position >= 0 && position < static_cast<int>(contents.features.size())) {
        one_by_one.Append(key, position, contents.features[static_cast<std::size_t>(position)]);
      }
    }
  }
  for (const int key : {0, 90, 91, kMaxFeatureKey}) {
    EXPECT_EQ(RowsOf(at_once, key), RowsOf(one_by_one, key)) << key;
  }
  EXPECT_EQ(RowsOf(at_once, 91).size(), 3u);
  EXPECT_EQ(RowsOf(at_once, 90).size(), 2u);
  EXPECT_EQ(RowsOf(at_once, 90)[1][1 + ShapeTable::kCount], 14);
}

}  // namespace
}  // namespace library

// ShapeTable: the numbers of every indexed FeatureLine, parsed once and kept in index order, so
// that shape searches compare integers instead of reading text.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace library {

struct LibraryContents;

// The numbers at the front of a FeatureLine: up to 13 densities and then width and height.
// Reading stops at the first field that is not a decimal integer (an optional '-' allowed) or
// that is not followed by a comma; `count` says how many numbers were read (0..15).
struct FeatureNumbers {
  static constexpr int kMaxCount = 15;
  std::array<int, kMaxCount> values{};
  int count = 0;
};
FeatureNumbers ParseFeatureNumbers(std::string_view line);

// The densities are summed in kShapeGroupCount groups of neighbouring fields (0-3, 3-6, 6-9,
// 9-13); the sum of the groups' differences never exceeds the density distance, so it rejects
// most records of a search before their 13 fields are read.
inline constexpr int kShapeGroupCount = 4;
inline constexpr std::array<int, kShapeGroupCount + 1> kShapeGroupStarts = {0, 3, 6, 9, 13};

// One table of records for all index lines: the records of the lines as they stood when the
// table was built lie together in key order (a search reads them as two streams, downwards and
// upwards from the asked key), records appended later are listed per line. Row r has its
// kShapeGroupCount group sums at Sums(r) (kept apart, so that a search reads little memory for
// the records it refuses) and kStride numbers at Record(r): the 13 densities, width, height, and
// the count of numbers read (13 or 14 when the size is missing or incomplete, 15 when present).
// Records listed in the index whose FeatureLine holds fewer than 13 numbers are left out; a
// record listed twice appears twice, as in the index.
class ShapeTable {
 public:
  static constexpr int kDensities = 0;
  static constexpr int kWidth = kDensities + 13;
  static constexpr int kHeight = kWidth + 1;
  static constexpr int kCount = kHeight + 1;
  static constexpr int kStride = kCount + 1;

  // Rows [begin, end) of one line's records from the build.
  struct Rows {
    int begin = 0;
    int end = 0;
  };

  ShapeTable() = default;
  explicit ShapeTable(const LibraryContents& contents);

  // Appends the record at `position` (FeatureLine `line`) to line `key`, as AddGlyph appends it
  // to the index. A key outside 0..13000 is ignored.
  void Append(int key, int position, std::string_view line);

  // The rows of line `key`: those of the build, then those appended since, in line order. Empty
  // for a key outside 0..13000.
  Rows BuiltRows(int key) const;
  const std::vector<int>& AppendedRows(int key) const;

  int Position(int row) const {
    return positions_[static_cast<std::size_t>(row)];
  }
  const std::int32_t* Sums(int row) const {
    return sums_.data() + static_cast<std::ptrdiff_t>(row) * kShapeGroupCount;
  }
  const std::int32_t* Record(int row) const {
    return numbers_.data() + static_cast<std::ptrdiff_t>(row) * kStride;
  }

 private:
  // Adds a row for the record; false (nothing added) when the line holds fewer than 13 numbers.
  bool AddRow(int position, std::string_view line);
  // The same for a record already parsed into kStride numbers.
  bool AddParsedRow(int position, const std::int32_t* record);

  std::vector<int> line_starts_;  // kIndexLineCount + 1 offsets into the rows of the build
  std::vector<std::vector<int>> appended_;  // per line, rows appended after the build
  std::vector<int> positions_;              // 0-based record position of each row
  std::vector<std::int32_t> sums_;
  std::vector<std::int32_t> numbers_;
};

}  // namespace library

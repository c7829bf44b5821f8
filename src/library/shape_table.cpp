// The FeatureLines of a library parsed into numbers, per index line.
#include "library/shape_table.h"

#include <charconv>

#include "library/glyph_library.h"

namespace library {

FeatureNumbers ParseFeatureNumbers(std::string_view line) {
  FeatureNumbers parsed;
  const char* position = line.data();
  const char* end = line.data() + line.size();
  while (position < end && parsed.count < FeatureNumbers::kMaxCount) {
    int value = 0;
    const auto [next, error] = std::from_chars(position, end, value);
    if (error != std::errc()) {
      break;
    }
    parsed.values[static_cast<std::size_t>(parsed.count++)] = value;
    if (next == end || *next != ',') {
      break;
    }
    position = next + 1;
  }
  return parsed;
}

ShapeTable::ShapeTable(const LibraryContents& contents)
    : line_starts_(kIndexLineCount + 1, 0), appended_(kIndexLineCount) {
  // Every FeatureLine is parsed once, in record order (the lines lie in memory in that order),
  // into one record of numbers; the rows are then copied out in index order. Parsing in index
  // order would jump about the lines, and a record listed twice would be parsed twice.
  const auto records = contents.features.size();
  std::vector<std::int32_t> parsed(records * kStride, 0);
  for (std::size_t position = 0; position < records; ++position) {
    const FeatureNumbers numbers = ParseFeatureNumbers(contents.features[position]);
    std::int32_t* record = parsed.data() + position * kStride;
    for (int i = 0; i < numbers.count; ++i) {
      record[kDensities + i] = numbers.values[static_cast<std::size_t>(i)];
    }
    record[kCount] = numbers.count;
  }
  std::size_t listed = 0;
  for (const IndexLine& line : contents.index) {
    listed += line.size();
  }
  positions_.reserve(listed);
  sums_.reserve(listed * kShapeGroupCount);
  numbers_.reserve(listed * kStride);
  for (int key = 0; key < kIndexLineCount; ++key) {
    if (key < static_cast<int>(contents.index.size())) {
      for (const int position : contents.index[static_cast<std::size_t>(key)]) {
        if (position >= 0 && static_cast<std::size_t>(position) < records) {
          AddParsedRow(position, parsed.data() + static_cast<std::size_t>(position) * kStride);
        }
      }
    }
    line_starts_[static_cast<std::size_t>(key) + 1] = static_cast<int>(positions_.size());
  }
}

bool ShapeTable::AddRow(int position, std::string_view line) {
  const FeatureNumbers parsed = ParseFeatureNumbers(line);
  std::array<std::int32_t, kStride> record{};
  for (int i = 0; i < parsed.count; ++i) {
    record[static_cast<std::size_t>(kDensities + i)] = parsed.values[static_cast<std::size_t>(i)];
  }
  record[kCount] = parsed.count;
  return AddParsedRow(position, record.data());
}

bool ShapeTable::AddParsedRow(int position, const std::int32_t* record) {
  if (record[kCount] < kDensityCount) {
    return false;  // never a shape: a search skips it as it would skip the unreadable line
  }
  positions_.push_back(position);
  for (int group = 0; group < kShapeGroupCount; ++group) {
    std::int32_t sum = 0;
    for (int i = kShapeGroupStarts[static_cast<std::size_t>(group)];
         i < kShapeGroupStarts[static_cast<std::size_t>(group) + 1]; ++i) {
      sum += record[kDensities + i];
    }
    sums_.push_back(sum);
  }
  numbers_.insert(numbers_.end(), record, record + kStride);
  return true;
}

void ShapeTable::Append(int key, int position, std::string_view line) {
  if (key < 0 || key > kMaxFeatureKey) {
    return;
  }
  if (line_starts_.empty()) {
    line_starts_.assign(kIndexLineCount + 1, 0);
    appended_.resize(kIndexLineCount);
  }
  if (AddRow(position, line)) {
    appended_[static_cast<std::size_t>(key)].push_back(static_cast<int>(positions_.size()) - 1);
  }
}

ShapeTable::Rows ShapeTable::BuiltRows(int key) const {
  if (key < 0 || key > kMaxFeatureKey || line_starts_.empty()) {
    return {};
  }
  return {line_starts_[static_cast<std::size_t>(key)],
          line_starts_[static_cast<std::size_t>(key) + 1]};
}

const std::vector<int>& ShapeTable::AppendedRows(int key) const {
  static const std::vector<int> kNone;
  if (key < 0 || key > kMaxFeatureKey || appended_.empty()) {
    return kNone;
  }
  return appended_[static_cast<std::size_t>(key)];
}

}  // namespace library

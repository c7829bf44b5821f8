// Shared helpers of the library tests: a message source that names its numbers, library folders
// built from lists, FeatureLines of a chosen key, and a file layer that dies after N writes.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "library/file_layer.h"
#include "library/glyph_library.h"
#include "ports/host_ports.h"
#include "support/temp_dir.h"
#include "text/line_file.h"

namespace library_testing {

// Message N reads "<N>", so reports can be compared as text.
class NumberedMessages : public ports::MessageSource {
 public:
  std::string Message(int number) const override {
    return "<" + std::to_string(number) + ">";
  }
};

// A 13-field FeatureLine whose key is `key` (0..13000), varied by `variant` (0..999) without
// changing the key; `sized` adds the two size fields.
inline std::string Features(int key, int variant = 0, bool sized = false) {
  std::vector<int> fields(13, 0);
  int rest = key;
  for (int i = 0; i < 13 && rest > 0; ++i) {
    fields[i] = rest > 1000 ? 1000 : rest;
    rest -= fields[i];
  }
  // Moving `variant` units from field 12 to field 11 (or back) keeps the sum.
  if (variant > 0) {
    if (fields[12] >= variant && fields[11] + variant <= 1000) {
      fields[12] -= variant;
      fields[11] += variant;
    } else if (fields[11] >= variant && fields[12] + variant <= 1000) {
      fields[11] -= variant;
      fields[12] += variant;
    } else if (fields[0] >= variant && fields[1] + variant <= 1000) {
      fields[0] -= variant;
      fields[1] += variant;
    }
  }
  std::string line;
  for (int i = 0; i < 13; ++i) {
    if (i > 0)
      line += ',';
    line += std::to_string(fields[i]);
  }
  if (sized)
    line += ",24,26";
  return line;
}

struct Records {
  std::vector<std::string> texts;
  std::vector<std::string> features;
};

// `count` records "t<first+i>" with distinct FeatureLines spread over the keys.
inline Records MakeRecords(int count, int first = 0) {
  Records records;
  for (int i = 0; i < count; ++i) {
    const int id = first + i;
    records.texts.push_back("t" + std::to_string(id));
    records.features.push_back(Features(id % 9000, id / 9000 + 1));
  }
  return records;
}

// Writes word.wrd/word.sts (and the journal files when given) into `dir`.
inline void WriteLibraryFiles(const std::filesystem::path& dir, const Records& main,
                              const Records* journal = nullptr) {
  ASSERT_TRUE(text::WriteLines(dir / "word.wrd", main.texts).ok());
  ASSERT_TRUE(text::WriteLines(dir / "word.sts", main.features).ok());
  if (journal != nullptr) {
    ASSERT_TRUE(text::WriteLines(dir / "newword.wrd", journal->texts).ok());
    ASSERT_TRUE(text::WriteLines(dir / "newword.sts", journal->features).ok());
  }
}

inline text::Lines ReadOrEmpty(const std::filesystem::path& path) {
  auto lines = text::ReadLines(path);
  return lines.ok() ? lines.value() : text::Lines{};
}

// A real file layer that fails every changing operation after `budget` of them succeeded, as a
// program that dies at that moment leaves the folder.
class DyingFileLayer : public library::FileLayer {
 public:
  bool Exists(const std::filesystem::path& path) override {
    return real_.Exists(path);
  }
  text::Result<text::Lines> ReadLines(const std::filesystem::path& path) override {
    return real_.ReadLines(path);
  }
  text::Status WriteLines(const std::filesystem::path& path, const text::Lines& lines) override {
    if (!Spend())
      return Dead();
    return real_.WriteLines(path, lines);
  }
  text::Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
    if (!Spend())
      return Dead();
    return real_.Rename(from, to);
  }
  text::Status Remove(const std::filesystem::path& path) override {
    if (!Spend())
      return Dead();
    return real_.Remove(path);
  }
  text::Status CreateFolder(const std::filesystem::path& path) override {
    if (!Spend())
      return Dead();
    return real_.CreateFolder(path);
  }

  int budget = 1 << 30;  // changing operations still allowed
  int spent = 0;         // changing operations done

 private:
  bool Spend() {
    if (spent >= budget)
      return false;
    ++spent;
    return true;
  }
  static text::Status Dead() {
    return text::Error{"io", "the program died here"};
  }
  library::RealFileLayer real_;
};

}  // namespace library_testing

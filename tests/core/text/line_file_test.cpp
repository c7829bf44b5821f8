#include "text/line_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_dir.h"

namespace text {
namespace {

using testing_support::TempDir;

TEST(LineFile, SplitsAtEveryKindOfLineEnd) {
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("a"), Lines{"a"});
  EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n"), Lines{"a"});
  EXPECT_EQ(SplitLines("\r\n\r\n"), (Lines{"", ""}));
  EXPECT_EQ(SplitLines("a\n\rb"), (Lines{"a", "", "b"}));  // LF then CR is two ends
  EXPECT_EQ(SplitLines(std::string("x\0y\n", 4)), Lines{std::string("x\0y", 3)});
}

TEST(LineFile, WritesEveryLineWithCrLfAndReadsItBack) {
  TempDir dir;
  const Lines lines{"first", "", "\xD6\xD0\xCE\xC4"};
  ASSERT_TRUE(WriteLines(dir / "x.txt", lines).ok());
  EXPECT_EQ(dir.Read("x.txt"), "first\r\n\r\n\xD6\xD0\xCE\xC4\r\n");
  auto read = ReadLines(dir / "x.txt");
  ASSERT_TRUE(read.ok());
  EXPECT_EQ(read.value(), lines);
  ASSERT_TRUE(WriteLines(dir / "empty.txt", {}).ok());
  EXPECT_EQ(dir.Read("empty.txt"), "");
}

TEST(LineFile, MissingFileIsAnErrorNamingIt) {
  TempDir dir;
  auto read = ReadLines(dir / "nothere.sys");
  ASSERT_FALSE(read.ok());
  EXPECT_EQ(read.error().code, "io");
  EXPECT_NE(read.error().message.find("nothere.sys"), std::string::npos);
  EXPECT_FALSE(ReadLines(dir.path()).ok());  // a folder is not a file
}

TEST(LineFile, FailedWriteLeavesTheOldFileIntact) {
  if (geteuid() == 0) {
    // root ignores folder permissions; use a path whose folder does not exist instead.
    TempDir dir;
    dir.Write("keep.txt", "old\r\n");
    EXPECT_FALSE(WriteLines(dir / "missing" / "keep.txt", {"new"}).ok());
    EXPECT_EQ(dir.Read("keep.txt"), "old\r\n");
    return;
  }
  TempDir dir;
  dir.Write("keep.txt", "old\r\n");
  chmod(dir.path().c_str(), 0500);
  const auto status = WriteLines(dir / "keep.txt", {"new"});
  chmod(dir.path().c_str(), 0700);
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(dir.Read("keep.txt"), "old\r\n");
}

TEST(LineFile, ReplacingAFileLeavesNoTemporaryBehind) {
  TempDir dir;
  dir.Write("a.txt", "old");
  ASSERT_TRUE(WriteFileAtomic(dir / "a.txt", "new").ok());
  EXPECT_EQ(dir.Read("a.txt"), "new");
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    ++files;
  }
  EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace text

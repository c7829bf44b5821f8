// Tests of the several-file write and its completion after a crash.
#include "library/file_layer.h"

#include <gtest/gtest.h>

#include <set>

#include "library_fixture.h"
#include "support/temp_dir.h"

namespace library {
namespace {

using library_testing::DyingFileLayer;
using library_testing::ReadOrEmpty;
using testing_support::TempDir;

TEST(WriteFilesTogether, CommitRecordNamesOwnFilesByNameAndOthersByPath) {
  TempDir dir;
  TempDir elsewhere;
  DyingFileLayer files;
  files.budget = 3;  // two staged copies and the commit record: the change has happened
  ASSERT_TRUE(WriteFilesTogether(files, dir.path(),
                                 {{dir / "word.wrd", {"a"}}, {elsewhere / "base.wrd", {"b"}}})
                  .ok());
  const auto record = ReadOrEmpty(dir / "library.commit");
  ASSERT_EQ(record.size(), 2u);
  EXPECT_EQ(record[0], "word.wrd");
  EXPECT_EQ(record[1], (elsewhere / "base.wrd").string());
  EXPECT_FALSE(std::filesystem::exists(dir / "word.wrd")) << "not yet renamed";

  // The folder is moved before the next start-up: the own file is completed where it now lies.
  TempDir moved_parent;
  const auto moved = moved_parent / "moved";
  std::filesystem::rename(dir.path(), moved);
  RealFileLayer real;
  bool finished = false;
  ASSERT_TRUE(FinishInterruptedWrite(real, moved, {"word.wrd"}, &finished).ok());
  EXPECT_TRUE(finished);
  EXPECT_EQ(ReadOrEmpty(moved / "word.wrd"), (text::Lines{"a"}));
  EXPECT_EQ(ReadOrEmpty(elsewhere / "base.wrd"), (text::Lines{"b"}));
  EXPECT_FALSE(std::filesystem::exists(moved / "library.commit"));
  EXPECT_FALSE(std::filesystem::exists(moved / "word.wrd.new"));
  std::filesystem::rename(moved, dir.path());  // let the fixture remove its folder
}

TEST(WriteFilesTogether, AFileNamedRelativeToTheCurrentFolderIsRecordedByItsAbsolutePath) {
  TempDir dir;
  TempDir elsewhere;
  std::filesystem::create_directory(elsewhere / "ex");
  const auto current = std::filesystem::current_path();
  std::filesystem::current_path(elsewhere.path());
  DyingFileLayer files;
  files.budget = 2;  // the staged copy and the commit record
  const bool written = WriteFilesTogether(files, dir.path(), {{"ex/base.wrd", {"b"}}}).ok();
  std::filesystem::current_path(current);
  ASSERT_TRUE(written);
  const auto record = ReadOrEmpty(dir / "library.commit");
  ASSERT_EQ(record.size(), 1u);
  EXPECT_EQ(record[0], (elsewhere / "ex/base.wrd").string());
  // Completed from any current folder, it lands beside the staged copy, not in `dir`.
  RealFileLayer real;
  ASSERT_TRUE(FinishInterruptedWrite(real, dir.path(), {"word.wrd"}).ok());
  EXPECT_EQ(ReadOrEmpty(elsewhere / "ex/base.wrd"), (text::Lines{"b"}));
  EXPECT_FALSE(std::filesystem::exists(elsewhere / "ex/base.wrd.new"));
  EXPECT_FALSE(std::filesystem::exists(dir / "ex"));
}

TEST(WriteFilesTogether, StagedCopiesWithoutACommitAreDropped) {
  TempDir dir;
  dir.Write("word.wrd", "old\r\n");
  DyingFileLayer files;
  files.budget = 1;  // one staged copy, then death before the commit
  EXPECT_FALSE(WriteFilesTogether(files, dir.path(),
                                  {{dir / "word.wrd", {"new"}}, {dir / "word.sts", {"new"}}})
                   .ok());
  EXPECT_TRUE(std::filesystem::exists(dir / "word.wrd.new"));
  RealFileLayer real;
  bool finished = true;
  ASSERT_TRUE(FinishInterruptedWrite(real, dir.path(), {"word.wrd", "word.sts"}, &finished).ok());
  EXPECT_FALSE(finished);
  EXPECT_FALSE(std::filesystem::exists(dir / "word.wrd.new"));
  EXPECT_EQ(dir.Read("word.wrd"), "old\r\n");
}

TEST(WriteFilesTogether, PendingCommitIsCompletedBeforeTheNextWrite) {
  TempDir dir;
  DyingFileLayer files;
  files.budget = 2;  // staged copy and commit record of the first write
  ASSERT_TRUE(WriteFilesTogether(files, dir.path(), {{dir / "a", {"1"}}}).ok());
  files.budget = 1 << 30;
  ASSERT_TRUE(WriteFilesTogether(files, dir.path(), {{dir / "b", {"2"}}}).ok());
  EXPECT_EQ(ReadOrEmpty(dir / "a"), (text::Lines{"1"}));
  EXPECT_EQ(ReadOrEmpty(dir / "b"), (text::Lines{"2"}));
  EXPECT_FALSE(std::filesystem::exists(dir / "library.commit"));
}

TEST(FinishInterruptedWrite, RemovesTheTemporariesOfWritesKilledBeforeTheirRename) {
  TempDir dir;
  const std::vector<std::string> own = {"word.wrd", "word.ind"};
  for (const char* name :
       {".word.ind.new.tmp123", ".library.commit.tmp9", ".word.wrd.tmp77", ".word.wrd.new.tmp4",
        ".other.txt.tmp5", ".word.ind.new.tmpX", "word.wrd"}) {
    dir.Write(name, "x");
  }
  RealFileLayer real;
  ASSERT_TRUE(FinishInterruptedWrite(real, dir.path(), own).ok());
  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    left.insert(entry.path().filename().string());
  }
  // Only files the library's writes cannot have made stay.
  EXPECT_EQ(left, (std::set<std::string>{".other.txt.tmp5", ".word.ind.new.tmpX", "word.wrd"}));
  // With a commit record waiting, the temporaries go too once it is completed.
  dir.Write(".word.ind.new.tmp8", "x");
  dir.Write("word.ind.new", "new\r\n");
  dir.Write("library.commit", "word.ind\r\n");
  bool finished = false;
  ASSERT_TRUE(FinishInterruptedWrite(real, dir.path(), own, &finished).ok());
  EXPECT_TRUE(finished);
  EXPECT_EQ(dir.Read("word.ind"), "new\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir / ".word.ind.new.tmp8"));
}

}  // namespace
}  // namespace library

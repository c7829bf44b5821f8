#include "text/line_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <optional>
#include <string>
#include <thread>

#include "support/file_size_limit.h"
#include "support/temp_dir.h"

namespace text {
namespace {

using testing_support::TempDir;

int FileCount(const TempDir& dir) {
  int files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    ++files;
  }
  return files;
}

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

TEST(LineFile, RefusesAnythingButARegularFileWithoutBlocking) {
  TempDir dir;
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0);
  dir.Write("plain.txt", "x");
  std::filesystem::create_symlink(dir / "pipe", dir / "link-to-pipe");
  std::filesystem::create_symlink(dir / "plain.txt", dir / "link-to-plain");
  struct Case {
    const char* name;
    bool readable;
  };
  // A FIFO without a writer would block an ordinary open for ever.
  for (const Case c : {Case{"pipe", false}, Case{"link-to-pipe", false}, Case{"plain.txt", true},
                       Case{"link-to-plain", true}, Case{".", false}}) {
    const auto read = ReadFileBytes(dir / c.name);
    EXPECT_EQ(read.ok(), c.readable) << c.name;
    EXPECT_EQ(CheckRegularFile(dir / c.name).ok(), c.readable) << c.name;
    if (!read.ok()) {
      EXPECT_EQ(read.error().code, "io");
      EXPECT_NE(read.error().message.find(c.name), std::string::npos) << read.error().message;
    }
  }
  EXPECT_FALSE(CheckRegularFile(dir / "absent").ok());
  EXPECT_FALSE(ReadFileBytes("/dev/null").ok()) << "a device is not a file either";
}

TEST(LineFile, KnowsTheNamesOfItsOwnTemporaryFiles) {
  EXPECT_EQ(TemporaryPrefix("word.ind.new"), ".word.ind.new.tmp");
  struct Case {
    const char* file;
    const char* name;
    bool temporary;
  };
  for (const Case c :
       {Case{".word.ind.new.tmp123", "word.ind.new", true},
        Case{".library.commit.tmp0", "library.commit", true},
        Case{".word.ind.new.tmp", "word.ind.new", false},
        Case{".word.ind.new.tmp12a", "word.ind.new", false},
        Case{".word.ind.tmp5", "word.ind.new", false},
        Case{"word.ind.new.tmp5", "word.ind.new", false}, Case{".word.wrd.tmp77", "word.wrd", true},
        Case{".out.srt.tmp4242_0", "out.srt", true}, Case{".out.srt.tmp4242_17", "out.srt", true},
        Case{".out.srt.tmp_17", "out.srt", false}, Case{".out.srt.tmp4242_", "out.srt", false},
        Case{".out.srt.tmp42_1_2", "out.srt", false}}) {
    EXPECT_EQ(IsTemporaryOf(c.file, c.name), c.temporary) << c.file << " of " << c.name;
  }
}

// Fails the Nth step of the file hook; counts every step.
int hooked_steps = 0;
int failing_step = -1;
bool FailNthStep(FileStep /*step*/, const std::filesystem::path& /*target*/) {
  return hooked_steps++ != failing_step;
}

TEST(LineFile, AWriteFailedAtEachStepLeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  dir.Write("a.txt", "old");
  SetFileStepHookForTesting(FailNthStep);
  for (failing_step = 0; failing_step < 2; ++failing_step) {
    hooked_steps = 0;
    EXPECT_FALSE(WriteFileAtomic(dir / "a.txt", "new").ok()) << failing_step;
    EXPECT_EQ(dir.Read("a.txt"), "old");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      ++files;
    }
    EXPECT_EQ(files, 1) << failing_step;
  }
  hooked_steps = 0;
  ASSERT_TRUE(WriteFileAtomic(dir / "a.txt", "new").ok());
  SetFileStepHookForTesting(nullptr);
  EXPECT_EQ(hooked_steps, 2) << "one write and one rename";
  EXPECT_EQ(dir.Read("a.txt"), "new");
}

TEST(AtomicFileWriter, PiecesReplaceTheFileOnlyOnceCommitted) {
  TempDir dir;
  dir.Write("a.txt", "old");
  AtomicFileWriter file(dir / "a.txt");
  for (const char* piece : {"one", "", "\r\n", "two"}) {
    file.Append(piece);
  }
  EXPECT_TRUE(file.ok());
  EXPECT_EQ(dir.Read("a.txt"), "old");
  EXPECT_EQ(FileCount(dir), 2) << "the pieces wait in a temporary file";
  ASSERT_TRUE(file.Commit().ok());
  EXPECT_EQ(dir.Read("a.txt"), "one\r\ntwo");
  EXPECT_EQ(FileCount(dir), 1);
}

TEST(AtomicFileWriter, AnUncommittedOrFailedWriteLeavesTheOldFileAndNoTemporary) {
  const std::string piece(40000, 'x');
  struct Case {
    const char* name;
    bool commit;
    long size_limit;    // bytes a file may grow to, 0: no limit
    const char* error;  // what the failure says, "" when there is none to see
  };
  for (const Case c : {Case{"dropped without a commit", false, 0, ""},
                       Case{"disk full at the third piece", true, 100000, "Cannot write"},
                       Case{"disk full at the first piece", true, 1, "Cannot write"}}) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    dir.Write("a.txt", "old");
    {
      AtomicFileWriter file(dir / "a.txt");
      {
        std::optional<testing_support::FileSizeLimit> limit;
        if (c.size_limit > 0) {
          limit.emplace(c.size_limit);
        }
        for (int i = 0; i < 4; ++i) {
          file.Append(piece);
        }
      }
      EXPECT_EQ(file.ok(), c.size_limit == 0);
      if (c.commit) {
        const Status status = file.Commit();
        ASSERT_FALSE(status.ok());
        EXPECT_EQ(status.error().code, "io");
        EXPECT_NE(status.error().message.find(c.error), std::string::npos);
        EXPECT_NE(status.error().message.find("a.txt"), std::string::npos);
      }
    }
    EXPECT_EQ(dir.Read("a.txt"), "old");
    EXPECT_EQ(FileCount(dir), 1);
  }
}

// The id of a process that has ended (and been waited for).
pid_t EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) {
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return child;
}

TEST(AtomicFileWriter, RemovesOnlyStaleLeftoversOfTheSameFileWhenAsked) {
  TempDir dir;
  const std::string dead = ".out.srt.tmp" + std::to_string(EndedProcess()) + "_0";
  const std::string alive = ".out.srt.tmp" + std::to_string(::getppid()) + "_3";
  const std::string own = ".out.srt.tmp" + std::to_string(::getpid()) + "_9";
  const std::string old_naming = ".out.srt.tmp123456";
  const std::string other_file = ".in.srt.tmp123456";
  for (const auto& name : {dead, alive, own, old_naming, other_file}) {
    dir.Write(name, "leftover");
  }
  ASSERT_TRUE(WriteFileAtomic(dir / "out.srt", "kept").ok());
  EXPECT_EQ(FileCount(dir), 6) << "the default writer leaves other files alone";
  ASSERT_TRUE(WriteFileAtomic(dir / "out.srt", "new", Leftovers::kRemoveStale).ok());
  EXPECT_EQ(dir.Read("out.srt"), "new");
  EXPECT_FALSE(std::filesystem::exists(dir / dead));
  EXPECT_FALSE(std::filesystem::exists(dir / old_naming));
  EXPECT_TRUE(std::filesystem::exists(dir / alive)) << "a running process may still rename it";
  EXPECT_TRUE(std::filesystem::exists(dir / own));
  EXPECT_TRUE(std::filesystem::exists(dir / other_file));
  EXPECT_EQ(RemoveStaleTemporaries(dir / "out.srt"), 0);
}

TEST(AtomicFileWriter, WritesThroughASymbolicLinkToItsTarget) {
  TempDir dir;
  std::filesystem::create_directory(dir / "real");
  dir.Write("real/film.srt", "old");
  ::chmod((dir / "real/film.srt").c_str(), 0600);
  std::filesystem::create_symlink("real/film.srt", dir / "link.srt");
  std::filesystem::create_symlink("link.srt", dir / "link2.srt");
  ASSERT_TRUE(WriteFileAtomic(dir / "link2.srt", "new").ok());
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.srt"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link2.srt"));
  EXPECT_EQ(dir.Read("real/film.srt"), "new");
  EXPECT_EQ(std::filesystem::status(dir / "real/film.srt").permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(FileCount(dir), 3) << "no temporary beside the links";
  // A link to a file not made yet makes it.
  std::filesystem::create_symlink("real/later.srt", dir / "dangling.srt");
  ASSERT_TRUE(WriteFileAtomic(dir / "dangling.srt", "made").ok());
  EXPECT_EQ(dir.Read("real/later.srt"), "made");
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "dangling.srt"));
}

TEST(LineFile, ReadsPipesAndFifosToTheirEnd) {
  TempDir dir;
  const std::string data(200000, 'x');  // more than a pipe holds, so the writer must wait
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  std::thread writer([&] {
    for (std::size_t done = 0; done < data.size();) {
      done += static_cast<std::size_t>(::write(ends[1], data.data() + done, data.size() - done));
    }
    ::close(ends[1]);
  });
  auto piped = ReadFileOrPipeBytes("/dev/fd/" + std::to_string(ends[0]));
  writer.join();
  ::close(ends[0]);
  ASSERT_TRUE(piped.ok()) << piped.error().message;
  EXPECT_EQ(piped.value(), data);

  const auto fifo = dir / "answers";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A reader that looked before the writer opened reads nothing and closes; the writer's write
  // then fails (EPIPE, its signal ignored) and it tries again.
  const auto old_handler = std::signal(SIGPIPE, SIG_IGN);
  std::thread fifo_writer([&] {
    for (bool written = false; !written;) {
      const int fd = ::open(fifo.c_str(), O_WRONLY);
      written = fd >= 0 && ::write(fd, "save a\n", 7) == 7;
      ::close(fd);
    }
  });
  // Refused while the writer has not opened it yet; read whole once it has.
  std::string read;
  while (read.empty()) {
    auto bytes = ReadFileOrPipeBytes(fifo);
    if (!bytes.ok()) {
      EXPECT_NE(bytes.error().message.find("a pipe or FIFO that nothing writes to"),
                std::string::npos)
          << bytes.error().message;
      continue;
    }
    read = bytes.value();
  }
  fifo_writer.join();
  std::signal(SIGPIPE, old_handler);
  EXPECT_EQ(read, "save a\n");
  EXPECT_EQ(ReadFileOrPipeBytes(dir.Write("plain", "abc")).value(), "abc");
  EXPECT_FALSE(ReadFileOrPipeBytes(dir.path()).ok());
  // The plain reader still refuses a FIFO, and says what it is.
  auto refused = ReadFileBytes(fifo);
  ASSERT_FALSE(refused.ok());
  EXPECT_NE(refused.error().message.find("a FIFO"), std::string::npos) << refused.error().message;
}

}  // namespace
}  // namespace text

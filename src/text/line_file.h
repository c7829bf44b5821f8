// Whole-file reading and writing of text line lists, and the atomic file write they rest on.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "text/result.h"

namespace text {

using Lines = std::vector<std::string>;

// Reads a whole file as bytes. Error code "io" names the file when it cannot be opened or read,
// and when it is not a regular file (a folder, a FIFO, a device): those are refused before any
// byte is read, so a FIFO never blocks the caller.
Result<std::string> ReadFileBytes(const std::filesystem::path& path);

// Error "io" unless `path` names a regular file (after following links); never opens it. The
// message says what the file is instead (a folder, a FIFO, a device, a socket).
Status CheckRegularFile(const std::filesystem::path& path);

// Reads a whole regular file, or a pipe or FIFO to its end (process substitution, a shell pipe):
// the open never waits for a writer, the reads then wait for the data until the writer closes.
// Error "io" as ReadFileBytes, for folders, devices and sockets too, and for a pipe or FIFO that
// nothing writes to when it is opened and that holds no data (it would never give any).
Result<std::string> ReadFileOrPipeBytes(const std::filesystem::path& path);

// Splits bytes into lines at CR LF, LF or a lone CR. A last line without a line end counts; an
// empty input gives no lines; the bytes of each line are kept as they are.
Lines SplitLines(std::string_view bytes);

// Joins lines, each followed by CR LF.
std::string JoinLinesCrLf(const Lines& lines);

// ReadFileBytes + SplitLines.
Result<Lines> ReadLines(const std::filesystem::path& path);

// What a writer does with the temporary files that killed writes of the same file left: keep
// them, or remove those that are stale (RemoveStaleTemporaries) before it starts.
enum class Leftovers { kKeep, kRemoveStale };

// A file written in pieces without ever leaving a damaged file: the pieces go to a temporary file
// in the same folder, which Commit flushes and then renames over the target. A symbolic link is
// followed: the temporary file lies beside the link's final target, which the rename replaces,
// and the link stays. Until Commit
// succeeds the old file (if any) is unchanged; a writer that fails, or that goes away without a
// successful Commit, removes its temporary file. The first failure (making the temporary file,
// writing a piece) is kept: later Appends do nothing and Commit returns it. Errors have code "io"
// and name `path`. Not copyable; one thread at a time.
class AtomicFileWriter {
 public:
  // Makes the temporary file next to `path` (its link target); a failure shows in ok() and
  // Commit(). With kRemoveStale the leftovers of killed writes of the same file go first.
  explicit AtomicFileWriter(const std::filesystem::path& path,
                            Leftovers leftovers = Leftovers::kKeep);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False once anything failed; Appends are then ignored.
  bool ok() const {
    return status_.ok();
  }
  // Writes `bytes` after what was appended before (all of them, or the writer fails).
  void Append(std::string_view bytes);
  // Flushes the temporary file to disk, gives it the permissions of the file it replaces and
  // renames it over `path`. Returns the first failure instead when there was one. Call once.
  Status Commit();

 private:
  void Fail(Error error);

  std::filesystem::path path_;    // as given, for messages
  std::filesystem::path target_;  // the file replaced: `path_` with its links followed
  std::filesystem::path temporary_;
  int fd_ = -1;  // the open temporary file, -1 once closed or never opened
  bool committed_ = false;
  Status status_;
};

// Writes `bytes` to `path` through one AtomicFileWriter: on failure the old file (if any) is
// unchanged, no temporary file is left, and the Error (code "io") names `path`.
Status WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                       Leftovers leftovers = Leftovers::kKeep);

// WriteFileAtomic of JoinLinesCrLf(lines).
Status WriteLines(const std::filesystem::path& path, const Lines& lines);

// The path as a byte string for messages (native narrow form).
std::string PathForMessage(const std::filesystem::path& path);

// The name prefix of the hidden temporary files WriteFileAtomic makes for `name`: "." + name +
// ".tmp", followed by the writing process's id, "_" and a number (older versions wrote decimal
// digits alone). A write killed before its rename leaves such a file.
std::string TemporaryPrefix(const std::string& name);

// True when `file_name` is a temporary file WriteFileAtomic made for `name`, in either naming.
bool IsTemporaryOf(const std::string& file_name, const std::string& name);

// Removes the temporary files of `path` (its link target) that killed writes left: those whose
// process is gone, and those of the older naming, which carries no process id. Temporary files
// of running processes, this one included, stay. Returns how many were removed; a folder that
// cannot be listed removes nothing. Costs one listing of the folder.
int RemoveStaleTemporaries(const std::filesystem::path& path);

// Test hook on the steps of file writing, so that tests can fail or end the process at each
// step in turn. The hook sees kWrite before the bytes of a file go to its temporary file,
// kRename before every rename (WriteFileAtomic's own and the library's) and kRemove before a
// library file is deleted; it returns false to make the step fail with EIO. No hook is set
// outside tests; setting one is not thread-safe.
enum class FileStep { kWrite, kRename, kRemove };
using FileStepHook = bool (*)(FileStep step, const std::filesystem::path& target);
void SetFileStepHookForTesting(FileStepHook hook);
// Runs the hook (true when none is set).
bool PassFileStep(FileStep step, const std::filesystem::path& target);

}  // namespace text

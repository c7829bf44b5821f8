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

// Error "io" unless `path` names a regular file (after following links); never opens it.
Status CheckRegularFile(const std::filesystem::path& path);

// Splits bytes into lines at CR LF, LF or a lone CR. A last line without a line end counts; an
// empty input gives no lines; the bytes of each line are kept as they are.
Lines SplitLines(std::string_view bytes);

// Joins lines, each followed by CR LF.
std::string JoinLinesCrLf(const Lines& lines);

// ReadFileBytes + SplitLines.
Result<Lines> ReadLines(const std::filesystem::path& path);

// Writes `bytes` to `path` without ever leaving a damaged file: the bytes go to a temporary file
// in the same folder, which is flushed and then renamed over the target. On failure the old file
// (if any) is unchanged, the temporary file is removed, and the Error (code "io") names `path`.
Status WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// WriteFileAtomic of JoinLinesCrLf(lines).
Status WriteLines(const std::filesystem::path& path, const Lines& lines);

// The path as a byte string for messages (native narrow form).
std::string PathForMessage(const std::filesystem::path& path);

// The name prefix of the hidden temporary files WriteFileAtomic makes for `name`: "." + name +
// ".tmp", followed by decimal digits. A write killed before its rename leaves such a file.
std::string TemporaryPrefix(const std::string& name);

// True when `file_name` is a temporary file WriteFileAtomic made for `name`.
bool IsTemporaryOf(const std::string& file_name, const std::string& name);

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

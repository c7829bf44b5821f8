// Whole-file reading and writing of text line lists, and the atomic file write they rest on.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "text/result.h"

namespace text {

using Lines = std::vector<std::string>;

// Reads a whole file as bytes. Error code "io" names the file when it cannot be opened or read.
Result<std::string> ReadFileBytes(const std::filesystem::path& path);

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

}  // namespace text

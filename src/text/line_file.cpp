// Line files and atomic writes over POSIX calls (fsync matters: a rename without it can leave an
// empty file after a power cut).
#include "text/line_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>

namespace text {
namespace {

Error IoError(const std::filesystem::path& path, const char* what, int error_number) {
  return Error{"io",
               std::string(what) + " " + PathForMessage(path) + ": " + std::strerror(error_number)};
}

std::filesystem::path TemporarySibling(const std::filesystem::path& path) {
  static std::mt19937 generator{std::random_device{}()};
  auto name = path.filename().string();
  name = "." + name + ".tmp" + std::to_string(generator() % 1000000);
  return path.parent_path() / name;
}

}  // namespace

std::string PathForMessage(const std::filesystem::path& path) {
  return path.string();
}

Result<std::string> ReadFileBytes(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    return IoError(path, "Cannot read", EISDIR);
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return IoError(path, "Cannot open", errno != 0 ? errno : ENOENT);
  }
  std::string bytes;
  in.seekg(0, std::ios::end);
  const auto size = in.tellg();
  if (size > 0) {
    bytes.resize(static_cast<size_t>(size));
    in.seekg(0, std::ios::beg);
    in.read(bytes.data(), size);
  }
  if (in.bad() || (size > 0 && in.gcount() != size)) {
    return IoError(path, "Cannot read", errno != 0 ? errno : EIO);
  }
  return bytes;
}

Lines SplitLines(std::string_view bytes) {
  Lines lines;
  size_t start = 0;
  const size_t n = bytes.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = bytes[i];
    if (c != '\r' && c != '\n')
      continue;
    lines.emplace_back(bytes.substr(start, i - start));
    if (c == '\r' && i + 1 < n && bytes[i + 1] == '\n')
      ++i;
    start = i + 1;
  }
  if (start < n)
    lines.emplace_back(bytes.substr(start));
  return lines;
}

std::string JoinLinesCrLf(const Lines& lines) {
  size_t total = 0;
  for (const auto& line : lines)
    total += line.size() + 2;
  std::string out;
  out.reserve(total);
  for (const auto& line : lines) {
    out += line;
    out += "\r\n";
  }
  return out;
}

Result<Lines> ReadLines(const std::filesystem::path& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes)
    return bytes.error();
  return SplitLines(bytes.value());
}

Status WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
  const auto temporary = TemporarySibling(path);
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0)
    return IoError(path, "Cannot write", errno);
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t rc = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (rc < 0) {
      if (errno == EINTR)
        continue;
      const int saved = errno;
      ::close(fd);
      ::unlink(temporary.c_str());
      return IoError(path, "Cannot write", saved);
    }
    written += static_cast<size_t>(rc);
  }
  // Keep the permissions of a file being replaced.
  struct stat old_stat {};
  if (::stat(path.c_str(), &old_stat) == 0)
    ::fchmod(fd, old_stat.st_mode & 07777);
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    const int saved = errno;
    ::unlink(temporary.c_str());
    return IoError(path, "Cannot write", saved);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int saved = errno;
    ::unlink(temporary.c_str());
    return IoError(path, "Cannot replace", saved);
  }
  return Success();
}

Status WriteLines(const std::filesystem::path& path, const Lines& lines) {
  return WriteFileAtomic(path, JoinLinesCrLf(lines));
}

}  // namespace text

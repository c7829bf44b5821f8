// Line files and atomic writes over POSIX calls (fsync matters: a rename without it can leave an
// empty file after a power cut).
#include "text/line_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

namespace text {
namespace {

Error IoError(const std::filesystem::path& path, const char* what, int error_number) {
  return Error{"io",
               std::string(what) + " " + PathForMessage(path) + ": " + std::strerror(error_number)};
}

FileStepHook file_step_hook = nullptr;

std::filesystem::path TemporarySibling(const std::filesystem::path& path) {
  static std::mt19937 generator{std::random_device{}()};
  const auto name =
      TemporaryPrefix(path.filename().string()) + std::to_string(generator() % 1000000);
  return path.parent_path() / name;
}

}  // namespace

std::string TemporaryPrefix(const std::string& name) {
  return "." + name + ".tmp";
}

bool IsTemporaryOf(const std::string& file_name, const std::string& name) {
  const std::string prefix = TemporaryPrefix(name);
  if (file_name.size() <= prefix.size() || file_name.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  return file_name.find_first_not_of("0123456789", prefix.size()) == std::string::npos;
}

void SetFileStepHookForTesting(FileStepHook hook) {
  file_step_hook = hook;
}

bool PassFileStep(FileStep step, const std::filesystem::path& target) {
  return file_step_hook == nullptr || file_step_hook(step, target);
}

std::string PathForMessage(const std::filesystem::path& path) {
  return path.string();
}

Status CheckRegularFile(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    return IoError(path, "Cannot open", errno);
  }
  if (S_ISDIR(info.st_mode)) {
    return IoError(path, "Cannot read", EISDIR);
  }
  if (!S_ISREG(info.st_mode)) {
    return Error{"io", "Cannot read " + PathForMessage(path) + ": not a regular file"};
  }
  return Success();
}

Result<std::string> ReadFileBytes(const std::filesystem::path& path) {
  // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; fstat then refuses it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return IoError(path, "Cannot open", errno);
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const bool folder = S_ISDIR(info.st_mode);
    ::close(fd);
    if (folder) {
      return IoError(path, "Cannot read", EISDIR);
    }
    return Error{"io", "Cannot read " + PathForMessage(path) + ": not a regular file"};
  }
  std::string bytes;
  bytes.resize(static_cast<size_t>(info.st_size));
  size_t done = 0;
  char probe[4096];
  for (;;) {
    // Into the buffer while it has room, then into `probe`, in case the file grew since fstat.
    const bool room = done < bytes.size();
    char* target = room ? bytes.data() + done : probe;
    const size_t wanted = room ? bytes.size() - done : sizeof probe;
    const ssize_t rc = ::read(fd, target, wanted);
    if (rc < 0) {
      if (errno == EINTR) {
        continue;
      }
      const int saved = errno;
      ::close(fd);
      return IoError(path, "Cannot read", saved);
    }
    if (rc == 0) {
      break;
    }
    if (!room) {
      bytes.append(probe, static_cast<size_t>(rc));
    }
    done += static_cast<size_t>(rc);
  }
  ::close(fd);
  bytes.resize(done);
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

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& path)
    : path_(path), temporary_(TemporarySibling(path)), status_(Success()) {
  fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    status_ = IoError(path_, "Cannot write", errno);
    return;
  }
  if (!PassFileStep(FileStep::kWrite, path_)) {
    Fail(IoError(path_, "Cannot write", EIO));
  }
}

AtomicFileWriter::~AtomicFileWriter() {
  if (!committed_ && status_.ok()) {
    Fail(Error{"io", "Cannot write " + PathForMessage(path_) + ": not committed"});
  }
}

void AtomicFileWriter::Fail(Error error) {
  status_ = std::move(error);
  // Only a temporary file this writer made and still holds open is removed: after a failed
  // open, the name may belong to someone else's file.
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
    ::unlink(temporary_.c_str());
  }
}

void AtomicFileWriter::Append(std::string_view bytes) {
  size_t written = 0;
  while (status_.ok() && written < bytes.size()) {
    const ssize_t rc = ::write(fd_, bytes.data() + written, bytes.size() - written);
    if (rc < 0) {
      if (errno != EINTR) {
        Fail(IoError(path_, "Cannot write", errno));
      }
      continue;
    }
    written += static_cast<size_t>(rc);
  }
}

Status AtomicFileWriter::Commit() {
  if (!status_.ok()) {
    return status_;
  }
  // Keep the permissions of a file being replaced.
  struct stat old_stat {};
  if (::stat(path_.c_str(), &old_stat) == 0) {
    ::fchmod(fd_, old_stat.st_mode & 07777);
  }
  if (::fsync(fd_) != 0) {
    Fail(IoError(path_, "Cannot write", errno));
    return status_;
  }
  // From here the temporary file is closed: a failure removes it by name.
  auto give_up = [this](const char* what, int error) {
    ::unlink(temporary_.c_str());
    status_ = IoError(path_, what, error);
    return status_;
  };
  if (::close(std::exchange(fd_, -1)) != 0) {
    return give_up("Cannot write", errno);
  }
  if (!PassFileStep(FileStep::kRename, path_)) {
    return give_up("Cannot replace", EIO);
  }
  if (::rename(temporary_.c_str(), path_.c_str()) != 0) {
    return give_up("Cannot replace", errno);
  }
  committed_ = true;
  return status_;
}

Status WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
  AtomicFileWriter file(path);
  file.Append(bytes);
  return file.Commit();
}

Status WriteLines(const std::filesystem::path& path, const Lines& lines) {
  return WriteFileAtomic(path, JoinLinesCrLf(lines));
}

}  // namespace text

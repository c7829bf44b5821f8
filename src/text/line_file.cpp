// Line files and atomic writes over POSIX calls (fsync matters: a rename without it can leave an
// empty file after a power cut).
#include "text/line_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>

namespace text {
namespace {

Error IoError(const std::filesystem::path& path, const char* what, int error_number) {
  return Error{"io",
               std::string(what) + " " + PathForMessage(path) + ": " + std::strerror(error_number)};
}

FileStepHook file_step_hook = nullptr;

// The temporary file's name: the prefix, this process's id, "_" and a number counted up per
// process, so that a leftover tells whose it was (StaleTemporary).
std::filesystem::path TemporarySibling(const std::filesystem::path& path) {
  static std::atomic<unsigned> serial{0};
  const auto name = TemporaryPrefix(path.filename().string()) + std::to_string(::getpid()) + "_" +
                    std::to_string(serial.fetch_add(1));
  return path.parent_path() / name;
}

// The file a write of `path` replaces: a symbolic link is followed to its final target (the
// link stays a link, the target gets the new content), at most 40 links deep.
std::filesystem::path FollowLinks(const std::filesystem::path& path) {
  std::filesystem::path current = path;
  for (int depth = 0; depth < 40; ++depth) {
    std::error_code error;
    if (!std::filesystem::is_symlink(current, error)) {
      return current;
    }
    const auto target = std::filesystem::read_symlink(current, error);
    if (error) {
      return current;
    }
    current = target.is_absolute() ? target : current.parent_path() / target;
  }
  return current;
}

// A leftover of a killed write: a temporary name of this writer whose process is gone, or one
// of the older random naming without a process id (such writes took milliseconds and could not
// be running still).
bool StaleTemporary(const std::string& file_name, const std::string& name) {
  if (!IsTemporaryOf(file_name, name)) {
    return false;
  }
  const std::string digits = file_name.substr(TemporaryPrefix(name).size());
  const std::size_t underscore = digits.find('_');
  if (underscore == std::string::npos) {
    return true;
  }
  const long pid = std::strtol(digits.substr(0, underscore).c_str(), nullptr, 10);
  if (pid <= 0 || pid == static_cast<long>(::getpid())) {
    return false;
  }
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

int RemoveStaleTemporaries(const std::filesystem::path& path) {
  const std::filesystem::path target = FollowLinks(path);
  const std::string name = target.filename().string();
  const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) {
    return 0;
  }
  const std::string prefix = TemporaryPrefix(name);
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(listing)) {
    if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0 &&
        StaleTemporary(entry->d_name, name)) {
      stale.emplace_back(entry->d_name);
    }
  }
  ::closedir(listing);
  int removed = 0;
  for (const std::string& file_name : stale) {
    removed += ::unlink((folder / file_name).c_str()) == 0 ? 1 : 0;
  }
  return removed;
}

std::string TemporaryPrefix(const std::string& name) {
  return "." + name + ".tmp";
}

bool IsTemporaryOf(const std::string& file_name, const std::string& name) {
  const std::string prefix = TemporaryPrefix(name);
  if (file_name.size() <= prefix.size() || file_name.compare(0, prefix.size(), prefix) != 0) {
    return false;
  }
  // Digits (the older naming), or digits "_" digits (process id and number).
  const std::size_t end = file_name.find_first_not_of("0123456789", prefix.size());
  if (end == std::string::npos) {
    return true;
  }
  return end > prefix.size() && file_name[end] == '_' && end + 1 < file_name.size() &&
         file_name.find_first_not_of("0123456789", end + 1) == std::string::npos;
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

namespace {

// What a file that is not a regular file is, for messages.
const char* FileKind(mode_t mode) {
  if (S_ISFIFO(mode)) {
    return "a FIFO (named pipe)";
  }
  if (S_ISCHR(mode) || S_ISBLK(mode)) {
    return "a device";
  }
  if (S_ISSOCK(mode)) {
    return "a socket";
  }
  return "an unusual file";
}

Error NotRegular(const std::filesystem::path& path, mode_t mode) {
  if (S_ISDIR(mode)) {
    return IoError(path, "Cannot read", EISDIR);
  }
  return Error{"io", "Cannot read " + PathForMessage(path) + ": it is " + FileKind(mode) +
                         ", not a regular file"};
}

// Reads `fd` to its end into `bytes` (which may hold a first guess of the size); closes it.
Result<std::string> ReadToEnd(int fd, const std::filesystem::path& path, std::string bytes) {
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

}  // namespace

Status CheckRegularFile(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    return IoError(path, "Cannot open", errno);
  }
  if (!S_ISREG(info.st_mode)) {
    return NotRegular(path, info.st_mode);
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
  if (::fstat(fd, &info) != 0) {
    const int saved = errno;
    ::close(fd);
    return IoError(path, "Cannot read", saved);
  }
  if (!S_ISREG(info.st_mode)) {
    ::close(fd);
    return NotRegular(path, info.st_mode);
  }
  std::string bytes;
  bytes.resize(static_cast<size_t>(info.st_size));
  return ReadToEnd(fd, path, std::move(bytes));
}

Result<std::string> ReadFileOrPipeBytes(const std::filesystem::path& path) {
  // The open does not wait for a writer; a pipe is then read, waiting for its data, to its end.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return IoError(path, "Cannot open", errno);
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    const int saved = errno;
    ::close(fd);
    return IoError(path, "Cannot read", saved);
  }
  if (S_ISREG(info.st_mode)) {
    std::string bytes;
    bytes.resize(static_cast<size_t>(info.st_size));
    return ReadToEnd(fd, path, std::move(bytes));
  }
  if (!S_ISFIFO(info.st_mode)) {
    ::close(fd);
    return NotRegular(path, info.st_mode);
  }
  // A first read that does not wait tells a pipe with a writer (data, or EAGAIN while it has
  // none yet) from one nothing writes to (end of file at once): a FIFO whose writer comes later
  // would otherwise read as empty.
  char first[4096];
  ssize_t got = -1;
  do {
    got = ::read(fd, first, sizeof first);
  } while (got < 0 && errno == EINTR);
  if (got < 0 && errno != EAGAIN) {
    const int saved = errno;
    ::close(fd);
    return IoError(path, "Cannot read", saved);
  }
  if (got == 0) {
    ::close(fd);
    return Error{"io", "Cannot read " + PathForMessage(path) +
                           ": it is a pipe or FIFO that nothing writes to"};
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int saved = errno;
    ::close(fd);
    return IoError(path, "Cannot read", saved);
  }
  auto rest = ReadToEnd(fd, path, std::string());
  if (!rest.ok() || got <= 0) {
    return rest;
  }
  return std::string(first, static_cast<size_t>(got)) + rest.value();
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

AtomicFileWriter::AtomicFileWriter(const std::filesystem::path& path, Leftovers leftovers)
    : path_(path), target_(FollowLinks(path)), status_(Success()) {
  if (leftovers == Leftovers::kRemoveStale) {
    RemoveStaleTemporaries(target_);
  }
  // A name held by a leftover of an earlier process with the same id is passed over.
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary_ = TemporarySibling(target_);
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd_ >= 0 || errno != EEXIST) {
      break;
    }
  }
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
  if (::stat(target_.c_str(), &old_stat) == 0) {
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
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    return give_up("Cannot replace", errno);
  }
  committed_ = true;
  return status_;
}

Status WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                       Leftovers leftovers) {
  AtomicFileWriter file(path, leftovers);
  file.Append(bytes);
  return file.Commit();
}

Status WriteLines(const std::filesystem::path& path, const Lines& lines) {
  return WriteFileAtomic(path, JoinLinesCrLf(lines));
}

}  // namespace text

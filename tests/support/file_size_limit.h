// A full disk for a test: files this process writes cannot grow beyond a limit while it lives.
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace testing_support {

// Lowers the process's file-size limit, so that a write past `bytes` into any file fails with
// EFBIG as a write to a full disk fails with ENOSPC (the signal that would end the process is
// ignored meanwhile). The old limit and signal handling come back on destruction.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_limit_);
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit lowered{bytes, old_limit_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &lowered);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_limit_);
    std::signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_limit_{};
  void (*old_handler_)(int) = SIG_DFL;
};

}  // namespace testing_support

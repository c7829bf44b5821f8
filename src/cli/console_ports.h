// Host ports for the terminal: messages and questions on stderr, progress as a counter.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "ports/host_ports.h"

namespace cli {

// Prints each message as one line on the error stream, its GBK text converted to UTF-8 and
// prefixed by "error: " or "warning: " (nothing for information). Questions are printed the same
// way and answered with `default_answer` without waiting for input; buttons that cannot give
// that answer get their safest one instead (kNo for Yes/No, kCancel for OK/Cancel).
class ConsoleMessages : public ports::MessagePort {
 public:
  explicit ConsoleMessages(ports::Answer default_answer = ports::Answer::kNo,
                           std::FILE* stream = stderr)
      : default_answer_(default_answer), stream_(stream) {}

  void Inform(ports::Severity severity, const std::string& text) override;
  ports::Answer Ask(const ports::Question& question) override;

 private:
  ports::Answer default_answer_;
  std::FILE* stream_;
};

// Never asks to stop; ReportProgress rewrites one "done/total" line on the error stream when it
// is a terminal, and prints nothing otherwise.
// Progress goes to a terminal on standard error, as "done/total" rewritten in place at most
// every kProgressInterval (and always at the end); anywhere else it is not shown.
class ConsoleEventPump : public ports::EventPump {
 public:
  static constexpr std::chrono::milliseconds kProgressInterval{50};

  ConsoleEventPump();
  void LetPendingEventsRun() override {}
  void ReportProgress(int done, int total) override;
  bool StopRequested() const override {
    return false;
  }

 private:
  bool terminal_;
  std::chrono::steady_clock::time_point shown_{};
};

// `gbk` as UTF-8 for the terminal; undecodable bytes show as U+FFFD.
std::string ForTerminal(const std::string& gbk);

}  // namespace cli

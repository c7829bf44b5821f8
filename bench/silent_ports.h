// Ports for benchmarks that drive a command without a user: every question is answered Yes,
// nothing is shown, every message text is empty, and unknown glyphs are skipped.
#pragma once

#include <string>

#include "ocr/teaching.h"
#include "ports/host_ports.h"

namespace bench_support {

class AnswerYes : public ports::MessagePort {
 public:
  void Inform(ports::Severity, const std::string&) override {}
  ports::Answer Ask(const ports::Question&) override {
    return ports::Answer::kYes;
  }
};

class NoTexts : public ports::MessageSource {
 public:
  std::string Message(int) const override {
    return {};
  }
};

// Skips every unknown glyph and counts them: a complete library should meet none.
class CountingSkipper : public ocr::Teacher {
 public:
  void Teach(ocr::TeachingSession& session) override {
    ++unknown;
    session.Skip();
  }
  int unknown = 0;
};

}  // namespace bench_support

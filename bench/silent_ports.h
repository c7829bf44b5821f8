// Ports for benchmarks that drive a command without a user: every question is answered Yes,
// nothing is shown, every message text is empty, and unknown glyphs are skipped.
#pragma once

#include <string>

#include "app/ports.h"
#include "ocr/teaching.h"

namespace bench_support {

class AnswerYes : public app::MessagePort {
 public:
  void Inform(app::Severity, const std::string&) override {}
  app::Answer Ask(const app::Question&) override {
    return app::Answer::kYes;
  }
};

class NoTexts : public app::MessageSource {
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

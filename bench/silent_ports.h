// Ports for benchmarks that drive a command without a user: every question is answered Yes,
// nothing is shown, and every message text is empty.
#pragma once

#include <string>

#include "app/ports.h"

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

}  // namespace bench_support

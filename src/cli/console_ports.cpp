// Terminal versions of the message port and the event pump.
#include "cli/console_ports.h"

#include <unistd.h>

#include "text/gbk.h"

namespace cli {
namespace {

const char* Prefix(app::Severity severity) {
  switch (severity) {
    case app::Severity::kError:
      return "error: ";
    case app::Severity::kWarning:
      return "warning: ";
    case app::Severity::kInformation:
      break;
  }
  return "";
}

// Whether `buttons` offer `answer`.
bool Offers(app::Buttons buttons, app::Answer answer) {
  switch (buttons) {
    case app::Buttons::kOk:
      return answer == app::Answer::kOk;
    case app::Buttons::kOkCancel:
      return answer == app::Answer::kOk || answer == app::Answer::kCancel;
    case app::Buttons::kYesNo:
      return answer == app::Answer::kYes || answer == app::Answer::kNo;
    case app::Buttons::kYesNoCancel:
      return answer != app::Answer::kOk;
  }
  return false;
}

// The answer that changes the least when the default does not fit the buttons.
app::Answer SafestAnswer(app::Buttons buttons) {
  switch (buttons) {
    case app::Buttons::kOk:
      return app::Answer::kOk;
    case app::Buttons::kYesNo:
      return app::Answer::kNo;
    case app::Buttons::kOkCancel:
    case app::Buttons::kYesNoCancel:
      break;
  }
  return app::Answer::kCancel;
}

const char* AnswerName(app::Answer answer) {
  switch (answer) {
    case app::Answer::kYes:
      return "yes";
    case app::Answer::kNo:
      return "no";
    case app::Answer::kCancel:
      return "cancel";
    case app::Answer::kOk:
      return "ok";
  }
  return "";
}

}  // namespace

std::string ForTerminal(const std::string& gbk) {
  return text::GbkToUtf8(gbk).text;
}

void ConsoleMessages::Inform(app::Severity severity, const std::string& text) {
  std::fprintf(stream_, "%s%s\n", Prefix(severity), ForTerminal(text).c_str());
  std::fflush(stream_);
}

app::Answer ConsoleMessages::Ask(const app::Question& question) {
  const app::Answer answer =
      Offers(question.buttons, default_answer_) ? default_answer_ : SafestAnswer(question.buttons);
  std::fprintf(stream_, "%s: %s [answered %s]\n", ForTerminal(question.caption).c_str(),
               ForTerminal(question.text).c_str(), AnswerName(answer));
  std::fflush(stream_);
  return answer;
}

ConsoleEventPump::ConsoleEventPump() : terminal_(isatty(STDERR_FILENO) != 0) {}

void ConsoleEventPump::ReportProgress(int done, int total) {
  if (!terminal_) {
    return;
  }
  const bool last = total > 0 && done >= total;
  const auto now = std::chrono::steady_clock::now();
  if (!last && now - shown_ < kProgressInterval) {
    return;
  }
  shown_ = now;
  if (total > 0) {
    std::fprintf(stderr, "\r%d/%d", done, total);
  } else {
    std::fprintf(stderr, "\r%d", done);
  }
  if (last) {
    std::fputc('\n', stderr);
  }
  std::fflush(stderr);
}

}  // namespace cli

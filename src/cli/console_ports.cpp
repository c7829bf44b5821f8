// Terminal versions of the message port and the event pump.
#include "cli/console_ports.h"

#include <unistd.h>

#include "text/gbk.h"

namespace cli {
namespace {

const char* Prefix(ports::Severity severity) {
  switch (severity) {
    case ports::Severity::kError:
      return "error: ";
    case ports::Severity::kWarning:
      return "warning: ";
    case ports::Severity::kInformation:
      break;
  }
  return "";
}

// Whether `buttons` offer `answer`.
bool Offers(ports::Buttons buttons, ports::Answer answer) {
  switch (buttons) {
    case ports::Buttons::kOk:
      return answer == ports::Answer::kOk;
    case ports::Buttons::kOkCancel:
      return answer == ports::Answer::kOk || answer == ports::Answer::kCancel;
    case ports::Buttons::kYesNo:
      return answer == ports::Answer::kYes || answer == ports::Answer::kNo;
    case ports::Buttons::kYesNoCancel:
      return answer != ports::Answer::kOk;
  }
  return false;
}

// The answer that changes the least when the default does not fit the buttons.
ports::Answer SafestAnswer(ports::Buttons buttons) {
  switch (buttons) {
    case ports::Buttons::kOk:
      return ports::Answer::kOk;
    case ports::Buttons::kYesNo:
      return ports::Answer::kNo;
    case ports::Buttons::kOkCancel:
    case ports::Buttons::kYesNoCancel:
      break;
  }
  return ports::Answer::kCancel;
}

const char* AnswerName(ports::Answer answer) {
  switch (answer) {
    case ports::Answer::kYes:
      return "yes";
    case ports::Answer::kNo:
      return "no";
    case ports::Answer::kCancel:
      return "cancel";
    case ports::Answer::kOk:
      return "ok";
  }
  return "";
}

}  // namespace

std::string ForTerminal(const std::string& gbk) {
  return text::GbkToUtf8(gbk).text;
}

void ConsoleMessages::Inform(ports::Severity severity, const std::string& text) {
  std::fprintf(stream_, "%s%s\n", Prefix(severity), ForTerminal(text).c_str());
  std::fflush(stream_);
}

ports::Answer ConsoleMessages::Ask(const ports::Question& question) {
  const ports::Answer answer =
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

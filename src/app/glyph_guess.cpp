// The OCR guess's script and the guesser of a run.
#include "app/glyph_guess.h"

#include "app/message_numbers.h"

namespace app {

guess::Script GuessScriptFor(settings::GuessScript choice, int interface_language) {
  switch (choice) {
    case settings::GuessScript::kSimplified:
      return guess::Script::kSimplified;
    case settings::GuessScript::kTraditional:
      return guess::Script::kTraditional;
    case settings::GuessScript::kByLanguage:
      break;
  }
  return interface_language == 2 ? guess::Script::kTraditional : guess::Script::kSimplified;
}

std::string GuessUnavailableText(const ports::MessageSource& messages, guess::Script script,
                                 const std::string& problem) {
  std::string text = messages.Message(msg::kOcrGuessUnavailable) + guess::DataName(script);
  if (!problem.empty()) {
    text += " (" + problem + ")";
  }
  return text;
}

std::unique_ptr<ocr::GlyphGuesser> MakeGlyphGuesser(
    const settings::TeachingAssistance& assistance, int interface_language,
    std::function<void(guess::Script, const std::string& problem)> unavailable) {
  if (!assistance.ocr_guess) {
    return nullptr;
  }
  const guess::Script script = GuessScriptFor(assistance.ocr_guess_script, interface_language);
  auto report = [script, unavailable = std::move(unavailable)](const std::string& problem) {
    if (unavailable) {
      unavailable(script, problem);
    }
  };
  return std::make_unique<guess::TesseractGuesser>(script, std::move(report));
}

}  // namespace app

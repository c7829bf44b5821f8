// The OCR guess of the teaching question: which script's data it reads, and the guesser a
// recognition run hands to the recogniser.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "guess/tesseract_guesser.h"
#include "ocr/glyph_guess.h"
#include "ports/host_ports.h"
#include "settings/settings_list.h"

namespace app {

// The script of the guess: the one chosen, or by the interface language (1 Simplified Chinese,
// 2 Traditional Chinese, 3 English) when the choice is kByLanguage: Traditional for 2, else
// Simplified.
guess::Script GuessScriptFor(settings::GuessScript choice, int interface_language);

// The status text of a guess that cannot run (GBK): message 1166 followed by the data's name,
// and by `problem` in brackets when there is one (the Tesseract module's load error).
std::string GuessUnavailableText(const ports::MessageSource& messages, guess::Script script,
                                 const std::string& problem = {});

// The guesser for one run as the assistance settings ask, or null when the OCR guess is off. Its
// engine starts at the first question that asks for a guess; when it cannot start,
// `unavailable` is called once with the script whose data failed and the guesser's problem (see
// TesseractGuesser; the host shows GuessUnavailableText), and the run goes on without guesses.
std::unique_ptr<ocr::GlyphGuesser> MakeGlyphGuesser(
    const settings::TeachingAssistance& assistance, int interface_language,
    std::function<void(guess::Script, const std::string& problem)> unavailable);

}  // namespace app

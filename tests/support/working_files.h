// Working files and ports shared by the application and window tests: language.sys files with
// recognisable texts, setup.sys with chosen lines, and a glyph library port that holds nothing.
#pragma once

#include <map>
#include <string>

#include "app/shell_hooks.h"

namespace testing_support {

// language.sys where line i reads "m<i>", so message N in language L is "m<N+L>".
std::string NumberedLanguageFile();

// language.sys where message N reads "sN", "tN" and "eN" in languages 1, 2 and 3.
std::string PrefixedLanguageFile();

// setup.sys of 23 lines: options "0", language "1", the remembered folders empty; `lines`
// replaces the lines it names.
std::string SettingsFile(const std::map<int, std::string>& lines = {});

// A glyph library port that loads nothing and never has a journal.
class NoLibrary : public app::GlyphLibraryPort {
 public:
  text::Status Load(ports::MessagePort&, const ports::MessageSource&, ports::EventPump&) override {
    return text::Success();
  }
  int JournalCount() const override {
    return 0;
  }
  text::Status ArchiveJournal() override {
    return text::Success();
  }
};

}  // namespace testing_support

// Fuzz target: the working files setup.sys, replace.sys and language.sys as any bytes: the
// settings' accessors, the phrase grid rebuilt from the table, the check with those phrases, and
// every message of the language file in each language.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/message_table.h"
#include "memory_files.h"
#include "ports/host_ports.h"
#include "proof/check_rules.h"
#include "settings/phrase_table.h"
#include "settings/settings_list.h"
#include "text/line_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // Parts, cut at 0xFF: setup.sys, replace.sys, language.sys, a subtitle text to check.
  const auto parts = fuzzing::SplitInput(input, 4);
  settings::SettingsList settings(text::SplitLines(parts[0].bytes));
  (void)settings.Language();
  (void)settings.EllipsisForm();
  (void)settings.SpaceDetection();
  (void)settings.SpaceWidth();
  (void)settings.LineHeight();
  for (int line = 0; line < settings.LineCount() + 2; ++line) {
    (void)settings.Flag(line);
  }

  settings::PhraseTable phrases(text::SplitLines(parts[1].bytes));
  settings::PhraseGrid grid;
  grid.Fill(phrases);
  grid.RebuildTable(phrases);
  proof::CheckOptions options;
  options.quotes_to_full_width = settings.FullWidthQuotes();
  options.pair_quotes = settings.UnpairedQuotes();
  options.inner_full_stops = settings.InnerFullStop();
  options.drop_final_stop = settings.EndPunctuation();
  options.ellipsis = static_cast<proof::EllipsisForm>(settings.EllipsisForm());
  options.apply_phrases = true;
  for (const std::string& line : phrases.Lines()) {
    const auto pair = settings::SplitPhraseLine(line);
    if (settings::IsStorablePair(pair)) {
      options.phrases.push_back({pair.search, pair.replacement});
    }
  }

  app::MessageTable table(text::SplitLines(parts[2].bytes));
  for (int language = 1; language <= 3; ++language) {
    table.SetLanguage(language);
    for (int number = -1; number < 1000; number += 3) {
      (void)table.Message(number);
    }
  }
  options.forms = proof::PunctuationForms::FromMessages(table);
  if (options.forms.full_stop.empty()) {
    options.forms = proof::PunctuationForms::SimplifiedChinese();
  }
  (void)proof::CheckText(parts[3].bytes, options);
  return 0;
}

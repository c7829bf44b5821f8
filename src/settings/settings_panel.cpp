// The settings panel's logic: reading the controls' values from the list and the "save" rules.
#include "settings/settings_panel.h"

namespace settings {

PanelValues PanelValuesFrom(const SettingsList& list) {
  PanelValues values;
  values.author_entry_on = list.AuthorEntryOn();
  values.author_time = list.AuthorTime();
  values.author_text = list.AuthorText();
  values.ime_for_new_glyph = list.ImeForNewGlyph();
  values.ime_for_library_edit = list.ImeForLibraryEdit();
  values.full_width_quotes = list.FullWidthQuotes();
  values.unpaired_quotes = list.UnpairedQuotes();
  values.inner_full_stop = list.InnerFullStop();
  values.end_punctuation = list.EndPunctuation();
  values.ellipsis_form = list.EllipsisForm();
  values.phrase_replacement_on = list.PhraseReplacementOn();
  values.auto_time_fix = list.AutoTimeFix();
  values.auto_check = list.AutoCheck();
  values.ignore_glyph_size = list.IgnoreGlyphSize();
  values.assistance = list.Assistance();
  return values;
}

void ApplyPanelSave(const PanelValues& values, SettingsList& list, PhraseGrid& grid,
                    PhraseTable& table) {
  list.SetFlag(kAuthorEntryOn, values.author_entry_on);
  // With the author entry off its cells are disabled, so the stored texts are kept.
  if (values.author_entry_on) {
    list.SetLine(kAuthorTime, values.author_time);
    list.SetLine(kAuthorText, values.author_text);
  }
  if (values.selected_ime) {
    list.SetLine(kImeName, *values.selected_ime);
    list.SetFlag(kImeForNewGlyph, values.ime_for_new_glyph);
    list.SetFlag(kImeForLibraryEdit, values.ime_for_library_edit);
  }
  list.SetFlag(kFullWidthQuotes, values.full_width_quotes);
  list.SetFlag(kUnpairedQuotes, values.unpaired_quotes);
  list.SetFlag(kInnerFullStop, values.inner_full_stop);
  list.SetFlag(kEndPunctuation, values.end_punctuation);
  list.SetFlag(kAutoTimeFix, values.auto_time_fix);
  list.SetFlag(kAutoCheck, values.auto_check);
  list.SetFlag(kIgnoreGlyphSize, values.ignore_glyph_size);
  list.SetAssistance(values.assistance);
  list.SetNumber(kEllipsisForm, values.ellipsis_form);
  list.SetFlag(kPhraseReplacement, values.phrase_replacement_on);
  if (values.phrase_replacement_on) {
    grid.RebuildTable(table);
  }
}

InputMethodChoice InputMethodsFrom(const SettingsList& list) {
  InputMethodChoice choice;
  if (list.ImeForNewGlyph()) {
    choice.teaching_boxes = list.ImeName();
  }
  if (list.ImeForLibraryEdit()) {
    choice.library_search_box = list.ImeName();
  }
  return choice;
}

std::optional<int> InputMethodToSelect(const std::vector<std::string>& installed,
                                       const std::string& current_ime) {
  std::optional<int> found;
  for (size_t i = 0; i < installed.size(); ++i) {
    if (installed[i] == current_ime) {
      found = static_cast<int>(i);
    }
  }
  return found;
}

}  // namespace settings

// The settings panel's logic: the values it shows, what "save" writes into the settings list,
// and the choice of the input-method entry. The window binds its controls to these values.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/phrase_table.h"
#include "settings/settings_list.h"

namespace settings {

// The options of the panel as the controls hold them.
struct PanelValues {
  bool author_entry_on = false;       // CheckBox1
  std::string author_time;            // StringGrid2 row 0, column 1
  std::string author_text;            // StringGrid2 row 1, column 1
  bool ime_for_new_glyph = false;     // CheckBox3
  bool ime_for_library_edit = false;  // CheckBox4
  // The entry chosen in the input-method list; nullopt when the list was never filled or
  // nothing is chosen, which leaves lines 4, 5 and 6 as they are.
  std::optional<std::string> selected_ime;
  bool full_width_quotes = false;            // CheckBox5
  bool unpaired_quotes = false;              // CheckBox6
  bool inner_full_stop = false;              // CheckBox7
  bool end_punctuation = false;              // CheckBox2
  int ellipsis_form = kDefaultEllipsisForm;  // RadioGroup1 item, 0..3
  bool phrase_replacement_on = false;        // CheckBox8
  bool auto_time_fix = false;                // CheckBox11
  bool auto_check = false;                   // CheckBox12
  bool ignore_glyph_size = false;            // CheckBox13
  TeachingAssistance assistance;             // the recognition tab's assistance group
};

// The values the controls get from the settings list at start-up (flags exactly "1", the
// ellipsis item with its fallback, the author cells from lines 2 and 3). selected_ime is nullopt:
// the list is filled only when its tab is shown.
PanelValues PanelValuesFrom(const SettingsList& list);

// The settings-list part of "save": line 1 and, only while the author entry is on, lines 2 and 3;
// lines 4, 5 and 6 only when an input method is selected; the check flags, the ellipsis item,
// line 12, lines 17, 18, 22 and the assistance lines 24 to 28. When the phrase option is on, the
// table is rebuilt from the grid (and the grid refilled); when off, both stay as they are. Writes
// no file.
void ApplyPanelSave(const PanelValues& values, SettingsList& list, PhraseGrid& grid,
                    PhraseTable& table);

// The input method each text box switches on when it gets the focus ("" for none): the name in
// line 6 for the teaching text boxes while line 4 is on, and for the library editor's search box
// while line 5 is on. Valid at start-up and after every "save", since "save" changes lines 4 to 6
// only together with a chosen input method.
struct InputMethodChoice {
  std::string teaching_boxes;
  std::string library_search_box;
};
InputMethodChoice InputMethodsFrom(const SettingsList& list);

// The entry of the input-method list to select when its tab is shown: the last entry equal to
// `current_ime`, nullopt when none is equal.
std::optional<int> InputMethodToSelect(const std::vector<std::string>& installed,
                                       const std::string& current_ime);

}  // namespace settings

// Tests of the settings panel's "save" rules and the input-method choice.
#include "settings/settings_panel.h"

#include <gtest/gtest.h>

namespace settings {
namespace {

TEST(SettingsPanel, SaveWithTheAuthorEntryOffKeepsTheAuthorLines) {
  SettingsList list(std::vector<std::string>(23, "0"));
  list.SetLine(kAuthorTime, "00:00:01,000 --> 00:00:03,000");
  list.SetLine(kAuthorText, "old");
  PanelValues values = PanelValuesFrom(list);
  values.author_time = "changed";
  values.author_text = "changed";
  PhraseGrid grid;
  PhraseTable table;
  ApplyPanelSave(values, list, grid, table);
  EXPECT_EQ(list.Line(kAuthorEntryOn), "0");
  EXPECT_EQ(list.AuthorTime(), "00:00:01,000 --> 00:00:03,000");
  EXPECT_EQ(list.AuthorText(), "old");

  values.author_entry_on = true;
  ApplyPanelSave(values, list, grid, table);
  EXPECT_EQ(list.Line(kAuthorEntryOn), "1");
  EXPECT_EQ(list.AuthorTime(), "changed");
  EXPECT_EQ(list.AuthorText(), "changed");
}

TEST(SettingsPanel, InputMethodLinesChangeOnlyWithASelection) {
  SettingsList list(std::vector<std::string>(23, "0"));
  list.SetLine(kImeName, "pinyin");
  PanelValues values = PanelValuesFrom(list);
  values.ime_for_new_glyph = true;
  values.ime_for_library_edit = true;
  PhraseGrid grid;
  PhraseTable table;
  ApplyPanelSave(values, list, grid, table);
  EXPECT_EQ(list.Line(kImeForNewGlyph), "0");
  EXPECT_EQ(list.Line(kImeForLibraryEdit), "0");
  EXPECT_EQ(list.ImeName(), "pinyin");

  EXPECT_EQ(InputMethodsFrom(list).teaching_boxes, "");

  values.selected_ime = "wubi";
  values.ime_for_library_edit = false;
  ApplyPanelSave(values, list, grid, table);
  EXPECT_EQ(list.Line(kImeForNewGlyph), "1");
  EXPECT_EQ(list.Line(kImeForLibraryEdit), "0");
  EXPECT_EQ(list.ImeName(), "wubi");
  EXPECT_EQ(InputMethodsFrom(list).teaching_boxes, "wubi");
  EXPECT_EQ(InputMethodsFrom(list).library_search_box, "");
}

TEST(SettingsPanel, SaveWritesEveryOptionLineAndNoOther) {
  SettingsList list(std::vector<std::string>(23, "keep"));
  PanelValues values;
  values.full_width_quotes = true;
  values.inner_full_stop = true;
  values.ellipsis_form = 2;
  values.auto_check = true;
  values.ignore_glyph_size = true;
  PhraseGrid grid;
  PhraseTable table;
  ApplyPanelSave(values, list, grid, table);
  const std::vector<std::string> expected = {
      "keep", "0", "keep", "keep", "keep", "keep", "keep", "1", "0", "1", "0", "2", "0", "keep",
      "keep", "keep", "keep", "0", "1", "keep", "keep", "keep", "1",
      // the save encoding's line, added empty (its fallback); the teaching assistance, on by
      // default, its skip mark, the OCR guess on and its script by the interface language
      "", "1", "1", "1", "1", "\xA1\xF5", "1", "0"};
  EXPECT_EQ(list.Lines(), expected);
}

TEST(SettingsPanel, PhraseTableIsRebuiltOnlyWhileTheOptionIsOn) {
  SettingsList list;
  PhraseTable table({"a<=>b"});
  PhraseGrid grid;
  grid.Fill(table);
  grid.SetCell(1, 1, "c");
  PanelValues values = PanelValuesFrom(list);
  values.phrase_replacement_on = false;
  ApplyPanelSave(values, list, grid, table);
  EXPECT_EQ(table.Lines(), (std::vector<std::string>{"a<=>b"}));
  EXPECT_EQ(grid.Cell(1, 1), "c");

  values.phrase_replacement_on = true;
  ApplyPanelSave(values, list, grid, table);
  EXPECT_EQ(table.Lines(), (std::vector<std::string>{"a<=>c"}));
}

TEST(SettingsPanel, InputMethodListSelectsTheLastEqualEntry) {
  const std::vector<std::string> installed = {"pinyin", "wubi", "pinyin", "zhuyin"};
  EXPECT_EQ(InputMethodToSelect(installed, "pinyin"), std::optional<int>(2));
  EXPECT_EQ(InputMethodToSelect(installed, "zhuyin"), std::optional<int>(3));
  EXPECT_EQ(InputMethodToSelect(installed, "cangjie"), std::nullopt);
  EXPECT_EQ(InputMethodToSelect({}, ""), std::nullopt);
}

}  // namespace
}  // namespace settings

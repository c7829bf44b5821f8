// The language switch as data: which text each named control receives in the current language.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/message_table.h"

namespace app {

// What a layout entry sets on its control (controls are named by their objectName).
enum class LayoutProperty {
  kCaption,        // caption of a menu item, label, button, check box, radio button, tab or group
  kHint,           // hint (tool tip) of a tool button
  kColumnHeading,  // grid heading row, column `index`
  kRowHeading,     // grid heading column, row `index`
  kItem,           // item `index` of a radio group; the items replace the old ones as a whole
  kLine,           // line `index` of a memo; the lines replace the old ones as a whole
  kFilter,         // file dialog filter: description|patterns|description|patterns...
};

// `message` of an entry that carries a fixed text instead.
inline constexpr int kNoMessage = -1000;

// One assignment of the language switch: control `object_name` gets message `message` (or, when
// `message` is kNoMessage, `fixed_text`, GBK, the same in every language) as `property`.
struct LayoutEntry {
  std::string_view object_name;
  LayoutProperty property;
  int index;  // column, row, item or line number; 0 for the other properties
  int message;
  std::string_view fixed_text;
};

// Every assignment of the language switch, in the order it makes them: menus, hints and pop-up
// items; panel captions; the ellipsis items; the settings options; the phrase note; the lower
// panels' captions; grid headings; dialog filters. The same for every language.
std::span<const LayoutEntry> LanguageLayout();

// Window font character set for language 1, 2, 3: 134 (GB2312), 1 (default), 0 (ANSI). Any
// other number counts as language 1.
int WindowCharset(int language);

// The language menu items: "N14" (Simplified Chinese), "N15" (Traditional), "N16" (English).
inline constexpr std::string_view kLanguageMenuItems[] = {"N14", "N15", "N16"};

// objectName of the language menu item of `language`; language 1's for any other number.
std::string_view LanguageMenuItem(int language);

// A layout entry resolved for one language.
struct LayoutText {
  std::string object_name;
  LayoutProperty property;
  int index;
  std::string text;  // GBK
};

// Everything the window sets when the language changes, for the table's current language.
struct LanguagePlan {
  int language = MessageTable::kSimplifiedChinese;  // 1, 2 or 3
  int charset = 134;                                // WindowCharset(language)
  std::vector<LayoutText> texts;                    // LanguageLayout() order
  std::string checked_menu_item;                    // the one item of kLanguageMenuItems to check
  std::string settings_line;                        // settings line 13: the language in decimal
  // Message numbers the table has no text for (file too short, or an empty line). Their controls
  // get an empty text instead of failing; the host may report the damaged language.sys.
  std::vector<int> missing_messages;
};

// Resolves LanguageLayout() against the table's current language. Never fails.
LanguagePlan PlanLanguage(const MessageTable& table);

}  // namespace app

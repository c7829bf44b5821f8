// The table of the language switch and its resolution for the current language.
#include "app/language_layout.h"

#include <algorithm>
#include <iterator>

#include "app/message_numbers.h"

namespace app {

namespace {

using P = LayoutProperty;

constexpr LayoutEntry Caption(std::string_view name, int message) {
  return {name, P::kCaption, 0, message, {}};
}
constexpr LayoutEntry Hint(std::string_view name, int message) {
  return {name, P::kHint, 0, message, {}};
}
constexpr LayoutEntry Column(std::string_view grid, int column, int message) {
  return {grid, P::kColumnHeading, column, message, {}};
}

// Menu items and the tool button hint or pop-up item that always shows the same message.
// clang-format off
constexpr LayoutEntry kMenus[] = {
    Caption("FileMenu", -1),
    Caption("OpenSrtMenu", 2), Hint("OpenSrtBut", 2),
    Caption("CloseSrtMenu", 5),
    Caption("SaveSrtMenu", 8), Hint("SaveSrtBut", 8),
    Caption("OpenSecSrtMenu", 11), Hint("OpenSecSrtBut", 11),
    Caption("SaveSecSrtMenu", 14), Hint("SaveSecSrtBut", 14),
    Caption("ExitFormMenu", 17),
    Caption("ReadMenu", 20),
    Caption("StartReadMenu", 23), Hint("StartReadBut", 23),
    Caption("StopReadMenu", 26), Hint("StopReadBut", 26),
    Caption("CheckRowMenu", 29), Hint("CheckRowBut", 29),
    Caption("CheckMenu", 32),
    Caption("Check1Menu", 35), Hint("Check1But", 35),
    Caption("ChkTimeMenu", 38), Hint("ChkTimeBut", 38),
    Caption("FindReplaceMenu", 41), Hint("FindReplaceBut", 41),
    Caption("CreatBlankMenu", 44), Hint("CreatBlankBut", 44),
    Caption("CompareCheckMenu", 47), Hint("CompareCheckBut", 47),
    Caption("InsertPRowMenu", 50), Caption("InsertPRowPop", 50),
    Caption("InsertNRowMenu", 53), Caption("InsertNRowPop", 53),
    Caption("DeleteRowMenu", 56), Caption("DeleteRowPop", 56),
    Caption("RestoreTimeMenu", 59), Caption("RestoreTimePop", 59),
    Caption("RestoreTextMenu", 62), Caption("RestoreTextPop", 62),
    Caption("EditBmpMenu", 65),
    Caption("CutBmpMenu", 68),
    Caption("WordMenu", 71),
    Caption("EditWordMenu", 74), Hint("EditWordBut", 74),
    Caption("AddWordMenu", 77), Hint("AddWordBut", 77),
    Caption("OutWordMenu", 80), Hint("OutWordBut", 80),
    Caption("CheckWordMenu", 83),
    Caption("CreatIndexMenu", 86),
    Caption("SetupMenu", 89),
    Caption("SetProMenu", 92), Hint("SetProBut", 92),
    Caption("HelpMenu", 95),
    Caption("HelpFileMenu", 98),
    Caption("AboutMenu", 101),
};
// clang-format on

// Controls captioned by messages 104, 107, ... 275 in this order. The comments give each one's
// place: picture strip (engine settings), row editing panel, teaching panel, library editor,
// merge, export, check review, settings panel.
constexpr std::string_view kPanelCaptionControls[] = {
    "Label15",       // picture strip: standard line height (Edit10)
    "Label17",       // picture strip: standard glyph width (Edit11)
    "Label6",        // picture strip: rows sampled by the size estimate (Edit5)
    "Label16",       // picture strip: line height detection (TrackBar1)
    "Button30",      // switch to the edit panels
    "Button25",      // take the reference times
    "Button26",      // keep the edit, next row
    "Button27",      // drop the edit, next row
    "Button28",      // "-" before each line
    "Button29",      // switch to the picture panels
    "Label12",       // picture strip: space detection (TrackBar3)
    "Label19",       // picture strip: left end of TrackBar1's scale
    "Label20",       // picture strip: right end of TrackBar1's scale
    "Label2",        // teaching panel: title
    "Label1",        // teaching panel: prompt beside the entry box
    "Button1",       // teaching: save
    "Button2",       // teaching: expand
    "Button3",       // teaching: undo expand
    "Button4",       // teaching: skip
    "Button5",       // teaching: abort the run
    "Button20",      // teaching: previous library glyph
    "Button21",      // teaching: next library glyph
    "Label18",       // teaching: record number label
    "Label4",        // library editor: title
    "Label5",        // library editor: no picture note
    "RadioButton1",  // library editor: find a text
    "RadioButton2",  // library editor: find a number range
    "Label23",       // library editor: "to" between the range boxes
    "Button7",       // library editor: find
    "Button22",      // library editor: archive the journal
    "Button6",       // library editor: save the changes
    "Button8",       // library editor: close
    "Label10",       // merge: title
    "BitBtn4",       // merge: start / stop
    "Button12",      // merge: back
    "Label11",       // merge: label of the path box
    "Label37",       // export: title
    "Button16",      // export: export
    "Button17",      // export: back
    "Label38",       // export: labels of the range boxes
    "Label32",       // check review: title
    "Button13",      // check review: confirm
    "Button14",      // check review: cancel
    "Label7",        // settings: title
    "TabSheet1",     // settings: tab 0, saving
    "TabSheet3",     // settings: tab 1, input method
    "TabSheet4",     // settings: tab 2, check rules
    "TabSheet2",     // settings: tab 3, phrase table
    "CheckBox1",     // settings: author entry option
    "Label29",       // settings: input method hint, first line
    "Label30",       // settings: input method hint, second line
    "CheckBox3",     // settings: input method for teaching
    "CheckBox4",     // settings: input method for library editing
    "CheckBox5",     // settings: rule A
    "CheckBox6",     // settings: rule B
    "CheckBox7",     // settings: rule C
    "CheckBox2",     // settings: rule D
    "RadioGroup1",   // settings: ellipsis form (group caption)
};
static_assert(std::size(kPanelCaptionControls) ==
              (msg::kPanelCaptions.last - msg::kPanelCaptions.first) / msg::kStep + 1);

// The ellipsis items, options and the phrase table note.
constexpr LayoutEntry kOptions[] = {
    // The picture strip's space width label (TrackBar4) has no message in the run above.
    Caption("Label22", msg::kSpaceWidthLabel),
    {"RadioGroup1", P::kItem, 0, msg::kDoubleEllipsis, {}},
    {"RadioGroup1", P::kItem, 1, msg::kSingleEllipsis, {}},
    {"RadioGroup1", P::kItem, 2, kNoMessage, "..."},
    {"RadioGroup1", P::kItem, 3, msg::kKeepEllipsis, {}},
    Caption("CheckBox11", msg::kAutoOverlapOption),
    Caption("CheckBox12", msg::kAutoCheckOption),
    Caption("CheckBox8", msg::kPhraseOption),
    Caption("AssistanceGroup", msg::kAssistanceGroup),
    Caption("FittedBoxOption", msg::kFittedBoxOption),
    Caption("SuggestionsOption", msg::kSuggestionsOption),
    Caption("ReferenceTeachingOption", msg::kReferenceTeachingOption),
    Caption("ChineseSpacesOption", msg::kChineseSpacesOption),
    Caption("SkipPlaceholderLabel", msg::kSkipPlaceholderLabel),
    Caption("OcrGuessOption", msg::kOcrGuessOption),
    Caption("OcrGuessScriptLabel", msg::kOcrGuessScriptLabel),
    {"OcrGuessScript", P::kItem, 0, msg::kOcrGuessByLanguage, {}},
    {"OcrGuessScript", P::kItem, 1, msg::kOcrGuessSimplified, {}},
    {"OcrGuessScript", P::kItem, 2, msg::kOcrGuessTraditional, {}},
    Caption("SuggestionsLabel", msg::kSuggestionsLabel),
    {"Memo1", P::kLine, 0, msg::kPhraseNoteFirst, {}},
    {"Memo1", P::kLine, 1, kNoMessage, ""},
    {"Memo1", P::kLine, 2, msg::kPhraseNoteSecond, {}},
};

// Controls captioned by messages 296, 299, ... 335 in this order.
constexpr std::string_view kLowerCaptionControls[] = {
    "Button9",       // settings: save
    "Button10",      // settings: cancel
    "Label14",       // find and replace: title
    "Label21",       // find and replace: label of the search box
    "CheckBox9",     // find and replace: replace with
    "RadioButton3",  // find and replace: from the first row
    "RadioButton4",  // find and replace: from the current row
    "CheckBox10",    // find and replace: ask before replacing
    "Button23",      // find and replace: start / continue
    "Button24",      // find and replace: close
    "Label13",       // row details: title
    "Button15",      // row details: close
    "Label36",       // wait panel: progress text
    "Button19",      // wait panel: stop
};
static_assert(std::size(kLowerCaptionControls) ==
              (msg::kLowerCaptions.last - msg::kLowerCaptions.first) / msg::kStep + 1);

// Grid headings (number, subtitle, start and end are shared words) and the dialog filters.
constexpr LayoutEntry kHeadingsAndFilters[] = {
    Caption("Button32", msg::kDeleteListed),
    Column("StringGrid1", 0, 338),
    Column("StringGrid1", 1, 341),
    Column("StringGrid1", 2, 344),
    Column("StringGrid1", 3, 347),
    Column("StringGrid1", 4, 350),
    {"StringGrid1", P::kColumnHeading, 5, kNoMessage, "TCF"},
    {"StringGrid1", P::kColumnHeading, 6, kNoMessage, "<->"},
    Column("StringGrid1", 7, 353),
    Column("StringGrid1", 8, 356),
    Column("StringGrid1", 9, 359),
    Column("StringGrid1", 10, 362),
    Column("StringGrid1", 11, 344),
    Column("StringGrid1", 12, 347),
    Column("StringGrid1", 13, 341),
    {"StringGrid2", P::kRowHeading, 0, 365, {}},
    {"StringGrid2", P::kRowHeading, 1, 341, {}},
    Column("StringGrid3", 0, 338),
    Column("StringGrid3", 1, 368),
    Column("StringGrid3", 2, 371),
    Column("StringGrid4", 0, 374),
    Column("StringGrid4", 1, 377),
    Column("StringGrid5", 1, 380),
    Column("StringGrid5", 2, 338),
    Column("StringGrid5", 3, 383),
    Column("StringGrid5", 4, 386),
    Column("StringGrid5", 5, 389),
    Column("StringGrid6", 0, 383),
    Column("StringGrid6", 1, 338),
    Column("StringGrid7", 0, 338),
    Column("StringGrid7", 1, 392),
    Column("StringGrid7", 2, 344),
    Column("StringGrid7", 3, 347),
    {"OpenDialog1", P::kFilter, 0, msg::kOpenFilter, {}},
    {"SaveDialog1", P::kFilter, 0, msg::kSaveFilter, {}},
};

// The Chinese script conversion command and its panel.
constexpr LayoutEntry kChineseConversion[] = {
    Caption("ConvertChineseMenu", msg::kChineseMenu),
    Caption("ChineseTitle", msg::kChineseTitle),
    Caption("ChineseDirectionLabel", msg::kChineseDirectionLabel),
    {"ChineseDirectionBox", P::kItem, 0, msg::kChineseDirections[0], {}},
    {"ChineseDirectionBox", P::kItem, 1, msg::kChineseDirections[1], {}},
    {"ChineseDirectionBox", P::kItem, 2, msg::kChineseDirections[2], {}},
    {"ChineseDirectionBox", P::kItem, 3, msg::kChineseDirections[3], {}},
    {"ChineseDirectionBox", P::kItem, 4, msg::kChineseDirections[4], {}},
    {"ChineseDirectionBox", P::kItem, 5, msg::kChineseDirections[5], {}},
    {"ChineseDirectionBox", P::kItem, 6, msg::kChineseDirections[6], {}},
    {"ChineseDirectionBox", P::kItem, 7, msg::kChineseDirections[7], {}},
    Caption("ChineseRowsGroup", msg::kChineseRowsGroup),
    Caption("ChineseAllRows", msg::kChineseAllRows),
    Caption("ChineseSelectedRows", msg::kChineseSelectedRows),
    Caption("ChineseTableGroup", msg::kChineseTableGroup),
    Caption("ChineseMainTable", msg::kChineseMainTable),
    Caption("ChineseReferenceTable", msg::kChineseReferenceTable),
    Column("ChineseGrid", 0, msg::kNumberHeading),
    Column("ChineseGrid", 1, msg::kChineseBeforeHeading),
    Column("ChineseGrid", 2, msg::kChineseAfterHeading),
    Caption("ChineseOk", msg::kChineseOk),
    Caption("ChineseCancel", msg::kChineseCancel),
};

// The Times menu and panel, and the Save item.
constexpr LayoutEntry kTimeTools[] = {
    Caption("SaveInPlaceMenu", msg::kSaveInPlaceItem),
    Caption("TimesMenu", msg::kTimesMenu),
    Caption("ShiftTimesMenu", msg::kShiftTimesItem),
    Caption("SyncTimesMenu", msg::kSyncTimesItem),
    Caption("FrameRateMenu", msg::kFrameRateItem),
    Caption("DeleteRowsMenu", msg::kDeleteRowsItem),
    Caption("MergeRowsMenu", msg::kMergeRowsItem),
    Caption("SplitRowsMenu", msg::kSplitRowsItem),
    Caption("TimesPanelTitle", msg::kTimesPanelTitle),
    Caption("TimesAmountLabel", msg::kShiftAmountLabel),
    Caption("TimesPointsLabel", msg::kSyncPointsLabel),
    Caption("TimesFpsLabel", msg::kFrameRateLabel),
    Caption("TimesAllRows", msg::kTimesAllRows),
    Caption("TimesSelectedRows", msg::kTimesSelectedRows),
    Caption("TimesFromCurrentRow", msg::kTimesFromCurrentRow),
    Caption("TimesMarkFaults", msg::kMarkTimesOption),
    Caption("TimesApply", msg::kTimesApply),
    Caption("TimesClose", msg::kTimesClose),
};

// Controls of the desktop window beyond the first layout: the recognition tab of the settings,
// the recent-files menu and the first-start hint.
constexpr LayoutEntry kDesktopCaptions[] = {
    Caption("TabSheet5", msg::kOcrSettingsTab),
    Caption("CheckBox13", msg::kIgnoreGlyphSizeOption),
    Caption("RecentMenu", msg::kRecentFilesMenu),
    Caption("ClearRecentMenu", msg::kClearRecentFiles),
    Caption("StartHintText", msg::kStartHint),
    Caption("StartOpenBut", msg::kStartOpenButton),
    Caption("StartDemoBut", msg::kStartDemoButton),
    {"Edit1", P::kHint, 0, msg::kBoxKeysHint, {}},
    {"Panel5", P::kHint, 0, msg::kBoxKeysHint, {}},
    {"PictureZoom", P::kHint, 0, msg::kPictureZoomHint, {}},
    {"RecordNumberEdit", P::kHint, 0, msg::kRecordNumberHint, {}},
    Caption("ReopenEncodingMenu", msg::kReopenEncodingMenu),
    Caption("ReopenEncodingAuto", msg::kReopenEncodingAuto),
    Caption("ReopenEncoding1", msg::kReopenEncodingNames[0]),
    Caption("ReopenEncoding2", msg::kReopenEncodingNames[1]),
    Caption("ReopenEncoding3", msg::kReopenEncodingNames[2]),
    Caption("ReopenEncoding4", msg::kReopenEncodingNames[3]),
    Caption("ReopenEncoding5", msg::kReopenEncodingNames[4]),
    Caption("ReopenEncoding6", msg::kReopenEncodingNames[5]),
    Caption("ReopenEncoding7", msg::kReopenEncodingNames[6]),
    Caption("ReopenEncoding8", msg::kReopenEncodingNames[7]),
    Caption("ReopenEncoding9", msg::kReopenEncodingNames[8]),
    Caption("ReopenEncoding10", msg::kReopenEncodingNames[9]),
    Caption("ReopenEncoding11", msg::kReopenEncodingNames[10]),
};

std::vector<LayoutEntry> BuildLayout() {
  std::vector<LayoutEntry> layout(std::begin(kMenus), std::end(kMenus));
  int message = msg::kPanelCaptions.first;
  for (std::string_view name : kPanelCaptionControls) {
    layout.push_back(Caption(name, message));
    message += msg::kStep;
  }
  layout.insert(layout.end(), std::begin(kOptions), std::end(kOptions));
  message = msg::kLowerCaptions.first;
  for (std::string_view name : kLowerCaptionControls) {
    layout.push_back(Caption(name, message));
    message += msg::kStep;
  }
  layout.insert(layout.end(), std::begin(kHeadingsAndFilters), std::end(kHeadingsAndFilters));
  layout.insert(layout.end(), std::begin(kChineseConversion), std::end(kChineseConversion));
  layout.insert(layout.end(), std::begin(kDesktopCaptions), std::end(kDesktopCaptions));
  layout.insert(layout.end(), std::begin(kTimeTools), std::end(kTimeTools));
  return layout;
}

int LanguageIndex(int language) {
  return (language >= MessageTable::kSimplifiedChinese && language <= MessageTable::kEnglish)
             ? language - 1
             : 0;
}

}  // namespace

std::span<const LayoutEntry> LanguageLayout() {
  static const std::vector<LayoutEntry> layout = BuildLayout();
  return layout;
}

int WindowCharset(int language) {
  constexpr int kCharsets[] = {134, 1, 0};
  return kCharsets[LanguageIndex(language)];
}

std::string_view LanguageMenuItem(int language) {
  return kLanguageMenuItems[LanguageIndex(language)];
}

LanguagePlan PlanLanguage(const MessageTable& table) {
  LanguagePlan plan;
  plan.language = table.Language();
  plan.charset = WindowCharset(plan.language);
  plan.checked_menu_item = std::string(LanguageMenuItem(plan.language));
  plan.settings_line = std::to_string(plan.language);
  const std::span<const LayoutEntry> layout = LanguageLayout();
  plan.texts.reserve(layout.size());
  for (const LayoutEntry& entry : layout) {
    std::string text;
    if (entry.message == kNoMessage) {
      text = std::string(entry.fixed_text);
    } else {
      text = table.Message(entry.message);
      if (text.empty()) {
        plan.missing_messages.push_back(entry.message);
      }
    }
    plan.texts.push_back({std::string(entry.object_name), entry.property, entry.index, text});
  }
  // A message shared by several controls is reported once.
  std::sort(plan.missing_messages.begin(), plan.missing_messages.end());
  plan.missing_messages.erase(
      std::unique(plan.missing_messages.begin(), plan.missing_messages.end()),
      plan.missing_messages.end());
  return plan;
}

}  // namespace app

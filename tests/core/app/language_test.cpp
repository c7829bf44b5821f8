// Tests of the shipped language.sys, the message numbers and the language switch's layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>

#include "app/language_layout.h"
#include "app/message_numbers.h"
#include "app/message_table.h"
#include "support/temp_dir.h"
#include "text/gbk.h"
#include "text/line_file.h"

namespace app {
namespace {

const std::filesystem::path kLanguageFile =
    std::filesystem::path(ZENTROPE_SOURCE_DIR) / "data" / "language.sys";

MessageTable LoadShippedTable() {
  auto table = MessageTable::LoadFromFile(kLanguageFile);
  EXPECT_TRUE(table.ok()) << (table.ok() ? "" : table.error().message);
  return table.ok() ? std::move(table).value() : MessageTable();
}

bool IsPunctuation(int number) {
  return std::find(std::begin(msg::kPunctuationMessages), std::end(msg::kPunctuationMessages),
                   number) != std::end(msg::kPunctuationMessages);
}

// The resolved text of one control property; "<absent>" when the plan does not set it.
std::string TextOf(const LanguagePlan& plan, const std::string& name, LayoutProperty property,
                   int index = 0) {
  for (const LayoutText& text : plan.texts) {
    if (text.object_name == name && text.property == property && text.index == index) {
      return text.text;
    }
  }
  return "<absent>";
}

// The message the layout gives one control property; kNoMessage - 1 when it has none.
int MessageOf(const std::string& name, LayoutProperty property, int index = 0) {
  for (const LayoutEntry& entry : LanguageLayout()) {
    if (entry.object_name == name && entry.property == property && entry.index == index) {
      return entry.message;
    }
  }
  return kNoMessage - 1;
}

TEST(LanguageFile, HoldsATextForEveryUsedMessageInEachLanguage) {
  const MessageTable table = LoadShippedTable();
  ASSERT_GE(table.Lines().size(), 774u);
  const std::vector<int> used = msg::UsedMessageNumbers();
  ASSERT_FALSE(used.empty());
  EXPECT_EQ(used.front(), msg::kLowest);
  EXPECT_GE(used.back(), msg::kHighest);
  for (int number : used) {
    EXPECT_EQ((number + 1) % msg::kStep, 0) << number << " is not a message number";
    for (int language = 1; language <= 3; ++language) {
      EXPECT_FALSE(table.MessageIn(number, language).empty())
          << "message " << number << ", language " << language;
    }
  }
}

TEST(LanguageFile, IsGbkWithCrLfLineEnds) {
  auto bytes = text::ReadFileBytes(kLanguageFile);
  ASSERT_TRUE(bytes.ok());
  const std::string& data = bytes.value();
  ASSERT_GE(data.size(), 2u);
  EXPECT_EQ(data.substr(data.size() - 2), "\r\n");
  size_t bare_line_feeds = 0;
  size_t bare_returns = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\n' && (i == 0 || data[i - 1] != '\r'))
      ++bare_line_feeds;
    if (data[i] == '\r' && (i + 1 == data.size() || data[i + 1] != '\n'))
      ++bare_returns;
  }
  EXPECT_EQ(bare_line_feeds, 0u);
  EXPECT_EQ(bare_returns, 0u);
  const text::Lines lines = text::SplitLines(data);
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(text::GbkToUtf8(lines[i]).replaced, 0) << "line " << i << " is not GBK";
  }
}

TEST(LanguageFile, PunctuationHasTheLengthsTheCheckRulesNeed) {
  const MessageTable table = LoadShippedTable();
  const std::tuple<int, size_t> kSizes[] = {
      {msg::kOpeningQuote, 2}, {msg::kClosingQuote, 2},    {msg::kFullStop, 2},
      {msg::kComma, 2},        {msg::kProtectedEnding, 6},
  };
  for (int language = 1; language <= 3; ++language) {
    for (const auto& [number, size] : kSizes) {
      const std::string text = table.MessageIn(number, language);
      EXPECT_EQ(text.size(), size) << "message " << number << ", language " << language;
      ASSERT_FALSE(text.empty());
      EXPECT_GE(static_cast<unsigned char>(text[0]), 0x80) << number;
      EXPECT_EQ(text::GbkToUtf8(text).replaced, 0) << number;
    }
    // The two quotation marks must differ, or rule B could never tell them apart.
    EXPECT_NE(table.MessageIn(msg::kOpeningQuote, language),
              table.MessageIn(msg::kClosingQuote, language));
    EXPECT_NE(table.MessageIn(msg::kFullStop, language), table.MessageIn(msg::kComma, language));
    EXPECT_NE(table.MessageIn(msg::kDoubleEllipsis, language),
              table.MessageIn(msg::kSingleEllipsis, language));
  }
  EXPECT_EQ(table.MessageIn(msg::kOpeningQuote, 1), "\xA1\xB0" /* “ */);
  EXPECT_EQ(table.MessageIn(msg::kClosingQuote, 1), "\xA1\xB1" /* ” */);
  EXPECT_EQ(table.MessageIn(msg::kFullStop, 1), "\xA1\xA3" /* 。 */);
  EXPECT_EQ(table.MessageIn(msg::kComma, 1), "\xA3\xAC" /* ， */);
  EXPECT_EQ(table.MessageIn(msg::kDoubleEllipsis, 1), "\xA1\xAD\xA1\xAD" /* …… */);
  EXPECT_EQ(table.MessageIn(msg::kSingleEllipsis, 1), "\xA1\xAD" /* … */);
}

TEST(LanguageFile, EnglishIsAsciiExceptTheSharedPunctuation) {
  const MessageTable table = LoadShippedTable();
  for (int number : msg::UsedMessageNumbers()) {
    const std::string english = table.MessageIn(number, MessageTable::kEnglish);
    if (IsPunctuation(number)) {
      EXPECT_EQ(english, table.MessageIn(number, MessageTable::kSimplifiedChinese)) << number;
    } else {
      EXPECT_FALSE(text::HasNonAscii(english)) << "message " << number << ": " << english;
    }
  }
}

TEST(LanguageFile, ChineseLinesAreNeverLeftInEnglish) {
  const MessageTable table = LoadShippedTable();
  for (int number : msg::UsedMessageNumbers()) {
    for (int language : {MessageTable::kSimplifiedChinese, MessageTable::kTraditionalChinese}) {
      EXPECT_TRUE(text::HasNonAscii(table.MessageIn(number, language)))
          << "message " << number << ", language " << language;
    }
    if (!IsPunctuation(number)) {
      EXPECT_NE(table.MessageIn(number, MessageTable::kTraditionalChinese),
                table.MessageIn(number, MessageTable::kEnglish))
          << number;
    }
  }
}

TEST(LanguageFile, ControlsGetTheCaptionsOfTheWindowLayout) {
  MessageTable table = LoadShippedTable();
  table.SetLanguage(MessageTable::kSimplifiedChinese);
  const LanguagePlan plan = PlanLanguage(table);
  using P = LayoutProperty;
  EXPECT_EQ(TextOf(plan, "FileMenu", P::kCaption), "\xCE\xC4\xBC\xFE" /* 文件 */);
  EXPECT_EQ(TextOf(plan, "ReadMenu", P::kCaption), "\xCA\xB6\xB1\xF0(&R)" /* 识别(&R) */);
  EXPECT_EQ(TextOf(plan, "CheckMenu", P::kCaption),
            "\xD0\xA3\xB6\xD4\xB1\xE0\xBC\xAD(&C)" /* 校对编辑(&C) */);
  EXPECT_EQ(TextOf(plan, "EditBmpMenu", P::kCaption),
            "\xCD\xBC\xC6\xAC\xB4\xA6\xC0\xED(&G)" /* 图片处理(&G) */);
  EXPECT_EQ(TextOf(plan, "WordMenu", P::kCaption), "\xD7\xD6\xBF\xE2(&O)" /* 字库(&O) */);
  EXPECT_EQ(TextOf(plan, "SetupMenu", P::kCaption), "\xC9\xE8\xD6\xC3(&T)" /* 设置(&T) */);
  EXPECT_EQ(TextOf(plan, "SaveSrtMenu", P::kCaption),
            "\xB1\xA3\xB4\xE6\xCE\xAASRT\xBB\xF2SSA\xB8\xF1\xCA\xBD" /* 保存为SRT或SSA格式 */);
  EXPECT_EQ(TextOf(plan, "OpenSrtMenu", P::kCaption),
            "\xB4\xF2\xBF\xAASRT\xBB\xF2SSA\xCE\xC4\xBC\xFE" /* 打开SRT或SSA文件 */);
  EXPECT_EQ(TextOf(plan, "OpenSrtBut", P::kHint), TextOf(plan, "OpenSrtMenu", P::kCaption));
  EXPECT_EQ(
      TextOf(plan, "Button30", P::kCaption),
      "\xC7\xD0\xBB\xBB\xB5\xBD\xB1\xE0\xBC\xAD\xC3\xE6\xB0\xE5(&Q)" /* 切换到编辑面板(&Q) */);
  EXPECT_EQ(TextOf(plan, "Button1", P::kCaption), "\xB1\xA3\xB4\xE6(S&Ave)" /* 保存(S&Ave) */);
  EXPECT_EQ(
      TextOf(plan, "Label1", P::kCaption),
      "\xCA\xE4\xC8\xEB\xD3\xD2\xB1\xDF\xCD\xBC\xC6\xAC\xB6\xD4\xD3\xA6\xB5\xC4\xCE\xC4\xD7\xD6"
      /* 输入右边图片对应的文字 */);
  EXPECT_EQ(TextOf(plan, "Label18", P::kCaption), "\xB1\xE0\xBA\xC5\xA3\xBA" /* 编号： */);
  EXPECT_EQ(TextOf(plan, "Button8", P::kCaption), "\xB9\xD8\xB1\xD5" /* 关闭 */);
  EXPECT_EQ(TextOf(plan, "BitBtn4", P::kCaption),
            "\xBF\xAA\xCA\xBC\xBA\xCF\xB2\xA2" /* 开始合并 */);
  EXPECT_EQ(
      TextOf(plan, "CheckBox6", P::kCaption),
      "\xBC\xEC\xB2\xE9\xBE\xE4\xD6\xD0\xB5\xC4\xCB\xAB\xD2\xFD\xBA\xC5\xCA\xC7\xB7\xF1\xCD\xEA"
      "\xD5\xFB\xA3\xAC\xB2\xBB\xCD\xEA\xD5\xFB\xB5\xC4\xC9\xBE\xB3\xFD"
      /* 检查句中的双引号是否完整，不完整的删除 */);
  EXPECT_EQ(TextOf(plan, "RadioGroup1", P::kCaption),
            "\xCA\xA1\xC2\xD4\xBA\xC5\xB1\xED\xCA\xBE\xB7\xBD\xB7\xA8" /* 省略号表示方法 */);
  EXPECT_EQ(TextOf(plan, "RadioGroup1", P::kItem, 0), "\xA1\xAD\xA1\xAD" /* …… */);
  EXPECT_EQ(TextOf(plan, "RadioGroup1", P::kItem, 1), "\xA1\xAD" /* … */);
  EXPECT_EQ(TextOf(plan, "RadioGroup1", P::kItem, 2), "...");
  EXPECT_EQ(TextOf(plan, "Button23", P::kCaption),
            "\xBF\xAA\xCA\xBC\xB2\xE9\xD5\xD2" /* 开始查找 */);
  EXPECT_EQ(TextOf(plan, "Memo1", P::kLine, 1), "");
  EXPECT_EQ(TextOf(plan, "StringGrid1", P::kColumnHeading, 13), "\xD7\xD6\xC4\xBB" /* 字幕 */);
  EXPECT_EQ(TextOf(plan, "StringGrid1", P::kColumnHeading, 5), "TCF");
  EXPECT_EQ(TextOf(plan, "StringGrid1", P::kColumnHeading, 6), "<->");
  EXPECT_EQ(TextOf(plan, "StringGrid5", P::kColumnHeading, 1), "\xC9\xBE" /* 删 */);
  EXPECT_EQ(TextOf(plan, "OpenDialog1", P::kFilter),
            "\xCE\xC4\xB1\xBE\xB8\xF1\xCA\xBD\xD7\xD6\xC4\xBB(*.srt;*.ssa)|*.srt;*.ssa"
            /* 文本格式字幕(*.srt;*.ssa)|*.srt;*.ssa */);
  EXPECT_EQ(TextOf(plan, "SaveDialog1", P::kFilter),
            "srt\xB8\xF1\xCA\xBD\xD7\xD6\xC4\xBB(*.srt)|*.srt|ssa\xB8\xF1\xCA\xBD\xD7\xD6\xC4\xBB"
            "(*.ssa)|*.ssa" /* srt格式字幕(*.srt)|*.srt|ssa格式字幕(*.ssa)|*.ssa */);
}

TEST(LanguageFile, DialogFiltersKeepTheirPatternsInEveryLanguage) {
  const MessageTable table = LoadShippedTable();
  const std::tuple<int, std::string> kPatterns[] = {
      {msg::kOpenFilter, "|*.srt;*.ssa"},
      {msg::kMergeSubtitleFilter, "|*.srt;*.ssa"},
      {msg::kSaveFilter, "|*.srt|"},
      {msg::kLibraryFileFilter, "|*.sts"},
  };
  for (int language = 1; language <= 3; ++language) {
    for (const auto& [number, pattern] : kPatterns) {
      EXPECT_NE(table.MessageIn(number, language).find(pattern), std::string::npos)
          << "message " << number << ", language " << language;
    }
    EXPECT_TRUE(table.MessageIn(msg::kSaveFilter, language).ends_with("|*.ssa")) << language;
  }
}

TEST(LanguageLayout, AssignsEachMessageToItsControl) {
  using P = LayoutProperty;
  EXPECT_EQ(MessageOf("FileMenu", P::kCaption), -1);
  EXPECT_EQ(MessageOf("SaveSrtBut", P::kHint), 8);
  EXPECT_EQ(MessageOf("InsertPRowPop", P::kCaption), 50);
  EXPECT_EQ(MessageOf("SetProBut", P::kHint), 92);
  EXPECT_EQ(MessageOf("AboutMenu", P::kCaption), 101);
  EXPECT_EQ(MessageOf("Label15", P::kCaption), 104);
  EXPECT_EQ(MessageOf("Button30", P::kCaption), 116);
  EXPECT_EQ(MessageOf("Label18", P::kCaption), msg::kRecordNumberLabel);
  EXPECT_EQ(MessageOf("Button8", P::kCaption), msg::kCloseCaption);
  EXPECT_EQ(MessageOf("BitBtn4", P::kCaption), msg::kStartMerge);
  EXPECT_EQ(MessageOf("Button14", P::kCaption), 230);
  EXPECT_EQ(MessageOf("RadioGroup1", P::kCaption), 275);
  EXPECT_EQ(MessageOf("RadioGroup1", P::kItem, 3), msg::kKeepEllipsis);
  EXPECT_EQ(MessageOf("RadioGroup1", P::kItem, 2), kNoMessage);
  EXPECT_EQ(MessageOf("CheckBox11", P::kCaption), 734);
  EXPECT_EQ(MessageOf("CheckBox12", P::kCaption), 737);
  EXPECT_EQ(MessageOf("CheckBox8", P::kCaption), 287);
  EXPECT_EQ(MessageOf("Memo1", P::kLine, 2), 293);
  EXPECT_EQ(MessageOf("Button9", P::kCaption), 296);
  EXPECT_EQ(MessageOf("Button23", P::kCaption), msg::kStartSearch);
  EXPECT_EQ(MessageOf("Button19", P::kCaption), 335);
  EXPECT_EQ(MessageOf("Button32", P::kCaption), 770);
  EXPECT_EQ(MessageOf("StringGrid1", P::kColumnHeading, 11), msg::kStartHeading);
  EXPECT_EQ(MessageOf("StringGrid2", P::kRowHeading, 0), 365);
  EXPECT_EQ(MessageOf("StringGrid2", P::kRowHeading, 1), msg::kSubtitleHeading);
  EXPECT_EQ(MessageOf("StringGrid5", P::kColumnHeading, 2), msg::kNumberHeading);
  EXPECT_EQ(MessageOf("StringGrid5", P::kColumnHeading, 0), kNoMessage - 1);
  EXPECT_EQ(MessageOf("StringGrid6", P::kColumnHeading, 0), 383);
  EXPECT_EQ(MessageOf("StringGrid7", P::kColumnHeading, 1), 392);
  EXPECT_EQ(MessageOf("OpenDialog1", P::kFilter), 767);
  EXPECT_EQ(MessageOf("SaveDialog1", P::kFilter), 587);
}

TEST(LanguageLayout, CoversTheLanguageSwitchRangesAndSetsEachTargetOnce) {
  std::set<int> layout_messages;
  std::set<std::tuple<std::string, LayoutProperty, int>> targets;
  for (const LayoutEntry& entry : LanguageLayout()) {
    EXPECT_TRUE(targets.emplace(std::string(entry.object_name), entry.property, entry.index).second)
        << entry.object_name << " is set twice";
    if (entry.message != kNoMessage)
      layout_messages.insert(entry.message);
  }
  std::set<int> expected;
  for (int number = -1; number <= 392; number += msg::kStep)
    expected.insert(number);
  for (int number : {msg::kSpaceWidthLabel, 587, 734, 737, 767, 770})
    expected.insert(number);
  // Feature blocks above the base table add controls of their own; they must be used messages.
  std::set<int> base_messages;
  for (int number : layout_messages) {
    if (number <= msg::kHighest)
      base_messages.insert(number);
  }
  EXPECT_EQ(base_messages, expected);
  const std::vector<int> used = msg::UsedMessageNumbers();
  for (int number : layout_messages) {
    EXPECT_TRUE(std::binary_search(used.begin(), used.end(), number)) << number;
  }
}

TEST(LanguagePlan, FollowsTheChosenLanguage) {
  MessageTable table = LoadShippedTable();
  const std::vector<std::string>& lines = table.Lines();
  ASSERT_GE(lines.size(), 774u);
  const std::tuple<int, int, std::string> kCases[] = {
      {1, 134, "N14"},
      {2, 1, "N15"},
      {3, 0, "N16"},
  };
  for (const auto& [language, charset, item] : kCases) {
    table.SetLanguage(language);
    const LanguagePlan plan = PlanLanguage(table);
    EXPECT_EQ(plan.language, language);
    EXPECT_EQ(plan.charset, charset);
    EXPECT_EQ(plan.checked_menu_item, item);
    EXPECT_EQ(plan.settings_line, std::to_string(language));
    EXPECT_TRUE(plan.missing_messages.empty());
    EXPECT_EQ(plan.texts.size(), LanguageLayout().size());
    // The File menu caption is line 0, 1 or 2; the main grid's column 0 heading line 338 + L.
    EXPECT_EQ(TextOf(plan, "FileMenu", LayoutProperty::kCaption), lines[language - 1]);
    EXPECT_EQ(TextOf(plan, "StringGrid1", LayoutProperty::kColumnHeading, 0),
              lines[338 + language]);
  }
  table.SetLanguage(MessageTable::kTraditionalChinese);
  EXPECT_EQ(table.Message(410), lines[412]);
}

TEST(LanguagePlan, SwitchingLanguageChangesEveryMessageText) {
  MessageTable table = LoadShippedTable();
  table.SetLanguage(MessageTable::kSimplifiedChinese);
  const LanguagePlan chinese = PlanLanguage(table);
  table.SetLanguage(MessageTable::kEnglish);
  const LanguagePlan english = PlanLanguage(table);
  const std::span<const LayoutEntry> layout = LanguageLayout();
  ASSERT_EQ(chinese.texts.size(), layout.size());
  ASSERT_EQ(english.texts.size(), layout.size());
  for (size_t i = 0; i < layout.size(); ++i) {
    if (layout[i].message == kNoMessage) {
      EXPECT_EQ(chinese.texts[i].text, english.texts[i].text) << layout[i].object_name;
    } else if (!IsPunctuation(layout[i].message)) {
      EXPECT_NE(chinese.texts[i].text, english.texts[i].text) << layout[i].object_name;
    }
  }
}

TEST(LanguagePlan, ShortTableLeavesTextsEmptyAndReportsThem) {
  MessageTable table({"a", "b", "c", "d", "e", "f"});
  table.SetLanguage(MessageTable::kEnglish);
  const LanguagePlan plan = PlanLanguage(table);
  EXPECT_EQ(TextOf(plan, "FileMenu", LayoutProperty::kCaption), "c");
  EXPECT_EQ(TextOf(plan, "OpenSrtMenu", LayoutProperty::kCaption), "f");
  EXPECT_EQ(TextOf(plan, "CloseSrtMenu", LayoutProperty::kCaption), "");
  EXPECT_EQ(TextOf(plan, "RadioGroup1", LayoutProperty::kItem, 2), "...");
  ASSERT_FALSE(plan.missing_messages.empty());
  EXPECT_EQ(plan.missing_messages.front(), 5);
  EXPECT_EQ(std::count(plan.missing_messages.begin(), plan.missing_messages.end(), 770), 1);
  EXPECT_EQ(std::count(plan.missing_messages.begin(), plan.missing_messages.end(), 338), 1);
}

TEST(MessageTable, BadLanguageNumberFallsBackToSimplifiedChinese) {
  const std::tuple<std::string, int> kLines[] = {
      {"1", 1},
      {"2", 2},
      {"3", 3},
      {"0", 1},
      {"4", 1},
      {"-1", 1},
      {"", 1},
      {"abc", 1},
      {"2x", 1},
      {"12", 1},
      {"99999999999999999999", 1},
  };
  for (const auto& [line, language] : kLines) {
    EXPECT_EQ(ParseLanguageNumber(line), language) << '"' << line << '"';
  }
  MessageTable table({"zh", "hant", "en", "open-zh", "open-hant", "open-en"});
  for (int bad : {0, 4, -3, 1000}) {
    table.SetLanguage(bad);
    EXPECT_EQ(table.Language(), MessageTable::kSimplifiedChinese) << bad;
    EXPECT_EQ(table.Message(-1), "zh") << bad;
    EXPECT_EQ(table.Message(2), "open-zh") << bad;
    EXPECT_EQ(WindowCharset(bad), 134) << bad;
    EXPECT_EQ(LanguageMenuItem(bad), "N14") << bad;
  }
  table.SetLanguage(MessageTable::kEnglish);
  EXPECT_EQ(table.Message(2), "open-en");
  EXPECT_EQ(table.Message(5), "");
  EXPECT_EQ(table.Message(-5), "");
}

TEST(MessageTable, MissingFileIsAnError) {
  testing_support::TempDir dir;
  auto table = MessageTable::LoadFromFile(dir / "language.sys");
  ASSERT_FALSE(table.ok());
  EXPECT_EQ(table.error().code, "io");
}

TEST(DialogFilterText, SplitsIntoPairsAndFallsBackWhenDamaged) {
  using Entries = std::vector<std::pair<std::string, std::string>>;
  const Entries fallback = {{"fallback", "*.srt"}};
  const struct {
    const char* text;
    Entries expected;
  } kCases[] = {
      {"SRT subtitles (*.srt)|*.srt|SSA subtitles (*.ssa)|*.ssa",
       {{"SRT subtitles (*.srt)", "*.srt"}, {"SSA subtitles (*.ssa)", "*.ssa"}}},
      {"Text (*.srt;*.ssa)|*.srt;*.ssa", {{"Text (*.srt;*.ssa)", "*.srt;*.ssa"}}},
      {"", fallback},
      {"no bar at all", fallback},
      {"a|*.srt|b", fallback},
      {"a||b|*.ssa", fallback},
      {"|*.srt", fallback},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(DialogFilterEntries(c.text, fallback), c.expected) << c.text;
  }
}

TEST(DialogFilterText, ShippedFiltersHoldCompletePairsInEveryLanguage) {
  const MessageTable table = LoadShippedTable();
  for (int language = 1; language <= 3; ++language) {
    for (int number : {msg::kSaveFilter, msg::kOpenFilter}) {
      const auto entries = DialogFilterEntries(table.MessageIn(number, language), {});
      EXPECT_FALSE(entries.empty()) << number << " in language " << language;
    }
  }
}

}  // namespace
}  // namespace app

// Tests of the Undo and Redo commands' captions in the three languages.
#include "app/edit_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "app/message_numbers.h"
#include "app/message_table.h"
#include "text/gbk.h"

namespace app {
namespace {

using document::EditKind;

std::string Gbk(std::string_view utf8) {
  return text::Utf8ToGbk(utf8).text;
}

TEST(EditCommands, CaptionsNameTheStepInEachLanguage) {
  auto loaded = MessageTable::LoadFromFile(std::filesystem::path(ZENTROPE_SOURCE_DIR) / "data" /
                                           "language.sys");
  ASSERT_TRUE(loaded.ok());
  MessageTable table = std::move(loaded).value();
  const struct {
    int language;
    int caption;
    std::optional<EditKind> kind;
    std::string expected;
  } cases[] = {
      {MessageTable::kSimplifiedChinese, msg::kUndoCaption, EditKind::kInsertRow,
       Gbk("撤销插入行(&U)")},
      {MessageTable::kSimplifiedChinese, msg::kUndoCaption, std::nullopt, Gbk("撤销(&U)")},
      {MessageTable::kSimplifiedChinese, msg::kRedoCaption, EditKind::kReplace,
       Gbk("重做替换(&R)")},
      {MessageTable::kTraditionalChinese, msg::kUndoCaption, EditKind::kRecognition,
       Gbk("復原識別(&U)")},
      {MessageTable::kTraditionalChinese, msg::kRedoCaption, std::nullopt, Gbk("重做(&R)")},
      {MessageTable::kEnglish, msg::kUndoCaption, EditKind::kCheckConfirmation,
       "&Undo check confirmation"},
      {MessageTable::kEnglish, msg::kUndoCaption, std::nullopt, "&Undo"},
      {MessageTable::kEnglish, msg::kRedoCaption, EditKind::kCellEdit, "&Redo cell edit"},
  };
  for (const auto& c : cases) {
    table.SetLanguage(c.language);
    EXPECT_EQ(StepCaption(table, c.caption, c.kind), c.expected) << c.language;
  }
}

TEST(EditCommands, EveryStepKindHasItsOwnName) {
  const int last = static_cast<int>(EditKind::kSplitRows);
  for (int kind = 0; kind <= last; ++kind) {
    EXPECT_EQ(StepNameMessage(static_cast<EditKind>(kind)), msg::kStepNames[kind]);
  }
  EXPECT_EQ(std::size(msg::kStepNames), static_cast<std::size_t>(last + 1));
}

}  // namespace
}  // namespace app

// The window's Chinese conversion flow without a window: missing data, the preview of all or
// selected rows of either subtitle, its texts, and writing it.
#include "app/chinese_conversion.h"

#include <gtest/gtest.h>

#include "app/message_numbers.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "text/gbk.h"

namespace app {
namespace {

// Message N reads "<N>".
class NumberedMessages : public ports::MessageSource {
 public:
  std::string Message(int number) const override {
    return "<" + std::to_string(number) + ">";
  }
};

std::string Gbk(std::string_view utf8) {
  return text::Utf8ToGbk(utf8).text;
}

void Fill(document::RowTable& table, const std::vector<std::string>& utf8_texts) {
  for (size_t i = 0; i < utf8_texts.size(); ++i) {
    const int row = i == 0 ? 1 : table.AppendRow();
    table.SetCell(document::kNumber, row, std::to_string(row));
    table.SetCell(document::kText, row, Gbk(utf8_texts[i]));
  }
}

TEST(ChineseConversion, MissingDataNamesTheFileAndThePackage) {
  testing_support::TempDir empty;
  const ChineseConversion conversion(empty.path());
  EXPECT_FALSE(conversion.Available());
  const NumberedMessages messages;
  EXPECT_EQ(conversion.MissingDataText(messages),
            "<1478>" + (empty.path() / "s2t.json").string() + "<1481>");

  const ChineseConversion installed;
  EXPECT_TRUE(installed.Available());
  EXPECT_EQ(installed.MissingDataText(messages), "");
}

TEST(ChineseConversion, DamagedConfigurationIsAnErrorOfThePreview) {
  testing_support::TempDir folder;
  for (const chinese::Direction direction : chinese::kAllDirections) {
    folder.Write(chinese::ConfigurationFile(direction), "{ damaged");
  }
  ChineseConversion conversion(folder.path());
  ASSERT_TRUE(conversion.Available());  // the files are there, only opening them fails
  document::SubtitleDocument document;
  Fill(document.main, {"头发"});
  testing_support::FakeEventPump pump;
  const NumberedMessages messages;
  const auto preview = conversion.Preview(document, {}, messages, pump);
  ASSERT_FALSE(preview.ok());
  EXPECT_EQ(preview.error().message.rfind("<1484>", 0), 0u);
}

TEST(ChineseConversion, PreviewTakesTheChosenTableAndRows) {
  ChineseConversion conversion;
  document::SubtitleDocument document;
  Fill(document.main, {"头发", "发展", "好"});
  Fill(document.reference, {"頭髮", "乾杯"});
  testing_support::FakeEventPump pump;
  const NumberedMessages messages;
  struct Case {
    ChineseRequest request;
    std::vector<int> changed_rows;
  };
  const Case cases[] = {
      {{chinese::Direction::kS2T, document::Role::kMain, {}}, {1, 2}},
      {{chinese::Direction::kS2T, document::Role::kMain, {2, 3}}, {2}},
      {{chinese::Direction::kT2S, document::Role::kMain, {}}, {}},
      {{chinese::Direction::kT2S, document::Role::kReference, {}}, {1, 2}},
      {{chinese::Direction::kT2S, document::Role::kReference, {2, 7}}, {2}},
  };
  for (const Case& test : cases) {
    const auto preview = conversion.Preview(document, test.request, messages, pump);
    ASSERT_TRUE(preview.ok());
    std::vector<int> rows;
    for (const chinese::RowChange& change : preview.value().changes) {
      rows.push_back(change.row);
    }
    EXPECT_EQ(rows, test.changed_rows);
  }
}

TEST(ChineseConversion, SummaryAndReportTexts) {
  ChineseConversion conversion;
  document::SubtitleDocument document;
  Fill(document.main, {"頭髮", "鱲", "ok"});
  testing_support::FakeEventPump pump;
  const NumberedMessages messages;
  const auto preview = conversion.Preview(
      document, {chinese::Direction::kT2S, document::Role::kMain, {}}, messages, pump);
  ASSERT_TRUE(preview.ok());
  EXPECT_EQ(ChineseSummaryText(preview.value(), messages), "<1457>1<1460>");
  EXPECT_EQ(ChineseReportLines(preview.value(), messages),
            std::vector<std::string>{"<1463>2<1466>" + Gbk("鱲") + "<1469>U+2B6AD<1472>"});

  chinese::ConversionPreview nothing;
  EXPECT_EQ(ChineseSummaryText(nothing, messages), "<1496>");
  nothing.reported.push_back({3, "3", "x\x81", "x\x81", {}, true});
  EXPECT_EQ(ChineseReportLines(nothing, messages), std::vector<std::string>{"<1463>3<1475>"});
}

TEST(ChineseConversion, WritingReportsRowsEditedSinceThePreview) {
  ChineseConversion conversion;
  document::SubtitleDocument document;
  Fill(document.main, {"头发", "发展"});
  testing_support::FakeEventPump pump;
  const NumberedMessages messages;
  const auto preview = conversion.Preview(document, {}, messages, pump);
  ASSERT_TRUE(preview.ok());
  document.main.SetCell(document::kText, 2, "edited");
  const chinese::ApplyOutcome outcome =
      ApplyChineseConversion(document, document::Role::kMain, preview.value().changes);
  EXPECT_EQ(outcome.written, 1);
  EXPECT_EQ(document.main.Cell(document::kText, 1), Gbk("頭髮"));
  EXPECT_EQ(document.main.Cell(document::kText, 2), "edited");
  EXPECT_EQ(ChineseSkippedText(outcome, document, document::Role::kMain, messages), "<1493>2");
  EXPECT_EQ(ChineseSkippedText({}, document, document::Role::kMain, messages), "");
}

}  // namespace
}  // namespace app

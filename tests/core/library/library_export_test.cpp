// Tests of exporting ranges of records.
#include "library/library_export.h"

#include <gtest/gtest.h>

#include "library_fixture.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"

namespace library {
namespace {

using library_testing::MakeRecords;
using library_testing::NumberedMessages;
using library_testing::ReadOrEmpty;
using library_testing::WriteLibraryFiles;
using testing_support::FakeEventPump;
using testing_support::FakeMessages;
using testing_support::TempDir;

class Export : public ::testing::Test {
 protected:
  void Make(int count) {
    WriteLibraryFiles(dir_.path(), MakeRecords(count));
    library_ = std::make_unique<GlyphLibrary>(dir_.path());
    ASSERT_TRUE(library_->Load(pump_).ok());
  }
  text::Result<ExportResult> Run(const std::string& from, const std::string& to,
                                 const std::string& path) {
    return ExportRecords(*library_, from, to, path, pump_, port_, messages_);
  }
  int RefusalOf(const std::string& from, const std::string& to, const std::string& path) {
    auto result = Run(from, to, path);
    return result.ok() ? 0 : RefusalMessage(result.error());
  }

  TempDir dir_;
  TempDir out_;
  FakeEventPump pump_;
  FakeMessages port_;
  NumberedMessages messages_;
  std::unique_ptr<GlyphLibrary> library_;
};

TEST(ExportDefaults, RangeIsTheLatestFiveThousand) {
  EXPECT_EQ(DefaultExportRange(12000).from, "7001");
  EXPECT_EQ(DefaultExportRange(12000).to, "12000");
  EXPECT_EQ(DefaultExportRange(5000).from, "1");
  EXPECT_EQ(DefaultExportRange(100).from, "1");
  EXPECT_EQ(DefaultExportRange(0).from, "1");  // an empty library's range names nothing to write
  EXPECT_EQ(DefaultExportRange(0).to, "0");
}

TEST_F(Export, RefusesBadRequestsWithTheirMessages) {
  Make(10);
  const std::string target = (out_ / "share.sts").string();
  EXPECT_EQ(RefusalOf("1", "2", ""), 590);
  EXPECT_EQ(RefusalOf("", "2", target), 593);
  EXPECT_EQ(RefusalOf("-4899", "100", target), 593);
  EXPECT_EQ(RefusalOf("1", "2x", target), 593);
  EXPECT_EQ(RefusalOf("1", "2", (dir_ / "word.sts").string()), 596);
  EXPECT_EQ(RefusalOf("1", "2", (dir_ / "Word.STS").string()), 0)
      << "only a final lower-case .sts is removed, so this names word.STS.wrd";
  EXPECT_EQ(RefusalOf("1", "2", (dir_ / "WORD").string()), 596);
  EXPECT_EQ(RefusalOf("1", "2", (dir_ / "newword.sts").string()), 596);
}

TEST_F(Export, WritesTheRangeThatExists) {
  Make(12000);
  auto result = Run("11990", "12010", (out_ / "share.sts").string());
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.value().records, 11);
  const auto texts = ReadOrEmpty(out_ / "share.wrd");
  ASSERT_EQ(texts.size(), 11u);
  EXPECT_EQ(texts.front(), "t11989");
  EXPECT_EQ(texts.back(), "t11999");
  EXPECT_EQ(ReadOrEmpty(out_ / "share.sts").back(), library_->FeatureLine(11999));
  EXPECT_EQ(pump_.last_done, pump_.last_total);
}

TEST_F(Export, ReversedRangeWritesTwoEmptyFilesAndZeroStartsAtOne) {
  Make(5);
  auto reversed = Run("4", "2", (out_ / "none").string());
  ASSERT_TRUE(reversed.ok());
  EXPECT_EQ(reversed.value().records, 0);
  EXPECT_EQ(out_.Read("none.wrd"), "");
  EXPECT_TRUE(std::filesystem::exists(out_ / "none.sts"));
  auto from_zero = Run("0", "2", (out_ / "zero.sts").string());
  ASSERT_TRUE(from_zero.ok());
  EXPECT_EQ(ReadOrEmpty(out_ / "zero.wrd"), (text::Lines{"t0", "t1"}));
}

TEST_F(Export, AsksBeforeReplacingAnExistingStsFile) {
  Make(5);
  out_.Write("share.sts", "old\r\n");
  out_.Write("share.wrd", "old\r\n");
  port_.answers = {ports::Answer::kNo, ports::Answer::kYes};
  auto declined = Run("1", "5", (out_ / "share.sts").string());
  ASSERT_TRUE(declined.ok());
  EXPECT_TRUE(declined.value().declined);
  EXPECT_EQ(out_.Read("share.sts"), "old\r\n");
  ASSERT_EQ(port_.asked.size(), 1u);
  EXPECT_EQ(port_.asked[0].text, "<599>");
  ASSERT_TRUE(Run("1", "5", (out_ / "share.sts").string()).ok());
  EXPECT_EQ(ReadOrEmpty(out_ / "share.sts").size(), 5u);
}

}  // namespace
}  // namespace library

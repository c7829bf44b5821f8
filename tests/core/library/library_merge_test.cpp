// Tests of merging another glyph library, with stop and resume.
#include "library/library_merge.h"

#include <gtest/gtest.h>

#include "library_fixture.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"

namespace library {
namespace {

using library_testing::Features;
using library_testing::MakeRecords;
using library_testing::NumberedMessages;
using library_testing::ReadOrEmpty;
using library_testing::Records;
using library_testing::WriteLibraryFiles;
using testing_support::FakeEventPump;
using testing_support::FakeMessages;
using testing_support::TempDir;

class Merge : public ::testing::Test {
 protected:
  void Make(const Records& own, const Records& other, const Records* journal = nullptr) {
    WriteLibraryFiles(dir_.path(), own, journal);
    ASSERT_TRUE(text::WriteLines(other_dir_ / "base.wrd", other.texts).ok());
    ASSERT_TRUE(text::WriteLines(other_dir_ / "base.sts", other.features).ok());
    library_ = std::make_unique<GlyphLibrary>(dir_.path());
    ASSERT_TRUE(library_->Load(pump_).ok());
    port_.default_answer = ports::Answer::kYes;
  }
  text::Result<MergeResult> Run(FakeEventPump& pump) {
    auto source = OpenMergeSource(*library_, (other_dir_ / "base.sts").string(), messages_);
    if (!source.ok())
      return source.error();
    const ports::WaitPanel wait{[this](const std::string& text) { waits_.push_back(text); },
                                [this] { waits_.push_back("hidden"); }};
    return RunMerge(*library_, source.value(), pump, port_, messages_, wait);
  }

  TempDir dir_;
  TempDir other_dir_;
  FakeEventPump pump_;
  FakeMessages port_;
  NumberedMessages messages_;
  std::unique_ptr<GlyphLibrary> library_;
  std::vector<std::string> waits_;  // texts the wait panel showed, "hidden" when it went away
};

TEST_F(Merge, RefusesMissingOwnAndEmptySources) {
  Make(MakeRecords(3), Records{});
  auto refusal = [&](const std::string& path) {
    auto source = OpenMergeSource(*library_, path, messages_);
    return source.ok() ? 0 : RefusalMessage(source.error());
  };
  EXPECT_EQ(refusal(""), 509);
  EXPECT_EQ(refusal((dir_ / "word.sts").string()), 512);
  EXPECT_EQ(refusal((dir_ / "WORD.sts").string()), 512);
  EXPECT_EQ(refusal((dir_ / "NewWord").string()), 512);
  EXPECT_EQ(refusal((other_dir_ / "absent.sts").string()), 515);
  EXPECT_EQ(refusal((other_dir_ / "base.sts").string()), 518);
  other_dir_.Write("odd.wrd", "a\r\nb\r\n");
  other_dir_.Write("odd.sts", Features(1) + "\r\n");
  auto odd = OpenMergeSource(*library_, (other_dir_ / "odd.sts").string(), messages_);
  ASSERT_FALSE(odd.ok());
  EXPECT_EQ(odd.error().code, "mismatch");
}

TEST_F(Merge, FinishesAnExportThatDiedBetweenItsRenames) {
  // An export over an older pair of the same length died after renaming base.wrd: base.sts is
  // still the old one and its new content waits as a staged copy behind the commit record.
  const Records older = MakeRecords(3, 100);
  const Records newer = MakeRecords(3, 200);
  Make(MakeRecords(2), older);
  ASSERT_TRUE(text::WriteLines(other_dir_ / "base.wrd", newer.texts).ok());
  ASSERT_TRUE(text::WriteLines(other_dir_ / "base.sts.new", newer.features).ok());
  ASSERT_TRUE(text::WriteLines(other_dir_ / "library.commit", {"base.wrd", "base.sts"}).ok());
  other_dir_.Write(".base.sts.new.tmp42", "half");
  auto source = OpenMergeSource(*library_, (other_dir_ / "base.sts").string(), messages_);
  ASSERT_TRUE(source.ok()) << source.error().message;
  EXPECT_EQ(source.value().texts, newer.texts);
  EXPECT_EQ(source.value().features, newer.features) << "texts and shapes of one export";
  EXPECT_FALSE(std::filesystem::exists(other_dir_ / "library.commit"));
  EXPECT_FALSE(std::filesystem::exists(other_dir_ / ".base.sts.new.tmp42"));
  // A staged copy without a commit record is a write that never happened: the old pair stands.
  ASSERT_TRUE(text::WriteLines(other_dir_ / "base.wrd.new", older.texts).ok());
  auto again = OpenMergeSource(*library_, (other_dir_ / "base.sts").string(), messages_);
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again.value().texts, newer.texts);
  EXPECT_FALSE(std::filesystem::exists(other_dir_ / "base.wrd.new"));
}

TEST_F(Merge, CopyOfItselfAddsNothingAndWritesNothing) {
  const Records own = MakeRecords(50);
  Make(own, own);
  const std::string wrd = dir_.Read("word.wrd");
  const std::string other = other_dir_.Read("base.sts");
  auto result = Run(pump_);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.value().added, 0);
  EXPECT_EQ(result.value().report, "<542>");
  EXPECT_EQ(result.value().processed, 50);
  EXPECT_EQ(result.value().remaining, 50) << "nothing written, so the other keeps everything";
  EXPECT_EQ(dir_.Read("word.wrd"), wrd);
  EXPECT_EQ(other_dir_.Read("base.sts"), other);
  EXPECT_TRUE(waits_.empty()) << "nothing is written, so there is nothing to wait for";
  ASSERT_EQ(port_.asked.size(), 1u);
  EXPECT_EQ(port_.asked[0].text, "<527>");
  EXPECT_EQ(port_.asked[0].caption, "<413>");
}

TEST_F(Merge, DeclinedConfirmationDoesNothing) {
  Make(MakeRecords(2), MakeRecords(5, 100));
  port_.default_answer = ports::Answer::kNo;
  auto source = OpenMergeSource(*library_, (other_dir_ / "base.sts").string(), messages_);
  ASSERT_TRUE(source.ok());
  auto result = RunMerge(*library_, source.value(), pump_, port_, messages_);
  ASSERT_TRUE(result.ok());
  EXPECT_TRUE(result.value().declined);
  EXPECT_EQ(library_->RecordCount(), 2);
  EXPECT_EQ(ReadOrEmpty(other_dir_ / "base.wrd").size(), 5u);
}

TEST_F(Merge, StoppedRunWritesWhatItDidAndASecondRunResumes) {
  // 100 other records; among the first 40, 15 repeat own shapes, so 25 are added.
  const Records own = MakeRecords(15, 500);
  Records other;
  for (int i = 0; i < 100; ++i) {
    if (i < 40 && i % 8 < 3) {
      other.texts.push_back("same" + std::to_string(i));
      other.features.push_back(own.features[other.texts.size() % 15]);
    } else {
      other.texts.push_back("o" + std::to_string(i));
      other.features.push_back(Features(i, 3));
    }
  }
  const Records journal = MakeRecords(1, 800);
  Make(own, other, &journal);
  FakeEventPump pump;
  pump.stop_at_call = 41;  // the pump runs once per record for a small library
  auto first = Run(pump);
  ASSERT_TRUE(first.ok());
  EXPECT_TRUE(first.value().stopped);
  EXPECT_EQ(first.value().processed, 40);
  EXPECT_EQ(first.value().added, 25);
  EXPECT_EQ(first.value().report, "<536>25<539>");
  EXPECT_EQ(ReadOrEmpty(other_dir_ / "base.wrd").size(), 60u);
  EXPECT_EQ(ReadOrEmpty(other_dir_ / "base.wrd")[0], "o40");
  EXPECT_EQ(ReadOrEmpty(dir_ / "word.wrd").size(), 41u);
  EXPECT_TRUE(ReadOrEmpty(dir_ / "newword.wrd").empty()) << "the merge archives the journal";
  EXPECT_EQ(waits_, (std::vector<std::string>{"<551>", "hidden"}));

  FakeEventPump second_pump;
  auto second = Run(second_pump);
  ASSERT_TRUE(second.ok());
  EXPECT_FALSE(second.value().stopped);
  EXPECT_EQ(second.value().processed, 60);
  EXPECT_EQ(second.value().added, 60);
  EXPECT_EQ(second.value().report, "<545>60<548>");
  EXPECT_TRUE(ReadOrEmpty(other_dir_ / "base.wrd").empty());
  EXPECT_EQ(library_->RecordCount(), 101);
  EXPECT_EQ(second_pump.last_done, 60);
  EXPECT_EQ(second_pump.last_total, 60);
}

TEST_F(Merge, StoppedBeforeAnythingWasAddedWritesNothing) {
  Make(MakeRecords(3), MakeRecords(10, 100));
  FakeEventPump pump;
  pump.stop_at_call = 1;
  auto result = Run(pump);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.value().report, "<533>");
  EXPECT_EQ(ReadOrEmpty(other_dir_ / "base.wrd").size(), 10u);
}

TEST_F(Merge, OwnShapeWinsAndEqualOtherShapesAreAddedOnce) {
  Records own = MakeRecords(3);
  Records other;
  other.texts = {"other text", "first", "second", "sized"};
  other.features = {own.features[1], Features(4444), Features(4444), own.features[2] + ",20,22"};
  Make(own, other);
  auto result = Run(pump_);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.value().added, 2);
  EXPECT_EQ(library_->Text(1), "t1");
  EXPECT_EQ(library_->Text(3), "first");
  EXPECT_EQ(library_->Text(4), "sized") << "a line differing only by its sizes is added";
  EXPECT_EQ(library_->Candidates(4444), (IndexLine{3}));
  EXPECT_EQ(library_->Candidates(2), (IndexLine{2, 4}));
}

TEST_F(Merge, NewRecordDeletesTheStalePictureOfItsName) {
  Make(MakeRecords(1000), MakeRecords(2, 5000));
  ASSERT_TRUE(text::WriteLines(dir_ / "wordbmp" / "001.bmp", {"old"}).ok());
  ASSERT_TRUE(text::WriteLines(dir_ / "wordbmp" / "003.bmp", {"keep"}).ok());
  ASSERT_TRUE(Run(pump_).ok());
  EXPECT_FALSE(std::filesystem::exists(dir_ / "wordbmp" / "001.bmp"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "wordbmp" / "003.bmp"));
}

TEST_F(Merge, DamagedOtherRecordsStayInTheOtherFiles) {
  Records other = MakeRecords(3, 100);
  other.features[1] = "1,2";
  Make(MakeRecords(2), other);
  auto result = Run(pump_);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.value().added, 2);
  EXPECT_EQ(result.value().damaged, 1);
  EXPECT_EQ(ReadOrEmpty(other_dir_ / "base.sts"), (text::Lines{"1,2"}));
  EXPECT_EQ(ReadOrEmpty(other_dir_ / "base.wrd"), (text::Lines{"t101"}));
}

}  // namespace
}  // namespace library

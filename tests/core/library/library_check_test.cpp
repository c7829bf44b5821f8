// Tests of the library check's report.
#include "library/library_check.h"

#include <gtest/gtest.h>

#include "library_fixture.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"

namespace library {
namespace {

using library_testing::MakeRecords;
using library_testing::NumberedMessages;
using library_testing::Records;
using library_testing::WriteLibraryFiles;
using testing_support::FakeEventPump;
using testing_support::TempDir;

class Check : public ::testing::Test {
 protected:
  // Loads a library of `count` records with the given word.ind lines (none: rebuilt).
  void Make(int count, const text::Lines* index = nullptr, const Records* journal = nullptr) {
    WriteLibraryFiles(dir_.path(), MakeRecords(count), journal);
    if (index != nullptr) {
      ASSERT_TRUE(text::WriteLines(dir_ / "word.ind", *index).ok());
    }
    library_ = std::make_unique<GlyphLibrary>(dir_.path());
    ASSERT_TRUE(library_->Load(pump_).ok());
  }
  CheckReport Run() {
    return CheckLibrary(*library_, messages_, pump_);
  }

  TempDir dir_;
  FakeEventPump pump_;
  NumberedMessages messages_;
  std::unique_ptr<GlyphLibrary> library_;
};

TEST_F(Check, ConsistentAndEmptyLibrariesReportNoProblem) {
  Make(20);
  auto report = Run();
  EXPECT_FALSE(report.problem);
  EXPECT_EQ(report.text, "<647>\r\r<668>");
  EXPECT_EQ(pump_.last_done, 13000);
  EXPECT_LE(pump_.progress_calls, 300);

  TempDir empty_dir;
  WriteLibraryFiles(empty_dir.path(), Records{});
  GlyphLibrary empty(empty_dir.path());
  ASSERT_TRUE(empty.Load(pump_).ok());
  EXPECT_EQ(CheckLibrary(empty, messages_, pump_).text, "<647>\r\r<668>");
}

TEST_F(Check, ListsTheFirstTenUnlistedRecords) {
  // An index that lists records 12 to 29 only: 12 records are missing.
  text::Lines index(13001);
  for (int i = 12; i < 30; ++i)
    index[i] = std::to_string(i);
  Make(30, &index);
  auto report = Run();
  EXPECT_TRUE(report.problem);
  EXPECT_EQ(report.unlisted, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(report.unlisted_total, 12);
  std::string expected = "<647>\r\r";
  for (int n = 1; n <= 10; ++n)
    expected += "<659>" + std::to_string(n) + "<662>\r\r";
  expected += "\r<665>";
  EXPECT_EQ(report.text, expected);
}

TEST_F(Check, EntryBeyondTheLastRecordEndsTheWalk) {
  text::Lines index(13001);
  index[3] = "0,5";  // 5 records: position 5 names none
  Make(5, &index);
  auto report = Run();
  EXPECT_TRUE(report.bad_index_entry);
  EXPECT_EQ(report.text, "<647>\r\r<656>\r\r");
  EXPECT_TRUE(report.unlisted.empty());
}

TEST_F(Check, UnequalJournalFilesAndDamagedLinesAreReported) {
  Records journal = MakeRecords(2, 100);
  journal.features.pop_back();
  WriteLibraryFiles(dir_.path(), MakeRecords(3), &journal);
  ASSERT_TRUE(text::WriteLines(dir_ / "word.sts", {"1,2,3", library_testing::Features(1),
                                                   library_testing::Features(2)})
                  .ok());
  library_ = std::make_unique<GlyphLibrary>(dir_.path());
  ASSERT_TRUE(library_->Load(pump_).ok());
  auto report = Run();
  EXPECT_TRUE(report.journal_differs);
  EXPECT_EQ(report.damaged_feature_lines, 1);
  EXPECT_EQ(report.unlisted, (std::vector<int>{1}));
  EXPECT_EQ(report.text, "<647>\r\r<653>\r<659>1<662>\r\r");
}

}  // namespace
}  // namespace library

// Tests of the glyph library's files, loading, index, journal and picture names.
#include "library/glyph_library.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "library_fixture.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"

namespace library {
namespace {

using library_testing::DyingFileLayer;
using library_testing::Features;
using library_testing::MakeRecords;
using library_testing::ReadOrEmpty;
using library_testing::Records;
using library_testing::WriteLibraryFiles;
using testing_support::FakeEventPump;
using testing_support::TempDir;

TEST(FeatureKey, SumsTheFirstThirteenNumbersOnly) {
  EXPECT_EQ(FeatureKeyOf("1,2,3,4,5,6,7,8,9,10,11,12,13"), 91);
  EXPECT_EQ(FeatureKeyOf("1,2,3,4,5,6,7,8,9,10,11,12,13,40,50"), 91);
  EXPECT_EQ(FeatureKeyOf("0,0,0,0,0,0,0,0,0,0,0,0,0"), 0);
  EXPECT_EQ(FeatureKeyOf("1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000"),
            13000);
  EXPECT_EQ(FeatureKeyOf("1,2,3,4,5,6,7,8,9,10,11,12"), std::nullopt);
  EXPECT_EQ(FeatureKeyOf("1,2,3,4,5,6,7,8,9,10,11,12,x"), std::nullopt);
  EXPECT_EQ(FeatureKeyOf("1,2,3,4,5,6,7,8,9,10,11,12,13x"), std::nullopt);
  EXPECT_EQ(FeatureKeyOf("-1,2,3,4,5,6,7,8,9,10,11,12,13"), std::nullopt);
  EXPECT_EQ(FeatureKeyOf("1,,3,4,5,6,7,8,9,10,11,12,13"), std::nullopt);
  EXPECT_EQ(FeatureKeyOf("9999,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000"),
            std::nullopt);
  EXPECT_EQ(FeatureKeyOf("99999999999999,0,0,0,0,0,0,0,0,0,0,0,0"), std::nullopt);
  EXPECT_EQ(FeatureKeyOf(""), std::nullopt);
}

TEST(PictureNames, FollowTheRingOfAThousandNames) {
  EXPECT_EQ(PictureName(1), "1");
  EXPECT_EQ(PictureName(999), "999");
  EXPECT_EQ(PictureName(1000), "1000");
  EXPECT_EQ(PictureName(1001), "001");
  EXPECT_EQ(PictureName(1010), "010");
  EXPECT_EQ(PictureName(2000), "000");
  EXPECT_EQ(PictureName(12345), "345");
}

class LibraryFolder : public ::testing::Test {
 protected:
  GlyphLibrary Loaded() {
    GlyphLibrary library(dir_.path());
    auto loaded = library.Load(pump_);
    EXPECT_TRUE(loaded.ok()) << (loaded.ok() ? "" : loaded.error().message);
    if (loaded.ok())
      report_ = loaded.value();
    return library;
  }
  text::Lines Read(const char* name) {
    return ReadOrEmpty(dir_ / name);
  }

  TempDir dir_;
  FakeEventPump pump_;
  LoadReport report_;
};

TEST_F(LibraryFolder, MissingOrUnequalMainFilesRefuseToLoadAndTouchNothing) {
  GlyphLibrary library(dir_.path());
  auto missing = library.Load(pump_);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(LoadFailureMessage(missing.error()), 395);

  dir_.Write("word.wrd", "a\r\nb\r\n");
  auto still_missing = library.Load(pump_);
  ASSERT_FALSE(still_missing.ok());
  EXPECT_EQ(LoadFailureMessage(still_missing.error()), 395);

  dir_.Write("word.sts", Features(1) + "\r\n");
  auto unequal = library.Load(pump_);
  ASSERT_FALSE(unequal.ok());
  EXPECT_EQ(LoadFailureMessage(unequal.error()), 401);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "newword.wrd"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "word.ind"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "wordbmp"));
}

TEST_F(LibraryFolder, EmptyLibraryBuildsAnEmptyIndexAndTheMissingFiles) {
  dir_.Write("word.wrd", "");
  dir_.Write("word.sts", "");
  auto library = Loaded();
  EXPECT_EQ(report_.messages, (std::vector<int>{404, 686}));
  EXPECT_EQ(library.RecordCount(), 0);
  EXPECT_EQ(Read("word.ind").size(), 13001u);
  std::string empty_lines;
  for (int i = 0; i < 13001; ++i)
    empty_lines += "\r\n";
  EXPECT_EQ(dir_.Read("word.ind"), empty_lines);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "newword.wrd"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "newword.sts"));
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "wordbmp"));
  for (int key : {0, 1, 6500, 13000})
    EXPECT_TRUE(library.Candidates(key).empty());
  EXPECT_TRUE(library.Candidates(-1).empty());
  EXPECT_TRUE(library.Candidates(13001).empty());
}

TEST_F(LibraryFolder, IndexOfWrongLengthIsRebuiltAndOneOfRightLengthIsUsedAsRead) {
  const Records records = MakeRecords(3);
  WriteLibraryFiles(dir_.path(), records);
  for (int length : {13000, 13002}) {
    ASSERT_TRUE(text::WriteLines(dir_ / "word.ind", text::Lines(length)).ok());
    auto library = Loaded();
    EXPECT_EQ(report_.messages, (std::vector<int>{407, 686})) << length;
    EXPECT_EQ(Read("word.ind").size(), 13001u);
    EXPECT_EQ(library.Candidates(1), (IndexLine{1}));
  }
  // A file of 13001 lines that does not fit the features is taken as it stands.
  text::Lines odd(13001);
  odd[5] = "2,0";
  ASSERT_TRUE(text::WriteLines(dir_ / "word.ind", odd).ok());
  auto library = Loaded();
  EXPECT_TRUE(report_.messages.empty());
  EXPECT_EQ(library.Candidates(5), (IndexLine{2, 0}));
  EXPECT_TRUE(library.Candidates(1).empty());
}

TEST_F(LibraryFolder, JournalIsAppendedOnceOnEveryStartUpUntilArchived) {
  const Records main = MakeRecords(4);
  const Records journal = MakeRecords(3, 100);
  WriteLibraryFiles(dir_.path(), main, &journal);
  ASSERT_TRUE(text::WriteLines(dir_ / "word.ind", text::Lines(13001)).ok());
  for (int start = 0; start < 2; ++start) {
    auto library = Loaded();
    EXPECT_EQ(report_.messages, (std::vector<int>{686})) << "no 404: word.ind exists";
    EXPECT_EQ(report_.journal_records, 3);
    ASSERT_EQ(library.RecordCount(), 7);
    EXPECT_EQ(library.Text(3), "t3");
    EXPECT_EQ(library.Text(4), "t100");
    EXPECT_EQ(library.Text(6), "t102");
    EXPECT_EQ(library.FeatureLine(6), journal.features[2]);
    EXPECT_EQ(library.JournalCount(), 3);
    EXPECT_EQ(library.Candidates(102 % 9000), (IndexLine{6}));
    EXPECT_EQ(Read("word.wrd").size(), 4u) << "the main files wait for the archiving";
  }
  auto library = Loaded();
  ASSERT_TRUE(library.ArchiveJournal().ok());
  EXPECT_EQ(Read("word.wrd").size(), 7u);
  EXPECT_EQ(Read("word.sts").size(), 7u);
  EXPECT_TRUE(Read("newword.wrd").empty());
  auto reloaded = Loaded();
  EXPECT_EQ(reloaded.RecordCount(), 7);
  EXPECT_EQ(reloaded.JournalCount(), 0);
  EXPECT_TRUE(report_.messages.empty());
  EXPECT_EQ(reloaded.Candidates(101), (IndexLine{5}));
}

TEST_F(LibraryFolder, SizedAndUnsizedLinesOfEqualDensitiesShareAnIndexLine) {
  Records records;
  records.texts = {"a", "b"};
  records.features = {Features(77, 0, true), Features(77, 0, false)};
  WriteLibraryFiles(dir_.path(), records);
  auto library = Loaded();
  EXPECT_EQ(library.Candidates(77), (IndexLine{0, 1}));
}

TEST_F(LibraryFolder, AddGlyphAppendsToLineRecordsAndJournalFiles) {
  Records records = MakeRecords(40);
  records.features[3] = Features(500, 1);
  records.features[17] = Features(500, 2);
  WriteLibraryFiles(dir_.path(), records);
  auto library = Loaded();
  ASSERT_EQ(library.Candidates(500), (IndexLine{3, 17}));
  auto number = library.AddGlyph("\xD7\xD6", Features(500, 3, true), 500);
  ASSERT_TRUE(number.ok());
  EXPECT_EQ(number.value(), 41);
  EXPECT_EQ(library.Candidates(500), (IndexLine{3, 17, 40}));
  auto second = library.AddGlyph("x", Features(8999, 7), 8999);
  ASSERT_TRUE(second.ok());
  EXPECT_EQ(library.Candidates(8999), (IndexLine{41}));
  EXPECT_EQ(Read("newword.wrd"), (text::Lines{"\xD7\xD6", "x"}));
  EXPECT_EQ(Read("newword.sts"), (text::Lines{Features(500, 3, true), Features(8999, 7)}));
  EXPECT_EQ(Read("word.wrd").size(), 40u);
  EXPECT_FALSE(library.AddGlyph("y", Features(1), 13001).ok());
  EXPECT_EQ(library.RecordCount(), 42);

  // The correction of a taught glyph reaches its journal line too.
  ASSERT_TRUE(library.SetText(40, "z").ok());
  EXPECT_EQ(library.Text(40), "z");
  EXPECT_EQ(Read("newword.wrd"), (text::Lines{"z", "x"}));
}

TEST_F(LibraryFolder, CorrectionsOfJournalRecordsOutliveARestart) {
  WriteLibraryFiles(dir_.path(), MakeRecords(3));
  auto library = Loaded();
  ASSERT_TRUE(library.AddGlyph("a", Features(500, 1), 500).ok());
  ASSERT_TRUE(library.AddGlyph("b", Features(600, 1), 600).ok());
  const std::string archived = library.Text(1);
  // (position, new text, journal afterwards)
  const std::tuple<int, std::string, text::Lines> cases[] = {
      {4, "B", {"a", "B"}},    {3, "A", {"A", "B"}},
      {1, "old", {"A", "B"}},  // an archived record: memory only until the library is written
      {7, "none", {"A", "B"}}, {-1, "none", {"A", "B"}},
  };
  for (const auto& [position, text, journal] : cases) {
    ASSERT_TRUE(library.SetText(position, text).ok()) << position;
    EXPECT_EQ(Read("newword.wrd"), journal) << position;
  }
  EXPECT_EQ(Read("newword.sts"), (text::Lines{Features(500, 1), Features(600, 1)}));
  EXPECT_EQ(library.Text(1), "old");
  auto again = Loaded();
  EXPECT_EQ(again.Text(3), "A");
  EXPECT_EQ(again.Text(4), "B");
  EXPECT_EQ(again.Text(1), archived);
}

TEST_F(LibraryFolder, APageOfGlyphsWritesTheFilesOfTeachingThemOneByOne) {
  const std::vector<GlyphLibrary::NewGlyph> page = {{"a", Features(500, 3), 500},
                                                    {"\xD7\xD6", Features(500, 4, true), 500},
                                                    {"b", Features(12, 0), 12},
                                                    {"a", Features(8999, 7), 8999}};
  const char* kFiles[] = {"word.wrd", "word.sts", "word.ind", "newword.wrd", "newword.sts"};
  std::map<std::string, text::Lines> files[2];
  for (int batch = 0; batch < 2; ++batch) {
    TempDir dir;
    WriteLibraryFiles(dir.path(), MakeRecords(20));
    GlyphLibrary library(dir.path());
    ASSERT_TRUE(library.Load(pump_).ok());
    if (batch == 1) {
      auto first = library.AddGlyphs(page);
      ASSERT_TRUE(first.ok());
      EXPECT_EQ(first.value(), 21);
    } else {
      for (const auto& glyph : page) {
        ASSERT_TRUE(library.AddGlyph(glyph.text, glyph.feature_line, glyph.key).ok());
      }
    }
    EXPECT_EQ(library.Candidates(500), (IndexLine{20, 21}));
    EXPECT_EQ(library.RecordCount(), 24);
    for (const char* name : kFiles) {
      files[batch][name] = ReadOrEmpty(dir / name);
    }
    // Archived, too, the files stay the same either way.
    ASSERT_TRUE(library.ArchiveJournal().ok());
    for (const char* name : kFiles) {
      files[batch][std::string("archived ") + name] = ReadOrEmpty(dir / name);
    }
  }
  EXPECT_EQ(files[0], files[1]);
  EXPECT_EQ(files[1]["newword.wrd"], (text::Lines{"a", "\xD7\xD6", "b", "a"}));
}

TEST_F(LibraryFolder, APageWithAKeyOutOfRangeOrAFailedWriteAddsNothing) {
  WriteLibraryFiles(dir_.path(), MakeRecords(3));
  auto library = Loaded();
  auto refused = library.AddGlyphs({{"a", Features(5), 5}, {"b", Features(5), 13001}});
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().code, "key");
  EXPECT_EQ(library.RecordCount(), 3);
  EXPECT_TRUE(Read("newword.wrd").empty());
  auto empty = library.AddGlyphs({});
  ASSERT_TRUE(empty.ok());
  EXPECT_EQ(empty.value(), 4);

  auto dying = std::make_shared<DyingFileLayer>();
  GlyphLibrary failing(dir_.path(), dying);
  ASSERT_TRUE(failing.Load(pump_).ok());
  dying->budget = dying->spent + 1;  // the first staged copy is written, then the program dies
  EXPECT_FALSE(failing.AddGlyphs({{"a", Features(5), 5}, {"b", Features(6), 6}}).ok());
  EXPECT_EQ(failing.RecordCount(), 3);
  EXPECT_EQ(failing.JournalCount(), 0);
  EXPECT_TRUE(failing.Candidates(5).empty());
}

TEST_F(LibraryFolder, PictureSlotsCoverTheLatestThousand) {
  WriteLibraryFiles(dir_.path(), MakeRecords(1500));
  auto library = Loaded();
  EXPECT_FALSE(library.HasPictureSlot(500));
  EXPECT_TRUE(library.HasPictureSlot(501));
  EXPECT_TRUE(library.HasPictureSlot(1500));
  EXPECT_FALSE(library.HasPictureSlot(1501));
  EXPECT_FALSE(library.HasPictureSlot(0));
  EXPECT_EQ(library.PicturePath(501), dir_.path() / "wordbmp" / "501.bmp");
  EXPECT_EQ(library.PicturePath(1001).filename(), "001.bmp");
  EXPECT_EQ(library.PicturePath(2000).filename(), "000.bmp");
}

TEST_F(LibraryFolder, RebuildReportsFromTheFirstToTheLastRecord) {
  WriteLibraryFiles(dir_.path(), MakeRecords(1000));
  auto library = Loaded();
  FakeEventPump pump;
  ASSERT_TRUE(library.RebuildIndex(pump).ok());
  EXPECT_EQ(pump.last_done, 1000);
  EXPECT_EQ(pump.last_total, 1000);
  EXPECT_GT(pump.progress_calls, 1);
  EXPECT_LE(pump.progress_calls, 300);
}

TEST_F(LibraryFolder, RebuildGivesTheSameIndexAsAddingOneByOne) {
  WriteLibraryFiles(dir_.path(), Records{});
  auto library = Loaded();
  const Records records = MakeRecords(300);
  for (int i = 0; i < 300; ++i) {
    // Same keys again and again, so lines hold several positions.
    const int key = *FeatureKeyOf(records.features[i % 50]);
    ASSERT_TRUE(library.AddGlyph(records.texts[i], records.features[i % 50], key).ok());
  }
  const GlyphIndex added = library.Index();
  ASSERT_TRUE(library.RebuildIndex(pump_).ok());
  EXPECT_EQ(library.Index(), added);
  EXPECT_EQ(GlyphLibrary::IndexFromLines(Read("word.ind"), 300, nullptr), added);
}

TEST_F(LibraryFolder, FilesRoundTripByteForByte) {
  Records records;
  records.texts = {"\xB0\xA1", "", "A B", "\xD7\xD6\xC4\xBB"};
  records.features = {Features(1), Features(2, 0, true), Features(3), Features(1, 5)};
  WriteLibraryFiles(dir_.path(), records);
  const std::string wrd = dir_.Read("word.wrd");
  const std::string sts = dir_.Read("word.sts");
  {
    auto library = Loaded();
    ASSERT_TRUE(library.ArchiveJournal().ok());
  }
  EXPECT_EQ(dir_.Read("word.wrd"), wrd);
  EXPECT_EQ(dir_.Read("word.sts"), sts);
  const std::string ind = dir_.Read("word.ind");
  auto again = Loaded();
  ASSERT_TRUE(again.ArchiveJournal().ok());
  EXPECT_EQ(dir_.Read("word.ind"), ind);
  EXPECT_EQ(again.Candidates(1), (IndexLine{0, 3}));
  EXPECT_EQ(Read("word.ind")[1], "0,3");
}

TEST_F(LibraryFolder, DamagedRecordsAreCountedAndKeptButNotIndexed) {
  Records records = MakeRecords(5);
  records.features[1] = "1,2,3";  // too few numbers
  records.features[3] = "1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1000,1001";
  WriteLibraryFiles(dir_.path(), records);
  Records journal;
  journal.texts = {"j1", "j2", "j3"};
  journal.features = {Features(4000), Features(4001)};  // newword.sts lost a line
  ASSERT_TRUE(text::WriteLines(dir_ / "newword.wrd", journal.texts).ok());
  ASSERT_TRUE(text::WriteLines(dir_ / "newword.sts", journal.features).ok());
  auto library = Loaded();
  EXPECT_EQ(report_.damaged_feature_lines, 2);
  EXPECT_EQ(report_.skipped_journal_lines, 1);
  EXPECT_EQ(report_.journal_records, 2);
  ASSERT_EQ(library.RecordCount(), 7);
  EXPECT_EQ(library.FeatureLine(1), "1,2,3");
  int listed = 0;
  for (const auto& line : library.Index())
    listed += static_cast<int>(line.size());
  EXPECT_EQ(listed, 5);
  // Archiving keeps the damaged records for the user to mend.
  ASSERT_TRUE(library.ArchiveJournal().ok());
  EXPECT_EQ(Read("word.sts")[1], "1,2,3");
}

TEST_F(LibraryFolder, IndexEntriesNamingNoRecordAreLeftOutAndCounted) {
  WriteLibraryFiles(dir_.path(), MakeRecords(3));
  text::Lines index(13001);
  index[0] = "0,3";
  index[1] = "1,x,,2";
  ASSERT_TRUE(text::WriteLines(dir_ / "word.ind", index).ok());
  auto library = Loaded();
  EXPECT_EQ(report_.bad_index_entries, 3);
  EXPECT_EQ(library.Candidates(0), (IndexLine{0}));
  EXPECT_EQ(library.Candidates(1), (IndexLine{1, 2}));
  EXPECT_EQ(library.BadIndexEntries(), 3);
}

TEST_F(LibraryFolder, RebuildCommandAsksFirst) {
  WriteLibraryFiles(dir_.path(), MakeRecords(3));
  auto library = Loaded();
  std::filesystem::remove(dir_ / "word.ind");
  library_testing::NumberedMessages messages;
  testing_support::FakeMessages port;
  port.answers = {ports::Answer::kCancel, ports::Answer::kOk};
  auto cancelled = ConfirmAndRebuildIndex(library, port, messages, pump_);
  ASSERT_TRUE(cancelled.ok());
  EXPECT_FALSE(cancelled.value());
  EXPECT_FALSE(std::filesystem::exists(dir_ / "word.ind"));
  EXPECT_EQ(port.asked[0].text, "<641>");
  EXPECT_EQ(port.asked[0].caption, "<557>");
  auto rebuilt = ConfirmAndRebuildIndex(library, port, messages, pump_);
  ASSERT_TRUE(rebuilt.ok());
  EXPECT_TRUE(rebuilt.value());
  EXPECT_EQ(Read("word.ind").size(), 13001u);
}

TEST_F(LibraryFolder, ReadOnlyLoadWritesNothing) {
  dir_.Write("word.wrd", "a\r\n");
  dir_.Write("word.sts", Features(9) + "\r\n");
  GlyphLibrary library(dir_.path());
  auto loaded = library.LoadReadOnly(pump_);
  ASSERT_TRUE(loaded.ok());
  EXPECT_EQ(library.Candidates(9), (IndexLine{0}));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "word.ind"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "newword.wrd"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "wordbmp"));
}

TEST_F(LibraryFolder, RefusalsCarryTheirMessageNumber) {
  library_testing::NumberedMessages messages;
  const auto refusal = Refusal(611, messages);
  EXPECT_EQ(refusal.message, "<611>");
  EXPECT_EQ(RefusalMessage(refusal), 611);
  EXPECT_EQ(RefusalMessage(text::Error{"io", "x"}), 0);
  EXPECT_EQ(RefusalMessage(text::Error{"", "x"}), 0);
}

}  // namespace
}  // namespace library

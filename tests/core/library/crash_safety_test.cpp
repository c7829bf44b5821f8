// The library's several-file writes, cut short after every single file operation: the next
// load must hold every record exactly once, in the state before or after the write.
#include <gtest/gtest.h>

#include <memory>

#include "library/glyph_library.h"
#include "library/library_editor.h"
#include "library/library_merge.h"
#include "library_fixture.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"

namespace library {
namespace {

using library_testing::DyingFileLayer;
using library_testing::Features;
using library_testing::MakeRecords;
using library_testing::NumberedMessages;
using library_testing::ReadOrEmpty;
using library_testing::Records;
using library_testing::WriteLibraryFiles;
using testing_support::FakeEventPump;
using testing_support::FakeMessages;
using testing_support::TempDir;

// The records of a library as a fresh start-up (with the real file system) sees them, loaded
// twice to show that a second start-up does not repeat the journal.
Records Reload(const std::filesystem::path& dir) {
  ports::NullEventPump pump;
  Records seen;
  for (int start = 0; start < 2; ++start) {
    GlyphLibrary library(dir);
    auto loaded = library.Load(pump);
    EXPECT_TRUE(loaded.ok()) << (loaded.ok() ? "" : loaded.error().message);
    Records records{library.Contents().texts, library.Contents().features};
    if (start == 1) {
      EXPECT_EQ(records.texts, seen.texts) << "second start-up";
      EXPECT_EQ(records.features, seen.features);
    }
    seen = records;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "library.commit"));
  return seen;
}

Records Concat(const Records& a, const Records& b) {
  Records all = a;
  all.texts.insert(all.texts.end(), b.texts.begin(), b.texts.end());
  all.features.insert(all.features.end(), b.features.begin(), b.features.end());
  return all;
}

bool Same(const Records& a, const Records& b) {
  return a.texts == b.texts && a.features == b.features;
}

// Runs `operation` on a library loaded through a layer that dies after `budget` changing
// operations; returns how many it used (all of them when the budget was not reached).
template <typename Setup, typename Operation>
int RunDying(int budget, Setup setup, Operation operation, const TempDir& dir) {
  setup(dir.path());
  auto layer = std::make_shared<DyingFileLayer>();
  GlyphLibrary library(dir.path(), layer);
  ports::NullEventPump pump;
  EXPECT_TRUE(library.Load(pump).ok());
  layer->spent = 0;
  layer->budget = budget;
  operation(library);
  return layer->spent;
}

TEST(CrashSafety, ArchivingCutShortAnywhereKeepsEveryRecordOnce) {
  const Records main = MakeRecords(5);
  const Records journal = MakeRecords(3, 50);
  const Records all = Concat(main, journal);
  auto setup = [&](const std::filesystem::path& dir) {
    WriteLibraryFiles(dir, main, &journal);
    ASSERT_TRUE(text::WriteLines(dir / "word.ind", text::Lines(13001)).ok());
  };
  auto archive = [](GlyphLibrary& library) { (void)library.ArchiveJournal(); };
  int total = 0;
  {
    TempDir dir;
    total = RunDying(1 << 30, setup, archive, dir);
  }
  ASSERT_GE(total, 5) << "five files are written";
  for (int budget = 0; budget <= total; ++budget) {
    TempDir dir;
    RunDying(budget, setup, archive, dir);
    const Records seen = Reload(dir.path());
    EXPECT_TRUE(Same(seen, all)) << "stopped after " << budget << " operations";
    const auto journal_left = ReadOrEmpty(dir / "newword.wrd").size();
    const auto main_on_disk = ReadOrEmpty(dir / "word.wrd").size();
    EXPECT_TRUE((journal_left == 3 && main_on_disk == 5) ||
                (journal_left == 0 && main_on_disk == 8))
        << "stopped after " << budget;
  }
}

TEST(CrashSafety, TeachingCutShortKeepsTheJournalFilesPaired) {
  const Records main = MakeRecords(4);
  auto setup = [&](const std::filesystem::path& dir) { WriteLibraryFiles(dir, main); };
  auto teach = [](GlyphLibrary& library) { (void)library.AddGlyph("new", Features(4321), 4321); };
  int total = 0;
  {
    TempDir dir;
    total = RunDying(1 << 30, setup, teach, dir);
  }
  for (int budget = 0; budget <= total; ++budget) {
    TempDir dir;
    RunDying(budget, setup, teach, dir);
    const Records seen = Reload(dir.path());
    EXPECT_TRUE(seen.texts.size() == 4 || (seen.texts.size() == 5 && seen.texts[4] == "new"))
        << "stopped after " << budget;
    EXPECT_EQ(ReadOrEmpty(dir / "newword.wrd").size(), ReadOrEmpty(dir / "newword.sts").size());
  }
}

TEST(CrashSafety, EditorSaveCutShortAnywhereGivesTheOldOrTheNewLibrary) {
  const Records main = MakeRecords(1200);
  const Records journal = MakeRecords(2, 5000);
  const Records before = Concat(main, journal);
  Records after = before;
  // Records 1100 and 500 are deleted, 700 gets a new text.
  after.texts[699] = "edited";
  after.texts.erase(after.texts.begin() + 1099);
  after.features.erase(after.features.begin() + 1099);
  after.texts.erase(after.texts.begin() + 499);
  after.features.erase(after.features.begin() + 499);
  auto setup = [&](const std::filesystem::path& dir) {
    WriteLibraryFiles(dir, main, &journal);
    std::filesystem::create_directories(dir / "wordbmp");
    for (const char* name : {"100", "101", "150", "202"}) {
      ASSERT_TRUE(text::WriteLines(dir / "wordbmp" / (std::string(name) + ".bmp"), {name}).ok());
    }
  };
  NumberedMessages messages;
  auto save = [&](GlyphLibrary& library) {
    FakeMessages port;
    port.default_answer = ports::Answer::kOk;
    LibraryEditor editor(library, messages, port);
    FakeEventPump pump;
    ASSERT_TRUE(editor.Open("", "", pump).ok());
    // Rows list records 203..1202.
    editor.ToggleDeleteMark(1100 - 203);
    editor.EditText(700 - 203, "edited");
    editor.ToggleDeleteMark(500 - 203);
    (void)editor.Save(pump);
  };
  int total = 0;
  {
    TempDir dir;
    total = RunDying(1 << 30, setup, save, dir);
    EXPECT_TRUE(Same(Reload(dir.path()), after));
    // Two deletions below them move the pictures of the old records 1101, 1150 and 1202 to
    // the names of their new numbers 1099, 1148 and 1200.
    EXPECT_EQ(ReadOrEmpty(dir / "wordbmp" / "099.bmp"), (text::Lines{"101"}));
    EXPECT_EQ(ReadOrEmpty(dir / "wordbmp" / "148.bmp"), (text::Lines{"150"}));
    EXPECT_EQ(ReadOrEmpty(dir / "wordbmp" / "200.bmp"), (text::Lines{"202"}));
    EXPECT_FALSE(std::filesystem::exists(dir / "wordbmp" / "100.bmp"));
  }
  for (int budget = 0; budget <= total; ++budget) {
    TempDir dir;
    RunDying(budget, setup, save, dir);
    const Records seen = Reload(dir.path());
    EXPECT_TRUE(Same(seen, before) || Same(seen, after)) << "stopped after " << budget;
  }
}

TEST(CrashSafety, MergeCutShortAnywhereWritesBothLibrariesOrNeither) {
  const Records own = MakeRecords(10);
  const Records journal = MakeRecords(2, 300);
  Records other = MakeRecords(8, 1000);
  other.texts.push_back("dup");  // the shape of own record 3: dropped
  other.features.push_back(own.features[2]);
  const Records before = Concat(own, journal);
  Records added = other;
  added.texts.pop_back();
  added.features.pop_back();
  const Records after = Concat(before, added);
  TempDir exchange;
  auto setup = [&](const std::filesystem::path& dir) {
    WriteLibraryFiles(dir, own, &journal);
    ASSERT_TRUE(text::WriteLines(exchange / "base.wrd", other.texts).ok());
    ASSERT_TRUE(text::WriteLines(exchange / "base.sts", other.features).ok());
  };
  NumberedMessages messages;
  auto merge = [&](GlyphLibrary& library) {
    auto source = OpenMergeSource(library, (exchange / "base.sts").string(), messages);
    ASSERT_TRUE(source.ok());
    FakeMessages port;
    port.default_answer = ports::Answer::kYes;
    FakeEventPump pump;
    (void)RunMerge(library, source.value(), pump, port, messages);
  };
  int total = 0;
  {
    TempDir dir;
    total = RunDying(1 << 30, setup, merge, dir);
  }
  for (int budget = 0; budget <= total; ++budget) {
    TempDir dir;
    RunDying(budget, setup, merge, dir);
    const Records seen = Reload(dir.path());
    const auto other_left = ReadOrEmpty(exchange / "base.wrd").size();
    const bool old_state = Same(seen, before) && other_left == 9;
    const bool new_state = Same(seen, after) && other_left == 0;
    EXPECT_TRUE(old_state || new_state) << "stopped after " << budget;
  }
}

}  // namespace
}  // namespace library

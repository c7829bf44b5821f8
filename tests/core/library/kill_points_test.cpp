// Every multi-file write of the library killed, and failed, at each of its file steps in turn
// (each write of a file's bytes, each rename, each deletion): the next load must hold exactly
// the records before or after the write, never a mix, a loss or a duplicate, leave no hidden
// temporary behind, and pass the check.
#include "support/kill_points.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "library/glyph_library.h"
#include "library/library_check.h"
#include "library/library_editor.h"
#include "library/library_export.h"
#include "library/library_merge.h"
#include "library_fixture.h"
#include "support/fake_ports.h"

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
using testing_support::KillPointReport;
using testing_support::TryEveryKillPoint;

Records Concat(const Records& a, const Records& b) {
  Records all = a;
  all.texts.insert(all.texts.end(), b.texts.begin(), b.texts.end());
  all.features.insert(all.features.end(), b.features.begin(), b.features.end());
  return all;
}

bool Same(const Records& a, const Records& b) {
  return a.texts == b.texts && a.features == b.features;
}

// Hidden files of the folder: temporaries of writes that never reached their rename.
int HiddenFiles(const std::filesystem::path& folder) {
  int hidden = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    hidden += entry.path().filename().string().front() == '.' ? 1 : 0;
  }
  return hidden;
}

// What the next start-up sees, loaded twice (a second start-up must not repeat the journal),
// with the check run over it. Empty texts when a load fails.
struct NextLoad {
  bool whole = false;
  Records records;
};
NextLoad LoadAndCheck(const std::filesystem::path& folder, const std::string& cut) {
  NextLoad next;
  ports::NullEventPump pump;
  NumberedMessages messages;
  for (int start = 0; start < 2; ++start) {
    GlyphLibrary library(folder);
    auto loaded = library.Load(pump);
    if (!loaded.ok()) {
      ADD_FAILURE() << cut << ": " << loaded.error().message;
      return next;
    }
    const Records records{library.Contents().texts, library.Contents().features};
    if (start == 1 && !Same(records, next.records)) {
      ADD_FAILURE() << cut << ": a second start-up saw other records";
      return next;
    }
    next.records = records;
    const CheckReport report = CheckLibrary(library, messages, pump);
    if (report.problem) {
      ADD_FAILURE() << cut << ": the check found a problem";
      return next;
    }
  }
  if (HiddenFiles(folder) != 0 || std::filesystem::exists(folder / kCommitRecordName)) {
    ADD_FAILURE() << cut << ": a temporary or the commit record outlived the load";
    return next;
  }
  next.whole = true;
  return next;
}

void Print(const char* write, const KillPointReport& report) {
  std::printf(
      "%s: %d file steps; %d kill points and %d failed steps tried, %d of %d runs left "
      "the library whole\n",
      write, report.steps, report.kills, report.failures, report.whole_after,
      report.kills + report.failures + 1);
}

void ExpectEveryRunWhole(const char* write, const KillPointReport& report) {
  Print(write, report);
  EXPECT_GT(report.steps, 0) << write;
  EXPECT_EQ(report.kills, report.steps) << write;
  EXPECT_EQ(report.whole_after, report.kills + report.failures + 1) << write;
}

TEST(KillPoints, Archiving) {
  const Records main = MakeRecords(5);
  const Records journal = MakeRecords(3, 50);
  const Records all = Concat(main, journal);
  const auto report = TryEveryKillPoint(
      [&](const std::filesystem::path& dir) {
        WriteLibraryFiles(dir, main, &journal);
        ASSERT_TRUE(text::WriteLines(dir / "word.ind", text::Lines(13001)).ok());
      },
      [](const std::filesystem::path& dir) {
        ports::NullEventPump pump;
        GlyphLibrary library(dir);
        if (library.Load(pump).ok()) {
          (void)library.ArchiveJournal();
        }
      },
      [&](const std::filesystem::path& dir, const std::string& cut) {
        const auto next = LoadAndCheck(dir, cut);
        const auto journal_left = ReadOrEmpty(dir / "newword.wrd").size();
        const auto archived = ReadOrEmpty(dir / "word.wrd").size();
        const bool on_disk =
            (journal_left == 3 && archived == 5) || (journal_left == 0 && archived == 8);
        EXPECT_TRUE(on_disk) << cut;
        EXPECT_TRUE(Same(next.records, all)) << cut;
        return next.whole && on_disk && Same(next.records, all);
      });
  ExpectEveryRunWhole("archiving the journal", report);
}

TEST(KillPoints, TheJournalOfATeaching) {
  const Records main = MakeRecords(4);
  Records after = main;
  after.texts.push_back("new");
  after.features.push_back(Features(4321));
  const auto report =
      TryEveryKillPoint([&](const std::filesystem::path& dir) { WriteLibraryFiles(dir, main); },
                        [](const std::filesystem::path& dir) {
                          ports::NullEventPump pump;
                          GlyphLibrary library(dir);
                          if (library.Load(pump).ok()) {
                            (void)library.AddGlyph("new", Features(4321), 4321);
                          }
                        },
                        [&](const std::filesystem::path& dir, const std::string& cut) {
                          const auto next = LoadAndCheck(dir, cut);
                          const bool either = Same(next.records, main) || Same(next.records, after);
                          EXPECT_TRUE(either) << cut;
                          return next.whole && either;
                        });
  ExpectEveryRunWhole("the journal of a teaching", report);
}

TEST(KillPoints, TheJournalOfATaughtPage) {
  const Records main = MakeRecords(4);
  const Records journal = MakeRecords(2, 70);
  const Records before = Concat(main, journal);
  Records after = before;
  const std::vector<GlyphLibrary::NewGlyph> page = {
      {"p1", Features(4321), 4321}, {"p2", Features(4321, 5), 4321}, {"p3", Features(17), 17}};
  for (const auto& glyph : page) {
    after.texts.push_back(glyph.text);
    after.features.push_back(glyph.feature_line);
  }
  const auto report = TryEveryKillPoint(
      [&](const std::filesystem::path& dir) { WriteLibraryFiles(dir, main, &journal); },
      [&](const std::filesystem::path& dir) {
        ports::NullEventPump pump;
        GlyphLibrary library(dir);
        if (library.Load(pump).ok()) {
          (void)library.AddGlyphs(page);
        }
      },
      [&](const std::filesystem::path& dir, const std::string& cut) {
        const auto next = LoadAndCheck(dir, cut);
        const bool either = Same(next.records, before) || Same(next.records, after);
        EXPECT_TRUE(either) << cut;
        return next.whole && either;
      });
  ExpectEveryRunWhole("the journal of a taught page", report);
}

TEST(KillPoints, TheEditorsSave) {
  const Records main = MakeRecords(30);
  const Records journal = MakeRecords(2, 500);
  const Records before = Concat(main, journal);
  Records after = before;
  after.texts[9] = "edited";
  after.texts.erase(after.texts.begin() + 19);
  after.features.erase(after.features.begin() + 19);
  NumberedMessages messages;
  const auto report = TryEveryKillPoint(
      [&](const std::filesystem::path& dir) {
        WriteLibraryFiles(dir, main, &journal);
        std::filesystem::create_directories(dir / "wordbmp");
        ASSERT_TRUE(text::WriteLines(dir / "wordbmp" / "25.bmp", {"25"}).ok());
      },
      [&](const std::filesystem::path& dir) {
        FakeEventPump pump;
        GlyphLibrary library(dir);
        if (!library.Load(pump).ok()) {
          return;
        }
        FakeMessages port;
        port.default_answer = ports::Answer::kOk;
        LibraryEditor editor(library, messages, port);
        if (!editor.Open("", "", pump).ok()) {
          return;
        }
        // Rows list records 1..32: record 20 is deleted, record 10 gets a new text.
        editor.ToggleDeleteMark(19);
        editor.EditText(9, "edited");
        (void)editor.Save(pump);
      },
      [&](const std::filesystem::path& dir, const std::string& cut) {
        const auto next = LoadAndCheck(dir, cut);
        const bool either = Same(next.records, before) || Same(next.records, after);
        EXPECT_TRUE(either) << cut;
        return next.whole && either;
      });
  ExpectEveryRunWhole("the library editor's save", report);
}

TEST(KillPoints, Merge) {
  const Records own = MakeRecords(10);
  const Records journal = MakeRecords(2, 300);
  Records other = MakeRecords(6, 1000);
  other.texts.push_back("dup");  // the shape of own record 3: dropped
  other.features.push_back(own.features[2]);
  const Records before = Concat(own, journal);
  Records added = other;
  added.texts.pop_back();
  added.features.pop_back();
  const Records after = Concat(before, added);
  NumberedMessages messages;
  const auto report = TryEveryKillPoint(
      [&](const std::filesystem::path& dir) {
        WriteLibraryFiles(dir, own, &journal);
        std::filesystem::create_directories(dir / "exchange");
        ASSERT_TRUE(text::WriteLines(dir / "exchange" / "base.wrd", other.texts).ok());
        ASSERT_TRUE(text::WriteLines(dir / "exchange" / "base.sts", other.features).ok());
      },
      [&](const std::filesystem::path& dir) {
        FakeEventPump pump;
        GlyphLibrary library(dir);
        if (!library.Load(pump).ok()) {
          return;
        }
        auto source = OpenMergeSource(library, (dir / "exchange" / "base.sts").string(), messages);
        if (!source.ok()) {
          return;
        }
        FakeMessages port;
        port.default_answer = ports::Answer::kYes;
        (void)RunMerge(library, source.value(), pump, port, messages);
      },
      [&](const std::filesystem::path& dir, const std::string& cut) {
        const auto next = LoadAndCheck(dir, cut);
        const auto other_left = ReadOrEmpty(dir / "exchange" / "base.wrd").size();
        const auto other_features = ReadOrEmpty(dir / "exchange" / "base.sts").size();
        const bool old_state = Same(next.records, before) && other_left == 7 && other_features == 7;
        const bool new_state = Same(next.records, after) && other_left == 0 && other_features == 0;
        EXPECT_TRUE(old_state || new_state) << cut;
        // The next merge from that folder clears what a killed write left there.
        RealFileLayer files;
        EXPECT_TRUE(FinishExchangePair(files, dir / "exchange" / "base").ok()) << cut;
        EXPECT_EQ(HiddenFiles(dir / "exchange"), 0) << cut;
        return next.whole && (old_state || new_state);
      });
  ExpectEveryRunWhole("merge", report);
}

TEST(KillPoints, ExportOverAnOlderPair) {
  const Records own = MakeRecords(12);
  const Records older = MakeRecords(3, 700);  // the same length as the new export
  Records newer;
  newer.texts.assign(own.texts.begin() + 4, own.texts.begin() + 7);
  newer.features.assign(own.features.begin() + 4, own.features.begin() + 7);
  NumberedMessages messages;
  const auto report = TryEveryKillPoint(
      [&](const std::filesystem::path& dir) {
        WriteLibraryFiles(dir, own);
        std::filesystem::create_directories(dir / "exchange");
        ASSERT_TRUE(text::WriteLines(dir / "exchange" / "base.wrd", older.texts).ok());
        ASSERT_TRUE(text::WriteLines(dir / "exchange" / "base.sts", older.features).ok());
      },
      [&](const std::filesystem::path& dir) {
        FakeEventPump pump;
        GlyphLibrary library(dir);
        if (!library.LoadReadOnly(pump).ok()) {
          return;
        }
        FakeMessages port;
        port.default_answer = ports::Answer::kYes;
        (void)ExportRecords(library, "5", "7", (dir / "exchange" / "base.sts").string(), pump, port,
                            messages);
      },
      [&](const std::filesystem::path& dir, const std::string& cut) {
        // The next reader of the pair is a merge: it must see one export or the other.
        const auto next = LoadAndCheck(dir, cut);
        GlyphLibrary library(dir);
        ports::NullEventPump pump;
        EXPECT_TRUE(library.LoadReadOnly(pump).ok());
        auto source = OpenMergeSource(library, (dir / "exchange" / "base.sts").string(), messages);
        if (!source.ok()) {
          ADD_FAILURE() << cut << ": " << source.error().message;
          return false;
        }
        const Records pair{source.value().texts, source.value().features};
        const bool either = Same(pair, older) || Same(pair, newer);
        EXPECT_TRUE(either) << cut << ": the pair mixes two exports";
        EXPECT_EQ(HiddenFiles(dir / "exchange"), 0) << cut;
        EXPECT_FALSE(std::filesystem::exists(dir / "exchange" / kCommitRecordName)) << cut;
        return next.whole && either && Same(next.records, own);
      });
  ExpectEveryRunWhole("export", report);
}

}  // namespace
}  // namespace library

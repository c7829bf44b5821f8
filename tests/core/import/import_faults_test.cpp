// Damaged and unusual disc streams the import must report rather than import wrongly (a cut
// stream, an index pointing beside its pictures, undefined colours, no stop time), and the
// import's output folder cut at every file step of an overwriting import.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "import/disc_import.h"
#include "support/disc_streams.h"
#include "support/fake_ports.h"
#include "support/file_size_limit.h"
#include "support/kill_points.h"
#include "support/temp_dir.h"

namespace import_tests {
namespace {

namespace fs = std::filesystem;
using testing_support::PgsPicture;
using testing_support::TempDir;
using testing_support::VobSubPicture;

// `count` PGS pictures of synthetic text, one a second, each shown for 800 ms.
std::vector<PgsPicture> PgsPictures(int count, int width = 160, int height = 40) {
  std::vector<PgsPicture> pictures;
  for (int i = 0; i < count; ++i) {
    PgsPicture picture;
    picture.start = 1000 + 1000 * i;
    picture.end = picture.start + 800;
    picture.x = 100;
    picture.y = 900;
    picture.width = width;
    picture.height = height;
    picture.palette = testing_support::SyntheticPalette();
    picture.pixels = testing_support::SyntheticSubtitle(width, height, 300 + i);
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

std::string PgsSup(int count) {
  return testing_support::SupFile(testing_support::PgsDisplaySets(PgsPictures(count)));
}

// `count` VobSub pictures, one every two seconds, shown `duration` ms (< 0: stop date 0xFFFF).
std::vector<VobSubPicture> VobSubPictures(int count, std::int64_t duration) {
  std::vector<VobSubPicture> pictures;
  for (int i = 0; i < count; ++i) {
    VobSubPicture picture;
    picture.start = 2000 * (i + 1);
    picture.duration = duration;
    picture.x = 40;
    picture.y = 400;
    picture.width = 60;
    picture.height = 20;
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const bool stroke = (x / 6 + i) % 3 == 0 && y > 3 && y < 16;
        picture.pixels.push_back(stroke ? 1 : (x + y) % 7 == 0 ? 2 : 0);
      }
    }
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

const std::vector<std::uint32_t> kPalette = {0x000000, 0xFFFFFF, 0x000000, 0xC0C0C0};

bool Contains(const std::string& text, const std::string& words) {
  return text.find(words) != std::string::npos;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& line : lines) {
    all += line + "\n";
  }
  return all;
}

// Every file under `folder` with its bytes, by its path inside it.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) {
    return files;
  }
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) {
      continue;
    }
    std::FILE* file = std::fopen(entry.path().c_str(), "rb");
    std::string bytes;
    char buffer[65536];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
      bytes.append(buffer, got);
    }
    std::fclose(file);
    files[fs::relative(entry.path(), folder).string()] = bytes;
  }
  return files;
}

std::vector<std::string> HiddenEntries(const fs::path& folder) {
  std::vector<std::string> hidden;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().string().front() == '.') {
      hidden.push_back(entry.path().filename().string());
    }
  }
  return hidden;
}

// A process id that no process has: above any pid_max.
constexpr long kGonePid = 2147483000;

// The film folder of the overwrite tests: film.sup (5 pictures) imported with outline ink into
// out/, with a file of the user's beside the pictures; `leftovers` adds what killed imports of
// gone processes leave.
void OldImport(const fs::path& dir, bool leftovers) {
  std::FILE* sup = std::fopen((dir / "film.sup").c_str(), "wb");
  const std::string bytes = PgsSup(5);
  std::fwrite(bytes.data(), 1, bytes.size(), sup);
  std::fclose(sup);
  import::ImportOptions options;
  options.ink.mode = import::InkMode::kOutline;
  ports::NullEventPump pump;
  ASSERT_TRUE(import::ImportDiscSubtitles(dir / "film.sup", dir / "out", options, pump).ok());
  std::FILE* notes = std::fopen((dir / "out" / "notes.txt").c_str(), "wb");
  std::fputs("mine", notes);
  std::fclose(notes);
  if (leftovers) {
    for (const char* tag : {".import-", ".old-"}) {
      const fs::path left = dir / (".out" + std::string(tag) + std::to_string(kGonePid));
      fs::create_directory(left);
      std::FILE* part = std::fopen((left / "0001.bmp").c_str(), "wb");
      std::fputs("half", part);
      std::fclose(part);
    }
  }
}

// The new import over it: film.sup again with auto ink, 3 of its pictures.
void NewImport(const fs::path& dir) {
  import::ImportOptions options;
  options.overwrite = true;
  options.last = 3;
  ports::NullEventPump pump;
  (void)import::ImportDiscSubtitles(dir / "film.sup", dir / "out", options, pump);
}

void ExpectWholeAtEveryKillPoint(bool leftovers) {
  std::map<std::string, std::string> before;
  std::map<std::string, std::string> after;
  {
    TempDir dir;
    OldImport(dir.path(), leftovers);
    before = Snapshot(dir / "out");
    NewImport(dir.path());
    after = Snapshot(dir / "out");
  }
  ASSERT_NE(before, after);
  ASSERT_EQ(after.count("notes.txt"), 1u);  // the user's file stays
  const auto report = testing_support::TryEveryKillPoint(
      [&](const fs::path& dir) { OldImport(dir, leftovers); }, NewImport,
      [&](const fs::path& dir, const std::string& cut) {
        // The next import to the same place recovers first.
        EXPECT_TRUE(import::RecoverInterruptedImports(dir / "out").ok()) << cut;
        const auto now = Snapshot(dir / "out");
        const auto hidden = HiddenEntries(dir);
        EXPECT_TRUE(now == before || now == after)
            << cut << ": " << now.size() << " files, neither the old nor the new import";
        EXPECT_TRUE(hidden.empty()) << cut << ": " << hidden.front();
        return (now == before || now == after) && hidden.empty();
      });
  std::printf("overwriting import%s: %d file steps, %d of %d runs whole\n",
              leftovers ? " with leftovers" : "", report.steps, report.whole_after,
              report.kills + report.failures + 1);
  // Three bitmaps, the SRT's write and rename, the two renames of the swap, the old folder's
  // removal (and the two leftovers' removals).
  EXPECT_EQ(report.steps, leftovers ? 10 : 8);
  EXPECT_EQ(report.whole_after, report.kills + report.failures + 1);
}

TEST(ImportKillPoints, AnOverwritingImportLeavesTheOldOrTheNewFolderWhole) {
  ExpectWholeAtEveryKillPoint(false);
}

TEST(ImportKillPoints, LeftoversOfKilledImportsGoAtTheNextImport) {
  ExpectWholeAtEveryKillPoint(true);
}

TEST(ImportLeftovers, OnlyThoseOfGoneProcessesAreTouchedAndAMissingFolderComesBack) {
  TempDir dir;
  OldImport(dir.path(), false);
  const auto old = Snapshot(dir / "out");
  // Killed between the swap's renames: the old folder is aside and out/ is missing.
  fs::rename(dir / "out", dir / (".out.old-" + std::to_string(kGonePid)));
  // Folders of a living process (pid 1) and of another output folder stay.
  for (const std::string name : {".out.import-1", ".out.old-1", ".outer.import-2147483000"}) {
    fs::create_directory(dir / name);
  }
  ASSERT_TRUE(import::RecoverInterruptedImports(dir / "out").ok());
  EXPECT_EQ(Snapshot(dir / "out"), old);
  std::vector<std::string> hidden = HiddenEntries(dir.path());
  std::sort(hidden.begin(), hidden.end());
  EXPECT_EQ(hidden,
            (std::vector<std::string>{".out.import-1", ".out.old-1", ".outer.import-2147483000"}));
}

// A Matroska file cut in half, a cut .sup and a VobSub .sub missing its last pictures: refused
// naming the last picture read, or with allow_partial imported up to it with a warning.
TEST(StreamEndingEarly, IsRefusedOrWithAllowPartialImportedWithAWarning) {
  TempDir dir;
  const auto sets = testing_support::PgsDisplaySets(PgsPictures(20));
  const std::string mkv = testing_support::MatroskaWithPgs({sets}, std::vector<std::string>{"eng"});
  dir.Write("half.mkv", mkv.substr(0, mkv.size() / 2));
  const std::string sup = PgsSup(20);
  dir.Write("cut.sup", sup.substr(0, sup.size() / 2));
  const auto vobsub = testing_support::VobSubStream(VobSubPictures(6, 1000), kPalette);
  dir.Write("cut.idx", vobsub.idx);
  dir.Write("cut.sub", vobsub.sub.substr(0, vobsub.sub.size() - 2 * 2048));
  const struct {
    const char* file;
    const char* why;
    int read;  // pictures before the end
  } cases[] = {
      {"half.mkv", "the file is cut", 0},
      {"cut.sup", "display set", 0},
      {"cut.idx", "the index lists 6, the .sub file holds 4", 4},
  };
  for (const auto& c : cases) {
    ports::NullEventPump pump;
    auto refused = import::ImportDiscSubtitles(dir / c.file, dir / "out", {}, pump);
    ASSERT_FALSE(refused.ok()) << c.file;
    EXPECT_EQ(refused.error().code, "partial") << refused.error().message;
    EXPECT_TRUE(Contains(refused.error().message, c.why)) << refused.error().message;
    EXPECT_TRUE(Contains(refused.error().message, "the last picture read is picture"))
        << refused.error().message;
    EXPECT_FALSE(fs::exists(dir / "out")) << c.file;

    import::ImportOptions options;
    options.allow_partial = true;
    auto partial = import::ImportDiscSubtitles(dir / c.file, dir / "out", options, pump);
    ASSERT_TRUE(partial.ok()) << partial.error().message;
    const int pictures = partial.value().pictures;
    EXPECT_GT(pictures, 0) << c.file;
    EXPECT_LT(pictures, c.read > 0 ? c.read + 1 : 20) << c.file;
    if (c.read > 0) {
      EXPECT_EQ(pictures, c.read) << c.file;
    }
    ASSERT_EQ(partial.value().warnings.size(), 1u) << c.file;
    EXPECT_TRUE(Contains(partial.value().warnings[0],
                         "imported up to picture " + std::to_string(pictures) + " ("))
        << partial.value().warnings[0];
    fs::remove_all(dir / "out");
  }
  // The whole Matroska file is no partial stream.
  dir.Write("whole.mkv", mkv);
  ports::NullEventPump pump;
  auto whole = import::ImportDiscSubtitles(dir / "whole.mkv", dir / "out", {}, pump);
  ASSERT_TRUE(whole.ok()) << whole.error().message;
  EXPECT_EQ(whole.value().pictures, 20);
  EXPECT_TRUE(whole.value().warnings.empty()) << Joined(whole.value().warnings);
}

// An index whose entry does not point at its picture, or whose time is no time, is refused
// naming the entry; before, picture 1 took another entry's time without a word.
TEST(VobSubIndex, EntriesThatDoNotFitTheirPicturesAreRefusedByNumber) {
  TempDir dir;
  const auto vobsub = testing_support::VobSubStream(VobSubPictures(4, 1000), kPalette);
  const struct {
    const char* from;
    const char* to;
    const char* words;
  } cases[] = {
      {"filepos: 000001000", "filepos: 000001001", "track 1, entry 3 (timestamp 00:00:06:000)"},
      {"filepos: 000000000", "filepos: -00000001", "track 1, entry 1 (timestamp 00:00:02:000)"},
      {"timestamp: 00:00:08:000", "timestamp: 99:99:99:999",
       "entry 4 (timestamp 99:99:99:999): not a time"},
  };
  for (const auto& c : cases) {
    std::string idx = vobsub.idx;
    const std::size_t at = idx.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.from << "\n" << idx;
    idx.replace(at, std::string(c.from).size(), c.to);
    dir.Write("movie.idx", idx);
    dir.Write("movie.sub", vobsub.sub);
    ports::NullEventPump pump;
    import::ImportOptions options;
    options.allow_partial = true;
    auto imported = import::ImportDiscSubtitles(dir / "movie.idx", dir / "out", options, pump);
    ASSERT_FALSE(imported.ok()) << c.to;
    EXPECT_TRUE(Contains(imported.error().message, c.words)) << imported.error().message;
    EXPECT_FALSE(fs::exists(dir / "out"));
  }
}

// A picture shown past 99:59:59,999 cannot be written as a subtitle time; it was written as
// "100:00:00,000".
TEST(DiscTimes, APictureShownPastTheLastSubtitleTimeIsRefused) {
  TempDir dir;
  auto pictures = PgsPictures(2);
  pictures[1].start = import::kLastSrtTime - 400;  // 99:59:59,599, shown 800 ms
  pictures[1].end = pictures[1].start + 800;
  dir.Write("late.mkv",
            testing_support::MatroskaWithPgs({testing_support::PgsDisplaySets(pictures)},
                                             std::vector<std::string>{}));
  ports::NullEventPump pump;
  auto late = import::ImportDiscSubtitles(dir / "late.mkv", dir / "out", {}, pump);
  ASSERT_FALSE(late.ok());
  EXPECT_TRUE(Contains(late.error().message,
                       "late.mkv: display set 3: shown until 100 hours, "
                       "past 99:59:59,999"))
      << late.error().message;
  EXPECT_FALSE(fs::exists(dir / "out"));
  // Up to the last time itself is written.
  pictures[1].end = import::kLastSrtTime;
  dir.Write("last.mkv",
            testing_support::MatroskaWithPgs({testing_support::PgsDisplaySets(pictures)},
                                             std::vector<std::string>{}));
  auto last = import::ImportDiscSubtitles(dir / "last.mkv", dir / "out", {}, pump);
  ASSERT_TRUE(last.ok()) << last.error().message;
  EXPECT_TRUE(Contains(dir.Read("out/last.srt"), "99:59:59,599 --> 99:59:59,999"));
}

// Real streams leave palette entries undefined and VobSub stop times open, and a .sub may come
// without its index: each imports, with a warning where it is not as it should be.
TEST(DiscQuirks, UndefinedColoursOpenStopTimesAndASubWithoutItsIndex) {
  TempDir dir;
  auto pictures = PgsPictures(3);
  pictures[1].pixels[500] = 255;  // not among the palette's ids
  pictures[2].pixels[600] = 255;
  dir.Write("holes.sup", testing_support::SupFile(testing_support::PgsDisplaySets(pictures)));
  ports::NullEventPump pump;
  auto holes = import::ImportDiscSubtitles(dir / "holes.sup", dir / "holes", {}, pump);
  ASSERT_TRUE(holes.ok()) << holes.error().message;
  EXPECT_EQ(holes.value().pictures, 3);
  ASSERT_EQ(holes.value().warnings.size(), 1u) << Joined(holes.value().warnings);  // told once
  EXPECT_TRUE(Contains(holes.value().warnings[0],
                       "display set 3: palette index 255 is not in "
                       "the palette; it is read as transparent"))
      << holes.value().warnings[0];

  // Stop date 0xFFFF: each picture lasts until the next; the last one kDefaultLastDuration.
  const auto open = testing_support::VobSubStream(VobSubPictures(3, -1), kPalette);
  dir.Write("open.idx", open.idx);
  dir.Write("open.sub", open.sub);
  auto opened = import::ImportDiscSubtitles(dir / "open.idx", dir / "open", {}, pump);
  ASSERT_TRUE(opened.ok()) << opened.error().message;
  EXPECT_EQ(dir.Read("open/open.srt"),
            "1\r\n00:00:02,000 --> 00:00:04,000\r\n0001.bmp\r\n\r\n"
            "2\r\n00:00:04,000 --> 00:00:06,000\r\n0002.bmp\r\n\r\n"
            "3\r\n00:00:06,000 --> 00:00:09,000\r\n0003.bmp\r\n\r\n");
  EXPECT_TRUE(opened.value().warnings.empty()) << Joined(opened.value().warnings);
  // The same through the import that writes nothing (the fuzz target's).
  auto in_memory = import::ImportFromFile(dir / "open.idx", {});
  ASSERT_TRUE(in_memory.ok()) << in_memory.error().message;
  ASSERT_EQ(in_memory.value().size(), 3u);
  EXPECT_EQ(in_memory.value()[2].start, 6000);
  EXPECT_EQ(in_memory.value()[2].end, 9000);

  // The .sub alone: its pictures, and a word that the palette and times are guessed.
  dir.Write("alone.sub", open.sub);
  auto alone = import::ImportDiscSubtitles(dir / "alone.sub", dir / "alone", {}, pump);
  ASSERT_TRUE(alone.ok()) << alone.error().message;
  EXPECT_EQ(alone.value().pictures, 3);
  ASSERT_EQ(alone.value().warnings.size(), 1u) << Joined(alone.value().warnings);
  EXPECT_TRUE(Contains(alone.value().warnings[0],
                       "alone.sub: VobSub pictures read without their "
                       "index (.idx)"))
      << alone.value().warnings[0];
}

// The real disc samples of the shared corpus (beside the subtitle corpus), found by the end of
// their names; skipped where the corpus is missing.
fs::path DiscSample(const std::string& ending) {
  const fs::path corpus = fs::path(ZENTROPE_CORPUS_DIR).parent_path() / "disc";
  std::error_code error;
  for (fs::directory_iterator it(corpus, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.size() >= ending.size() &&
        name.compare(name.size() - ending.size(), ending.size(), ending) == 0) {
      return it->path();
    }
  }
  return {};
}

TEST(DiscQuirks, RealSamplesImportAsTheirStreamsSay) {
  const fs::path multi = DiscSample("_BDSUP_multi_image.sup");
  const fs::path open = DiscSample("_MKV_ffmpeg_VobSub_no_duration.mkv");
  const fs::path alone = DiscSample("_VodSub_stuffingBytes.sub");
  if (multi.empty() || open.empty() || alone.empty()) {
    GTEST_SKIP() << "no disc samples beside " << ZENTROPE_CORPUS_DIR;
  }
  TempDir dir;
  ports::NullEventPump pump;
  // Palette index 255 in a 254-entry palette was refused; its last display set has no end
  // segment, so the stream ends early after its one whole picture.
  auto refused = import::ImportDiscSubtitles(multi, dir / "multi", {}, pump);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().code, "partial") << refused.error().message;
  import::ImportOptions partial;
  partial.allow_partial = true;
  auto imported = import::ImportDiscSubtitles(multi, dir / "multi", partial, pump);
  ASSERT_TRUE(imported.ok()) << imported.error().message;
  EXPECT_EQ(imported.value().pictures, 1);
  const std::string warnings = Joined(imported.value().warnings);
  EXPECT_TRUE(Contains(warnings, "display set 2: palette index 255 is not in the palette"))
      << warnings;
  EXPECT_TRUE(Contains(warnings, "display set 3: the stream is truncated")) << warnings;

  // Stop date 0xFFFF gave every picture 745.6 s.
  auto until_next = import::ImportFromFile(open, {});
  ASSERT_TRUE(until_next.ok()) << until_next.error().message;
  ASSERT_EQ(until_next.value().size(), 5u);
  for (std::size_t i = 0; i + 1 < until_next.value().size(); ++i) {
    EXPECT_EQ(until_next.value()[i].end, until_next.value()[i + 1].start) << i;
  }
  EXPECT_EQ(until_next.value()[4].end, until_next.value()[4].start + import::kDefaultLastDuration);

  auto without_index = import::ImportDiscSubtitles(alone, dir / "alone", {}, pump);
  ASSERT_TRUE(without_index.ok()) << without_index.error().message;
  ASSERT_EQ(without_index.value().warnings.size(), 1u);
  EXPECT_TRUE(Contains(without_index.value().warnings[0], "read without their index (.idx)"));
}

TEST(DiscQuirks, TracksKeepTheirNamesAndFlags) {
  TempDir dir;
  const auto sets = testing_support::PgsDisplaySets(PgsPictures(2));
  dir.Write("named.mkv", testing_support::MatroskaWithTaggedPgs(
                             {sets, sets}, std::vector<testing_support::MatroskaTrackTags>{
                                               {"chi", "简体中文", true, false},
                                               {"chi", "繁體中文", false, true}}));
  auto tracks = import::ListTracks(dir / "named.mkv");
  ASSERT_TRUE(tracks.ok()) << tracks.error().message;
  ASSERT_EQ(tracks.value().size(), 2u);
  EXPECT_EQ(tracks.value()[0].title, "简体中文");
  EXPECT_EQ(tracks.value()[1].title, "繁體中文");
  EXPECT_TRUE(tracks.value()[0].default_track);
  EXPECT_FALSE(tracks.value()[0].forced);
  EXPECT_FALSE(tracks.value()[1].default_track);
  EXPECT_TRUE(tracks.value()[1].forced);
}

// Where the input or the output is not what a file should be, the message says what it is.
TEST(DiscImportMessages, SayWhatTheInputIsAndWhyAWriteFailed) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "pipe.sup").c_str(), 0600), 0);
  ports::NullEventPump pump;
  auto piped = import::ImportDiscSubtitles(dir / "pipe.sup", dir / "out", {}, pump);
  ASSERT_FALSE(piped.ok());
  EXPECT_TRUE(Contains(piped.error().message, "pipe.sup: is a named pipe (FIFO)"))
      << piped.error().message;
  fs::create_directory(dir / "folder.sup");
  auto folder = import::ImportDiscSubtitles(dir / "folder.sup", dir / "out", {}, pump);
  ASSERT_FALSE(folder.ok());
  EXPECT_TRUE(Contains(folder.error().message, "folder.sup: is a folder"))
      << folder.error().message;

  // A full disk: the bitmaps cannot grow beyond 100 bytes.
  dir.Write("film.sup", PgsSup(2));
  text::Result<import::ImportReport> full = text::Error{};
  {
    testing_support::FileSizeLimit limit(100);
    full = import::ImportDiscSubtitles(dir / "film.sup", dir / "out", {}, pump);
  }
  ASSERT_FALSE(full.ok());
  EXPECT_TRUE(Contains(full.error().message, "0001.bmp: cannot be written (File too large)"))
      << full.error().message;
  EXPECT_FALSE(fs::exists(dir / "out"));
  EXPECT_TRUE(HiddenEntries(dir.path()).empty());
}

}  // namespace
}  // namespace import_tests

// Tests of reading PGS, VobSub and Matroska streams made by the test writers, the import into a
// folder, and every kind of bad input.
#include "import/disc_import.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "import/bmp_writer.h"
#include "import_test_support.h"
#include "ocr/bitmap_reader.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"

namespace import_tests {
namespace {

namespace fs = std::filesystem;
using testing_support::PgsPicture;
using testing_support::TempDir;

bool IsFill(PixelRole role) {
  return role == PixelRole::kFill || role == PixelRole::kLightBlend;
}

// Three pictures of synthetic text; the second is forced and has no clearing set (the third
// ends it), and an empty display set (only a halo) lies between the first and the second.
struct Sample {
  std::vector<PgsPicture> pictures;
  std::vector<std::vector<std::uint8_t>> roles;  // of the pictures that show something
};

Sample PgsSample(int width = 320, int height = 64) {
  Sample sample;
  const std::int64_t times[][2] = {{1000, 2500}, {3000, 4000}, {4000, -1}, {4200, 6789}};
  for (int i = 0; i < 4; ++i) {
    PgsPicture picture;
    picture.start = times[i][0];
    picture.end = times[i][1];
    picture.x = 100 + 10 * i;
    picture.y = 900 + i;
    picture.width = width;
    picture.height = height;
    picture.palette = testing_support::SyntheticPalette();
    if (i == 1) {
      picture.pixels.assign(static_cast<std::size_t>(width) * height,
                            static_cast<std::uint8_t>(PixelRole::kHalo));
    } else {
      picture.pixels = testing_support::SyntheticSubtitle(width, height, 100 + i);
      sample.roles.push_back(picture.pixels);
    }
    picture.forced = i == 2;
    sample.pictures.push_back(std::move(picture));
  }
  return sample;
}

std::string SampleSup() {
  return testing_support::SupFile(testing_support::PgsDisplaySets(PgsSample().pictures));
}

void ExpectSampleTimes(const std::vector<import::ImportedPicture>& pictures) {
  ASSERT_EQ(pictures.size(), 3u);
  const std::int64_t expected[][2] = {{1000, 2500}, {4000, 4200}, {4200, 6789}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(pictures[i].start, expected[i][0]) << i;
    EXPECT_EQ(pictures[i].end, expected[i][1]) << i;
    EXPECT_EQ(pictures[i].forced, i == 1) << i;
  }
}

TEST(PgsImport, ThresholdGivesExactlyTheOpaquePixelsAtOrAboveIt) {
  const Sample sample = PgsSample();
  const std::string sup = SampleSup();
  for (const int threshold : {1, 50, 128, 220}) {
    import::ImportOptions options;
    options.ink.threshold = threshold;
    auto imported = import::ImportFromMemory(sup, "sample.sup", options);
    ASSERT_TRUE(imported.ok()) << imported.error().message;
    ExpectSampleTimes(imported.value());
    for (std::size_t i = 0; i < imported.value().size(); ++i) {
      const auto expected = ExpectedInk(sample.roles[i], 320, 64, [threshold](PixelRole role) {
        return testing_support::RoleIsOpaque(role) &&
               testing_support::RoleLuminance(role) >= threshold;
      });
      EXPECT_EQ(DifferingPixels(imported.value()[i].picture, expected), 0)
          << "threshold " << threshold << " picture " << i;
    }
  }
}

TEST(PgsImport, AutoInkIsTheFillOfEveryPicture) {
  const Sample sample = PgsSample();
  auto imported = import::ImportFromMemory(SampleSup(), "sample.sup", {});
  ASSERT_TRUE(imported.ok()) << imported.error().message;
  ExpectSampleTimes(imported.value());
  for (std::size_t i = 0; i < imported.value().size(); ++i) {
    EXPECT_EQ(imported.value()[i].ink_used, import::InkUsed::kFill);
    EXPECT_EQ(
        DifferingPixels(imported.value()[i].picture, ExpectedInk(sample.roles[i], 320, 64, IsFill)),
        0)
        << i;
  }
}

TEST(PgsImport, FirstAndLastChooseAmongTheShownPictures) {
  import::ImportOptions options;
  options.first = 2;
  options.last = 3;
  auto imported = import::ImportFromMemory(SampleSup(), "sample.sup", options);
  ASSERT_TRUE(imported.ok()) << imported.error().message;
  ASSERT_EQ(imported.value().size(), 2u);
  EXPECT_EQ(imported.value()[0].start, 4000);
  EXPECT_EQ(imported.value()[1].start, 4200);
  options.first = 4;
  options.last = 0;
  auto beyond = import::ImportFromMemory(SampleSup(), "sample.sup", options);
  ASSERT_FALSE(beyond.ok());
  EXPECT_EQ(beyond.error().code, "range");
}

// Palette ids far from the numbers the merged palette gives them (discs use any of 0-255) are
// renumbered: the pictures are those of the same stream with ids 0-6.
TEST(PgsImport, PaletteIdsAnywhereInTheRangeGiveTheSamePictures) {
  std::vector<PgsPicture> moved = PgsSample().pictures;
  const auto id_of = [](std::uint8_t role) {
    return static_cast<std::uint8_t>(role == 0 ? 0 : 250 - 30 * role);
  };
  for (PgsPicture& picture : moved) {
    for (std::uint8_t& pixel : picture.pixels) {
      pixel = id_of(pixel);
    }
    for (testing_support::PgsColour& colour : picture.palette) {
      colour.id = id_of(colour.id);
    }
  }
  const auto plain = import::ImportFromMemory(SampleSup(), "plain.sup", {});
  const auto renumbered = import::ImportFromMemory(
      testing_support::SupFile(testing_support::PgsDisplaySets(moved)), "moved.sup", {});
  ASSERT_TRUE(plain.ok()) << plain.error().message;
  ASSERT_TRUE(renumbered.ok()) << renumbered.error().message;
  ExpectSampleTimes(renumbered.value());
  ASSERT_EQ(renumbered.value().size(), plain.value().size());
  for (std::size_t i = 0; i < plain.value().size(); ++i) {
    EXPECT_EQ(renumbered.value()[i].ink_used, import::InkUsed::kFill) << i;
    EXPECT_EQ(DifferingPixels(renumbered.value()[i].picture, plain.value()[i].picture), 0) << i;
  }
}

// The sample's pictures on a frame of `video_width` x `video_height`.
std::string SampleSupOnVideo(int video_width, int video_height) {
  return testing_support::SupFile(
      testing_support::PgsDisplaySets(PgsSample().pictures, video_width, video_height));
}

// The sample's picture `i` as the decoder places it, inked with the fill.
import::InkPicture HalfSampleInk(const Sample& sample, std::size_t i){
    const std::size_t shown = i == 0 ? 0 : i + 1;  // the second display set shows nothing
import::SubtitleBitmap bitmap = BitmapOfRoles(sample.roles[i], 320, 64);
bitmap.x = sample.pictures[shown].x;
bitmap.y = sample.pictures[shown].y;
return import::RenderHalfInk(bitmap, import::ChooseInk(bitmap, {}));
}  // namespace

// UHD discs draw every glyph twice the size of a 1080p disc's: auto halves their pictures, and
// only theirs; 1 and 2 choose for every stream.
TEST(PgsImport, AutoHalvesThePicturesOfVideoWiderThan1080p) {
  const Sample sample = PgsSample();
  const struct {
    int video_width;
    int video_height;
    import::PictureScale scale;
    bool halved;
  } cases[] = {
      {3840, 2160, import::PictureScale::kAuto, true},
      {3840, 2160, import::PictureScale::kFull, false},
      {3840, 2160, import::PictureScale::kHalf, true},
      {1920, 1080, import::PictureScale::kAuto, false},
      {1920, 1080, import::PictureScale::kHalf, true},
      {1920, 1080, import::PictureScale::kFull, false},
  };
  for (const auto& c : cases) {
    import::ImportOptions options;
    options.scale = c.scale;
    auto imported = import::ImportFromMemory(SampleSupOnVideo(c.video_width, c.video_height),
                                             "sample.sup", options);
    ASSERT_TRUE(imported.ok()) << imported.error().message;
    ExpectSampleTimes(imported.value());
    for (std::size_t i = 0; i < imported.value().size(); ++i) {
      const import::ImportedPicture& picture = imported.value()[i];
      EXPECT_EQ(picture.halved, c.halved) << c.video_width << " " << i;
      const import::InkPicture full = ExpectedInk(sample.roles[i], 320, 64, IsFill);
      if (c.halved) {
        // Half the opaque area (one more block where it starts on an odd pixel) and the margin.
        EXPECT_LE(std::abs(picture.picture.width - (full.width + 2 * import::kCropMargin) / 2), 1);
        EXPECT_EQ(DifferingPixels(picture.picture, HalfSampleInk(sample, i)), 0) << i;
      } else {
        EXPECT_EQ(DifferingPixels(picture.picture, full), 0) << c.video_width << " " << i;
      }
    }
  }
}

TEST(PgsImport, PicturesKnowTheirVideoSize) {
  TempDir folder;
  const fs::path uhd = folder.Write("uhd.sup", SampleSupOnVideo(3840, 2160));
  auto pictures = import::ReadFirstPictures(uhd, 0, 3);
  ASSERT_TRUE(pictures.ok()) << pictures.error().message;
  for (const import::SubtitleBitmap& picture : pictures.value()) {
    EXPECT_EQ(picture.video_width, 3840);
    EXPECT_EQ(picture.video_height, 2160);
    EXPECT_TRUE(import::HalvesPicture(picture, import::PictureScale::kAuto));
    EXPECT_FALSE(import::HalvesPicture(picture, import::PictureScale::kFull));
  }
  import::SubtitleBitmap unknown;  // a stream that does not say: kept
  EXPECT_FALSE(import::HalvesPicture(unknown, import::PictureScale::kAuto));
  EXPECT_TRUE(import::HalvesPicture(unknown, import::PictureScale::kHalf));
}

// A picture wider than recognition reads is named in the report, which the import goes on past.
TEST(DiscImport, PicturesTooWideForRecognitionAreReported) {
  TempDir folder;
  std::vector<PgsPicture> pictures;
  const int widths[] = {2100, 800, 1991, 1992, 3800};  // 1992 + 2 * 4 margin = 2000
  for (int i = 0; i < 5; ++i) {
    PgsPicture picture;
    picture.start = 1000 * (i + 1);
    picture.end = picture.start + 500;
    picture.x = 20;
    picture.y = 1900;
    picture.width = widths[i];
    picture.height = 40;
    picture.palette = testing_support::SyntheticPalette();
    // Opaque from edge to edge, so that the crop keeps the whole width.
    picture.pixels.assign(static_cast<std::size_t>(picture.width) * picture.height,
                          static_cast<std::uint8_t>(PixelRole::kOutline));
    picture.pixels[static_cast<std::size_t>(picture.width) * 20 + 100] =
        static_cast<std::uint8_t>(PixelRole::kFill);
    pictures.push_back(std::move(picture));
  }
  const fs::path sup = folder.Write(
      "wide.sup", testing_support::SupFile(testing_support::PgsDisplaySets(pictures, 3840, 2160)));
  testing_support::FakeEventPump pump;
  import::ImportOptions options;
  options.scale = import::PictureScale::kFull;
  auto full = import::ImportDiscSubtitles(sup, folder / "full", options, pump);
  ASSERT_TRUE(full.ok()) << full.error().message;
  EXPECT_EQ(full.value().pictures, 5);
  EXPECT_EQ(full.value().halved, 0);
  EXPECT_EQ(full.value().too_wide, (std::vector<int>{1, 4, 5}));
  EXPECT_EQ(ReadInkBmp(folder.Read("full/0004.bmp")).width, 2000);
  EXPECT_EQ(ReadInkBmp(folder.Read("full/0003.bmp")).width, 1999);

  options.scale = import::PictureScale::kAuto;
  auto half = import::ImportDiscSubtitles(sup, folder / "half", options, pump);
  ASSERT_TRUE(half.ok()) << half.error().message;
  EXPECT_EQ(half.value().halved, 5);
  EXPECT_EQ(half.value().too_wide, std::vector<int>{});
  EXPECT_EQ(ReadInkBmp(folder.Read("half/0005.bmp")).width, 1900 + 2 * import::kCropMargin);
}

TEST(MatroskaImport, ListsTracksAndImportsTheChosenOne) {
  const Sample sample = PgsSample();
  PgsPicture other = sample.pictures[0];
  other.start = 500;
  other.end = 900;
  const std::string mkv = testing_support::MatroskaWithPgs(
      {testing_support::PgsDisplaySets(sample.pictures), testing_support::PgsDisplaySets({other})},
      {"eng", "ger"});
  TempDir folder;
  const fs::path file = folder.Write("film.mkv", mkv);
  auto tracks = import::ListTracks(file);
  ASSERT_TRUE(tracks.ok()) << tracks.error().message;
  ASSERT_EQ(tracks.value().size(), 2u);
  EXPECT_EQ(tracks.value()[0].language, "eng");
  EXPECT_EQ(tracks.value()[1].language, "ger");
  EXPECT_EQ(tracks.value()[1].codec, import::SubtitleCodec::kPgs);

  import::ImportOptions options;
  options.ink.threshold = 128;
  auto first = import::ImportFromMemory(mkv, "film.mkv", options);
  ASSERT_TRUE(first.ok()) << first.error().message;
  ExpectSampleTimes(first.value());
  for (std::size_t i = 0; i < first.value().size(); ++i) {
    const auto expected = ExpectedInk(sample.roles[i], 320, 64, [](PixelRole role) {
      return testing_support::RoleIsOpaque(role) && testing_support::RoleLuminance(role) >= 128;
    });
    EXPECT_EQ(DifferingPixels(first.value()[i].picture, expected), 0) << i;
  }
  options.track = 2;
  auto second = import::ImportFromMemory(mkv, "film.mkv", options);
  ASSERT_TRUE(second.ok()) << second.error().message;
  ASSERT_EQ(second.value().size(), 1u);
  EXPECT_EQ(second.value()[0].start, 500);
  EXPECT_EQ(second.value()[0].end, 900);
  options.track = 3;
  auto missing = import::ImportFromMemory(mkv, "film.mkv", options);
  ASSERT_FALSE(missing.ok());
  EXPECT_NE(missing.error().message.find("no subtitle track 3"), std::string::npos);
}

// The same two tracks in an MPEG transport stream, in both its 188-byte (.ts) and its 192-byte
// Blu-ray (.m2ts) form: the tracks are listed with their languages, and the import writes the
// chosen track's pictures and times.
TEST(TransportStreamImport, ListsTracksAndImportsTheChosenOneFromTsAndM2ts) {
  const Sample sample = PgsSample();
  PgsPicture other = sample.pictures[0];
  other.start = 500;
  other.end = 900;
  for (const bool m2ts : {false, true}) {
    SCOPED_TRACE(m2ts ? "m2ts" : "ts");
    const std::string name = m2ts ? "film.m2ts" : "film.ts";
    const std::string bytes =
        testing_support::TransportStreamWithPgs({testing_support::PgsDisplaySets(sample.pictures),
                                                 testing_support::PgsDisplaySets({other})},
                                                {"eng", "ger"}, m2ts);
    ASSERT_EQ(bytes.size() % (m2ts ? 192 : 188), 0u);
    TempDir folder;
    const fs::path file = folder.Write(name, bytes);
    auto tracks = import::ListTracks(file);
    ASSERT_TRUE(tracks.ok()) << tracks.error().message;
    ASSERT_EQ(tracks.value().size(), 2u);
    EXPECT_EQ(tracks.value()[0].language, "eng");
    EXPECT_EQ(tracks.value()[1].language, "ger");
    EXPECT_EQ(tracks.value()[0].codec, import::SubtitleCodec::kPgs);
    EXPECT_EQ(tracks.value()[1].codec, import::SubtitleCodec::kPgs);

    import::ImportOptions options;
    options.ink.threshold = 128;
    testing_support::FakeEventPump pump;
    auto report = import::ImportDiscSubtitles(file, folder / "out", options, pump);
    ASSERT_TRUE(report.ok()) << report.error().message;
    EXPECT_EQ(report.value().pictures, 3);
    EXPECT_EQ(report.value().forced, std::vector<int>{2});
    const std::int64_t times[][2] = {{1000, 2500}, {4000, 4200}, {4200, 6789}};
    std::string srt;
    for (int i = 0; i < 3; ++i) {
      const std::string picture = import::PictureName(i + 1);
      srt += std::to_string(i + 1) + "\r\n" + import::SrtTime(times[i][0]) + " --> " +
             import::SrtTime(times[i][1]) + "\r\n" + picture + "\r\n\r\n";
      const auto expected =
          ExpectedInk(sample.roles[static_cast<std::size_t>(i)], 320, 64, [](PixelRole role) {
            return testing_support::RoleIsOpaque(role) &&
                   testing_support::RoleLuminance(role) >= 128;
          });
      EXPECT_EQ(folder.Read("out/" + picture), import::EncodeBmp(expected, options.depth)) << i;
    }
    EXPECT_EQ(folder.Read("out/film.srt"), srt);

    options.track = 2;
    auto second = import::ImportFromMemory(bytes, name, options);
    ASSERT_TRUE(second.ok()) << second.error().message;
    ASSERT_EQ(second.value().size(), 1u);
    EXPECT_EQ(second.value()[0].start, 500);
    EXPECT_EQ(second.value()[0].end, 900);
  }
}

// VobSub pictures: 0 transparent, 1 fill, 2 outline, 3 an anti-aliasing shade nearer the fill.
std::vector<testing_support::VobSubPicture> VobSubSample() {
  std::vector<testing_support::VobSubPicture> pictures;
  const std::int64_t times[][2] = {{1000, 1500}, {2345, 2048}, {70000, 700}};
  for (int i = 0; i < 3; ++i) {
    testing_support::VobSubPicture picture;
    picture.start = times[i][0];
    picture.duration = times[i][1];
    picture.forced = i == 1;
    picture.x = 40 + i;
    picture.y = 400 + 2 * i;
    picture.width = 180 + i;
    picture.height = 41 + i;
    const auto roles = testing_support::SyntheticSubtitle(picture.width, picture.height, 50 + i);
    for (const std::uint8_t role : roles) {
      switch (static_cast<PixelRole>(role)) {
        case PixelRole::kFill:
          picture.pixels.push_back(1);
          break;
        case PixelRole::kLightBlend:
          picture.pixels.push_back(3);
          break;
        case PixelRole::kTransparent:
        case PixelRole::kHalo:
          picture.pixels.push_back(0);
          break;
        default:
          picture.pixels.push_back(2);
      }
    }
    picture.colours[1] = 1;
    picture.colours[2] = 2;
    picture.colours[3] = 3;
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

const std::vector<std::uint32_t> kVobSubPalette = {0x000000, 0xFFFFFF, 0x000000, 0xC0C0C0};

// The expected ink of a VobSub sample picture: cropped by the decoder's and the import's rules
// alike to its non-transparent pixels.
import::InkPicture VobSubExpected(const testing_support::VobSubPicture& picture,
                                  const std::function<bool(int)>& is_ink){
    std::vector<std::uint8_t> roles;
for (const std::uint8_t pixel : picture.pixels) {
  roles.push_back(static_cast<std::uint8_t>(pixel == 0      ? PixelRole::kTransparent
                                            : is_ink(pixel) ? PixelRole::kFill
                                                            : PixelRole::kOutline));
}
return ExpectedInk(roles, picture.width, picture.height,
                   [](PixelRole role) { return role == PixelRole::kFill; });
}  // namespace import_tests

TEST(VobSubImport, WritesTheSubtitleAndItsBitmapsIntoTheFolder) {
  TempDir folder;
  const auto pictures = VobSubSample();
  const auto files = testing_support::VobSubStream(pictures, kVobSubPalette);
  folder.Write("movie.sub", files.sub);
  const fs::path idx = folder.Write("movie.idx", files.idx);
  testing_support::FakeEventPump pump;
  import::ImportOptions options;
  auto report = import::ImportDiscSubtitles(idx, folder / "out", options, pump);
  ASSERT_TRUE(report.ok()) << report.error().message;
  EXPECT_EQ(report.value().pictures, 3);
  EXPECT_EQ(report.value().forced, std::vector<int>{2});
  EXPECT_EQ(report.value().subtitle_file, folder / "out" / "movie.srt");
  EXPECT_EQ(report.value().ink_used[static_cast<int>(import::InkUsed::kFill)], 3);
  EXPECT_EQ(pump.pump_calls, 3);

  std::string srt;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    const std::int64_t end =
        pictures[i].start + testing_support::VobSubCodedDuration(pictures[i].duration);
    srt += std::to_string(i + 1) + "\r\n" + import::SrtTime(pictures[i].start) + " --> " +
           import::SrtTime(end) + "\r\n" + import::PictureName(static_cast<int>(i) + 1) +
           "\r\n\r\n";
    const auto bmp = ReadInkBmp(folder.Read("out/" + import::PictureName(static_cast<int>(i) + 1)));
    // Auto: the fill and the light shade nearer to it.
    EXPECT_EQ(DifferingPixels(bmp, VobSubExpected(pictures[i], [](int p) { return p != 2; })), 0)
        << i;
  }
  EXPECT_EQ(folder.Read("out/movie.srt"), srt);
  // Only the subtitle and its pictures; no temporary folder is left beside it.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder / "out")) {
    ++entries;
  }
  EXPECT_EQ(entries, 4);
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    EXPECT_EQ(entry.path().filename().string().find(".import-"), std::string::npos);
  }

  // Outline only, into the same folder: refused without overwrite, then replacing the files.
  options.ink.mode = import::InkMode::kOutline;
  auto refused = import::ImportDiscSubtitles(idx, folder / "out", options, pump);
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().code, "exists");
  options.overwrite = true;
  ASSERT_TRUE(import::ImportDiscSubtitles(idx, folder / "out", options, pump).ok());
  EXPECT_EQ(DifferingPixels(ReadInkBmp(folder.Read("out/0001.bmp")),
                            VobSubExpected(pictures[0], [](int p) { return p == 2; })),
            0);

  // The index's frame size is the video's: DVD pictures are kept at full size.
  auto first = import::ReadFirstPictures(idx, 0, 1);
  ASSERT_TRUE(first.ok()) << first.error().message;
  EXPECT_EQ(first.value()[0].video_width, 720);
  EXPECT_EQ(first.value()[0].video_height, 576);
}

TEST(DiscImport, StopLeavesNothingBehind) {
  TempDir folder;
  const fs::path sup = folder.Write("film.sup", SampleSup());
  testing_support::FakeEventPump pump;
  pump.stop_at_call = 2;
  auto report = import::ImportDiscSubtitles(sup, folder / "out", {}, pump);
  ASSERT_TRUE(report.ok()) << report.error().message;
  EXPECT_TRUE(report.value().stopped);
  EXPECT_EQ(report.value().pictures, 2);
  EXPECT_FALSE(fs::exists(folder / "out"));
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

// Every bad input: one error naming the file (and the display set where one is at fault), and
// no output folder.
TEST(DiscImport, BadInputGivesOneErrorAndWritesNothing) {
  TempDir folder;
  Sample sample = PgsSample();
  std::vector<PgsPicture> outside = sample.pictures;
  outside[2].pixels[500] = 77;  // not among the palette's ids
  std::vector<PgsPicture> huge(1, sample.pictures[0]);
  huge[0].width = 4097;
  huge[0].height = 2;
  huge[0].x = 0;
  huge[0].pixels.assign(4097 * 2, static_cast<std::uint8_t>(PixelRole::kFill));
  std::vector<PgsPicture> blank(1, sample.pictures[1]);
  const std::string sup = SampleSup();
  const auto vobsub = testing_support::VobSubStream(VobSubSample(), kVobSubPalette);

  folder.Write("text.sup", "1\r\n00:00:01,000 --> 00:00:02,000\r\nhello\r\n");
  folder.Write("noise.sup", std::string(3000, '\x5A'));
  folder.Write("lonely.idx", vobsub.idx);
  folder.Write("cut.sup", sup.substr(0, sup.size() - 200));
  folder.Write("huge.sup",
               testing_support::SupFile(testing_support::PgsDisplaySets(huge, 8192, 1080)));
  folder.Write("blank.sup", testing_support::SupFile(testing_support::PgsDisplaySets(blank)));
  folder.Write("audio.mkv", testing_support::MatroskaWithoutSubtitles());
  folder.Write("cut.sub", vobsub.sub.substr(0, vobsub.sub.size() - 2048 - 100));
  folder.Write("cut.idx", vobsub.idx);
  const struct {
    const char* file;
    const char* words;
  } cases[] = {
      {"missing.sup", "no such file"},
      {"text.sup", "holds no PGS or VobSub subtitle track"},
      {"noise.sup", "not a disc subtitle file"},
      {"lonely.idx", "lonely.sub"},
      {"cut.sup", "display set 6: the stream is damaged or truncated"},
      {"huge.sup", "display set 1: a picture of 4097x2 is larger than 4096x4096"},
      {"blank.sup", "holds no pictures"},
      {"audio.mkv", "holds no subtitle track"},
      {"cut.idx", "truncated"},
  };
  // A palette index no palette defines was refused; it is read as transparent now, as players
  // show it, with a warning (see DiscQuirks in import_faults_test.cpp).
  folder.Write("outside.sup", testing_support::SupFile(testing_support::PgsDisplaySets(outside)));
  {
    testing_support::FakeEventPump pump;
    auto report = import::ImportDiscSubtitles(folder / "outside.sup", folder / "out", {}, pump);
    ASSERT_TRUE(report.ok()) << report.error().message;
    ASSERT_EQ(report.value().warnings.size(), 1u);
    EXPECT_NE(report.value().warnings[0].find("display set 5: palette index 77 is not in the "
                                              "palette; it is read as transparent"),
              std::string::npos)
        << report.value().warnings[0];
    fs::remove_all(folder / "out");
  }
  for (const auto& c : cases) {
    testing_support::FakeEventPump pump;
    auto report = import::ImportDiscSubtitles(folder / c.file, folder / "out", {}, pump);
    ASSERT_FALSE(report.ok()) << c.file;
    const std::string& message = report.error().message;
    EXPECT_NE(message.find(c.file), std::string::npos) << message;
    EXPECT_NE(message.find(c.words), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    EXPECT_FALSE(fs::exists(folder / "out")) << c.file;
  }
}

TEST(DiscImport, EveryCutOfAStreamIsAnErrorOrAShorterStream) {
  const std::string sup = SampleSup();
  const auto sets = testing_support::PgsDisplaySets(PgsSample().pictures);
  // The cuts that fall between display sets leave a valid, shorter stream.
  std::vector<std::size_t> boundaries;
  std::size_t at = 0;
  for (const auto& set : sets) {
    at += testing_support::SupFile({set}).size();
    boundaries.push_back(at);
  }
  for (std::size_t cut = 1; cut < sup.size(); cut += 13) {
    auto imported = import::ImportFromMemory(sup.substr(0, cut), "cut.sup", {});
    // A cut inside the 13-byte header of a set's first segment reads as the end of the stream.
    const bool near_boundary = std::any_of(
        boundaries.begin(), boundaries.end(),
        [cut](std::size_t boundary) { return cut >= boundary && cut <= boundary + 13; });
    if (!near_boundary) {
      EXPECT_FALSE(imported.ok()) << cut;
    }
    if (!imported.ok()) {
      EXPECT_NE(imported.error().message.find("cut.sup"), std::string::npos);
    }
  }
}

}  // namespace import_tests
}  // namespace import_tests

namespace import_tests {
namespace {

namespace fs = std::filesystem;

// Every ink row of a picture file as the recogniser reads it.
std::vector<std::vector<std::uint8_t>> InkRowsOf(const fs::path& file) {
  ocr::BitmapPicture picture;
  EXPECT_TRUE(picture.ReadFile(file).ok()) << file;
  std::vector<std::vector<std::uint8_t>> rows;
  for (int y = 0; y < picture.Height(); ++y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(picture.Width()));
    picture.ReadInkRow(y, row.data());
    rows.push_back(std::move(row));
  }
  return rows;
}

// PGS, VobSub and Matroska streams imported with 1-bit and with 24-bit pictures: the same SRT and
// the same files, which the recogniser reads to the same ink row for row, and 24 bits gives the
// bytes 24-bit imports always wrote.
TEST(PictureDepth, OneAndTwentyFourBitPicturesReadAlike) {
  TempDir folder;
  const auto vobsub = testing_support::VobSubStream(VobSubSample(), kVobSubPalette);
  folder.Write("movie.sub", vobsub.sub);
  const std::vector<fs::path> inputs = {
      folder.Write("film.sup", SampleSup()),
      folder.Write("movie.idx", vobsub.idx),
      folder.Write("film.mkv",
                   testing_support::MatroskaWithPgs(
                       {testing_support::PgsDisplaySets(PgsSample().pictures)}, {"eng"})),
  };
  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.filename().string());
    testing_support::FakeEventPump pump;
    import::ImportOptions options;
    ASSERT_EQ(options.depth, import::BmpDepth::k1);
    const std::string one_name = input.filename().string() + "-1/";
    const std::string full_name = input.filename().string() + "-24/";
    const fs::path one = folder / one_name;
    const fs::path full = folder / full_name;
    auto one_report = import::ImportDiscSubtitles(input, one, options, pump);
    options.depth = import::BmpDepth::k24;
    auto full_report = import::ImportDiscSubtitles(input, full, options, pump);
    ASSERT_TRUE(one_report.ok() && full_report.ok());
    ASSERT_EQ(one_report.value().pictures, 3);
    const std::string srt = one_report.value().subtitle_file.filename().string();
    EXPECT_EQ(folder.Read(one_name + srt), folder.Read(full_name + srt));
    for (int number = 1; number <= 3; ++number) {
      const std::string name = import::PictureName(number);
      const std::string one_bytes = folder.Read(one_name + name);
      const std::string full_bytes = folder.Read(full_name + name);
      EXPECT_EQ(static_cast<unsigned char>(one_bytes[28]), 1);
      EXPECT_LT(one_bytes.size() * 8, full_bytes.size());
      EXPECT_EQ(full_bytes, import::EncodeBmp(ReadInkBmp(one_bytes)));
      EXPECT_EQ(InkRowsOf(one / name), InkRowsOf(full / name)) << name;
    }
  }
}

}  // namespace
}  // namespace import_tests

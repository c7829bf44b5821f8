// The core bitmap reader against the toolkit's: every kind gives the same pixels, and a whole
// run over a film in every kind gives the same texts, library files and glyph pictures with
// either reader and with one or two jobs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "document/row_table.h"
#include "document/subtitle_document.h"
#include "document/subtitle_reader.h"
#include "library/glyph_library.h"
#include "ocr/bitmap_reader.h"
#include "ocr/recognition_run.h"
#include "ocr/size_estimate.h"
#include "platform/qt_picture.h"
#include "support/bitmap_files.h"
#include "support/fake_ports.h"
#include "support/temp_dir.h"
#include "text/line_file.h"

namespace {

using testing_support::BitmapLayout;
using testing_support::EncodeBitmap;
using testing_support::PixelValues;

BitmapLayout Layout(int bits, std::uint32_t compression, bool top_down = false,
                    std::uint32_t header = 40, std::vector<std::uint32_t> masks = {}) {
  BitmapLayout layout;
  layout.bits = bits;
  layout.compression = compression;
  layout.top_down = top_down;
  layout.header = header;
  for (std::size_t i = 0; i < masks.size(); ++i) {
    layout.masks[i] = masks[i];
  }
  return layout;
}

struct Kind {
  std::string name;
  BitmapLayout layout;
};

// The kinds both readers accept. The toolkit refuses bit fields with alpha (compression 6) and
// the 52- and 56-byte headers, which the core reader's own tests cover.
std::vector<Kind> EveryKind() {
  const std::vector<std::uint32_t> rgb565 = {0xF800, 0x07E0, 0x001F};
  const std::vector<std::uint32_t> argb = {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000};
  return {{"1-bit", Layout(1, 0)},
          {"4-bit", Layout(4, 0)},
          {"8-bit", Layout(8, 0)},
          {"8-bit top-down", Layout(8, 0, true)},
          {"RLE4", Layout(4, 2)},
          {"RLE8", Layout(8, 1)},
          {"16-bit", Layout(16, 0)},
          {"16-bit 5-6-5", Layout(16, 3, false, 40, rgb565)},
          {"24-bit", Layout(24, 0)},
          {"24-bit top-down", Layout(24, 0, true)},
          {"32-bit", Layout(32, 0)},
          {"32-bit fields", Layout(32, 3, false, 40, {0x0000FF, 0x00FF00, 0xFF0000})},
          {"32-bit 10-bit fields", Layout(32, 3, false, 40, {0x3FF00000, 0x000FFC00, 0x3FF})},
          {"core 1-bit", Layout(1, 0, false, 12)},
          {"core 8-bit", Layout(8, 0, false, 12)},
          {"core 24-bit", Layout(24, 0, false, 12)},
          {"V4 24-bit", Layout(24, 0, false, 108)},
          {"V4 16-bit", Layout(16, 3, true, 108, rgb565)},
          {"V5 8-bit", Layout(8, 0, false, 124)},
          {"V5 32-bit alpha", Layout(32, 3, false, 124, argb)},
          {"V5 32-bit no alpha", Layout(32, 3, false, 124, {0xFF0000, 0x00FF00, 0x0000FF})}};
}

// A random picture of a kind: palette indices over a palette holding black, near-black and
// random colours, or random raw values with a good share of black pixels.
std::string RandomFile(const BitmapLayout& kind, int width, int height, std::mt19937& random) {
  BitmapLayout layout = kind;
  std::uniform_int_distribution<std::uint32_t> any;
  if (layout.bits <= 8) {
    const std::size_t entries = std::size_t{1} << layout.bits;
    layout.palette = {0x000000, 0x010000};
    while (layout.palette.size() < entries) {
      layout.palette.push_back(any(random) & 0xFFFFFF);
    }
  }
  PixelValues values(static_cast<std::size_t>(height));
  for (auto& row : values) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t value = any(random);
      if (layout.bits <= 8) {
        value %= layout.palette.size();
        // Runs of one index, for the RLE kinds.
        if (x > 0 && value % 3 == 0) {
          value = row.back();
        }
      } else if (value % 4 == 0) {
        value = value % 8 == 0 ? 0 : (value & 0xFF000000);  // black, opaque or not
      } else if (layout.bits == 16) {
        value &= 0xFFFF;
      } else if (layout.bits == 24) {
        value &= 0xFFFFFF;
      }
      row.push_back(value);
    }
  }
  return EncodeBitmap(values, layout);
}

void ExpectSamePixels(const ocr::Picture& toolkit, const ocr::Picture& core,
                      const std::string& what) {
  ASSERT_EQ(core.Width(), toolkit.Width()) << what;
  ASSERT_EQ(core.Height(), toolkit.Height()) << what;
  std::vector<std::uint8_t> toolkit_ink(static_cast<std::size_t>(toolkit.Width()));
  std::vector<std::uint8_t> core_ink(toolkit_ink.size());
  int differences = 0;
  for (int y = 0; y < toolkit.Height(); ++y) {
    toolkit.ReadInkRow(y, toolkit_ink.data());
    core.ReadInkRow(y, core_ink.data());
    for (int x = 0; x < toolkit.Width(); ++x) {
      if (core.Pixel(x, y) != toolkit.Pixel(x, y) || core_ink[x] != toolkit_ink[x]) {
        if (++differences <= 3) {
          ADD_FAILURE() << what << " at " << x << "," << y << ": toolkit " << std::hex
                        << toolkit.Pixel(x, y) << ", core " << core.Pixel(x, y);
        }
      }
    }
  }
  EXPECT_EQ(differences, 0) << what;
}

TEST(BitmapReaders, EveryKindGivesTheSamePixelsThroughBothReaders) {
  testing_support::TempDir dir;
  platform::QtPictureIo toolkit;
  ocr::BitmapFileIo core(toolkit);
  std::mt19937 random(15);
  const std::pair<int, int> sizes[] = {{1, 1}, {7, 3}, {37, 11}, {720, 60}};
  for (const Kind& kind : EveryKind()) {
    for (const auto& [width, height] : sizes) {
      const std::string what =
          kind.name + " " + std::to_string(width) + "x" + std::to_string(height);
      const auto path = dir.Write("picture.bmp", RandomFile(kind.layout, width, height, random));
      auto expected = toolkit.Load(path);
      auto read = core.Load(path);
      if (!expected.ok() || !read.ok()) {
        ADD_FAILURE() << what << ": " << (expected.ok() ? "" : expected.error().message) << " / "
                      << (read.ok() ? "" : read.error().message);
        continue;
      }
      ExpectSamePixels(*expected.value(), *read.value(), what);
    }
  }
}

// Colours-used counts below the depth's maximum, with indices beyond them (black, as the
// toolkit pads its colour table), and RLE deltas and early ends of line. The toolkit leaves
// the pixels an RLE stream skips as its memory held them (they read differently from file to
// file); the core reader gives them palette index 0, so only the pixels the stream wrote are
// compared here.
TEST(BitmapReaders, ShortPalettesAndRleSkipsReadTheSame) {
  testing_support::TempDir dir;
  platform::QtPictureIo toolkit;
  ocr::BitmapFileIo core(toolkit);
  BitmapLayout layout = Layout(8, 1);
  layout.palette = {0xFFFFFF, 0x000000, 0x336699};
  std::string file = EncodeBitmap(PixelValues(4, std::vector<std::uint32_t>(6, 0)), layout);
  const std::size_t offset = static_cast<unsigned char>(file[10]);
  // Bottom row: two pixels of index 1, a delta of (1, 1), one of index 2; then the top row
  // after an end of line: three of index 1.
  file = file.substr(0, offset) +
         std::string("\x02\x01\x00\x02\x01\x01\x01\x02\x00\x00\x00\x00\x03\x01\x00\x01", 16);
  const auto path = dir.Write("skips.bmp", file);
  auto expected = toolkit.Load(path);
  ASSERT_TRUE(expected.ok()) << expected.error().message;
  auto read = core.Load(path);
  ASSERT_TRUE(read.ok()) << read.error().message;
  const struct { int x, y; } written[] = {{0, 3}, {1, 3}, {3, 2}, {0, 0}, {1, 0}, {2, 0}};
  for (const auto& pixel : written) {
    EXPECT_EQ(read.value()->Pixel(pixel.x, pixel.y), expected.value()->Pixel(pixel.x, pixel.y))
        << pixel.x << "," << pixel.y;
  }
  EXPECT_EQ(read.value()->Pixel(5, 3), 0xFFFFFFu);  // skipped: index 0

  BitmapLayout four = Layout(4, 0);
  four.palette = {0x000000, 0xFFFFFF, 0x808080};
  const auto short_palette =
      dir.Write("short.bmp", EncodeBitmap({{0, 1, 2, 1}, {2, 2, 0, 0}, {5, 15, 3, 0}}, four));
  ExpectSamePixels(*toolkit.Load(short_palette).value(), *core.Load(short_palette).value(),
                   "4-bit with 3 colours and indices beyond them");
}

// The demo film with each picture rewritten in one of the kinds, in turn.
class FilmInEveryKind : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::filesystem::path demo = std::filesystem::path(ZENTROPE_SOURCE_DIR) / "data/demo";
    std::filesystem::copy_file(demo / "demo.srt", film_.path() / "demo.srt");
    // Every kind but the one whose wide bit fields read as black everywhere.
    std::vector<Kind> kinds = EveryKind();
    std::erase_if(kinds, [](const Kind& kind) { return kind.name == "32-bit 10-bit fields"; });
    std::size_t next = 0;
    for (const auto& entry : std::filesystem::directory_iterator(demo)) {
      if (entry.path().extension() != ".bmp") {
        continue;
      }
      auto picture = toolkit_.Load(entry.path());
      ASSERT_TRUE(picture.ok()) << picture.error().message;
      const Kind& kind = kinds[next++ % kinds.size()];
      film_.Write(entry.path().filename().string(), Encode(*picture.value(), kind.layout));
      kind_of_[entry.path().filename().string()] = kind.name;
    }
  }

  // The picture's colours in a kind that keeps them: a palette of its colours for 1 to 8 bits
  // (1 bit holds black and white only), colours as they stand for the rest (16-bit and
  // bit-field kinds keep black black, which is all the engine looks at).
  static std::string Encode(const ocr::Picture& picture, BitmapLayout layout) {
    std::map<ocr::Colour, std::uint32_t> indices;
    if (layout.bits <= 8) {
      layout.palette = {0x000000, 0xFFFFFF};
      indices = {{0x000000, 0}, {0xFFFFFF, 1}};
    }
    PixelValues values(static_cast<std::size_t>(picture.Height()));
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width(); ++x) {
        const ocr::Colour colour = picture.Pixel(x, y);
        std::uint32_t value = colour;
        if (layout.bits <= 8) {
          auto found = indices.find(colour);
          if (found == indices.end() && layout.bits > 1 &&
              layout.palette.size() < (std::size_t{1} << layout.bits)) {
            found = indices.emplace(colour, layout.palette.size()).first;
            layout.palette.push_back(colour);
          }
          value = found != indices.end() ? found->second : (colour == 0 ? 0 : 1);
        } else if (layout.bits == 16 || layout.bits == 32) {
          value = colour == 0 ? (layout.compression == 0 ? 0 : 0xFF000000 & layout.masks[3])
                              : (layout.bits == 16 ? 0x7FFF : 0xFFFFFFFF);
        }
        values[static_cast<std::size_t>(y)].push_back(value);
      }
    }
    return EncodeBitmap(values, layout);
  }

  // Teaches every unknown glyph as "g1", "g2", ... and returns everything the run leaves.
  struct Result {
    std::vector<std::string> texts;
    std::map<std::string, std::string> files;  // library files and glyph pictures by name
    int questions = 0;
  };
  class NumberingTeacher : public ocr::Teacher {
   public:
    void Teach(ocr::TeachingSession& session) override {
      ASSERT_TRUE(session.Save("g" + std::to_string(++saved)).ok());
    }
    int saved = 0;
  };

  Result Run(ocr::PictureIo& pictures, int jobs) {
    testing_support::TempDir work;
    work.Write("word.wrd", "");
    work.Write("word.sts", "");
    testing_support::FakeEventPump pump;
    library::GlyphLibrary library(work.path());
    EXPECT_TRUE(library.Load(pump).ok());
    document::SubtitleDocument film;
    film.source_extension = ".srt";
    EXPECT_TRUE(document::ReadSubtitleFile(film_ / "demo.srt", document::Role::kMain, film).ok());
    film.picture_folder = film_.path();
    ocr::Recogniser recogniser(library, pictures);
    ocr::EstimateStandardSizes(recogniser, film, ocr::kDefaultSampleLines);
    NumberingTeacher teacher;
    testing_support::FakeMessages messages;
    struct NoTexts : ports::MessageSource {
      std::string Message(int) const override {
        return {};
      }
    } texts;
    const auto outcome =
        ocr::RunRecognition(recogniser, film, 1, {teacher, pump, messages, texts}, jobs);
    EXPECT_EQ(outcome.end, ocr::RunEnd::kCompleted);
    EXPECT_TRUE(library.ArchiveJournal().ok());
    Result result;
    for (int row = 1; row < film.main.RowCount(); ++row) {
      result.texts.push_back(film.main.Cell(document::kText, row));
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(work.path())) {
      if (entry.is_regular_file()) {
        result.files[std::filesystem::relative(entry.path(), work.path()).string()] =
            text::ReadFileBytes(entry.path()).value();
      }
    }
    result.questions = teacher.saved;
    return result;
  }

  testing_support::TempDir film_;
  std::map<std::string, std::string> kind_of_;  // file name: the kind it was written in
  platform::QtPictureIo toolkit_;
};

TEST_F(FilmInEveryKind, BothReadersAndBothJobCountsGiveTheSameRun) {
  ocr::BitmapFileIo reader(toolkit_);
  for (const auto& entry : std::filesystem::directory_iterator(film_.path())) {
    if (entry.path().extension() == ".bmp") {
      ExpectSamePixels(*toolkit_.Load(entry.path()).value(), *reader.Load(entry.path()).value(),
                       entry.path().filename().string() + " (" +
                           kind_of_[entry.path().filename().string()] + ")");
    }
  }
  const Result before = Run(toolkit_, 1);
  ASSERT_GT(before.questions, 20);
  ASSERT_GT(before.files.size(), 20u);  // library files and glyph pictures
  ocr::BitmapFileIo core(toolkit_);
  for (const int jobs : {1, 2}) {
    const Result after = Run(core, jobs);
    EXPECT_EQ(after.questions, before.questions) << jobs << " jobs";
    EXPECT_EQ(after.texts, before.texts) << jobs << " jobs";
    ASSERT_EQ(after.files.size(), before.files.size()) << jobs << " jobs";
    for (const auto& [name, bytes] : before.files) {
      EXPECT_EQ(after.files.at(name), bytes) << name << ", " << jobs << " jobs";
    }
  }
}

}  // namespace

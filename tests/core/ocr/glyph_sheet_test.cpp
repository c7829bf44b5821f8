// Collecting a film's new shapes without stopping, their candidates, and teaching a page of them
// against teaching the same answers one by one.
#include "ocr/glyph_sheet.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "core/ocr/ocr_test_support.h"
#include "document/subtitle_document.h"
#include "ocr/recognition_run.h"
#include "support/fake_ports.h"

namespace {

using ocr_testing::BitmapFromRows;
using ocr_testing::Compose;
using ocr_testing::SaveAs;
using Art = std::vector<std::string>;

const Art kBlock(10, "########");
const Art kRing = {"########", "#......#", "#......#", "#......#", "#......#",
                   "#......#", "#......#", "#......#", "#......#", "########"};
const Art kCross = {"...##...", "...##...", "...##...", "...##...", "########",
                    "########", "...##...", "...##...", "...##...", "...##..."};
const Art kDot = {"..", "..", "..", "..", "..", "..", "..", "..", "##", "##"};

class MessageTexts : public ports::MessageSource {
 public:
  std::string Message(int number) const override {
    return "<" + std::to_string(number) + ">";
  }
};

// A guesser that reads narrow pictures as a full stop and nothing else (a glyph 2 columns wide
// in a 10-row line is about 34 pixels wide once scaled and framed, an 8-column one about 62).
class NarrowGuesser : public ocr::GlyphGuesser {
 public:
  std::string Guess(const ocr::GuessPicture& picture) override {
    ++calls;
    return picture.width < 50 ? "." : "";
  }
  int calls = 0;
};

// A picture subtitle over an empty library, S_G 10; rows of glyph art, lines split by an empty
// art list.
struct Film {
  Film() : recogniser(library.library, pictures) {
    document.picture_folder = pictures_folder.path();
    document.picture_mode = true;
    recogniser.Options().glyph_width = 10;
    recogniser.SetReferenceTable(&document.reference);
  }
  int AddRow(const std::vector<Art>& glyphs, const std::string& reference = "") {
    const int row = next_row++;
    if (row > 1) {
      document.main.AppendRow();
    }
    const std::string name = std::to_string(row) + ".bmp";
    const std::string start = "00:00:" + std::to_string(10 + 3 * row) + ".000";
    const std::string end = "00:00:" + std::to_string(11 + 3 * row) + ".000";
    document.main.SetCell(document::kPicture, row, name);
    document.main.SetCell(document::kStart, row, start);
    document.main.SetCell(document::kEnd, row, end);
    pictures_folder.Write(name, "BM");
    pictures.Put(pictures_folder / name, BitmapFromRows(Compose(glyphs, 4, 3)));
    if (!reference.empty()) {
      const int reference_row = next_reference++;
      if (reference_row > 1) {
        document.reference.AppendRow();
      }
      document.reference.SetCell(document::kStart, reference_row, start);
      document.reference.SetCell(document::kEnd, reference_row, end);
      document.reference.SetCell(document::kText, reference_row, reference);
    }
    return row;
  }
  ocr::RunOutcome Run(ocr::Teacher& teacher) {
    const ocr::RunPorts ports{teacher, pump, messages, texts};
    return ocr::RunRecognition(recogniser, document, 1, ports);
  }
  ocr::RunOutcome Collect() {
    ocr::CollectingTeacher collector(recogniser, document, sheet);
    auto outcome = Run(collector);
    sheet.FinishCandidates(library.library, recogniser.Guesser(), false);
    return outcome;
  }
  std::string Text(int row) const {
    return document.main.Cell(document::kText, row);
  }
  // The library's files and glyph pictures by name.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const char* name : {"word.wrd", "word.sts", "newword.wrd", "newword.sts"}) {
      std::ifstream in(library.folder / name, std::ios::binary);
      files[name] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    for (const auto& [path, picture] : pictures.files) {
      if (std::filesystem::path(path).parent_path().filename() == "wordbmp") {
        std::string pixels;
        for (int y = 0; y < picture.Height(); ++y) {
          for (int x = 0; x < picture.Width(); ++x) {
            pixels += picture.Pixel(x, y) == 0 ? '#' : '.';
          }
          pixels += '|';
        }
        files[std::filesystem::path(path).filename().string()] = pixels;
      }
    }
    return files;
  }

  ocr_testing::EmptyLibrary library;
  ocr_testing::MemoryPictureIo pictures;
  testing_support::TempDir pictures_folder;
  ocr::Recogniser recogniser;
  document::SubtitleDocument document;
  testing_support::FakeMessages messages;
  testing_support::FakeEventPump pump;
  MessageTexts texts;
  ocr::GlyphSheet sheet;
  int next_row = 1;
  int next_reference = 1;
};

TEST(CollectingRun, GoesThroughTheFilmWithOneEntryPerShapeAndEveryOccurrence) {
  Film film;
  film.recogniser.Options().reference_teaching = false;
  film.AddRow({kBlock, kRing, kBlock});
  film.AddRow({kRing, kCross, kDot});
  film.AddRow({kBlock});
  const auto outcome = film.Collect();
  EXPECT_EQ(outcome.end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(outcome.rows_recognised, 3);
  EXPECT_EQ(film.library.library.RecordCount(), 0);  // nothing taught while collecting
  const auto& shapes = film.sheet.Shapes();
  ASSERT_EQ(shapes.size(), 4u);
  struct Expected {
    int count;
    std::vector<std::pair<int, int>> rows_and_lefts;
    int width;
  };
  // Compose places glyphs 4 apart from a margin of 3: lefts 3, 15, 27 for 8-wide glyphs.
  const Expected expected[] = {{3, {{1, 3}, {1, 27}, {3, 3}}, 8},
                               {2, {{1, 15}, {2, 3}}, 8},
                               {1, {{2, 15}}, 8},
                               {1, {{2, 27}}, 2}};
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    EXPECT_EQ(shapes[i].count, expected[i].count) << i;
    ASSERT_EQ(shapes[i].occurrences.size(), expected[i].rows_and_lefts.size()) << i;
    for (std::size_t k = 0; k < shapes[i].occurrences.size(); ++k) {
      const auto& occurrence = shapes[i].occurrences[k];
      EXPECT_EQ(occurrence.row, expected[i].rows_and_lefts[k].first) << i;
      EXPECT_EQ(occurrence.picture, std::to_string(occurrence.row) + ".bmp");
      EXPECT_EQ(occurrence.line, 0);
      EXPECT_EQ(occurrence.box.left, expected[i].rows_and_lefts[k].second) << i;
      EXPECT_EQ(occurrence.box.width, expected[i].width) << i;
    }
    ASSERT_NE(shapes[i].glyph, nullptr);
    EXPECT_EQ(shapes[i].glyph->Width(), expected[i].width);
    EXPECT_FALSE(shapes[i].features.empty());
  }
  EXPECT_EQ(shapes[3].occurrences[0].box.height, 2);  // the dot's fitted rows
  EXPECT_EQ(film.sheet.OccurrenceCount(), 7);
}

TEST(CollectingRun, ReadsKnownGlyphsAsTodayAndTakesCandidatesFromEverySource) {
  Film film;
  // Teach the block first through an ordinary run, so that it is known.
  film.AddRow({kBlock});
  ocr_testing::ScriptedTeacher teacher;
  teacher.actions = {SaveAs("B")};
  film.recogniser.Options().reference_teaching = false;
  ASSERT_EQ(film.Run(teacher).end, ocr::RunEnd::kCompleted);
  const int records = film.library.library.RecordCount();
  film.recogniser.Options().reference_teaching = true;
  film.AddRow({kBlock, kRing, kCross}, "B\xC4\xE3\xBA\xC3");  // B 你好: certain
  film.AddRow({kCross, kDot});                                // no reference
  NarrowGuesser guesser;
  film.recogniser.SetGuesser(&guesser);
  const auto outcome = film.Collect();
  EXPECT_EQ(outcome.end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(film.library.library.RecordCount(), records);
  EXPECT_EQ(outcome.glyphs.automatic, 0);
  EXPECT_EQ(film.Text(1), "B");
  EXPECT_EQ(film.Text(2).substr(0, 1), "B");  // the known block is read, the rest skipped
  const auto& shapes = film.sheet.Shapes();
  ASSERT_EQ(shapes.size(), 3u);  // ring, cross, dot
  ASSERT_FALSE(shapes[0].candidates.empty());
  EXPECT_EQ(shapes[0].candidates[0].text, "\xC4\xE3");
  EXPECT_EQ(shapes[0].candidates[0].confidence, 99);
  EXPECT_EQ(shapes[0].candidates[0].sources[0], ocr::SuggestionSource::kReference);
  EXPECT_EQ(shapes[1].count, 2);
  EXPECT_EQ(shapes[1].candidates[0].text, "\xBA\xC3");
  // The dot: only the guesser speaks; it is asked once per shape, not per occurrence.
  ASSERT_FALSE(shapes[2].candidates.empty());
  EXPECT_EQ(shapes[2].candidates[0].text, ".");
  EXPECT_EQ(shapes[2].candidates[0].confidence, 80);
  EXPECT_EQ(guesser.calls, 3);

  // With the collecting teacher gone the walk teaches from the reference as it always did.
  EXPECT_FALSE(film.recogniser.Collecting());
  ocr_testing::ScriptedTeacher asked;
  asked.actions = {ocr_testing::SkipIt()};
  const auto again = film.Run(asked);
  EXPECT_EQ(again.glyphs.automatic, 2);
  EXPECT_EQ(asked.questions, 1);  // the dot of the row without a reference
  EXPECT_EQ(film.library.library.RecordCount(), records + 2);
}

// A line reader that gives fixed symbols, spread evenly over the band and lagging to the right.
class FakeLineReader : public ocr::LineReader {
 public:
  std::vector<ocr::LineSymbol> ReadLine(const ocr::GuessPicture& band) override {
    ++lines;
    std::vector<ocr::LineSymbol> symbols;
    const int step = (band.width - 16) / static_cast<int>(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const int left = 8 + static_cast<int>(i) * step + step / 3;
      symbols.push_back({texts[i], left, left + step, 90});
    }
    return symbols;
  }
  std::vector<std::string> texts;
  int lines = 0;
};

TEST(CollectingRun, ReadsTheLinesOfNewShapesWholeOncePerLine) {
  Film film;
  film.recogniser.Options().reference_teaching = false;
  film.AddRow({kBlock, kRing, kDot});
  film.AddRow({kRing, kBlock});  // no new shape: not read
  FakeLineReader reader;
  reader.texts = {"\xC4\xE3", "\xBA\xC3", "?"};
  ocr::CollectingTeacher collector(film.recogniser, film.document, film.sheet);
  ASSERT_EQ(film.Run(collector).end, ocr::RunEnd::kCompleted);
  ASSERT_EQ(film.sheet.Lines().size(), 1u);
  film.sheet.FinishCandidates(film.library.library, nullptr, false, &reader);
  EXPECT_EQ(reader.lines, 1);
  const auto& shapes = film.sheet.Shapes();
  ASSERT_EQ(shapes.size(), 3u);
  const std::string expected[] = {"\xC4\xE3", "\xBA\xC3", "\xA3\xBF"};  // ? in a CJK line: ？
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(shapes[i].candidates.size(), 1u) << i;
    EXPECT_EQ(shapes[i].candidates[0].text, expected[i]) << i;
    EXPECT_EQ(shapes[i].candidates[0].sources[0], ocr::SuggestionSource::kLineReading);
    EXPECT_EQ(shapes[i].candidates[0].confidence, 75);
  }
}

// A guesser with an offered reading for wide glyphs and only withheld ones for narrow ones.
class ReadingsGuesser : public ocr::GlyphGuesser {
 public:
  std::string Guess(const ocr::GuessPicture&) override {
    return "";
  }
  std::vector<GuessReading> Readings(const ocr::GuessPicture& picture) override {
    if (picture.width < 50) {
      return {{"\xA3\xAE", 70, false}, {".", 50, false}};  // ． withheld, . an alternative
    }
    return {{"\xC4\xE3", 91, true}, {"\xBA\xC3", 40, false}};
  }
};

TEST(CollectingRun, KeepsTheGuessesWithheldReadingsAsLowerCandidates) {
  Film film;
  film.recogniser.Options().reference_teaching = false;
  film.AddRow({kBlock, kDot});
  FakeLineReader reader;
  reader.texts = {"\xBA\xC3", "."};  // the line reads 好 where the guess has it second
  ReadingsGuesser guesser;
  ocr::CollectingTeacher collector(film.recogniser, film.document, film.sheet);
  ASSERT_EQ(film.Run(collector).end, ocr::RunEnd::kCompleted);
  film.sheet.FinishCandidates(film.library.library, &guesser, false, &reader);
  const auto& shapes = film.sheet.Shapes();
  ASSERT_EQ(shapes.size(), 2u);
  struct Expected {
    std::string text;
    int confidence;
  };
  const std::vector<Expected> block = {{"\xBA\xC3", 95}, {"\xC4\xE3", 80}};
  const std::vector<Expected> dot = {{".", 95}, {"\xA3\xAE", 42}};
  for (const auto& [shape, expected] : {std::pair{&shapes[0], block}, std::pair{&shapes[1], dot}}) {
    ASSERT_EQ(shape->candidates.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(shape->candidates[i].text, expected[i].text) << i;
      EXPECT_EQ(shape->candidates[i].confidence, expected[i].confidence) << i;
    }
  }
}

TEST(TaughtPage, GivesTheLibraryOfTeachingTheSameAnswersOneByOne) {
  const std::vector<std::vector<Art>> rows = {
      {kBlock, kRing, kBlock}, {kCross, kRing}, {kDot, kCross, kBlock}};
  const std::vector<std::string> answers = {"A", "B", "C", "."};
  Film one_by_one;
  Film sheet;
  for (Film* film : {&one_by_one, &sheet}) {
    film->recogniser.Options().reference_teaching = false;
    for (const auto& row : rows) {
      film->AddRow(row);
    }
  }
  ocr_testing::ScriptedTeacher teacher;
  for (const std::string& answer : answers) {
    teacher.actions.push_back(SaveAs(answer));
  }
  ASSERT_EQ(one_by_one.Run(teacher).end, ocr::RunEnd::kCompleted);
  ASSERT_EQ(teacher.questions, 4);

  ASSERT_EQ(sheet.Collect().end, ocr::RunEnd::kCompleted);
  auto& shapes = sheet.sheet.Shapes();
  ASSERT_EQ(shapes.size(), answers.size());
  std::vector<int> page;
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    shapes[i].text = answers[i];
    page.push_back(static_cast<int>(i));
  }
  auto taught = ocr::TeachPage(sheet.library.library, sheet.pictures, sheet.sheet, page);
  ASSERT_TRUE(taught.ok());
  EXPECT_EQ(taught.value().taught, 4);
  EXPECT_EQ(taught.value().first_number, 1);
  EXPECT_EQ(sheet.Files(), one_by_one.Files());
  // The film read again with the page: the same texts as the one-by-one run.
  ocr_testing::ScriptedTeacher none;
  ASSERT_EQ(sheet.Run(none).end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(none.questions, 0);
  for (int row = 1; row <= 3; ++row) {
    EXPECT_EQ(sheet.Text(row), one_by_one.Text(row)) << row;
  }
  // Teaching the page again finds every shape known and adds nothing.
  auto again = ocr::TeachPage(sheet.library.library, sheet.pictures, sheet.sheet, page);
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(again.value().taught, 0);
  EXPECT_EQ(again.value().already_known, 4);
}

TEST(TaughtPage, LeavesOutNoiseAndEmptyReadings) {
  Film film;
  film.recogniser.Options().reference_teaching = false;
  film.AddRow({kBlock, kRing, kCross});
  film.Collect();
  auto& shapes = film.sheet.Shapes();
  ASSERT_EQ(shapes.size(), 3u);
  shapes[0].text = "A";
  shapes[1].text = "B";
  shapes[1].noise = true;
  auto taught = ocr::TeachPage(film.library.library, film.pictures, film.sheet, {0, 1, 2, 7});
  ASSERT_TRUE(taught.ok());
  EXPECT_EQ(taught.value().taught, 1);
  ASSERT_EQ(film.library.library.RecordCount(), 1);
  EXPECT_EQ(film.library.library.Text(0), "A");
}

}  // namespace

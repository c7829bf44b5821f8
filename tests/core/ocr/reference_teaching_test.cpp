// Teaching from the reference subtitle: pairing rows by time, reading a line's unknown ink from the
// reference characters, the walk that teaches without asking, and forgetting undone teachings.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "core/ocr/ocr_test_support.h"
#include "document/row_table.h"
#include "document/subtitle_document.h"
#include "library/library_editor.h"
#include "ocr/recognition_run.h"
#include "ocr/reference_reading.h"
#include "support/fake_ports.h"

namespace {

using ocr::LineItem;
using ocr_testing::BitmapFromRows;
using ocr_testing::Compose;
using ocr_testing::SaveAs;
using Art = std::vector<std::string>;

const std::string kNi = "\xC4\xE3";     // 你
const std::string kHao = "\xBA\xC3";    // 好
const std::string kMa = "\xC2\xF0";     // 吗
const std::string kShi = "\xCA\xC7";    // 是
const std::string kTa = "\xCB\xFB";     // 他
const std::string kComma = "\xA3\xAC";  // ，
const std::string kDash = "\xA1\xAA";   // —

LineItem Known(const std::string& text) {
  return {LineItem::Kind::kKnown, text, {}};
}
LineItem Unknown(std::vector<ocr::Segment> segments) {
  return {LineItem::Kind::kUnknown, "", std::move(segments)};
}
LineItem Skipped() {
  return {LineItem::Kind::kSkipped, "", {}};
}

TEST(ReferenceReading, WidthsOfIdeographsNarrowMarksAndTheRest) {
  struct Case {
    std::string character;
    int width;
    bool fits;
  };
  // S_G 20: an ideograph 12 to 22 columns, a Latin letter up to 20, a narrow mark up to 14,
  // anything else up to 22.
  const Case cases[] = {
      {kHao, 11, false},  {kHao, 12, true},   {kHao, 22, true},    {kHao, 23, false},
      {kComma, 1, true},  {kComma, 14, true}, {kComma, 15, false}, {"O", 20, true},
      {"O", 21, false},   {",", 14, true},    {",", 15, false},    {kDash, 22, true},
      {kDash, 23, false}, {kHao, 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ocr::WidthFits(c.character, c.width, 20), c.fits) << c.character << " " << c.width;
  }
  EXPECT_FALSE(ocr::WidthFits(kHao, 20, 0));
}

TEST(ReferenceReading, ReadsTheFirstGlyphOfAnUnknownRunOnlyWhenItIsCertain) {
  struct Case {
    const char* name;
    std::vector<LineItem> items;
    int run;
    std::string reference;
    bool certain;
    std::string text;  // the certain text, or the first candidate ("" for none)
    int segments;      // segments the certain glyph takes
  };
  const ocr::Segment ideograph{30, 49};
  const Case cases[] = {
      {"one ideograph between known glyphs",
       {Known(kNi), Unknown({ideograph}), Known(kMa)},
       1,
       kNi + kHao + kMa,
       true,
       kHao,
       1},
      {"an ideograph of two segments",
       {Known(kNi), Unknown({{30, 37}, {39, 49}}), Known(kMa)},
       1,
       kNi + kHao + kMa,
       true,
       kHao,
       2},
      {"an ideograph and the comma after it",
       {Known(kNi), Unknown({{30, 37}, {39, 49}, {52, 56}})},
       1,
       kNi + kHao + kComma,
       true,
       kHao,
       2},
      {"a comma alone", {Known(kNi), Unknown({{24, 28}})}, 1, kNi + kComma, true, kComma, 1},
      {"Latin letters, spaced in the reference",
       {Known(kNi), Unknown({{30, 36}, {38, 44}})},
       1,
       kNi + " OK",
       true,
       "O",
       1},
      {"a known glyph of two characters",
       {Known("\xA1\xAD\xA1\xAD" /* …… */), Unknown({ideograph})},
       1,
       "\xA1\xAD\xA1\xAD" + kHao,
       true,
       kHao,
       1},
      {"two ideographs in one run", {Unknown({{0, 19}, {22, 41}})}, 0, kNi + kHao, true, kNi, 1},
      {"the first of two unknown runs",
       {Unknown({{0, 19}}), Known(kShi), Unknown({{50, 69}})},
       0,
       kNi + kShi + kHao,
       true,
       kNi,
       1},
      {"the second of two unknown runs",
       {Known(kNi), Known(kShi), Unknown({{50, 69}})},
       2,
       kNi + kShi + kHao,
       true,
       kHao,
       1},
      // Not sure: the reference lacks a character, has one too many, or reads another way.
      {"the reference lacks the unknown character",
       {Known(kNi), Unknown({ideograph}), Known(kMa)},
       1,
       kNi + kMa,
       false,
       kMa,
       0},
      {"the reference has a character more",
       {Known(kNi), Unknown({ideograph})},
       1,
       kNi + kHao + kMa,
       false,
       kHao,
       0},
      {"a known glyph the reference does not hold",
       {Known(kNi), Unknown({ideograph})},
       1,
       kTa + kHao,
       false,
       kHao,
       0},
      {"too narrow for an ideograph",
       {Known(kNi), Unknown({{30, 38}})},
       1,
       kNi + kHao,
       false,
       kHao,
       0},
      {"three narrow segments for two letters",
       {Unknown({{0, 6}, {8, 14}, {16, 22}})},
       0,
       "OK",
       false,
       "O",
       0},
      {"a skipped glyph earlier on the line",
       {Skipped(), Unknown({ideograph})},
       1,
       kNi + kHao,
       false,
       kHao,
       0},
      {"an empty reference line", {Unknown({ideograph})}, 0, "", false, "", 0},
  };
  for (const Case& c : cases) {
    const ocr::ReferenceReading reading = ocr::ReadFromReference(c.items, c.run, c.reference, 20);
    EXPECT_EQ(reading.certain, c.certain) << c.name;
    if (c.certain) {
      EXPECT_EQ(reading.text, c.text) << c.name;
      EXPECT_EQ(reading.segment_count, c.segments) << c.name;
    }
    if (c.text.empty()) {
      EXPECT_TRUE(reading.candidates.empty()) << c.name;
    } else {
      ASSERT_FALSE(reading.candidates.empty()) << c.name;
      EXPECT_EQ(reading.candidates.front(), c.text) << c.name;
    }
  }
  // Without a standard width nothing is certain.
  EXPECT_FALSE(ocr::ReadFromReference({Known(kNi), Unknown({{30, 49}})}, 1, kNi + kHao, 0).certain);
}

TEST(ReferenceReading, LinesAndCharactersOfAReferenceText) {
  struct Case {
    std::string text;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {kNi + "\\N" + kHao, {kNi, kHao}},
      {"{\\i1}" + kNi + "{\\i0}\\N<b>" + kHao + "</b>", {kNi, kHao}},
      // A trail byte that looks like a brace or a backslash belongs to its character.
      {"\x81\x7B" + kNi + "}", {"\x81\x7B" + kNi + "}"}},
      {"\x81\x5CN", {"\x81\x5CN"}},
      {"{unclosed", {"{unclosed"}},
      {"", {""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ocr::ReferenceLines(c.text), c.lines) << c.text;
  }
  EXPECT_EQ(ocr::ReferenceCharacters("O K\t" + kNi + "\xA1\xA1" + kHao),
            (std::vector<std::string>{"O", "K", kNi, kHao}));
}

TEST(ReferenceReading, PairsARowWithTheReferenceRowItOverlapsMost) {
  document::RowTable reference(document::kReferenceColumnCount);
  const struct {
    const char* start;
    const char* end;
    std::string text;
  } rows[] = {{"00:00:01.000", "00:00:03.000", "one"},
              {"00:00:03.000", "00:00:06.000", "two"},
              {"00:00:06.500", "00:00:07.000", "three"}};
  for (int i = 0; i < 3; ++i) {
    if (i > 0) {
      reference.AppendRow();
    }
    reference.SetCell(document::kStart, i + 1, rows[i].start);
    reference.SetCell(document::kEnd, i + 1, rows[i].end);
    reference.SetCell(document::kText, i + 1, rows[i].text);
  }
  const struct {
    const char* start;
    const char* end;
    std::string expected;
  } cases[] = {
      {"00:00:02.500", "00:00:05.000", "two"},  // 0.5 s of one, 2 s of two
      {"00:00:01.000", "00:00:03.000", "one"},  // touching two is no overlap
      {"00:00:05.500", "00:00:07.000", "two"},  // 0.5 s each: the first wins
      {"00:00:06.000", "00:00:06.500", ""},     // only touches
      {"00:00:00.000", "00:00:00.900", ""},     // before every row
      {"garbage", "00:00:02.000", ""},          // no time
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ocr::PairedReferenceText(reference, c.start, c.end), c.expected) << c.start;
  }
}

// --- The walk ----------------------------------------------------------------------------------

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

// Rows of a picture subtitle over an empty library, S_G 10 (glyphs 8 columns wide, 4 apart), with
// a reference table beside it.
struct ReferenceWalk {
  ReferenceWalk() : recogniser(library.library, pictures) {
    document.picture_folder = pictures_folder.path();
    document.picture_mode = true;
    recogniser.Options().glyph_width = 10;
    recogniser.SetReferenceTable(&document.reference);
  }

  // A main row from `start` seconds for two seconds showing `glyphs`.
  int AddRow(int start, const std::vector<Art>& glyphs) {
    const int row = next_row++;
    if (row > 1) {
      document.main.AppendRow();
    }
    const std::string name = std::to_string(row) + ".bmp";
    document.main.SetCell(document::kPicture, row, name);
    document.main.SetCell(document::kStart, row, Time(start));
    document.main.SetCell(document::kEnd, row, Time(start + 2));
    pictures_folder.Write(name, "BM");
    pictures.Put(pictures_folder / name, BitmapFromRows(Compose(glyphs, 4, 3)));
    return row;
  }
  void AddReference(int start, int end, const std::string& text) {
    const int row = next_reference++;
    if (row > 1) {
      document.reference.AppendRow();
    }
    document.reference.SetCell(document::kStart, row, Time(start));
    document.reference.SetCell(document::kEnd, row, Time(end));
    document.reference.SetCell(document::kText, row, text);
  }
  static std::string Time(int seconds) {
    return "00:00:" + std::string(seconds < 10 ? "0" : "") + std::to_string(seconds) + ".000";
  }
  std::string Text(int row) const {
    return document.main.Cell(document::kText, row);
  }
  ocr::RunOutcome Run() {
    const ocr::RunPorts ports{teacher, pump, messages, texts};
    return ocr::RunRecognition(recogniser, document, 1, ports);
  }
  // An answer that notes the question's suggestions before saving `text`.
  ocr_testing::ScriptedTeacher::Action NoteAndSave(std::string text) {
    return [this, text](ocr::TeachingSession& session) {
      asked.push_back(session.Suggestions());
      SaveAs(text)(session);
    };
  }

  ocr_testing::EmptyLibrary library;
  ocr_testing::MemoryPictureIo pictures;
  testing_support::TempDir pictures_folder;
  ocr::Recogniser recogniser;
  document::SubtitleDocument document;
  testing_support::FakeMessages messages;
  testing_support::FakeEventPump pump;
  MessageTexts texts;
  ocr_testing::ScriptedTeacher teacher;
  std::vector<std::vector<ocr::Suggestion>> asked;
  int next_row = 1;
  int next_reference = 1;
};

TEST(ReferenceWalk, TeachesWithoutAskingWhereTheReferenceIsCertain) {
  ReferenceWalk walk;
  walk.AddRow(10, {kBlock, kRing, kCross, kDot});
  walk.AddRow(20, {kCross, kBlock});
  // Paired by time: the reference rows come in another order and overlap the main rows.
  walk.AddReference(19, 23, kMa + kNi);
  walk.AddReference(9, 13, kNi + " " + kHao + kMa + kComma);
  const auto outcome = walk.Run();
  EXPECT_EQ(outcome.end, ocr::RunEnd::kCompleted);
  EXPECT_EQ(walk.teacher.questions, 0);
  EXPECT_EQ(walk.Text(1), kNi + kHao + kMa + kComma);
  EXPECT_EQ(walk.Text(2), kMa + kNi);
  EXPECT_EQ(outcome.glyphs.automatic, 4);
  EXPECT_EQ(outcome.glyphs.matched, 2);
  const library::GlyphLibrary& library = walk.library.library;
  ASSERT_EQ(library.RecordCount(), 4);
  const auto& taught = walk.recogniser.AutomaticTeachings();
  ASSERT_EQ(taught.size(), 4u);
  const std::string texts[] = {kNi, kHao, kMa, kComma};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(taught[i].row, 1);
    EXPECT_EQ(taught[i].text, texts[i]);
    EXPECT_EQ(taught[i].number, i + 1);
    EXPECT_EQ(library.Text(i), texts[i]);
    EXPECT_EQ(taught[i].features, library.FeatureLine(i));
    ASSERT_NE(taught[i].glyph, nullptr);
    EXPECT_EQ(walk.pictures.files.count(library.PicturePath(i + 1).string()), 1u);
  }
  EXPECT_EQ(taught[3].glyph->Width(), 2);  // the dot's own box
  EXPECT_EQ(walk.recogniser.TaughtRows(), (std::vector<int>{1, 1, 1, 1}));
}

TEST(ReferenceWalk, AsksWithTheReferenceCharacterFirstWhereItIsNotSure) {
  struct Case {
    const char* name;
    std::string reference;
    std::string first_suggestions[3];  // of the three questions; "" for none from the reference
  };
  const Case cases[] = {
      {"a character missing", kNi + kMa, {kNi, kMa, ""}},
      {"a character too many", kNi + kHao + kMa + kShi, {kNi, kHao, kMa}},
      {"another line count", kNi + "\\N" + kHao + kMa, {kNi, kHao, kMa}},
  };
  for (const Case& c : cases) {
    ReferenceWalk walk;
    walk.AddRow(10, {kBlock, kRing, kCross});
    walk.AddReference(10, 12, c.reference);
    walk.teacher.actions = {walk.NoteAndSave(kNi), walk.NoteAndSave(kHao), walk.NoteAndSave(kMa)};
    const auto outcome = walk.Run();
    EXPECT_EQ(outcome.glyphs.automatic, 0) << c.name;
    EXPECT_EQ(walk.Text(1), kNi + kHao + kMa) << c.name;
    ASSERT_EQ(walk.asked.size(), 3u) << c.name;
    for (int i = 0; i < 3; ++i) {
      const auto& suggestions = walk.asked[i];
      const bool from_reference =
          !suggestions.empty() && suggestions[0].source == ocr::SuggestionSource::kReference;
      EXPECT_EQ(from_reference ? suggestions[0].text : "", c.first_suggestions[i])
          << c.name << ", question " << i + 1;
    }
  }
}

TEST(ReferenceWalk, WithTheOptionOffTheReferenceChangesNothing) {
  ReferenceWalk walk;
  walk.AddRow(10, {kBlock, kRing});
  walk.AddReference(10, 12, kNi + kHao);
  walk.recogniser.Options().reference_teaching = false;
  walk.teacher.actions = {walk.NoteAndSave(kNi), walk.NoteAndSave(kHao)};
  const auto outcome = walk.Run();
  EXPECT_EQ(outcome.glyphs.automatic, 0);
  EXPECT_EQ(walk.teacher.questions, 2);
  ASSERT_EQ(walk.asked.size(), 2u);
  for (const auto& suggestions : walk.asked) {
    for (const auto& suggestion : suggestions) {
      EXPECT_NE(suggestion.source, ocr::SuggestionSource::kReference);
    }
  }
  EXPECT_TRUE(walk.recogniser.AutomaticTeachings().empty());
}

TEST(ReferenceWalk, UndoingAnAutomaticTeachingRemovesExactlyThatRecord) {
  ReferenceWalk walk;
  walk.AddRow(10, {kRing});
  walk.teacher.actions = {SaveAs(kShi)};  // asked: no reference row overlaps this one
  walk.AddRow(20, {kBlock, kCross, kRing});
  walk.AddReference(20, 22, kNi + kMa + kShi);
  ASSERT_EQ(walk.Run().glyphs.automatic, 2);
  library::GlyphLibrary& library = walk.library.library;
  ASSERT_EQ(library.RecordCount(), 3);  // 是 taught, 你 and 吗 from the reference
  const int old_count = library.RecordCount();
  ASSERT_EQ(walk.recogniser.AutomaticTeachings()[0].number, 2);
  ports::NullEventPump pump;
  const auto deleted = library::DeleteRecords(library, {2}, pump);
  ASSERT_TRUE(deleted.ok());
  EXPECT_EQ(deleted.value(), 1);
  walk.recogniser.ForgetRecords({2}, old_count);
  ASSERT_EQ(library.RecordCount(), 2);
  EXPECT_EQ(library.Text(0), kShi);
  EXPECT_EQ(library.Text(1), kMa);
  ASSERT_EQ(walk.recogniser.AutomaticTeachings().size(), 1u);
  EXPECT_EQ(walk.recogniser.AutomaticTeachings()[0].text, kMa);
  EXPECT_EQ(walk.recogniser.AutomaticTeachings()[0].number, 2);
  EXPECT_EQ(walk.recogniser.TaughtRows(), (std::vector<int>{1, 2}));
  // The files hold the same: a fresh load finds 是 and 吗 only.
  library::GlyphLibrary reloaded(walk.library.folder.path());
  ASSERT_TRUE(reloaded.Load(pump).ok());
  ASSERT_EQ(reloaded.RecordCount(), 2);
  EXPECT_EQ(reloaded.Text(1), kMa);
}

}  // namespace

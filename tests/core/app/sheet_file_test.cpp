// The sheet file: written and read back with every field, and refused when damaged.
#include "app/sheet_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"
#include "text/line_file.h"

namespace {

const std::string kNi = "\xC4\xE3";  // 你

ocr::GlyphSheet TwoShapes() {
  ocr::GlyphSheet sheet;
  sheet.SetSubtitle("/films/a \"b\"/film.srt");
  auto none = [] { return std::shared_ptr<const ocr::Picture>(); };
  auto no_guess = [] { return ocr::GuessPicture{}; };
  const std::string first = "400,400,333,333,467,520,200,200,0,0,600,400,500,22,23";
  const std::string second = "1,2,3,4,5,6,7,8,9,10,11,12,13";
  sheet.Note(first, 4353, {1, "0001.bmp", 0, {294, 2, 22, 23}}, none, no_guess);
  sheet.Note(second, 91, {2, "0002.bmp", 1, {10, 40, 9, 12}}, none, no_guess);
  sheet.Note(first, 4353, {8, "0008.bmp", 1, {378, 44, 22, 23}}, none, no_guess);
  auto& shapes = sheet.Shapes();
  shapes[0].candidates = {
      {kNi, {ocr::SuggestionSource::kReference, ocr::SuggestionSource::kOcrGuess}, 95, -1},
      {"x", {ocr::SuggestionSource::kLibrary}, 60, 300}};
  shapes[0].text = kNi;
  shapes[1].noise = true;
  shapes[1].text = "a\\b";
  return sheet;
}

TEST(SheetFile, RoundTripsEveryField) {
  testing_support::TempDir dir;
  const ocr::GlyphSheet sheet = TwoShapes();
  ASSERT_TRUE(app::WriteSheetFile(dir / "sheet.json", sheet).ok());
  auto read = app::ReadSheetFile(dir / "sheet.json");
  ASSERT_TRUE(read.ok()) << read.error().message;
  EXPECT_EQ(read.value().Subtitle(), sheet.Subtitle());
  ASSERT_EQ(read.value().Shapes().size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const auto& a = sheet.Shapes()[i];
    const auto& b = read.value().Shapes()[i];
    EXPECT_EQ(b.features, a.features);
    EXPECT_EQ(b.key, a.key);
    EXPECT_EQ(b.count, a.count);
    EXPECT_EQ(b.text, a.text);
    EXPECT_EQ(b.noise, a.noise);
    ASSERT_EQ(b.occurrences.size(), a.occurrences.size());
    for (std::size_t k = 0; k < a.occurrences.size(); ++k) {
      EXPECT_EQ(b.occurrences[k].row, a.occurrences[k].row);
      EXPECT_EQ(b.occurrences[k].picture, a.occurrences[k].picture);
      EXPECT_EQ(b.occurrences[k].line, a.occurrences[k].line);
      EXPECT_EQ(b.occurrences[k].box.left, a.occurrences[k].box.left);
      EXPECT_EQ(b.occurrences[k].box.height, a.occurrences[k].box.height);
    }
    ASSERT_EQ(b.candidates.size(), a.candidates.size());
    for (std::size_t k = 0; k < a.candidates.size(); ++k) {
      EXPECT_EQ(b.candidates[k].text, a.candidates[k].text);
      EXPECT_EQ(b.candidates[k].sources, a.candidates[k].sources);
      EXPECT_EQ(b.candidates[k].confidence, a.candidates[k].confidence);
      EXPECT_EQ(b.candidates[k].distance, a.candidates[k].distance);
    }
  }
  // Written again, the read sheet gives the same bytes.
  EXPECT_EQ(app::SheetToJson(read.value()), app::SheetToJson(sheet));
  EXPECT_NE(app::SheetToJson(sheet).find("\"text\":\"\xE4\xBD\xA0\""), std::string::npos);
}

TEST(SheetFile, DamagedFilesAreRefusedWithWhereTheyFailed) {
  testing_support::TempDir dir;
  const std::string whole = app::SheetToJson(TwoShapes());
  struct Case {
    const char* name;
    std::string bytes;
    std::string message;
  };
  const Case cases[] = {
      {"truncated", whole.substr(0, whole.size() / 2), "at byte"},
      {"not a sheet", "{\"rows\":[]}", "no \"shapes\""},
      {"a shape without its box", "{\"shapes\":[{\"features\":\"1,2\"}]}", "shape 1"},
      {"a broken FeatureLine",
       "{\"shapes\":[{\"features\":\"1,2\",\"first\":{\"picture\":\"a\",\"box\":[1,2,3,4]}}]}",
       "not a FeatureLine"},
      {"a text without GBK",
       "{\"shapes\":[{\"features\":\"0,0,0,0,0,0,0,0,0,0,0,0,0\",\"first\":{\"picture\":\"a\","
       "\"box\":[1,2,3,4]},\"text\":\"\\u0e01\"}]}",
       "GBK"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(text::WriteFileAtomic(dir / "bad.json", c.bytes).ok());
    auto read = app::ReadSheetFile(dir / "bad.json");
    ASSERT_FALSE(read.ok()) << c.name;
    EXPECT_EQ(read.error().code, "format") << c.name;
    EXPECT_NE(read.error().message.find(c.message), std::string::npos)
        << c.name << ": " << read.error().message;
  }
  EXPECT_EQ(app::ReadSheetFile(dir / "missing.json").error().code, "io");
}

}  // namespace

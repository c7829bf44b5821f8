// OpenCC through ScriptConverter: the phrase conversions a character table gets wrong, the eight
// directions, and what happens when OpenCC's data is missing or damaged.
#include "chinese/script_converter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "loader/module_loader.h"
#include "support/temp_dir.h"

namespace chinese {
namespace {

ScriptConverter Open(Direction direction) {
  auto opened = ScriptConverter::Open(direction, DefaultDataFolder());
  EXPECT_TRUE(opened.ok()) << (opened.ok() ? "" : opened.error().message);
  return std::move(opened.value());
}

TEST(ScriptConverter, ConvertsByPhraseWhereOneCharacterHasSeveralCounterparts) {
  struct Case {
    Direction direction;
    const char* input;
    const char* expected;
  };
  const Case cases[] = {
      {Direction::kS2T, "头发", "頭髮"},  {Direction::kS2T, "发展", "發展"},
      {Direction::kS2T, "干杯", "乾杯"},  {Direction::kS2T, "干燥", "乾燥"},
      {Direction::kS2T, "干部", "幹部"},  {Direction::kS2T, "后天", "後天"},
      {Direction::kS2T, "皇后", "皇后"},  {Direction::kS2T, "他的头发在发展", "他的頭髮在發展"},
      {Direction::kT2S, "頭髮", "头发"},  {Direction::kT2S, "乾燥", "干燥"},
      {Direction::kT2S, "幹部", "干部"},  {Direction::kT2S, "後天", "后天"},
      {Direction::kT2S, "皇后", "皇后"},  {Direction::kS2TWP, "内存", "記憶體"},
      {Direction::kS2TW, "着", "著"},     {Direction::kTW2SP, "軟體", "软件"},
      {Direction::kTW2S, "軟體", "软体"}, {Direction::kS2HK, "着", "着"},
      {Direction::kHK2S, "頭髮", "头发"}, {Direction::kS2T, "ok 123", "ok 123"},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(Open(test.direction).ConvertUtf8(test.input), test.expected)
        << DirectionName(test.direction) << " " << test.input;
  }
}

TEST(ScriptConverter, PiecesCoverTheTextAndJoinToTheConversion) {
  const ScriptConverter converter = Open(Direction::kS2T);
  const std::string input = "他说：头发很干燥。\\N然后干杯！";
  std::string sources;
  std::string converted;
  for (const Piece& piece : converter.ConvertPieces(input)) {
    sources += piece.source;
    converted += piece.converted;
  }
  EXPECT_EQ(sources, input);
  EXPECT_EQ(converted, converter.ConvertUtf8(input));
  EXPECT_EQ(converted, "他說：頭髮很乾燥。\\N然後乾杯！");
}

// Random runs of common characters meet many phrases of the dictionaries by chance, and the
// Chinese subtitles of the corpus add real sentences.
std::string MixedText() {
  std::ifstream characters_file(ZENTROPE_SOURCE_DIR "/bench/film_characters.txt");
  std::string line;
  std::string characters;
  while (std::getline(characters_file, line)) {
    if (!line.empty() && line[0] != '#') {
      characters += line;
    }
  }
  std::vector<std::string> pool;
  for (size_t i = 0; i < characters.size();) {
    const auto lead = static_cast<unsigned char>(characters[i]);
    const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    pool.push_back(characters.substr(i, length));
    i += length;
  }
  const char* phrases[] = {"头发", "发展", "干杯",   "干燥", "干部", "后天", "皇后",   "内存",
                           "软件", "鼠标", "出租车", "信息", "程序", "网络", "打印机", "面条"};
  std::mt19937 random(18);
  std::string text;
  for (int i = 0; i < 20000; ++i) {
    text +=
        random() % 5 == 0 ? phrases[random() % std::size(phrases)] : pool[random() % pool.size()];
    if (random() % 40 == 0) {
      text += "\\N";
    }
  }
  for (const char* name :
       {"srtmergebox-chinese-unpadded-times-long.srt", "libass-tests-cjk-utf8-crlf.ass",
        "xyvsfilter-fansub-chs-jpn-karaoke-bom-crlf.ass"}) {
    std::ifstream file(std::filesystem::path(ZENTROPE_CORPUS_DIR) / name, std::ios::binary);
    EXPECT_TRUE(file.good()) << name;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    text += bytes.str();
  }
  return text;
}

TEST(ScriptConverter, TablesConvertExactlyAsOpenCcDoes) {
  const std::string simplified = MixedText();
  const std::string traditional = Open(Direction::kS2T).ConvertUtf8WithOpenCc(simplified);
  ASSERT_NE(traditional, simplified);
  for (const Direction direction : kAllDirections) {
    const ScriptConverter converter = Open(direction);
    EXPECT_TRUE(converter.UsesTables()) << DirectionName(direction);
    for (const std::string* text : {&simplified, &traditional}) {
      EXPECT_EQ(converter.ConvertUtf8(*text), converter.ConvertUtf8WithOpenCc(*text))
          << DirectionName(direction);
    }
  }
}

TEST(ScriptConverter, TextAfterAZeroByteIsConvertedToo) {
  const ScriptConverter converter = Open(Direction::kS2T);
  const std::string input("头发\0头发", 13);
  EXPECT_EQ(converter.ConvertUtf8(input), std::string("頭髮\0頭髮", 13));
}

TEST(ScriptConverter, NamesAndConfigurationFilesOfTheEightDirections) {
  for (const Direction direction : kAllDirections) {
    EXPECT_EQ(DirectionNamed(DirectionName(direction)), direction);
    EXPECT_TRUE(std::filesystem::exists(DefaultDataFolder() / ConfigurationFile(direction)))
        << ConfigurationFile(direction);
    EXPECT_TRUE(ScriptConverter::Open(direction, DefaultDataFolder()).ok());
  }
  EXPECT_EQ(ConfigurationFile(Direction::kTW2SP), "tw2sp.json");
  EXPECT_FALSE(DirectionNamed("s2jp").has_value());
  EXPECT_FALSE(DirectionNamed("").has_value());
}

TEST(ScriptConverter, MissingDataIsAnErrorNamingTheFile) {
  testing_support::TempDir empty;
  const text::Status checked = CheckData(empty.path());
  ASSERT_FALSE(checked.ok());
  EXPECT_EQ(checked.error().code, "opencc-data");
  EXPECT_NE(checked.error().message.find("s2t.json"), std::string::npos);

  auto opened = ScriptConverter::Open(Direction::kT2S, empty.path());
  ASSERT_FALSE(opened.ok());
  EXPECT_NE(opened.error().message.find("t2s.json"), std::string::npos);

  EXPECT_TRUE(CheckData(DefaultDataFolder()).ok());
}

TEST(ScriptConverter, ConfigurationWithoutItsDictionariesIsAnErrorNotACrash) {
  testing_support::TempDir folder;
  // OpenCC looks for a dictionary next to the configuration and then in its own folder.
  folder.Write("s2t.json",
               R"({"name": "x", "segmentation": {"type": "mmseg", "dict": {"type": "ocd2",)"
               R"( "file": "Missing.ocd2"}}, "conversion_chain": []})");
  folder.Write("t2s.json", "{ not json");
  for (const Direction direction : {Direction::kS2T, Direction::kT2S}) {
    auto opened = ScriptConverter::Open(direction, folder.path());
    ASSERT_FALSE(opened.ok()) << DirectionName(direction);
    EXPECT_EQ(opened.error().code, "opencc-data");
  }
}

TEST(ScriptConverter, MissingModuleIsAnErrorNamingTheModule) {
  testing_support::TempDir empty;
  loader::SetModuleFolder(empty.path());
  auto opened = ScriptConverter::Open(Direction::kS2T, DefaultDataFolder());
  loader::SetModuleFolder(std::nullopt);
  ASSERT_FALSE(opened.ok());
  EXPECT_EQ(opened.error().code, "module");
  EXPECT_NE(opened.error().message.find(loader::kOpenCcModule), std::string::npos)
      << opened.error().message;
  EXPECT_TRUE(ScriptConverter::Open(Direction::kS2T, DefaultDataFolder()).ok());
}

TEST(ConverterSet, OpensEachDirectionOnceAndRetriesAfterAFailure) {
  ConverterSet set(DefaultDataFolder());
  auto first = set.Get(Direction::kS2T);
  auto again = set.Get(Direction::kS2T);
  ASSERT_TRUE(first.ok());
  ASSERT_TRUE(again.ok());
  EXPECT_EQ(first.value(), again.value());
  EXPECT_EQ(first.value()->direction(), Direction::kS2T);

  testing_support::TempDir folder;
  ConverterSet missing(folder.path());
  EXPECT_FALSE(missing.Get(Direction::kS2T).ok());
  std::filesystem::copy_file(DefaultDataFolder() / "s2t.json", folder / "s2t.json");
  std::filesystem::copy_file(DefaultDataFolder() / "STPhrases.ocd2", folder / "STPhrases.ocd2");
  std::filesystem::copy_file(DefaultDataFolder() / "STCharacters.ocd2",
                             folder / "STCharacters.ocd2");
  EXPECT_TRUE(missing.Get(Direction::kS2T).ok());
}

}  // namespace
}  // namespace chinese

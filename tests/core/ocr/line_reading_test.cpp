// Giving the symbols of a line reading to the line's glyphs, with the engine's output faked.
#include "ocr/line_reading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ocr::LineGlyph;
using ocr::LineSymbol;

const std::string kNi = "\xC4\xE3";        // 你
const std::string kHao = "\xBA\xC3";       // 好
const std::string kMa = "\xC2\xF0";        // 吗
const std::string kColon = "\xA3\xBA";     // ：
const std::string kQuestion = "\xA3\xBF";  // ？
const std::string kComma = "\xA3\xAC";     // ，
const std::string kExclaim = "\xA3\xA1";   // ！
const std::string kLess = "\xA3\xBC";      // ＜
const std::string kGreater = "\xA3\xBE";   // ＞

std::vector<std::string> Texts(const std::vector<LineSymbol>& aligned) {
  std::vector<std::string> texts;
  for (const auto& symbol : aligned) {
    texts.push_back(symbol.text);
  }
  return texts;
}

// Glyph boxes `width` wide, `step` apart, from column 10.
std::vector<LineGlyph> Glyphs(int count, int width, int step) {
  std::vector<LineGlyph> glyphs;
  for (int i = 0; i < count; ++i) {
    glyphs.push_back({10 + i * step, 10 + i * step + width});
  }
  return glyphs;
}

// Symbols read over `glyphs` with their boxes lagging `lag` columns to the right.
std::vector<LineSymbol> Lagging(const std::vector<std::string>& texts,
                                const std::vector<LineGlyph>& over, int lag) {
  std::vector<LineSymbol> symbols;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    symbols.push_back({texts[i], over[i].left + lag, over[i].right + lag, 90});
  }
  return symbols;
}

TEST(LineReading, GivesSymbolsToGlyphsOnGeneratedLines) {
  struct Case {
    const char* name;
    std::vector<LineGlyph> glyphs;
    std::vector<LineSymbol> symbols;
    bool cjk;
    std::vector<std::string> expected;
  };
  const auto cjk = Glyphs(4, 20, 22);   // four ideograph cells, S_G 20
  const auto latin = Glyphs(5, 9, 10);  // five letters of half width
  // A glyph in two segments (a split ideograph) is one glyph: 你 [10,30) 好 [32,52) as parts
  // 32-40 and 43-52 make one glyph 32..52; the engine reads it as one symbol.
  const std::vector<LineGlyph> split = {{10, 30}, {32, 52}, {54, 74}};
  const Case cases[] = {
      {"CJK, as many symbols as glyphs, boxes lagging by half a glyph",
       cjk,
       Lagging({kNi, kHao, kMa, "?"}, cjk, 10),
       true,
       {kNi, kHao, kMa, kQuestion}},
      {"CJK, one glyph the engine left out: by shifted centres",
       cjk,
       {{kNi, 16, 36, 90}, {kMa, 60, 80, 90}, {":", 82, 90, 90}},
       true,
       {kNi, "", kMa, kColon}},
      {"CJK, every ASCII mark to full width",
       Glyphs(6, 20, 22),
       Lagging({",", "!", "?", ":", "<", ">"}, Glyphs(6, 20, 22), 4),
       true,
       {kComma, kExclaim, kQuestion, kColon, kLess, kGreater}},
      {"Latin: marks stay ASCII",
       latin,
       Lagging({"H", "e", "y", ",", "!"}, latin, 2),
       false,
       {"H", "e", "y", ",", "!"}},
      {"Latin, the engine split one letter in two: the nearer part wins",
       latin,
       {{"H", 16, 25, 90},
        {"e", 26, 35, 90},
        {"r", 36, 40, 60},
        {"n", 40, 45, 60},
        {"o", 46, 55, 90},
        {"w", 56, 65, 90}},
       false,
       {"H", "e", "n", "o", "w"}},
      {"a glyph in two segments read as one symbol",
       split,
       Lagging({kNi, kHao, kMa}, split, 6),
       true,
       {kNi, kHao, kMa}},
      {"nothing read", cjk, {}, true, {"", "", "", ""}},
  };
  for (const Case& c : cases) {
    const auto aligned = ocr::AlignLineSymbols(c.symbols, c.glyphs, c.cjk, 20);
    EXPECT_EQ(Texts(aligned), c.expected) << c.name;
    ASSERT_EQ(aligned.size(), c.glyphs.size()) << c.name;
    for (std::size_t i = 0; i < aligned.size(); ++i) {
      EXPECT_EQ(aligned[i].left, c.glyphs[i].left) << c.name;
    }
  }
}

TEST(LineReading, LinesAreCjkByTheirKnownTextsAndBandsScaleInto16To32Pixels) {
  EXPECT_TRUE(ocr::IsCjkLine({kNi, kHao, "A"}));
  EXPECT_FALSE(ocr::IsCjkLine({"He", kNi}));
  EXPECT_FALSE(ocr::IsCjkLine({}));
  EXPECT_EQ(ocr::FullWidthMark("."), ".");
  EXPECT_EQ(ocr::FullWidthMark("::"), "::");
  struct Case {
    int height;
    int percent;
  };
  for (const Case c : {Case{20, 100}, Case{16, 100}, Case{32, 100}, Case{64, 50}, Case{48, 66},
                       Case{8, 200}, Case{10, 160}, Case{0, 100}}) {
    EXPECT_EQ(ocr::LineBandScalePercent(c.height), c.percent) << c.height;
    const int scaled = c.height * ocr::LineBandScalePercent(c.height) / 100;
    if (c.height > 0) {
      EXPECT_GE(scaled, 15) << c.height;
      EXPECT_LE(scaled, 32) << c.height;
    }
  }
}

}  // namespace

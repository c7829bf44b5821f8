// The encodings subtitle files come in, their detection, and their conversion to the GBK text
// the core holds: the one place where file bytes become core text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// An input encoding as the user may force it, or as detection found it.
enum class Encoding {
  kAuto,  // detect (see DecodeInput)
  kUtf8,
  kUtf16Le,
  kUtf16Be,
  kUtf32Le,
  kUtf32Be,
  kGbk,  // GBK bytes as they stand (GB18030's two-byte part included)
  kGb18030,
  kBig5,
  kBig5Hkscs,
  kCp1250,  // Windows Central European
  kCp1251,  // Windows Cyrillic
  kCp1252,  // Windows Western
};

// The names users type and settings hold: "auto", "utf-8", "utf-16" (little endian; "utf-16be"),
// "utf-32", "utf-32be", "gbk", "gb18030", "big5", "big5-hkscs", "cp1250", "cp1251", "cp1252"
// (also "windows-125x"), compared without regard to case. nullopt for any other name.
std::optional<Encoding> EncodingByName(std::string_view name);
// The first of those names for `encoding`.
const char* EncodingName(Encoding encoding);
// Every name EncodingByName takes, for help texts and option checks.
std::vector<std::string> EncodingNames();

// The result of reading file bytes as core (GBK) text.
struct DecodedInput {
  std::string gbk;
  Encoding encoding = Encoding::kGbk;  // what was used; never kAuto
  // Characters the GBK text cannot hold, and malformed sequences, that became '?'.
  int replaced = 0;
  // For a detected encoding: one line saying what was chosen over what, when two readings were
  // both valid ("read as GBK, not UTF-8: ..."); empty otherwise.
  std::string note;
};

// Reads `raw` in `forced`, or with kAuto by detection:
//   1. a byte-order mark decides (UTF-8, UTF-32 before UTF-16, either byte order);
//   2. pure ASCII is taken as it stands;
//   3. the Chinese readings that are valid (UTF-8, GBK, Big5, Big5-HKSCS) are scored by how many
//      of their characters are common Chinese characters (a table of about 800 Simplified and
//      Traditional characters); the highest wins, UTF-8 on a tie, and `note` says so when
//      another valid reading lost;
//   4. otherwise uchardet's guess among the Windows code pages 1250, 1251 and 1252, then
//      GB18030, then each code page in turn: the first that reads every byte.
// A mark is skipped, never kept. Errors: nullopt when no encoding tried reads the bytes (the
// caller names the encodings with TriedEncodingsText()). A forced encoding never fails: what it
// cannot read becomes '?' and counts as replaced.
std::optional<DecodedInput> DecodeInput(std::string_view raw, Encoding forced);

// "UTF-8, UTF-16, UTF-32, GBK, GB18030, Big5, Big5-HKSCS, Windows-1250, Windows-1251,
// Windows-1252": the encodings automatic detection tries.
std::string TriedEncodingsText();

// UTF-16 (after its byte-order mark) to UTF-8. Broken surrogates and an odd last byte become '?'
// and are counted in `replaced`, so that nothing is lost without a word.
std::string Utf16ToUtf8(std::string_view bytes, bool little_endian, int& replaced);

// How many characters of the UTF-8 text `utf8` are among the common Chinese characters. Used to
// choose between readings; 0 for text without them.
int CommonChineseScore(std::string_view utf8);

// uchardet's name for the encoding of `bytes` ("" when it has no answer). The only call into
// the library.
std::string GuessCharset(std::string_view bytes);

}  // namespace text

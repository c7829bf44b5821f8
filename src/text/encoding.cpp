// Input decoding: byte-order marks, the common-character score between valid readings,
// uchardet's guess, and iconv for every conversion.
#include "text/encoding.h"

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>

#include "text/gbk.h"

namespace text {
namespace {

struct NamedEncoding {
  Encoding encoding;
  const char* name;   // as users type it
  const char* iconv;  // as iconv knows it
};

// The first name of each encoding is its own; the others are taken too.
constexpr NamedEncoding kNames[] = {
    {Encoding::kAuto, "auto", ""},
    {Encoding::kUtf8, "utf-8", "UTF-8"},
    {Encoding::kUtf8, "utf8", "UTF-8"},
    {Encoding::kUtf16Le, "utf-16", "UTF-16LE"},
    {Encoding::kUtf16Le, "utf-16le", "UTF-16LE"},
    {Encoding::kUtf16Be, "utf-16be", "UTF-16BE"},
    {Encoding::kUtf32Le, "utf-32", "UTF-32LE"},
    {Encoding::kUtf32Le, "utf-32le", "UTF-32LE"},
    {Encoding::kUtf32Be, "utf-32be", "UTF-32BE"},
    {Encoding::kGbk, "gbk", "GBK"},
    {Encoding::kGbk, "cp936", "GBK"},
    {Encoding::kGb18030, "gb18030", "GB18030"},
    {Encoding::kBig5, "big5", "BIG5"},
    {Encoding::kBig5Hkscs, "big5-hkscs", "BIG5-HKSCS"},
    {Encoding::kCp1250, "cp1250", "CP1250"},
    {Encoding::kCp1250, "windows-1250", "CP1250"},
    {Encoding::kCp1251, "cp1251", "CP1251"},
    {Encoding::kCp1251, "windows-1251", "CP1251"},
    {Encoding::kCp1252, "cp1252", "CP1252"},
    {Encoding::kCp1252, "windows-1252", "CP1252"},
};

const char* IconvName(Encoding encoding) {
  for (const auto& named : kNames) {
    if (named.encoding == encoding) {
      return named.iconv;
    }
  }
  return "GBK";
}

// Common characters of Simplified and Traditional Chinese subtitles, UTF-8.
constexpr std::string_view kCommonChinese =
    "的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着"
    "去之过家学对可她里后小么心多天而能好都然没日于起还发成事只作当想看文无开手十用主"
    "行方又如前所本见经头面公同三已老从动两长知民样现分将外但身些与高意进把法此实回二"
    "理美点月明其种声全工己话儿者向情部正名定女问力机给等几很业最间新什打便位因重被走"
    "电四第门相次东政海口使教西再平真听世气信北少关并内加化由却代军产入先山五太水万市"
    "眼体别处总才场师书比住员九笑性通目华报立马命张活难神数件安表原车白应路期叫死常提"
    "感金何更反合放做系计或司利受光王果亲界及今京务制解各任至清物台象记边共风战干接它"
    "许八特觉望直服毛林题建南度统色字请交爱让认算论百吃义科怎元社术结六功指思非流每青"
    "管夫连远资队跟带花快条院变联言权往展该领传近留红治决周保达办运武半候七必城父强步"
    "完革深区即求品士转量空甚众技轻程告江语英基派满式李息写呢识极令黄德收脸钱党倒未持"
    "音跑投注谢喂味卤吗吧啊呀哦嗯哪妈爸哥姐弟妹孩朋友喜欢谁晚早饭睡醒哭怕坐站买卖找送"
    "拿帮忙错懂忘這們個來說為會時對學國過還後麼樣點裡發現開關與機長問間見動種體話讓當"
    "經從無沒應頭聽覺離愛謝歡請錢買讀寫車東員將實嗎邊門給電總聲處氣隊連難萬歲號媽誰別"
    "飯賣幫錯記幹嘛啦喔欸該著";

// Code points of the UTF-8 text (a malformed byte counts as U+FFFD).
std::u32string CodePoints(std::string_view utf8) {
  std::u32string out;
  size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const size_t length = lead < 0x80    ? 1
                          : lead >= 0xF0 ? 4
                          : lead >= 0xE0 ? 3
                          : lead >= 0xC0 ? 2
                                         : 1;
    if (i + length > utf8.size() || (length == 1 && lead >= 0x80)) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    char32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (size_t k = 1; k < length; ++k) {
      code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    }
    out.push_back(code);
    i += length;
  }
  return out;
}

const std::u32string& CommonTable() {
  static const std::u32string table = [] {
    std::u32string points = CodePoints(kCommonChinese);
    std::sort(points.begin(), points.end());
    return points;
  }();
  return table;
}

// `bytes` in `from`, to UTF-8. Strict: nullopt at the first sequence `from` cannot read. With
// `replaced`, lenient: such a byte becomes '?' and is counted.
std::optional<std::string> ToUtf8(std::string_view bytes, const char* from, int* replaced) {
  const iconv_t handle = iconv_open("UTF-8", from);
  if (handle == reinterpret_cast<iconv_t>(-1)) {
    return std::nullopt;
  }
  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 16);
  char* in_ptr = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  char buffer[4096];
  bool failed = false;
  while (in_left > 0) {
    char* out_ptr = buffer;
    size_t out_left = sizeof(buffer);
    const size_t rc = iconv(handle, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, static_cast<size_t>(out_ptr - buffer));
    if (rc != static_cast<size_t>(-1) || errno == E2BIG) {
      continue;
    }
    if (replaced == nullptr) {
      failed = true;
      break;
    }
    out.push_back('?');
    ++*replaced;
    ++in_ptr;
    --in_left;
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(handle);
  if (failed) {
    return std::nullopt;
  }
  return out;
}

// UTF-8 to the core's GBK text, counting what GBK cannot hold.
DecodedInput FromUtf8(std::string_view utf8, Encoding encoding, int replaced) {
  DecodedInput result;
  Converted converted = Utf8ToGbk(utf8);
  result.gbk = std::move(converted.text);
  result.replaced = replaced + converted.replaced;
  result.encoding = encoding;
  return result;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The encoding a byte-order mark names, and the mark's length; kAuto when there is none.
std::pair<Encoding, size_t> ByteOrderMark(std::string_view raw) {
  if (StartsWith(raw, std::string_view("\xFF\xFE\x00\x00", 4))) {
    return {Encoding::kUtf32Le, 4};
  }
  if (StartsWith(raw, std::string_view("\x00\x00\xFE\xFF", 4))) {
    return {Encoding::kUtf32Be, 4};
  }
  if (StartsWith(raw, "\xFF\xFE")) {
    return {Encoding::kUtf16Le, 2};
  }
  if (StartsWith(raw, "\xFE\xFF")) {
    return {Encoding::kUtf16Be, 2};
  }
  if (StartsWith(raw, "\xEF\xBB\xBF")) {
    return {Encoding::kUtf8, 3};
  }
  return {Encoding::kAuto, 0};
}

// `raw` (without a mark) in `encoding`, lenient.
DecodedInput Forced(std::string_view raw, Encoding encoding) {
  int replaced = 0;
  if (encoding == Encoding::kGbk) {
    // The core's own form: taken as it stands, as GBK files always were.
    DecodedInput result;
    result.gbk.assign(raw);
    result.encoding = encoding;
    return result;
  }
  if (encoding == Encoding::kUtf16Le || encoding == Encoding::kUtf16Be) {
    const std::string utf8 = Utf16ToUtf8(raw, encoding == Encoding::kUtf16Le, replaced);
    return FromUtf8(utf8, encoding, replaced);
  }
  const auto utf8 = ToUtf8(raw, IconvName(encoding), &replaced);
  return FromUtf8(utf8.value_or(""), encoding, replaced);
}

}  // namespace

std::optional<Encoding> EncodingByName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) {
    c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  }
  for (const auto& named : kNames) {
    if (lower == named.name) {
      return named.encoding;
    }
  }
  return std::nullopt;
}

const char* EncodingName(Encoding encoding) {
  for (const auto& named : kNames) {
    if (named.encoding == encoding) {
      return named.name;
    }
  }
  return "gbk";
}

std::vector<std::string> EncodingNames() {
  std::vector<std::string> names;
  for (const auto& named : kNames) {
    names.emplace_back(named.name);
  }
  return names;
}

std::string TriedEncodingsText() {
  return "UTF-8, UTF-16, UTF-32, GBK, GB18030, Big5, Big5-HKSCS, Windows-1250, Windows-1251, "
         "Windows-1252";
}

int CommonChineseScore(std::string_view utf8) {
  const std::u32string& table = CommonTable();
  int score = 0;
  for (const char32_t point : CodePoints(utf8)) {
    score += std::binary_search(table.begin(), table.end(), point) ? 1 : 0;
  }
  return score;
}

std::string GuessCharset(std::string_view bytes) {
  const std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(
      uchardet_new(), uchardet_delete);
  if (!detector || uchardet_handle_data(detector.get(), bytes.data(), bytes.size()) != 0) {
    return {};
  }
  uchardet_data_end(detector.get());
  const char* name = uchardet_get_charset(detector.get());
  return name != nullptr ? name : "";
}

std::string Utf16ToUtf8(std::string_view bytes, bool little_endian, int& replaced) {
  auto unit = [&](size_t at) -> std::uint32_t {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return little_endian ? (first | (second << 8)) : ((first << 8) | second);
  };
  const auto append = [](std::uint32_t code_point, std::string& out) {
    if (code_point < 0x80) {
      out.push_back(static_cast<char>(code_point));
    } else if (code_point < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
      out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else if (code_point < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
    }
  };
  std::string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i + 1 < bytes.size()) {
    const std::uint32_t high = unit(i);
    i += 2;
    if (high >= 0xDC00 && high <= 0xDFFF) {
      out.push_back('?');
      ++replaced;
      continue;
    }
    if (high < 0xD800 || high > 0xDBFF) {
      append(high, out);
      continue;
    }
    const std::uint32_t low = i + 1 < bytes.size() ? unit(i) : 0;
    if (low < 0xDC00 || low > 0xDFFF) {
      out.push_back('?');
      ++replaced;
      continue;
    }
    i += 2;
    append(0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00), out);
  }
  if (i < bytes.size()) {
    out.push_back('?');
    ++replaced;
  }
  return out;
}

std::optional<DecodedInput> DecodeInput(std::string_view raw, Encoding forced) {
  const auto [marked, mark_length] = ByteOrderMark(raw);
  if (forced != Encoding::kAuto) {
    // A mark of the forced encoding is skipped; any other bytes are the user's choice.
    if (marked == forced || marked == Encoding::kUtf8) {
      raw.remove_prefix(mark_length);
    }
    return Forced(raw, forced);
  }
  if (marked != Encoding::kAuto) {
    return Forced(raw.substr(mark_length), marked);
  }
  if (!HasNonAscii(raw)) {
    DecodedInput ascii;
    ascii.gbk.assign(raw);
    ascii.encoding = Encoding::kGbk;
    return ascii;
  }
  // Every valid Chinese reading, scored by its common characters.
  struct Reading {
    Encoding encoding;
    std::string utf8;
    int score;
  };
  std::vector<Reading> readings;
  if (IsValidUtf8(raw)) {
    readings.push_back({Encoding::kUtf8, std::string(raw), 0});
  }
  for (const Encoding encoding : {Encoding::kGbk, Encoding::kBig5, Encoding::kBig5Hkscs}) {
    if (auto utf8 = ToUtf8(raw, IconvName(encoding), nullptr)) {
      readings.push_back({encoding, std::move(*utf8), 0});
    }
  }
  for (Reading& reading : readings) {
    reading.score = CommonChineseScore(reading.utf8);
  }
  // The highest score wins; on a tie the earlier reading (UTF-8 first, then GBK).
  auto best =
      std::max_element(readings.begin(), readings.end(),
                       [](const Reading& a, const Reading& b) { return a.score < b.score; });
  // Big5 must clearly beat a valid GBK reading: a short GBK text of rare characters may hit a
  // common Traditional character or two when read as Big5.
  const auto gbk = std::find_if(readings.begin(), readings.end(),
                                [](const Reading& r) { return r.encoding == Encoding::kGbk; });
  if (best != readings.end() && gbk != readings.end() &&
      (best->encoding == Encoding::kBig5 || best->encoding == Encoding::kBig5Hkscs) &&
      best->score <= 2 * gbk->score + 1) {
    best = gbk;
  }
  if (best != readings.end() && (best->score > 0 || best->encoding == Encoding::kUtf8)) {
    DecodedInput result = best->encoding == Encoding::kGbk
                              ? Forced(raw, Encoding::kGbk)
                              : FromUtf8(best->utf8, best->encoding, 0);
    // The runner-up among the valid readings.
    const Reading* second = nullptr;
    for (const Reading& other : readings) {
      if (&other != &*best && (second == nullptr || other.score > second->score)) {
        second = &other;
      }
    }
    // Named when it was a close call or between UTF-8 and a legacy encoding (the readings
    // differ wholly then); a GBK file that Big5 also reads, as most do, is not worth a word.
    if (second != nullptr &&
        (best->encoding == Encoding::kUtf8 || second->encoding == Encoding::kUtf8 ||
         second->score * 4 > best->score)) {
      result.note = std::string("read as ") + EncodingName(best->encoding) + ", not " +
                    EncodingName(second->encoding) +
                    ": both readings are valid, and this one holds more common Chinese "
                    "characters (" +
                    std::to_string(best->score) + " against " + std::to_string(second->score) + ")";
    }
    return result;
  }
  // A GBK subtitle with a stray byte or two that no reading takes whole stays GBK as it stands,
  // as it always was (one bad byte in twenty at most): its Chinese text is worth more than a
  // code page's reading of it.
  int stray = 0;
  const auto gbk_reading = ToUtf8(raw, "GBK", &stray);
  const auto non_ascii = std::count_if(
      raw.begin(), raw.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (gbk_reading && CommonChineseScore(*gbk_reading) > 0 && stray * 20 <= non_ascii) {
    return Forced(raw, Encoding::kGbk);
  }
  // Western and Cyrillic subtitles: uchardet's guess first, then the Chinese and Western pages.
  std::vector<Encoding> order;
  const std::string guess = GuessCharset(raw);
  const auto guessed = [&](std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* name) { return guess == name; });
  };
  // A Cyrillic or Central European guess comes first; a valid Chinese reading without common
  // characters next (GBK bytes were always taken as GBK), before a Western guess, since Western
  // text with accents is seldom valid GBK.
  if (guessed({"WINDOWS-1251", "KOI8-R", "IBM866", "ISO-8859-5", "MAC-CYRILLIC", "IBM855"})) {
    order.push_back(Encoding::kCp1251);
  } else if (guessed({"WINDOWS-1250", "ISO-8859-2", "IBM852", "MAC-CENTRALEUROPE"})) {
    order.push_back(Encoding::kCp1250);
  }
  if (!readings.empty()) {
    order.push_back(readings.front().encoding);
  }
  if (guessed({"WINDOWS-1252", "ISO-8859-1", "ISO-8859-15"})) {
    order.push_back(Encoding::kCp1252);
  }
  for (const Encoding encoding :
       {Encoding::kGb18030, Encoding::kCp1252, Encoding::kCp1250, Encoding::kCp1251}) {
    order.push_back(encoding);
  }
  for (const Encoding encoding : order) {
    if (encoding == Encoding::kGbk) {
      return Forced(raw, encoding);
    }
    if (auto utf8 = ToUtf8(raw, IconvName(encoding), nullptr)) {
      return FromUtf8(*utf8, encoding, 0);
    }
  }
  return std::nullopt;
}

}  // namespace text

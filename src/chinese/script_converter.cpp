// ScriptConverter over OpenCC's C++ interface. OpenCC's types stay in this file: callers see
// pieces of UTF-8 text only.
#include "chinese/script_converter.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <system_error>
#include <unordered_map>
#include <utility>

// OpenCC's headers, included as system headers so that their deprecated std::iterator use does
// not trip the project's warnings.
#include <opencc/Config.hpp>
#include <opencc/Conversion.hpp>
#include <opencc/ConversionChain.hpp>
#include <opencc/Converter.hpp>
#include <opencc/Dict.hpp>
#include <opencc/DictEntry.hpp>
#include <opencc/DictGroup.hpp>
#include <opencc/Exception.hpp>
#include <opencc/Lexicon.hpp>
#include <opencc/MaxMatchSegmentation.hpp>
#include <opencc/Segmentation.hpp>
#include <opencc/Segments.hpp>

namespace chinese {
namespace {

constexpr std::string_view kNames[kDirectionCount] = {"s2t",  "t2s",   "s2tw", "s2twp",
                                                      "tw2s", "tw2sp", "s2hk", "hk2s"};

text::Error DataError(std::string message) {
  return text::Error{"opencc-data", std::move(message), 0};
}

bool IsFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

}  // namespace

std::string_view DirectionName(Direction direction) {
  return kNames[static_cast<int>(direction)];
}

std::optional<Direction> DirectionNamed(std::string_view name) {
  for (const Direction direction : kAllDirections) {
    if (DirectionName(direction) == name) {
      return direction;
    }
  }
  return std::nullopt;
}

std::string ConfigurationFile(Direction direction) {
  return std::string(DirectionName(direction)) + ".json";
}

std::filesystem::path DefaultDataFolder() {
  if (const char* chosen = std::getenv("ZENTROPE_OPENCC_DATA"); chosen != nullptr) {
    return std::filesystem::path(chosen);
  }
  const std::filesystem::path candidates[] = {"/usr/share/opencc", "/usr/local/share/opencc"};
  for (const std::filesystem::path& folder : candidates) {
    if (IsFile(folder / "s2t.json")) {
      return folder;
    }
  }
  return candidates[0];
}

text::Status CheckData(const std::filesystem::path& folder) {
  for (const Direction direction : kAllDirections) {
    const std::filesystem::path file = folder / ConfigurationFile(direction);
    if (!IsFile(file)) {
      return DataError(file.string());
    }
  }
  return text::Success();
}

namespace {

// The characters of a UTF-8 text: where each starts (the text's size last) and its code point.
struct TextCharacters {
  std::vector<uint32_t> offsets;
  std::vector<uint32_t> points;

  void Split(std::string_view utf8) {
    offsets.clear();
    points.clear();
    for (size_t i = 0; i < utf8.size();) {
      const auto lead = static_cast<unsigned char>(utf8[i]);
      const size_t length = std::min<size_t>(lead >= 0xF0   ? 4
                                             : lead >= 0xE0 ? 3
                                             : lead >= 0xC0 ? 2
                                                            : 1,
                                             utf8.size() - i);
      uint32_t point = length == 1 ? lead : lead & (0x7Fu >> length);
      for (size_t k = 1; k < length; ++k) {
        point = (point << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
      }
      offsets.push_back(static_cast<uint32_t>(i));
      points.push_back(point);
      i += length;
    }
    offsets.push_back(static_cast<uint32_t>(utf8.size()));
  }
  size_t Count() const {
    return points.size();
  }
  std::string_view Slice(std::string_view text, size_t first, size_t count) const {
    return text.substr(offsets[first], offsets[first + count] - offsets[first]);
  }
};

// One OpenCC dictionary as hash tables, matched the way OpenCC matches it: the longest key that
// is a prefix of the text wins, and its first value replaces it. OpenCC walks a compact trie,
// which costs about a microsecond a character. Here a character's one-character key is read
// from an array, and a longer key is looked for only in the lengths that keys beginning with
// the text's first two characters have, which most positions have none of.
class PhraseTable {
 public:
  static constexpr size_t kMaxKeyCharacters = 63;

  // False when the dictionary has a key this table cannot hold (empty, or longer than
  // kMaxKeyCharacters characters): the caller then keeps OpenCC's own matching.
  bool Load(const opencc::Dict& dict) {
    const opencc::LexiconPtr lexicon = dict.GetLexicon();
    if (lexicon == nullptr) {
      return false;
    }
    size_t bytes = 0;
    for (const auto& entry : *lexicon) {
      bytes += entry->Key().size() + entry->GetDefault().size();
    }
    arena_.reserve(bytes);  // views into the arena stay valid: it never grows past this
    TextCharacters characters;
    for (const auto& entry : *lexicon) {
      const std::string key = entry->Key();
      const std::string value = entry->GetDefault();
      characters.Split(key);
      const size_t count = characters.Count();
      if (count == 0 || count > kMaxKeyCharacters) {
        return false;
      }
      const size_t start = arena_.size();
      arena_ += key;
      arena_ += value;
      const std::string_view stored(arena_);
      const std::string_view stored_value = stored.substr(start + key.size());
      const uint32_t first = characters.points[0];
      // A repeated key keeps its first entry, as a sorted lexicon's lookup would find it.
      if (count == 1) {
        if (first < kDirect) {
          if (singles_.empty()) {
            singles_.resize(kDirect);
          }
          if (singles_[first].data() == nullptr) {
            singles_[first] = stored_value;
          }
        } else {
          far_singles_.emplace(first, stored_value);
        }
        continue;
      }
      entries_.emplace(stored.substr(start, key.size()), stored_value);
      const uint64_t bit = uint64_t{1} << count;
      if (first < kDirect) {
        if (long_masks_.empty()) {
          long_masks_.resize(kDirect);
        }
        long_masks_[first] |= bit;
      } else {
        far_long_masks_[first] |= bit;
      }
      pair_masks_[PairKey(first, characters.points[1])] |= bit;
    }
    return true;
  }

  // The longest key starting at character `index` of `text` that ends no later than character
  // `limit`. Returns its length in characters (0 when none) and sets `value`.
  size_t Match(std::string_view text, const TextCharacters& characters, size_t index, size_t limit,
               std::string_view& value) const {
    const uint32_t first = characters.points[index];
    const size_t room = limit - index;
    if (room >= 2) {
      uint64_t mask = LongMask(first);
      if (room < kMaxKeyCharacters) {
        mask &= (uint64_t{2} << room) - 1;
      }
      if (mask != 0) {
        const auto pair = pair_masks_.find(PairKey(first, characters.points[index + 1]));
        mask = pair == pair_masks_.end() ? 0 : mask & pair->second;
      }
      while (mask != 0) {
        const size_t count = 63 - static_cast<size_t>(__builtin_clzll(mask));
        const auto entry = entries_.find(characters.Slice(text, index, count));
        if (entry != entries_.end()) {
          value = entry->second;
          return count;
        }
        mask &= ~(uint64_t{1} << count);
      }
    }
    if (first < kDirect) {
      if (!singles_.empty() && singles_[first].data() != nullptr) {
        value = singles_[first];
        return 1;
      }
    } else if (const auto single = far_singles_.find(first); single != far_singles_.end()) {
      value = single->second;
      return 1;
    }
    return 0;
  }

 private:
  // Characters below this code point are looked up in arrays; the rest in hash tables.
  static constexpr uint32_t kDirect = 0x10000;

  static uint64_t PairKey(uint32_t first, uint32_t second) {
    return (uint64_t{first} << 21) | second;
  }
  uint64_t LongMask(uint32_t first) const {
    if (first < kDirect) {
      return long_masks_.empty() ? 0 : long_masks_[first];
    }
    const auto found = far_long_masks_.find(first);
    return found == far_long_masks_.end() ? 0 : found->second;
  }

  std::string arena_;
  // Keys of two characters or more. In the masks, bit n means a key of n characters.
  std::unordered_map<std::string_view, std::string_view> entries_;
  std::vector<uint64_t> long_masks_;  // by first character
  std::unordered_map<uint32_t, uint64_t> far_long_masks_;
  std::unordered_map<uint64_t, uint64_t> pair_masks_;  // by first two characters
  // One-character keys: the value, or a view without data when there is none.
  std::vector<std::string_view> singles_;
  std::unordered_map<uint32_t, std::string_view> far_singles_;
};

// Dictionaries tried in order, the first that matches winning: OpenCC's dictionary group.
using TableGroup = std::vector<const PhraseTable*>;

size_t MatchGroup(const TableGroup& group, std::string_view text, const TextCharacters& characters,
                  size_t index, size_t limit, std::string_view& value) {
  for (const PhraseTable* table : group) {
    if (const size_t count = table->Match(text, characters, index, limit, value)) {
      return count;
    }
  }
  return 0;
}

}  // namespace

struct ScriptConverter::Engine {
  opencc::ConverterPtr converter;
  // The same configuration as tables; empty when it could not be built (then OpenCC matches).
  std::vector<std::unique_ptr<PhraseTable>> tables;
  TableGroup segmentation;
  std::vector<TableGroup> chain;

  bool Fast() const {
    return !segmentation.empty();
  }

  // Adds the leaf dictionaries of `dict` to `group` in OpenCC's order; false when one cannot be
  // held as a table.
  bool AddDict(const opencc::DictPtr& dict, TableGroup& group) {
    if (dict == nullptr) {
      return false;
    }
    if (const auto nested = std::dynamic_pointer_cast<opencc::DictGroup>(dict)) {
      for (const opencc::DictPtr& inner : nested->GetDicts()) {
        if (!AddDict(inner, group)) {
          return false;
        }
      }
      return true;
    }
    auto table = std::make_unique<PhraseTable>();
    if (!table->Load(*dict)) {
      return false;
    }
    group.push_back(table.get());
    tables.push_back(std::move(table));
    return true;
  }

  void BuildTables() {
    const auto segmenter =
        std::dynamic_pointer_cast<opencc::MaxMatchSegmentation>(converter->GetSegmentation());
    bool built = segmenter != nullptr && AddDict(segmenter->GetDict(), segmentation);
    for (const opencc::ConversionPtr& conversion :
         converter->GetConversionChain()->GetConversions()) {
      if (!built) {
        break;
      }
      chain.emplace_back();
      built = AddDict(conversion->GetDict(), chain.back());
    }
    if (!built || segmentation.empty()) {
      tables.clear();
      segmentation.clear();
      chain.clear();
    }
  }

  // OpenCC's conversion of one segment by one step: at each character the longest key wins and
  // is replaced by its value; a character no key starts with is copied.
  static std::string ConvertSegment(const TableGroup& group, std::string_view segment) {
    thread_local TextCharacters characters;  // keeps its capacity from call to call
    characters.Split(segment);
    const size_t count = characters.Count();
    std::string result;
    result.reserve(segment.size() + segment.size() / 2);
    std::string_view value;
    for (size_t index = 0; index < count;) {
      if (const size_t matched = MatchGroup(group, segment, characters, index, count, value)) {
        result += value;
        index += matched;
      } else {
        result.append(characters.Slice(segment, index, 1));
        ++index;
      }
    }
    return result;
  }

  // OpenCC's maximum-match segmentation: a matched key is a segment of its own, and each run of
  // characters that no key starts with is one segment; then every step of the chain converts
  // each segment on its own.
  void ConvertFast(std::string_view text, std::vector<Piece>& pieces) const {
    thread_local TextCharacters characters;
    characters.Split(text);
    const size_t count = characters.Count();
    auto add = [&](size_t first, size_t last) {
      const std::string_view source = characters.Slice(text, first, last - first);
      std::string converted(source);
      for (const TableGroup& step : chain) {
        converted = ConvertSegment(step, converted);
      }
      pieces.push_back({std::string(source), std::move(converted)});
    };
    size_t unmatched = count;  // first character of the pending unmatched run
    std::string_view value;
    for (size_t index = 0; index < count;) {
      const size_t matched = MatchGroup(segmentation, text, characters, index, count, value);
      if (matched == 0) {
        unmatched = std::min(unmatched, index);
        ++index;
        continue;
      }
      if (unmatched < index) {
        add(unmatched, index);
      }
      unmatched = count;
      add(index, index + matched);
      index += matched;
    }
    if (unmatched < count) {
      add(unmatched, count);
    }
  }
};

ScriptConverter::ScriptConverter(Direction direction, std::unique_ptr<Engine> engine)
    : direction_(direction), engine_(std::move(engine)) {}

ScriptConverter::ScriptConverter(ScriptConverter&& other) noexcept = default;
ScriptConverter& ScriptConverter::operator=(ScriptConverter&& other) noexcept = default;
ScriptConverter::~ScriptConverter() = default;

text::Result<ScriptConverter> ScriptConverter::Open(Direction direction,
                                                    const std::filesystem::path& data_folder) {
  const std::filesystem::path file = data_folder / ConfigurationFile(direction);
  // OpenCC reports a missing configuration with a message but a missing dictionary only by
  // failing to read it: check the configuration first so the common case names the file.
  if (!IsFile(file)) {
    return DataError(file.string() + " not found");
  }
  auto engine = std::make_unique<Engine>();
  try {
    // The dictionaries named in the configuration are looked up next to it.
    opencc::Config config;
    engine->converter = config.NewFromFile(file.string());
  } catch (const opencc::Exception& error) {
    return DataError(file.string() + ": " + error.what());
  } catch (const std::exception& error) {
    return DataError(file.string() + ": " + error.what());
  }
  if (engine->converter == nullptr) {
    return DataError(file.string() + ": OpenCC gave no converter");
  }
  try {
    engine->BuildTables();
  } catch (const opencc::Exception&) {
    engine->tables.clear();  // OpenCC's own matching still works
  } catch (const std::exception&) {
    engine->tables.clear();
  }
  return ScriptConverter(direction, std::move(engine));
}

std::vector<Piece> ScriptConverter::ConvertPieces(std::string_view utf8) const {
  std::vector<Piece> pieces;
  // OpenCC stops at a zero byte: the stretches around one are converted on their own.
  size_t begin = 0;
  while (begin <= utf8.size()) {
    const size_t zero = std::min(utf8.find('\0', begin), utf8.size());
    AppendPieces(utf8.substr(begin, zero - begin), pieces);
    if (zero == utf8.size()) {
      break;
    }
    pieces.push_back({std::string(1, '\0'), std::string(1, '\0')});
    begin = zero + 1;
  }
  return pieces;
}

void ScriptConverter::AppendPieces(std::string_view utf8, std::vector<Piece>& pieces) const {
  if (utf8.empty()) {
    return;
  }
  // What opencc::Converter::Convert does, kept apart: the segmentation, then the conversion
  // chain, whose every step maps the i-th segment to the i-th segment. Keeping the segments
  // tells the caller which source text each converted stretch came from.
  if (engine_->Fast()) {
    engine_->ConvertFast(utf8, pieces);
    return;
  }
  AppendOpenCcPieces(utf8, pieces);
}

void ScriptConverter::AppendOpenCcPieces(std::string_view utf8, std::vector<Piece>& pieces) const {
  const std::string text(utf8);
  try {
    const opencc::Converter& converter = *engine_->converter;
    const opencc::SegmentsPtr source = converter.GetSegmentation()->Segment(text);
    const opencc::SegmentsPtr converted = converter.GetConversionChain()->Convert(source);
    if (converted->Length() == source->Length()) {
      const size_t first = pieces.size();
      for (size_t i = 0; i < source->Length(); ++i) {
        pieces.push_back({source->At(i), converted->At(i)});
      }
      // Whatever OpenCC did, the pieces must cover the text; otherwise it stays as it is.
      std::string covered;
      for (size_t i = first; i < pieces.size(); ++i) {
        covered += pieces[i].source;
      }
      if (covered == text) {
        return;
      }
      pieces.resize(first);
    }
  } catch (const opencc::Exception&) {
  } catch (const std::exception&) {
  }
  pieces.push_back({text, text});
}

std::string ScriptConverter::ConvertUtf8WithOpenCc(std::string_view utf8) const {
  try {
    return engine_->converter->Convert(std::string(utf8));
  } catch (const opencc::Exception&) {
  } catch (const std::exception&) {
  }
  return std::string(utf8);
}

bool ScriptConverter::UsesTables() const {
  return engine_->Fast();
}

std::string ScriptConverter::ConvertUtf8(std::string_view utf8) const {
  std::string result;
  result.reserve(utf8.size());
  for (const Piece& piece : ConvertPieces(utf8)) {
    result += piece.converted;
  }
  return result;
}

text::Result<const ScriptConverter*> ConverterSet::Get(Direction direction) {
  std::unique_ptr<ScriptConverter>& slot = converters_[static_cast<size_t>(direction)];
  if (slot == nullptr) {
    text::Result<ScriptConverter> opened = ScriptConverter::Open(direction, data_folder_);
    if (!opened.ok()) {
      return opened.error();
    }
    slot = std::make_unique<ScriptConverter>(std::move(opened.value()));
  }
  return static_cast<const ScriptConverter*>(slot.get());
}

}  // namespace chinese

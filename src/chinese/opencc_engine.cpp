// The module zentrope-opencc.so: OpenCC's converters, and the same dictionaries as hash tables
// for speed. ScriptConverter reaches it through the table of converter_module.h; OpenCC's types
// stay in this file.
#include <algorithm>
#include <cstdint>
#include <exception>
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

#include "chinese/converter_module.h"
#include "loader/module_entry.h"

namespace chinese {
namespace {

text::Error DataError(std::string message) {
  return text::Error{"opencc-data", std::move(message), 0};
}

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

// One loaded configuration: OpenCC's converter, and the same configuration as tables.
struct OpenCcEngine final : ConversionEngine {
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
      DropTables();
    }
  }

  // Back to OpenCC's own matching; the groups point into the tables, so all three go together.
  void DropTables() {
    tables.clear();
    segmentation.clear();
    chain.clear();
  }

  // OpenCC's conversion of one segment by one step: at each character the longest key wins and
  // is replaced by its value; a character no key starts with is copied.
  static std::string ConvertSegment(const TableGroup& group, std::string_view segment) {
    // A local, not a thread_local: this code lives in a module opened with dlopen, and a
    // dlopen'ed module's thread storage trips the leak checker's thread walk at exit.
    TextCharacters characters;
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
    TextCharacters characters;
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

  bool UsesTables() const override {
    return Fast();
  }

  // What opencc::Converter::Convert does, kept apart: the segmentation, then the conversion
  // chain, whose every step maps the i-th segment to the i-th segment. Keeping the segments
  // tells the caller which source text each converted stretch came from.
  void AppendPieces(std::string_view utf8, std::vector<Piece>& pieces) const override {
    if (Fast()) {
      ConvertFast(utf8, pieces);
      return;
    }
    AppendOpenCcPieces(utf8, pieces);
  }

  void AppendOpenCcPieces(std::string_view utf8, std::vector<Piece>& pieces) const {
    const std::string text(utf8);
    try {
      const opencc::SegmentsPtr source = converter->GetSegmentation()->Segment(text);
      const opencc::SegmentsPtr converted = converter->GetConversionChain()->Convert(source);
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

  std::string ConvertWithOpenCc(std::string_view utf8) const override {
    try {
      return converter->Convert(std::string(utf8));
    } catch (const opencc::Exception&) {
    } catch (const std::exception&) {
    }
    return std::string(utf8);
  }
};

text::Result<std::unique_ptr<ConversionEngine>> OpenEngine(const std::filesystem::path& file) {
  auto engine = std::make_unique<OpenCcEngine>();
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
    engine->DropTables();  // OpenCC's own matching still works
  } catch (const std::exception&) {
    engine->DropTables();
  }
  return std::unique_ptr<ConversionEngine>(std::move(engine));
}

constexpr ConverterModule kModule = {&OpenEngine};

}  // namespace
}  // namespace chinese

ZENTROPE_MODULE_ENTRY const void* zentrope_opencc_module(const char* build) {
  return loader::IsThisBuild(build) ? &chinese::kModule : nullptr;
}

// The sheet file: a JSON writer for the sheet, a small reader for the same shape of JSON, and
// teaching the filled-in shapes of a read sheet.
#include "app/sheet_file.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "document/subtitle_document.h"
#include "ocr/features.h"
#include "ocr/recognition_run.h"
#include "text/gbk.h"
#include "text/line_file.h"

namespace app {
namespace {

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string Utf8(const std::string& gbk) {
  return JsonString(text::GbkToUtf8(gbk).text);
}

std::string BoxNumbers(const ocr::GlyphBox& box) {
  return std::to_string(box.left) + "," + std::to_string(box.top) + "," +
         std::to_string(box.width) + "," + std::to_string(box.height);
}

// A parsed JSON value: only what a sheet holds (no floating point beyond integers).
struct Json {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = Kind::kNull;
  bool boolean = false;
  long long number = 0;
  std::string string;
  std::vector<Json> items;
  std::map<std::string, Json> members;

  const Json* Member(const std::string& name) const {
    const auto found = members.find(name);
    return found == members.end() ? nullptr : &found->second;
  }
};

// Recursive descent over the text; `error` names the offset of the first fault.
class JsonParser {
 public:
  explicit JsonParser(const std::string& text) : text_(text) {}

  bool Parse(Json& value) {
    if (!Value(value, 0)) {
      return false;
    }
    SkipSpace();
    return pos_ == text_.size() || Fail("text after the end");
  }
  const std::string& Error() const {
    return error_;
  }

 private:
  bool Fail(const char* what) {
    if (error_.empty()) {
      error_ = std::string(what) + " at byte " + std::to_string(pos_);
    }
    return false;
  }
  void SkipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\t')) {
      ++pos_;
    }
  }
  bool Literal(const char* word) {
    const std::string w(word);
    if (text_.compare(pos_, w.size(), w) != 0) {
      return Fail("an unknown word");
    }
    pos_ += w.size();
    return true;
  }
  bool Value(Json& value, int depth) {
    if (depth > 16) {
      return Fail("too deep a nesting");
    }
    SkipSpace();
    if (pos_ >= text_.size()) {
      return Fail("an unexpected end");
    }
    const char c = text_[pos_];
    if (c == '{') {
      value.kind = Json::Kind::kObject;
      ++pos_;
      SkipSpace();
      if (pos_ < text_.size() && text_[pos_] == '}') {
        ++pos_;
        return true;
      }
      for (;;) {
        SkipSpace();
        std::string name;
        if (pos_ >= text_.size() || text_[pos_] != '"' || !String(name)) {
          return Fail("a member name expected");
        }
        SkipSpace();
        if (pos_ >= text_.size() || text_[pos_++] != ':') {
          return Fail("':' expected");
        }
        if (!Value(value.members[name], depth + 1)) {
          return false;
        }
        SkipSpace();
        if (pos_ < text_.size() && text_[pos_] == ',') {
          ++pos_;
          continue;
        }
        if (pos_ < text_.size() && text_[pos_] == '}') {
          ++pos_;
          return true;
        }
        return Fail("',' or '}' expected");
      }
    }
    if (c == '[') {
      value.kind = Json::Kind::kArray;
      ++pos_;
      SkipSpace();
      if (pos_ < text_.size() && text_[pos_] == ']') {
        ++pos_;
        return true;
      }
      for (;;) {
        value.items.emplace_back();
        if (!Value(value.items.back(), depth + 1)) {
          return false;
        }
        SkipSpace();
        if (pos_ < text_.size() && text_[pos_] == ',') {
          ++pos_;
          continue;
        }
        if (pos_ < text_.size() && text_[pos_] == ']') {
          ++pos_;
          return true;
        }
        return Fail("',' or ']' expected");
      }
    }
    if (c == '"') {
      value.kind = Json::Kind::kString;
      return String(value.string);
    }
    if (c == 't' || c == 'f') {
      value.kind = Json::Kind::kBool;
      value.boolean = c == 't';
      return Literal(c == 't' ? "true" : "false");
    }
    if (c == 'n') {
      return Literal("null");
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
      value.kind = Json::Kind::kNumber;
      const bool negative = c == '-';
      if (negative) {
        ++pos_;
      }
      const std::size_t start = pos_;
      while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9' && pos_ - start < 15) {
        value.number = value.number * 10 + (text_[pos_++] - '0');
      }
      if (pos_ == start) {
        return Fail("a number expected");
      }
      if (negative) {
        value.number = -value.number;
      }
      return true;
    }
    return Fail("a value expected");
  }
  // A string at pos_ (on its opening quote) into UTF-8.
  bool String(std::string& out) {
    ++pos_;
    while (pos_ < text_.size() && text_[pos_] != '"') {
      char c = text_[pos_++];
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) {
        break;
      }
      c = text_[pos_++];
      switch (c) {
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        case 'r':
          out += '\r';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'u': {
          unsigned code = 0;
          if (pos_ + 4 > text_.size() || std::sscanf(text_.c_str() + pos_, "%4x", &code) != 1) {
            return Fail("a bad \\u escape");
          }
          pos_ += 4;
          // Surrogate pairs are not needed for GBK texts: a lone one is refused.
          if (code >= 0xD800 && code <= 0xDFFF) {
            return Fail("a surrogate escape");
          }
          if (code < 0x80) {
            out += static_cast<char>(code);
          } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
          } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
          }
          break;
        }
        default:
          out += c;
      }
    }
    if (pos_ >= text_.size()) {
      return Fail("an unterminated string");
    }
    ++pos_;
    return true;
  }

  const std::string& text_;
  std::size_t pos_ = 0;
  std::string error_;
};

int Int(const Json* value, int fallback = 0) {
  return value != nullptr && value->kind == Json::Kind::kNumber ? static_cast<int>(value->number)
                                                                : fallback;
}

std::optional<ocr::SuggestionSource> SourceNamed(const std::string& name) {
  for (const auto source :
       {ocr::SuggestionSource::kLibrary, ocr::SuggestionSource::kReference,
        ocr::SuggestionSource::kOcrGuess, ocr::SuggestionSource::kLineReading}) {
    if (name == ocr::SourceName(source)) {
      return source;
    }
  }
  return std::nullopt;
}

}  // namespace

std::string SheetToJson(const ocr::GlyphSheet& sheet) {
  std::string json =
      "{\"version\":1,\"subtitle\":" + JsonString(sheet.Subtitle().string()) + ",\"shapes\":[";
  const auto& shapes = sheet.Shapes();
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const ocr::CollectedShape& shape = shapes[i];
    const ocr::ShapeOccurrence& first = shape.occurrences.front();
    json += i > 0 ? ",\n" : "\n";
    json += "{\"id\":" + std::to_string(i + 1) + ",\"key\":" + std::to_string(shape.key) +
            ",\"features\":" + JsonString(shape.features) +
            ",\"count\":" + std::to_string(shape.count) +
            ",\"first\":{\"row\":" + std::to_string(first.row) +
            ",\"picture\":" + Utf8(first.picture) + ",\"line\":" + std::to_string(first.line) +
            ",\"box\":[" + BoxNumbers(first.box) + "]},\"occurrences\":[";
    for (std::size_t k = 0; k < shape.occurrences.size(); ++k) {
      const ocr::ShapeOccurrence& occurrence = shape.occurrences[k];
      json += (k > 0 ? ",[" : "[") + std::to_string(occurrence.row) + "," +
              Utf8(occurrence.picture) + "," + std::to_string(occurrence.line) + "," +
              BoxNumbers(occurrence.box) + "]";
    }
    json += "],\"candidates\":[";
    for (std::size_t k = 0; k < shape.candidates.size(); ++k) {
      const ocr::SheetCandidate& candidate = shape.candidates[k];
      json += (k > 0 ? ",{\"text\":" : "{\"text\":") + Utf8(candidate.text) + ",\"sources\":[";
      for (std::size_t s = 0; s < candidate.sources.size(); ++s) {
        json += (s > 0 ? ",\"" : "\"") + std::string(ocr::SourceName(candidate.sources[s])) + "\"";
      }
      json += "],\"confidence\":" + std::to_string(candidate.confidence) +
              ",\"distance\":" + std::to_string(candidate.distance) + "}";
    }
    json +=
        "],\"text\":" + Utf8(shape.text) + ",\"noise\":" + (shape.noise ? "true" : "false") + "}";
  }
  json += "\n]}\n";
  return json;
}

text::Status WriteSheetFile(const std::filesystem::path& file, const ocr::GlyphSheet& sheet) {
  return text::WriteFileAtomic(file, SheetToJson(sheet));
}

text::Result<ocr::GlyphSheet> ReadSheetFile(const std::filesystem::path& file) {
  auto bytes = text::ReadFileBytes(file);
  if (!bytes.ok()) {
    return bytes.error();
  }
  Json root;
  JsonParser parser(bytes.value());
  const std::string where = text::PathForMessage(file) + ": ";
  if (!parser.Parse(root)) {
    return text::Error{"format", where + parser.Error()};
  }
  const Json* shapes = root.Member("shapes");
  if (root.kind != Json::Kind::kObject || shapes == nullptr || shapes->kind != Json::Kind::kArray) {
    return text::Error{"format", where + "not a teaching sheet (no \"shapes\" list)"};
  }
  ocr::GlyphSheet sheet;
  if (const Json* subtitle = root.Member("subtitle");
      subtitle != nullptr && subtitle->kind == Json::Kind::kString) {
    sheet.SetSubtitle(subtitle->string);
  }
  int id = 0;
  for (const Json& item : shapes->items) {
    ++id;
    const std::string shape_name = where + "shape " + std::to_string(id) + ": ";
    const Json* features = item.Member("features");
    const Json* first = item.Member("first");
    const Json* box = first != nullptr ? first->Member("box") : nullptr;
    const Json* picture = first != nullptr ? first->Member("picture") : nullptr;
    if (features == nullptr || features->kind != Json::Kind::kString || box == nullptr ||
        box->kind != Json::Kind::kArray || box->items.size() != 4 || picture == nullptr ||
        picture->kind != Json::Kind::kString) {
      return text::Error{"format", shape_name + "features, first picture or box missing"};
    }
    const auto key = library::FeatureKeyOf(features->string);
    if (!key.has_value()) {
      return text::Error{"format", shape_name + "not a FeatureLine"};
    }
    ocr::ShapeOccurrence occurrence;
    occurrence.row = Int(first->Member("row"));
    occurrence.picture = text::Utf8ToGbk(picture->string).text;
    occurrence.line = Int(first->Member("line"));
    occurrence.box = {Int(&box->items[0]), Int(&box->items[1]), Int(&box->items[2]),
                      Int(&box->items[3])};
    const int index = sheet.Note(
        features->string, *key, occurrence, [] { return std::shared_ptr<const ocr::Picture>(); },
        [] { return ocr::GuessPicture{}; });
    ocr::CollectedShape& shape = sheet.Shapes()[static_cast<std::size_t>(index)];
    // The further occurrences as listed (the first is the one noted above).
    if (const Json* list = item.Member("occurrences");
        list != nullptr && list->kind == Json::Kind::kArray) {
      for (std::size_t k = 1; k < list->items.size(); ++k) {
        const Json& entry = list->items[k];
        if (entry.kind != Json::Kind::kArray || entry.items.size() != 7) {
          continue;
        }
        shape.occurrences.push_back({Int(&entry.items[0]),
                                     text::Utf8ToGbk(entry.items[1].string).text,
                                     Int(&entry.items[2]),
                                     ocr::GlyphBox{Int(&entry.items[3]), Int(&entry.items[4]),
                                                   Int(&entry.items[5]), Int(&entry.items[6])}});
      }
    }
    shape.count =
        std::max(Int(item.Member("count"), 1), static_cast<int>(shape.occurrences.size()));
    if (const Json* list = item.Member("candidates");
        list != nullptr && list->kind == Json::Kind::kArray) {
      for (const Json& entry : list->items) {
        ocr::SheetCandidate candidate;
        if (const Json* t = entry.Member("text"); t != nullptr) {
          candidate.text = text::Utf8ToGbk(t->string).text;
        }
        if (const Json* sources = entry.Member("sources"); sources != nullptr) {
          for (const Json& source : sources->items) {
            if (const auto named = SourceNamed(source.string)) {
              candidate.sources.push_back(*named);
            }
          }
        }
        candidate.confidence = Int(entry.Member("confidence"));
        candidate.distance = Int(entry.Member("distance"), -1);
        shape.candidates.push_back(std::move(candidate));
      }
    }
    if (const Json* t = item.Member("text"); t != nullptr && t->kind == Json::Kind::kString) {
      const auto converted = text::Utf8ToGbk(t->string);
      if (converted.replaced > 0) {
        return text::Error{"format", shape_name + "the text has no GBK form"};
      }
      shape.text = converted.text;
    }
    if (const Json* noise = item.Member("noise"); noise != nullptr) {
      shape.noise = noise->kind == Json::Kind::kBool && noise->boolean;
    }
  }
  return sheet;
}

text::Result<SheetTeaching> TeachSheet(ocr::Recogniser& recogniser,
                                       const std::filesystem::path& picture_folder,
                                       ocr::GlyphSheet& sheet) {
  SheetTeaching outcome;
  std::vector<int> page;
  std::string features;
  // The pictures are found as the collecting run found them: names inside the picture folder.
  document::SubtitleDocument pictures(document::UndoHistory::kNotRecorded);
  pictures.picture_folder = picture_folder;
  for (std::size_t i = 0; i < sheet.Shapes().size(); ++i) {
    ocr::CollectedShape& shape = sheet.Shapes()[i];
    if (shape.text.empty() || shape.noise) {
      continue;
    }
    ++outcome.filled;
    const ocr::ShapeOccurrence& first = shape.occurrences.front();
    auto loaded = ocr::LoadSubtitlePicture(recogniser, pictures, first.picture);
    if (!loaded.ok()) {
      return loaded.error();
    }
    const ocr::PixelGrid& grid = recogniser.Grid();
    const bool inside = loaded.value() && ocr::BoxInPicture(grid, first.box);
    if (inside) {
      ocr::ComputeFeatures(grid, first.box, recogniser.Options().ignore_size, features);
    }
    if (!inside || features != shape.features) {
      ++outcome.mismatched;
      continue;
    }
    auto glyph = recogniser.Pictures().Create(first.box.width, first.box.height);
    for (int y = 0; y < first.box.height; ++y) {
      for (int x = 0; x < first.box.width; ++x) {
        glyph->SetPixel(x, y, grid.At(first.box.left + x, first.box.top + y));
      }
    }
    shape.glyph = std::move(glyph);
    page.push_back(static_cast<int>(i));
  }
  auto taught = ocr::TeachPage(recogniser.Library(), recogniser.Pictures(), sheet, page);
  if (!taught.ok()) {
    return taught.error();
  }
  outcome.page = std::move(taught.value());
  return outcome;
}

}  // namespace app

// ScriptConverter: one OpenCC converter per direction between Simplified and Traditional Chinese
// (with the Taiwan and Hong Kong standards), over OpenCC's phrase dictionaries, in UTF-8. OpenCC
// runs in the module zentrope-opencc.so, loaded when the first converter opens.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/result.h"

namespace chinese {

class ConversionEngine;

// The conversions, named after OpenCC's configuration files ("s2t.json" and so on).
enum class Direction {
  kS2T,    // Simplified to Traditional
  kT2S,    // Traditional to Simplified
  kS2TW,   // Simplified to Traditional, Taiwan characters
  kS2TWP,  // Simplified to Traditional, Taiwan characters and phrases
  kTW2S,   // Traditional (Taiwan) to Simplified
  kTW2SP,  // Traditional (Taiwan) to Simplified, with Mainland phrases
  kS2HK,   // Simplified to Traditional, Hong Kong characters
  kHK2S,   // Traditional (Hong Kong) to Simplified
};
inline constexpr Direction kAllDirections[] = {
    Direction::kS2T,  Direction::kT2S,   Direction::kS2TW, Direction::kS2TWP,
    Direction::kTW2S, Direction::kTW2SP, Direction::kS2HK, Direction::kHK2S};
inline constexpr int kDirectionCount = 8;

// The short name of a direction ("s2t", "tw2sp", ...), which is also its configuration's name.
std::string_view DirectionName(Direction direction);
// The direction of a short name; nullopt for any other text.
std::optional<Direction> DirectionNamed(std::string_view name);
// The configuration file of a direction in OpenCC's data folder: its name and ".json".
std::string ConfigurationFile(Direction direction);

// Where OpenCC's data lies: the folder in the environment variable ZENTROPE_OPENCC_DATA when it is
// set (tests and unusual installations), else the first of /usr/share/opencc and
// /usr/local/share/opencc that holds s2t.json, else /usr/share/opencc.
std::filesystem::path DefaultDataFolder();

// The Debian package that holds the data, named in the status text when it is missing.
inline constexpr const char* kDataPackage = "libopencc-data";

// Checks that `folder` holds the configuration file of every direction. Error code
// "opencc-data" with `message` = the first missing file's full name (file-system form) when one
// is missing. Reads no dictionary, so it is cheap enough for start-up.
text::Status CheckData(const std::filesystem::path& folder);

// A stretch of UTF-8 text and what the conversion made of it. OpenCC cuts a text into phrases
// and runs of characters it has no phrase for, and converts each on its own; the pieces of one
// text, in order, cover it completely.
struct Piece {
  std::string source;
  std::string converted;
};

// One loaded OpenCC configuration. Opening reads its dictionaries (a few megabytes; tens of
// milliseconds), so callers keep a converter for as long as they convert. Not copyable.
class ScriptConverter {
 public:
  // Loads the configuration of `direction` from `data_folder`. Error code "opencc-data" naming
  // the configuration when a file is missing or OpenCC rejects it (message: OpenCC's reason,
  // ASCII); code "module" when the OpenCC module cannot be loaded (loader::LoadModule). Never
  // throws.
  static text::Result<ScriptConverter> Open(Direction direction,
                                            const std::filesystem::path& data_folder);

  ScriptConverter(ScriptConverter&& other) noexcept;
  ScriptConverter& operator=(ScriptConverter&& other) noexcept;
  ~ScriptConverter();

  Direction direction() const {
    return direction_;
  }

  // `utf8` cut and converted as OpenCC's own tool converts it. The input must be valid UTF-8
  // (callers convert from GBK first); should OpenCC refuse a text anyway, that text comes back
  // as one unconverted piece.
  std::vector<Piece> ConvertPieces(std::string_view utf8) const;
  // The pieces' conversions joined: exactly what OpenCC's tool gives for `utf8`.
  std::string ConvertUtf8(std::string_view utf8) const;

  // ConvertPieces matches phrases in hash tables built from OpenCC's dictionaries when it opens,
  // the way OpenCC matches them in its own slower tries. False when a dictionary could not be
  // held that way and OpenCC converts every text itself.
  bool UsesTables() const;
  // `utf8` converted by OpenCC itself, whatever UsesTables says: the measure the tables are
  // checked against.
  std::string ConvertUtf8WithOpenCc(std::string_view utf8) const;

 private:
  ScriptConverter(Direction direction, std::unique_ptr<ConversionEngine> engine);
  // Converts one stretch without zero bytes, appending its pieces.
  void AppendPieces(std::string_view utf8, std::vector<Piece>& pieces) const;

  Direction direction_;
  std::unique_ptr<ConversionEngine> engine_;
};

// The converters of one data folder, each opened at its first use and kept.
class ConverterSet {
 public:
  explicit ConverterSet(std::filesystem::path data_folder) : data_folder_(std::move(data_folder)) {}

  const std::filesystem::path& DataFolder() const {
    return data_folder_;
  }
  // The converter of `direction`, opened now if it was not; the Error of Open when it cannot be
  // opened (tried again at the next call). The pointer stays valid for the set's lifetime.
  text::Result<const ScriptConverter*> Get(Direction direction);

 private:
  std::filesystem::path data_folder_;
  std::vector<std::unique_ptr<ScriptConverter>> converters_ =
      std::vector<std::unique_ptr<ScriptConverter>>(kDirectionCount);
};

}  // namespace chinese

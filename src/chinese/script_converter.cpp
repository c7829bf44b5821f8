// ScriptConverter: the directions, the data checks, and the loading of the OpenCC module that
// does the converting.
#include "chinese/script_converter.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>
#include <utility>

#include "chinese/converter_module.h"
#include "loader/module_loader.h"

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

ScriptConverter::ScriptConverter(Direction direction, std::unique_ptr<ConversionEngine> engine)
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
  const auto module = loader::LoadModule(loader::kOpenCcModule, kConverterModuleEntry);
  if (!module) {
    return module.error();
  }
  auto engine = static_cast<const ConverterModule*>(module.value())->open(file);
  if (!engine) {
    return engine.error();
  }
  return ScriptConverter(direction, std::move(engine).value());
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
  if (!utf8.empty()) {
    engine_->AppendPieces(utf8, pieces);
  }
}

std::string ScriptConverter::ConvertUtf8WithOpenCc(std::string_view utf8) const {
  return engine_->ConvertWithOpenCc(utf8);
}

bool ScriptConverter::UsesTables() const {
  return engine_->UsesTables();
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

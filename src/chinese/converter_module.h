// The table of functions between ScriptConverter and the module that runs OpenCC
// (zentrope-opencc.so). Both sides are of one build (the loader checks), so the table passes the
// project's own C++ types.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "chinese/script_converter.h"
#include "text/result.h"

namespace chinese {

// One loaded OpenCC configuration (see ScriptConverter for the contracts).
class ConversionEngine {
 public:
  virtual ~ConversionEngine() = default;
  virtual bool UsesTables() const = 0;
  // Appends the pieces of `utf8`, which is not empty and holds no zero byte.
  virtual void AppendPieces(std::string_view utf8, std::vector<Piece>& pieces) const = 0;
  virtual std::string ConvertWithOpenCc(std::string_view utf8) const = 0;
};

struct ConverterModule {
  // Loads the configuration file `file` (an existing file; its dictionaries lie beside it).
  // Error code "opencc-data" with OpenCC's reason. Never throws.
  text::Result<std::unique_ptr<ConversionEngine>> (*open)(const std::filesystem::path& file);
};

// The module's entry point (a loader::ModuleEntry).
inline constexpr char kConverterModuleEntry[] = "zentrope_opencc_module";

}  // namespace chinese

// The options that choose a disc subtitle's track, ink and picture size, shared by the import
// and by recognition of a disc stream.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "import/disc_import.h"

namespace cli {

struct DiscArguments {
  int track = 0;
  std::string ink = "auto";
  std::optional<int> threshold;
  std::string scale = "auto";
};

// Adds --track, --ink, --ink-threshold and --scale to `command`, filling `arguments`.
void AddDiscOptions(CLI::App& command, DiscArguments& arguments);

// The import options `arguments` choose (the rest as ImportOptions' defaults).
import::ImportOptions ImportOptionsFrom(const DiscArguments& arguments);

}  // namespace cli

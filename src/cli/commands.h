// The command groups of zentrope-cli; each adds its subcommands to the application.
#pragma once

#include <CLI/CLI.hpp>

namespace cli {

void AddChineseCommand(CLI::App& app);
void AddConvertCommand(CLI::App& app);
void AddImportCommand(CLI::App& app);
void AddLibraryCommands(CLI::App& app);
void AddOcrCommand(CLI::App& app);
void AddProofCommands(CLI::App& app);
void AddShiftCommand(CLI::App& app);

}  // namespace cli

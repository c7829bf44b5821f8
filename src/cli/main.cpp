// zentrope-cli: command-line front end over the core.
#include <CLI/CLI.hpp>

#include "cli/commands.h"

int main(int argc, char** argv) {
  CLI::App app{"Zentrope: picture subtitles to text subtitles, and proofreading."};
  app.require_subcommand(1);
  cli::AddConvertCommand(app);
  cli::AddImportCommand(app);
  cli::AddChineseCommand(app);
  cli::AddLibraryCommands(app);
  cli::AddOcrCommand(app);
  cli::AddProofCommands(app);
  cli::AddShiftCommand(app);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return app.exit(error);
  }
  return 0;
}

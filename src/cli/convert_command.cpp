// Registration of this command group (filled in with the group's subsystem).
#include "cli/commands.h"

namespace cli {

void AddConvertCommand(CLI::App& /*app*/) {}

}  // namespace cli

#include "cli/command.h"

#include <algorithm>

namespace krax::cli {

namespace {

// Function-local so that registration from other files' static objects finds it ready.
std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

}  // namespace

RegisterCommand::RegisterCommand(const Command& command) { Registry().push_back(command); }

std::vector<Command> AllCommands() {
  std::vector<Command> commands = Registry();
  std::sort(commands.begin(), commands.end(),
            [](const Command& a, const Command& b) { return a.name < b.name; });
  return commands;
}

}  // namespace krax::cli

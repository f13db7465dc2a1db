// kraxctl's commands. Each command lives in its own cli/cmd_*.cpp and registers itself
// with a static RegisterCommand object, so adding a command touches no shared file.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace krax::cli {

class Context;

constexpr int kExitOk = 0;       // success
constexpr int kExitFailure = 1;  // the operation failed; a clear message went to stderr
constexpr int kExitUsage = 2;    // unknown command or bad arguments

// Thrown by a command for bad arguments: main prints "kraxctl: <what>" on one line, exits 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Command {
  std::string_view name;     // first word after the global options, e.g. "cab"
  std::string_view summary;  // one line for `kraxctl --help`
  std::string_view help;     // full text for `kraxctl NAME --help` (usage lines first)
  int (*run)(Context& context, const std::vector<std::string>& args);  // args after the name
};

struct RegisterCommand {
  explicit RegisterCommand(const Command& command);
};

// Every registered command, sorted by name.
std::vector<Command> AllCommands();

}  // namespace krax::cli

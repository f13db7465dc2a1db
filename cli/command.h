// kraxctl's commands. Each command lives in its own cli/cmd_*.cpp and registers itself
// with a static RegisterCommand object, so adding a command touches no shared file.
// A command declares its options once, in its table: the same table reads its command line
// and writes the usage lines of its help.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
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

// One option of a command.
struct Option {
  std::string_view name;        // "--yes"
  std::string_view value = {};  // what follows it, as the help names it ("DIR"); empty for a switch
  std::string_view alias = {};  // a short spelling ("-y"), where there is one
};

// One usage line of a command's help: the words after the command's name, then each of the
// named options in brackets.
struct Usage {
  std::string_view words;
  std::vector<std::string_view> options = {};
};

// A command line as a command's table reads it: the words in their order, and the options.
class Arguments {
 public:
  std::vector<std::string> words;

  bool Has(std::string_view option) const { return Count(option) > 0; }
  int Count(std::string_view option) const;
  // The value given last to `option`.
  std::optional<std::string> Value(std::string_view option) const;
  bool anyOption() const { return !given_.empty(); }

  void Add(std::string_view option, std::string value) { given_.emplace_back(option, std::move(value)); }

 private:
  std::vector<std::pair<std::string_view, std::string>> given_;  // by the option's name
};

struct Command {
  std::string_view name;     // first word after the global options, e.g. "cab"
  std::string_view summary;  // one line for `kraxctl --help`
  std::vector<Usage> usage;  // the usage lines of `kraxctl NAME --help`
  std::string_view help;     // the rest of that help, after the usage lines
  std::vector<Option> options;
  int (*run)(Context& context, const Arguments& args);
};

struct RegisterCommand {
  explicit RegisterCommand(const Command& command);
};

// Every registered command, sorted by name.
std::vector<Command> AllCommands();

// Reads `args` (the words after the command's name) with the command's options: "--name
// VALUE", "--name=VALUE" and the short spelling; "--" ends the options. A word that starts
// with "-" and a letter is an option; "-", "-5" or "-- text" are words. An option the table
// does not hold, or one without its value, is a UsageError.
Arguments ReadArguments(const Command& command, const std::vector<std::string>& args);

// `kraxctl NAME --help`: the usage lines, then the help text.
std::string HelpText(const Command& command);

}  // namespace krax::cli

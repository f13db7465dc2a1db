// kraxctl [--settings FILE] [--game DIR] [--cd DIR] COMMAND [ARGS...]
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "app/version.h"
#include "cli/context.h"
#include "platform/console.h"

namespace krax::cli {
namespace {

constexpr std::string_view kUsage =
    "Usage: kraxctl [--settings FILE] [--game DIR] [--cd DIR] COMMAND [ARGS...]\n"
    "       kraxctl COMMAND --help\n"
    "\n"
    "Manages the cars and tracks of a KRAX installation from the command line.\n"
    "\n"
    "Options:\n"
    "  --settings FILE  use this INI file for the settings instead of the user's own\n"
    "  --game DIR       use DIR as the game folder (KRAXPath) for this run; nothing is stored\n"
    "  --cd DIR         use DIR as the game CD (KRAXCDPath) for this run; nothing is stored\n"
    "  --help           show this text\n"
    "  --version        show the program's version\n";

constexpr const char* kExitCodes =
    "\nExit codes, the same for every command:\n"
    "  0  what was asked was done\n"
    "  1  it failed, was refused (also for want of a terminal to ask, or because another\n"
    "     program is changing the game folder) or was only partly done; a message says why\n"
    "  2  unknown command or bad arguments\n";

void PrintHelp(std::ostream& out) {
  out << kUsage << "\nCommands:\n";
  std::size_t width = 0;
  const std::vector<Command> commands = AllCommands();
  for (const Command& c : commands) width = std::max(width, c.name.size());
  for (const Command& c : commands) {
    out << "  " << c.name << std::string(width - c.name.size() + 2, ' ') << c.summary << '\n';
  }
  out << kExitCodes;
}

const Command* FindCommand(const std::vector<Command>& commands, std::string_view name) {
  for (const Command& c : commands) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

// Takes the value of a global option given as "--name VALUE" or "--name=VALUE".
bool TakeOption(std::string_view name, const std::vector<std::string>& args, std::size_t& i,
                std::optional<std::string>& value) {
  const std::string& arg = args[i];
  if (arg == name) {
    if (i + 1 >= args.size()) throw UsageError(std::string(name) + " needs a value");
    value = args[++i];
    return true;
  }
  if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 && arg[name.size()] == '=') {
    value = arg.substr(name.size() + 1);
    return true;
  }
  return false;
}

int Run(const std::vector<std::string>& args) {
  GlobalOptions options;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      PrintHelp(std::cout);
      return kExitOk;
    }
    if (arg == "--version") {
      std::cout << "kraxctl " << kProgramVersion << '\n';
      return kExitOk;
    }
    if (TakeOption("--settings", args, i, options.settingsFile) || TakeOption("--game", args, i, options.gameDir) ||
        TakeOption("--cd", args, i, options.cdDir)) {
      continue;
    }
    if (!arg.empty() && arg[0] == '-') throw UsageError("unknown option \"" + arg + "\" (see kraxctl --help)");
    break;
  }
  if (i >= args.size()) throw UsageError("no command given (see kraxctl --help)");

  const std::vector<Command> commands = AllCommands();
  const Command* command = FindCommand(commands, args[i]);
  if (!command) throw UsageError("unknown command \"" + args[i] + "\" (see kraxctl --help)");
  std::vector<std::string> commandArgs(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
  for (const std::string& a : commandArgs) {
    if (a == "--") break;
    if (a == "--help" || a == "-h") {
      std::cout << HelpText(*command);
      return kExitOk;
    }
  }
  const Arguments commandArguments = ReadArguments(*command, commandArgs);
  Context context(std::cout, std::cerr, std::cin, std::move(options));
  return command->run(context, commandArguments);
}

}  // namespace
}  // namespace krax::cli

int main(int argc, char** argv) {
  using namespace krax::cli;
  krax::PrepareConsole();
  std::vector<std::string> args = krax::ProgramArguments(argc, argv);
  if (!args.empty()) args.erase(args.begin());  // the program's own name
  try {
    int code = Run(args);
    std::cout.flush();
    return code;
  } catch (const UsageError& e) {
    std::cerr << "kraxctl: " << e.what() << '\n';
    return kExitUsage;
  } catch (const std::exception& e) {
    std::cerr << "kraxctl: " << e.what() << '\n';
    return kExitFailure;
  }
}

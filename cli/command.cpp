#include "cli/command.h"

#include <algorithm>
#include <cctype>

namespace krax::cli {

namespace {

// Function-local so that registration from other files' static objects finds it ready.
std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

// "-y", "--yes", "--id=X": a dash and a letter, or two dashes and a letter. Other words that
// start with a dash ("-", "-5", "-- Race --") are a command's own words.
bool LooksLikeOption(const std::string& arg) {
  const auto letterAt = [&arg](std::size_t i) {
    return i < arg.size() && std::isalpha(static_cast<unsigned char>(arg[i])) != 0;
  };
  return arg.size() >= 2 && arg[0] == '-' && (letterAt(1) || (arg[1] == '-' && letterAt(2)));
}

const Option* FindOption(const Command& command, std::string_view spelled) {
  for (const Option& option : command.options) {
    if (option.name == spelled || (!option.alias.empty() && option.alias == spelled)) return &option;
  }
  return nullptr;
}

}  // namespace

RegisterCommand::RegisterCommand(const Command& command) { Registry().push_back(command); }

std::vector<Command> AllCommands() {
  std::vector<Command> commands = Registry();
  std::sort(commands.begin(), commands.end(),
            [](const Command& a, const Command& b) { return a.name < b.name; });
  return commands;
}

int Arguments::Count(std::string_view option) const {
  return static_cast<int>(
      std::count_if(given_.begin(), given_.end(), [option](const auto& given) { return given.first == option; }));
}

std::optional<std::string> Arguments::Value(std::string_view option) const {
  for (auto given = given_.rbegin(); given != given_.rend(); ++given) {
    if (given->first == option) return given->second;
  }
  return std::nullopt;
}

Arguments ReadArguments(const Command& command, const std::vector<std::string>& args) {
  const std::string name(command.name);
  Arguments read;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      read.words.insert(read.words.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    }
    if (!LooksLikeOption(arg)) {
      read.words.push_back(arg);
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string spelled = arg.substr(0, equals);
    const Option* option = FindOption(command, spelled);
    if (option == nullptr) {
      throw UsageError(name + ": unknown option \"" + spelled + "\" (see kraxctl " + name + " --help)");
    }
    if (option->value.empty()) {
      if (equals != std::string::npos) throw UsageError(name + ": " + std::string(option->name) + " takes no value");
      read.Add(option->name, {});
    } else if (equals != std::string::npos) {
      read.Add(option->name, arg.substr(equals + 1));
    } else {
      if (i + 1 >= args.size()) throw UsageError(name + ": " + std::string(option->name) + " needs a value");
      read.Add(option->name, args[++i]);
    }
  }
  return read;
}

std::string HelpText(const Command& command) {
  std::string text;
  for (const Usage& usage : command.usage) {
    text += text.empty() ? "Usage: kraxctl " : "       kraxctl ";
    text += command.name;
    if (!usage.words.empty()) text += " " + std::string(usage.words);
    for (std::string_view spelled : usage.options) {
      const Option* option = FindOption(command, spelled);
      text += " [" + std::string(spelled);
      if (option != nullptr && !option->value.empty()) text += " " + std::string(option->value);
      text += "]";
    }
    text += '\n';
  }
  text += command.help;
  if (!text.empty() && text.back() != '\n') text += '\n';
  return text;
}

}  // namespace krax::cli

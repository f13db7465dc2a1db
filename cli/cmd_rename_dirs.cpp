// kraxctl rename-dirs: "DIR = ID" and "DIR = NAME".
#include <ostream>
#include <string>
#include <vector>

#include "app/settings.h"
#include "cli/command.h"
#include "cli/context.h"
#include "cli/item_arguments.h"
#include "cli/terminal_prompts.h"
#include "gamedata/game_data.h"
#include "operations/game_operations.h"

namespace krax::cli {
namespace {

int RunRenameDirs(Context& context, const Arguments& arguments) {
  const std::vector<std::string>& args = arguments.words;
  const bool yes = arguments.Has("--yes");
  if (args.size() != 1 || (args[0] != "id" && args[0] != "name")) {
    throw UsageError("rename-dirs: expected id or name");
  }
  GameData* found = context.RequireGame();
  if (found == nullptr) return kExitFailure;
  GameData& game = *found;
  LoadCars(game);
  TerminalPrompts prompts(context, yes);
  GameOperations operations(game, context.settings(), prompts);
  const OperationResult result = args[0] == "id" ? operations.RenameDirsToId() : operations.RenameDirsToName();
  if (result.status == OperationStatus::kCancelled && prompts.onlyShowedPlan()) {
    context.err << "No folder was renamed.\n";
    return kExitFailure;  // refused: what was asked was not done
  }
  if (!result.done()) {
    context.err << "kraxctl: " << (result.message.empty() ? "No folder was renamed." : result.message) << '\n';
    return kExitFailure;
  }
  return kExitOk;
}

const RegisterCommand kRenameDirs({"rename-dirs",
                                   "rename every car folder after the car's ID or name",
                                   {{"id|name", {"--yes"}}},
                                   "Renames the folder of every car with front-end data to the car's ID (id,\n"
                                   "\"DIR = ID\") or name (name, \"DIR = NAME\"), directly under\n"
                                   "GameData\\CarModel. Nothing is ever replaced: a taken name (also one that\n"
                                   "differs only in letter case) gives the folder a numbered name instead\n"
                                   "(0000, 0001, ... or NAME0000, ...); a folder that has its name, or a numbered\n"
                                   "one while its name is taken, stays. First prints the renames it will make;\n"
                                   "renames with --yes or after a yes at a terminal. Then prints a summary and\n"
                                   "one line per folder that moved or kept its name; \"Rename err:\" lines go to\n"
                                   "stderr (id only).\n",
                                   {{"--yes"}},
                                   RunRenameDirs});

}  // namespace
}  // namespace krax::cli

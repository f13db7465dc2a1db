// kraxctl run-game / edit: the toolbar's "Run KRAX" and the tree's right double click.
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/context.h"
#include "cli/item_arguments.h"
#include "cli/terminal_prompts.h"
#include "gamedata/game_data.h"
#include "operations/game_operations.h"

namespace krax::cli {
namespace {

int RunRunGame(Context& context, const Arguments& args) {
  if (!args.words.empty()) throw UsageError("run-game: takes no arguments");
  TerminalPrompts prompts(context, /*assumeYes=*/false);
  if (context.RequireGame() == nullptr) return kExitFailure;
  GameOperations operations(context.game(), context.settings(), prompts);
  return ReportResult(context, operations.RunGame());
}

int RunEdit(Context& context, const Arguments& arguments) {
  const std::vector<std::string>& args = arguments.words;
  if (args.size() != 1) throw UsageError("edit: expected SLOT, ID or ROW/TRACK");
  return ActOnItem(
      context, /*assumeYes=*/false,
      [&](GameData& game, Prompts& prompts) { return FindCarOrTrackArgument(context, game, prompts, args[0]); },
      [](GameOperations& operations, ItemRef item) { return operations.RunItemEditor(item); });
}

const RegisterCommand kRunGame({"run-game",
                                "start KRAX without its intro movies",
                                {{""}},
                                "Starts krax.exe -nomovie in the game folder (through wine on Linux) and\n"
                                "returns at once.\n",
                                {},
                                RunRunGame});
const RegisterCommand kEdit({"edit",
                             "open a car or an add-on track in its editor",
                             {{"SLOT|ID|ROW/TRACK"}},
                             "Opens the car's archive with KRAXCarEdit, or the track file Tr0<ROW>.frd of\n"
                             "the add-on TRACK in slot ROW with KRAXTrackEdit (\"Default Shell Action\":\n"
                             "the desktop's associated program). The file is passed as one argument.\n",
                             {},
                             RunEdit});

}  // namespace
}  // namespace krax::cli

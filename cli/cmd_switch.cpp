// kraxctl toggle / switch: the tree's left double click on a car or a track folder.
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

int RunToggle(Context& context, const Arguments& arguments) {
  const std::vector<std::string>& args = arguments.words;
  if (args.size() != 1) throw UsageError("toggle: expected SLOT or ID");
  const std::optional<GameCar> car = RequireCarArgument(context, args[0]);
  if (!car) return kExitFailure;
  GameData& game = *car->game;
  TerminalPrompts prompts(context, /*assumeYes=*/false);
  GameOperations operations(game, context.settings(), prompts);
  return ReportResult(context, operations.ToggleCar(CarSlot{car->slot}));
}

int RunSwitch(Context& context, const Arguments& arguments) {
  const std::vector<std::string>& args = arguments.words;
  if (args.size() != 2) throw UsageError("switch: expected ROW TRACK");
  return ActOnItem(
      context, /*assumeYes=*/false,
      [&](GameData& game, Prompts& prompts) { return FindTrackArgument(context, game, prompts, args[0], args[1]); },
      [](GameOperations& operations, ItemRef track) { return operations.SwitchTrack(track); });
}

const RegisterCommand kToggle({"toggle",
                               "enable a disabled car or disable an enabled one",
                               {{"SLOT|ID"}},
                               "Renames the car's archive car.viv to car.viv.dis or back. A car whose\n"
                               "folder already holds an archive of the new name is left as it is.\n",
                               {},
                               RunToggle});
const RegisterCommand kSwitch({"switch",
                               "make a track folder the active track of its slot",
                               {{"ROW TRACK"}},
                               "ROW is the slot row 0 to 8 (see kraxctl tracks), TRACK a track folder of that\n"
                               "slot or \"Original\". The game's own files that the track replaces are kept\n"
                               "in the slot's \"Original\" folder. Every step that fails is printed; the\n"
                               "exit status is then 1.\n",
                               {},
                               RunSwitch});

}  // namespace
}  // namespace krax::cli

// kraxctl restore: the game's own cars, tracks and strings copied back from the CD.
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
#include "platform/path.h"

namespace krax::cli {
namespace {

int RunRestore(Context& context, const Arguments& arguments) {
  const std::vector<std::string>& args = arguments.words;
  const bool yes = arguments.Has("--yes");
  const std::string what = args.empty() ? std::string() : args[0];
  const bool withItem = what == "car" || what == "slot";
  if (!(what == "cars" || what == "tracks" || what == "strings" || withItem) || args.size() != (withItem ? 2u : 1u)) {
    throw UsageError("restore: expected cars, tracks, strings, car ID or slot ROW");
  }
  GameData* found = context.RequireGame();
  if (found == nullptr) return kExitFailure;
  GameData& game = *found;
  TerminalPrompts prompts(context, yes);
  GameOperations operations(game, context.settings(), prompts);
  OperationResult result;
  if (what == "cars") {
    result = operations.RestoreCars();
  } else if (what == "tracks") {
    result = operations.RestoreTracks();
  } else if (what == "strings") {
    result = operations.RestoreStrings();
  } else if (what == "slot") {
    const int row = TrackRowArgument(args[1]);
    result = operations.RestoreItemFromCd(ItemRef::StockTrackSlot(row), game.SlotFolderPath(row), {});
  } else {
    LoadCars(game);
    int slot = -1;
    for (std::size_t i = 0; i < game.cars.size() && slot < 0; ++i) {
      const auto& id = game.cars[i].carId;
      if (id && EqualsIgnoreCase(*id, args[1])) slot = static_cast<int>(i);
    }
    if (slot < 0) {
      context.err << "kraxctl: no car with the ID " << args[1] << " in the car folder\n";
      return kExitFailure;
    }
    result = operations.RestoreItemFromCd(ItemRef::Car(static_cast<std::size_t>(slot)), {}, args[1]);
  }
  if (result.status == OperationStatus::kCancelled && prompts.onlyShowedPlan()) {
    context.err << "Nothing was restored.\n";
    return kExitFailure;  // refused: what was asked was not done
  }
  if (result.status == OperationStatus::kFailed) {
    context.err << "kraxctl: " << ResultText(result) << '\n';
    return kExitFailure;
  }
  context.out << (result.message.empty() ? "Nothing was restored." : result.message) << '\n';
  return result.done() ? kExitOk : kExitFailure;
}

const RegisterCommand kRestore({"restore",
                                "copy the game's own cars, tracks or strings back from the CD",
                                {{"cars|tracks|strings", {"--yes"}}, {"car ID"}, {"slot ROW"}},
                                "Copies GameData\\CarModel, GameData\\Tracks or FeData\\Text of the CD (KRAXCDPath,\n"
                                "or --cd DIR) into the game folder, replacing files and leaving add-ons alone;\n"
                                "nothing is deleted. car ID restores one stock car into its folder, slot ROW\n"
                                "one stock track slot (0 to 8). tracks also points install.win's tracks line\n"
                                "at the game's own tracks folder and sets every restored slot's active track\n"
                                "to Original; a disabled car stays disabled. cars, tracks and strings first\n"
                                "print what they will copy and act with --yes or after a yes at a terminal.\n"
                                "Progress goes to stderr on a terminal; the result (files and bytes copied,\n"
                                "any errors) is printed at the end.\n",
                                {{"--yes"}},
                                RunRestore});

}  // namespace
}  // namespace krax::cli

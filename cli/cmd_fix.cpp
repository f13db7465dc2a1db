// kraxctl fix / police: "Fix Errors", "Fix All Errors..." and the "Police Car: " check box.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/context.h"
#include "cli/item_arguments.h"
#include "cli/terminal_prompts.h"
#include "gamedata/game_data.h"
#include "operations/car_fixes.h"
#include "operations/game_operations.h"

namespace krax::cli {
namespace {

int RunFix(Context& context, const Arguments& args) {
  const bool yes = args.Has("--yes"), all = args.Has("--all");
  const std::vector<std::string>& positional = args.words;
  if (all ? !positional.empty() : positional.size() != 1) throw UsageError("fix: expected SLOT|ID or --all [--yes]");
  GameData* found = context.RequireGame();
  if (found == nullptr) return kExitFailure;
  GameData& game = *found;
  LoadCars(game);
  std::vector<std::size_t> slots;
  if (all) {
    for (std::size_t i = 0; i < game.cars.size(); ++i) slots.push_back(i);
  } else {
    const std::optional<std::size_t> slot = FindCarArgument(context, game, positional[0]);
    if (!slot) return kExitFailure;
    slots.push_back(*slot);
  }
  const FixPlan plan = PlanCarFixes(game, slots);
  if (plan.fixes.empty()) {
    context.out << "No errors to fix.\n";
    return kExitOk;
  }
  context.out << "Plan:\n" << plan.Text();
  if (!plan.HasChanges()) {
    context.err << "kraxctl: nothing can be fixed\n";
    return kExitFailure;
  }
  TerminalPrompts prompts(context, yes);
  if (!prompts.Question(QuestionKind::kGoOn, "Fix these errors?", true)) return kExitFailure;
  GameOperations operations(game, context.settings(), prompts);
  const FixRun run = operations.RunFixPlan(plan, [&game] { LoadCars(game); });
  context.out << run.details;
  return ReportResult(context, run.result);
}

int RunPolice(Context& context, const Arguments& args) {
  const bool yes = args.Has("--yes");
  const std::vector<std::string>& positional = args.words;
  if (positional.size() != 2 || (positional[1] != "on" && positional[1] != "off")) {
    throw UsageError("police: expected SLOT|ID on|off [--yes]");
  }
  const std::optional<GameCar> car = RequireCarArgument(context, positional[0]);
  if (!car) return kExitFailure;
  GameData& game = *car->game;
  TerminalPrompts prompts(context, yes);
  GameOperations operations(game, context.settings(), prompts);
  return ReportResult(context, operations.SetPoliceFlag(CarSlot{car->slot}, positional[1] == "on"));
}

const RegisterCommand kFix({"fix",
                            "fixes the errors of one car or of every car",
                            {{"SLOT|ID", {"--yes"}}, {"--all", {"--yes"}}},
                            "Prints the plan, asks (without a terminal it refuses unless --yes is given),\n"
                            "then fixes and prints what was fixed and what was not:\n"
                            "  Different s.n.    the front-end data get the serial number of carp.txt\n"
                            "  Duplicate s.n.    a new unique number in carp.txt and the front-end data\n"
                            "  Diferent Path/ID  the folder is renamed to the car ID (also Path > 4),\n"
                            "                    when the ID is a free folder name of at most four characters\n"
                            "  No FeData         cannot be fixed\n"
                            "Exit 1 when a change failed or nothing could be fixed.\n",
                            {{"--all"}, {"--yes"}},
                            RunFix});
const RegisterCommand kPolice({"police",
                               "sets or clears a car's police flag",
                               {{"SLOT|ID on|off", {"--yes"}}},
                               "Writes the police flag into every front-end data entry of the car's archive\n"
                               "after a question (without a terminal it refuses unless --yes is given).\n",
                               {{"--yes"}},
                               RunPolice});

}  // namespace
}  // namespace krax::cli

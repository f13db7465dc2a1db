// kraxctl gen-serials / write-serial: "Generate S.N." and the details form's "Write".
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/context.h"
#include "cli/item_arguments.h"
#include "cli/terminal_prompts.h"
#include "cli/terminal_text.h"
#include "cli/whole_number.h"
#include "gamedata/game_data.h"
#include "operations/game_operations.h"
#include "operations/serial_numbers.h"

namespace krax::cli {
namespace {

int RunGenSerials(Context& context, const Arguments& args) {
  const bool yes = args.Has("--yes");
  if (!args.words.empty()) throw UsageError("gen-serials: takes no argument but --yes");
  GameData* found = context.RequireGame();
  if (found == nullptr) return kExitFailure;
  GameData& game = *found;
  LoadCars(game);
  TerminalPrompts prompts(context, yes);
  GameOperations operations(game, context.settings(), prompts);
  const SerialGeneration generation = operations.GenerateSerials([&game] { LoadCars(game); });
  if (generation.result.status == OperationStatus::kCancelled && prompts.onlyShowedPlan()) {
    context.err << "No serial number was changed.\n";
    return kExitFailure;  // refused: what was asked was not done
  }
  for (const SerialGenerationEntry& entry : generation.entries) {
    if (entry.written) {
      context.out << entry.slot << '\t' << TerminalSafe(entry.car) << '\t' << entry.oldSerial << " -> " << entry.newSerial << '\n';
    }
  }
  return ReportResult(context, generation.result);
}

int RunWriteSerial(Context& context, const Arguments& args) {
  const bool yes = args.Has("--yes");
  const std::vector<std::string>& positional = args.words;
  if (positional.size() != 2) throw UsageError("write-serial: expected SLOT VALUE [--yes]");
  const std::optional<long long> slot = ParseWholeNumber<long long>(positional[0]);
  if (!slot) throw UsageError("write-serial: '" + positional[0] + "' is not a slot");
  const std::optional<long long> value = ParseWholeNumber<long long>(positional[1]);
  if (!value) throw UsageError("write-serial: Please enter an integer.");
  if (*value < 0 || *value > 65535) throw UsageError("write-serial: Please enter a serial number from 0 to 65535.");

  GameData* found = context.RequireGame();
  if (found == nullptr) return kExitFailure;
  GameData& game = *found;
  LoadCars(game);
  if (!game.HasCar(*slot)) {
    context.err << "kraxctl: no car in slot " << *slot << '\n';
    return kExitFailure;
  }
  TerminalPrompts prompts(context, yes);
  GameOperations operations(game, context.settings(), prompts);
  return ReportResult(context, operations.WriteSerialNumber(CarSlot{static_cast<std::size_t>(*slot)}, *value));
}

const RegisterCommand kGenSerials({"gen-serials",
                                   "give cars with duplicate serial numbers new ones",
                                   {{"", {"--yes"}}},
                                   "Every car flagged \"Duplicate s.n.\" gets a new serial number that no\n"
                                   "other top-level car holds, written into all its front-end data entries.\n"
                                   "First lists those cars; writes with --yes or after a yes at a terminal.\n"
                                   "Prints each car whose number changed, old and new, then how many did;\n"
                                   "a number that could not be written is named on stderr (exit 1).\n",
                                   {{"--yes"}},
                                   RunGenSerials});
const RegisterCommand kWriteSerial({"write-serial",
                                    "write a car's front-end serial number",
                                    {{"SLOT VALUE", {"--yes"}}},
                                    "Writes VALUE (0 to 65535) into every front-end data entry of the car in\n"
                                    "SLOT. When another top-level car holds the number it asks\n"
                                    "\"Serial Number Exist. Write it?\"; without a terminal it refuses unless\n"
                                    "--yes is given.\n",
                                    {{"--yes"}},
                                    RunWriteSerial});

}  // namespace
}  // namespace krax::cli

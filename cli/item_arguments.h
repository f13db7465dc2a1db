// Naming a car or a track folder on kraxctl's command line, and reporting an operation's
// result the same way in every command.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "operations/item_ref.h"

namespace krax {
class GameData;
class GameOperations;
struct OperationResult;
class Prompts;
}  // namespace krax

namespace krax::cli {

class Context;

// Reads the car table afresh from the car folder.
void LoadCars(GameData& game);

// The car named by SLOT (digits) or ID (ignoring case) in the loaded car table; nullopt, with
// the reason on stderr, when there is none or several cars carry the ID.
std::optional<std::size_t> FindCarArgument(Context& context, const GameData& game, const std::string& argument);

// The game and the car named by `argument` (SLOT or ID, after loading the car table afresh);
// nullopt, with the reason on stderr, when there is no game or no such car.
struct GameCar {
  GameData* game;
  std::size_t slot;
};
std::optional<GameCar> RequireCarArgument(Context& context, const std::string& argument);

// The track slot row 0 .. 8 spelled by `rowText`; anything else is a UsageError.
int TrackRowArgument(const std::string& rowText);

// Loads the track catalog (after repeating interrupted switches) and returns the folder
// `track` of slot `row` (exact name first, then ignoring case); nullopt, with the reason on
// stderr, when the slot has no such folder. A row outside 0 .. 8 is a UsageError.
std::optional<ItemRef> FindTrackArgument(Context& context, GameData& game, Prompts& prompts, const std::string& row,
                                         const std::string& track);

// A car (SLOT or ID, after loading the car table) or a track folder (ROW/TRACK) as the two
// functions above find it.
std::optional<ItemRef> FindCarOrTrackArgument(Context& context, GameData& game, Prompts& prompts,
                                              const std::string& what);

// The commands that act on one item of the game: finds it with `find` (which says on stderr
// why there is none), then does `act` on it with prompts that ask on the terminal (or answer
// yes) and reports the result as ReportResult does. `deleteForGood`: --delete-for-good.
int ActOnItem(Context& context, bool assumeYes,
              const std::function<std::optional<ItemRef>(GameData& game, Prompts& prompts)>& find,
              const std::function<OperationResult(GameOperations& operations, ItemRef item)>& act,
              bool deleteForGood = false);

// Prints a done result's message on stdout (0); anything else goes to stderr (1).
int ReportResult(Context& context, const OperationResult& result);

}  // namespace krax::cli

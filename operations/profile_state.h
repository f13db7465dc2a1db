// The game's cars and tracks as a profile sees them, and the way from the state on disk to a
// profile's state: a plan (shown to the user before anything changes) carried out by the same
// toggles and switches as the tree's double clicks.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "gamedata/stock_tables.h"
#include "operations/operations.h"
#include "operations/profile.h"

namespace krax {

class GameData;
class Prompts;

// The game's state read afresh: the car table is reloaded, interrupted switches are repeated
// and the track catalog is loaded (so track folder positions are current).
struct GameState {
  Profile profile;  // what is enabled and active now
  std::map<std::string, std::size_t> carSlots;  // car folder -> slot in the car table
  std::map<std::string, std::string> carNames;  // car folder -> the car's name ("" without one)
  // Per slot row: the listed track folders (name, track folder item) and the slot folder.
  std::array<std::vector<std::pair<std::string, ItemRef>>, kStockTrackSlotCount> trackFolders;
};
GameState ReadGameState(GameData& data, Prompts& prompts);

// The name of each car of the car table as loaded, by its folder below CarModel ("/"
// separated); cars without front-end data have no name.
std::map<std::string, std::string> CarNamesByFolder(const GameData& data);
// A car as plans and profiles name it: its folder, and its name after it when known,
// "Classics/GLYD (Glyder Mk2)".
std::string CarLabel(const std::string& folder, const std::map<std::string, std::string>& names);

// A car the game comes with: one of the stock IDs in its own folder directly in CarModel,
// named as the ID (letter case aside), the folder the CD holds it in.
bool IsGameOwnCar(const GameData& data, std::size_t slot);
// True when `text` (a car ID or a folder name) is a stock car ID, ignoring case.
bool IsStockCarName(const std::string& text);

// The stock game for the cars and slots the game has now: the game's own cars enabled, every
// other car disabled, every slot on "Original".
Profile StockGameProfile(const GameData& data, const GameState& state);

struct ProfilePlan {
  struct CarChange {
    std::size_t slot;
    std::string folder;
    bool enable;
    std::string label;  // CarLabel: the folder with the car's name
  };
  struct SlotSwitch {
    int row;
    std::string from, to;
    ItemRef trackFolder;
  };
  std::vector<CarChange> cars;       // disables first, then enables
  std::vector<SlotSwitch> switches;
  std::vector<std::string> missing;  // named by the profile, not in the game: skipped
  std::vector<std::string> unknown;  // cars the profile does not know (CarLabel): kept as they are
  bool changesNothing() const { return cars.empty() && switches.empty(); }
};

ProfilePlan PlanProfile(const GameState& state, const Profile& profile);

// A saved profile as the player reads it: the cars it enables and the cars it disables
// (CarLabel, with the names in `carNames`), then the track each slot plays.
std::string DescribeProfile(const std::string& title, const Profile& profile,
                            const std::map<std::string, std::string>& carNames);

// The plan as the question before it runs shows it (long lists are shortened).
std::string DescribePlan(const std::string& title, const ProfilePlan& plan);

// Asks (showing the plan), then runs every change through `operations`, and ends with one
// report. kCancelled when the user says no; kFailed when any change failed.
OperationResult ApplyProfilePlan(Operations& operations, Prompts& prompts, const std::string& command,
                                 const std::string& title, const ProfilePlan& plan);

}  // namespace krax

#include "operations/remove_item.h"

#include <cstring>

#include "gamedata/car_catalog.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "gamedata/track_catalog.h"
#include "operations/profile_state.h"
#include "operations/prompts.h"
#include "operations/track_switch.h"
#include "platform/path.h"
#include "platform/trash.h"

namespace krax {
namespace {

constexpr const char* kCommand = "Remove";

OperationResult Failed(const std::string& message) { return {OperationStatus::kFailed, kCommand, message}; }

bool IsAddOnTrackCode(const GameData& data, int itemCode) {
  const long long n = TrackFolderList::PositionFromItemCode(itemCode);
  return n >= 0 && n % 2 == 0 && static_cast<std::size_t>(n) + 1 < data.TrackFolderList.size();
}

struct Target {
  std::string folder;  // what goes to the trash
  std::string label;   // "the car "X" (folder ...)" / "the track "X" of Trk003"
  std::string slotFolder, trackName;  // a track only
};

Target TargetOf(const GameData& data, int itemCode) {
  Target target;
  if (itemCode >= 0) {
    const CarRecord& car = data.CarTable[static_cast<std::size_t>(itemCode)];
    target.folder = ParentPath(car.archivePath);
    target.label = "the car \"" + car.name.value_or(kNoFedataName) + "\" (folder " + BaseName(target.folder) + ")";
  } else {
    const auto n = static_cast<std::size_t>(TrackFolderList::PositionFromItemCode(itemCode));
    target.folder = data.TrackFolderList.path(n);
    target.trackName = data.TrackFolderList.name(n);
    target.slotFolder = ParentPath(target.folder);
    target.label = "the track \"" + target.trackName + "\" of " + BaseName(target.slotFolder);
  }
  return target;
}

}  // namespace

std::string RemoveRefusal(const GameData& data, int itemCode) {
  if (itemCode >= 0) {
    if (!data.CarTable.isUsed(itemCode)) return "There is no car in slot " + std::to_string(itemCode) + ".";
    const CarRecord& car = data.CarTable[static_cast<std::size_t>(itemCode)];
    const std::string folder = ParentPath(car.archivePath);
    const std::string carModel = CarFolderPath(data.gameFolder);
    if (IsStockCarName(car.carId.value_or("")) || IsStockCarName(BaseName(folder))) {
      return "The game's own cars cannot be removed.";
    }
    if (folder.size() <= carModel.size() || folder.compare(0, carModel.size(), carModel) != 0) {
      return "The car's folder " + folder + " is not below the game's car folder.";
    }
    return {};
  }
  if (!IsAddOnTrackCode(data, itemCode)) return "Only add-on cars and add-on tracks can be removed.";
  const auto n = static_cast<std::size_t>(TrackFolderList::PositionFromItemCode(itemCode));
  if (EqualsIgnoreCase(data.TrackFolderList.name(n), kOriginalFolder)) {
    return "A slot's \"Original\" folder holds the game's own files and cannot be removed.";
  }
  if (ParentPath(data.TrackFolderList.path(n)).empty()) return "This track is not in a track slot folder.";
  return {};
}

OperationResult RemoveAddOn(GameData& data, Prompts& prompts, int itemCode) {
  if (const std::string refusal = RemoveRefusal(data, itemCode); !refusal.empty()) return Failed(refusal);
  const Target target = TargetOf(data, itemCode);
  if (!IsFolder(target.folder)) return Failed("The folder " + target.folder + " cannot be found.");
  const bool active = !target.trackName.empty() && ReadActiveTrack(target.slotFolder) == target.trackName;
  std::string question = "Remove " + target.label + "?\n\nIts folder goes to the trash, from where your file manager can bring it back.";
  if (active) question += "\nIt is the slot's active track: the slot is first switched back to \"Original\".";
  if (!prompts.Question(question)) return {OperationStatus::kCancelled, kCommand, {}};

  if (active) {
    const SwitchOutcome outcome = SwitchTrackOfGame(data, target.slotFolder, kOriginalFolder);
    if (!outcome.ok()) {
      return Failed(DescribeSwitchProblems(target.slotFolder, kOriginalFolder, outcome.problems) +
                    "\nThe track was not removed.");
    }
  }
  const TrashResult trashed = MoveToTrash(target.folder);
  if (trashed.ok()) {
    return {OperationStatus::kDone, kCommand,
            "Moved " + target.label + " to the trash" + (active ? " (the slot is on \"Original\" now)." : ".")};
  }
  if (trashed.status == TrashStatus::kFailed) return Failed("Could not remove " + target.label + ": " + trashed.problem + ".");
  if (!prompts.Question("There is no trash for " + target.folder + ": " + trashed.problem +
                        ".\n\nDelete " + target.label + " for good? This cannot be undone.")) {
    return {OperationStatus::kCancelled, kCommand, "Nothing was removed."};
  }
  if (!DeleteForGood(target.folder)) return Failed("Could not delete all of " + target.folder + ".");
  return {OperationStatus::kDone, kCommand, "Deleted " + target.label + " for good."};
}

}  // namespace krax

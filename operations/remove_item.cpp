#include "operations/remove_item.h"

#include <algorithm>

#include "gamedata/car_catalog.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "gamedata/track_catalog.h"
#include "operations/file_names.h"
#include "operations/profile_state.h"
#include "operations/prompts.h"
#include "operations/track_switch.h"
#include "platform/path.h"
#include "platform/real_path.h"
#include "platform/trash.h"

namespace krax {
namespace {

constexpr const char* kCommand = "Remove";

OperationResult Failed(const std::string& message) { return {OperationStatus::kFailed, kCommand, message}; }

// True when the resolved path `path` lies strictly inside the resolved folder `folder`.
bool IsBelow(const std::string& path, const std::string& folder) {
  if (folder.empty() || path.size() <= folder.size()) return false;
  const bool sameStart = kLookupsIgnoreCase ? EqualsIgnoreCase(path.substr(0, folder.size()), folder)
                                            : path.compare(0, folder.size(), folder) == 0;
  return sameStart && (IsSeparator(path[folder.size()]) || IsSeparator(folder.back()));
}

struct Target {
  std::string folder;  // what goes to the trash
  std::string label;   // "the car "X" (folder ...)" / "the track "X" of Trk003"
  std::string slotFolder, trackName;  // a track only
};

Target TargetOf(const GameData& data, ItemRef item) {
  Target target;
  if (item.isCar()) {
    const CarRecord& car = data.cars[item.index];
    target.folder = ParentPath(car.archivePath);
    target.label = "the car \"" + car.name.value_or(kNoFedataName) + "\" (folder " + BaseName(target.folder) + ")";
  } else {
    target.folder = data.trackFolder(item.index).path;
    target.trackName = data.trackFolder(item.index).name;
    target.slotFolder = ParentPath(target.folder);
    target.label = "the track \"" + target.trackName + "\" of " + BaseName(target.slotFolder);
  }
  return target;
}

// A folder whose name Windows would read as another name ("Original." is "Original" there) or
// as a device is left alone: on Windows the removal would reach something else.
std::string UnusableFolderRefusal(const std::string& name) {
  if (IsUsableFileName(name)) return {};
  return "The folder name \"" + name + "\" means another name or a device on Windows; it is left alone.";
}

}  // namespace

std::string RemoveRefusal(const GameData& data, ItemRef item) {
  if (item.isCar()) {
    if (!data.HasCar(item.index)) return "There is no car in slot " + std::to_string(item.index) + ".";
    const CarRecord& car = data.cars[item.index];
    const std::string folder = ParentPath(car.archivePath);
    const std::string carModel = CarFolderPath(data.gameFolder());
    if (IsStockCarName(car.carId.value_or("")) || IsStockCarName(BaseName(folder))) {
      return "The game's own cars cannot be removed.";
    }
    if (folder.size() <= carModel.size() || folder.compare(0, carModel.size(), carModel) != 0) {
      return "The car's folder " + folder + " is not below the game's car folder.";
    }
    // The names may be below the car folder while a link leads the folder itself elsewhere.
    if (const std::string real = RealPath(folder); !real.empty() && !IsBelow(real, RealPath(carModel))) {
      return "The car's folder " + folder + " is reached through a link and lies outside the game's car folder (in " +
             ParentPath(real) + "); it is not removed.";
    }
    return UnusableFolderRefusal(BaseName(folder));
  }
  if (!IsListedTrackFolder(data.trackFolders, item)) return "Only add-on cars and add-on tracks can be removed.";
  const std::size_t n = item.index;
  if (EqualsIgnoreCase(data.trackFolder(n).name, kOriginalFolder)) {
    return "A slot's \"Original\" folder holds the game's own files and cannot be removed.";
  }
  const std::string folder = data.trackFolder(n).path;
  if (ParentPath(folder).empty()) return "This track is not in a track slot folder.";
  if (const std::string real = RealPath(folder); !real.empty() && !IsBelow(real, RealPath(ParentPath(folder)))) {
    return "The track folder " + folder + " is reached through a link and lies outside its slot folder (in " +
           ParentPath(real) + "); it is not removed.";
  }
  return UnusableFolderRefusal(data.trackFolder(n).name);
}

namespace {

// Removes one add-on the user agreed to remove; the result says what happened to it.
OperationResult RemoveOne(GameData& data, Prompts& prompts, const Target& target) {
  if (!IsFolder(target.folder)) return Failed("The folder " + target.folder + " cannot be found.");
  const bool active = !target.trackName.empty() && ActiveTrackFolder(target.slotFolder) == target.trackName;
  if (active) {
    const SwitchOutcome outcome = SwitchTrackOfGame(data, target.slotFolder, kOriginalFolder);
    if (!outcome.ok()) {
      return Failed(DescribeSwitchProblems(target.slotFolder, kOriginalFolder, outcome.problems) + "\n" +
                    target.label + " was not removed.");
    }
  }
  const TrashResult trashed = MoveToTrash(target.folder);
  if (trashed.ok()) {
    return {OperationStatus::kDone, kCommand,
            "Moved " + target.label + " to the trash" + (active ? " (the slot is on \"Original\" now)." : ".")};
  }
  if (trashed.status == TrashStatus::kFailed) return Failed("Could not remove " + target.label + ": " + trashed.message + ".");
  if (!prompts.Question(QuestionKind::kDeleteForGood, "There is no trash for " + target.folder + ": " + trashed.message + ".\n\nDelete " +
                        target.label + " for good? This cannot be undone.")) {
    return {OperationStatus::kCancelled, kCommand, target.label + " was not removed."};
  }
  if (!DeleteForGood(target.folder)) return Failed("Could not delete all of " + target.folder + ".");
  return {OperationStatus::kDone, kCommand, "Deleted " + target.label + " for good."};
}

}  // namespace

OperationResult RemoveAddOns(GameData& data, Prompts& prompts, const std::vector<ItemRef>& items) {
  std::vector<Target> targets;
  std::string refused;
  for (const ItemRef item : items) {
    if (const std::string refusal = RemoveRefusal(data, item); !refusal.empty()) {
      const bool named = (item.isCar() && data.HasCar(item.index)) || IsListedTrackFolder(data.trackFolders, item);
      refused += (items.size() > 1 && named ? TargetOf(data, item).label + ": " : "") + refusal + "\n";
    } else {
      targets.push_back(TargetOf(data, item));
    }
  }
  if (targets.empty()) return Failed(refused.empty() ? "Nothing to remove." : refused.substr(0, refused.size() - 1));
  bool anyActive = false;
  std::string list;
  for (const Target& target : targets) {
    list += "  " + target.label + "\n";
    anyActive |= !target.trackName.empty() && ActiveTrackFolder(target.slotFolder) == target.trackName;
  }
  std::string question =
      targets.size() == 1
          ? "Remove " + targets[0].label + "?\n\nIts folder goes to the trash, from where your file manager can bring it back."
          : "Remove these " + std::to_string(targets.size()) + " add-ons?\n" + list +
                "\nTheir folders go to the trash, from where your file manager can bring them back.";
  if (anyActive) question += "\nAn active track is first switched back to \"Original\".";
  if (!refused.empty()) question += "\n\nThese stay where they are:\n" + refused;
  if (!prompts.Question(QuestionKind::kGoOn, question)) return {OperationStatus::kCancelled, kCommand, {}};

  if (targets.size() == 1 && refused.empty()) return RemoveOne(data, prompts, targets[0]);
  std::string details = refused;
  int removed = 0;
  for (const Target& target : targets) {
    const OperationResult one = RemoveOne(data, prompts, target);
    removed += one.done() ? 1 : 0;
    details += (one.done() ? "" : "NOT REMOVED: ") + one.message + "\n";
  }
  const std::size_t asked = targets.size() + static_cast<std::size_t>(std::count(refused.begin(), refused.end(), '\n'));
  const std::string summary = "Removed " + std::to_string(removed) + " of " + std::to_string(asked) + " items.";
  prompts.Report(summary, details);
  const bool all = static_cast<std::size_t>(removed) == asked;
  // Done as soon as anything moved: the tree must show the folders as they now are.
  return {removed > 0 ? OperationStatus::kDone : OperationStatus::kFailed, kCommand, all ? summary : summary + " See the report."};
}

}  // namespace krax

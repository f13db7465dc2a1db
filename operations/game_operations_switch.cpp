#include "app/settings.h"
#include "gamedata/game_data.h"
#include "operations/car_toggle.h"
#include "operations/game_folder_lock.h"
#include "operations/game_operations.h"
#include "operations/launch.h"
#include "operations/prompts.h"
#include "operations/track_switch.h"
#include "platform/path.h"

namespace krax {

OperationResult GameOperations::ToggleCar(CarSlot car) {
  const GameFolderWriter writer(settings_.gameFolder);
  if (!writer) return {OperationStatus::kFailed, "Enable/Disable Car", writer.refusal()};
  return ToggleCarArchive(data_, car.index);
}

OperationResult GameOperations::SwitchTrack(ItemRef item) {
  const GameFolderWriter writer(settings_.gameFolder);
  if (!writer) return {OperationStatus::kFailed, "Switch Track", writer.refusal()};
  constexpr const char* kCommand = "Switch Track";
  if (!IsListedTrackFolder(data_.trackFolders, item)) {
    return {OperationStatus::kFailed, kCommand,
            item.isTrackFolder() ? "There is no track folder at list position " + std::to_string(item.index) + "."
                                 : std::string("Only a track folder can be made a slot's active track.")};
  }
  const std::string track = data_.trackFolder(item.index).path;
  const std::string name = data_.trackFolder(item.index).name;
  const std::string slot = ParentPath(track);
  if (slot.empty()) return {OperationStatus::kFailed, kCommand, track + " is not in a track slot folder."};
  const SwitchOutcome outcome = SwitchTrackOfGame(data_, slot, name);
  if (!outcome.ok()) return {OperationStatus::kFailed, kCommand, DescribeSwitchProblems(slot, name, outcome)};
  const std::string done = BaseName(slot) + ": \"" + name + "\" is now the active track.";
  // The slot did switch (the tree must show it), but the player must learn what the game shows.
  if (!outcome.textProblem.empty()) prompts_.Message(done + "\n" + outcome.textProblem);
  return {OperationStatus::kDone, kCommand, done};
}

OperationResult GameOperations::ResumeInterruptedSwitches() {
  krax::ResumeInterruptedSwitches(data_, prompts_);
  return {OperationStatus::kDone, "Switch Track", {}};
}

OperationResult GameOperations::RunItemEditor(ItemRef item) {
  const EditorTarget target = ItemEditorTarget(data_, settings_, item);
  if (target.file.empty()) {
    // Groups and stock slots have no file: nothing starts and nothing needs saying.
    if (target.problem.empty()) return {OperationStatus::kCancelled, "Run Editor", {}};
    return {OperationStatus::kFailed, "Run Editor", "Nothing to edit: " + target.problem};
  }
  return OpenInEditor(target.setting, target.file);
}

OperationResult GameOperations::RunGame() { return RunGameIn(settings_.gameFolder); }

}  // namespace krax

#include "app/settings.h"
#include "gamedata/game_data.h"
#include "operations/car_toggle.h"
#include "operations/game_operations.h"
#include "operations/launch.h"
#include "operations/prompts.h"
#include "operations/track_switch.h"
#include "platform/path.h"

namespace krax {

OperationResult GameOperations::ToggleCar(int slot) {
  if (slot < 0) return {OperationStatus::kFailed, "Enable/Disable Car", "There is no car in that slot."};
  return ToggleCarArchive(data_, static_cast<std::size_t>(slot));
}

OperationResult GameOperations::SwitchTrack(int itemCode) {
  constexpr const char* kCommand = "Switch Track";
  const long long n = TrackFolderList::PositionFromItemCode(itemCode);
  if (n < 0 || n % 2 != 0 || static_cast<std::size_t>(n) + 1 >= data_.TrackFolderList.size()) {
    return {OperationStatus::kFailed, kCommand, "There is no track folder with item code " +
                                                    std::to_string(itemCode) + "."};
  }
  const std::string track = data_.TrackFolderList.path(static_cast<std::size_t>(n));
  const std::string name = data_.TrackFolderList.name(static_cast<std::size_t>(n));
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

OperationResult GameOperations::RunItemEditor(int itemCode) {
  const EditorTarget target = ItemEditorTarget(data_, settings_, itemCode);
  if (target.file.empty()) {
    // Groups and stock slots have no file: nothing starts and nothing needs saying.
    if (target.problem.empty()) return {OperationStatus::kCancelled, "Run Editor", {}};
    return {OperationStatus::kFailed, "Run Editor", "Nothing to edit: " + target.problem};
  }
  return OpenInEditor(target.setting, target.file);
}

OperationResult GameOperations::RunGame() { return RunGameIn(settings_.KRAXPath); }

}  // namespace krax

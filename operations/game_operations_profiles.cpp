#include <ctime>

#include "app/settings.h"
#include "gamedata/game_data.h"
#include "operations/game_folder.h"
#include "operations/game_folder_lock.h"
#include "operations/game_operations.h"
#include "operations/profile.h"
#include "operations/profile_state.h"
#include "operations/prompts.h"
#include "operations/remove_item.h"

namespace krax {
namespace {

OperationResult Result(OperationStatus status, const char* command, std::string message) {
  return {status, command, std::move(message)};
}

// A free name for the state saved before going to the stock game.
std::string BeforeStockName(const ProfileStore& store) {
  const std::time_t now = std::time(nullptr);
  char stamp[32] = "";
  if (const std::tm* local = std::localtime(&now)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H.%M", local);
  const std::string base = std::string("Before stock game ") + stamp;
  std::string name = base;
  for (int n = 2; store.Exists(name); ++n) name = base + " (" + std::to_string(n) + ")";
  return name;
}

}  // namespace

OperationResult GameOperations::SaveProfile(const std::string& name) {
  constexpr const char* kCommand = "Save Profile";
  if (const std::string problem = ProfileNameProblem(name); !problem.empty()) {
    return Result(OperationStatus::kFailed, kCommand, problem);
  }
  const ProfileStore store(profileFolder_);
  if (store.Exists(name) && !prompts_.Question(QuestionKind::kReplaceProfile, "There is a profile \"" + name + "\" already. Replace it?")) {
    return Result(OperationStatus::kCancelled, kCommand, {});
  }
  UseGameFolder(settings_, data_);
  const GameState state = ReadGameState(data_, prompts_);
  if (const std::string problem = store.Save(name, state.profile); !problem.empty()) {
    return Result(OperationStatus::kFailed, kCommand, problem);
  }
  // Enabled as the game and the car list count them: cars in group folders are not loaded.
  std::size_t enabled = 0;
  for (const auto& [folder, slot] : state.carSlots) enabled += data_.cars[slot].countsAsEnabledCar() ? 1 : 0;
  return Result(OperationStatus::kDone, kCommand,
                "Saved profile \"" + name + "\": " + std::to_string(enabled) + " of " +
                    std::to_string(state.profile.cars.size()) + " cars enabled, the nine slots' tracks.");
}

OperationResult GameOperations::ApplyProfile(const std::string& name) {
  const GameFolderWriter writer(settings_.gameFolder);
  if (!writer) return {OperationStatus::kFailed, "Apply Profile", writer.refusal()};
  constexpr const char* kCommand = "Apply Profile";
  const ProfileParse loaded = ProfileStore(profileFolder_).Load(name);
  if (!loaded.profile) return Result(OperationStatus::kFailed, kCommand, loaded.problem);
  UseGameFolder(settings_, data_);
  const GameState state = ReadGameState(data_, prompts_);
  return ApplyProfilePlan(*this, prompts_, kCommand, "Profile \"" + name + "\"", PlanProfile(state, *loaded.profile));
}

OperationResult GameOperations::ApplyStockGame() {
  const GameFolderWriter writer(settings_.gameFolder);
  if (!writer) return {OperationStatus::kFailed, "Stock Game", writer.refusal()};
  constexpr const char* kCommand = "Stock Game";
  UseGameFolder(settings_, data_);
  const GameState state = ReadGameState(data_, prompts_);
  const ProfilePlan plan = PlanProfile(state, StockGameProfile(data_, state));
  if (!plan.changesNothing()) {
    // The way back: the state before, kept as a profile.
    const ProfileStore store(profileFolder_);
    const std::string before = BeforeStockName(store);
    const Answer save = prompts_.QuestionWithCancel(
        QuestionKind::kSaveStateBeforeStockGame,
        "Save the cars and tracks as they are now as profile \"" + before + "\" first, so that you can come back to them?");
    if (save == Answer::kCancel) return Result(OperationStatus::kCancelled, kCommand, {});
    if (save == Answer::kYes) {
      if (const std::string problem = store.Save(before, state.profile); !problem.empty()) {
        return Result(OperationStatus::kFailed, kCommand, problem + " The game was not changed.");
      }
      prompts_.Status("Saved profile \"" + before + "\".");
    }
  }
  return ApplyProfilePlan(*this, prompts_, kCommand, "The stock game", plan);
}

OperationResult GameOperations::ShowProfile(const std::string& name) {
  const ProfileParse loaded = ProfileStore(profileFolder_).Load(name);
  if (!loaded.profile) return Result(OperationStatus::kFailed, "Show Profile", loaded.problem);
  // The cars' names as the car list has them loaded now (none before the game is read).
  return Result(OperationStatus::kDone, "Show Profile",
                DescribeProfile("Profile \"" + name + "\"", *loaded.profile, CarNamesByFolder(data_)));
}

OperationResult GameOperations::DeleteProfile(const std::string& name) {
  if (const std::string problem = ProfileStore(profileFolder_).Remove(name); !problem.empty()) {
    return Result(OperationStatus::kFailed, "Delete Profile", problem);
  }
  return Result(OperationStatus::kDone, "Delete Profile", "Deleted profile \"" + name + "\".");
}

std::vector<std::string> GameOperations::ProfileNames() { return ProfileStore(profileFolder_).Names(); }

OperationResult GameOperations::RemoveItems(const std::vector<ItemRef>& items) {
  const GameFolderWriter writer(settings_.gameFolder);
  if (!writer) return {OperationStatus::kFailed, "Remove", writer.refusal()};
  UseGameFolder(settings_, data_);
  return RemoveAddOns(data_, prompts_, items);
}

}  // namespace krax

// The commands of the window and kraxctl on one game folder. One object serves both front
// ends: it reads and changes GameData and the files of the game folder, and talks to the user
// only through Prompts. Each group of commands is implemented in a file of its own:
//   game_operations_switch.cpp   enable/disable cars, switch tracks, run the game and editors
//   game_operations_install.cpp  installs from folders and archives, Create Zip/Cabinet
//   game_operations_restore.cpp  restore from CD, folder renames, the string editor
//   game_operations_profiles.cpp profiles, the stock game, removing add-ons
//   game_operations_cars.cpp     serial numbers, the police flag, fixing car errors
#pragma once

#include <string>

#include "operations/operations.h"

namespace krax {

struct Settings;
class GameData;
class Prompts;

class GameOperations : public Operations {
 public:
  GameOperations(GameData& data, Settings& settings, Prompts& prompts)
      : data_(data), settings_(settings), prompts_(prompts) {}

  OperationResult ToggleCar(CarSlot car) override;
  OperationResult SwitchTrack(ItemRef item) override;
  OperationResult RunItemEditor(ItemRef item) override;
  OperationResult InstallCar() override;
  OperationResult InstallTrack() override;
  OperationResult InstallCarFromCompressed() override;
  OperationResult InstallTrackFromCompressed() override;
  OperationResult RestoreCars() override;
  OperationResult RestoreTracks() override;
  OperationResult RestoreStrings() override;
  OperationResult RenameDirsToName() override;
  OperationResult RenameDirsToId() override;
  OperationResult RunGame() override;
  OperationResult OpenStringEditor() override;
  OperationResult ReplaceGameString(std::size_t index, const std::string& text, bool saveDamaged) override;
  OperationResult RestoreItemFromCd(ItemRef item, const std::string& directory,
                                    const std::string& id) override;
  OperationResult CreateZip(ItemRef item, const std::string& directory,
                            const std::string& name) override;
  OperationResult CreateCabinet(ItemRef item, const std::string& directory,
                                const std::string& name) override;
  OperationResult ResumeInterruptedSwitches() override;

  OperationResult InstallFromPath(std::optional<InstallMode> mode, const std::string& source) override;

  // game_operations_cars.cpp
  OperationResult WriteSerialNumber(CarSlot car, long long value) override;
  OperationResult SetPoliceFlag(CarSlot car, bool police) override;
  OperationResult FixCarErrors(const std::vector<CarSlot>& cars, const ReloadCatalog& reload) override;
  FixRun RunFixPlan(const FixPlan& plan, const ReloadCatalog& reload) override;
  SerialGeneration GenerateSerials(const ReloadCatalog& reload) override;

  // game_operations_profiles.cpp; profiles are kept in `folder` (beside the settings).
  void SetProfileFolder(std::string folder) { profileFolder_ = std::move(folder); }
  OperationResult SaveProfile(const std::string& name) override;
  OperationResult ApplyProfile(const std::string& name) override;
  OperationResult ApplyStockGame() override;
  OperationResult ShowProfile(const std::string& name) override;
  OperationResult DeleteProfile(const std::string& name) override;
  std::vector<std::string> ProfileNames() override;
  OperationResult RemoveItems(const std::vector<ItemRef>& items) override;

 private:
  GameData& data_;
  Settings& settings_;
  Prompts& prompts_;
  std::string profileFolder_;
};

}  // namespace krax

#include "operations/install_activate.h"

#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "operations/track_switch.h"
#include "platform/path.h"

namespace krax {

std::string ActivateInstalledTrack(GameData& data, const std::string& trackFolder, bool complete) {
  const std::string name = BaseName(trackFolder);
  if (!complete) return "\"" + name + "\" was not activated: not every file arrived.";
  const std::string slot = ParentPath(trackFolder);
  for (int row = 0; row < kStockTrackSlotCount; ++row) {
    if (slot != data.SlotFolderPath(row)) continue;
    const SwitchOutcome outcome = SwitchTrackOfGame(data, slot, name);
    if (!outcome.ok()) return DescribeSwitchProblems(slot, name, outcome.problems);
    return BaseName(slot) + ": \"" + name + "\" is now the active track.";
  }
  return "\"" + name + "\" was not activated: " + slot + " is not one of the game's track slots.";
}

}  // namespace krax

#include "operations/game_folder.h"

#include "app/settings.h"
#include "gamedata/game_data.h"

namespace krax {

void UseGameFolder(const Settings& settings, GameData& data) {
  data.UseGameFolder(settings.gameFolder, settings.kraxText);
}

}  // namespace krax

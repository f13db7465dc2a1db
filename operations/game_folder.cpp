#include "operations/game_folder.h"

#include "app/settings.h"
#include "app/startup.h"
#include "gamedata/game_data.h"

namespace krax {

void UseGameFolder(const Settings& settings, GameData& data) {
  if (data.gameFolder != settings.KRAXPath) {
    StartUpGameData(settings, data);
    return;
  }
  data.kraxText = settings.KRAXText;
  // Text functions switched on for the same game: its strings may not be loaded yet.
  if (data.kraxText && data.gameText.empty()) data.LoadGameText();
}

}  // namespace krax

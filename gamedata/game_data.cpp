#include "gamedata/game_data.h"

#include <utility>

#include "gamedata/install_info.h"

namespace krax {

void GameData::UseGameFolder(std::string folder, bool kraxText) {
  kraxText_ = kraxText;
  if (!folderChosen_ || folder != gameFolder_) {
    folderChosen_ = true;
    gameFolder_ = std::move(folder);
    gameText.clear();
    installInfo = InstallInfo{};
    ReadInstallInfo(gameFolder_, installInfo);  // a failure is silent
    if (kraxText_) LoadGameText();
    return;
  }
  // Text functions switched on for the same game: its strings may not be loaded yet.
  if (kraxText_ && gameText.empty()) LoadGameText();
}

}  // namespace krax

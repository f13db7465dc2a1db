#include "app/startup.h"

#include <cstdlib>
#include <ctime>

#include "gamedata/game_data.h"

namespace krax {

void SeedRandomGenerator() { std::srand(static_cast<unsigned>(std::time(nullptr))); }

Settings StartUpSettings(const SettingsStore& store, const SettingsDefaults& defaults,
                         const SettingsOverrides& overrides) {
  SeedRandomGenerator();
  Settings settings = LoadSettings(store, defaults);
  if (overrides.gameFolder) settings.KRAXPath = *overrides.gameFolder;
  if (overrides.cdPath) settings.KRAXCDPath = *overrides.cdPath;
  return settings;
}

Settings StartUpSettings(const SettingsStore& store, const SettingsOverrides& overrides) {
  return StartUpSettings(store, DiscoverSettingsDefaults(), overrides);
}

void StartUpGameData(const Settings& settings, GameData& game) {
  game.gameFolder = settings.KRAXPath;
  game.kraxText = settings.KRAXText;
  game.gameText.clear();                            // step 5
  game.installInfo = InstallInfo{};
  ReadInstallInfo(settings.KRAXPath, game.installInfo);  // step 6; a failure is silent
  if (game.kraxText) game.LoadGameText();                // step 7
}

}  // namespace krax

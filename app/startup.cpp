#include "app/startup.h"

#include "gamedata/game_data.h"

namespace krax {

Settings StartUpSettings(const SettingsStore& store, const SettingsDefaults& defaults,
                         const SettingsOverrides& overrides) {
  Settings settings = LoadSettings(store, defaults);
  if (overrides.gameFolder) settings.gameFolder = *overrides.gameFolder;
  if (overrides.cdPath) settings.cdPath = *overrides.cdPath;
  return settings;
}

Settings StartUpSettings(const SettingsStore& store, const SettingsOverrides& overrides) {
  return StartUpSettings(store, DiscoverSettingsDefaults(), overrides);
}

void StartUpGameData(const Settings& settings, GameData& game) {
  game.UseGameFolder(settings.gameFolder, settings.kraxText);
}

}  // namespace krax

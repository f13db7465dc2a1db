#include "app/startup.h"

#include "gamedata/game_data.h"

namespace krax {

Settings StartUpSettings(const SettingsStore& store, const SettingsDefaults& defaults,
                         const SettingsOverrides& overrides) {
  Settings settings = LoadSettings(store, defaults);
  if (overrides.gameFolder) settings.KRAXPath = *overrides.gameFolder;
  if (overrides.cdPath) settings.KRAXCDPath = *overrides.cdPath;
  return settings;
}

Settings StartUpSettings(const SettingsStore& store, const SettingsOverrides& overrides) {
  return StartUpSettings(store, DiscoverSettingsDefaults(), overrides);
}

void StartUpGameData(const Settings& settings, GameData& game) {
  game.UseGameFolder(settings.KRAXPath, settings.KRAXText);
}

}  // namespace krax

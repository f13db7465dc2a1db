// The program's start-up, shared by the window and kraxctl: seed the random generator, load
// the settings, clear the game text, read install.win, load the game text when enabled.
#pragma once

#include <optional>
#include <string>

#include "app/settings.h"
#include "app/settings_store.h"

namespace krax {

class GameData;

// Values given on the command line for this run only; they are never stored.
struct SettingsOverrides {
  std::optional<std::string> gameFolder;  // KRAXPath
  std::optional<std::string> cdPath;      // KRAXCDPath
};

// Start-up steps 2 to 4: load the settings from `store` (machine defaults found first), then
// apply `overrides`. (The serial-number random source is GameData's own, seeded when it is
// made.)
Settings StartUpSettings(const SettingsStore& store, const SettingsOverrides& overrides = {});
Settings StartUpSettings(const SettingsStore& store, const SettingsDefaults& defaults,
                         const SettingsOverrides& overrides);

// Start-up steps 5 to 7 for a new `game`: GameData::UseGameFolder with the game folder and the
// text switch of `settings` (clears the game text, reads install.win, loads the game text when
// KRAXText is on).
void StartUpGameData(const Settings& settings, GameData& game);

}  // namespace krax

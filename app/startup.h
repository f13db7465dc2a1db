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

// Seeds the C library's random generator with the current time in seconds.
void SeedRandomGenerator();

// Start-up steps 2 to 4: seed the random generator, then load the settings from `store`
// (machine defaults found first), then apply `overrides`.
Settings StartUpSettings(const SettingsStore& store, const SettingsOverrides& overrides = {});
Settings StartUpSettings(const SettingsStore& store, const SettingsDefaults& defaults,
                         const SettingsOverrides& overrides);

// Start-up steps 5 to 7 for `game`: take the game folder and the text switch from `settings`,
// clear the game text, read install.win (a failure leaves the install information empty),
// then load the game text when KRAXText is on.
void StartUpGameData(const Settings& settings, GameData& game);

}  // namespace krax

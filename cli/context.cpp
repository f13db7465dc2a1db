#include "cli/context.h"

#include <iostream>

#include "app/settings_store.h"
#include "app/startup.h"
#include "gamedata/game_data.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax::cli {

struct Context::State {
  std::optional<Settings> settings;
  std::unique_ptr<GameData> game;
};

Context::Context(std::ostream& outStream, std::ostream& errStream, std::istream& inStream, GlobalOptions globalOptions)
    : out(outStream), err(errStream), in(inStream), options(std::move(globalOptions)), state_(std::make_unique<State>()) {}

Context::~Context() = default;

bool Context::interactive() const { return &in == &std::cin && IsTerminal(StandardStream::kInput); }

Settings& Context::settings() {
  if (!state_->settings) {
    SettingsStore store = options.settingsFile ? SettingsStore(*options.settingsFile) : SettingsStore();
    state_->settings = StartUpSettings(store, SettingsOverrides{options.gameDir, options.cdDir});
  }
  return *state_->settings;
}

GameData& Context::game() {
  if (!state_->game) {
    auto game = std::make_unique<GameData>();
    StartUpGameData(settings(), *game);
    state_->game = std::move(game);
  }
  return *state_->game;
}

GameData* Context::RequireGame() {
  const std::string& folder = settings().gameFolder;
  if (folder.empty()) {
    err << "kraxctl: no game folder is set: KRAXPath is empty and no installed game was found"
           " (use --game DIR, or kraxctl settings set KRAXPath DIR)\n";
    return nullptr;
  }
  if (!IsFolder(ResolvePath(JoinPath(folder, "\\GameData")))) {
    err << "kraxctl: the game folder \"" << folder << "\" holds no GameData folder"
           " (use --game DIR, or kraxctl settings set KRAXPath DIR)\n";
    return nullptr;
  }
  return &game();
}

}  // namespace krax::cli

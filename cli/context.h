// What a kraxctl command gets: its streams, the global options, and the program's state,
// set up on first use the way the window's start-up sets it up.
#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

namespace krax {
struct Settings;
class GameData;
}  // namespace krax

namespace krax::cli {

struct GlobalOptions {
  std::optional<std::string> settingsFile;  // --settings FILE: an INI file instead of the user's store
  std::optional<std::string> gameDir;       // --game DIR: KRAXPath for this run only, never stored
  std::optional<std::string> cdDir;         // --cd DIR: KRAXCDPath for this run only, never stored
};

class Context {
 public:
  Context(std::ostream& out, std::ostream& err, std::istream& in, GlobalOptions options);
  ~Context();

  std::ostream& out;
  std::ostream& err;
  std::istream& in;
  const GlobalOptions options;

  // True when standard input is a terminal (questions may be asked).
  bool interactive() const;

  // The nine settings, loaded on first use, with --game and --cd applied.
  Settings& settings();

  // The game's state (install information, catalogs, game text) for the settings above,
  // created on first use with the start-up steps; catalogs are loaded by the commands.
  GameData& game();

  // game() for commands that read or change the game folder: nullptr, after telling on `err`
  // why, when no game folder is set or it holds no GameData folder.
  GameData* RequireGame();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace krax::cli

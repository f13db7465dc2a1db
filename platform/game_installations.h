// Every installation of the game on this machine: the Wine prefix in use ($WINEPREFIX, else
// ~/.wine) first, then the prefixes the common launchers keep, one per game: Lutris games
// under ~/Games, Bottles, PlayOnLinux, and Steam's Proton prefixes (compatdata/*/pfx).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace krax {

struct GameInstallation {
  std::string gameFolder;  // the installer's recorded folder as a host path
  std::string winePrefix;
  std::string launcher;    // "Wine", "Lutris", "Bottles", "PlayOnLinux", "Steam Proton", "Registry"
};

struct WinePrefixCandidate {
  std::string prefix;
  std::string launcher;
};

// The prefixes looked in, in order: `defaultPrefix` (when not empty), then the launchers'
// prefixes below `home` that exist, each launcher's sorted by folder name.
std::vector<WinePrefixCandidate> CandidateWinePrefixes(std::string_view defaultPrefix, std::string_view home);

// The installations recorded in those prefixes, in the same order, each game folder once.
std::vector<GameInstallation> FindGameInstallations(std::string_view defaultPrefix, std::string_view home);
// The same for the prefix in use and the user's home folder. On Windows: the installation
// the registry names (launcher "Registry", no prefix), if any.
std::vector<GameInstallation> FindGameInstallations();

}  // namespace krax

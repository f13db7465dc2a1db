// Where the game and the CD are on Linux: in the Wine prefixes.
#include <vector>

#include "platform/game_discovery.h"
#include "platform/game_installations.h"

namespace krax {

std::string FindGameFolder() {
  // The prefix in use first, then the launchers' prefixes (platform/game_installations.h).
  const std::vector<GameInstallation> found = FindGameInstallations();
  return found.empty() ? std::string() : found.front().gameFolder;
}

std::string FindCdDrive() { return FindCdDrive("/proc/self/mounts", DefaultWinePrefix()); }

}  // namespace krax

#include "platform/game_installations.h"

#include <algorithm>
#include <cstdlib>

#include "platform/file_system.h"
#include "platform/game_discovery.h"
#include "platform/path.h"

namespace krax {
namespace {

// The sub-folders of `folder`, sorted by name.
std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  for (const DirEntry& entry : ListFolder(folder)) {
    if (entry.isFolder && !entry.name.empty() && entry.name[0] != '.') names.push_back(entry.name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool IsPrefix(const std::string& folder) { return IsFile(JoinPath(folder, "system.reg")); }

}  // namespace

std::vector<WinePrefixCandidate> CandidateWinePrefixes(std::string_view defaultPrefix, std::string_view home) {
  std::vector<WinePrefixCandidate> found;
  if (!defaultPrefix.empty()) found.push_back({std::string(defaultPrefix), "Wine"});
  if (home.empty()) return found;
  const std::string base(home);
  // Each launcher keeps one prefix per game in a folder of its own.
  const auto addEach = [&](const std::string& parent, const char* launcher, const char* inside) {
    for (const std::string& name : SubFolders(JoinPath(base, parent))) {
      const std::string folder = JoinPath(JoinPath(base, parent), name);
      const std::string prefix = *inside ? JoinPath(folder, inside) : folder;
      if (IsPrefix(prefix)) found.push_back({prefix, launcher});
    }
  };
  addEach("Games", "Lutris", "");
  addEach(".local/share/bottles/bottles", "Bottles", "");
  addEach(".var/app/com.usebottles.bottles/data/bottles/bottles", "Bottles", "");
  addEach(".PlayOnLinux/wineprefix", "PlayOnLinux", "");
  for (const char* steam : {".steam/steam", ".local/share/Steam", ".var/app/com.valvesoftware.Steam/.local/share/Steam"}) {
    addEach(std::string(steam) + "/steamapps/compatdata", "Steam Proton", "pfx");
  }
  // Lutris may also keep the prefix in a "prefix" folder inside the game's folder.
  addEach("Games", "Lutris", "prefix");
  return found;
}

std::vector<GameInstallation> FindGameInstallations(std::string_view defaultPrefix, std::string_view home) {
  std::vector<GameInstallation> installations;
  for (const WinePrefixCandidate& candidate : CandidateWinePrefixes(defaultPrefix, home)) {
    const std::string folder = FindGameFolder(candidate.prefix);
    if (folder.empty()) continue;
    const bool known = std::any_of(installations.begin(), installations.end(),
                                   [&](const GameInstallation& i) { return i.gameFolder == folder; });
    if (!known) installations.push_back({folder, candidate.prefix, candidate.launcher});
  }
  return installations;
}

#ifdef _WIN32
// The game runs natively: the folder its installer recorded in the registry is the only one.
std::vector<GameInstallation> FindGameInstallations() {
  const std::string folder = FindGameFolder();
  if (folder.empty()) return {};
  return {{folder, "", "Registry"}};
}
#else
std::vector<GameInstallation> FindGameInstallations() {
  const char* home = std::getenv("HOME");
  return FindGameInstallations(DefaultWinePrefix(), home ? home : "");
}
#endif

}  // namespace krax

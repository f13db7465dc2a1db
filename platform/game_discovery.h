// Where the game is installed and where its CD is, found the way Wine sees them: the
// installer's registry entry in the prefix's system.reg, drive letters through the prefix's
// dosdevices links, optical media through the mount table.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace krax {

inline constexpr std::string_view kGameRegistryKey = "Software\\Voltarra\\Kraxrun";
inline constexpr std::string_view kGameRegistryValue = "InstallPath";

// The Wine prefix in use: $WINEPREFIX when set and not empty, else $HOME/.wine; "" when
// neither can be formed.
std::string DefaultWinePrefix();

// The game folder recorded by the game's installer in `winePrefix` (default: the prefix in
// use, then the launchers' prefixes, see game_installations.h) as a host path; "" when there is no prefix, key or value, or its drive is not mapped.
std::string FindGameFolder();
std::string FindGameFolder(std::string_view winePrefix);

// The folder of the first mounted optical medium (iso9660 or udf in `mountsFile`), else of a
// Wine drive C: to Z: of `winePrefix` that leads to an optical drive; "" when none.
std::string FindCdDrive();
std::string FindCdDrive(std::string_view mountsFile, std::string_view winePrefix);

// A value from the text of a Wine registry file (system.reg, user.reg). Key names are
// given with single backslashes and compared ignoring case, as are value names. String
// values ("..." and str(N):"...") are unescaped; nullopt for a missing key, value or other type.
std::optional<std::string> ReadWineRegistryValue(std::string_view regText, std::string_view key,
                                                 std::string_view valueName);

// A Windows path ("C:\\Games\\Krax") as a host path through `winePrefix`/dosdevices; "" when
// the path has no drive letter or the drive is not mapped.
std::string MapWindowsPath(std::string_view winePrefix, std::string_view windowsPath);

}  // namespace krax

// The game's install information file, install.win, in the game folder: lines ended by CR LF,
// a Ctrl-Z byte (0x1A) as end mark. The first line names the front-end language, the fourth
// the folder the game loads its tracks from.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace krax {

// The lines of install.win as read at start-up. Entries 0 to 26 receive the file's lines,
// each ending with a single '\n'; entry 27 is never filled. All empty until read.
struct InstallInfo {
  static constexpr std::size_t kEntries = 28;
  static constexpr std::size_t kReadEntries = 27;
  std::array<std::string, kEntries> lines{};
  // Every line of the file, however many, without line ends: a rewrite keeps them all.
  std::vector<std::string> fileLines;

  // Entry 0 without its line end ("" when nothing was read).
  std::string LanguageLine() const;
};

// The name of the file in the game folder.
inline constexpr std::string_view kInstallInfoFileName = "install.win";

// What WriteInstallInfo writes as the fourth line: the game's own tracks folder, in the
// game's spelling (backslashes kept).
inline constexpr std::string_view kTracksLine = ".\\GameData\\Tracks\\";

// Fills `info` from install.win in `gameFolder`. Fails (and leaves `info` as it was) when the
// file cannot be opened; entries already read stay when reading fails part-way.
bool ReadInstallInfo(std::string_view gameFolder, InstallInfo& info);

// Parses the bytes of an install.win into `info` the way ReadInstallInfo does.
void ParseInstallInfo(std::string_view bytes, InstallInfo& info);

// The bytes WriteInstallInfo writes for `info`: every line of the file, the fourth replaced
// by the tracks line (empty lines added before it when the file had fewer), then Ctrl-Z.
std::string FormatInstallInfo(const InstallInfo& info);

// Rewrites install.win in `gameFolder` from `info`, the fourth line written as the tracks line.
// The old file is replaced only once the new one is complete; `info` is not changed.
bool WriteInstallInfo(std::string_view gameFolder, const InstallInfo& info);

// The file-name suffix for the language named by the first line of install.win
// (".eng", ".ger", ".spa", ".ita", ".swe", ".fre", ".bri"), "" for any other line.
std::string LanguageSuffix(const InstallInfo& info);

}  // namespace krax

// The demo's track slots: stock files named by their track number, "Original" folders,
// add-on track folders, and one slot whose active add-on stands in the slot folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "tools/demo_install.h"

namespace krax {

struct DemoTracksResult {
  std::vector<DemoTrackFolder> addOnTracks;
  int activeSlot = -1;
  std::string activeTrack;
};

// Writes Trk000..Trk008 with their stock files into both `gameTracks` and `cdTracks`; the
// game side also gets the "Original" folders, add-ons and the Atrack.ini of the active one.
DemoTracksResult WriteDemoTracks(const std::filesystem::path& gameTracks,
                                 const std::filesystem::path& cdTracks, std::uint64_t seed,
                                 bool compact);

// Writes a new file (the folder must exist). Throws std::runtime_error when it cannot.
void WriteDemoFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace krax

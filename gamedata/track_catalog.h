// The nine track slots under \GameData\Tracks (Trk000 .. Trk008), the track folders placed
// in each, and Atrack.ini ([Tracks] ActiveTrack=folder name) naming the active one.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace krax {

inline constexpr const char* kOriginalFolder = "Original";
inline constexpr const char* kActiveTrackFile = "Atrack.ini";
inline constexpr const char* kTracksSection = "Tracks";
inline constexpr const char* kActiveTrackKey = "ActiveTrack";
inline constexpr std::size_t kActiveTrackMax = 254;  // longer values are cut

// One listed track folder. The catalog keeps them in a std::vector in listing order; position
// n in it stays the folder's identity until the next catalog load.
struct TrackFolder {
  std::string path;  // full path of the folder
  std::string name;  // the folder's name
  int slot = 0;      // row of the track slot that holds it
};
// Folders of any slot are listed only while the list holds fewer than kTrackListLimit; a
// missing "Original" is added after them only while it holds fewer than kMaxTrackFolders.
inline constexpr std::size_t kTrackListLimit = 249;
inline constexpr std::size_t kMaxTrackFolders = 250;

// Slot folder of row k: game folder + "\GameData\Tracks\Trk" + k in three digits, found on
// disk ignoring case (spelled that way when it does not exist).
std::string SlotFolderPath(std::string_view gameFolder, int row);

// The slot's backup folder "Original", found on disk ignoring case ("original" is the same
// folder to the game); spelled "Original" when it does not exist.
std::string OriginalFolderPath(std::string_view slotFolder);

// The "ActiveTrack" value of slot folder + "\Atrack.ini", or "Original" when the file, the
// section or the key is missing.
std::string ReadActiveTrack(std::string_view slotFolder);

// The folder among `entries` that an "ActiveTrack" value names, spelled as on disk: the
// folder spelled exactly so, else the first one spelled so ignoring case (the game's file
// system ignores case, so "dustbowl" names the folder "Dustbowl"); "" when none does.
std::string FolderNamedBy(const std::vector<DirEntry>& entries, std::string_view value);

// The slot's active track as the name of one of its folders, spelled as on disk; the value of
// ReadActiveTrack as it is when it names no folder of the slot.
std::string ActiveTrackFolder(std::string_view slotFolder);

// Sets the "ActiveTrack" value in slot folder + "\Atrack.ini" (other lines kept); the file is
// replaced only by its complete new content.
bool WriteActiveTrack(std::string_view slotFolder, std::string_view trackName);

// One listed track folder: its name, whether it is the slot's active track, and its position
// n in the list of track folders.
using TrackReport = std::function<void(const std::string& name, bool active, int n)>;

// Lists the track folders of slot `row` into `list` and reports each (the catalog load for
// one slot). A folder named "Original" in any mix of capitals is the backup folder. Creates a
// missing "Original" folder and lists it last, not active; when the list
// is full, that "Original" entry is left out.
void LoadTrackSlot(std::vector<TrackFolder>& list, std::string_view gameFolder, int row, const TrackReport& report);
// The same for a slot folder already found on disk.
void LoadTrackSlotFolder(std::vector<TrackFolder>& list, const std::string& slotFolder, int row,
                         const TrackReport& report);

}  // namespace krax

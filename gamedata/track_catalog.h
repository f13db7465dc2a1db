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

// Pairs of strings in listing order: entry n (even) is a track folder's full path, n + 1 its
// name. Position n stays the folder's identity until the next catalog load.
class TrackFolderList {
 public:
  static constexpr std::size_t kMaxStrings = 500;
  static constexpr std::size_t kListLimit = 498;  // folders are listed only below this

  std::size_t size() const { return strings_.size(); }  // number of strings (2 per folder)
  bool empty() const { return strings_.empty(); }
  void clear() { strings_.clear(); }
  // Appends a pair; false (list unchanged) when it would exceed kMaxStrings.
  bool Append(std::string path, std::string name);
  // Entry n and n + 1; "" for a position outside the list.
  std::string path(std::size_t n) const;
  std::string name(std::size_t n) const;
  const std::vector<std::string>& strings() const { return strings_; }

 private:
  std::vector<std::string> strings_;
};

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
// n in the TrackFolderList.
using TrackReport = std::function<void(const std::string& name, bool active, int n)>;

// Lists the track folders of slot `row` into `list` and reports each (the catalog load for
// one slot). A folder named "Original" in any mix of capitals is the backup folder. Creates a
// missing "Original" folder and lists it last, not active; when the list
// is full, that "Original" entry is left out.
void LoadTrackSlot(TrackFolderList& list, std::string_view gameFolder, int row,
                   const TrackReport& report);
// The same for a slot folder already found on disk.
void LoadTrackSlotFolder(TrackFolderList& list, const std::string& slotFolder, const TrackReport& report);

}  // namespace krax

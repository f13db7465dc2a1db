#include "gamedata/track_catalog.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "gamedata/game_data.h"
#include "gamedata/ini_file.h"
#include "gamedata/stock_tables.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {

std::string SlotFolderPath(std::string_view gameFolder, int row) {
  char sub[32];
  std::snprintf(sub, sizeof sub, "\\GameData\\Tracks\\Trk%03d", row);
  return ResolvePath(JoinPath(gameFolder, sub));
}

std::string OriginalFolderPath(std::string_view slotFolder) {
  return ResolvePath(JoinPath(slotFolder, kOriginalFolder));
}

std::string ReadActiveTrack(std::string_view slotFolder) {
  const std::string ini = ResolvePath(JoinPath(slotFolder, kActiveTrackFile));
  std::optional<std::string> value = ReadProfileString(ini, kTracksSection, kActiveTrackKey);
  if (!value) return kOriginalFolder;
  if (value->size() > kActiveTrackMax) value->resize(kActiveTrackMax);
  return *value;
}

std::string FolderNamedBy(const std::vector<DirEntry>& entries, std::string_view value) {
  std::string found;
  for (const DirEntry& entry : entries) {
    if (!entry.isFolder) continue;
    if (entry.name == value) return entry.name;
    if (found.empty() && EqualsIgnoreCase(entry.name, value)) found = entry.name;
  }
  return found;
}

std::string ActiveTrackFolder(std::string_view slotFolder) {
  std::string value = ReadActiveTrack(slotFolder);
  std::string folder = FolderNamedBy(ListFolder(slotFolder), value);
  return folder.empty() ? value : folder;
}

bool WriteActiveTrack(std::string_view slotFolder, std::string_view trackName) {
  const std::string ini = ResolvePath(JoinPath(slotFolder, kActiveTrackFile));
  return WriteProfileString(ini, kTracksSection, kActiveTrackKey, trackName);
}

void LoadTrackSlot(std::vector<TrackFolder>& list, std::string_view gameFolder, int row, const TrackReport& report) {
  LoadTrackSlotFolder(list, SlotFolderPath(gameFolder, row), row, report);
}

void LoadTrackSlotFolder(std::vector<TrackFolder>& list, const std::string& slotFolder, int row,
                         const TrackReport& report) {
  const std::vector<DirEntry> entries = ListFolder(slotFolder);
  bool originalSeen = false;
  std::optional<std::string> activeFolder;  // found when the first folder is listed
  for (const DirEntry& entry : entries) {
    if (!entry.isFolder || entry.name == "." || entry.name == "..") continue;
    if (list.size() >= kTrackListLimit) break;
    if (!activeFolder) {
      // The listing already shows how Atrack.ini is spelled, if it is there at all.
      std::string activeName = kOriginalFolder;
      for (const DirEntry& file : entries) {
        if (!file.isFolder && EqualsIgnoreCase(file.name, kActiveTrackFile)) {
          std::optional<std::string> value =
              ReadProfileString(JoinPath(slotFolder, file.name), kTracksSection, kActiveTrackKey);
          if (value) activeName = value->substr(0, kActiveTrackMax);
          break;
        }
      }
      activeFolder = FolderNamedBy(entries, activeName);
    }
    const bool active = entry.name == *activeFolder;
    const int n = static_cast<int>(list.size());
    list.push_back({JoinPath(slotFolder, entry.name), entry.name, row});
    if (report) report(entry.name, active, n);
    if (EqualsIgnoreCase(entry.name, kOriginalFolder)) originalSeen = true;
  }
  if (!originalSeen) {
    const std::string original = JoinPath(slotFolder, kOriginalFolder);
    CreateFolder(original);  // fails for a missing slot folder; the entry is listed anyway
    if (list.size() < kMaxTrackFolders) {
      const int n = static_cast<int>(list.size());
      list.push_back({original, kOriginalFolder, row});
      if (report) report(kOriginalFolder, false, n);
    }
  }
}

const TrackFolder& GameData::trackFolder(std::size_t n) const {
  static const TrackFolder kNone;
  return n < trackFolders.size() ? trackFolders[n] : kNone;
}

void GameData::LoadTrackSlot(int row, const TrackReport& report) {
  krax::LoadTrackSlot(trackFolders, gameFolder_, row, report);
}

void GameData::LoadTrackCatalog(
    const std::function<void(int row, const std::string& name, bool active, int n)>& report) {
  trackFolders.clear();
  // The tracks folder is looked up once; a slot spelled otherwise than "TrkNNN" is looked up
  // on its own.
  const std::string tracks = ResolvePath(JoinPath(gameFolder_, "\\GameData\\Tracks"));
  for (int row = 0; row < kStockTrackSlotCount; ++row) {
    char name[16];
    std::snprintf(name, sizeof name, "Trk%03d", row);
    std::string slotFolder = JoinPath(tracks, name);
    if (!IsFolder(slotFolder)) slotFolder = krax::SlotFolderPath(gameFolder_, row);
    LoadTrackSlotFolder(trackFolders, slotFolder, row, [&](const std::string& track, bool active, int n) {
      if (report) report(row, track, active, n);
    });
  }
}

}  // namespace krax

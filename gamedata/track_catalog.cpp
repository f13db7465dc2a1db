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

bool TrackFolderList::Append(std::string path, std::string name) {
  if (strings_.size() + 2 > kMaxStrings) return false;
  strings_.push_back(std::move(path));
  strings_.push_back(std::move(name));
  return true;
}

std::string TrackFolderList::path(std::size_t n) const {
  return n < strings_.size() ? strings_[n] : std::string();
}

std::string TrackFolderList::name(std::size_t n) const {
  return n + 1 < strings_.size() ? strings_[n + 1] : std::string();
}

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

void LoadTrackSlot(TrackFolderList& list, std::string_view gameFolder, int row,
                   const TrackReport& report) {
  LoadTrackSlotFolder(list, SlotFolderPath(gameFolder, row), report);
}

void LoadTrackSlotFolder(TrackFolderList& list, const std::string& slotFolder, const TrackReport& report) {
  const std::vector<DirEntry> entries = ListFolder(slotFolder);
  bool originalSeen = false;
  std::optional<std::string> activeFolder;  // found when the first folder is listed
  for (const DirEntry& entry : entries) {
    if (!entry.isFolder || entry.name == "." || entry.name == "..") continue;
    if (list.size() >= TrackFolderList::kListLimit) break;
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
    list.Append(JoinPath(slotFolder, entry.name), entry.name);
    if (report) report(entry.name, active, n);
    if (EqualsIgnoreCase(entry.name, kOriginalFolder)) originalSeen = true;
  }
  if (!originalSeen) {
    const std::string original = JoinPath(slotFolder, kOriginalFolder);
    CreateFolder(original);  // fails for a missing slot folder; the entry is listed anyway
    const int n = static_cast<int>(list.size());
    if (list.Append(original, kOriginalFolder) && report) report(kOriginalFolder, false, n);
  }
}

void GameData::LoadTrackSlot(int row, const TrackReport& report) {
  krax::LoadTrackSlot(trackFolders, gameFolder, row, report);
}

void GameData::LoadTrackCatalog(
    const std::function<void(int row, const std::string& name, bool active, int n)>& report) {
  trackFolders.clear();
  // The tracks folder is looked up once; a slot spelled otherwise than "TrkNNN" is looked up
  // on its own.
  const std::string tracks = ResolvePath(JoinPath(gameFolder, "\\GameData\\Tracks"));
  for (int row = 0; row < kStockTrackSlotCount; ++row) {
    char name[16];
    std::snprintf(name, sizeof name, "Trk%03d", row);
    std::string slotFolder = JoinPath(tracks, name);
    if (!IsFolder(slotFolder)) slotFolder = krax::SlotFolderPath(gameFolder, row);
    LoadTrackSlotFolder(trackFolders, slotFolder, [&](const std::string& track, bool active, int n) {
      if (report) report(row, track, active, n);
    });
  }
}

}  // namespace krax

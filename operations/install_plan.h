// What an install will do, worked out before anything is written: the files that belong to
// a car or a track (by their names), where they go, and the proposed ID. One preparation
// per InstallMode; the install dialog shows the plan, the install runs it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "operations/archive_kind.h"
#include "operations/install_dialog_state.h"

namespace krax {

enum class InstallMode {
  kCarFromFolder = 0,
  kTrackFromFolder = 1,
  kCarFromArchive = 2,
  kTrackFromArchive = 3,
};

bool IsArchiveMode(InstallMode mode);
bool IsTrackMode(InstallMode mode);
// The command's menu text, e.g. "Install Car From Comp.".
const char* InstallCommandName(InstallMode mode);

// One listed file: the name it gets in the destination, and where it comes from (a full
// path for folder installs, the entry name as stored for archive installs).
struct InstallFile {
  std::string displayName;
  std::string source;
};

// At most kMaxInstallFiles files, in the order found.
using InstallFileList = std::vector<InstallFile>;
inline constexpr std::size_t kMaxInstallFiles = 100;
inline constexpr std::size_t kMaxArchiveEntries = 999;

inline constexpr const char* kNotValidTrack = "Appears not to be a valid track";
inline constexpr const char* kMixedTracks = "Possibility of mix files of diferent tracks";

struct InstallPlan {
  InstallMode mode = InstallMode::kCarFromFolder;
  std::string source;                   // the folder or archive chosen
  ArchiveKind archiveKind = ArchiveKind::kZip;  // archive modes only
  InstallFileList files;
  std::int64_t totalLength = 0;         // bytes of the listed files (as an archive declares them)
  std::string destinationBase;
  std::string id;
  std::string carName;                  // read from car.viv (car folders), else ""
  int trackNumber = -1;                 // track modes: the slot found, -1 for none
  // Track modes: each slot number the listed files carry, with how many carry it, in the
  // order found. With several, the slot of the most files is `trackNumber`.
  std::vector<std::pair<int, std::size_t>> trackFiles;
  std::size_t leftOut = 0;              // accepted files beyond the list's limit
  std::vector<std::string> messages;    // shown to the user before the dialog, in order
  // Shown with the list: what was left out and why (links, special files, unusable names),
  // names an archive holds more than once, a car that stays disabled.
  std::vector<std::string> notes;

  std::string LengthLine() const;       // "(Total Length = %dKB)"
  // The install dialog's title: the car's name when its car.viv gave one, else what the
  // dialog installs ("Install These Car Files:" or "Install These Track Files:").
  std::string DialogTitle() const;
  // What the install dialog shows of this plan (the caller adds what accepting it does).
  InstallDialogState DialogState() const;
};

// The name rules. A disabled car's archive "car.viv.dis" is a car file too.
bool IsCarFileName(const std::string& name);
bool IsTrackFileName(const std::string& name);
// The track number a file name carries ("TR03.frd" 3, "tut5x.frd" 5, "3tr2.col" 2), or -1.
// A non-digit in the number's place carries no number.
int TrackNumberOf(const std::string& name);
// The display name of an archive entry: the part behind its last '\' or '/'.
std::string EntryDisplayName(const std::string& entryName);
// The first four-digit number ("0000", "0001" ...) with no folder of that name in `carFolder`.
std::string FirstFreeCarFolderId(const std::string& carFolder);
// The game's car folder and a track slot's folder, found ignoring case.
std::string CarModelFolder(const std::string& gameFolder);
std::string TrackSlotFolder(const std::string& gameFolder, int trackNumber);

// The install a dropped folder or archive asks for: a car when it holds a ".viv" file (an
// archive: an entry whose name ends so), else a track.
InstallMode MatchingInstallMode(const std::string& path);

// The name under which a car archive arriving as `name` goes into `destination`: a folder that
// holds the car's archive under the other name (car.viv.dis for a disabled car, car.viv for an
// enabled one) keeps that name, spelled as there, so that it never holds both and the car
// stays enabled or disabled. "" when `name` goes in as it is.
std::string KeptCarArchiveName(const std::string& destination, const std::string& name);

// What an install of `files` into `destination` does to the car's archive name, for the plan
// and the question; "" when nothing.
std::string KeptCarArchiveNote(const std::string& destination, const std::vector<std::string>& files);

// Prepares an install of `source` in `mode` for the game in `gameFolder`.
InstallPlan PrepareInstall(InstallMode mode, const std::string& source, const std::string& gameFolder);

}  // namespace krax

#include "operations/install_plan.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

#include "archive/archive_entry_sizes.h"
#include "archive/archive_name_list.h"
#include "archive/safe_entry_name.h"
#include "gamedata/car_catalog.h"
#include "gamedata/code_page.h"
#include "gamedata/stock_tables.h"
#include "operations/archive_format.h"
#include "operations/install_run.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/regular_file.h"
#include "platform/temporary_file.h"

namespace krax {
namespace {

// The entries of a zip or cabinet file (at most kMaxArchiveEntries); false when it is no
// readable zip or cabinet, or was not walked to its end.
bool ListArchiveEntries(const std::string& path, ArchiveKind kind, ArchiveNameList& names) {
  return ArchiveFormatFor(kind).ListEntries(path, names, kMaxArchiveEntries);
}

// The extension as the game's rules see it: from the first '.', lower-cased.
std::string Extension(const std::string& name) {
  const std::size_t dot = name.find('.');
  return dot == std::string::npos ? std::string() : AsciiLower(name.substr(dot));
}

constexpr const char* kDisabledCarArchive = "car.viv.dis";

// The declared sizes of an archive's entries by name (ignoring case; the last entry of a
// name counts).
std::map<std::string, std::uint64_t> EntrySizes(const std::string& path, ArchiveKind kind) {
  std::vector<ArchiveEntrySize> entries;
  ArchiveFormatFor(kind).ListEntrySizes(path, entries);
  std::map<std::string, std::uint64_t> sizes;
  for (const ArchiveEntrySize& entry : entries) sizes[AsciiLower(entry.name)] = entry.size;
  return sizes;
}

bool HasControlCharacter(const std::string& name) {
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  }
  return false;
}

// The note for a car that arrives disabled, or that keeps the archive name of the car
// already in the proposed folder.
void NoteDisabledCar(InstallPlan& plan) {
  std::vector<std::string> names;
  for (const InstallFile& file : plan.files) names.push_back(file.displayName);
  if (!plan.id.empty()) {
    const std::string kept = KeptCarArchiveNote(JoinPath(plan.destinationBase, plan.id), names);
    if (!kept.empty()) {
      plan.notes.push_back(kept);
      return;
    }
  }
  for (const InstallFile& file : plan.files) {
    if (EqualsIgnoreCase(file.displayName, kDisabledCarArchive)) {
      plan.notes.emplace_back("The car is disabled (car.viv.dis) and stays disabled after the install.");
      return;
    }
  }
}

// The car ID and name held by the car archive stored in `archive` as `entry`: the entry is
// taken out into a temporary folder of the system's (nothing is written into the game folder
// before the player says OK) and read there. "" when it cannot be read.
std::string ReadArchivedCarIdentity(const std::string& archive, ArchiveKind kind, const std::string& entry,
                                    std::string& name) {
  const std::string scratchFolder = SystemTemporaryFolder();
  if (!IsFolder(scratchFolder)) return {};
  TemporaryFolder scratch;
  if (!TemporaryFolder::CreateIn(scratchFolder, scratch).ok()) return {};
  if (!ArchiveFormatFor(kind).ExtractEntries(archive, {entry}, scratch.path(), nullptr).ok()) return {};
  return ReadCarIdentity(JoinPath(scratch.path(), EntryDisplayName(entry)), name);
}

// The ID proposed for a car from an archive: the car's own ID when no folder of that name is
// in the car folder yet, else the first free number (and a note says why).
void ProposeArchivedCarId(InstallPlan& plan) {
  const InstallFile* archive = nullptr;
  for (const InstallFile& file : plan.files) {
    if (EqualsIgnoreCase(file.displayName, kEnabledArchiveName)) {
      archive = &file;
      break;
    }
    if (archive == nullptr && EqualsIgnoreCase(file.displayName, kDisabledCarArchive)) archive = &file;
  }
  std::string carId, name;
  if (archive != nullptr) {
    carId = GameTextToUtf8(
        ReadArchivedCarIdentity(plan.source, plan.archiveKind, archive->source, name));
  }
  if (!carId.empty()) plan.carName = GameTextToUtf8(name);
  if (!carId.empty() && InstallIdProblem(carId).empty() && !PathExists(JoinPath(plan.destinationBase, carId))) {
    plan.id = carId;
    return;
  }
  plan.id = FirstFreeCarFolderId(plan.destinationBase);
  if (carId.empty()) return;
  plan.notes.push_back(InstallIdProblem(carId).empty()
                           ? "The car's ID is " + carId + ", and the folder " + carId + " exists already: " +
                                 plan.id + " is proposed instead."
                           : "The car's ID \"" + carId + "\" cannot name a folder: " + plan.id + " is proposed instead.");
}

constexpr const char* kCarExtensions[] = {".viv", ".bnk", ".fec", ".jpg", ".tga"};
constexpr const char* kTrackExtensions[] = {".col", ".frd", ".fsh", ".bin", ".can", ".ccm",
                                            ".qfs", ".dat", ".hrz", ".jpg", ".tga"};

// Adds a file to the plan unless the list is full; numbers tracks. False when left out.
bool Accept(InstallPlan& plan, const std::string& displayName, const std::string& source,
            std::int64_t size) {
  if (plan.files.size() >= kMaxInstallFiles) {
    ++plan.leftOut;
    return false;
  }
  plan.files.push_back({displayName, source});
  plan.totalLength += size;
  if (!IsTrackMode(plan.mode)) return true;
  const int number = TrackNumberOf(displayName);
  if (number < 0) return true;
  auto slot = std::find_if(plan.trackFiles.begin(), plan.trackFiles.end(),
                           [number](const auto& counted) { return counted.first == number; });
  if (slot == plan.trackFiles.end()) {
    plan.trackFiles.emplace_back(number, 1);
  } else {
    ++slot->second;
  }
  return true;
}

// The slot's folder name and the stock track it replaces, "Trk003 (Marrow Flats)".
std::string SlotText(int number) {
  if (number < 0 || number >= kStockTrackSlotCount) return "TRK00" + std::to_string(number);
  const StockTrackRow& row = StockTrackTable[static_cast<std::size_t>(number)];
  return std::string(row.slotFolderName) + " (" + std::string(row.displayName) + ")";
}

// The track's slot once every file is listed: the one most files are numbered for (of two
// with as many, the one found first). Files of several slots are said once, with the slots.
void ChooseTrackSlot(InstallPlan& plan) {
  if (plan.trackFiles.empty()) return;
  const auto most = std::max_element(plan.trackFiles.begin(), plan.trackFiles.end(),
                                     [](const auto& a, const auto& b) { return a.second < b.second; });
  plan.trackNumber = most->first;
  if (plan.trackFiles.size() == 1) return;
  std::vector<std::pair<int, std::size_t>> slots = plan.trackFiles;
  std::sort(slots.begin(), slots.end());
  std::string text = std::string(kMixedTracks) + ":";
  for (const auto& [number, files] : slots) {
    text += "\n  " + SlotText(number) + ": " + std::to_string(files) + (files == 1 ? " file" : " files");
  }
  text += "\nThe track is proposed for " + SlotText(plan.trackNumber) +
          ", the slot with the most files. To install it into another slot, change the destination base directory "
          "in the install dialog.";
  plan.messages.push_back(text);
}

void PrepareFolder(InstallPlan& plan, const std::string& gameFolder) {
  const bool car = plan.mode == InstallMode::kCarFromFolder;
  if (!IsFolder(plan.source)) {
    if (!car) plan.messages.emplace_back(kNotValidTrack);
    return;
  }
  for (const DirEntry& entry : ListFolder(plan.source)) {
    const std::string path = JoinPath(plan.source, entry.name);
    // Only the folder's own regular files are installed: never a sub-folder, and never what a
    // link points to or a FIFO, socket or device (which could hang the install).
    const EntryKind kind = KindOfEntry(path);
    if (kind == EntryKind::kFolder || kind == EntryKind::kMissing) continue;
    if (kind != EntryKind::kRegularFile) {
      plan.notes.push_back("Left out: " + entry.name + " is " + EntryKindText(kind) + ", not a file.");
      continue;
    }
    if (car) {
      if (EqualsIgnoreCase(entry.name, "car.viv") ||
          (plan.id.empty() && EqualsIgnoreCase(entry.name, kDisabledCarArchive))) {
        // The ID becomes a folder name and the name a title: both UTF-8, not the game's code page.
        std::string name;
        plan.id = GameTextToUtf8(ReadCarIdentity(path, name));
        if (!plan.id.empty()) plan.carName = GameTextToUtf8(name);
      }
      if (!IsCarFileName(entry.name)) continue;
    } else {
      plan.id = BaseName(plan.source);
      if (!IsTrackFileName(entry.name)) continue;
    }
    Accept(plan, entry.name, path, static_cast<std::int64_t>(FileSize(path).value_or(0)));
  }
  ChooseTrackSlot(plan);
  if (car) {
    plan.destinationBase = CarModelFolder(gameFolder);
  } else if (plan.trackNumber < 0) {
    plan.messages.emplace_back(kNotValidTrack);
  } else {
    plan.destinationBase = TrackSlotFolder(gameFolder, plan.trackNumber);
  }
  if (car) NoteDisabledCar(plan);
}

void PrepareArchive(InstallPlan& plan, const std::string& gameFolder) {
  const bool car = plan.mode == InstallMode::kCarFromArchive;
  plan.archiveKind = ArchiveKindOf(plan.source);
  const ArchiveFormat& format = ArchiveFormatFor(plan.archiveKind);
  ArchiveNameList names;
  const bool listed = format.ListEntries(plan.source, names, kMaxArchiveEntries);
  // An archive read in part only installs nothing.
  const std::string setProblem =
      listed ? std::string() : format.PartlyReadProblem(plan.source, names, kMaxArchiveEntries);
  if (!setProblem.empty()) {
    plan.messages.push_back(setProblem);
    names.clear();
  } else if (!listed && names.empty()) {
    plan.messages.push_back(plan.source + " cannot be read as a zip or cabinet file.");
  }
  if (!car) {
    // The archive's file name without its folder and its last extension.
    std::string name = BaseName(plan.source);
    const std::size_t dot = name.rfind('.');
    plan.id = dot == std::string::npos ? name : name.substr(0, dot);
    if (names.empty() && setProblem.empty()) plan.messages.emplace_back(kNotValidTrack);
  }
  // The entries the rules accept. A name met again (ignoring case, as the game's file system
  // compares) replaces the earlier entry: the last one is installed, as unzip tools do.
  struct Candidate {
    std::string display, entry;
    int seen = 1;
  };
  std::vector<Candidate> candidates;
  for (const std::string& entry : names) {
    if (entry.find('.') == std::string::npos) continue;
    const std::string display = EntryDisplayName(entry);
    if (display.empty() || !(car ? IsCarFileName(display) : IsTrackFileName(display))) continue;
    if (HasControlCharacter(entry)) {
      plan.notes.push_back("Refused: the entry name " + entry + " holds control characters.");
      continue;
    }
    if (!SafeRelativeComponents(entry)) {
      // Climbing with "..", absolute or with a drive letter: never flattened into the folder.
      plan.notes.push_back("Left out: " + entry + " leads outside the folder.");
      continue;
    }
    auto same = std::find_if(candidates.begin(), candidates.end(),
                             [&](const Candidate& c) { return EqualsIgnoreCase(c.display, display); });
    if (same == candidates.end()) {
      candidates.push_back({display, entry});
    } else {
      same->display = display;
      same->entry = entry;
      ++same->seen;
    }
  }
  const std::map<std::string, std::uint64_t> sizes =
      candidates.empty() ? std::map<std::string, std::uint64_t>() : EntrySizes(plan.source, plan.archiveKind);
  for (const Candidate& candidate : candidates) {
    if (candidate.seen > 1) {
      plan.notes.push_back(candidate.display + " appears " + std::to_string(candidate.seen) +
                           " times in the archive; only the last one is installed.");
    }
    const auto size = sizes.find(AsciiLower(candidate.entry));
    Accept(plan, candidate.display, candidate.entry,
           size == sizes.end() ? 0 : static_cast<std::int64_t>(size->second));
  }
  ChooseTrackSlot(plan);
  if (car) {
    plan.destinationBase = CarModelFolder(gameFolder);
    ProposeArchivedCarId(plan);
  } else if (plan.trackNumber < 0) {
    if (!names.empty()) plan.messages.emplace_back(kNotValidTrack);
  } else {
    plan.destinationBase = TrackSlotFolder(gameFolder, plan.trackNumber);
  }
  if (car) NoteDisabledCar(plan);
}

}  // namespace

bool IsArchiveMode(InstallMode mode) {
  return mode == InstallMode::kCarFromArchive || mode == InstallMode::kTrackFromArchive;
}

bool IsTrackMode(InstallMode mode) {
  return mode == InstallMode::kTrackFromFolder || mode == InstallMode::kTrackFromArchive;
}

const char* InstallCommandName(InstallMode mode) {
  switch (mode) {
    case InstallMode::kCarFromFolder: return "Install  Car";
    case InstallMode::kTrackFromFolder: return "Install Track";
    case InstallMode::kCarFromArchive: return "Install Car From Comp.";
    case InstallMode::kTrackFromArchive: return "Install Track From Comp.";
  }
  return "Install";
}

std::string InstallPlan::LengthLine() const {
  char text[64];
  std::snprintf(text, sizeof text, "(Total Length = %lldKB)", static_cast<long long>(totalLength / 1024));
  return text;
}

std::string InstallPlan::DialogTitle() const {
  if (!carName.empty()) return carName;
  return IsTrackMode(mode) ? "Install These Track Files:" : "Install These Car Files:";
}

InstallDialogState InstallPlan::DialogState() const {
  InstallDialogState state;
  state.mode = static_cast<int>(mode);
  state.title = DialogTitle();
  for (const InstallFile& file : files) state.files.push_back(file.displayName);
  state.lengthLine = LengthLine();
  state.notes = notes;
  state.destinationBase = destinationBase;
  state.id = id;
  state.offerActivate = IsTrackMode(mode);
  return state;
}

bool IsCarFileName(const std::string& name) {
  const std::string extension = Extension(name);
  for (const char* accepted : kCarExtensions) {
    if (extension == accepted) return true;
  }
  return EqualsIgnoreCase(name, "carp.txt") || EqualsIgnoreCase(name, kDisabledCarArchive) ||
         AsciiLower(name.substr(0, 6)) == "fedata";
}

bool IsTrackFileName(const std::string& name) {
  const std::string extension = Extension(name);
  for (const char* accepted : kTrackExtensions) {
    if (extension == accepted) return true;
  }
  return false;
}

int TrackNumberOf(const std::string& name) {
  const std::string prefix = AsciiLower(name.substr(0, 3));
  std::size_t position = 0;
  if (prefix == "tr0") {
    position = 3;
  } else if (prefix == "tut" || prefix == "3tr") {
    position = 4;
  } else {
    return -1;
  }
  if (position >= name.size() || !std::isdigit(static_cast<unsigned char>(name[position]))) return -1;
  return name[position] - '0';
}

std::string EntryDisplayName(const std::string& entryName) {
  const std::size_t cut = entryName.find_last_of("\\/");
  return cut == std::string::npos ? entryName : entryName.substr(cut + 1);
}

std::string FirstFreeCarFolderId(const std::string& carFolder) {
  char id[16];
  for (int n = 0; n < 10000; ++n) {
    std::snprintf(id, sizeof id, "%04d", n);
    if (!PathExists(JoinPath(carFolder, id))) return id;
  }
  return {};
}

std::string CarModelFolder(const std::string& gameFolder) {
  return ResolvePath(JoinPath(gameFolder, "\\GameData\\CarModel"));
}

std::string TrackSlotFolder(const std::string& gameFolder, int trackNumber) {
  char sub[64];
  std::snprintf(sub, sizeof sub, "\\GameData\\Tracks\\TRK00%d", trackNumber);
  return ResolvePath(JoinPath(gameFolder, sub));
}

InstallMode MatchingInstallMode(const std::string& path) {
  auto isViv = [](const std::string& name) {
    const auto endsWith = [&](const std::string& end) {
      return name.size() >= end.size() && EqualsIgnoreCase(name.substr(name.size() - end.size()), end);
    };
    return endsWith(".viv") || endsWith(".viv.dis");
  };
  if (IsFolder(path)) {
    for (const DirEntry& entry : ListFolder(path)) {
      if (!entry.isFolder && isViv(entry.name)) return InstallMode::kCarFromFolder;
    }
    return InstallMode::kTrackFromFolder;
  }
  ArchiveNameList names;
  ListArchiveEntries(path, ArchiveKindOf(path), names);
  for (const std::string& name : names) {
    if (isViv(name)) return InstallMode::kCarFromArchive;
  }
  return InstallMode::kTrackFromArchive;
}

std::string KeptCarArchiveName(const std::string& destination, const std::string& name) {
  const std::string disabledName = std::string(kEnabledArchiveName) + kDisabledSuffix;
  const bool enabled = EqualsIgnoreCase(name, kEnabledArchiveName);
  if (!enabled && !EqualsIgnoreCase(name, disabledName)) return {};
  std::string sameKind, otherKind;
  for (const DirEntry& entry : ListFolder(destination)) {
    if (entry.isFolder) continue;
    const bool isEnabled = EqualsIgnoreCase(entry.name, kEnabledArchiveName);
    const bool isDisabled = EqualsIgnoreCase(entry.name, disabledName);
    if (isEnabled == enabled && (isEnabled || isDisabled)) sameKind = entry.name;
    if (isEnabled != enabled && (isEnabled || isDisabled)) otherKind = entry.name;
  }
  // With both already there (or neither) the file replaces the one of its own name.
  return sameKind.empty() ? otherKind : std::string();
}

std::string KeptCarArchiveNote(const std::string& destination, const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    const std::string kept = KeptCarArchiveName(destination, file);
    // An install that brings both names replaces both.
    if (kept.empty() ||
        std::any_of(files.begin(), files.end(), [&](const std::string& other) { return EqualsIgnoreCase(other, kept); })) {
      continue;
    }
    const bool disabled = !EqualsIgnoreCase(kept, kEnabledArchiveName);
    return "The folder " + BaseName(destination) + " holds " + kept + ": " + file + " replaces it under that name, and the car stays " +
           (disabled ? "disabled." : "enabled.");
  }
  return {};
}

InstallPlan PrepareInstall(InstallMode mode, const std::string& source, const std::string& gameFolder) {
  InstallPlan plan;
  plan.mode = mode;
  plan.source = source;
  if (IsArchiveMode(mode)) {
    PrepareArchive(plan, gameFolder);
  } else {
    PrepareFolder(plan, gameFolder);
  }
  if (plan.leftOut > 0) {
    plan.messages.push_back("Only the first " + std::to_string(kMaxInstallFiles) + " files are listed and installed; " +
                            std::to_string(plan.leftOut) + " more are left out.");
  }
  return plan;
}

}  // namespace krax

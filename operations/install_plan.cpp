#include "operations/install_plan.h"

#include <cctype>
#include <cstdio>

#include "archive/archive_name_list.h"
#include "archive/cab/cab_entries.h"
#include "archive/zip/zip_archive.h"
#include "gamedata/car_catalog.h"
#include "gamedata/code_page.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {
namespace {

// The entries of a zip or cabinet file (at most kMaxArchiveEntries); false when it is no
// readable zip or cabinet, or was not walked to its end.
bool ListArchiveEntries(const std::string& path, ArchiveKind kind, ArchiveNameList& names) {
  return kind == ArchiveKind::kZip ? ListZipEntries(path, names, kMaxArchiveEntries)
                                   : ListCabinetEntries(path, names, kMaxArchiveEntries);
}

// A cabinet that is read in part only (a later cabinet of its set missing, or a walk started
// at a later cabinet) installs nothing: the reason, or "" when the cabinet can be installed.
std::string CabinetSetProblem(const std::string& path, const ArchiveNameList& names) {
  ArchiveNameList walked;
  ArchiveResult why;
  if (ListCabinetEntries(path, walked, kMaxArchiveEntries, nullptr, why)) return {};
  if (names.empty() && why.status != ArchiveStatus::kNotFirstCabinet) return {};
  return path + " cannot be installed: " + why.Message();
}

// The extension as the game's rules see it: from the first '.', lower-cased.
std::string Extension(const std::string& name) {
  const std::size_t dot = name.find('.');
  return dot == std::string::npos ? std::string() : AsciiLower(name.substr(dot));
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
  if (plan.trackNumber < 0) {
    plan.trackNumber = number;
  } else if (number != plan.trackNumber) {
    plan.messages.emplace_back(kMixedTracks);
  }
  return true;
}

void PrepareFolder(InstallPlan& plan, const std::string& gameFolder) {
  const bool car = plan.mode == InstallMode::kCarFromFolder;
  if (!IsFolder(plan.source)) {
    if (!car) plan.messages.emplace_back(kNotValidTrack);
    return;
  }
  for (const DirEntry& entry : ListFolder(plan.source)) {
    if (entry.isFolder) continue;  // only the folder's own files are installed
    const std::string path = JoinPath(plan.source, entry.name);
    if (car) {
      if (EqualsIgnoreCase(entry.name, "car.viv")) {
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
  if (car) {
    plan.destinationBase = CarModelFolder(gameFolder);
  } else if (plan.trackNumber < 0) {
    plan.messages.emplace_back(kNotValidTrack);
  } else {
    plan.destinationBase = TrackSlotFolder(gameFolder, plan.trackNumber);
  }
}

void PrepareArchive(InstallPlan& plan, const std::string& gameFolder) {
  const bool car = plan.mode == InstallMode::kCarFromArchive;
  plan.archiveKind = ArchiveKindOf(plan.source);
  ArchiveNameList names;
  const bool listed = ListArchiveEntries(plan.source, plan.archiveKind, names);
  const std::string setProblem =
      !listed && plan.archiveKind == ArchiveKind::kCabinet ? CabinetSetProblem(plan.source, names) : std::string();
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
  for (const std::string& entry : names) {
    if (entry.find('.') == std::string::npos) continue;
    const std::string display = EntryDisplayName(entry);
    if (display.empty() || !(car ? IsCarFileName(display) : IsTrackFileName(display))) continue;
    Accept(plan, display, entry, 0);
  }
  if (car) {
    plan.destinationBase = CarModelFolder(gameFolder);
    plan.id = FirstFreeCarFolderId(plan.destinationBase);
  } else if (plan.trackNumber < 0) {
    if (!names.empty()) plan.messages.emplace_back(kNotValidTrack);
  } else {
    plan.destinationBase = TrackSlotFolder(gameFolder, plan.trackNumber);
  }
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

std::string InstallPlan::lengthLine() const {
  char text[64];
  std::snprintf(text, sizeof text, "(Total Length = %lldKB)", static_cast<long long>(totalLength / 1024));
  return text;
}

bool IsCarFileName(const std::string& name) {
  const std::string extension = Extension(name);
  for (const char* accepted : kCarExtensions) {
    if (extension == accepted) return true;
  }
  return EqualsIgnoreCase(name, "carp.txt") || AsciiLower(name.substr(0, 6)) == "fedata";
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
    return name.size() >= 4 && EqualsIgnoreCase(name.substr(name.size() - 4), ".viv");
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

InstallPlan PrepareInstall(InstallMode mode, const std::string& source, const std::string& gameFolder) {
  InstallPlan plan;
  plan.mode = mode;
  plan.source = source;
  plan.destinationBase = source;
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

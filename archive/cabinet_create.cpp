#include "archive/cabinet_create.h"
#include "archive/cabinet_create_detail.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>

#include "archive/cab/cab_directory.h"
#include "archive/cab/cab_format.h"
#include "archive/safe_entry_name.h"
#include "archive/cab/cab_writer.h"
#include "archive/cab/cab_writer_client.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/temporary_file.h"

namespace krax {
namespace {

constexpr std::size_t kMaxPart = 255;


// The components with "." dropped and ".." taking back the one before it (a leading ".."
// stays).
std::vector<std::string> NormalComponents(const std::string& path) {
  std::vector<std::string> out;
  for (std::string& part : PathComponents(path)) {
    if (part == ".") continue;
    if (part == ".." && !out.empty() && out.back() != "..") {
      out.pop_back();
      continue;
    }
    out.push_back(std::move(part));
  }
  return out;
}

bool StartsWith(const std::vector<std::string>& parts, const std::vector<std::string>& base) {
  if (parts.size() <= base.size()) return false;
  for (std::size_t i = 0; i < base.size(); ++i) {
    if (parts[i] != base[i]) return false;
  }
  return true;
}

// The following cabinets of the set that now begins with `firstPath` and are named as
// cabinets of `stem` (stem, number, extension); a new set written over it leaves none behind.
std::vector<std::string> OldFollowingParts(const std::string& firstPath, const std::string& stem,
                                           const std::string& extension) {
  std::vector<std::string> old;
  if (!IsFile(firstPath)) return old;
  std::vector<cab::CabinetSetPart> set;
  std::string problem;
  cab::ReadCabinetSet(firstPath, set, problem);  // the parts still there are removed even from a broken set
  for (std::size_t i = 1; i < set.size(); ++i) {
    const std::string expected = stem + std::to_string(set[i].directory.header.cabinetIndex) + extension;
    if (EqualsIgnoreCase(BaseName(set[i].path), expected)) old.push_back(set[i].path);
  }
  return old;
}

// The number in decimal, padded with spaces on the left to at least `width` characters.
std::string RightAligned(std::uint64_t value, std::size_t width) {
  std::string text = std::to_string(value);
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

}  // namespace

std::string CabinetEntryName(const std::string& file, const std::optional<std::string>& baseFolder) {
  const std::vector<std::string> parts = NormalComponents(file);
  if (baseFolder && !baseFolder->empty()) {
    const std::vector<std::string> base = NormalComponents(*baseFolder);
    const bool inside = StartsWith(parts, base);
    // Spelled below the base but climbing out of it: no name.
    if (!inside && StartsWith(PathComponents(file), PathComponents(*baseFolder))) return {};
    if (inside) {
      std::string name;
      for (std::size_t i = base.size(); i < parts.size(); ++i) {
        if (!name.empty()) name += '\\';
        name += parts[i];
      }
      return name;
    }
  }
  if (parts.empty() || parts.back() == "..") return {};
  return parts.back();
}

bool CreateCabinetArchive(const std::string& cabinetBase, const std::vector<std::string>& files,
                          const std::optional<std::string>& baseFolder, bool overwrite,
                          const ArchiveCallbacks& callbacks, const CabinetCreateOptions& options) {
  ArchiveResult result;
  return CreateCabinetArchive(cabinetBase, files, baseFolder, overwrite, callbacks, options, result);
}

bool CreateCabinetArchive(const std::string& cabinetBase, const std::vector<std::string>& files,
                          const std::optional<std::string>& baseFolder, bool overwrite,
                          const ArchiveCallbacks& callbacks, const CabinetCreateOptions& options,
                          ArchiveResult& result, std::vector<std::string>* written) {
  return CreateCabinetArchiveWithLimits({cabinetBase, files, baseFolder, overwrite, options, {}}, callbacks, result,
                                        written);
}

bool CreateCabinetArchiveWithLimits(const CabinetCreateJob& job, const ArchiveCallbacks& callbacks,
                                    ArchiveResult& result, std::vector<std::string>* written) {
  const std::string& cabinetBase = job.cabinetBase;
  const std::vector<std::string>& files = job.files;
  const std::optional<std::string>& baseFolder = job.baseFolder;
  const CabinetCreateOptions& options = job.options;
  BusyScope busy(&callbacks);
  result = {};
  const cab::CabinetPathParts parts = cab::SplitCabinetPath(cabinetBase);
  const std::string& extension = options.extension;
  if (parts.folder.size() > kMaxPart || parts.name.size() + extension.size() > kMaxPart) {
    result = {ArchiveStatus::kFormatLimit, 0, "the cabinet path " + cabinetBase + " is too long for a cabinet set"};
    return false;
  }
  const std::string cabinetPath = parts.folder + parts.name + extension;
  if (!job.overwrite && IsFile(cabinetPath)) {
    if (!AskOverwrite(callbacks, busy, cabinetPath)) {
      result = {ArchiveStatus::kStopped, 0, "not replacing " + cabinetPath};
      return false;
    }
  }

  // Every name is checked before anything is written.
  std::vector<std::string> names;
  for (const std::string& file : files) {
    names.push_back(CabinetEntryName(file, baseFolder));
    if (!SafeRelativeComponents(names.back())) {
      result = {ArchiveStatus::kNameRefused, 0, "refused " + file + ": its name would leave the base folder"};
      return false;
    }
  }

  // The set is written under its final names into a fresh folder beside the destination,
  // with the writer's own temporary files (each cabinet of a set names the next one inside
  // it, so the parts cannot be renamed later); once every part is complete they are moved
  // into place, the first part last.
  const std::string folder = parts.folder.empty() ? std::string(".") : parts.folder;
  TemporaryFolder staging;
  const FsResult made = TemporaryFolder::CreateIn(folder, staging);
  if (!made.ok()) {
    result = {ArchiveStatus::kCabinetWriteFailed, made.systemError, "cannot create " + cabinetPath};
    return false;
  }

  std::uint64_t totalUncompressed = 0, totalCompressed = 0;
  std::string currentName;
  std::vector<std::string> partNames{parts.name + extension};

  cab::CabinetParameters params;
  params.maxCabinetSize = options.maxCabinetSize;
  params.folderThreshold = options.folderThreshold;
  params.cabinetIndex = 0;
  params.diskIndex = 0;
  params.setID = cab::kDefaultSetID;
  params.diskName = "CABDisk";
  params.cabinetName = partNames.front();
  params.cabinetFolder = staging.path() + "/";

  cab::CabWriterClient client = cab::MakeStandardCabWriterClient();
  client.tempName = [&staging](char* buffer, std::size_t size) {
    return cab::CabTempNameIn(staging.path(), buffer, size);
  };

  const cab::CabNextCabinetFn nextCabinet = [&](cab::CabinetParameters& next, std::uint32_t) {
    next.cabinetName = parts.name + std::to_string(next.cabinetIndex) + extension;
    partNames.push_back(next.cabinetName);
    return 0;
  };
  const cab::CabProgressFn progress = [&](cab::CabStatusKind kind, std::uint32_t first, std::uint32_t second) -> long {
    if (kind == cab::CabStatusKind::kFile) {
      totalCompressed += first;
      totalUncompressed += second;
      if (callbacks.status) {
        callbacks.status("File " + currentName + " Compressing: " + RightAligned(totalUncompressed, 9) + " -> " +
                         RightAligned(totalCompressed, 9));
      }
    }
    return callbacks.StopRequested() ? -1 : 0;
  };
  const cab::CabOpenSourceFn openSource = [&client, &currentName](const std::string& name, std::uint16_t& date,
                                                                  std::uint16_t& time, std::uint16_t& attribs,
                                                                  int& err) -> cab::CabHandle {
    const std::optional<DosDateTime> when = FileDosTime(name);
    if (!when) {
      err = ENOENT;
      return -1;
    }
    date = when->date;
    time = when->time;
    // Host equivalent of the attributes kept (mask 0x27): files count as archived, and
    // read-only is the missing write permission.
    attribs = cab::kAttribArchive;
    if (IsReadOnly(name)) attribs |= cab::kAttribReadOnly;
    attribs = cab::AttribsForName(currentName, attribs & cab::kAttribExtractMask);
    return client.files.open(name, O_RDONLY, 0, err);
  };

  ArchiveResult error;
  cab::CabWriterOptions writerOptions;
  writerOptions.cabinet = params;
  writerOptions.limits = job.limits;
  writerOptions.lzxLevel = options.lzxLevel;
  writerOptions.nextCabinet = nextCabinet;
  writerOptions.progress = progress;
  writerOptions.openSource = openSource;
  cab::CabWriterPtr writer = cab::CabWriterCreate(error, client, writerOptions);
  if (!writer) {
    result = error;
    return false;
  }
  bool ok = true;
  for (std::size_t i = 0; ok && i < files.size(); ++i) {
    currentName = names[i];
    ok = cab::CabWriterAddFile(*writer, {files[i], currentName, options.typeCompress});
  }
  ok = ok && cab::CabWriterFlushCabinet(*writer);
  const bool destroyed = cab::CabWriterDestroy(std::move(writer));
  if (!ok) {
    result = error;
    return false;
  }
  if (!destroyed) {
    result = {ArchiveStatus::kTempFileFailed, 0, "cannot remove the temporary files"};
    return false;
  }

  const std::vector<std::string> oldParts = OldFollowingParts(cabinetPath, parts.name, extension);
  std::rotate(partNames.begin(), partNames.begin() + 1, partNames.end());  // the first part last
  for (const std::string& part : partNames) {
    const std::string target = parts.folder + part;
    if (const FsResult placed = PlaceFinishedFile(JoinPath(staging.path(), part), target); !placed) {
      result = {ArchiveStatus::kCabinetWriteFailed, placed.systemError, "cannot replace " + target + ": " + OutputFailureText(target, placed)};
      return false;
    }
  }
  // An older, longer set of this name loses the parts the new one did not replace.
  for (const std::string& old : oldParts) {
    if (std::find(partNames.begin(), partNames.end(), BaseName(old)) == partNames.end()) DeleteFile(old);
  }
  if (written) {
    written->clear();
    written->push_back(cabinetPath);
    for (std::size_t i = 0; i + 1 < partNames.size(); ++i) written->push_back(parts.folder + partNames[i]);
  }
  return true;
}

}  // namespace krax

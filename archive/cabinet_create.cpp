#include "archive/cabinet_create.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>

#include "archive/cab/cab_directory.h"
#include "archive/cab/cab_format.h"
#include "archive/safe_entry_name.h"
#include "archive/cab/cab_writer.h"
#include "archive/cab/cab_writer_client.h"
#include "platform/file_system.h"
#include "platform/path.h"

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
                          ArchiveResult& result) {
  BusyScope busy(&callbacks);
  result = {};
  const cab::CabinetPathParts parts = cab::SplitCabinetPath(cabinetBase);
  if (parts.folder.size() > kMaxPart || parts.name.size() + 4 > kMaxPart) {
    result = {ArchiveStatus::kFormatLimit, 0, "the cabinet path " + cabinetBase + " is too long for a cabinet set"};
    return false;
  }
  const std::string cabinetPath = parts.folder + parts.name + ".CAB";
  if (!overwrite && IsFile(cabinetPath)) {
    if (!AskOverwrite(callbacks, busy, cabinetPath)) {
      result = {ArchiveStatus::kStopped, 0, "not replacing " + cabinetPath};
      return false;
    }
  }

  std::uint32_t totalUncompressed = 0, totalCompressed = 0;
  std::string currentName;

  cab::CabinetParameters params;
  params.cb = options.maxCabinetSize;
  params.cbFolderThresh = options.folderThreshold;
  params.iCab = 0;
  params.iDisk = 0;
  params.fFailOnIncompressible = 0;
  params.setID = cab::kDefaultSetID;
  params.szDisk = "CABDisk";
  params.szCab = parts.name + ".CAB";
  params.szCabPath = parts.folder;

  cab::CabWriterClient client = cab::MakeStandardCabWriterClient();
  client.filePlaced = [](const cab::CabinetParameters&, const std::string&, std::uint32_t, bool) {
    return 0;
  };

  const cab::CabNextCabinetFn nextCabinet = [&](cab::CabinetParameters& next, std::uint32_t) {
    next.szCab = parts.name + std::to_string(next.iCab) + ".CAB";
    return 0;
  };
  const cab::CabProgressFn progress = [&](cab::CabStatusKind kind, std::uint32_t first,
                                          std::uint32_t second) -> long {
    if (kind == cab::StatusFile) {
      totalCompressed += first;
      totalUncompressed += second;
      char text[600];
      std::snprintf(text, sizeof text, "File %s Compressing: %9ld -> %9ld", currentName.c_str(),
                    static_cast<long>(totalUncompressed), static_cast<long>(totalCompressed));
      if (callbacks.status) callbacks.status(text);
    }
    return callbacks.StopRequested() ? -1 : 0;
  };
  const cab::CabOpenSourceFn openSource = [&client](const std::string& name, std::uint16_t& date,
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
    attribs &= cab::kAttribExtractMask;
    return client.open(name, O_RDONLY, 0, err);
  };

  // Every name is checked before anything is written.
  std::vector<std::string> names;
  for (const std::string& file : files) {
    names.push_back(CabinetEntryName(file, baseFolder));
    if (!SafeRelativeComponents(names.back())) {
      result = {ArchiveStatus::kNameRefused, 0, "refused " + file + ": its name would leave the base folder"};
      return false;
    }
  }

  cab::CabError error;
  cab::CabWriterPtr writer = cab::CabWriterCreate(error, client, params, options.limits);
  if (!writer) {
    result = error.result();
    return false;
  }
  cab::CabWriterSetLzxLevel(*writer, options.lzxLevel);
  bool ok = true;
  for (std::size_t i = 0; ok && i < files.size(); ++i) {
    currentName = names[i];
    ok = cab::CabWriterAddFile(*writer, files[i], currentName, false, nextCabinet, progress, openSource,
                               options.typeCompress);
  }
  ok = ok && cab::CabWriterFlushCabinet(*writer, false, nextCabinet, progress);
  // The writer deletes the cabinets of a failed run when it is destroyed.
  const bool destroyed = cab::CabWriterDestroy(std::move(writer));
  if (!ok) {
    result = error.result();
    return false;
  }
  if (!destroyed) result = {ArchiveStatus::kTempFileFailed, 0, "cannot remove the temporary files"};
  return destroyed;
}

}  // namespace krax

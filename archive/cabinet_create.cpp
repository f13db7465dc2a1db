#include "archive/cabinet_create.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>

#include "archive/cab/cab_format.h"
#include "archive/cab/cab_writer.h"
#include "archive/cab/cab_writer_client.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {
namespace {

constexpr std::size_t kMaxPart = 255;

struct CabinetPathParts {
  std::string folder;  // up to and including the last separator, or empty
  std::string name;
};

CabinetPathParts SplitCabinetPath(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return {"", path};
  return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

class BusyScope {
 public:
  explicit BusyScope(const ArchiveCallbacks& callbacks) : callbacks_(callbacks) { Set(true); }
  ~BusyScope() { Set(false); }
  void Set(bool busy) const {
    if (callbacks_.busy) callbacks_.busy(busy);
  }

 private:
  const ArchiveCallbacks& callbacks_;
};

}  // namespace

std::string CabinetEntryName(const std::string& file, const std::optional<std::string>& baseFolder) {
  const std::vector<std::string> parts = PathComponents(file);
  if (baseFolder && !baseFolder->empty()) {
    const std::vector<std::string> base = PathComponents(*baseFolder);
    bool inside = parts.size() > base.size();
    for (std::size_t i = 0; inside && i < base.size(); ++i) inside = parts[i] == base[i];
    if (inside) {
      std::string name;
      for (std::size_t i = base.size(); i < parts.size(); ++i) {
        if (!name.empty()) name += '\\';
        name += parts[i];
      }
      return name;
    }
  }
  return parts.empty() ? file : parts.back();
}

bool CreateCabinetArchive(const std::string& cabinetBase, const std::vector<std::string>& files,
                          const std::optional<std::string>& baseFolder, bool overwrite,
                          const ArchiveCallbacks& callbacks, const CabinetCreateOptions& options) {
  BusyScope busy(callbacks);
  const CabinetPathParts parts = SplitCabinetPath(cabinetBase);
  if (parts.folder.size() > kMaxPart || parts.name.size() + 4 > kMaxPart) return false;
  const std::string cabinetPath = parts.folder + parts.name + ".CAB";
  if (!overwrite && IsFile(cabinetPath)) {
    char question[600];
    std::snprintf(question, sizeof question, "File %s exist. Overwrite ?", cabinetPath.c_str());
    busy.Set(false);
    const bool yes = callbacks.askYesNo && callbacks.askYesNo(question);
    busy.Set(true);
    if (!yes) return false;
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
    return 0;
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

  cab::CabError error;
  cab::CabWriterPtr writer = cab::CabWriterCreate(error, client, params);
  if (!writer) return false;
  cab::CabWriterSetLzxLevel(*writer, options.lzxLevel);
  for (const std::string& file : files) {
    currentName = CabinetEntryName(file, baseFolder);
    if (!cab::CabWriterAddFile(*writer, file, currentName, false, nextCabinet, progress, openSource,
                               options.typeCompress)) {
      cab::CabWriterDestroy(std::move(writer));
      return false;
    }
  }
  if (!cab::CabWriterFlushCabinet(*writer, false, nextCabinet, progress)) {
    cab::CabWriterDestroy(std::move(writer));
    return false;
  }
  return cab::CabWriterDestroy(std::move(writer));
}

}  // namespace krax

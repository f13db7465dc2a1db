#include "archive/archive_entry_sizes.h"
#include "archive/cab/cab_directory.h"

namespace krax {

bool ListCabinetEntrySizes(const std::string& cabPath, std::vector<ArchiveEntrySize>& entries) {
  entries.clear();
  const cab::CabinetPathParts parts = cab::SplitCabinetPath(cabPath);
  std::string current = cabPath;
  // A set has at most 65536 cabinets (the index is 16 bits); a loop of names ends there too.
  for (unsigned walked = 0; walked < 65536; ++walked) {
    cab::CabDirectory directory;
    ArchiveStatus status = ArchiveStatus::kOk;
    if (!cab::ReadCabinetDirectory(current, directory, status)) return walked > 0;
    for (const cab::CFFILE& file : directory.files) {
      // A file continued from the previous cabinet was counted there.
      if (file.folderIndex == cab::kFolderContinuedFromPrev || file.folderIndex == cab::kFolderContinuedPrevAndNext) continue;
      entries.push_back({file.name, file.fileSize});
    }
    if (!(directory.header.flags & cab::kFlagNextCabinet)) break;
    current = parts.folder + directory.header.nextCabinetName;
  }
  return true;
}

}  // namespace krax

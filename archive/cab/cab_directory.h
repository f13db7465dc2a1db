// The directory of one cabinet file: its header, folders and file records, read without
// touching the data blocks. For listings with details and for finding the cabinets of a
// set; every size and offset is checked against the file.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/archive_status.h"
#include "archive/cab/cab_format.h"

namespace krax::cab {

struct CabDirectory {
  CFHEADER header;
  std::vector<CFFOLDER> folders;
  std::vector<CFFILE> files;
};

// Reads the directory; on failure returns false with `status` kCabinetOpenFailed,
// kNotACabinet, kBadVersion or kDamaged.
bool ReadCabinetDirectory(const std::string& path, CabDirectory& directory, ArchiveStatus& status);

// The type word of the folder a file lies in: the last folder for files continued into the
// next cabinet, the first for files continued from the previous one.
std::uint16_t FolderTypeOfFile(const CabDirectory& directory, const CFFILE& file);

// A cabinet path split after its last separator ('/' or '\'): the folder part keeps the
// separator and is empty for a bare name.
struct CabinetPathParts {
  std::string folder;
  std::string name;
};
CabinetPathParts SplitCabinetPath(const std::string& path);

// One cabinet of a set: its path and directory.
struct CabinetSetPart {
  std::string path;
  CabDirectory directory;
};

// The cabinet at `path` and every following cabinet of its set, found beside it by the names
// each cabinet gives its successor and checked by set ID and number. False with the reason
// in `problem` when one cannot be read or does not belong; `parts` then holds those read.
bool ReadCabinetSet(const std::string& path, std::vector<CabinetSetPart>& parts, std::string& problem);

// For a cabinet that is not the first of its set (nullopt for a first one): the name of the
// set's first cabinet, found by following the previous-cabinet names beside it; when one of
// them is missing, the earliest name known.
std::optional<std::string> FirstCabinetOfSet(const std::string& path);

// "X is not the first cabinet of its set: the set begins with Y", for a cabinet a walk
// cannot start from; "" for the first cabinet of a set.
std::string NotFirstCabinetProblem(const std::string& path);

}  // namespace krax::cab

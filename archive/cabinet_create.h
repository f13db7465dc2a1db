// Packing a list of files into a new cabinet file (the "Create Cabinet" of a car or track).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_callbacks.h"
#include "archive/archive_status.h"
#include "archive/cab/cab_format.h"
#include "archive/lzx/lzx_levels.h"

namespace krax {

// The program always writes LZX with a 2 MB window, cabinets of at most 300000000 bytes and
// folders closed after 900000 compressed bytes; kraxctl may ask for other values. The LZX
// level is the encoder's effort (1 = fast, up to lzx::kLzxMaxLevel); by default the
// thorough near-optimal encoder.
struct CabinetCreateOptions {
  std::uint16_t typeCompress = cab::kTypeLzx21;
  std::uint32_t maxCabinetSize = 300000000;
  std::uint32_t folderThreshold = 900000;
  int lzxLevel = lzx::kLzxDefaultLevel;
  std::string extension = ".CAB";  // of every cabinet's name
};

// Writes `cabinetBase` + ".CAB" (a following cabinet of a set: the name part followed by
// 1.CAB, 2.CAB, ...; options.extension replaces ".CAB"). The set is written in a temporary
// folder beside it and put in place whole once complete; the later cabinets of an older set
// of that name that the new set does not replace are removed. Names in the cabinet are the
// files' paths relative to `baseFolder` with backslashes, or the bare file names without a
// base folder. With `overwrite` false
// an existing cabinet is replaced only after "File %s exist. Overwrite ?" is answered Yes.
// Progress goes to callbacks.status as "File %s Compressing: %9ld -> %9ld".
// Returns true when the cabinet was written completely.
bool CreateCabinetArchive(const std::string& cabinetBase, const std::vector<std::string>& files,
                          const std::optional<std::string>& baseFolder, bool overwrite,
                          const ArchiveCallbacks& callbacks, const CabinetCreateOptions& options = {});
// The same, with the reason of a failure in `result` ("cannot create /x/A.CAB: permission
// denied") and, on success, the paths of the cabinets written in `written` (the first one
// first). A name that would leave the base folder fails before anything is written, and a
// failed run leaves no cabinet of the set behind.
bool CreateCabinetArchive(const std::string& cabinetBase, const std::vector<std::string>& files,
                          const std::optional<std::string>& baseFolder, bool overwrite,
                          const ArchiveCallbacks& callbacks, const CabinetCreateOptions& options,
                          ArchiveResult& result, std::vector<std::string>* written = nullptr);

// The name a file gets in a cabinet or zip archive: the path components of `file`
// behind those of `baseFolder`, joined with backslashes; without a base folder (or for a
// file outside it) the last component. "." and ".." are resolved first; a path spelled
// below the base that climbs out of it gets an empty name (refused).
std::string CabinetEntryName(const std::string& file, const std::optional<std::string>& baseFolder);

}  // namespace krax

// Zip or cabinet: the one choice of format for the archives the program reads and writes
// (operations/archive_format.h holds the helpers of each).
#pragma once

#include <string>

namespace krax {

enum class ArchiveKind { kZip, kCabinet };

// The format of an archive the user picked, told by the file's first bytes ("PK" or
// "MSCF"), else by its name (a ".zip" ending, any case, is a zip).
ArchiveKind ArchiveKindOf(const std::string& path);

}  // namespace krax

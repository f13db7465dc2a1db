// Which helpers read an archive the user picked: zip or cabinet, told by the file's first
// bytes ("PK" or "MSCF"), else by its name (a ".zip" ending, any case, is a zip).
#pragma once

#include <string>

namespace krax {

enum class ArchiveKind { kZip, kCabinet };

ArchiveKind ArchiveKindOf(const std::string& path);

}  // namespace krax

// Pieces of file_system_posix.cpp exposed for tests only.
#pragma once

#include <string>

#include "platform/file_system.h"

namespace krax::detail {

// The no-replace rename used where the file system lacks renameat2's RENAME_NOREPLACE:
// link() + unlink() for a file, an exclusive mkdir() placeholder for a folder.
FsResult RenameNoReplaceFallback(const std::string& from, const std::string& to, bool isFolder);

}  // namespace krax::detail

// Putting a complete file in place of another in one step.
#pragma once

#include <string_view>

#include "platform/file_system.h"

namespace krax {

// Renames the file `from` to `to`, replacing a file `to` in one step (rename(2) on Linux,
// MoveFileExW with MOVEFILE_REPLACE_EXISTING on Windows, where rename() refuses).
FsResult ReplaceFileWith(std::string_view from, std::string_view to);

}  // namespace krax

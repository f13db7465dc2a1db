// Whether a name stored in an archive (cabinet or zip) may be written below a destination
// folder: names are relative paths with backslash or slash separators. A name that is
// absolute, holds a drive letter or a ':' anywhere, a NUL, or climbs with ".." could land
// outside the folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krax {

// The name's folder components and file name in order, or nullopt for an unsafe or empty
// name. Empty and "." components are dropped.
std::optional<std::vector<std::string>> SafeRelativeComponents(std::string_view storedName);

}  // namespace krax

// A list of entry names or file paths handed between the archive helpers and their
// callers. The end of the vector is the list's end mark; the caller owns the strings.
#pragma once

#include <string>
#include <vector>

namespace krax {

using ArchiveNameList = std::vector<std::string>;

}  // namespace krax

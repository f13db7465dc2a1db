// What the cabinet reader and writer share with their clients: the result every failure
// fills (an ArchiveResult) and the numeric file handles their client functions work on.
#pragma once

#include <cstdint>
#include <string>

#include "archive/archive_status.h"

namespace krax::cab {

using CabHandle = std::intptr_t;  // -1 = failure / none

}  // namespace krax::cab

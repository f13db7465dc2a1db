// The standard client functions for the cabinet writer: POSIX file descriptors, the C
// heap, and temporary files named "xx..." in the system's temporary folder.
#pragma once

#include "archive/cab/cab_writer.h"

namespace krax::cab {

CabWriterClient MakeStandardCabWriterClient();

// The standard temporary-file namer: a fresh name beginning "xx" in the system's temporary
// folder; false when it does not fit into `size` bytes with its zero byte.
bool StandardCabTempName(char* buffer, std::size_t size);

}  // namespace krax::cab

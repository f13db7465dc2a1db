// The standard client functions for the cabinet writer: the platform's files, the C
// heap, and temporary files named ".krax-..." in the system's temporary folder. The
// program's own cabinets replace the namer by one for a folder beside the cabinet.
#pragma once

#include <cstddef>
#include <string>

#include "archive/cab/cab_writer.h"

namespace krax::cab {

CabWriterClient MakeStandardCabWriterClient();

// A fresh temporary-file name ".krax-..." in `folder`; false when it does not fit into
// `size` bytes with its zero byte.
bool CabTempNameIn(const std::string& folder, char* buffer, std::size_t size);

// The standard namer: CabTempNameIn the system's temporary folder.
bool StandardCabTempName(char* buffer, std::size_t size);

}  // namespace krax::cab

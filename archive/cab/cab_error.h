// What the cabinet reader and writer share with their clients: the error record that every
// failure fills, and the numeric file handles their client functions work on.
#pragma once

#include <cstdint>
#include <string>

#include "archive/archive_status.h"

namespace krax::cab {

struct CabError {
  int code = 0;         // the reader's or writer's numeric code of `status` (see archive_status.h)
  int systemError = 0;  // errno from the client's file functions, 0 when none
  bool failed = false;
  ArchiveStatus status = ArchiveStatus::kOk;
  std::string detail;   // what failed, for the user ("checksum mismatch in block 12 of folder 0")

  ArchiveResult result() const { return {status, systemError, detail}; }
};

using CabHandle = std::intptr_t;  // -1 = failure / none

}  // namespace krax::cab

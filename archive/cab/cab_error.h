// What the cabinet reader and writer share with their clients: the error record that every
// failure fills, and the numeric file handles their client functions work on.
#pragma once

#include <cstdint>

namespace krax::cab {

struct CabError {
  int code = 0;         // a reader or writer error code (see cab_reader.h, cab_writer.h)
  int systemError = 0;  // errno from the client's file functions, 0 when none
  bool failed = false;
};

using CabHandle = std::intptr_t;  // -1 = failure / none

}  // namespace krax::cab

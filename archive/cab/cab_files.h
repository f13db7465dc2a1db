// How the cabinet reader and the cabinet writer reach files: one small interface over
// numeric handles (-1 = none), each call giving the system error number of a failure in
// `error`. open takes open(2) flags from <fcntl.h> and returns -1 on failure; read and write
// return the number of bytes moved or -1; seek (origin SEEK_SET, SEEK_CUR or SEEK_END) the
// new position or -1; close and remove 0 on success. The reader only opens for reading and
// never removes.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "archive/cab/cab_error.h"

namespace krax::cab {

struct CabFiles {
  std::function<CabHandle(const std::string& path, int flags, int mode, int& error)> open;
  std::function<long long(CabHandle handle, void* buffer, std::size_t count, int& error)> read;
  std::function<long long(CabHandle handle, const void* buffer, std::size_t count, int& error)> write;
  std::function<long long(CabHandle handle, long long offset, int origin, int& error)> seek;
  std::function<int(CabHandle handle, int& error)> close;
  std::function<int(const std::string& path, int& error)> remove;
};

// The platform's files (platform/file_io.h), on every system.
CabFiles PlatformCabFiles();

}  // namespace krax::cab

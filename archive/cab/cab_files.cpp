// The cabinet reader's file functions over the platform's files.
#include <fcntl.h>
#include <unistd.h>

#include <memory>

#include "archive/cab/cab_reader.h"
#include "platform/file_io.h"

namespace krax::cab {

CabFileFunctions PosixCabFileFunctions() {
  // The system error number of the last failure, for lastError.
  auto last = std::make_shared<int>(0);
  CabFileFunctions files;
  files.open = [last](const std::string& path) -> CabHandle {
    return file_io::Open(path, O_RDONLY, 0, *last);
  };
  files.read = [last](CabHandle handle, void* buffer, std::size_t count) {
    return file_io::Read(static_cast<int>(handle), buffer, count, *last);
  };
  files.write = [last](CabHandle handle, const void* buffer, std::size_t count) {
    return file_io::Write(static_cast<int>(handle), buffer, count, *last);
  };
  files.close = [last](CabHandle handle) { return file_io::Close(static_cast<int>(handle), *last); };
  files.seek = [last](CabHandle handle, long long offset, int origin) {
    const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    return file_io::Seek(static_cast<int>(handle), offset, whence, *last);
  };
  files.lastError = [last] { return *last; };
  return files;
}

}  // namespace krax::cab

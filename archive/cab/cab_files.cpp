// The cabinet reader's and writer's files over the platform's files.
#include "archive/cab/cab_files.h"

#include "platform/file_io.h"

namespace krax::cab {

CabFiles PlatformCabFiles() {
  CabFiles files;
  files.open = [](const std::string& path, int flags, int mode, int& error) -> CabHandle {
    return file_io::Open(path, flags, mode, error);
  };
  files.read = [](CabHandle handle, void* buffer, std::size_t count, int& error) {
    return file_io::Read(static_cast<int>(handle), buffer, count, error);
  };
  files.write = [](CabHandle handle, const void* buffer, std::size_t count, int& error) {
    return file_io::Write(static_cast<int>(handle), buffer, count, error);
  };
  files.seek = [](CabHandle handle, long long offset, int origin, int& error) {
    return file_io::Seek(static_cast<int>(handle), offset, origin, error);
  };
  files.close = [](CabHandle handle, int& error) { return file_io::Close(static_cast<int>(handle), error); };
  files.remove = [](const std::string& path, int& error) { return file_io::Remove(path, error); };
  return files;
}

}  // namespace krax::cab

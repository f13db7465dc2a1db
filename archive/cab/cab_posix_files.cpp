// The cabinet reader's file functions over POSIX descriptors.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "archive/cab/cab_reader.h"

namespace krax::cab {

CabFileFunctions PosixCabFileFunctions() {
  CabFileFunctions files;
  files.open = [](const std::string& path) -> CabHandle {
    int fd;
    do {
      fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? -1 : fd;
  };
  files.read = [](CabHandle handle, void* buffer, std::size_t count) -> long long {
    std::size_t done = 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (done < count) {
      const ssize_t got = ::read(static_cast<int>(handle), bytes + done, count - done);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return -1;
      if (got == 0) break;
      done += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(done);
  };
  files.write = [](CabHandle handle, const void* buffer, std::size_t count) -> long long {
    std::size_t done = 0;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    while (done < count) {
      const ssize_t put = ::write(static_cast<int>(handle), bytes + done, count - done);
      if (put < 0 && errno == EINTR) continue;
      if (put <= 0) return done > 0 ? static_cast<long long>(done) : -1;
      done += static_cast<std::size_t>(put);
    }
    return static_cast<long long>(done);
  };
  files.close = [](CabHandle handle) -> int { return ::close(static_cast<int>(handle)); };
  files.seek = [](CabHandle handle, long long offset, int origin) -> long long {
    const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : SEEK_END;
    return ::lseek(static_cast<int>(handle), static_cast<off_t>(offset), whence);
  };
  return files;
}

}  // namespace krax::cab

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_io.h"

namespace krax::file_io {

int Open(const std::string& path, int flags, int mode, int& err) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) err = errno;
  return fd < 0 ? -1 : fd;
}

long long Read(int fd, void* buffer, std::size_t count, int& err) {
  std::size_t done = 0;
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (done < count) {
    const ssize_t got = ::read(fd, bytes + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      err = errno;
      return -1;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<long long>(done);
}

long long Write(int fd, const void* buffer, std::size_t count, int& err) {
  std::size_t done = 0;
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  while (done < count) {
    const ssize_t put = ::write(fd, bytes + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      err = put < 0 ? errno : EIO;
      return -1;
    }
    done += static_cast<std::size_t>(put);
  }
  return static_cast<long long>(done);
}

long long Seek(int fd, long long offset, int whence, int& err) {
  const off_t pos = ::lseek(fd, static_cast<off_t>(offset), whence);
  if (pos < 0) err = errno;
  return pos < 0 ? -1 : static_cast<long long>(pos);
}

int Close(int fd, int& err) {
  if (::close(fd) != 0) {
    err = errno;
    return -1;
  }
  return 0;
}

int Remove(const std::string& path, int& err) {
  if (::unlink(path.c_str()) != 0) {
    err = errno;
    return -1;
  }
  return 0;
}

}  // namespace krax::file_io

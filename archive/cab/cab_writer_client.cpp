#include "archive/cab/cab_writer_client.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

namespace krax::cab {

bool StandardCabTempName(char* buffer, std::size_t size) {
  static std::mt19937_64 random{std::random_device{}()};
  std::error_code ec;
  std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
  if (ec) folder = "/tmp";
  char suffix[24];
  std::snprintf(suffix, sizeof suffix, "xx%012llx",
                static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
  const std::string name = (folder / suffix).string();
  if (name.size() >= size) return false;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  return true;
}

CabWriterClient MakeStandardCabWriterClient() {
  CabWriterClient c;
  c.filePlaced = [](const CabinetParameters&, const std::string&, std::uint32_t, bool) { return 0; };
  c.allocate = [](std::size_t size) { return std::malloc(size); };
  c.release = [](void* block) { std::free(block); };
  c.open = [](const std::string& name, int oflag, int pmode, int& err) -> CabHandle {
    const int fd = ::open(name.c_str(), oflag | O_CLOEXEC, pmode);
    if (fd < 0) err = errno;
    return fd;
  };
  c.read = [](CabHandle h, void* buffer, unsigned count, int& err) -> long {
    for (;;) {
      const ssize_t n = ::read(static_cast<int>(h), buffer, count);
      if (n >= 0) return static_cast<long>(n);
      if (errno != EINTR) {
        err = errno;
        return -1;
      }
    }
  };
  c.write = [](CabHandle h, const void* buffer, unsigned count, int& err) -> long {
    const auto* p = static_cast<const char*>(buffer);
    unsigned done = 0;
    while (done < count) {
      const ssize_t n = ::write(static_cast<int>(h), p + done, count - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        err = errno;
        return -1;
      }
      done += static_cast<unsigned>(n);
    }
    return static_cast<long>(done);
  };
  c.close = [](CabHandle h, int& err) {
    if (::close(static_cast<int>(h)) != 0) {
      err = errno;
      return -1;
    }
    return 0;
  };
  c.seek = [](CabHandle h, long offset, int origin, int& err) -> long {
    const off_t pos = ::lseek(static_cast<int>(h), offset, origin);
    if (pos < 0) err = errno;
    return static_cast<long>(pos);
  };
  c.remove = [](const std::string& name, int& err) {
    if (::unlink(name.c_str()) != 0) {
      err = errno;
      return -1;
    }
    return 0;
  };
  c.tempName = StandardCabTempName;
  return c;
}

}  // namespace krax::cab

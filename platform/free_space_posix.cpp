#include <sys/statvfs.h>

#include <string>

#include "platform/free_space.h"

namespace krax {

std::optional<std::uint64_t> FreeSpace(std::string_view folder) {
  struct statvfs info;
  if (::statvfs(std::string(folder).c_str(), &info) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(info.f_bavail) * static_cast<std::uint64_t>(info.f_frsize);
}

}  // namespace krax

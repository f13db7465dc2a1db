#include "platform/free_space.h"

#include "platform/windows_support.h"

namespace krax {

std::optional<std::uint64_t> FreeSpace(std::string_view folder) {
  // The bytes available to this user (quotas included), as statvfs's f_bavail on Linux.
  ULARGE_INTEGER available{};
  if (!::GetDiskFreeSpaceExW(win::SystemPath(folder).c_str(), &available, nullptr, nullptr)) return std::nullopt;
  return static_cast<std::uint64_t>(available.QuadPart);
}

}  // namespace krax

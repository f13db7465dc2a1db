// Room left on the file system that holds a folder, for refusing work that cannot fit
// before anything is written.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace krax {

// Bytes an unprivileged user may still write on the file system of `folder`; nullopt when
// it cannot be asked.
std::optional<std::uint64_t> FreeSpace(std::string_view folder);

}  // namespace krax

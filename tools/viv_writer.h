// Writes VIV car archives for tests and the demo installation.
//
// Layout written (all header and directory numbers big-endian):
//   bytes 0-3   "KVIV", our own tag (readers of the game's archives ignore bytes 0-11)
//   bytes 4-7   total file size
//   bytes 8-11  entry count
//   bytes 12-15 directory end D: the first byte after the directory
//   16 .. D-1   directory: per entry data offset, data size, name, zero byte
//   D ..        entry data, in directory order, back to back
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_order.h"  // the stores the archive and entry writers use

namespace krax {

inline constexpr std::string_view kVivWriterTag = "KVIV";
inline constexpr std::size_t kVivHeaderSize = 16;

struct VivSourceEntry {
  std::string name;       // stored as is (case kept); must not contain a zero byte
  std::string_view data;  // the caller keeps it alive until the archive is built
};

// Returns the complete archive. Throws std::invalid_argument for a name holding a zero byte
// and std::length_error when the archive would not fit the 32-bit offsets.
std::string BuildVivArchive(const std::vector<VivSourceEntry>& entries);

// Same, appended to `out` (lets a caller reuse one buffer for many archives).
void AppendVivArchive(std::string& out, const std::vector<VivSourceEntry>& entries);


}  // namespace krax

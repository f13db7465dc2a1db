#include "tools/viv_writer.h"

#include <limits>
#include <stdexcept>

namespace krax {

void AppendVivArchive(std::string& out, const std::vector<VivSourceEntry>& entries) {
  std::uint64_t directoryEnd = kVivHeaderSize;
  std::uint64_t dataSize = 0;
  for (const VivSourceEntry& entry : entries) {
    if (entry.name.find('\0') != std::string::npos) {
      throw std::invalid_argument("VIV entry name holds a zero byte");
    }
    directoryEnd += 8 + entry.name.size() + 1;
    dataSize += entry.data.size();
  }
  const std::uint64_t total = directoryEnd + dataSize;
  if (total > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("VIV archive larger than 4 GiB");
  }

  out.reserve(out.size() + total);
  out.append(kVivWriterTag);
  AppendBigEndian32(out, static_cast<std::uint32_t>(total));
  AppendBigEndian32(out, static_cast<std::uint32_t>(entries.size()));
  AppendBigEndian32(out, static_cast<std::uint32_t>(directoryEnd));

  std::uint64_t offset = directoryEnd;
  for (const VivSourceEntry& entry : entries) {
    AppendBigEndian32(out, static_cast<std::uint32_t>(offset));
    AppendBigEndian32(out, static_cast<std::uint32_t>(entry.data.size()));
    out.append(entry.name);
    out.push_back('\0');
    offset += entry.data.size();
  }
  for (const VivSourceEntry& entry : entries) out.append(entry.data);
}

std::string BuildVivArchive(const std::vector<VivSourceEntry>& entries) {
  std::string out;
  AppendVivArchive(out, entries);
  return out;
}

}  // namespace krax

#include "tools/viv_writer.h"

#include <limits>
#include <stdexcept>

namespace krax {

void AppendBigEndian32(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value >> 24));
  out.push_back(static_cast<char>(value >> 16));
  out.push_back(static_cast<char>(value >> 8));
  out.push_back(static_cast<char>(value));
}

void AppendLittleEndian16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value));
  out.push_back(static_cast<char>(value >> 8));
}

void AppendLittleEndian32(std::string& out, std::uint32_t value) {
  AppendLittleEndian16(out, static_cast<std::uint16_t>(value));
  AppendLittleEndian16(out, static_cast<std::uint16_t>(value >> 16));
}

void StoreLittleEndian16(std::string& buffer, std::size_t at, std::uint16_t value) {
  buffer.at(at + 1);  // bounds check once for both bytes
  buffer[at] = static_cast<char>(value);
  buffer[at + 1] = static_cast<char>(value >> 8);
}

void StoreLittleEndian32(std::string& buffer, std::size_t at, std::uint32_t value) {
  StoreLittleEndian16(buffer, at, static_cast<std::uint16_t>(value));
  StoreLittleEndian16(buffer, at + 2, static_cast<std::uint16_t>(value >> 16));
}

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

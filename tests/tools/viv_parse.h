// A reader of the VIV layout written independently of the program's own, so that the
// writer's output is checked against the layout rather than against itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krax::test {

inline std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(at))) << 24 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(at + 1))) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(at + 2))) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(at + 3)));
}

inline std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(at))) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(at + 1))) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(at + 2))) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(bytes.at(at + 3))) << 24;
}

inline std::uint16_t LittleEndian16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes.at(at)) |
                                    static_cast<unsigned char>(bytes.at(at + 1)) << 8);
}

struct ParsedEntry {
  std::string name;
  std::uint32_t offset = 0, size = 0;
  std::string data;
};

// The entries of an archive; nullopt when the layout is broken anywhere.
inline std::optional<std::vector<ParsedEntry>> ParseViv(std::string_view file) {
  if (file.size() < 16) return std::nullopt;
  const std::uint32_t end = BigEndian32(file, 12);
  if (end < 16 || end > file.size()) return std::nullopt;
  std::vector<ParsedEntry> entries;
  std::size_t p = 16;
  while (p + 3 < end) {
    if (p + 8 > end) return std::nullopt;
    ParsedEntry entry;
    entry.offset = BigEndian32(file, p);
    entry.size = BigEndian32(file, p + 4);
    const std::size_t zero = file.find('\0', p + 8);
    if (zero == std::string_view::npos || zero >= end) return std::nullopt;
    entry.name = std::string(file.substr(p + 8, zero - p - 8));
    if (std::uint64_t{entry.offset} + entry.size > file.size()) return std::nullopt;
    entry.data = std::string(file.substr(entry.offset, entry.size));
    entries.push_back(std::move(entry));
    p = zero + 1;
  }
  return entries;
}

inline const ParsedEntry* FindEntry(const std::vector<ParsedEntry>& entries, std::string_view name) {
  for (const ParsedEntry& entry : entries) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

// Value n of a carp.txt text, found the way the game's tools find it: the first "(n)" CR LF,
// the value running to the next CR. nullopt when the key is missing.
inline std::optional<std::string> CarpValue(std::string_view carp, int n) {
  const std::string key = "(" + std::to_string(n) + ")\r\n";
  const std::size_t at = carp.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  const std::size_t start = at + key.size();
  const std::size_t end = carp.find('\r', start);
  return std::string(carp.substr(start, end == std::string_view::npos ? carp.npos : end - start));
}

// The zero-terminated text at `offset` in `bytes` ("" past the end).
inline std::string TextAt(std::string_view bytes, std::size_t offset) {
  if (offset >= bytes.size()) return "";
  const std::size_t zero = bytes.find('\0', offset);
  return std::string(bytes.substr(offset, zero == std::string_view::npos ? bytes.npos : zero - offset));
}

}  // namespace krax::test

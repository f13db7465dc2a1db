// Little- and big-endian numbers inside files, for every room of the program: the game's
// files (VIV archives, front-end records, text files) and cabinets. Callers check the
// bounds of raw pointers; the std::string stores check theirs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace krax {

// --- raw bytes ---------------------------------------------------------------------------
inline std::uint16_t LoadLE16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t LoadLE32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint32_t LoadBE32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}
inline void StoreLE16(std::uint8_t* p, std::uint16_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
}
inline void StoreLE32(std::uint8_t* p, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}
inline void AppendLE16(std::vector<std::uint8_t>& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void AppendLE32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// --- bytes held in strings ---------------------------------------------------------------
inline const std::uint8_t* BytesAt(std::string_view bytes, std::size_t offset) {
  return reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset;
}
inline std::uint16_t LittleEndian16(std::string_view bytes, std::size_t offset) {
  return LoadLE16(BytesAt(bytes, offset));
}
inline std::uint32_t LittleEndian32(std::string_view bytes, std::size_t offset) {
  return LoadLE32(BytesAt(bytes, offset));
}
inline void AppendBigEndian32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}
inline void AppendLittleEndian16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value));
  out.push_back(static_cast<char>(value >> 8));
}
inline void AppendLittleEndian32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
}
// Overwrites bytes already in `buffer`; throws std::out_of_range past its end.
inline void StoreLittleEndian16(std::string& buffer, std::size_t at, std::uint16_t value) {
  buffer.at(at + 1);  // bounds check once for both bytes
  buffer[at] = static_cast<char>(value);
  buffer[at + 1] = static_cast<char>(value >> 8);
}
inline void StoreLittleEndian32(std::string& buffer, std::size_t at, std::uint32_t value) {
  buffer.at(at + 3);
  for (int i = 0; i < 4; ++i) buffer[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

}  // namespace krax

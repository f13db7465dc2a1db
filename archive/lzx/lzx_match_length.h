// Byte comparison shared by the match finders.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace krax::lzx {

// How far `a` and `b` agree from `len` on, up to `limit`; eight bytes at a time where the
// first differing byte is the lowest one of the differing word.
inline std::uint32_t Extend(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t len, std::uint32_t limit) {
  while (std::endian::native == std::endian::little && len + 8 <= limit) {
    std::uint64_t x, y;
    std::memcpy(&x, a + len, 8);
    std::memcpy(&y, b + len, 8);
    if (x != y) return len + static_cast<std::uint32_t>(std::countr_zero(x ^ y) >> 3);
    len += 8;
  }
  while (len < limit && a[len] == b[len]) ++len;
  return len;
}

}  // namespace krax::lzx

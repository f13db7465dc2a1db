// The unit the LZX parser hands to the block writer: a literal byte or a match whose
// offset is already in formatted form (0-2 name a repeated offset, otherwise offset + 2).
#pragma once

#include <bit>
#include <cstdint>

#include "archive/lzx/lzx_constants.h"

namespace krax::lzx {

struct LzxToken {
  std::uint32_t formattedOffset = 0;  // matches only
  std::uint16_t length = 0;           // 0 for a literal, else 2..257
  std::uint8_t literal = 0;

  bool isLiteral() const { return length == 0; }
  static LzxToken Literal(std::uint8_t byte) { return {0, 0, byte}; }
  static LzxToken Match(std::uint32_t length, std::uint32_t formattedOffset) {
    return {formattedOffset, static_cast<std::uint16_t>(length), 0};
  }
};

// The position slot of a formatted offset.
inline unsigned PositionSlotOf(std::uint32_t formattedOffset) {
  if (formattedOffset < 4) return formattedOffset;
  if (formattedOffset >= kPositionBase[36]) {
    return 36 + (formattedOffset - kPositionBase[36]) / (1u << kMaxExtraBits);
  }
  const unsigned top = 31 - static_cast<unsigned>(std::countl_zero(formattedOffset));
  return 2 * top + ((formattedOffset >> (top - 1)) & 1u);
}

// The three repeated offsets, 1 1 1 at the start of a stream.
struct LzxRepeats {
  std::uint32_t r[3] = {1, 1, 1};

  // Formatted offset for a match at `distance`, updating the repeats as a decoder will.
  std::uint32_t Use(std::uint32_t distance) {
    if (distance == r[0]) return 0;
    if (distance == r[1]) {
      std::swap(r[0], r[1]);
      return 1;
    }
    if (distance == r[2]) {
      std::swap(r[0], r[2]);
      return 2;
    }
    r[2] = r[1];
    r[1] = r[0];
    r[0] = distance;
    return distance + kOffsetBias;
  }
};

}  // namespace krax::lzx

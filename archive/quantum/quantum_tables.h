// Fixed tables of the Quantum method: model sizes, match-offset slots and match-length slots.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace krax::quantum {

inline constexpr int kMinWindowBits = 10;
inline constexpr int kMaxWindowBits = 21;

// Output is produced in frames of this many bytes; a cabinet data block holds one frame.
inline constexpr std::uint32_t kFrameSize = 32768;
// The largest compressed frame (data block) a cabinet may carry.
inline constexpr std::size_t kMaxCompressedFrame = kFrameSize + 10240;

// Selector symbols: 0-3 pick a literal model (one per quarter of the byte range),
// 4 a match of length 3, 5 a match of length 4, 6 a longer match with a coded length.
inline constexpr int kSelectorSymbols = 7;
inline constexpr int kLiteralModels = 4;
inline constexpr int kLiteralSymbols = 64;
inline constexpr int kSelectorMatch3 = 4;
inline constexpr int kSelectorMatch4 = 5;
inline constexpr int kSelectorLongMatch = 6;

inline constexpr int kLengthSlots = 27;
inline constexpr std::uint32_t kLongMatchMinLength = 5;
inline constexpr int kMaxPositionSlots = 2 * kMaxWindowBits;  // 42

// Offset slot s covers offsets 1 + kPositionBase[s] .. kPositionBase[s] + 2^kPositionExtraBits[s].
// The extra bits follow the slot as plain bits, most significant first.
inline constexpr std::array<std::uint32_t, kMaxPositionSlots + 1> kPositionBase = [] {
  std::array<std::uint32_t, kMaxPositionSlots + 1> base{};
  std::uint32_t next = 0;
  for (int slot = 0; slot <= kMaxPositionSlots; ++slot) {
    base[static_cast<std::size_t>(slot)] = next;
    const int extra = slot < 4 ? 0 : (slot - 2) / 2;
    next += std::uint32_t{1} << extra;
  }
  return base;
}();

inline constexpr std::array<std::uint8_t, kMaxPositionSlots> kPositionExtraBits = [] {
  std::array<std::uint8_t, kMaxPositionSlots> bits{};
  for (int slot = 0; slot < kMaxPositionSlots; ++slot) {
    bits[static_cast<std::size_t>(slot)] = static_cast<std::uint8_t>(slot < 4 ? 0 : (slot - 2) / 2);
  }
  return bits;
}();

// Long-match length = kLongMatchMinLength + kLengthBase[slot] + extra bits (5..259).
inline constexpr std::array<std::uint32_t, kLengthSlots> kLengthBase = {
    0, 1, 2, 3, 4, 5, 6, 8, 10, 12, 14, 18, 22, 26, 30, 38, 46, 54, 62, 78, 94, 110, 126, 158, 190, 222, 254};
inline constexpr std::array<std::uint8_t, kLengthSlots> kLengthExtraBits = {
    0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
inline constexpr std::uint32_t kMaxMatchLength =
    kLongMatchMinLength + kLengthBase[kLengthSlots - 1] + (1u << kLengthExtraBits[kLengthSlots - 1]) - 1;

static_assert(kPositionBase[2 * kMinWindowBits] == 1u << kMinWindowBits);
static_assert(kPositionBase[2 * kMaxWindowBits] == 1u << kMaxWindowBits);
static_assert(kMaxMatchLength == 259);

// Number of offset slots of the three match models for a window of 2^windowBits bytes:
// the slots never reach beyond the window, and the short matches use fewer of them.
inline constexpr int PositionSlots(int windowBits) { return 2 * windowBits; }
inline constexpr int Match3Slots(int windowBits) { return PositionSlots(windowBits) < 24 ? PositionSlots(windowBits) : 24; }
inline constexpr int Match4Slots(int windowBits) { return PositionSlots(windowBits) < 36 ? PositionSlots(windowBits) : 36; }

}  // namespace krax::quantum

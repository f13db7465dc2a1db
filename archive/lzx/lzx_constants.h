// Fixed numbers of the LZX bitstream as cabinets use it, shared by the decoder and the
// encoder: block types, tree sizes, match lengths, and the position-slot tables (the base
// of each slot's offset range and the number of extra bits that refine it).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace krax::lzx {

// Window sizes 2^15 .. 2^21.
inline constexpr int kMinWindowBits = 15;
inline constexpr int kMaxWindowBits = 21;

// Output is cut into frames of this many bytes; each cabinet data block holds one frame.
inline constexpr std::size_t kFrameSize = 32768;
// The largest compressed frame (data block) a cabinet may carry.
inline constexpr std::size_t kMaxCompressedFrame = kFrameSize + 6144;

// Block types (3 bits at the start of each block).
inline constexpr unsigned kBlockTypeVerbatim = 1;
inline constexpr unsigned kBlockTypeAligned = 2;
inline constexpr unsigned kBlockTypeUncompressed = 3;
inline constexpr unsigned kBlockTypeBits = 3;
inline constexpr unsigned kBlockSizeBits = 24;

// Trees.
inline constexpr unsigned kNumChars = 256;             // literal elements of the main tree
inline constexpr unsigned kNumPrimaryLengths = 7;      // length headers 0..6; 7 = length tree
inline constexpr unsigned kLengthHeaderEscape = 7;
inline constexpr unsigned kPretreeSize = 20;
inline constexpr unsigned kPretreeLengthBits = 4;
inline constexpr unsigned kLengthTreeSize = 249;
inline constexpr unsigned kAlignedTreeSize = 8;
inline constexpr unsigned kAlignedLengthBits = 3;
inline constexpr unsigned kAlignedBits = 3;            // low offset bits an aligned symbol gives
inline constexpr unsigned kMaxAlignedLength = 7;       // longest aligned code (3 bits hold its length)
inline constexpr unsigned kMaxCodeLength = 16;

// Pretree symbols used to send tree path lengths.
inline constexpr unsigned kPretreeZerosShort = 17;     // 4 + 4-bit count zeros
inline constexpr unsigned kPretreeZerosLong = 18;      // 20 + 5-bit count zeros
inline constexpr unsigned kPretreeSameRun = 19;        // 4 + 1-bit count copies of one value

// Matches.
inline constexpr unsigned kMinMatch = 2;
inline constexpr unsigned kMaxMatch = 257;             // 7 + 2 + 248 (largest length symbol)
inline constexpr unsigned kNumRepeatedOffsets = 3;

// Position slots.
inline constexpr unsigned kMaxPositionSlots = 50;      // for a 2^21 window
inline constexpr unsigned kMainTreeMaxSize = kNumChars + 8 * kMaxPositionSlots;  // 656
inline constexpr unsigned kMaxExtraBits = 17;

// Number of position slots for window exponents 15..21.
inline constexpr std::array<unsigned, 7> kPositionSlotsByWindow = {30, 32, 34, 36, 38, 42, 50};

constexpr unsigned PositionSlotsForWindow(int windowBits) {
  return (windowBits < kMinWindowBits || windowBits > kMaxWindowBits)
             ? 0
             : kPositionSlotsByWindow[static_cast<std::size_t>(windowBits - kMinWindowBits)];
}
constexpr unsigned MainTreeSize(unsigned positionSlots) { return kNumChars + 8 * positionSlots; }

// Extra bits per slot: 0 for slots 0-3, then (slot - 2) / 2 capped at 17.
constexpr std::array<std::uint8_t, kMaxPositionSlots + 1> MakeExtraBits() {
  std::array<std::uint8_t, kMaxPositionSlots + 1> bits{};
  for (unsigned slot = 0; slot <= kMaxPositionSlots; ++slot) {
    unsigned extra = slot < 4 ? 0 : (slot - 2) / 2;
    bits[slot] = static_cast<std::uint8_t>(extra > kMaxExtraBits ? kMaxExtraBits : extra);
  }
  return bits;
}
inline constexpr std::array<std::uint8_t, kMaxPositionSlots + 1> kExtraBits = MakeExtraBits();

// Base of each slot's formatted offset: each slot starts where the previous one's range ends.
constexpr std::array<std::uint32_t, kMaxPositionSlots + 1> MakePositionBase() {
  std::array<std::uint32_t, kMaxPositionSlots + 1> base{};
  for (unsigned slot = 1; slot <= kMaxPositionSlots; ++slot) {
    base[slot] = base[slot - 1] + (1u << kExtraBits[slot - 1]);
  }
  return base;
}
inline constexpr std::array<std::uint32_t, kMaxPositionSlots + 1> kPositionBase = MakePositionBase();

static_assert(kPositionBase[4] == 4 && kPositionBase[6] == 8 && kPositionBase[36] == 262144);
static_assert(kPositionBase[42] == 1048576 && kPositionBase[50] == 2097152);

// A match's formatted offset is its real offset + 2 (0-2 stand for the repeated offsets).
inline constexpr std::uint32_t kOffsetBias = 2;

// Intel E8 call translation.
inline constexpr std::uint8_t kE8Opcode = 0xE8;
inline constexpr std::uint32_t kE8MaxFrames = 32768;      // only the first frames are translated
inline constexpr std::size_t kE8MinFrameSize = 11;        // frames of 10 bytes or fewer: none
inline constexpr std::size_t kE8TailUntouched = 6;        // last 6 bytes of a frame untouched
inline constexpr std::uint32_t kDefaultE8TranslationSize = 12000000;

}  // namespace krax::lzx

// Bit costs of LZX tokens, as the near-optimal parser sees them.
//
// A token's cost in a block is the length of its main-tree code, plus for long matches the
// length-tree code, plus the offset's extra bits (in an aligned-offset block, three of
// them replaced by an aligned-tree code). Those code lengths are only known once the
// block's statistics are, so the parser works with estimates: the lengths a Huffman code
// for an earlier parse's counts would have. The encoder parses each frame twice, the
// second time with the lengths counted from the first parse of that same frame, so the
// costs the final parse optimises are close to the bits the block writer then spends.
//
// Elements that the counts never saw get long codes rather than none: every counted
// element has its frequency scaled up before the lengths are built, and every uncounted
// one a weight of 1, so a Huffman code over all of them gives the rare elements the
// lengths a block using them once would roughly give them.
#pragma once

#include <array>
#include <cstdint>

#include "archive/lzx/lzx_block_stats.h"
#include "archive/lzx/lzx_constants.h"
#include "archive/lzx/lzx_token.h"

namespace krax::lzx {

class LzxCostModel {
 public:
  // Neutral guesses for the start of a stream: 8 bits a literal, longer codes for matches.
  explicit LzxCostModel(unsigned positionSlots);

  // The lengths of Huffman codes for these counts; aligned-offset costs when an aligned
  // block would pay off for them.
  void SetFromStats(const LzxBlockStats& stats);

  std::uint32_t Literal(std::uint8_t byte) const { return main_[byte]; }
  // Whether the costs are those of an aligned-offset block.
  bool aligned() const { return aligned_; }

  // A match of `length` (2..257) with this formatted offset (0-2: a repeated offset).
  std::uint32_t Match(std::uint32_t length, std::uint32_t formattedOffset) const {
    const unsigned slot = PositionSlotOf(formattedOffset);
    return MatchHeader(length, slot) + OffsetBits(formattedOffset, slot);
  }
  // The main-tree and length-tree part of a match's cost.
  std::uint32_t MatchHeader(std::uint32_t length, unsigned slot) const {
    const std::uint32_t header = length - kMinMatch;
    if (header < kLengthHeaderEscape) return main_[kNumChars + slot * 8 + header];
    return main_[kNumChars + slot * 8 + kLengthHeaderEscape] + length_[header - kLengthHeaderEscape];
  }
  // The extra-bits part.
  std::uint32_t OffsetBits(std::uint32_t formattedOffset, unsigned slot) const {
    const unsigned extra = kExtraBits[slot];
    if (!aligned_ || extra < kAlignedBits) return extra;
    return extra - kAlignedBits + alignedCost_[formattedOffset & 7u];
  }

 private:
  unsigned mainSize_;
  std::array<std::uint32_t, kMainTreeMaxSize> main_{};
  std::array<std::uint32_t, kLengthTreeSize> length_{};
  std::array<std::uint32_t, kAlignedTreeSize> alignedCost_{};
  bool aligned_ = false;
};

}  // namespace krax::lzx

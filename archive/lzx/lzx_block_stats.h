// Symbol counts of a run of LZX tokens: what the trees of a block are built from.
//
// Every token adds one main-tree element (a literal byte, or the match's position slot
// and length header), a match longer than 8 bytes one length-tree element, and a match
// whose offset has 3 or more extra bits one aligned-offset element (the offset's low three
// bits). The extra bits themselves are counted as they would be sent in a verbatim block;
// an aligned-offset block sends 3 of them through the aligned tree instead. The block
// writer, the cost model and the block splitter all count with this one struct, so their
// numbers agree.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "archive/lzx/lzx_constants.h"
#include "archive/lzx/lzx_token.h"

namespace krax::lzx {

struct LzxBlockStats {
  std::array<std::uint32_t, kMainTreeMaxSize> main{};
  std::array<std::uint32_t, kLengthTreeSize> length{};
  std::array<std::uint32_t, kAlignedTreeSize> aligned{};
  std::uint64_t alignedCount = 0;  // matches with an aligned-tree element
  std::uint64_t extraBits = 0;     // extra offset bits in a verbatim block
  std::uint32_t items = 0;
  std::uint32_t matches = 0;

  void Add(const LzxToken& t) {
    ++items;
    if (t.isLiteral()) {
      ++main[t.literal];
      return;
    }
    ++matches;
    const unsigned slot = PositionSlotOf(t.formattedOffset);
    const unsigned header = std::min<unsigned>(t.length - kMinMatch, kLengthHeaderEscape);
    ++main[kNumChars + slot * 8 + header];
    if (header == kLengthHeaderEscape) ++length[t.length - kMinMatch - kLengthHeaderEscape];
    extraBits += kExtraBits[slot];
    if (kExtraBits[slot] >= kAlignedBits) {
      ++aligned[(t.formattedOffset - kPositionBase[slot]) & 7u];
      ++alignedCount;
    }
  }
  void Add(const std::vector<LzxToken>& tokens, std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) Add(tokens[i]);
  }
  // Whether an aligned-offset block, with these aligned code lengths, costs less than a
  // verbatim one: when its tree saves more than the 24 bits that send it.
  bool AlignedBlockPays(const std::uint8_t* alignedLengths) const {
    std::uint64_t alignedBits = kAlignedTreeSize * kAlignedLengthBits;
    for (unsigned s = 0; s < kAlignedTreeSize; ++s) alignedBits += std::uint64_t{aligned[s]} * alignedLengths[s];
    return alignedBits < alignedCount * kAlignedBits;
  }
  void Add(const LzxBlockStats& o) {
    for (std::size_t i = 0; i < main.size(); ++i) main[i] += o.main[i];
    for (std::size_t i = 0; i < length.size(); ++i) length[i] += o.length[i];
    for (std::size_t i = 0; i < aligned.size(); ++i) aligned[i] += o.aligned[i];
    alignedCount += o.alignedCount;
    extraBits += o.extraBits;
    items += o.items;
    matches += o.matches;
  }
};

}  // namespace krax::lzx

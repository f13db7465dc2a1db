#include "archive/lzx/lzx_cost_model.h"

#include <algorithm>

#include "archive/lzx/lzx_huffman_builder.h"

namespace krax::lzx {
namespace {

// Counted elements weigh this much more than uncounted ones.
constexpr std::uint32_t kSeenWeight = 8;

template <std::size_t N>
void LengthsFor(const std::array<std::uint32_t, N>& counts, std::size_t used, unsigned maxLength,
                std::array<std::uint32_t, N>& costs) {
  std::array<std::uint32_t, N> weights{};
  for (std::size_t i = 0; i < used; ++i) {
    weights[i] = counts[i] ? counts[i] * kSeenWeight : 1;
  }
  std::array<std::uint8_t, N> lengths{};
  BuildHuffmanLengths(weights.data(), used, maxLength, lengths.data());
  for (std::size_t i = 0; i < used; ++i) costs[i] = lengths[i];
}

}  // namespace

LzxCostModel::LzxCostModel(unsigned positionSlots) : mainSize_(MainTreeSize(positionSlots)) {
  for (unsigned i = 0; i < kNumChars; ++i) main_[i] = 8;
  for (unsigned slot = 0; slot < positionSlots; ++slot) {
    for (unsigned h = 0; h < 8; ++h) main_[kNumChars + slot * 8 + h] = (slot < 3 ? 7 : 9) + h / 2;
  }
  length_.fill(7);
  alignedCost_.fill(3);
}

void LzxCostModel::SetFromStats(const LzxBlockStats& stats) {
  LengthsFor(stats.main, mainSize_, kMaxCodeLength, main_);
  LengthsFor(stats.length, kLengthTreeSize, kMaxCodeLength, length_);
  // The block writer's choice between an aligned and a verbatim block.
  std::array<std::uint8_t, kAlignedTreeSize> lengths{};
  BuildHuffmanLengths(stats.aligned.data(), kAlignedTreeSize, kMaxAlignedLength, lengths.data());
  aligned_ = stats.AlignedBlockPays(lengths.data());
  for (unsigned s = 0; s < kAlignedTreeSize; ++s) alignedCost_[s] = aligned_ ? std::max<std::uint8_t>(lengths[s], 1) : 3;
  if (aligned_) {
    // An aligned element never seen would get no code; price it like the longest one.
    const std::uint32_t longest = *std::max_element(alignedCost_.begin(), alignedCost_.end());
    for (unsigned s = 0; s < kAlignedTreeSize; ++s) {
      if (lengths[s] == 0) alignedCost_[s] = longest + 1;
    }
  }
}

}  // namespace krax::lzx

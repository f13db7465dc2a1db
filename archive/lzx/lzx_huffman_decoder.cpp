#include "archive/lzx/lzx_huffman_decoder.h"

#include <array>

namespace krax::lzx {

bool LzxHuffmanDecoder::Build(std::span<const std::uint8_t> lengths) {
  table_.assign(kPrimarySize, 0);
  empty_ = true;

  std::array<unsigned, kMaxCodeLength + 1> count{};
  for (const std::uint8_t length : lengths) {
    if (length > kMaxCodeLength) return false;
    ++count[length];
  }
  count[0] = 0;

  // Kraft sum in units of 2^-16: exactly 2^16 for a complete code.
  std::uint32_t used = 0;
  unsigned codes = 0;
  unsigned maxLength = 0;
  for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
    used += count[length] << (kMaxCodeLength - length);
    codes += count[length];
    if (count[length]) maxLength = length;
  }
  if (codes == 0) return true;  // an unused tree: legal, but nothing decodes from it
  if (used > (1u << kMaxCodeLength)) return false;                       // oversubscribed
  const bool singleShortCode = codes == 1 && maxLength == 1;
  if (used < (1u << kMaxCodeLength) && !singleShortCode) return false;  // incomplete

  // First canonical code of each length.
  std::array<std::uint32_t, kMaxCodeLength + 1> next{};
  std::uint32_t code = 0;
  for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
    next[length] = code;
    code = (code + count[length]) << 1;
  }

  const unsigned subBits = maxLength > kPrimaryBits ? maxLength - kPrimaryBits : 0;
  std::array<std::int32_t, kPrimarySize> subtableOf;
  subtableOf.fill(-1);
  std::uint32_t subtablesUsed = 0;

  for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
    const unsigned length = lengths[symbol];
    if (length == 0) continue;
    const std::uint32_t symbolCode = next[length]++;
    const std::uint32_t entry = static_cast<std::uint32_t>(symbol) | (length << 16);
    if (length <= kPrimaryBits) {
      const std::uint32_t first = symbolCode << (kPrimaryBits - length);
      const std::uint32_t fill = 1u << (kPrimaryBits - length);
      for (std::uint32_t i = 0; i < fill; ++i) table_[first + i] = entry;
    } else {
      const std::uint32_t prefix = symbolCode >> (length - kPrimaryBits);
      if (subtableOf[prefix] < 0) {
        subtableOf[prefix] = static_cast<std::int32_t>(subtablesUsed << subBits);
        ++subtablesUsed;
        table_.resize(kPrimarySize + (std::size_t{subtablesUsed} << subBits), 0);
        table_[prefix] = kSubtableFlag | (subBits << 16) | static_cast<std::uint32_t>(subtableOf[prefix]);
      }
      const unsigned lowBits = length - kPrimaryBits;
      const std::uint32_t low = symbolCode & ((1u << lowBits) - 1);
      const std::uint32_t first = low << (subBits - lowBits);
      const std::uint32_t fill = 1u << (subBits - lowBits);
      const std::size_t base = kPrimarySize + static_cast<std::size_t>(subtableOf[prefix]);
      for (std::uint32_t i = 0; i < fill; ++i) table_[base + first + i] = entry;
    }
  }
  empty_ = false;
  return true;
}

}  // namespace krax::lzx

// Canonical Huffman decoding tables for LZX trees. Codes are assigned the canonical way
// (shorter codes first, and among equal lengths the lower element first) and read most
// significant bit first. A table is a direct lookup on the next `kPrimaryBits` bits; codes
// longer than that go through one second-level table per primary slot.
//
// Building rejects lengths that oversubscribe the code space, and incomplete codes with
// two exceptions: a tree whose lengths are all zero (legal while the tree is not used;
// decoding from it fails) and a single code of length 1 (its unused half fails to decode).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "archive/lzx/lzx_bit_reader.h"
#include "archive/lzx/lzx_constants.h"

namespace krax::lzx {

class LzxHuffmanDecoder {
 public:
  static constexpr unsigned kPrimaryBits = 10;
  static constexpr std::uint16_t kInvalidSymbol = 0xFFFF;

  // Builds the table from one path length (0..16) per element. False for a code that
  // cannot be decoded unambiguously (see above); the table is then empty.
  bool Build(std::span<const std::uint8_t> lengths);

  // Decodes one element, or returns kInvalidSymbol for a code that is not in the tree.
  std::uint16_t Decode(LzxBitReader& in) const {
    in.Ensure(kMaxCodeLength);
    const std::uint32_t peek = in.Peek(kMaxCodeLength);
    std::uint32_t entry = table_[peek >> (kMaxCodeLength - kPrimaryBits)];
    if (entry & kSubtableFlag) {
      const unsigned subBits = (entry >> 16) & 0xFF;
      const std::uint32_t offset = entry & 0xFFFF;
      const std::uint32_t index =
          (peek >> (kMaxCodeLength - kPrimaryBits - subBits)) & ((1u << subBits) - 1);
      entry = table_[kPrimarySize + offset + index];
    }
    const unsigned length = entry >> 16;
    if (length == 0) return kInvalidSymbol;
    in.Consume(length);
    return static_cast<std::uint16_t>(entry & 0xFFFF);
  }

  bool empty() const { return empty_; }

 private:
  static constexpr std::size_t kPrimarySize = std::size_t{1} << kPrimaryBits;
  static constexpr std::uint32_t kSubtableFlag = 0x80000000u;
  // Direct entries: symbol | length << 16 (length 0 = no code here).
  // Subtable links: kSubtableFlag | subBits << 16 | offset into the second level.
  std::vector<std::uint32_t> table_ = std::vector<std::uint32_t>(kPrimarySize, 0);
  bool empty_ = true;
};

}  // namespace krax::lzx

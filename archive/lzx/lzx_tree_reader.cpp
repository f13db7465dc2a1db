#include "archive/lzx/lzx_tree_reader.h"

#include <array>

#include "archive/lzx/lzx_constants.h"
#include "archive/lzx/lzx_huffman_decoder.h"

namespace krax::lzx {

bool ReadTreeLengths(LzxBitReader& in, std::span<std::uint8_t> lengths, std::size_t first,
                     std::size_t last) {
  if (first > last || last > lengths.size()) return false;
  std::array<std::uint8_t, kPretreeSize> pretreeLengths{};
  for (auto& length : pretreeLengths) length = static_cast<std::uint8_t>(in.Read(kPretreeLengthBits));
  LzxHuffmanDecoder pretree;
  if (!pretree.Build(pretreeLengths)) return false;

  auto changed = [](std::uint8_t previous, unsigned symbol) {
    return static_cast<std::uint8_t>((previous + 17u - symbol) % 17u);
  };

  std::size_t i = first;
  while (i < last) {
    const std::uint16_t symbol = pretree.Decode(in);
    if (symbol == LzxHuffmanDecoder::kInvalidSymbol) return false;
    if (symbol <= 16) {
      lengths[i] = changed(lengths[i], symbol);
      ++i;
      continue;
    }
    std::size_t run = 0;
    std::uint8_t value = 0;
    if (symbol == kPretreeZerosShort) {
      run = 4 + in.Read(4);
    } else if (symbol == kPretreeZerosLong) {
      run = 20 + in.Read(5);
    } else if (symbol == kPretreeSameRun) {
      run = 4 + in.Read(1);
      const std::uint16_t next = pretree.Decode(in);
      if (next == LzxHuffmanDecoder::kInvalidSymbol || next > 16) return false;
      value = changed(lengths[i], next);
    } else {
      return false;
    }
    if (run > last - i) return false;
    for (std::size_t k = 0; k < run; ++k) lengths[i + k] = value;
    i += run;
    if (in.overran()) return false;
  }
  return !in.overran();
}

}  // namespace krax::lzx

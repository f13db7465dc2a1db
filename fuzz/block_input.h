// The input layout of the LZX and MSZIP fuzz targets: from `pos` on, blocks of a 16-bit
// output size (1..32768), a 16-bit input size and the input bytes (fewer at the end).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace krax::fuzz {

// Hands each block to `decode(in, out)`, both of exactly their size so that AddressSanitizer
// sees any access beyond them, until the input ends or `decode` returns false.
template <class Decode>
void ForEachBlock(const std::uint8_t* data, std::size_t size, std::size_t pos, Decode&& decode) {
  std::vector<std::uint8_t> out;
  while (pos + 4 <= size) {
    const std::size_t outSize = 1 + ((data[pos] | (data[pos + 1] << 8)) % 32768);
    const std::size_t inSize = data[pos + 2] | (data[pos + 3] << 8);
    pos += 4;
    const std::size_t take = inSize < size - pos ? inSize : size - pos;
    const std::vector<std::uint8_t> in(data + pos, data + pos + take);
    pos += take;
    out.assign(outSize, 0);
    if (!decode(in, out)) break;
  }
}

}  // namespace krax::fuzz

// Reads a run of tree path lengths as LZX sends them: a pretree of 20 four-bit lengths,
// then pretree symbols that each change one length against its previous value
// (0-16: (previous - symbol) mod 17), or give runs of zeros (17: 4 + 4 bits, 18: 20 +
// 5 bits) or a short run of one changed value (19: 4 + 1 bit, then a symbol 0-16).
#pragma once

#include <cstdint>
#include <span>

#include "archive/lzx/lzx_bit_reader.h"

namespace krax::lzx {

// Updates lengths[first, last) in place from the stream. False for bad data: an invalid
// pretree, an undecodable symbol, or a run that would pass `last`.
bool ReadTreeLengths(LzxBitReader& in, std::span<std::uint8_t> lengths, std::size_t first,
                     std::size_t last);

}  // namespace krax::lzx

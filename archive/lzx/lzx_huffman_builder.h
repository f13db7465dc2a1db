// Canonical Huffman codes for the LZX trees.
//
// LZX sends a tree as its path lengths only; both sides then number the codes canonically:
// shorter codes first and, among equal lengths, lower element numbers first. The main and
// length trees allow lengths up to 16, the pretree up to 15 (4-bit lengths) and the
// aligned-offset tree up to 7 (3-bit lengths).
//
// The builder always returns a complete code with at least two elements, even when only
// one element (or none) was used, so that any decoder can build its tables from it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace krax::lzx {

// Path lengths (0 = element unused) of an optimal code for `freqs`, limited to `maxLength`
// bits. Elements with frequency 0 get length 0 unless needed to complete the code.
void BuildHuffmanLengths(const std::uint32_t* freqs, std::size_t count, unsigned maxLength,
                         std::uint8_t* lengths);

// Canonical code values for the lengths (each code is the `lengths[i]` low bits).
void AssignCanonicalCodes(const std::uint8_t* lengths, std::size_t count, std::uint16_t* codes);

}  // namespace krax::lzx

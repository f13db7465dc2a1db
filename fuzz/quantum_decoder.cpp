// Feeds arbitrary folders to the Quantum decoder: any window, any sequence of blocks.
// Input layout: one byte picks the window (10..21); then per block a 16-bit output size
// (values above 32768 are rejected by the decoder, which must say so), a 16-bit input size
// whose top bit asks for a Reset first, and the block's bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/cab/cab_decompressor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  auto decoder = krax::cab::MakeQuantumDecompressor(10 + data[0] % 12);
  if (!decoder) __builtin_trap();
  std::size_t at = 1;
  while (at + 4 <= size) {
    const std::size_t outSize = (data[at] | (data[at + 1] << 8)) % (32768 + 2);
    const unsigned inWord = data[at + 2] | (data[at + 3] << 8);
    at += 4;
    if (inWord & 0x8000) decoder->Reset();
    std::size_t inSize = inWord & 0x7FFF;
    if (inSize > size - at) inSize = size - at;
    // Exact-size copies so that AddressSanitizer sees any read or write beyond the block.
    std::vector<std::uint8_t> in(data + at, data + at + inSize);
    std::vector<std::uint8_t> exact(outSize);
    const bool ok = decoder->DecompressBlock(in.data(), in.size(), exact.data(), exact.size()) == krax::CodecStatus::kOk;
    if (ok && outSize > 32768) __builtin_trap();  // an oversized block must be refused
    at += inSize;
  }
  return 0;
}

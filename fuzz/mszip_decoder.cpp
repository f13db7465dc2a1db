// Fuzz target: the MSZIP decoder over arbitrary blocks, decoded as one folder so the
// history between blocks is exercised. Each block: 2-byte output size, 2-byte input size.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/cab/cab_decompressor.h"
#include "fuzz/block_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto decoder = krax::cab::MakeMszipDecompressor();
  if (!decoder) return 0;
  krax::fuzz::ForEachBlock(data, size, 0, [&](const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out) {
    if (decoder->DecompressBlock(in.data(), in.size(), out.data(), out.size()) != krax::CodecStatus::kOk) {
      decoder->Reset();
    }
    return true;
  });
  return 0;
}

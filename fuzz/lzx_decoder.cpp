// Fuzz target: the LZX decoder over arbitrary blocks. The first byte picks the window
// (15..21) and the next two the output size of each block; the rest is cut into blocks by
// 16-bit lengths, all decoded as one folder.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/cab/cab_decompressor.h"
#include "fuzz/block_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int window = 15 + data[0] % 7;
  auto decoder = krax::cab::MakeLzxDecompressor(window);
  if (!decoder) __builtin_trap();
  krax::fuzz::ForEachBlock(data, size, 1, [&](const std::vector<std::uint8_t>& in, std::vector<std::uint8_t>& out) {
    return decoder->DecompressBlock(in.data(), in.size(), out.data(), out.size()) == krax::CodecStatus::kOk;
  });
  return 0;
}

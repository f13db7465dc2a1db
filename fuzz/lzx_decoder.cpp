// Fuzz target: the LZX decoder over arbitrary blocks. The first byte picks the window
// (15..21) and the next two the output size of each block; the rest is cut into blocks by
// 16-bit lengths, all decoded as one folder.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/cab/cab_decompressor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const int window = 15 + data[0] % 7;
  auto decoder = krax::cab::MakeLzxDecompressor(window);
  if (!decoder) __builtin_trap();
  std::size_t pos = 1;
  std::vector<std::uint8_t> out;
  while (pos + 4 <= size) {
    const std::size_t outSize = 1 + ((data[pos] | (data[pos + 1] << 8)) % 32768);
    const std::size_t inSize = data[pos + 2] | (data[pos + 3] << 8);
    pos += 4;
    const std::size_t take = inSize < size - pos ? inSize : size - pos;
    std::vector<std::uint8_t> in(data + pos, data + pos + take);  // exact size: ASan sees overreads
    pos += take;
    out.assign(outSize, 0);
    if (decoder->DecompressBlock(in.data(), in.size(), out.data(), out.size()) != krax::CodecStatus::kOk) break;
  }
  return 0;
}

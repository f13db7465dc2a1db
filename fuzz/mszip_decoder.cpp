// Fuzz target: the MSZIP decoder over arbitrary blocks, decoded as one folder so the
// history between blocks is exercised. Each block: 2-byte output size, 2-byte input size.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/cab/cab_decompressor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto decoder = krax::cab::MakeMszipDecompressor();
  if (!decoder) return 0;
  std::size_t pos = 0;
  std::vector<std::uint8_t> out;
  while (pos + 4 <= size) {
    const std::size_t outSize = 1 + ((data[pos] | (data[pos + 1] << 8)) % 32768);
    const std::size_t inSize = data[pos + 2] | (data[pos + 3] << 8);
    pos += 4;
    const std::size_t take = inSize < size - pos ? inSize : size - pos;
    std::vector<std::uint8_t> in(data + pos, data + pos + take);
    pos += take;
    out.assign(outSize, 0);
    if (decoder->DecompressBlock(in.data(), in.size(), out.data(), out.size()) != krax::CodecStatus::kOk) {
      decoder->Reset();
    }
  }
  return 0;
}

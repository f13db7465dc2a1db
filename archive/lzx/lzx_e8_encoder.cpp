#include "archive/lzx/lzx_e8_encoder.h"

#include "archive/lzx/lzx_constants.h"

namespace krax::lzx {

void E8EncodeFrame(std::uint8_t* frame, std::size_t size, std::uint64_t framePosition,
                   std::uint32_t translationSize) {
  if (size < kE8MinFrameSize) return;
  const std::int64_t t = translationSize;
  for (std::size_t i = 0; i + 10 < size;) {
    if (frame[i] != kE8Opcode) {
      ++i;
      continue;
    }
    std::uint8_t* p = frame + i + 1;
    const auto r = static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | (std::uint32_t{p[1]} << 8) |
                                             (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24));
    const std::int64_t cur = static_cast<std::int64_t>(framePosition + i);
    if (r >= -cur && r < t) {
      const std::int64_t a = (r < t - cur) ? r + cur : r - t;
      const auto v = static_cast<std::uint32_t>(static_cast<std::int32_t>(a));
      p[0] = static_cast<std::uint8_t>(v);
      p[1] = static_cast<std::uint8_t>(v >> 8);
      p[2] = static_cast<std::uint8_t>(v >> 16);
      p[3] = static_cast<std::uint8_t>(v >> 24);
    }
    i += 5;
  }
}

}  // namespace krax::lzx

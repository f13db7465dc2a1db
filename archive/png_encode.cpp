#include "archive/png_encode.h"

#include <zlib.h>

#include <vector>

namespace krax {
namespace {

void AppendBE32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}

void AppendChunk(std::string& out, const char* type, const std::string& data) {
  AppendBE32(out, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = out.size();
  out.append(type, 4);
  out += data;
  const auto* bytes = reinterpret_cast<const Bytef*>(out.data() + start);
  const uLong crc = crc32(0L, bytes, static_cast<uInt>(out.size() - start));
  AppendBE32(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::string EncodePng(int width, int height, const std::uint8_t* rgba) {
  if (width <= 0 || height <= 0 || rgba == nullptr) return {};
  const std::size_t row = static_cast<std::size_t>(width) * 4;
  // Every row starts with its filter byte; 0 = none.
  std::vector<Bytef> raw;
  raw.reserve((row + 1) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    const std::uint8_t* p = rgba + row * static_cast<std::size_t>(y);
    raw.insert(raw.end(), p, p + row);
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    return {};
  }
  packed.resize(packedSize);

  std::string header;
  AppendBE32(header, static_cast<std::uint32_t>(width));
  AppendBE32(header, static_cast<std::uint32_t>(height));
  header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no filter set, no interlace

  std::string out("\x89PNG\r\n\x1a\n", 8);
  AppendChunk(out, "IHDR", header);
  AppendChunk(out, "IDAT", packed);
  AppendChunk(out, "IEND", {});
  return out;
}

}  // namespace krax

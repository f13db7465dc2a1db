#include "gamedata/tga_image.h"

#include <array>
#include <cstdint>
#include <vector>

#include "platform/byte_order.h"

namespace krax {
namespace {

constexpr std::size_t kHeaderSize = 18;

enum ImageType : unsigned {
  kColourMapped = 1,
  kTrueColour = 2,
  kGrey = 3,
  kRleColourMapped = 9,
  kRleTrueColour = 10,
  kRleGrey = 11,
};

using Rgba = std::array<std::uint8_t, 4>;

// One stored pixel or colour-map entry of `bits` bits; `alphaBits` is the header's count of
// attribute bits: without any, the 16- and 32-bit kinds are opaque.
Rgba ColourOf(const std::uint8_t* p, unsigned bits, unsigned alphaBits) {
  switch (bits) {
    case 15:
    case 16: {
      const unsigned v = LoadLE16(p);
      const bool opaque = bits == 15 || alphaBits == 0 || (v & 0x8000u);
      return {Expand5(v >> 10), Expand5(v >> 5), Expand5(v), static_cast<std::uint8_t>(opaque ? 255 : 0)};
    }
    case 24: return {p[2], p[1], p[0], 255};
    case 32: return {p[2], p[1], p[0], alphaBits == 0 ? std::uint8_t{255} : p[3]};
    default: return {p[0], p[0], p[0], 255};  // 8-bit grey
  }
}

class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
  // `count` bytes from the current place, or nullptr when fewer are left.
  const std::uint8_t* take(std::size_t count) {
    if (count > bytes_.size() - at_) return nullptr;
    const auto* p = reinterpret_cast<const std::uint8_t*>(bytes_.data()) + at_;
    at_ += count;
    return p;
  }
  std::size_t left() const { return bytes_.size() - at_; }

 private:
  std::string_view bytes_;
  std::size_t at_ = 0;
};

}  // namespace

std::optional<RgbaImage> DecodeTga(std::string_view file) {
  PictureBudget budget;
  return DecodeTga(file, budget);
}

std::optional<RgbaImage> DecodeTga(std::string_view file, PictureBudget& budget) {
  if (file.size() < kHeaderSize) return std::nullopt;
  const auto* h = reinterpret_cast<const std::uint8_t*>(file.data());
  const unsigned idLength = h[0], mapType = h[1], type = h[2];
  const unsigned mapFirst = LoadLE16(h + 3), mapLength = LoadLE16(h + 5), mapBits = h[7];
  const int width = LoadLE16(h + 12), height = LoadLE16(h + 14);
  const unsigned bits = h[16], descriptor = h[17];
  const unsigned alphaBits = descriptor & 15u;
  const bool rle = type >= kRleColourMapped;
  const unsigned base = rle ? type - 8 : type;
  if (base != kColourMapped && base != kTrueColour && base != kGrey) return std::nullopt;
  if (base == kColourMapped && (mapType != 1 || bits != 8)) return std::nullopt;
  if (base == kGrey && bits != 8) return std::nullopt;
  if (base == kTrueColour && bits != 15 && bits != 16 && bits != 24 && bits != 32) return std::nullopt;
  if (mapType > 1) return std::nullopt;
  if (mapType == 1 && mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) return std::nullopt;

  ByteReader reader(file.substr(kHeaderSize));
  if (!reader.take(idLength)) return std::nullopt;
  std::vector<Rgba> map;
  if (mapType == 1) {
    const std::size_t entryBytes = (mapBits + 7) / 8;
    const std::uint8_t* entries = reader.take(static_cast<std::size_t>(mapLength) * entryBytes);
    if (!entries) return std::nullopt;
    // Indices count from the map's first entry number; entries below it are black.
    map.assign(std::min<std::size_t>(256, mapFirst + static_cast<std::size_t>(mapLength)), Rgba{0, 0, 0, 255});
    for (std::size_t i = 0; i < mapLength && mapFirst + i < map.size(); ++i) {
      map[mapFirst + i] = ColourOf(entries + i * entryBytes, mapBits, mapBits == 32 ? 8 : alphaBits);
    }
  }

  const std::size_t pixelBytes = (bits + 7) / 8;
  const std::uint64_t total64 = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  // The least data the pixels can take (a run packet covers at most 128 pixels), checked
  // before a picture as large as the header claims is allocated.
  const std::uint64_t least = rle ? (total64 + 127) / 128 * (1 + pixelBytes) : total64 * pixelBytes;
  if (least > reader.left()) return std::nullopt;
  if (width <= 0 || height <= 0 || total64 > kMaxPicturePixels) return std::nullopt;
  if (!budget.Start(total64)) return std::nullopt;
  // From here on a failure has cost the work done so far: the search stops.
  const auto late = [&budget]() -> std::optional<RgbaImage> {
    budget.FailedLate();
    return std::nullopt;
  };
  RgbaImage image = MakeRgbaImage(width, height);
  if (image.empty()) return late();
  const auto colour = [&](const std::uint8_t* p) -> Rgba {
    if (base != kColourMapped) return ColourOf(p, bits, alphaBits);
    return p[0] < map.size() ? map[p[0]] : Rgba{0, 0, 0, 255};
  };
  const bool topDown = (descriptor & 0x20u) != 0, rightToLeft = (descriptor & 0x10u) != 0;
  const std::size_t total = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const auto store = [&](std::size_t i, const Rgba& c) {
    const int col = static_cast<int>(i % static_cast<std::size_t>(width));
    const int row = static_cast<int>(i / static_cast<std::size_t>(width));
    std::uint8_t* p = image.at(rightToLeft ? width - 1 - col : col, topDown ? row : height - 1 - row);
    for (std::size_t k = 0; k < 4; ++k) p[k] = c[k];
  };

  // How often the decoder looks whether its caller still waits for the picture.
  constexpr std::size_t kCancelCheckPixels = 1u << 16;
  std::size_t nextCheck = kCancelCheckPixels;
  std::size_t i = 0;
  while (i < total) {
    if (i >= nextCheck) {
      if (budget.cancelled()) return late();
      nextCheck = i + kCancelCheckPixels;
    }
    if (!rle) {
      const std::uint8_t* p = reader.take(pixelBytes);
      if (!p) return late();
      store(i++, colour(p));
      continue;
    }
    const std::uint8_t* packet = reader.take(1);
    if (!packet) return late();
    const std::size_t count = (packet[0] & 0x7Fu) + 1u;
    if (count > total - i) return late();  // a packet running past the picture
    if (packet[0] & 0x80u) {
      const std::uint8_t* p = reader.take(pixelBytes);
      if (!p) return late();
      const Rgba c = colour(p);
      for (std::size_t k = 0; k < count; ++k) store(i++, c);
    } else {
      for (std::size_t k = 0; k < count; ++k) {
        const std::uint8_t* p = reader.take(pixelBytes);
        if (!p) return late();
        store(i++, colour(p));
      }
    }
  }
  return image;
}

}  // namespace krax

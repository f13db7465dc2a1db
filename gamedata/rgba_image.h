// A decoded picture: 8-bit red, green, blue and alpha per pixel, rows top to bottom without
// padding. The game's picture formats decode into it; the window and kraxctl show or save it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace krax {

// The largest picture any decoder accepts (width x height); bigger ones are refused before
// anything is allocated, whatever their header claims.
inline constexpr std::uint64_t kMaxPicturePixels = 4096ull * 4096ull;

struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4 bytes: R, G, B, A

  bool empty() const { return width <= 0 || height <= 0; }
  // The four bytes of pixel (x, y); the caller keeps x and y inside the picture.
  std::uint8_t* at(int x, int y) {
    return pixels.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
  }
  const std::uint8_t* at(int x, int y) const {
    return pixels.data() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4;
  }
};

// A picture of this size with every pixel transparent black, or an empty one when the size
// is zero, negative or beyond kMaxPicturePixels.
RgbaImage MakeRgbaImage(int width, int height);

// Widening of 4-, 5- and 6-bit colour values to 8 bits, shared by the decoders.
inline std::uint8_t Expand4(unsigned v) { return static_cast<std::uint8_t>((v & 15u) * 17u); }
inline std::uint8_t Expand5(unsigned v) { return static_cast<std::uint8_t>(((v & 31u) << 3) | ((v & 31u) >> 2)); }
inline std::uint8_t Expand6(unsigned v) { return static_cast<std::uint8_t>(((v & 63u) << 2) | ((v & 63u) >> 4)); }

}  // namespace krax

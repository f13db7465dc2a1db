// TGA pictures made in the tests: a plain one of a single colour, and a damaged one that
// declares the largest size the decoders accept and ends just before its last pixels.
#pragma once

#include <cstdint>
#include <string>

namespace krax::test {

// An uncompressed 24-bit picture of `width` x `height` pixels of one colour.
inline std::string SolidTga(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  std::string file(18, '\0');
  file[2] = 2;  // true colour
  file[12] = static_cast<char>(width & 0xFF);
  file[13] = static_cast<char>(width >> 8);
  file[14] = static_cast<char>(height & 0xFF);
  file[15] = static_cast<char>(height >> 8);
  file[16] = 24;
  for (int i = 0; i < width * height; ++i) {
    file += static_cast<char>(b);
    file += static_cast<char>(g);
    file += static_cast<char>(r);
  }
  return file;
}

// The width and height LateBrokenTga declares.
inline constexpr int kLateBrokenTgaSide = 4096;

// A run-length grey picture of 4096 x 4096 pixels in 256 KB: runs of 128 pixels fill all of
// it but the last 128 pixels, whose packet (128 raw pixels) holds a single byte. Its size
// passes every check the header allows, so the decoder finds the damage only at the end.
inline std::string LateBrokenTga(char shade = '\x40') {
  std::string file(18, '\0');
  file[2] = 11;  // run-length grey
  file[12] = 0;
  file[13] = kLateBrokenTgaSide >> 8;
  file[14] = 0;
  file[15] = kLateBrokenTgaSide >> 8;
  file[16] = 8;
  file[17] = 0x20;  // top-left origin
  const std::size_t runs = static_cast<std::size_t>(kLateBrokenTgaSide) * kLateBrokenTgaSide / 128 - 1;
  file.reserve(file.size() + runs * 2 + 2);
  for (std::size_t i = 0; i < runs; ++i) {
    file += '\xFF';  // a run of 128
    file += shade;
  }
  file += '\x7F';  // 128 raw pixels follow ...
  file += shade;   // ... but only one is there
  return file;
}

}  // namespace krax::test

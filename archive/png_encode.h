// PNG files from 8-bit RGBA pixels (colour type 6, no interlace), compressed with zlib:
// what kraxctl writes when it saves a car's picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace krax {

// The PNG file of a `width` x `height` picture whose rows (top to bottom, 4 bytes a pixel,
// no padding) start at `rgba`. Empty when the size is zero or the compressor fails.
std::string EncodePng(int width, int height, const std::uint8_t* rgba);

}  // namespace krax

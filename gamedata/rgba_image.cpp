#include "gamedata/rgba_image.h"

namespace krax {

RgbaImage MakeRgbaImage(int width, int height) {
  RgbaImage image;
  if (width <= 0 || height <= 0) return image;
  const std::uint64_t count = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
  if (count > kMaxPicturePixels) return image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(count) * 4, 0);
  return image;
}

}  // namespace krax

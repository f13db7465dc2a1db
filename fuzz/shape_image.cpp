// Fuzzes the picture decoders: the bytes as a shape container ("SHPI", every picture of it)
// and as a TGA file. Neither may read outside the bytes or allocate beyond the pixel cap.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "gamedata/shape_image.h"
#include "gamedata/tga_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t pictures = krax::ShapeImageNames(bytes).size();
  for (std::size_t i = 0; i < pictures && i < 64; ++i) krax::DecodeShapeImage(bytes, i);
  krax::DecodeFirstShapeImage(bytes);
  krax::DecodeTga(bytes);
  return 0;
}

// TGA pictures, the game's texture format: colour-mapped, true-colour and grey images,
// uncompressed or run-length encoded, with 8, 16, 24 or 32 bits per pixel and either origin
// (bottom-left or top-left; right-to-left rows too). Every count is checked against the
// data; damaged or oversized pictures (beyond kMaxPicturePixels) give no picture.
#pragma once

#include <optional>
#include <string_view>

#include "gamedata/rgba_image.h"

namespace krax {

std::optional<RgbaImage> DecodeTga(std::string_view file);

}  // namespace krax

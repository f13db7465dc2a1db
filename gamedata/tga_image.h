// TGA pictures, the game's texture format: colour-mapped, true-colour and grey images,
// uncompressed or run-length encoded, with 8, 16, 24 or 32 bits per pixel and either origin
// (bottom-left or top-left; right-to-left rows too). Every count is checked against the
// data; damaged or oversized pictures (beyond kMaxPicturePixels) give no picture.
#pragma once

#include <optional>
#include <string_view>

#include "gamedata/picture_budget.h"
#include "gamedata/rgba_image.h"

namespace krax {

// The picture, counted against `budget`: a picture beyond what the budget has left is not
// started; one that fails after it was started (a run-length picture whose data ends early)
// marks the budget spent. Gives up, with no picture, when the budget's caller cancels.
std::optional<RgbaImage> DecodeTga(std::string_view file, PictureBudget& budget);
// The same with a budget of its own.
std::optional<RgbaImage> DecodeTga(std::string_view file);

}  // namespace krax

// The game's picture container "SHPI" (front-end pictures "fedata.fsh", track textures
// ".fsh"): a directory of named pictures, each a chain of records whose first record holds
// the pixels (8-bit indexed with a palette, 16-bit 5:6:5, 1:5:5:5 and 4:4:4:4, 24- and 32-bit,
// and the two 4x4 block-compressed kinds). Nothing in the file is trusted: every size and
// offset is checked against the real length, and a picture larger than kMaxPicturePixels,
// packed with the game's own compression, or running past the end gives no picture.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gamedata/picture_budget.h"
#include "gamedata/rgba_image.h"

namespace krax {

// Record kinds of the first record of a picture.
enum ShapePixelKind : unsigned {
  kShapeIndexed8 = 0x7B,
  kShapeRgb565 = 0x78,
  kShapeArgb1555 = 0x7E,
  kShapeArgb4444 = 0x6D,
  kShapeBgr888 = 0x7F,
  kShapeBgra8888 = 0x7D,
  kShapeDxt1 = 0x60,
  kShapeDxt3 = 0x61,
};
// Record kinds of palettes (a record after the picture, or the "!pal" entry).
enum ShapePaletteKind : unsigned {
  kShapePaletteBgr888 = 0x24,
  kShapePaletteRgb666 = 0x22,
  kShapePaletteArgb1555 = 0x2D,
  kShapePaletteRgb565 = 0x29,
  kShapePaletteBgra8888 = 0x2A,
};

inline constexpr const char* kShapeGlobalPaletteName = "!pal";

// The names of the pictures in directory order ("!pal" left out); empty when `file` is no
// shape container.
std::vector<std::string> ShapeImageNames(std::string_view file);

// Picture `index` of ShapeImageNames, decoded; nullopt when it cannot be shown.
std::optional<RgbaImage> DecodeShapeImage(std::string_view file, std::size_t index);

// The first picture of the container that decodes; nullopt when none does. With a budget,
// each picture's pixels are counted against it and one beyond what is left is passed over;
// the search ends when the budget is spent.
std::optional<RgbaImage> DecodeFirstShapeImage(std::string_view file);
std::optional<RgbaImage> DecodeFirstShapeImage(std::string_view file, PictureBudget& budget);

}  // namespace krax

// Where the details form finds the picture of a car or a track: a picture file in the item's
// folder, else (for a car) the first picture inside its archive - the front-end images
// "fedata.fsh", else a texture entry ending in ".tga".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gamedata/picture_budget.h"
#include "gamedata/rgba_image.h"

namespace krax {

// Archive entries larger than this are not read for a picture.
inline constexpr std::size_t kMaxPictureEntrySize = 64u << 20;

// The picture files of `folder` (.jpg, .jpeg, .png, .bmp, .tga in any letter case) in the
// order they are tried: names holding "shot" or "screen" (any case) first, then the others,
// each group by name. Full paths.
std::vector<std::string> FolderPictureFiles(std::string_view folder);

// True for a name ending in ".tga" (any case): decoded by DecodeTga, not by the window's readers.
bool IsTgaName(std::string_view name);

// The first picture inside the car archive at `archivePath` that decodes: "fedata.fsh" (any
// case), then each entry ending in ".tga" in directory order. nullopt when none does, the
// archive cannot be read or the budget is spent first (a picture that failed late ends the
// search: the entries after it are not read).
std::optional<RgbaImage> ReadArchivePicture(std::string_view archivePath, PictureBudget& budget);
// The same with a budget of its own.
std::optional<RgbaImage> ReadArchivePicture(std::string_view archivePath);

// A .tga picture file decoded, counted against `budget`; nullopt when it cannot be read or
// decoded.
std::optional<RgbaImage> ReadTgaFile(std::string_view path, PictureBudget& budget);
std::optional<RgbaImage> ReadTgaFile(std::string_view path);

}  // namespace krax

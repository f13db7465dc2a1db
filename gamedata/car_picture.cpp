#include "gamedata/car_picture.h"

#include <algorithm>

#include "gamedata/car_record.h"
#include "gamedata/shape_image.h"
#include "gamedata/tga_image.h"
#include "gamedata/viv_archive.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {
namespace {

bool EndsWith(std::string_view lowerName, std::string_view suffix) {
  return lowerName.size() >= suffix.size() && lowerName.substr(lowerName.size() - suffix.size()) == suffix;
}

bool IsPictureFileName(std::string_view name) {
  const std::string lower = AsciiLower(name);
  for (const char* suffix : {".jpg", ".jpeg", ".png", ".bmp", ".tga"}) {
    if (EndsWith(lower, suffix)) return true;
  }
  return false;
}

bool IsScreenshotName(std::string_view name) {
  const std::string lower = AsciiLower(name);
  return lower.find("shot") != std::string::npos || lower.find("screen") != std::string::npos;
}

std::optional<std::string> ReadPictureEntry(VivFile& file, const VivEntry& entry) {
  if (entry.size < 0 || static_cast<std::size_t>(entry.size) > kMaxPictureEntrySize) return std::nullopt;
  return ReadVivEntry(file, entry);
}

}  // namespace

bool IsTgaName(std::string_view name) { return EndsWith(AsciiLower(name), ".tga"); }

std::vector<std::string> FolderPictureFiles(std::string_view folder) {
  std::vector<std::string> names;
  for (const DirEntry& entry : ListFolder(folder)) {
    if (!entry.isFolder && IsPictureFileName(entry.name)) names.push_back(entry.name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const bool shotA = IsScreenshotName(a), shotB = IsScreenshotName(b);
    return shotA != shotB ? shotA : a < b;
  });
  std::vector<std::string> paths;
  for (const std::string& name : names) paths.push_back(JoinPath(folder, name));
  return paths;
}

std::optional<RgbaImage> ReadArchivePicture(std::string_view archivePath) {
  PictureBudget budget;
  return ReadArchivePicture(archivePath, budget);
}

std::optional<RgbaImage> ReadArchivePicture(std::string_view archivePath, PictureBudget& budget) {
  if (budget.spent()) return std::nullopt;
  VivDirectory directory;
  VivFile file = ReadVivDirectory(archivePath, directory);
  if (!file) return std::nullopt;
  for (const VivEntry& entry : directory.entries) {
    if (!EqualsIgnoreCase(entry.name, kFedataFshName)) continue;
    if (const std::optional<std::string> bytes = ReadPictureEntry(file, entry)) {
      if (std::optional<RgbaImage> image = DecodeFirstShapeImage(*bytes, budget)) return image;
    }
    break;  // the first "fedata.fsh" is the front-end images; later ones are not looked at
  }
  for (const VivEntry& entry : directory.entries) {
    if (!IsTgaName(entry.name)) continue;
    if (budget.spent()) break;
    if (const std::optional<std::string> bytes = ReadPictureEntry(file, entry)) {
      if (std::optional<RgbaImage> image = DecodeTga(*bytes, budget)) return image;
    }
  }
  return std::nullopt;
}

std::optional<RgbaImage> ReadTgaFile(std::string_view path) {
  PictureBudget budget;
  return ReadTgaFile(path, budget);
}

std::optional<RgbaImage> ReadTgaFile(std::string_view path, PictureBudget& budget) {
  if (budget.spent()) return std::nullopt;
  const std::optional<std::uint64_t> size = FileSize(path);
  if (!size || *size > kMaxPictureEntrySize) return std::nullopt;
  const std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return DecodeTga(*bytes, budget);
}

}  // namespace krax

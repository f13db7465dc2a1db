#include "operations/car_toggle.h"

#include <cstring>

#include "gamedata/car_catalog.h"
#include "gamedata/game_data.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {

namespace {
constexpr const char* kCommand = "Enable/Disable Car";

std::string CarLabel(const CarRecord& car) {
  return car.carId && !car.carId->empty() ? *car.carId : BaseName(ParentPath(car.archivePath));
}
}  // namespace

std::string ToggledArchivePath(const std::string& archivePath, bool enabled) {
  if (enabled) return archivePath + kDisabledSuffix;
  const std::string name = BaseName(archivePath);
  const std::string folderPart = archivePath.substr(0, archivePath.size() - name.size());
  const std::size_t suffix = std::strlen(kDisabledSuffix);
  if (name.size() > suffix && EqualsIgnoreCase(name.substr(name.size() - suffix), kDisabledSuffix)) {
    return folderPart + name.substr(0, name.size() - suffix);
  }
  // Any other disabled name: cut before the last "." of the file name, if it has one.
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? archivePath : folderPart + name.substr(0, dot);
}

OperationResult ToggleCarArchive(GameData& data, std::size_t slot) {
  if (!data.HasCar(slot)) {
    return {OperationStatus::kFailed, kCommand, "There is no car in slot " + std::to_string(slot) + "."};
  }
  CarRecord& car = data.cars[slot];
  const bool enabled = car.enabled;
  const std::string verb = enabled ? "disabled" : "enabled";
  const std::string newPath = ToggledArchivePath(car.archivePath, enabled);
  if (newPath == car.archivePath) {
    return {OperationStatus::kFailed, kCommand,
            "The car " + CarLabel(car) + " could not be " + verb + ": " + car.archivePath + " has no \"" +
                kDisabledSuffix + "\" name."};
  }
  // Under Wine "CAR.VIV" and "car.viv" are one name: a folder holding either already has an
  // archive of that name.
  if (PathExists(newPath)) {
    return {OperationStatus::kFailed, kCommand,
            "The car " + CarLabel(car) + " could not be " + verb + ": " + ResolvePath(newPath) +
                " already exists. Both files were left as they are."};
  }
  const FsResult renamed = RenameNoReplace(car.archivePath, newPath);
  if (!renamed) {
    const std::string reason = renamed.status == FsStatus::kAlreadyExists ? "the new name already exists"
                               : renamed.status == FsStatus::kNotFound   ? "the archive is missing"
                                                                         : std::strerror(renamed.systemError);
    return {OperationStatus::kFailed, kCommand,
            "The car " + CarLabel(car) + " could not be " + verb + ": " + car.archivePath + ": " + reason + "."};
  }
  const std::string oldPath = car.archivePath;
  const bool counted = car.countsAsEnabledCar();
  car.archivePath = newPath;
  car.enabled = !enabled;
  data.enabledCarCount += (car.countsAsEnabledCar() ? 1 : 0) - (counted ? 1 : 0);
  std::string done = "Car " + CarLabel(car) + " " + verb + ": " + oldPath + " -> " + BaseName(newPath);
  return {OperationStatus::kDone, kCommand, done};
}

}  // namespace krax

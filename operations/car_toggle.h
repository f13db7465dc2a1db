// Enabling and disabling a car: its archive is renamed between "car.viv" and "car.viv.dis",
// never over an existing file.
#pragma once

#include <cstddef>
#include <string>

#include "operations/operations.h"

namespace krax {

class GameData;

// The name the car's archive gets when toggled: ".dis" appended to an enabled archive; a
// disabled one loses its ".dis" (any letter case), so the former name comes back exactly.
std::string ToggledArchivePath(const std::string& archivePath, bool enabled);

// Renames the car's archive and updates its record and enabledCarCount. Fails, changing
// nothing, when the new name exists in any letter case (the game would see two archives).
OperationResult ToggleCarArchive(GameData& data, std::size_t slot);

}  // namespace krax

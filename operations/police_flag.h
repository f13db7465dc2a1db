// The details form's "Police Car: " check box: the police value (16-bit at byte 16 of the
// front-end data record) written into every front-end data entry of a car's archive.
#pragma once

#include <cstddef>

#include "operations/operations.h"

namespace krax {

class GameData;
class Prompts;

// Asks first; on Yes writes 1 (`police`) or 0 into the archive and the record in memory.
// Cancelled when the user says no; failed, with nothing changed, when the car has no
// front-end data or the archive cannot be written.
OperationResult SetPoliceFlag(GameData& data, Prompts& prompts, std::size_t slot, bool police);

}  // namespace krax

// Writing a 16-bit field of the front-end data record (the serial number at byte 24, the
// police flag at byte 16) into every front-end data entry of a car's archive, and into the
// record in memory.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gamedata/viv_rewrite.h"

namespace krax {

struct CarRecord;

// `value` (little-endian) at `position` of every entry whose name contains "fedata" and is
// not "fedata.fsh".
VivFieldWrite FedataFieldWrite(std::size_t position, std::uint16_t value);

// Writes that field into the car's archive through EditVivArchive (a complete new archive);
// refused, with nothing written, when the car has no front-end data, its archive is damaged
// or read-only, or a front-end entry is too short for the field.
VivWriteResult WriteFedataField(const CarRecord& car, std::size_t position, std::uint16_t value);

// The same field of the record in memory (no effect without front-end data or when short).
void StoreFedataField(CarRecord& car, std::size_t position, std::uint16_t value);

}  // namespace krax

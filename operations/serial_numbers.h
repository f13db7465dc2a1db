// Serial numbers of the cars' front-end data: the details form's "Gen." and "Write" and the
// command "Generate S.N.", shared by the window and kraxctl.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "operations/operations.h"

namespace krax {

class GameData;
struct CarRecord;
class Prompts;

// The message that refuses a write to a car whose archive is damaged (VivDirectory::damaged).
std::string DamagedArchiveRefusal(const CarRecord& car);

// A number 0 .. 32767 that no other top-level car with front-end data holds ("Gen.").
// Nothing is written.
int ProposeSerialNumber(GameData& data, std::size_t slot);

// "Write": writes `value` (0 .. 65535) into every front-end data entry of the car's archive.
// Asks "Serial Number Exist. Write it?" when another top-level car holds it. On success the
// number is kept in memory and the serial-number flags of every car are worked out again.
OperationResult WriteSerialNumber(GameData& data, Prompts& prompts, std::size_t slot, long long value);

// The "Different s.n." and "Duplicate s.n." flags of every car, from the numbers in memory,
// as a catalog load would set them.
void RecomputeSerialFlags(GameData& data);

struct SerialGenerationEntry {
  std::string car;  // the car's ID and archive path before the reload
  int slot = 0;
  std::uint16_t oldSerial = 0;
  std::uint16_t newSerial = 0;
  bool written = false;
};

struct SerialGeneration {
  OperationResult result;
  std::vector<SerialGenerationEntry> entries;
};

// "Generate S.N.": every car flagged as a duplicate gets a new number, written into its
// archive. `reload` runs only when at least one number was written. The result says how many
// cars got a new number and why every write that failed did; it fails when a write failed or
// when, after the reload, cars still share a number.
SerialGeneration GenerateSerials(GameData& data, const std::function<void()>& reload);

// The same after asking: the cars that would get a new number are shown first (the plan) and
// nothing is written unless the user agrees. With no duplicates it says so and asks nothing.
SerialGeneration GenerateSerials(GameData& data, Prompts& prompts, const std::function<void()>& reload);

}  // namespace krax

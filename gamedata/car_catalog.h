// Helpers of the car catalog that need no table: where the cars live, the archive names,
// the serial-number random source, and reading a car archive that is not in the table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace krax {

inline constexpr const char* kEnabledArchiveName = "car.viv";
inline constexpr const char* kDisabledSuffix = ".dis";
// Car folders nested deeper than this are not searched (a folder link pointing back up
// would otherwise be followed for ever).
inline constexpr int kMaxCarFolderDepth = 32;

// game folder + "\GameData\CarModel", found on disk ignoring case.
std::string CarFolderPath(std::string_view gameFolder);

// Draws a number 0 .. 32767, like the C library's rand().
using RandomSource = std::function<int()>;
// A deterministic source for a given seed (GameData seeds its own from std::random_device).
RandomSource MakeRandomSource(std::uint32_t seed);

// True for the names of front-end data entries that carry the serial number: containing
// "fedata" (case-sensitive) and not exactly "fedata.fsh".
bool IsFedataEntryName(std::string_view name);

// The car ID of a car archive that is not in the table, and its name through `name`: from
// the first entry whose lower-cased name contains "fedata" and is not "fedata.fsh". Returns
// "" and leaves `name` unchanged when the archive cannot be read or has no such entry.
std::string ReadCarIdentity(std::string_view archivePath, std::string& name);

// A serial number that "Generate S.N." gave to a car.
struct SerialChange {
  int slot = 0;
  std::uint16_t oldSerial = 0;
  std::uint16_t newSerial = 0;
  bool written = false;  // WriteCarSerial succeeded
  std::string failure;   // why not, when it failed
};

}  // namespace krax

// Builders for the two car archive entries that the program reads: the numbered values of
// "carp.txt" and the front-end data record ("fedata" + language suffix).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace krax {

// One numbered value of carp.txt: a label line ending in "(number)", then the value line.
struct CarpValue {
  int number = 0;
  std::string label;
  std::string value;  // stored as it stands, blanks included
};

// The text with CR LF line ends: "label(n)" CR LF value CR LF for every value, in order.
std::string BuildCarpText(const std::vector<CarpValue>& values);

// The values a demo car's carp.txt holds: 0 serial number, 2 mass, 14 maximum and 15 top
// speed as given, and some forty other plausible physics values derived from `variation`.
struct CarpSpec {
  std::string serial;    // value 0 as text (a trailing blank is kept)
  int massKg = 1200;
  std::string maxSpeed;  // metres per second, e.g. "71.50"
  std::string topSpeed;
  std::uint32_t variation = 0;
};
std::vector<CarpValue> DemoCarpValues(const CarpSpec& spec);

// The front-end data record. Numbers little-endian; texts zero-terminated after the header.
//   0 ID (4 bytes, zero padded)  8 u16 series number  10 u16 class (0 A, 1 B, 2 C)
//   12 u16 seats  14 u16 drive (0 rear, 1 front, 2 all)  16 u16 police flag
//   18 u16 in career  20 u32 price  24 u16 serial number  26 u16 upgrade level
//   28..45 ratings (one byte each)  46 number of extra texts
//   47/51/55 u32 offsets of manufacturer/model/name  59.. u32 offsets of the extra texts
inline constexpr std::size_t kFedataIdOffset = 0;
inline constexpr std::size_t kFedataClassOffset = 10;
inline constexpr std::size_t kFedataPoliceOffset = 16;
inline constexpr std::size_t kFedataSerialOffset = 24;
inline constexpr std::size_t kFedataManufacturerOffset = 47;
inline constexpr std::size_t kFedataModelOffset = 51;
inline constexpr std::size_t kFedataNameOffset = 55;
inline constexpr std::size_t kFedataFixedSize = 59;

struct FedataFields {
  std::string id;  // at most four characters
  std::uint16_t carClass = 0;
  std::uint16_t police = 0;
  std::uint16_t serial = 0;
  std::uint32_t price = 0;
  std::string manufacturer;
  std::string model;
  std::string name;
  std::vector<std::string> extraTexts;  // at most 255 (specifications, history lines)
  std::uint32_t variation = 0;          // varies the bytes that the program never reads
};

// Throws std::invalid_argument for an ID longer than four characters or too many texts.
std::string BuildFedataRecord(const FedataFields& fields);

}  // namespace krax

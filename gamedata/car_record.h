// One car as the program knows it (a CarRecord, filled from its car.viv); the catalog holds
// them in a std::vector, at most kMaxCars of them. Also the two game formats read from the
// archive: the numbered values of carp.txt and the front-end data record (FedataRecord).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gamedata/viv_archive.h"

namespace krax {

// errorFlags bits (the labels are the details form's indicators).
inline constexpr std::uint32_t kFlagSerialsDiffer = 1;    // "Different s.n."
inline constexpr std::uint32_t kFlagDuplicateSerial = 2;  // "Duplicate s.n."
inline constexpr std::uint32_t kFlagFolderNotId = 4;      // "Diferent Path/ID"
inline constexpr std::uint32_t kFlagFolderOver4 = 8;      // "Path > 4"
inline constexpr std::uint32_t kFlagNoFedata = 16;        // "No FeData"

inline constexpr const char* kNoFedataName = "NoFEData";
inline constexpr const char* kCarpEntryName = "carp.txt";
inline constexpr const char* kFedataFshName = "fedata.fsh";

// carp.txt value numbers the program reads.
inline constexpr int kCarpSerial = 0;
inline constexpr int kCarpMass = 2;
inline constexpr int kCarpMaxSpeed = 14;
inline constexpr int kCarpTopSpeed = 15;
inline constexpr std::size_t kCarpValueMax = 511;  // longer values are cut

// Read access to the little-endian front-end data entry. Fields and texts are read only
// where they lie inside the entry: a field past its end reads as 0, a text offset outside
// the entry as empty text, and a text without its zero byte ends at the end of the entry.
class FedataRecord {
 public:
  static constexpr std::size_t kIdOffset = 0;
  static constexpr std::size_t kClassOffset = 10;
  static constexpr std::size_t kPoliceOffset = 16;
  static constexpr std::size_t kSerialOffset = 24;
  static constexpr std::size_t kManufacturerOffset = 47;
  static constexpr std::size_t kModelOffset = 51;
  static constexpr std::size_t kNameOffset = 55;
  static constexpr std::size_t kMinSize = 59;

  explicit FedataRecord(std::string_view bytes) : bytes_(bytes) {}

  std::string id() const;  // bytes 0-3, shorter when a zero byte comes first
  std::uint16_t carClass() const;  // 0 = A, 1 = B, 2 = C
  std::uint16_t police() const;
  std::uint16_t serial() const;
  std::string manufacturer() const;
  std::string model() const;
  std::string name() const;

  // Writes the serial number into a buffer holding the entry (no effect when too short).
  static void SetSerial(std::string& bytes, std::uint16_t serial);

 private:
  std::uint16_t U16(std::size_t offset) const;
  std::string TextAt(std::size_t offsetField) const;
  std::string_view bytes_;
};

// Value n of a carp.txt text: the text after the first "(n)" CR LF up to the next CR (or to
// the end of the text when no CR follows), cut at kCarpValueMax characters; "" when the key
// is missing. The text counts up to its first zero byte.
std::string ReadCarpValue(std::string_view carpText, int n);

// The details form's figures from carp.txt values: mass "1400.75" -> "1400 KG"; speed in m/s
// -> km/h truncated toward zero ("55.5" -> "199 KPH"; text that is no number reads as 0).
std::string FormatMass(std::string_view carpMassValue);
std::string FormatSpeed(std::string_view carpSpeedValue);

// "A", "B", "C", or "" for a value outside the three classes.
std::string_view ClassLetter(std::uint16_t carClass);

struct CarRecord {
  VivDirectory directory;            // as read by the last load
  std::optional<std::string> carpText;  // the whole carp.txt entry
  std::optional<std::string> fedata;    // the whole front-end data entry
  std::string archivePath;              // ...\car.viv, or ...\car.viv.dis when disabled
  std::optional<std::string> carId;        // none without front-end data
  std::optional<std::string> manufacturer;
  std::optional<std::string> model;
  std::optional<std::string> name;         // "NoFEData" without front-end data; none before a load
  std::string carpSerial;            // carp.txt value 0; "" without carp.txt
  std::uint32_t errorFlags = 0;
  int depth = 0;                     // 0 = directly in the car folder
  bool enabled = false;              // true = car.viv, false = car.viv.dis

  bool hasFedata() const { return fedata.has_value(); }
  // The one rule for enabledCarCount: enabled cars directly in the car folder count; cars
  // in sub-folders never do, enabled or not.
  bool countsAsEnabledCar() const { return depth == 0 && enabled; }
  // Fields of the front-end data (0 without it).
  std::uint16_t fedataSerial() const { return fedata ? FedataRecord(*fedata).serial() : 0; }
  std::uint16_t carClass() const;
  std::uint16_t police() const;
  // Stores a serial number in the fedata buffer in memory (no effect without front-end data).
  void SetFedataSerial(std::uint16_t serial);
};

// The most cars the catalog lists; a scan stops adding cars once it holds this many.
inline constexpr std::size_t kMaxCars = 999;

}  // namespace krax

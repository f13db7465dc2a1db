// The one result type of archive/: every codec, the cabinet reader and writer, extraction
// and creation report an ArchiveStatus, and ArchiveStatusText gives its text. The cabinet
// reader's and writer's numeric codes (the ones kept in CabError::code and shown by
// kraxctl) are mappings of this enum, not enums of their own.
#pragma once

#include <string>

namespace krax {

enum class ArchiveStatus {
  kOk,
  kNoMemory,
  kUnknownType,         // unknown compression type
  kStopped,             // a client function asked to stop
  // Reading.
  kCabinetOpenFailed,   // the cabinet file could not be opened
  kNotACabinet,         // signature is not "MSCF"
  kBadVersion,          // version is not kCabVersion (1.3)
  kDamaged,             // a record, name, block, checksum or seek is bad
  kDecompressFailed,    // a block does not decompress to its size, or no decompressor
  kTargetFailed,        // a target file could not be written or finished
  kReserveMismatch,     // a following cabinet's reserve sizes differ
  kWrongCabinet,        // a following cabinet does not belong to the set
  kNotFirstCabinet,     // files begin in an earlier cabinet of the set than the one given
  // Writing.
  kSourceOpenFailed,    // a source file could not be opened
  kSourceReadFailed,    // a source file could not be read
  kTempFileFailed,      // a temporary file could not be created, written, read, positioned or removed
  kCabinetWriteFailed,  // the cabinet file could not be created or written
  kCompressorFailed,
  kFormatLimit,         // a count or size the format stores would not fit its field
  kNameRefused,         // a name that would leave the base or destination folder
};

// A short English text ("the cabinet is damaged").
const char* ArchiveStatusText(ArchiveStatus status);

// The cabinet reader's codes 0-11 and the writer's codes 0-8. A status of the other side
// maps to the nearest code of this side.
constexpr int CabReaderCode(ArchiveStatus status) {
  switch (status) {
    case ArchiveStatus::kOk: return 0;
    case ArchiveStatus::kCabinetOpenFailed: return 1;
    case ArchiveStatus::kNotACabinet: return 2;
    case ArchiveStatus::kBadVersion: return 3;
    case ArchiveStatus::kDamaged: return 4;
    case ArchiveStatus::kNoMemory: return 5;
    case ArchiveStatus::kUnknownType: return 6;
    case ArchiveStatus::kDecompressFailed:
    case ArchiveStatus::kCompressorFailed: return 7;
    case ArchiveStatus::kTargetFailed:
    case ArchiveStatus::kNameRefused:
    case ArchiveStatus::kSourceOpenFailed:
    case ArchiveStatus::kSourceReadFailed:
    case ArchiveStatus::kTempFileFailed:
    case ArchiveStatus::kCabinetWriteFailed:
    case ArchiveStatus::kFormatLimit: return 8;
    case ArchiveStatus::kReserveMismatch: return 9;
    case ArchiveStatus::kWrongCabinet:
    case ArchiveStatus::kNotFirstCabinet: return 10;
    case ArchiveStatus::kStopped: return 11;
  }
  return 4;
}

constexpr int CabWriterCode(ArchiveStatus status) {
  switch (status) {
    case ArchiveStatus::kOk: return 0;
    case ArchiveStatus::kSourceOpenFailed:
    case ArchiveStatus::kNameRefused: return 1;
    case ArchiveStatus::kSourceReadFailed: return 2;
    case ArchiveStatus::kNoMemory: return 3;
    case ArchiveStatus::kTempFileFailed: return 4;
    case ArchiveStatus::kUnknownType: return 5;
    case ArchiveStatus::kCabinetWriteFailed:
    case ArchiveStatus::kFormatLimit:
    case ArchiveStatus::kCabinetOpenFailed:
    case ArchiveStatus::kNotACabinet:
    case ArchiveStatus::kBadVersion:
    case ArchiveStatus::kDamaged:
    case ArchiveStatus::kTargetFailed:
    case ArchiveStatus::kReserveMismatch:
    case ArchiveStatus::kWrongCabinet:
    case ArchiveStatus::kNotFirstCabinet: return 6;
    case ArchiveStatus::kStopped: return 7;
    case ArchiveStatus::kCompressorFailed:
    case ArchiveStatus::kDecompressFailed: return 8;
  }
  return 6;
}

ArchiveStatus StatusFromReaderCode(int code);
ArchiveStatus StatusFromWriterCode(int code);

// A status with what it concerns, for the user: "cannot create /x/A.CAB: permission denied".
struct ArchiveResult {
  ArchiveStatus status = ArchiveStatus::kOk;
  int systemError = 0;   // errno of the failed file operation, 0 when none
  std::string detail;    // what failed ("cannot create /x/A.CAB"); empty: the status text says it

  bool ok() const { return status == ArchiveStatus::kOk; }
  // The detail (or the status text) followed by the system error's text.
  std::string Message() const;
};

}  // namespace krax

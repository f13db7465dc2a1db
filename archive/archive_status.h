// The one result type of archive/: the cabinet reader and writer, extraction and creation
// report an ArchiveStatus (inside an ArchiveResult), and ArchiveStatusText gives its text.
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

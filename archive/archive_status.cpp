#include "archive/archive_status.h"

#include <cstring>

namespace krax {

const char* ArchiveStatusText(ArchiveStatus status) {
  switch (status) {
    case ArchiveStatus::kOk: return "no error";
    case ArchiveStatus::kNoMemory: return "memory could not be allocated";
    case ArchiveStatus::kUnknownType: return "unknown compression type";
    case ArchiveStatus::kStopped: return "the walk was stopped";
    case ArchiveStatus::kCabinetOpenFailed: return "the cabinet file could not be opened";
    case ArchiveStatus::kNotACabinet: return "the file is not a cabinet";
    case ArchiveStatus::kBadVersion: return "the cabinet's version is not supported";
    case ArchiveStatus::kDamaged: return "the cabinet is damaged";
    case ArchiveStatus::kDecompressFailed: return "the data could not be decompressed";
    case ArchiveStatus::kTargetFailed: return "a target file could not be written";
    case ArchiveStatus::kReserveMismatch: return "a following cabinet has other reserve sizes";
    case ArchiveStatus::kWrongCabinet: return "a following cabinet does not belong to the set";
    case ArchiveStatus::kNotFirstCabinet: return "the set starts with an earlier cabinet";
    case ArchiveStatus::kSourceOpenFailed: return "a source file could not be opened";
    case ArchiveStatus::kSourceReadFailed: return "a source file could not be read";
    case ArchiveStatus::kTempFileFailed: return "a temporary file could not be used";
    case ArchiveStatus::kCabinetWriteFailed: return "the cabinet file could not be written";
    case ArchiveStatus::kCompressorFailed: return "the compressor failed";
    case ArchiveStatus::kFormatLimit: return "more than a cabinet can hold";
    case ArchiveStatus::kNameRefused: return "a name leads outside its folder";
  }
  return "unknown error";
}

std::string ArchiveResult::Message() const {
  std::string text = detail.empty() ? ArchiveStatusText(status) : detail;
  if (systemError != 0) {
    std::string reason = std::strerror(systemError);
    // "Permission denied" reads as part of the sentence: "...: permission denied".
    if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z' && (reason.size() < 2 || !(reason[1] >= 'A' && reason[1] <= 'Z'))) {
      reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    }
    text += ": " + reason;
  }
  return text;
}

}  // namespace krax

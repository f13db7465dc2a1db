#include "operations/game_operations.h"

namespace krax {

OperationResult GameOperations::RestoreCars() {
  return {OperationStatus::kNotAvailable, "Restore Cars", {}};
}

OperationResult GameOperations::RestoreTracks() {
  return {OperationStatus::kNotAvailable, "Restore Tracks", {}};
}

OperationResult GameOperations::RestoreStrings() {
  return {OperationStatus::kNotAvailable, "Restore strings", {}};
}

OperationResult GameOperations::RestoreItemFromCd(int, const std::string&, const std::string&) {
  return {OperationStatus::kNotAvailable, "Restore From CD", {}};
}

OperationResult GameOperations::RenameDirsToName() {
  return {OperationStatus::kNotAvailable, "DIR = NAME", {}};
}

OperationResult GameOperations::RenameDirsToId() {
  return {OperationStatus::kNotAvailable, "DIR = ID", {}};
}

OperationResult GameOperations::OpenStringEditor() {
  return {OperationStatus::kNotAvailable, "KRAX String Edit", {}};
}

}  // namespace krax

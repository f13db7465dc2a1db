#include "operations/game_operations.h"

namespace krax {

OperationResult GameOperations::InstallCar() {
  return {OperationStatus::kNotAvailable, "Install Car", {}};
}

OperationResult GameOperations::InstallTrack() {
  return {OperationStatus::kNotAvailable, "Install Track", {}};
}

OperationResult GameOperations::InstallCarFromCompressed() {
  return {OperationStatus::kNotAvailable, "Install Car From Comp.", {}};
}

OperationResult GameOperations::InstallTrackFromCompressed() {
  return {OperationStatus::kNotAvailable, "Install Track From Comp.", {}};
}

OperationResult GameOperations::CreateZip(int, const std::string&, const std::string&) {
  return {OperationStatus::kNotAvailable, "Create Zip", {}};
}

OperationResult GameOperations::CreateCabinet(int, const std::string&, const std::string&) {
  return {OperationStatus::kNotAvailable, "Create Cabinet", {}};
}

}  // namespace krax

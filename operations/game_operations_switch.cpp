#include "operations/game_operations.h"

namespace krax {

OperationResult GameOperations::ToggleCar(int) {
  return {OperationStatus::kNotAvailable, "Enable/Disable Car", {}};
}

OperationResult GameOperations::SwitchTrack(int) {
  return {OperationStatus::kNotAvailable, "Switch Track", {}};
}

OperationResult GameOperations::RunItemEditor(int) {
  return {OperationStatus::kNotAvailable, "Run Editor", {}};
}

OperationResult GameOperations::RunGame() {
  return {OperationStatus::kNotAvailable, "Run KRAX", {}};
}

}  // namespace krax

#include "gamedata/game_data.h"
#include "operations/car_fixes.h"
#include "operations/game_operations.h"
#include "operations/police_flag.h"
#include "operations/serial_numbers.h"

namespace krax {

OperationResult GameOperations::WriteSerialNumber(CarSlot car, long long value) {
  return krax::WriteSerialNumber(data_, prompts_, car.index, value);
}

OperationResult GameOperations::SetPoliceFlag(CarSlot car, bool police) {
  return krax::SetPoliceFlag(data_, prompts_, car.index, police);
}

OperationResult GameOperations::FixCarErrors(const std::vector<CarSlot>& cars, const ReloadCatalog& reload) {
  std::vector<std::size_t> slots;
  for (const CarSlot car : cars) slots.push_back(car.index);
  return krax::FixCarErrors(data_, prompts_, slots, cars.empty() ? "Fix All Errors" : "Fix Errors", reload);
}

FixRun GameOperations::RunFixPlan(const FixPlan& plan, const ReloadCatalog& reload) {
  return RunCarFixes(data_, plan, reload);
}

SerialGeneration GameOperations::GenerateSerials(const ReloadCatalog& reload) {
  return krax::GenerateSerials(data_, prompts_, reload);
}

}  // namespace krax

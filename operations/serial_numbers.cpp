#include "operations/serial_numbers.h"

#include <vector>

#include "gamedata/car_record.h"
#include "gamedata/game_data.h"
#include "operations/game_folder_lock.h"
#include "operations/prompts.h"

namespace krax {

namespace {
constexpr const char* kWriteCommand = "Write";
constexpr const char* kGenerateCommand = "Generate S.N.";
constexpr const char* kNoDuplicates = "No duplicate serial numbers.";

std::string CarLabel(const CarRecord& car) {
  return (car.carId && !car.carId->empty() ? *car.carId + " " : std::string()) + "(" + car.archivePath + ")";
}
// The cars that share a number once `changes` are in the archives, by the rule of a load: a
// car whose number a top-level car before it holds.
int CountDuplicatesAfter(const GameData& data, const std::vector<SerialChange>& changes) {
  std::vector<long> serials(data.cars.size(), -1);
  for (std::size_t i = 0; i < serials.size(); ++i) {
    if (data.cars[i].hasFedata()) serials[i] = data.cars[i].fedataSerial();
  }
  for (const SerialChange& change : changes) {
    if (change.written) serials[static_cast<std::size_t>(change.slot)] = change.newSerial;
  }
  std::vector<bool> held(0x10000, false);
  int count = 0;
  for (std::size_t i = 0; i < serials.size(); ++i) {
    if (serials[i] < 0) continue;
    const auto serial = static_cast<std::size_t>(serials[i]);
    if (held[serial]) ++count;
    if (data.cars[i].depth == 0) held[serial] = true;
  }
  return count;
}
}  // namespace

std::string DamagedArchiveRefusal(const CarRecord& car) {
  return "The archive " + car.archivePath +
         " is damaged (its directory points into itself or entries overlap); it was not changed.";
}

int ProposeSerialNumber(GameData& data, std::size_t slot) {
  int value = 0;
  // At most 999 cars hold one of 32768 numbers; the bound only guards a broken random source.
  for (int attempt = 0; attempt < 1000000; ++attempt) {
    value = data.random ? (data.random() & 0x7FFF) : 0;
    if (!data.FindCarBySerial(value, slot)) break;
  }
  return value;
}

void RecomputeSerialFlags(GameData& data) {
  std::vector<bool> held(0x10000, false);  // numbers of the top-level cars seen so far
  const std::size_t used = data.cars.size();
  for (std::size_t i = 0; i < used; ++i) {
    CarRecord& car = data.cars[i];
    car.errorFlags &= ~(kFlagSerialsDiffer | kFlagDuplicateSerial);
    if (!car.hasFedata()) continue;
    const std::uint16_t serial = car.fedataSerial();
    if (std::to_string(serial) != car.carpSerial) car.errorFlags |= kFlagSerialsDiffer;
    if (held[serial]) car.errorFlags |= kFlagDuplicateSerial;
    if (car.depth == 0) held[serial] = true;
  }
}

OperationResult WriteSerialNumber(GameData& data, Prompts& prompts, std::size_t slot, long long value) {
  const GameFolderWriter writer(data.gameFolder());
  if (!writer) return {OperationStatus::kFailed, kWriteCommand, writer.refusal()};
  if (!data.HasCar(slot)) {
    return {OperationStatus::kFailed, kWriteCommand, "There is no car in slot " + std::to_string(slot) + "."};
  }
  CarRecord& car = data.cars[slot];
  if (car.directory.damaged) return {OperationStatus::kFailed, kWriteCommand, DamagedArchiveRefusal(car)};
  if (!car.hasFedata()) {
    return {OperationStatus::kFailed, kWriteCommand,
            "The car " + car.archivePath + " has no front-end data to hold a serial number."};
  }
  if (value < 0 || value > 0xFFFF) {
    // The archive holds 16 bits; a larger number would silently lose its high bits.
    return {OperationStatus::kFailed, kWriteCommand, "Please enter a serial number from 0 to 65535."};
  }
  if (data.FindCarBySerial(value, slot) &&
      !prompts.Question(QuestionKind::kWriteTakenSerialNumber, "Serial Number Exist. Write it?", /*okCancel=*/true)) {
    return {OperationStatus::kCancelled, kWriteCommand, {}};
  }
  if (const VivWriteResult written = data.WriteCarSerial(slot, value); !written) {
    return {OperationStatus::kFailed, kWriteCommand,
            "The serial number could not be written to " + car.archivePath + ": " + written.Reason() + "."};
  }
  car.SetFedataSerial(static_cast<std::uint16_t>(value));
  RecomputeSerialFlags(data);
  return {OperationStatus::kDone, kWriteCommand,
          "Serial number " + std::to_string(value) + " written to " + car.archivePath + "."};
}

SerialGeneration GenerateSerials(GameData& data, const std::function<void()>& reload) {
  const GameFolderWriter writer(data.gameFolder());
  if (!writer) return {{OperationStatus::kFailed, kGenerateCommand, writer.refusal()}, {}};
  std::vector<std::string> labels;  // before the reload, which may give the cars other slots
  for (std::size_t i = 0; i < data.cars.size(); ++i) labels.push_back(CarLabel(data.cars[i]));

  SerialGeneration generation;
  int written = 0;
  std::string failures;
  const std::vector<SerialChange> changes = data.GenerateSerialNumbers({});
  // What the archives hold now decides, not what was meant to be written.
  const int remaining = CountDuplicatesAfter(data, changes);
  for (const SerialChange& change : changes) {
    SerialGenerationEntry entry;
    entry.car = labels[static_cast<std::size_t>(change.slot)];
    entry.slot = change.slot;
    entry.oldSerial = change.oldSerial;
    entry.newSerial = change.newSerial;
    entry.written = change.written;
    if (change.written) {
      ++written;
    } else {
      failures += "\nThe serial number " + std::to_string(change.newSerial) + " could not be written to " +
                  entry.car + ": " + change.failure + ".";
    }
    generation.entries.push_back(entry);
  }
  if (written > 0 && reload) reload();
  if (remaining > 0) {
    failures += remaining == 1 ? "\n1 car still shares its serial number with another car."
                               : "\n" + std::to_string(remaining) + " cars still share their serial number with another car.";
  }

  const std::string count = written == 1 ? "1 car got a new serial number."
                                         : std::to_string(written) + " cars got a new serial number.";
  if (generation.entries.empty() && remaining == 0) {
    generation.result = {OperationStatus::kDone, kGenerateCommand, kNoDuplicates};
  } else if (failures.empty()) {
    generation.result = {OperationStatus::kDone, kGenerateCommand, count};
  } else {
    generation.result = {OperationStatus::kFailed, kGenerateCommand, count + failures};
  }
  return generation;
}

SerialGeneration GenerateSerials(GameData& data, Prompts& prompts, const std::function<void()>& reload) {
  const GameFolderWriter writer(data.gameFolder());
  if (!writer) return {{OperationStatus::kFailed, kGenerateCommand, writer.refusal()}, {}};
  std::string plan;
  int cars = 0;
  for (std::size_t i = 0; i < data.cars.size(); ++i) {
    const CarRecord& car = data.cars[i];
    if ((car.errorFlags & kFlagDuplicateSerial) == 0) continue;
    ++cars;
    plan += CarLabel(car) + ": serial number " + std::to_string(car.fedataSerial()) + " is held by another car\n";
  }
  if (cars == 0) return {{OperationStatus::kDone, kGenerateCommand, kNoDuplicates}, {}};
  const std::string question = std::string(kGenerateCommand) + ": give " +
                               (cars == 1 ? std::string("1 car") : std::to_string(cars) + " cars") +
                               " a new serial number?";
  if (!prompts.ConfirmPlan(question, plan)) return {{OperationStatus::kCancelled, kGenerateCommand, {}}, {}};
  return GenerateSerials(data, reload);
}

}  // namespace krax

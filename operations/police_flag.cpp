#include "operations/police_flag.h"

#include <string>

#include "gamedata/car_record.h"
#include "gamedata/code_page.h"
#include "gamedata/fedata_fields.h"
#include "gamedata/game_data.h"
#include "operations/game_folder_lock.h"
#include "operations/prompts.h"
#include "operations/serial_numbers.h"

namespace krax {

OperationResult SetPoliceFlag(GameData& data, Prompts& prompts, std::size_t slot, bool police) {
  const GameFolderWriter writer(data.gameFolder());
  if (!writer) return {OperationStatus::kFailed, "Police Car", writer.refusal()};
  const char* command = "Police Car";
  if (!data.HasCar(slot)) {
    return {OperationStatus::kFailed, command, "There is no car in slot " + std::to_string(slot) + "."};
  }
  CarRecord& car = data.cars[slot];
  if (car.directory.damaged) return {OperationStatus::kFailed, command, DamagedArchiveRefusal(car)};
  if (!car.hasFedata()) {
    return {OperationStatus::kFailed, command,
            "The car " + car.archivePath + " has no front-end data to hold the police flag."};
  }
  const std::string name = GameTextToUtf8(car.name.value_or(""));
  const std::string question = police ? "Make \"" + name + "\" a police car?" : "Make \"" + name + "\" no police car?";
  if (!prompts.Question(QuestionKind::kGoOn, question, true)) return {OperationStatus::kCancelled, command, {}};
  const std::uint16_t value = police ? 1 : 0;
  if (const VivWriteResult written = WriteFedataField(car, FedataRecord::kPoliceOffset, value); !written) {
    return {OperationStatus::kFailed, command,
            "The police flag could not be written to " + car.archivePath + ": " + written.Reason() + "."};
  }
  StoreFedataField(car, FedataRecord::kPoliceOffset, value);
  return {OperationStatus::kDone, command,
          std::string(police ? "Police flag set in " : "Police flag cleared in ") + car.archivePath + "."};
}

}  // namespace krax

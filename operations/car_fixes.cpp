#include "operations/car_fixes.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <set>

#include "gamedata/car_catalog.h"
#include "gamedata/car_record.h"
#include "gamedata/code_page.h"
#include "gamedata/fedata_fields.h"
#include "gamedata/game_data.h"
#include "gamedata/viv_archive.h"
#include "gamedata/viv_rewrite.h"
#include "operations/file_names.h"
#include "operations/game_folder_lock.h"
#include "operations/prompts.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {
namespace {

constexpr std::uint32_t kSerialFlags = kFlagSerialsDiffer | kFlagDuplicateSerial;
constexpr std::uint32_t kFolderFlags = kFlagFolderNotId | kFlagFolderOver4;
constexpr std::size_t kMaxIdFolderName = 4;

std::string FlagNames(std::uint32_t flags) {
  std::string names;
  const std::pair<std::uint32_t, const char*> all[] = {{kFlagDuplicateSerial, "Duplicate s.n."},
                                                       {kFlagSerialsDiffer, "Different s.n."},
                                                       {kFlagFolderNotId, "Diferent Path/ID"},
                                                       {kFlagFolderOver4, "Path > 4"},
                                                       {kFlagNoFedata, "No FeData"}};
  for (const auto& [flag, name] : all) {
    if (flags & flag) names += (names.empty() ? "" : ", ") + std::string(name);
  }
  return names;
}

// A folder as the user knows it: below CarModel when it lies there.
std::string ShownFolder(const GameData& data, const std::string& folder) {
  const std::string carModel = CarFolderPath(data.gameFolder());
  return folder.size() > carModel.size() + 1 && folder.compare(0, carModel.size(), carModel) == 0
             ? folder.substr(carModel.size() + 1)
             : folder;
}

std::string CarLabel(const GameData& data, const CarRecord& car) {
  const std::string shown = ShownFolder(data, ParentPath(car.archivePath));
  const std::string id = car.carId ? GameTextToUtf8(*car.carId) : std::string();
  return id.empty() ? shown : id + " (" + shown + ")";
}

// The carp.txt number as the front-end entries would hold it: plain digits, 0 .. 65535.
std::optional<std::uint16_t> CarpNumber(const std::string& text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 0xFFFF || std::to_string(value) != text) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

// The same number with blanks around it or leading zeros: carp.txt is then rewritten too.
std::optional<std::uint16_t> LooseCarpNumber(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::nullopt;
  std::string digits = text.substr(first, text.find_last_not_of(' ') - first + 1);
  const std::size_t nonZero = digits.find_first_not_of('0');
  digits = nonZero == std::string::npos ? "0" : digits.substr(nonZero);
  return CarpNumber(digits);
}

// The serial numbers the cars will hold once the plan has run, and new numbers to give.
class SerialPicker {
 public:
  explicit SerialPicker(const GameData& data) : planned_(data.cars.size(), -1), random_(data.random) {
    for (std::size_t i = 0; i < data.cars.size(); ++i) {
      if (!data.cars[i].hasFedata()) continue;
      planned_[i] = data.cars[i].fedataSerial();
      used_.insert(data.cars[i].fedataSerial());
    }
  }
  // Held by a car other than `slot` (any depth) once the plan has run.
  bool TakenByOther(std::uint16_t value, std::size_t slot) const {
    for (std::size_t i = 0; i < planned_.size(); ++i) {
      if (i != slot && planned_[i] == value) return true;
    }
    return false;
  }
  // A number 0 .. 32767 that no car holds now or is given in the plan, drawn the way "Gen."
  // draws; -1 when none is found.
  int Draw() {
    for (int attempt = 0; attempt < 1000000; ++attempt) {
      const int value = random_ ? (random_() & 0x7FFF) : attempt & 0x7FFF;
      if (!used_.count(static_cast<std::uint16_t>(value))) return value;
    }
    return -1;
  }
  void Give(std::size_t slot, std::uint16_t value) {
    planned_[slot] = value;
    used_.insert(value);
  }

 private:
  std::vector<long> planned_;  // -1 for a car without front-end data
  std::set<std::uint16_t> used_;
  RandomSource random_;
};

// `shared`: the car has no serial flag, but its folder moves and another car holds its number;
// after the move the catalog may load it after that car, which would make it a duplicate.
CarFix PlanSerialFix(const GameData& data, std::size_t slot, SerialPicker& picker, bool shared = false) {
  const CarRecord& car = data.cars[slot];
  CarFix fix;
  fix.slot = slot;
  fix.car = CarLabel(data, car);
  fix.flags = car.errorFlags & kSerialFlags;
  const bool duplicate = shared || (car.errorFlags & kFlagDuplicateSerial) != 0;
  if (!car.carpText) {
    fix.reason = "the archive has no carp.txt";
    return fix;
  }
  if (!duplicate) {
    if (const std::optional<std::uint16_t> exact = CarpNumber(car.carpSerial)) {
      if (!picker.TakenByOther(*exact, slot)) {
        fix.action = CarFix::Action::kWriteFedataSerial;
        fix.serial = *exact;
        picker.Give(slot, *exact);
        return fix;
      }
    } else if (const std::optional<std::uint16_t> loose = LooseCarpNumber(car.carpSerial)) {
      if (!picker.TakenByOther(*loose, slot)) {
        fix.action = CarFix::Action::kSetBothSerials;
        fix.serial = *loose;
        picker.Give(slot, *loose);
        return fix;
      }
    }
  }
  // A duplicate, or a carp.txt number another car holds or that is no number: a new one.
  if (!SetCarpSerial(*car.carpText, "0")) {
    fix.reason = "carp.txt holds no serial number";
    return fix;
  }
  const int drawn = picker.Draw();
  if (drawn < 0) {
    fix.reason = "no free serial number was found";
    return fix;
  }
  fix.action = CarFix::Action::kSetBothSerials;
  fix.serial = static_cast<std::uint16_t>(drawn);
  picker.Give(slot, fix.serial);
  return fix;
}

CarFix PlanFolderFix(const GameData& data, std::size_t slot, std::set<std::string>& planned) {
  const CarRecord& car = data.cars[slot];
  CarFix fix;
  fix.slot = slot;
  fix.car = CarLabel(data, car);
  fix.flags = car.errorFlags & kFolderFlags;
  if (!car.hasFedata()) {
    fix.reason = "no front-end data, so no car ID";
    return fix;
  }
  const std::string id = GameTextToUtf8(car.carId.value_or(""));
  if (!IsUsableFileName(id)) {
    fix.reason = "the car ID \"" + id + "\" cannot be a folder name";
    return fix;
  }
  if (id.size() > kMaxIdFolderName) {
    fix.reason = "the car ID \"" + id + "\" is longer than four characters";
    return fix;
  }
  // The folder is renamed where it is: a car in a group folder stays in that group.
  const std::string source = ParentPath(car.archivePath);
  const std::string parent = ParentPath(source);
  for (const DirEntry& entry : ListFolder(parent)) {
    if (entry.name != BaseName(source) && EqualsIgnoreCase(entry.name, id)) {
      fix.reason = "the folder name \"" + entry.name + "\" is taken";
      return fix;
    }
  }
  const std::string key = AsciiLower(JoinPath(parent, id));
  if (planned.count(key)) {
    fix.reason = "another car is renamed to \"" + id + "\"";
    return fix;
  }
  planned.insert(key);
  fix.folder = JoinPath(parent, id);
  fix.shownFolder = ShownFolder(data, fix.folder);
  fix.action = CarFix::Action::kRenameFolder;
  return fix;
}

// Carries out one fix; "" when done, else why it failed.
std::string RunFix(GameData& data, const CarFix& fix) {
  CarRecord& car = data.cars[fix.slot];
  if (fix.action != CarFix::Action::kRenameFolder && car.directory.damaged) {
    return VivWriteResult{VivWriteStatus::kDamaged, 0}.Reason();
  }
  switch (fix.action) {
    case CarFix::Action::kWriteFedataSerial: {
      if (const VivWriteResult written = WriteFedataField(car, FedataRecord::kSerialOffset, fix.serial); !written) {
        return written.Reason();
      }
      car.SetFedataSerial(fix.serial);
      return {};
    }
    case CarFix::Action::kSetBothSerials: {
      const std::optional<std::string> carp = SetCarpSerial(car.carpText.value_or(""), std::to_string(fix.serial));
      if (!carp) return "carp.txt holds no serial number";
      // carp.txt and every front-end entry in one new archive.
      VivEdit edit;
      edit.entryName = kCarpEntryName;
      edit.entryData = *carp;
      if (car.hasFedata()) edit.fields.push_back(FedataFieldWrite(FedataRecord::kSerialOffset, fix.serial));
      if (const VivWriteResult written = EditVivArchive(car.archivePath, edit); !written) return written.Reason();
      VivDirectory directory;
      if (ReadVivDirectory(car.archivePath, directory)) car.directory = directory;
      car.carpText = *carp;
      car.carpSerial = std::to_string(fix.serial);
      car.SetFedataSerial(fix.serial);
      return {};
    }
    case CarFix::Action::kRenameFolder: {
      const FsResult renamed = RenameNoReplace(ParentPath(car.archivePath), fix.folder);
      if (renamed) return {};
      if (renamed.status == FsStatus::kAlreadyExists) return "the folder " + BaseName(fix.folder) + " exists now";
      return renamed.systemError != 0 ? std::strerror(renamed.systemError) : "the folder cannot be renamed";
    }
    case CarFix::Action::kCannot:
      return fix.reason;
  }
  return "unknown fix";
}

}  // namespace

std::string CarFix::Describe() const {
  const char* what = action == Action::kCannot ? "archive" : "serial number shared, folder moved";
  std::string line = car + ": " + (flags != 0 ? FlagNames(flags) : std::string(what)) + " -> ";
  switch (action) {
    case Action::kWriteFedataSerial:
      return line + "front-end data get serial number " + std::to_string(serial) + " of carp.txt";
    case Action::kSetBothSerials:
      return line + "serial number " + std::to_string(serial) + " written into carp.txt and front-end data";
    case Action::kRenameFolder: return line + "folder renamed to " + shownFolder;
    case Action::kCannot: return line + "cannot be fixed: " + reason;
  }
  return line;
}

bool FixPlan::HasChanges() const {
  for (const CarFix& fix : fixes) {
    if (fix.action != CarFix::Action::kCannot) return true;
  }
  return false;
}

std::string FixPlan::Text() const {
  std::string text;
  for (const CarFix& fix : fixes) text += fix.Describe() + "\n";
  return text;
}

bool HasFixableFlag(const GameData& data, std::size_t slot) {
  if (!data.HasCar(slot)) return false;
  const CarRecord& car = data.cars[slot];
  return car.hasFedata() && (car.errorFlags & (kSerialFlags | kFolderFlags)) != 0;
}

FixPlan PlanCarFixes(GameData& data, const std::vector<std::size_t>& slots) {
  std::vector<CarFix> changes, cannot;
  SerialPicker picker(data);
  std::set<std::string> plannedFolders;
  const auto add = [&](CarFix fix) { (fix.action == CarFix::Action::kCannot ? cannot : changes).push_back(std::move(fix)); };
  std::vector<std::size_t> cars;
  for (std::size_t slot : slots) {
    if (!data.HasCar(slot)) continue;
    const CarRecord& car = data.cars[slot];
    const auto refuse = [&](const char* reason) {
      CarFix fix;
      fix.slot = slot;
      fix.car = CarLabel(data, car);
      fix.flags = car.errorFlags;
      fix.reason = reason;
      add(fix);
    };
    if (car.directory.damaged) {  // said even without a flag: nothing will write to it
      refuse("damaged archive: its directory points into itself or entries overlap");
      continue;
    }
    if (car.errorFlags & kFlagNoFedata) {
      refuse("the car has no front-end data");
      continue;
    }
    cars.push_back(slot);
    if (car.errorFlags & kSerialFlags) add(PlanSerialFix(data, slot, picker));
  }
  // Folders after every serial number is settled: a car that moves must not share its number.
  for (std::size_t slot : cars) {
    const CarRecord& car = data.cars[slot];
    if ((car.errorFlags & kFolderFlags) == 0) continue;
    CarFix folder = PlanFolderFix(data, slot, plannedFolders);
    if (folder.action == CarFix::Action::kRenameFolder && (car.errorFlags & kSerialFlags) == 0 &&
        picker.TakenByOther(car.fedataSerial(), slot)) {
      add(PlanSerialFix(data, slot, picker, /*shared=*/true));
    }
    add(folder);
  }
  std::stable_sort(changes.begin(), changes.end(), [](const CarFix& a, const CarFix& b) { return a.slot < b.slot; });
  FixPlan plan;
  plan.fixes = std::move(changes);
  plan.fixes.insert(plan.fixes.end(), cannot.begin(), cannot.end());
  return plan;
}

FixRun RunCarFixes(GameData& data, const FixPlan& plan, const std::function<void()>& reload) {
  const GameFolderWriter writer(data.gameFolder());
  if (!writer) return {{OperationStatus::kFailed, "Fix Errors", writer.refusal()}, {}};
  std::string fixed, notFixed;
  int done = 0, failed = 0, cannot = 0;
  // Serial numbers first: they patch the archives by the paths a rename would change.
  for (bool renames : {false, true}) {
    for (const CarFix& fix : plan.fixes) {
      if (fix.action == CarFix::Action::kCannot) {
        if (renames) {
          ++cannot;
          notFixed += fix.Describe() + "\n";
        }
        continue;
      }
      if ((fix.action == CarFix::Action::kRenameFolder) != renames) continue;
      if (const std::string failure = RunFix(data, fix); failure.empty()) {
        ++done;
        fixed += fix.Describe() + "\n";
      } else {
        ++failed;
        notFixed += fix.Describe() + " - FAILED: " + failure + "\n";
      }
    }
  }
  if (done > 0 && reload) reload();
  FixRun run;
  run.result.status = failed > 0 ? OperationStatus::kFailed : OperationStatus::kDone;
  run.result.message = std::to_string(done) + (done == 1 ? " error fixed, " : " errors fixed, ") +
                       std::to_string(failed + cannot) + " not fixed.";
  if (!fixed.empty()) run.details += "Fixed:\n" + fixed;
  if (!notFixed.empty()) run.details += (run.details.empty() ? "" : "\n") + std::string("Not fixed:\n") + notFixed;
  return run;
}

std::string FixQuestion(const FixPlan& plan) {
  return "These changes will be made:\n\n" + plan.Text() + "\nFix these errors?";
}

OperationResult FixCarErrors(GameData& data, Prompts& prompts, const std::vector<std::size_t>& slots,
                             const std::string& command, const std::function<void()>& reload) {
  const GameFolderWriter writer(data.gameFolder());
  if (!writer) return {OperationStatus::kFailed, command, writer.refusal()};
  std::vector<std::size_t> chosen = slots;
  if (chosen.empty()) {
    for (std::size_t i = 0; i < data.cars.size(); ++i) chosen.push_back(i);
  }
  const FixPlan plan = PlanCarFixes(data, chosen);
  if (plan.fixes.empty()) return {OperationStatus::kDone, command, "No errors to fix."};
  if (!plan.HasChanges()) {
    return {OperationStatus::kFailed, command, "Nothing can be fixed:\n" + plan.Text()};
  }
  if (!prompts.Question(QuestionKind::kGoOn, FixQuestion(plan), true)) {
    return {OperationStatus::kCancelled, command, {}};
  }
  prompts.Busy(true);
  FixRun run = RunCarFixes(data, plan, reload);
  prompts.Busy(false);
  prompts.Report(command + ": " + run.result.message, run.details);
  run.result.command = command;
  return run.result;
}

}  // namespace krax

// Restore from CD, the car folder renames and the string editor.
#include <algorithm>
#include <cctype>
#include <functional>
#include <iostream>

#include "app/settings.h"
#include "gamedata/car_catalog.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "gamedata/track_catalog.h"
#include "operations/game_folder_lock.h"
#include "operations/game_operations.h"
#include "operations/prompts.h"
#include "operations/rename_car_dirs.h"
#include "operations/restore_from_cd.h"
#include "operations/string_editor_text.h"
#include "operations/track_switch.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {

namespace {

constexpr const char* kStringEditingDisabled = "This is disabled in option \"Enable KRAX String editting\"";

OperationResult Failed(const char* command, std::string message) {
  return {OperationStatus::kFailed, command, std::move(message)};
}

// One restore: CD folder `cdSubPath` copied over `destination`.
struct RestoreJob {
  const char* command = "";
  std::string cdSubPath;
  std::string destination;
  // A bulk restore first shows what it will copy (and `planNotes`, one line each) and asks.
  bool ask = false;
  std::string planNotes;
  // Runs once the CD and the game folder are known to be there; returns a problem or "".
  std::function<std::string()> beforeCopy;
  // Runs once at least one file was copied; returns a problem or "".
  std::function<std::string(const std::string& source)> afterCopy;
};

// The question a bulk restore asks, and the plan shown with it.
bool ConfirmRestore(Prompts& prompts, const RestoreJob& job, const std::string& source) {
  const FolderContents contents = CountFolderContents(source);
  std::string plan = std::to_string(contents.files) + (contents.files == 1 ? " file (" : " files (") +
                     ByteCountText(contents.bytes) + ") from " + source + " will be copied into " +
                     job.destination + ", replacing the files of the same name there.";
  std::vector<DirEntry> entries = ListFolder(source);
  std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  for (const DirEntry& entry : entries) {
    if (!entry.isFolder) continue;
    const FolderContents inner = CountFolderContents(JoinPath(source, entry.name));
    plan += "\n" + entry.name + ": " + std::to_string(inner.files) + (inner.files == 1 ? " file" : " files");
  }
  if (!job.planNotes.empty()) plan += "\n" + job.planNotes;
  return prompts.ConfirmPlan(std::string(job.command) + ": restore " + std::to_string(contents.files) +
                                 (contents.files == 1 ? " file" : " files") + " from the CD?",
                             plan);
}

// The CD and the game folder are checked before anything is copied.
OperationResult RestoreFolder(Prompts& prompts, const Settings& settings, const RestoreJob& job) {
  const char* command = job.command;
  std::string problem;
  const std::string source = FindCdFolder(settings.cdPath, job.cdSubPath, problem);
  if (source.empty()) return Failed(command, problem);
  if (settings.gameFolder.empty() || !IsFolder(ResolvePath(settings.gameFolder))) {
    return Failed(command, "The game folder " + settings.gameFolder + " cannot be found. Choose it in Options.");
  }
  if (job.ask && !ConfirmRestore(prompts, job, source)) return {OperationStatus::kCancelled, command, {}};
  std::string note = job.beforeCopy ? job.beforeCopy() : std::string();
  const CopyOutcome outcome = CopyFolderContents(source, job.destination, command, prompts);
  if (job.afterCopy && outcome.filesCopied > 0) {
    const std::string after = job.afterCopy(source);
    if (!after.empty()) note += (note.empty() ? "" : "\n") + after;
  }
  std::string text = CopyOutcomeText(outcome);
  if (!note.empty()) text += "\n" + note;
  if (!outcome.errors.empty() || !note.empty()) return Failed(command, text);
  prompts.Status(text);
  return {outcome.cancelled ? OperationStatus::kCancelled : OperationStatus::kDone, command, text};
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// After stock files were restored into slot `row`, the slot holds the game's own track:
// Atrack.ini names "Original" and the game text the stock name, so the tree, the game and the
// next switch agree with the files. "" or what could not be written.
std::string MarkSlotOriginal(GameData& data, int row) {
  const std::string slot = data.SlotFolderPath(row);
  if (!IsFolder(slot)) return {};
  std::string problem;
  if (!WriteActiveTrack(slot, kOriginalFolder)) problem = "Could not write " + JoinPath(slot, kActiveTrackFile) + ".";
  const std::string text = WriteTrackNameIntoGameText(data, slot, kOriginalFolder);
  if (!text.empty()) problem += (problem.empty() ? "" : "\n") + text;
  return problem;
}

}  // namespace

OperationResult GameOperations::RestoreCars() {
  const GameFolderWriter writer(settings_.gameFolder);
  if (!writer) return {OperationStatus::kFailed, "Restore Cars", writer.refusal()};
  RestoreJob job;
  job.command = "Restore Cars";
  job.cdSubPath = "\\GameData\\CarModel";
  job.destination = CarFolderPath(settings_.gameFolder);
  job.ask = true;
  job.planNotes = "Disabled cars stay disabled.";
  return RestoreFolder(prompts_, settings_, job);
}

OperationResult GameOperations::RestoreTracks() {
  const GameFolderWriter writer(settings_.gameFolder);
  if (!writer) return {OperationStatus::kFailed, "Restore Tracks", writer.refusal()};
  const std::string game = settings_.gameFolder;
  RestoreJob job;
  job.command = "Restore Tracks";
  job.cdSubPath = "\\GameData\\Tracks";
  job.destination = ResolvePath(JoinPath(game, "\\GameData\\Tracks"));
  job.ask = true;
  job.planNotes = std::string("install.win: its fourth line becomes ") + std::string(kTracksLine) +
                  "\nEvery slot restored gets \"Original\" as its active track.";
  // The game loads its tracks from its own folder again. install.win is read afresh from this
  // game folder, so that another installation's lines are never written into it.
  job.beforeCopy = [&game]() -> std::string {
    InstallInfo current;
    if (!ReadInstallInfo(game, current)) return "install.win could not be read; its tracks line was left as it was.";
    if (!WriteInstallInfo(game, current)) return "install.win could not be rewritten; its tracks line was left as it was.";
    return {};
  };
  job.afterCopy = [this](const std::string& source) {
    std::string problems;
    for (int row = 0; row < kStockTrackSlotCount; ++row) {
      const std::string folder(StockTrackTable[static_cast<std::size_t>(row)].slotFolderName);
      if (!IsFolder(ResolvePath(JoinPath(source, folder)))) continue;
      const std::string problem = MarkSlotOriginal(data_, row);
      if (!problem.empty()) problems += (problems.empty() ? "" : "\n") + problem;
    }
    return problems;
  };
  return RestoreFolder(prompts_, settings_, job);
}

OperationResult GameOperations::RestoreStrings() {
  const GameFolderWriter writer(settings_.gameFolder);
  if (!writer) return {OperationStatus::kFailed, "Restore strings", writer.refusal()};
  RestoreJob job;
  job.command = "Restore strings";
  job.cdSubPath = "\\FeData\\Text";
  job.destination = ResolvePath(JoinPath(settings_.gameFolder, "\\FeData\\Text"));
  job.ask = true;
  // The string editor must show (and save) the restored strings, not the ones held before.
  job.afterCopy = [this](const std::string&) {
    if (data_.kraxText()) data_.LoadGameText();
    return std::string();
  };
  return RestoreFolder(prompts_, settings_, job);
}

OperationResult GameOperations::RestoreItemFromCd(ItemRef item, const std::string& directory, const std::string& id) {
  const GameFolderWriter writer(settings_.gameFolder);
  if (!writer) return {OperationStatus::kFailed, "Restore From CD", writer.refusal()};
  RestoreJob job;
  job.command = "Restore From CD";
  const char* command = job.command;
  if (item.isStockTrackSlot() && item.index < static_cast<std::size_t>(kStockTrackSlotCount)) {
    const int row = item.row();
    const std::string folder(StockTrackTable[static_cast<std::size_t>(row)].slotFolderName);
    job.cdSubPath = "\\GameData\\Tracks\\" + folder;
    job.destination = data_.SlotFolderPath(row);
    job.afterCopy = [this, row](const std::string&) { return MarkSlotOriginal(data_, row); };
    return RestoreFolder(prompts_, settings_, job);
  }
  if (item.isCar()) {
    const bool inTable = data_.HasCar(item.index);
    const CarRecord* car = inTable ? &data_.cars[item.index] : nullptr;
    const std::string carId = Upper(!id.empty() ? id : car && car->carId ? *car->carId : std::string());
    if (!IsStockCarId(carId)) {
      return Failed(command, "Only the game's own cars can be restored from the CD; " +
                                 (carId.empty() ? std::string("this car has no ID.") : carId + " is not one of them."));
    }
    // The form's Directory of a car is its archive; the folder is what holds it.
    std::string folder = car ? ParentPath(car->archivePath) : IsFile(directory) ? ParentPath(directory) : directory;
    if (folder.empty() || !IsFolder(folder)) return Failed(command, "The car's folder " + folder + " cannot be found.");
    job.cdSubPath = "\\GameData\\CarModel\\" + carId;
    job.destination = folder;
    return RestoreFolder(prompts_, settings_, job);
  }
  return Failed(command, "Only the game's own cars and track slots can be restored from the CD.");
}

namespace {

OperationResult RenameDirs(GameData& data, const Settings& settings, Prompts& prompts, FolderNaming naming,
                           const char* command) {
  const std::string carModel = CarFolderPath(settings.gameFolder);
  if (!IsFolder(carModel)) return Failed(command, "The car folder " + carModel + " cannot be found.");
  // First the plan: the folders that would move, and their new names.
  const std::vector<FolderRename> plan = RenameCarFolders(data.cars, carModel, naming, std::cerr, true);
  if (RenameMoveCount(plan) == 0) {
    const std::string summary = "nothing to rename: " + RenameSummary(plan);
    prompts.Report(std::string(command) + ": " + summary, RenameDetails(plan, carModel));
    return {OperationStatus::kDone, command, summary};
  }
  if (!prompts.ConfirmPlan(RenamePlanQuestion(command, plan), RenameDetails(plan, carModel))) {
    return {OperationStatus::kCancelled, command, {}};
  }
  prompts.Busy(true);
  const std::vector<FolderRename> renames = RenameCarFolders(data.cars, carModel, naming, std::cerr);
  prompts.Busy(false);
  const std::string summary = RenameSummary(renames);
  prompts.Report(std::string(command) + ": " + summary, RenameDetails(renames, carModel));
  // A rename that failed leaves the run only partly done: that is a failure, although the
  // folders that did move have moved (the window reloads after it all the same).
  const bool allMoved = std::none_of(renames.begin(), renames.end(), [](const FolderRename& rename) {
    return rename.outcome == FolderRename::Outcome::kFailed || rename.outcome == FolderRename::Outcome::kNoFreeName;
  });
  return {allMoved ? OperationStatus::kDone : OperationStatus::kFailed, command, summary};
}

}  // namespace

OperationResult GameOperations::RenameDirsToName() {
  const GameFolderWriter writer(settings_.gameFolder);
  if (!writer) return {OperationStatus::kFailed, "DIR = NAME", writer.refusal()};
  return RenameDirs(data_, settings_, prompts_, FolderNaming::kName, "DIR = NAME");
}

OperationResult GameOperations::RenameDirsToId() {
  const GameFolderWriter writer(settings_.gameFolder);
  if (!writer) return {OperationStatus::kFailed, "DIR = ID", writer.refusal()};
  return RenameDirs(data_, settings_, prompts_, FolderNaming::kId, "DIR = ID");
}

OperationResult GameOperations::OpenStringEditor() {
  const GameFolderWriter writer(settings_.gameFolder);
  if (!writer) return {OperationStatus::kFailed, "KRAX String Edit", writer.refusal()};
  const char* command = "KRAX String Edit";
  if (!settings_.kraxText) return Failed(command, kStringEditingDisabled);
  if (data_.gameText.empty()) data_.LoadGameText();
  if (data_.gameText.empty()) {
    return Failed(command, "The game text file " + data_.GameTextPath() + " cannot be read.");
  }
  // A damaged file loses the strings that point outside it when saved: ask before editing.
  const bool saveDamaged = data_.gameText.damaged();
  if (saveDamaged && !prompts_.Question(QuestionKind::kSaveDamagedGameText, kSaveDamagedGameTextQuestion)) {
    return {OperationStatus::kCancelled, command, {}};
  }
  prompts_.Busy(true);
  const StringEditorText layout = JoinGameStrings(data_.gameText);
  prompts_.Busy(false);
  const std::optional<std::string> edited = prompts_.EditStrings(layout.text, layout.count());
  if (!edited) return {OperationStatus::kCancelled, command, {}};
  const std::optional<std::vector<std::string>> strings = SplitGameStrings(*edited, layout);
  if (!strings) {
    return Failed(command, "The strings were not saved: the edited text no longer holds one line per string.");
  }
  prompts_.Busy(true);
  bool replaced = true;
  for (std::size_t k = 0; k < strings->size() && replaced; ++k) replaced = data_.SetGameText(k, (*strings)[k]);
  const bool saved = replaced && data_.SaveGameText(saveDamaged);
  prompts_.Busy(false);
  if (!saved) {
    return Failed(command, "The game text file " + data_.GameTextPath() +
                               " could not be written; it keeps its old content.");
  }
  prompts_.Status("Done");
  return {OperationStatus::kDone, command, {}};
}

OperationResult GameOperations::ReplaceGameString(std::size_t index, const std::string& text, bool saveDamaged) {
  const char* command = "KRAX String Edit";
  const GameFolderWriter writer(data_.gameFolder());
  if (!writer) return Failed(command, writer.refusal());
  if (!data_.SetGameText(index, text)) return Failed(command, "cannot replace string " + std::to_string(index));
  if (!data_.SaveGameText(saveDamaged)) {
    return Failed(command, "cannot write the game text file " + data_.GameTextPath() + "; it keeps its old content");
  }
  return {OperationStatus::kDone, command, {}};
}

}  // namespace krax

// Restore from CD, the car folder renames and the string editor.
#include <cctype>
#include <functional>
#include <iostream>

#include "app/settings.h"
#include "gamedata/car_catalog.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "operations/game_operations.h"
#include "operations/prompts.h"
#include "operations/rename_car_dirs.h"
#include "operations/restore_from_cd.h"
#include "operations/string_editor_text.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {

namespace {

constexpr const char* kStringEditingDisabled = "This is disabled in option \"Enable KRAX String editting\"";

OperationResult Failed(const char* command, std::string message) {
  return {OperationStatus::kFailed, command, std::move(message)};
}

// Copies CD folder `cdSubPath` over `destination`. The CD and the game folder are checked
// before anything is copied; `beforeCopy` runs once both are known to be there (and returns
// a problem to report, or ""), `afterCopy` once at least one file was copied.
OperationResult RestoreFolder(Prompts& prompts, const Settings& settings, const char* command,
                              std::string_view cdSubPath, const std::string& destination,
                              const std::function<std::string()>& beforeCopy = {},
                              const std::function<void()>& afterCopy = {}) {
  std::string problem;
  const std::string source = FindCdFolder(settings.KRAXCDPath, cdSubPath, problem);
  if (source.empty()) return Failed(command, problem);
  if (settings.KRAXPath.empty() || !IsFolder(ResolvePath(settings.KRAXPath))) {
    return Failed(command, "The game folder " + settings.KRAXPath + " cannot be found. Choose it in Options.");
  }
  std::string note = beforeCopy ? beforeCopy() : std::string();
  const CopyOutcome outcome = CopyFolderContents(source, destination, command, prompts);
  if (afterCopy && outcome.filesCopied > 0) afterCopy();
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

}  // namespace

OperationResult GameOperations::RestoreCars() {
  return RestoreFolder(prompts_, settings_, "Restore Cars", "\\GameData\\CarModel", CarFolderPath(settings_.KRAXPath));
}

OperationResult GameOperations::RestoreTracks() {
  const std::string game = settings_.KRAXPath;
  // The game loads its tracks from its own folder again. install.win is read afresh from this
  // game folder, so that another installation's lines are never written into it.
  const auto pointTracksHome = [&game]() -> std::string {
    InstallInfo current;
    if (!ReadInstallInfo(game, current)) return "install.win could not be read; its tracks line was left as it was.";
    if (!WriteInstallInfo(game, current)) return "install.win could not be rewritten; its tracks line was left as it was.";
    return {};
  };
  return RestoreFolder(prompts_, settings_, "Restore Tracks", "\\GameData\\Tracks",
                       ResolvePath(JoinPath(game, "\\GameData\\Tracks")), pointTracksHome);
}

OperationResult GameOperations::RestoreStrings() {
  // The string editor must show (and save) the restored strings, not the ones held before.
  const auto reloadStrings = [this] {
    if (data_.kraxText) data_.LoadGameText();
  };
  return RestoreFolder(prompts_, settings_, "Restore strings", "\\FeData\\Text",
                       ResolvePath(JoinPath(settings_.KRAXPath, "\\FeData\\Text")), {}, reloadStrings);
}

OperationResult GameOperations::RestoreItemFromCd(int itemCode, const std::string& directory, const std::string& id) {
  const char* command = "Restore From CD";
  if (itemCode <= -1 && itemCode >= -(2 * kStockTrackSlotCount - 1) && (-itemCode) % 2 == 1) {
    const int row = (-itemCode - 1) / 2;
    const std::string folder(StockTrackTable[static_cast<std::size_t>(row)].slotFolderName);
    return RestoreFolder(prompts_, settings_, command, "\\GameData\\Tracks\\" + folder, data_.SlotFolderPath(row));
  }
  if (itemCode >= 0) {
    const bool inTable = data_.CarTable.isUsed(itemCode);
    const CarRecord* car = inTable ? &data_.CarTable[static_cast<std::size_t>(itemCode)] : nullptr;
    const std::string carId = Upper(!id.empty() ? id : car && car->carId ? *car->carId : std::string());
    if (!IsStockCarId(carId)) {
      return Failed(command, "Only the game's own cars can be restored from the CD; " +
                                 (carId.empty() ? std::string("this car has no ID.") : carId + " is not one of them."));
    }
    // The form's Directory of a car is its archive; the folder is what holds it.
    std::string folder = car ? ParentPath(car->archivePath) : IsFile(directory) ? ParentPath(directory) : directory;
    if (folder.empty() || !IsFolder(folder)) return Failed(command, "The car's folder " + folder + " cannot be found.");
    return RestoreFolder(prompts_, settings_, command, "\\GameData\\CarModel\\" + carId, folder);
  }
  return Failed(command, "Only the game's own cars and track slots can be restored from the CD.");
}

namespace {

OperationResult RenameDirs(GameData& data, const Settings& settings, Prompts& prompts, FolderNaming naming,
                           const char* command) {
  const std::string carModel = CarFolderPath(settings.KRAXPath);
  if (!IsFolder(carModel)) return Failed(command, "The car folder " + carModel + " cannot be found.");
  prompts.Busy(true);
  const std::vector<FolderRename> renames = RenameCarFolders(data.CarTable, carModel, naming, std::cerr);
  prompts.Busy(false);
  const std::string summary = RenameSummary(renames);
  prompts.Report(std::string(command) + ": " + summary, RenameDetails(renames, carModel));
  // Done even when some folders kept their names: the run ended and the tree must show the
  // folders as they now are.
  return {OperationStatus::kDone, command, summary};
}

}  // namespace

OperationResult GameOperations::RenameDirsToName() {
  return RenameDirs(data_, settings_, prompts_, FolderNaming::kName, "DIR = NAME");
}

OperationResult GameOperations::RenameDirsToId() {
  return RenameDirs(data_, settings_, prompts_, FolderNaming::kId, "DIR = ID");
}

OperationResult GameOperations::OpenStringEditor() {
  const char* command = "KRAX String Edit";
  if (settings_.KRAXText == 0) return Failed(command, kStringEditingDisabled);
  if (data_.GameTextTable.empty()) data_.LoadGameText();
  if (data_.GameTextTable.empty()) {
    return Failed(command, "The game text file " + data_.GameTextPath() + " cannot be read.");
  }
  // A damaged file loses the strings that point outside it when saved: ask before editing.
  const bool saveDamaged = data_.GameTextTable.damaged();
  if (saveDamaged && !prompts_.Question(kSaveDamagedGameTextQuestion)) {
    return {OperationStatus::kCancelled, command, {}};
  }
  prompts_.Busy(true);
  const StringEditorText layout = JoinGameStrings(data_.GameTextTable);
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

}  // namespace krax

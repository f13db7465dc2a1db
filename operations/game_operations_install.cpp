#include "app/settings.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "gamedata/track_catalog.h"
#include "operations/archive_format.h"
#include "operations/game_folder_lock.h"
#include "operations/game_operations.h"
#include "operations/install_activate.h"
#include "operations/install_dialog_state.h"
#include "operations/install_plan.h"
#include "operations/install_run.h"
#include "operations/pack_item.h"
#include "operations/prompts.h"
#include "operations/track_switch.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {
namespace {

constexpr const char* kCompressedFilter = "Compressed Files (*.zip, *.cab)|*.zip;*.cab||";

OperationResult Result(OperationStatus status, InstallMode mode, std::string message = {}) {
  return {status, InstallCommandName(mode), std::move(message)};
}

// The folder the files go to, found ignoring case.
std::string DestinationOf(const InstallDialogState& state) {
  return ResolvePath(JoinPath(state.destinationBase, state.id));
}

// True when `folder` is one of the game's nine track slot folders.
bool IsTrackSlotFolder(const std::string& gameFolder, const std::string& folder) {
  const auto identity = IdentifyFolder(folder);
  for (int slot = 0; identity && slot < kStockTrackSlotCount; ++slot) {
    if (IdentifyFolder(TrackSlotFolder(gameFolder, slot)) == identity) return true;
  }
  return false;
}

// The slot folder when `destination` is the active track of one of the game's slots, else "".
std::string ActiveTrackSlotOf(const std::string& gameFolder, const std::string& destination) {
  const std::string slot = ParentPath(destination);
  if (!IsFolder(destination) || !IsTrackSlotFolder(gameFolder, slot)) return {};
  const std::string name = BaseName(destination);
  if (EqualsIgnoreCase(name, kOriginalFolder) || ActiveTrackFolder(slot) != name) return {};
  return slot;
}

// The checks on OK: a usable ID (never a slot's "Original"), an existing base folder, and a
// question before files go into a folder that already holds others.
bool AcceptDestination(Prompts& prompts, const InstallDialogState& state, const std::string& gameFolder) {
  const bool track = IsTrackMode(static_cast<InstallMode>(state.mode)) ||
                     IsTrackSlotFolder(gameFolder, state.destinationBase);
  const std::string problem = InstallIdProblem(state.id, track);
  if (!problem.empty()) {
    prompts.Message(problem);
    return false;
  }
  if (!IsFolder(state.destinationBase)) {
    prompts.Message("The folder " + state.destinationBase + " does not exist.");
    return false;
  }
  const std::string destination = DestinationOf(state);
  if (PathExists(destination) && !IsFolder(destination)) {
    prompts.Message(destination + " is a file, not a folder.");
    return false;
  }
  if (IsFolder(destination) && !ListFolder(destination).empty()) {
    std::string question = "The folder " + destination + " already exists and holds other files. Install into it anyway?";
    if (const std::string kept = track ? std::string() : KeptCarArchiveNote(destination, state.files); !kept.empty()) {
      question += "\n" + kept;
    }
    if (const std::string slot = ActiveTrackSlotOf(gameFolder, destination); !slot.empty()) {
      question += "\nIt is the active track of " + BaseName(slot) + ": the slot is switched back to \"" + kOriginalFolder +
                  "\" for the install and to the new version after.";
    }
    return prompts.Question(QuestionKind::kInstallIntoUsedFolder, question);
  }
  return true;
}

// Progress only: the work may run on another thread, where no question can be asked (the
// installs replace files without one).
ArchiveCallbacks ProgressOnly(Prompts& prompts) {
  ArchiveCallbacks callbacks;
  callbacks.status = [&prompts](const std::string& text) { prompts.Status(text); };
  callbacks.stopRequested = [&prompts] { return prompts.WorkStopRequested(); };
  return callbacks;
}

OperationResult Pack(Prompts& prompts, const Settings& settings, ArchiveKind kind, ItemRef item,
                     const std::string& directory, const std::string& name) {
  const std::string command(ArchiveFormatFor(kind).packCommand());
  PackRequest request;
  request.kind = kind;
  request.item = item;
  request.directory = directory;
  request.name = name;
  request.archiveFolder = settings.archiveFolder;
  const PackPlan plan = PlanPack(request);
  if (!plan.problem.empty()) return {OperationStatus::kFailed, command, plan.problem};

  const ArchiveCallbacks callbacks = ProgressOnly(prompts);
  PackResult result;
  prompts.Busy(true);
  prompts.RunWork([&] { result = RunPack(plan, callbacks); });
  prompts.Busy(false);
  if (result.stopped) {
    prompts.Status(std::string(command) + " stopped");
    return {OperationStatus::kCancelled, command,
            std::string(command) + " was stopped; " +
                (IsFile(result.archivePath) ? result.archivePath + " is as it was." : "nothing was written.")};
  }
  if (!result.ok) {
    prompts.Status(std::string(command) + " failed");
    return {OperationStatus::kFailed, command, "The archive " + result.archivePath + " was not written: " + result.message};
  }
  prompts.Status("Done");
  std::string written = result.archivePath;
  if (!result.followingParts.empty()) {
    written += " and the " + std::to_string(result.followingParts.size()) + " cabinets that follow it, the last " +
               result.followingParts.back();
  }
  if (!plan.leftOut.empty()) {
    std::string details;
    for (const std::string& skipped : plan.leftOut) details += skipped + "\n";
    prompts.Report("Left out of the archive (links, FIFOs, sockets and devices are never packed):", details);
  }
  return {OperationStatus::kDone, command, written};
}

}  // namespace

OperationResult GameOperations::InstallCar() {
  const std::string folder = prompts_.ChooseFolder("Select Folder With a New Car");
  if (folder.empty()) return Result(OperationStatus::kCancelled, InstallMode::kCarFromFolder);
  return InstallFromPath(InstallMode::kCarFromFolder, folder);
}

OperationResult GameOperations::InstallTrack() {
  const std::string folder = prompts_.ChooseFolder("Select Folder With a New Track");
  if (folder.empty()) return Result(OperationStatus::kCancelled, InstallMode::kTrackFromFolder);
  return InstallFromPath(InstallMode::kTrackFromFolder, folder);
}

OperationResult GameOperations::InstallCarFromCompressed() {
  const std::string file = prompts_.ChooseFile(InstallCommandName(InstallMode::kCarFromArchive), kCompressedFilter);
  if (file.empty()) return Result(OperationStatus::kCancelled, InstallMode::kCarFromArchive);
  return InstallFromPath(InstallMode::kCarFromArchive, file);
}

OperationResult GameOperations::InstallTrackFromCompressed() {
  const std::string file =
      prompts_.ChooseFile(InstallCommandName(InstallMode::kTrackFromArchive), kCompressedFilter);
  if (file.empty()) return Result(OperationStatus::kCancelled, InstallMode::kTrackFromArchive);
  return InstallFromPath(InstallMode::kTrackFromArchive, file);
}

OperationResult GameOperations::InstallFromPath(std::optional<InstallMode> asked, const std::string& chosen) {
  const GameFolderWriter writer(settings_.gameFolder);
  if (!writer) return {OperationStatus::kFailed, "Install", writer.refusal()};
  std::string source = chosen;  // "Track/" names the folder Track
  while (source.size() > 1 && (source.back() == '/' || source.back() == '\\')) source.pop_back();
  const InstallMode mode = asked ? *asked : MatchingInstallMode(source);  // none when dropped
  if (data_.gameFolder().empty()) {
    return Result(OperationStatus::kFailed, mode, "No game folder is set. Choose it in Options.");
  }
  if (IsArchiveMode(mode) ? !IsFile(source) : !IsFolder(source)) {
    return Result(OperationStatus::kFailed, mode, source + " cannot be found.");
  }

  prompts_.Busy(true);
  const InstallPlan plan = PrepareInstall(mode, source, data_.gameFolder());
  prompts_.Busy(false);
  if (IsTrackMode(mode) && plan.trackNumber < 0) {
    // Not a track: nothing to install, and no slot to put it in.
    std::string text;
    for (const std::string& message : plan.messages) text += (text.empty() ? "" : "\n") + message;
    return Result(OperationStatus::kFailed, mode, text);
  }
  for (const std::string& message : plan.messages) prompts_.Message(message);

  InstallDialogState state = plan.DialogState();
  state.accept = [this](const InstallDialogState& edited) {
    return AcceptDestination(prompts_, edited, data_.gameFolder());
  };
  if (!prompts_.ShowInstallDialog(state)) return Result(OperationStatus::kCancelled, mode);
  if (plan.files.empty()) return Result(OperationStatus::kFailed, mode, "There are no files to install.");

  // A new version of a slot's active track: the slot's copies of the old files must not stay
  // live, so the slot goes back to "Original" first and to the new version after.
  const std::string destination = DestinationOf(state);
  const std::string activeSlot = ActiveTrackSlotOf(data_.gameFolder(), destination);
  const std::string trackName = BaseName(destination);
  if (!activeSlot.empty()) {
    const SwitchOutcome back = SwitchTrackOfGame(data_, activeSlot, kOriginalFolder);
    if (!back.ok()) {
      return Result(OperationStatus::kFailed, mode,
                    "Nothing was installed into " + destination + ": it is the active track of " + BaseName(activeSlot) +
                        ", and the slot could not be switched back to \"" + kOriginalFolder + "\" first.\n" +
                        DescribeSwitchProblems(activeSlot, kOriginalFolder, back));
    }
  }
  InstallOutcome outcome;
  const ArchiveCallbacks callbacks = ProgressOnly(prompts_);
  prompts_.Busy(true);
  prompts_.RunWork([&] { outcome = RunInstall(plan, destination, callbacks); });
  prompts_.Busy(false);
  std::string summary = outcome.Summary();
  if (!activeSlot.empty()) {
    // After a failed install the folder holds the old version, which becomes active again.
    const SwitchOutcome again = SwitchTrackOfGame(data_, activeSlot, trackName);
    if (!again.ok()) {
      return Result(OperationStatus::kFailed, mode,
                    summary + "\n" + DescribeSwitchProblems(activeSlot, trackName, again) + "\n" + BaseName(activeSlot) +
                        " stays on \"" + kOriginalFolder + "\".");
    }
    summary += "\n" + BaseName(activeSlot) + " was on \"" + kOriginalFolder + "\" during the install; \"" + trackName +
               "\" is its active track again" + (outcome.ok() ? ", in the new version." : ", in the old version.");
    if (again.textProblem.size()) summary += "\n" + again.textProblem;
  }
  // All or nothing: a failed install left the game folder as it was.
  if (!outcome.ok()) return Result(OperationStatus::kFailed, mode, summary);
  if (state.offerActivate && state.activate && activeSlot.empty()) {
    summary += "\n" + ActivateInstalledTrack(data_, destination, true);
  }
  prompts_.Status(summary.substr(0, summary.find('\n')));
  return Result(OperationStatus::kDone, mode, summary);
}

namespace {

// The form shows no name for a car without front-end data: such a car is packed under the
// name kraxctl gives it.
std::string PackName(const GameData& data, ItemRef item, const std::string& name) {
  if (!name.empty() || !item.isCar() || !data.HasCar(item.index)) return name;
  return CarArchiveName(data.cars[item.index]);
}

}  // namespace

OperationResult GameOperations::CreateZip(ItemRef item, const std::string& directory, const std::string& name) {
  return Pack(prompts_, settings_, ArchiveKind::kZip, item, directory, PackName(data_, item, name));
}

OperationResult GameOperations::CreateCabinet(ItemRef item, const std::string& directory,
                                              const std::string& name) {
  return Pack(prompts_, settings_, ArchiveKind::kCabinet, item, directory, PackName(data_, item, name));
}

}  // namespace krax

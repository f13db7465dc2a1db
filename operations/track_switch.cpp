#include "operations/track_switch.h"

#include <cctype>
#include <chrono>
#include <cstring>

#include "gamedata/code_page.h"
#include "gamedata/game_data.h"
#include "gamedata/stock_tables.h"
#include "gamedata/track_catalog.h"
#include "operations/game_folder_lock.h"
#include "operations/file_names.h"
#include "operations/prompts.h"
#include "operations/switch_undo.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {

namespace {

// The entry `name` of `folder` as it exists on disk, matched ignoring case; spelled as given
// when there is none.
std::string EntryIn(const std::string& folder, const std::string& name) {
  return ResolvePath(JoinPath(folder, name));
}

bool Step(const SwitchStepHook& hook, const std::string& what) { return !hook || hook(what); }

SwitchOutcome Stopped(SwitchOutcome outcome) {
  outcome.stopped = true;
  return outcome;
}

bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    if (IsSeparator(c) || c == '\0' || c == '\n' || c == '\r') return false;
  }
  return true;
}

// Restore step for one entry: moves source\e into the target folder, replacing a file (never a
// folder) that stands there.
void MoveBack(const std::string& from, const std::string& to, std::vector<std::string>& problems,
              SwitchUndoLog* undo) {
  FsResult moved = RenameNoReplace(from, to);
  if (moved.status == FsStatus::kAlreadyExists) {
    if (IsFolder(to)) {
      problems.push_back("A folder is in the way of " + from + " at " + to + ".");
      return;
    }
    if (!IsFile(from)) {
      // Only a kept file tells that what stands in the slot is a track's copy.
      problems.push_back(from + " is not a file; " + to + " was left as it was.");
      return;
    }
    // What stands there is a track's copy of the file (the track folder keeps its own).
    if (undo && !undo->Keep(to)) {
      problems.push_back("Could not read " + to + " to put back " + from + "; both were left as they are.");
      return;
    }
    FsResult deleted = DeleteFile(to);
    if (!deleted) {
      problems.push_back("Could not remove " + to + " to put back " + from + ": " + SwitchStepReason(deleted) + ".");
      return;
    }
    moved = RenameNoReplace(from, to);
  }
  if (!moved) {
    problems.push_back("Could not move " + from + " to " + to + ": " + SwitchStepReason(moved) + ".");
  } else if (undo) {
    undo->Moved(from, to);
  }
}

// Install step for one entry: keeps the slot's entry in the backup folder, then copies the
// track's file into the slot.
bool InstallEntry(const std::string& slotEntry, const std::string& backupFolder, const std::string& name,
                  const std::string& trackFile, std::vector<std::string>& problems, const SwitchStepHook& hook,
                  SwitchUndoLog* undo) {
  const std::string backupEntry = EntryIn(backupFolder, name);
  const bool inSlot = PathExists(slotEntry);
  bool replace = false;  // the slot's entry stays where it is and the copy replaces it
  if (inSlot && PathExists(backupEntry)) {
    // "Original" already holds this name: the game's own file, which an earlier restore could
    // not put back. It is never replaced; the slot's entry is then a track's copy, which the
    // track's file may replace when it is a plain writable file. Anything else in "Original"
    // (a folder) says nothing about the slot's entry, which is then left alone.
    if (!IsFile(backupEntry) || !IsFile(slotEntry) || IsReadOnly(slotEntry)) {
      problems.push_back(slotEntry + " was left as it was (the game's own " + name + " stays in " +
                         backupFolder + "); " + trackFile + " was not copied.");
      return true;
    }
    if (undo && !undo->Keep(slotEntry)) {
      problems.push_back("Could not read " + slotEntry + "; " + trackFile + " was not copied.");
      return true;
    }
    replace = true;
  } else if (inSlot && IsFolder(slotEntry)) {
    // A folder (another track's, perhaps) never moves into "Original".
    problems.push_back("A folder is in the way of " + trackFile + " at " + slotEntry + "; it was not copied.");
    return true;
  } else if (inSlot) {
    if (!Step(hook, "keep " + slotEntry)) return false;
    FsResult kept = RenameNoReplace(slotEntry, backupEntry);
    if (!kept) {
      // Copying now would destroy the file that could not be kept.
      problems.push_back("Could not keep " + slotEntry + " in " + backupFolder + ": " + SwitchStepReason(kept) + "; " +
                         trackFile + " was not copied.");
      return true;
    }
    if (undo) undo->Moved(slotEntry, backupEntry);
  }
  if (!Step(hook, "copy " + trackFile)) return false;
  FsResult copied = CopyFile(trackFile, slotEntry, /*overwrite=*/replace);
  if (!copied) {
    problems.push_back("Could not copy " + trackFile + " to " + slotEntry + ": " + SwitchStepReason(copied) + ".");
  } else if (undo && !replace) {
    undo->Created(slotEntry);  // a replaced file was kept above
  }
  return true;
}

}  // namespace

bool TransferFolderEntries(const std::string& target, const std::string& source,
                           const std::optional<std::string>& backup, std::vector<std::string>& problems,
                           const SwitchStepHook& hook, SwitchUndoLog* undo) {
  for (const DirEntry& entry : ListFolder(source)) {
    if (EqualsIgnoreCase(entry.name, kSwitchJournalFile)) continue;
    const std::string from = JoinPath(source, entry.name);
    const std::string to = EntryIn(target, entry.name);
    if (!backup) {
      if (!Step(hook, "move " + from)) return false;
      MoveBack(from, to, problems, undo);
    } else if (!entry.isFolder) {
      if (!InstallEntry(to, *backup, entry.name, from, problems, hook, undo)) return false;
    }
  }
  return true;
}

namespace {

// Takes back what a failed switch did, so that the slot is as it was before it; then removes
// the journal. Where a step cannot be taken back, the journal is made to name the track that
// was active before, so the next catalog load tries again to put that one back.
void UndoFailedSwitch(const std::string& slotFolder, const std::string& journal, const std::string& previous,
                      SwitchUndoLog& undo, SwitchOutcome& outcome) {
  std::vector<std::string> undoProblems;
  if (undo.Undo(undoProblems)) {
    DeleteFile(journal);
    outcome.undone = true;
    return;
  }
  WriteFileAtomic(journal, previous + "\n");
  outcome.problems.push_back("The switch could not be undone completely; " + BaseName(slotFolder) +
                             " will be switched back to \"" + previous + "\" on the next reload:");
  outcome.problems.insert(outcome.problems.end(), undoProblems.begin(), undoProblems.end());
}

}  // namespace

SwitchOutcome SwitchSlot(const std::string& slotFolder, const std::string& trackName, const SwitchStepHook& hook,
                         bool undoFailed) {
  SwitchOutcome outcome;
  if (!IsFolder(slotFolder)) {
    outcome.problems.push_back("The slot folder " + slotFolder + " does not exist.");
    return outcome;
  }
  if (!IsPlainName(trackName)) {
    outcome.problems.push_back("\"" + trackName + "\" is not a track folder of " + slotFolder + ".");
    return outcome;
  }
  if (!IsUsableFileName(trackName)) {
    // Windows reads such a name as another one ("Original." is "Original") or as a device.
    outcome.problems.push_back("\"" + trackName + "\" means another name or a device on Windows; the game cannot use it as a track.");
    return outcome;
  }
  const std::string journal = EntryIn(slotFolder, kSwitchJournalFile);
  const std::string previous = ReadActiveTrack(slotFolder);
  if (!Step(hook, "journal")) return Stopped(outcome);
  FsResult recorded = WriteFileAtomic(journal, trackName + "\n");
  if (!recorded) {
    // Without the journal an interruption could not be mended: nothing is moved.
    outcome.problems.push_back("Could not write " + journal + ": " + SwitchStepReason(recorded) + ".");
    return outcome;
  }
  SwitchUndoLog undoLog;
  SwitchUndoLog* undo = undoFailed ? &undoLog : nullptr;
  const auto failed = [&] {
    if (undo) UndoFailedSwitch(slotFolder, journal, previous, undoLog, outcome);
    return outcome;
  };

  const std::string original = OriginalFolderPath(slotFolder);
  if (!IsFolder(original)) {
    FsResult made = CreateFolder(original);
    if (made && undo) undo->Created(original);
    if (!made && !IsFolder(original)) {
      outcome.problems.push_back("Could not create " + original + ": " + SwitchStepReason(made) + ".");
    }
  }
  if (!TransferFolderEntries(slotFolder, original, std::nullopt, outcome.problems, hook, undo)) {
    return Stopped(outcome);
  }
  // "Original" in any letter case is the backup folder itself: nothing to install.
  // A track folder that is gone leaves the slot on "Original": only that may be recorded.
  bool trackMissing = false;
  if (!EqualsIgnoreCase(trackName, kOriginalFolder)) {
    // Atrack.ini may spell the folder in another letter case, as the game allows.
    const std::string track = EntryIn(slotFolder, trackName);
    if (!IsFolder(track)) {
      trackMissing = true;
      outcome.problems.push_back("The track folder " + track + " does not exist.");
    } else if (IsFolder(original) &&
               !TransferFolderEntries(slotFolder, track, original, outcome.problems, hook, undo)) {
      return Stopped(outcome);
    }
  }
  if (!outcome.problems.empty() && undo) return failed();

  if (!Step(hook, "Atrack.ini")) return Stopped(outcome);
  if (!WriteActiveTrack(slotFolder, trackMissing ? std::string(kOriginalFolder) : trackName)) {
    outcome.problems.push_back("Could not write " + EntryIn(slotFolder, kActiveTrackFile) + ".");
    return failed();  // without an undo the journal stays: the next load tries again
  }
  if (!Step(hook, "journal removed")) return Stopped(outcome);
  DeleteFile(journal);
  return outcome;
}

std::string WriteTrackNameIntoGameText(GameData& data, const std::string& slotFolder, const std::string& trackName) {
  if (!data.kraxText()) return {};
  // The slot's row is the last character of its folder name ("Trk003" is row 3).
  const char last = slotFolder.empty() ? '\0' : slotFolder.back();
  if (!std::isdigit(static_cast<unsigned char>(last))) return {};
  const int row = last - '0';
  if (row >= kStockTrackSlotCount) return {};
  // The game's text is in its code page; folder names here are UTF-8.
  const std::optional<std::string> text =
      EqualsIgnoreCase(trackName, kOriginalFolder)
          ? std::optional<std::string>(StockTrackTable[static_cast<std::size_t>(row)].displayName)
          : Utf8ToGameText(trackName);
  if (!text) {
    return "The track name \"" + PathToUtf8(trackName) +
           "\" cannot be written in the game's code page (Windows-1252); the game text " + data.GameTextPath() +
           " was not changed.";
  }
  if (data.gameText.damaged()) {
    // Saving would write the strings that point outside the file as empty ones: only the
    // string editor does that, after asking.
    return "The game text " + data.GameTextPath() + " is damaged; the track name was not written into it.";
  }
  if (!data.SetGameText(102 + static_cast<std::size_t>(row), *text) || !data.SaveGameText()) {
    return "The track name could not be written into the game text " + data.GameTextPath() + ".";
  }
  return {};
}

SwitchOutcome SwitchTrackOfGame(GameData& data, const std::string& slotFolder, const std::string& trackName,
                                const SwitchStepHook& hook, bool undoFailed) {
  SwitchOutcome outcome = SwitchSlot(slotFolder, trackName, hook, undoFailed);
  if (!outcome.ok()) return outcome;
  outcome.textProblem = WriteTrackNameIntoGameText(data, slotFolder, trackName);
  return outcome;
}

std::optional<std::string> ReadSwitchJournal(const std::string& slotFolder) {
  const std::string journal = EntryIn(slotFolder, kSwitchJournalFile);
  if (!IsFile(journal)) return std::nullopt;
  std::optional<std::string> bytes = ReadWholeFile(journal);
  if (!bytes) return std::string();
  std::string name = bytes->substr(0, bytes->find_first_of("\r\n"));
  return IsPlainName(name) ? name : std::string();
}

int ResumeInterruptedSwitches(GameData& data, Prompts& prompts) {
  int repeated = 0;
  std::optional<GameFolderWriter> writer;  // taken at the first journal: listing alone never takes it
  for (int row = 0; row < kStockTrackSlotCount; ++row) {
    const std::string slot = data.SlotFolderPath(row);
    if (!ReadSwitchJournal(slot)) continue;
    if (!writer) {
      // A journal of a switch that another program is running now is its own to finish.
      writer.emplace(data.gameFolder(), std::chrono::milliseconds(0));
      if (!*writer) return repeated;
    }
    std::optional<std::string> target = ReadSwitchJournal(slot);  // read again under the lock
    if (!target) continue;
    if (target->empty()) {
      // Not ours to interpret: leave the slot as it is and say so once.
      DeleteFile(EntryIn(slot, kSwitchJournalFile));
      prompts.Message("An interrupted track switch in " + slot +
                      " could not be repeated: its record is damaged. Check the slot and switch it again.");
      continue;
    }
    ++repeated;
    if (!EqualsIgnoreCase(*target, kOriginalFolder) &&
        (!IsUsableFileName(*target) || !IsFolder(EntryIn(slot, *target)))) {
      // The folder it was switching to is gone (or is no name the game can use): the slot
      // goes back to its own track, and Atrack.ini never names a folder that is not there.
      SwitchOutcome outcome = SwitchTrackOfGame(data, slot, kOriginalFolder, {}, /*undoFailed=*/false);
      if (outcome.ok()) {
        prompts.Message("The switch of " + BaseName(slot) + " to \"" + *target + "\" was interrupted, and that folder is gone; " +
                        BaseName(slot) + " has been switched back to \"" + kOriginalFolder + "\" instead." +
                        (outcome.textProblem.empty() ? "" : "\n" + outcome.textProblem));
      } else {
        prompts.Message("The switch of " + BaseName(slot) + " to \"" + *target + "\" was interrupted, and that folder is gone. " +
                        DescribeSwitchProblems(slot, kOriginalFolder, outcome.problems));
      }
      continue;
    }
    // Going back would need the state before the crash, which is gone: the switch is finished.
    SwitchOutcome outcome = SwitchTrackOfGame(data, slot, *target, {}, /*undoFailed=*/false);
    if (outcome.ok()) {
      prompts.Message("The switch of " + BaseName(slot) + " to \"" + *target +
                      "\" was interrupted; it has now been completed." +
                      (outcome.textProblem.empty() ? "" : "\n" + outcome.textProblem));
    } else {
      prompts.Message("The switch of " + BaseName(slot) + " to \"" + *target + "\" was interrupted. " +
                      DescribeSwitchProblems(slot, *target, outcome.problems));
    }
  }
  return repeated;
}

std::string DescribeSwitchProblems(const std::string& slotFolder, const std::string& trackName,
                                   const std::vector<std::string>& problems) {
  constexpr std::size_t kShown = 8;
  std::string text = "The switch of " + BaseName(slotFolder) + " to \"" + trackName + "\" did not complete:";
  for (std::size_t i = 0; i < problems.size() && i < kShown; ++i) text += "\n" + problems[i];
  if (problems.size() > kShown) text += "\n... and " + std::to_string(problems.size() - kShown) + " more.";
  return text;
}

std::string DescribeSwitchProblems(const std::string& slotFolder, const std::string& trackName,
                                   const SwitchOutcome& outcome) {
  std::string text = DescribeSwitchProblems(slotFolder, trackName, outcome.problems);
  if (outcome.undone) text += "\nEvery step it had made was undone: " + BaseName(slotFolder) + " is as it was before.";
  return text;
}

}  // namespace krax

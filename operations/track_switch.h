// Switching a track slot: the chosen track folder's files go into the slot folder, the game's
// own files they replace wait in the slot's "Original" folder, and Atrack.ini names the choice.
//
// Nothing is ever replaced or deleted in "Original": it may hold the only copy of a game file.
// A step that fails is recorded and the switch goes on with the next entry; at the end, a
// switch with failed steps takes back every step it made, so the slot is exactly as before.
// Before its first move a switch leaves a journal file in the slot folder naming its target,
// and removes it once Atrack.ini is written, so a switch cut short (a crash, a power cut) is
// found and finished on the next catalog load.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace krax {

class GameData;
class Prompts;
class SwitchUndoLog;

// The journal of a switch in progress, in the slot folder. Never copied or moved by a switch.
inline constexpr const char* kSwitchJournalFile = "KRAXManager.switch";

// Called before every change a switch makes on disk, with a short description of the step.
// Returning false stops the switch at that point as a crash would (tests use it to cut a
// switch short and to change the disk between two steps).
using SwitchStepHook = std::function<bool(const std::string& step)>;

struct SwitchOutcome {
  bool stopped = false;               // the hook stopped it; the journal stays
  std::vector<std::string> problems;  // one line per step that failed
  bool undone = false;                // it failed, and every step it made was taken back
  // The slot was switched, but the track's name did not go into the game text: why.
  std::string textProblem;
  bool ok() const { return !stopped && problems.empty(); }
};

// Moves or copies every entry of `source` into `target`. Without a backup folder each entry is
// moved, replacing a file of the same name (never a folder). With one, the target's entry of
// that name first moves into the backup folder and the source's file is then copied in; when
// the backup already holds an entry of that name it is kept as it is, and the source's file
// replaces the target's only when that is a plain writable file; a folder in the target is
// never moved. Names are matched ignoring case, as the game sees them. Folders inside `source`
// are not copied. Every change made is recorded in `undo` when given. False when `hook`
// stopped it.
bool TransferFolderEntries(const std::string& target, const std::string& source,
                           const std::optional<std::string>& backup, std::vector<std::string>& problems,
                           const SwitchStepHook& hook = {}, SwitchUndoLog* undo = nullptr);

// Makes `trackName` (a folder of the slot, or "Original") the active track of `slotFolder`:
// journal, restore of "Original", install of the track's files, Atrack.ini, journal removed.
// Safe to repeat. With `undoFailed`, a switch with failed steps is taken back (see above);
// without it (finishing a switch cut short) the steps that succeeded stay done and the
// journal stays when Atrack.ini cannot be written. The game text is not touched here.
SwitchOutcome SwitchSlot(const std::string& slotFolder, const std::string& trackName,
                         const SwitchStepHook& hook = {}, bool undoFailed = true);

// The slot's track name (the stock name for "Original") as string 102 + slot number of the
// game text, in the game's code page, while the game text functions are on. "" when written
// or not needed, else why it was not written (a name the code page cannot hold, a damaged
// or unwritable text file).
std::string WriteTrackNameIntoGameText(GameData& data, const std::string& slotFolder, const std::string& trackName);

// SwitchSlot, then, when it succeeded, WriteTrackNameIntoGameText into `textProblem`.
SwitchOutcome SwitchTrackOfGame(GameData& data, const std::string& slotFolder, const std::string& trackName,
                                const SwitchStepHook& hook = {}, bool undoFailed = true);

// The target named by a slot's journal, nullopt when the slot has none. A journal that names no
// plain folder name gives "".
std::optional<std::string> ReadSwitchJournal(const std::string& slotFolder);

// Repeats every switch of the game's nine slots that a journal shows was cut short, and tells
// the user about each. Run before the track catalog is loaded. Returns the number repeated.
int ResumeInterruptedSwitches(GameData& data, Prompts& prompts);

// "The switch of Trk003 to "X" did not complete: ..." with the problems, a few lines at most.
std::string DescribeSwitchProblems(const std::string& slotFolder, const std::string& trackName,
                                   const std::vector<std::string>& problems);
// The same for a switch's outcome, saying also whether its steps were undone.
std::string DescribeSwitchProblems(const std::string& slotFolder, const std::string& trackName,
                                   const SwitchOutcome& outcome);

}  // namespace krax

// "DIR = ID" and "DIR = NAME": every car folder renamed after the car's ID or name, directly
// under the car folder \GameData\CarModel. Renames never replace anything: a target that is
// taken (also by a name that differs only in letter case, as the game sees its folders) gives
// the folder a numbered name instead, from a counter shared by the whole run.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace krax {

struct CarRecord;

enum class FolderNaming { kId, kName };

// Numbered names tried for one folder before it is left as it is.
inline constexpr int kMaxNumberedTries = 10000;

struct FolderRename {
  enum class Outcome {
    kRenamed,       // moved to its target name
    kNumbered,      // the target was taken: moved to (or already had) a numbered name
    kAlreadyNamed,  // the folder already had its target name
    kNoFedata,      // no front-end data, so no ID or name: kept
    kBadName,       // the ID or name cannot be a folder name under Wine: kept
    kFailed,        // the rename failed for another reason (see `error`): kept
    kNoFreeName,    // every numbered name tried was taken: kept
  };
  std::string from;  // the car's folder before the run
  std::string to;    // its folder after the run (`from` when kept)
  std::string wanted;  // the target name ("" without front-end data)
  Outcome outcome = Outcome::kFailed;
  int error = 0;  // errno of a failed rename
};

// Renames the folder of every car of `table` (in its order) that has
// front-end data. `carModelFolder` is the car folder as it exists on disk. DIR = ID writes a
// "Rename err:: <reason>" line to `diagnostics` for every folder whose rename to its target
// fails. The table itself is not changed; the caller reloads it. A folder that already has
// its target name, or a numbered name from an earlier run while its target is still taken,
// stays where it is, so a second run changes nothing. With `dryRun` nothing is renamed: the
// result is the plan (every rename taken to succeed unless its name is taken).
std::vector<FolderRename> RenameCarFolders(const std::vector<CarRecord>& table, const std::string& carModelFolder,
                                           FolderNaming naming, std::ostream& diagnostics, bool dryRun = false);

// "12 folders renamed, 3 already named, 1 kept." and one line per folder that moved or kept
// a name it should not have ("old -> new", "folder: kept, <reason>"), paths shown below
// `carModelFolder`.
std::string RenameSummary(const std::vector<FolderRename>& renames);
// The number of folders a run (or plan) moves, and the question asked before a run of
// `command` with that plan: "DIR = ID: rename 3 car folders?".
std::size_t RenameMoveCount(const std::vector<FolderRename>& renames);
std::string RenamePlanQuestion(const std::string& command, const std::vector<FolderRename>& plan);
std::string RenameDetails(const std::vector<FolderRename>& renames, const std::string& carModelFolder);

}  // namespace krax

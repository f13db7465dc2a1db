#include "operations/rename_car_dirs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <ostream>

#include "gamedata/car_record.h"
#include "gamedata/code_page.h"
#include "operations/file_names.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {

namespace {

std::string NumberedName(FolderNaming naming, const std::string& wanted, int number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%04d", number);
  return naming == FolderNaming::kId ? std::string(digits) : wanted + digits;
}

// The names directly under the car folder, counted without regard to letter case, kept up to
// date as folders move, so that "taken" means taken to the game.
class TakenNames {
 public:
  explicit TakenNames(const std::string& carModelFolder) : folder_(carModelFolder) {
    for (const DirEntry& entry : ListFolder(carModelFolder)) ++count_[AsciiLower(entry.name)];
  }
  bool InCarFolder(const std::string& path) const { return ParentPath(path) == folder_; }
  // True when another entry than `source` holds `name`.
  bool Taken(const std::string& name, const std::string& source) const {
    const auto it = count_.find(AsciiLower(name));
    int holders = it == count_.end() ? 0 : it->second;
    if (InCarFolder(source) && EqualsIgnoreCase(BaseName(source), name)) --holders;
    return holders > 0;
  }
  void Moved(const std::string& from, const std::string& to) {
    if (InCarFolder(from)) --count_[AsciiLower(BaseName(from))];
    ++count_[AsciiLower(BaseName(to))];
  }

 private:
  std::string folder_;
  std::map<std::string, int> count_;
};

// True when `folder` is `wanted` followed by a run's number (DIR = NAME), or a run's number
// alone (DIR = ID): a name an earlier run gave it because `wanted` was taken.
bool IsNumberedName(FolderNaming naming, const std::string& wanted, const std::string& folder) {
  std::size_t digits = 0;
  if (naming == FolderNaming::kName) {
    if (folder.size() <= wanted.size() || !EqualsIgnoreCase(folder.substr(0, wanted.size()), wanted)) return false;
    digits = wanted.size();
  }
  if (folder.size() - digits < 4) return false;
  for (std::size_t i = digits; i < folder.size(); ++i) {
    if (folder[i] < '0' || folder[i] > '9') return false;
  }
  return true;
}

// Renames `source` to `name` under the car folder (or, for a plan, only works out whether
// it could). Renaming a folder to the name it has succeeds without touching it.
FsResult TryRename(const std::string& source, const std::string& carModelFolder, const std::string& name,
                   TakenNames& taken, std::string& target, bool dryRun) {
  target = JoinPath(carModelFolder, name);
  if (target == source) return {};
  if (taken.Taken(name, source)) return {FsStatus::kAlreadyExists, EEXIST};
  FsResult result = dryRun ? FsResult{} : RenameNoReplace(source, target);
  if (result.ok()) {
    taken.Moved(source, target);
  } else if (result.status == FsStatus::kAlreadyExists && taken.InCarFolder(source) &&
             EqualsIgnoreCase(BaseName(source), name)) {
    // A file system that ignores case itself refuses to change only the case: the folder
    // already has its name as the game sees it.
    target = source;
    return {};
  }
  return result;
}

std::string Shown(const std::string& path, const std::string& carModelFolder) {
  if (path.size() > carModelFolder.size() && path.compare(0, carModelFolder.size(), carModelFolder) == 0 &&
      IsSeparator(path[carModelFolder.size()])) {
    return path.substr(carModelFolder.size() + 1);
  }
  return path;
}

}  // namespace

std::vector<FolderRename> RenameCarFolders(const std::vector<CarRecord>& table, const std::string& carModelFolder,
                                           FolderNaming naming, std::ostream& diagnostics, bool dryRun) {
  std::vector<FolderRename> renames;
  TakenNames taken(carModelFolder);
  int counter = 0;
  const auto diagnose = [&](int error) {
    if (naming == FolderNaming::kId && !dryRun) diagnostics << "Rename err:: " << std::strerror(error) << '\n';
  };
  for (std::size_t slot = 0; slot < table.size(); ++slot) {
    const CarRecord& car = table[slot];
    FolderRename rename;
    rename.from = ParentPath(car.archivePath);
    if (rename.from.empty()) rename.from = car.archivePath;
    rename.to = rename.from;
    if (!car.hasFedata()) {
      rename.outcome = FolderRename::Outcome::kNoFedata;
      renames.push_back(rename);
      continue;
    }
    // The game keeps IDs and names in its code page; folder names here are UTF-8.
    rename.wanted = GameTextToUtf8(naming == FolderNaming::kId ? car.carId.value_or("") : car.name.value_or(""));
    if (!IsUsableFileName(rename.wanted)) {
      diagnose(EINVAL);
      rename.outcome = FolderRename::Outcome::kBadName;
      renames.push_back(rename);
      continue;
    }
    // A folder an earlier run numbered keeps its number while its target is still taken, so
    // that a second run changes nothing.
    if (taken.InCarFolder(rename.from) && IsNumberedName(naming, rename.wanted, BaseName(rename.from)) &&
        taken.Taken(rename.wanted, rename.from)) {
      rename.outcome = FolderRename::Outcome::kNumbered;
      renames.push_back(rename);
      continue;
    }
    std::string target;
    FsResult result = TryRename(rename.from, carModelFolder, rename.wanted, taken, target, dryRun);
    if (result.ok()) {
      rename.to = target;
      rename.outcome = target == rename.from ? FolderRename::Outcome::kAlreadyNamed : FolderRename::Outcome::kRenamed;
      renames.push_back(rename);
      continue;
    }
    diagnose(result.systemError ? result.systemError : EIO);
    rename.error = result.systemError;
    rename.outcome = FolderRename::Outcome::kFailed;
    if (result.status == FsStatus::kAlreadyExists) {
      rename.outcome = FolderRename::Outcome::kNoFreeName;
      for (int tries = 0; tries < kMaxNumberedTries; ++tries) {
        result = TryRename(rename.from, carModelFolder, NumberedName(naming, rename.wanted, counter++), taken, target,
                           dryRun);
        if (result.ok()) {
          rename.to = target;
          rename.outcome = FolderRename::Outcome::kNumbered;
          break;
        }
        if (result.status != FsStatus::kAlreadyExists) {
          rename.error = result.systemError;
          rename.outcome = FolderRename::Outcome::kFailed;
          break;
        }
      }
    }
    renames.push_back(rename);
  }
  return renames;
}

std::string RenameSummary(const std::vector<FolderRename>& renames) {
  int moved = 0, numbered = 0, named = 0, kept = 0;
  for (const FolderRename& rename : renames) {
    if (rename.to != rename.from) {
      ++moved;
      if (rename.outcome == FolderRename::Outcome::kNumbered) ++numbered;
    } else if (rename.outcome == FolderRename::Outcome::kAlreadyNamed ||
               rename.outcome == FolderRename::Outcome::kNumbered) {
      ++named;
    } else {
      ++kept;
    }
  }
  std::string text = std::to_string(moved) + (moved == 1 ? " folder renamed" : " folders renamed");
  if (numbered > 0) text += " (" + std::to_string(numbered) + " to numbered names: their names were taken)";
  text += ", " + std::to_string(named) + " already named, " + std::to_string(kept) + " kept.";
  return text;
}

std::size_t RenameMoveCount(const std::vector<FolderRename>& renames) {
  std::size_t moves = 0;
  for (const FolderRename& rename : renames) moves += rename.to != rename.from ? 1 : 0;
  return moves;
}

std::string RenamePlanQuestion(const std::string& command, const std::vector<FolderRename>& plan) {
  const std::size_t moves = RenameMoveCount(plan);
  return command + ": rename " + (moves == 1 ? std::string("1 car folder") : std::to_string(moves) + " car folders") +
         "?";
}

std::string RenameDetails(const std::vector<FolderRename>& renames, const std::string& carModelFolder) {
  std::string text;
  for (const FolderRename& rename : renames) {
    const std::string from = Shown(rename.from, carModelFolder);
    if (rename.to != rename.from) {
      text += from + " -> " + Shown(rename.to, carModelFolder) + '\n';
      continue;
    }
    switch (rename.outcome) {
      case FolderRename::Outcome::kRenamed:
      case FolderRename::Outcome::kNumbered:
      case FolderRename::Outcome::kAlreadyNamed:
        break;
      case FolderRename::Outcome::kNoFedata:
        text += from + ": kept, the car has no front-end data\n";
        break;
      case FolderRename::Outcome::kBadName:
        text += from + ": kept, \"" + rename.wanted + "\" cannot be a folder name\n";
        break;
      case FolderRename::Outcome::kFailed:
        text += from + ": kept, " + std::strerror(rename.error ? rename.error : EIO) + '\n';
        break;
      case FolderRename::Outcome::kNoFreeName:
        text += from + ": kept, \"" + rename.wanted + "\" and every numbered name tried are taken\n";
        break;
    }
  }
  return text;
}

}  // namespace krax

#include "operations/install_run.h"

#include <algorithm>
#include <cstring>

#include "operations/archive_format.h"
#include "operations/file_names.h"
#include "platform/file_system.h"
#include "platform/free_space.h"
#include "platform/path.h"
#include "platform/regular_file.h"
#include "platform/temporary_file.h"

namespace krax {
namespace {

std::string ErrorText(const FsResult& result) {
  return result.systemError ? std::strerror(result.systemError) : "failed";
}

void StageFolderFiles(const InstallPlan& plan, const std::string& staging, InstallOutcome& outcome) {
  for (const InstallFile& file : plan.files) {
    const FsResult copied = CopyRegularFile(file.source, JoinPath(staging, file.displayName));
    if (copied.ok()) {
      outcome.installed.push_back(file.displayName);
      continue;
    }
    const EntryKind kind = KindOfEntry(file.source);
    outcome.failed.emplace_back(file.displayName, kind != EntryKind::kRegularFile && kind != EntryKind::kMissing
                                                      ? std::string("it is ") + EntryKindText(kind) + ", not a file"
                                                      : "cannot copy: " + ErrorText(copied));
  }
}

// The plan's file whose entry name is `entry` (ignoring case), or nullptr.
const InstallFile* FindEntry(const InstallPlan& plan, const std::string& entry) {
  for (const InstallFile& file : plan.files) {
    if (EqualsIgnoreCase(file.source, entry)) return &file;
  }
  return nullptr;
}

// Extracts the plan's entries from its zip or cabinet file into the staging folder.
void StageArchiveEntries(const InstallPlan& plan, const std::string& staging, InstallOutcome& outcome,
                         const ArchiveCallbacks& callbacks) {
  std::vector<std::string> entries;
  for (const InstallFile& file : plan.files) entries.push_back(file.source);
  const EntryExtraction result =
      ArchiveFormatFor(plan.archiveKind).ExtractEntries(plan.source, entries, staging, &callbacks);
  if (!result.problem.empty()) {
    outcome.problem = result.problem;
    return;
  }
  for (const auto& [entry, reason] : result.failed) {
    const InstallFile* file = FindEntry(plan, entry);
    outcome.failed.emplace_back(file ? file->displayName : entry, reason);
  }
  for (const InstallFile& file : plan.files) {
    bool failed = false;
    for (const auto& [name, reason] : outcome.failed) failed = failed || name == file.displayName;
    if (!failed) outcome.installed.push_back(file.displayName);
  }
}

// A staged file moved into an existing destination, and where the file it replaced waits.
struct PlacedFile {
  std::string staged, target, backup;  // backup "" when nothing was replaced
};

// Puts the placed files back where they were and the replaced ones in their place.
void UndoPlacing(const std::vector<PlacedFile>& placed) {
  for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
    if (!it->staged.empty()) RenameNoReplace(it->target, it->staged);
    if (!it->backup.empty()) RenameNoReplace(it->backup, it->target);
  }
}

// Moves every staged file into the existing folder `destination`, replacing files of the
// same names (found ignoring case). The replaced files wait in a folder of their own until
// all are in place; when one cannot be placed, everything is put back. "" or the reason.
std::string PlaceIntoExisting(const std::string& staging, const std::string& destination) {
  const std::vector<DirEntry> staged = ListFolder(staging);
  for (const DirEntry& entry : staged) {
    const std::string target = ResolvePath(JoinPath(destination, entry.name));
    const EntryKind kind = KindOfEntry(target);
    if (kind == EntryKind::kMissing) continue;
    if (kind != EntryKind::kRegularFile && kind != EntryKind::kLink) {
      return target + " is " + EntryKindText(kind) + ", not a file";
    }
    if (kind == EntryKind::kRegularFile && IsReadOnly(target)) return target + " is read-only";
  }
  TemporaryFolder replaced;
  const FsResult made = TemporaryFolder::CreateIn(ParentPath(destination), replaced);
  if (!made.ok()) return "cannot write beside " + destination + ": " + ErrorText(made);
  std::vector<PlacedFile> placed;
  for (const DirEntry& entry : staged) {
    PlacedFile file{JoinPath(staging, entry.name), ResolvePath(JoinPath(destination, entry.name)), ""};
    if (KindOfEntry(file.target) != EntryKind::kMissing) {
      const std::string backup = JoinPath(replaced.path(), entry.name);
      const FsResult saved = RenameNoReplace(file.target, backup);
      if (!saved.ok()) {
        UndoPlacing(placed);
        return "cannot replace " + file.target + ": " + ErrorText(saved);
      }
      file.backup = backup;
    }
    const FsResult moved = RenameNoReplace(file.staged, file.target);
    if (!moved.ok()) {
      if (!file.backup.empty()) RenameNoReplace(file.backup, file.target);
      UndoPlacing(placed);
      return "cannot write " + file.target + ": " + ErrorText(moved);
    }
    placed.push_back(std::move(file));
  }
  return {};
}

// A folder never holds both car.viv and car.viv.dis: a staged archive takes the name of the
// one in the destination, so that it replaces it and the car stays enabled or disabled.
void KeepCarArchiveName(const std::string& staging, const std::string& destination, InstallOutcome& outcome) {
  std::vector<std::string> names;
  for (const DirEntry& entry : ListFolder(staging)) names.push_back(entry.name);
  for (const std::string& name : names) {
    const std::string kept = KeptCarArchiveName(destination, name);
    // An install that brings both names replaces both.
    if (kept.empty() || std::any_of(names.begin(), names.end(), [&](const std::string& other) {
          return EqualsIgnoreCase(other, kept);
        })) {
      continue;
    }
    const std::string note = KeptCarArchiveNote(destination, {name});
    const FsResult renamed = RenameNoReplace(JoinPath(staging, name), JoinPath(staging, kept));
    if (!renamed.ok()) {
      outcome.problem = "cannot install " + name + " as " + kept + ": " + ErrorText(renamed);
      return;
    }
    outcome.notes.push_back(note);
  }
}

// Why nothing may be written for this install, or "".
std::string RefusedDestination(const InstallPlan& plan, const std::string& destination) {
  if (IsTrackMode(plan.mode) && EqualsIgnoreCase(BaseName(destination), "Original")) {
    return "the folder Original keeps the game's own track of the slot; an install never writes there";
  }
  if (!IsArchiveMode(plan.mode)) {
    const auto source = IdentifyFolder(plan.source);
    if (source && source == IdentifyFolder(destination)) return "the destination is the folder the files come from";
  }
  const std::string parent = ParentPath(destination);
  const auto free = FreeSpace(parent);
  if (free && plan.totalLength > 0 && static_cast<std::uint64_t>(plan.totalLength) > *free) {
    return "the files need " + std::to_string((plan.totalLength + 1023) / 1024) + "KB, but only " +
           std::to_string(*free / 1024) + "KB are free in " + parent;
  }
  return {};
}

}  // namespace

std::string InstallIdProblem(const std::string& id, bool track) {
  if (id.empty()) return "Please enter an ID.";
  if (track && EqualsIgnoreCase(id, "Original")) {
    return "The ID \"" + id + "\" is the folder that keeps the slot's own track. Please enter another ID.";
  }
  if (!IsUsableFileName(id)) {
    return "The ID \"" + id + "\" cannot be used as a folder name: Windows would change or reserve it. Please enter another ID.";
  }
  return {};
}

std::string InstallOutcome::Summary() const {
  if (!problem.empty()) return "Nothing was installed into " + destination + ": " + problem;
  if (!failed.empty()) {
    std::string text = "Nothing was installed into " + destination + ": " + std::to_string(failed.size()) + " of " +
                       std::to_string(installed.size() + failed.size()) + " files could not be installed.";
    text += "\nNot installed:";
    for (const auto& [name, reason] : failed) text += "\n  " + name + ": " + reason;
    return text;
  }
  std::string text = "Installed " + std::to_string(installed.size()) + " of " + std::to_string(installed.size()) +
                     " files into " + destination + ".";
  for (const std::string& note : notes) text += "\n" + note;
  return text;
}

InstallOutcome RunInstall(const InstallPlan& plan, const std::string& destination,
                          const ArchiveCallbacks& callbacks) {
  InstallOutcome outcome;
  outcome.destination = destination;
  outcome.problem = RefusedDestination(plan, destination);
  if (!outcome.problem.empty()) return outcome;
  if (PathExists(destination) && !IsFolder(destination)) {
    outcome.problem = destination + " is not a folder";
    return outcome;
  }
  // The files gather in a folder beside the destination (on the same file system, so the
  // final moves are renames) and go into place only once every one is complete.
  TemporaryFolder staging;
  const FsResult made = TemporaryFolder::CreateIn(ParentPath(destination), staging);
  if (!made.ok()) {
    outcome.problem = "cannot write in " + ParentPath(destination) + ": " + ErrorText(made);
    return outcome;
  }
  if (!IsArchiveMode(plan.mode)) {
    StageFolderFiles(plan, staging.path(), outcome);
  } else {
    StageArchiveEntries(plan, staging.path(), outcome, callbacks);
  }
  if (!outcome.ok()) return outcome;
  if (!IsTrackMode(plan.mode) && IsFolder(destination)) KeepCarArchiveName(staging.path(), destination, outcome);
  if (!PathExists(destination)) {
    const FsResult moved = RenameNoReplace(staging.path(), destination);
    if (!moved.ok()) outcome.problem = "cannot create the folder: " + ErrorText(moved);
  } else {
    outcome.problem = PlaceIntoExisting(staging.path(), destination);
  }
  return outcome;
}

}  // namespace krax

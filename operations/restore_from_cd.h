// Restoring the game's own content from its CD: a recursive copy of one CD folder into the
// game folder that replaces files, creates missing folders, leaves the copies writable and
// deletes nothing. The CD is checked before anything is copied; the copy reports progress
// through Prompts and can be stopped between files (what was copied stays).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace krax {

class Prompts;
struct ProgressState;

// A CD path as a folder on this machine: a Windows drive path ("D:\") is looked up through
// the Wine prefix when no such host folder exists; "" when none can be found.
std::string CdFolderOnHost(std::string_view cdPath);

// The CD folder for `subPath` ("\GameData\CarModel"), found ignoring letter case as an ISO
// 9660 CD may spell it; "" with the reason in `problem` when the CD path is empty, the CD
// cannot be found or it has no such folder.
std::string FindCdFolder(std::string_view cdPath, std::string_view subPath, std::string& problem);

struct CopyOutcome {
  bool cancelled = false;
  std::uint64_t filesCopied = 0, filesTotal = 0;
  std::uint64_t bytesCopied = 0;
  std::vector<std::string> errors;  // "path: reason", one per file or folder that failed
  std::vector<std::string> keptDisabled;  // car archives written under their disabled name

  bool ok() const { return !cancelled && errors.empty(); }
};

// Copies the contents of `sourceFolder` into `destination` (created when missing) with a
// progress display titled `title`. Car archives keep the state of the car they restore: see
// RestoredArchivePath; every archive so kept is named in `keptDisabled` of the outcome.
CopyOutcome CopyFolderContents(const std::string& sourceFolder, const std::string& destination,
                               const std::string& title, Prompts& prompts);

// Where a restored file goes. A car archive "car.viv" bound for a folder that holds the car
// only under its disabled name ("car.viv.dis", any letter case) goes to that name, so a
// disabled car stays disabled and the folder never holds both names. Every other file goes
// where it was bound.
std::string RestoredArchivePath(const std::string& destination);

// What a copy of `sourceFolder` would bring: its files and their bytes, in all its folders.
struct FolderContents {
  std::uint64_t files = 0, bytes = 0;
};
FolderContents CountFolderContents(const std::string& sourceFolder);

// What the user reads at the end: "Restored 12 files (3.4 MB) from the CD." or how far a
// stopped copy came; followed by the copy's errors (at most `maxErrors`, then a count).
std::string CopyOutcomeText(const CopyOutcome& outcome, std::size_t maxErrors = 20);

// "1.2 MB", "830 bytes": a byte count for the user.
std::string ByteCountText(std::uint64_t bytes);

// One progress line: "File 3 of 40, 1.2 MB of 5.0 MB: <file>".
std::string ProgressText(const ProgressState& state);

}  // namespace krax

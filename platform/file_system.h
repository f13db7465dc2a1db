// File-system operations with the semantics the program relies on: renames that never
// replace, copies and writes that replace a file only once the new content is complete.
// Paths given here are used as spelled; resolve game paths with ResolvePath first.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krax {

enum class FsStatus {
  kOk,
  kAlreadyExists,  // the target of a rename, move or exclusive create exists
  kNotFound,
  kFailed,         // any other failure; see FsResult::error
};

struct FsResult {
  FsStatus status = FsStatus::kOk;
  int systemError = 0;  // errno of the failure, 0 when none
  bool ok() const { return status == FsStatus::kOk; }
  explicit operator bool() const { return ok(); }
};

struct DirEntry {
  std::string name;
  bool isFolder = false;
};

// The prefix of the program's temporary files and folders (platform/temporary_file.h).
inline constexpr std::string_view kTemporaryPrefix = ".krax-";
// True for a name that begins with kTemporaryPrefix: never shown, listed, packed or installed.
bool IsTemporaryName(std::string_view name);

// The entries of a folder in the order Windows lists the game's folders (FileNameLess of
// platform/file_name_order.h), whatever order the file system keeps, so that every system
// finds the same first car, duplicate and track. Without "." and "..", and without the
// program's temporaries unless `withTemporaries`. Empty when the folder cannot be listed.
std::vector<DirEntry> ListFolder(std::string_view folder, bool withTemporaries = false);

// Puts entries in ListFolder's order.
void SortAsListedOnWindows(std::vector<DirEntry>& entries);

bool IsFolder(std::string_view path);

// The identity of a folder (device and inode, links followed): two paths that reach one
// folder have one identity. nullopt when `path` is no folder.
struct FolderIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  auto operator<=>(const FolderIdentity&) const = default;
};
std::optional<FolderIdentity> IdentifyFolder(std::string_view path);
bool IsFile(std::string_view path);
std::optional<std::uint64_t> FileSize(std::string_view path);

// Rename or move that fails with kAlreadyExists when `to` exists (even an empty folder).
// Across file systems a file or folder tree is copied, then the source deleted.
FsResult RenameNoReplace(std::string_view from, std::string_view to);

// Copies a file; an existing target is replaced only when the copy is complete.
// With overwrite false an existing target gives kAlreadyExists.
FsResult CopyFile(std::string_view from, std::string_view to, bool overwrite = true);

// Deletes a file, never a folder.
FsResult DeleteFile(std::string_view path);

// Creates one folder (parent must exist; kAlreadyExists when it exists) or, with parents,
// every missing folder of the path (kOk when the folder already exists).
FsResult CreateFolder(std::string_view path, bool withParents = false);

// Removes an empty folder.
FsResult RemoveEmptyFolder(std::string_view path);

// Reads a whole file; nullopt when it cannot be read.
std::optional<std::string> ReadWholeFile(std::string_view path);

// Writes `bytes` to a temporary file beside `path`, then replaces `path` with it. On any
// failure `path` keeps its old content and the temporary file is removed.
FsResult WriteFileAtomic(std::string_view path, std::string_view bytes);

// Read-only attribute, realised as the owner's write permission.
bool IsReadOnly(std::string_view path);
FsResult SetReadOnly(std::string_view path, bool readOnly);

// DOS date and time (local time, 2-second resolution) of a file's last modification.
struct DosDateTime {
  std::uint16_t date = 0;  // bits 15-9 year-1980, 8-5 month, 4-0 day
  std::uint16_t time = 0;  // bits 15-11 hour, 10-5 minute, 4-0 seconds/2
};
std::optional<DosDateTime> FileDosTime(std::string_view path);
FsResult SetFileDosTime(std::string_view path, DosDateTime when);  // modification time; access time kept
DosDateTime ToDosDateTime(std::int64_t unixSeconds);                 // local time
std::int64_t FromDosDateTime(DosDateTime when);                      // local time -> Unix seconds

// Recursive copy as the restore commands need it: `source` is a folder (its tree is copied
// into `destination`, creating folders) or a "folder/*.*" pattern (the folder's contents).
// Files are replaced, copied files are left writable; an existing file or folder whose name
// differs only in letter case is the one replaced or filled. Progress and errors go to
// callbacks; returning false from either stops the copy (between files).
struct CopyProgress {
  std::uint64_t filesDone = 0, filesTotal = 0;
  std::uint64_t bytesDone = 0, bytesTotal = 0;
  std::uint64_t filesFailed = 0;  // of filesDone, the files that could not be copied
  std::string currentFile;
};
struct CopyTreeCallbacks {
  std::function<bool(const CopyProgress&)> progress;
  std::function<bool(const std::string& path, const FsResult& error)> error;
  // Where a file goes: given the destination path planned for it, the path to write instead
  // (returning it unchanged keeps the plan). Asked once per file, before anything is copied.
  std::function<std::string(const std::string& destination)> fileDestination;
};
FsResult CopyTree(std::string_view source, std::string_view destination,
                  const CopyTreeCallbacks& callbacks = {});

}  // namespace krax

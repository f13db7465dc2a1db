// Temporary files and folders. Every one the program makes is named ".krax-XXXXXXXX" (see
// IsTemporaryName) and lies beside what it becomes, and is held (locked) for as long as it
// is in use; one that nobody holds was left by a run that was killed, and the next
// temporary made in that folder removes it.
//
// TemporaryFile: a new file under a short unique name in a chosen folder, for content that
// replaces another file only once it is complete. The file is deleted when the object is
// dropped, unless Commit moved it into place.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/unique_fd.h"

namespace krax {

class TemporaryFile {
 public:
  TemporaryFile() = default;
  ~TemporaryFile();
  TemporaryFile(TemporaryFile&& other) noexcept;
  TemporaryFile& operator=(TemporaryFile&& other) noexcept;

  // Creates ".krax-XXXXXXXX" in `folder`, after removing the leftovers there (read and write for everyone the umask
  // allows; the descriptor is never 0, 1 or 2). The name is short whatever the final name will be.
  static FsResult CreateIn(std::string_view folder, TemporaryFile& file);

  bool valid() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  int fd() const { return fd_.get(); }
  // Hands the descriptor to someone who closes it; the file itself stays owned.
  int ReleaseFd();

  // Closes the descriptor (if still held) and renames the file over `finalPath`.
  FsResult Commit(std::string_view finalPath);

 private:
  void Discard();

  std::string path_;
  UniqueFd fd_;
};

// A new, empty folder ".krax-XXXXXXXX" in a chosen folder, for a group of files that
// replace others only once all of them are complete (the parts of a cabinet set). The
// folder and everything still in it are deleted when the object is dropped.
class TemporaryFolder {
 public:
  TemporaryFolder() = default;
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  // Deletes a folder `created` already held, removes the leftovers in `folder`, then makes
  // a new one.
  static FsResult CreateIn(std::string_view folder, TemporaryFolder& created);

  const std::string& path() const { return path_; }

 private:
  void Discard();
  // Each system's own steps: make the new folder `path` (false with the system's error number
  // when it cannot), and hold it open so that it shows as in use.
  static bool MakeFolder(const std::string& path, int& error);
  static UniqueFd HoldFolder(const std::string& path);

  std::string path_;
  UniqueFd held_;  // keeps the folder marked as in use
};

// A fresh temporary name: kTemporaryPrefix and eight random lowercase letters and digits
// (lowercase: a name differs from every other one on systems that ignore case too).
std::string NewTemporaryName();

// Makes something new under a fresh temporary name: `create` is given the name, makes the
// file or folder (never opening an existing one) and returns false with the system's error
// number in `error` when it could not; a name already taken (EEXIST) is replaced by another.
// Returns the name used, or "" with `error` set.
std::string CreateUnderTemporaryName(const std::function<bool(const std::string& name, int& error)>& create,
                                     int& error);

// `name` in `folder` ("" is the current folder).
std::string TemporaryPathIn(std::string_view folder, const std::string& name);

// The system's folder for temporary files ($TMPDIR or /tmp; on Windows the user's Temp
// folder), for work that belongs to no folder the user chose; "" when there is none.
std::string SystemTemporaryFolder();

// Marks the temporary open as `fd` as in use for as long as that descriptor (or one handed
// on from it) stays open.
void HoldTemporary(int fd);

// Removes the temporaries in `folder` (files, and folders with their contents) that no
// running program holds and that are not being made right now. Links are never followed.
void RemoveLeftoverTemporaries(std::string_view folder);

}  // namespace krax

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <utility>
#include <vector>

#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/temporary_file.h"

namespace krax {
namespace {

// A temporary is made in two steps (created, then held); one younger than this may be
// between them and is left alone.
constexpr std::time_t kYoungestLeftover = 2;

// The names in the folder open as `folder` that begin with kTemporaryPrefix (or all names).
std::vector<std::string> NamesAt(int folder, bool temporariesOnly) {
  std::vector<std::string> names;
  const int copy = ::dup(folder);
  if (copy < 0) return names;
  DIR* dir = ::fdopendir(copy);
  if (!dir) {
    ::close(copy);
    return names;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == ".." || (temporariesOnly && !IsTemporaryName(name))) continue;
    names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

// Removes `name` in the folder open as `parent`: a file, or a folder with everything in it,
// never following a link.
bool RemoveAt(int parent, const std::string& name) {
  struct stat st {};
  if (::fstatat(parent, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return ::unlinkat(parent, name.c_str(), 0) == 0;
  UniqueFd folder(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!folder) return false;
  bool ok = true;
  for (const std::string& inner : NamesAt(folder.get(), false)) ok = RemoveAt(folder.get(), inner) && ok;
  return ::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0 && ok;
}

}  // namespace

void HoldTemporary(int fd) { ::flock(fd, LOCK_EX | LOCK_NB); }

void RemoveLeftoverTemporaries(std::string_view folderPath) {
  UniqueFd folder(
      ::open(folderPath.empty() ? "." : std::string(folderPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder) return;
  const std::time_t now = std::time(nullptr);
  for (const std::string& name : NamesAt(folder.get(), true)) {
    struct stat st {};
    if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) continue;  // never one of ours
    if (now - st.st_mtime < kYoungestLeftover) continue;
    // Held by a running program: its lock keeps ours from being taken.
    UniqueFd probe(::openat(folder.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!probe || ::flock(probe.get(), LOCK_EX | LOCK_NB) != 0) continue;
    RemoveAt(folder.get(), name);
  }
}

void TemporaryFile::Discard() {
  fd_.reset();
  if (!path_.empty()) ::unlink(path_.c_str());
  path_.clear();
}

FsResult TemporaryFile::CreateIn(std::string_view folder, TemporaryFile& file) {
  file.Discard();
  RemoveLeftoverTemporaries(folder);
  int fd = -1;
  int error = 0;
  // Read and write for everyone the umask allows, as any newly created file.
  const std::string name = CreateUnderTemporaryName(
      [&](const std::string& candidate, int& failure) {
        fd = ::open(TemporaryPathIn(folder, candidate).c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    0666);
        failure = errno;
        return fd >= 0;
      },
      error);
  if (name.empty()) return {FsStatus::kFailed, error};
  std::string path = TemporaryPathIn(folder, name);
  if (fd < 3) {  // keep the standard streams' numbers (and 0, "no file" to some callers) out of use
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    const int err = errno;
    ::close(fd);
    if (moved < 0) {
      ::unlink(path.c_str());
      return {FsStatus::kFailed, err};
    }
    fd = moved;
  }
  HoldTemporary(fd);
  file.path_ = std::move(path);
  file.fd_ = UniqueFd(fd);
  return {};
}

int TemporaryFile::ReleaseFd() { return fd_.release(); }

FsResult TemporaryFile::Commit(std::string_view finalPath) {
  if (fd_ && fd_.reset() != 0) return {FsStatus::kFailed, errno};
  if (const FsResult placed = PlaceFinishedFile(path_, finalPath); !placed) return placed;
  path_.clear();
  return {};
}

TemporaryFolder::~TemporaryFolder() { Discard(); }

void TemporaryFolder::Discard() {
  if (path_.empty()) return;
  const std::string parent = ParentPath(path_);
  UniqueFd folder(::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder) RemoveAt(folder.get(), BaseName(path_));
  held_.reset();
  path_.clear();
}

// Open to everyone the umask allows, as any newly made folder.
bool TemporaryFolder::MakeFolder(const std::string& path, int& error) {
  const bool made = ::mkdir(path.c_str(), 0777) == 0;
  error = errno;
  return made;
}

UniqueFd TemporaryFolder::HoldFolder(const std::string& path) {
  UniqueFd held(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (held) HoldTemporary(held.get());
  return held;
}

}  // namespace krax

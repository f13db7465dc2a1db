#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "platform/file_lock.h"
#include "platform/unique_fd.h"

namespace krax {

void FileLock::Release() {
  if (handle_ == kNone) return;
  // Removed while still held: whoever opened it meanwhile sees that it was removed and opens
  // the name again.
  if (!path_.empty()) ::unlink(path_.c_str());
  path_.clear();
  ::close(static_cast<int>(std::exchange(handle_, kNone)));  // closing drops the lock
}

namespace {

// True while `fd` is still the file named `path` (its holder has not removed it).
bool StillNamed(int fd, const std::string& path) {
  struct stat open, named;
  return ::fstat(fd, &open) == 0 && ::lstat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
         open.st_ino == named.st_ino;
}

}  // namespace

FileLock::Outcome FileLock::TryLock(std::string_view pathView, FileLock& lock) {
  lock.Release();
  const std::string path(pathView);
  UniqueFd fd;
  bool writable = true;
  for (int attempt = 0;; ++attempt) {
    // O_NOFOLLOW: a link planted at the lock's name is not followed to a file elsewhere.
    fd = UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
    writable = static_cast<bool>(fd);
    if (!fd) {
      // A read-only game folder: the lock is still taken on the file when it exists.
      fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    }
    if (!fd) return Outcome::kUnavailable;
    int locked;
    while ((locked = ::flock(fd.get(), LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (locked != 0) return errno == EWOULDBLOCK ? Outcome::kBusy : Outcome::kUnavailable;
    if (StillNamed(fd.get(), path)) break;
    if (attempt == 100) return Outcome::kBusy;  // removed and made again all the time
  }
  if (writable) {
    const std::string pid = std::to_string(CurrentProcessId()) + "\n";
    if (::ftruncate(fd.get(), 0) == 0) {
      [[maybe_unused]] const ssize_t written = ::pwrite(fd.get(), pid.data(), pid.size(), 0);
    }
  }
  lock.handle_ = fd.release();
  if (writable) lock.path_ = path;
  return Outcome::kLocked;
}

std::uint64_t FileLock::HolderOf(std::string_view pathView) {
  UniqueFd fd(::open(std::string(pathView).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (!fd) return 0;
  char buffer[32];
  const ssize_t got = ::pread(fd.get(), buffer, sizeof buffer, 0);
  std::uint64_t pid = 0;
  for (ssize_t i = 0; i < got && buffer[i] >= '0' && buffer[i] <= '9'; ++i)
    pid = pid * 10 + static_cast<unsigned>(buffer[i] - '0');
  return pid;
}

std::uint64_t CurrentProcessId() { return static_cast<std::uint64_t>(::getpid()); }

}  // namespace krax

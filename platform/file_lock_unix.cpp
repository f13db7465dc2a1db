#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "platform/file_lock.h"
#include "platform/unique_fd.h"

namespace krax {

FileLock::~FileLock() { Release(); }

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, kNone)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = std::exchange(other.handle_, kNone);
  }
  return *this;
}

void FileLock::Release() {
  if (handle_ == kNone) return;
  ::close(static_cast<int>(std::exchange(handle_, kNone)));  // closing drops the lock
}

FileLock::Outcome FileLock::TryLock(std::string_view pathView, FileLock& lock) {
  lock.Release();
  const std::string path(pathView);
  // O_NOFOLLOW: a link planted at the lock's name is not followed to a file elsewhere.
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
  bool writable = true;
  if (!fd) {
    // A read-only game folder: the lock is still taken on the file when it exists.
    fd = UniqueFd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    writable = false;
  }
  if (!fd) return Outcome::kUnavailable;
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    return errno == EWOULDBLOCK ? Outcome::kBusy : Outcome::kUnavailable;
  }
  if (writable) {
    const std::string pid = std::to_string(CurrentProcessId()) + "\n";
    if (::ftruncate(fd.get(), 0) == 0) {
      [[maybe_unused]] const ssize_t written = ::pwrite(fd.get(), pid.data(), pid.size(), 0);
    }
  }
  lock.handle_ = fd.release();
  return Outcome::kLocked;
}

std::uint64_t FileLock::HolderOf(std::string_view pathView) {
  UniqueFd fd(::open(std::string(pathView).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  if (!fd) return 0;
  char buffer[32];
  const ssize_t got = ::pread(fd.get(), buffer, sizeof buffer, 0);
  std::uint64_t pid = 0;
  for (ssize_t i = 0; i < got && buffer[i] >= '0' && buffer[i] <= '9'; ++i) pid = pid * 10 + static_cast<unsigned>(buffer[i] - '0');
  return pid;
}

std::uint64_t CurrentProcessId() { return static_cast<std::uint64_t>(::getpid()); }

}  // namespace krax

// An exclusive lock on a file, shared by every program that takes it the same way: held
// until the object is dropped, and released by the system when the process ends however it
// ends (flock on POSIX, LockFileEx on Windows). Two objects conflict even inside one process.
// The lock file exists only while someone holds it (or a holder died): the holder removes it
// on release, and a taker that finds its file removed under it takes the new one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace krax {

class FileLock {
 public:
  enum class Outcome {
    kLocked,       // this object holds the lock now
    kBusy,         // another holder has it
    kUnavailable,  // the lock file can neither be opened nor created
  };

  FileLock() = default;
  ~FileLock();
  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&& other) noexcept;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Opens `path` (created when missing) and takes its lock without waiting. The holder
  // writes its process id into the file, for HolderOf.
  static Outcome TryLock(std::string_view path, FileLock& lock);

  // The process id the current holder of `path` wrote, 0 when none can be read.
  static std::uint64_t HolderOf(std::string_view path);

  bool held() const { return handle_ != kNone; }
  void Release();

 private:
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;  // a descriptor on POSIX, a HANDLE on Windows
  std::string path_;              // removed on release; "" when it must stay (read-only)
};

// This process's id.
std::uint64_t CurrentProcessId();

}  // namespace krax

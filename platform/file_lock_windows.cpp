#include <string>
#include <utility>

#include "platform/file_lock.h"
#include "platform/windows_support.h"

namespace krax {
namespace {

// The locked byte lies far past the process id the holder writes at the start, so that a
// waiting program can still read who holds the lock.
constexpr DWORD kLockOffsetHigh = 0;
constexpr DWORD kLockOffsetLow = 0x40000000;

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

OVERLAPPED LockRange() {
  OVERLAPPED range{};
  range.Offset = kLockOffsetLow;
  range.OffsetHigh = kLockOffsetHigh;
  return range;
}

}  // namespace

void FileLock::Release() {
  if (handle_ == kNone) return;
  path_.clear();  // the system deletes the file once its last handle is closed
  win::UniqueHandle file(AsHandle(std::exchange(handle_, kNone)));
  OVERLAPPED range = LockRange();
  ::UnlockFileEx(file.get(), 0, 1, 0, &range);
}

FileLock::Outcome FileLock::TryLock(std::string_view path, FileLock& lock) {
  lock.Release();
  const std::wstring name = win::SystemPath(path);
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  bool writable = true;
  win::UniqueHandle file(::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, share, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (!file && ::GetLastError() == ERROR_ACCESS_DENIED && ::GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES) {
    // Being deleted by its last holder right now, or a read-only folder: see below.
    win::UniqueHandle probe(::CreateFileW(name.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe && ::GetLastError() == ERROR_ACCESS_DENIED) return Outcome::kBusy;
  }
  if (!file) {
    file = win::UniqueHandle(
        ::CreateFileW(name.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    writable = false;
  }
  if (!file) return Outcome::kUnavailable;
  OVERLAPPED range = LockRange();
  if (!::LockFileEx(file.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &range)) {
    const DWORD error = ::GetLastError();
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? Outcome::kBusy : Outcome::kUnavailable;
  }
  if (writable) {
    const std::string pid = std::to_string(CurrentProcessId()) + "\r\n";
    LARGE_INTEGER start{};
    DWORD written = 0;
    if (::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN) && ::SetEndOfFile(file.get())) {
      ::WriteFile(file.get(), pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
    }
  }
  lock.handle_ = reinterpret_cast<std::intptr_t>(file.release());
  return Outcome::kLocked;
}

std::uint64_t FileLock::HolderOf(std::string_view path) {
  win::UniqueHandle file(::CreateFileW(win::SystemPath(path).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return 0;
  char buffer[32];
  DWORD got = 0;
  if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return 0;
  std::uint64_t pid = 0;
  for (DWORD i = 0; i < got && buffer[i] >= '0' && buffer[i] <= '9'; ++i) pid = pid * 10 + static_cast<unsigned>(buffer[i] - '0');
  return pid;
}

std::uint64_t CurrentProcessId() { return ::GetCurrentProcessId(); }

}  // namespace krax

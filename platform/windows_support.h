// What every Windows implementation file of this folder shares: UTF-8 paths to the UTF-16
// the system takes (long paths included), system error numbers as the errno values the
// rest of the program prints, and an owned HANDLE. Included by *_windows.cpp files only.
#pragma once

#ifdef _WIN32

#include <windows.h>

// The program's own functions of these names (platform/file_system.h), not the macros.
#undef CopyFile
#undef DeleteFile

#include <string>
#include <string_view>
#include <utility>

namespace krax::win {

// UTF-8 to UTF-16 and back; invalid sequences become U+FFFD.
std::wstring Wide(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// A path for the file functions: UTF-16, absolute, with the "\\?\" prefix once it is long
// enough to need it, so that paths past MAX_PATH work without the system's opt-in.
std::wstring SystemPath(std::string_view utf8Path);

// The errno value closest to a Windows error code (ERROR_FILE_EXISTS -> EEXIST, ...).
int ErrnoFrom(DWORD error);
// ErrnoFrom(GetLastError()).
int LastErrno();

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }
  bool reset() {
    if (!*this) return true;
    return ::CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != 0;
  }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// The C runtime descriptor (binary mode) that owns `handle`, for the interfaces of this
// folder that hand out int descriptors; -1 (handle closed) on failure.
int DescriptorFor(HANDLE handle, int openFlags);
// The HANDLE behind a descriptor, INVALID_HANDLE_VALUE for none.
HANDLE HandleOf(int fd);

}  // namespace krax::win

#endif

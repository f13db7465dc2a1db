// What a held lock does alike on every system: it ends with its owner and moves like a
// handle. Taking and releasing it are each system's own (file_lock_posix.cpp, _windows.cpp).
#include "platform/file_lock.h"

#include <utility>

namespace krax {

FileLock::~FileLock() { Release(); }

FileLock::FileLock(FileLock&& other) noexcept
    : handle_(std::exchange(other.handle_, kNone)), path_(std::exchange(other.path_, {})) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
  if (this != &other) {
    Release();
    handle_ = std::exchange(other.handle_, kNone);
    path_ = std::exchange(other.path_, {});
  }
  return *this;
}

}  // namespace krax

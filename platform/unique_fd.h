// An owned POSIX file descriptor, closed when it goes out of scope.
#pragma once

#include <unistd.h>

#include <utility>

namespace krax {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

  // Gives up the descriptor without closing it.
  int release() { return std::exchange(fd_, -1); }

  // Closes the descriptor; returns close()'s result (0 when there was none).
  int reset() {
    if (fd_ < 0) return 0;
    return ::close(std::exchange(fd_, -1));
  }

 private:
  int fd_ = -1;
};

}  // namespace krax

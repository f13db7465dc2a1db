// What TemporaryFile does the same way on every system: owning the file, handing it on.
#include <utility>

#include "platform/temporary_file.h"

namespace krax {

TemporaryFile::~TemporaryFile() { Discard(); }

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
    : path_(std::exchange(other.path_, {})), fd_(std::move(other.fd_)) {}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept {
  if (this != &other) {
    Discard();
    path_ = std::exchange(other.path_, {});
    fd_ = std::move(other.fd_);
  }
  return *this;
}

}  // namespace krax

// What TemporaryFile does the same way on every system: owning the file, handing it on;
// and where the system keeps temporary files.
#include <filesystem>
#include <system_error>
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

std::string SystemTemporaryFolder() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) return {};
  const std::u8string text = folder.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace krax

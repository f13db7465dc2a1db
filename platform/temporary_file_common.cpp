// What TemporaryFile and TemporaryFolder do the same way on every system: owning the file,
// handing it on, naming and making a new folder; and where the system keeps temporary files.
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <random>
#include <system_error>
#include <utility>

#include "platform/path.h"
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

std::string NewTemporaryName() {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  static std::mutex lock;
  static std::mt19937_64 random(std::random_device{}());
  std::string name(kTemporaryPrefix);
  const std::lock_guard<std::mutex> held(lock);
  for (int i = 0; i < 8; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
  return name;
}

std::string TemporaryPathIn(std::string_view folder, const std::string& name) {
  return folder.empty() ? name : JoinPath(folder, name);
}

FsResult TemporaryFolder::CreateIn(std::string_view folder, TemporaryFolder& created) {
  created.Discard();
  RemoveLeftoverTemporaries(folder);
  int error = 0;
  const auto make = [&](const std::string& candidate, int& failure) {
    return MakeFolder(TemporaryPathIn(folder, candidate), failure);
  };
  const std::string name = CreateUnderTemporaryName(make, error);
  if (name.empty()) return {FsStatus::kFailed, error};
  created.path_ = TemporaryPathIn(folder, name);
  created.held_ = HoldFolder(created.path_);
  return {};
}

std::string CreateUnderTemporaryName(const std::function<bool(const std::string& name, int& error)>& create,
                                     int& error) {
  error = EEXIST;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = NewTemporaryName();
    error = 0;
    if (create(name, error)) return name;
    if (error == 0) error = EIO;
    if (error != EEXIST) return {};
  }
  return {};
}

std::string SystemTemporaryFolder() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) return {};
  const std::u8string text = folder.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace krax

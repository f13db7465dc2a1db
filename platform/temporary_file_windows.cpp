// Temporary files and folders on Windows: created with CREATE_NEW (never someone else's
// file), put in place with MoveFileExW, which replaces the old file in one step.
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <utility>

#include "platform/path.h"
#include "platform/replace_file.h"
#include "platform/temporary_file.h"
#include "platform/windows_support.h"

namespace krax {

namespace {

// ".krax-" and six random letters and digits in `folder`.
std::string RandomName(std::string_view folder) {
  static thread_local std::mt19937 random(std::random_device{}());
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = ".krax-";
  for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
  return folder.empty() ? name : JoinPath(folder, name);
}

}  // namespace

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

void TemporaryFile::Discard() {
  fd_.reset();
  if (!path_.empty()) ::DeleteFileW(win::SystemPath(path_).c_str());
  path_.clear();
}

FsResult TemporaryFile::CreateIn(std::string_view folder, TemporaryFile& file) {
  file.Discard();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = RandomName(folder);
    // Shared for writing too: zip writers open the file again by its name.
    HANDLE handle = ::CreateFileW(win::SystemPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (::GetLastError() == ERROR_FILE_EXISTS) continue;
      return {FsStatus::kFailed, win::LastErrno()};
    }
    const int fd = win::DescriptorFor(handle, _O_RDWR);
    if (fd < 0) {
      ::DeleteFileW(win::SystemPath(path).c_str());
      return {FsStatus::kFailed, EMFILE};
    }
    file.path_ = std::move(path);
    file.fd_ = UniqueFd(fd);
    return {};
  }
  return {FsStatus::kFailed, EEXIST};
}

int TemporaryFile::ReleaseFd() { return fd_.release(); }

FsResult TemporaryFile::Commit(std::string_view finalPath) {
  if (fd_ && fd_.reset() != 0) return {FsStatus::kFailed, errno ? errno : EIO};
  if (const FsResult placed = ReplaceFileWith(path_, finalPath); !placed) return placed;
  path_.clear();
  return {};
}

TemporaryFolder::~TemporaryFolder() { Discard(); }

void TemporaryFolder::Discard() {
  if (path_.empty()) return;
  for (const DirEntry& entry : ListFolder(path_)) DeleteFile(JoinPath(path_, entry.name));
  RemoveEmptyFolder(path_);
  path_.clear();
}

FsResult TemporaryFolder::CreateIn(std::string_view folder, TemporaryFolder& created) {
  created.Discard();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string path = RandomName(folder);
    if (::CreateDirectoryW(win::SystemPath(path).c_str(), nullptr)) {
      created.path_ = std::move(path);
      return {};
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return {FsStatus::kFailed, win::LastErrno()};
  }
  return {FsStatus::kFailed, EEXIST};
}

}  // namespace krax

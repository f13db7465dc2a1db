#include "platform/temporary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/path.h"

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

void TemporaryFile::Discard() {
  fd_.reset();
  if (!path_.empty()) ::unlink(path_.c_str());
  path_.clear();
}

FsResult TemporaryFile::CreateIn(std::string_view folder, TemporaryFile& file) {
  file.Discard();
  std::string pattern = folder.empty() ? std::string(".krax-XXXXXX") : JoinPath(folder, ".krax-XXXXXX");
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) return {FsStatus::kFailed, errno};
  if (fd < 3) {  // keep the standard streams' numbers (and 0, "no file" to some callers) out of use
    const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    const int err = errno;
    ::close(fd);
    if (moved < 0) {
      ::unlink(pattern.c_str());
      return {FsStatus::kFailed, err};
    }
    fd = moved;
  } else {
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);  // as a newly created file, not mkstemp's 0600
  file.path_ = std::move(pattern);
  file.fd_ = UniqueFd(fd);
  return {};
}

int TemporaryFile::ReleaseFd() { return fd_.release(); }

FsResult TemporaryFile::Commit(std::string_view finalPath) {
  if (fd_ && fd_.reset() != 0) return {FsStatus::kFailed, errno};
  if (std::rename(path_.c_str(), std::string(finalPath).c_str()) != 0) return {FsStatus::kFailed, errno};
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
  std::string pattern = folder.empty() ? std::string(".krax-XXXXXX") : JoinPath(folder, ".krax-XXXXXX");
  if (::mkdtemp(pattern.data()) == nullptr) return {FsStatus::kFailed, errno};
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::chmod(pattern.c_str(), 0777 & ~mask);  // as a newly made folder, not mkdtemp's 0700
  created.path_ = std::move(pattern);
  return {};
}

}  // namespace krax

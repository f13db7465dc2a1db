// The destination guard on POSIX systems: every folder below the destination is opened
// relative to its parent with O_NOFOLLOW, and files are created there with O_EXCL.
#include "archive/safe_destination.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "archive/safe_destination_system.h"
#include "platform/temporary_file.h"

namespace krax {

PendingFile::~PendingFile() {
  file_.reset();
  if (!committed_) ::unlinkat(folder_.get(), tempName_.c_str(), 0);
}

bool PendingFile::Write(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(file_.get(), data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

std::string PendingFile::Commit(std::int64_t modified, bool readOnly) {
  if (file_.reset() != 0) return "cannot write " + path_ + ": " + std::strerror(errno);
  const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(modified), 0}};
  ::utimensat(folder_.get(), tempName_.c_str(), times, AT_SYMLINK_NOFOLLOW);
  struct stat st {};
  if (readOnly && ::fstatat(folder_.get(), tempName_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    ::fchmodat(folder_.get(), tempName_.c_str(), st.st_mode & 07777 & ~0222u, 0);
  }
  // renameat replaces a link of that name by the file; it never writes through it.
  if (::renameat(folder_.get(), tempName_.c_str(), folder_.get(), finalName_.c_str()) != 0) {
    return "cannot write " + path_ + ": " + std::strerror(errno);
  }
  committed_ = true;
  return {};
}

namespace destination_system {

UniqueFd OpenDestination(const std::string& folder, int& error) {
  UniqueFd root(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  error = errno;
  return root;
}

UniqueFd Duplicate(const UniqueFd& folder, int& error) {
  UniqueFd copy(::fcntl(folder.get(), F_DUPFD_CLOEXEC, 0));
  error = errno;
  return copy;
}

bool MakeFolder(const UniqueFd& parent, const std::string& name, const std::string& /*path*/, int& error) {
  if (::mkdirat(parent.get(), name.c_str(), 0777) == 0) return true;
  error = errno;
  return error == EEXIST;
}

UniqueFd OpenFolder(const UniqueFd& parent, const std::string& name, const std::string& /*path*/, bool& refused,
                    int& error) {
  UniqueFd folder(::openat(parent.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  error = errno;
  refused = !folder && (error == ELOOP || error == ENOTDIR);
  return folder;
}

EntryKind KindOf(const UniqueFd& folder, const std::string& name, const std::string& /*path*/) {
  struct stat st {};
  if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::kNone;
  return S_ISDIR(st.st_mode) ? EntryKind::kFolder : EntryKind::kOther;
}

UniqueFd CreateTemporary(const UniqueFd& folder, const std::string& name, const std::string& /*path*/, int& error) {
  UniqueFd file(::openat(folder.get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  error = errno;
  if (file) HoldTemporary(file.get());
  return file;
}

std::string PendingName(const std::string& /*folderPath*/, const std::string& name) { return name; }

}  // namespace destination_system

}  // namespace krax

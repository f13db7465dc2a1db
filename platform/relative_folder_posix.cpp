// Folders below a destination on POSIX systems: every folder is opened relative to its
// parent with O_NOFOLLOW, and files are created there with O_EXCL.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/relative_folder.h"
#include "platform/temporary_file.h"

namespace krax::relative_folder {

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

bool WriteAll(const UniqueFd& file, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(file.get(), data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

void RemoveFile(const UniqueFd& folder, const std::string& pendingName) {
  ::unlinkat(folder.get(), pendingName.c_str(), 0);
}

bool PlaceFile(const UniqueFd& folder, const std::string& tempName, const std::string& finalName, std::int64_t modified,
               bool readOnly, int& error) {
  const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(modified), 0}};
  ::utimensat(folder.get(), tempName.c_str(), times, AT_SYMLINK_NOFOLLOW);
  struct stat st {};
  if (readOnly && ::fstatat(folder.get(), tempName.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    ::fchmodat(folder.get(), tempName.c_str(), st.st_mode & 07777 & ~0222u, 0);
  }
  // renameat replaces a link of that name by the file; it never writes through it.
  if (::renameat(folder.get(), tempName.c_str(), folder.get(), finalName.c_str()) != 0) {
    error = errno;
    return false;
  }
  return true;
}

}  // namespace krax::relative_folder

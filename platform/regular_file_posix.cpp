#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/regular_file.h"

namespace krax {
namespace {

EntryKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::kRegularFile;
  if (S_ISDIR(mode)) return EntryKind::kFolder;
  if (S_ISLNK(mode)) return EntryKind::kLink;
  if (S_ISFIFO(mode)) return EntryKind::kFifo;
  if (S_ISSOCK(mode)) return EntryKind::kSocket;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return EntryKind::kDevice;
  return EntryKind::kOther;
}

}  // namespace

EntryKind KindOfEntry(std::string_view path) {
  struct stat st;
  if (::lstat(std::string(path).c_str(), &st) != 0) return EntryKind::kMissing;
  return KindOfMode(st.st_mode);
}

UniqueFd OpenRegularFile(std::string_view pathView, int& error) {
  const std::string path(pathView);
  struct stat before;
  if (::lstat(path.c_str(), &before) != 0) {
    error = errno;
    return UniqueFd();
  }
  if (!S_ISREG(before.st_mode)) {
    error = S_ISLNK(before.st_mode) ? ELOOP : EINVAL;
    return UniqueFd();
  }
  // O_NONBLOCK: should the name have become a FIFO meanwhile, the open still returns.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  if (!fd) {
    error = errno;
    return UniqueFd();
  }
  struct stat after;
  if (::fstat(fd.get(), &after) != 0 || !S_ISREG(after.st_mode) || after.st_dev != before.st_dev ||
      after.st_ino != before.st_ino) {
    error = EINVAL;
    return UniqueFd();
  }
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
  error = 0;
  return fd;
}

FsResult CopyRegularFile(std::string_view from, std::string_view toView) {
  int error = 0;
  UniqueFd source = OpenRegularFile(from, error);
  if (!source) return {FsStatus::kFailed, error};
  const std::string to(toView);
  UniqueFd target(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
  if (!target) return {errno == EEXIST ? FsStatus::kAlreadyExists : FsStatus::kFailed, errno};
  auto fail = [&](int why) {
    target.reset();
    ::unlink(to.c_str());
    return FsResult{FsStatus::kFailed, why};
  };
  constexpr std::size_t kPiece = 1 << 16;
  std::unique_ptr<char[]> buffer(new char[kPiece]);
  for (;;) {
    const ssize_t got = ::read(source.get(), buffer.get(), kPiece);
    if (got < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    if (got == 0) break;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(target.get(), buffer.get() + done, static_cast<std::size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return fail(errno);
      }
      done += put;
    }
  }
  struct stat st;
  if (::fstat(source.get(), &st) == 0) {
    const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
    ::futimens(target.get(), times);
  }
  if (::fsync(target.get()) != 0) return fail(errno);
  if (target.reset() != 0) return fail(errno);
  return {};
}

}  // namespace krax

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "platform/copy_plan.h"
#include "platform/file_name_order.h"
#include "platform/file_system.h"
#include "platform/file_system_detail.h"
#include "platform/fs_result_errno.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/temporary_file.h"
#include "platform/unique_fd.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace krax {

namespace {

std::string Str(std::string_view s) { return std::string(s); }

FsResult Ok() { return {}; }

using fs_result::Failed;
using fs_result::FromErrno;

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Makes sure a rename just done survives a crash (best effort: some file systems refuse).
void SyncFolderOf(const std::string& path) {
  std::string parent = ParentPath(path);
  UniqueFd dir(::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir) ::fsync(dir.get());
}

// A new, empty temporary file beside `target`; its path goes to `tempPath`.
UniqueFd CreateTempBeside(const std::string& target, std::string& tempPath) {
  const std::string parent = ParentPath(target);
  RemoveLeftoverTemporaries(parent.empty() ? "." : parent);
  UniqueFd fd;
  int error = 0;
  const std::string name = CreateUnderTemporaryName(
      [&](const std::string& candidate, int& failure) {
        const std::string path = parent.empty() ? candidate : JoinPath(parent, candidate);
        fd = UniqueFd(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        failure = errno;
        return static_cast<bool>(fd);
      },
      error);
  if (name.empty()) {
    errno = error;
    return UniqueFd();
  }
  tempPath = parent.empty() ? name : JoinPath(parent, name);
  HoldTemporary(fd.get());
  return fd;
}

mode_t CurrentUmask() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

int RenameAt2NoReplace(const char* from, const char* to) {
#ifdef SYS_renameat2
  return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE));
#else
  errno = ENOSYS;
  return -1;
#endif
}

// For file systems without renameat2's no-replace flag: a hard link fails atomically when
// the target exists; a folder placeholder made by mkdir does the same for folders (rename
// then replaces only that empty placeholder of ours).
FsResult RenameNoReplaceFallbackImpl(const std::string& from, const std::string& to, bool isFolder) {
  if (!isFolder) {
    if (::link(from.c_str(), to.c_str()) == 0) {
      if (::unlink(from.c_str()) != 0) {
        int error = errno;
        ::unlink(to.c_str());
        return Failed(error);
      }
      return Ok();
    }
    if (errno == EEXIST) return FromErrno(EEXIST);
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != EMLINK) return FromErrno(errno);
    // No hard links here (e.g. FAT): the best left is to look just before renaming.
    if (Exists(to)) return FromErrno(EEXIST);
    return ::rename(from.c_str(), to.c_str()) == 0 ? Ok() : FromErrno(errno);
  }
  if (::mkdir(to.c_str(), 0700) != 0) return FromErrno(errno);
  if (::rename(from.c_str(), to.c_str()) != 0) {
    int error = errno;
    ::rmdir(to.c_str());
    return FromErrno(error == ENOTEMPTY ? EEXIST : error);
  }
  return Ok();
}

// Copies the bytes of an open file into a new temporary file beside `to`, keeping the
// source's permission bits and modification time. `tempPath` is "" on failure.
FsResult CopyToTemp(int sourceFd, const struct stat& sourceStat, const std::string& to, bool makeWritable,
                    std::string& tempPath, const std::function<void(std::uint64_t)>& onBytes = {}) {
  UniqueFd temp = CreateTempBeside(to, tempPath);
  if (!temp) {
    tempPath.clear();
    return FromErrno(errno);
  }
  auto fail = [&](int error) {
    ::unlink(tempPath.c_str());
    tempPath.clear();
    return Failed(error);
  };
  std::unique_ptr<char[]> buffer(new char[1 << 16]);
  for (;;) {
    ssize_t n = ::read(sourceFd, buffer.get(), 1 << 16);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    if (n == 0) break;
    if (!WriteAll(temp.get(), std::string_view(buffer.get(), static_cast<std::size_t>(n)))) return fail(errno);
    if (onBytes) onBytes(static_cast<std::uint64_t>(n));
  }
  mode_t mode = sourceStat.st_mode & 07777 & ~static_cast<mode_t>(S_ISUID | S_ISGID);
  if (makeWritable) mode |= S_IWUSR;
  if (::fchmod(temp.get(), mode) != 0) return fail(errno);
  struct timespec times[2] = {{0, UTIME_OMIT}, sourceStat.st_mtim};
  ::futimens(temp.get(), times);
  if (::fsync(temp.get()) != 0) return fail(errno);
  if (temp.reset() != 0) return fail(errno);
  return Ok();
}

FsResult CopyFileImpl(const std::string& from, const std::string& to, bool overwrite, bool replaceReadOnly,
                      bool makeWritable, const std::function<void(std::uint64_t)>& onBytes = {}) {
  UniqueFd source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!source) return FromErrno(errno);
  struct stat sourceStat;
  if (::fstat(source.get(), &sourceStat) != 0) return FromErrno(errno);
  if (S_ISDIR(sourceStat.st_mode)) return Failed(EISDIR);

  struct stat targetStat;
  if (::stat(to.c_str(), &targetStat) == 0) {
    if (!overwrite) return FromErrno(EEXIST);
    if (S_ISDIR(targetStat.st_mode)) return Failed(EISDIR);
    if (targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino) return Failed(EINVAL);
    // A read-only file is not replaced, as on Windows.
    if (!replaceReadOnly && !(targetStat.st_mode & S_IWUSR)) return Failed(EACCES);
  }

  std::string tempPath;
  FsResult copied = CopyToTemp(source.get(), sourceStat, to, makeWritable, tempPath, onBytes);
  if (!copied) return copied;
  if (!overwrite) {
    FsResult placed = RenameNoReplace(tempPath, to);
    if (!placed) {
      ::unlink(tempPath.c_str());
      return placed;
    }
  } else if (::rename(tempPath.c_str(), to.c_str()) != 0) {
    int error = errno;
    ::unlink(tempPath.c_str());
    return FromErrno(error);
  }
  SyncFolderOf(to);
  return Ok();
}

FsResult CopyTreeImpl(std::string_view source, std::string_view destination, const CopyTreeCallbacks& callbacks,
                      bool makeWritable);

// Deletes a folder tree that we created ourselves (a move's copy) or moved away.
bool RemoveTree(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
  if (!S_ISDIR(st.st_mode)) return ::unlink(path.c_str()) == 0;
  bool ok = true;
  for (const DirEntry& entry : ListFolder(path, true)) ok = RemoveTree(JoinPath(path, entry.name)) && ok;
  return ::rmdir(path.c_str()) == 0 && ok;
}

// A move across file systems: copy everything, then delete the source.
FsResult MoveAcrossFileSystems(const std::string& from, const std::string& to) {
  struct stat st;
  if (::lstat(from.c_str(), &st) != 0) return FromErrno(errno);
  if (!S_ISDIR(st.st_mode)) {
    FsResult copied = CopyFileImpl(from, to, /*overwrite=*/false, false, false);
    if (!copied) return copied;
    if (::unlink(from.c_str()) != 0) {
      int error = errno;
      ::unlink(to.c_str());
      return Failed(error);
    }
    return Ok();
  }
  if (::mkdir(to.c_str(), st.st_mode & 07777) != 0) return FromErrno(errno);
  if (const FsResult copied = copy_plan::CopyContents(from, to, CopyTreeImpl); !copied) {
    RemoveTree(to);
    return copied;
  }
  if (!RemoveTree(from)) return Failed(errno ? errno : EIO);
  return Ok();
}

}  // namespace

bool IsTemporaryName(std::string_view name) { return name.substr(0, kTemporaryPrefix.size()) == kTemporaryPrefix; }

std::vector<DirEntry> ListFolder(std::string_view folder, bool withTemporaries) {
  std::vector<DirEntry> out;
  std::string path = folder.empty() ? std::string(".") : Str(folder);
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(path.c_str()), ::closedir);
  if (!dir) return out;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string name(entry->d_name);
    if (name == "." || name == ".." || (!withTemporaries && IsTemporaryName(name))) continue;
    DirEntry e;
    e.isFolder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      struct stat st;
      e.isFolder = ::fstatat(::dirfd(dir.get()), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }
    e.name = std::move(name);
    out.push_back(std::move(e));
  }
  SortAsListedOnWindows(out);
  return out;
}

bool IsFolder(std::string_view path) {
  struct stat st;
  return ::stat(Str(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<FolderIdentity> IdentifyFolder(std::string_view path) {
  struct stat st;
  if (::stat(Str(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
  return FolderIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

bool IsFile(std::string_view path) {
  struct stat st;
  return ::stat(Str(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::uint64_t> FileSize(std::string_view path) {
  struct stat st;
  if (::stat(Str(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(st.st_size);
}

FsResult RenameNoReplace(std::string_view fromView, std::string_view toView) {
  const std::string from = Str(fromView), to = Str(toView);
  struct stat st;
  if (::lstat(from.c_str(), &st) != 0) return FromErrno(errno);
  if (RenameAt2NoReplace(from.c_str(), to.c_str()) == 0) return Ok();
  const int error = errno;
  if (error == EEXIST) return FromErrno(EEXIST);
  if (error == EXDEV) {
    if (Exists(to)) return FromErrno(EEXIST);
    return MoveAcrossFileSystems(from, to);
  }
  if (error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP) {
    // Renaming a folder into itself is EINVAL for every rename; keep that a failure.
    std::string fromSlash = from + "/";
    if (S_ISDIR(st.st_mode) && to.compare(0, fromSlash.size(), fromSlash) == 0) return Failed(EINVAL);
    return RenameNoReplaceFallbackImpl(from, to, S_ISDIR(st.st_mode));
  }
  return FromErrno(error);
}

FsResult CopyFile(std::string_view from, std::string_view to, bool overwrite) {
  return CopyFileImpl(Str(from), Str(to), overwrite, /*replaceReadOnly=*/false, /*makeWritable=*/false);
}

FsResult DeleteFile(std::string_view pathView) {
  const std::string path = Str(pathView);
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return FromErrno(errno);
  if (S_ISDIR(st.st_mode)) return Failed(EISDIR);
  return ::unlink(path.c_str()) == 0 ? Ok() : FromErrno(errno);
}

FsResult CreateFolder(std::string_view pathView, bool withParents) {
  const std::string path = Str(pathView);
  if (path.empty()) return FromErrno(ENOENT);
  if (!withParents) return ::mkdir(path.c_str(), 0777) == 0 ? Ok() : FromErrno(errno);
  if (IsFolder(path)) return Ok();
  std::string current = IsSeparator(path.front()) ? std::string(1, NativeSeparator()) : std::string();
  for (const std::string& component : PathComponents(path)) {
    current = current.empty() ? component : JoinPath(current, component);
    if (::mkdir(current.c_str(), 0777) != 0 && !(errno == EEXIST && IsFolder(current))) return FromErrno(errno);
  }
  return Ok();
}

FsResult RemoveEmptyFolder(std::string_view path) {
  return ::rmdir(Str(path).c_str()) == 0 ? Ok() : FromErrno(errno == EEXIST ? ENOTEMPTY : errno);
}

std::optional<std::string> ReadWholeFile(std::string_view path) {
  UniqueFd fd(::open(Str(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) return std::nullopt;
  struct stat st;
  if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
  std::string out;
  char buffer[1 << 15];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
  }
  return out;
}

FsResult WriteFileAtomic(std::string_view pathView, std::string_view bytes) {
  const std::string path = Str(pathView);
  // A device is written as it is, never replaced; a link, a folder and the like are refused.
  const OutputCheck output = CheckOutput(path);
  if (output.use == OutputCheck::Use::kWriteInPlace) return WriteInPlace(path, bytes);
  if (output.use == OutputCheck::Use::kRefuse) return Failed(output.error);
  mode_t mode = 0666 & ~CurrentUmask();
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return Failed(EISDIR);
    if (!(st.st_mode & S_IWUSR)) return Failed(EACCES);  // read-only, as on Windows
    mode = st.st_mode & 0777;
  }
  std::string tempPath;
  UniqueFd temp = CreateTempBeside(path, tempPath);
  if (!temp) return FromErrno(errno);
  auto fail = [&](int error) {
    ::unlink(tempPath.c_str());
    return FromErrno(error);
  };
  if (!WriteAll(temp.get(), bytes)) return fail(errno);
  if (::fchmod(temp.get(), mode) != 0) return fail(errno);
  if (::fsync(temp.get()) != 0) return fail(errno);
  if (temp.reset() != 0) return fail(errno);
  if (::rename(tempPath.c_str(), path.c_str()) != 0) return fail(errno);
  SyncFolderOf(path);
  return Ok();
}

bool IsReadOnly(std::string_view path) {
  struct stat st;
  return ::stat(Str(path).c_str(), &st) == 0 && !(st.st_mode & S_IWUSR);
}

FsResult SetReadOnly(std::string_view pathView, bool readOnly) {
  const std::string path = Str(pathView);
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return FromErrno(errno);
  mode_t mode = st.st_mode & 07777;
  if (readOnly) {
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  } else {
    mode |= S_IWUSR;
  }
  return ::chmod(path.c_str(), mode) == 0 ? Ok() : FromErrno(errno);
}

std::optional<DosDateTime> FileDosTime(std::string_view path) {
  struct stat st;
  if (::stat(Str(path).c_str(), &st) != 0) return std::nullopt;
  return ToDosDateTime(static_cast<std::int64_t>(st.st_mtim.tv_sec));
}

FsResult SetFileDosTime(std::string_view path, DosDateTime when) {
  struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<std::time_t>(FromDosDateTime(when)), 0}};
  return ::utimensat(AT_FDCWD, Str(path).c_str(), times, 0) == 0 ? Ok() : FromErrno(errno);
}

namespace {

FsResult CheckEntry(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? Ok() : FromErrno(errno);
}

FsResult CopyTreeImpl(std::string_view sourceView, std::string_view destinationView, const CopyTreeCallbacks& callbacks,
                      bool makeWritable) {
  auto copyFile = [makeWritable](const std::string& from, const std::string& to,
                                 const std::function<void(std::uint64_t)>& onBytes) {
    return CopyFileImpl(from, to, /*overwrite=*/true, /*replaceReadOnly=*/true, makeWritable, onBytes);
  };
  return copy_plan::CopyTree(Str(sourceView), Str(destinationView), /*rootLength=*/1, CheckEntry, callbacks, copyFile,
                             Failed(ECANCELED));
}

}  // namespace

namespace detail {
FsResult RenameNoReplaceFallback(const std::string& from, const std::string& to, bool isFolder) {
  return RenameNoReplaceFallbackImpl(from, to, isFolder);
}
}  // namespace detail

FsResult CopyTree(std::string_view source, std::string_view destination, const CopyTreeCallbacks& callbacks) {
  return CopyTreeImpl(source, destination, callbacks, /*makeWritable=*/true);
}

}  // namespace krax

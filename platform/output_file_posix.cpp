#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>

#include "platform/output_file.h"
#include "platform/unique_fd.h"

namespace krax {
namespace {

bool StartsWith(const std::string& text, std::string_view prefix) { return text.rfind(prefix, 0) == 0; }

OutputCheck Refused(const std::string& problem, int error) { return {OutputCheck::Use::kRefuse, problem, error}; }

const char* KindOf(mode_t mode) {
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISBLK(mode)) return "a block device";
  return "not a plain file";
}

}  // namespace

OutputCheck CheckOutput(std::string_view pathView) {
  const std::string path(pathView);
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return {};  // nothing there (or nothing to learn): a new file
  if (S_ISREG(st.st_mode)) {
    // Read-only is the owner's write permission, as everywhere in the program (root too).
    if (!(st.st_mode & S_IWUSR)) return Refused(path + " is read-only", EACCES);
    return {};
  }
  if (S_ISCHR(st.st_mode)) return {OutputCheck::Use::kWriteInPlace, {}, 0};
  if (S_ISDIR(st.st_mode)) return Refused(path + " is a folder", EISDIR);
  if (S_ISLNK(st.st_mode)) {
    struct stat target;
    const bool reached = ::stat(path.c_str(), &target) == 0;
    // The system's names of the process's streams (/dev/stdout -> /proc/self/fd/1 -> a
    // terminal, a pipe or the file the shell opened) are written as they are.
    if (reached && !S_ISDIR(target.st_mode) && (StartsWith(path, "/dev/") || StartsWith(path, "/proc/"))) {
      return {OutputCheck::Use::kWriteInPlace, {}, 0};
    }
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
    const std::string to = length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string("?");
    return Refused(path + " is a symbolic link to " + to + "; name " + to + " itself to write it", ELOOP);
  }
  return Refused(path + " is " + KindOf(st.st_mode) + ", not a file that can be written", ENODEV);
}

FsResult WriteInPlace(std::string_view path, std::string_view bytes) {
  UniqueFd fd(::open(std::string(path).c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
  if (!fd) return {FsStatus::kFailed, errno};
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd.get(), bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return {FsStatus::kFailed, errno};
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  if (fd.reset() != 0) return {FsStatus::kFailed, errno};
  return {};
}

}  // namespace krax

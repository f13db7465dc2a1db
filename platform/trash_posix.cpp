// The freedesktop.org trash (Linux and other POSIX desktops).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>

#include "platform/hex_digits.h"
#include "platform/path.h"
#include "platform/trash.h"
#include "platform/unique_fd.h"

namespace krax {
namespace {

std::string ErrorText(int error) { return std::strerror(error); }

// The item's absolute path with its folder's links resolved (the item itself stays as it is,
// so a link is trashed as a link).
std::optional<std::string> AbsoluteItemPath(const std::string& path) {
  std::string parent = ParentPath(path);
  const std::string base = BaseName(path);
  if (base.empty() || base == "." || base == "..") return std::nullopt;
  if (parent.empty()) parent = ".";
  char resolved[PATH_MAX];
  if (::realpath(parent.c_str(), resolved) == nullptr) return std::nullopt;
  const std::string folder = resolved;
  return folder == "/" ? "/" + base : folder + "/" + base;
}

std::optional<dev_t> DeviceOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return st.st_dev;
}

// "%xx" for every byte outside the unreserved characters and "/", as a URI path wants it.
std::string EscapePath(const std::string& path) {
  std::string out;
  for (unsigned char c : path) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
        std::strchr("/-_.~!*'()", c) != nullptr) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      AppendHexByte(out, c, HexCase::kUpper);
    }
  }
  return out;
}

std::string DeletionDate() {
  const std::time_t now = std::time(nullptr);
  struct tm local {};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

bool MakeFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// A trash folder with its "files" and "info" folders, made when missing.
bool PrepareTrash(const std::string& trash) {
  return MakeFolder(trash) && MakeFolder(trash + "/files") && MakeFolder(trash + "/info");
}

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// Writes the info file for a free name and moves the item in. `recordedPath` is what the
// info file's Path line says (absolute, or relative to the volume's top for a volume trash).
TrashResult MoveInto(const std::string& trash, const std::string& item, const std::string& recordedPath) {
  TrashResult result;
  const std::string base = BaseName(item);
  const std::string info = "[Trash Info]\nPath=" + EscapePath(recordedPath) + "\nDeletionDate=" + DeletionDate() + "\n";
  for (int n = 1; n < 10000; ++n) {
    const std::string name = n == 1 ? base : base + "." + std::to_string(n);
    const std::string target = trash + "/files/" + name;
    const std::string infoPath = trash + "/info/" + name + ".trashinfo";
    if (Exists(target)) continue;
    // The info file is made first and exclusively: it reserves the name.
    UniqueFd fd(::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd) {
      if (errno == EEXIST) continue;
      result.message = "cannot write in the trash " + trash + ": " + ErrorText(errno);
      return result;
    }
    const bool written = ::write(fd.get(), info.data(), info.size()) == static_cast<ssize_t>(info.size());
    const bool closed = ::close(fd.release()) == 0;
    if (!written || !closed) {
      ::unlink(infoPath.c_str());
      result.message = "cannot write in the trash " + trash;
      return result;
    }
    const FsResult moved = RenameNoReplace(item, target);
    if (moved.status == FsStatus::kAlreadyExists) {
      ::unlink(infoPath.c_str());
      continue;
    }
    if (!moved) {
      ::unlink(infoPath.c_str());
      result.message = "cannot move " + item + " into the trash: " + ErrorText(moved.systemError);
      return result;
    }
    result.status = TrashStatus::kTrashed;
    result.trashedAs = target;
    result.infoFile = infoPath;
    return result;
  }
  result.message = "the trash " + trash + " has no free name for " + base;
  return result;
}

std::string HomeTrash() {
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && dataHome[0] == '/') return std::string(dataHome) + "/Trash";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return std::string(home) + "/.local/share/Trash";
}

// The top folder of the volume holding `folder`: the last parent on the same device.
std::string VolumeTop(const std::string& folder, dev_t device) {
  std::string top = folder;
  while (top != "/") {
    const std::string parent = ParentPath(top);
    const std::optional<dev_t> parentDevice = DeviceOf(parent.empty() ? "/" : parent);
    if (!parentDevice || *parentDevice != device) break;
    top = parent.empty() ? "/" : parent;
  }
  return top;
}

// The volume's trash for this user, made when missing; "" when the volume offers none.
std::string VolumeTrash(const std::string& top) {
  const std::string uid = std::to_string(::getuid());
  const std::string base = top == "/" ? "" : top;
  struct stat st;
  // An administrator's .Trash counts only as a real, sticky folder (not a link).
  const std::string shared = base + "/.Trash";
  if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0) {
    const std::string own = shared + "/" + uid;
    if (PrepareTrash(own) && ::lstat(own.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid()) {
      return own;
    }
  }
  const std::string own = base + "/.Trash-" + uid;
  if (PrepareTrash(own) && ::lstat(own.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid()) {
    return own;
  }
  return {};
}

}  // namespace

TrashResult MoveToTrash(std::string_view path) {
  TrashResult result;
  const std::optional<std::string> item = AbsoluteItemPath(std::string(path));
  struct stat st;
  if (!item || ::lstat(item->c_str(), &st) != 0) {
    result.message = std::string(path) + " cannot be found";
    return result;
  }
  const std::string home = HomeTrash();
  // The user's trash and the folders above it are made when missing.
  if (!home.empty() && CreateFolder(home, true) && PrepareTrash(home)) {
    const std::optional<dev_t> homeDevice = DeviceOf(home);
    if (homeDevice && *homeDevice == st.st_dev) return MoveInto(home, *item, *item);
  }
  const std::string folder = ParentPath(*item).empty() ? "/" : ParentPath(*item);
  const std::string top = VolumeTop(folder, st.st_dev);
  const std::string volumeTrash = VolumeTrash(top);
  if (volumeTrash.empty()) {
    result.status = TrashStatus::kNoTrash;
    result.message = "no trash can take " + *item + " (the volume at " + top + " has none, and the user's trash " +
                     (home.empty() ? std::string("is not known") : "is on another volume") + ")";
    return result;
  }
  const std::string relative = top == "/" ? item->substr(1) : item->substr(top.size() + 1);
  return MoveInto(volumeTrash, *item, relative);
}

}  // namespace krax

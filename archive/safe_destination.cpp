#include "archive/safe_destination.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <random>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/temporary_file.h"

namespace krax {

PendingFile::PendingFile(UniqueFd folder, UniqueFd file, std::string tempName, std::string finalName,
                         std::string path)
    : folder_(std::move(folder)),
      file_(std::move(file)),
      tempName_(std::move(tempName)),
      finalName_(std::move(finalName)),
      path_(std::move(path)) {}

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

SafeDestination::SafeDestination(const std::string& folder) : folder_(folder) {
  if (folder.empty()) {
    problem_ = "no destination folder";
    return;
  }
  if (!IsFolder(folder) && !CreateFolder(folder, true).ok()) {
    problem_ = "cannot create the folder " + folder;
    return;
  }
  root_ = UniqueFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!root_) {
    problem_ = "cannot open the folder " + folder + ": " + std::strerror(errno);
    return;
  }
  RemoveLeftoverTemporaries(folder);
  swept_.push_back(folder_);
}

UniqueFd SafeDestination::OpenFolder(const std::vector<std::string>& components, std::size_t count,
                                     std::string& problem) {
  UniqueFd current(::dup(root_.get()));
  std::string path = folder_;
  for (std::size_t i = 0; i < count && current; ++i) {
    const char* name = components[i].c_str();
    path = JoinPath(path, components[i]);
    if (::mkdirat(current.get(), name, 0777) != 0 && errno != EEXIST) {
      problem = "cannot create the folder " + path + ": " + std::strerror(errno);
      return UniqueFd();
    }
    UniqueFd next(::openat(current.get(), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!next) {
      problem = errno == ELOOP || errno == ENOTDIR
                    ? "refused to write through " + path + ": it is not a folder of the destination"
                    : "cannot open the folder " + path + ": " + std::strerror(errno);
      return UniqueFd();
    }
    current = std::move(next);
  }
  return current;
}

std::string SafeDestination::MakeFolders(const std::vector<std::string>& components) {
  std::string problem;
  OpenFolder(components, components.size(), problem);
  return problem;
}

std::unique_ptr<PendingFile> SafeDestination::Begin(const std::vector<std::string>& components,
                                                    const std::function<bool(const std::string& path)>& replace,
                                                    std::string& problem) {
  problem.clear();
  if (components.empty()) {
    problem = "no file name";
    return nullptr;
  }
  UniqueFd folder = OpenFolder(components, components.size() - 1, problem);
  if (!folder) return nullptr;
  std::string path = folder_;
  for (const auto& part : components) path = JoinPath(path, part);
  const std::string& name = components.back();
  const std::string parent = ParentPath(path);
  if (std::find(swept_.begin(), swept_.end(), parent) == swept_.end()) {
    RemoveLeftoverTemporaries(parent);
    swept_.push_back(parent);
  }

  struct stat st {};
  if (::fstatat(folder.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (S_ISDIR(st.st_mode)) {
      problem = "cannot write " + path + ": a folder of that name is in the way";
      return nullptr;
    }
    if (replace && !replace(path)) {
      problem = "skipped";
      return nullptr;
    }
  }
  static thread_local std::mt19937 random(std::random_device{}());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
    std::string temp = std::string(kTemporaryPrefix) + suffix;
    UniqueFd file(::openat(folder.get(), temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (file) {
      HoldTemporary(file.get());
      return std::make_unique<PendingFile>(std::move(folder), std::move(file), std::move(temp), name, path);
    }
    if (errno != EEXIST) break;
  }
  problem = "cannot create " + path + ": " + std::strerror(errno);
  return nullptr;
}

}  // namespace krax

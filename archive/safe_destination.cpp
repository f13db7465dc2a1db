// Writing below a destination folder; the system's own steps are in platform/relative_folder.h.
#include "archive/safe_destination.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/relative_folder.h"
#include "platform/temporary_file.h"

namespace krax {

namespace os = relative_folder;

PendingFile::PendingFile(UniqueFd folder, UniqueFd file, std::string tempName, std::string finalName, std::string path)
    : folder_(std::move(folder)),
      file_(std::move(file)),
      tempName_(std::move(tempName)),
      finalName_(std::move(finalName)),
      path_(std::move(path)) {}

PendingFile::~PendingFile() {
  file_.reset();
  if (!committed_) os::RemoveFile(folder_, tempName_);
}

bool PendingFile::Write(const char* data, std::size_t size) { return os::WriteAll(file_, data, size); }

std::string PendingFile::Commit(std::int64_t modified, bool readOnly) {
  // The descriptor may have been handed to a writer that closed it already.
  if (file_.reset() != 0) return "cannot write " + path_ + ": " + std::strerror(errno);
  int error = 0;
  if (!os::PlaceFile(folder_, tempName_, finalName_, modified, readOnly, error)) {
    return "cannot write " + path_ + ": " + std::strerror(error);
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
  int error = 0;
  root_ = os::OpenDestination(folder, error);
  if (!root_) {
    problem_ = "cannot open the folder " + folder + ": " + std::strerror(error);
    return;
  }
  RemoveLeftoverTemporaries(folder);
  swept_.push_back(folder_);
}

UniqueFd SafeDestination::OpenFolder(const std::vector<std::string>& components, std::size_t count,
                                     std::string& problem) {
  int error = 0;
  UniqueFd current = os::Duplicate(root_, error);
  if (!current) {
    problem = "cannot open the folder " + folder_ + ": " + std::strerror(error);
    return UniqueFd();
  }
  std::string path = folder_;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& name = components[i];
    path = JoinPath(path, name);
    if (!os::MakeFolder(current, name, path, error)) {
      problem = "cannot create the folder " + path + ": " + std::strerror(error);
      return UniqueFd();
    }
    bool refused = false;
    UniqueFd next = os::OpenFolder(current, name, path, refused, error);
    if (!next) {
      problem = refused ? "refused to write through " + path + ": it is not a folder of the destination"
                        : "cannot open the folder " + path + ": " + std::strerror(error);
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
  std::string folderPath = folder_;
  for (std::size_t i = 0; i + 1 < components.size(); ++i) folderPath = JoinPath(folderPath, components[i]);
  const std::string& name = components.back();
  const std::string path = JoinPath(folderPath, name);
  if (std::find(swept_.begin(), swept_.end(), folderPath) == swept_.end()) {
    RemoveLeftoverTemporaries(folderPath);
    swept_.push_back(folderPath);
  }

  switch (os::KindOf(folder, name, path)) {
    case os::EntryKind::kFolder:
      problem = "cannot write " + path + ": a folder of that name is in the way";
      return nullptr;
    case os::EntryKind::kOther:
      if (replace && !replace(path)) {
        problem = "skipped";
        return nullptr;
      }
      break;
    case os::EntryKind::kNone: break;
  }
  UniqueFd file;
  int error = 0;
  const std::string temp = CreateUnderTemporaryName(
      [&](const std::string& candidate, int& failure) {
        file = os::CreateTemporary(folder, candidate, JoinPath(folderPath, candidate), failure);
        return static_cast<bool>(file);
      },
      error);
  if (!temp.empty()) {
    return std::make_unique<PendingFile>(std::move(folder), std::move(file), os::PendingName(folderPath, temp),
                                         os::PendingName(folderPath, name), path);
  }
  problem = "cannot create " + path + ": " + std::strerror(error);
  return nullptr;
}

}  // namespace krax

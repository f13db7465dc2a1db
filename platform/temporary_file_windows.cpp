// Temporary files and folders on Windows: created with CREATE_NEW (never someone else's
// file), put in place with MoveFileExW, which replaces the old file in one step. A temporary
// is held by a handle opened without FILE_SHARE_DELETE: while it is open, nobody can delete
// the file or folder, so a leftover that cannot be opened for deleting is in use.
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <utility>
#include <vector>

#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/temporary_file.h"
#include "platform/windows_support.h"

namespace krax {

namespace {

// A folder is made in two steps (created, then held); one younger than this may be between
// them and is left alone.
constexpr std::int64_t kYoungestLeftover = 2;

std::int64_t UnixSeconds(FILETIME time) {
  const std::int64_t ticks = (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return ticks / 10000000 - 11644473600LL;
}

// Removes a file, or a folder with everything in it; a reparse point (link, junction) is
// removed itself, never followed.
bool RemoveEntry(const std::string& path) {
  const std::wstring wide = win::SystemPath(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  if (attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ::DeleteFileW(wide.c_str()) != 0;
  bool ok = true;
  if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    for (const DirEntry& entry : ListFolder(path, true)) ok = RemoveEntry(JoinPath(path, entry.name)) && ok;
  }
  return ::RemoveDirectoryW(wide.c_str()) != 0 && ok;
}

// Opens a file or folder (never through a reparse point) so that it stays in use: without
// FILE_SHARE_DELETE nobody can delete or rename it until the handle is closed.
HANDLE OpenHeld(const std::string& path, DWORD access) {
  return ::CreateFileW(win::SystemPath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

}  // namespace

// The handle that made the temporary already holds it (opened without FILE_SHARE_DELETE).
void HoldTemporary(int /*fd*/) {}

void RemoveLeftoverTemporaries(std::string_view folderView) {
  const std::string folder = folderView.empty() ? std::string(".") : std::string(folderView);
  const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
  for (const DirEntry& entry : ListFolder(folder, true)) {
    if (!IsTemporaryName(entry.name)) continue;
    const std::string path = JoinPath(folder, entry.name);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(win::SystemPath(path).c_str(), GetFileExInfoStandard, &data)) continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;  // never one of ours
    if (now - UnixSeconds(data.ftLastWriteTime) < kYoungestLeftover) continue;
    // Opening for deleting fails with a sharing violation while a running program holds it.
    win::UniqueHandle probe(::CreateFileW(win::SystemPath(path).c_str(), DELETE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                          nullptr));
    if (!probe) continue;
    probe.reset();
    RemoveEntry(path);
  }
}

void TemporaryFile::Discard() {
  fd_.reset();
  if (!path_.empty()) ::DeleteFileW(win::SystemPath(path_).c_str());
  path_.clear();
}

FsResult TemporaryFile::CreateIn(std::string_view folder, TemporaryFile& file) {
  file.Discard();
  RemoveLeftoverTemporaries(folder);
  HANDLE handle = INVALID_HANDLE_VALUE;
  int error = 0;
  const std::string name = CreateUnderTemporaryName(
      [&](const std::string& candidate, int& failure) {
        // Shared for writing too: zip writers open the file again by its name. Not shared for
        // deleting: that is what holds it.
        handle =
            ::CreateFileW(win::SystemPath(TemporaryPathIn(folder, candidate)).c_str(), GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        failure = handle == INVALID_HANDLE_VALUE ? win::LastErrno() : 0;
        return handle != INVALID_HANDLE_VALUE;
      },
      error);
  if (name.empty()) return {FsStatus::kFailed, error};
  std::string path = TemporaryPathIn(folder, name);
  const int fd = win::DescriptorFor(handle, _O_RDWR);
  if (fd < 0) {
    ::DeleteFileW(win::SystemPath(path).c_str());
    return {FsStatus::kFailed, EMFILE};
  }
  file.path_ = std::move(path);
  file.fd_ = UniqueFd(fd);
  return {};
}

int TemporaryFile::ReleaseFd() { return fd_.release(); }

FsResult TemporaryFile::Commit(std::string_view finalPath) {
  if (fd_ && fd_.reset() != 0) return {FsStatus::kFailed, errno ? errno : EIO};
  if (const FsResult placed = PlaceFinishedFile(path_, finalPath); !placed) return placed;
  path_.clear();
  return {};
}

TemporaryFolder::~TemporaryFolder() { Discard(); }

void TemporaryFolder::Discard() {
  if (path_.empty()) return;
  held_.reset();  // a folder held open cannot be removed
  RemoveEntry(path_);
  path_.clear();
}

bool TemporaryFolder::MakeFolder(const std::string& path, int& error) {
  if (::CreateDirectoryW(win::SystemPath(path).c_str(), nullptr)) return true;
  error = win::LastErrno();
  return false;
}

UniqueFd TemporaryFolder::HoldFolder(const std::string& path) {
  const HANDLE held = OpenHeld(path, FILE_READ_ATTRIBUTES);
  if (held == INVALID_HANDLE_VALUE) return UniqueFd();
  return UniqueFd(win::DescriptorFor(held, _O_RDONLY));
}

}  // namespace krax

// Folders below a destination on Windows. Every folder below the destination is opened without
// following reparse points (symbolic links, junctions) and refused when it is one; it stays
// open without delete sharing while its files are written, so it cannot be swapped for a
// link meanwhile. Files are written under a temporary name (".krax-...") made with CREATE_NEW
// and held, as every temporary, by a handle without delete sharing.
#include <algorithm>
#include <cerrno>

#include "platform/path.h"
#include "platform/relative_folder.h"
#include "platform/windows_support.h"

namespace krax::relative_folder {

namespace {

// A folder handle that refuses reparse points; `refused` tells a link from a failure.
UniqueFd OpenRealFolder(const std::string& path, bool& refused) {
  refused = false;
  HANDLE handle =
      ::CreateFileW(win::SystemPath(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return UniqueFd();
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(handle, &info) || !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    refused = true;
    ::CloseHandle(handle);
    ::SetLastError(ERROR_CANT_ACCESS_FILE);
    return UniqueFd();
  }
  return UniqueFd(win::DescriptorFor(handle, 0));
}

FILETIME FileTimeOf(std::int64_t unixSeconds) {
  ULARGE_INTEGER value;
  value.QuadPart = static_cast<ULONGLONG>(unixSeconds * 10000000 + 116444736000000000LL);
  FILETIME time;
  time.dwLowDateTime = value.LowPart;
  time.dwHighDateTime = value.HighPart;
  return time;
}

// Dates the file `path` and makes it read-only when asked, through a handle on the name
// itself (a reparse point is never followed).
bool DateAndProtect(const std::string& path, std::int64_t modified, bool readOnly) {
  win::UniqueHandle file(::CreateFileW(win::SystemPath(path).c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) return false;
  FILE_BASIC_INFO info{};
  if (!::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &info, sizeof info)) return false;
  const FILETIME time = FileTimeOf(modified);
  info.LastWriteTime.LowPart = time.dwLowDateTime;
  info.LastWriteTime.HighPart = static_cast<LONG>(time.dwHighDateTime);
  if (readOnly) info.FileAttributes |= FILE_ATTRIBUTE_READONLY;
  return ::SetFileInformationByHandle(file.get(), FileBasicInfo, &info, sizeof info) != 0;
}

// A read-only file of the final name would refuse to be replaced, as it never does on Linux.
void AllowReplacing(const std::string& path) {
  const std::wstring wide = win::SystemPath(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return;  // the link itself is replaced
  ::SetFileAttributesW(wide.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
}

}  // namespace

UniqueFd OpenDestination(const std::string& folder, int& error) {
  // The destination itself may be reached through a link: the user chose it.
  HANDLE handle =
      ::CreateFileW(win::SystemPath(folder).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = win::LastErrno();
    return UniqueFd();
  }
  return UniqueFd(win::DescriptorFor(handle, 0));
}

UniqueFd Duplicate(const UniqueFd& folder, int& error) {
  HANDLE copy = INVALID_HANDLE_VALUE;
  if (!::DuplicateHandle(::GetCurrentProcess(), win::HandleOf(folder.get()), ::GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
    error = win::LastErrno();
    return UniqueFd();
  }
  return UniqueFd(win::DescriptorFor(copy, 0));
}

bool MakeFolder(const UniqueFd& /*parent*/, const std::string& /*name*/, const std::string& path, int& error) {
  if (::CreateDirectoryW(win::SystemPath(path).c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS) {
    return true;
  }
  error = win::LastErrno();
  return false;
}

UniqueFd OpenFolder(const UniqueFd& /*parent*/, const std::string& /*name*/, const std::string& path, bool& refused,
                    int& error) {
  UniqueFd folder = OpenRealFolder(path, refused);
  if (!folder) error = win::LastErrno();
  return folder;
}

EntryKind KindOf(const UniqueFd& /*folder*/, const std::string& /*name*/, const std::string& path) {
  // The attributes of the name itself, a link not followed.
  const DWORD attributes = ::GetFileAttributesW(win::SystemPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::kNone;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EntryKind::kFolder : EntryKind::kOther;
}

UniqueFd CreateTemporary(const UniqueFd& /*folder*/, const std::string& /*name*/, const std::string& path, int& error) {
  HANDLE handle = ::CreateFileW(win::SystemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = win::LastErrno();
    return UniqueFd();
  }
  UniqueFd file(win::DescriptorFor(handle, 0));
  if (!file) error = EMFILE;
  return file;
}

std::string PendingName(const std::string& folderPath, const std::string& name) { return JoinPath(folderPath, name); }

bool WriteAll(const UniqueFd& file, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD put = 0;
    if (!::WriteFile(win::HandleOf(file.get()), data, chunk, &put, nullptr) || put == 0) return false;
    data += put;
    size -= put;
  }
  return true;
}

void RemoveFile(const UniqueFd& /*folder*/, const std::string& pendingName) {
  ::DeleteFileW(win::SystemPath(pendingName).c_str());
}

bool PlaceFile(const UniqueFd& /*folder*/, const std::string& tempName, const std::string& finalName,
               std::int64_t modified, bool readOnly, int& error) {
  DateAndProtect(tempName, modified, readOnly);
  AllowReplacing(finalName);
  // A link of the final name is replaced by the file; nothing is written through it.
  if (!::MoveFileExW(win::SystemPath(tempName).c_str(), win::SystemPath(finalName).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = win::LastErrno();
    return false;
  }
  return true;
}

}  // namespace krax::relative_folder

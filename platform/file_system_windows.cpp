// The file-system operations on Windows: UTF-16 paths, FindFirstFileExW listings, the file
// index as a folder's identity, MoveFileExW that replaces only where an atomic replacement
// is meant, temporary files made with CREATE_NEW.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>

#include "platform/copy_plan.h"
#include "platform/file_name_order.h"
#include "platform/file_system.h"
#include "platform/file_system_detail.h"
#include "platform/fs_result_errno.h"
#include "platform/output_file.h"
#include "platform/path.h"
#include "platform/real_path.h"
#include "platform/replace_file.h"
#include "platform/temporary_file.h"
#include "platform/windows_support.h"

namespace krax {

namespace {

using win::SystemPath;
using win::UniqueHandle;

std::string Str(std::string_view s) { return std::string(s); }

FsResult Ok() { return {}; }

using fs_result::Failed;
using fs_result::FromErrno;

FsResult FromLastError() { return FromErrno(win::LastErrno()); }

std::optional<WIN32_FILE_ATTRIBUTE_DATA> Attributes(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(SystemPath(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return data;
}

bool IsFolderAttribute(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool Exists(const std::string& path) { return Attributes(path).has_value(); }

// 100-nanosecond intervals since 1601 <-> seconds since 1970.
constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000LL;
std::int64_t UnixSeconds(FILETIME time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return (static_cast<std::int64_t>(value.QuadPart) - kUnixEpochAsFileTime) / 10000000;
}
FILETIME FileTimeOf(std::int64_t unixSeconds) {
  ULARGE_INTEGER value;
  value.QuadPart = static_cast<ULONGLONG>(unixSeconds * 10000000 + kUnixEpochAsFileTime);
  FILETIME out;
  out.dwLowDateTime = value.LowPart;
  out.dwHighDateTime = value.HighPart;
  return out;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
    DWORD put = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &put, nullptr) || put == 0) return false;
    bytes.remove_prefix(put);
  }
  return true;
}

// A new, empty temporary file beside `target` (created with CREATE_NEW, so never someone
// else's); its path goes to `tempPath`.
UniqueHandle CreateTempBeside(const std::string& target, std::string& tempPath) {
  const std::string parent = ParentPath(target);
  RemoveLeftoverTemporaries(parent.empty() ? "." : parent);
  UniqueHandle file;
  int error = 0;
  const std::string name = CreateUnderTemporaryName(
      [&](const std::string& candidate, int& failure) {
        // Held while open: not shared for deleting (platform/temporary_file.h).
        file = UniqueHandle(::CreateFileW(SystemPath(parent.empty() ? candidate : JoinPath(parent, candidate)).c_str(),
                                          GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        failure = file ? 0 : win::LastErrno();
        return static_cast<bool>(file);
      },
      error);
  tempPath = name.empty() ? std::string() : parent.empty() ? name : JoinPath(parent, name);
  return file;
}

// Wine, unlike Windows, reports success for a rename that changes only the capitals of a
// name and keeps the old spelling. Such a rename goes through a name of its own beside it (not
// a temporary's: a run killed half-way must leave the item, never have it cleared away).
FsResult ChangeCaseThroughOtherName(const std::string& from, const std::string& to, DWORD flags) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string step = to + "~" + std::to_string(attempt);
    if (!::MoveFileExW(SystemPath(from).c_str(), SystemPath(step).c_str(), flags)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) continue;
      return FromErrno(win::ErrnoFrom(error));
    }
    if (::MoveFileExW(SystemPath(step).c_str(), SystemPath(to).c_str(), flags)) return Ok();
    const FsResult failed = FromLastError();
    ::MoveFileExW(SystemPath(step).c_str(), SystemPath(from).c_str(), flags);  // back as it was
    return failed;
  }
  return FromErrno(EEXIST);
}

void RemoveQuietly(const std::string& path) {
  const std::wstring wide = SystemPath(path);
  ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(wide.c_str());
}

// Copies an open file into a new temporary file beside `to`, keeping its modification
// time and (unless `makeWritable`) its read-only attribute. `tempPath` is "" on failure.
FsResult CopyToTemp(HANDLE source, const std::string& to, bool makeWritable, std::string& tempPath,
                    const std::function<void(std::uint64_t)>& onBytes = {}) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(source, &info)) return FromLastError();
  UniqueHandle temp = CreateTempBeside(to, tempPath);
  if (!temp) {
    tempPath.clear();
    return FromLastError();
  }
  auto fail = [&](int error) {
    temp.reset();
    RemoveQuietly(tempPath);
    tempPath.clear();
    return Failed(error);
  };
  std::unique_ptr<char[]> buffer(new char[1 << 16]);
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(source, buffer.get(), 1 << 16, &got, nullptr)) return fail(win::LastErrno());
    if (got == 0) break;
    if (!WriteAll(temp.get(), std::string_view(buffer.get(), got))) return fail(win::LastErrno());
    if (onBytes) onBytes(got);
  }
  ::SetFileTime(temp.get(), nullptr, nullptr, &info.ftLastWriteTime);
  if (!::FlushFileBuffers(temp.get())) return fail(win::LastErrno());
  if (!temp.reset()) return fail(win::LastErrno());
  if (!makeWritable && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
    ::SetFileAttributesW(SystemPath(tempPath).c_str(), FILE_ATTRIBUTE_READONLY);
  }
  return Ok();
}

bool SameFile(HANDLE open, const std::string& path) {
  UniqueHandle other(::CreateFileW(SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION a, b;
  return other && ::GetFileInformationByHandle(open, &a) && ::GetFileInformationByHandle(other.get(), &b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

FsResult CopyFileImpl(const std::string& from, const std::string& to, bool overwrite, bool replaceReadOnly,
                      bool makeWritable, const std::function<void(std::uint64_t)>& onBytes = {}) {
  UniqueHandle source(::CreateFileW(SystemPath(from).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!source) {
    const std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributes = Attributes(from);
    if (attributes && IsFolderAttribute(attributes->dwFileAttributes)) return Failed(EISDIR);
    return FromLastError();
  }
  if (const std::optional<WIN32_FILE_ATTRIBUTE_DATA> target = Attributes(to)) {
    if (!overwrite) return FromErrno(EEXIST);
    if (IsFolderAttribute(target->dwFileAttributes)) return Failed(EISDIR);
    if (SameFile(source.get(), to)) return Failed(EINVAL);  // a file copied onto itself
    if (target->dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
      if (!replaceReadOnly) return Failed(EACCES);
      ::SetFileAttributesW(SystemPath(to).c_str(), target->dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
  }
  std::string tempPath;
  FsResult copied = CopyToTemp(source.get(), to, makeWritable, tempPath, onBytes);
  if (!copied) return copied;
  if (!overwrite) {
    FsResult placed = RenameNoReplace(tempPath, to);
    if (!placed) RemoveQuietly(tempPath);
    return placed;
  }
  if (FsResult placed = ReplaceFileWith(tempPath, to); !placed) {
    RemoveQuietly(tempPath);
    return placed;
  }
  return Ok();
}

FsResult CopyTreeImpl(std::string_view source, std::string_view destination, const CopyTreeCallbacks& callbacks,
                      bool makeWritable);

bool RemoveTree(const std::string& path) {
  const std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributes = Attributes(path);
  if (!attributes) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  if (!IsFolderAttribute(attributes->dwFileAttributes) ||
      (attributes->dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    if (IsFolderAttribute(attributes->dwFileAttributes)) return ::RemoveDirectoryW(SystemPath(path).c_str()) != 0;
    return DeleteFile(path).ok();
  }
  bool ok = true;
  for (const DirEntry& entry : ListFolder(path, true)) ok = RemoveTree(JoinPath(path, entry.name)) && ok;
  return ::RemoveDirectoryW(SystemPath(path).c_str()) != 0 && ok;
}

// A folder moved to another volume: copy everything, then delete the source.
FsResult MoveFolderAcrossVolumes(const std::string& from, const std::string& to) {
  if (!::CreateDirectoryW(SystemPath(to).c_str(), nullptr)) return FromLastError();
  if (const FsResult copied = copy_plan::CopyContents(from, to, CopyTreeImpl); !copied) {
    RemoveTree(to);
    return copied;
  }
  if (!RemoveTree(from)) return Failed(EIO);
  return Ok();
}

// The length of the root of an absolute path: "C:\" 3, "\\server\share\" its length,
// "\" 1; 0 for a relative path.
std::size_t RootLength(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::size_t at = 2;
    for (int part = 0; part < 2 && at < path.size(); ++part) {
      while (at < path.size() && !IsSeparator(path[at])) ++at;
      if (at < path.size()) ++at;
    }
    return at;
  }
  return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

}  // namespace

bool IsTemporaryName(std::string_view name) { return name.substr(0, kTemporaryPrefix.size()) == kTemporaryPrefix; }

std::vector<DirEntry> ListFolder(std::string_view folder, bool withTemporaries) {
  std::vector<DirEntry> out;
  const std::string pattern = JoinPath(folder.empty() ? std::string_view(".") : folder, "*");
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileExW(SystemPath(pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) return out;
  do {
    const std::wstring_view name(data.cFileName);
    if (name == L"." || name == L"..") continue;
    DirEntry entry;
    entry.name = win::Narrow(name);
    if (!withTemporaries && IsTemporaryName(entry.name)) continue;
    entry.isFolder = IsFolderAttribute(data.dwFileAttributes);
    out.push_back(std::move(entry));
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  SortAsListedOnWindows(out);
  return out;
}

bool IsFolder(std::string_view path) {
  const std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributes = Attributes(Str(path));
  return attributes && IsFolderAttribute(attributes->dwFileAttributes);
}

std::optional<FolderIdentity> IdentifyFolder(std::string_view path) {
  UniqueHandle folder(::CreateFileW(SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION info;
  if (!folder || !::GetFileInformationByHandle(folder.get(), &info) || !IsFolderAttribute(info.dwFileAttributes)) {
    return std::nullopt;
  }
  return FolderIdentity{info.dwVolumeSerialNumber,
                        (std::uint64_t{info.nFileIndexHigh} << 32) | std::uint64_t{info.nFileIndexLow}};
}

bool IsFile(std::string_view path) {
  const std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributes = Attributes(Str(path));
  return attributes && !IsFolderAttribute(attributes->dwFileAttributes);
}

std::optional<std::uint64_t> FileSize(std::string_view path) {
  const std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributes = Attributes(Str(path));
  if (!attributes || IsFolderAttribute(attributes->dwFileAttributes)) return std::nullopt;
  return (std::uint64_t{attributes->nFileSizeHigh} << 32) | attributes->nFileSizeLow;
}

FsResult RenameNoReplace(std::string_view fromView, std::string_view toView) {
  const std::string from = Str(fromView), to = Str(toView);
  const std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributes = Attributes(from);
  if (!attributes) return FromLastError();
  const bool folder = IsFolderAttribute(attributes->dwFileAttributes);
  // Without MOVEFILE_REPLACE_EXISTING an existing target is an error, never replaced.
  const DWORD flags = folder ? 0 : MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH;
  if (::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(), flags)) {
    const std::string oldName = BaseName(from), newName = BaseName(to);
    if (oldName != newName && EqualsIgnoreCase(oldName, newName) && !EntryExists(to)) {
      return ChangeCaseThroughOtherName(from, to, flags);
    }
    return Ok();
  }
  const DWORD error = ::GetLastError();
  if (folder && error == ERROR_NOT_SAME_DEVICE) {
    if (Exists(to)) return FromErrno(EEXIST);
    return MoveFolderAcrossVolumes(from, to);
  }
  return FromErrno(win::ErrnoFrom(error));
}

FsResult CopyFile(std::string_view from, std::string_view to, bool overwrite) {
  return CopyFileImpl(Str(from), Str(to), overwrite, /*replaceReadOnly=*/false, /*makeWritable=*/false);
}

FsResult DeleteFile(std::string_view pathView) {
  const std::string path = Str(pathView);
  const std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributes = Attributes(path);
  if (!attributes) return FromLastError();
  if (IsFolderAttribute(attributes->dwFileAttributes)) return Failed(EISDIR);
  const std::wstring wide = SystemPath(path);
  if (::DeleteFileW(wide.c_str())) return Ok();
  // A read-only file goes too, as it does from a writable folder on Linux.
  if (::GetLastError() == ERROR_ACCESS_DENIED && (attributes->dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
    ::SetFileAttributesW(wide.c_str(), attributes->dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    if (::DeleteFileW(wide.c_str())) return Ok();
    const FsResult failure = FromLastError();
    ::SetFileAttributesW(wide.c_str(), attributes->dwFileAttributes);
    return failure;
  }
  return FromLastError();
}

FsResult CreateFolder(std::string_view pathView, bool withParents) {
  const std::string path = Str(pathView);
  if (path.empty()) return FromErrno(ENOENT);
  if (!withParents) return ::CreateDirectoryW(SystemPath(path).c_str(), nullptr) ? Ok() : FromLastError();
  if (IsFolder(path)) return Ok();
  const std::size_t root = RootLength(path);
  std::string current = path.substr(0, root);
  for (const std::string& component : PathComponents(std::string_view(path).substr(root))) {
    current = current.empty() ? component : JoinPath(current, component);
    if (!::CreateDirectoryW(SystemPath(current).c_str(), nullptr) &&
        !(::GetLastError() == ERROR_ALREADY_EXISTS && IsFolder(current))) {
      return FromLastError();
    }
  }
  return Ok();
}

FsResult RemoveEmptyFolder(std::string_view path) {
  return ::RemoveDirectoryW(SystemPath(path).c_str()) ? Ok() : FromLastError();
}

std::optional<std::string> ReadWholeFile(std::string_view path) {
  UniqueHandle file(::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string out;
  char buffer[1 << 15];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
    if (got == 0) break;
    out.append(buffer, got);
  }
  return out;
}

FsResult WriteFileAtomic(std::string_view pathView, std::string_view bytes) {
  const std::string path = Str(pathView);
  // A device is written as it is, never replaced; a link, a folder and the like are refused.
  const OutputCheck output = CheckOutput(path);
  if (output.use == OutputCheck::Use::kWriteInPlace) return WriteInPlace(path, bytes);
  if (output.use == OutputCheck::Use::kRefuse) return Failed(output.error);
  if (const std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributes = Attributes(path)) {
    if (IsFolderAttribute(attributes->dwFileAttributes)) return Failed(EISDIR);
    if (attributes->dwFileAttributes & FILE_ATTRIBUTE_READONLY) return Failed(EACCES);
  }
  std::string tempPath;
  UniqueHandle temp = CreateTempBeside(path, tempPath);
  if (!temp) return FromLastError();
  auto fail = [&](int error) {
    temp.reset();
    RemoveQuietly(tempPath);
    return FromErrno(error);
  };
  if (!WriteAll(temp.get(), bytes)) return fail(win::LastErrno());
  if (!::FlushFileBuffers(temp.get())) return fail(win::LastErrno());
  if (!temp.reset()) return fail(win::LastErrno());
  if (const FsResult placed = ReplaceFileWith(tempPath, path); !placed) return fail(placed.systemError);
  return Ok();
}

bool IsReadOnly(std::string_view path) {
  const std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributes = Attributes(Str(path));
  return attributes && (attributes->dwFileAttributes & FILE_ATTRIBUTE_READONLY);
}

FsResult SetReadOnly(std::string_view pathView, bool readOnly) {
  const std::string path = Str(pathView);
  const std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributes = Attributes(path);
  if (!attributes) return FromLastError();
  DWORD value = attributes->dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
  if (readOnly) value |= FILE_ATTRIBUTE_READONLY;
  if (value == 0) value = FILE_ATTRIBUTE_NORMAL;
  return ::SetFileAttributesW(SystemPath(path).c_str(), value) ? Ok() : FromLastError();
}

std::optional<DosDateTime> FileDosTime(std::string_view path) {
  const std::optional<WIN32_FILE_ATTRIBUTE_DATA> attributes = Attributes(Str(path));
  if (!attributes) return std::nullopt;
  return ToDosDateTime(UnixSeconds(attributes->ftLastWriteTime));
}

FsResult SetFileDosTime(std::string_view path, DosDateTime when) {
  UniqueHandle file(::CreateFileW(SystemPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return FromLastError();
  const FILETIME modified = FileTimeOf(FromDosDateTime(when));
  return ::SetFileTime(file.get(), nullptr, nullptr, &modified) ? Ok() : FromLastError();
}

namespace {

FsResult CheckEntry(const std::string& path) { return Exists(path) ? Ok() : FromLastError(); }

FsResult CopyTreeImpl(std::string_view sourceView, std::string_view destinationView,
                      const CopyTreeCallbacks& callbacks, bool makeWritable) {
  auto copyFile = [makeWritable](const std::string& from, const std::string& to,
                                  const std::function<void(std::uint64_t)>& onBytes) {
    return CopyFileImpl(from, to, /*overwrite=*/true, /*replaceReadOnly=*/true, makeWritable, onBytes);
  };
  const std::string source = Str(sourceView);
  return copy_plan::CopyTree(source, Str(destinationView), RootLength(source), CheckEntry, callbacks, copyFile,
                             Failed(ECANCELED));
}

}  // namespace

namespace detail {
// Windows renames never replace unless asked to: the no-replace rename is the only one.
FsResult RenameNoReplaceFallback(const std::string& from, const std::string& to, bool /*isFolder*/) {
  return RenameNoReplace(from, to);
}
}  // namespace detail

FsResult CopyTree(std::string_view source, std::string_view destination, const CopyTreeCallbacks& callbacks) {
  return CopyTreeImpl(source, destination, callbacks, /*makeWritable=*/true);
}

}  // namespace krax

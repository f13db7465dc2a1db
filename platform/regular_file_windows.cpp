// Regular files on Windows: a reparse point (symbolic link, junction) counts as a link and
// is never followed; devices and folders are never opened as files.
#include <fcntl.h>

#include <cerrno>
#include <memory>

#include "platform/regular_file.h"
#include "platform/windows_support.h"

namespace krax {
namespace {

bool IsReparsePoint(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

}  // namespace

EntryKind KindOfEntry(std::string_view path) {
  const DWORD attributes = ::GetFileAttributesW(win::SystemPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return EntryKind::kMissing;
  if (IsReparsePoint(attributes)) return EntryKind::kLink;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::kFolder;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryKind::kDevice;
  return EntryKind::kRegularFile;
}

UniqueFd OpenRegularFile(std::string_view path, int& error) {
  const std::wstring wide = win::SystemPath(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    error = win::LastErrno();
    return UniqueFd();
  }
  if (IsReparsePoint(attributes) || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    error = IsReparsePoint(attributes) ? ELOOP : EINVAL;
    return UniqueFd();
  }
  // The reparse point itself, should the name have become one meanwhile: checked below.
  win::UniqueHandle file(::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file) {
    error = win::LastErrno();
    return UniqueFd();
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.get(), &info) || ::GetFileType(file.get()) != FILE_TYPE_DISK ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    error = EINVAL;
    return UniqueFd();
  }
  if (IsReparsePoint(info.dwFileAttributes)) {
    error = ELOOP;
    return UniqueFd();
  }
  const int fd = win::DescriptorFor(file.release(), _O_RDONLY);
  if (fd < 0) {
    error = EMFILE;
    return UniqueFd();
  }
  error = 0;
  return UniqueFd(fd);
}

FsResult CopyRegularFile(std::string_view from, std::string_view to) {
  int error = 0;
  UniqueFd source = OpenRegularFile(from, error);
  if (!source) return {FsStatus::kFailed, error};
  const HANDLE in = win::HandleOf(source.get());
  const std::wstring target = win::SystemPath(to);
  // CREATE_NEW fails on any existing name, a link included.
  win::UniqueHandle out(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!out) {
    const int why = win::LastErrno();
    return {why == EEXIST ? FsStatus::kAlreadyExists : FsStatus::kFailed, why};
  }
  auto fail = [&](int why) {
    out.reset();
    ::DeleteFileW(target.c_str());
    return FsResult{FsStatus::kFailed, why};
  };
  constexpr DWORD kPiece = 1 << 16;
  std::unique_ptr<char[]> buffer(new char[kPiece]);
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(in, buffer.get(), kPiece, &got, nullptr)) return fail(win::LastErrno());
    if (got == 0) break;
    for (DWORD done = 0; done < got;) {
      DWORD put = 0;
      if (!::WriteFile(out.get(), buffer.get() + done, got - done, &put, nullptr)) return fail(win::LastErrno());
      done += put;
    }
  }
  FILETIME modified{};
  if (::GetFileTime(in, nullptr, nullptr, &modified)) ::SetFileTime(out.get(), nullptr, nullptr, &modified);
  if (!::FlushFileBuffers(out.get())) return fail(win::LastErrno());
  if (!out.reset()) return fail(win::LastErrno());
  return {};
}

}  // namespace krax

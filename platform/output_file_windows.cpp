#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/output_file.h"
#include "platform/windows_support.h"

namespace krax {

OutputCheck CheckOutput(std::string_view pathView) {
  const std::string path(pathView);
  // The name itself, a link not followed.
  win::UniqueHandle file(::CreateFileW(win::SystemPath(path).c_str(), 0,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return {};  // nothing there: a new file
  const DWORD type = ::GetFileType(file.get());
  if (type == FILE_TYPE_CHAR) return {OutputCheck::Use::kWriteInPlace, {}, 0};
  if (type == FILE_TYPE_PIPE) return {OutputCheck::Use::kRefuse, path + " is a pipe, not a file that can be written", ENODEV};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file.get(), &info)) return {};
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    return {OutputCheck::Use::kRefuse, path + " is a link; name the file it points to itself to write it", ELOOP};
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return {OutputCheck::Use::kRefuse, path + " is a folder", EISDIR};
  if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return {OutputCheck::Use::kRefuse, path + " is read-only", EACCES};
  return {};
}

FsResult WriteInPlace(std::string_view path, std::string_view bytes) {
  win::UniqueHandle file(::CreateFileW(win::SystemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {FsStatus::kFailed, win::LastErrno()};
  while (!bytes.empty()) {
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), piece, &written, nullptr)) return {FsStatus::kFailed, win::LastErrno()};
    bytes.remove_prefix(written);
  }
  return {};
}

}  // namespace krax

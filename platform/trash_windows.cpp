// The Recycle Bin on Windows. Only a volume that has one can take the item; elsewhere (a
// network share, a removable drive) the shell would delete it for good without asking, so
// that case is reported as "no trash" and the caller asks before deleting.
#include "platform/trash.h"

#include <string>

#include "platform/windows_support.h"

#include <shellapi.h>  // after <windows.h>

namespace krax {
namespace {

// The item's absolute path as the shell takes it: no "\\?\" prefix, backslashes only.
std::wstring ShellPath(std::string_view path) {
  std::wstring wide = win::SystemPath(path);
  if (wide.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\" + wide.substr(7);
  if (wide.rfind(L"\\\\?\\", 0) == 0) return wide.substr(4);
  return wide;
}

// The root of the volume that holds `path` ("C:\"), empty when it cannot be asked.
std::wstring VolumeRoot(const std::wstring& path) {
  wchar_t root[MAX_PATH + 1] = {};
  if (!::GetVolumePathNameW(path.c_str(), root, MAX_PATH)) return {};
  return root;
}

}  // namespace

TrashResult MoveToTrash(std::string_view path) {
  TrashResult result;
  const std::wstring item = ShellPath(path);
  if (::GetFileAttributesW(win::SystemPath(path).c_str()) == INVALID_FILE_ATTRIBUTES) {
    result.message = std::string(path) + " cannot be found";
    return result;
  }
  const std::wstring root = VolumeRoot(item);
  SHQUERYRBINFO bin{};
  bin.cbSize = sizeof bin;
  if (root.empty() || FAILED(::SHQueryRecycleBinW(root.c_str(), &bin))) {
    result.status = TrashStatus::kNoTrash;
    result.message = "no trash can take " + std::string(path) + " (the volume at " + win::Narrow(root) +
                     " has no Recycle Bin)";
    return result;
  }
  // The shell's list of paths ends with an empty one.
  std::wstring from = item;
  from.push_back(L'\0');
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  const int failed = ::SHFileOperationW(&operation);
  if (failed != 0 || operation.fAnyOperationsAborted) {
    result.message = "cannot move " + std::string(path) + " into the Recycle Bin (error " +
                     std::to_string(failed) + ")";
    return result;
  }
  if (::GetFileAttributesW(win::SystemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
    result.message = "cannot move " + std::string(path) + " into the Recycle Bin";
    return result;
  }
  result.status = TrashStatus::kTrashed;
  result.trashedAs = "Recycle Bin of " + win::Narrow(root);
  return result;
}

}  // namespace krax

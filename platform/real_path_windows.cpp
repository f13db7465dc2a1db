#include "platform/real_path.h"
#include "platform/windows_support.h"

namespace krax {

std::string RealPath(std::string_view path) {
  win::UniqueHandle file(::CreateFileW(win::SystemPath(path).c_str(), 0,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return {};
  std::wstring out(MAX_PATH, L'\0');
  DWORD size = ::GetFinalPathNameByHandleW(file.get(), out.data(), static_cast<DWORD>(out.size()), 0);
  if (size >= out.size()) {
    out.resize(size);
    size = ::GetFinalPathNameByHandleW(file.get(), out.data(), static_cast<DWORD>(out.size()), 0);
  }
  if (size == 0 || size >= out.size()) return {};
  out.resize(size);
  // The "\\?\" form is for the system; "C:\..." is what people read.
  if (out.rfind(L"\\\\?\\UNC\\", 0) == 0) return "\\\\" + win::Narrow(std::wstring_view(out).substr(8));
  if (out.rfind(L"\\\\?\\", 0) == 0) return win::Narrow(std::wstring_view(out).substr(4));
  return win::Narrow(out);
}

// Drive links of Wine prefixes are read only where Wine runs.
std::string LinkTarget(std::string_view /*link*/) { return {}; }

bool EntryExists(std::string_view path) {
  const std::wstring wide = win::SystemPath(path);
  if (wide.find_first_of(L"*?") != std::wstring::npos) return false;  // a pattern names no entry
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileExW(wide.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) {
    // A drive's root has no entry of its own to find.
    return ::GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES && wide.size() <= 3;
  }
  ::FindClose(find);
  const std::size_t slash = wide.find_last_of(L"\\/");
  return wide.compare(slash == std::wstring::npos ? 0 : slash + 1, std::wstring::npos, data.cFileName) == 0;
}

}  // namespace krax

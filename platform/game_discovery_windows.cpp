// The game and its CD on Windows: the installer's registry value (the 32-bit view, where
// the game's 32-bit installer wrote it) and the first CD-ROM drive from C: to Z:.
#include "platform/game_discovery.h"
#include "platform/windows_support.h"

namespace krax {

std::string FindGameFolder() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, win::Wide(kGameRegistryKey).c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY,
                      &key) != ERROR_SUCCESS) {
    return {};
  }
  std::wstring value(512, L'\0');
  DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  DWORD type = 0;
  const LONG status = ::RegQueryValueExW(key, win::Wide(kGameRegistryValue).c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(value.data()), &bytes);
  ::RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  value.resize(bytes / sizeof(wchar_t));
  // The text ends at its first NUL.
  if (const std::size_t nul = value.find(L'\0'); nul != std::wstring::npos) value.resize(nul);
  return win::Narrow(value);
}

std::string FindCdDrive() {
  const DWORD drives = ::GetLogicalDrives();
  for (char letter = 'C'; letter <= 'Z'; ++letter) {
    if (!(drives & (1u << (letter - 'A')))) continue;
    const std::string root = std::string(1, letter) + ":\\";
    if (::GetDriveTypeW(win::Wide(root).c_str()) == DRIVE_CDROM) return root;
  }
  return {};
}

}  // namespace krax

#include <shlobj.h>  // after <windows.h>

#include <cstdlib>

#include "platform/user_folders.h"
#include "platform/windows_support.h"

namespace krax {

std::string UserSettingsFolder() {
  wchar_t* folder = nullptr;
  std::string out;
  if (::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &folder) == S_OK) {
    out = win::Narrow(folder);
  }
  ::CoTaskMemFree(folder);
  return out;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home ? std::string(home) : std::string();
}

}  // namespace krax

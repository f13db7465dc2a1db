#include "platform/system_kind.h"

#include "platform/windows_support.h"

namespace krax {

// Wine's ntdll exports its version; Windows's does not.
bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace krax

#include "operations/file_names.h"

#include <cstring>

#include "platform/path.h"

namespace krax {
namespace {

// The part of the name before its first dot, without the blanks Windows ignores before it
// ("NUL .txt" is the device too).
bool IsReservedDeviceName(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
    if (EqualsIgnoreCase(stem, device)) return true;
  }
  if (stem.size() != 4 || stem[3] < '1' || stem[3] > '9') return false;
  return EqualsIgnoreCase(stem.substr(0, 3), "COM") || EqualsIgnoreCase(stem.substr(0, 3), "LPT");
}

}  // namespace

bool IsUsableFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127 || std::strchr("<>:\"/\\|?*", c) != nullptr) return false;
  }
  if (name.back() == '.' || name.back() == ' ') return false;  // also a name of blanks only
  return !IsReservedDeviceName(name);
}

}  // namespace krax

#include "operations/file_names.h"

#include <cstring>

namespace krax {

bool IsUsableFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 32 || byte == 127 || std::strchr("<>:\"/\\|?*", c) != nullptr) return false;
  }
  return name.back() != '.' && name.back() != ' ';
}

}  // namespace krax

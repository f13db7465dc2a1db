#include "archive/safe_entry_name.h"

namespace krax {

std::optional<std::vector<std::string>> SafeRelativeComponents(std::string_view name) {
  if (name.empty()) return std::nullopt;
  if (name.front() == '\\' || name.front() == '/') return std::nullopt;  // absolute
  if (name.find_first_of(std::string_view(":\0", 2)) != std::string_view::npos) {
    return std::nullopt;  // a drive, a stream, or a name cut short by a NUL
  }
  std::vector<std::string> parts;
  std::string part;
  auto flush = [&]() -> bool {
    if (part == "..") return false;
    if (!part.empty() && part != ".") parts.push_back(part);
    part.clear();
    return true;
  };
  for (const char c : name) {
    if (c == '\\' || c == '/') {
      if (!flush()) return std::nullopt;
    } else {
      part.push_back(c);
    }
  }
  if (!flush() || parts.empty()) return std::nullopt;
  return parts;
}

}  // namespace krax

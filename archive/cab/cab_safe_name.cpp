#include "archive/cab/cab_safe_name.h"

namespace krax::cab {

std::optional<std::vector<std::string>> SafeRelativeComponents(std::string_view name) {
  if (name.empty()) return std::nullopt;
  if (name.front() == '\\' || name.front() == '/') return std::nullopt;  // absolute
  if (name.find(':') != std::string_view::npos) return std::nullopt;     // drive or stream
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

}  // namespace krax::cab

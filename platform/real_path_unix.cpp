#include <sys/stat.h>

#include <cstdlib>

#include "platform/real_path.h"

namespace krax {

std::string RealPath(std::string_view path) {
  char* real = ::realpath(std::string(path).c_str(), nullptr);
  if (!real) return {};
  std::string out(real);
  std::free(real);
  return out;
}

bool EntryExists(std::string_view path) {
  struct stat st;
  return ::lstat(std::string(path).c_str(), &st) == 0;
}

}  // namespace krax

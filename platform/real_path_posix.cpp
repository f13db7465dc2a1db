#include <sys/stat.h>
#include <unistd.h>

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

std::string LinkTarget(std::string_view link) {
  char buffer[4096];
  const ssize_t n = ::readlink(std::string(link).c_str(), buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<std::size_t>(n));
}

bool EntryExists(std::string_view path) {
  struct stat st;
  return ::lstat(std::string(path).c_str(), &st) == 0;
}

}  // namespace krax

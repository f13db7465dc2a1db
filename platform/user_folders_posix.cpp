#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/path.h"
#include "platform/user_folders.h"

namespace krax {

std::string UserSettingsFolder() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* user = ::getpwuid(::getuid());
    home = user ? user->pw_dir : nullptr;
  }
  if (!home || !*home) return {};
  return JoinPath(home, ".config");
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (!home || !*home) {
    const passwd* user = ::getpwuid(::getuid());
    home = user ? user->pw_dir : nullptr;
  }
  return home ? std::string(home) : std::string();
}

}  // namespace krax

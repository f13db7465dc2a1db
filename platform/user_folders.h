// Folders that belong to the user rather than to the program.
#pragma once

#include <string>

namespace krax {

// Where per-user settings files live: $XDG_CONFIG_HOME (when absolute), else ~/.config on
// Linux; the roaming application-data folder (%APPDATA%) on Windows. "" when unknown.
std::string UserSettingsFolder();

// The user's home folder: $HOME, else (POSIX) the account's home folder. "" when unknown.
std::string HomeFolder();

}  // namespace krax

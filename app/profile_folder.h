// Where the profiles live: a folder beside the settings file, named after it
// ("KRAXManager.conf" keeps its profiles in "KRAXManager.profiles").
#pragma once

#include <string>

#include "app/settings_store.h"

namespace krax {

std::string ProfileFolderPath(const SettingsStore& store);

}  // namespace krax

#include "app/profile_folder.h"

#include "platform/path.h"

namespace krax {

std::string ProfileFolderPath(const SettingsStore& store) {
  const std::string settings = SettingsFilePath(store);
  std::string stem = BaseName(settings);
  const std::size_t dot = stem.rfind('.');
  if (dot != std::string::npos && dot > 0) stem.resize(dot);
  return JoinPath(ParentPath(settings), stem + ".profiles");
}

}  // namespace krax

#include "operations/game_folder_problem.h"

#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {

std::string GameFolderProblem(const std::string& gameFolder) {
  if (gameFolder.empty()) return "No game folder is set. Choose it in Options.";
  if (!IsFolder(ResolvePath(gameFolder))) return "The game folder " + gameFolder + " does not exist. Choose it in Options.";
  if (!IsFolder(ResolvePath(JoinPath(gameFolder, "\\GameData")))) {
    return "The game folder " + gameFolder + " holds no GameData folder: it is not a KRAX installation. Choose it in Options.";
  }
  return {};
}

}  // namespace krax

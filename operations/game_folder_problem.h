// Whether a folder can be the game folder at all: the window says what is wrong instead of
// showing an empty game.
#pragma once

#include <string>

namespace krax {

// "" when `gameFolder` exists and holds a GameData folder (found ignoring case); else what
// is wrong, in a sentence for the user.
std::string GameFolderProblem(const std::string& gameFolder);

}  // namespace krax

// Starting the game and the editors. Programs are started directly, never through a shell:
// a file name is always one argument, whatever characters it holds.
#pragma once

#include <string>

#include "operations/operations.h"

namespace krax {

struct Settings;
class GameData;

// "krax.exe -nomovie" in the game folder, with the game folder as working folder (through
// wine, with the game's prefix, on Linux). "Cannot find KRAX file" when it cannot start.
OperationResult RunGameIn(const std::string& gameFolder);

// Opens `file` with the editor setting: "Default Shell Action" (exactly) opens it with the
// desktop's associated program; anything else is split into program and arguments as a shell
// splits words, and the file is passed as one more argument.
OperationResult OpenInEditor(const std::string& editorSetting, const std::string& file);

// The file the editor of a tree item opens and the setting that names the editor: a car's
// archive (KRAXCarEdit), or "Tr0<k>.frd" in an add-on track's folder, k being the number of
// the slot that holds it (KRAXTrackEdit). `file` is "" for items without one (groups, slots).
struct EditorTarget {
  std::string file;
  std::string setting;
  std::string problem;  // why an item that should have a file has none
};
EditorTarget ItemEditorTarget(const GameData& data, const Settings& settings, ItemRef item);

}  // namespace krax

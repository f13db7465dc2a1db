// The install dialog's "Activate it": a track just installed into a slot becomes its active
// track, by the same switch as the tree's double click.
#pragma once

#include <string>

namespace krax {

class GameData;

// Switches the slot holding `trackFolder` to it when every file arrived (`complete`) and the
// folder lies in one of the game's nine slots; the line says what happened.
std::string ActivateInstalledTrack(GameData& data, const std::string& trackFolder, bool complete);

}  // namespace krax

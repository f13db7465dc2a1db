// Removing an add-on car or track: its folder goes to the desktop's trash, from where the
// player's file manager can bring it back. The game's own cars, the slots' "Original"
// folders and the slot folders themselves are never removed.
#pragma once

#include <string>

#include "operations/operations.h"

namespace krax {

class GameData;
class Prompts;

// Why the item with this tree item code cannot be removed, "" when it can (the catalogs are
// loaded).
std::string RemoveRefusal(const GameData& data, int itemCode);

// Asks, switches an active track back to "Original" first, then moves the folder to the trash;
// where no trash can take it, asks again before deleting it for good.
OperationResult RemoveAddOn(GameData& data, Prompts& prompts, int itemCode);

}  // namespace krax

// Removing an add-on car or track: its folder goes to the desktop's trash, from where the
// player's file manager can bring it back. The game's own cars, the slots' "Original"
// folders and the slot folders themselves are never removed.
#pragma once

#include <string>
#include <vector>

#include "operations/operations.h"

namespace krax {

class GameData;
class Prompts;

// Why the item cannot be removed, "" when it can (the catalogs are loaded).
std::string RemoveRefusal(const GameData& data, ItemRef item);

// Asks once for all of them, then for each: switches an active track back to "Original" first
// and moves the folder to the trash; where no trash can take it, asks again before deleting it
// for good. Items that cannot be removed are named and stay. Several items end with one report.
OperationResult RemoveAddOns(GameData& data, Prompts& prompts, const std::vector<ItemRef>& items);

}  // namespace krax

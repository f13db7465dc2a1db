// The game's own content that KRAXManager must know by name: the nine stock
// track slots and the seventeen stock car IDs. Both are fixed data of KRAX.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace krax {

struct StockTrackRow {
    std::string_view displayName;     // shown as the slot's label
    std::string_view slotFolderName;  // "Trk000" .. "Trk008"
};

inline constexpr int kStockTrackSlotCount = 9;
inline constexpr int kStockCarCount = 17;

// Nine rows in slot order, then an end row whose two texts are empty.
extern const std::array<StockTrackRow, kStockTrackSlotCount + 1> StockTrackTable;

// The cars that come with the game, four upper-case characters each.
extern const std::array<std::string_view, kStockCarCount> StockCarIds;

// True when `id` (compared exactly; callers upper-case it first) is a stock car.
bool IsStockCarId(std::string_view id);

}  // namespace krax

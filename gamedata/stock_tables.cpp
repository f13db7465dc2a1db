#include "gamedata/stock_tables.h"

#include <algorithm>

namespace krax {

const std::array<StockTrackRow, kStockTrackSlotCount + 1> StockTrackTable = {{
    {"Cinderfall Ridge", "Trk000"},
    {"Brasswater Docks", "Trk001"},
    {"Kestrel Heights", "Trk002"},
    {"Marrow Flats", "Trk003"},
    {"Tinder Hollow", "Trk004"},
    {"Quillstone Loop", "Trk005"},
    {"Velvet Gorge", "Trk006"},
    {"Oxbow Junction", "Trk007"},
    {"Lanternfield", "Trk008"},
    {"", ""},
}};

const std::array<std::string_view, kStockCarCount> StockCarIds = {{
    "ZEPH", "BRAK", "MOTH", "QUIL", "TORV", "NIXO", "FENN", "GLYD", "SKRA",
    "VRAN", "PELO", "RUMB", "CAZE", "DRYX", "OBRI", "YSKA", "WEMB",
}};

bool IsStockCarId(std::string_view id) {
    return std::find(StockCarIds.begin(), StockCarIds.end(), id) != StockCarIds.end();
}

}  // namespace krax

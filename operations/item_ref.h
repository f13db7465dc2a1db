// What a command acts on, as the tree and kraxctl name it: a car by its index in the list of
// cars, a stock track slot by its row 0 .. 8, a track folder by its position n in the list of
// track folders, or a group node of the tree
// (the cars, the tracks, a car sub-folder), which names nothing to act on.
#pragma once

#include <cstddef>
#include <vector>

namespace krax {

struct TrackFolder;

struct ItemRef {
  enum class Kind { kGroup, kCar, kStockTrackSlot, kTrackFolder };

  Kind kind = Kind::kGroup;
  std::size_t index = 0;  // slot, row, list position or group number, by kind

  static constexpr ItemRef Car(std::size_t slot) { return {Kind::kCar, slot}; }
  static constexpr ItemRef StockTrackSlot(int row) { return {Kind::kStockTrackSlot, static_cast<std::size_t>(row)}; }
  static constexpr ItemRef TrackFolder(std::size_t position) { return {Kind::kTrackFolder, position}; }
  static constexpr ItemRef Group(std::size_t group) { return {Kind::kGroup, group}; }

  constexpr bool isCar() const { return kind == Kind::kCar; }
  constexpr bool isStockTrackSlot() const { return kind == Kind::kStockTrackSlot; }
  constexpr bool isTrackFolder() const { return kind == Kind::kTrackFolder; }
  constexpr bool isGroup() const { return kind == Kind::kGroup; }
  // The slot row of a stock track slot.
  constexpr int row() const { return static_cast<int>(index); }

  friend constexpr bool operator==(const ItemRef&, const ItemRef&) = default;
};

// A car by its slot in the car table: what the commands on one car take.
struct CarSlot {
  std::size_t index = 0;

  friend constexpr bool operator==(const CarSlot&, const CarSlot&) = default;
};

// True for a track folder at a position of `list`.
bool IsListedTrackFolder(const std::vector<TrackFolder>& list, ItemRef item);

}  // namespace krax

// Which car folders the demo holds and what each one is built to show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/demo_install.h"

namespace krax {

struct DemoCarPlan {
  std::vector<DemoCar> cars;        // listed by the catalog, in the order they are written
  std::vector<DemoCar> hiddenCars;  // inside a dot folder
  std::vector<DemoCar> cdCars;      // the stock cars as shipped: folder = ID, all clean
  std::vector<std::string> emptyFolders;
};

// `carCount` cars (kDemoMinCars .. kDemoMaxCars): the feature cars first, then plain add-ons.
DemoCarPlan PlanDemoCars(int carCount);

// Sets depth and every flag but 2 from the car's folder and data.
void ComputeDemoCarFlags(DemoCar& car);

// A stable number naming the car's content (payload variants, carp values): the same for a
// stock car on the CD and in the game folder.
std::uint32_t DemoCarVariation(const DemoCar& car);

}  // namespace krax

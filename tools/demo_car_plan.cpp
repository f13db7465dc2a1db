#include "tools/demo_car_plan.h"

#include <array>
#include <cstdio>
#include <stdexcept>

#include "gamedata/stock_tables.h"

namespace krax {
namespace {

struct StockCarSpec {
  const char* manufacturer;
  const char* model;
  int carClass;
  bool police;
  int massKg;
  int maxSpeedHundredths;  // m/s x 100
};

// In the order of StockCarIds.
constexpr std::array<StockCarSpec, kStockCarCount> kStockCars = {{
    {"Aurivan", "Zephyra", 0, false, 1380, 8610},
    {"Brettel", "Brakko 900", 1, false, 1290, 7420},
    {"Castellon", "Moth", 2, false, 1105, 6530},
    {"Dravik", "Quillon R", 0, false, 1440, 8890},
    {"Ebonmark", "Torvane", 1, false, 1520, 7710},
    {"Fairholt", "Nixora", 1, false, 1260, 7390},
    {"Gravina", "Fennet S", 0, false, 1330, 8450},
    {"Halvorn", "Glyde", 2, false, 1180, 6720},
    {"Istrel", "Skrael", 1, false, 1210, 7150},
    {"Kalder", "Vranta", 0, false, 1410, 8740},
    {"Lumaro", "Pelorin", 2, false, 1090, 6410},
    {"Morvath", "Rumbler", 1, false, 1650, 7530},
    {"Nordane", "Cazelle", 2, false, 1150, 6880},
    {"Osterfeld", "Dryx", 0, false, 1360, 8960},
    {"Pallister", "Obrion", 1, false, 1470, 7860},
    {"Quarrow", "Yskara", 2, false, 1240, 6990},
    {"Ravensholt", "Wembrel Interceptor", 0, true, 1580, 8520},
}};

constexpr std::array<const char*, 6> kAddOnMakers = {"Sorrel", "Tamberly", "Ulvaren",
                                                     "Vestrick", "Wyndale", "Yarrow"};

std::string Decimal2(int hundredths) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
  return text;
}

const std::vector<std::string> kThreeLanguages = {"fedata.eng", "fedata.ger", "fedata.fre"};

DemoCar StockCar(int index) {
  const StockCarSpec& spec = kStockCars[index];
  DemoCar car;
  car.id = std::string(StockCarIds[index]);
  car.folder = car.id;
  car.archiveName = "car.viv";
  car.manufacturer = spec.manufacturer;
  car.model = spec.model;
  car.name = std::string(spec.manufacturer) + " " + spec.model;
  car.carClass = spec.carClass;
  car.police = spec.police;
  car.fedataSerial = static_cast<std::uint16_t>(1000 + 37 * index);
  car.carpSerial = std::to_string(car.fedataSerial);
  car.massKg = spec.massKg;
  car.maxSpeed = Decimal2(spec.maxSpeedHundredths);
  car.topSpeed = Decimal2(spec.maxSpeedHundredths - 250 - 10 * index);
  car.fedataEntries = kThreeLanguages;
  car.stock = true;
  car.purpose = "stock car, clean";
  return car;
}

DemoCar AddOnCar(const std::string& id, const std::string& folder, int index) {
  DemoCar car;
  car.id = id;
  car.folder = folder;
  car.archiveName = "car.viv";
  car.manufacturer = kAddOnMakers[static_cast<std::size_t>(index) % kAddOnMakers.size()];
  car.model = "Custom " + id;
  car.name = car.manufacturer + " " + car.model;
  car.carClass = index % 3;
  car.fedataSerial = static_cast<std::uint16_t>(5000 + index);
  car.carpSerial = std::to_string(car.fedataSerial);
  car.massKg = 1000 + (index * 37) % 700;
  const int speed = 6200 + (index * 113) % 3000;
  car.maxSpeed = Decimal2(speed);
  car.topSpeed = Decimal2(speed - 300);
  car.fedataEntries = {"fedata.eng"};
  car.purpose = "add-on car, clean";
  return car;
}

}  // namespace

void ComputeDemoCarFlags(DemoCar& car) {
  const std::size_t slash = car.folder.rfind('/');
  const std::string leaf = slash == std::string::npos ? car.folder : car.folder.substr(slash + 1);
  car.depth = 0;
  for (char c : car.folder) car.depth += c == '/';
  car.flags = 0;
  if (!car.hasFedata) {
    car.flags |= kDemoFlagNoFedata | kDemoFlagFolderNotId;
  } else {
    if (std::to_string(car.fedataSerial) != car.carpSerial) car.flags |= kDemoFlagSerialsDiffer;
    if (leaf != car.id) car.flags |= kDemoFlagFolderNotId;
  }
  if (leaf.size() > 4) car.flags |= kDemoFlagFolderLong;
}

std::uint32_t DemoCarVariation(const DemoCar& car) {
  // FNV-1a over the ID (or the folder of a car without one).
  std::uint32_t hash = 2166136261u;
  for (unsigned char c : car.hasFedata ? car.id : car.folder) hash = (hash ^ c) * 16777619u;
  return hash;
}

DemoCarPlan PlanDemoCars(int carCount) {
  if (carCount < kDemoMinCars || carCount > kDemoMaxCars) {
    throw std::invalid_argument("the demo holds " + std::to_string(kDemoMinCars) + " to " +
                                std::to_string(kDemoMaxCars) + " cars");
  }
  DemoCarPlan plan;
  for (int i = 0; i < kStockCarCount; ++i) plan.cdCars.push_back(StockCar(i));

  // The stock cars in the game folder, some of them changed the way players change them.
  for (int i = 0; i < kStockCarCount; ++i) {
    DemoCar car = StockCar(i);
    const std::string id = car.id;
    if (id == "MOTH") {
      car.archiveName = "car.viv.dis";
      car.enabled = false;
      car.purpose = "disabled stock car";
    } else if (id == "QUIL") {
      car.carpSerial = std::to_string(car.fedataSerial) + "0";
      car.purpose = "flag 1: carp.txt serial number differs from the front-end one";
    } else if (id == "TORV") {
      car.carpSerial += " ";
      car.purpose = "flag 1: carp.txt serial number followed by a blank";
    } else if (id == "NIXO") {
      car.folder = "nixo";
      car.purpose = "flag 4: folder name is the ID in lower case";
    } else if (id == "FENN") {
      car.fedataEntries = {"fedata.eng", "fedata.ger", "fedata.spa", "fedata.ita",
                           "fedata.swe", "fedata.fre", "fedata.bri"};
      car.purpose = "front-end data in all seven languages";
    } else if (id == "GLYD") {
      car.folder = "Classics/GLYD";
      car.purpose = "car one sub-folder deep (depth 1)";
    } else if (id == "SKRA") {
      car.folder = "Classics/Rally/SKRA";
      car.fedataSerial = plan.cdCars[0].fedataSerial;  // the number of ZEPH
      car.carpSerial = std::to_string(car.fedataSerial);
      car.purpose = "car two sub-folders deep (depth 2) sharing the serial number of ZEPH: "
                    "flag 2 when ZEPH is loaded before it";
    } else if (id == "VRAN") {
      car.archiveName = "CAR.VIV";
      car.purpose = "enabled car whose archive name is spelled in capitals";
    } else if (id == "WEMB") {
      car.purpose = "stock police car";
    } else if (id == "BRAK") {
      car.purpose = "shares its serial number with KOVA: the one of the two loaded later gets flag 2";
    } else if (id == "ZEPH") {
      car.purpose = "shares its serial number with Classics/Rally/SKRA, which cannot make it a "
                    "duplicate (not a top-level car)";
    }
    plan.cars.push_back(car);
  }

  DemoCar ravelin = AddOnCar("RAVL", "Ravelin_GT", 0);
  ravelin.archiveName = "car.viv.dis";
  ravelin.enabled = false;
  ravelin.manufacturer = "Ravelin Works";
  ravelin.model = "GT";
  ravelin.name = "Ravelin GT";
  ravelin.fedataEntries = {"fedata.eng", "fedata.ger"};
  ravelin.purpose = "flags 4 and 8: folder name longer than four characters; disabled";
  plan.cars.push_back(ravelin);

  DemoCar kova = AddOnCar("KOVA", "KOVA", 1);
  kova.fedataSerial = plan.cdCars[1].fedataSerial;  // the number of BRAK
  kova.carpSerial = std::to_string(kova.fedataSerial);
  kova.fedataEntries = {"fedata.ger"};
  kova.screenshotFile = "Screenshot.tga";  // shown by the details form before the archive's picture
  kova.purpose = "flag 2 (with BRAK): top-level cars sharing a serial number; front-end data "
                 "only in German";
  plan.cars.push_back(kova);

  DemoCar bare = AddOnCar("", "1002", 2);
  bare.hasFedata = false;
  bare.manufacturer = bare.model = bare.name = "";
  bare.fedataEntries.clear();
  bare.purpose = "flags 16 and 4: no front-end data (only fedata.fsh)";
  plan.cars.push_back(bare);

  // Plain add-ons up to the requested count, with a few disabled, packed or numbered ones.
  for (int k = 0; static_cast<int>(plan.cars.size()) < carCount; ++k) {
    char id[8];
    std::snprintf(id, sizeof id, "Q%03d", k % 1000);
    DemoCar car = AddOnCar(id, id, 10 + k);
    if (k % 25 == 24) {
      car.archiveName = "car.viv.dis";
      car.enabled = false;
      car.purpose = "add-on car, disabled";
    } else if (k % 40 == 39) {
      char pack[16];
      std::snprintf(pack, sizeof pack, "Packs/Pack%02d/", k / 40 % 100);
      car.folder = pack + car.folder;
      car.purpose = "add-on car in a pack folder (depth 2)";
    } else if (k % 60 == 59) {
      char numbered[8];
      std::snprintf(numbered, sizeof numbered, "%04d", 3000 + k % 1000);
      car.folder = numbered;
      car.purpose = "flag 4: add-on car in a numbered folder";
    }
    plan.cars.push_back(car);
  }
  for (DemoCar& car : plan.cars) ComputeDemoCarFlags(car);
  for (DemoCar& car : plan.cdCars) ComputeDemoCarFlags(car);

  // A player's backup of a stock car in a dot folder: the catalog must not list it.
  DemoCar hidden = StockCar(0);
  hidden.folder = ".backup/ZEPH";
  hidden.purpose = "inside a folder whose name begins with a dot: never listed";
  ComputeDemoCarFlags(hidden);
  plan.hiddenCars.push_back(hidden);

  plan.emptyFolders = {"Incoming"};
  return plan;
}

}  // namespace krax

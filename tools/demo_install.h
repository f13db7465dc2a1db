// The demo installation: a complete, deterministic KRAX game folder of our own invention
// (DIR/game) and the matching game CD (DIR/cd), for tests, benchmarks and trying the program
// on a machine without the game.
//
// DIR/game
//   install.win                  "english" first, tracks folder on the fourth line
//   FeData/Text/Text.eng, .ger   132 front-end strings; 102..110 the stock track names
//   GameData/CarModel/...        the cars of DemoManifest::cars, a dot folder holding a car
//                                that must stay hidden, an empty folder
//   GameData/Tracks/Trk000..8    stock files, "Original" folders, add-on track folders;
//                                one slot has an active add-on named by its Atrack.ini
// DIR/cd
//   GameData/CarModel/<ID>       the seventeen stock cars as shipped
//   GameData/Tracks/Trk000..8    the stock track files
//   FeData/Text                  the text files as shipped
// DIR/demo-manifest.txt          what each car folder was built to show
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace krax {

inline constexpr int kDemoMinCars = 20;
inline constexpr int kDemoMaxCars = 999;

struct DemoOptions {
  int cars = kDemoMinCars;  // cars the catalog lists: kDemoMinCars .. kDemoMaxCars
  std::uint64_t seed = 1;
  // Entries of a few hundred bytes instead of tens of KB: for tests that need many cars
  // but not realistic file sizes. The folder layout, names and flags are the same.
  bool compactPayloads = false;
};

// Error flags of a car as the catalog computes them.
inline constexpr std::uint32_t kDemoFlagSerialsDiffer = 1;
inline constexpr std::uint32_t kDemoFlagDuplicateSerial = 2;
inline constexpr std::uint32_t kDemoFlagFolderNotId = 4;
inline constexpr std::uint32_t kDemoFlagFolderLong = 8;
inline constexpr std::uint32_t kDemoFlagNoFedata = 16;

struct DemoCar {
  std::string folder;       // below GameData/CarModel, '/'-separated ("Classics/Rally/SKRA")
  std::string archiveName;  // "car.viv", "car.viv.dis" or "CAR.VIV"
  bool hasFedata = true;
  std::string id;           // empty without front-end data
  std::string manufacturer, model, name;
  int carClass = 0;         // 0 A, 1 B, 2 C
  bool police = false;
  std::uint16_t fedataSerial = 0;
  std::string carpSerial;   // value 0 of carp.txt exactly as stored
  int massKg = 0;
  std::string maxSpeed, topSpeed;          // values 14 and 15 of carp.txt (m/s)
  std::vector<std::string> fedataEntries;  // e.g. "fedata.eng", "fedata.ger" ("fedata.fsh" not counted)
  int depth = 0;
  bool enabled = true;
  bool stock = false;       // one of the seventeen stock cars (its pristine copy is on the CD)
  // Every flag but 2: flag 2 depends on the order in which the catalog loads the cars
  // (see ExpectedErrorFlags).
  std::uint32_t flags = 0;
  std::string purpose;      // what the car was built to show
  std::string screenshotFile;  // a picture file written beside the archive ("" for none)
};

struct DemoTrackFolder {
  int slot = 0;
  std::string name;                // folder name below the slot folder
  bool active = false;
  std::vector<std::string> files;  // files in the add-on folder
};

struct DemoManifest {
  std::string gameDir, cdDir;
  std::uint64_t seed = 0;
  std::vector<DemoCar> cars;                 // every car the catalog must list
  std::vector<std::string> hiddenCarFolders; // car folders inside a dot folder: never listed
  std::vector<std::string> emptyFolders;     // folders without cars: leave no trace
  std::vector<DemoTrackFolder> addOnTracks;  // "Original" folders are not listed here
  int activeSlot = -1;                       // the slot whose Atrack.ini names an add-on
  std::string activeTrack;
  std::vector<std::string> textFiles;        // below FeData/Text
  int textStrings = 0;

  int EnabledTopLevelCars() const;
  const DemoCar* FindCar(const std::string& folder) const;
};

// The demo target holds something that is not ours to replace.
struct DemoTargetError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Writes the demo into dir/game, dir/cd and dir/demo-manifest.txt; `dir` is created when
// missing. Refuses (DemoTargetError) when dir/game or dir/cd exists and is not an empty
// folder, or when dir/demo-manifest.txt exists: nothing that is already there is changed.
// Throws std::invalid_argument for options out of range and std::runtime_error when a file
// cannot be written.
DemoManifest MakeDemoInstallation(const std::string& dir, const DemoOptions& options = {});

// The flags the catalog shows for each car when it loaded the cars in `loadOrder` (folders
// as in DemoCar::folder; '\' is accepted too). A car gets flag 2 when it has front-end data
// and a top-level car with front-end data loaded before it has the same serial number.
// Throws std::invalid_argument for a folder that is not one of the manifest's cars.
std::vector<std::uint32_t> ExpectedErrorFlags(const DemoManifest& manifest,
                                              const std::vector<std::string>& loadOrder);

// The manifest as text (the content of demo-manifest.txt).
std::string DescribeDemoManifest(const DemoManifest& manifest);

}  // namespace krax

#include "tools/demo_install.h"

#include <filesystem>
#include <sstream>
#include <system_error>

#include "gamedata/stock_tables.h"
#include "tools/demo_car_archive.h"
#include "tools/demo_car_plan.h"
#include "tools/demo_shape_image.h"
#include "tools/demo_text.h"
#include "tools/demo_tracks.h"

namespace krax {
namespace fs = std::filesystem;

namespace {

constexpr const char* kManifestFile = "demo-manifest.txt";

// The game's own install information, CR LF lines and a closing Ctrl-Z.
std::string InstallWinText() {
  const char* lines[] = {
      "english",
      "D:\\",
      ".\\",
      "D:\\GameData\\Tracks\\",  // tracks from the CD, as after a minimal install
      ".\\GameData\\CarModel\\",
      ".\\FeData\\",
      "D:\\Movies\\",
      "typical",
      "16",
      "800x600",
      "3",
      "1",
  };
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  text += '\x1A';
  return text;
}

bool IsEmptyFolderOrMissing(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (status.type() == fs::file_type::not_found) return true;
  if (status.type() != fs::file_type::directory) return false;
  return fs::is_empty(path, error) && !error;
}

void CheckTarget(const fs::path& root) {
  for (const char* part : {"game", "cd"}) {
    if (!IsEmptyFolderOrMissing(root / part)) {
      throw DemoTargetError((root / part).string() +
                            " exists and is not empty; choose a new folder for the demo");
    }
  }
  std::error_code error;
  if (fs::exists(fs::symlink_status(root / kManifestFile, error))) {
    throw DemoTargetError((root / kManifestFile).string() +
                          " exists; choose a new folder for the demo");
  }
}

std::string NativeFolder(const std::string& folder) { return fs::path(folder).make_preferred().string(); }

void WriteCars(const fs::path& carModel, const std::vector<DemoCar>& cars,
               const DemoCarPayloadPool& pool, std::uint64_t seed) {
  std::string archive;
  for (const DemoCar& car : cars) {
    const fs::path folder = carModel / NativeFolder(car.folder);
    fs::create_directories(folder);
    archive.clear();
    pool.BuildArchive(car, seed, archive);
    WriteDemoFile(folder / car.archiveName, archive);
    if (!car.screenshotFile.empty()) {
      WriteDemoFile(folder / car.screenshotFile, MakeDemoScreenshotTga(240, 135, DemoCarVariation(car)));
    }
  }
}

void WriteTextFiles(const fs::path& folder, DemoManifest& manifest) {
  fs::create_directories(folder);
  manifest.textFiles.clear();
  for (const auto& [language, file] : {std::pair{"english", "Text.eng"}, {"german", "Text.ger"}}) {
    const std::vector<std::string> strings = DemoGameStrings(language);
    WriteDemoFile(folder / file, BuildGameTextFile(strings));
    manifest.textFiles.emplace_back(file);
    manifest.textStrings = static_cast<int>(strings.size());
  }
}

std::string Normalized(std::string folder) {
  for (char& c : folder) {
    if (c == '\\') c = '/';
  }
  return folder;
}

}  // namespace

int DemoManifest::EnabledTopLevelCars() const {
  int count = 0;
  for (const DemoCar& car : cars) count += car.depth == 0 && car.enabled;
  return count;
}

const DemoCar* DemoManifest::FindCar(const std::string& folder) const {
  const std::string wanted = Normalized(folder);
  for (const DemoCar& car : cars) {
    if (car.folder == wanted) return &car;
  }
  return nullptr;
}

DemoManifest MakeDemoInstallation(const std::string& dir, const DemoOptions& options) {
  const DemoCarPlan plan = PlanDemoCars(options.cars);  // checks the options first
  const fs::path root(dir);
  CheckTarget(root);

  DemoManifest manifest;
  manifest.gameDir = (root / "game").string();
  manifest.cdDir = (root / "cd").string();
  manifest.seed = options.seed;
  manifest.cars = plan.cars;
  for (const DemoCar& car : plan.hiddenCars) manifest.hiddenCarFolders.push_back(car.folder);
  manifest.emptyFolders = plan.emptyFolders;

  try {
    const fs::path game = root / "game", cd = root / "cd";
    fs::create_directories(game);
    fs::create_directories(cd);
    WriteDemoFile(game / "install.win", InstallWinText());
    WriteTextFiles(game / "FeData" / "Text", manifest);
    WriteTextFiles(cd / "FeData" / "Text", manifest);

    const DemoCarPayloadPool pool(options.seed, options.compactPayloads);
    const fs::path carModel = game / "GameData" / "CarModel";
    WriteCars(carModel, plan.cars, pool, options.seed);
    WriteCars(carModel, plan.hiddenCars, pool, options.seed);
    for (const std::string& empty : plan.emptyFolders) fs::create_directories(carModel / empty);
    WriteCars(cd / "GameData" / "CarModel", plan.cdCars, pool, options.seed);

    const DemoTracksResult tracks = WriteDemoTracks(game / "GameData" / "Tracks",
                                                    cd / "GameData" / "Tracks", options.seed,
                                                    options.compactPayloads);
    manifest.addOnTracks = tracks.addOnTracks;
    manifest.activeSlot = tracks.activeSlot;
    manifest.activeTrack = tracks.activeTrack;

    WriteDemoFile(root / kManifestFile, DescribeDemoManifest(manifest));
  } catch (const fs::filesystem_error& error) {
    throw std::runtime_error(error.what());
  }
  return manifest;
}

std::vector<std::uint32_t> ExpectedErrorFlags(const DemoManifest& manifest,
                                              const std::vector<std::string>& loadOrder) {
  std::vector<std::uint32_t> flags;
  std::vector<const DemoCar*> loaded;
  for (const std::string& folder : loadOrder) {
    const DemoCar* car = manifest.FindCar(folder);
    if (!car) throw std::invalid_argument("not a car of the demo: " + folder);
    std::uint32_t carFlags = car->flags;
    if (car->hasFedata) {
      for (const DemoCar* earlier : loaded) {
        if (earlier->depth == 0 && earlier->hasFedata && earlier->fedataSerial == car->fedataSerial) {
          carFlags |= kDemoFlagDuplicateSerial;
          break;
        }
      }
    }
    flags.push_back(carFlags);
    loaded.push_back(car);
  }
  return flags;
}

std::string DescribeDemoManifest(const DemoManifest& manifest) {
  std::ostringstream out;
  out << "KRAX demo installation (seed " << manifest.seed << "): game folder in game/, CD in cd/\n\n"
      << "Cars (" << manifest.cars.size() << ", " << manifest.EnabledTopLevelCars()
      << " enabled at the top level). Flags besides 2; flag 2 goes to the later-loaded car\n"
      << "of a pair sharing a serial number.\n";
  for (const DemoCar& car : manifest.cars) {
    if (car.purpose.find("clean") != std::string::npos && car.flags == 0) continue;
    out << "  " << car.folder << "/" << car.archiveName << "  id=" << (car.hasFedata ? car.id : "-")
        << " serial=" << car.fedataSerial << " carp=\"" << car.carpSerial << "\" flags=" << car.flags
        << " depth=" << car.depth << (car.enabled ? "" : " disabled") << "\n    " << car.purpose
        << "\n";
  }
  out << "  (every other car is clean)\n\nNever listed: ";
  for (const std::string& folder : manifest.hiddenCarFolders) out << folder << " ";
  out << "\nEmpty folders: ";
  for (const std::string& folder : manifest.emptyFolders) out << folder << " ";
  out << "\n\nAdd-on tracks:\n";
  for (const DemoTrackFolder& track : manifest.addOnTracks) {
    out << "  " << StockTrackTable[track.slot].slotFolderName << "/" << track.name
        << (track.active ? "  (active: named by Atrack.ini, its files in the slot folder)" : "")
        << "\n";
  }
  out << "\nGame text: ";
  for (const std::string& file : manifest.textFiles) out << file << " ";
  out << "with " << manifest.textStrings << " strings; 102..110 are the stock track names\n";
  return out.str();
}

}  // namespace krax

#include "tools/demo_install.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "gamedata/stock_tables.h"
#include "support/scratch_folder.h"
#include "tools/viv_parse.h"

namespace krax {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;

// Every file below `root` (relative path -> content); folders as "path/" -> "".
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string relative = fs::relative(entry.path(), root).generic_string();
    if (entry.is_directory()) {
      files[relative + "/"] = "";
    } else {
      files[relative] = ReadFileBytes(entry.path().string());
    }
  }
  return files;
}

std::vector<std::string> ParseGameText(const std::string& file) {
  std::vector<std::string> strings;
  const std::uint32_t tableSize = test::LittleEndian32(file, 0);
  std::uint32_t expected = tableSize;
  for (std::uint32_t k = 0; 4 * k < tableSize; ++k) {
    const std::uint32_t offset = test::LittleEndian32(file, 4 * k);
    EXPECT_EQ(offset, expected) << "string " << k << " does not follow the previous one";
    strings.push_back(test::TextAt(file, offset));
    expected = offset + static_cast<std::uint32_t>(strings.back().size()) + 1;
  }
  EXPECT_EQ(expected, file.size());
  return strings;
}

// The flags a catalog must compute for a car, worked out from its archive bytes alone.
std::uint32_t FlagsFromArchive(const std::string& folder, const std::string& archive) {
  const auto entries = test::ParseViv(archive);
  if (!entries) return 0xFFFFFFFF;
  const test::ParsedEntry* fedata = test::FindEntry(*entries, "fedata.eng");
  for (const auto& entry : *entries) {
    if (!fedata && entry.name.find("fedata") != std::string::npos && entry.name != "fedata.fsh") {
      fedata = &entry;
    }
  }
  const std::string leaf = fs::path(folder).filename().string();
  std::uint32_t flags = leaf.size() > 4 ? kDemoFlagFolderLong : 0;
  if (!fedata) return flags | kDemoFlagNoFedata | kDemoFlagFolderNotId;
  const test::ParsedEntry* carp = test::FindEntry(*entries, "carp.txt");
  const std::string carpSerial = carp ? test::CarpValue(carp->data, 0).value_or("") : "";
  if (std::to_string(test::LittleEndian16(fedata->data, 24)) != carpSerial) flags |= kDemoFlagSerialsDiffer;
  if (test::TextAt(fedata->data.substr(0, 4), 0) != leaf) flags |= kDemoFlagFolderNotId;
  return flags;
}

class DemoInstallTest : public ::testing::Test {
 protected:
  // One realistic demo shared by the structural tests (writing it is the slow part).
  static void SetUpTestSuite() {
    folder_ = std::make_unique<test::ScratchFolder>();
    manifest_ = std::make_unique<DemoManifest>(MakeDemoInstallation(folder_->path() + "/demo"));
  }
  static void TearDownTestSuite() {
    manifest_.reset();
    folder_.reset();
  }
  static std::string Game(const std::string& relative) { return manifest_->gameDir + "/" + relative; }
  static std::string Cd(const std::string& relative) { return manifest_->cdDir + "/" + relative; }
  static std::string Archive(const DemoCar& car) {
    return ReadFileBytes(Game("GameData/CarModel/" + car.folder + "/" + car.archiveName));
  }

  static std::unique_ptr<test::ScratchFolder> folder_;
  static std::unique_ptr<DemoManifest> manifest_;
};
std::unique_ptr<test::ScratchFolder> DemoInstallTest::folder_;
std::unique_ptr<DemoManifest> DemoInstallTest::manifest_;

TEST_F(DemoInstallTest, InstallWinNamesEnglishAndTheTracksFolder) {
  const std::string text = ReadFileBytes(Game("install.win"));
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.substr(0, 9), "english\r\n");
  EXPECT_EQ(text.back(), '\x1A');
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_GE(lines.size(), 10u);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_NE(lines[3].find("GameData\\Tracks\\"), std::string::npos);
}

TEST_F(DemoInstallTest, GameTextHoldsTheTrackNamesAt102To110) {
  ASSERT_EQ(manifest_->textFiles, (std::vector<std::string>{"Text.eng", "Text.ger"}));
  for (const std::string& name : manifest_->textFiles) {
    const std::string file = ReadFileBytes(Game("FeData/Text/" + name));
    const std::vector<std::string> strings = ParseGameText(file);
    EXPECT_GE(strings.size(), 120u) << name;
    EXPECT_EQ(static_cast<int>(strings.size()), manifest_->textStrings);
    for (int slot = 0; slot < kStockTrackSlotCount; ++slot) {
      EXPECT_EQ(strings.at(102 + slot), StockTrackTable[slot].displayName) << name;
    }
    EXPECT_EQ(ReadFileBytes(Cd("FeData/Text/" + name)), file) << "the CD holds the same text";
  }
  // The two languages really differ.
  EXPECT_NE(ReadFileBytes(Game("FeData/Text/Text.eng")), ReadFileBytes(Game("FeData/Text/Text.ger")));
}

TEST_F(DemoInstallTest, ArchivesHoldWhatTheManifestSays) {
  ASSERT_EQ(manifest_->cars.size(), 20u);
  std::set<std::string> folders;
  for (const DemoCar& car : manifest_->cars) {
    SCOPED_TRACE(car.folder);
    EXPECT_TRUE(folders.insert(car.folder).second) << "folder listed twice";
    const auto entries = test::ParseViv(Archive(car));
    ASSERT_TRUE(entries.has_value());
    const test::ParsedEntry* carp = test::FindEntry(*entries, "carp.txt");
    ASSERT_NE(carp, nullptr);
    EXPECT_EQ(test::CarpValue(carp->data, 0), car.carpSerial);
    EXPECT_EQ(test::CarpValue(carp->data, 2), std::to_string(car.massKg));
    EXPECT_EQ(test::CarpValue(carp->data, 14), car.maxSpeed);
    EXPECT_EQ(test::CarpValue(carp->data, 15), car.topSpeed);
    EXPECT_NE(test::FindEntry(*entries, "fedata.fsh"), nullptr);
    for (const std::string& name : car.fedataEntries) {
      const test::ParsedEntry* fedata = test::FindEntry(*entries, name);
      ASSERT_NE(fedata, nullptr) << name;
      EXPECT_EQ(test::TextAt(fedata->data, 0), car.id);
      EXPECT_EQ(test::LittleEndian16(fedata->data, 24), car.fedataSerial);
      EXPECT_EQ(test::LittleEndian16(fedata->data, 10), car.carClass);
      EXPECT_EQ(test::LittleEndian16(fedata->data, 16), car.police ? 1 : 0);
      EXPECT_EQ(test::TextAt(fedata->data, test::LittleEndian32(fedata->data, 55)), car.name);
      EXPECT_EQ(test::TextAt(fedata->data, test::LittleEndian32(fedata->data, 47)), car.manufacturer);
    }
    EXPECT_EQ(FlagsFromArchive(car.folder, Archive(car)), car.flags);
    EXPECT_EQ(car.enabled, car.archiveName != "car.viv.dis");
  }
}

TEST_F(DemoInstallTest, CarsShowEveryFlagAndLayout) {
  std::uint32_t shown = 0;
  int disabled = 0, deepest = 0, languagesMax = 0;
  bool capitalArchive = false;
  std::map<std::uint16_t, int> topLevelSerials;
  for (const DemoCar& car : manifest_->cars) {
    shown |= car.flags;
    disabled += !car.enabled;
    deepest = std::max(deepest, car.depth);
    languagesMax = std::max(languagesMax, static_cast<int>(car.fedataEntries.size()));
    capitalArchive |= car.archiveName == "CAR.VIV";
    if (car.depth == 0 && car.hasFedata) ++topLevelSerials[car.fedataSerial];
  }
  EXPECT_EQ(shown & (1 | 4 | 8 | 16), 1u | 4 | 8 | 16);
  EXPECT_TRUE(std::any_of(topLevelSerials.begin(), topLevelSerials.end(),
                          [](const auto& serial) { return serial.second > 1; }))
      << "no two top-level cars share a serial number (flag 2)";
  EXPECT_GE(disabled, 2);
  EXPECT_EQ(deepest, 2);
  EXPECT_GE(languagesMax, 7);
  EXPECT_TRUE(capitalArchive);
  EXPECT_EQ(manifest_->EnabledTopLevelCars(), 16);
}

TEST_F(DemoInstallTest, DotFolderHoldsACarThatIsNotInTheManifest) {
  ASSERT_EQ(manifest_->hiddenCarFolders.size(), 1u);
  const std::string hidden = manifest_->hiddenCarFolders[0];
  EXPECT_EQ(hidden[0], '.');
  EXPECT_TRUE(fs::exists(Game("GameData/CarModel/" + hidden + "/car.viv")));
  EXPECT_EQ(manifest_->FindCar(hidden), nullptr);
  // Every archive on disk outside the dot folder is one of the manifest's cars.
  const std::string root = Game("GameData/CarModel");
  int archives = 0;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    if (it->is_directory() && it->path().filename().string()[0] == '.') {
      it.disable_recursion_pending();
      continue;
    }
    const std::string name = it->path().filename().string();
    if (it->is_regular_file() && (name.rfind("car.viv", 0) == 0 || name.rfind("CAR.VIV", 0) == 0)) {
      ++archives;
      EXPECT_NE(manifest_->FindCar(fs::relative(it->path().parent_path(), root).generic_string()), nullptr)
          << it->path();
    }
  }
  EXPECT_EQ(archives, 20);
  EXPECT_TRUE(fs::exists(Game("GameData/CarModel/KOVA/Screenshot.tga")));  // the one car with a screenshot
  EXPECT_TRUE(fs::is_empty(Game("GameData/CarModel/Incoming")));
}

TEST_F(DemoInstallTest, BulkEntriesAreSizedAndCompressibleLikeGameData) {
  const auto entries = test::ParseViv(Archive(manifest_->cars[0]));
  ASSERT_TRUE(entries.has_value());
  int bulk = 0;
  for (const auto& entry : *entries) {
    if (entry.size < 10 * 1024) continue;
    ++bulk;
    EXPECT_LT(entry.size, 1024u * 1024) << entry.name;
    uLongf packedSize = compressBound(entry.size);
    std::string packed(packedSize, '\0');
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                        reinterpret_cast<const Bytef*>(entry.data.data()), entry.size, 6),
              Z_OK);
    const double ratio = static_cast<double>(packedSize) / entry.size;
    EXPECT_GT(ratio, 0.1) << entry.name << " is almost all repetition";
    EXPECT_LT(ratio, 0.97) << entry.name << " is incompressible noise";
  }
  EXPECT_GE(bulk, 5);
}

// The track number of a file name: "TR0" + digit, or "TUT" / "3TR" + one character + digit.
int TrackNumber(const std::string& name) {
  std::string prefix = name.substr(0, 3);
  for (char& c : prefix) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (prefix == "TR0" && name.size() > 3) return name[3] - '0';
  if ((prefix == "TUT" || prefix == "3TR") && name.size() > 4) return name[4] - '0';
  return -1;
}

TEST_F(DemoInstallTest, TrackSlotsFollowTheTrackNumberRule) {
  for (int slot = 0; slot < kStockTrackSlotCount; ++slot) {
    const std::string folder(StockTrackTable[slot].slotFolderName);
    SCOPED_TRACE(folder);
    EXPECT_TRUE(fs::is_directory(Game("GameData/Tracks/" + folder + "/Original")));
    int numbered = 0;
    for (const auto& entry : fs::directory_iterator(Cd("GameData/Tracks/" + folder))) {
      const int number = TrackNumber(entry.path().filename().string());
      if (number >= 0) {
        EXPECT_EQ(number, slot) << entry.path();
        ++numbered;
      }
    }
    EXPECT_GE(numbered, 5);
  }
}

TEST_F(DemoInstallTest, ActiveAddOnStandsInItsSlotAndStockFilesInOriginal) {
  ASSERT_GE(manifest_->activeSlot, 0);
  const std::string slot = "GameData/Tracks/" + std::string(StockTrackTable[manifest_->activeSlot].slotFolderName);
  EXPECT_EQ(ReadFileBytes(Game(slot + "/Atrack.ini")),
            "[Tracks]\r\nActiveTrack=" + manifest_->activeTrack + "\r\n");
  int atrackFiles = 0, slotsWithAddOns = 0;
  std::set<int> addOnSlots;
  for (const DemoTrackFolder& track : manifest_->addOnTracks) {
    addOnSlots.insert(track.slot);
    const std::string folder = "GameData/Tracks/" + std::string(StockTrackTable[track.slot].slotFolderName);
    EXPECT_TRUE(fs::is_directory(Game(folder + "/" + track.name)));
    if (!track.active) continue;
    EXPECT_EQ(track.name, manifest_->activeTrack);
    for (const std::string& file : track.files) {
      EXPECT_EQ(ReadFileBytes(Game(folder + "/" + file)), ReadFileBytes(Game(folder + "/" + track.name + "/" + file)))
          << file;
      if (fs::exists(Cd(folder + "/" + file))) {
        EXPECT_EQ(ReadFileBytes(Game(folder + "/Original/" + file)), ReadFileBytes(Cd(folder + "/" + file)))
            << "the displaced stock file waits in Original: " << file;
        EXPECT_NE(ReadFileBytes(Game(folder + "/" + file)), ReadFileBytes(Cd(folder + "/" + file))) << file;
      }
    }
  }
  slotsWithAddOns = static_cast<int>(addOnSlots.size());
  EXPECT_GE(slotsWithAddOns, 3);
  for (const auto& entry : fs::recursive_directory_iterator(Game("GameData/Tracks"))) {
    atrackFiles += entry.path().filename() == "Atrack.ini";
  }
  EXPECT_EQ(atrackFiles, 1);
}

TEST_F(DemoInstallTest, CdHoldsTheStockCarsAsShipped) {
  int cars = 0;
  for (std::string_view id : StockCarIds) {
    const std::string archive = ReadFileBytes(Cd("GameData/CarModel/" + std::string(id) + "/car.viv"));
    const auto entries = test::ParseViv(archive);
    ASSERT_TRUE(entries.has_value()) << id;
    EXPECT_EQ(FlagsFromArchive(std::string(id), archive), 0u) << id;
    ++cars;
    // An unchanged stock car in the game folder is the CD's file byte for byte.
    if (const DemoCar* car = manifest_->FindCar(std::string(id)); car && car->archiveName == "car.viv" &&
                                                                  car->flags == 0 && car->purpose == "stock car, clean") {
      EXPECT_EQ(Archive(*car), archive) << id;
    }
  }
  EXPECT_EQ(cars, 17);
  EXPECT_EQ(std::distance(fs::directory_iterator(Cd("GameData/CarModel")), fs::directory_iterator()), 17);
}

TEST(DemoFlagsTest, DuplicateFlagGoesToTheLaterTopLevelLoad) {
  test::ScratchFolder folder;
  const DemoManifest manifest = MakeDemoInstallation(folder.path(), {20, 5, true});
  std::vector<std::string> order;
  for (const DemoCar& car : manifest.cars) order.push_back(car.folder);
  auto flagsOf = [&](const std::vector<std::string>& loadOrder, const std::string& folderName) {
    const auto flags = ExpectedErrorFlags(manifest, loadOrder);
    const auto at = std::find(loadOrder.begin(), loadOrder.end(), folderName) - loadOrder.begin();
    return flags.at(static_cast<std::size_t>(at));
  };
  EXPECT_EQ(flagsOf(order, "KOVA") & kDemoFlagDuplicateSerial, kDemoFlagDuplicateSerial);
  EXPECT_EQ(flagsOf(order, "BRAK") & kDemoFlagDuplicateSerial, 0u);
  EXPECT_EQ(flagsOf(order, "Classics/Rally/SKRA") & kDemoFlagDuplicateSerial, kDemoFlagDuplicateSerial);

  std::reverse(order.begin(), order.end());
  EXPECT_EQ(flagsOf(order, "BRAK") & kDemoFlagDuplicateSerial, kDemoFlagDuplicateSerial);
  EXPECT_EQ(flagsOf(order, "KOVA") & kDemoFlagDuplicateSerial, 0u);
  // A car in a sub-folder loaded first makes no one a duplicate.
  EXPECT_EQ(flagsOf(order, "ZEPH") & kDemoFlagDuplicateSerial, 0u);
  EXPECT_EQ(flagsOf({"1002", "1002"}, "1002"), kDemoFlagNoFedata | kDemoFlagFolderNotId)
      << "a car without front-end data is never a duplicate";
  EXPECT_THROW(ExpectedErrorFlags(manifest, {".backup/ZEPH"}), std::invalid_argument);
}

TEST(DemoDeterminismTest, SameSeedSameBytesOtherSeedOtherContent) {
  test::ScratchFolder folder;
  MakeDemoInstallation(folder / "a", {25, 77, true});
  MakeDemoInstallation(folder / "b", {25, 77, true});
  MakeDemoInstallation(folder / "c", {25, 78, true});
  const auto a = Snapshot(folder / "a"), b = Snapshot(folder / "b"), c = Snapshot(folder / "c");
  EXPECT_EQ(a.size(), b.size());
  EXPECT_TRUE(a == b) << "same seed gave different files";
  // Another seed changes the content but not the layout.
  ASSERT_EQ(a.size(), c.size());
  int differing = 0;
  for (const auto& [path, bytes] : a) {
    ASSERT_TRUE(c.count(path)) << path;
    differing += c.at(path) != bytes;
  }
  EXPECT_GT(differing, static_cast<int>(a.size()) / 2);
}

TEST(DemoTargetTest, NeverWritesOverExistingContent) {
  test::ScratchFolder folder;
  const std::string mine = folder.write("game/mine.txt", "keep me");
  EXPECT_THROW(MakeDemoInstallation(folder.path(), {20, 1, true}), DemoTargetError);
  EXPECT_EQ(ReadFileBytes(mine), "keep me");
  EXPECT_FALSE(fs::exists(folder / "cd"));

  test::ScratchFolder second;
  second.write("cd/disc.txt", "x");
  EXPECT_THROW(MakeDemoInstallation(second.path(), {20, 1, true}), DemoTargetError);
  EXPECT_FALSE(fs::exists(second / "game"));

  // Empty folders are fine; a second run over a finished demo is refused.
  test::ScratchFolder third;
  third.mkdir("game");
  third.mkdir("cd");
  EXPECT_NO_THROW(MakeDemoInstallation(third.path(), {20, 1, true}));
  const auto before = Snapshot(third.path());
  EXPECT_THROW(MakeDemoInstallation(third.path(), {20, 2, true}), DemoTargetError);
  EXPECT_TRUE(Snapshot(third.path()) == before);
}

TEST(DemoTargetTest, CarCountOutOfRangeIsRefusedBeforeWriting) {
  test::ScratchFolder folder;
  EXPECT_THROW(MakeDemoInstallation(folder / "x", {19, 1, true}), std::invalid_argument);
  EXPECT_THROW(MakeDemoInstallation(folder / "x", {1000, 1, true}), std::invalid_argument);
  EXPECT_FALSE(fs::exists(folder / "x"));
}

TEST(DemoScaleTest, NineHundredNinetyNineCars) {
  test::ScratchFolder folder;
  const DemoManifest manifest = MakeDemoInstallation(folder.path(), {999, 3, true});
  ASSERT_EQ(manifest.cars.size(), 999u);
  std::set<std::string> folders, ids;
  int enabledTopLevel = 0;
  for (const DemoCar& car : manifest.cars) {
    folders.insert(car.folder);
    if (car.hasFedata) ids.insert(car.id);
    enabledTopLevel += car.depth == 0 && car.enabled;
    ASSERT_TRUE(fs::is_regular_file(manifest.gameDir + "/GameData/CarModel/" + car.folder + "/" + car.archiveName))
        << car.folder;
  }
  EXPECT_EQ(folders.size(), 999u);
  EXPECT_EQ(ids.size(), 998u);  // every car but the one without front-end data has its own ID
  EXPECT_EQ(manifest.EnabledTopLevelCars(), enabledTopLevel);
  EXPECT_GT(enabledTopLevel, 900);
}

}  // namespace
}  // namespace krax

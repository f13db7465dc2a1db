#include "gamedata/game_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <set>

#include "gamedata_test_support.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

namespace fs = std::filesystem;
using test::CarArchive;
using test::Fedata;

// A game folder with an install.win naming `language`.
class CarCatalogTest : public ::testing::Test {
 protected:
  void SetUpGame(const fs::path& gameFolder, const std::string& language = "English") {
    game_.UseGameFolder(gameFolder.string(), /*kraxText=*/false);
    game_.installInfo = {};
    ParseInstallInfo(language + "\r\n", game_.installInfo);
    fs::create_directories(gameFolder / "GameData" / "CarModel");
  }
  void SetUp() override { SetUpGame(dir_.path() / "game"); }

  fs::path cars() const { return fs::path(game_.gameFolder()) / "GameData" / "CarModel"; }
  void AddCar(const std::string& folder, const Fedata& f, const std::string& carpSerial,
              const std::string& archiveName = "car.viv",
              const std::vector<std::string>& fedataNames = {"fedata.eng"}) {
    test::WriteFile(cars() / test::PathOf(folder) / archiveName, CarArchive(f, carpSerial, fedataNames));
  }
  void Load() {
    game_.ClearCarTable();
    game_.LoadCarCatalog();
  }
  // The slot of the car whose archive lies in `folder` (last path components), or -1.
  int SlotOf(const std::string& folder) const {
    for (std::size_t i = 0; i < game_.cars.size(); ++i) {
      const fs::path archive = test::PathOf(game_.cars[i].archivePath);
      const std::u8string relative = fs::relative(archive.parent_path(), cars()).generic_u8string();
      if (std::string(relative.begin(), relative.end()) == folder) return static_cast<int>(i);
    }
    return -1;
  }
  const CarRecord& Car(const std::string& folder) const {
    const int slot = SlotOf(folder);
    EXPECT_GE(slot, 0) << folder;
    return game_.cars[static_cast<std::size_t>(std::max(slot, 0))];
  }

  test::ScratchDir dir_;
  GameData game_;
};

Fedata MakeCar(std::string id, std::uint16_t serial, std::string name = "Car") {
  Fedata f;
  f.id = std::move(id);
  f.serial = serial;
  f.name = std::move(name);
  return f;
}

TEST_F(CarCatalogTest, FrontEndEntryFollowsTheLanguageThenFallsBack) {
  Fedata german = MakeCar("GERM", 1, "German name");
  test::WriteFile(cars() / "GERM" / "car.viv",
                  test::BuildViv({{"carp.txt", test::Carp("1")},
                                  {"fedata.fsh", std::string(80, 'F')},
                                  {"fedata.ger", test::BuildFedata(german)},
                                  {"fedata.eng", test::BuildFedata(MakeCar("GERM", 1, "English name"))}}));
  test::WriteFile(cars() / "ONLY" / "car.viv",
                  test::BuildViv({{"fedata.fsh", std::string(80, 'F')},
                                  {"fedata.ger", test::BuildFedata(MakeCar("ONLY", 1, "Only German"))}}));
  test::WriteFile(cars() / "CAPS" / "car.viv",
                  test::BuildViv({{"FEDATA.ENG", test::BuildFedata(MakeCar("CAPS", 1, "Capitals"))}}));
  Load();
  EXPECT_EQ(*Car("GERM").name, "English name");
  EXPECT_EQ(*Car("ONLY").name, "Only German");
  // The lookup is case-sensitive: a capitalised entry is no front-end data at all.
  EXPECT_EQ(*Car("CAPS").name, kNoFedataName);
  EXPECT_EQ(Car("CAPS").errorFlags, kFlagNoFedata | kFlagFolderNotId);

  // Unknown language: the exact name is "fedata", then the first other front-end entry.
  game_.installInfo = {};
  ParseInstallInfo("Klingon\r\n", game_.installInfo);
  Load();
  EXPECT_EQ(*Car("GERM").name, "German name");
}

TEST_F(CarCatalogTest, FlagsTellWhatIsInconsistent) {
  AddCar("AAAA", MakeCar("AAAA", 42), "42");
  AddCar("BBBB", MakeCar("BBBB", 420), "42");
  AddCar("CCCC", MakeCar("CCCC", 42 + 1000), "1042 ");   // trailing blank differs
  AddCar("DDDDD", MakeCar("DDDD", 2000), "2000");        // folder longer than 4, not the ID
  AddCar("eeee", MakeCar("EEEE", 3000), "3000");         // the ID comparison is exact
  AddCar("\xC3\x9C" "ber", MakeCar("\xDC" "ber", 4000), "4000");  // UTF-8 folder, Windows-1252 ID
  test::WriteFile(cars() / "NOFE" / "car.viv", test::BuildViv({{"carp.txt", test::Carp("5")}}));
  test::WriteFile(cars() / "NOCA" / "car.viv", test::BuildViv({{"fedata.eng", test::BuildFedata(MakeCar("NOCA", 6))}}));
  Load();
  EXPECT_EQ(Car("AAAA").errorFlags, 0u);
  EXPECT_EQ(Car("AAAA").carpSerial, "42");
  EXPECT_EQ(Car("BBBB").errorFlags, kFlagSerialsDiffer);
  EXPECT_EQ(Car("CCCC").errorFlags, kFlagSerialsDiffer);
  EXPECT_EQ(Car("DDDDD").errorFlags, kFlagFolderNotId | kFlagFolderOver4);
  EXPECT_EQ(Car("eeee").errorFlags, kFlagFolderNotId);
  EXPECT_EQ(Car("\xC3\x9C" "ber").errorFlags, 0u);
  EXPECT_EQ(Car("NOFE").errorFlags, kFlagNoFedata | kFlagFolderNotId);
  EXPECT_EQ(*Car("NOFE").name, "NoFEData");
  EXPECT_FALSE(Car("NOFE").carId.has_value());
  EXPECT_EQ(Car("NOCA").errorFlags, kFlagSerialsDiffer);  // no carp.txt: serial "" differs
  EXPECT_EQ(game_.ReadCarpValue(kCarpMass, static_cast<std::size_t>(SlotOf("AAAA"))), "1400.75");
}

TEST_F(CarCatalogTest, OnlyTheLaterTopLevelCarOfASharedNumberIsADuplicate) {
  AddCar("AAAA", MakeCar("AAAA", 7), "7");
  AddCar("BBBB", MakeCar("BBBB", 7), "7", "car.viv.dis");  // disabled cars count
  AddCar("sub/CCCC", MakeCar("CCCC", 7), "7");             // sub-folder: flagged, never flags others
  AddCar("sub/DDDD", MakeCar("DDDD", 8), "8");
  AddCar("EEEE", MakeCar("EEEE", 8), "8");
  test::WriteFile(cars() / "NOF1" / "car.viv", test::BuildViv({{"carp.txt", test::Carp("0")}}));
  test::WriteFile(cars() / "NOF2" / "car.viv", test::BuildViv({{"carp.txt", test::Carp("0")}}));
  Load();
  const int a = SlotOf("AAAA");
  const int b = SlotOf("BBBB");
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  EXPECT_EQ((game_.cars[static_cast<std::size_t>(std::max(a, b))].errorFlags & kFlagDuplicateSerial) != 0, true);
  EXPECT_EQ(game_.cars[static_cast<std::size_t>(std::min(a, b))].errorFlags & kFlagDuplicateSerial, 0u);
  EXPECT_NE(Car("sub/CCCC").errorFlags & kFlagDuplicateSerial, 0u);
  EXPECT_EQ(Car("EEEE").errorFlags & kFlagDuplicateSerial, 0u);  // DDDD is in a sub-folder
  EXPECT_EQ(Car("NOF1").errorFlags & kFlagDuplicateSerial, 0u);
  EXPECT_EQ(Car("NOF2").errorFlags & kFlagDuplicateSerial, 0u);
  ASSERT_GE(SlotOf("EEEE"), 0);
  const auto eeee = static_cast<std::size_t>(SlotOf("EEEE"));
  EXPECT_EQ(game_.FindCarBySerial(8), eeee);
  EXPECT_EQ(game_.FindCarBySerial(8, eeee), std::nullopt);
}

// Of two cars sharing a number the one Windows lists later is the duplicate, on every system
// and whichever folder was made first (the file system's own order is not the listing order).
TEST_F(CarCatalogTest, TheDuplicateIsTheCarWindowsListsLater) {
  struct Case {
    std::string earlier, later;
  };
  const std::vector<Case> cases = {
      {"BRAK", "KOVA"},
      {"apex", "Beta"},                      // ignoring case, not by bytes
      {"zbbb", "z_aa"},                      // as capitals: '_' after 'B'
      {"Zeta", "\xc3\x89" "cla"},            // É after Z
  };
  int game = 0;
  for (const Case& c : cases) {
    for (const bool laterFirst : {true, false}) {
      SCOPED_TRACE(c.earlier + " / " + c.later + (laterFirst ? ", later one made first" : ""));
      SetUpGame(dir_.path() / ("order" + std::to_string(game++)));
      for (const std::string& folder : laterFirst ? std::vector{c.later, c.earlier} : std::vector{c.earlier, c.later}) {
        AddCar(folder, MakeCar("SAME", 31), "31");
      }
      Load();
      EXPECT_EQ(Car(c.earlier).errorFlags & kFlagDuplicateSerial, 0u);
      EXPECT_NE(Car(c.later).errorFlags & kFlagDuplicateSerial, 0u);
      EXPECT_LT(SlotOf(c.earlier), SlotOf(c.later));
    }
  }
}

TEST_F(CarCatalogTest, ScanFindsEnabledDisabledAndNestedCars) {
  AddCar("AAAA", MakeCar("AAAA", 1), "1");
  AddCar("BBBB", MakeCar("BBBB", 2), "2", "car.viv.dis");
  AddCar("CCCC", MakeCar("CCCC", 3), "3", "CAR.VIV");          // any spelling of car.viv
  AddCar("BOTH", MakeCar("BOTH", 4), "4");
  AddCar("BOTH", MakeCar("BOTH", 4), "4", "car.viv.dis");       // both names: enabled
  AddCar("pack/x/DDDD", MakeCar("DDDD", 5), "5");
  AddCar("pack/EEEE", MakeCar("EEEE", 6), "6");
  AddCar(".hidden/FFFF", MakeCar("FFFF", 7), "7");               // dot folders are skipped
  AddCar(".GGGG", MakeCar("GGGG", 8), "8");
  fs::create_directories(cars() / "empty");
  test::WriteFile(cars() / "loose.viv", "not a folder");
  Load();
  EXPECT_EQ(game_.cars.size(), 6u);
  EXPECT_TRUE(Car("AAAA").enabled);
  EXPECT_FALSE(Car("BBBB").enabled);
  EXPECT_TRUE(Car("CCCC").enabled);
  EXPECT_TRUE(Car("BOTH").enabled);
  EXPECT_EQ(Car("pack/x/DDDD").depth, 2);
  EXPECT_EQ(Car("pack/EEEE").depth, 1);
  EXPECT_EQ(SlotOf(".hidden/FFFF"), -1);
  EXPECT_EQ(game_.enabledCarCount, 3);  // AAAA, CCCC, BOTH; nested cars do not count

  // Reloading gives the same table; clearing empties it.
  Load();
  EXPECT_EQ(game_.cars.size(), 6u);
  game_.ClearCarTable();
  EXPECT_EQ(game_.cars.size(), 0u);
}

TEST_F(CarCatalogTest, ADotHigherUpTheGamePathHidesNothing) {
  SetUpGame(dir_.path() / ".wine" / "drive_c" / "KRAX");
  AddCar("AAAA", MakeCar("AAAA", 1), "1");
  Load();
  EXPECT_EQ(game_.cars.size(), 1u);
  EXPECT_EQ(game_.enabledCarCount, 1);
}

TEST_F(CarCatalogTest, MissingCarFolderGivesAnEmptyCatalog) {
  SetUpGame(dir_.path() / "game");
  fs::remove_all(cars());
  Load();
  EXPECT_EQ(game_.cars.size(), 0u);
  EXPECT_EQ(game_.enabledCarCount, 0);
}

TEST_F(CarCatalogTest, AFolderReachedTwiceIsScannedOnce) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links to folders are a Linux matter";
#else
  AddCar("AAAA", MakeCar("AAAA", 1), "1");
  AddCar("Pack/BBBB", MakeCar("BBBB", 2), "2");
  fs::create_directory_symlink("..", cars() / "Pack" / "up");       // loops back up
  fs::create_directory_symlink(cars() / "AAAA", cars() / "Alias");  // a second way in
  Load();
  std::multiset<std::string> ids;
  for (std::size_t i = 0; i < game_.cars.size(); ++i) ids.insert(game_.cars[i].carId.value_or(""));
  EXPECT_EQ(ids, (std::multiset<std::string>{"AAAA", "BBBB"}));
  for (std::size_t i = 0; i < game_.cars.size(); ++i) {
    EXPECT_EQ(game_.cars[i].errorFlags & kFlagDuplicateSerial, 0u) << game_.cars[i].archivePath;
  }
#endif
}

// Of 1002 cars the first 999 in listing order are listed ("c997" .. "c999" come last, after
// "c1000" and "c1001"); the others are left out, and every listed one counts as enabled.
TEST_F(CarCatalogTest, TheCatalogListsAtMost999Cars) {
  const std::string archive = CarArchive(MakeCar("AAAA", 1), "1");
  for (int i = 0; i < 1002; ++i) test::WriteFile(cars() / ("c" + std::to_string(i)) / "car.viv", archive);
  for (int pass = 0; pass < 2; ++pass) {  // a reload finds the same 999
    Load();
    ASSERT_EQ(game_.cars.size(), kMaxCars);
    EXPECT_EQ(game_.enabledCarCount, 999);
    EXPECT_EQ(SlotOf("c0"), 0);
    EXPECT_EQ(SlotOf("c996"), 998);
    EXPECT_GE(SlotOf("c1001"), 0);
    for (const char* left : {"c997", "c998", "c999"}) EXPECT_EQ(SlotOf(left), -1) << left;
  }
  EXPECT_FALSE(game_.HasCar(kMaxCars));
  EXPECT_FALSE(game_.HasCar(-1));
  EXPECT_FALSE(game_.LoadCar(kMaxCars));
}

TEST_F(CarCatalogTest, GenerateGivesDuplicatesUnusedNumbersInEveryFrontEndEntry) {
  const std::vector<std::string> languages = {"fedata.eng", "fedata.ger"};
  AddCar("AAAA", MakeCar("AAAA", 42), "42", "car.viv", languages);
  AddCar("BBBB", MakeCar("BBBB", 42), "42", "car.viv", languages);
  AddCar("CCCC", MakeCar("CCCC", 42), "42", "car.viv.dis", languages);
  AddCar("DDDD", MakeCar("DDDD", 7), "7", "car.viv", languages);
  Load();
  // The source first offers numbers in use (42, 7), which must be drawn again.
  std::deque<int> draws{42, 7, 1000, 7, 2000};
  game_.random = [&draws] {
    const int v = draws.front();
    draws.pop_front();
    return v;
  };
  std::map<std::string, std::string> before;
  for (const char* folder : {"AAAA", "BBBB", "CCCC", "DDDD"}) {
    before[folder] = test::ReadFile(Car(folder).archivePath);
  }
  int reloads = 0;
  const std::vector<SerialChange> changes = game_.GenerateSerialNumbers([&] {
    ++reloads;
    Load();
  });
  EXPECT_EQ(reloads, 1);
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].newSerial, 1000);
  EXPECT_EQ(changes[1].newSerial, 2000);
  EXPECT_TRUE(changes[0].written && changes[1].written);

  std::set<int> serials;
  for (std::size_t i = 0; i < game_.cars.size(); ++i) {
    serials.insert(game_.cars[i].fedataSerial());
    EXPECT_EQ(game_.cars[i].errorFlags & kFlagDuplicateSerial, 0u);
  }
  EXPECT_EQ(serials.size(), 4u);
  // Each changed archive differs in exactly the two serial bytes of each language's entry;
  // carp.txt and fedata.fsh keep their bytes, so the car now shows "Different s.n.".
  for (const SerialChange& change : changes) {
    const CarRecord& car = game_.cars[static_cast<std::size_t>(change.slot)];
    const std::string after = test::ReadFile(car.archivePath);
    const std::string& old = before[fs::path(car.archivePath).parent_path().filename().string()];
    ASSERT_EQ(after.size(), old.size());
    std::size_t differing = 0;
    for (std::size_t i = 0; i < after.size(); ++i) differing += after[i] != old[i];
    EXPECT_EQ(differing, 4u);
    EXPECT_NE(car.errorFlags & kFlagSerialsDiffer, 0u);
  }
}

TEST_F(CarCatalogTest, GenerateWithoutDuplicatesWritesNothingAndDoesNotReload) {
  AddCar("AAAA", MakeCar("AAAA", 1), "1");
  AddCar("BBBB", MakeCar("BBBB", 2), "2");
  Load();
  int reloads = 0;
  EXPECT_TRUE(game_.GenerateSerialNumbers([&] { ++reloads; }).empty());
  EXPECT_EQ(reloads, 0);
}

TEST_F(CarCatalogTest, WriteSerialNeedsAUsedSlotWithFrontEndData) {
  AddCar("AAAA", MakeCar("AAAA", 1), "1");
  test::WriteFile(cars() / "NOFE" / "car.viv", test::BuildViv({{"carp.txt", test::Carp("5")}}));
  Load();
  EXPECT_FALSE(game_.WriteCarSerial(static_cast<std::size_t>(SlotOf("NOFE")), 9));
  EXPECT_FALSE(game_.WriteCarSerial(5, 9));
  const std::size_t a = static_cast<std::size_t>(SlotOf("AAAA"));
  ASSERT_TRUE(game_.WriteCarSerial(a, 0x12345));  // low 16 bits
  EXPECT_EQ(game_.cars[a].fedataSerial(), 1);  // memory is the caller's to update
  Load();
  EXPECT_EQ(Car("AAAA").fedataSerial(), 0x2345);
}

TEST_F(CarCatalogTest, IdentityOfAnArchiveOutsideTheTable) {
  const fs::path path = dir_.path() / "new" / "car.viv";
  test::WriteFile(path, test::BuildViv({{"fedata.fsh", "x"},
                                        {"FEDATA.ENG", test::BuildFedata(MakeCar("NEWC", 1, "New car"))}}));
  std::string name = "unchanged";
  EXPECT_EQ(ReadCarIdentity(path.string(), name), "NEWC");
  EXPECT_EQ(name, "New car");
  name = "unchanged";
  EXPECT_EQ(ReadCarIdentity((dir_.path() / "none.viv").string(), name), "");
  EXPECT_EQ(name, "unchanged");
}

}  // namespace
}  // namespace krax

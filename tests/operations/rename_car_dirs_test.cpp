// "DIR = ID" and "DIR = NAME" on car folders made by hand, and once through the catalog.
#include "operations/rename_car_dirs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <sstream>

#include "app/settings.h"
#include "gamedata/car_catalog.h"
#include "gamedata/game_data.h"
#include "gamedata/gamedata_test_support.h"
#include "operations/game_operations.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "support/scratch_folder.h"
#include "support/scripted_prompts.h"

namespace krax {
namespace {

class RenameCarDirsTest : public ::testing::Test {
 protected:
  RenameCarDirsTest() : cars_(dir_.mkdir("GameData/CarModel")) {}

  // A car in `folder` (below the car folder) with a marker file that must travel with it.
  void AddCar(const std::string& folder, const std::optional<std::string>& id,
              const std::optional<std::string>& name = {}) {
    dir_.write("GameData/CarModel/" + folder + "/car.viv", folder);
    CarRecord& car = table_.emplace_back();
    car.archivePath = JoinPath(JoinPath(cars_, folder), "car.viv");
    if (id) {
      car.fedata = std::string(64, '\0');
      car.carId = id;
      car.name = name ? name : id;
    }
  }
  std::vector<FolderRename> Run(FolderNaming naming) {
    return RenameCarFolders(table_, cars_, naming, diagnostics_);
  }
  // Which car (by its first folder) now lives in `folder`; "" when there is no car there.
  std::string CarIn(const std::string& folder) const {
    return test::ReadFileBytes(JoinPath(JoinPath(cars_, folder), "car.viv"));
  }
  std::vector<std::string> Folders() const {
    std::vector<std::string> names;
    for (const DirEntry& entry : ListFolder(cars_)) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  test::ScratchFolder dir_;
  std::string cars_;
  std::vector<CarRecord> table_;
  std::ostringstream diagnostics_;
};

TEST_F(RenameCarDirsTest, TakenIdsGetNumberedNamesFromOneCounterForTheWholeRun) {
  AddCar("f1", "XXXX");
  AddCar("f2", "XXXX");
  AddCar("f3", "XXXX");
  AddCar("f4", "YYYY");
  AddCar("f5", "YYYY");
  Run(FolderNaming::kId);
  EXPECT_EQ(Folders(), (std::vector<std::string>{"0000", "0001", "0002", "XXXX", "YYYY"}));
  EXPECT_EQ(CarIn("XXXX"), "f1");
  EXPECT_EQ(CarIn("0000"), "f2");
  EXPECT_EQ(CarIn("0001"), "f3");
  EXPECT_EQ(CarIn("YYYY"), "f4");
  EXPECT_EQ(CarIn("0002"), "f5");
  EXPECT_EQ(diagnostics_.str(), "Rename err:: File exists\nRename err:: File exists\nRename err:: File exists\n");
}

TEST_F(RenameCarDirsTest, EachCarKeepsOrMovesAsItsNameAllows) {
  AddCar("nofe", std::nullopt);           // no front-end data
  AddCar("Pack/Deep/NEST", "NEST");       // nested: moves up
  AddCar("OKAY", "OKAY");                 // already named: stays, not numbered
  AddCar("zzzz", "TAKN");                 // "takn" below is the same name to the game
  dir_.mkdir("GameData/CarModel/takn");
  AddCar("abcd", "ABCD");                 // differs only in case from its own name
  AddCar("colon", "A:B");                 // no folder of that name under Wine
  AddCar("dot", "AB.");
  AddCar("ctl", std::string("A\tB"));
  const std::vector<FolderRename> renames = Run(FolderNaming::kId);
  using O = FolderRename::Outcome;
  const std::vector<O> expected{O::kNoFedata, O::kRenamed, O::kAlreadyNamed, O::kNumbered,
                                O::kRenamed,  O::kBadName, O::kBadName,      O::kBadName};
  ASSERT_EQ(renames.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(renames[i].outcome, expected[i]) << i;
  EXPECT_EQ(CarIn("NEST"), "Pack/Deep/NEST");
  EXPECT_EQ(CarIn("OKAY"), "OKAY");
  EXPECT_EQ(CarIn("0000"), "zzzz");
  EXPECT_EQ(CarIn("ABCD"), "abcd");
  for (const char* kept : {"nofe", "colon", "dot", "ctl"}) EXPECT_EQ(CarIn(kept), kept);
  EXPECT_TRUE(IsFolder(JoinPath(cars_, "takn")));
  EXPECT_EQ(RenameSummary(renames),
            "3 folders renamed (1 to numbered names: their names were taken), 1 already named, 4 kept.");
  const std::string details = RenameDetails(renames, cars_);
  EXPECT_NE(details.find(JoinPath("Pack", "Deep/NEST") + " -> NEST\n"), std::string::npos) << details;
  EXPECT_NE(details.find("colon: kept, \"A:B\" cannot be a folder name\n"), std::string::npos) << details;
  EXPECT_NE(details.find("nofe: kept, the car has no front-end data\n"), std::string::npos) << details;
}

TEST_F(RenameCarDirsTest, DirToNameNumbersAfterTheNameAndWritesNoDiagnostics) {
  AddCar("c1", "AAAA", "Fast Car");
  AddCar("c2", "BBBB", "Fast Car");
  AddCar("c3", "CCCC", "\xDC" "ber");  // the game's code page: "Über"
  Run(FolderNaming::kName);
  EXPECT_EQ(CarIn("Fast Car"), "c1");
  EXPECT_EQ(CarIn("Fast Car0000"), "c2");
  EXPECT_EQ(CarIn("\xC3\x9C" "ber"), "c3");  // a UTF-8 folder name, as Wine shows it to the game
  EXPECT_EQ(diagnostics_.str(), "");
}

TEST(RenameCarDirsCatalogTest, FoldersNamedAfterEachOthersIdsSortThemselvesOutInTwoRuns) {
  test::ScratchFolder dir;
  test::Fedata first, second;
  first.id = "BBBB";
  second.id = "AAAA";
  second.serial = 43;
  dir.write("game/GameData/CarModel/AAAA/car.viv", test::CarArchive(first, "42"));
  dir.write("game/GameData/CarModel/BBBB/car.viv", test::CarArchive(second, "43"));
  GameData data;
  data.UseGameFolder(dir / "game", /*kraxText=*/false);
  ParseInstallInfo("english\r\n", data.installInfo);
  Settings settings;
  settings.gameFolder = data.gameFolder();
  test::ScriptedPrompts prompts;
  GameOperations operations(data, settings, prompts);
  const std::string cars = CarFolderPath(data.gameFolder());
  const auto idIn = [&](const std::string& folder) {
    std::string name;
    return ReadCarIdentity(JoinPath(JoinPath(cars, folder), "car.viv"), name);
  };

  data.ClearCarTable();
  data.LoadCarCatalog();
  EXPECT_TRUE(operations.RenameDirsToId().done());
  // Whichever came first found its name taken and went to 0000; the other took its name.
  ASSERT_TRUE(IsFolder(JoinPath(cars, "0000")));
  EXPECT_EQ(ListFolder(cars).size(), 2u);
  ASSERT_EQ(prompts.reports.size(), 1u);
  EXPECT_EQ(prompts.reports[0].rfind("DIR = ID: 2 folders renamed (1 to numbered names", 0), 0u) << prompts.reports[0];

  data.ClearCarTable();
  data.LoadCarCatalog();
  EXPECT_TRUE(operations.RenameDirsToId().done());
  EXPECT_EQ(idIn("AAAA"), "AAAA");
  EXPECT_EQ(idIn("BBBB"), "BBBB");
  EXPECT_EQ(ListFolder(cars).size(), 2u);
}

// Random car folders, some nested, with IDs and names that clash: the plan shown before a run
// is what the run does, and a second run over the table a reload finds, in any order, moves
// nothing (no two numbered folders swap names).
TEST(RenameCarDirsProperty, APlanIsWhatTheRunDoesAndASecondRunInAnyOrderChangesNothing) {
  std::mt19937 random(20261207);
  const std::vector<std::string> ids = {"ZEPH", "BRAK", "0001", "MOTH"};
  const std::vector<std::string> names = {"Aurivan Zephyra", "Aurivan Zephyra", "Brakka", "ZEPH"};
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    test::ScratchFolder dir;
    const std::string cars = dir.mkdir("GameData/CarModel");
    const FolderNaming naming = random() % 2 ? FolderNaming::kId : FolderNaming::kName;
    const std::size_t count = 2 + random() % 7;
    std::vector<CarRecord> table(count);
    std::vector<std::string> markers;  // each car.viv holds its first folder
    for (std::size_t i = 0; i < count; ++i) {
      const std::string folder = std::string(random() % 3 == 0 ? "Sub/" : "") + "car" + std::to_string(i);
      markers.push_back(folder);
      dir.write("GameData/CarModel/" + folder + "/car.viv", folder);
      CarRecord& car = table[i];
      car.archivePath = JoinPath(JoinPath(cars, folder), "car.viv");
      car.fedata = std::string(64, '\0');
      car.carId = ids[random() % ids.size()];
      car.name = names[random() % names.size()];
    }
    std::ostringstream diagnostics;
    const std::size_t entriesBefore = ListFolder(cars).size();
    const std::vector<FolderRename> plan = RenameCarFolders(table, cars, naming, diagnostics, /*dryRun=*/true);
    EXPECT_EQ(diagnostics.str(), "");
    for (std::size_t i = 0; i < count; ++i) EXPECT_TRUE(IsFile(table[i].archivePath)) << "the plan moved " << i;
    EXPECT_EQ(ListFolder(cars).size(), entriesBefore);
    const std::vector<FolderRename> done = RenameCarFolders(table, cars, naming, diagnostics);
    ASSERT_EQ(plan.size(), done.size());
    for (std::size_t i = 0; i < count; ++i) {
      EXPECT_EQ(plan[i].to, done[i].to) << i;
      EXPECT_EQ(plan[i].outcome, done[i].outcome) << i;
      EXPECT_EQ(test::ReadFileBytes(JoinPath(done[i].to, "car.viv")), markers[i]) << i;
    }
    // The table a reload finds, listed in another order.
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    std::vector<CarRecord> again(count);
    for (std::size_t k = 0; k < count; ++k) {
      const CarRecord& before = table[order[k]];
      CarRecord& car = again[k];
      car.archivePath = JoinPath(done[order[k]].to, "car.viv");
      car.fedata = before.fedata;
      car.carId = before.carId;
      car.name = before.name;
    }
    const std::vector<FolderRename> second = RenameCarFolders(again, cars, naming, diagnostics);
    EXPECT_EQ(RenameMoveCount(second), 0u) << RenameDetails(second, cars);
  }
}

}  // namespace
}  // namespace krax

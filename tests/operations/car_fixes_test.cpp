// "Fix Errors" / "Fix All Errors..." and the police flag on car folders made for the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "gamedata/car_catalog.h"
#include "gamedata/car_record.h"
#include "gamedata/game_data.h"
#include "gamedata/gamedata_test_support.h"
#include "gamedata/viv_archive.h"
#include "operations/car_fixes.h"
#include "operations/police_flag.h"
#include "support/scripted_prompts.h"

namespace krax {
namespace {

namespace fs = std::filesystem;
constexpr std::uint32_t kFixableFlags = kFlagSerialsDiffer | kFlagDuplicateSerial | kFlagFolderNotId | kFlagFolderOver4;

class FixGame {
 public:
  FixGame() {
    test::WriteFile(dir.path() / "install.win", "english\r\n");
    fs::create_directories(carModel());
    data.UseGameFolder(dir.str(), /*kraxText=*/false);
    ParseInstallInfo("english\r\n", data.installInfo);
    data.random = MakeRandomSource(7);
  }
  fs::path carModel() const { return dir.path() / "GameData" / "CarModel"; }
  void Load() {
    data.ClearCarTable();
    data.LoadCarCatalog();
  }
  // Every entry of every car's archive, by car ID (the folder for a car without one).
  std::map<std::string, std::map<std::string, std::string>> Entries() const {
    std::map<std::string, std::map<std::string, std::string>> all;
    for (std::size_t i = 0; i < data.cars.size(); ++i) {
      const CarRecord& car = data.cars[i];
      const std::string bytes = test::ReadFile(car.archivePath);
      const VivDirectory directory = ParseVivDirectory(bytes);
      auto& entries = all[car.carId.value_or(fs::path(car.archivePath).parent_path().filename().string())];
      for (const VivEntry& e : directory.entries) {
        entries[e.name] = bytes.substr(static_cast<std::size_t>(e.offset), static_cast<std::size_t>(e.size));
      }
    }
    return all;
  }

  test::ScratchDir dir{"fixes"};
  GameData data;
  test::ScriptedPrompts prompts;
};

std::string RandomBytes(std::mt19937& random, std::size_t size) {
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

// Random catalogs with every fixable kind of damage: shared and differing serial numbers,
// carp.txt numbers with blanks, leading zeros or no number, folders in other letter case,
// longer than four characters, numbered or nested, disabled cars, cars without front-end
// data. After Fix All a fresh load shows no fixable flag, and every entry other than carp.txt
// and the front-end data is byte for byte as it was.
TEST(CarFixesTest, FixAllLeavesNoFixableFlagAndKeepsTheOtherEntries) {
  for (unsigned seed = 1; seed <= 25; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    FixGame game;
    const int cars = 3 + static_cast<int>(random() % 8);
    std::set<std::string> ids;
    for (int c = 0; c < cars; ++c) {
      std::string id;
      do {
        id.clear();
        for (int k = 0; k < 4; ++k) id.push_back(static_cast<char>('A' + random() % 26));
      } while (!ids.insert(id).second);
      const std::uint16_t serial = static_cast<std::uint16_t>(100 + random() % 4);  // shared often
      std::string carp = std::to_string(serial);
      switch (random() % 6) {
        case 0: carp = std::to_string(serial + 1); break;
        case 1: carp += " "; break;
        case 2: carp = "00" + carp; break;
        case 3: carp = "n/a"; break;
        default: break;
      }
      std::string folder = id;
      switch (random() % 6) {
        case 0: folder = "car_" + id; break;
        case 1: for (char& ch : folder) ch = static_cast<char>(ch - 'A' + 'a'); break;
        case 2: folder = std::to_string(1000 + c); break;
        case 3: folder = "Sub" + std::to_string(c) + "/" + id; break;
        default: break;
      }
      test::Fedata fedata;
      fedata.id = id;
      fedata.serial = serial;
      std::vector<test::TestEntry> entries{{"body.msh", RandomBytes(random, 50 + random() % 200)},
                                           {"carp.txt", test::Carp(carp)}};
      const bool withFedata = random() % 8 != 0;
      if (withFedata) {
        entries.push_back({"fedata.eng", test::BuildFedata(fedata)});
        if (random() % 2) entries.push_back({"fedata.ger", test::BuildFedata(fedata)});
      }
      entries.push_back({"fedata.fsh", RandomBytes(random, 64)});
      entries.push_back({"skin.tga", RandomBytes(random, 30 + random() % 100)});
      const std::string archive = random() % 5 == 0 ? "car.viv.dis" : "car.viv";
      test::WriteFile(game.carModel() / folder / archive, test::BuildViv(entries));
    }
    game.Load();
    const auto before = game.Entries();

    const OperationResult result =
        FixCarErrors(game.data, game.prompts, {}, "Fix All Errors", [&game] { game.Load(); });
    EXPECT_NE(result.status, OperationStatus::kFailed) << result.message;

    game.Load();
    const auto after = game.Entries();
    EXPECT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < game.data.cars.size(); ++i) {
      const CarRecord& car = game.data.cars[i];
      if (!car.hasFedata()) continue;
      EXPECT_EQ(car.errorFlags & kFixableFlags, 0u) << car.archivePath << " flags " << car.errorFlags;
      EXPECT_EQ(car.carpSerial, std::to_string(car.fedataSerial())) << car.archivePath;
    }
    for (const auto& [id, entries] : before) {
      ASSERT_TRUE(after.count(id)) << id;
      for (const auto& [name, bytes] : entries) {
        if (name == "carp.txt" || (name.find("fedata") != std::string::npos && name != "fedata.fsh")) continue;
        EXPECT_EQ(after.at(id).at(name), bytes) << id << " " << name;
      }
    }
  }
}

TEST(CarFixesTest, ThePlanSaysWhatCannotBeFixedAndNoChangesAreMadeWithoutYes) {
  FixGame game;
  test::Fedata taken;
  taken.id = "TAKN";
  taken.serial = 5;
  test::WriteFile(game.carModel() / "Long folder" / "car.viv", test::CarArchive(taken, "5"));
  test::WriteFile(game.carModel() / "taKN" / "readme.txt", "a folder of that name, holding no car");
  test::Fedata bad;
  bad.id = "A:B";
  bad.serial = 6;
  test::WriteFile(game.carModel() / "odd" / "car.viv", test::CarArchive(bad, "6"));
  test::WriteFile(game.carModel() / "bare" / "car.viv", test::BuildViv({{"carp.txt", test::Carp("7")}}));
  game.Load();
  const auto before = game.Entries();

  game.prompts.answers = {false};
  std::vector<std::size_t> all;
  for (std::size_t i = 0; i < game.data.cars.size(); ++i) all.push_back(i);
  const FixPlan plan = PlanCarFixes(game.data, all);
  EXPECT_FALSE(plan.HasChanges()) << plan.Text();
  const std::string text = plan.Text();
  EXPECT_NE(text.find("TAKN (Long folder): Diferent Path/ID, Path > 4 -> cannot be fixed: the folder name \"taKN\" is taken"),
            std::string::npos) << text;
  EXPECT_NE(text.find("cannot be fixed: the car ID \"A:B\" cannot be a folder name"), std::string::npos) << text;
  EXPECT_NE(text.find("bare: Diferent Path/ID, No FeData -> cannot be fixed: the car has no front-end data"),
            std::string::npos) << text;
  const OperationResult result = FixCarErrors(game.data, game.prompts, {}, "Fix All Errors", {});
  EXPECT_EQ(result.status, OperationStatus::kFailed);
  EXPECT_TRUE(game.prompts.questions.empty());  // nothing to ask about
  EXPECT_EQ(game.Entries(), before);

  // A car that can be fixed: asked first; No changes nothing.
  test::Fedata differ;
  differ.id = "DIFF";
  differ.serial = 9;
  test::WriteFile(game.carModel() / "DIFF" / "car.viv", test::CarArchive(differ, "10"));
  game.Load();
  const auto withDiff = game.Entries();
  game.prompts.answers = {false};
  EXPECT_EQ(FixCarErrors(game.data, game.prompts, {}, "Fix All Errors", {}).status, OperationStatus::kCancelled);
  ASSERT_EQ(game.prompts.questions.size(), 1u);
  EXPECT_NE(game.prompts.questions[0].find("DIFF (DIFF): Different s.n. -> front-end data get serial number 10 of carp.txt"),
            std::string::npos);
  EXPECT_EQ(game.Entries(), withDiff);
}

TEST(CarFixesTest, PoliceFlagIsWrittenIntoEveryFrontEndEntryAfterAQuestion) {
  FixGame game;
  test::Fedata car;
  car.id = "COPS";
  test::WriteFile(game.carModel() / "COPS" / "car.viv", test::CarArchive(car, "42", {"fedata.eng", "fedata.ger"}));
  game.Load();
  const auto before = game.Entries();

  game.prompts.answers = {false, true};
  EXPECT_EQ(SetPoliceFlag(game.data, game.prompts, 0, true).status, OperationStatus::kCancelled);
  EXPECT_EQ(game.Entries(), before);
  EXPECT_TRUE(SetPoliceFlag(game.data, game.prompts, 0, true).done());
  EXPECT_EQ(game.data.cars[0].police(), 1);  // in memory at once
  const auto after = game.Entries();
  for (const auto& [name, bytes] : after.at("COPS")) {
    if (name.rfind("fedata.", 0) == 0 && name != "fedata.fsh") {
      EXPECT_EQ(FedataRecord(bytes).police(), 1) << name;
      std::string expected = before.at("COPS").at(name);
      expected[16] = 1;
      EXPECT_EQ(bytes, expected) << name;
    } else {
      EXPECT_EQ(bytes, before.at("COPS").at(name)) << name;
    }
  }
  game.Load();
  EXPECT_EQ(game.data.cars[0].police(), 1);
  EXPECT_TRUE(SetPoliceFlag(game.data, game.prompts, 0, false).done());
  EXPECT_EQ(game.Entries(), before);
}

}  // namespace
}  // namespace krax

// The demo read back through the program's own catalogs: every car listed with exactly the
// flags it was built to show, the hidden car left out, the active add-on reported active and
// the game text's track names in place.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "gamedata/game_data.h"
#include "gamedata/install_info.h"
#include "gamedata/stock_tables.h"
#include "support/scratch_folder.h"
#include "tools/demo_install.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

// The car folder of an archive path, relative to GameData/CarModel, '/'-separated.
std::string DemoFolderOf(const std::string& archivePath, const std::string& gameDir) {
  const fs::path carModel = fs::path(gameDir) / "GameData" / "CarModel";
  return fs::relative(fs::path(archivePath).parent_path(), carModel).generic_string();
}

TEST(DemoCatalogTest, CatalogListsEveryCarWithTheFlagsItWasBuiltToShow) {
  test::ScratchFolder folder;
  const DemoManifest manifest = MakeDemoInstallation(folder.path(), {60, 11, true});

  GameData game;
  game.UseGameFolder(manifest.gameDir, /*kraxText=*/false);
  ASSERT_TRUE(ReadInstallInfo(game.gameFolder(), game.installInfo));
  ASSERT_EQ(game.languageSuffix(), ".eng");
  game.ClearCarTable();
  game.LoadCarCatalog();

  ASSERT_EQ(game.cars.size(), manifest.cars.size());
  std::vector<std::string> order;
  for (std::size_t slot = 0; slot < game.cars.size(); ++slot) {
    order.push_back(DemoFolderOf(game.cars[slot].archivePath, manifest.gameDir));
  }
  const std::vector<std::uint32_t> expected = ExpectedErrorFlags(manifest, order);
  std::set<std::string> seen;
  for (std::size_t slot = 0; slot < order.size(); ++slot) {
    const CarRecord& record = game.cars[slot];
    const DemoCar* car = manifest.FindCar(order[slot]);
    ASSERT_NE(car, nullptr) << order[slot];
    SCOPED_TRACE(car->folder);
    seen.insert(car->folder);
    EXPECT_EQ(record.errorFlags, expected[slot]);
    EXPECT_EQ(record.depth, car->depth);
    EXPECT_EQ(record.enabled, car->enabled);
    EXPECT_EQ(record.carpSerial, car->carpSerial);
    if (car->hasFedata) {
      EXPECT_EQ(record.carId.value_or("?"), car->id);
      EXPECT_EQ(record.name.value_or("?"), car->name);
      EXPECT_EQ(record.fedataSerial(), car->fedataSerial);
    } else {
      EXPECT_EQ(record.name.value_or("?"), "NoFEData");
    }
  }
  EXPECT_EQ(seen.size(), manifest.cars.size());
  EXPECT_EQ(game.enabledCarCount, manifest.EnabledTopLevelCars());
}

TEST(DemoCatalogTest, TrackCatalogReportsTheActiveAddOn) {
  test::ScratchFolder folder;
  const DemoManifest manifest = MakeDemoInstallation(folder.path(), {20, 11, true});
  GameData game;
  game.UseGameFolder(manifest.gameDir, /*kraxText=*/false);
  std::map<int, std::vector<std::pair<std::string, bool>>> slots;
  game.LoadTrackCatalog([&](int row, const std::string& name, bool active, int) {
    slots[row].push_back({name, active});
  });
  ASSERT_EQ(slots.size(), 9u);
  for (const auto& [row, tracks] : slots) {
    int active = 0;
    for (const auto& [name, isActive] : tracks) {
      if (!isActive) continue;
      ++active;
      EXPECT_EQ(name, row == manifest.activeSlot ? manifest.activeTrack : "Original") << row;
    }
    EXPECT_EQ(active, 1) << row;
  }
  for (const DemoTrackFolder& track : manifest.addOnTracks) {
    const auto& tracks = slots[track.slot];
    EXPECT_NE(std::find(tracks.begin(), tracks.end(), std::pair{track.name, track.active}), tracks.end())
        << track.name;
  }

  // The game text loads with the stock track names at 102..110.
  game.UseGameFolder(game.gameFolder(), /*kraxText=*/true);
  ASSERT_TRUE(ReadInstallInfo(game.gameFolder(), game.installInfo));
  ASSERT_TRUE(game.LoadGameText());
  ASSERT_EQ(game.gameText.count(), static_cast<std::size_t>(manifest.textStrings));
  for (int row = 0; row < kStockTrackSlotCount; ++row) {
    EXPECT_EQ(game.gameText.text(102 + static_cast<std::size_t>(row)), StockTrackTable[row].displayName);
  }
}

}  // namespace
}  // namespace krax

// Random sequences of the operations that change the game folder - enable/disable, switch
// (now and then with a folder in the way), restore of all cars, all tracks or one slot, and
// both folder renames - on the demo. After every step a fresh load of the game folder agrees
// with what the program holds: the car count, each slot's active track and its name in the
// game text, install.win; no car folder holds both archive names, and a second rename run
// would change nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <sstream>

#include "app/startup.h"
#include "gamedata/code_page.h"
#include "gamedata/stock_tables.h"
#include "gamedata/track_catalog.h"
#include "operations/game_operations.h"
#include "operations/rename_car_dirs.h"
#include "operations/track_switch.h"
#include "operations_test_support.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

// The car folders of a fresh load that hold both car.viv and car.viv.dis.
std::set<std::string> FoldersWithBothArchives(const GameData& fresh) {
  std::set<std::string> both;
  for (std::size_t i = 0; i < fresh.cars.size(); ++i) {
    const std::string folder = ParentPath(fresh.cars[i].archivePath);
    bool enabled = false, disabled = false;
    for (const DirEntry& entry : ListFolder(folder)) {
      enabled = enabled || EqualsIgnoreCase(entry.name, "car.viv");
      disabled = disabled || EqualsIgnoreCase(entry.name, "car.viv.dis");
    }
    if (enabled && disabled) both.insert(folder);
  }
  return both;
}

std::size_t LineCount(const std::string& installWin) {
  InstallInfo info;
  ParseInstallInfo(installWin, info);
  return info.fileLines.size();
}

TEST(FolderConsistencyProperty, EveryStepLeavesAFolderAFreshLoadAgreesWith) {
  const std::uint32_t seed = 20261207;
  std::mt19937 random(seed);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  test::DemoGame game(/*gameText=*/true);
  game.settings.cdPath = game.manifest.cdDir;
  GameData& data = game.data;
  GameOperations operations(data, game.settings, game.prompts);
  const auto reloadCars = [&] {
    data.ClearCarTable();
    data.LoadCarCatalog();
  };
  reloadCars();
  const std::string installWin = game.manifest.gameDir + "/install.win";
  const std::size_t installLines = LineCount(test::ReadFileBytes(installWin));
  std::set<std::string> bothAtStart;
  {
    GameData fresh;
    StartUpGameData(game.settings, fresh);
    fresh.LoadCarCatalog();
    bothAtStart = FoldersWithBothArchives(fresh);
  }
  std::set<int> namedSlots;  // slots whose game text the program has written
  std::map<std::string, int> seen;

  for (int step = 0; step < 60; ++step) {
    const std::size_t what = pick(7);
    SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(step) + ", operation " +
                 std::to_string(what));
    if (what <= 1) {
      const std::size_t slot = pick(data.cars.size());
      const OperationResult result = operations.ToggleCar(CarSlot{slot});
      ++seen[result.done() ? "toggle" : "toggle refused"];
    } else if (what <= 3) {
      std::vector<std::pair<int, ItemRef>> folders;  // row, track folder
      data.LoadTrackCatalog([&](int row, const std::string&, bool, int n) {
        folders.emplace_back(row, ItemRef::TrackFolder(static_cast<std::size_t>(n)));
      });
      const auto [row, folder] = folders[pick(folders.size())];
      const std::string slot = data.SlotFolderPath(row);
      const std::string track = data.trackFolder(folder.index).path;
      const std::string before = ReadActiveTrack(slot);
      // A folder in the way of one of the track's files makes the switch fail part-way.
      std::string blocker;
      const std::map<std::string, std::string> files = test::FilesIn(track);
      if (!files.empty() && pick(3) == 0) {
        auto it = files.begin();
        std::advance(it, static_cast<long>(pick(files.size())));
        blocker = ResolvePath(JoinPath(slot, it->first));
        if (IsFolder(blocker)) {
          blocker.clear();
        } else {
          if (IsFile(blocker)) fs::rename(blocker, blocker + ".aside");
          fs::create_directory(blocker);
        }
      }
      const OperationResult result = operations.SwitchTrack(folder);
      ++seen[result.done() ? "switch" : "switch failed"];
      EXPECT_EQ(ReadActiveTrack(slot), result.done() ? BaseName(track) : before) << result.message;
      if (result.done()) namedSlots.insert(row);
      if (!blocker.empty()) {
        fs::remove(blocker);
        if (fs::exists(blocker + ".aside")) fs::rename(blocker + ".aside", blocker);
      }
    } else if (what == 4) {
      const std::size_t which = pick(3);
      const int row = static_cast<int>(pick(kStockTrackSlotCount));
      const OperationResult result = which == 0   ? operations.RestoreCars()
                                     : which == 1 ? operations.RestoreTracks()
                                                  : operations.RestoreItemFromCd(ItemRef::StockTrackSlot(row), "", "");
      ASSERT_TRUE(result.done()) << result.message;
      ++seen["restore"];
      if (which == 1) {
        for (int r = 0; r < kStockTrackSlotCount; ++r) namedSlots.insert(r);
      } else if (which == 2) {
        namedSlots.insert(row);
      }
      for (int r = 0; r < kStockTrackSlotCount && which != 0; ++r) {
        if (which == 1 || r == row) {
          EXPECT_EQ(ReadActiveTrack(data.SlotFolderPath(r)), kOriginalFolder);
        }
      }
      reloadCars();  // the user's Reload after a restore
    } else {
      const OperationResult result = what == 5 ? operations.RenameDirsToId() : operations.RenameDirsToName();
      ASSERT_TRUE(result.done()) << result.message;
      ++seen["rename"];
      reloadCars();
      // A second run would leave every folder where it is.
      std::ostringstream ignored;
      const auto plan = RenameCarFolders(data.cars, CarFolderPath(game.settings.gameFolder),
                                         what == 5 ? FolderNaming::kId : FolderNaming::kName, ignored, true);
      EXPECT_EQ(RenameMoveCount(plan), 0u) << RenameDetails(plan, CarFolderPath(game.settings.gameFolder));
    }

    GameData fresh;
    StartUpGameData(game.settings, fresh);
    fresh.LoadCarCatalog();
    EXPECT_EQ(fresh.enabledCarCount, data.enabledCarCount);
    EXPECT_EQ(fresh.cars.size(), data.cars.size());
    EXPECT_EQ(FoldersWithBothArchives(fresh), bothAtStart);
    EXPECT_EQ(LineCount(test::ReadFileBytes(installWin)), installLines);
    for (int row = 0; row < kStockTrackSlotCount; ++row) {
      const std::string slot = fresh.SlotFolderPath(row);
      const std::string active = ReadActiveTrack(slot);
      EXPECT_TRUE(IsFolder(JoinPath(slot, active))) << slot << ": " << active;
      EXPECT_FALSE(ReadSwitchJournal(slot).has_value()) << slot;
      if (namedSlots.count(row)) {
        const std::string expected = active == kOriginalFolder
                                         ? std::string(StockTrackTable[static_cast<std::size_t>(row)].displayName)
                                         : Utf8ToGameText(active).value_or("?");
        EXPECT_EQ(fresh.gameText.text(102 + static_cast<std::size_t>(row)), expected) << slot;
      }
    }
  }
  // Every kind of step ran, the failing ones too.
  for (const char* kind : {"toggle", "switch", "switch failed", "restore", "rename"}) EXPECT_GT(seen[kind], 0) << kind;
}

}  // namespace
}  // namespace krax

// One writer per game folder: while another holder has the game folder's lock, every command
// that changes the game folder waits, then is refused with the holder's process and changes
// nothing; a switch that another program is running is not "finished" by a listing; and two
// threads running random changes at once never lose a game file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "gamedata/stock_tables.h"
#include "gamedata/track_catalog.h"
#include "operations/car_fixes.h"
#include "operations/game_folder_lock.h"
#include "operations/game_folder_lock_detail.h"
#include "operations/game_operations.h"
#include "operations/install_plan.h"
#include "operations/police_flag.h"
#include "operations/profile_state.h"
#include "operations/remove_item.h"
#include "operations/serial_numbers.h"
#include "operations/track_switch.h"
#include "operations_test_support.h"
#include "platform/file_lock.h"
#include "platform/path.h"
#include "support/run_kraxctl.h"

namespace krax {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// Every file and folder below `root` with its content, the lock file left out.
Files TreeOf(const std::string& root) {
  Files tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.path().filename() == kGameFolderLockFile) continue;
    tree[fs::relative(entry.path(), root).generic_string()] =
        entry.is_regular_file() ? test::ReadFileBytes(entry.path().string()) : std::string("D");
  }
  return tree;
}

class ShortWait : public ::testing::Test {
 protected:
  ShortWait() { SetGameFolderWait(std::chrono::milliseconds(100)); }
  ~ShortWait() override { SetGameFolderWait(std::chrono::milliseconds(2000)); }
};

using GameFolderLockTest = ShortWait;

TEST_F(GameFolderLockTest, EveryChangingCommandIsRefusedWhileAnotherHolds) {
  test::DemoGame game(/*gameText=*/true);
  game.settings.cdPath = game.manifest.cdDir;
  test::ScratchFolder work;
  const std::string trackSource = work.mkdir("Canyon");
  for (const char* name : {"TR04.frd", "TR04.col"}) work.write(std::string("Canyon/") + name, name);
  GameOperations operations(game.data, game.settings, game.prompts);
  operations.SetProfileFolder(work.mkdir("profiles"));
  game.data.LoadCarCatalog();
  const ItemRef night = game.trackFolder(3, "Dustbowl Night");
  const GameState state = ReadGameState(game.data, game.prompts);
  const std::size_t addOn = state.carSlots.at("Ravelin_GT");
  game.prompts.defaultAnswer = true;  // every question answered yes: only the lock stops them
  game.prompts.editStrings = [](const std::string& text, std::size_t) { return "x" + text; };

  const std::string lockPath = GameFolderLockPath(game.manifest.gameDir);
  ASSERT_FALSE(lockPath.empty());
  FileLock other;
  ASSERT_EQ(FileLock::TryLock(lockPath, other), FileLock::Outcome::kLocked);
  const std::string refusal =
      "The game folder is being changed by another program (process " + std::to_string(CurrentProcessId()) + ")";
  const Files before = TreeOf(game.manifest.gameDir);

  const std::vector<std::pair<const char*, std::function<OperationResult()>>> commands = {
      {"toggle", [&] { return operations.ToggleCar(CarSlot{addOn}); }},
      {"switch", [&] { return operations.SwitchTrack(night); }},
      {"install", [&] { return operations.InstallFromPath(InstallMode::kTrackFromFolder, trackSource); }},
      {"restore tracks", [&] { return operations.RestoreTracks(); }},
      {"restore slot", [&] { return operations.RestoreItemFromCd(ItemRef::StockTrackSlot(3), game.slot(3), ""); }},
      {"restore strings", [&] { return operations.RestoreStrings(); }},
      {"DIR = ID", [&] { return operations.RenameDirsToId(); }},
      {"stock game", [&] { return operations.ApplyStockGame(); }},
      {"remove", [&] { return operations.RemoveItems({ItemRef::Car(addOn)}); }},
      {"string editor", [&] { return operations.OpenStringEditor(); }},
      {"write serial", [&] { return WriteSerialNumber(game.data, game.prompts, addOn, 4321); }},
      {"police", [&] { return SetPoliceFlag(game.data, game.prompts, addOn, true); }},
      {"generate serials", [&] { return GenerateSerials(game.data, game.prompts, [] {}).result; }},
      {"fix all", [&] { return FixCarErrors(game.data, game.prompts, {}, "Fix All Errors", [] {}); }},
  };
  for (const auto& [what, run] : commands) {
    SCOPED_TRACE(what);
    const OperationResult result = run();
    EXPECT_EQ(result.status, OperationStatus::kFailed);
    EXPECT_EQ(result.message.rfind(refusal, 0), 0u) << result.message;
  }
  EXPECT_EQ(TreeOf(game.manifest.gameDir), before);
  // Readers never wait for it.
  EXPECT_EQ(ReadGameState(game.data, game.prompts).carSlots.size(), state.carSlots.size());

  other.Release();
  const OperationResult switched = operations.SwitchTrack(night);
  EXPECT_TRUE(switched.done()) << switched.message;
  EXPECT_EQ(ReadActiveTrack(game.slot(3)), "Dustbowl Night");
}

TEST_F(GameFolderLockTest, ASwitchAnotherProgramIsRunningIsLeftToIt) {
  test::DemoGame game;
  const std::string slot = game.slot(3);
  const std::string journal = slot + "/" + kSwitchJournalFile;
  std::ofstream(journal, std::ios::binary) << "Dustbowl Night\n";
  FileLock other;
  ASSERT_EQ(FileLock::TryLock(GameFolderLockPath(game.manifest.gameDir), other), FileLock::Outcome::kLocked);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(ResumeInterruptedSwitches(game.data, game.prompts), 0);
  // A listing does not wait for the other program either.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(90));
  EXPECT_TRUE(fs::exists(journal));
  EXPECT_EQ(ReadActiveTrack(slot), "Dustbowl");
  EXPECT_TRUE(game.prompts.messages.empty());

  // Once nobody holds the lock the journal is a switch cut short, and it is finished.
  other.Release();
  EXPECT_EQ(ResumeInterruptedSwitches(game.data, game.prompts), 1);
  EXPECT_FALSE(fs::exists(journal));
  EXPECT_EQ(ReadActiveTrack(slot), "Dustbowl Night");
}

TEST(GameFolderLock, KraxctlWaitsForAnotherProgramThenSaysWhichOne) {
  test::DemoGame game;
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", game.dir / "settings.ini", "--game", game.manifest.gameDir});
    return test::RunKraxctl(args);
  };
  FileLock other;
  ASSERT_EQ(FileLock::TryLock(GameFolderLockPath(game.manifest.gameDir), other), FileLock::Outcome::kLocked);
  const Files before = TreeOf(game.manifest.gameDir);
  test::KraxctlRun r = run({"switch", "3", "Dustbowl Night"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("being changed by another program (process " + std::to_string(CurrentProcessId()) + ")"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(TreeOf(game.manifest.gameDir), before);
  // Listing is reading: it neither waits nor fails.
  r = run({"tracks"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  other.Release();
  r = run({"switch", "3", "Dustbowl Night"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadActiveTrack(game.slot(3)), "Dustbowl Night");
}

// Two writers, each with its own view of the game (as two programs would have), running random
// switches, toggles, stock-game applies, track installs and car removals on one game folder.
TEST(GameFolderLock, TwoWritersAtOnceLoseNoGameFile) {
  test::DemoGame game;
  test::ScratchFolder work;
#ifndef _WIN32
  const test::ScopedEnv dataHome("XDG_DATA_HOME", work.mkdir("data"));
#endif
  const std::string tracksOnCd = game.manifest.cdDir + "/GameData/Tracks";
  std::vector<Files> stock(kStockTrackSlotCount);
  for (int row = 0; row < kStockTrackSlotCount; ++row) {
    stock[static_cast<std::size_t>(row)] = test::FilesIn(tracksOnCd + "/" + BaseName(game.slot(row)));
  }
  const std::uint32_t seed = 8122026;

  auto writer = [&](int id, int steps, std::vector<std::string>& failures) {
    std::mt19937 random(seed + static_cast<std::uint32_t>(id));
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    Settings settings = game.settings;
    GameData data;
    StartUpGameData(settings, data);
    test::ScriptedPrompts prompts;
    prompts.defaultAnswer = true;
    GameOperations operations(data, settings, prompts);
    operations.SetProfileFolder(work.mkdir("profiles" + std::to_string(id)));
    for (int step = 0; step < steps; ++step) {
      const std::size_t what = pick(6);
      OperationResult result;
      if (what <= 1) {
        std::vector<ItemRef> folders;
        ResumeInterruptedSwitches(data, prompts);
        data.LoadTrackCatalog([&](int, const std::string&, bool, int n) {
          folders.push_back(ItemRef::TrackFolder(static_cast<std::size_t>(n)));
        });
        result = operations.SwitchTrack(folders[pick(folders.size())]);
      } else if (what == 2) {
        data.ClearCarTable();
        data.LoadCarCatalog();
        result = operations.ToggleCar(CarSlot{pick(data.cars.size())});
      } else if (what == 3) {
        result = operations.ApplyStockGame();
      } else if (what == 4) {
        const int row = static_cast<int>(pick(kStockTrackSlotCount));
        const std::string name = "W" + std::to_string(id) + "T" + std::to_string(step);
        const std::string source = work.mkdir(name);
        const std::string prefix = "TR0" + std::to_string(row);
        for (const std::string& file : {prefix + ".frd", prefix + ".col", std::string("sky.jpg")}) {
          work.write(name + "/" + file, name + " " + file);
        }
        result = operations.InstallFromPath(InstallMode::kTrackFromFolder, source);
      } else {
        data.ClearCarTable();
        data.LoadCarCatalog();
        const std::size_t slot = pick(data.cars.size());
        if (!RemoveRefusal(data, ItemRef::Car(slot)).empty()) continue;
        result = operations.RemoveItems({ItemRef::Car(slot)});
      }
      if (result.message.find("being changed by another program") != std::string::npos) {
        failures.push_back("writer " + std::to_string(id) + " step " + std::to_string(step) + ": " + result.message);
      }
    }
  };
  std::vector<std::string> failuresA, failuresB;
  std::thread a([&] { writer(1, 30, failuresA); });
  writer(2, 30, failuresB);
  a.join();
  // Each change is short: neither writer waits long enough to be refused.
  EXPECT_TRUE(failuresA.empty()) << failuresA.front();
  EXPECT_TRUE(failuresB.empty()) << failuresB.front();

  // Every game file is in its slot or in the slot's "Original"; a fresh load agrees with the
  // files: no switch left half done, and the active track's files are the ones in the slot.
  GameData fresh;
  StartUpGameData(game.settings, fresh);
  EXPECT_EQ(ResumeInterruptedSwitches(fresh, game.prompts), 0);
  for (int row = 0; row < kStockTrackSlotCount; ++row) {
    const std::string slot = game.slot(row);
    SCOPED_TRACE(slot);
    const Files inSlot = test::FilesIn(slot);
    const Files original = test::FilesIn(slot + "/Original");
    for (const auto& [name, bytes] : stock[static_cast<std::size_t>(row)]) {
      const bool kept = (inSlot.count(name) && inSlot.at(name) == bytes) || (original.count(name) && original.at(name) == bytes);
      EXPECT_TRUE(kept) << name;
    }
    const std::string active = ReadActiveTrack(slot);
    if (active.empty() || active == kOriginalFolder) {
      EXPECT_TRUE(original.empty());
      continue;
    }
    for (const auto& [name, bytes] : test::FilesIn(slot + "/" + active)) {
      EXPECT_EQ(inSlot.count(name) ? inSlot.at(name) : "(missing)", bytes) << active << "/" << name;
    }
  }
}

}  // namespace
}  // namespace krax

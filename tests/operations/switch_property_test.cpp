// Random switches of one slot with failures injected between and during them: no game file and
// no add-on file is ever lost, every switch that reports success leaves the slot exactly as
// the game must see it, and every switch that fails leaves the slot exactly as it was.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <optional>
#include <random>
#include <set>

#include "gamedata/track_catalog.h"
#include "operations/track_switch.h"
#include "operations_test_support.h"
#include "platform/file_system.h"

namespace krax {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// Everything under `folder`: each folder ("D") and each file (read-only mark and content),
// by path below it.
Files TreeOf(const std::string& folder) {
  Files tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string path = fs::relative(entry.path(), folder).string();
    tree[path] = entry.is_directory() ? std::string("D")
                                      : (IsReadOnly(entry.path().string()) ? "R:" : "W:") +
                                            test::ReadFileBytes(entry.path().string());
  }
  return tree;
}

TEST(SwitchProperty, RandomSwitchesWithFailuresLoseNothing) {
  const std::uint32_t seed = 20261207;
  std::mt19937 random(seed);
  // Every copy is synced to disk; in memory the few thousand file operations take a moment.
  std::optional<test::ScopedEnv> inMemory;
  if (::access("/dev/shm", W_OK) == 0) inMemory.emplace("TMPDIR", "/dev/shm");
  test::DemoGame game;
  const std::string slot = game.slot(3);  // "Dustbowl" active, "Dustbowl Night" beside it
  const std::string original = slot + "/Original";
  const Files stock = test::FilesIn(game.manifest.cdDir + "/GameData/Tracks/Trk003");
  std::map<std::string, Files> addOns = {{"Original", {}}};
  for (const char* name : {"Dustbowl", "Dustbowl Night"}) addOns[name] = test::FilesIn(slot + "/" + name);
  ASSERT_FALSE(stock.empty());
  ASSERT_EQ(addOns["Dustbowl"].size(), 5u);

  std::vector<std::string> names;  // every file name that can appear in the slot
  for (const auto& [name, bytes] : stock) names.push_back(name);
  for (const auto& [track, files] : addOns) {
    for (const auto& [name, bytes] : files) names.push_back(name);
  }
  const std::vector<std::string> targets = {"Original", "Dustbowl", "Dustbowl Night"};
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };

  int succeeded = 0, failed = 0;
  const int rounds = inMemory ? 300 : 150;  // on a disk every copy waits for its sync
  for (int round = 0; round < rounds; ++round) {
    const std::string& target = targets[pick(targets.size())];
    const Files& addOn = addOns[target];
    SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round) + ", to " + target);

    // Failures: a folder where a file goes, a read-only file, a track file that vanishes
    // while the switch runs (and comes back afterwards).
    const std::size_t failure = pick(10);
    if (failure < 2) {
      const std::string where = (pick(2) ? slot : original) + "/" + names[pick(names.size())];
      if (!fs::exists(where)) fs::create_directory(where);
    } else if (failure == 2) {
      const Files inSlot = test::FilesIn(slot);
      auto it = inSlot.begin();
      std::advance(it, static_cast<long>(pick(inSlot.size())));
      SetReadOnly(slot + "/" + it->first, true);
    }
    std::string vanished;
    const fs::path stash = game.dir / "stash";
    SwitchStepHook hook;
    if (failure == 3 && !addOn.empty()) {
      // Between two steps of the install, after the track folder was listed.
      const std::size_t at = pick(2 * addOn.size());
      auto it = addOn.begin();
      std::advance(it, static_cast<long>(pick(addOn.size())));
      vanished = slot + "/" + target + "/" + it->first;
      hook = [&, at, step = std::size_t{0}](const std::string& what) mutable {
        const bool install = what.rfind("keep ", 0) == 0 || what.rfind("copy ", 0) == 0;
        if (install && step++ == at && fs::exists(vanished)) fs::rename(vanished, stash);
        return true;
      };
    }

    const Files before = TreeOf(slot);
    const std::string activeBefore = ReadActiveTrack(slot);
    const SwitchOutcome outcome = SwitchSlot(slot, target, hook);
    ASSERT_FALSE(outcome.stopped);
    if (!vanished.empty() && fs::exists(stash)) fs::rename(stash, vanished);
    // A fresh look at the slot agrees with what the switch reported.
    EXPECT_EQ(ReadActiveTrack(slot), outcome.ok() ? target : activeBefore);

    // Nothing is lost: every game file is in the slot or in "Original", every track keeps its files.
    const Files inSlot = test::FilesIn(slot);
    const Files kept = test::FilesIn(original);
    for (const auto& [name, bytes] : stock) {
      const bool found = (inSlot.count(name) && inSlot.at(name) == bytes) || (kept.count(name) && kept.at(name) == bytes);
      ASSERT_TRUE(found) << "game file " << name << " lost";
    }
    for (const auto& [track, files] : addOns) {
      if (track != "Original") {
        ASSERT_EQ(test::FilesIn(slot + "/" + track), files) << track;
      }
    }

    if (outcome.ok()) {
      ++succeeded;
      for (const auto& [name, bytes] : stock) {
        const auto own = addOn.find(name);
        EXPECT_EQ(inSlot.at(name), own != addOn.end() ? own->second : bytes) << name;
        EXPECT_EQ(kept.count(name), own != addOn.end() ? 1u : 0u) << name;
      }
      for (const auto& [name, bytes] : addOn) EXPECT_EQ(inSlot.at(name), bytes) << name;
      EXPECT_EQ(ReadActiveTrack(slot), target);
      EXPECT_FALSE(ReadSwitchJournal(slot).has_value());
    } else {
      ++failed;
      // Every step it made was undone: the slot is byte for byte as before, journal gone.
      EXPECT_TRUE(outcome.undone);
      EXPECT_EQ(TreeOf(slot), before);
      EXPECT_FALSE(ReadSwitchJournal(slot).has_value());
    }

    // Now and then the player clears what was in the way.
    if (pick(3) == 0) {
      for (const std::string& folder : {slot, original}) {
        for (const std::string& name : names) {
          const fs::path path = folder + "/" + name;
          if (fs::is_directory(path) && fs::is_empty(path)) fs::remove(path);
        }
        for (const auto& [name, bytes] : test::FilesIn(folder)) SetReadOnly(folder + "/" + name, false);
      }
    }
  }
  // Both kinds of outcome were exercised.
  EXPECT_GT(succeeded, rounds / 3);
  EXPECT_GT(failed, rounds / 15);
}

}  // namespace
}  // namespace krax

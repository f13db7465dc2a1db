// How a slot's track names meet the disk: Atrack.ini spelling a folder in another letter case,
// a switch cut short whose folder has gone since, a new version installed over the active
// track, and names that Windows reads as other names or devices.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "gamedata/track_catalog.h"
#include "operations/file_names.h"
#include "operations/game_operations.h"
#include "operations/install_run.h"
#include "operations/remove_item.h"
#include "operations/track_switch.h"
#include "operations_test_support.h"
#include "platform/path.h"

namespace krax {
namespace {

namespace fs = std::filesystem;
using test::FilesIn;
using Files = std::map<std::string, std::string>;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The active folders of slot `row` as the tree shows them.
std::vector<std::string> ActiveShown(GameData& data, int row) {
  std::vector<std::string> active;
  data.LoadTrackCatalog([&](int r, const std::string& name, bool isActive, int) {
    if (r == row && isActive) active.push_back(name);
  });
  return active;
}

// Slot 3 of the demo plays "Dustbowl"; the stock files it replaced wait in "Original".
TEST(SlotNames, AtrackIniNamesItsFolderIgnoringCase) {
  test::DemoGame game;
  test::ScratchFolder trash;
  test::ScopedEnv dataHome("XDG_DATA_HOME", trash.path());
  const std::string slot = game.slot(3);
  const Files stock = FilesIn(slot + "/Original");
  ASSERT_FALSE(stock.empty());
  ASSERT_TRUE(WriteActiveTrack(slot, "dUSTBOWL"));
  EXPECT_EQ(ActiveShown(game.data, 3), std::vector<std::string>{"Dustbowl"});
  EXPECT_EQ(ActiveTrackFolder(slot), "Dustbowl");

  // Removing it puts the game's own files back first.
  const OperationResult removed = RemoveAddOns(game.data, game.prompts, {game.trackFolder(3, "Dustbowl")});
  ASSERT_TRUE(removed.done()) << removed.message;
  ASSERT_FALSE(game.prompts.questions.empty());
  EXPECT_TRUE(Contains(game.prompts.questions.front(), "An active track is first switched back to \"Original\""))
      << game.prompts.questions.front();
  EXPECT_FALSE(fs::exists(test::PathOf(slot + "/Dustbowl")));
  EXPECT_EQ(ReadActiveTrack(slot), kOriginalFolder);
  EXPECT_TRUE(FilesIn(slot + "/Original").empty());
  for (const auto& [name, bytes] : stock) EXPECT_EQ(FilesIn(slot)[name], bytes) << name;
}

#ifndef _WIN32
// Where a file system holds both spellings, the exact one is the active folder.
TEST(SlotNames, TheExactSpellingWinsOverACaseTwin) {
  test::DemoGame game;
  const std::string slot = game.slot(3);
  fs::create_directory(slot + "/dustbowl");
  for (const char* value : {"dustbowl", "Dustbowl", "DUSTBOWL"}) {
    SCOPED_TRACE(value);
    ASSERT_TRUE(WriteActiveTrack(slot, value));
    const std::string expected = std::string(value) == "DUSTBOWL" ? "Dustbowl" : value;  // the first listed
    EXPECT_EQ(ActiveShown(game.data, 3), std::vector<std::string>{expected});
    EXPECT_EQ(ActiveTrackFolder(slot), expected);
  }
}
#endif

// A switch cut short after any step whose target folder is gone by the next load: the slot
// ends on its own track and Atrack.ini never names the missing folder.
TEST(SlotNames, AResumedSwitchWhoseFolderVanishedEndsOnOriginal) {
  test::DemoGame game;
  const std::string slot = game.slot(3);
  const Files stock = FilesIn(slot + "/Original");
  const fs::path saved = game.dir.path() + "/saved-slot";
  fs::copy(slot, saved, fs::copy_options::recursive);
  int rounds = 0;
  for (int stopAt = 1;; ++stopAt) {
    fs::remove_all(slot);
    fs::copy(saved, slot, fs::copy_options::recursive);
    int step = 0;
    const SwitchOutcome cut = SwitchSlot(slot, "Dustbowl Night", [&](const std::string&) { return step++ < stopAt; });
    if (!cut.stopped) break;
    SCOPED_TRACE("stopped before step " + std::to_string(stopAt));
    ++rounds;
    fs::remove_all(slot + "/Dustbowl Night");
    game.prompts.messages.clear();
    EXPECT_EQ(ResumeInterruptedSwitches(game.data, game.prompts), 1);
    ASSERT_EQ(game.prompts.messages.size(), 1u);
    EXPECT_TRUE(Contains(game.prompts.messages[0], "that folder is gone")) << game.prompts.messages[0];
    EXPECT_TRUE(Contains(game.prompts.messages[0], "switched back to \"Original\" instead")) << game.prompts.messages[0];
    EXPECT_EQ(ReadActiveTrack(slot), kOriginalFolder);
    EXPECT_FALSE(ReadSwitchJournal(slot).has_value());
    EXPECT_TRUE(FilesIn(slot + "/Original").empty());
    for (const auto& [name, bytes] : stock) EXPECT_EQ(FilesIn(slot)[name], bytes) << name;
  }
  EXPECT_GE(rounds, 3);
}

// A new version of the active track goes live: the slot leaves the old copies on "Original"
// first and takes the new files after; when it cannot leave them, nothing is installed.
TEST(SlotNames, InstallingOverTheActiveTrackSwitchesAroundIt) {
  struct Case {
    const char* what;
    bool blocked;  // a folder in the slot stands where a kept file must go back
  };
  for (const Case& c : {Case{"switch back possible", false}, Case{"switch back blocked", true}}) {
    SCOPED_TRACE(c.what);
    test::DemoGame game;
    test::ScratchFolder sources;
    const std::string slot = game.slot(3);
    const std::string source = sources.mkdir("Dustbowl");
    sources.write("Dustbowl/TR03.frd", "new road");
    sources.write("Dustbowl/TR03.col", "new walls");
    if (c.blocked) {
      std::ofstream(test::PathOf(slot + "/Original/blocker.dat"), std::ios::binary) << "stock";
      fs::create_directory(test::PathOf(slot + "/blocker.dat"));
    }
    const Files before = FilesIn(slot);
    const Files oldVersion = FilesIn(slot + "/Dustbowl");
    const Files stock = FilesIn(slot + "/Original");
    game.prompts.installDialog = [](InstallDialogState& state) {
      state.id = "Dustbowl";
      return true;
    };
    GameOperations operations(game.data, game.settings, game.prompts);
    const OperationResult result = operations.InstallFromPath(InstallMode::kTrackFromFolder, source);
    ASSERT_FALSE(game.prompts.questions.empty());
    EXPECT_TRUE(Contains(game.prompts.questions.back(), "It is the active track of")) << game.prompts.questions.back();
    EXPECT_EQ(ReadActiveTrack(slot), "Dustbowl");
    if (c.blocked) {
      EXPECT_EQ(result.status, OperationStatus::kFailed);
      EXPECT_TRUE(Contains(result.message, "could not be switched back to \"Original\" first")) << result.message;
      EXPECT_EQ(FilesIn(slot + "/Dustbowl"), oldVersion);
      EXPECT_EQ(FilesIn(slot), before);
      EXPECT_EQ(FilesIn(slot + "/Original"), stock);
    } else {
      ASSERT_TRUE(result.done()) << result.message;
      EXPECT_TRUE(Contains(result.message, "is its active track again, in the new version")) << result.message;
      EXPECT_EQ(FilesIn(slot)["TR03.frd"], "new road");
      EXPECT_EQ(FilesIn(slot)["TR03.col"], "new walls");
      EXPECT_EQ(FilesIn(slot + "/Dustbowl")["TR03.frd"], "new road");
      // "Original" keeps the game's own files, never a copy of the old version.
      const Files kept = FilesIn(slot + "/Original");
      for (const auto& [name, bytes] : stock) EXPECT_EQ(kept.count(name) ? kept.at(name) : "(missing)", bytes) << name;
      EXPECT_EQ(ActiveShown(game.data, 3), std::vector<std::string>{"Dustbowl"});
    }
  }
}

// Names Windows changes (a trailing dot or blank), reserves (devices) or cannot hold.
TEST(SlotNames, NamesWindowsWouldAlterOrReserveAreRefused) {
  struct Case {
    const char* name;
    bool usable;
  };
  const Case cases[] = {
      {"Dustbowl", true},    {"Original", true},  {"CONVOY", true},    {"COM0", true},   {"LPT10", true},
      {"a.b.c", true},       {"NULL", true},      {".hidden", true},   {"Original.", false}, {"Original ", false},
      {" ", false},          {"", false},         {".", false},        {"..", false},    {"CON", false},
      {"con", false},        {"NUL.txt", false},  {"nul .viv", false}, {"AUX", false},   {"PRN.a.b", false},
      {"COM1", false},       {"com9.zip", false}, {"LPT1", false},     {"Lpt9", false},  {"a*b", false},
      {"a?b", false},        {"a<b", false},      {"a>b", false},      {"a|b", false},   {"a\"b", false},
      {"a:b", false},        {"a/b", false},      {"a\\b", false},     {"tab\there", false}, {"x\x7f", false},
  };
  test::DemoGame game;
  GameOperations operations(game.data, game.settings, game.prompts);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("\"") + c.name + "\"");
    EXPECT_EQ(IsUsableFileName(c.name), c.usable);
    // As a track's install ID (other than "Original") and as a car's.
    const bool original = EqualsIgnoreCase(c.name, kOriginalFolder);
    EXPECT_EQ(InstallIdProblem(c.name, true).empty(), c.usable && !original);
    EXPECT_EQ(InstallIdProblem(c.name, false).empty(), c.usable);
    // A switch to such a name changes nothing.
    if (!c.usable && *c.name != '\0') {
      const SwitchOutcome outcome = SwitchSlot(game.slot(3), c.name);
      EXPECT_FALSE(outcome.ok());
      EXPECT_EQ(ReadActiveTrack(game.slot(3)), "Dustbowl");
    }
  }
  // Through the install itself: the dialog's ID is refused and nothing arrives.
  const auto folders = [&] {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(test::PathOf(game.slot(3)))) names.push_back(test::Utf8Of(entry.path()));
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = folders();
  test::ScratchFolder sources;
  const std::string source = sources.mkdir("Track");
  sources.write("Track/TR03.frd", "road");
  for (const char* id : {"Original.", "CON", "a*b", " "}) {
    SCOPED_TRACE(id);
    game.prompts.messages.clear();
    int shown = 0;
    game.prompts.installDialog = [&](InstallDialogState& state) {
      state.id = id;
      return shown++ == 0;  // OK once, then Cancel
    };
    EXPECT_FALSE(operations.InstallFromPath(InstallMode::kTrackFromFolder, source).done());
    ASSERT_FALSE(game.prompts.messages.empty());
    EXPECT_TRUE(Contains(game.prompts.messages.back(), "Windows would change or reserve it")) << game.prompts.messages.back();
  }
  EXPECT_EQ(folders(), before);
}

}  // namespace
}  // namespace krax

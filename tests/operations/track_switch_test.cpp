#include "operations/track_switch.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "gamedata/game_text.h"
#include "gamedata/stock_tables.h"
#include "gamedata/track_catalog.h"
#include "operations/game_operations.h"
#include "operations_test_support.h"

namespace krax {
namespace {

namespace fs = std::filesystem;
using test::FilesIn;
using Files = std::map<std::string, std::string>;

// Slot Trk005 of the demo holds only stock files; two add-ons are placed beside them:
// "Alpha" brings its own TR05.frd and a new file, "Beta" its own TR05.col.
class SlotSwitch : public ::testing::Test {
 protected:
  explicit SlotSwitch(bool gameText = true) : game_(gameText) {}
  void SetUp() override {
    slot_ = game_.slot(5);
    original_ = slot_ + "/Original";
    stock_ = FilesIn(slot_);
    ASSERT_TRUE(stock_.count("TR05.frd") && stock_.count("TR05.col"));
    game_.dir.write(Rel(slot_ + "/Alpha/TR05.frd"), "alpha frd");
    game_.dir.write(Rel(slot_ + "/Alpha/extra.dat"), "alpha extra");
    game_.dir.write(Rel(slot_ + "/Beta/TR05.col"), "beta col");
  }
  std::string Rel(const std::string& path) const { return path.substr(game_.dir.path().size() + 1); }
  OperationResult Switch(const std::string& name) {
    GameOperations operations(game_.data, game_.settings, game_.prompts);
    return operations.SwitchTrack(game_.trackFolder(5, name));
  }
  Files Expected(const Files& overlay) const {
    Files files = stock_;
    for (const auto& [name, bytes] : overlay) files[name] = bytes;
    return files;
  }

  test::DemoGame game_;
  std::string slot_, original_;
  Files stock_;
};

TEST_F(SlotSwitch, AddOnOverStockBackToOriginalAndAddOnToAddOn) {
  ASSERT_TRUE(Switch("Alpha").done());
  Files expected = Expected({{"TR05.frd", "alpha frd"}, {"extra.dat", "alpha extra"}});
  expected["Atrack.ini"] = FilesIn(slot_)["Atrack.ini"];
  EXPECT_EQ(FilesIn(slot_), expected);
  EXPECT_EQ(FilesIn(original_), (Files{{"TR05.frd", stock_["TR05.frd"]}}));
  EXPECT_EQ(ReadActiveTrack(slot_), "Alpha");
  EXPECT_EQ(FilesIn(slot_ + "/Alpha").size(), 2u);  // the track folder keeps its files
  // String editing is on: slot 5 names its track in string 107, on disk too.
  GameTextTable onDisk;
  onDisk.Load(test::ReadFileBytes(game_.data.GameTextPath()));
  ASSERT_GT(onDisk.count(), 107u);
  EXPECT_EQ(onDisk.text(107), "Alpha");

  ASSERT_TRUE(Switch("Original").done());
  EXPECT_EQ(FilesIn(slot_)["TR05.frd"], stock_["TR05.frd"]);
  EXPECT_EQ(FilesIn(slot_)["extra.dat"], "alpha extra");  // no stock counterpart: it stays
  EXPECT_TRUE(FilesIn(original_).empty());
  EXPECT_EQ(ReadActiveTrack(slot_), "Original");
  onDisk.Load(test::ReadFileBytes(game_.data.GameTextPath()));
  EXPECT_EQ(onDisk.text(107), StockTrackTable[5].displayName);

  // From one add-on to another: the stock files come back first.
  ASSERT_TRUE(Switch("Alpha").done());
  ASSERT_TRUE(Switch("Beta").done());
  EXPECT_EQ(FilesIn(original_), (Files{{"TR05.col", stock_["TR05.col"]}}));
  EXPECT_EQ(FilesIn(slot_)["TR05.frd"], stock_["TR05.frd"]);
  EXPECT_EQ(FilesIn(slot_)["TR05.col"], "beta col");
  EXPECT_TRUE(game_.prompts.messages.empty());
  EXPECT_FALSE(fs::exists(slot_ + "/" + kSwitchJournalFile));
}

TEST_F(SlotSwitch, OnlyAListedTrackFolderCanBeSwitchedTo) {
  game_.trackFolder(5, "Alpha");  // loads the catalog
  const std::size_t listEnd = game_.data.trackFolders.size();
  const Files before = FilesIn(slot_);
  GameOperations operations(game_.data, game_.settings, game_.prompts);
  for (const ItemRef item : {ItemRef::Car(0), ItemRef::StockTrackSlot(5), ItemRef::Group(1),
                             ItemRef::TrackFolder(listEnd), ItemRef::TrackFolder(listEnd + 1000)}) {
    SCOPED_TRACE(std::to_string(static_cast<int>(item.kind)) + "/" + std::to_string(item.index));
    const OperationResult result = operations.SwitchTrack(item);
    EXPECT_EQ(result.status, OperationStatus::kFailed);
    EXPECT_FALSE(result.message.empty());
    EXPECT_EQ(FilesIn(slot_), before);
    EXPECT_EQ(ReadActiveTrack(slot_), kOriginalFolder);
  }
  // The same list position that names a folder switches to it.
  EXPECT_TRUE(operations.SwitchTrack(game_.trackFolder(5, "Beta")).done());
}

TEST_F(SlotSwitch, TrackNamesGoIntoTheGameTextInItsCodePageOrNotAtAll) {
  struct Case {
    std::string folder;    // UTF-8, as folder names are
    bool fits;             // Windows-1252 holds every character
    std::string expected;  // string 107 afterwards
  };
  const std::vector<Case> cases = {
      {"D\xC3\xBCstbowl", true, "D\xFCstbowl"},
      {"Caf\xC3\xA9 \xE2\x82\xAC", true, "Caf\xE9 \x80"},
      {"Star \xE2\x98\x85", false, "Caf\xE9 \x80"},  // no star in the code page: the text keeps the last name
      {"Original", true, std::string(StockTrackTable[5].displayName)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    if (c.folder != "Original") game_.dir.write(Rel(slot_ + "/" + c.folder + "/TR05.frd"), "frd of " + c.folder);
    game_.prompts.messages.clear();
    const OperationResult result = Switch(c.folder);
    ASSERT_TRUE(result.done()) << result.message;  // the slot switched either way
    EXPECT_EQ(ReadActiveTrack(slot_), c.folder);
    GameTextTable onDisk;
    onDisk.Load(test::ReadFileBytes(game_.data.GameTextPath()));
    EXPECT_EQ(onDisk.text(107), c.expected);
    if (c.fits) {
      EXPECT_TRUE(game_.prompts.messages.empty());
    } else {
      ASSERT_EQ(game_.prompts.messages.size(), 1u);
      EXPECT_NE(game_.prompts.messages[0].find("code page"), std::string::npos) << game_.prompts.messages[0];
    }
  }
}

class SlotSwitchTextOff : public SlotSwitch {
 protected:
  SlotSwitchTextOff() : SlotSwitch(false) {}
};

TEST_F(SlotSwitchTextOff, ChangesNoTextFile) {
  const Files before = FilesIn(game_.manifest.gameDir + "/FeData/Text");
  ASSERT_TRUE(Switch("Alpha").done());
  ASSERT_TRUE(Switch("Original").done());
  EXPECT_EQ(FilesIn(game_.manifest.gameDir + "/FeData/Text"), before);
}

TEST_F(SlotSwitch, NeverReplacesAGameFileKeptInOriginal) {
  // A restore that failed earlier left the game's own TR05.frd in "Original" while the slot
  // holds an add-on's copy. Installing a track over it keeps the game's file.
  game_.dir.write(Rel(original_ + "/TR05.frd"), stock_["TR05.frd"]);
  game_.dir.write(Rel(slot_ + "/TR05.frd"), "stale add-on copy");
  std::vector<std::string> problems;
  ASSERT_TRUE(TransferFolderEntries(slot_, slot_ + "/Alpha", original_, problems));
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(FilesIn(original_)["TR05.frd"], stock_["TR05.frd"]);
  EXPECT_EQ(FilesIn(slot_)["TR05.frd"], "alpha frd");

  // A folder in the slot's way: the restore cannot put the game's file back, the next install
  // must neither replace it nor copy over the folder; both are reported, and every step the
  // switch made is undone.
  fs::remove(slot_ + "/TR05.frd");
  game_.dir.write(Rel(slot_ + "/TR05.frd/inside.txt"), "someone's folder");
  const Files slotBefore = FilesIn(slot_), keptBefore = FilesIn(original_);
  const std::string activeBefore = ReadActiveTrack(slot_);
  const OperationResult result = Switch("Alpha");
  EXPECT_EQ(result.status, OperationStatus::kFailed);
  EXPECT_NE(result.message.find("TR05.frd"), std::string::npos) << result.message;
  EXPECT_NE(result.message.find("is as it was before"), std::string::npos) << result.message;
  EXPECT_EQ(FilesIn(original_), keptBefore);
  EXPECT_EQ(FilesIn(slot_ + "/TR05.frd")["inside.txt"], "someone's folder");
  EXPECT_EQ(FilesIn(slot_), slotBefore);
  EXPECT_EQ(ReadActiveTrack(slot_), activeBefore);

  // Once the folder is gone the switch completes.
  fs::remove_all(slot_ + "/TR05.frd");
  ASSERT_TRUE(Switch("Beta").done());
  EXPECT_EQ(FilesIn(slot_)["TR05.frd"], stock_["TR05.frd"]);
}

TEST_F(SlotSwitch, ASwitchCutShortAfterAnyStepIsCompletedOnTheNextLoad) {
  ASSERT_TRUE(Switch("Alpha").done());
  const fs::path saved = game_.dir / "saved-slot";
  fs::copy(slot_, saved, fs::copy_options::recursive);
  auto restoreSlot = [&] {
    fs::remove_all(slot_);
    fs::copy(saved, slot_, fs::copy_options::recursive);
  };
  auto snapshot = [&] {
    return std::make_pair(FilesIn(slot_), FilesIn(original_));
  };
  ASSERT_TRUE(SwitchSlot(slot_, "Beta").ok());
  const auto finished = snapshot();

  int steps = 0;
  for (int stopAt = 0;; ++stopAt) {
    restoreSlot();
    int step = 0;
    const SwitchOutcome cut = SwitchSlot(slot_, "Beta", [&](const std::string&) { return step++ < stopAt; });
    if (!cut.stopped) break;
    ++steps;
    game_.prompts.messages.clear();
    const bool journalled = stopAt > 0;
    EXPECT_EQ(ReadSwitchJournal(slot_).has_value(), journalled) << "stopped before step " << stopAt;
    EXPECT_EQ(ResumeInterruptedSwitches(game_.data, game_.prompts), journalled ? 1 : 0);
    if (!journalled) continue;  // stopped before anything changed
    EXPECT_EQ(snapshot(), finished) << "stopped before step " << stopAt;
    EXPECT_FALSE(ReadSwitchJournal(slot_).has_value());
    ASSERT_EQ(game_.prompts.messages.size(), 1u);
    EXPECT_NE(game_.prompts.messages[0].find("interrupted"), std::string::npos);
  }
  EXPECT_EQ(steps, 6);  // journal, restore, keep, copy, Atrack.ini, journal removal
}

}  // namespace
}  // namespace krax

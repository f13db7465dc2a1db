// What Remove refuses before asking anything: the game's own cars (by ID or by folder name),
// the slots' "Original" folders, the slots themselves and the groups.
#include <gtest/gtest.h>

#include <filesystem>

#include "gamedata/track_catalog.h"
#include "operations/profile_state.h"
#include "operations/remove_item.h"
#include "operations_test_support.h"
#include "platform/path.h"

namespace krax {
namespace {

// The add-on track `name` of slot `row`; no item when the slot has none of that name.
ItemRef TrackFolderNamed(const GameState& state, int row, const std::string& name) {
  for (const auto& [n, folder] : state.trackFolders[static_cast<std::size_t>(row)]) {
    if (n == name) return folder;
  }
  return ItemRef();
}

TEST(RemoveRefusal, TheGamesOwnThingsAreNeverRemovable) {
  test::DemoGame game;
  // An add-on in a folder named like a stock car stays too: it may be the stock car renamed.
  std::filesystem::copy(game.manifest.gameDir + "/GameData/CarModel/KOVA",
                        game.manifest.gameDir + "/GameData/CarModel/Classics/pelo");
#ifndef _WIN32
  // Folders whose names Windows reads as other names or as devices: "Original." is the
  // slot's "Original" there.
  for (const char* name : {"Original.", "CON", "a*b"}) std::filesystem::create_directory(game.slot(3) + "/" + name);
  std::filesystem::copy(game.manifest.gameDir + "/GameData/CarModel/KOVA", game.manifest.gameDir + "/GameData/CarModel/NUL.car");
#endif
  const GameState state = ReadGameState(game.data, game.prompts);
  const auto car = [&](const std::string& folder) { return ItemRef::Car(state.carSlots.at(folder)); };
  const auto track = [&](int row, const std::string& name) { return TrackFolderNamed(state, row, name); };
  struct Case {
    const char* what;
    ItemRef item;
    const char* refusal;  // part of the reason; "" = removable
  };
  std::vector<Case> cases = {
      {"stock car", car("PELO"), "game's own cars"},
      {"stock ID in a sub-folder", car("Classics/GLYD"), "game's own cars"},
      {"folder named like a stock car", car("Classics/pelo"), "game's own cars"},
      {"add-on car", car("KOVA"), ""},
      {"add-on car without front-end data", car("1002"), ""},
      {"Original folder", track(3, "Original"), "\"Original\""},
      {"add-on track", track(3, "Dustbowl Night"), ""},
      {"stock slot", ItemRef::StockTrackSlot(3), "Only add-on"},
      {"cars group", ItemRef::Group(0), "Only add-on"},
      {"past the track list", ItemRef::TrackFolder(100000), "Only add-on"},
      {"empty car slot", ItemRef::Car(998), "no car"},
  };
#ifndef _WIN32
  for (const char* name : {"Original.", "CON", "a*b"}) {
    cases.push_back({name, track(3, name), "means another name or a device on Windows"});
  }
  cases.push_back({"car folder NUL.car", car("NUL.car"), "means another name or a device on Windows"});
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string refusal = RemoveRefusal(game.data, c.item);
    if (*c.refusal == '\0') {
      EXPECT_EQ(refusal, "");
    } else {
      EXPECT_NE(refusal.find(c.refusal), std::string::npos) << refusal;
      // Refused items are never asked about and stay.
      const std::size_t asked = game.prompts.questions.size();
      EXPECT_EQ(RemoveAddOns(game.data, game.prompts, {c.item}).status, OperationStatus::kFailed);
      EXPECT_EQ(game.prompts.questions.size(), asked);
    }
  }
}

// Car and track folders reached through links: what lies outside the game (a linked group
// folder of a collection elsewhere) is never moved; a link to a folder of the game itself is.
TEST(RemoveRefusal, AFolderALinkLeadsOutOfTheGameStays) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need privileges on Windows";
#else
  test::DemoGame game;
  test::ScratchFolder elsewhere;
  namespace fs = std::filesystem;
  const std::string carModel = game.manifest.gameDir + "/GameData/CarModel";
  fs::create_directories(elsewhere / "Collection");
  fs::copy(carModel + "/KOVA", elsewhere / "Collection/Kova2");
  fs::create_directory_symlink(elsewhere / "Collection", carModel + "/Addons");
  fs::copy(carModel + "/KOVA", elsewhere / "Lone");
  fs::create_directory_symlink(elsewhere / "Lone", carModel + "/Lone");
  // Listed before KOVA, so the scan takes the link and passes over the folder it leads to.
  fs::create_directory_symlink(carModel + "/KOVA", carModel + "/Alias");
  fs::copy(game.slot(3) + "/Dustbowl Night", elsewhere / "Night2");
  fs::create_directory_symlink(elsewhere / "Night2", game.slot(3) + "/Night2");
  const GameState state = ReadGameState(game.data, game.prompts);
  const auto track = [&](int row, const std::string& name) { return TrackFolderNamed(state, row, name); };
  struct Case {
    const char* what;
    ItemRef item;
    std::string stays;  // the folder that must be kept; "" = removable
  };
  const Case cases[] = {
      {"car in a linked group folder", ItemRef::Car(state.carSlots.at("Addons/Kova2")), elsewhere / "Collection/Kova2"},
      {"car folder linked to outside", ItemRef::Car(state.carSlots.at("Lone")), elsewhere / "Lone"},
      {"track folder linked to outside", track(3, "Night2"), elsewhere / "Night2"},
      {"car folder linked to a folder of the game", ItemRef::Car(state.carSlots.at("Alias")), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string refusal = RemoveRefusal(game.data, c.item);
    if (c.stays.empty()) {
      EXPECT_EQ(refusal, "");
      continue;
    }
    EXPECT_NE(refusal.find("reached through a link"), std::string::npos) << refusal;
    const std::map<std::string, std::string> files = test::FilesIn(c.stays);
    ASSERT_FALSE(files.empty());
    const OperationResult result = RemoveAddOns(game.data, game.prompts, {c.item});
    EXPECT_EQ(result.status, OperationStatus::kFailed);
    EXPECT_NE(result.message.find("reached through a link"), std::string::npos) << result.message;
    EXPECT_EQ(test::FilesIn(c.stays), files);
  }
#endif
}

}  // namespace
}  // namespace krax

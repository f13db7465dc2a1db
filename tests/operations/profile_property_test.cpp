// Profiles: random enables, disables and switches, a save, more random changes, an apply; the
// game is then exactly in the saved state and no file of the game was lost. Also the stock
// game and its way back, damaged profiles, and removing add-ons to the trash.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "gamedata/track_catalog.h"
#include "operations/game_operations.h"
#include "operations/install_dialog_state.h"
#include "operations/install_plan.h"
#include "operations/profile.h"
#include "operations/profile_state.h"
#include "operations_test_support.h"
#include "platform/path.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

// Every file below `root` by the bytes it holds: name without ".dis" -> contents seen.
std::multiset<std::pair<std::string, std::string>> GameFiles(const std::string& root) {
  std::multiset<std::pair<std::string, std::string>> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::string name = entry.path().filename().string();
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".dis") == 0) name.resize(name.size() - 4);
    if (name == kActiveTrackFile) continue;  // rewritten by every switch
    files.emplace(name, test::ReadFileBytes(entry.path().string()));
  }
  return files;
}

// True when every (name, bytes) of `before` is still somewhere in `after`.
bool NothingLost(const std::multiset<std::pair<std::string, std::string>>& before,
                 const std::multiset<std::pair<std::string, std::string>>& after, std::string& lost) {
  for (const auto& file : before) {
    if (after.count(file) == 0) {
      lost = file.first;
      return false;
    }
  }
  return true;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

class Profiles : public ::testing::Test {
 protected:
  Profiles() { operations.SetProfileFolder(profiles.path()); }
  GameState state() { return ReadGameState(game.data, game.prompts); }

  // A few random toggles and switches through the same operations as the tree.
  void RandomChanges(std::mt19937& random, int count) {
    for (int i = 0; i < count; ++i) {
      const GameState now = state();
      if (random() % 2 == 0) {
        auto it = now.carSlots.begin();
        std::advance(it, static_cast<long>(random() % now.carSlots.size()));
        ASSERT_TRUE(operations.ToggleCar(CarSlot{it->second}).done()) << it->first;
      } else {
        const auto& folders = now.trackFolders[random() % now.trackFolders.size()];
        const auto& [name, folder] = folders[random() % folders.size()];
        ASSERT_TRUE(operations.SwitchTrack(folder).done()) << name;
      }
    }
  }

  test::DemoGame game;
  test::ScratchFolder profiles;
  GameOperations operations{game.data, game.settings, game.prompts};
};

TEST_F(Profiles, ApplyingASavedProfileBringsBackItsStateAndLosesNoFile) {
  const std::uint32_t seed = 20261207;
  std::mt19937 random(seed);
  const auto before = GameFiles(game.manifest.gameDir);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round));
    RandomChanges(random, 6);
    ASSERT_TRUE(operations.SaveProfile("Friday").done());
    const ProfileParse saved = ProfileStore(profiles.path()).Load("Friday");
    ASSERT_TRUE(saved.profile) << saved.problem;
    EXPECT_EQ(ParseProfile(SerializeProfile(*saved.profile)).profile, saved.profile);
    EXPECT_EQ(*saved.profile, state().profile);

    RandomChanges(random, 8);
    const std::size_t asked = game.prompts.questions.size();
    const OperationResult applied = operations.ApplyProfile("Friday");
    ASSERT_TRUE(applied.done()) << applied.message;
    EXPECT_EQ(state().profile, *saved.profile);
    std::string lost;
    EXPECT_TRUE(NothingLost(before, GameFiles(game.manifest.gameDir), lost)) << lost;
    // A plan with changes was shown and asked about; none is asked about when none is left.
    if (game.prompts.questions.size() > asked) {
      EXPECT_NE(game.prompts.questions.back().find("Make these changes?"), std::string::npos);
    }
    const std::size_t reports = game.prompts.reports.size();
    EXPECT_TRUE(operations.ApplyProfile("Friday").done());
    EXPECT_EQ(game.prompts.reports.size(), reports + 1);
    EXPECT_NE(game.prompts.reports.back().find("in this state already"), std::string::npos);
  }
}

TEST_F(Profiles, DamagedOrUnknownProfilesChangeNothing) {
  ASSERT_TRUE(operations.SaveProfile("Good").done());
  const std::string good = test::ReadFileBytes(ProfileStore(profiles.path()).FilePath("Good"));
  const GameState start = state();
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"a slot missing", good.substr(0, good.rfind("track 8"))},
      {"a line of another kind", good + "volume 11\n"},
      {"a car named twice", good + "car off PELO\n"},
      {"a folder leading out", good + "car on ../../etc\n"},
      {"no header", good.substr(good.find('\n') + 1)},
      {"empty", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    profiles.write("Bad.profile", c.text);
    const std::size_t asked = game.prompts.questions.size();
    const OperationResult result = operations.ApplyProfile("Bad");
    EXPECT_EQ(result.status, OperationStatus::kFailed);
    EXPECT_NE(result.message.find("damaged"), std::string::npos) << result.message;
    EXPECT_EQ(game.prompts.questions.size(), asked);
  }
  EXPECT_EQ(operations.ApplyProfile("Nobody").status, OperationStatus::kFailed);
  EXPECT_EQ(operations.SaveProfile("a/b").status, OperationStatus::kFailed);
  EXPECT_EQ(state().profile, start.profile);

  // Cars and tracks the game lacks are skipped and said; cars the profile lacks keep their state.
  std::string partial = good.substr(0, good.find("car on PELO")) + good.substr(good.find('\n', good.find("car on PELO")) + 1);
  partial.replace(partial.find("track 6 Original"), 16, "track 6 Nowhere");
  profiles.write("Partial.profile", partial + "car on ZZZZ\n");
  const bool peloEnabled = start.profile.cars.at("PELO");
  ASSERT_TRUE(operations.ApplyProfile("Partial").done());
  const std::string& report = game.prompts.reports.back();
  EXPECT_NE(report.find("not in the game: car ZZZZ"), std::string::npos) << report;
  EXPECT_NE(report.find("not in the game: Trk006 track \"Nowhere\""), std::string::npos) << report;
  EXPECT_NE(report.find("not in the profile: car PELO"), std::string::npos) << report;
  EXPECT_EQ(state().profile.cars.at("PELO"), peloEnabled);
}

TEST_F(Profiles, QuestionsAreAnsweredByTheirKind) {
  // No to keeping the state first, yes to the changes: the stock game without a profile.
  game.prompts.answerFor = {{QuestionKind::kSaveStateBeforeStockGame, false}, {QuestionKind::kGoOn, true}};
  game.prompts.defaultAnswer = false;
  ASSERT_TRUE(operations.ApplyStockGame().done());
  EXPECT_EQ(game.prompts.questionKinds,
            (std::vector<QuestionKind>{QuestionKind::kSaveStateBeforeStockGame, QuestionKind::kGoOn}));
  EXPECT_TRUE(operations.ProfileNames().empty());

  // A second save under the same name asks to replace it; No keeps the first one.
  ASSERT_TRUE(operations.SaveProfile("Mine").done());
  game.prompts.answerFor = {{QuestionKind::kReplaceProfile, false}};
  game.prompts.defaultAnswer = true;
  EXPECT_EQ(operations.SaveProfile("Mine").status, OperationStatus::kCancelled);
  EXPECT_EQ(game.prompts.questionKinds.back(), QuestionKind::kReplaceProfile);
}

// Going to the stock game first offers to keep the state: Yes keeps it, No goes on without,
// Cancel changes nothing at all and asks nothing more.
TEST_F(Profiles, StockGameQuestionCanBeCancelled) {
  const Profile mine = state().profile;
  ASSERT_TRUE(operations.SaveProfile("Mine").done());
  struct Case {
    Answer answer;
    OperationStatus status;
    std::vector<QuestionKind> asked;
    std::size_t profilesAfter;  // "Mine" and the ones the stock game kept
    bool stock;                 // the game is the stock game afterwards
  };
  const std::vector<QuestionKind> both = {QuestionKind::kSaveStateBeforeStockGame, QuestionKind::kGoOn};
  const Case cases[] = {
      {Answer::kCancel, OperationStatus::kCancelled, {QuestionKind::kSaveStateBeforeStockGame}, 1, false},
      {Answer::kNo, OperationStatus::kDone, both, 1, true},
      {Answer::kYes, OperationStatus::kDone, both, 2, true},
  };
  game.prompts.answerFor = {{QuestionKind::kGoOn, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    ASSERT_TRUE(operations.ApplyProfile("Mine").done());
    ASSERT_EQ(state().profile, mine);
    game.prompts.questionKinds.clear();
    game.prompts.choiceFor = {{QuestionKind::kSaveStateBeforeStockGame, c.answer}};
    EXPECT_EQ(operations.ApplyStockGame().status, c.status);
    EXPECT_EQ(game.prompts.questionKinds, c.asked);
    EXPECT_EQ(operations.ProfileNames().size(), c.profilesAfter);
    const GameState after = state();
    EXPECT_EQ(after.profile.tracks[3] == kOriginalFolder, c.stock);
    EXPECT_EQ(after.profile == mine, !c.stock);
    if (c.stock) {
      // The plan names each car by its folder and its name.
      const std::string kova = after.carNames.at("KOVA");
      ASSERT_FALSE(kova.empty());
      EXPECT_NE(game.prompts.questions.back().find("Cars to disable ("), std::string::npos);
      EXPECT_NE(game.prompts.questions.back().find("  KOVA (" + kova + ")\n"), std::string::npos)
          << game.prompts.questions.back();
    }
  }
}

TEST_F(Profiles, StockGameAndBackThenRemoveToTheTrashAndRestore) {
  const std::string data = profiles / "data";
#ifndef _WIN32
  const test::ScopedEnv dataHome("XDG_DATA_HOME", data);
#endif
  const Profile mine = state().profile;
  ASSERT_TRUE(operations.ApplyStockGame().done());
  const GameState stock = state();
  for (const auto& [folder, slot] : stock.carSlots) {
    EXPECT_EQ(stock.profile.cars.at(folder), IsGameOwnCar(game.data, slot)) << folder;
  }
  for (const std::string& track : stock.profile.tracks) EXPECT_EQ(track, kOriginalFolder);
  // The state before was offered and saved; applying it comes back.
  const std::vector<std::string> names = operations.ProfileNames();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0].rfind("Before stock game ", 0), 0u);
  ASSERT_TRUE(operations.ApplyProfile(names[0]).done());
  EXPECT_EQ(state().profile, mine);

  // Remove refuses the game's own cars and the "Original" folders, and takes add-ons.
  GameState now = state();
  const ItemRef stockCar = ItemRef::Car(now.carSlots.at("PELO"));
  EXPECT_EQ(operations.RemoveItems({stockCar}).status, OperationStatus::kFailed);
  ItemRef original, active;
  for (const auto& [name, folder] : now.trackFolders[3]) {
    if (name == kOriginalFolder) original = folder;
    if (name == "Dustbowl") active = folder;
  }
  EXPECT_EQ(operations.RemoveItems({original}).status, OperationStatus::kFailed);
  EXPECT_TRUE(fs::is_directory(game.slot(3) + "/Original"));
  const std::string addOnCar = game.manifest.gameDir + "/GameData/CarModel/Ravelin_GT";
  ASSERT_TRUE(fs::is_directory(addOnCar));
  const auto files = GameFiles(game.manifest.gameDir);
  test::KeepForRestore(addOnCar, profiles / "kept-Ravelin_GT");
  test::KeepForRestore(game.slot(3) + "/Dustbowl", profiles / "kept-Dustbowl");
  const OperationResult removed = operations.RemoveItems({ItemRef::Car(now.carSlots.at("Ravelin_GT")), active, stockCar});
  EXPECT_TRUE(removed.done()) << removed.message;
  EXPECT_NE(game.prompts.reports.back().find("Removed 2 of 3"), std::string::npos);
  EXPECT_FALSE(fs::exists(addOnCar));
  EXPECT_FALSE(fs::exists(game.slot(3) + "/Dustbowl"));
  EXPECT_EQ(ReadActiveTrack(game.slot(3)), kOriginalFolder);  // it was active: switched back first

  // The file manager brings them back from the trash: nothing of the game was lost.
  test::RestoreFromTrash(data, addOnCar, profiles / "kept-Ravelin_GT");
  test::RestoreFromTrash(data, game.slot(3) + "/Dustbowl", profiles / "kept-Dustbowl");
  std::string lost;
  EXPECT_TRUE(NothingLost(files, GameFiles(game.manifest.gameDir), lost)) << lost;
  EXPECT_TRUE(operations.ApplyProfile(names[0]).done());
  EXPECT_EQ(state().profile, mine);
}

// The stock game enables the stock cars' own folders only: a backup copy of a stock car in
// another folder stays disabled. A state whose profile could not be read back (a tab in a
// folder name) stops the stock game before anything changes.
TEST_F(Profiles, StockGameEnablesOnlyTheStockFoldersAndStopsWhenItsWayBackCannotBeSaved) {
  const std::string cars = game.manifest.gameDir + "/GameData/CarModel";
  const std::string zeph = test::ReadFileBytes(cars + "/ZEPH/car.viv");
  WriteFileBytes(cars + "/Zeph backup/car.viv.dis", zeph);

  // The count the car list gives: cars in group folders are not counted as enabled.
  const OperationResult count = operations.SaveProfile("Count");
  const GameState now = state();
  EXPECT_NE(count.message.find(": " + std::to_string(game.data.enabledCarCount) + " of " +
                               std::to_string(now.profile.cars.size()) + " cars enabled"),
            std::string::npos)
      << count.message;

#ifndef _WIN32
  // A tab in a folder name: the way back cannot be saved, so nothing happens.
  WriteFileBytes(cars + "/Tab\tcar/car.viv", zeph);
  const GameState before = state();
  const std::vector<std::string> names = operations.ProfileNames();
  const OperationResult refused = operations.ApplyStockGame();
  EXPECT_EQ(refused.status, OperationStatus::kFailed);
  EXPECT_NE(refused.message.find("cannot be saved"), std::string::npos) << refused.message;
  EXPECT_EQ(state().profile, before.profile);
  EXPECT_EQ(operations.ProfileNames(), names);
  EXPECT_EQ(operations.SaveProfile("Tabbed").status, OperationStatus::kFailed);
  fs::remove_all(cars + "/Tab\tcar");
#endif

  ASSERT_TRUE(operations.ApplyStockGame().done());
  const GameState stock = state();
  EXPECT_TRUE(stock.profile.cars.at("ZEPH"));
  EXPECT_FALSE(stock.profile.cars.at("Zeph backup"));
  int enabledZeph = 0;
  for (std::size_t i = 0; i < game.data.cars.size(); ++i) {
    const CarRecord& car = game.data.cars[i];
    enabledZeph += car.carId && *car.carId == "ZEPH" && car.countsAsEnabledCar() && car.archivePath.find("backup") != std::string::npos ? 1 : 0;
  }
  EXPECT_EQ(enabledZeph, 0);
}

TEST_F(Profiles, ActivateItSwitchesTheSlotToTheNewTrackOnlyWhenTicked) {
  for (const bool ticked : {false, true}) {
    SCOPED_TRACE(ticked ? "ticked" : "not ticked");
    const std::string source = profiles / (ticked ? "Night Two" : "Night Three");
    fs::copy(game.slot(3) + "/Dustbowl Night", source);
    bool offered = false;
    game.prompts.installDialog = [&](InstallDialogState& state) {
      offered = state.offerActivate;
      state.activate = ticked;
      return true;
    };
    const OperationResult installed = operations.InstallFromPath(InstallMode::kTrackFromFolder, source);
    ASSERT_TRUE(installed.done()) << installed.message;
    EXPECT_TRUE(offered);
    EXPECT_TRUE(fs::is_directory(game.slot(3) + "/" + BaseName(source)));
    EXPECT_EQ(ReadActiveTrack(game.slot(3)), ticked ? "Night Two" : "Dustbowl");
    EXPECT_EQ(installed.message.find("is now the active track") != std::string::npos, ticked) << installed.message;
  }
}

}  // namespace
}  // namespace krax

// Restores from a CD folder spelled as an ISO 9660 CD may spell it.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "app/settings.h"
#include "gamedata/game_data.h"
#include "operations/game_operations.h"
#include "platform/file_system.h"
#include "support/scratch_folder.h"
#include "support/scripted_prompts.h"

namespace krax {
namespace {

class RestoreFromCdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cd_.write("GAMEDATA/CARMODEL/BRAK/CAR.VIV", "stock car");
    cd_.write("GAMEDATA/CARMODEL/BRAK/CARP.TXT", "stock carp");
    cd_.write("GAMEDATA/TRACKS/TRK000/TRACK.DAT", "track 0");
    cd_.write("GAMEDATA/TRACKS/TRK001/TRACK.DAT", "track 1");
    cd_.write("GAMEDATA/TRACKS/TRK001/SKY/SKY.FSH", "sky 1");
    cd_.write("FEDATA/TEXT/TEXT.ENG", "strings");
    for (const auto& entry : std::filesystem::recursive_directory_iterator(cd_.path())) {
      if (entry.is_regular_file()) SetReadOnly(entry.path().string(), true);
    }
    game_.write("GameData/CarModel/BRAK/car.viv", "damaged car");
    game_.write("GameData/CarModel/MINE/car.viv", "add-on car");
    game_.write("GameData/Tracks/Trk000/track.dat", "add-on track 0");
    game_.write("GameData/Tracks/Trk001/track.dat", "add-on track 1");
    game_.write("FeData/Text/Text.eng", "old strings");
    game_.write("install.win", "english\r\nx\r\ny\r\nD:\\KRAX\\TRACKS\\\r\n\x1a");
    settings_.gameFolder = game_.path();
    settings_.cdPath = cd_.path();
    data_.UseGameFolder(game_.path(), /*kraxText=*/false);
    ParseInstallInfo("german\r\n", data_.installInfo);  // stale: read from another game at start-up
  }
  std::string Game(const std::string& relative) const { return test::ReadFileBytes(game_ / relative); }
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(game_.path())) {
      files[entry.path().string()] = entry.is_regular_file() ? test::ReadFileBytes(entry.path().string()) : "/";
    }
    return files;
  }

  test::ScratchFolder cd_, game_;
  Settings settings_;
  GameData data_;
  test::ScriptedPrompts prompts_;
  GameOperations operations_{data_, settings_, prompts_};
};

TEST_F(RestoreFromCdTest, RestoreCarsReplacesStockFilesLeavesAddOnsAndLeavesCopiesWritable) {
  const OperationResult result = operations_.RestoreCars();
  ASSERT_TRUE(result.done()) << result.message;
  EXPECT_EQ(Game("GameData/CarModel/BRAK/car.viv"), "stock car");  // the CD's CAR.VIV is the same file
  EXPECT_EQ(ListFolder(game_ / "GameData/CarModel/BRAK").size(), 2u);
  EXPECT_FALSE(IsReadOnly(game_ / "GameData/CarModel/BRAK/car.viv"));
  EXPECT_FALSE(IsReadOnly(game_ / "GameData/CarModel/BRAK/CARP.TXT"));
  EXPECT_EQ(Game("GameData/CarModel/MINE/car.viv"), "add-on car");
  EXPECT_EQ(result.message, "Restored 2 files (19 bytes) from the CD.");
  ASSERT_FALSE(prompts_.progressSeen.empty());
  EXPECT_EQ(prompts_.progressSeen.back().filesDone, 2u);
}

// When the game's side cannot take a file, the error names the file in the game folder, not
// the CD's file, which is fine.
TEST_F(RestoreFromCdTest, AFailureOnTheGamesSideNamesTheGamesFile) {
  struct Case {
    const char* what;
    bool readOnlyFolder;  // else a folder where the file goes
  };
  for (const Case& c : {Case{"a folder in the file's place", false}, Case{"a read-only folder", true}}) {
    SCOPED_TRACE(c.what);
#ifndef _WIN32
    if (c.readOnlyFolder && ::geteuid() == 0) continue;  // the administrator writes into it all the same
#else
    if (c.readOnlyFolder) continue;  // Windows keeps no write permission on folders
#endif
    test::ScratchFolder game;
    game.write("GameData/CarModel/BRAK/car.viv", "damaged car");
    if (c.readOnlyFolder) {
      std::filesystem::permissions(game / "GameData/CarModel/BRAK", std::filesystem::perms::owner_write,
                                   std::filesystem::perm_options::remove);
    } else {
      game.mkdir("GameData/CarModel/BRAK/CARP.TXT");
    }
    settings_.gameFolder = game.path();
    data_.UseGameFolder(game.path(), /*kraxText=*/false);
    const OperationResult result = operations_.RestoreCars();
    std::filesystem::permissions(game / "GameData/CarModel/BRAK", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(result.status, OperationStatus::kFailed);
    EXPECT_NE(result.message.find(std::filesystem::path(game / "GameData/CarModel/BRAK/CARP.TXT").string()),
              std::string::npos) << result.message;
    EXPECT_EQ(result.message.find(cd_.path()), std::string::npos) << result.message;
  }
}

TEST_F(RestoreFromCdTest, WithoutTheCdNothingChanges) {
  test::ScratchFolder otherDisc;  // a disc without the game's folders
  const std::map<std::string, std::string> before = Snapshot();
  for (const std::string& cdPath : {std::string(), cd_ / "missing", otherDisc.path()}) {
    settings_.cdPath = cdPath;
    for (int command = 0; command < 5; ++command) {
      const OperationResult result = command == 0   ? operations_.RestoreCars()
                                     : command == 1 ? operations_.RestoreTracks()
                                     : command == 2 ? operations_.RestoreStrings()
                                     : command == 3 ? operations_.RestoreItemFromCd(ItemRef::StockTrackSlot(0), "", "")
                                                    : operations_.RestoreItemFromCd(ItemRef::Car(0), game_ / "GameData/CarModel/BRAK", "BRAK");
      EXPECT_EQ(result.status, OperationStatus::kFailed) << cdPath << " " << command;
      EXPECT_FALSE(result.message.empty());
    }
  }
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(RestoreFromCdTest, RestoreTracksPointsTheCurrentInstallWinAtTheGamesTracks) {
  // Slot 0 had an add-on active: once its stock files are back, Original is the active track.
  game_.write("GameData/Tracks/Trk000/Atrack.ini", "[Tracks]\r\nActiveTrack=Dune Run\r\n");
  game_.write("GameData/Tracks/Trk000/Dune Run/track.dat", "add-on track 0");
  ASSERT_TRUE(operations_.RestoreTracks().done());
  ASSERT_EQ(prompts_.questions.size(), 1u);  // the plan was shown and agreed to first
  EXPECT_NE(prompts_.questions[0].find("restore 3 files"), std::string::npos) << prompts_.questions[0];
  EXPECT_EQ(Game("install.win"), "english\r\nx\r\ny\r\n.\\GameData\\Tracks\\\r\n\x1a");
  EXPECT_EQ(Game("GameData/Tracks/Trk000/track.dat"), "track 0");
  EXPECT_EQ(Game("GameData/Tracks/Trk001/SKY/SKY.FSH"), "sky 1");
  for (const std::string slot : {"Trk000", "Trk001"}) {
    EXPECT_EQ(ReadActiveTrack(game_ / ("GameData/Tracks/" + slot)), "Original");
  }

  // Said no to: nothing is copied.
  game_.write("GameData/Tracks/Trk000/track.dat", "add-on track 0");
  prompts_.answers = {false};
  EXPECT_EQ(operations_.RestoreTracks().status, OperationStatus::kCancelled);
  EXPECT_EQ(Game("GameData/Tracks/Trk000/track.dat"), "add-on track 0");
}

TEST_F(RestoreFromCdTest, ADisabledCarStaysDisabledAndNeverGetsBothArchives) {
  cd_.write("GAMEDATA/CARMODEL/MOTH/CAR.VIV", "stock moth");
  game_.write("GameData/CarModel/MOTH/car.viv.dis", "damaged moth");
  game_.write("GameData/CarModel/BOTH/car.viv", "enabled both");  // both names already: the loaded one
  game_.write("GameData/CarModel/BOTH/car.viv.dis", "disabled both");
  cd_.write("GAMEDATA/CARMODEL/BOTH/CAR.VIV", "stock both");
  for (int run = 0; run < 2; ++run) {  // all cars, then the one car from its form
    const OperationResult result = run == 0 ? operations_.RestoreCars()
                                            : operations_.RestoreItemFromCd(ItemRef::Car(0), game_ / "GameData/CarModel/MOTH", "MOTH");
    ASSERT_TRUE(result.done()) << result.message;
    EXPECT_NE(result.message.find("1 disabled car was restored under its disabled name and stays disabled"),
              std::string::npos)
        << result.message;
    EXPECT_EQ(ListFolder(game_ / "GameData/CarModel/MOTH").size(), 1u);
    EXPECT_EQ(Game("GameData/CarModel/MOTH/car.viv.dis"), "stock moth");
    EXPECT_EQ(Game("GameData/CarModel/BOTH/car.viv"), run == 0 ? "stock both" : "enabled both");
    EXPECT_EQ(Game("GameData/CarModel/BOTH/car.viv.dis"), "disabled both");
    game_.write("GameData/CarModel/MOTH/car.viv.dis", "damaged moth");
    game_.write("GameData/CarModel/BOTH/car.viv", "enabled both");
  }
}

TEST_F(RestoreFromCdTest, OneSlotOrOneStockCarCopiesOnlyItsOwnFolder) {
  ASSERT_TRUE(operations_.RestoreItemFromCd(ItemRef::StockTrackSlot(1), "", "").done());
  EXPECT_EQ(Game("GameData/Tracks/Trk001/track.dat"), "track 1");
  EXPECT_EQ(Game("GameData/Tracks/Trk001/SKY/SKY.FSH"), "sky 1");
  EXPECT_EQ(Game("GameData/Tracks/Trk000/track.dat"), "add-on track 0");

  // A stock car kept in a folder named otherwise gets the CD's folder for its ID.
  game_.write("GameData/CarModel/Old Brak/car.viv", "renamed stock car");
  data_.cars.assign(1, CarRecord{});  // a car in the list, without front-end data
  data_.cars[0].archivePath = game_ / "GameData/CarModel/Old Brak/car.viv";
  ASSERT_TRUE(operations_.RestoreItemFromCd(ItemRef::Car(0), "", "brak").done());
  EXPECT_EQ(Game("GameData/CarModel/Old Brak/car.viv"), "stock car");
  EXPECT_EQ(Game("GameData/CarModel/BRAK/car.viv"), "damaged car");

  data_.cars[0].archivePath = game_ / "GameData/CarModel/MINE/car.viv";
  EXPECT_EQ(operations_.RestoreItemFromCd(ItemRef::Car(0), "", "MINE").status, OperationStatus::kFailed);
  EXPECT_EQ(Game("GameData/CarModel/MINE/car.viv"), "add-on car");
}

TEST_F(RestoreFromCdTest, AStoppedCopyKeepsWhatWasCopied) {
  int calls = 0;
  prompts_.progress = [&calls](const ProgressState&) { return ++calls < 2; };
  const OperationResult result = operations_.RestoreCars();
  EXPECT_EQ(result.status, OperationStatus::kCancelled);
  EXPECT_EQ(result.message.rfind("Stopped: 1 of 2 files", 0), 0u) << result.message;
}

}  // namespace
}  // namespace krax

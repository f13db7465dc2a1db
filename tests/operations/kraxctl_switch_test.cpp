// kraxctl toggle, switch, tracks and run-game on a demo installation.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "gamedata/track_catalog.h"
#include "operations/track_switch.h"
#include "operations_test_support.h"
#include "platform/path.h"
#include "support/run_kraxctl.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

TEST(KraxctlSwitch, ToggleSwitchAndResumeReportWhatTheyChanged) {
  test::DemoGame game;
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", game.dir / "settings.ini", "--game", game.manifest.gameDir});
    return test::RunKraxctl(args);
  };
  game.data.LoadCarCatalog();
  // The first enabled car with an ID, wherever the system's listing puts it.
  std::size_t car = 0;
  while (car < game.data.cars.size() && (!game.data.cars[car].carId || !game.data.cars[car].enabled)) ++car;
  ASSERT_LT(car, game.data.cars.size());
  const std::string archive = game.data.cars[car].archivePath;
  const std::string id = *game.data.cars[car].carId;

  test::KraxctlRun r = run({"toggle", std::to_string(car)});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find(BaseName(archive) + ".dis"), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(archive + ".dis"));
  r = run({"toggle", id});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::exists(archive));
  EXPECT_EQ(run({"toggle", "NOSUCHCAR"}).exitCode, 1);

  const std::string slot = game.slot(3);
  r = run({"switch", "3", "Dustbowl Night"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Dustbowl Night"), std::string::npos);
  EXPECT_EQ(ReadActiveTrack(slot), "Dustbowl Night");
  r = run({"switch", "3", "Nowhere"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Nowhere"), std::string::npos);
  EXPECT_EQ(run({"switch", "9", "Original"}).exitCode, 2);

  // A switch cut short: the next listing completes it and says so.
  std::ofstream(slot + "/" + kSwitchJournalFile) << "Original\n";
  r = run({"tracks"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.err.find("interrupted"), std::string::npos) << r.err;
  EXPECT_EQ(ReadActiveTrack(slot), "Original");
  EXPECT_FALSE(fs::exists(slot + "/" + kSwitchJournalFile));

  r = run({"run-game"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Cannot find KRAX file"), std::string::npos);
}

}  // namespace
}  // namespace krax

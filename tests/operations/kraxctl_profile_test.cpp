// The player's round trip from kraxctl: save his set, go to the stock game, come back, remove
// an add-on to the trash and bring it back from there.
#include <gtest/gtest.h>

#include <filesystem>

#include "gamedata/track_catalog.h"
#include "operations_test_support.h"
#include "support/run_kraxctl.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

TEST(KraxctlProfile, SaveStockBackAndRemoveToTheTrash) {
  test::DemoGame game;
  const std::string data = game.dir / "data";
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", game.dir / "portable.ini", "--game", game.manifest.gameDir});
#ifdef _WIN32
    return test::RunKraxctl(args);  // the Recycle Bin is the system's
#else
    return test::RunKraxctl(args, {"XDG_DATA_HOME=" + data});
#endif
  };
  const std::string cars = game.manifest.gameDir + "/GameData/CarModel";
  ASSERT_TRUE(fs::exists(cars + "/KOVA/car.viv"));  // an add-on, enabled
  test::KraxctlRun r = run({"profile", "save", "Mine"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::is_regular_file(game.dir / "portable.profiles/Mine.profile"));

  // Without --yes and without a terminal nothing is changed.
  EXPECT_EQ(run({"stock"}).exitCode, 1);
  EXPECT_TRUE(fs::exists(cars + "/KOVA/car.viv"));
  r = run({"stock", "--yes"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("disabled KOVA"), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(cars + "/KOVA/car.viv.dis"));
  EXPECT_EQ(ReadActiveTrack(game.slot(3)), "Original");
  r = run({"profile", "list"});
  EXPECT_NE(r.out.find("Before stock game "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Mine\n"), std::string::npos) << r.out;

  r = run({"profile", "apply", "Mine", "--yes"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(fs::exists(cars + "/KOVA/car.viv"));
  EXPECT_EQ(ReadActiveTrack(game.slot(3)), "Dustbowl") << r.out;
  // Shown as lists, each car with its name (the game is read for them).
  r = run({"profile", "show", "Mine"});
  const std::size_t enabledList = r.out.find("Cars enabled (");
  ASSERT_NE(enabledList, std::string::npos) << r.out;
  const std::size_t kova = r.out.find("\n  KOVA (", enabledList);
  EXPECT_NE(kova, std::string::npos) << r.out;
  EXPECT_LT(kova, r.out.find("Cars disabled (")) << r.out;
  EXPECT_NE(r.out.find("  Trk003 (Marrow Flats): Dustbowl\n"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("car on "), std::string::npos) << r.out;

  EXPECT_EQ(run({"remove", "PELO", "--yes"}).exitCode, 1);  // the game's own car
  EXPECT_EQ(run({"remove", "3/Original", "--yes"}).exitCode, 1);
  test::KeepForRestore(cars + "/KOVA", game.dir / "kept-KOVA");
  r = run({"remove", "KOVA", "--yes"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_FALSE(fs::exists(cars + "/KOVA"));
  test::RestoreFromTrash(data, cars + "/KOVA", game.dir / "kept-KOVA");
  r = run({"profile", "apply", "Mine", "--yes"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("already"), std::string::npos) << r.out;

  EXPECT_EQ(run({"profile", "delete", "Mine"}).exitCode, 0);
  EXPECT_EQ(run({"profile", "apply", "Mine", "--yes"}).exitCode, 1);
  EXPECT_EQ(run({"profile", "frobnicate"}).exitCode, 2);
}

}  // namespace
}  // namespace krax

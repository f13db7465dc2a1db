// kraxctl picture, fix and police on a demo installation.
#include <gtest/gtest.h>

#include <filesystem>

#include "gamedata/car_record.h"
#include "operations_test_support.h"
#include "support/run_kraxctl.h"

namespace krax {
namespace {

TEST(KraxctlFixPicture, PictureFixAllAndPoliceDoWhatTheWindowDoes) {
  test::DemoGame game;
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", game.dir / "settings.ini", "--game", game.manifest.gameDir});
    return test::RunKraxctl(args);
  };
  const std::string png = game.dir / "kova.png";
  test::KraxctlRun r = run({"picture", "KOVA", png});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(test::ReadFileBytes(png).substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  EXPECT_EQ(run({"picture", "NOSUCH", png}).exitCode, 1);
  EXPECT_EQ(run({"picture", "KOVA"}).exitCode, 2);

  // Without a terminal and --yes the plan is shown and nothing changes.
  r = run({"fix", "--all"});
  EXPECT_EQ(r.exitCode, 1);
  // BRAK and KOVA share a number: the one listed later gets a new one (the folder listing's
  // order, which differs between systems).
  const bool brak = r.out.find("BRAK (BRAK): Duplicate s.n. -> serial number") != std::string::npos;
  const bool kova = r.out.find("KOVA (KOVA): Duplicate s.n. -> serial number") != std::string::npos;
  EXPECT_TRUE(brak != kova) << r.out;
  EXPECT_NE(r.out.find("NIXO (nixo): Diferent Path/ID -> folder renamed to NIXO"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("cannot be fixed: the car has no front-end data"), std::string::npos) << r.out;
  EXPECT_TRUE(std::filesystem::exists(game.manifest.gameDir + "/GameData/CarModel/nixo"));

  r = run({"fix", "--all", "--yes"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("errors fixed, 1 not fixed."), std::string::npos) << r.out;
  game.data.ClearCarTable();
  game.data.LoadCarCatalog();
  for (std::size_t i = 0; i < game.data.cars.size(); ++i) {
    const CarRecord& car = game.data.cars[i];
    EXPECT_EQ(car.errorFlags & (car.hasFedata() ? 15u : 0u), 0u) << car.archivePath;
  }
  r = run({"fix", "ZEPH"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("No errors to fix."), std::string::npos);

  EXPECT_EQ(run({"police", "ZEPH", "on"}).exitCode, 1);  // no terminal to ask
  r = run({"police", "ZEPH", "on", "--yes"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  game.data.ClearCarTable();
  game.data.LoadCarCatalog();
  int police = 0;
  for (std::size_t i = 0; i < game.data.cars.size(); ++i) {
    if (game.data.cars[i].carId == "ZEPH") police = game.data.cars[i].police();
  }
  EXPECT_EQ(police, 1);
  EXPECT_EQ(run({"police", "ZEPH", "maybe"}).exitCode, 2);
}

}  // namespace
}  // namespace krax

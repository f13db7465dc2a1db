// kraxctl pack, install-car/install-track and zip on the demo installation: the round trip
// a player makes from the terminal.
#include <gtest/gtest.h>

#include <string>

#include "operations/install_plan.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "support/run_kraxctl.h"
#include "support/scratch_folder.h"
#include "tools/demo_install.h"

namespace krax {
namespace {

using test::RunKraxctl;

TEST(KraxctlInstall, PackAndInstallACarAndATrackAgain) {
#ifdef _WIN32
  GTEST_SKIP() << "expects the demo's cars in the order Linux lists their folders; Windows lists them alphabetically";
#else
  test::ScratchFolder folder;
  MakeDemoInstallation(folder / "demo", DemoOptions{20, 5, true});
  const std::string settings = folder.write("settings.ini", "");
  const std::string game = folder / "demo/game";
  const std::string out = folder.mkdir("out");
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", settings, "--game", game});
    return RunKraxctl(args);
  };

  const auto zip = run({"pack", "0", "--zip", "--out", out});
  ASSERT_EQ(zip.exitCode, 0) << zip.err;
  const std::string archive = zip.out.substr(6, zip.out.size() - 7);  // "wrote PATH\n"
  ASSERT_TRUE(IsFile(archive)) << zip.out;
  const auto listed = run({"zip", "list", archive});
  EXPECT_EQ(listed.out, "car.viv\n");

  // Without --yes (and without a terminal) it only shows what it would do.
  const auto preview = run({"install-car", archive, "--id", "ZZ01"});
  EXPECT_EQ(preview.exitCode, 0) << preview.err;
  EXPECT_NE(preview.out.find("  car.viv\n"), std::string::npos);
  EXPECT_FALSE(IsFolder(game + "/GameData/CarModel/ZZ01"));
  const auto installed = run({"install-car", archive, "--id", "ZZ01", "--yes"});
  ASSERT_EQ(installed.exitCode, 0) << installed.err;
  // The copy lists with the original's ID (column 2 of `kraxctl cars`).
  const std::string cars = run({"cars"}).out;
  auto idOfLine = [&](std::size_t at) {
    const std::size_t start = cars.rfind('\n', at) + 1;
    const std::size_t tab = cars.find('\t', start) + 1;
    return cars.substr(tab, cars.find('\t', tab) - tab);
  };
  const std::size_t copy = cars.find(JoinPath("ZZ01", "car.viv"));
  ASSERT_NE(copy, std::string::npos) << cars;
  EXPECT_EQ(idOfLine(copy), idOfLine(cars.find('\n') + 1));

  const auto cab = run({"pack", "3/", "--cab", "--out", out});
  ASSERT_EQ(cab.exitCode, 0) << cab.err;
  const std::string cabinet = cab.out.substr(6, cab.out.size() - 7);
  EXPECT_EQ(ListFolder(out).size(), 2u) << "only the two archives, no temporary file left";
  const auto track = run({"install-track", cabinet, "--id", "Again", "--yes"});
  ASSERT_EQ(track.exitCode, 0) << track.err;
  for (const DirEntry& entry : ListFolder(game + "/GameData/Tracks/Trk003")) {
    if (entry.isFolder || !IsTrackFileName(entry.name)) continue;  // Atrack.ini and notes stay out
    EXPECT_EQ(ReadWholeFile(game + "/GameData/Tracks/Trk003/Again/" + entry.name),
              ReadWholeFile(game + "/GameData/Tracks/Trk003/" + entry.name))
        << entry.name;
  }

  // A track folder named ignoring case is packed under its own name; a slot row outside
  // 0 .. 8 is a usage error.
  const auto byName = run({"pack", "3/dustbowl night", "--zip", "--out", out});
  EXPECT_EQ(byName.exitCode, 0) << byName.err;
  EXPECT_TRUE(IsFile(out + "/Dustbowl Night.zip")) << byName.out;
  EXPECT_EQ(run({"pack", "9/", "--zip", "--out", out}).exitCode, 2);
#endif
}

}  // namespace
}  // namespace krax

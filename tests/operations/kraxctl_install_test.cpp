// kraxctl pack, install-car/install-track and zip on the demo installation: the round trip
// a player makes from the terminal.
#include <gtest/gtest.h>

#include <string>

#include "operations/install_plan.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "support/run_kraxctl.h"
#include "support/scratch_folder.h"
#include "support/zip_bytes.h"
#include "tools/demo_install.h"

namespace krax {
namespace {

using test::RunKraxctl;

TEST(KraxctlInstall, PackAndInstallACarAndATrackAgain) {
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

  // Without --yes (and without a terminal) it only shows what it would do, and is refused.
  const auto preview = run({"install-car", archive, "--id", "ZZ01"});
  EXPECT_EQ(preview.exitCode, 1) << preview.err;
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
}

// Names from archives reach the terminal with their control characters escaped; a failed
// install exits 1 and leaves nothing; a serial number outside 0..65535 is a usage error.
TEST(KraxctlInstall, EscapesNamesAndFailsWhole) {
  test::ScratchFolder folder;
  MakeDemoInstallation(folder / "demo", DemoOptions{20, 3, true});
  const std::string settings = folder.write("settings.ini", "");
  const std::string game = folder / "demo/game";
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", settings, "--game", game});
    return RunKraxctl(args);
  };
  const std::string zip = folder.write(
      "odd.zip", test::ZipBytes({{"car.viv", "BIGF car"}, {"paint\x1b[2J.jpg", "p"}, {"readme\x07.txt", "r"}}));
  const auto listed = run({"zip", "list", zip});
  EXPECT_EQ(listed.out, "car.viv\npaint\\x1b[2J.jpg\nreadme\\x07.txt\n");
  const auto plan = run({"install-car", zip, "--id", "ZODD"});
  EXPECT_EQ(plan.out.find('\x1b'), std::string::npos) << plan.out;
  EXPECT_NE(plan.out.find("paint\\x1b[2J.jpg holds control characters"), std::string::npos) << plan.out;

  test::ZipBytesEntry bzip2{"carp.txt", "BZh9"};
  bzip2.method = 12;
  const std::string broken = folder.write("broken.zip", test::ZipBytes({{"car.viv", "BIGF car"}, bzip2}));
  const auto failed = run({"install-car", broken, "--id", "ZBRK", "--yes"});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(failed.err.find("cannot read: bzip2"), std::string::npos) << failed.err;
  EXPECT_EQ(failed.out.find("Installed"), std::string::npos) << failed.out;
  EXPECT_FALSE(IsFolder(game + "/GameData/CarModel/ZBRK"));

  EXPECT_EQ(run({"write-serial", "0", "70000"}).exitCode, 2);
  EXPECT_EQ(run({"write-serial", "0", "-1"}).exitCode, 2);

#ifndef _WIN32  // Windows allows no control character in a file name
  // Folder names of the game folder too.
  folder.write("demo/game/GameData/Tracks/Trk003/Evil\x1b[2J/TR03.frd", "road");
  std::string viv;
  for (const DirEntry& car : ListFolder(game + "/GameData/CarModel")) {
    if (viv.empty()) viv = ReadWholeFile(game + "/GameData/CarModel/" + car.name + "/car.viv").value_or("");
  }
  ASSERT_FALSE(viv.empty());
  folder.write("demo/game/GameData/CarModel/C\x07R/car.viv", viv);
  for (const char* command : {"tracks", "cars"}) {
    const auto shown = run({command});
    EXPECT_EQ(shown.out.find_first_of("\x1b\x07"), std::string::npos) << command;
  }
  EXPECT_NE(run({"tracks"}).out.find("Evil\\x1b[2J"), std::string::npos);
  EXPECT_NE(run({"cars"}).out.find("C\\x07R/car.viv"), std::string::npos);
#endif
}

}  // namespace
}  // namespace krax

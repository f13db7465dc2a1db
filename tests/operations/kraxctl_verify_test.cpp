// kraxctl verify on a demo installation and its CD, as a player runs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/run_kraxctl.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

TEST(KraxctlVerifyTest, ListsWhatDiffersRestoresItAndThenFindsNothing) {
  test::ScratchFolder home;
  const std::vector<std::string> env{"HOME=" + home.path(), "WINEPREFIX=" + home / "no-prefix"};
  ASSERT_EQ(test::RunKraxctl({"make-demo", home / "demo"}, env).exitCode, 0);
  const auto run = [&](const std::string& cd, std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", home / "krax.ini", "--game", home / "demo/game", "--cd", cd, "verify"});
    return test::RunKraxctl(args, env);
  };
  const std::string cd = home / "demo/cd";

  // The demo's game changes some stock cars as players do: they are listed, add-ons never.
  test::KraxctlRun r = run(cd, {});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.out.find("differs: GameData"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("KOVA"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Checked "), std::string::npos) << r.out;
  // Without --yes and a terminal: the plan only.
  r = run(cd, {"--restore"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Nothing was restored."), std::string::npos) << r.err;
  EXPECT_EQ(run(cd, {}).exitCode, 1);

  r = run(cd, {"--restore", "--yes"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Restored "), std::string::npos) << r.out;
  r = run(cd, {});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_NE(r.out.find(": all match."), std::string::npos) << r.out;

  // One text file changed: only the strings part sees it, and --json says so.
  std::ofstream(test::PathOf(home / "demo/game/FeData/Text/Text.eng"), std::ios::app) << "x";
  EXPECT_EQ(run(cd, {"cars"}).exitCode, 0);
  EXPECT_EQ(run(cd, {"tracks"}).exitCode, 0);
  r = run(cd, {"strings", "--json"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out.rfind("{\"all_match\": false, \"files_checked\": ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("\"kind\": \"differs\", \"area\": \"strings\""), std::string::npos) << r.out;

  // No CD: exit 1 with the reason; bad arguments: exit 2.
  r = run(home / "no-cd", {});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("cannot be found"), std::string::npos) << r.out;
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"bogus"}, {"cars", "tracks"}, {"--json", "--restore"}}) {
    EXPECT_EQ(run(cd, bad).exitCode, 2) << bad.front();
  }
}

}  // namespace
}  // namespace krax

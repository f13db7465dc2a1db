// kraxctl restore and rename-dirs on a demo installation and its CD.
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "support/run_kraxctl.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

TEST(KraxctlRestoreRenameTest, EachCommandSaysWhatItChangedOrWhyItFailed) {
  test::ScratchFolder home;
  const std::vector<std::string> env{"HOME=" + home.path(), "WINEPREFIX=" + home / "no-prefix"};
  ASSERT_EQ(test::RunKraxctl({"make-demo", home / "demo"}, env).exitCode, 0);
  const auto run = [&](const std::string& cd, std::vector<std::string> args) {
    args.insert(args.begin(), {"--settings", home / "krax.ini", "--game", home / "demo/game", "--cd", cd});
    return test::RunKraxctl(args, env);
  };
  const std::string cd = home / "demo/cd";

  // Without --yes and without a terminal: the plan, nothing changed, and exit 1 (refused).
  test::KraxctlRun r = run(cd, {"restore", "cars"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.out.find(" files ("), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("Restored "), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("Nothing was restored."), std::string::npos) << r.err;
  r = run(cd, {"restore", "cars", "--yes"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Restored "), std::string::npos) << r.out;
  r = run(home / "no-cd", {"restore", "tracks", "--yes"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("cannot be found"), std::string::npos) << r.err;
  for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
           {"restore"}, {"restore", "slot", "9"}, {"restore", "car"}, {"rename-dirs", "ids"}}) {
    EXPECT_EQ(run(cd, bad).exitCode, 2) << bad.back();
  }
  r = run(cd, {"rename-dirs", "id"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.out.find(" -> "), std::string::npos) << r.out;  // the demo has folders to rename
  EXPECT_EQ(r.out.find("DIR = ID: "), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("No folder was renamed."), std::string::npos) << r.err;
  r = run(cd, {"rename-dirs", "id", "--yes"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("DIR = ID: "), std::string::npos) << r.out;
  // A second run finds every folder named.
  r = run(cd, {"rename-dirs", "id", "--yes"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("DIR = ID: nothing to rename"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace krax

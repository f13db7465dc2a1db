// kraxctl make-demo as a user runs it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/run_kraxctl.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

struct RunResult {
  int exitCode = -1;
  std::string out, err;
};

// `arguments` are written as a shell takes them; they are split the same way and kraxctl
// is started directly, with nothing on its input.
RunResult RunKraxctl(const test::ScratchFolder&, const std::string& arguments) {
  const test::KraxctlRun run = test::RunKraxctlLine(arguments);
  return {run.exitCode, run.out, run.err};
}

TEST(MakeDemoCommandTest, WritesTheDemoOnceAndThenRefuses) {
  test::ScratchFolder folder;
  const std::string dir = folder / "demo";
  RunResult first = RunKraxctl(folder, "make-demo '" + dir + "' --cars 21 --seed 9 --compact");
  ASSERT_EQ(first.exitCode, 0) << first.err;
  EXPECT_TRUE(std::filesystem::is_regular_file(dir + "/game/install.win"));
  EXPECT_TRUE(std::filesystem::is_directory(dir + "/cd/GameData/CarModel/ZEPH"));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir + "/game/GameData/CarModel/Q000/car.viv"));
  EXPECT_NE(first.out.find("21 cars"), std::string::npos) << first.out;

  const std::string installWin = test::ReadFileBytes(dir + "/game/install.win");
  RunResult second = RunKraxctl(folder, "make-demo '" + dir + "'");
  EXPECT_EQ(second.exitCode, 1);
  EXPECT_NE(second.err.find("not empty"), std::string::npos) << second.err;
  EXPECT_EQ(test::ReadFileBytes(dir + "/game/install.win"), installWin);
}

TEST(MakeDemoCommandTest, BadArgumentsAreUsageErrors) {
  test::ScratchFolder folder;
  for (const std::string arguments :
       {"make-demo", "make-demo X --cars 5", "make-demo X --cars 1000", "make-demo X --cars ten",
        "make-demo X --seed", "make-demo X Y", "make-demo X --colour red"}) {
    RunResult result = RunKraxctl(folder, arguments);
    EXPECT_EQ(result.exitCode, 2) << arguments << ": " << result.err;
    EXPECT_FALSE(std::filesystem::exists(folder / "X")) << arguments;
  }
}

}  // namespace
}  // namespace krax

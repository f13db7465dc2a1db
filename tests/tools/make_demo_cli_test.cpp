// kraxctl make-demo as a user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/scratch_folder.h"

namespace krax {
namespace {

struct RunResult {
  int exitCode = -1;
  std::string out, err;
};

RunResult RunKraxctl(const test::ScratchFolder& folder, const std::string& arguments) {
  const std::string out = folder / "stdout.txt", err = folder / "stderr.txt";
  const std::string command = std::string("'") + KRAX_KRAXCTL + "' " + arguments + " >'" + out +
                              "' 2>'" + err + "' </dev/null";
  const int status = std::system(command.c_str());
  RunResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = test::ReadFileBytes(out);
  result.err = test::ReadFileBytes(err);
  return result;
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

// How the tests start programs: a run that goes wrong says why, and never hangs the suite.
#include <gtest/gtest.h>

#include <chrono>

#include "support/run_kraxctl.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

using namespace std::chrono_literals;

TEST(CapturedRun, AFailedExpectationShowsWhatWentWrong) {
  test::ScratchFolder home;

  // A program that cannot be started: the system's reason, never a bare -1.
  const test::KraxctlRun missing = test::RunCaptured({home / "no-such-program.exe", 10s}, {"--help"});
  EXPECT_EQ(missing.exitCode, -1);
  EXPECT_NE(missing.exitCode.startError.find("no-such-program.exe"), std::string::npos) << missing.exitCode.startError;
  EXPECT_NE(missing.exitCode.startError.find("failed with error"), std::string::npos) << missing.exitCode.startError;
  EXPECT_NE(testing::PrintToString(missing.exitCode).find("did not start"), std::string::npos);

  // A program that fails: its standard error comes with the exit code.
  const test::KraxctlRun refused = test::RunKraxctl({"--settings", home / "k.ini", "frobnicate"});
  EXPECT_EQ(refused.exitCode, 2);
  ASSERT_FALSE(refused.err.empty());
  const std::string shown = testing::PrintToString(refused.exitCode);
  EXPECT_EQ(shown.rfind("2\n", 0), 0u) << shown;
  EXPECT_NE(shown.find(refused.err), std::string::npos) << shown;
  EXPECT_TRUE(refused.exitCode.startError.empty());
}

TEST(CapturedRun, AProgramThatDoesNotEndIsKilledAndSaysSo) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a program that waits; the Linux run checks the time limit";
#else
  const auto started = std::chrono::steady_clock::now();
  const test::KraxctlRun run = test::RunCaptured({"/bin/sleep", 300ms}, {"30"});
  EXPECT_LT(std::chrono::steady_clock::now() - started, 20s);
  EXPECT_EQ(run.exitCode, -1);
  EXPECT_EQ(run.exitCode.timeLimit, 300ms);
  EXPECT_NE(testing::PrintToString(run.exitCode).find("did not end within 300 ms"), std::string::npos);
#endif
}

}  // namespace
}  // namespace krax

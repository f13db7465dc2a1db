#include "platform/process.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/scratch_folder.h"
#include "support/wine_prefix.h"

namespace krax {
namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLine, SplitsLikeAShell) {
  EXPECT_EQ(SplitCommandLine("editor  car.viv\t-x"), (Words{"editor", "car.viv", "-x"}));
  EXPECT_EQ(SplitCommandLine("\"/opt/My Editor/edit\" 'a b' c\\ d"), (Words{"/opt/My Editor/edit", "a b", "c d"}));
  EXPECT_EQ(SplitCommandLine("say \"a \\\"q\\\" \\$HOME \\x\""), (Words{"say", "a \"q\" $HOME \\x"}));
  EXPECT_EQ(SplitCommandLine("'$HOME' `x` ;|"), (Words{"$HOME", "`x`", ";|"}));  // nothing is expanded
  EXPECT_EQ(SplitCommandLine("a '' b"), (Words{"a", "", "b"}));
  EXPECT_EQ(SplitCommandLine("   "), Words{});
}

TEST(SplitCommandLine, UnclosedQuoteIsRefused) {
  EXPECT_FALSE(SplitCommandLine("edit \"car.viv"));
  EXPECT_FALSE(SplitCommandLine("edit 'car.viv"));
}

TEST(StartProgram, AMissingProgramIsAFailureResult) {
  ProcessResult r = StartCommandLine("krax-no-such-program-here --flag");
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.systemError, ENOENT);
  EXPECT_NE(r.message.find("krax-no-such-program-here"), std::string::npos);

  EXPECT_FALSE(StartCommandLine("").ok());
  EXPECT_FALSE(StartCommandLine("edit \"open").ok());
  EXPECT_FALSE(StartProgram({"/nonexistent/folder/tool"}).ok());
}

TEST(StartProgram, RunsInTheWorkingFolderWithoutAShell) {
#ifdef _WIN32
  GTEST_SKIP() << "starts sh, a Linux program";
#else
  test::ScratchFolder dir;
  std::string work = dir.mkdir("work dir");
  StartOptions options;
  options.workingFolder = work;
  options.wait = true;
  // The semicolon reaches sh as text: the line itself is never given to a shell.
  ProcessResult r = StartCommandLine("sh -c 'pwd > out.txt; echo \"$1\" >> out.txt' sh 'a;b'", options);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(test::ReadFileBytes(work + "/out.txt"), work + "\na;b\n");

  options.workingFolder = dir / "missing";
  EXPECT_FALSE(StartCommandLine("true", options).ok());
#endif
}

TEST(StartProgram, WindowsProgramsGoThroughWineWithTheirPrefix) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows programs go through Wine on Linux only";
#else
  test::ScratchFolder dir;
  std::string prefix = test::MakeWinePrefix(dir, test::GameSystemReg("C:\\Games\\Kraxrun"));
  std::string exe = dir.write("prefix/drive_c/Games/Kraxrun/KRAX.EXE", "MZ");
  // A stand-in for wine that records how it was called.
  std::string bin = dir.mkdir("bin");
  std::string record = dir / "wine-called.txt";
  dir.write("bin/wine", "#!/bin/sh\necho \"$WINEPREFIX|$*\" > '" + record + "'\n");
  std::filesystem::permissions(bin + "/wine", std::filesystem::perms::owner_all);
  const char* oldPath = ::getenv("PATH");
  test::ScopedEnv path("PATH", bin + ":" + (oldPath ? oldPath : "/usr/bin:/bin"));

  StartOptions options;
  options.wait = true;
  ProcessResult r = StartProgram({exe, "-nointro"}, options);
  ASSERT_TRUE(r.ok()) << r.message;
  EXPECT_EQ(test::ReadFileBytes(record), prefix + "|" + exe + " -nointro\n");
  EXPECT_EQ(WinePrefixOf(exe), prefix);
  EXPECT_EQ(WinePrefixOf(dir / "bin/wine"), "");
#endif
}

TEST(IsWindowsProgram, ExeInAnyCase) {
  EXPECT_TRUE(IsWindowsProgram("/games/KRAX.EXE"));
  EXPECT_TRUE(IsWindowsProgram("edit.exe"));
  EXPECT_FALSE(IsWindowsProgram("exe"));
  EXPECT_FALSE(IsWindowsProgram("/usr/bin/gimp"));
}

TEST(OpenWithAssociatedProgram, AMissingFileIsAFailure) {
  ProcessResult r = OpenWithAssociatedProgram("/nonexistent/krax/car.viv");
  EXPECT_FALSE(r.ok());
  EXPECT_FALSE(r.message.empty());
}

}  // namespace
}  // namespace krax

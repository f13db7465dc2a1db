// kraxctl's global options, help, exit codes and the settings and where commands.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/path.h"
#include "support/run_kraxctl.h"
#include "support/scratch_folder.h"
#include "support/wine_prefix.h"

namespace krax {
namespace {

using test::RunKraxctl;

std::size_t LineCount(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

class KraxctlTest : public ::testing::Test {
 protected:
  // Keeps every run away from the user's own settings and Wine prefix.
  std::vector<std::string> Env() const { return {"HOME=" + home.path(), "WINEPREFIX=" + home / "no-prefix"}; }
  test::KraxctlRun Run(std::vector<std::string> args) const {
    args.insert(args.begin(), {"--settings", settingsFile});
    return RunKraxctl(args, Env());
  }
  test::ScratchFolder home;
  std::string settingsFile = home / "krax.ini";
};

TEST_F(KraxctlTest, HelpListsTheCommands) {
  test::KraxctlRun r = RunKraxctl({"--help"}, Env());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("Usage: kraxctl"), std::string::npos);
  EXPECT_NE(r.out.find("  settings"), std::string::npos);
  EXPECT_NE(r.out.find("  where"), std::string::npos);

  r = RunKraxctl({"settings", "--help"}, Env());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out.rfind("Usage: kraxctl settings", 0), 0u);
}

TEST_F(KraxctlTest, VersionIsTheProjectsAndNeedsNoGame) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--version"}, {"--game", home / "none", "--version"}}) {
    const test::KraxctlRun r = RunKraxctl(args, Env());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, std::string("kraxctl ") + KRAX_PROJECT_VERSION + "\n");
  }
  EXPECT_NE(RunKraxctl({"--help"}, Env()).out.find("--version"), std::string::npos);
}

TEST_F(KraxctlTest, UsageErrorsExitTwoWithOneLine) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"no-such-command"}, {"--bogus", "settings"}, {"--game"}, {"settings", "frobnicate"},
           {"settings", "set", "NEQ"}, {"settings", "set", "NEQ", "2"}, {"settings", "set", "Bogus", "1"},
           {"where", "extra"}}) {
    test::KraxctlRun r = Run(args);
    std::string joined;
    for (const std::string& a : args) joined += a + " ";
    EXPECT_EQ(r.exitCode, 2) << joined;
    EXPECT_EQ(r.err.rfind("kraxctl: ", 0), 0u) << joined << r.err;
    EXPECT_EQ(LineCount(r.err), 1u) << joined << r.err;
  }
  EXPECT_FALSE(test::ReadFileBytes(settingsFile).size());  // nothing was stored
}

// Each command reads its options from its own table, which also writes its usage lines:
// an option outside the table is a usage error for every command, and every option the
// usage lines name is one the command knows.
TEST_F(KraxctlTest, EveryCommandRefusesAnUnknownOptionAndKnowsTheOnesItsHelpNames) {
  const std::string list = RunKraxctl({"--help"}, Env()).out;
  std::vector<std::string> commands;
  const std::size_t start = list.find("\nCommands:\n");
  ASSERT_NE(start, std::string::npos) << list;
  for (std::size_t at = start + 11; at < list.size() && list.compare(at, 2, "  ") == 0;) {
    const std::size_t end = list.find('\n', at);
    const std::size_t nameStart = list.find_first_not_of(' ', at);
    commands.push_back(list.substr(nameStart, list.find(' ', nameStart) - nameStart));
    at = end + 1;
  }
  ASSERT_GE(commands.size(), 25u) << list;
  std::size_t optionsNamed = 0;
  for (const std::string& command : commands) {
    SCOPED_TRACE(command);
    test::KraxctlRun r = Run({command, "--no-such-option"});
    EXPECT_EQ(r.exitCode, 2) << r.err;
    EXPECT_EQ(r.err,
              "kraxctl: " + command + ": unknown option \"--no-such-option\" (see kraxctl " + command + " --help)\n");

    const std::string help = Run({command, "--help"}).out;
    ASSERT_EQ(help.rfind("Usage: kraxctl " + command, 0), 0u) << help;
    std::vector<std::string> named;
    for (std::size_t at = 0; at < help.size();) {
      const std::size_t end = std::min(help.find('\n', at), help.size());
      const std::string line = help.substr(at, end - at);
      at = end + 1;
      if (line.rfind("Usage: kraxctl ", 0) != 0 && line.rfind("       kraxctl ", 0) != 0) break;
      for (std::size_t dashes = line.find("--"); dashes != std::string::npos; dashes = line.find("--", dashes + 2)) {
        const std::size_t nameEnd = line.find_first_not_of("abcdefghijklmnopqrstuvwxyz-", dashes + 2);
        named.push_back(line.substr(dashes, nameEnd - dashes));
      }
    }
    for (const std::string& option : named) {
      r = Run({command, option});
      EXPECT_EQ(r.err.find("unknown option"), std::string::npos) << option << ": " << r.err;
    }
    optionsNamed += named.size();
  }
  EXPECT_GE(optionsNamed, 30u);
}

TEST_F(KraxctlTest, SettingsPrintsTheNineInOrderWithOverridesNeverStored) {
#ifndef _WIN32
  // The runner's own Wine prefix records a game; the test's environment must win.
  test::ScopedEnv runnerPrefix("WINEPREFIX", test::MakeWinePrefix(home, test::GameSystemReg("C:\\Games\\Kraxrun"), "runner"));
#endif
  test::KraxctlRun r = Run({"--game", "/games/krax", "--cd=/media/cd", "settings"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "KRAXPath=/games/krax\nKRAXCDPath=/media/cd\nKRAXCarEdit=Default Shell Action\n"
            "KRAXTrackEdit=Default Shell Action\nCPATH=\nDUPL_SN=1\nNEQ=0\nPath_4=0\nKRAXText=0\n");

  ASSERT_EQ(Run({"--game", "/games/krax", "settings", "set", "NEQ", "1"}).exitCode, 0);
  ASSERT_EQ(Run({"settings", "set", "KRAXCarEdit", "carstudio --open"}).exitCode, 0);
  r = Run({"settings"});
  EXPECT_NE(r.out.find("\nNEQ=1\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nKRAXCarEdit=carstudio --open\n"), std::string::npos);
  EXPECT_EQ(r.out.rfind("KRAXPath=\n", 0), 0u);  // --game was not stored
}

TEST_F(KraxctlTest, SetStoresOnlyItsOwnValueAsGivenAndGameCommandsNeedAGame) {
#ifdef _WIN32
  GTEST_SKIP() << "the game recorded in a Wine prefix and arguments that are not UTF-8 are Linux matters";
#else
  ASSERT_EQ(Run({"settings", "set", "NEQ", "1"}).exitCode, 0);
  const std::string stored = test::ReadFileBytes(settingsFile);
  EXPECT_NE(stored.find("\nNEQ=1\n"), std::string::npos) << stored;
  for (const char* unset : {"KRAXPath", "KRAXCDPath", "CPATH", "DUPL_SN"}) {
    EXPECT_EQ(stored.find(unset), std::string::npos) << unset << " was stored:\n" << stored;
  }
  // The game recorded in the Wine prefix is still looked up.
  const std::string prefix = test::MakeWinePrefix(home, test::GameSystemReg("C:\\Games\\Kraxrun"));
  test::KraxctlRun r = RunKraxctl({"--settings", settingsFile, "settings"}, {"HOME=" + home.path(), "WINEPREFIX=" + prefix});
  EXPECT_EQ(r.out.rfind("KRAXPath=" + std::filesystem::canonical(prefix + "/drive_c/Games/Kraxrun").string() + "\n", 0), 0u) << r.out;

  // A path that is not UTF-8 is stored byte for byte.
  const std::string odd = "/games/\xC4\xFF\xFEkrax";
  ASSERT_EQ(Run({"settings", "set", "KRAXPath", odd}).exitCode, 0);
  EXPECT_EQ(Run({"settings"}).out.rfind("KRAXPath=" + odd + "\n", 0), 0u);

  // No game folder, or one without GameData: the game commands fail and say why.
  ASSERT_EQ(Run({"settings", "set", "KRAXPath", ""}).exitCode, 0);
  home.mkdir("empty");
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"cars"}, {"tracks"}, {"gen-serials"}, {"--game", home / "empty", "cars"}}) {
    r = Run(args);
    EXPECT_EQ(r.exitCode, 1) << args.back();
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_NE(r.err.find(args.size() == 1 ? "no game folder is set" : "holds no GameData folder"), std::string::npos) << r.err;
  }
#endif
}

TEST_F(KraxctlTest, AFailedWriteExitsOne) {
  home.write("file", "");
  test::KraxctlRun r = RunKraxctl({"--settings", home / "file/krax.ini", "settings", "set", "NEQ", "1"}, Env());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("cannot write the settings"), std::string::npos);
}

TEST_F(KraxctlTest, WhereShowsTheRecordedGameAndItsLanguage) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine prefixes are a Linux matter; see WhereShowsTheRegistryEntryOnWindows";
#else
  std::string prefix = test::MakeWinePrefix(home, test::GameSystemReg("C:\\Games\\Kraxrun"));
  home.write("prefix/drive_c/Games/Kraxrun/install.win", "german\r\na\r\nb\r\nc\r\n\x1A");
  test::KraxctlRun r = RunKraxctl({"--settings", settingsFile, "where"}, {"HOME=" + home.path(), "WINEPREFIX=" + prefix});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  std::string game = std::filesystem::canonical(prefix + "/drive_c/Games/Kraxrun").string();
  EXPECT_NE(r.out.find("Recorded game folder: " + game + "\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Game folder in use (KRAXPath): " + game + "\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("german (suffix .ger)"), std::string::npos) << r.out;
#endif
}

// On Windows the game's installer records it in the registry (the 32-bit view of the
// machine's key); kraxctl finds it there and reads its install.win.
TEST_F(KraxctlTest, WhereShowsTheRegistryEntryOnWindows) {
#ifndef _WIN32
  GTEST_SKIP() << "the registry is a Windows matter";
#else
  const std::string game = home.mkdir("Kraxrun");
  home.write("Kraxrun/install.win", "german\r\na\r\nb\r\nc\r\n\x1A");
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Voltarra\\Kraxrun", 0, nullptr, 0,
                        KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    GTEST_SKIP() << "the machine's registry key cannot be written here";
  }
  ::RegSetValueExA(key, "InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(game.c_str()),
                   static_cast<DWORD>(game.size() + 1));
  test::KraxctlRun r = RunKraxctl({"--settings", settingsFile, "where"}, Env());
  ::RegDeleteValueA(key, "InstallPath");
  ::RegCloseKey(key);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("Registry key: HKEY_LOCAL_MACHINE\\Software\\Voltarra\\Kraxrun"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Recorded game folder: " + game + "\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Game folder in use (KRAXPath): " + game + "\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("german (suffix .ger)"), std::string::npos) << r.out;
#endif
}

}  // namespace
}  // namespace krax

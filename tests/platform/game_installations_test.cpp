// The game found in the launchers' Wine prefixes when the prefix in use does not record it.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/game_discovery.h"
#include "platform/game_installations.h"
#include "support/scratch_folder.h"
#include "support/wine_prefix.h"

namespace krax {
namespace {

TEST(GameInstallations, EveryLauncherPrefixIsSearchedAndThePrefixInUseComesFirst) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine prefixes are Linux's";
#endif
  test::ScratchFolder home;
  const std::string reg = test::GameSystemReg("C:\\Games\\Kraxrun");
  struct Case {
    const char* prefix;  // below the home folder
    const char* launcher;
  };
  const Case cases[] = {
      {"Games/krax", "Lutris"},
      {".local/share/bottles/bottles/Krax", "Bottles"},
      {".PlayOnLinux/wineprefix/Kraxrun", "PlayOnLinux"},
      {".local/share/Steam/steamapps/compatdata/4711/pfx", "Steam Proton"},
  };
  for (const Case& c : cases) test::MakeWinePrefix(home, reg, c.prefix);
  home.mkdir("Games/other-game");                            // a folder without a prefix
  test::MakeWinePrefix(home, "WINE REGISTRY Version 2\n", "Games/no-krax");  // a prefix without the game

  const std::string inUse = home / "wine-in-use";
  std::vector<GameInstallation> found = FindGameInstallations(inUse, home.path());
  ASSERT_EQ(found.size(), std::size(cases));
  for (std::size_t i = 0; i < found.size(); ++i) {
    SCOPED_TRACE(cases[i].prefix);
    EXPECT_EQ(found[i].launcher, cases[i].launcher);
    EXPECT_EQ(found[i].winePrefix, home / cases[i].prefix);
    EXPECT_EQ(found[i].gameFolder, std::filesystem::canonical(home / cases[i].prefix + "/drive_c/Games/Kraxrun").string());
  }

  // The prefix in use, once it records the game, is the first (the default game folder).
  test::MakeWinePrefix(home, reg, "wine-in-use");
  found = FindGameInstallations(inUse, home.path());
  ASSERT_EQ(found.size(), std::size(cases) + 1);
  EXPECT_EQ(found.front().launcher, "Wine");
  const test::ScopedEnv homeEnv("HOME", home.path());
  const test::ScopedEnv prefixEnv("WINEPREFIX", home / "missing");
  EXPECT_EQ(FindGameFolder(), found[1].gameFolder);  // Lutris, the first launcher found
}

}  // namespace
}  // namespace krax

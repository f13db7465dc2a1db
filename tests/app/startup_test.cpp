#include "app/startup.h"

#include <gtest/gtest.h>

#include "gamedata/game_data.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

// A game text file holding `strings`: a table of offsets, then the zero-ended strings.
std::string TextFile(const std::vector<std::string>& strings) {
  std::string table, body;
  std::uint32_t offset = static_cast<std::uint32_t>(4 * strings.size());
  for (const std::string& s : strings) {
    for (int i = 0; i < 4; ++i) table.push_back(static_cast<char>((offset >> (8 * i)) & 0xFF));
    body += s;
    body.push_back('\0');
    offset += static_cast<std::uint32_t>(s.size() + 1);
  }
  return table + body;
}

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game.write("install.win", "german\r\nx\r\ny\r\nz\r\n\x1A");
    game.write("FeData/Text/Text.ger", TextFile({"Rennen", "Optionen"}));
  }
  test::ScratchFolder game, config;
};

TEST_F(StartUpTest, OverridesApplyForThisRunOnly) {
  SettingsStore store(config.write("krax.ini", "[PATH]\nKRAXPath=/stored\nCPATH=/archives\n"));
  Settings s = StartUpSettings(store, SettingsDefaults{}, SettingsOverrides{game.path(), std::string("/cd")});
  EXPECT_EQ(s.gameFolder, game.path());
  EXPECT_EQ(s.cdPath, "/cd");
  EXPECT_EQ(s.archiveFolder, "/archives");
  EXPECT_EQ(LoadSettings(store, SettingsDefaults{}).gameFolder, "/stored");
}

TEST_F(StartUpTest, ReadsInstallInformationAndLoadsTextOnlyWhenEnabled) {
  Settings s;
  s.gameFolder = game.path();
  GameData off;
  StartUpGameData(s, off);
  EXPECT_EQ(off.installInfo.lines[0], "german\n");
  EXPECT_EQ(off.languageSuffix(), ".ger");
  EXPECT_TRUE(off.gameText.empty());

  s.kraxText = true;
  GameData on;
  StartUpGameData(s, on);
  ASSERT_EQ(on.gameText.count(), 2u);
  EXPECT_EQ(on.gameText.text(1), "Optionen");
}

TEST_F(StartUpTest, AMissingGameFolderStartsWithNothing) {
  Settings s;
  s.gameFolder = game / "missing";
  s.kraxText = true;
  GameData data;
  data.installInfo.lines[0] = "english\n";  // left over from an earlier folder
  StartUpGameData(s, data);
  EXPECT_EQ(data.languageSuffix(), "");
  EXPECT_TRUE(data.gameText.empty());
}

}  // namespace
}  // namespace krax

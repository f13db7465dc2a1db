#include "platform/path.h"

#include <gtest/gtest.h>

#include "support/scratch_folder.h"

namespace krax {
namespace {

// `path` with native separators, so that one table serves every system.
std::string Native(std::string path) {
  for (char& c : path) c = c == '/' ? NativeSeparator() : c;
  return path;
}

TEST(JoinPath, GameSubPathsGetExactlyOneNativeSeparator) {
  EXPECT_EQ(JoinPath(Native("/games/krax"), "\\GameData\\CarModel\\"), Native("/games/krax/GameData/CarModel/"));
  EXPECT_EQ(JoinPath(Native("/media/cdrom/"), "\\GameData\\Tracks\\*.*"), Native("/media/cdrom/GameData/Tracks/*.*"));
  EXPECT_EQ(JoinPath("/cd//", "//FeData"), "/cd" + Native("/FeData"));
  EXPECT_EQ(JoinPath(Native("/games/krax"), "install.win"), Native("/games/krax/install.win"));
}

TEST(JoinPath, RootAndEmptyFolder) {
  EXPECT_EQ(JoinPath(Native("/"), "\\GameData"), Native("/GameData"));
  EXPECT_EQ(JoinPath("", "\\GameData\\Tracks"), Native("/GameData/Tracks"));
  EXPECT_EQ(JoinPath("", "Tracks"), "Tracks");
#ifdef _WIN32
  EXPECT_EQ(JoinPath("C:\\", "Games"), "C:\\Games");
  EXPECT_EQ(ParentPath("C:\\Games"), "C:\\");  // a drive's root is a folder of its own
  EXPECT_EQ(ParentPath("C:\\"), "");
#endif
}

TEST(PathPieces, ComponentsBaseNameAndParentAcceptBothSeparators) {
  EXPECT_EQ(PathComponents("\\GameData//CarModel\\0001\\"),
            (std::vector<std::string>{"GameData", "CarModel", "0001"}));
  EXPECT_TRUE(PathComponents("").empty());
  EXPECT_EQ(BaseName("/game/GameData\\CarModel\\ABCD"), "ABCD");
  EXPECT_EQ(BaseName("car.viv"), "car.viv");
  EXPECT_EQ(BaseName("/game/Tracks/"), "");
  EXPECT_EQ(ParentPath("/game/GameData\\CarModel"), "/game/GameData");
  EXPECT_EQ(ParentPath("car.viv"), "");
  EXPECT_EQ(ParentPath("/game"), "/");
}

TEST(EqualsIgnoreCase, AsciiOnly) {
  EXPECT_TRUE(EqualsIgnoreCase("CAR.VIV", "car.viv"));
  EXPECT_FALSE(EqualsIgnoreCase("car.viv", "car.vi"));
  EXPECT_FALSE(EqualsIgnoreCase("\xC4", "\xE4"));  // Latin-1 umlauts are not folded
  EXPECT_EQ(AsciiLower("Trk001\\CAR.VIV \xC4"), "trk001\\car.viv \xC4");
}

class ResolvePathTest : public ::testing::Test {
 protected:
  test::ScratchFolder dir;
};

TEST_F(ResolvePathTest, FindsEntriesWhateverTheirCase) {
  dir.mkdir("GameData/Tracks/Trk003");
  dir.write("GameData/CarModel/ABCD/CAR.VIV", "x");
  EXPECT_EQ(ResolvePath(dir / "gamedata\\TRACKS\\TRK003"), dir / "GameData/Tracks/Trk003");
  EXPECT_EQ(ResolvePath(dir / "GameData/CarModel/abcd/car.viv"), dir / "GameData/CarModel/ABCD/CAR.VIV");
  EXPECT_TRUE(PathExists(dir / "GAMEDATA/carmodel/ABCD/Car.Viv"));
}

TEST_F(ResolvePathTest, ExactSpellingWinsOverAnotherCase) {
#ifdef _WIN32
  GTEST_SKIP() << "two names that differ only in letter case cannot both exist on Windows";
#else
  dir.write("Text.eng", "exact");
  dir.write("TEXT.ENG", "upper");
  EXPECT_EQ(ResolvePath(dir / "Text.eng"), dir / "Text.eng");
  EXPECT_EQ(ResolvePath(dir / "TEXT.ENG"), dir / "TEXT.ENG");
#endif
}

TEST_F(ResolvePathTest, MissingPartsKeepTheirSpellingBelowTheFoundOnes) {
  dir.mkdir("GameData/CarModel");
  EXPECT_EQ(ResolvePath(dir / "gamedata/carmodel/NewCar/car.viv"), dir / "GameData/CarModel/NewCar/car.viv");
  EXPECT_FALSE(PathExists(dir / "gamedata/carmodel/NewCar"));
  EXPECT_FALSE(PathExists(""));
}

}  // namespace
}  // namespace krax

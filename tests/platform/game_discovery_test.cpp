#include "platform/game_discovery.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/scratch_folder.h"
#include "support/wine_prefix.h"

namespace krax {
namespace {

std::string Real(const std::string& path) { return std::filesystem::canonical(path).string(); }

TEST(ReadWineRegistryValue, FindsTheValueOfTheRightKeyIgnoringCase) {
  std::string reg = test::GameSystemReg("C:\\Games\\Kraxrun");
  EXPECT_EQ(ReadWineRegistryValue(reg, "Software\\Voltarra\\Kraxrun", "InstallPath"), "C:\\Games\\Kraxrun");
  EXPECT_EQ(ReadWineRegistryValue(reg, "SOFTWARE\\voltarra\\KRAXRUN", "installpath"), "C:\\Games\\Kraxrun");
  EXPECT_EQ(ReadWineRegistryValue(reg, "Software\\Quillhaven\\Lanterns", "InstallPath"), "C:\\Wrong");
  EXPECT_FALSE(ReadWineRegistryValue(reg, "Software\\Voltarra", "InstallPath"));
  EXPECT_FALSE(ReadWineRegistryValue(reg, "Software\\Voltarra\\Kraxrun", "Version"));  // a number
  EXPECT_FALSE(ReadWineRegistryValue(reg, "Software\\Voltarra\\Kraxrun", "Missing"));
}

TEST(ReadWineRegistryValue, UnescapesTheText) {
  std::string reg =
      "[Software\\\\Voltarra\\\\Kraxrun] 1\n"
      "\"A\"=\"say \\\"hi\\\" \\\\ x\"\n"
      "\"B\"=str(2):\"%ProgramFiles%\\\\K\"\n"
      "\"C\"=\"caf\\x00e9\"\n"
      "\"Name \\\"q\\\"\"=\"v\"\n";
  const std::string_view key = "Software\\Voltarra\\Kraxrun";
  EXPECT_EQ(ReadWineRegistryValue(reg, key, "A"), "say \"hi\" \\ x");
  EXPECT_EQ(ReadWineRegistryValue(reg, key, "B"), "%ProgramFiles%\\K");
  EXPECT_EQ(ReadWineRegistryValue(reg, key, "C"), "caf\xC3\xA9");
  EXPECT_EQ(ReadWineRegistryValue(reg, key, "Name \"q\""), "v");
}

class WinePrefixTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "Wine prefixes, their drive links and the mount table are a Linux matter";
#endif
  }
  test::ScratchFolder dir;
};

TEST_F(WinePrefixTest, GameFolderFoundThroughWineprefix) {
  std::string prefix = test::MakeWinePrefix(dir, test::GameSystemReg("C:\\GAMES\\kraxrun"));
  test::ScopedEnv env("WINEPREFIX", prefix);
  EXPECT_EQ(DefaultWinePrefix(), prefix);
  // The drive letter goes through dosdevices; the rest is found whatever its case.
  EXPECT_EQ(FindGameFolder(), Real(prefix + "/drive_c/Games/Kraxrun"));
}

TEST_F(WinePrefixTest, HomeWineIsTheDefaultPrefix) {
  test::MakeWinePrefix(dir, test::GameSystemReg("C:\\Games\\Kraxrun"), ".wine");
  test::ScopedEnv home("HOME", dir.path());
  test::ScopedEnv prefix("WINEPREFIX", "");
  EXPECT_EQ(FindGameFolder(), Real(dir / ".wine/drive_c/Games/Kraxrun"));
}

TEST_F(WinePrefixTest, KeyBelowWow6432NodeIsFound) {
  std::string prefix = test::MakeWinePrefix(
      dir, test::GameSystemReg("C:\\Games\\Kraxrun", "Software\\\\Wow6432Node\\\\Voltarra\\\\Kraxrun"));
  EXPECT_EQ(FindGameFolder(prefix), Real(prefix + "/drive_c/Games/Kraxrun"));
}

TEST_F(WinePrefixTest, NothingRecordedGivesEmpty) {
  EXPECT_EQ(FindGameFolder(dir / "no-prefix"), "");
  EXPECT_EQ(FindGameFolder(""), "");
  std::string noValue = test::MakeWinePrefix(dir, "[Software\\\\Voltarra\\\\Kraxrun] 1\n\"Other\"=\"x\"\n", "a");
  EXPECT_EQ(FindGameFolder(noValue), "");
  // A drive without a dosdevices link cannot be reached.
  std::string unmapped = test::MakeWinePrefix(dir, test::GameSystemReg("Q:\\Krax"), "b");
  EXPECT_EQ(FindGameFolder(unmapped), "");
}

TEST_F(WinePrefixTest, MapWindowsPathUsesTheDriveLinks) {
  std::string prefix = test::MakeWinePrefix(dir, "");
  std::filesystem::create_directory_symlink("/", prefix + "/dosdevices/z:");
  EXPECT_EQ(MapWindowsPath(prefix, "Z:\\tmp"), "/tmp");
  EXPECT_EQ(MapWindowsPath(prefix, "c:"), Real(prefix + "/drive_c"));
  EXPECT_EQ(MapWindowsPath(prefix, "\\\\server\\share"), "");
  EXPECT_EQ(MapWindowsPath(prefix, "Games"), "");
}

TEST_F(WinePrefixTest, CdFromTheMountTable) {
  std::string mounts = dir.write("mounts",
                                 "/dev/sda1 / ext4 rw,relatime 0 0\n"
                                 "proc /proc proc rw 0 0\n"
                                 "/dev/sr0 /media/KRAX\\040CD iso9660 ro 0 0\n"
                                 "/dev/sr1 /media/second udf ro 0 0\n");
  EXPECT_EQ(FindCdDrive(mounts, ""), "/media/KRAX CD");
}

TEST_F(WinePrefixTest, CdFromAWineDriveThatLeadsToAnOpticalDrive) {
  std::string mounts = dir.write("mounts", "/dev/sda1 / ext4 rw 0 0\n");
  std::string prefix = test::MakeWinePrefix(dir, "");
  std::string cdFolder = dir.mkdir("cdrom");
  std::filesystem::create_directory_symlink(cdFolder, prefix + "/dosdevices/e:");
  std::filesystem::create_symlink("/dev/sr0", prefix + "/dosdevices/e::");
  std::filesystem::create_directory_symlink(dir.mkdir("other"), prefix + "/dosdevices/d:");
  std::filesystem::create_symlink("/dev/sda2", prefix + "/dosdevices/d::");
  EXPECT_EQ(FindCdDrive(mounts, prefix), Real(cdFolder));
}

TEST_F(WinePrefixTest, NoCdGivesEmpty) {
  std::string mounts = dir.write("mounts", "/dev/sda1 / ext4 rw 0 0\n");
  std::string prefix = test::MakeWinePrefix(dir, "");
  EXPECT_EQ(FindCdDrive(mounts, prefix), "");
  EXPECT_EQ(FindCdDrive(dir / "no-mounts", ""), "");
}

}  // namespace
}  // namespace krax

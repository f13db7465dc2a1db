#include "app/settings_store.h"

#include <gtest/gtest.h>

#ifdef KRAX_HAVE_QT
#include <QSettings>
#include <QString>
#endif

#include "support/scratch_folder.h"
#include "support/wine_prefix.h"

namespace krax {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  std::string Ini(const std::string& text) { return dir.write("krax.ini", text); }
  test::ScratchFolder dir;
  SettingsDefaults machine{"/games/krax", "/media/cdrom"};
};

TEST_F(SettingsStoreTest, FirstStartTakesTheDefaults) {
  Settings s = LoadSettings(SettingsStore(dir / "none.ini"), machine);
  EXPECT_EQ(s.gameFolder, "/games/krax");
  EXPECT_EQ(s.cdPath, "/media/cdrom");
  EXPECT_EQ(s.carEditor, "Default Shell Action");
  EXPECT_EQ(s.trackEditor, "Default Shell Action");
  EXPECT_EQ(s.archiveFolder, "/games/krax");
  EXPECT_EQ(s.flagDuplicateSerials, 1);
  EXPECT_EQ(s.flagDifferingSerials, 0);
  EXPECT_EQ(s.flagLongFolderNames, 0);
  EXPECT_EQ(s.kraxText, 0);
  EXPECT_FALSE(test::ReadFileBytes(dir / "none.ini").size());  // loading stores nothing
}

TEST_F(SettingsStoreTest, AStoredEmptyGameFolderStaysEmpty) {
  Settings s = LoadSettings(SettingsStore(Ini("[PATH]\nKRAXPath=\n")), machine);
  EXPECT_EQ(s.gameFolder, "");
  EXPECT_EQ(s.archiveFolder, "");  // the game folder as read, not the machine's
}

TEST_F(SettingsStoreTest, AMissingCpathTakesTheStoredGameFolder) {
  Settings s = LoadSettings(SettingsStore(Ini("[PATH]\nKRAXPath=/home/me/krax\n")), machine);
  EXPECT_EQ(s.gameFolder, "/home/me/krax");
  EXPECT_EQ(s.archiveFolder, "/home/me/krax");
}

TEST_F(SettingsStoreTest, UnreadableSwitchesTakeTheirDefault) {
  Settings s = LoadSettings(SettingsStore(Ini("[OTHER]\nDUPL_SN=0\nNEQ=yes\nPath_4=1\nKRAXText=\n")), machine);
  EXPECT_EQ(s.flagDuplicateSerials, 0);
  EXPECT_EQ(s.flagDifferingSerials, 0);
  EXPECT_EQ(s.flagLongFolderNames, 1);
  EXPECT_EQ(s.kraxText, 0);
}

TEST_F(SettingsStoreTest, SaveWritesAllNineInOrderAndLoadsBack) {
  Settings s;
  s.gameFolder = "/games/My Krax, Deluxe";
  s.cdPath = "/media/cd";
  s.carEditor = "carstudio \"%1\"";
  s.trackEditor = "C:\\Tools\\track.exe";
  s.archiveFolder = "/home/me/archives";
  s.flagDuplicateSerials = false;
  s.flagDifferingSerials = true;
  s.flagLongFolderNames = true;
  s.kraxText = true;
  SettingsStore store(dir / "out.ini");
  ASSERT_TRUE(SaveSettings(store, s));
  EXPECT_EQ(LoadSettings(store, machine), s);

  // Every value under its group, switches as numbers.
  std::string text = test::ReadFileBytes(dir / "out.ini");
  std::size_t path = text.find("[PATH]"), other = text.find("[OTHER]");
  ASSERT_NE(path, std::string::npos);
  ASSERT_NE(other, std::string::npos);
  auto inGroup = [&](const char* line, const char* group) {
    std::size_t at = text.find(line);
    if (at == std::string::npos) return std::string("missing");
    // The group is the nearer header above the line.
    bool underPath = at > path && (other < path || at < other);
    return std::string(underPath ? "PATH" : "OTHER") == group ? std::string(group) : std::string("wrong group");
  };
  for (const char* line : {"\nKRAXPath=", "\nKRAXCDPath=/media/cd", "\nKRAXCarEdit=", "\nKRAXTrackEdit=", "\nCPATH=/home/me/archives"}) {
    EXPECT_EQ(inGroup(line, "PATH"), "PATH") << line;
  }
  for (const char* line : {"\nDUPL_SN=0", "\nNEQ=1", "\nPath_4=1", "\nKRAXText=1"}) {
    EXPECT_EQ(inGroup(line, "OTHER"), "OTHER") << line;
  }
}

TEST_F(SettingsStoreTest, HandWrittenValuesAreKeptLiterallyThroughASave) {
  const std::string text =
      "[PATH]\nKRAXTrackEdit=wine C:\\Tools\\trk.exe\nKRAXCarEdit=a,b\nCPATH=~/packs;old\n"
      "KRAXCDPath=\"quoted\" \\\\share\\cd\n";
  SettingsStore store(Ini(text));
  Settings s = LoadSettings(store, machine);
  EXPECT_EQ(s.trackEditor, "wine C:\\Tools\\trk.exe");
  EXPECT_EQ(s.carEditor, "a,b");
  EXPECT_EQ(s.archiveFolder, "~/packs;old");
  EXPECT_EQ(s.cdPath, "\"quoted\" \\\\share\\cd");
  s.flagDifferingSerials = true;
  ASSERT_TRUE(SaveSettings(store, s));
  EXPECT_EQ(LoadSettings(store, machine), s);
}

TEST_F(SettingsStoreTest, AFileOfTheEarlierVersionStillReads) {
#ifndef KRAX_HAVE_QT
  GTEST_SKIP() << "the earlier version's file is written with Qt's QSettings, which this build does without";
#else
  const std::string file = dir / "earlier.ini";
  Settings s;
  s.gameFolder = "C:\\Games\\Krax";
  s.carEditor = "carstudio \"%1\", fast";
  s.trackEditor = " trk;x=1 ";
  s.archiveFolder = "/home/me/Übungen";
  s.flagDifferingSerials = true;
  {
    QSettings earlier(QString::fromStdString(file), QSettings::IniFormat);
    for (const SettingName& name : kSettingNames) {
      const QString key = QString::fromLatin1(name.section) + '/' + QString::fromLatin1(name.name);
      if (name.isSwitch) {
        earlier.setValue(key, std::stoi(*SettingText(s, name.name)));
      } else {
        earlier.setValue(key, QString::fromStdString(*SettingText(s, name.name)));
      }
    }
    earlier.setValue(QStringLiteral("Recent File List/File1"), QStringLiteral("C:\\cars\\a, b.viv"));
  }
  SettingsStore store(file);
  EXPECT_EQ(LoadSettings(store, machine), s);
  EXPECT_EQ(LoadRecentFiles(store, 4), std::vector<std::string>{"C:\\cars\\a, b.viv"});
  // Storing one value rewrites the file literally; everything still reads the same.
  ASSERT_TRUE(SaveSettings(store, s, {"Path_4"}));
  EXPECT_EQ(LoadSettings(store, machine), s);
  EXPECT_EQ(LoadRecentFiles(store, 4), std::vector<std::string>{"C:\\cars\\a, b.viv"});
  EXPECT_NE(test::ReadFileBytes(file).find("\nKRAXPath=C:\\Games\\Krax\n"), std::string::npos);
#endif
}

TEST_F(SettingsStoreTest, SaveFailureIsReported) {
  dir.write("file", "");
  EXPECT_FALSE(SaveSettings(SettingsStore(dir / "file/krax.ini"), Settings{}));
}

TEST_F(SettingsStoreTest, MachineDefaultsComeFromTheWinePrefix) {
#ifdef _WIN32
  GTEST_SKIP() << "Wine prefixes are a Linux matter";
#endif
  std::string prefix = test::MakeWinePrefix(dir, test::GameSystemReg("C:\\Games\\Kraxrun"));
  test::ScopedEnv env("WINEPREFIX", prefix);
  Settings s = LoadSettings(SettingsStore(dir / "none.ini"));
  EXPECT_NE(s.gameFolder, "");
  EXPECT_EQ(s.gameFolder, std::filesystem::canonical(prefix + "/drive_c/Games/Kraxrun").string());
  EXPECT_EQ(s.archiveFolder, s.gameFolder);
}

TEST(SettingText, NamesAndSwitchValues) {
  Settings s;
  EXPECT_EQ(SettingText(s, "KRAXCarEdit"), "Default Shell Action");
  EXPECT_EQ(SettingText(s, "DUPL_SN"), "1");
  EXPECT_FALSE(SettingText(s, "kraxpath"));  // names are exact
  EXPECT_TRUE(SetSettingText(s, "NEQ", "1"));
  EXPECT_EQ(s.flagDifferingSerials, 1);
  EXPECT_FALSE(SetSettingText(s, "NEQ", "2"));
  EXPECT_FALSE(SetSettingText(s, "NEQ", "true"));
  EXPECT_EQ(s.flagDifferingSerials, 1);
  EXPECT_FALSE(SetSettingText(s, "Bogus", "x"));
  EXPECT_TRUE(SetSettingText(s, "CPATH", ""));
  EXPECT_EQ(s.archiveFolder, "");
}

}  // namespace
}  // namespace krax

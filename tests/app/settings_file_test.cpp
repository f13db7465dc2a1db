#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <string>

#include "gamedata/ini_file.h"

namespace krax {
namespace {

const std::string kMark = std::string(SettingsFile::kLiteralMark) + "\n";

TEST(SettingsFileLines, ValuesAreKeptAsWrittenAndEditsKeepEveryOtherLine) {
  SettingsFile file = SettingsFile::Parse(kMark +
                                          "# note\n[PATH]\n KRAXPath = C:\\Games\\Krax \n\n"
                                          "[Recent%20File%20List]\r\nFile1=a, b\n");
  EXPECT_EQ(file.get("path", "kraxpath"), " C:\\Games\\Krax ");
  EXPECT_EQ(file.get("Recent File List", "File1"), "a, b");
  EXPECT_EQ(file.get("PATH", "# note"), std::nullopt);

  EXPECT_TRUE(file.set("PATH", "Path_4", "1"));
  EXPECT_TRUE(file.set("OTHER", "NEQ", "0"));
  const std::string before = file.serialize();
  EXPECT_FALSE(file.set("PATH", "KRAXCarEdit", "editor\n[OTHER]"));  // a value is one line
  EXPECT_EQ(file.serialize(), before);
  file.remove("PATH", "KRAXPath");
  EXPECT_EQ(file.serialize(), kMark +
                                  "# note\n[PATH]\nPath_4=1\n\n[Recent%20File%20List]\nFile1=a, b\n\n"
                                  "[OTHER]\nNEQ=0\n");
}

TEST(SettingsFileLines, AFileWithoutTheMarkIsReadWithQSettingsEscapesAndWrittenLiterally) {
  const SettingsFile file = SettingsFile::Parse("[PATH]\nKRAXCarEdit=\"a \\\"b\\\", c\"\nKRAXPath=C:\\Tools\n");
  EXPECT_EQ(file.get("PATH", "KRAXCarEdit"), "a \"b\", c");
  EXPECT_EQ(file.get("PATH", "KRAXPath"), "C:\\Tools");
  EXPECT_EQ(file.serialize(), kMark + "[PATH]\nKRAXCarEdit=a \"b\", c\nKRAXPath=C:\\Tools\n");
}

// The same bytes through both files: they differ where their rules do.
TEST(SettingsFileLines, SettingsAndProfileStringFilesKeepTheirOwnRules) {
  const std::string bytes = "[PATH]\r\na=1\r\n[PATH]\r\nb= \"2\" \r\n#c=3\r\n";
  const SettingsFile settings = SettingsFile::Parse(bytes);
  const IniFile profile = IniFile::Parse(bytes);
  EXPECT_EQ(settings.get("PATH", "b"), " \"2\" ");  // every section of the name, value as written
  EXPECT_EQ(profile.get("PATH", "b"), std::nullopt);  // only the first section
  EXPECT_EQ(settings.get("PATH", "#c"), std::nullopt);  // "#" starts a comment here only
  EXPECT_EQ(profile.get("PATH", "a"), "1");
  IniFile written = IniFile::Parse("[Tracks]\nx=1\n");
  written.set("Other", "y", "2\nz=3");
  EXPECT_EQ(written.serialize(), "[Tracks]\r\nx=1\r\n[Other]\r\ny=2\r\n");  // cut at the break, no blank line
  EXPECT_EQ(IniFile::Parse("[A]\nb= \"2\" \r\n").get("a", "B"), "2");  // trimmed, quotes dropped
}

}  // namespace
}  // namespace krax

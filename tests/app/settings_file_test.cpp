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
  EXPECT_EQ(file.Get("path", "kraxpath"), " C:\\Games\\Krax ");
  EXPECT_EQ(file.Get("Recent File List", "File1"), "a, b");
  EXPECT_EQ(file.Get("PATH", "# note"), std::nullopt);

  EXPECT_TRUE(file.Set("PATH", "Path_4", "1"));
  EXPECT_TRUE(file.Set("OTHER", "NEQ", "0"));
  const std::string before = file.Serialize();
  EXPECT_FALSE(file.Set("PATH", "KRAXCarEdit", "editor\n[OTHER]"));  // a value is one line
  EXPECT_EQ(file.Serialize(), before);
  file.Remove("PATH", "KRAXPath");
  EXPECT_EQ(file.Serialize(), kMark +
                                  "# note\n[PATH]\nPath_4=1\n\n[Recent%20File%20List]\nFile1=a, b\n\n"
                                  "[OTHER]\nNEQ=0\n");
}

TEST(SettingsFileLines, AFileWithoutTheMarkIsReadWithQSettingsEscapesAndWrittenLiterally) {
  const SettingsFile file = SettingsFile::Parse("[PATH]\nKRAXCarEdit=\"a \\\"b\\\", c\"\nKRAXPath=C:\\Tools\n");
  EXPECT_EQ(file.Get("PATH", "KRAXCarEdit"), "a \"b\", c");
  EXPECT_EQ(file.Get("PATH", "KRAXPath"), "C:\\Tools");
  EXPECT_EQ(file.Serialize(), kMark + "[PATH]\nKRAXCarEdit=a \"b\", c\nKRAXPath=C:\\Tools\n");
}

// The same bytes through both files: they differ where their rules do.
TEST(SettingsFileLines, SettingsAndProfileStringFilesKeepTheirOwnRules) {
  const std::string bytes = "[PATH]\r\na=1\r\n[PATH]\r\nb= \"2\" \r\n#c=3\r\n";
  const SettingsFile settings = SettingsFile::Parse(bytes);
  const IniFile profile = IniFile::Parse(bytes);
  EXPECT_EQ(settings.Get("PATH", "b"), " \"2\" ");  // every section of the name, value as written
  EXPECT_EQ(profile.Get("PATH", "b"), std::nullopt);  // only the first section
  EXPECT_EQ(settings.Get("PATH", "#c"), std::nullopt);  // "#" starts a comment here only
  EXPECT_EQ(profile.Get("PATH", "a"), "1");
  IniFile written = IniFile::Parse("[Tracks]\nx=1\n");
  written.Set("Other", "y", "2\nz=3");
  EXPECT_EQ(written.Serialize(), "[Tracks]\r\nx=1\r\n[Other]\r\ny=2\r\n");  // cut at the break, no blank line
  EXPECT_EQ(IniFile::Parse("[A]\nb= \"2\" \r\n").Get("a", "B"), "2");  // trimmed, quotes dropped
}

}  // namespace
}  // namespace krax

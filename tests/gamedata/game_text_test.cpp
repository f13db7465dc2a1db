#include <gtest/gtest.h>

#include "gamedata/game_data.h"
#include "gamedata/game_text.h"
#include "gamedata_test_support.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

std::string TextFile(const std::vector<std::string>& strings) {
  std::string out;
  std::uint32_t offset = static_cast<std::uint32_t>(4 * strings.size());
  for (const std::string& s : strings) {
    test::PutLittleEndian(out, out.size(), offset, 4);
    offset += static_cast<std::uint32_t>(s.size() + 1);
  }
  for (const std::string& s : strings) out += s + std::string(1, '\0');
  return out;
}

class GameTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game_.UseGameFolder((dir_.path() / "game").string(), /*kraxText=*/true);
    ParseInstallInfo("english\r\n", game_.installInfo);
    file_ = dir_.path() / "game" / "FeData" / "Text" / "Text.eng";
  }
  test::ScratchDir dir_;
  GameData game_;
  fs::path file_;
};

TEST_F(GameTextTest, UnchangedTextsSaveByteForByte) {
  const std::string bytes = TextFile({"a", "", "bc"});
  ASSERT_EQ(bytes.size(), 18u);
  test::WriteFile(file_, bytes);
  ASSERT_TRUE(game_.LoadGameText());
  ASSERT_EQ(game_.gameText.count(), 3u);
  EXPECT_EQ(game_.gameText.entry(1).mark, 14);
  ASSERT_TRUE(game_.SaveGameText());
  EXPECT_EQ(test::ReadFile(file_), bytes);
}

TEST_F(GameTextTest, ReplacingAStringMovesTheOffsetsAfterIt) {
  test::WriteFile(file_, TextFile({"a", "", "bc"}));
  ASSERT_TRUE(game_.LoadGameText());
  ASSERT_TRUE(game_.SetGameText(0, "xyz"));
  EXPECT_EQ(game_.gameText.entry(0).mark, -1);
  ASSERT_TRUE(game_.SaveGameText());
  EXPECT_EQ(test::ReadFile(file_), TextFile({"xyz", "", "bc"}));
  EXPECT_EQ(test::ReadFile(file_).size(), 20u);

  // Loading again drops replacements made since.
  ASSERT_TRUE(game_.SetGameText(2, "changed"));
  ASSERT_TRUE(game_.LoadGameText());
  EXPECT_EQ(game_.gameText.text(2), "bc");
}

TEST_F(GameTextTest, SwitchedOffNothingIsReadOrWritten) {
  const std::string bytes = TextFile({"a", "b"});
  test::WriteFile(file_, bytes);
  ASSERT_TRUE(game_.LoadGameText());
  game_.UseGameFolder(game_.gameFolder(), /*kraxText=*/false);
  EXPECT_FALSE(game_.LoadGameText());
  EXPECT_FALSE(game_.SetGameText(0, "zz"));
  EXPECT_FALSE(game_.SaveGameText());
  EXPECT_EQ(game_.gameText.text(0), "a");
  EXPECT_EQ(test::ReadFile(file_), bytes);
}

TEST_F(GameTextTest, NothingLoadedNeverEmptiesTheGamesFile) {
  // The file cannot be read at start-up (say, another language's file is missing), so the
  // table is empty: setting fails and saving refuses instead of writing an empty file.
  EXPECT_FALSE(game_.LoadGameText());
  test::WriteFile(file_, TextFile({"keep"}));
  EXPECT_FALSE(game_.SetGameText(0, "x"));
  EXPECT_FALSE(game_.SaveGameText());
  EXPECT_EQ(test::ReadFile(file_), TextFile({"keep"}));

  ASSERT_TRUE(game_.LoadGameText());
  EXPECT_FALSE(game_.SetGameText(1, "past the end"));
  EXPECT_EQ(game_.gameText.count(), 1u);
  EXPECT_EQ(game_.gameText.entry(0).mark, 4);
}

TEST_F(GameTextTest, AFailedSaveKeepsTheOldFile) {
  test::WriteFile(file_, TextFile({"keep"}));
  ASSERT_TRUE(game_.LoadGameText());
  ASSERT_TRUE(game_.SetGameText(0, "new"));
  fs::remove(file_);
  fs::create_directories(file_);  // a folder where the file was: the save cannot replace it
  EXPECT_FALSE(game_.SaveGameText());
  EXPECT_TRUE(fs::is_directory(file_));
}

// The install information and the strings always belong to the folder last chosen: another
// folder reads its own install.win and text, the same folder keeps what is loaded.
TEST(GameFolderChoice, InstallInformationAndTextFollowTheFolder) {
  test::ScratchDir dir;
  const fs::path a = dir.path() / "a", b = dir.path() / "b", none = dir.path() / "none";
  test::WriteFile(a / "install.win", "english\r\n");
  test::WriteFile(a / "FeData" / "Text" / "Text.eng", TextFile({"a0", "a1"}));
  test::WriteFile(b / "install.win", "german\r\n");
  test::WriteFile(b / "FeData" / "Text" / "Text.ger", TextFile({"b0"}));
  fs::create_directories(none);
  struct Step {
    fs::path folder;
    bool text;
    std::string suffix;
    std::vector<std::string> strings;
    const char* why;
  };
  const std::vector<Step> steps = {
      {a, false, ".eng", {}, "first choice, text off"},
      {a, true, ".eng", {"a0", "a1"}, "text switched on for the same game"},
      {a, true, ".eng", {"a0", "a1"}, "same game again: the loaded strings stay"},
      {b, true, ".ger", {"b0"}, "another game: its own language and strings"},
      {none, true, "", {}, "a folder without install.win or text"},
      {a, false, ".eng", {}, "back, text off: no strings of another game"},
  };
  GameData data;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.why);
    if (step.folder == a && step.text && data.kraxText()) {
      test::WriteFile(a / "FeData" / "Text" / "Text.eng", TextFile({"changed"}));
    }
    data.UseGameFolder(step.folder.string(), step.text);
    EXPECT_EQ(data.gameFolder(), step.folder.string());
    EXPECT_EQ(data.kraxText(), step.text);
    EXPECT_EQ(data.languageSuffix(), step.suffix);
    ASSERT_EQ(data.gameText.count(), step.strings.size());
    for (std::size_t i = 0; i < step.strings.size(); ++i) EXPECT_EQ(data.gameText.text(i), step.strings[i]);
  }
}

TEST(GameTextLayout, EveryDeclaredEntryLoadsAndDamageIsMarked) {
  struct Case {
    const char* what;
    std::string image;
    std::vector<std::string> texts;  // what the table holds after the load
    bool damaged;
  };
  const auto withOffset = [](std::string image, std::size_t entry, std::uint32_t offset) {
    test::PutLittleEndian(image, 4 * entry, offset, 4);
    return image;
  };
  const std::string six = TextFile({"zero", "one", "two", "three", "four", "five"});
  const std::string three = TextFile({"one", "two", "three"});
  std::string unterminated = TextFile({"one", "last"});
  unterminated.pop_back();
  const Case cases[] = {
      {"shared text", withOffset(six, 3, 24 + 5), {"zero", "one", "two", "one", "four", "five"}, false},
      {"backwards", withOffset(three, 2, 12), {"one", "two", "one"}, false},
      {"past the end", withOffset(three, 1, 5000), {"one", "", "three"}, true},
      {"into the table", withOffset(three, 1, 2), {"one", "", "three"}, true},
      {"cut-off table", TextFile({"one", "two"}).substr(0, 6), {""}, true},
      {"first offset 0", std::string(8, '\0'), {}, true},
      {"negative", withOffset(three, 0, 0xFFFFFFF0u), {}, true},
      {"unterminated", unterminated, {"one", "last"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GameTextTable table;
    table.Load(c.image);
    EXPECT_EQ(table.damaged(), c.damaged);
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < table.count(); ++i) texts.push_back(table.text(i));
    EXPECT_EQ(texts, c.texts);
    // A save keeps every string: the file written holds them all, in a sound layout.
    if (!texts.empty()) {
      EXPECT_EQ(table.Serialize(), TextFile(texts));
    }
  }
}

TEST(GameTextLayout, MoreThan2500StringsAreAllKept) {
  std::vector<std::string> strings(2600, "s");
  strings[2599] = "last";
  GameTextTable table;
  table.Load(TextFile(strings));
  ASSERT_EQ(table.count(), 2600u);
  EXPECT_EQ(table.Serialize(), TextFile(strings));
}

TEST_F(GameTextTest, DamagedTableIsSavedOnlyWhenTheUserAgrees) {
  std::string bytes = TextFile({"one", "two", "three"});
  test::PutLittleEndian(bytes, 4, 5000, 4);
  test::WriteFile(file_, bytes);
  ASSERT_TRUE(game_.LoadGameText());
  ASSERT_TRUE(game_.SetGameText(0, "uno"));
  EXPECT_FALSE(game_.SaveGameText());
  EXPECT_EQ(test::ReadFile(file_), bytes);
  ASSERT_TRUE(game_.SaveGameText(true));
  EXPECT_EQ(test::ReadFile(file_), TextFile({"uno", "", "three"}));
}

}  // namespace
}  // namespace krax

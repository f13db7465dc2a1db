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
    game_.gameFolder = (dir_.path() / "game").string();
    ParseInstallInfo("english\r\n", game_.InstallInfo);
    game_.kraxText = true;
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
  ASSERT_EQ(game_.GameTextTable.count(), 3u);
  EXPECT_EQ(game_.GameTextTable.entry(1).mark, 14);
  ASSERT_TRUE(game_.SaveGameText());
  EXPECT_EQ(test::ReadFile(file_), bytes);
}

TEST_F(GameTextTest, ReplacingAStringMovesTheOffsetsAfterIt) {
  test::WriteFile(file_, TextFile({"a", "", "bc"}));
  ASSERT_TRUE(game_.LoadGameText());
  ASSERT_TRUE(game_.SetGameText(0, "xyz"));
  EXPECT_EQ(game_.GameTextTable.entry(0).mark, -1);
  ASSERT_TRUE(game_.SaveGameText());
  EXPECT_EQ(test::ReadFile(file_), TextFile({"xyz", "", "bc"}));
  EXPECT_EQ(test::ReadFile(file_).size(), 20u);

  // Loading again drops replacements made since.
  ASSERT_TRUE(game_.SetGameText(2, "changed"));
  ASSERT_TRUE(game_.LoadGameText());
  EXPECT_EQ(game_.GameTextTable.text(2), "bc");
}

TEST_F(GameTextTest, SwitchedOffNothingIsReadOrWritten) {
  const std::string bytes = TextFile({"a", "b"});
  test::WriteFile(file_, bytes);
  ASSERT_TRUE(game_.LoadGameText());
  game_.kraxText = false;
  EXPECT_FALSE(game_.LoadGameText());
  EXPECT_FALSE(game_.SetGameText(0, "zz"));
  EXPECT_FALSE(game_.SaveGameText());
  EXPECT_EQ(game_.GameTextTable.text(0), "a");
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
  EXPECT_EQ(game_.GameTextTable.count(), 1u);
  EXPECT_EQ(game_.GameTextTable.entry(0).mark, 4);
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

TEST(GameTextLayout, DamagedOffsetTablesLoadUpToTheLastSoundString) {
  GameTextTable table;
  std::string zero(8, '\0');
  table.load(zero);
  EXPECT_TRUE(table.empty());
  std::string negative = TextFile({"a"});
  test::PutLittleEndian(negative, 0, 0xFFFFFFF0u, 4);
  table.load(negative);
  EXPECT_TRUE(table.empty());
  table.load("ab");
  EXPECT_TRUE(table.empty());

  std::string outside = TextFile({"one", "two", "three"});
  test::PutLittleEndian(outside, 4, 5000, 4);  // string 1 past the end of the file
  table.load(outside);
  EXPECT_EQ(table.count(), 1u);

  std::string backwards = TextFile({"one", "two", "three"});
  test::PutLittleEndian(backwards, 8, 12, 4);  // string 2 before string 1
  table.load(backwards);
  EXPECT_EQ(table.count(), 2u);

  std::string intoTable = TextFile({"one", "two"});
  test::PutLittleEndian(intoTable, 4, 2, 4);
  table.load(intoTable);
  EXPECT_EQ(table.count(), 1u);

  std::string cutTable = TextFile({"one", "two"}).substr(0, 6);  // first offset claims 2 entries
  table.load(cutTable);
  EXPECT_EQ(table.count(), 0u);

  std::string unterminated = TextFile({"one", "last"});
  unterminated.pop_back();
  table.load(unterminated);
  ASSERT_EQ(table.count(), 2u);
  EXPECT_EQ(table.text(1), "last");
}

TEST(GameTextLayout, MoreThan2500StringsLoadTheFirst2500Consistently) {
  std::vector<std::string> strings(2600, "s");
  strings[2499] = "last kept";
  GameTextTable table;
  table.load(TextFile(strings));
  ASSERT_EQ(table.count(), GameTextTable::kMaxStrings);
  strings.resize(2500);
  EXPECT_EQ(table.serialize(), TextFile(strings));
}

}  // namespace
}  // namespace krax

// The string editor's text and the operation around the dialog.
#include <gtest/gtest.h>

#include "app/settings.h"
#include "gamedata/game_data.h"
#include "gamedata/gamedata_test_support.h"
#include "operations/game_operations.h"
#include "operations/string_editor_text.h"
#include "platform/file_system.h"
#include "support/scratch_folder.h"
#include "support/scripted_prompts.h"

namespace krax {
namespace {

std::string TextFile(const std::vector<std::string>& strings) {
  std::string out;
  auto offset = static_cast<std::uint32_t>(4 * strings.size());
  for (const std::string& s : strings) {
    test::PutLittleEndian(out, out.size(), offset, 4);
    offset += static_cast<std::uint32_t>(s.size() + 1);
  }
  for (const std::string& s : strings) out += s + std::string(1, '\0');
  return out;
}

TEST(StringEditorTextTest, FindIgnoresCaseAndStartsAtTheCaret) {
  const std::u16string text = u"One two\nTWO \u00c9t\u00e9\n";
  struct Case {
    std::u16string needle;
    std::size_t from;
    std::optional<std::size_t> found;
  };
  const Case cases[] = {{u"TWO", 0, 4},  {u"two", 5, 8},         {u"two", 9, std::nullopt},
                        {u"\u00e9T\u00c9", 0, 12}, {u"", 0, std::nullopt}, {u"o", 99, std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(FindIgnoringCase(text, c.needle, c.from), c.found) << c.from;
  EXPECT_TRUE(KeepsLineCount(u"a\nb\n", 2));
  EXPECT_FALSE(KeepsLineCount(u"a\nb\n\n", 2));
  EXPECT_FALSE(KeepsLineCount(u"ab\n", 2));
}

class StringEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = dir_.write("game/FeData/Text/Text.eng", TextFile(strings_));
    settings_.gameFolder = dir_ / "game";
    settings_.kraxText = true;
    data_.UseGameFolder(settings_.gameFolder, /*kraxText=*/true);
    ParseInstallInfo("english\r\n", data_.installInfo);
  }
  const std::vector<std::string> strings_{"Race", "two\r\nlines", "back\\slash", ""};
  test::ScratchFolder dir_;
  std::string file_;
  Settings settings_;
  GameData data_;
  test::ScriptedPrompts prompts_;
  GameOperations operations_{data_, settings_, prompts_};
};

TEST_F(StringEditorTest, OkWithoutChangesRewritesTheSameBytes) {
  std::string shown;
  prompts_.editStrings = [&shown](const std::string& text, std::size_t lines) -> std::optional<std::string> {
    EXPECT_EQ(lines, 4u);
    shown = text;
    return text;
  };
  ASSERT_TRUE(operations_.OpenStringEditor().done());
  // The string holding a line break shows escaped; the others exactly as they are.
  EXPECT_EQ(shown, "Race\ntwo\\r\\nlines\nback\\slash\n\n");
  EXPECT_EQ(test::ReadFileBytes(file_), TextFile(strings_));
}

TEST_F(StringEditorTest, EditedLinesReplaceTheirStringsOnly) {
  prompts_.editStrings = [](const std::string&, std::size_t) -> std::optional<std::string> {
    return "Rally\ntwo\\r\\nlines\\\\\nback\\slash\\n\nnew\ndropped without a line end";
  };
  ASSERT_TRUE(operations_.OpenStringEditor().done());
  EXPECT_EQ(test::ReadFileBytes(file_), TextFile({"Rally", "two\r\nlines\\", "back\\slash\\n", "new"}));
}

TEST_F(StringEditorTest, NothingIsWrittenUnlessTheEditorGivesOneLinePerStringAndTheFileTakesIt) {
  const std::string before = test::ReadFileBytes(file_);
  prompts_.editStrings = [](const std::string& text, std::size_t) -> std::optional<std::string> { return text + "x\n"; };
  EXPECT_EQ(operations_.OpenStringEditor().status, OperationStatus::kFailed);
  prompts_.editStrings = [](const std::string&, std::size_t) -> std::optional<std::string> { return "a\nb\nc\n"; };
  EXPECT_EQ(operations_.OpenStringEditor().status, OperationStatus::kFailed);
  prompts_.editStrings = {};  // Cancel
  EXPECT_EQ(operations_.OpenStringEditor().status, OperationStatus::kCancelled);
  EXPECT_EQ(test::ReadFileBytes(file_), before);

  // A save that fails is reported.
  SetReadOnly(file_, true);
  prompts_.editStrings = [](const std::string& text, std::size_t) -> std::optional<std::string> { return "X" + text; };
  const OperationResult result = operations_.OpenStringEditor();
  EXPECT_EQ(result.status, OperationStatus::kFailed);
  EXPECT_NE(result.message.find("could not be written"), std::string::npos) << result.message;
  EXPECT_EQ(test::ReadFileBytes(file_), before);

  settings_.kraxText = false;
  EXPECT_EQ(operations_.OpenStringEditor().message, "This is disabled in option \"Enable KRAX String editting\"");
}

TEST_F(StringEditorTest, ADamagedFileIsEditedAndSavedOnlyAfterTheUserAgrees) {
  // The third offset points past the end of the file: that string loads empty.
  std::string damaged = TextFile(strings_);
  test::PutLittleEndian(damaged, 8, 0xFFFFu, 4);
  dir_.write("game/FeData/Text/Text.eng", damaged);
  data_.gameText = {};
  prompts_.editStrings = [](const std::string& text, std::size_t) -> std::optional<std::string> { return text; };
  prompts_.answers = {false};
  EXPECT_EQ(operations_.OpenStringEditor().status, OperationStatus::kCancelled);
  EXPECT_EQ(prompts_.questions.size(), 1u);
  EXPECT_EQ(test::ReadFileBytes(file_), damaged);

  prompts_.answers = {true};
  ASSERT_TRUE(operations_.OpenStringEditor().done());
  EXPECT_EQ(test::ReadFileBytes(file_), TextFile({strings_[0], strings_[1], "", strings_[3]}));
}

}  // namespace
}  // namespace krax

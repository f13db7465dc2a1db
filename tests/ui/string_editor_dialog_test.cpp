// The string editor dialog: the line-count guard and Find, driven by keys and buttons.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextCursor>
#include <gtest/gtest.h>

#include "ui/string_editor_dialog.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

class StringEditorDialogTest : public ::testing::Test {
 protected:
  void PlaceCaret(int position) {
    QTextCursor cursor = dialog_.textBox()->textCursor();
    cursor.setPosition(position);
    dialog_.textBox()->setTextCursor(cursor);
  }
  bool application_ = (uitest::EnsureApplication(), true);  // before any widget
  uitest::ScriptedPrompts prompts_;
  StringEditorDialog dialog_{"one\ntwo\nthree\n", 3, prompts_};
};

TEST_F(StringEditorDialogTest, EditsWithinALineStayAndOnlyTheKeystrokeThatSplitsOrJoinsLinesIsRefused) {
  QPlainTextEdit* box = dialog_.textBox();
  PlaceCaret(1);
  QTest::keyClicks(box, "xy");
  QTest::keyClick(box, Qt::Key_Backspace);
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_EQ(dialog_.text(), "oxne\ntwo\nthree\n");

  QTest::keyClick(box, Qt::Key_Return);  // a new line
  ASSERT_EQ(prompts_.messages, std::vector<std::string>{kGuardMessage});
  EXPECT_EQ(dialog_.text(), "oxne\ntwo\nthree\n");  // the edits before it stay
  QTest::keyClicks(box, "z");  // typing goes on where the caret stood
  EXPECT_EQ(dialog_.text(), "oxzne\ntwo\nthree\n");

  PlaceCaret(5);
  QTest::keyClick(box, Qt::Key_Delete);  // joins "oxzne" and "two"
  EXPECT_EQ(prompts_.messages.size(), 2u);
  EXPECT_EQ(dialog_.text(), "oxzne\ntwo\nthree\n");

  PlaceCaret(7);
  QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);  // a line break inside the line
  EXPECT_EQ(prompts_.messages.size(), 3u);
  EXPECT_EQ(dialog_.text(), "oxzne\ntwo\nthree\n");
}

TEST_F(StringEditorDialogTest, FindStartsAtTheCaretAndMovesOnToTheNextMatch) {
  dialog_.findBox()->setText(QStringLiteral("O"));
  PlaceCaret(0);
  std::vector<int> starts;
  for (int press = 0; press < 3; ++press) {
    dialog_.Find();
    starts.push_back(dialog_.textBox()->textCursor().selectionStart());
  }
  EXPECT_EQ(starts[0], 0);
  EXPECT_EQ(starts[1], 6);  // "two"
  EXPECT_EQ(prompts_.messages, std::vector<std::string>{kNotFoundMessage});
  EXPECT_EQ(dialog_.textBox()->textCursor().selectedText(), QStringLiteral("o"));
}

TEST_F(StringEditorDialogTest, ReturnInTheFindBoxFindsAndNeitherSavesNorCloses) {
  dialog_.show();
  PlaceCaret(0);
  dialog_.findBox()->setText(QStringLiteral("TW"));
  QTest::keyClick(dialog_.findBox(), Qt::Key_Return);
  EXPECT_TRUE(dialog_.isVisible());
  EXPECT_EQ(dialog_.result(), QDialog::Rejected);  // not accepted: nothing would be saved
  EXPECT_EQ(dialog_.textBox()->textCursor().selectedText(), QStringLiteral("tw"));
}

TEST(StringEditorDialogBytesTest, TextThatIsNotUtf8ComesBackByteForByte) {
  uitest::EnsureApplication();
  uitest::ScriptedPrompts prompts;
  const std::string text = "caf\xe9\xa0x\n\xff\n";
  StringEditorDialog dialog(text, 2, prompts);
  EXPECT_EQ(dialog.text(), text);
}

}  // namespace
}  // namespace krax::ui

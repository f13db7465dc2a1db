// "String Editor": the game's front-end strings as lines of plain text, one string per line.
// The dialog only edits: lines cannot be added or removed (the line-count guard puts back
// the text of the last pull), "Find" searches from the caret ignoring case. The operation
// prepares the text and checks and saves what comes back.
#pragma once

#include <QDialog>
#include <QString>
#include <cstddef>
#include <string>

class QLineEdit;
class QPlainTextEdit;

namespace krax {
class Prompts;
}

namespace krax::ui {

inline constexpr const char* kGuardMessage = "You cannot do that! I warned You.";
inline constexpr const char* kNotFoundMessage = "No such string found!";

class StringEditorDialog : public QDialog {
  Q_OBJECT

 public:
  // `text`: `lines` lines of game text (8-bit), each ended by '\n'. Messages go to `prompts`.
  StringEditorDialog(const std::string& text, std::size_t lines, Prompts& prompts, QWidget* parent = nullptr);

  // The edited text, in the same 8-bit encoding as given.
  std::string text() const;

  QPlainTextEdit* textBox() const { return textBox_; }
  QLineEdit* findBox() const { return findBox_; }
  // "Find" as its button runs it.
  void Find();

 private:
  QString currentText() const;
  void CheckLineCount();
  void Pull();

  Prompts& prompts_;
  std::size_t lines_;
  bool utf8_ = false;  // the text was valid UTF-8 and is edited as such; else Latin-1
  QString pulled_;     // the text as it stood at the last pull (the opening or the last Find)
  QString kept_;       // the text after the last keystroke that kept every line
  int keptCaret_ = 0;  // where the caret stood in it
  qsizetype lineSeparators_ = 0;  // U+2028 characters the strings themselves hold
  QPlainTextEdit* textBox_ = nullptr;
  QLineEdit* findBox_ = nullptr;
};

}  // namespace krax::ui

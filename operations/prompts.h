// The only way an operation talks to the user. The window implements it with dialogs and
// the status bar, kraxctl with the terminal, the tests with a scripted fake.
#pragma once

#include <string>

namespace krax {

class Prompts {
 public:
  virtual ~Prompts() = default;

  // A message box with OK only.
  virtual void Message(const std::string& text) = 0;
  // A question; true for Yes/OK, false for No/Cancel. `okCancel` picks the OK/Cancel pair.
  virtual bool Question(const std::string& text, bool okCancel = false) = 0;
  // The main window's status line: short results and progress texts.
  virtual void Status(const std::string& text) = 0;
  // Busy cursor on/off around long work.
  virtual void Busy(bool busy) = 0;
  // Folder browser with a title; empty when cancelled.
  virtual std::string ChooseFolder(const std::string& title) = 0;
  // File-open dialog with a filter in the "Description|*.a;*.b||" form; empty when cancelled.
  virtual std::string ChooseFile(const std::string& title, const std::string& filter) = 0;
  // The same choosers opened in `startFolder` (a field's current folder; "" for the usual
  // place). By default they open where the plain choosers do.
  virtual std::string ChooseFolderIn(const std::string& title, const std::string& startFolder) {
    (void)startFolder;
    return ChooseFolder(title);
  }
  virtual std::string ChooseFileIn(const std::string& title, const std::string& filter,
                                   const std::string& startFolder) {
    (void)startFolder;
    return ChooseFile(title, filter);
  }
};

}  // namespace krax

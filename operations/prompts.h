// The only way an operation talks to the user. The window implements it with dialogs and
// the status bar, kraxctl with the terminal, the tests with a scripted fake.
#pragma once

#include <functional>
#include <string>

namespace krax {

struct InstallDialogState;

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
  // The install dialog: shows the files and lets the user edit the destination base and the
  // ID in `state`; true for OK. The default asks one OK/Cancel question.
  virtual bool ShowInstallDialog(InstallDialogState& state);
  // Runs long work (packing) so that the interface stays responsive; the work may call
  // Status from another thread meanwhile. The default runs it here and now.
  virtual void RunWork(const std::function<void()>& work) { work(); }
};

}  // namespace krax

// The only way an operation talks to the user. The window implements it with dialogs and
// the status bar, kraxctl with the terminal, the tests with a scripted fake.
#pragma once

#include <functional>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace krax {

struct InstallDialogState;

// What a question asks. Front ends and test scripts that answer without a user choose the
// answer by the kind; the text is what the user reads.
enum class QuestionKind {
  kGoOn,                      // go on with the changes the question (or its plan) lists
  kInstall,                   // install the files shown
  kInstallIntoUsedFolder,     // the install's folder exists and holds other files: use it anyway
  kReplaceProfile,            // a profile of that name exists: replace it
  kDeleteProfile,             // delete a saved profile
  kWriteTakenSerialNumber,    // another car holds that serial number: write it anyway
  kDeleteForGood,             // no trash can take the folder: delete it for good
  kSaveDamagedGameText,       // save a damaged game text file, losing what points outside it
  kSaveStateBeforeStockGame,  // keep the cars and tracks as they are as a profile first
  kChooseGameFolder,          // no game folder is set: choose one now
};
// The answer to a question that can also be cancelled: No goes on without what the
// question offers, Cancel changes nothing at all.
enum class Answer { kYes, kNo, kCancel };

// How far a long copy has come, for a progress display.
struct ProgressState {
  std::uint64_t filesDone = 0, filesTotal = 0;
  std::uint64_t bytesDone = 0, bytesTotal = 0;
  std::string currentFile;  // the file being copied, "" at the end
};

class Prompts {
 public:
  virtual ~Prompts() = default;

  // A message box with OK only.
  virtual void Message(const std::string& text) = 0;
  // A question of `kind`; true for Yes/OK, false for No/Cancel. `okCancel` picks the
  // OK/Cancel pair.
  virtual bool Question(QuestionKind kind, const std::string& text, bool okCancel = false) = 0;
  // A question of `kind` with Yes, No and Cancel. The default asks Question (Yes/No) and so
  // is never cancelled.
  virtual Answer QuestionWithCancel(QuestionKind kind, const std::string& text) {
    return Question(kind, text) ? Answer::kYes : Answer::kNo;
  }
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
  // Asked by that work from its thread: true once the user asked to stop it (the window's
  // Cancel, Ctrl+C in kraxctl). Never by default.
  virtual bool WorkStopRequested() { return false; }

  // A long run with a progress display: BeginProgress, then Progress as the work goes on,
  // then EndProgress. Progress returns false once the user asked to stop; the run then stops
  // at its next safe point (between two files).
  virtual void BeginProgress(const std::string& /*title*/) { Busy(true); }
  virtual bool Progress(const ProgressState& /*state*/) { return true; }
  virtual void EndProgress() { Busy(false); }
  // The closing summary of a command that changed many things: a short `summary` and, when
  // not empty, `details` (one line per thing). The window shows a message box with the
  // details on demand, kraxctl prints both on standard output.
  virtual void Report(const std::string& summary, const std::string& details) {
    Message(details.empty() ? summary : summary + "\n\n" + details);
  }
  // Before a command that changes many files at once: `plan` says what it will change, one
  // line per thing; `question` asks whether to go on. True to go on. The window shows the
  // plan in the question's box, kraxctl prints it on standard output before asking.
  virtual bool ConfirmPlan(const std::string& question, const std::string& plan) {
    return Question(QuestionKind::kGoOn, plan.empty() ? question : question + "\n\n" + plan);
  }
  // The string editor: `text` holds `lines` lines, each ended by '\n'. Returns the edited text
  // (still `lines` lines) on OK, nullopt on Cancel or where no editor can be shown.
  virtual std::optional<std::string> EditStrings(const std::string& /*text*/, std::size_t /*lines*/) {
    return std::nullopt;
  }
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

// The window's way of talking to the user for the operations: message boxes, the status
// line, the wait cursor and Qt's folder and file choosers.
#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <memory>

#include "operations/prompts.h"

class QMessageBox;
class QProgressDialog;
class QWidget;

namespace krax::ui {

class CopyProgressDialog;

// "Description|*.a;*.b||" (pairs ended by an empty pair) as a Qt name filter list.
QString QtFileFilter(const std::string& filter);

// The box of Report: the summary, and the details behind "Show Details..." when there are any.
std::unique_ptr<QMessageBox> MakeReportBox(QWidget* owner, const std::string& summary, const std::string& details);
// The box a bulk command asks in before it changes anything: the question, Yes/No (No by
// default), and the plan behind "Show Details...".
std::unique_ptr<QMessageBox> MakePlanBox(QWidget* owner, const std::string& question, const std::string& plan);

class WidgetPrompts : public Prompts {
 public:
  // `owner` parents the dialogs; `status` shows a text in the status line.
  WidgetPrompts(QWidget* owner, std::function<void(const QString&)> status);

  void SetOwner(QWidget* owner) { owner_ = owner; }
  // Where the choosers open when the caller names no folder and none was chosen yet (the
  // archive folder).
  void SetDefaultFolder(const std::string& folder) { defaultFolder_ = folder; }

  void Message(const std::string& text) override;
  bool Question(QuestionKind kind, const std::string& text, bool okCancel = false) override;
  // Yes, No and Cancel; Enter says Yes, Escape Cancel.
  Answer QuestionWithCancel(QuestionKind kind, const std::string& text) override;
  void Status(const std::string& text) override;
  void Busy(bool busy) override;
  std::string ChooseFolder(const std::string& title) override;
  std::string ChooseFile(const std::string& title, const std::string& filter) override;
  bool ShowInstallDialog(InstallDialogState& state) override;
  // Called from the window's worker: runs the work there and shows a progress box with Cancel
  // (and the progress texts) once it lasts; the window stays usable meanwhile.
  void RunWork(const std::function<void()>& work) override;
  bool WorkStopRequested() override { return workStop_; }
  void BeginProgress(const std::string& title) override;
  bool Progress(const ProgressState& state) override;
  void EndProgress() override;
  void Report(const std::string& summary, const std::string& details) override;
  // A Yes/No question whose box shows the plan (its "Show Details..." part).
  bool ConfirmPlan(const std::string& question, const std::string& plan) override;
  std::optional<std::string> EditStrings(const std::string& text, std::size_t lines) override;

  ~WidgetPrompts() override;
  std::string ChooseFolderIn(const std::string& title, const std::string& startFolder) override;
  std::string ChooseFileIn(const std::string& title, const std::string& filter,
                           const std::string& startFolder) override;

 private:
  void ShowStatus(const QString& text);
  QString StartFolder(const std::string& startFolder) const;

  QWidget* owner_;
  std::function<void(const QString&)> status_;
  std::string defaultFolder_;
  QString lastFolder_;                        // the last folder a chooser gave
  QProgressDialog* workProgress_ = nullptr;  // while RunWork runs
  std::atomic<bool> workStop_{false};         // its Cancel was pressed
  // Status texts from the work's thread: only the latest waits to be shown.
  std::mutex pendingMutex_;
  std::string pendingStatus_;
  bool statusPosted_ = false;
  ProgressState pendingProgress_;
  bool progressPosted_ = false;
  std::atomic<bool> copyStop_{false};  // the copy's Cancel was pressed
  std::unique_ptr<CopyProgressDialog> copyProgress_;
};

}  // namespace krax::ui

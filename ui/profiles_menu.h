// The window's "Profiles" menu: save the cars and tracks as they are under a name, apply a
// saved profile, go back to the stock game, and manage the saved profiles.
#pragma once

#include <QMenu>
#include <functional>

namespace krax {
class Operations;
class Prompts;
struct OperationResult;
}  // namespace krax

namespace krax::ui {

class JobRunner;

class ProfilesMenu : public QMenu {
  Q_OBJECT

 public:
  ProfilesMenu(Operations& operations, Prompts& prompts, QWidget* parent = nullptr);

  // Asks for a profile name ("" when cancelled). By default an input box; tests set their own.
  std::function<QString()> askName;
  // Shows the Manage dialog; by default modal exec(). Tests answer it themselves.
  std::function<void(QDialog&)> runDialog;
  // Shows a text to read (a profile's list) under a title; by default a window with the text
  // in a scrolling box. Tests read it themselves.
  std::function<void(const QString& title, const QString& text)> showText;

  QMenu* ApplyMenu() const { return applyMenu_; }
  // The names under "Apply", read afresh from the profile folder.
  void RefreshApplyMenu();

  // Where saving and applying run (one job at a time); the menu has one of its own until the
  // window shares its runner.
  void SetJobRunner(JobRunner* jobs) { jobs_ = jobs; }

  void SaveCurrent();
  void ApplyProfile(const QString& name);
  void ApplyStockGame();
  void Manage();

 signals:
  // An operation ran; the game may have changed, so the tree reloads.
  void operationFinished(const krax::OperationResult& result);

 private:
  Operations& operations_;
  Prompts& prompts_;
  QMenu* applyMenu_ = nullptr;
  JobRunner* jobs_ = nullptr;
  // Runs `work` on the worker and reports its result.
  void RunJob(const QString& command, std::function<OperationResult()> work);
};

}  // namespace krax::ui

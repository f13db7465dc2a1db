// "Verify Against CD": the game's own files compared with the CD, the report in a dialog, and
// "Restore these", which copies back exactly the files that differ or are missing and then
// verifies again, so that the dialog shows the result.
#pragma once

#include <QDialog>
#include <functional>

#include "operations/verify_against_cd.h"

class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace krax {
struct Settings;
class GameData;
class Prompts;
}  // namespace krax

namespace krax::ui {

class VerifyDialog : public QDialog {
  Q_OBJECT

 public:
  // Verifies at once (with the progress display of `prompts`) and shows the report.
  VerifyDialog(GameData& data, const Settings& settings, Prompts& prompts, QWidget* parent = nullptr);

  const VerifyReport& report() const { return report_; }
  QPushButton* restoreButton() const { return restore_; }
  QLabel* summaryLabel() const { return summary_; }
  QPlainTextEdit* reportText() const { return text_; }
  // What "Restore these" last did.
  const OperationResult& restoreResult() const { return restoreResult_; }

  // "Restore these": restores through the operation (which shows the plan and asks), then
  // verifies again.
  void RestoreThese();

 private:
  void Verify();

  GameData& data_;
  const Settings& settings_;
  Prompts& prompts_;
  VerifyReport report_;
  OperationResult restoreResult_;
  QLabel* summary_ = nullptr;
  QPlainTextEdit* text_ = nullptr;
  QPushButton* restore_ = nullptr;
};

// Adds "Verify Against CD" to `menu`. `runDialog` shows the dialog (modal exec by default);
// `finished` gets what a restore did, so that the window can show it and reload.
QAction* AddVerifyAction(QMenu& menu, GameData& data, const Settings& settings, Prompts& prompts,
                         const std::function<int(QDialog&)>& runDialog,
                         const std::function<void(const OperationResult&)>& finished);

}  // namespace krax::ui

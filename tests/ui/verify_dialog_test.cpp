// "Verify Against CD" in the Commands menu: the report, "Restore these", and the report
// again after the restore.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "operations/game_operations.h"
#include "ui/main_window.h"
#include "ui/verify_dialog.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

TEST(UiVerifyAgainstCd, TheCommandsMenuShowsTheReportAndRestoreTheseMendsIt) {
  uitest::EnsureApplication();
  uitest::DemoFixture demo;
  demo.settings.cdPath = demo.manifest.cdDir;
  uitest::ScriptedPrompts prompts;
  GameOperations operations(demo.data, demo.settings, prompts);
  // The dialog is answered as a player would: look at the report, press "Restore these",
  // look again, close.
  QStringList summaries, reports;
  bool restoreEnabledBefore = false, restoreEnabledAfter = true;
  const auto runDialog = [&](QDialog& shown) {
    auto* dialog = qobject_cast<VerifyDialog*>(&shown);
    if (dialog == nullptr) return 0;
    summaries << dialog->summaryLabel()->text();
    reports << dialog->reportText()->toPlainText();
    restoreEnabledBefore = dialog->restoreButton()->isEnabled();
    dialog->restoreButton()->click();
    summaries << dialog->summaryLabel()->text();
    reports << dialog->reportText()->toPlainText();
    restoreEnabledAfter = dialog->restoreButton()->isEnabled();
    return 0;
  };
  MainWindowContext context{demo.settings, demo.data, operations, {}, &prompts, runDialog, {}};
  MainWindow frame(context);
  frame.InitialUpdate();

  QAction* verify = frame.findChild<QAction*>(QStringLiteral("verifyAgainstCdAction"));
  ASSERT_NE(verify, nullptr);
  EXPECT_EQ(verify->text(), QStringLiteral("Verify Against CD"));
  bool inCommandsMenu = false;
  for (QAction* top : frame.menuBar()->actions()) {
    if (top->menu() && top->menu()->actions().contains(verify)) inCommandsMenu = top->text() == QStringLiteral("&Commands");
  }
  EXPECT_TRUE(inCommandsMenu);

  verify->trigger();
  ASSERT_EQ(summaries.size(), 2);
  // The demo's changed stock cars are listed; after the restore every file matches.
  EXPECT_TRUE(summaries[0].contains(QStringLiteral(" differ"))) << summaries[0].toStdString();
  EXPECT_TRUE(reports[0].contains(QStringLiteral("differs: GameData"))) << reports[0].toStdString();
  EXPECT_TRUE(restoreEnabledBefore);
  ASSERT_FALSE(prompts.questions.empty());  // the plan was shown and agreed to
  EXPECT_EQ(prompts.questions.back().rfind("Verify Against CD: restore ", 0), 0u) << prompts.questions.back();
  EXPECT_TRUE(summaries[1].endsWith(QStringLiteral(": all match."))) << summaries[1].toStdString();
  EXPECT_FALSE(restoreEnabledAfter);
  EXPECT_TRUE(prompts.messages.empty());
  ASSERT_FALSE(prompts.statuses.empty());
  EXPECT_EQ(prompts.statuses.back().rfind("Restored ", 0), 0u) << prompts.statuses.back();
}

}  // namespace
}  // namespace krax::ui

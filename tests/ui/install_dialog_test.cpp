// The install dialog edits only its values and closes when the operation accepts them; the
// window's packing runs off the interface thread with its progress in the status line; the
// pack buttons are off for group nodes.
#include <gtest/gtest.h>
#include <QTest>
#include <QProgressDialog>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <atomic>

#include "operations/game_operations.h"
#include "platform/file_system.h"
#include "ui/commands.h"
#include "ui/item_details_form.h"
#include "ui/install_dialog.h"
#include "ui/job_runner.h"
#include "ui/game_tree_view.h"
#include "ui/main_window.h"
#include "ui/tree_model_logic.h"
#include "ui/widget_prompts.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

TEST(UiInstallDialog, ShowsThePlanAndClosesOnlyWhenAccepted) {
  uitest::EnsureApplication();
  uitest::ScriptedPrompts prompts;
  InstallDialogState state;
  state.title = "Lumaro Pelorin";
  state.files = {"car.viv", "carp.txt"};
  state.lengthLine = "(Total Length = 3KB)";
  state.destinationBase = "/games/krax/GameData/CarModel";
  state.id = "PELO";
  std::vector<std::string> offered;
  bool acceptNext = false;
  state.accept = [&](const InstallDialogState& edited) {
    offered.push_back(edited.destinationBase + "|" + edited.id);
    return acceptNext;
  };
  InstallDialog dialog(state, prompts);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Lumaro Pelorin"));
  ASSERT_EQ(dialog.fileList()->count(), 2);
  EXPECT_EQ(dialog.fileList()->item(1)->text(), QStringLiteral("carp.txt"));
  EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("lengthLine"))->text(), QStringLiteral("(Total Length = 3KB)"));
  EXPECT_FALSE(dialog.findChild<QCheckBox*>()->isVisibleTo(&dialog));
  // What the plan left out is said below the list, only when there is something.
  EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("notes")), nullptr);
  InstallDialogState noted = state;
  noted.notes = {"Left out: carp.txt is a symbolic link, not a file.", "The car is disabled (car.viv.dis)."};
  InstallDialog withNotes(noted, prompts);
  ASSERT_NE(withNotes.findChild<QLabel*>(QStringLiteral("notes")), nullptr);
  EXPECT_EQ(withNotes.findChild<QLabel*>(QStringLiteral("notes"))->text(),
            QStringLiteral("Left out: carp.txt is a symbolic link, not a file.\nThe car is disabled (car.viv.dis)."));

  // ".." replaces the base and keeps the typed ID; a cancelled browser changes nothing.
  dialog.idEdit()->setText(QStringLiteral(" MINE "));
  prompts.folders = {"/elsewhere", ""};
  dialog.BrowseDestination();
  dialog.BrowseDestination();
  EXPECT_EQ(prompts.folderTitles, (std::vector<std::string>{kInstallBrowseTitle, kInstallBrowseTitle}));
  EXPECT_EQ(dialog.destinationEdit()->text(), QStringLiteral("/elsewhere"));

  dialog.accept();  // refused: stays open
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  acceptNext = true;
  dialog.accept();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(offered, (std::vector<std::string>{"/elsewhere|MINE", "/elsewhere|MINE"}));
  EXPECT_EQ(state.id, "MINE");
}

TEST(UiInstallDialog, WorkRunsOnTheWorkerWithItsProgressShownAndCancelStopsIt) {
  uitest::EnsureApplication();
  std::vector<QString> shown;
  WidgetPrompts prompts(nullptr, [&](const QString& text) { shown.push_back(text); });
  JobRunner jobs;
  std::atomic<bool> otherThread{false};
  std::atomic<int> steps{0};
  ASSERT_TRUE(jobs.Run(QStringLiteral("Create Cabinet"), [&] {
    prompts.RunWork([&] {
      otherThread = QThread::currentThread() != qApp->thread();
      for (int i = 0; i < 1000 && !prompts.WorkStopRequested(); ++i, ++steps) {
        prompts.Status("File TR03.frd - Compressing:" + std::to_string(i * 16384));
        QThread::msleep(5);
      }
    });
    return OperationResult{};
  }, {}));
  // The box comes up while the work goes on; its Cancel stops the work at its next check.
  QProgressDialog* box = nullptr;
  ASSERT_TRUE(QTest::qWaitFor([&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (w->objectName() == QStringLiteral("workProgress") && w->isVisible()) box = qobject_cast<QProgressDialog*>(w);
    }
    return box != nullptr;
  }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return box->labelText().startsWith(QStringLiteral("File TR03.frd")); }, 5000));
  QPushButton* cancel = box->findChild<QPushButton*>();
  ASSERT_NE(cancel, nullptr);
  cancel->click();
  ASSERT_TRUE(uitest::WaitForJobs(jobs));
  EXPECT_TRUE(otherThread);
  EXPECT_LT(steps.load(), 1000) << "Cancel stopped the work";
  ASSERT_FALSE(shown.empty());
  EXPECT_TRUE(shown.back().startsWith(QStringLiteral("File TR03.frd - Compressing:")));
  QApplication::processEvents();  // the box's deferred delete
}

TEST(UiInstallDialog, PackButtonsAreOffForGroups) {
  uitest::EnsureApplication();
  uitest::DemoFixture demo;
  uitest::ScriptedPrompts prompts;
  test::PendingOperations operations;
  ItemDetailsForm form(demo.data, demo.settings, operations, prompts);
  auto* zip = form.findChild<QPushButton*>(QStringLiteral("zipButton"));
  auto* cabinet = form.findChild<QPushButton*>(QStringLiteral("cabinetButton"));
  form.ShowItem(kCarsGroupItem);
  EXPECT_FALSE(zip->isEnabled());
  EXPECT_FALSE(cabinet->isEnabled());
  form.ShowItem(ItemRef::StockTrackSlot(0));
  EXPECT_TRUE(zip->isEnabled());
  EXPECT_TRUE(cabinet->isEnabled());
}

TEST(UiInstallDialog, WindowPacksACarAndInstallsItAgain) {
  uitest::EnsureApplication();
  uitest::DemoFixture demo;
  uitest::ScriptedPrompts prompts;  // the install dialog is answered by its default question
  GameOperations operations(demo.data, demo.settings, prompts);
  MainWindow frame(MainWindowContext{demo.settings, demo.data, operations, {}, &prompts, {}, {}});
  frame.InitialUpdate();
  const std::size_t cars = demo.data.cars.size();
  // The first car listed with front-end data, so with a name for its archive.
  std::size_t slot = 0;
  while (slot < cars && !demo.data.cars[slot].hasFedata()) ++slot;
  ASSERT_LT(slot, cars);
  const CarRecord& first = demo.data.cars[slot];
  const std::string archive = demo.settings.archiveFolder + "/" + first.name.value() + ".zip";

  frame.detailsForm()->ShowItem(ItemRef::Car(slot));
  frame.detailsForm()->findChild<QPushButton*>(QStringLiteral("zipButton"))->click();
  ASSERT_TRUE(uitest::WaitForJobs(frame.jobs()));
  EXPECT_EQ(prompts.statuses.back(), "Done");
  ASSERT_TRUE(IsFile(archive));

  prompts.files = {archive};
  frame.action(CommandId::kInstallCarFromComp)->trigger();
  ASSERT_TRUE(uitest::WaitForJobs(frame.jobs()));
  EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front();
  EXPECT_EQ(prompts.fileFilters, std::vector<std::string>{"Compressed Files (*.zip, *.cab)|*.zip;*.cab||"});
  EXPECT_EQ(demo.data.cars.size(), cars + 1) << "the tree was reloaded with the new car";
}

}  // namespace
}  // namespace krax::ui

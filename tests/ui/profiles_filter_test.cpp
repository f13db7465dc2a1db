// The window's Profiles menu, the filter above the tree, and commands on several selected items.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "operations/game_operations.h"
#include "platform/path.h"
#include "support/scratch_folder.h"
#include "ui/commands.h"
#include "ui/game_tree_view.h"
#include "ui/main_window.h"
#include "ui/profiles_menu.h"
#include "ui/tree_model_logic.h"
#include "ui/tree_pane.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

class UiProfilesAndFilter : public ::testing::Test {
 protected:
  UiProfilesAndFilter() {
    uitest::EnsureApplication();
    demo_ = std::make_unique<uitest::DemoFixture>();
    operations_ = std::make_unique<GameOperations>(demo_->data, demo_->settings, prompts_);
    operations_->SetProfileFolder(profiles_.path());
    MainWindowContext context{demo_->settings, demo_->data, *operations_, {}, &prompts_, {}, {}};
    frame_ = std::make_unique<MainWindow>(context);
    frame_->InitialUpdate();
  }
  GameTreeView& tree() { return *frame_->gameTree(); }
  // The labels of the visible cars.
  QStringList visibleCars() {
    QStringList cars;
    for (QTreeWidgetItem* item : uitest::Descendants(tree().carsGroup())) {
      bool shown = true;
      for (QTreeWidgetItem* up = item; up; up = up->parent()) shown &= !up->isHidden();
      if (shown && ItemRefOf(item).isCar()) cars << item->text(0);
    }
    return cars;
  }
  // Folder -> enabled, as the tree's car images say.
  std::map<std::string, bool> carStates() {
    std::map<std::string, bool> states;
    for (QTreeWidgetItem* item : uitest::Descendants(tree().carsGroup())) {
      if (ItemRefOf(item).isCar()) states[demo_->data.cars[ItemRefOf(item).index].archivePath] = ItemImage(item) != kImageCarDisabled;
    }
    return states;
  }

  test::ScratchFolder profiles_;
  test::ScopedEnv trash_{"XDG_DATA_HOME", profiles_ / "data"};
  std::unique_ptr<uitest::DemoFixture> demo_;
  uitest::ScriptedPrompts prompts_;
  std::unique_ptr<GameOperations> operations_;
  std::unique_ptr<MainWindow> frame_;
};

TEST_F(UiProfilesAndFilter, SaveGoToTheStockGameAndComeBackFromTheMenu) {
  ProfilesMenu& menu = *frame_->profilesMenu();
  QStringList items;
  for (QAction* a : menu.actions()) {
    if (!a->isSeparator()) items << a->text() + (a->shortcut().isEmpty() ? "" : " " + a->shortcut().toString());
  }
  EXPECT_EQ(items, (QStringList{"&Save Current As... Ctrl+Shift+S", "&Apply", "S&tock Game", "&Manage..."}));
  EXPECT_EQ(frame_->action(CommandId::kReload)->shortcut(), QKeySequence(Qt::Key_F5));

  const auto mine = carStates();
  menu.askName = [] { return QStringLiteral("Evening"); };
  menu.SaveCurrent();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  menu.RefreshApplyMenu();
  ASSERT_EQ(menu.ApplyMenu()->actions().size(), 1);
  EXPECT_EQ(menu.ApplyMenu()->actions()[0]->text(), QStringLiteral("Evening"));

  menu.ApplyStockGame();  // offers to save first (yes), shows the plan (yes)
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_NE(carStates(), mine);
  for (QTreeWidgetItem* item : uitest::Descendants(tree().tracksGroup())) {
    if (ItemImage(item) == kImageTrackActive) {
      EXPECT_EQ(item->text(0), QStringLiteral("Original"));
    }
  }
  menu.RefreshApplyMenu();
  ASSERT_EQ(menu.ApplyMenu()->actions().size(), 2);  // "Before stock game ..." and "Evening"
  menu.ApplyMenu()->actions()[1]->trigger();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_EQ(carStates(), mine);
}

// Manage > Show: the profile as lists, each car folder with the car's name.
TEST_F(UiProfilesAndFilter, ShowListsTheProfileWithTheCarsNames) {
  ProfilesMenu& menu = *frame_->profilesMenu();
  menu.askName = [] { return QStringLiteral("Evening"); };
  menu.SaveCurrent();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  QString title, text;
  menu.showText = [&](const QString& shownTitle, const QString& shownText) {
    title = shownTitle;
    text = shownText;
  };
  menu.runDialog = [](QDialog& dialog) {
    auto* show = dialog.findChild<QPushButton*>(QStringLiteral("showButton"));
    ASSERT_NE(show, nullptr);
    show->click();
  };
  menu.Manage();
  EXPECT_EQ(title, QStringLiteral("Profile \"Evening\""));
  EXPECT_TRUE(text.startsWith(QStringLiteral("Profile \"Evening\":\n\nCars enabled ("))) << text.toStdString();
  int named = 0;
  for (std::size_t slot = 0; slot < demo_->data.cars.size(); ++slot) {
    const CarRecord& car = demo_->data.cars[slot];
    if (car.depth != 0 || !car.hasFedata()) continue;
    const QString line =
        QStringLiteral("\n  %1 (%2)\n").arg(FromUtf8(BaseName(ParentPath(car.archivePath))), FromCodePage(*car.name));
    EXPECT_TRUE(text.contains(line)) << line.toStdString();
    ++named;
  }
  EXPECT_GT(named, 0);
  EXPECT_TRUE(text.contains(QStringLiteral("\n  Trk000 (Cinderfall Ridge): "))) << text.toStdString();
}

TEST_F(UiProfilesAndFilter, TheFilterNarrowsTheTreeAndSeveralCarsChangeAtOnce) {
  const QStringList all = visibleCars();
  TreePane& pane = *frame_->treePane();
  QTest::keyClicks(pane.filterBox(), QStringLiteral("RA"));
  QStringList expected;
  for (std::size_t slot = 0; slot < demo_->data.cars.size(); ++slot) {
    const CarRecord& car = demo_->data.cars[slot];
    const QString folder = FromUtf8(BaseName(ParentPath(car.archivePath)));
    const QString name = FromCodePage(car.name.value_or(""));
    if (name.contains("ra", Qt::CaseInsensitive) || folder.contains("ra", Qt::CaseInsensitive) ||
        FromCodePage(car.carId.value_or("")).contains("ra", Qt::CaseInsensitive)) {
      expected << name;
    }
  }
  QStringList shown = visibleCars();
  shown.sort();
  expected.sort();
  EXPECT_EQ(shown, expected);
  EXPECT_LT(shown.size(), all.size());

  // The filter stays over a reload; errors only shows the flagged cars and no track.
  frame_->action(CommandId::kReload)->trigger();
  EXPECT_EQ(visibleCars().size(), expected.size());
  pane.filterBox()->clear();
  pane.errorsOnlyBox()->setChecked(true);
  for (QTreeWidgetItem* item : uitest::Descendants(tree().carsGroup())) {
    const ItemRef ref = ItemRefOf(item);
    if (ref.isCar() && !item->isHidden()) {
      EXPECT_NE(demo_->data.cars[ref.index].errorFlags, 0u);
    }
  }
  EXPECT_FALSE(visibleCars().isEmpty());
  for (int i = 0; i < tree().tracksGroup()->childCount(); ++i) EXPECT_TRUE(tree().tracksGroup()->child(i)->isHidden());
  pane.errorsOnlyBox()->setChecked(false);
  EXPECT_EQ(visibleCars(), all);

  // Two enabled cars selected: Disable Cars disables both with one result.
  std::vector<QTreeWidgetItem*> enabled;
  for (QTreeWidgetItem* item : uitest::Descendants(tree().carsGroup())) {
    if (ItemRefOf(item).isCar() && ItemImage(item) != kImageCarDisabled && enabled.size() < 2) enabled.push_back(item);
  }
  ASSERT_EQ(enabled.size(), 2u);
  tree().clearSelection();
  for (QTreeWidgetItem* item : enabled) item->setSelected(true);
  QMenu* menu = tree().ItemMenu(enabled[0]);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->objectName(), QStringLiteral("selectionMenu"));
  menu->findChild<QAction*>(QStringLiteral("disableSelectedAction"))->trigger();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  delete menu;
  for (QTreeWidgetItem* item : enabled) EXPECT_EQ(ItemImage(item), kImageCarDisabled);
  EXPECT_TRUE(frame_->promptPane()->text().startsWith(QStringLiteral("Disabled 2 of 2")));

  // Delete asks, then moves the selected add-on to the trash; No keeps it.
  QTreeWidgetItem* addOn = nullptr;
  for (QTreeWidgetItem* item : uitest::Descendants(tree().carsGroup())) {
    if (item->text(0) == QStringLiteral("Ravelin GT")) addOn = item;
  }
  ASSERT_NE(addOn, nullptr);
  const std::string folder = ParentPath(demo_->data.cars[ItemRefOf(addOn).index].archivePath);
  tree().clearSelection();
  tree().setCurrentItem(addOn);
  prompts_.answers = {false};
  QTest::keyClick(&tree(), Qt::Key_Delete);
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  tree().setCurrentItem(addOn);
  QTest::keyClick(&tree(), Qt::Key_Delete);
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_FALSE(std::filesystem::exists(folder));
#ifndef _WIN32  // Windows's Recycle Bin has no path a test can look into
  EXPECT_TRUE(std::filesystem::is_directory(profiles_ / "data/Trash/files/" + BaseName(folder)));
#endif
  EXPECT_FALSE(visibleCars().contains(QStringLiteral("Ravelin GT")));
}

}  // namespace
}  // namespace krax::ui

// The tree's actions with the real operations: Enter, the context menu, and the tree image
// after a serial number is written in the form.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "gamedata/car_record.h"
#include "gamedata/track_catalog.h"
#include "operations/game_operations.h"
#include "operations/serial_numbers.h"
#include "platform/path.h"
#include "ui/item_details_form.h"
#include "ui/game_tree_view.h"
#include "ui/main_window.h"
#include "ui/pictures.h"
#include "ui/tree_model_logic.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

class UiItemActions : public ::testing::Test {
 protected:
  UiItemActions() {
    uitest::EnsureApplication();
    demo_ = std::make_unique<uitest::DemoFixture>();
    operations_ = std::make_unique<GameOperations>(demo_->data, demo_->settings, prompts_);
    MainWindowContext context{demo_->settings, demo_->data, *operations_, {}, &prompts_, {}, {}};
    frame_ = std::make_unique<MainWindow>(context);
    frame_->InitialUpdate();
  }
  GameTreeView& tree() { return *frame_->gameTree(); }

  std::unique_ptr<uitest::DemoFixture> demo_;
  uitest::ScriptedPrompts prompts_;
  std::unique_ptr<GameOperations> operations_;
  std::unique_ptr<MainWindow> frame_;
};

TEST_F(UiItemActions, EnterAndTheMenuDoWhatTheLeftDoubleClickDoes) {
  // Enter on a car disables it on disk, lowers the count and says so in the status line.
  QTreeWidgetItem* car = uitest::FindByRef(tree().carsGroup(), ItemRef::Car(0));
  const std::string archive = demo_->data.cars[0].archivePath;
  const bool enabled = demo_->data.cars[0].enabled;
  tree().setCurrentItem(car);
  QTest::keyClick(&tree(), Qt::Key_Return);
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_EQ(ItemImage(car), enabled ? kImageCarDisabled : kImageCar);
  EXPECT_NE(demo_->data.cars[0].archivePath, archive);
  EXPECT_TRUE(frame_->promptPane()->text().contains(enabled ? QStringLiteral("disabled") : QStringLiteral("enabled")));

  // The menu of an inactive add-on track switches its slot.
  QTreeWidgetItem* track = nullptr;
  for (QTreeWidgetItem* item : uitest::Descendants(tree().tracksGroup())) {
    if (ItemRefOf(item).isTrackFolder() && ItemImage(item) == kImageTrackInactive &&
        item->text(0) != QStringLiteral("Original")) {
      track = item;
    }
  }
  ASSERT_NE(track, nullptr);
  std::unique_ptr<QMenu> menu(tree().ItemMenu(track));
  ASSERT_NE(menu, nullptr);
  QAction* primary = menu->findChild<QAction*>(QStringLiteral("primaryAction"));
  ASSERT_NE(primary, nullptr);
  ASSERT_TRUE(primary->isEnabled());
  primary->trigger();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_EQ(ItemImage(track), kImageTrackActive);
  const std::size_t n = ItemRefOf(track).index;
  EXPECT_EQ(ReadActiveTrack(ParentPath(demo_->data.trackFolder(n).path)), track->text(0).toStdString());
  menu.reset(tree().ItemMenu(track));
  EXPECT_FALSE(menu->findChild<QAction*>(QStringLiteral("primaryAction"))->isEnabled());
  EXPECT_EQ(tree().ItemMenu(tree().carsGroup()), nullptr);
  EXPECT_TRUE(prompts_.messages.empty());

  // The form's actions come along: an add-on track packs; a stock slot restores from the CD.
  EXPECT_TRUE(menu->findChild<QAction*>(QStringLiteral("zipButtonAction"))->isEnabled());
  EXPECT_TRUE(menu->findChild<QAction*>(QStringLiteral("cabinetButtonAction"))->isEnabled());
  menu.reset(tree().ItemMenu(uitest::FindByRef(tree().tracksGroup(), ItemRef::StockTrackSlot(0))));
  ASSERT_NE(menu, nullptr);
  QAction* restore = menu->findChild<QAction*>(QStringLiteral("restoreButtonAction"));
  ASSERT_NE(restore, nullptr);
  EXPECT_TRUE(restore->isEnabled());
  EXPECT_EQ(menu->findChild<QAction*>(QStringLiteral("primaryAction")), nullptr);
}

TEST_F(UiItemActions, WritingAFreeNumberClearsTheDuplicateImageAtOnce) {
  int duplicate = -1;
  for (std::size_t i = 0; i < demo_->data.cars.size(); ++i) {
    const CarRecord& car = demo_->data.cars[i];
    if ((car.errorFlags & kFlagDuplicateSerial) && car.enabled && car.depth == 0) duplicate = static_cast<int>(i);
  }
  ASSERT_GE(duplicate, 0);
  QTreeWidgetItem* item = uitest::FindByRef(tree().carsGroup(), ItemRef::Car(static_cast<std::size_t>(duplicate)));
  ASSERT_EQ(ItemImage(item), kImageSerialDuplicate);
  tree().setCurrentItem(item);
  const int free = ProposeSerialNumber(demo_->data, static_cast<std::size_t>(duplicate));
  frame_->detailsForm()->findChild<QLineEdit*>(QStringLiteral("fedataEdit"))->setText(QString::number(free));
  frame_->detailsForm()->WriteSerial();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_NE(ItemImage(item), kImageSerialDuplicate);
  EXPECT_TRUE(frame_->promptPane()->text().contains(QString::number(free)));
}

}  // namespace
}  // namespace krax::ui

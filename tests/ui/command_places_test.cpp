// Every command from every place the window offers it (menus, toolbar, the tree's context menu
// for one and for several items, the form's buttons, keys, double click, drag and drop), with
// the real widgets and operations: the work runs on the worker, the window survives whatever
// the place was (a context menu is gone by the time its work ends), and the user sees the result.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <memory>

#include "gamedata/track_catalog.h"
#include "operations/game_operations.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "ui/commands.h"
#include "ui/game_tree_view.h"
#include "ui/item_details_form.h"
#include "ui/job_runner.h"
#include "ui/main_window.h"
#include "ui/pictures.h"
#include "ui/profiles_menu.h"
#include "ui/tree_model_logic.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

// InstallCar waits at a gate, so that a test can look at the window while a job runs.
class GatedOperations : public GameOperations {
 public:
  using GameOperations::GameOperations;
  std::promise<void> gate;
  std::atomic<bool> started{false};
  OperationResult InstallCar() override {
    started = true;
    gate.get_future().wait();
    return {OperationStatus::kDone, "Install Car", "Installed."};
  }
};

class UiCommandPlaces : public ::testing::Test {
 protected:
  UiCommandPlaces() {
    uitest::EnsureApplication();
    demo_ = std::make_unique<uitest::DemoFixture>();
    operations_ = std::make_unique<GatedOperations>(demo_->data, demo_->settings, prompts_);
    MainWindowContext context{demo_->settings, demo_->data, *operations_, {}, &prompts_, {}, {}};
    frame_ = std::make_unique<MainWindow>(context);
    frame_->InitialUpdate();
    frame_->resize(1000, 760);
    frame_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(frame_.get()));
  }
  ~UiCommandPlaces() override { EXPECT_TRUE(uitest::WaitForJobs(frame_->jobs())); }

  GameTreeView& tree() { return *frame_->gameTree(); }
  ItemDetailsForm& form() { return *frame_->detailsForm(); }
  QString status() { return frame_->promptPane()->text(); }
  QTreeWidgetItem* carItem(const std::string& id) {
    for (std::size_t i = 0; i < demo_->data.cars.size(); ++i) {
      if (demo_->data.cars[i].carId == id) return uitest::FindByRef(tree().carsGroup(), ItemRef::Car(i));
    }
    return nullptr;
  }
  std::string folderOf(QTreeWidgetItem* item) { return demo_->data.cars[ItemRefOf(item).index].archivePath; }
  std::string archive(const std::string& name, const char* ending) {
    return demo_->settings.archiveFolder + "/" + name + ending;
  }
  // The add-on track folder of the first slot that has one, active or not.
  QTreeWidgetItem* addOnTrack(bool active) {
    for (QTreeWidgetItem* item : uitest::Descendants(tree().tracksGroup())) {
      if (ItemRefOf(item).isTrackFolder() && item->text(0) != QStringLiteral("Original") &&
          (ItemImage(item) == kImageTrackActive) == active) {
        return item;
      }
    }
    return nullptr;
  }
  int activeAddOns() {
    int n = 0;
    for (QTreeWidgetItem* item : uitest::Descendants(tree().tracksGroup())) {
      n += ItemImage(item) == kImageTrackActive && item->text(0) != QStringLiteral("Original");
    }
    return n;
  }
  void Select(const std::vector<QTreeWidgetItem*>& items) {
    tree().clearSelection();
    tree().setCurrentItem(items.front());
    for (QTreeWidgetItem* item : items) item->setSelected(true);
    tree().scrollToItem(items.front());
  }
  QPoint Center(QTreeWidgetItem* item) { return tree().visualItemRect(item).center(); }
  // A right click as the user makes it: the menu opens after the double-click time; then a
  // left click on the entry, which closes (and frees) the menu.
  void ChooseFromContextMenu(QTreeWidgetItem* item, const char* entry) {
    tree().scrollToItem(item);
    QTest::mouseClick(tree().viewport(), Qt::RightButton, {}, Center(item));
    QMenu* menu = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); }, 5000));
    QAction* action = menu->findChild<QAction*>(QString::fromLatin1(entry));
    ASSERT_NE(action, nullptr) << entry;
    ASSERT_TRUE(action->isEnabled()) << entry;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
  }
  void ClickToolbarButton(CommandId command) {
    auto* bar = frame_->findChild<QToolBar*>(QStringLiteral("toolBar"));
    QWidget* button = bar->widgetForAction(frame_->action(command));
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
  }
  void ChooseFromMenuBar(CommandId command) {
    for (QAction* top : frame_->menuBar()->actions()) {
      if (!top->menu()) continue;
      for (QAction* entry : top->menu()->actions()) {
        if (entry == frame_->action(command)) {
          entry->trigger();
          return;
        }
      }
    }
    FAIL() << "not in a menu";
  }

  std::unique_ptr<uitest::DemoFixture> demo_;
  uitest::ScriptedPrompts prompts_;
  std::unique_ptr<GatedOperations> operations_;
  std::unique_ptr<MainWindow> frame_;
};

TEST_F(UiCommandPlaces, EveryPlaceRunsItsCommandAndTheWindowShowsTheResult) {
  struct Place {
    const char* what;
    std::function<void()> fire;   // selects what the command acts on and gives the command
    std::function<void()> check;  // what the user sees afterwards
  };
  std::string packed;  // the archive a row made, for the drop row
  std::string before;  // the folder selected before a row
  int activeBefore = 0;
  const Place places[] = {
      {"context menu, one car: Create Zip",
       [&] {
         QTreeWidgetItem* car = carItem("KOVA");
         Select({car});
         packed = archive(demo_->data.cars[ItemRefOf(car).index].name.value(), ".zip");
         ChooseFromContextMenu(car, "zipButtonAction");
       },
       [&] {
         EXPECT_TRUE(IsFile(packed)) << packed;
         EXPECT_EQ(prompts_.statuses.back(), "Done");
       }},
      {"context menu, several items: Create Cabinet Of Each",
       [&] {
         Select({carItem("KOVA"), carItem("ZEPH")});
         ChooseFromContextMenu(carItem("ZEPH"), "cabinetSelectedAction");
       },
       [&] { EXPECT_EQ(status(), QStringLiteral("Created 2 of 2 archives.")); }},
      {"context menu, active add-on track: Restore From CD of its slot",
       [&] {
         activeBefore = activeAddOns();
         QTreeWidgetItem* slot = addOnTrack(true)->parent();
         Select({slot});
         ChooseFromContextMenu(slot, "restoreButtonAction");
       },
       [&] { EXPECT_EQ(activeAddOns(), activeBefore - 1) << "the tree shows the slot back on Original"; }},
      {"form button: Create Cabinet",
       [&] {
         QTreeWidgetItem* car = carItem("ZEPH");
         Select({car});
         packed = archive(demo_->data.cars[ItemRefOf(car).index].name.value(), ".CAB");
         std::filesystem::remove(packed);
         QTest::mouseClick(form().findChild<QPushButton*>(QStringLiteral("cabinetButton")), Qt::LeftButton);
       },
       [&] { EXPECT_TRUE(IsFile(packed)) << packed; }},
      {"double click on a car",
       [&] {
         QTreeWidgetItem* car = carItem("KOVA");
         Select({car});
         before = folderOf(car);
         QTest::mouseDClick(tree().viewport(), Qt::LeftButton, {}, Center(car));
       },
       [&] {
         EXPECT_NE(folderOf(carItem("KOVA")), before) << "the archive was renamed";
         EXPECT_TRUE(IsFile(folderOf(carItem("KOVA"))));
       }},
      {"Enter on an inactive add-on track",
       [&] {
         QTreeWidgetItem* track = addOnTrack(false);
         Select({track});
         before = ToUtf8(track->text(0));
         tree().setFocus();
         QTest::keyClick(&tree(), Qt::Key_Return);
       },
       [&] {
         QTreeWidgetItem* track = tree().currentItem();
         EXPECT_EQ(ItemImage(track), kImageTrackActive);
         EXPECT_EQ(ReadActiveTrack(ParentPath(demo_->data.trackFolder(ItemRefOf(track).index).path)), before);
       }},
      {"toolbar: Restore Tracks", [&] { ClickToolbarButton(CommandId::kRestoreTracks); },
       [&] { EXPECT_EQ(activeAddOns(), 0) << "every slot shows Original without F5"; }},
      {"F5 keeps the selected car",
       [&] {
         Select({carItem("ZEPH")});
         before = folderOf(carItem("ZEPH"));
         QTest::keyClick(frame_.get(), Qt::Key_F5);
       },
       [&] {
         ASSERT_EQ(tree().selectedItems().size(), 1);
         EXPECT_EQ(folderOf(tree().selectedItems()[0]), before);
         EXPECT_EQ(form().findChild<QLineEdit*>(QStringLiteral("directoryEdit"))->text(), FromUtf8(before));
       }},
      {"menu: Install Car From Comp. of the cabinet made above",
       [&] {
         before = folderOf(carItem("ZEPH"));
         prompts_.files = {archive(demo_->data.cars[ItemRefOf(carItem("ZEPH")).index].name.value(), ".CAB")};
         ChooseFromMenuBar(CommandId::kInstallCarFromComp);
       },
       [&] {
         ASSERT_EQ(tree().selectedItems().size(), 1) << "the new car is selected";
         QTreeWidgetItem* added = tree().selectedItems()[0];
         EXPECT_EQ(added->text(0), carItem("ZEPH")->text(0));
         EXPECT_NE(folderOf(added), before);
         EXPECT_EQ(form().findChild<QLineEdit*>(QStringLiteral("directoryEdit"))->text(), FromUtf8(folderOf(added)));
       }},
      {"drag and drop of the zip made first",
       [&] {
         before = folderOf(carItem("KOVA"));
         QMimeData mime;
         mime.setUrls({QUrl::fromLocalFile(
             FromUtf8(archive(demo_->data.cars[ItemRefOf(carItem("KOVA")).index].name.value(), ".zip")))});
         // The window takes the drag in, then the drop.
         QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, {});
         QApplication::sendEvent(frame_.get(), &enter);
         ASSERT_TRUE(enter.isAccepted());
         QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, {});
         QApplication::sendEvent(frame_.get(), &drop);
         ASSERT_TRUE(drop.isAccepted());
       },
       [&] {
         ASSERT_EQ(tree().selectedItems().size(), 1) << "the new car is selected";
         QTreeWidgetItem* added = tree().selectedItems()[0];
         EXPECT_EQ(ToUtf8(added->text(0)), demo_->data.cars[ItemRefOf(added).index].name.value());
         EXPECT_EQ(demo_->data.cars[ItemRefOf(added).index].carId, "KOVA");
         EXPECT_NE(folderOf(added), before);
       }},
  };
  for (const Place& place : places) {
    SCOPED_TRACE(place.what);
    place.fire();
    ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
    place.check();
    EXPECT_TRUE(frame_->isVisible());
    EXPECT_TRUE(frame_->action(CommandId::kInstallCar)->isEnabled()) << "the commands are back";
    EXPECT_TRUE(prompts_.messages.empty()) << prompts_.messages.front();
    prompts_.messages.clear();
  }
}

TEST_F(UiCommandPlaces, WhileAJobRunsTheFolderWaitsAndReadingGoesOn) {
  QTreeWidgetItem* first = carItem("KOVA");
  QTreeWidgetItem* second = carItem("ZEPH");
  const std::string secondFolder = folderOf(second);
  Select({first});
  frame_->action(CommandId::kInstallCar)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return operations_->started.load(); }, 5000));
  ASSERT_TRUE(frame_->jobs().busy());

  for (CommandId command : {CommandId::kInstallCar, CommandId::kRestoreTracks, CommandId::kReload,
                            CommandId::kOptions, CommandId::kGenerateSerials, CommandId::kFixAllErrors}) {
    EXPECT_FALSE(frame_->action(command)->isEnabled()) << static_cast<int>(command);
  }
  EXPECT_TRUE(frame_->action(CommandId::kAbout)->isEnabled());
  EXPECT_FALSE(frame_->profilesMenu()->isEnabled());
  EXPECT_FALSE(form().findChild<QPushButton*>(QStringLiteral("zipButton"))->isEnabled());
  // Keys that would change the folder say why nothing happens.
  tree().setFocus();
  const int imageBefore = ItemImage(first);
  const bool enabledBefore = demo_->data.cars[ItemRefOf(first).index].enabled;
  QTest::keyClick(&tree(), Qt::Key_Return);
  EXPECT_EQ(status(), QStringLiteral("Please wait: \"Install  Car\" is still running."));
  EXPECT_EQ(ItemImage(first), imageBefore);  // not toggled
  EXPECT_EQ(demo_->data.cars[ItemRefOf(first).index].enabled, enabledBefore);
  frame_->close();
  EXPECT_TRUE(frame_->isVisible()) << "the window waits for the job";
  // Selecting still works; the form follows once the job is over.
  Select({second});
  EXPECT_EQ(tree().selectedItems().value(0), second);

  operations_->gate.set_value();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_TRUE(frame_->action(CommandId::kReload)->isEnabled());
  EXPECT_TRUE(frame_->profilesMenu()->isEnabled());
  // The install reloaded the tree: the place is kept by folder.
  EXPECT_EQ(form().findChild<QLineEdit*>(QStringLiteral("directoryEdit"))->text(), FromUtf8(secondFolder));
  EXPECT_EQ(status(), QStringLiteral("Installed."));
}

}  // namespace
}  // namespace krax::ui

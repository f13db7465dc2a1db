// The window over a demo installation: the tree it builds, the form it shows, the status bar.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolBar>
#include <QFileInfo>
#include <QMenuBar>
#include <algorithm>
#include <set>
#include <filesystem>
#include <cctype>
#include <gtest/gtest.h>
#include <QTest>

#include "gamedata/car_catalog.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "gamedata/stock_tables.h"
#include "ui/commands.h"
#include "ui/item_details_form.h"
#include "ui/game_tree_view.h"
#include "ui/main_window.h"
#include "ui/pictures.h"
#include "ui/tree_model_logic.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

using uitest::Descendants;
using uitest::FindByRef;

class UiWindow : public ::testing::Test {
 protected:
  UiWindow() {
    uitest::EnsureApplication();
    demo_ = std::make_unique<uitest::DemoFixture>();
    operations_ = std::make_unique<uitest::ToggleInMemoryOperations>(demo_->data, demo_->settings, prompts_);
  }
  void Open() {
    MainWindowContext context{demo_->settings, demo_->data, *operations_, {}, &prompts_,
                             [this](QDialog&) { return dialogAnswer_; }, {}};
    frame_ = std::make_unique<MainWindow>(context);
  }
  GameTreeView& tree() { return *frame_->gameTree(); }
  ItemDetailsForm& form() { return *frame_->detailsForm(); }
  template <typename T>
  T* control(const char* name) {
    T* widget = form().findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QString text(const char* name) { return control<QLineEdit>(name)->text(); }
  bool shown(const char* name) { return control<QWidget>(name)->isVisibleTo(frame_.get()); }
  const CarRecord& car(int slot) { return demo_->data.cars[static_cast<std::size_t>(slot)]; }
  int slotOfFolder(const std::string& folder) {
    for (std::size_t i = 0; i < demo_->data.cars.size(); ++i) {
      std::string path = demo_->data.cars[i].archivePath;
      std::replace(path.begin(), path.end(), '\\', '/');  // Windows's separators
      if (path.find("/" + folder + "/") != std::string::npos) return static_cast<int>(i);
    }
    return -1;
  }

  std::unique_ptr<uitest::DemoFixture> demo_;
  std::unique_ptr<uitest::ToggleInMemoryOperations> operations_;
  uitest::ScriptedPrompts prompts_;
  int dialogAnswer_ = QDialog::Rejected;
  std::unique_ptr<MainWindow> frame_;
};

TEST_F(UiWindow, StatusPaneShowsPokusUntilTheFirstReport) {
  Open();
  EXPECT_EQ(frame_->carCountPane()->text(), QStringLiteral("POKUS"));
  EXPECT_EQ(frame_->promptPane()->text(), QStringLiteral("Ready"));
  frame_->InitialUpdate();
  EXPECT_EQ(frame_->carCountPane()->text(),
            QStringLiteral("No.Cars:%1").arg(demo_->manifest.EnabledTopLevelCars()));
  EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Welcome - KRAXManager"));
}

TEST_F(UiWindow, EmptyCarFolderReportsZero) {
  demo_->settings.gameFolder = demo_->root() + "/no-such-game";
  Open();
  frame_->InitialUpdate();
  EXPECT_EQ(frame_->carCountPane()->text(), QStringLiteral("No.Cars:0"));
  EXPECT_EQ(tree().carsGroup()->childCount(), 0);
  EXPECT_EQ(tree().tracksGroup()->childCount(), 0) << "a missing game has no track slots to show";
  EXPECT_FALSE(frame_->folderProblemBar()->isHidden());
}

TEST_F(UiWindow, TreeHoldsEveryCarAndTrackWithItsCode) {
  Open();
  frame_->InitialUpdate();
  ASSERT_EQ(tree().topLevelItemCount(), 2);
  QTreeWidgetItem* cars = tree().topLevelItem(0);
  QTreeWidgetItem* tracks = tree().topLevelItem(1);
  EXPECT_EQ(cars->text(0), QStringLiteral("Racing Cars"));
  EXPECT_TRUE(cars->font(0).bold());
  EXPECT_EQ(ItemRefOf(cars), kCarsGroupItem);
  EXPECT_EQ(ItemImage(cars), kImageCarsGroup);
  EXPECT_EQ(tracks->text(0), QStringLiteral("Tracks"));
  EXPECT_FALSE(tracks->font(0).bold());
  EXPECT_EQ(ItemRefOf(tracks), kTracksGroupItem);
  EXPECT_EQ(ItemImage(tracks), kImageTracksGroup);

  // Every loaded car once, labelled with its name, below the cars group.
  const std::size_t count = demo_->data.cars.size();
  ASSERT_EQ(count, demo_->manifest.cars.size());
  std::vector<int> seen(count, 0);
  for (QTreeWidgetItem* item : Descendants(cars)) {
    const ItemRef ref = ItemRefOf(item);
    if (ref == kSubFolderItem) {
      EXPECT_EQ(ItemImage(item), kImageSubFolder);
      continue;
    }
    ASSERT_TRUE(ref.isCar());
    ASSERT_LT(ref.index, count);
    const int code = static_cast<int>(ref.index);
    ++seen[ref.index];
    EXPECT_EQ(item->text(0), FromUtf8(*car(code).name));
    EXPECT_EQ(ItemImage(item), CarImage(car(code).errorFlags, car(code).enabled, demo_->settings));
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<long>(count));

  // Nine slots, each with its folders; references lead back to the track folder list.
  ASSERT_EQ(tracks->childCount(), kStockTrackSlotCount);
  int activeAddOns = 0;
  for (int row = 0; row < kStockTrackSlotCount; ++row) {
    QTreeWidgetItem* slot = tracks->child(row);
    EXPECT_EQ(ItemRefOf(slot), ItemRef::StockTrackSlot(row));
    EXPECT_EQ(ItemImage(slot), kImageStockSlot);
    EXPECT_EQ(slot->text(0), FromUtf8(StockTrackTable[static_cast<std::size_t>(row)].displayName));
    bool original = false;
    for (int i = 0; i < slot->childCount(); ++i) {
      QTreeWidgetItem* folder = slot->child(i);
      ASSERT_TRUE(ItemRefOf(folder).isTrackFolder());
      const std::size_t n = ItemRefOf(folder).index;
      EXPECT_EQ(folder->text(0), FromUtf8(demo_->data.trackFolder(n).name));
      original = original || folder->text(0) == QStringLiteral("Original");
      const bool active = ItemImage(folder) == kImageTrackActive;
      EXPECT_TRUE(active || ItemImage(folder) == kImageTrackInactive);
      if (active && row == demo_->manifest.activeSlot) {
        EXPECT_EQ(folder->text(0), FromUtf8(demo_->manifest.activeTrack));
        ++activeAddOns;
      }
    }
    EXPECT_TRUE(original) << "slot " << row;
  }
  EXPECT_EQ(activeAddOns, 1);
}

TEST_F(UiWindow, CarsSitInTheirSubFoldersInByteOrder) {
  Open();
  frame_->InitialUpdate();
  int nested = 0;
  for (const DemoCar& demoCar : demo_->manifest.cars) {
    const int slot = slotOfFolder(demoCar.folder);
    ASSERT_GE(slot, 0) << demoCar.folder;
    QTreeWidgetItem* item = FindByRef(tree().carsGroup(), ItemRef::Car(static_cast<std::size_t>(slot)));
    ASSERT_NE(item, nullptr);
    // The chain of parents spells the folders above the car's own folder.
    std::vector<std::string> parts;
    std::string part;
    for (char c : demoCar.folder) {
      if (c == '/') {
        parts.push_back(part);
        part.clear();
      } else {
        part += c;
      }
    }
    QTreeWidgetItem* parent = item->parent();
    for (auto it = parts.rbegin(); it != parts.rend(); ++it, parent = parent->parent()) {
      ASSERT_NE(parent, nullptr);
      EXPECT_EQ(ItemLabelBytes(parent).toStdString(), *it);
      EXPECT_EQ(ItemRefOf(parent), kSubFolderItem);
    }
    EXPECT_EQ(parent, tree().carsGroup()) << demoCar.folder;
    if (parts.size() >= 2) ++nested;
  }
  EXPECT_GE(nested, 1) << "the demo should hold a car two sub-folders deep";

  // Below every parent the cars stand in byte order.
  std::vector<QTreeWidgetItem*> parents = {tree().carsGroup()};
  for (QTreeWidgetItem* item : Descendants(tree().carsGroup())) {
    if (ItemRefOf(item) == kSubFolderItem) parents.push_back(item);
  }
  for (QTreeWidgetItem* parent : parents) {
    QByteArray previous;
    for (int i = 0; i < parent->childCount(); ++i) {
      if (!ItemRefOf(parent->child(i)).isCar()) continue;
      const QByteArray label = ItemLabelBytes(parent->child(i));
      EXPECT_LE(previous, label) << parent->text(0).toStdString();
      previous = label;
    }
  }
}

TEST_F(UiWindow, ImagesFollowTheIconSettingsAfterAReload) {
  Open();
  frame_->InitialUpdate();
  auto imagesInUse = [&] {
    std::set<int> images;
    for (QTreeWidgetItem* item : Descendants(tree().carsGroup())) {
      if (ItemRefOf(item).isCar()) images.insert(ItemImage(item));
    }
    return images;
  };
  // The demo's long-named car is disabled; enable it on disk so that its image can show.
  for (const DemoCar& demoCar : demo_->manifest.cars) {
    if ((demoCar.flags & kDemoFlagFolderLong) && !demoCar.enabled) {
      const std::string folder = demo_->game() + "/GameData/CarModel/" + demoCar.folder + "/";
      ASSERT_TRUE(RenameNoReplace(folder + demoCar.archiveName, folder + "car.viv").ok());
    }
  }
  // Each setting alone brings out its own image.
  const std::pair<bool Settings::*, int> switches[] = {{&Settings::flagDuplicateSerials, kImageSerialDuplicate},
                                                       {&Settings::flagDifferingSerials, kImageSerialsDiffer},
                                                       {&Settings::flagLongFolderNames, kImageFolderTooLong}};
  for (const auto& [setting, image] : switches) {
    demo_->settings.flagDuplicateSerials = demo_->settings.flagDifferingSerials = demo_->settings.flagLongFolderNames =
        false;
    demo_->settings.*setting = true;
    tree().ReloadTree();
    EXPECT_EQ(imagesInUse(), (std::set<int>{kImageCar, kImageCarDisabled, image})) << image;
  }
  demo_->settings.flagDuplicateSerials = demo_->settings.flagDifferingSerials = demo_->settings.flagLongFolderNames =
      false;
  tree().ReloadTree();
  EXPECT_EQ(imagesInUse(), (std::set<int>{kImageCar, kImageCarDisabled}));
  // A reload rebuilds rather than adds.
  EXPECT_EQ(tree().topLevelItemCount(), 2);
  const std::vector<QTreeWidgetItem*> items = Descendants(tree().carsGroup());
  EXPECT_EQ(static_cast<std::size_t>(std::count_if(items.begin(), items.end(),
                                                   [](QTreeWidgetItem* item) { return ItemRefOf(item).isCar(); })),
            demo_->data.cars.size());
}

TEST_F(UiWindow, DisablingACarChangesItsImageAndTheCountAtOnce) {
  Open();
  frame_->InitialUpdate();
  demo_->settings.flagDuplicateSerials = true;
  tree().ReloadTree();
  int duplicate = -1;
  for (std::size_t i = 0; i < demo_->data.cars.size(); ++i) {
    if ((car(static_cast<int>(i)).errorFlags & kFlagDuplicateSerial) && car(static_cast<int>(i)).enabled &&
        car(static_cast<int>(i)).depth == 0) {
      duplicate = static_cast<int>(i);
    }
  }
  ASSERT_GE(duplicate, 0) << "the demo should hold an enabled top-level duplicate";
  QTreeWidgetItem* item = FindByRef(tree().carsGroup(), ItemRef::Car(static_cast<std::size_t>(duplicate)));
  EXPECT_EQ(ItemImage(item), kImageSerialDuplicate);
  const int before = demo_->data.enabledCarCount;
  tree().setCurrentItem(item);
  tree().LeftDoubleClick();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_EQ(ItemImage(item), kImageCarDisabled);
  EXPECT_EQ(frame_->carCountPane()->text(), QStringLiteral("No.Cars:%1").arg(before - 1));
  tree().LeftDoubleClick();  // enabled again: the plain car image until the next reload
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_EQ(ItemImage(item), kImageCar);
  EXPECT_EQ(frame_->carCountPane()->text(), QStringLiteral("No.Cars:%1").arg(before));
  EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(UiWindow, DoubleClickOnEmptySpaceActsOnTheSelection) {
  Open();
  frame_->InitialUpdate();
  frame_->resize(900, 700);
  frame_->show();
  QTreeWidgetItem* item = FindByRef(tree().carsGroup(), ItemRef::Car(0));
  tree().setCurrentItem(item);
  tree().collapseAll();  // room below the two group rows
  QApplication::processEvents();
  ASSERT_EQ(tree().selectedItems().value(0), item);
  const QPoint empty(20, tree().viewport()->height() - 5);
  ASSERT_EQ(tree().itemAt(empty), nullptr);
  QTest::mouseDClick(tree().viewport(), Qt::LeftButton, {}, empty);
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_EQ(operations_->toggles, 1);
  EXPECT_EQ(ItemImage(item), car(0).enabled ? kImageCar : kImageCarDisabled);
  // A real double click on a group row only opens it.
  const QRect groupRow = tree().visualItemRect(tree().tracksGroup());
  QTest::mouseClick(tree().viewport(), Qt::LeftButton, {}, groupRow.center());
  QTest::mouseDClick(tree().viewport(), Qt::LeftButton, {}, groupRow.center());
  EXPECT_TRUE(tree().tracksGroup()->isExpanded());
  EXPECT_EQ(operations_->toggles, 1);
  EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(UiWindow, CommandsNotBuiltYetSaySo) {
  Open();
  frame_->InitialUpdate();
  QTreeWidgetItem* track = nullptr;
  for (QTreeWidgetItem* item : Descendants(tree().tracksGroup())) {
    if (ItemRefOf(item).isTrackFolder() && ItemImage(item) == kImageTrackInactive) track = item;
  }
  ASSERT_NE(track, nullptr);
  tree().setCurrentItem(track);
  tree().LeftDoubleClick();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_EQ(ItemImage(track), kImageTrackInactive) << "no switch happened, so none is shown";
  frame_->action(CommandId::kInstallCar)->trigger();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  ASSERT_EQ(prompts_.messages.size(), 2u);
  EXPECT_EQ(prompts_.messages[0], "Switch Track is not available yet.");
  EXPECT_EQ(prompts_.messages[1], "Install Car is not available yet.");
  // Double clicking a stock slot only opens or closes it.
  QTreeWidgetItem* slot = tree().tracksGroup()->child(0);
  tree().setCurrentItem(slot);
  const bool expanded = slot->isExpanded();
  tree().LeftDoubleClick();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_NE(slot->isExpanded(), expanded);
  EXPECT_EQ(prompts_.messages.size(), 2u);
}

TEST_F(UiWindow, GenerateSerialNumbersRewritesDuplicatesAndReloads) {
  Open();
  int fills = 0;
  QObject::connect(&tree(), &GameTreeView::carCountReported, [&fills](int) { ++fills; });
  frame_->InitialUpdate();
  auto duplicates = [&] {
    int n = 0;
    for (std::size_t i = 0; i < demo_->data.cars.size(); ++i) {
      n += (demo_->data.cars[i].errorFlags & kFlagDuplicateSerial) != 0;
    }
    return n;
  };
  ASSERT_GT(duplicates(), 0);
  // The cars to change are shown first; No changes nothing.
  prompts_.answers = {false};
  frame_->action(CommandId::kGenerateSerials)->trigger();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_EQ(fills, 1);
  EXPECT_GT(duplicates(), 0);
  ASSERT_FALSE(prompts_.questions.empty());
  EXPECT_NE(prompts_.questions.back().find("is held by another car"), std::string::npos) << prompts_.questions.back();
  frame_->action(CommandId::kGenerateSerials)->trigger();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_EQ(fills, 2);
  EXPECT_EQ(duplicates(), 0);
  frame_->action(CommandId::kGenerateSerials)->trigger();  // nothing left to change: no reload
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_EQ(fills, 2);
}

TEST_F(UiWindow, AReloadKeepsTheSelectedCarByItsFolderSoTheRightCarIsWritten) {
  Open();
  frame_->InitialUpdate();
  const int slot = slotOfFolder("KOVA");
  ASSERT_GE(slot, 0);
  const std::string folder = car(slot).archivePath;
  tree().setCurrentItem(FindByRef(tree().carsGroup(), ItemRef::Car(static_cast<std::size_t>(slot))));
  ASSERT_TRUE(form().hasItem());
  // A new car folder that lists first moves every slot: the place follows the folder.
  const std::string copy = ParentPath(ParentPath(folder)) + "/AAAA";
  std::filesystem::copy(ParentPath(folder), copy, std::filesystem::copy_options::recursive);
  frame_->action(CommandId::kReload)->trigger();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  ASSERT_TRUE(form().hasItem());
  ASSERT_EQ(tree().selectedItems().size(), 1);
  const ItemRef shownRef = ItemRefOf(tree().selectedItems()[0]);
  ASSERT_TRUE(shownRef.isCar());
  EXPECT_EQ(car(static_cast<int>(shownRef.index)).archivePath, folder);
  EXPECT_EQ(form().currentItem(), shownRef);
  EXPECT_EQ(text("directoryEdit"), FromUtf8(folder));
  control<QLineEdit>("fedataEdit")->setText(QStringLiteral("123"));
  form().WriteSerial();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_EQ(car(static_cast<int>(shownRef.index)).fedataSerial(), 123);
  EXPECT_EQ(car(static_cast<int>(shownRef.index)).archivePath, folder);
}

TEST_F(UiWindow, StringEditRefusesWhileSwitchedOff) {
  Open();
  frame_->action(CommandId::kStringEdit)->trigger();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0], "This is disabled in option \"Enable KRAX String editting\"");
}

TEST_F(UiWindow, MenusAndToolbarFollowTheCommandTable) {
  Open();
  QStringList menus;
  for (QAction* menu : frame_->menuBar()->actions()) menus << menu->text();
  EXPECT_EQ(menus, (QStringList{"&File", "&View", "&Commands", "&Profiles", "&Help"}));
  QStringList file;
  for (QAction* a : frame_->menuBar()->actions()[0]->menu()->actions()) {
    if (!a->isSeparator()) file << a->text();
  }
  EXPECT_EQ(file, (QStringList{"Install  Car", "Install Track", "Install Car From Comp.",
                               "Install Track From Comp.", "Restore Cars", "Restore &Tracks",
                               "Restore strings", "&Reload", "E&xit"}));
  QStringList commands;
  for (QAction* a : frame_->menuBar()->actions()[2]->menu()->actions()) commands << a->text();
  EXPECT_EQ(commands, (QStringList{"DIR = NAME", "DIR = ID", "Generate S.N.", "Fix All Errors...",
                                   "KRAX String Edit", "Options", "Verify Against CD"}));
  QToolBar* bar = frame_->findChild<QToolBar*>(QStringLiteral("toolBar"));
  ASSERT_NE(bar, nullptr);
  QStringList buttons;
  for (QAction* a : bar->actions()) buttons << (a->isSeparator() ? QStringLiteral("|") : a->toolTip());
  EXPECT_EQ(buttons, (QStringList{"Reload content", "Options", "|", "Run KRAX", "|", "Install New Car",
                                  "Install new car from compressed file", "Install New Track",
                                  "Install new track from compressed file", "|", "Restore all tracks",
                                  "Restore All Cars", "Restore KRAX Strings", "|",
                                  "Generate Unique Serial Numbers", "KRAX String Editor"}));
  EXPECT_EQ(frame_->action(CommandId::kRunGame)->statusTip(), QStringLiteral("Run KRAX without initial movies"));
}

TEST_F(UiWindow, OpeningADocumentOnlyNamesItAndReloads) {
  Open();
  frame_->InitialUpdate();
  const int cars = static_cast<int>(Descendants(tree().carsGroup()).size());
  for (int i = 1; i <= 5; ++i) {
    frame_->OpenDocumentFile(QStringLiteral("/tmp/race%1.viv").arg(i));
  }
  EXPECT_EQ(frame_->windowTitle(), QStringLiteral("race5.viv - KRAXManager"));
  QStringList expected;
  for (int i = 5; i >= 2; --i) expected << QFileInfo(QStringLiteral("/tmp/race%1.viv").arg(i)).absoluteFilePath();
  EXPECT_EQ(frame_->recentFiles(), expected);  // on Windows with the drive, as Explorer gives them
  EXPECT_EQ(tree().topLevelItemCount(), 2);
  EXPECT_EQ(static_cast<int>(Descendants(tree().carsGroup()).size()), cars);
}

// --- The details form ---

TEST_F(UiWindow, FormShowsACarWithItsFiguresAndFlags) {
  Open();
  frame_->InitialUpdate();
  int slot = -1;
  for (std::size_t i = 0; i < demo_->data.cars.size(); ++i) {
    const CarRecord& c = car(static_cast<int>(i));
    if (c.hasFedata() && (c.errorFlags & kFlagDuplicateSerial)) slot = static_cast<int>(i);
  }
  ASSERT_GE(slot, 0);
  tree().setCurrentItem(FindByRef(tree().carsGroup(), ItemRef::Car(static_cast<std::size_t>(slot))));
  EXPECT_EQ(form().currentItem(), ItemRef::Car(static_cast<std::size_t>(slot)));
  const CarRecord& c = car(slot);
  EXPECT_EQ(text("nameEdit"), FromUtf8(*c.name));
  EXPECT_EQ(text("directoryEdit"), FromUtf8(c.archivePath));
  EXPECT_EQ(text("manufacturerEdit"), FromUtf8(*c.manufacturer));
  EXPECT_EQ(text("modelEdit"), FromUtf8(*c.model));
  std::string id = *c.carId;
  for (char& ch : id) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  EXPECT_EQ(text("idEdit"), FromUtf8(id));
  EXPECT_EQ(text("carpEdit"), FromUtf8(c.carpSerial));
  EXPECT_EQ(text("fedataEdit"), QString::number(c.fedataSerial()));
  EXPECT_EQ(text("massEdit"),
            FromUtf8(FormatMass(demo_->data.ReadCarpValue(kCarpMass, static_cast<std::size_t>(slot)))));
  EXPECT_TRUE(text("maxSpeedEdit").endsWith(QStringLiteral(" KPH")));
  EXPECT_TRUE(text("massEdit").endsWith(QStringLiteral(" KG")));
  EXPECT_TRUE(control<QRadioButton>(QString(QStringLiteral("class") + QString::fromLatin1(ClassLetter(c.carClass()).data(), 1)).toLatin1().constData())->isChecked());
  EXPECT_EQ(control<QCheckBox>("policeCheck")->isChecked(), c.police() == 1);
  EXPECT_TRUE(control<QCheckBox>("policeCheck")->isEnabled());  // editable with front-end data
  EXPECT_FALSE(control<QRadioButton>("classA")->isEnabled());
  EXPECT_FALSE(control<QLineEdit>("fedataEdit")->isReadOnly());
  EXPECT_TRUE(control<QLineEdit>("carpEdit")->isReadOnly());
  for (const ErrorIndicator& indicator : kErrorIndicators) {
    QLabel* label = control<QLabel>(QStringLiteral("indicator%1").arg(indicator.flag).toLatin1().constData());
    EXPECT_EQ(label->text(), QString::fromLatin1(indicator.text));
    EXPECT_EQ(label->isEnabled(), (c.errorFlags & indicator.flag) != 0) << indicator.text;
  }
  for (const char* name : {"genButton", "writeButton", "serialGroup", "classGroup", "errorsGroup",
                           "idEdit", "policeCheck", "zipButton", "cabinetButton", "statusLine",
                           "defaultPathLabel", "pictureFrame"}) {
    EXPECT_TRUE(shown(name)) << name;
  }
  EXPECT_TRUE(shown("idLabel"));  // the ID box says what it holds
  EXPECT_EQ(shown("restoreButton"), IsStockCarId(id));
  EXPECT_EQ(control<QLabel>("statusLine")->text(), FromUtf8(demo_->settings.archiveFolder));
}

TEST_F(UiWindow, StockCarsOfferTheirRestoreAndAddOnsDoNot) {
  Open();
  frame_->InitialUpdate();
  int stock = 0, addOn = 0;
  for (const DemoCar& demoCar : demo_->manifest.cars) {
    if (!demoCar.hasFedata) continue;
    const int slot = slotOfFolder(demoCar.folder);
    form().ShowItem(ItemRef::Car(static_cast<std::size_t>(slot)));
    std::string upper = demoCar.id;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    EXPECT_EQ(shown("restoreButton"), IsStockCarId(upper)) << demoCar.folder;
    (IsStockCarId(upper) ? stock : addOn)++;
  }
  EXPECT_GT(stock, 0);
  EXPECT_GT(addOn, 0);

  // An ID spelled in lower case in the archive is still a stock car, shown in capitals.
  const int brak = slotOfFolder("BRAK");
  ASSERT_GE(brak, 0);
  demo_->data.cars[static_cast<std::size_t>(brak)].carId = "brak";
  form().ShowItem(ItemRef::Car(static_cast<std::size_t>(brak)));
  EXPECT_EQ(text("idEdit"), QStringLiteral("BRAK"));
  EXPECT_TRUE(shown("restoreButton"));
}

TEST_F(UiWindow, FormShowsStockSlotsAddOnTracksAndGroups) {
  Open();
  frame_->InitialUpdate();
  form().ShowItem(ItemRef::StockTrackSlot(2));
  EXPECT_EQ(text("nameEdit"), FromUtf8(StockTrackTable[2].displayName));
  EXPECT_EQ(text("directoryEdit"), FromUtf8(demo_->data.SlotFolderPath(2)));
  EXPECT_TRUE(shown("restoreButton"));
  for (const char* name : {"manufacturerEdit", "modelEdit", "idEdit", "idLabel", "policeCheck",
                           "serialGroup", "classGroup", "speedPanel", "errorsGroup"}) {
    EXPECT_FALSE(shown(name)) << name;
  }
  for (const char* name : {"nameEdit", "directoryEdit", "zipButton", "cabinetButton", "statusLine",
                           "defaultPathLabel", "pictureFrame"}) {
    EXPECT_TRUE(shown(name)) << name;
  }

  const std::size_t n = 0;  // the first listed track folder
  form().ShowItem(ItemRef::TrackFolder(n));
  EXPECT_EQ(text("nameEdit"), FromUtf8(demo_->data.trackFolder(n).name));
  EXPECT_EQ(text("directoryEdit"), FromUtf8(demo_->data.trackFolder(n).path));
  EXPECT_FALSE(shown("restoreButton"));

  const std::pair<ItemRef, const char*> groups[] = {{kCarsGroupItem, "KRAX Racing Cars"},
                                                {kTracksGroupItem, "KRAX Tracks"},
                                                {kSubFolderItem, "SubFolder"}};
  for (const auto& [group, name] : groups) {
    form().ShowItem(group);
    EXPECT_EQ(text("nameEdit"), QString::fromLatin1(name));
    EXPECT_TRUE(text("directoryEdit").isEmpty());
    EXPECT_FALSE(shown("restoreButton"));
    EXPECT_FALSE(shown("idLabel"));
    EXPECT_FALSE(shown("genButton"));
    EXPECT_TRUE(shown("zipButton"));
  }
}

TEST_F(UiWindow, CarWithoutFrontEndDataShowsItsPathAndNoFedataFlag) {
  Open();
  frame_->InitialUpdate();
  int slot = -1;
  for (std::size_t i = 0; i < demo_->data.cars.size(); ++i) {
    if (!car(static_cast<int>(i)).hasFedata()) slot = static_cast<int>(i);
  }
  ASSERT_GE(slot, 0);
  form().ShowItem(ItemRef::Car(static_cast<std::size_t>(slot)));
  EXPECT_EQ(text("directoryEdit"), FromUtf8(car(slot).archivePath));
  EXPECT_TRUE(text("nameEdit").isEmpty());
  EXPECT_EQ(text("carpEdit"), QStringLiteral("0"));
  EXPECT_EQ(text("fedataEdit"), QStringLiteral("0"));
  EXPECT_FALSE(control<QRadioButton>("classA")->isChecked());
  EXPECT_FALSE(control<QRadioButton>("classB")->isChecked());
  EXPECT_FALSE(control<QRadioButton>("classC")->isChecked());
  EXPECT_TRUE(control<QLabel>("indicator16")->isEnabled());
  EXPECT_FALSE(shown("restoreButton"));
  EXPECT_FALSE(shown("damagedArchiveLabel"));

  // A damaged archive says so on the form, and only while its car is shown.
  demo_->data.cars[static_cast<std::size_t>(slot)].directory.damaged = true;
  form().ShowItem(ItemRef::Car(static_cast<std::size_t>(slot)));
  EXPECT_TRUE(shown("damagedArchiveLabel"));
  form().ShowItem(ItemRef::StockTrackSlot(0));
  EXPECT_FALSE(shown("damagedArchiveLabel"));
}

TEST_F(UiWindow, TheStatusLineStaysOneLineWhateverItShows) {
  Open();
  frame_->InitialUpdate();
  frame_->resize(700, 500);
  frame_->show();
  QApplication::processEvents();
  const int height = frame_->statusBar()->sizeHint().height();
  QString report = QStringLiteral("Fix All Errors: 3 errors fixed, 1 not fixed.");
  for (int i = 0; i < 4; ++i) report += QStringLiteral("\nFixed: a car with a long name in a long folder %1").arg(i);
  frame_->SetStatusText(report);
  QApplication::processEvents();
  EXPECT_EQ(frame_->statusBar()->sizeHint().height(), height) << "the window does not jump";
  EXPECT_EQ(frame_->promptPane()->text(), report);
  EXPECT_EQ(frame_->promptPane()->toolTip(), report) << "the whole text is one hover away";
  // The next command starts on an empty line.
  frame_->action(CommandId::kRestoreStrings)->trigger();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_NE(frame_->promptPane()->text(), report);
}

TEST_F(UiWindow, TheFormsButtonsWaitForAnItemAndTheCarpBoxShowsItsBlanks) {
  Open();
  frame_->InitialUpdate();
  for (const char* name : {"genButton", "writeButton", "zipButton", "cabinetButton", "fixButton"}) {
    EXPECT_FALSE(control<QPushButton>(name)->isEnabled()) << name << " with nothing selected";
  }
  const int slot = slotOfFolder("KOVA");
  ASSERT_GE(slot, 0);
  struct Case {
    const char* carp;
    const char* shown;
  };
  const Case cases[] = {{"1148", "1148"}, {"1148 ", "1148\u2423"}, {" 7\t", "\u24237\u2423"}, {"", ""}};
  for (const Case& c : cases) {
    demo_->data.cars[static_cast<std::size_t>(slot)].carpSerial = c.carp;
    form().ShowItem(ItemRef::Car(static_cast<std::size_t>(slot)));
    EXPECT_EQ(text("carpEdit"), QString::fromUtf8(c.shown)) << '"' << c.carp << '"';
  }
  for (const char* name : {"genButton", "writeButton", "zipButton", "cabinetButton"}) {
    EXPECT_TRUE(control<QPushButton>(name)->isEnabled()) << name << " for a car";
  }
}

TEST_F(UiWindow, AFolderThatIsNoGameSaysSoAndShowsNoSlots) {
  const std::string game = demo_->settings.gameFolder;
  const std::string empty = demo_->root() + "/empty";
  std::filesystem::create_directories(empty);
  struct Case {
    std::string folder;
    const char* problem;  // part of the message; "" for a usable folder
  };
  const Case cases[] = {
      {demo_->root() + "/gone", "does not exist"},
      {empty, "holds no GameData folder"},
      {game, ""},
  };
  Open();
  frame_->InitialUpdate();  // the demo's cars first: none of them may stay counted
  frame_->resize(900, 600);
  frame_->show();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    demo_->settings.gameFolder = c.folder;
    frame_->RunCommand(CommandId::kReload);
    const bool usable = std::string(c.problem).empty();
    EXPECT_EQ(frame_->folderProblemBar()->isVisible(), !usable);
    auto* text = frame_->findChild<QLabel*>(QStringLiteral("folderProblemText"));
    EXPECT_TRUE(text->text().contains(QString::fromLatin1(c.problem))) << text->text().toStdString();
    EXPECT_EQ(tree().tracksGroup()->childCount(), usable ? kStockTrackSlotCount : 0) << "no phantom slots";
    EXPECT_EQ(tree().carsGroup()->childCount() > 0, usable);
    if (!usable) {
      EXPECT_EQ(frame_->promptPane()->text(), text->text());
      EXPECT_EQ(frame_->carCountPane()->text(), QStringLiteral("No.Cars:0"));
    }
  }
}

}  // namespace
}  // namespace krax::ui

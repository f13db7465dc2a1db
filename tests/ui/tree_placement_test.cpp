// Where catalog entries go in the tree, checked on bare items without a view.
#include <QTreeWidgetItem>
#include <gtest/gtest.h>
#include <memory>

#include "app/settings.h"
#include "gamedata/car_record.h"
#include "ui/pictures.h"
#include "ui/tree_model_logic.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

class UiPlacement : public ::testing::Test {
 protected:
  void SetUp() override {
    uitest::EnsureApplication();
    root_.reset(MakeItem("Racing Cars", kImageCarsGroup, kCarsGroupItem));
  }
  // Inserts a car the way the tree does and returns its item.
  QTreeWidgetItem* AddCar(QTreeWidgetItem* parent, const std::string& name, int slot) {
    const int at = CarInsertPosition(parent, QByteArray::fromStdString(name));
    auto* item = MakeItem(name, kImageCar, ItemRef::Car(static_cast<std::size_t>(slot)));
    parent->insertChild(at, item);
    return item;
  }
  static std::vector<std::string> Labels(QTreeWidgetItem* parent) {
    std::vector<std::string> labels;
    for (int i = 0; i < parent->childCount(); ++i) {
      labels.push_back(ItemLabelBytes(parent->child(i)).toStdString());
    }
    return labels;
  }
  std::unique_ptr<QTreeWidgetItem> root_;
};

TEST_F(UiPlacement, CarsFallIntoByteOrderWhateverTheLoadOrder) {
  const std::vector<std::vector<std::string>> orders = {
      {"Alpha", "Bravo", "Charlie"}, {"Charlie", "Alpha", "Bravo"}, {"Bravo", "Charlie", "Alpha"}};
  for (const auto& order : orders) {
    root_.reset(MakeItem("Racing Cars", kImageCarsGroup, kCarsGroupItem));
    int slot = 1;
    for (const std::string& name : order) AddCar(root_.get(), name, slot++);
    EXPECT_EQ(Labels(root_.get()), (std::vector<std::string>{"Alpha", "Bravo", "Charlie"}));
  }
}

TEST_F(UiPlacement, ByteOrderPutsCapitalsFirstAndMultibyteLettersLast) {
  AddCar(root_.get(), "zeta", 1);
  AddCar(root_.get(), "\xC3\x89toile", 2);  // UTF-8 E acute: bytes above every ASCII letter
  AddCar(root_.get(), "Zulu", 3);
  AddCar(root_.get(), "Zulu", 4);  // an equal name goes before the one already there
  EXPECT_EQ(Labels(root_.get()),
            (std::vector<std::string>{"Zulu", "Zulu", "zeta", "\xC3\x89toile"}));
  EXPECT_EQ(ItemRefOf(root_->child(0)), ItemRef::Car(4));
  EXPECT_EQ(root_->child(3)->text(0), QStringLiteral("\u00c9toile"));
}

TEST_F(UiPlacement, EveryKindOfItemReferenceComesBackFromItsItem) {
  for (const ItemRef ref : {kCarsGroupItem, kTracksGroupItem, kSubFolderItem, ItemRef::Car(0), ItemRef::Car(4999),
                            ItemRef::StockTrackSlot(0), ItemRef::StockTrackSlot(8), ItemRef::TrackFolder(0),
                            ItemRef::TrackFolder(496), ItemRef::TrackFolder(std::size_t{1} << 40)}) {
    const std::unique_ptr<QTreeWidgetItem> item(MakeItem("x", kImageCar, ref));
    EXPECT_EQ(ItemRefOf(item.get()), ref) << static_cast<int>(ref.kind) << "/" << ref.index;
  }
  // Groups are told apart, and a car is never taken for a slot or a folder of the same index.
  EXPECT_NE(kCarsGroupItem, kTracksGroupItem);
  EXPECT_NE(ItemRef::Car(3), ItemRef::StockTrackSlot(3));
  EXPECT_NE(ItemRef::StockTrackSlot(3), ItemRef::TrackFolder(3));
}

TEST_F(UiPlacement, SubFoldersNestAndAreReused) {
  QTreeWidgetItem* y = FindOrAddSubFolder(root_.get(), {"X", "Y"});
  ASSERT_NE(y, root_.get());
  EXPECT_EQ(y->text(0), QStringLiteral("Y"));
  EXPECT_EQ(ItemRefOf(y), kSubFolderItem);
  EXPECT_EQ(ItemImage(y), kImageSubFolder);
  QTreeWidgetItem* x = y->parent();
  EXPECT_EQ(x->text(0), QStringLiteral("X"));
  EXPECT_EQ(x->parent(), root_.get());
  // A second car in X/Y reuses both items; X/W adds only W.
  EXPECT_EQ(FindOrAddSubFolder(root_.get(), {"X", "Y"}), y);
  QTreeWidgetItem* w = FindOrAddSubFolder(root_.get(), {"X", "W"});
  EXPECT_EQ(w->parent(), x);
  EXPECT_EQ(root_->childCount(), 1);
  EXPECT_EQ(x->childCount(), 2);
  // The match is exact: "x" is another folder.
  EXPECT_NE(FindOrAddSubFolder(root_.get(), {"x"}), x);
  EXPECT_EQ(FindOrAddSubFolder(root_.get(), {}), root_.get());
}

TEST_F(UiPlacement, CarsAndLaterSubFoldersKeepTheirOrder) {
  AddCar(root_.get(), "Mako", 1);
  FindOrAddSubFolder(root_.get(), {"Classics"});  // appended, whatever its name
  AddCar(root_.get(), "Bolt", 2);
  AddCar(root_.get(), "Dart", 3);
  AddCar(root_.get(), "Zed", 4);  // passes "Classics", which sorts before it
  EXPECT_EQ(Labels(root_.get()),
            (std::vector<std::string>{"Bolt", "Dart", "Mako", "Classics", "Zed"}))
      << "cars stop at the first label not less than their name, sub-folders included";
}

TEST_F(UiPlacement, FillPlacementMatchesTheItemWalks) {
  // The fill's byte-label bookkeeping must place exactly as the walks over the items do.
  std::unique_ptr<QTreeWidgetItem> other(MakeItem("Racing Cars", kImageCarsGroup, kCarsGroupItem));
  CarPlacement placement;
  const std::vector<std::pair<std::vector<std::string>, std::string>> cars = {
      {{}, "Mako"},          {{"Pack"}, "Zed"},  {{}, "Bolt"},     {{"Pack", "Old"}, "Ant"},
      {{}, "Pack"},          {{"Pack"}, "Old"},  {{}, "\xC3\x89"}, {{"Alpha"}, "Mid"},
      {{}, "Alpha"},         {{"Pack"}, "Aa"},   {{}, "bolt"},     {{"Pack", "Old"}, "Ant"}};
  int slot = 0;
  for (const auto& [chain, name] : cars) {
    AddCar(FindOrAddSubFolder(root_.get(), chain), name, slot);
    placement.InsertCar(placement.FindOrAddSubFolder(other.get(), chain),
                        MakeItem(name, kImageCar, ItemRef::Car(static_cast<std::size_t>(slot))), name);
    ++slot;
  }
  const std::vector<QTreeWidgetItem*> a = uitest::Descendants(root_.get());
  const std::vector<QTreeWidgetItem*> b = uitest::Descendants(other.get());
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(ItemLabelBytes(a[i]), ItemLabelBytes(b[i])) << i;
    EXPECT_EQ(ItemRefOf(a[i]), ItemRefOf(b[i])) << i;
    EXPECT_EQ(a[i]->parent() == root_.get(), b[i]->parent() == other.get()) << i;
  }
}

TEST(UiCarSubFolderChain, FollowsPathComponentsWhateverTheFolderIsCalled) {
  const std::string cars = "/games/car.viv stuff/GameData/CarModel";
  EXPECT_TRUE(CarSubFolderChain(cars, cars + "/ABCD/car.viv").empty());
  EXPECT_TRUE(CarSubFolderChain(cars, cars + "/ABCD/CAR.VIV").empty());
  EXPECT_TRUE(CarSubFolderChain(cars, cars + "/ABCD/car.viv.dis").empty());
  EXPECT_EQ(CarSubFolderChain(cars, cars + "/X/Y/Z/car.viv"),
            (std::vector<std::string>{"X", "Y"}));
  EXPECT_EQ(CarSubFolderChain(cars, cars + "/car.viv/Y/Z/CAR.VIV.dis"),
            (std::vector<std::string>{"car.viv", "Y"}));
  // Backslashes separate as well; a path outside the car folder lands in the cars group.
  EXPECT_EQ(CarSubFolderChain("C:\\Krax\\GameData\\CarModel",
                              "C:\\Krax\\GameData\\CarModel\\Pack\\ABCD\\car.viv"),
            (std::vector<std::string>{"Pack"}));
  EXPECT_TRUE(CarSubFolderChain(cars, "/elsewhere/X/Y/car.viv").empty());
}

TEST(UiCarImage, SettingsDecideWhichFlagShows) {
  Settings all;
  all.flagDuplicateSerials = all.flagDifferingSerials = all.flagLongFolderNames = true;
  EXPECT_EQ(CarImage(kFlagSerialsDiffer | kFlagDuplicateSerial, true, all), kImageSerialDuplicate);
  Settings noDuplicates = all;
  noDuplicates.flagDuplicateSerials = false;
  EXPECT_EQ(CarImage(kFlagSerialsDiffer | kFlagDuplicateSerial, true, noDuplicates),
            kImageSerialsDiffer);
  EXPECT_EQ(CarImage(kFlagFolderOver4 | kFlagSerialsDiffer, true, all), kImageSerialsDiffer);
  EXPECT_EQ(CarImage(kFlagFolderOver4, true, all), kImageFolderTooLong);
  Settings none;
  none.flagDuplicateSerials = none.flagDifferingSerials = none.flagLongFolderNames = false;
  EXPECT_EQ(CarImage(kFlagFolderOver4 | kFlagSerialsDiffer | kFlagDuplicateSerial, true, none),
            kImageCar);
  EXPECT_EQ(CarImage(kFlagFolderNotId, true, all), kImageCar);
  EXPECT_EQ(CarImage(kFlagNoFedata, true, all), kImageCar);
  EXPECT_EQ(CarImage(kFlagDuplicateSerial | kFlagFolderOver4, false, all), kImageCarDisabled);
  EXPECT_EQ(CarImage(0, false, none), kImageCarDisabled);
}

TEST(UiTreeImages, TwelveSixteenPixelImages) {
  uitest::EnsureApplication();
  const QVector<QIcon> images = TreeImageList();
  ASSERT_EQ(images.size(), 12);
  for (int i = 0; i < images.size(); ++i) {
    const QImage image = images[i].pixmap(16, 16).toImage();
    EXPECT_EQ(image.width(), 16) << i;
    EXPECT_EQ(image.height(), 16) << i;
    // Every image but the blank one draws something.
    bool drawn = false;
    for (int y = 0; y < 16 && !drawn; ++y) {
      for (int x = 0; x < 16 && !drawn; ++x) drawn = qAlpha(image.pixel(x, y)) != 0;
    }
    EXPECT_EQ(drawn, i != kImageBlank) << i;
  }
}

}  // namespace
}  // namespace krax::ui

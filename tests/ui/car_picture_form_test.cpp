// The details form's picture, "Fix Errors", "Fix All Errors..." and the editable police flag.
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "gamedata/car_record.h"
#include "gamedata/game_data.h"
#include "gamedata/picture_budget.h"
#include "support/broken_textures_car.h"
#include "support/tga_bytes.h"
#include "tools/car_entries.h"
#include "tools/viv_writer.h"
#include "ui/commands.h"
#include "ui/item_details_form.h"
#include "ui/item_picture.h"
#include "ui/game_tree_view.h"
#include "ui/main_window.h"
#include "ui/picture_loader.h"
#include "ui/tree_model_logic.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

class UiCarPicture : public ::testing::Test {
 protected:
  UiCarPicture() {
    uitest::EnsureApplication();
    demo_ = std::make_unique<uitest::DemoFixture>();
    operations_ = std::make_unique<uitest::ToggleInMemoryOperations>(demo_->data, demo_->settings, prompts_);
    MainWindowContext context{demo_->settings, demo_->data, *operations_, {}, &prompts_,
                             [](QDialog&) { return QDialog::Rejected; }, {}};
    frame_ = std::make_unique<MainWindow>(context);
    frame_->InitialUpdate();
  }
  ItemDetailsForm& form() { return *frame_->detailsForm(); }
  PictureFrame& picture() { return *form().findChild<PictureFrame*>(QStringLiteral("pictureFrame")); }
  QPushButton& fixButton() { return *form().findChild<QPushButton*>(QStringLiteral("fixButton")); }
  QCheckBox& police() { return *form().findChild<QCheckBox*>(QStringLiteral("policeCheck")); }
  QLineEdit& nameBox() { return *form().findChild<QLineEdit*>(QStringLiteral("nameEdit")); }
  PictureLoader& loader() { return form().pictureLoader(); }
  // Shows the item and waits for its picture.
  void showAndWait(ItemRef item) {
    form().ShowItem(item);
    ASSERT_TRUE(uitest::WaitForPictures(loader()));
  }
  // Lets the picture searches end without running the event loop: their results wait in the
  // queue, as when the interface is slow to take them.
  void letSearchesEnd() {
    for (int i = 0; i < 60000 && loader().searchesAlive() > 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(loader().searchesAlive(), 0);
  }
  // The picture the form must end up showing for `item`, searched here directly.
  QImage expectedPicture(ItemRef item) {
    PictureBudget budget;
    return ShownPicture(LoadPicture(ItemPictureSources(demo_->data, item), budget));
  }
  // A car named "Broken Textures" whose archive holds `textures` TGA entries that declare the
  // largest size and break at their end, then a good texture; the tree is loaded again.
  int addLateBrokenCar(int textures) {
    const std::filesystem::path folder = std::filesystem::path(demo_->game()) / "GameData" / "CarModel" / "BRKN";
    test::WriteBrokenTexturesCar(folder, textures, true);
    frame_->gameTree()->ReloadTree();
    return slotOf("BRKN");
  }
  int slotOf(const std::string& id) {
    for (std::size_t i = 0; i < demo_->data.cars.size(); ++i) {
      if (demo_->data.cars[i].carId == id) return static_cast<int>(i);
    }
    return -1;
  }
  const CarRecord& car(int slot) { return demo_->data.cars[static_cast<std::size_t>(slot)]; }

  std::unique_ptr<uitest::DemoFixture> demo_;
  std::unique_ptr<uitest::ToggleInMemoryOperations> operations_;
  uitest::ScriptedPrompts prompts_;
  std::unique_ptr<MainWindow> frame_;
};

TEST_F(UiCarPicture, EachCarShowsItsPictureFolderScreenshotFirst) {
  int pictured = 0;
  for (std::size_t i = 0; i < demo_->data.cars.size(); ++i) {
    showAndWait(ItemRef::Car(i));
    pictured += picture().showsItemPicture();
  }
  EXPECT_EQ(pictured, static_cast<int>(demo_->data.cars.size()));  // every demo car has one
  showAndWait(ItemRef::Car(static_cast<std::size_t>(slotOf("KOVA"))));
  EXPECT_EQ(picture().picture().size(), QSize(240, 135));  // Screenshot.tga beside the archive
  showAndWait(kCarsGroupItem);
  EXPECT_FALSE(picture().showsItemPicture());
  showAndWait(ItemRef::StockTrackSlot(0));
  EXPECT_TRUE(picture().showsItemPicture());  // a track's texture file in its folder
  // A picture that cannot be decoded falls back to the archive's.
  const std::string folder = car(slotOf("ZEPH")).archivePath.substr(0, car(slotOf("ZEPH")).archivePath.rfind('/'));
  std::ofstream(folder + "/screenshot.png", std::ios::binary) << "not a picture";
  showAndWait(ItemRef::Car(static_cast<std::size_t>(slotOf("ZEPH"))));
  EXPECT_TRUE(picture().showsItemPicture());
  EXPECT_NE(picture().picture().size(), QSize(240, 135));
}

TEST_F(UiCarPicture, ArchiveOfTexturesBrokenLateShowsItsDataAtOnceAndNoPictureWithinTheCap) {
  const int slot = addLateBrokenCar(8);
  ASSERT_GE(slot, 0);
  form().ShowItem(ItemRef::Car(static_cast<std::size_t>(slot)));
  // The data is there before the picture search has come back, and nothing waits for it.
  EXPECT_EQ(nameBox().text(), QStringLiteral("Broken Textures"));
  EXPECT_TRUE(loader().loading());
  EXPECT_FALSE(picture().showsItemPicture());  // the program's picture meanwhile
  EXPECT_FALSE(frame_->jobs().busy());
  EXPECT_TRUE(frame_->action(CommandId::kFixAllErrors)->isEnabled());
  EXPECT_TRUE(form().findChild<QPushButton*>(QStringLiteral("zipButton"))->isEnabled());

  ASSERT_TRUE(uitest::WaitForPictures(loader()));
  EXPECT_FALSE(picture().showsItemPicture());
  const PictureWork& work = loader().lastWork();
  EXPECT_EQ(work.picturesStarted, 1);  // the first texture broken late ended the search
  EXPECT_TRUE(work.stoppedLate);
  EXPECT_EQ(work.pixelsStarted, static_cast<std::uint64_t>(test::kLateBrokenTgaSide) * test::kLateBrokenTgaSide);
  EXPECT_LE(work.pixelsStarted, kPictureSearchPixels);
  EXPECT_EQ(nameBox().text(), QStringLiteral("Broken Textures"));

  // A good car still shows its picture afterwards.
  showAndWait(ItemRef::Car(static_cast<std::size_t>(slotOf("ZEPH"))));
  EXPECT_TRUE(picture().showsItemPicture());
  EXPECT_EQ(picture().picture(), expectedPicture(ItemRef::Car(static_cast<std::size_t>(slotOf("ZEPH")))));
}

TEST_F(UiCarPicture, TheLastSelectionsPictureWinsOverSearchesThatEndLater) {
  const int broken = addLateBrokenCar(4);
  ASSERT_GE(broken, 0);
  const ItemRef kova = ItemRef::Car(static_cast<std::size_t>(slotOf("KOVA")));
  const ItemRef zeph = ItemRef::Car(static_cast<std::size_t>(slotOf("ZEPH")));
  const QImage kovaPicture = expectedPicture(kova), zephPicture = expectedPicture(zeph);
  ASSERT_FALSE(kovaPicture.isNull());
  ASSERT_FALSE(zephPicture.isNull());
  ASSERT_NE(kovaPicture, zephPicture);

  // Quick changes while the broken car's textures are still decoding: the last car's picture.
  form().ShowItem(ItemRef::Car(static_cast<std::size_t>(broken)));
  form().ShowItem(kova);
  form().ShowItem(zeph);
  EXPECT_EQ(nameBox().text(), QString::fromStdString(*car(slotOf("ZEPH")).name));
  ASSERT_TRUE(uitest::WaitForPictures(loader()));
  EXPECT_EQ(picture().picture(), zephPicture);

  // A search that ends before the interface takes its result: the item selected since wins.
  struct Case {
    const char* what;
    ItemRef first, then;
    QImage shown;  // null: the program's picture
  };
  const std::vector<Case> cases = {
      {"car, then the cars group", kova, kCarsGroupItem, {}},
      {"car, then another car", kova, zeph, zephPicture},
      {"car, then the broken car", zeph, ItemRef::Car(static_cast<std::size_t>(broken)), {}},
      {"broken car, then a car", ItemRef::Car(static_cast<std::size_t>(broken)), kova, kovaPicture},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    form().ShowItem(c.first);
    letSearchesEnd();
    form().ShowItem(c.then);
    ASSERT_TRUE(uitest::WaitForPictures(loader()));
    EXPECT_EQ(picture().picture(), c.shown);
  }

  // The same car shown again (as after one of its commands) keeps its picture while it is
  // read again; another car shows the program's picture until its own is found.
  showAndWait(zeph);
  form().ShowItem(zeph);
  EXPECT_EQ(picture().picture(), zephPicture);
  form().ShowItem(kova);
  EXPECT_FALSE(picture().showsItemPicture());
  ASSERT_TRUE(uitest::WaitForPictures(loader()));
  EXPECT_EQ(picture().picture(), kovaPicture);
}

// A job may replace the archive a picture is read from, and Windows replaces no file that is
// open: no search runs while a job does, and the shown car's picture is looked for after it.
TEST_F(UiCarPicture, NoPictureIsReadWhileAJobRunsAndTheShownCarsPictureFollows) {
  const int broken = addLateBrokenCar(8);
  ASSERT_GE(broken, 0);
  const ItemRef zeph = ItemRef::Car(static_cast<std::size_t>(slotOf("ZEPH")));
  const QImage zephPicture = expectedPicture(zeph);
  ASSERT_FALSE(zephPicture.isNull());
  for (const ItemRef item : {ItemRef::Car(static_cast<std::size_t>(broken)), zeph}) {
    SCOPED_TRACE(item == zeph ? "ZEPH" : "the broken car");
    form().ShowItem(item);
    std::atomic<int> searchesDuringJob{-1};
    frame_->jobs().Run(QStringLiteral("Write"), [this, &searchesDuringJob] {
      searchesDuringJob = loader().searchesAlive();
      return OperationResult{OperationStatus::kDone, "Write", {}};
    }, {});
    ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
    EXPECT_EQ(searchesDuringJob.load(), 0);
    ASSERT_TRUE(uitest::WaitForPictures(loader()));
    if (item == zeph) {
      EXPECT_EQ(picture().picture(), zephPicture);
    } else {
      EXPECT_TRUE(loader().lastWork().stoppedLate);  // the search ran to its end after the job
      EXPECT_FALSE(picture().showsItemPicture());
    }
  }
}

TEST_F(UiCarPicture, ClosingTheWindowDuringASearchLeavesNothingBehind) {
  const int broken = addLateBrokenCar(8);
  ASSERT_GE(broken, 0);
  form().ShowItem(ItemRef::Car(static_cast<std::size_t>(broken)));
  ASSERT_EQ(loader().searchesAlive(), 1);  // the window goes while the textures decode
  QPointer<PictureFrame> frameGone(&picture());
  frame_.reset();
  EXPECT_TRUE(frameGone.isNull());
  // What the search would have posted went with the form (a crash or a sanitizer report here
  // otherwise).
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents();
}

TEST_F(UiCarPicture, FixErrorsFixesTheCarAfterTheQuestionAndFixAllTheRest) {
  form().ShowItem(ItemRef::Car(static_cast<std::size_t>(slotOf("ZEPH"))));
  EXPECT_FALSE(fixButton().isEnabled());  // clean
  form().ShowItem(ItemRef::Car(static_cast<std::size_t>(slotOf("KOVA"))));
  ASSERT_TRUE(fixButton().isEnabled());
  ASSERT_NE(car(slotOf("KOVA")).errorFlags & kFlagDuplicateSerial, 0u);
  prompts_.answers = {false};
  fixButton().click();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_NE(car(slotOf("KOVA")).errorFlags & kFlagDuplicateSerial, 0u);  // No: nothing changed
  prompts_.answers = {true};
  fixButton().click();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_EQ(car(slotOf("KOVA")).errorFlags & 15u, 0u);  // reloaded: neither serial flag
  ASSERT_FALSE(prompts_.questions.empty());
  EXPECT_NE(prompts_.questions.back().find("KOVA (KOVA): Duplicate s.n."), std::string::npos);

  frame_->action(CommandId::kFixAllErrors)->trigger();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  for (std::size_t i = 0; i < demo_->data.cars.size(); ++i) {
    const CarRecord& c = demo_->data.cars[i];
    EXPECT_EQ(c.errorFlags & (c.hasFedata() ? 15u : 0u), 0u) << c.archivePath;
  }
  ASSERT_FALSE(prompts_.messages.empty());
  EXPECT_NE(prompts_.messages.back().find("Fix All Errors: "), std::string::npos);  // one report
  EXPECT_NE(prompts_.messages.back().find("No FeData"), std::string::npos);
}

TEST_F(UiCarPicture, PoliceBoxWritesTheFlagAfterTheQuestion) {
  const int slot = slotOf("ZEPH");
  form().ShowItem(ItemRef::Car(static_cast<std::size_t>(slot)));
  ASSERT_TRUE(police().isEnabled());
  ASSERT_FALSE(police().isChecked());
  prompts_.answers = {false};
  police().click();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_FALSE(police().isChecked());  // No: the box shows what the car holds
  EXPECT_EQ(car(slot).police(), 0);
  prompts_.answers = {true};
  police().click();
  ASSERT_TRUE(uitest::WaitForJobs(frame_->jobs()));
  EXPECT_TRUE(police().isChecked());
  EXPECT_EQ(car(slot).police(), 1);
  demo_->data.ClearCarTable();
  demo_->data.LoadCarCatalog();
  EXPECT_EQ(car(slotOf("ZEPH")).police(), 1);  // written into the archive
}

}  // namespace
}  // namespace krax::ui

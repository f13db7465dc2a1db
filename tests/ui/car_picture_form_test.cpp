// The details form's picture, "Fix Errors", "Fix All Errors..." and the editable police flag.
#include <QCheckBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "gamedata/car_record.h"
#include "gamedata/game_data.h"
#include "ui/commands.h"
#include "ui/item_details_form.h"
#include "ui/item_picture.h"
#include "ui/game_tree_view.h"
#include "ui/main_window.h"
#include "ui/tree_model_logic.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

class UiCarPicture : public ::testing::Test {
 protected:
  UiCarPicture() {
    uitest::EnsureApplication();
    demo_ = std::make_unique<uitest::DemoFixture>();
    operations_ = std::make_unique<uitest::ToggleInMemoryOperations>(demo_->data);
    MainWindowContext context{demo_->settings, demo_->data, *operations_, {}, &prompts_,
                             [](QDialog&) { return QDialog::Rejected; }, {}};
    frame_ = std::make_unique<MainWindow>(context);
    frame_->InitialUpdate();
  }
  ItemDetailsForm& form() { return *frame_->detailsForm(); }
  PictureFrame& picture() { return *form().findChild<PictureFrame*>(QStringLiteral("pictureFrame")); }
  QPushButton& fixButton() { return *form().findChild<QPushButton*>(QStringLiteral("fixButton")); }
  QCheckBox& police() { return *form().findChild<QCheckBox*>(QStringLiteral("policeCheck")); }
  int slotOf(const std::string& id) {
    for (std::size_t i = 0; i < demo_->data.cars.count(); ++i) {
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
  for (std::size_t i = 0; i < demo_->data.cars.count(); ++i) {
    form().ShowItem(ItemRef::Car(i));
    pictured += picture().showsItemPicture();
  }
  EXPECT_EQ(pictured, static_cast<int>(demo_->data.cars.count()));  // every demo car has one
  form().ShowItem(ItemRef::Car(static_cast<std::size_t>(slotOf("KOVA"))));
  EXPECT_EQ(picture().picture().size(), QSize(240, 135));  // Screenshot.tga beside the archive
  form().ShowItem(kCarsGroupItem);
  EXPECT_FALSE(picture().showsItemPicture());
  form().ShowItem(ItemRef::StockTrackSlot(0));
  EXPECT_TRUE(picture().showsItemPicture());  // a track's texture file in its folder
  // A picture that cannot be decoded falls back to the archive's.
  const std::string folder = car(slotOf("ZEPH")).archivePath.substr(0, car(slotOf("ZEPH")).archivePath.rfind('/'));
  std::ofstream(folder + "/screenshot.png", std::ios::binary) << "not a picture";
  form().ShowItem(ItemRef::Car(static_cast<std::size_t>(slotOf("ZEPH"))));
  EXPECT_TRUE(picture().showsItemPicture());
  EXPECT_NE(picture().picture().size(), QSize(240, 135));
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
  for (std::size_t i = 0; i < demo_->data.cars.count(); ++i) {
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

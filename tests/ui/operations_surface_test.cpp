// The window changes the game folder only through its Operations: the form's "Write",
// "Police Car: " and "Fix Errors" and the commands "Fix All Errors..." and "Generate S.N." hand
// the shown car (or none, for every car) to the operations and write nothing themselves.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <optional>
#include <string>
#include <vector>

#include "gamedata/game_data.h"
#include "operations/car_fixes.h"
#include "operations/serial_numbers.h"
#include "platform/file_system.h"
#include "support/pending_operations.h"
#include "ui/commands.h"
#include "ui/item_details_form.h"
#include "ui/job_runner.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

// Notes each car command with what it was given; answers as the pending operations do.
class RecordingOperations : public test::PendingOperations {
 public:
  OperationResult WriteSerialNumber(CarSlot car, long long value) override {
    calls.push_back("write " + std::to_string(car.index) + " " + std::to_string(value));
    return PendingOperations::WriteSerialNumber(car, value);
  }
  OperationResult SetPoliceFlag(CarSlot car, bool police) override {
    calls.push_back("police " + std::to_string(car.index) + (police ? " on" : " off"));
    return PendingOperations::SetPoliceFlag(car, police);
  }
  OperationResult FixCarErrors(const std::vector<CarSlot>& cars, const ReloadCatalog& reload) override {
    std::string call = "fix";
    for (const CarSlot car : cars) call += " " + std::to_string(car.index);
    calls.push_back(call);
    return PendingOperations::FixCarErrors(cars, reload);
  }
  SerialGeneration GenerateSerials(const ReloadCatalog& reload) override {
    calls.emplace_back("generate");
    return PendingOperations::GenerateSerials(reload);
  }
  std::vector<std::string> calls;  // read on the interface thread once the jobs have ended
};

TEST(UiOperationsSurface, CarCommandsReachTheOperationsWithTheShownCarAndWriteNothing) {
  uitest::EnsureApplication();
  uitest::DemoFixture demo;
  RecordingOperations operations;
  uitest::ScriptedPrompts prompts;
  MainWindowContext context{demo.settings, demo.data, operations, {}, &prompts, {}, {}};
  MainWindow frame(context);
  frame.InitialUpdate();

  // A car with front-end data and an error the fixes would change.
  std::optional<std::size_t> slot;
  for (std::size_t i = 0; i < demo.data.cars.size() && !slot; ++i) {
    if (demo.data.cars[i].hasFedata() && HasFixableFlag(demo.data, i)) slot = i;
  }
  ASSERT_TRUE(slot.has_value());
  const std::string archive = demo.data.cars[*slot].archivePath;
  const std::optional<std::string> before = ReadWholeFile(archive);
  ASSERT_TRUE(before.has_value());
  const bool police = demo.data.cars[*slot].police() != 0;

  ItemDetailsForm& form = *frame.detailsForm();
  form.ShowItem(ItemRef::Car(*slot));
  form.findChild<QLineEdit*>(QStringLiteral("fedataEdit"))->setText(QStringLiteral("4321"));
  form.findChild<QPushButton*>(QStringLiteral("writeButton"))->click();
  ASSERT_TRUE(uitest::WaitForJobs(frame.jobs()));
  QCheckBox* policeBox = form.findChild<QCheckBox*>(QStringLiteral("policeCheck"));
  ASSERT_TRUE(policeBox->isEnabled());
  policeBox->click();
  ASSERT_TRUE(uitest::WaitForJobs(frame.jobs()));
  QPushButton* fixButton = form.findChild<QPushButton*>(QStringLiteral("fixButton"));
  ASSERT_TRUE(fixButton->isEnabled());
  fixButton->click();
  ASSERT_TRUE(uitest::WaitForJobs(frame.jobs()));
  frame.RunCommand(CommandId::kFixAllErrors);
  ASSERT_TRUE(uitest::WaitForJobs(frame.jobs()));
  frame.RunCommand(CommandId::kGenerateSerials);
  ASSERT_TRUE(uitest::WaitForJobs(frame.jobs()));

  const std::string car = std::to_string(*slot);
  EXPECT_EQ(operations.calls,
            (std::vector<std::string>{"write " + car + " 4321", "police " + car + (police ? " off" : " on"),
                                      "fix " + car, "fix", "generate"}));
  EXPECT_EQ(ReadWholeFile(archive), before);
  // The user sees what the operations answered, every time.
  EXPECT_EQ(prompts.messages,
            (std::vector<std::string>{"Write is not available yet.", "Police Car is not available yet.",
                                      "Fix Errors is not available yet.", "Fix All Errors is not available yet.",
                                      "Generate S.N. is not available yet."}));
}

}  // namespace
}  // namespace krax::ui

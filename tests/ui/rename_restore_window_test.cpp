// The Commands menu's folder renames and restores in the window, on a demo installation.
#include <QAction>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "gamedata/car_catalog.h"
#include "operations/game_operations.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "ui/commands.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

TEST(UiRenameRestore, DirToIdShowsItsSummaryAndTheTreeTheNewFoldersAndRestoreItsResult) {
  uitest::EnsureApplication();
  uitest::DemoFixture demo;
  uitest::ScriptedPrompts prompts;
  GameOperations operations(demo.data, demo.settings, prompts);
  MainWindowContext context{demo.settings, demo.data, operations, {}, &prompts, [](QDialog&) { return 0; }, {}};
  MainWindow frame(context);
  frame.InitialUpdate();

  // Each bulk command first shows its plan and asks; No changes nothing.
  const std::string carModel = CarFolderPath(demo.settings.gameFolder);
  const auto folders = [&] {
    std::vector<std::string> names;
    for (const DirEntry& entry : ListFolder(carModel)) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = folders();
  prompts.answers = {false, false, false, false, false};
  for (CommandId command : {CommandId::kDirToId, CommandId::kDirToName, CommandId::kRestoreCars, CommandId::kRestoreTracks, CommandId::kRestoreStrings}) {
    frame.action(command)->trigger();
    ASSERT_TRUE(uitest::WaitForJobs(frame.jobs()));
  }
  ASSERT_EQ(prompts.questions.size(), 5u);
  EXPECT_EQ(prompts.questions[0].rfind("DIR = ID: rename ", 0), 0u) << prompts.questions[0];
  EXPECT_NE(prompts.questions[0].find(" -> "), std::string::npos) << prompts.questions[0];
  EXPECT_EQ(prompts.questions[2].rfind("Restore Cars: restore ", 0), 0u) << prompts.questions[2];
  EXPECT_EQ(folders(), before);
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_TRUE(prompts.statuses.empty() || prompts.statuses.back().rfind("Restored ", 0) != 0u);

  frame.action(CommandId::kDirToId)->trigger();
  ASSERT_TRUE(uitest::WaitForJobs(frame.jobs()));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].rfind("DIR = ID: ", 0), 0u) << prompts.messages[0];
  // The reload shows every car with front-end data in a folder named after its ID, or in a
  // numbered one when another car took the name first.
  const std::vector<CarRecord>& cars = demo.data.cars;
  ASSERT_GT(cars.size(), 0u);
  for (std::size_t i = 0; i < cars.size(); ++i) {
    if (!cars[i].hasFedata()) continue;
    const std::string folder = BaseName(ParentPath(cars[i].archivePath));
    const bool numbered = folder.size() == 4 && std::all_of(folder.begin(), folder.end(), [](char c) {
                            return std::isdigit(static_cast<unsigned char>(c)) != 0;
                          });
    EXPECT_TRUE(folder == *cars[i].carId || numbered) << cars[i].archivePath;
  }

  frame.action(CommandId::kRestoreCars)->trigger();
  ASSERT_TRUE(uitest::WaitForJobs(frame.jobs()));
  ASSERT_FALSE(prompts.statuses.empty());
  EXPECT_EQ(prompts.statuses.back().rfind("Restored ", 0), 0u) << prompts.statuses.back();
  EXPECT_EQ(prompts.messages.size(), 1u);  // no errors to show
}

}  // namespace
}  // namespace krax::ui

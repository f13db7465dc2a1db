// A .zip or .cab opened with the program (kraxmanager FILE, a file manager's "Open With"):
// the install dialog for a car or a track as the contents say, and a message for anything else.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "operations/game_operations.h"
#include "operations/install_plan.h"
#include "support/zip_bytes.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

namespace krax::ui {
namespace {

TEST(UiOpenArchive, AZipOrCabStartsTheInstallItsContentsAskFor) {
  uitest::EnsureApplication();
  uitest::DemoFixture demo;
  QTemporaryDir downloads;
  const auto write = [&](const QString& name, const std::string& bytes) {
    const QString path = downloads.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
  };
  struct Case {
    const char* what;
    QString file;
    int dialogMode;          // the install dialog's mode, -1 for none
    const char* message;     // what the player reads instead
  };
  const Case cases[] = {
      {"a car zip", write(QStringLiteral("skra.zip"), test::ZipBytes({{"SKRA/car.viv", "viv"}, {"SKRA/readme.txt", "r"}})),
       static_cast<int>(InstallMode::kCarFromArchive), nullptr},
      {"a track zip", write(QStringLiteral("dunes.ZIP"), test::ZipBytes({{"TR05.frd", "f"}, {"TR05.col", "c"}})),
       static_cast<int>(InstallMode::kTrackFromArchive), nullptr},
      {"a zip of neither", write(QStringLiteral("notes.zip"), test::ZipBytes({{"readme.txt", "hello"}})), -1,
       kNotValidTrack},
      {"a cab that is no cabinet", write(QStringLiteral("broken.cab"), "not a cabinet"), -1,
       "cannot be read as a zip or cabinet file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    uitest::ScriptedPrompts prompts;
    prompts.installDialog = [](InstallDialogState&) { return false; };  // looked at, then Cancel
    GameOperations operations(demo.data, demo.settings, prompts);
    MainWindowContext context{demo.settings, demo.data, operations, {}, &prompts, [](QDialog&) { return 0; }, {}};
    MainWindow frame(context);
    frame.InitialUpdate();
    frame.InstallFromPath(c.file);
    ASSERT_TRUE(uitest::WaitForJobs(frame.jobs()));
    if (c.dialogMode >= 0) {
      ASSERT_EQ(prompts.installDialogs.size(), 1u);
      EXPECT_EQ(prompts.installDialogs[0].mode, c.dialogMode);
      EXPECT_TRUE(prompts.messages.empty());
    } else {
      EXPECT_TRUE(prompts.installDialogs.empty());
      ASSERT_EQ(prompts.messages.size(), 1u);
      EXPECT_NE(prompts.messages[0].find(c.message), std::string::npos) << prompts.messages[0];
    }
  }
}

}  // namespace
}  // namespace krax::ui

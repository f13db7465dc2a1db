#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "gamedata/car_record.h"
#include "operations/car_toggle.h"
#include "operations/launch.h"
#include "operations/serial_numbers.h"
#include "operations_test_support.h"
#include "platform/path.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

// The slot of the first car whose archive has this name.
[[maybe_unused]] int SlotWithArchive(const GameData& data, const std::string& name) {
  for (std::size_t i = 0; i < data.cars.size(); ++i) {
    if (BaseName(data.cars[i].archivePath) == name) return static_cast<int>(i);
  }
  return -1;
}

// What a started program wrote into `file`, once it is there (programs start on their own).
[[maybe_unused]] std::string WaitForFile(const std::string& file) {
  for (int i = 0; i < 200 && !fs::exists(file); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return test::ReadFileBytes(file);
}

TEST(ToggleCar, GivesBackTheExactNameAndNeverHidesASecondArchive) {
#ifdef _WIN32
  GTEST_SKIP() << "two archive names that differ only in letter case cannot both exist on Windows";
#else
  test::DemoGame game;
  game.data.LoadCarCatalog();
  const int count = game.data.enabledCarCount;

  const int upper = SlotWithArchive(game.data, "CAR.VIV");
  ASSERT_GE(upper, 0);
  CarRecord& car = game.data.cars[static_cast<std::size_t>(upper)];
  const std::string path = car.archivePath;
  ASSERT_TRUE(ToggleCarArchive(game.data, static_cast<std::size_t>(upper)).done());
  EXPECT_EQ(car.archivePath, path + ".dis");
  EXPECT_TRUE(fs::exists(path + ".dis"));
  EXPECT_FALSE(car.enabled);
  EXPECT_EQ(game.data.enabledCarCount, count - 1);
  const OperationResult back = ToggleCarArchive(game.data, static_cast<std::size_t>(upper));
  ASSERT_TRUE(back.done());
  EXPECT_EQ(car.archivePath, path);
  EXPECT_TRUE(fs::exists(path));
  EXPECT_EQ(game.data.enabledCarCount, count);
  EXPECT_NE(back.message.find("enabled"), std::string::npos);

  // A disabled car whose folder also holds an enabled archive (in other letters): refused.
  const int disabled = SlotWithArchive(game.data, "car.viv.dis");
  ASSERT_GE(disabled, 0);
  CarRecord& other = game.data.cars[static_cast<std::size_t>(disabled)];
  const std::string folder = ParentPath(other.archivePath);
  const std::string before = test::ReadFileBytes(other.archivePath);
  game.dir.write(folder.substr(game.dir.path().size() + 1) + "/Car.Viv", "another car");
  const OperationResult refused = ToggleCarArchive(game.data, static_cast<std::size_t>(disabled));
  EXPECT_EQ(refused.status, OperationStatus::kFailed);
  EXPECT_NE(refused.message.find("already exists"), std::string::npos) << refused.message;
  EXPECT_EQ(test::ReadFileBytes(other.archivePath), before);
  EXPECT_EQ(test::ReadFileBytes(folder + "/Car.Viv"), "another car");
  EXPECT_FALSE(fs::exists(folder + "/car.viv"));
  EXPECT_FALSE(other.enabled);
  EXPECT_EQ(game.data.enabledCarCount, count);
#endif
}

TEST(SerialNumbers, WriteAndGenerateSayWhatHappened) {
  test::DemoGame game;
  game.data.LoadCarCatalog();
  GameData& data = game.data;

  int noFedata = -1, duplicate = -1;
  for (std::size_t i = 0; i < data.cars.size(); ++i) {
    if (!data.cars[i].hasFedata() && noFedata < 0) noFedata = static_cast<int>(i);
    if ((data.cars[i].errorFlags & kFlagDuplicateSerial) && data.cars[i].depth == 0 && duplicate < 0) {
      duplicate = static_cast<int>(i);
    }
  }
  ASSERT_GE(noFedata, 0);
  ASSERT_GE(duplicate, 0);

  const OperationResult none = WriteSerialNumber(data, game.prompts, static_cast<std::size_t>(noFedata), 7);
  EXPECT_EQ(none.status, OperationStatus::kFailed);
  EXPECT_NE(none.message.find("has no front-end data to hold a serial number"), std::string::npos) << none.message;

  // A free number clears the car's duplicate flag at once, without a reload.
  const auto slot = static_cast<std::size_t>(duplicate);
  const int shared = data.cars[slot].fedataSerial();
  const int free = ProposeSerialNumber(data, slot);
  const OperationResult written = WriteSerialNumber(data, game.prompts, slot, free);
  ASSERT_TRUE(written.done()) << written.message;
  EXPECT_NE(written.message.find(std::to_string(free)), std::string::npos);
  EXPECT_EQ(data.cars[slot].errorFlags & kFlagDuplicateSerial, 0u);
  EXPECT_TRUE(game.prompts.questions.empty());
  // Its shared number back (asked, and answered yes) makes a duplicate again, whatever order
  // the system lists the cars in.
  ASSERT_TRUE(WriteSerialNumber(data, game.prompts, slot, shared).done());
  EXPECT_EQ(game.prompts.questions.size(), 1u);

  // "Generate S.N." names the archive it could not write and reloads only after a write.
  data.ClearCarTable();
  data.LoadCarCatalog();
  std::vector<std::string> duplicates;
  for (std::size_t i = 0; i < data.cars.size(); ++i) {
    if (data.cars[i].errorFlags & kFlagDuplicateSerial) duplicates.push_back(data.cars[i].archivePath);
  }
  ASSERT_FALSE(duplicates.empty());
  for (const std::string& archive : duplicates) fs::rename(archive, archive + ".away");
  int reloads = 0;
  SerialGeneration failed = GenerateSerials(data, [&] { ++reloads; });
  EXPECT_EQ(failed.result.status, OperationStatus::kFailed);
  EXPECT_NE(failed.result.message.find("0 cars got a new serial number."), std::string::npos);
  EXPECT_NE(failed.result.message.find(duplicates.front()), std::string::npos) << failed.result.message;
  EXPECT_EQ(reloads, 0);
  for (const std::string& archive : duplicates) fs::rename(archive + ".away", archive);
  SerialGeneration generated = GenerateSerials(data, [&] { ++reloads; });
  EXPECT_TRUE(generated.result.done()) << generated.result.message;
  EXPECT_EQ(reloads, 1);
}

TEST(Launch, AHostileFileNameReachesTheEditorAsOneArgument) {
#ifdef _WIN32
  GTEST_SKIP() << "the stand-in editor is a shell script";
#else
  test::ScratchFolder dir;
  const std::string record = dir / "args.txt";
  const std::string editor = dir.write("my editor/edit", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                                            record + "'\n");
  fs::permissions(editor, fs::perms::owner_all);
  const std::string hostile = "a b;touch PWNED;$(touch PWNED2)`touch PWNED3`'\"|x";
  const std::string file = dir.write(hostile + "/car.viv", "VIV");

  const OperationResult result = OpenInEditor("'" + editor + "' --open", file);
  ASSERT_TRUE(result.done()) << result.message;
  EXPECT_EQ(WaitForFile(record), "--open\n" + file + "\n");
  for (const char* made : {"PWNED", "PWNED2", "PWNED3"}) {
    EXPECT_FALSE(fs::exists(made));
    EXPECT_FALSE(fs::exists(dir / made));
  }
  EXPECT_EQ(OpenInEditor("'unclosed", file).status, OperationStatus::kFailed);
#endif
}

TEST(Launch, EditorTargetsAndTheGameCommandLine) {
#ifdef _WIN32
  GTEST_SKIP() << "the stand-in editor and wine are shell scripts";
#else
  test::DemoGame game;
  GameData& data = game.data;
  game.data.LoadCarCatalog();
  game.settings.trackEditor = "trackedit";
  // The add-on's track file carries the number of the slot that holds it.
  const ItemRef dustbowl = game.trackFolder(3, "Dustbowl");
  const EditorTarget track = ItemEditorTarget(data, game.settings, dustbowl);
  EXPECT_EQ(track.file, game.slot(3) + "/Dustbowl/TR03.frd");
  EXPECT_EQ(track.setting, "trackedit");
  const EditorTarget car = ItemEditorTarget(data, game.settings, ItemRef::Car(0));
  EXPECT_EQ(car.file, data.cars[0].archivePath);
  EXPECT_EQ(car.setting, kDefaultShellAction);
  for (const ItemRef nothing : {ItemRef::Group(0), ItemRef::Group(1), ItemRef::Group(2), ItemRef::StockTrackSlot(3),
                                ItemRef::Car(5000)}) {
    EXPECT_EQ(ItemEditorTarget(data, game.settings, nothing).file, "") << static_cast<int>(nothing.kind);
  }

  EXPECT_EQ(RunGameIn(game.manifest.gameDir).message, "Cannot find KRAX file");
  EXPECT_EQ(RunGameIn("").message, "Cannot find KRAX file");
  // The game starts through wine in the game folder; a stand-in wine records how.
  game.dir.write("game/KRAX.EXE", "MZ");
  const std::string record = game.dir / "wine.txt";
  game.dir.write("bin/wine", "#!/bin/sh\necho \"$(pwd)|$*\" > '" + record + "'\n");
  fs::permissions(game.dir / "bin/wine", fs::perms::owner_all);
  const char* path = ::getenv("PATH");
  test::ScopedEnv withWine("PATH", game.dir / "bin" + ":" + (path ? path : "/usr/bin:/bin"));
  ASSERT_TRUE(RunGameIn(game.manifest.gameDir).done());
  EXPECT_EQ(WaitForFile(record), game.manifest.gameDir + "|" + game.manifest.gameDir + "/KRAX.EXE -nomovie\n");
#endif
}

}  // namespace
}  // namespace krax

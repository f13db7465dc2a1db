// Installs of cars and tracks from folders, zips and cabinets, and Create Zip/Cabinet, run
// through GameOperations with scripted prompts on scratch game folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/settings.h"
#include "archive/cabinet_create.h"
#include "archive/zip/zip_archive.h"
#include "gamedata/car_record.h"
#include "gamedata/game_data.h"
#include "operations/game_operations.h"
#include "operations/install_plan.h"
#include "operations/install_run.h"
#include "operations/pack_item.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "support/fixtures.h"
#include "support/scratch_folder.h"
#include "support/scripted_prompts.h"
#include "tools/demo_car_archive.h"
#include "tools/demo_install.h"

namespace krax {
namespace {

using test::ScratchFolder;
using test::ScriptedPrompts;

std::vector<std::string> DisplayNames(const InstallPlan& plan) {
  std::vector<std::string> names;
  for (const InstallFile& file : plan.files) names.push_back(file.displayName);
  std::sort(names.begin(), names.end());
  return names;
}

bool Contains(const std::vector<std::string>& texts, const std::string& part) {
  return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

// A game folder with an empty car folder and the nine track slots spelled "Trk00n".
struct SmallGame {
  ScratchFolder folder;
  std::string game = folder.mkdir("game");
  std::string cars = folder.mkdir("game/GameData/CarModel");
  SmallGame() {
    for (int n = 0; n < 9; ++n) folder.mkdir("game/GameData/Tracks/Trk00" + std::to_string(n));
  }
};

// The demo installation with the operations set up on it; CPATH is an empty folder.
struct DemoGame {
  ScratchFolder folder;
  DemoManifest manifest = MakeDemoInstallation(folder / "demo", DemoOptions{20, 3, true});
  std::string game = manifest.gameDir;
  Settings settings;
  GameData data;
  ScriptedPrompts prompts;
  GameOperations operations{data, settings, prompts};
  DemoGame() {
    settings.gameFolder = game;
    settings.archiveFolder = folder.mkdir("archives");
    data.UseGameFolder(game, /*kraxText=*/false);
  }
  const DemoCar& PlainCar() const {
    for (const DemoCar& car : manifest.cars) {
      if (car.depth == 0 && car.enabled && car.hasFedata && car.archiveName == "car.viv") return car;
    }
    throw std::runtime_error("no plain car in the demo");
  }
  std::string CarFolder(const DemoCar& car) const { return JoinPath(game, "GameData/CarModel/" + car.folder); }
  // The demo's cars are a car.viv alone: give one the companions a player's car has.
  std::string CarWithCompanions() {
    const DemoCar& car = PlainCar();
    for (const char* name : {"carp.txt", "car.bnk", "dash.fsh"}) {
      folder.write("demo/game/GameData/CarModel/" + car.folder + "/" + name, std::string(3000, name[1]));
    }
    return CarFolder(car);
  }
};

TEST(InstallPlan, CarFolderListsTheCarsFilesAndReadsItsId) {
  DemoGame demo;
  const DemoCar& car = demo.PlainCar();
  ScratchFolder source;
  const std::string viv = ReadWholeFile(JoinPath(demo.CarFolder(car), "car.viv")).value();
  for (const char* name : {"carp.txt", "fedata.eng", "fedata.fsh", "car.bnk", "dash.fsh", "readme.txt", "car.viv.bak"}) {
    source.write(std::string("NewCar/") + name, std::string(700, 'x'));
  }
  source.write("NewCar/CAR.VIV", viv);
  source.mkdir("NewCar/fedata.old");  // a folder is never a file to install
  const InstallPlan plan = PrepareInstall(InstallMode::kCarFromFolder, source / "NewCar", demo.game);
  EXPECT_EQ(DisplayNames(plan), (std::vector<std::string>{"CAR.VIV", "car.bnk", "carp.txt", "fedata.eng", "fedata.fsh"}));
  EXPECT_EQ(plan.id, car.id);
  EXPECT_EQ(plan.carName, car.name);
  EXPECT_EQ(plan.destinationBase, JoinPath(demo.game, "GameData/CarModel"));
  EXPECT_EQ(plan.LengthLine(), "(Total Length = " + std::to_string((viv.size() + 4 * 700) / 1024) + "KB)");
  EXPECT_TRUE(plan.messages.empty());

  ScratchFolder many;
  for (int i = 0; i < 150; ++i) many.write("f" + std::to_string(i) + ".jpg", "j");
  const InstallPlan full = PrepareInstall(InstallMode::kCarFromFolder, many.path(), demo.game);
  EXPECT_EQ(full.files.size(), 100u);
  EXPECT_EQ(full.leftOut, 50u);
  EXPECT_TRUE(Contains(full.messages, "Only the first 100 files"));
}

// The message for files of several slots: the slots with their files, and the one proposed.
std::string Mixed(const std::string& slots, const std::string& proposed) {
  return std::string(kMixedTracks) + ":\n" + slots + "The track is proposed for " + proposed +
         ", the slot with the most files. To install it into another slot, change the destination base directory in "
         "the install dialog.";
}

TEST(InstallPlan, TrackFolderIsNumberedByItsFileNames) {
  SmallGame game;
  struct Case {
    std::vector<std::string> files;
    std::size_t listed;
    int number;
    std::vector<std::string> messages;
  };
  const std::vector<Case> cases = {
      {{"TR03.frd", "tr03.col", "TR03.fsh", "sky.jpg", "readme.txt"}, 4, 3, {}},
      {{"TR03.frd", "tr03.col", "TR03.fsh", "sky.jpg", "readme.txt", "TR05.can"},
       5,
       3,
       {Mixed("  Trk003 (Marrow Flats): 3 files\n  Trk005 (Quillstone Loop): 1 file\n", "Trk003 (Marrow Flats)")}},
      // The slot of the most files, wherever they are listed; one message for all of them.
      {{"TR01.frd", "TR05.can", "TR05.col", "TR05.fsh", "TR07.bin"},
       5,
       5,
       {Mixed("  Trk001 (Brasswater Docks): 1 file\n  Trk005 (Quillstone Loop): 3 files\n  Trk007 (Oxbow Junction): 1 file\n",
              "Trk005 (Quillstone Loop)")}},
      // As many files for two slots: the first found.
      {{"TR06.can", "TR01.frd"},
       2,
       1,
       {Mixed("  Trk001 (Brasswater Docks): 1 file\n  Trk006 (Velvet Gorge): 1 file\n", "Trk001 (Brasswater Docks)")}},
      {{"sky.jpg", "wall.tga"}, 2, -1, {kNotValidTrack}},
      {{"TUT15.frd", "3tr05.col"}, 2, 5, {}},
      {{"TR0x.frd", "TR03.frd.bak"}, 1, -1, {kNotValidTrack}},  // no digit: no number
      {{}, 0, -1, {kNotValidTrack}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    const std::string source = game.folder.mkdir("Track" + std::to_string(i));
    for (const std::string& name : cases[i].files) game.folder.write("Track" + std::to_string(i) + "/" + name, "t");
    const InstallPlan plan = PrepareInstall(InstallMode::kTrackFromFolder, source, game.game);
    EXPECT_EQ(plan.files.size(), cases[i].listed);
    EXPECT_EQ(plan.trackNumber, cases[i].number);
    EXPECT_EQ(plan.messages, cases[i].messages);
    // "TRK00n" is the slot folder "Trk00n"; without a number there is no destination (never
    // the source folder itself).
    EXPECT_EQ(plan.destinationBase, cases[i].number < 0 ? std::string()
                                                        : JoinPath(game.game, "GameData/Tracks/Trk00" + std::to_string(cases[i].number)));
    if (cases[i].number >= 0) {
      EXPECT_EQ(plan.id, "Track" + std::to_string(i));
    }
  }
}

// Files of two slots in an archive: told once, before the dialog; the dialog proposes the
// slot of the most files (of two with as many, the one the archive holds first), and the
// player can install into the other slot instead.
TEST(Install, MixedTrackFilesAreToldOnceAndTheSlotCanBeChangedInTheDialog) {
  SmallGame game;
  ScratchFolder source;
  const std::vector<std::string> tie = {source.write("Tie/TR06.can", "6"), source.write("Tie/TR01.frd", "1")};
  ASSERT_TRUE(CreateZipArchive(source / "Tie.zip", tie, source.path(), true).ok());
  const InstallPlan tied = PrepareInstall(InstallMode::kTrackFromArchive, source / "Tie.zip", game.game);
  EXPECT_EQ(tied.trackNumber, 6);
  EXPECT_EQ(tied.messages, (std::vector<std::string>{Mixed(
                               "  Trk001 (Brasswater Docks): 1 file\n  Trk006 (Velvet Gorge): 1 file\n", "Trk006 (Velvet Gorge)")}));

  std::vector<std::string> files = {source.write("Mix/TR02.frd", "2"), source.write("Mix/TR04.frd", "4"),
                                    source.write("Mix/TR04.col", "4"), source.write("Mix/TR04.fsh", "4")};
  ASSERT_TRUE(CreateCabinetArchive(source / "Mix", files, source.path(), true, {}));
  Settings settings;
  GameData data;
  data.UseGameFolder(game.game, /*kraxText=*/false);
  ScriptedPrompts prompts;
  GameOperations operations(data, settings, prompts);
  const std::string otherSlot = JoinPath(game.game, "GameData/Tracks/Trk002");
  prompts.installDialog = [&](InstallDialogState& state) {
    state.destinationBase = otherSlot;
    return true;
  };
  const OperationResult result = operations.InstallFromPath(InstallMode::kTrackFromArchive, source / "Mix.CAB");
  ASSERT_TRUE(result.done()) << result.message;
  EXPECT_EQ(prompts.messages, (std::vector<std::string>{Mixed(
                                  "  Trk002 (Kestrel Heights): 1 file\n  Trk004 (Tinder Hollow): 3 files\n", "Trk004 (Tinder Hollow)")}));
  ASSERT_EQ(prompts.installDialogs.size(), 1u);
  EXPECT_EQ(prompts.installDialogs[0].destinationBase, JoinPath(game.game, "GameData/Tracks/Trk004"));
  EXPECT_EQ(ListFolder(JoinPath(otherSlot, "Mix")).size(), 4u);
  EXPECT_TRUE(ListFolder(JoinPath(game.game, "GameData/Tracks/Trk004")).empty());
}

TEST(InstallPlan, CarZipProposesTheFirstFreeNumberAndIsKnownByItsBytes) {
  SmallGame game;
  ScratchFolder source;
  std::vector<std::string> files;
  for (const char* name : {"car.viv", "carp.txt", "fedata.eng", "readme.txt"}) {
    files.push_back(source.write(std::string("MyCar/") + name, name));
  }
  const std::string zip = source / "CAR.ZIP";  // the capital ending does not make it a cabinet
  ASSERT_TRUE(CreateZipArchive(zip, files, source.path(), true).ok());
  EXPECT_EQ(MatchingInstallMode(zip), InstallMode::kCarFromArchive);  // what a drop offers

  struct Case {
    std::vector<std::string> existing;
    std::string id;
  };
  for (const Case& c : std::vector<Case>{{{}, "0000"}, {{"0000", "0001"}, "0002"}, {{"0001"}, "0000"}}) {
    SCOPED_TRACE(c.id);
    for (const DirEntry& entry : ListFolder(game.cars)) RemoveEmptyFolder(JoinPath(game.cars, entry.name));
    for (const std::string& folder : c.existing) CreateFolder(JoinPath(game.cars, folder));
    const InstallPlan plan = PrepareInstall(InstallMode::kCarFromArchive, zip, game.game);
    EXPECT_EQ(plan.archiveKind, ArchiveKind::kZip);
    EXPECT_EQ(DisplayNames(plan), (std::vector<std::string>{"car.viv", "carp.txt", "fedata.eng"}));
    EXPECT_EQ(plan.files[0].source, "MyCar/car.viv");
    EXPECT_EQ(plan.id, c.id);
    EXPECT_EQ(plan.LengthLine(), "(Total Length = 0KB)");
  }
}

// A car packed by a player: the dialog proposes the car's own ID (as a folder install does)
// while no folder of that name is there, and is titled with the car's name.
TEST(InstallPlan, CarArchiveProposesTheCarsOwnIdWhileItsFolderIsFree) {
  DemoGame demo;
  const DemoCar& car = demo.PlainCar();
  const std::string viv = ReadWholeFile(JoinPath(demo.CarFolder(car), "car.viv")).value();
  SmallGame game;
  ScratchFolder source;
  struct Case {
    std::string label;
    bool zip;
    std::string archiveName;  // the car's archive in the zip or cabinet
    std::string archiveBytes;
    std::string existing;     // a folder already in CarModel
    std::string id, title;
    bool noteOnTakenId;
  };
  const std::string lowerId = AsciiLower(car.id);
  const std::vector<Case> cases = {
      {"zip", true, "car.viv", viv, "", car.id, car.name, false},
      {"cabinet", false, "CAR.VIV", viv, "", car.id, car.name, false},
      {"disabled car", true, "car.viv.dis", viv, "", car.id, car.name, false},
      {"its folder taken", true, "car.viv", viv, car.id, "0000", car.name, true},
      {"taken in another case", false, "car.viv", viv, lowerId, "0000", car.name, true},
      {"unreadable archive", true, "car.viv", "not a viv", "", "0000", "Install These Car Files:", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    for (const DirEntry& entry : ListFolder(game.cars)) RemoveEmptyFolder(JoinPath(game.cars, entry.name));
    if (!c.existing.empty()) CreateFolder(JoinPath(game.cars, c.existing));
    const std::vector<std::string> files = {source.write("Packed/" + c.archiveName, c.archiveBytes),
                                            source.write("Packed/carp.txt", "carp")};
    std::string archive = source / ("Packed" + std::string(c.zip ? ".zip" : ".CAB"));
    ASSERT_TRUE(c.zip ? CreateZipArchive(archive, files, source.path(), true).ok()
                      : CreateCabinetArchive(source / "Packed", files, source.path(), true, {}));
    for (const std::string& file : files) std::filesystem::remove(file);
    const InstallPlan plan = PrepareInstall(InstallMode::kCarFromArchive, archive, game.game);
    EXPECT_EQ(plan.id, c.id);
    EXPECT_EQ(plan.DialogTitle(), c.title);
    EXPECT_EQ(Contains(plan.notes, "The car's ID is " + car.id + ", and the folder " + car.id + " exists already: 0000 is proposed instead."),
              c.noteOnTakenId);
    EXPECT_EQ(ListFolder(game.cars).size(), c.existing.empty() ? 0u : 1u) << "reading the ID leaves nothing behind";
    std::filesystem::remove(archive);
  }
}

// What the install dialog shows, by command: a car's name, else what it installs; and a car
// installed from a zip under the proposed ID starts without "Diferent Path/ID".
TEST(Install, DialogIsTitledForWhatItInstallsAndANewCarKeepsItsId) {
  DemoGame demo;
  const DemoCar& car = demo.PlainCar();
  SmallGame game;
  ScratchFolder source;
  const std::string viv = source.write("Car/car.viv", ReadWholeFile(JoinPath(demo.CarFolder(car), "car.viv")).value());
  const std::string picture = source.write("Car/shot.jpg", "jpg");
  const std::string zip = source / "Car.zip";
  ASSERT_TRUE(CreateZipArchive(zip, {viv, picture}, source.path(), true).ok());
  source.write("Bare/shot.jpg", "jpg");
  source.write("Track/TR02.frd", "road");
  const std::string trackZip = source / "Track.zip";
  ASSERT_TRUE(CreateZipArchive(trackZip, {source / "Track/TR02.frd"}, source.path(), true).ok());

  Settings settings;
  GameData data;
  data.UseGameFolder(game.game, /*kraxText=*/false);
  ScriptedPrompts prompts;
  prompts.defaultAnswer = false;  // the dialog is cancelled: only its title is looked at
  GameOperations operations(data, settings, prompts);
  const std::vector<std::pair<InstallMode, std::string>> shown = {
      {InstallMode::kCarFromFolder, source / "Car"}, {InstallMode::kCarFromArchive, zip},
      {InstallMode::kCarFromFolder, source / "Bare"}, {InstallMode::kTrackFromFolder, source / "Track"},
      {InstallMode::kTrackFromArchive, trackZip}};
  for (const auto& [mode, path] : shown) operations.InstallFromPath(mode, path);
  std::vector<std::string> titles;
  for (const InstallDialogState& state : prompts.installDialogs) titles.push_back(state.title);
  EXPECT_EQ(titles, (std::vector<std::string>{car.name, car.name, "Install These Car Files:", "Install These Track Files:",
                                              "Install These Track Files:"}));

  prompts.defaultAnswer = true;
  ASSERT_TRUE(operations.InstallFromPath(InstallMode::kCarFromArchive, zip).done());
  EXPECT_TRUE(IsFile(JoinPath(game.cars, car.id + "/car.viv")));
  data.ClearCarTable();
  data.LoadCarCatalog();
  ASSERT_EQ(data.cars.size(), 1u);
  EXPECT_EQ(data.cars[0].errorFlags & kFlagFolderNotId, 0u);
}

TEST(Install, TrackCabinetWithFoldersInstallsFlatIntoItsSlot) {
  SmallGame game;
  ScratchFolder source;
  const std::vector<std::string> files = {source.write("Speedway/TR04.frd", "road"),
                                          source.write("Speedway/TR04.col", "collision")};
  // Stored as Speedway\TR04.frd: the files must still land directly in the track folder.
  ASSERT_TRUE(CreateCabinetArchive(source / "Speedway", files, source.path(), true, {}));
  EXPECT_EQ(MatchingInstallMode(source / "Speedway.CAB"), InstallMode::kTrackFromArchive);
  Settings settings;
  GameData data;
  data.UseGameFolder(game.game, /*kraxText=*/false);
  ScriptedPrompts prompts;
  GameOperations operations(data, settings, prompts);
  const OperationResult result = operations.InstallFromPath(InstallMode::kTrackFromArchive, source / "Speedway.CAB");
  ASSERT_TRUE(result.done()) << result.message;
  ASSERT_EQ(prompts.installDialogs.size(), 1u);
  EXPECT_EQ(prompts.installDialogs[0].id, "Speedway");
  EXPECT_EQ(prompts.installDialogs[0].destinationBase, JoinPath(game.game, "GameData/Tracks/Trk004"));
  const std::string track = game.game + "/GameData/Tracks/Trk004/Speedway";
  EXPECT_EQ(ReadWholeFile(track + "/TR04.frd"), "road");
  EXPECT_EQ(ReadWholeFile(track + "/TR04.col"), "collision");
  EXPECT_EQ(ListFolder(track).size(), 2u);
}

TEST(Install, CabinetFixtureEntriesAreWrittenByTheirDisplayNames) {
  KRAX_REQUIRE_FIXTURES("cab");
  ScratchFolder dest;
  InstallPlan plan;
  plan.mode = InstallMode::kCarFromArchive;
  plan.archiveKind = ArchiveKind::kCabinet;
  plan.source = test::FixturePath("cab/cab_2_mszip.cab");
  plan.files = {{"file1", "DIR1\\FILE1"}, {"file2", "dir2\\file2"}};
  const InstallOutcome outcome = RunInstall(plan, dest / "0000");
  EXPECT_EQ(outcome.installed, (std::vector<std::string>{"file1", "file2"}));
  EXPECT_EQ(FileSize(dest / "0000/file1"), 60u);
  EXPECT_EQ(FileSize(dest / "0000/file2"), 78u);
  EXPECT_NE(outcome.Summary().find("Installed 2 of 2 files"), std::string::npos);

  // One file missing: nothing is installed, and the summary says which.
  plan.files.push_back({"missing", "dir3\\missing"});
  const InstallOutcome partial = RunInstall(plan, dest / "0001");
  ASSERT_EQ(partial.failed.size(), 1u);
  EXPECT_FALSE(partial.ok());
  EXPECT_FALSE(PathExists(dest / "0001"));
  EXPECT_NE(partial.Summary().find("Nothing was installed"), std::string::npos);
  EXPECT_NE(partial.Summary().find("missing"), std::string::npos);
  EXPECT_EQ(ListFolder(dest.path()).size(), 1u) << "nothing temporary stays beside the destination";
}

TEST(Install, CarPackedAndInstalledAgainIsTheSameByZipAndByCabinet) {
  DemoGame demo;
  const DemoCar& car = demo.PlainCar();
  const std::string carFolder = demo.CarWithCompanions();
  const std::string viv = JoinPath(carFolder, "car.viv");
  demo.folder.write("demo/game/GameData/CarModel/" + car.folder + "/backup/old.viv", "not packed");

  struct Round {
    bool zip;
    std::string id;
  };
  for (const Round& round : {Round{true, "ZZIP"}, Round{false, "ZCAB"}}) {
    SCOPED_TRACE(round.id);
    demo.prompts.statuses.clear();
    const OperationResult packed = round.zip ? demo.operations.CreateZip(ItemRef::Car(0), viv, car.name)
                                             : demo.operations.CreateCabinet(ItemRef::Car(0), viv, car.name);
    ASSERT_TRUE(packed.done()) << packed.message;
    EXPECT_EQ(demo.prompts.statuses.back(), "Done");
    EXPECT_TRUE(Contains(demo.prompts.statuses, round.zip ? "File car.viv - Compressing:" : " Compressing: "));
    const std::string archive = JoinPath(demo.settings.archiveFolder, car.name + (round.zip ? ".zip" : ".CAB"));
    ASSERT_TRUE(IsFile(archive));

    demo.prompts.installDialog = [&](InstallDialogState& state) {
      state.id = round.id;
      return true;
    };
    const OperationResult installed = demo.operations.InstallFromPath(InstallMode::kCarFromArchive, archive);
    ASSERT_TRUE(installed.done()) << installed.message;
    const std::string copy = JoinPath(demo.game, "GameData/CarModel/" + round.id);
    std::size_t compared = 0;
    for (const DirEntry& entry : ListFolder(carFolder)) {
      if (entry.isFolder || !IsCarFileName(entry.name)) continue;
      EXPECT_EQ(ReadWholeFile(JoinPath(copy, entry.name)), ReadWholeFile(JoinPath(carFolder, entry.name))) << entry.name;
      ++compared;
    }
    EXPECT_EQ(compared, 3u);
    EXPECT_EQ(ListFolder(copy).size(), compared);  // nothing from the backup folder
  }
  // Packing again replaces the archive.
  EXPECT_TRUE(demo.operations.CreateZip(ItemRef::Car(0), viv, car.name).done());
}

TEST(Install, OkChecksTheIdAndAsksBeforeWritingIntoAnOccupiedFolder) {
  DemoGame demo;
  const std::string source = demo.CarWithCompanions();
  const std::string cars = JoinPath(demo.game, "GameData/CarModel");
  const InstallMode mode = InstallMode::kCarFromFolder;

  // An empty ID is refused with a message, and the dialog comes back.
  std::vector<std::string> ids = {"", "NEW1"};
  demo.prompts.installDialog = [&](InstallDialogState& state) {
    if (ids.empty()) return false;
    state.id = ids.front();
    ids.erase(ids.begin());
    return true;
  };
  EXPECT_TRUE(demo.operations.InstallFromPath(mode, source).done());
  EXPECT_TRUE(Contains(demo.prompts.messages, "Please enter an ID."));
  EXPECT_FALSE(IsFile(JoinPath(cars, "car.viv")));  // nothing loose in the car folder
  EXPECT_TRUE(IsFile(JoinPath(cars, "NEW1/car.viv")));

  // A folder holding another car's files: No keeps it as it was.
  demo.folder.write("demo/game/GameData/CarModel/BUSY/other.txt", "other");
  ids = {"BUSY"};
  demo.prompts.answerFor = {{QuestionKind::kInstallIntoUsedFolder, false}};
  EXPECT_EQ(demo.operations.InstallFromPath(mode, source).status, OperationStatus::kCancelled);
  EXPECT_TRUE(Contains(demo.prompts.questions, "already exists and holds other files"));
  EXPECT_EQ(demo.prompts.questionKinds.back(), QuestionKind::kInstallIntoUsedFolder);
  demo.prompts.answerFor.clear();
  EXPECT_EQ(ListFolder(JoinPath(cars, "BUSY")).size(), 1u);

  // Yes installs, all or nothing: a file that cannot be written leaves the folder as it was.
  demo.folder.mkdir("demo/game/GameData/CarModel/BUSY/carp.txt");
  ids = {"BUSY"};
  const OperationResult partial = demo.operations.InstallFromPath(mode, source);
  EXPECT_EQ(partial.status, OperationStatus::kFailed);
  EXPECT_NE(partial.message.find("carp.txt is a folder"), std::string::npos) << partial.message;
  EXPECT_FALSE(IsFile(JoinPath(cars, "BUSY/car.viv")));
  EXPECT_EQ(ListFolder(JoinPath(cars, "BUSY")).size(), 2u);

  // Without the obstacle the files join the others, replacing those of the same names.
  RemoveEmptyFolder(JoinPath(cars, "BUSY/carp.txt"));
  demo.folder.write("demo/game/GameData/CarModel/BUSY/CARP.TXT", "older");
  ids = {"BUSY"};
  ASSERT_TRUE(demo.operations.InstallFromPath(mode, source).done());
  EXPECT_EQ(ReadWholeFile(JoinPath(cars, "BUSY/CARP.TXT")), ReadWholeFile(JoinPath(source, "carp.txt")));
  EXPECT_EQ(ReadWholeFile(JoinPath(cars, "BUSY/other.txt")), "other");
  EXPECT_TRUE(IsFile(JoinPath(cars, "BUSY/car.viv")));
  for (const DirEntry& entry : ListFolder(cars)) EXPECT_NE(entry.name.rfind(".krax-", 0), 0u) << entry.name;
}

TEST(Pack, RefusesGroupsUnusableNamesAndAMissingArchiveFolder) {
  DemoGame demo;
  const DemoCar& car = demo.PlainCar();
  const std::string viv = JoinPath(demo.CarFolder(car), "car.viv");
  EXPECT_EQ(demo.operations.CreateZip(ItemRef::Group(0), "", "KRAX Racing Cars").status, OperationStatus::kFailed);
  const OperationResult badName = demo.operations.CreateCabinet(ItemRef::Car(0), viv, "Beta/Gamma");
  EXPECT_EQ(badName.status, OperationStatus::kFailed);
  EXPECT_NE(badName.message.find("cannot be used as a file name"), std::string::npos);
  EXPECT_TRUE(ListFolder(demo.settings.archiveFolder).empty());

  demo.settings.archiveFolder = demo.folder / "no such folder";
  const OperationResult noFolder = demo.operations.CreateZip(ItemRef::Car(0), viv, car.name);
  EXPECT_EQ(noFolder.status, OperationStatus::kFailed);
  EXPECT_NE(noFolder.message.find("does not exist"), std::string::npos);
  EXPECT_FALSE(Contains(demo.prompts.statuses, "Done"));
}

// Stopping a pack part-way leaves the archive folder exactly as it was, for both kinds.
TEST(Pack, StoppedByTheUserLeavesTheOlderArchiveAsItWas) {
  DemoGame demo;
  const DemoCar& car = demo.PlainCar();
  const std::string carFolder = demo.CarWithCompanions();
  demo.folder.write("demo/game/GameData/CarModel/" + car.folder + "/car.bnk", std::string(300000, 'k'));
  for (const bool zip : {true, false}) {
    SCOPED_TRACE(zip ? "zip" : "cabinet");
    const std::string older = car.name + (zip ? ".zip" : ".CAB");
    demo.folder.write("archives/" + older, "the older archive");
    demo.prompts.stopPolls = 0;
    demo.prompts.stopWork = [&demo] { return demo.prompts.stopPolls > 1; };  // after some work
    const std::string viv = JoinPath(carFolder, "car.viv");
    const OperationResult stopped = zip ? demo.operations.CreateZip(ItemRef::Car(0), viv, car.name)
                                        : demo.operations.CreateCabinet(ItemRef::Car(0), viv, car.name);
    EXPECT_EQ(stopped.status, OperationStatus::kCancelled) << stopped.message;
    EXPECT_GE(demo.prompts.stopPolls, 2);  // it stopped part-way, not before it began
    EXPECT_NE(stopped.message.find("was stopped"), std::string::npos) << stopped.message;
    EXPECT_EQ(demo.prompts.statuses.back(), zip ? "Create Zip stopped" : "Create Cabinet stopped");
    ASSERT_EQ(ListFolder(demo.settings.archiveFolder).size(), 1u);
    EXPECT_EQ(ReadWholeFile(JoinPath(demo.settings.archiveFolder, older)), "the older archive");
    DeleteFile(JoinPath(demo.settings.archiveFolder, older));
  }
}

// A car too large for one cabinet becomes a set; every part carries its final name (each
// cabinet names the next inside it), an older set of that name is replaced, nothing
// temporary stays behind, and the set installs back whole.
TEST(Pack, ACabinetSetIsPutInPlaceWholeAndInstallsBack) {
  DemoGame demo;
  const DemoCar& car = demo.PlainCar();
  const std::string carFolder = demo.CarFolder(car);
  std::string noise(150000, '\0');
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
  demo.folder.write("demo/game/GameData/CarModel/" + car.folder + "/car.bnk", noise);
  demo.folder.write("archives/Set.CAB", "an older cabinet");
  demo.folder.write("archives/Set1.CAB", "an older second part");

  PackRequest request{ArchiveKind::kCabinet, ItemRef::Car(0), JoinPath(carFolder, "car.viv"), "Set",
                      demo.settings.archiveFolder};
  PackPlan plan = PlanPack(request);
  ASSERT_EQ(plan.problem, "");
  plan.cabinetOptions.typeCompress = 0;
  plan.cabinetOptions.maxCabinetSize = 50000;
  const PackResult packed = RunPack(plan, {});
  ASSERT_TRUE(packed.ok) << packed.message;
  ASSERT_GE(packed.followingParts.size(), 2u);
  std::vector<std::string> names;
  for (const DirEntry& entry : ListFolder(demo.settings.archiveFolder)) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  std::vector<std::string> expected = {"Set.CAB"};
  for (std::size_t i = 1; i <= packed.followingParts.size(); ++i) expected.push_back("Set" + std::to_string(i) + ".CAB");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);

  demo.prompts.installDialog = [&](InstallDialogState& state) {
    state.id = "ZSET";
    return true;
  };
  const OperationResult installed =
      demo.operations.InstallFromPath(InstallMode::kCarFromArchive, JoinPath(demo.settings.archiveFolder, "Set.CAB"));
  ASSERT_TRUE(installed.done()) << installed.message;
  const std::string copy = JoinPath(demo.game, "GameData/CarModel/ZSET");
  EXPECT_EQ(ReadWholeFile(JoinPath(copy, "car.bnk")), noise);
  EXPECT_EQ(ReadWholeFile(JoinPath(copy, "car.viv")), ReadWholeFile(JoinPath(carFolder, "car.viv")));
}

}  // namespace
}  // namespace krax

namespace krax {
namespace {

// Game text is Windows-1252; folder and archive names made from it are UTF-8, on install and
// on pack alike, and a car without a name of its own is packed under its folder's name.
TEST(InstallAndPack, NamesMadeFromGameTextAreUtf8AndANamelessCarIsNamedAfterItsFolder) {
  DemoGame demo;
  DemoCar car = demo.PlainCar();
  car.id = "P\xC9LO";
  car.name = "P\xE9lo Sport";
  std::string viv;
  DemoCarPayloadPool(7, true).BuildArchive(car, 7, viv);
  ScratchFolder source;
  source.write("Pelo/car.viv", viv);
  const InstallPlan plan = PrepareInstall(InstallMode::kCarFromFolder, source / "Pelo", demo.game);
  EXPECT_EQ(plan.id, "P\xC3\x89LO");
  EXPECT_EQ(plan.carName, "P\xC3\xA9lo Sport");
  ASSERT_TRUE(demo.operations.InstallFromPath(InstallMode::kCarFromFolder, source / "Pelo").done());
  const std::string folder = JoinPath(demo.game, "GameData/CarModel/P\xC3\x89LO");
  ASSERT_TRUE(IsFile(JoinPath(folder, "car.viv")));

  demo.data.ClearCarTable();
  demo.data.LoadCarCatalog();
  int pelo = -1, nameless = -1;
  for (std::size_t i = 0; i < demo.data.cars.size(); ++i) {
    const CarRecord& record = demo.data.cars[i];
    if (ParentPath(record.archivePath) == folder) pelo = static_cast<int>(i);
    if (!record.hasFedata() && record.depth == 0 && nameless < 0) nameless = static_cast<int>(i);
  }
  ASSERT_GE(pelo, 0);
  ASSERT_GE(nameless, 0);
  EXPECT_EQ(demo.data.cars[static_cast<std::size_t>(pelo)].errorFlags & 4u, 0u);  // folder and ID agree

  struct Case {
    int slot;
    std::string formName;  // what the details form passes: its Name field, UTF-8
    std::string archive;   // the file written
  };
  const std::string namelessFolder = BaseName(ParentPath(demo.data.cars[static_cast<std::size_t>(nameless)].archivePath));
  for (const Case& c : {Case{pelo, "", "P\xC3\xA9lo Sport.zip"}, Case{nameless, "", namelessFolder + ".zip"},
                        Case{pelo, CarArchiveName(demo.data.cars[static_cast<std::size_t>(pelo)]), "P\xC3\xA9lo Sport.zip"}}) {
    const CarRecord& record = demo.data.cars[static_cast<std::size_t>(c.slot)];
    const OperationResult packed = demo.operations.CreateZip(ItemRef::Car(static_cast<std::size_t>(c.slot)), record.archivePath, c.formName);
    ASSERT_TRUE(packed.done()) << packed.message;
    EXPECT_TRUE(IsFile(JoinPath(demo.settings.archiveFolder, c.archive))) << c.archive << ": " << packed.message;
  }
  EXPECT_EQ(ListFolder(demo.settings.archiveFolder).size(), 2u);
}

}  // namespace
}  // namespace krax

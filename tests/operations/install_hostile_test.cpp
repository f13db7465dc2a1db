// Installs from archives and folders that other tools or an attacker made: duplicate names,
// zip64 records, compression methods and encryption this program cannot read, a local header
// that contradicts the directory, sizes beyond the free space, control characters in names,
// links and special files, a disabled car, track IDs that would reach the slot's "Original".
// Each install either brings every listed file or leaves the game folder exactly as it was.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "archive/cabinet_create.h"
#include "archive/zip/zip_archive.h"
#include "operations/game_operations.h"
#include "operations/install_dialog_state.h"
#include "operations/install_plan.h"
#include "operations_test_support.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/process.h"
#include "support/zip_bytes.h"


namespace krax {
namespace {

namespace fs = std::filesystem;
using test::ZipBytes;
using test::ZipBytesEntry;
using Tree = std::map<std::string, std::string>;

// Every file and folder below `root` (links as their targets' names), with its content.
Tree Snapshot(const std::string& root) {
  Tree tree;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    const std::string relative = fs::relative(it->path(), root).string();
    if (it->is_symlink()) {
      tree[relative] = "-> " + fs::read_symlink(it->path()).string();
    } else if (it->is_directory()) {
      tree[relative + "/"] = "";
    } else if (it->is_regular_file()) {
      tree[relative] = test::ReadFileBytes(it->path().string());
    } else {
      tree[relative] = "(special)";
    }
  }
  return tree;
}

// The tree without the entries below `folder` (a path relative to the root).
Tree Without(Tree tree, const std::string& folder) {
  for (auto it = tree.begin(); it != tree.end();) {
    it = it->first.rfind(folder, 0) == 0 ? tree.erase(it) : std::next(it);
  }
  return tree;
}

bool AnyContains(const std::vector<std::string>& texts, const std::string& part) {
  return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

// A demo game with the operations, answering the install dialog with a chosen ID.
struct Game {
  test::DemoGame demo;
  GameOperations operations{demo.data, demo.settings, demo.prompts};
  std::string game = demo.manifest.gameDir;
  std::string cars = CarModelFolder(game);

  OperationResult Install(InstallMode mode, const std::string& source, const std::string& id) {
    demo.prompts.installDialog = [id](InstallDialogState& state) {
      state.id = id;
      return true;
    };
    return operations.InstallFromPath(mode, source);
  }
  // The notes of the install dialog shown last.
  std::vector<std::string> Notes() const {
    return demo.prompts.installDialogs.empty() ? std::vector<std::string>() : demo.prompts.installDialogs.back().notes;
  }
};

const std::string kViv = std::string("BIGF") + std::string(60, 'v');

TEST(InstallHostile, ForeignAndHostileArchivesInstallWholeOrNotAtAll) {
  struct Case {
    std::string name;
    std::vector<ZipBytesEntry> entries;  // a zip; empty: `cabinetFiles` make a cabinet
    std::vector<std::pair<std::string, std::string>> cabinetFiles;  // (path below the base, bytes)
    Tree installed;                      // the car folder afterwards; empty: the install fails
    std::string said;                    // in the failure's message or in the plan's notes
  };
  ZipBytesEntry bzip2{"carp.txt", "BZh9 not really"};
  bzip2.method = 12;
  ZipBytesEntry lzma{"carp.txt", "lzma stream"};
  lzma.method = 14;
  ZipBytesEntry encrypted{"carp.txt", "scrambled"};
  encrypted.flags = 1;
  ZipBytesEntry disagreeing{"carp.txt", "carp"};
  disagreeing.localMethod = 8;
  ZipBytesEntry renamed{"carp.txt", "carp"};
  renamed.localName = "carx.txt";
  ZipBytesEntry damaged{"car.viv", kViv};
  damaged.crc = 0x12345678;
  ZipBytesEntry huge{"car.bnk", "sounds"};
  huge.zip64 = true;
  huge.declaredSize = 1ull << 60;  // more than any disk holds
  ZipBytesEntry wide1{"car.viv", kViv}, wide2{"carp.txt", "carp 64"};
  wide1.zip64 = wide2.zip64 = true;

  const std::vector<Case> cases = {
      {"appended update", {{"car.viv", "old"}, {"carp.txt", "carp"}, {"car.viv", kViv}}, {},
       {{"car.viv", kViv}, {"carp.txt", "carp"}}, "car.viv appears 2 times"},
      {"names differing in case", {{"car.viv", "one"}, {"CAR.VIV", "two"}, {"Car.Viv", kViv}}, {},
       {{"Car.Viv", kViv}}, "Car.Viv appears 3 times"},
      {"zip64 records made by hand", {wide1, wide2}, {}, {{"car.viv", kViv}, {"carp.txt", "carp 64"}}, ""},
      {"bzip2 entry", {{"car.viv", kViv}, bzip2}, {}, {}, "uses a compression method this program cannot read: bzip2"},
      {"LZMA entry", {{"car.viv", kViv}, lzma}, {}, {}, "uses a compression method this program cannot read: LZMA"},
      {"encrypted entry", {{"car.viv", kViv}, encrypted}, {}, {}, "carp.txt: the entry is encrypted"},
      {"local header disagrees", {{"car.viv", kViv}, disagreeing}, {}, {}, "carp.txt: the zip is damaged"},
      {"local header names another file", {{"car.viv", kViv}, renamed}, {}, {}, "carp.txt: the zip is damaged"},
      {"damaged car.viv", {{"carp.txt", "carp"}, damaged}, {}, {}, "car.viv: the entry's data is damaged"},
      {"larger than the free space", {{"car.viv", kViv}, huge}, {}, {}, "KB are free in"},
      {"control character in a name", {{"car.viv", kViv}, {"dash\x1b[2J.jpg", "x"}, {"evil\n.tga", "y"}}, {},
       {{"car.viv", kViv}}, "holds control characters"},
      {"disabled car", {{"car.viv.dis", kViv}, {"carp.txt", "carp"}}, {},
       {{"car.viv.dis", kViv}, {"carp.txt", "carp"}}, "stays disabled"},
      {"cabinet: one name in two folders", {}, {{"A/car.viv", "first"}, {"B/car.viv", kViv}},
       {{"car.viv", kViv}}, "car.viv appears 2 times"},
      {"cabinet: disabled car", {}, {{"Car/car.viv.dis", kViv}}, {{"car.viv.dis", kViv}}, "stays disabled"},
  };
  Game game;
  test::ScratchFolder sources;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string archive;
    if (!c.entries.empty()) {
      archive = sources.write("case" + std::to_string(n) + ".zip", ZipBytes(c.entries));
    } else {
      const std::string base = sources.mkdir("cab" + std::to_string(n));
      std::vector<std::string> files;
      for (const auto& [path, bytes] : c.cabinetFiles) files.push_back(sources.write("cab" + std::to_string(n) + "/" + path, bytes));
      ASSERT_TRUE(CreateCabinetArchive(sources / ("case" + std::to_string(n)), files, base, true, {}));
      archive = sources / ("case" + std::to_string(n) + ".CAB");
    }
    const std::string id = "ZH" + std::to_string(10 + n++);
    const Tree before = Snapshot(game.game);
    game.demo.prompts.messages.clear();
    const OperationResult result = game.Install(InstallMode::kCarFromArchive, archive, id);
    const std::string destination = JoinPath(game.cars, id);
    const std::string destinationRelative = fs::relative(destination, game.game).string();
    EXPECT_EQ(Without(Snapshot(game.game), destinationRelative), Without(before, destinationRelative))
        << "nothing outside the new car folder changes, and nothing temporary stays";
    if (c.installed.empty()) {
      EXPECT_EQ(result.status, OperationStatus::kFailed) << result.message;
      EXPECT_FALSE(PathExists(destination));
      EXPECT_NE(result.message.find(c.said), std::string::npos) << result.message;
      EXPECT_EQ(result.message.find("Installed"), std::string::npos) << result.message;
    } else {
      EXPECT_EQ(result.status, OperationStatus::kDone) << result.message;
      EXPECT_EQ(test::FilesIn(destination), c.installed);
      if (!c.said.empty()) {
        EXPECT_TRUE(AnyContains(game.Notes(), c.said)) << ::testing::PrintToString(game.Notes());
      }
    }
  }
}

// An entry whose name climbs out, is absolute or names a drive is left out of the plan, and
// said so before the question; the rest installs. Cabinets get such names by editing the
// directory of one written with a harmless name of the same length.
TEST(InstallHostile, EntriesLeadingOutsideAreLeftOutAndTheRestInstalls) {
  struct Case {
    std::string name;
    std::vector<std::string> outside;  // entry names leading outside
    bool cabinet;
  };
  const std::vector<Case> cases = {
      {"zip", {"../../../x.viv", "/tmp/abs.bnk", "C:\\drive.tga", "D:/x/car.bnk", "car/../../up.jpg"}, false},
      {"cabinet", {"..\\..\\x.viv"}, true},
  };
  Game game;
  test::ScratchFolder sources;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string archive;
    if (!c.cabinet) {
      std::vector<ZipBytesEntry> entries = {{"Car/car.viv", kViv}};
      for (const std::string& name : c.outside) entries.emplace_back(name, "escaped");
      entries.emplace_back("Car/carp.txt", "carp");
      archive = sources.write("out" + std::to_string(n) + ".zip", ZipBytes(entries));
    } else {
      const std::string base = sources.mkdir("outcab");
      const std::vector<std::string> files = {sources.write("outcab/car.viv", kViv),
                                              sources.write("outcab/zz/zz/x.viv", "escaped"),
                                              sources.write("outcab/carp.txt", "carp")};
      ASSERT_TRUE(CreateCabinetArchive(sources / "outcab", files, base, true, {}));
      archive = sources / "outcab.CAB";
      std::string bytes = test::ReadFileBytes(archive);
      const std::size_t at = bytes.find("zz\\zz\\x.viv");
      ASSERT_NE(at, std::string::npos);
      bytes.replace(at, c.outside[0].size(), c.outside[0]);
      std::ofstream(test::PathOf(archive), std::ios::binary | std::ios::trunc) << bytes;
    }
    const std::string id = "OUT" + std::to_string(n++);
    const OperationResult result = game.Install(InstallMode::kCarFromArchive, archive, id);
    ASSERT_EQ(result.status, OperationStatus::kDone) << result.message;
    EXPECT_EQ(test::FilesIn(JoinPath(game.cars, id)), (Tree{{"car.viv", kViv}, {"carp.txt", "carp"}}));
    const InstallDialogState& shown = game.demo.prompts.installDialogs.back();
    EXPECT_EQ(shown.files, (std::vector<std::string>{"car.viv", "carp.txt"}));
    for (const std::string& name : c.outside) {
      EXPECT_TRUE(AnyContains(shown.notes, "Left out: " + name + " leads outside the folder")) << ::testing::PrintToString(shown.notes);
    }
  }
  // Nothing reached a file named like the escaping entries anywhere near the game.
  for (const char* name : {"x.viv", "abs.bnk", "drive.tga", "up.jpg"}) {
    EXPECT_FALSE(fs::exists(fs::path(game.game).parent_path() / name)) << name;
    EXPECT_FALSE(fs::exists(fs::path(game.cars).parent_path() / name)) << name;
  }
}

// A car folder never holds both car.viv and car.viv.dis: an install keeps the name that is
// there (and with it whether the car is enabled), and the question and the result say so.
TEST(InstallHostile, ACarFolderNeverHoldsBothArchiveNames) {
  struct Case {
    std::string name;
    Tree existing;                   // the car folder before
    std::vector<ZipBytesEntry> zip;  // what is installed into it
    Tree installed;                  // the car folder after
    std::string said;                // in the question and the result; "" for nothing
  };
  const std::vector<Case> cases = {
      {"new car.viv over a disabled car", {{"car.viv.dis", "old"}, {"carp.txt", "old carp"}},
       {{"car.viv", kViv}, {"carp.txt", "carp"}}, {{"car.viv.dis", kViv}, {"carp.txt", "carp"}},
       "car.viv replaces it under that name, and the car stays disabled"},
      {"disabled archive over an enabled car", {{"car.viv", "old"}}, {{"car.viv.dis", kViv}}, {{"car.viv", kViv}},
       "car.viv.dis replaces it under that name, and the car stays enabled"},
      {"spelled otherwise", {{"Car.Viv.DIS", "old"}}, {{"CAR.VIV", kViv}}, {{"Car.Viv.DIS", kViv}},
       "holds Car.Viv.DIS: CAR.VIV replaces it"},
      {"same name", {{"car.viv", "old"}}, {{"car.viv", kViv}}, {{"car.viv", kViv}}, ""},
      {"both brought", {{"car.viv.dis", "old"}}, {{"car.viv", kViv}, {"car.viv.dis", "new dis"}},
       {{"car.viv", kViv}, {"car.viv.dis", "new dis"}}, ""},
  };
  Game game;
  test::ScratchFolder sources;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string id = "DIS" + std::to_string(n);
    for (const auto& [name, bytes] : c.existing) {
      fs::create_directories(test::PathOf(JoinPath(game.cars, id)));
      std::ofstream(test::PathOf(JoinPath(JoinPath(game.cars, id), name)), std::ios::binary) << bytes;
    }
    const std::string zip = sources.write("dis" + std::to_string(n++) + ".zip", ZipBytes(c.zip));
    game.demo.prompts.questions.clear();
    const OperationResult result = game.Install(InstallMode::kCarFromArchive, zip, id);
    ASSERT_EQ(result.status, OperationStatus::kDone) << result.message;
    EXPECT_EQ(test::FilesIn(JoinPath(game.cars, id)), c.installed);
    ASSERT_FALSE(game.demo.prompts.questions.empty());
    if (c.said.empty()) {
      EXPECT_FALSE(AnyContains({result.message, game.demo.prompts.questions.back()}, "replaces it under that name"))
          << result.message;
    } else {
      EXPECT_TRUE(AnyContains({result.message}, c.said)) << result.message;
      EXPECT_TRUE(AnyContains({game.demo.prompts.questions.back()}, c.said)) << game.demo.prompts.questions.back();
    }
  }
}

// The plan of a folder install says so when the car's folder holds the other archive name.
TEST(InstallHostile, TheFolderPlanSaysTheCarStaysDisabled) {
  test::DemoGame demo;
  const DemoCar* car = nullptr;
  for (const DemoCar& c : demo.manifest.cars) {
    if (!car && c.depth == 0 && c.hasFedata && c.archiveName == "car.viv" && c.folder == c.id && !c.stock) car = &c;
  }
  ASSERT_NE(car, nullptr);
  const std::string folder = JoinPath(CarModelFolder(demo.manifest.gameDir), car->folder);
  test::ScratchFolder sources;
  const std::string source = sources.mkdir("New");
  fs::copy_file(test::PathOf(JoinPath(folder, "car.viv")), test::PathOf(JoinPath(source, "car.viv")));
  fs::rename(test::PathOf(JoinPath(folder, "car.viv")), test::PathOf(JoinPath(folder, "car.viv.dis")));
  const InstallPlan plan = PrepareInstall(InstallMode::kCarFromFolder, source, demo.manifest.gameDir);
  ASSERT_EQ(plan.id, car->id);
  EXPECT_TRUE(AnyContains(plan.notes, "holds car.viv.dis: car.viv replaces it under that name, and the car stays disabled"))
      << ::testing::PrintToString(plan.notes);
}

// The plan adds up what the archive declares, not 0.
TEST(InstallHostile, ArchivePlanShowsTheDeclaredLength) {
  Game game;
  test::ScratchFolder sources;
  const std::string zip = sources.write("Big.zip", ZipBytes({{"car.viv", std::string(3000, 'v')},
                                                             {"car.bnk", std::string(2000, 'b')},
                                                             {"readme.txt", std::string(9000, 'r')}}));
  EXPECT_EQ(PrepareInstall(InstallMode::kCarFromArchive, zip, game.game).LengthLine(), "(Total Length = 4KB)");
}

// Info-ZIP's zip -fz writes zip64 sizes into the central directory too.
TEST(InstallHostile, Zip64ArchiveOfInfoZipInstalls) {
#ifdef _WIN32
  GTEST_SKIP() << "Info-ZIP zip is a Linux tool here; the hand-made zip64 case covers the format";
#else
  test::ScratchFolder sources;
  sources.write("car.viv", kViv);
  sources.write("carp.txt", "carp");
  StartOptions inSources;
  inSources.workingFolder = sources.path();
  inSources.wait = true;
  const ProcessResult zipped = StartProgram({"zip", "-q", "-fz", "Car64.zip", "car.viv", "carp.txt"}, inSources);
  if (!zipped || zipped.exitCode != 0) {
    GTEST_SKIP() << "Info-ZIP zip is not installed; the hand-made zip64 case covers the format";
  }
  Game game;
  const OperationResult result = game.Install(InstallMode::kCarFromArchive, sources / "Car64.zip", "ZZ64");
  ASSERT_TRUE(result.done()) << result.message;
  EXPECT_EQ(test::FilesIn(JoinPath(game.cars, "ZZ64")), (Tree{{"car.viv", kViv}, {"carp.txt", "carp"}}));
#endif
}

// Links and special files in a car folder are neither installed nor packed, and never hang.
TEST(InstallHostile, LinksAndSpecialFilesAreNeverFollowedOrOpened) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links, FIFOs and sockets are POSIX things";
#else
  Game game;
  test::ScratchFolder sources;
  const std::string secret = sources.write("private/diary.txt", "private");
  const std::string car = sources.mkdir("LinkCar");
  sources.write("LinkCar/car.viv", kViv);
  fs::create_symlink(secret, car + "/carp.txt");
  fs::create_symlink("/dev/zero", car + "/car.bnk");
  fs::create_directory_symlink(sources / "private", car + "/fedata.dir");
  ASSERT_EQ(::mkfifo((car + "/fedata.eng").c_str(), 0644), 0);
  const int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string socketPath = car + "/dash.jpg";
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
  ASSERT_EQ(::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  const OperationResult installed = game.Install(InstallMode::kCarFromFolder, car, "ZLNK");
  ASSERT_TRUE(installed.done()) << installed.message;
  EXPECT_EQ(test::FilesIn(JoinPath(game.cars, "ZLNK")), (Tree{{"car.viv", kViv}}));
  for (const char* name : {"carp.txt is a symbolic link", "car.bnk is a symbolic link", "fedata.dir is a symbolic link",
                           "fedata.eng is a FIFO", "dash.jpg is a socket"}) {
    EXPECT_TRUE(AnyContains(game.Notes(), name)) << name;
  }

  // Packed from the game folder: the same things stay out of the archive, named in the report.
  const std::string gameCar = JoinPath(game.cars, "ZLNK");
  fs::create_symlink(secret, gameCar + "/carp.txt");
  ASSERT_EQ(::mkfifo((gameCar + "/fedata.eng").c_str(), 0644), 0);
  game.demo.settings.archiveFolder = sources.mkdir("archives");
  const OperationResult packed = game.operations.CreateZip(ItemRef::Car(0), gameCar + "/car.viv", "Linked");
  ASSERT_TRUE(packed.done()) << packed.message;
  ASSERT_EQ(game.demo.prompts.reports.size(), 1u);
  const std::string& report = game.demo.prompts.reports[0];
  EXPECT_NE(report.find("carp.txt (a symbolic link)"), std::string::npos) << report;
  EXPECT_NE(report.find("fedata.eng (a FIFO)"), std::string::npos) << report;
  ArchiveNameList names;
  ASSERT_TRUE(ListZipEntries(sources / "archives/Linked.zip", names, 100));
  EXPECT_EQ(names, ArchiveNameList{"car.viv"});
  ::close(socketFd);
#endif
}

// A track ID is never "Original" in any case, and a folder that is no track is not installed
// anywhere, its own folder least of all.
TEST(InstallHostile, TrackInstallsNeverReachOriginalOrTheSourceFolder) {
  Game game;
  test::ScratchFolder sources;
  const std::string track = sources.mkdir("Original");
  sources.write("Original/TR05.frd", "add-on road");
  const Tree before = Snapshot(game.game);
  for (const char* id : {"Original", "oRIGINAL"}) {
    SCOPED_TRACE(id);
    game.demo.prompts.messages.clear();
    const OperationResult result = game.Install(InstallMode::kTrackFromFolder, track, id);
    EXPECT_FALSE(result.done());
    EXPECT_TRUE(AnyContains(game.demo.prompts.messages, "Please enter another ID"));
  }
  const std::string zip = sources.write("original.zip", ZipBytes({{"TR05.frd", "zipped road"}}));
  EXPECT_FALSE(game.Install(InstallMode::kTrackFromArchive, zip, "ORIGINAL").done());
  EXPECT_EQ(Snapshot(game.game), before);

  const std::string pictures = sources.mkdir("Pictures");
  sources.write("Pictures/sky.jpg", "sky");
  sources.write("Pictures/wall.tga", "wall");
  const OperationResult notTrack = game.Install(InstallMode::kTrackFromFolder, pictures, "Pictures");
  EXPECT_EQ(notTrack.status, OperationStatus::kFailed);
  EXPECT_EQ(notTrack.message, kNotValidTrack);
  EXPECT_TRUE(game.demo.prompts.installDialogs.size() == 3u) << "no dialog for a folder that is no track";
  EXPECT_EQ(Snapshot(pictures), (Tree{{"sky.jpg", "sky"}, {"wall.tga", "wall"}}));
  EXPECT_EQ(Snapshot(game.game), before);
}

}  // namespace
}  // namespace krax

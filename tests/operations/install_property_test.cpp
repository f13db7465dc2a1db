// Random installs from folders, zips and cabinets, and random packs, with failures injected:
// an install either brings every listed file complete or changes nothing, nothing outside
// the destination ever changes, and a pack either writes the whole archive or keeps the
// older one.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "archive/cab/cab_entries.h"
#include "archive/cabinet_create.h"
#include "archive/zip/zip_archive.h"
#include "operations/game_operations.h"
#include "operations/install_dialog_state.h"
#include "operations/install_plan.h"
#include "operations_test_support.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "support/zip_bytes.h"

namespace krax {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

// Every file below `root` by relative path ("name/" for folders, "/" between names on every
// system), with its content.
Files Tree(const std::string& root, const std::string& leaveOut = {}) {
  Files tree;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    const std::string relative = fs::relative(it->path(), root).generic_string();
    if (!leaveOut.empty() && (relative == leaveOut || relative.rfind(leaveOut + "/", 0) == 0)) continue;
    tree[relative + (it->is_directory() ? "/" : "")] = it->is_regular_file() ? test::ReadFileBytes(it->path().string()) : "";
  }
  return tree;
}

enum class Failure { kNone, kFolderInTheWay, kReadOnlyTarget, kDamagedEntry, kUnreadableMethod, kCount };

TEST(InstallProperty, RandomInstallsAndPacksAreWholeOrChangeNothing) {
  const std::uint32_t seed = 18072026;
  std::mt19937 random(seed);
  auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  test::DemoGame demo;
  GameOperations operations(demo.data, demo.settings, demo.prompts);
  const std::string game = demo.manifest.gameDir;
  const std::string cars = CarModelFolder(game);
  test::ScratchFolder work;
  demo.settings.archiveFolder = work.mkdir("archives");
  const std::vector<std::string> names = {"car.viv", "carp.txt", "car.bnk", "fedata.eng", "dash.jpg", "readme.txt"};

  int done = 0, failed = 0;
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round));
    // A car: car.viv and some of the others, in a folder, a zip, a cabinet or a hand-made zip.
    Files source = {{"car.viv", "BIGF " + std::to_string(round)}};
    for (const std::string& name : names) {
      if (pick(2) && name != "car.viv") source[name] = std::string(1 + pick(3000), static_cast<char>('a' + pick(26)));
    }
    Files listed = source;  // what the car rule installs
    listed.erase("readme.txt");
    const std::string victim = std::next(listed.begin(), static_cast<long>(pick(listed.size())))->first;
    const std::string folder = work.mkdir("src" + std::to_string(round));
    std::vector<std::string> paths;
    for (const auto& [name, bytes] : source) paths.push_back(work.write("src" + std::to_string(round) + "/" + name, bytes));
    const int kind = static_cast<int>(pick(4));  // 0 folder, 1 zip, 2 cabinet, 3 hand-made zip
    auto failure = static_cast<Failure>(pick(static_cast<std::size_t>(Failure::kCount)));
    if ((failure == Failure::kDamagedEntry || failure == Failure::kUnreadableMethod) && kind != 3) failure = Failure::kNone;
    std::string path = folder;
    if (kind == 1) {
      path = work / ("car" + std::to_string(round) + ".zip");
      ASSERT_TRUE(CreateZipArchive(path, paths, folder, true).ok());
    } else if (kind == 2) {
      ASSERT_TRUE(CreateCabinetArchive(work / ("car" + std::to_string(round)), paths, folder, true, {}));
      path = work / ("car" + std::to_string(round) + ".CAB");
    } else if (kind == 3) {
      std::vector<test::ZipBytesEntry> entries;
      for (const auto& [name, bytes] : source) {
        if (pick(3) == 0) entries.emplace_back(name, "an older " + name);  // replaced by the later entry
        entries.emplace_back(name, bytes);
        entries.back().zip64 = pick(2) == 0;
      }
      auto last = std::find_if(entries.rbegin(), entries.rend(), [&](const auto& e) { return e.name == victim; });
      if (failure == Failure::kDamagedEntry) last->crc = 0xDEADBEEF;
      if (failure == Failure::kUnreadableMethod) last->method = 12;
      path = work.write("hand" + std::to_string(round) + ".zip", test::ZipBytes(entries));
    }

    // The destination: new, or an existing folder with a file of its own and perhaps an obstacle.
    const std::string id = "R" + std::to_string(round % 7);
    const std::string destination = JoinPath(cars, id);
    if (!IsFolder(destination) && pick(2) == 0) {
      fs::create_directories(destination);
      std::ofstream(destination + "/keep.txt", std::ios::binary) << "kept";
    }
    if (failure == Failure::kFolderInTheWay) {
      fs::remove(destination + "/" + victim);  // a file of an earlier round
      fs::create_directories(destination + "/" + victim);
    }
    if (failure == Failure::kReadOnlyTarget) {
      fs::create_directories(destination);
      std::ofstream(destination + "/" + victim, std::ios::binary) << "read-only";
      fs::permissions(destination + "/" + victim, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                      fs::perm_options::remove);
    }
    const std::string inGame = fs::relative(destination, game).generic_string();
    const Files gameBefore = Tree(game, inGame);
    const Files before = Tree(destination);

    demo.prompts.installDialog = [&](InstallDialogState& state) {
      state.id = id;
      return true;
    };
    const InstallMode mode = kind == 0 ? InstallMode::kCarFromFolder : InstallMode::kCarFromArchive;
    const OperationResult result = operations.InstallFromPath(mode, path);
    EXPECT_EQ(Tree(game, inGame), gameBefore) << "outside the destination";
    if (failure != Failure::kNone) {
      EXPECT_EQ(result.status, OperationStatus::kFailed) << result.message;
      EXPECT_EQ(Tree(destination), before) << result.message;
      ++failed;
    } else {
      ASSERT_EQ(result.status, OperationStatus::kDone) << result.message;
      Files expected = before;
      for (const auto& [name, bytes] : listed) expected[name] = bytes;
      EXPECT_EQ(Tree(destination), expected);
      ++done;
    }
    // Clear the obstacles for the next round in this folder.
    std::error_code ec;
    if (failure == Failure::kFolderInTheWay) fs::remove_all(destination + "/" + victim, ec);
    if (failure == Failure::kReadOnlyTarget) {
      // Windows deletes no read-only file.
      fs::permissions(destination + "/" + victim, fs::perms::owner_write, fs::perm_options::add, ec);
      fs::remove(destination + "/" + victim, ec);
    }

    // Pack the car folder, stopped part-way now and then: the archive is whole or the older one.
    if (test::FilesIn(destination).empty()) continue;
    const bool zip = pick(2) == 0;
    const std::string archive = JoinPath(demo.settings.archiveFolder, id + (zip ? ".zip" : ".CAB"));
    work.write("archives/" + id + (zip ? ".zip" : ".CAB"), "older");
    const bool stop = pick(4) == 0;
    demo.prompts.stopWork = [stop] { return stop; };
    const OperationResult packed = zip ? operations.CreateZip(ItemRef::Car(0), destination + "/car.viv", id)
                                       : operations.CreateCabinet(ItemRef::Car(0), destination + "/car.viv", id);
    demo.prompts.stopWork = nullptr;
    if (!packed.done()) {
      EXPECT_TRUE(stop) << packed.message;
      EXPECT_EQ(test::ReadFileBytes(archive), "older");
      continue;
    }
    ArchiveNameList inArchive;
    ASSERT_TRUE(zip ? ListZipEntries(archive, inArchive, 999) : ListCabinetEntries(archive, inArchive, 999));
    std::sort(inArchive.begin(), inArchive.end());
    ArchiveNameList inFolder;
    for (const auto& [name, bytes] : test::FilesIn(destination)) inFolder.push_back(name);
    EXPECT_EQ(inArchive, inFolder);
  }
  EXPECT_GT(done, 5);
  EXPECT_GT(failed, 5);
  for (const DirEntry& entry : ListFolder(cars)) EXPECT_NE(entry.name.rfind(".krax-", 0), 0u) << entry.name;
  for (const DirEntry& entry : ListFolder(demo.settings.archiveFolder))
    EXPECT_NE(entry.name.rfind(".krax-", 0), 0u) << entry.name;
}

}  // namespace
}  // namespace krax

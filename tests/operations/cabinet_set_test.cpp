// Cabinet sets against the install, `kraxctl cab list` and the pack: a set installs whole
// or not at all, is listed whole, and a pack over an older, longer set leaves none of that
// set's later cabinets behind (and nothing else is touched).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/cabinet_create.h"
#include "operations/game_operations.h"
#include "operations/install_plan.h"
#include "operations/pack_item.h"
#include "operations_test_support.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "support/run_kraxctl.h"

namespace krax::test {
namespace {

// A car folder of the demo with a car.bnk big enough to need several small cabinets.
struct CarForSets {
  DemoGame demo;
  std::string carFolder;
  std::string noise = std::string(150000, '\0');
  std::vector<std::string> files;
  CarForSets() {
    for (const DemoCar& car : demo.manifest.cars) {
      if (car.depth == 0 && car.enabled && car.archiveName == "car.viv") {
        carFolder = JoinPath(demo.manifest.gameDir, "GameData/CarModel/" + car.folder);
        break;
      }
    }
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    demo.dir.write("source/car.bnk", noise);
    CopyFile(JoinPath(carFolder, "car.viv"), demo.dir / "source/car.viv");
    files = {demo.dir / "source/car.viv", demo.dir / "source/car.bnk"};
  }
  // Writes the set `base` (Kit.CAB, Kit1.CAB, ...) of cabinets of at most 50000 bytes.
  std::vector<std::string> WriteSet(const std::string& base) const {
    CabinetCreateOptions options;
    options.typeCompress = 0;
    options.maxCabinetSize = 50000;
    ArchiveResult result;
    std::vector<std::string> written;
    EXPECT_TRUE(CreateCabinetArchive(base, files, demo.dir / "source", true, {}, options, result, &written))
        << result.Message();
    return written;
  }
};

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const DirEntry& entry : ListFolder(folder, true)) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  return names;
}

struct SetCase {
  const char* what;
  const char* start;    // the cabinet the install is started from
  const char* removed;  // a cabinet of the set taken away first ("" for none)
  const char* said;     // part of what the user is told ("" when it installs)
};

TEST(CabinetSet, InstallsWholeFromItsFirstCabinetOrNotAtAll) {
  const SetCase cases[] = {
      {"the whole set", "Kit.CAB", "", ""},
      {"a later cabinet missing", "Kit.CAB", "Kit2.CAB", "Kit2.CAB of the set is missing"},
      {"started at a later cabinet", "Kit1.CAB", "", "Kit1.CAB is not the first cabinet of its set: the set begins with Kit.CAB"},
  };
  for (const SetCase& c : cases) {
    SCOPED_TRACE(c.what);
    CarForSets car;
    const std::string sets = car.demo.dir.mkdir("sets");
    ASSERT_GE(car.WriteSet(JoinPath(sets, "Kit")).size(), 3u);
    if (*c.removed) {
      ASSERT_TRUE(DeleteFile(JoinPath(sets, c.removed)).ok());
    }

    GameOperations operations{car.demo.data, car.demo.settings, car.demo.prompts};
    car.demo.prompts.installDialog = [](InstallDialogState& state) {
      state.id = "ZKIT";
      return true;
    };
    const OperationResult result = operations.InstallFromPath(InstallMode::kCarFromArchive, JoinPath(sets, c.start));
    const std::string installed = JoinPath(car.demo.manifest.gameDir, "GameData/CarModel/ZKIT");
    if (!*c.said) {
      ASSERT_TRUE(result.done()) << result.message;
      EXPECT_EQ(ReadWholeFile(JoinPath(installed, "car.bnk")), car.noise);
      EXPECT_EQ(ReadWholeFile(JoinPath(installed, "car.viv")), ReadWholeFile(car.files[0]));
      continue;
    }
    EXPECT_EQ(result.status, OperationStatus::kFailed) << result.message;
    std::string told = result.message;
    for (const std::string& message : car.demo.prompts.messages) told += "\n" + message;
    EXPECT_NE(told.find(c.said), std::string::npos) << told;
    EXPECT_FALSE(PathExists(installed));
  }
}

TEST(CabinetSet, KraxctlListsTheWholeSetAndNamesAMissingCabinet) {
  CarForSets car;
  const std::string sets = car.demo.dir.mkdir("sets");
  const std::vector<std::string> parts = car.WriteSet(JoinPath(sets, "Kit"));
  ASSERT_GE(parts.size(), 3u);
  auto countOf = [](const std::string& text, const std::string& word) {
    std::size_t n = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
  };
  const KraxctlRun whole = RunKraxctl({"cab", "list", parts.front()});
  EXPECT_EQ(whole.exitCode, 0) << whole.err;
  EXPECT_EQ(countOf(whole.out, " car.viv\n"), 1u) << whole.out;
  EXPECT_EQ(countOf(whole.out, " car.bnk\n"), 1u) << whole.out;

  ASSERT_TRUE(DeleteFile(parts[2]).ok());
  const KraxctlRun broken = RunKraxctl({"cab", "list", parts.front()});
  EXPECT_EQ(broken.exitCode, 1);
  EXPECT_NE(broken.err.find(parts[2]), std::string::npos) << broken.err;
  EXPECT_EQ(countOf(broken.out, " car.viv\n"), 1u) << broken.out;

  const KraxctlRun later = RunKraxctl({"cab", "list", parts[1]});
  EXPECT_NE(later.err.find("the set begins with Kit.CAB"), std::string::npos) << later.err;
}

// kraxctl names a cabinet failure with the number it has always printed beside it.
TEST(CabinetSet, KraxctlGivesEachCabinetFailureItsNumber) {
  CarForSets car;
  const std::vector<std::string> parts = car.WriteSet(JoinPath(car.demo.dir.mkdir("sets"), "Kit"));
  ASSERT_GE(parts.size(), 3u);
  std::ifstream in(parts.front(), std::ios::binary);
  std::string newer((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(newer.size(), 26u);
  newer[25] = 2;  // version 2.3
  ASSERT_TRUE(DeleteFile(parts[2]).ok());
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"cab", "list", car.demo.dir.write("plain.CAB", "only text, no cabinet")},
       "plain.CAB: the file is not a cabinet (error 2)"},
      {{"cab", "list", car.demo.dir / "absent.CAB"}, "absent.CAB: the cabinet file could not be opened (error 1)"},
      {{"cab", "list", car.demo.dir.write("newer.CAB", newer)}, "newer.CAB: the cabinet's version is not supported (error 3)"},
      {{"cab", "list", parts.front()}, "of the set is missing or unreadable (error 1)"},
      {{"cab", "extract", car.demo.dir.write("plain2.CAB", "text"), car.demo.dir / "out"},
       "plain2.CAB: the file is not a cabinet (error 2)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[2]);
    const KraxctlRun run = RunKraxctl(c.args);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
}

// A pack over an older, longer set of the same name: the old later cabinets go, a file that
// only looks like one of them stays, and the new set is complete.
TEST(CabinetSet, PackingOverALongerSetRemovesItsLaterCabinetsOnly) {
  CarForSets car;
  const std::string archives = car.demo.dir.mkdir("archives");
  const std::vector<std::string> old = car.WriteSet(JoinPath(archives, "Kit"));
  ASSERT_GE(old.size(), 3u);
  car.demo.dir.write("archives/Kit9.CAB", "not part of the set");
  car.demo.dir.write("archives/Other1.CAB", "another name");

  for (const std::uint32_t maxSize : {80000u, 300000000u}) {
    SCOPED_TRACE(maxSize);
    PackRequest request{ArchiveKind::kCabinet, ItemRef::Car(0), JoinPath(car.carFolder, "car.viv"), "Kit", archives};
    PackPlan plan = PlanPack(request);
    ASSERT_EQ(plan.problem, "");
    plan.files = car.files;
    plan.sourceFolder = car.demo.dir / "source";
    plan.cabinetOptions.typeCompress = 0;
    plan.cabinetOptions.maxCabinetSize = maxSize;
    const PackResult packed = RunPack(plan, {});
    ASSERT_TRUE(packed.ok) << packed.message;
    ASSERT_LT(packed.followingParts.size() + 1, old.size());
    std::vector<std::string> expected = {"Kit.CAB", "Kit9.CAB", "Other1.CAB"};
    for (std::size_t i = 1; i <= packed.followingParts.size(); ++i) expected.push_back("Kit" + std::to_string(i) + ".CAB");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(NamesIn(archives), expected);
    EXPECT_EQ(RunKraxctl({"cab", "list", JoinPath(archives, "Kit.CAB")}).exitCode, 0);
  }
}

}  // namespace
}  // namespace krax::test

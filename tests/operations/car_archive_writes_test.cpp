// Every command that writes into a car archive (Write, Police Car, Fix Errors, Generate S.N.)
// against sound, hard-linked, read-only and damaged archives: a write replaces the archive
// with a complete new one, and a read-only or damaged archive is refused and left as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "gamedata/car_catalog.h"
#include "gamedata/car_record.h"
#include "gamedata/game_data.h"
#include "gamedata/gamedata_test_support.h"
#include "gamedata/viv_archive.h"
#include "operations/car_fixes.h"
#include "operations/police_flag.h"
#include "operations/serial_numbers.h"
#include "support/scripted_prompts.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

struct Game {
  Game() {
    test::WriteFile(dir.path() / "install.win", "english\r\n");
    fs::create_directories(carModel());
    data.UseGameFolder(dir.str(), /*kraxText=*/false);
    ParseInstallInfo("english\r\n", data.installInfo);
    data.random = MakeRandomSource(11);
  }
  fs::path carModel() const { return dir.path() / "GameData" / "CarModel"; }
  void Load() {
    data.ClearCarTable();
    data.LoadCarCatalog();
  }
  std::size_t Slot(const std::string& folder) const {
    for (std::size_t i = 0; i < data.cars.size(); ++i) {
      if (fs::path(data.cars[i].archivePath).parent_path().filename() == folder) return i;
    }
    ADD_FAILURE() << "no car in " << folder;
    return 0;
  }
  // What the user is told: the result and every report.
  std::string Told(const OperationResult& result) const {
    std::string text = result.message;
    for (const std::string& report : prompts.reports) text += "\n" + report;
    return text;
  }

  test::ScratchDir dir{"carwrites"};
  GameData data;
  test::ScriptedPrompts prompts;
};

// A car archive: carp.txt says 43, the front-end entries 42 ("Different s.n.").
std::vector<test::TestEntry> CarEntries() {
  test::Fedata fedata;
  fedata.id = "CARA";
  fedata.serial = 42;
  return {{"carp.txt", test::Carp("43")},
          {"fedata.eng", test::BuildFedata(fedata)},
          {"fedata.ger", test::BuildFedata(fedata)},
          {"body.msh", std::string(80, 'b')},
          {"skin.tga", std::string(60, 's')}};
}

// The archive with the data offset of entry `index` set to `offset`.
std::string WithOffset(std::string archive, const std::vector<test::TestEntry>& entries, std::size_t index,
                       std::uint32_t offset) {
  std::size_t at = 16;
  for (std::size_t i = 0; i < index; ++i) at += 9 + entries[i].name.size();
  std::string bytes;
  test::PutBigEndian32(bytes, offset);
  archive.replace(at, 4, bytes);
  return archive;
}

std::uint32_t OffsetOf(const std::string& archive, std::size_t index) {
  return static_cast<std::uint32_t>(ParseVivDirectory(archive).entries[index].offset);
}

enum class Setup { kSound, kHardLinked, kReadOnly, kFedataInHeader, kFedataInDirectory, kEntriesOverlap };

struct Row {
  const char* name;
  Setup setup;
  bool damaged;
  bool fedataReadable;  // the damage leaves the front-end data readable
};

const Row kRows[] = {
    {"sound", Setup::kSound, false, true},
    {"hard-linked into a second folder", Setup::kHardLinked, false, true},
    {"read-only", Setup::kReadOnly, false, true},
    {"front-end data pointing into the header", Setup::kFedataInHeader, true, false},
    {"front-end data pointing into the directory", Setup::kFedataInDirectory, true, false},
    {"two other entries overlapping", Setup::kEntriesOverlap, true, true},
};

struct Writer {
  const char* name;
  bool targeted;  // acts on CARA; else on whichever of CARA and TWIN is the duplicate
  std::function<OperationResult(Game&)> run;
};

const Writer kWriters[] = {
    {"write-serial", true,
     [](Game& g) { return WriteSerialNumber(g.data, g.prompts, g.Slot("CARA"), 777); }},
    {"police", true, [](Game& g) { return SetPoliceFlag(g.data, g.prompts, g.Slot("CARA"), true); }},
    {"fix", true,
     [](Game& g) { return FixCarErrors(g.data, g.prompts, {g.Slot("CARA")}, "Fix Errors", [&g] { g.Load(); }); }},
    {"gen-serials", false, [](Game& g) { return GenerateSerials(g.data, [&g] { g.Load(); }).result; }},
};

// CARA and TWIN hold the same archive (a copy, or one file by a hard link), so both carry
// serial number 42 and one of them is the duplicate.
std::string Prepare(Game& game, Setup setup) {
  const std::vector<test::TestEntry> entries = CarEntries();
  std::string archive = test::BuildViv(entries);
  switch (setup) {
    case Setup::kFedataInHeader: archive = WithOffset(archive, entries, 1, 0); break;
    case Setup::kFedataInDirectory: archive = WithOffset(archive, entries, 1, 20); break;
    case Setup::kEntriesOverlap: archive = WithOffset(archive, entries, 4, OffsetOf(archive, 3) + 10); break;
    default: break;
  }
  const fs::path cara = game.carModel() / "CARA" / "car.viv";
  const fs::path twin = game.carModel() / "TWIN" / "car.viv";
  test::WriteFile(cara, archive);
  if (setup == Setup::kHardLinked) {
    fs::create_directories(twin.parent_path());
    fs::create_hard_link(cara, twin);
  } else {
    test::WriteFile(twin, archive);
  }
  if (setup == Setup::kReadOnly) {
    for (const fs::path& path : {cara, twin}) {
      fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                      fs::perm_options::remove);
    }
  }
  return archive;
}

TEST(CarArchiveWrites, EveryWriterReplacesSoundArchivesAndRefusesReadOnlyAndDamagedOnes) {
  for (const Row& row : kRows) {
    for (const Writer& writer : kWriters) {
      SCOPED_TRACE(std::string(writer.name) + " on an archive " + row.name);
#ifdef _WIN32
      if (row.setup == Setup::kHardLinked) continue;  // hard links under Wine are not the point here
#endif
      Game game;
      const std::string before = Prepare(game, row.setup);
      game.Load();
      ASSERT_EQ(game.data.cars.size(), 2u);  // a damaged car is listed like any other
      const CarRecord& listed = game.data.cars[game.Slot("CARA")];
      EXPECT_EQ(listed.directory.damaged, row.damaged);
      EXPECT_EQ(listed.hasFedata(), row.fedataReadable);
      // Never an ID read out of the header or the directory.
      EXPECT_EQ(listed.carId.value_or("none"), row.fedataReadable ? "CARA" : "none");

      const OperationResult result = writer.run(game);
      const std::string told = game.Told(result);
      const std::string cara = test::ReadFile(game.carModel() / "CARA" / "car.viv");
      const std::string twin = test::ReadFile(game.carModel() / "TWIN" / "car.viv");
      switch (row.setup) {
        case Setup::kSound:
        case Setup::kHardLinked:
          EXPECT_EQ(result.status, OperationStatus::kDone) << told;
          // Exactly one car changed; the other keeps its archive, also when both were one file.
          EXPECT_NE(cara, twin);
          EXPECT_TRUE(cara == before || twin == before);
          if (writer.targeted) {
            EXPECT_NE(cara, before);
          }
          EXPECT_TRUE(ParseVivDirectory(cara == before ? twin : cara).entries.size() == 5u);
          break;
        case Setup::kReadOnly:
          EXPECT_EQ(result.status, OperationStatus::kFailed) << told;
          EXPECT_NE(told.find("read-only"), std::string::npos) << told;
          EXPECT_EQ(cara, before);
          EXPECT_EQ(twin, before);
          break;
        default:
          EXPECT_EQ(cara, before);
          EXPECT_EQ(twin, before);
          if (writer.targeted || row.fedataReadable) {
            EXPECT_EQ(result.status, OperationStatus::kFailed) << told;
            EXPECT_NE(told.find("damaged"), std::string::npos) << told;
          } else {
            EXPECT_EQ(result.message, "No duplicate serial numbers.");  // no number to compare
          }
          break;
      }
    }
  }
}

TEST(CarArchiveWrites, GenerateSerialsCountsWhatItChangedAndSaysWhenNumbersAreStillShared) {
  for (const bool oneReadOnly : {false, true}) {
    SCOPED_TRACE(oneReadOnly ? "one duplicate read-only" : "all writable");
    Game game;
    for (const char* id : {"AAAA", "BBBB", "CCCC", "DDDD"}) {
      test::Fedata fedata;
      fedata.id = id;
      fedata.serial = 42;
      test::WriteFile(game.carModel() / id / "car.viv", test::CarArchive(fedata, "42"));
    }
    // A random source that keeps offering one number: two cars must still not both get it.
    int calls = 0;
    game.data.random = [&calls] { return calls++ < 6 ? 500 : 500 + calls; };
    game.Load();
    std::size_t locked = 0;
    if (oneReadOnly) {
      for (std::size_t i = 0; i < game.data.cars.size(); ++i) {
        if (game.data.cars[i].errorFlags & kFlagDuplicateSerial) locked = i;
      }
      fs::permissions(game.data.cars[locked].archivePath, fs::perms::owner_write | fs::perms::group_write |
                      fs::perms::others_write, fs::perm_options::remove);
    }
    const SerialGeneration generation = GenerateSerials(game.data, [&game] { game.Load(); });
    int duplicates = 0;
    std::vector<std::uint16_t> serials;
    for (std::size_t i = 0; i < game.data.cars.size(); ++i) {
      duplicates += (game.data.cars[i].errorFlags & kFlagDuplicateSerial) ? 1 : 0;
      serials.push_back(game.data.cars[i].fedataSerial());
    }
    if (!oneReadOnly) {
      EXPECT_EQ(generation.result.status, OperationStatus::kDone) << generation.result.message;
      EXPECT_EQ(generation.result.message, "3 cars got a new serial number.");
      EXPECT_EQ(duplicates, 0);
    } else {
      EXPECT_EQ(generation.result.status, OperationStatus::kFailed);
      EXPECT_EQ(generation.result.message.rfind("2 cars got a new serial number.", 0), 0u) << generation.result.message;
      EXPECT_NE(generation.result.message.find("the archive is read-only"), std::string::npos);
      EXPECT_NE(generation.result.message.find("1 car still shares its serial number"), std::string::npos)
          << generation.result.message;
      EXPECT_EQ(duplicates, 1);
    }
  }
}

TEST(CarArchiveWrites, FixRenamesANestedCarWhereItIsAndFailedLinesGiveTheReason) {
  Game game;
  test::Fedata glyde;
  glyde.id = "GLYD";
  test::WriteFile(game.carModel() / "Classics" / "Glyde" / "car.viv", test::CarArchive(glyde, "42"));
  test::Fedata odd;
  odd.id = "ODDS";
  test::WriteFile(game.carModel() / "ODDS" / "car.viv", test::CarArchive(odd, "43"));  // Different s.n.
  fs::permissions(game.carModel() / "ODDS" / "car.viv", fs::perms::owner_write, fs::perm_options::remove);
  game.Load();

  const OperationResult result = FixCarErrors(game.data, game.prompts, {}, "Fix All Errors", [&game] { game.Load(); });
  ASSERT_EQ(game.prompts.questions.size(), 1u);
  const std::string shown = (fs::path("Classics") / "GLYD").string();
  EXPECT_NE(game.prompts.questions[0].find("folder renamed to " + shown), std::string::npos) << game.prompts.questions[0];
  EXPECT_TRUE(fs::is_regular_file(game.carModel() / "Classics" / "GLYD" / "car.viv"));
  EXPECT_FALSE(fs::exists(game.carModel() / "GLYD"));
  EXPECT_EQ(result.status, OperationStatus::kFailed);
  EXPECT_NE(game.Told(result).find("- FAILED: the archive is read-only"), std::string::npos) << game.Told(result);
}

}  // namespace
}  // namespace krax

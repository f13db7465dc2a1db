// Verify Against CD on the demo installation: what it reports for each kind of change a
// player's game folder goes through, and that restoring its findings mends exactly those.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "gamedata/stock_tables.h"
#include "gamedata/track_catalog.h"
#include "operations/verify_against_cd.h"
#include "operations_test_support.h"
#include "platform/file_system.h"
#include "platform/path.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

// "kind path" for each finding, the path relative to the game folder with '/' separators.
std::set<std::string> Found(const VerifyReport& report) {
  std::set<std::string> found;
  const char* kinds[] = {"missing", "differs", "unreadable"};
  for (const VerifyFinding& finding : report.findings) {
    std::string shown = finding.shown;
    for (char& c : shown) c = c == '\\' ? '/' : c;
    found.insert(std::string(kinds[static_cast<int>(finding.kind)]) + " " + shown);
  }
  return found;
}

// Every file below `folder`: relative path -> content.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(test::PathOf(folder))) {
    if (!entry.is_regular_file()) continue;
    std::string relative = test::Utf8Of(fs::relative(entry.path(), test::PathOf(folder)));
    for (char& c : relative) c = c == '\\' ? '/' : c;
    files[relative] = test::ReadFileBytes(test::Utf8Of(entry.path()));
  }
  return files;
}

// The files that differ between two snapshots, by name.
std::set<std::string> Changed(const std::map<std::string, std::string>& before,
                              const std::map<std::string, std::string>& after) {
  std::set<std::string> changed;
  for (const auto& [file, bytes] : after) {
    const auto old = before.find(file);
    if (old == before.end() || old->second != bytes) changed.insert(file);
  }
  for (const auto& [file, bytes] : before) {
    if (!after.count(file)) changed.insert(file);
  }
  return changed;
}

class VerifyAgainstCdTest : public ::testing::Test {
 protected:
  void SetUp() override {
    demo_.settings.cdPath = demo_.manifest.cdDir;
    // The demo changes some stock cars the way players do; restored, the game is as shipped.
    const VerifyReport asMade = Verify();
    ASSERT_FALSE(asMade.findings.empty());
    ASSERT_TRUE(RestoreVerifyFindings(demo_.data, demo_.settings, asMade, demo_.prompts).done());
    ASSERT_TRUE(Verify().allMatch()) << VerifyReportLines(Verify());
  }
  VerifyReport Verify(unsigned areas = kVerifyAll) { return VerifyAgainstCd(demo_.settings, areas, demo_.prompts); }
  std::string Game(const std::string& relative) const { return game_ / relative; }
  std::string Cd(const std::string& relative) const { return cd_ / relative; }
  // The first file (by name) of the CD folder `relative`; with `gameFolder`, the first one
  // that folder of the game holds (`held`) or does not hold.
  std::string CdFileIn(const std::string& relative, const std::string& gameFolder = {}, bool held = true) const {
    std::vector<DirEntry> entries = ListFolder(Cd(relative));
    std::sort(entries.begin(), entries.end(), [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    for (const DirEntry& entry : entries) {
      if (!entry.isFolder && (gameFolder.empty() || IsFile(Game(gameFolder + "/" + entry.name)) == held)) {
        return entry.name;
      }
    }
    ADD_FAILURE() << "no such file in " << relative;
    return {};
  }

  test::DemoGame demo_;
  struct Root {
    std::string path;
    std::string operator/(const std::string& relative) const { return ResolvePath(path + "/" + relative); }
  } game_{demo_.manifest.gameDir}, cd_{demo_.manifest.cdDir};
};

void Append(const std::string& path, const std::string& bytes) {
  std::ofstream(test::PathOf(path), std::ios::binary | std::ios::app) << bytes;
}

void FlipFirstByte(const std::string& path) {
  std::fstream file(test::PathOf(path), std::ios::binary | std::ios::in | std::ios::out);
  char c = 0;
  file.get(c);
  file.seekp(0);
  file.put(static_cast<char>(c ^ 0x5A));
}

TEST_F(VerifyAgainstCdTest, ReportsEachKindOfChangeAndNeverAnAddOn) {
  const std::string brakFile = CdFileIn("GameData/CarModel/BRAK");
  const std::string slot0File = CdFileIn("GameData/Tracks/Trk000");
  const int active = demo_.manifest.activeSlot;
  ASSERT_GE(active, 0);
  const std::string slot = "GameData/Tracks/" + std::string(StockTrackTable[static_cast<std::size_t>(active)].slotFolderName);
  const std::string addOn = slot + "/" + demo_.manifest.activeTrack;
  const std::string replaced = CdFileIn(slot, addOn, true);  // waits in Original
  const std::string kept = CdFileIn(slot, addOn, false);     // stays in the slot
  const std::string brak = "GameData/CarModel/BRAK";
  const auto disable = [&] { fs::rename(test::PathOf(Game(brak + "/car.viv")), test::PathOf(Game(brak) + "/car.viv.dis")); };
  const auto enable = [&] { fs::rename(test::PathOf(Game(brak + "/car.viv.dis")), test::PathOf(Game(brak) + "/car.viv")); };

  struct Case {
    const char* what;
    std::function<void()> change;
    std::set<std::string> expected;
    std::function<void()> undo = nullptr;  // after the restore: what the restore leaves as the player made it
    bool restores = true;
  };
  const Case cases[] = {
      {"a stock car's archive with one byte changed", [&] { FlipFirstByte(Game(brak + "/car.viv")); },
       {"differs " + brak + "/car.viv"}},
      {"a stock car's file deleted", [&] { fs::remove(test::PathOf(Game(brak + "/" + brakFile))); },
       {"missing " + brak + "/" + brakFile}},
      {"a disabled stock car as shipped", disable, {}, enable},
      {"a disabled stock car with a longer archive",
       [&] {
         disable();
         Append(Game(brak + "/car.viv.dis"), "x");
       },
       {"differs " + brak + "/car.viv.dis"}, enable},
      {"add-on cars changed and added",
       [&] {
         FlipFirstByte(Game("GameData/CarModel/KOVA/car.viv"));
         fs::create_directories(test::PathOf(Game("GameData/CarModel") + "/NEWC"));
         std::ofstream(test::PathOf(Game("GameData/CarModel") + "/NEWC/car.viv")) << "new";
       },
       {},
       [&] {
         FlipFirstByte(Game("GameData/CarModel/KOVA/car.viv"));
         fs::remove_all(test::PathOf(Game("GameData/CarModel") + "/NEWC"));
       }},
      {"a text file cut short", [&] { fs::resize_file(test::PathOf(Game("FeData/Text/Text.eng")), 10); },
       {"differs FeData/Text/Text.eng"}},
      {"a stock track file damaged in a slot with Original active",
       [&] { FlipFirstByte(Game("GameData/Tracks/Trk000/" + slot0File)); }, {"differs GameData/Tracks/Trk000/" + slot0File}},
      {"a folder in place of a stock track file",
       [&] {
         fs::remove(test::PathOf(Game("GameData/Tracks/Trk000/" + slot0File)));
         fs::create_directories(test::PathOf(Game("GameData/Tracks/Trk000") + "/" + slot0File));
       },
       {"differs GameData/Tracks/Trk000/" + slot0File},
       [&] {
         fs::remove(test::PathOf(Game("GameData/Tracks/Trk000/" + slot0File)));
         fs::copy_file(test::PathOf(Cd("GameData/Tracks/Trk000/" + slot0File)),
                       test::PathOf(Game("GameData/Tracks/Trk000") + "/" + slot0File));
       },
       false},
      {"the stock copy an active add-on replaced, damaged in Original",
       [&] { FlipFirstByte(Game(slot + "/Original/" + replaced)); }, {"differs " + slot + "/Original/" + replaced}},
      {"a stock file the active add-on left in the slot, deleted",
       [&] { fs::remove(test::PathOf(Game(slot + "/" + kept))); }, {"missing " + slot + "/" + kept}},
      {"the active add-on's own files changed",
       [&] {
         FlipFirstByte(Game(slot + "/" + replaced));
         FlipFirstByte(Game(addOn + "/" + replaced));
       },
       {},
       [&] {
         FlipFirstByte(Game(slot + "/" + replaced));
         FlipFirstByte(Game(addOn + "/" + replaced));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::map<std::string, std::string> before = Snapshot(demo_.manifest.gameDir);
    c.change();
    const VerifyReport report = Verify();
    EXPECT_EQ(Found(report), c.expected);
    EXPECT_EQ(report.allMatch(), c.expected.empty());
    // Mend it for the next case, through the operation itself.
    const OperationResult result = RestoreVerifyFindings(demo_.data, demo_.settings, report, demo_.prompts);
    EXPECT_EQ(result.done(), c.restores) << result.message;
    // Nothing to restore: the change (an add-on, a disabled car) is the player's and stays.
    if (c.expected.empty()) {
      EXPECT_EQ(result.message, "Nothing to restore.");
    }
    if (c.undo) c.undo();
    EXPECT_TRUE(Verify().allMatch()) << VerifyReportLines(Verify());
    // As before the change; a restore of track files also points install.win at them.
    std::set<std::string> changed = Changed(before, Snapshot(demo_.manifest.gameDir));
    changed.erase("install.win");
    EXPECT_EQ(changed, std::set<std::string>{});
  }
}

TEST_F(VerifyAgainstCdTest, RestoreMendsExactlyTheFindingsAndASecondVerifyReportsNothing) {
  const int active = demo_.manifest.activeSlot;
  const std::string slot = "GameData/Tracks/" + std::string(StockTrackTable[static_cast<std::size_t>(active)].slotFolderName);
  const std::string addOn = slot + "/" + demo_.manifest.activeTrack;
  const std::string replaced = CdFileIn(slot, addOn, true);
  // Damage everywhere at once: a disabled car, a missing car file, a track file in Original,
  // a text file.
  fs::rename(test::PathOf(Game("GameData/CarModel/BRAK/car.viv")), test::PathOf(Game("GameData/CarModel/BRAK") + "/car.viv.dis"));
  FlipFirstByte(Game("GameData/CarModel/BRAK/car.viv.dis"));
  fs::remove_all(test::PathOf(Game("GameData/CarModel/ZEPH")));
  FlipFirstByte(Game(slot + "/Original/" + replaced));
  Append(Game("FeData/Text/Text.ger"), "\r\n");
  const std::map<std::string, std::string> before = Snapshot(demo_.manifest.gameDir);

  const VerifyReport report = Verify();
  ASSERT_GE(report.findings.size(), 4u);
  std::set<std::string> restorable;
  for (const VerifyFinding& finding : report.findings) {
    EXPECT_NE(finding.kind, VerifyKind::kUnreadable) << finding.shown;
    std::string shown = finding.shown;
    for (char& c : shown) c = c == '\\' ? '/' : c;
    restorable.insert(shown);
  }

  // Said no to: nothing changes.
  demo_.prompts.answers = {false};
  EXPECT_EQ(RestoreVerifyFindings(demo_.data, demo_.settings, report, demo_.prompts).status, OperationStatus::kCancelled);
  EXPECT_EQ(Changed(before, Snapshot(demo_.manifest.gameDir)), std::set<std::string>{});
  ASSERT_FALSE(demo_.prompts.questions.empty());
  EXPECT_NE(demo_.prompts.questions.back().find("restore " + std::to_string(report.findings.size()) + " files"),
            std::string::npos)
      << demo_.prompts.questions.back();

  const OperationResult result = RestoreVerifyFindings(demo_.data, demo_.settings, report, demo_.prompts);
  ASSERT_TRUE(result.done()) << result.message;
  EXPECT_NE(result.message.find("1 disabled car was restored under its disabled name"), std::string::npos) << result.message;
  EXPECT_TRUE(Verify().allMatch()) << VerifyReportLines(Verify());

  // Only the files reported changed (and the restore's own install.win line); the add-on
  // stays active and the disabled car disabled.
  const std::map<std::string, std::string> after = Snapshot(demo_.manifest.gameDir);
  std::set<std::string> expected = restorable;
  expected.insert("install.win");  // its tracks line names the game's own tracks now
  std::set<std::string> changed = Changed(before, after);
  changed.insert("install.win");
  EXPECT_EQ(changed, expected);
  EXPECT_FALSE(IsFile(Game("GameData/CarModel/BRAK/car.viv")));
  EXPECT_EQ(ReadActiveTrack(Game(slot)), demo_.manifest.activeTrack);
  EXPECT_EQ(after.at(slot + "/" + replaced), before.at(slot + "/" + replaced));
  EXPECT_TRUE(IsFolder(Game(addOn)));
}

TEST_F(VerifyAgainstCdTest, AreasProgressAndAMissingCd) {
  FlipFirstByte(Game("FeData/Text/Text.eng"));
  // Each area alone looks only at its own folder of the CD.
  EXPECT_TRUE(Verify(kVerifyCars).allMatch());
  EXPECT_TRUE(Verify(kVerifyTracks).allMatch());
  EXPECT_EQ(Found(Verify(kVerifyStrings)), std::set<std::string>{"differs FeData/Text/Text.eng"});

  // Progress names every file once, then ends with the whole count; stopping it stops the run.
  demo_.prompts.progressSeen.clear();
  const VerifyReport all = Verify();
  ASSERT_FALSE(demo_.prompts.progressSeen.empty());
  const ProgressState& last = demo_.prompts.progressSeen.back();
  EXPECT_EQ(last.filesDone, all.filesChecked);
  EXPECT_EQ(last.filesDone, last.filesTotal);
  EXPECT_EQ(last.bytesDone, last.bytesTotal);
  demo_.prompts.progress = [](const ProgressState& state) { return state.filesDone < 3; };
  const VerifyReport stopped = Verify();
  EXPECT_TRUE(stopped.cancelled);
  EXPECT_EQ(stopped.filesChecked, 3u);
  EXPECT_FALSE(stopped.allMatch());
  demo_.prompts.progress = nullptr;

  for (const std::string& cdPath : {std::string(), demo_.manifest.cdDir + "/missing", demo_.dir.path()}) {
    SCOPED_TRACE(cdPath);
    demo_.settings.cdPath = cdPath;  // none set, not there, a disc without the game's folders
    const VerifyReport report = Verify();
    EXPECT_FALSE(report.allMatch());
    EXPECT_TRUE(report.findings.empty());
    EXPECT_FALSE(report.problems.empty());
    EXPECT_NE(VerifyReportSummary(report).find("could not be checked"), std::string::npos) << VerifyReportSummary(report);
  }
}

}  // namespace
}  // namespace krax

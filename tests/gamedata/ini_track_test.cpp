#include <gtest/gtest.h>

#include "gamedata/game_data.h"
#include "gamedata/ini_file.h"
#include "gamedata/track_catalog.h"
#include "gamedata_test_support.h"

namespace krax {
namespace {

namespace fs = std::filesystem;

TEST(IniLayout, NamesIgnoreCaseAndWritingKeepsEveryOtherLine) {
  IniFile ini = IniFile::Parse(
      "; written by an editor\n[Other]\nActiveTrack=wrong\n[TRACKS]\n activetrack = Desert Run \nLaps=3\n\n[Last]\nx=1");
  EXPECT_EQ(ini.Get("Tracks", "ActiveTrack"), "Desert Run");
  EXPECT_EQ(ini.Get("tracks", "laps"), "3");
  EXPECT_EQ(ini.Get("Tracks", "Missing"), std::nullopt);
  EXPECT_EQ(ini.Get("Nope", "x"), std::nullopt);

  ini.Set("tracks", "ACTIVETRACK", "Original");
  ini.Set("Tracks", "Weather", "rain");
  ini.Set("New", "k", "v\r\n[Injected]");  // a value stays one line
  EXPECT_EQ(ini.Serialize(),
            "; written by an editor\r\n[Other]\r\nActiveTrack=wrong\r\n[TRACKS]\r\nACTIVETRACK=Original\r\n"
            "Laps=3\r\nWeather=rain\r\n\r\n[Last]\r\nx=1\r\n[New]\r\nk=v\r\n");
}

TEST(IniLayout, ProfileWritesReplaceTheFileOnlyWhenComplete) {
  test::ScratchDir dir;
  const fs::path path = dir.path() / "Atrack.ini";
  EXPECT_EQ(ReadProfileString(path.string(), "Tracks", "ActiveTrack"), std::nullopt);
  ASSERT_TRUE(WriteProfileString(path.string(), "Tracks", "ActiveTrack", "Canyon"));
  EXPECT_EQ(test::ReadFile(path), "[Tracks]\r\nActiveTrack=Canyon\r\n");
  // A folder in the way of the file: the write fails, nothing is created or lost.
  const fs::path blocked = dir.path() / "blocked";
  fs::create_directories(blocked);
  EXPECT_FALSE(WriteProfileString(blocked.string(), "Tracks", "ActiveTrack", "x"));
  EXPECT_TRUE(fs::is_directory(blocked));
}

class TrackCatalogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    game_.UseGameFolder((dir_.path() / "game").string(), /*kraxText=*/false);
    for (int row = 0; row < 9; ++row) fs::create_directories(Slot(row));
  }
  fs::path Slot(int row) const {
    char name[16];
    std::snprintf(name, sizeof name, "Trk%03d", row);
    return dir_.path() / "game" / "GameData" / "Tracks" / name;
  }
  struct Report {
    int row;
    std::string name;
    bool active;
    int n;
  };
  std::vector<Report> Load() {
    std::vector<Report> reports;
    game_.LoadTrackCatalog([&](int row, const std::string& name, bool active, int n) {
      reports.push_back({row, name, active, n});
    });
    return reports;
  }
  std::vector<Report> Row(const std::vector<Report>& all, int row) {
    std::vector<Report> out;
    for (const Report& r : all) {
      if (r.row == row) out.push_back(r);
    }
    return out;
  }

  test::ScratchDir dir_;
  GameData game_;
};

TEST_F(TrackCatalogTest, ActiveFolderComesFromAtrackIniOrIsOriginal) {
  fs::create_directories(Slot(0) / "Original");
  fs::create_directories(Slot(0) / "Canyon");
  fs::create_directories(Slot(1) / "Original");
  fs::create_directories(Slot(1) / "Canyon");
  test::WriteFile(Slot(1) / "ATRACK.INI", "[tracks]\r\nactivetrack=Canyon\r\n");  // any spelling
  fs::create_directories(Slot(2) / "Original");
  fs::create_directories(Slot(2) / "Canyon");
  // The value names its folder ignoring case, as the game's file system does.
  test::WriteFile(Slot(2) / "Atrack.ini", "[Tracks]\r\nActiveTrack=canyon\r\n");
  const auto all = Load();

  auto activeOf = [](const std::vector<Report>& row) {
    std::string active;
    for (const Report& r : row) {
      if (r.active) active += r.name + ";";
    }
    return active;
  };
  EXPECT_EQ(Row(all, 0).size(), 2u);
  EXPECT_EQ(activeOf(Row(all, 0)), "Original;");
  EXPECT_EQ(activeOf(Row(all, 1)), "Canyon;");
  EXPECT_EQ(activeOf(Row(all, 2)), "Canyon;");
  EXPECT_EQ(ReadActiveTrack(Slot(3).string()), "Original");
}

TEST_F(TrackCatalogTest, MissingOriginalIsCreatedAndListedLastNotActive) {
  fs::create_directories(Slot(4) / "Canyon");
  test::WriteFile(Slot(4) / "Atrack.ini", "[Tracks]\r\nActiveTrack=Original\r\n");
  fs::remove_all(Slot(8));  // a missing slot still lists an "Original" entry
  fs::create_directories(Slot(5) / "original");  // the backup folder in other capitals
  const auto all = Load();
  const auto lower = Row(all, 5);
  ASSERT_EQ(lower.size(), 1u);
  EXPECT_EQ(lower[0].name, "original");
  EXPECT_TRUE(lower[0].active);
#ifndef _WIN32  // on Windows "Original" and "original" are one folder
  EXPECT_FALSE(fs::exists(Slot(5) / "Original"));
#endif
  const auto row = Row(all, 4);
  ASSERT_EQ(row.size(), 2u);
  EXPECT_EQ(row[1].name, "Original");
  EXPECT_FALSE(row[1].active);
  EXPECT_TRUE(fs::is_directory(Slot(4) / "Original"));
  const auto missing = Row(all, 8);
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(missing[0].name, "Original");
  EXPECT_FALSE(fs::exists(Slot(8)));
}

TEST_F(TrackCatalogTest, ListPositionsAreStableIdentities) {
  fs::create_directories(Slot(0) / "Original");
  fs::create_directories(Slot(3) / "Original");
  fs::create_directories(Slot(3) / "Canyon");
  const auto first = Load();
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first[0].n, 0);
  EXPECT_EQ(game_.trackFolder(0).name, first[0].name);
  for (const auto& r : first) {
    EXPECT_EQ(game_.trackFolder(static_cast<std::size_t>(r.n)).name, r.name);
    EXPECT_EQ(fs::path(game_.trackFolder(static_cast<std::size_t>(r.n)).path).filename(), r.name);
    EXPECT_EQ(game_.trackFolder(static_cast<std::size_t>(r.n)).slot, r.row);
  }
  const auto second = Load();
  ASSERT_EQ(second.size(), first.size());
  for (std::size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(second[i].n, first[i].n);
    EXPECT_EQ(second[i].name, first[i].name);
  }
}

// With 260 folders in the first slot, 249 of them are listed and then that slot's missing
// "Original"; the other slots list nothing, not even their "Original".
TEST_F(TrackCatalogTest, TheListHoldsAtMost250Folders) {
  for (int i = 0; i < 260; ++i) fs::create_directories(Slot(0) / ("t" + std::to_string(i)));
  const auto all = Load();
  ASSERT_EQ(all.size(), kMaxTrackFolders);
  EXPECT_EQ(game_.trackFolders.size(), all.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(all[i].row, 0) << i;
    EXPECT_EQ(all[i].n, static_cast<int>(i));
    EXPECT_EQ(game_.trackFolders[i].slot, 0) << i;
    EXPECT_EQ(all[i].name == "Original", i + 1 == all.size()) << all[i].name;
  }
  // Loaded again, the first slot lists its "Original" (made above) among 249 folders and the
  // second slot adds its missing one: still 250, and no more.
  const auto again = Load();
  ASSERT_EQ(again.size(), kMaxTrackFolders);
  EXPECT_EQ(game_.trackFolders.size(), kMaxTrackFolders);
  EXPECT_EQ(again.back().row, 1);
  EXPECT_EQ(again.back().name, "Original");
  EXPECT_FALSE(game_.HasTrackFolder(kMaxTrackFolders));
  EXPECT_EQ(game_.trackFolder(100000).path, "");
  EXPECT_EQ(game_.trackFolder(100000).name, "");
}

TEST_F(TrackCatalogTest, WritingTheActiveTrackKeepsTheRestOfTheFile) {
  test::WriteFile(Slot(5) / "Atrack.ini", "[Tracks]\r\nActiveTrack=Original\r\nNote=keep\r\n[X]\r\ny=1\r\n");
  ASSERT_TRUE(WriteActiveTrack(game_.SlotFolderPath(5), "Canyon"));
  EXPECT_EQ(test::ReadFile(Slot(5) / "Atrack.ini"),
            "[Tracks]\r\nActiveTrack=Canyon\r\nNote=keep\r\n[X]\r\ny=1\r\n");
  EXPECT_EQ(ReadActiveTrack(game_.SlotFolderPath(5)), "Canyon");
}

}  // namespace
}  // namespace krax

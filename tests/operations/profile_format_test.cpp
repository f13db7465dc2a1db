// The profile file as a person reads and edits it, and the folder of profiles.
#include <gtest/gtest.h>

#include "operations/profile.h"
#include "operations/profile_state.h"
#include "support/scratch_folder.h"

namespace krax {
namespace {

TEST(ProfileFormat, HandEditedFilesReadAndNamesAreChecked) {
  // Comments, blank lines, CR LF line ends and any order are fine; folders keep their spaces.
  std::string text = "KRAXManager profile 1\r\n# friday\r\n\r\ncar off Old Ones/XR77\r\n";
  for (int row = 8; row >= 0; --row) text += "track " + std::to_string(row) + (row == 3 ? " Dust bowl" : " Original") + "\r\n";
  text += "car on 0001\r\n";
  const ProfileParse parsed = ParseProfile(text);
  ASSERT_TRUE(parsed.profile) << parsed.problem;
  EXPECT_EQ(parsed.profile->cars, (std::map<std::string, bool>{{"0001", true}, {"Old Ones/XR77", false}}));
  EXPECT_EQ(parsed.profile->tracks[3], "Dust bowl");
  EXPECT_EQ(ParseProfile(SerializeProfile(*parsed.profile)).profile, parsed.profile);

  struct Name {
    const char* name;
    bool usable;
  };
  const Name names[] = {{"Friday night", true}, {"LAN 2026-12", true}, {"", false},       {"a/b", false},
                        {"a\\b", false},        {"con:", false},      {".hidden", false}, {"trailing ", false},
                        {"tab\there", false},   {"ends.", false}};
  for (const Name& n : names) EXPECT_EQ(ProfileNameProblem(n.name).empty(), n.usable) << n.name;

  // The store lists only usable names of ".profile" files, sorted, and deletes what it lists.
  test::ScratchFolder folder;
  const ProfileStore store(folder / "profiles");
  EXPECT_TRUE(store.Names().empty());
  ASSERT_EQ(store.Save("Zeta", *parsed.profile), "");
  ASSERT_EQ(store.Save("Alpha", *parsed.profile), "");
  folder.write("profiles/notes.txt", "x");
  folder.write("profiles/.hidden.profile", "x");
  folder.mkdir("profiles/Folder.profile");
  EXPECT_EQ(store.Names(), (std::vector<std::string>{"Alpha", "Zeta"}));
  EXPECT_EQ(store.Load("Alpha").profile, parsed.profile);
  EXPECT_EQ(store.Remove("Zeta"), "");
  EXPECT_NE(store.Remove("Zeta"), "");
  EXPECT_EQ(store.Names(), (std::vector<std::string>{"Alpha"}));
  EXPECT_FALSE(ProfileStore("").Load("Alpha").profile);  // no folder known: nothing is read or written
  EXPECT_NE(ProfileStore("").Save("Alpha", *parsed.profile), "");
}

// A profile is written only when it reads back as it was; names are limited in characters.
TEST(ProfileFormat, OnlyProfilesThatReadBackAreSavedAndNamesCountCharacters) {
  Profile base;
  base.tracks.fill("Original");
  struct Case {
    const char* what;
    std::string car;    // a car folder, or "" for none
    std::string track;  // slot 3's track
    bool saved;
  };
  const Case cases[] = {
      {"plain names", "Classics/Glyde", "Dust bowl", true},
      {"a folder with spaces and accents", "Old Ones/Caf\xC3\xA9 racer ", "Original", true},
      {"a tab in a car folder", "Glyde\tII", "Original", false},
      {"a line break in a car folder", "Glyde\ncar on 0001", "Original", false},
      {"a carriage return at the end of a car folder", "Glyde\r", "Original", false},
      {"an escape character in a car folder", "Gly\x1B[2Jde", "Original", false},
      {"a line break in a track name", "", "Dust\nbowl", false},
      {"no active track", "", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Profile profile = base;
    if (!c.car.empty()) profile.cars[c.car] = true;
    profile.tracks[3] = c.track;
    test::ScratchFolder folder;
    const ProfileStore store(folder / "profiles");
    const std::string problem = store.Save("Mine", profile);
    EXPECT_EQ(problem.empty(), c.saved) << problem;
    EXPECT_EQ(store.Exists("Mine"), c.saved);  // nothing half-written either
    if (c.saved) {
      EXPECT_EQ(store.Load("Mine").profile, profile);
    }
    if (!c.saved) {
      EXPECT_NE(problem.find("cannot be saved"), std::string::npos) << problem;
    }
  }

  // Notepad's byte-order mark before the first line.
  const std::string saved = SerializeProfile(base);
  EXPECT_EQ(ParseProfile("\xEF\xBB\xBF" + saved).profile, base);
  EXPECT_FALSE(ParseProfile("\xEF\xBB" + saved).profile);

  // 100 characters, whatever their bytes: "é" is two bytes, "€" three.
  struct Name {
    std::string name;
    bool usable;
  };
  const Name names[] = {{std::string(100, 'a'), true},
                        {std::string(101, 'a'), false},
                        {[] { std::string n; for (int i = 0; i < 100; ++i) n += "\xC3\xA9"; return n; }(), true},
                        {[] { std::string n; for (int i = 0; i < 100; ++i) n += "\xE2\x82\xAC"; return n; }(), true},
                        {[] { std::string n; for (int i = 0; i < 101; ++i) n += "\xC3\xA9"; return n; }(), false}};
  for (const Name& n : names) EXPECT_EQ(ProfileNameProblem(n.name).empty(), n.usable) << n.name.size() << " bytes";
}

// "Show" reads a profile out as lists: the cars it enables and disables, each folder with the
// car's name where the game has that car (found ignoring case), then each slot's track.
TEST(ProfileFormat, ShownAsListsWithTheCarsNames) {
  Profile profile;
  profile.cars = {{"1002", true}, {"Classics/GLYD", false}, {"KOVA", true}, {"Gone", false}};
  profile.tracks.fill("Original");
  profile.tracks[3] = "Dust bowl";
  const std::map<std::string, std::string> names = {{"1002", "Ravelin GT"}, {"classics/glyd", "Glyder Mk2"}, {"KOVA", ""}};
  const std::string expected =
      "Profile \"Friday\":\n"
      "\nCars enabled (2):\n  1002 (Ravelin GT)\n  KOVA\n"
      "\nCars disabled (2):\n  Classics/GLYD (Glyder Mk2)\n  Gone\n"
      "\nActive track of each slot:\n"
      "  Trk000 (Cinderfall Ridge): Original\n  Trk001 (Brasswater Docks): Original\n"
      "  Trk002 (Kestrel Heights): Original\n  Trk003 (Marrow Flats): Dust bowl\n"
      "  Trk004 (Tinder Hollow): Original\n  Trk005 (Quillstone Loop): Original\n"
      "  Trk006 (Velvet Gorge): Original\n  Trk007 (Oxbow Junction): Original\n"
      "  Trk008 (Lanternfield): Original\n";
  EXPECT_EQ(DescribeProfile("Profile \"Friday\"", profile, names), expected);
  // Without the game's cars at hand, the folders alone; an empty list says so.
  profile.cars = {{"1002", false}};
  const std::string bare = DescribeProfile("P", profile, {});
  EXPECT_NE(bare.find("\nCars enabled (0):\n  none\n\nCars disabled (1):\n  1002\n"), std::string::npos) << bare;
}

}  // namespace
}  // namespace krax
